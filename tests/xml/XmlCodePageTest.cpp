// UTF-8 from the controllers to the tool's Latin-1 text and back.
#include <gtest/gtest.h>

#include <string>

#include "xml/CXmlDocument.h"

namespace {

TEST(XmlCodePage, Utf8ToSingleByte)
{
    struct Case {
        std::string utf8;
        std::string latin1;
    };
    const Case cases[] = {
        {"plain <A/>", "plain <A/>"},
        {"\xC3\xA9\xC3\xBF\xC2\xA0", "\xE9\xFF\xA0"},
        {"\xC4\x80", std::string(1, '\0')},       // U+0100: only its low eight bits survive
        {"\xC3<", std::string(1, static_cast<char>(0xFC))},  // the second byte is not examined
        {"\x80 \xBF", "\x80 \xBF"},                // stray continuation bytes stay
        {"x\xC3", "x?"},                           // lead byte cut off at the end
        {"\xE2\x82\xAC!", "?!"},                   // three bytes, one "?"
        {"\xF0\x9F\x98\x80!", "?!"},               // four bytes, one "?"
        {"\xE2\x82<A/>", "?<A/>"},                 // a short sequence never takes the "<"
        {"\xE2<A/>", "?<A/>"},
        {"\xF0\x9F", "?"},
        {"\xFF\xFE", "??"},
        {"0123456789abcdef\xC3\xA9" "0123456789abcdef", "0123456789abcdef\xE9" "0123456789abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(CXmlDocument::Utf8ToSingleByte(c.utf8), c.latin1);
    }
}

TEST(XmlCodePage, SingleByteToUtf8RoundTripsEveryByte)
{
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = CXmlDocument::SingleByteToUtf8(all);
    EXPECT_EQ(utf8.size(), 128u + 2 * 128u);
    EXPECT_EQ(utf8.substr(128, 4), "\xC2\x80\xC2\x81");
    EXPECT_EQ(utf8.substr(utf8.size() - 2), "\xC3\xBF");
    EXPECT_EQ(CXmlDocument::Utf8ToSingleByte(utf8), all);
}

}  // namespace
