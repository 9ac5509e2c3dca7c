#include "CatchEditFilter.h"

std::string CatchEditCharacters(uint32_t classes, const std::string& extra)
{
    std::string set;
    if (classes & kJxCatchDigits) set += "1234567890";
    if (classes & kJxCatchDot) set += ".";
    if (classes & kJxCatchLower) set += "abcdefghijklmnopqrstuvwxyz";
    if (classes & kJxCatchUpper) set += "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (classes & kJxCatchPunctuation) set += "`~!@#$%^&*()-_=+\\|]}[{'\";:/?.>,<";
    return set + extra;
}

bool CatchEditAccepts(const CCatchEditRules& rules, const std::string& text)
{
    if (static_cast<int64_t>(text.size()) > rules.maxLength) return false;
    bool dotSeen = false;
    int afterDot = 0;
    for (char ch : text) {
        if (rules.allowed.find(ch) == std::string::npos) return false;
        if (ch == '.') {
            if (rules.decimals < 0) return false;
            if (dotSeen && !rules.severalDots) return false;
            dotSeen = true;
            afterDot = 0;
            continue;
        }
        if (dotSeen && ++afterDot > rules.decimals) return false;
    }
    return true;
}

CCatchEditFilter::Result CCatchEditFilter::Filter(const std::string& text)
{
    if (text == m_last) return {text, false};
    if (rules.maxLength >= 0 && static_cast<int64_t>(m_last.size()) > rules.maxLength)
        m_last.resize(static_cast<size_t>(rules.maxLength));
    if (!CatchEditAccepts(rules, text)) return {m_last, true};
    m_last = text;
    return {text, false};
}
