// The rule of the filtering text field (CDLCatchEdit): every change of its
// text is checked before it shows, and a change that would make the text
// invalid (a character outside the allowed set, too long, a second "." or
// too many decimals) is undone whole.
#pragma once

#include <cstdint>
#include <string>

// Character classes, or-ed together.
inline constexpr uint32_t kJxCatchDigits = 0x1;
inline constexpr uint32_t kJxCatchDot = 0x10;
inline constexpr uint32_t kJxCatchLower = 0x100;
inline constexpr uint32_t kJxCatchUpper = 0x1000;
inline constexpr uint32_t kJxCatchPunctuation = 0x10000;

// The allowed set: the classes' characters, then `extra`.
std::string CatchEditCharacters(uint32_t classes, const std::string& extra);

struct CCatchEditRules {
    std::string allowed;
    int maxLength = 32767;
    int decimals = 999;        // digits after the last "."; negative: no "." at all
    bool severalDots = false;
};

// Whether `text` may stand in the field.
bool CatchEditAccepts(const CCatchEditRules& rules, const std::string& text);

class CCatchEditFilter {
public:
    struct Result {
        std::string text;      // what the field shows now
        bool refused = false;  // the change was undone: select the text whole
    };

    CCatchEditRules rules;

    // The field's text became `text`.
    Result Filter(const std::string& text);
    const std::string& LastAccepted() const { return m_last; }
    // Takes `text` as accepted without checking (the owner set it).
    void Reset(const std::string& text) { m_last = text; }

private:
    std::string m_last;
};
