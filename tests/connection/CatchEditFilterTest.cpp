// The filtering text field's rule, driven keystroke by keystroke.
#include <gtest/gtest.h>

#include "connection/CatchEditFilter.h"

namespace {
struct Step {
    const char* text;      // the field's text after a keystroke or a paste
    const char* shown;     // what it shows after filtering
    bool refused;
};

void Type(CCatchEditFilter& filter, std::initializer_list<Step> steps)
{
    for (const Step& s : steps) {
        const CCatchEditFilter::Result r = filter.Filter(s.text);
        EXPECT_EQ(r.text, s.shown) << "typed " << s.text;
        EXPECT_EQ(r.refused, s.refused) << "typed " << s.text;
    }
}

CCatchEditFilter Field(uint32_t classes, int maxLength, int decimals, const std::string& extra = {})
{
    CCatchEditFilter f;
    f.rules.allowed = CatchEditCharacters(classes, extra);
    f.rules.maxLength = maxLength;
    f.rules.decimals = decimals;
    return f;
}

TEST(CatchEdit, DigitsOnlyThreeLong)
{
    CCatchEditFilter f = Field(kJxCatchDigits, 3, 0);
    Type(f, {{"1", "1", false}, {"12", "12", false}, {"12a", "12", true}, {"123", "123", false}, {"1234", "123", true},
            {"12", "12", false}, {"", "", false}, {"-", "", true}});
}

TEST(CatchEdit, Decimals)
{
    CCatchEditFilter f = Field(kJxCatchDigits | kJxCatchDot, 10, 2);
    Type(f, {{"3", "3", false}, {"3.", "3.", false}, {"3.1", "3.1", false}, {"3.14", "3.14", false},
            {"3.141", "3.14", true}, {"3.1", "3.1", false}, {"3.", "3.", false}, {"3..", "3.", true},
            {"3..1", "3.", true}, {".5", ".5", false}});

    CCatchEditFilter none = Field(kJxCatchDigits | kJxCatchDot, 10, 0);
    Type(none, {{"7", "7", false}, {"7.", "7.", false}, {"7.0", "7.", true}});

    CCatchEditFilter noDot = Field(kJxCatchDigits | kJxCatchDot, 10, -1);
    Type(noDot, {{"7", "7", false}, {"7.", "7", true}});

    CCatchEditFilter dots = Field(kJxCatchDigits | kJxCatchDot, 15, 3);
    dots.rules.severalDots = true;
    Type(dots, {{"10.1.2", "10.1.2", false}, {"10.1.2.255", "10.1.2.255", false}, {"10.1.2.2555", "10.1.2.255", true}});
}

TEST(CatchEdit, APasteTooLongRestoresThePreviousTextWhole)
{
    CCatchEditFilter f = Field(kJxCatchDigits, 3, 0);
    Type(f, {{"12", "12", false}, {"12345678", "12", true}, {"9", "9", false}});
}

TEST(CatchEdit, ALastTextLongerThanANewMaximumIsCut)
{
    CCatchEditFilter f = Field(kJxCatchDigits, 8, 0);
    Type(f, {{"12345", "12345", false}});
    f.rules.maxLength = 3;
    Type(f, {{"123456", "123", true}, {"12", "12", false}});
}

TEST(CatchEdit, CharacterClasses)
{
    EXPECT_EQ(CatchEditCharacters(0, ""), "");
    EXPECT_EQ(CatchEditCharacters(kJxCatchDigits, "-"), "1234567890-");
    EXPECT_EQ(CatchEditCharacters(kJxCatchDot | kJxCatchLower, ""), ".abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(CatchEditCharacters(kJxCatchUpper | kJxCatchPunctuation, ""),
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ`~!@#$%^&*()-_=+\\|]}[{'\";:/?.>,<");

    CCatchEditFilter names = Field(kJxCatchUpper | kJxCatchDigits, 12, 999, "_");
    Type(names, {{"LOG_1", "LOG_1", false}, {"LOG_1x", "LOG_1", true}, {"LOG_1.", "LOG_1", true}});
    // With punctuation the "." comes in as a character like any other.
    CCatchEditFilter text = Field(kJxCatchLower | kJxCatchPunctuation, 12, 999);
    Type(text, {{"a.b", "a.b", false}, {"a.b.c", "a.b", true}});
}
}  // namespace
