// The value of an IP address field: four numbers 0 to 255, each of them
// blank or filled, as the operator left them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct CIpAddressValue {
    std::array<std::optional<uint8_t>, 4> parts;

    // Every number filled.
    bool Complete() const;
    // No number filled.
    bool Blank() const;
    // The number at `index`, a blank one read as 0.
    int Part(int index) const { return parts[index].value_or(0); }
    // "%d.%d.%d.%d", blanks as 0.
    std::string Text() const;

    // Four decimal numbers of 0 to 255 separated by dots ("192.168.1.50",
    // leading zeros allowed); any other text gives a blank value.
    static CIpAddressValue Parse(std::string_view text);
    static CIpAddressValue Of(int a, int b, int c, int d);

    bool operator==(const CIpAddressValue&) const = default;
};
