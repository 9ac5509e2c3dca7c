#include "CIpAddressValue.h"

bool CIpAddressValue::Complete() const
{
    for (const auto& p : parts)
        if (!p) return false;
    return true;
}

bool CIpAddressValue::Blank() const
{
    for (const auto& p : parts)
        if (p) return false;
    return true;
}

std::string CIpAddressValue::Text() const
{
    return std::to_string(Part(0)) + "." + std::to_string(Part(1)) + "." + std::to_string(Part(2)) + "." +
           std::to_string(Part(3));
}

CIpAddressValue CIpAddressValue::Parse(std::string_view text)
{
    CIpAddressValue value;
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.') return {};
            ++at;
        }
        int number = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            number = number * 10 + (text[at] - '0');
            ++at;
            if (++digits > 3) return {};
        }
        if (digits == 0 || number > 255) return {};
        value.parts[i] = static_cast<uint8_t>(number);
    }
    if (at != text.size()) return {};
    return value;
}

CIpAddressValue CIpAddressValue::Of(int a, int b, int c, int d)
{
    CIpAddressValue value;
    const int n[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) value.parts[i] = static_cast<uint8_t>(n[i]);
    return value;
}
