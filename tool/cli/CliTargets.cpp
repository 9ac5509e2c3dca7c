#include "CliTargets.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>

namespace {

// A whole decimal number within [low, high]; nothing else.
bool Number(std::string_view text, int64_t low, int64_t high, int64_t& value)
{
    if (text.empty() || text.size() > 12) return false;
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
    value = v;
    return true;
}

std::string_view Trim(std::string_view s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// "...@BAUD": splits off and checks the speed.
bool SplitBaud(std::string_view& rest, int32_t& baud, std::string& why)
{
    const auto at = rest.rfind('@');
    if (at == std::string_view::npos) return true;
    int64_t value = 0;
    if (!Number(rest.substr(at + 1), 50, 4000000, value)) {
        why = "the speed after @ must be a number of baud (50 to 4000000)";
        return false;
    }
    baud = static_cast<int32_t>(value);
    rest = rest.substr(0, at);
    return true;
}

bool Parse(std::string_view text, CliTarget& t, std::string& why)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        why = "expected tcp:HOST[:PORT], com:N[@BAUD], dev:PATH[@BAUD] or dial:NUMBER@LINE";
        return false;
    }
    const std::string_view scheme = text.substr(0, colon);
    std::string_view rest = text.substr(colon + 1);
    int64_t value = 0;
    if (scheme == "tcp") {
        t.kind = CliTargetKind::Tcp;
        const auto portColon = rest.rfind(':');
        if (portColon != std::string_view::npos) {
            if (!Number(rest.substr(portColon + 1), 1, 65535, value)) {
                why = "the port must be a number from 1 to 65535";
                return false;
            }
            t.port = static_cast<uint16_t>(value);
            rest = rest.substr(0, portColon);
        }
        if (rest.empty() || rest.find_first_of(" \t/@:") != std::string_view::npos) {
            why = "the host must be a name or an IPv4 address";
            return false;
        }
        t.host = rest;
        return true;
    }
    if (scheme == "com") {
        t.kind = CliTargetKind::Com;
        if (!SplitBaud(rest, t.baud, why)) return false;
        if (!Number(rest, 1, 255, value)) {
            why = "the COM port must be a number from 1 to 255";
            return false;
        }
        t.com = static_cast<int>(value);
        return true;
    }
    if (scheme == "dev") {
        t.kind = CliTargetKind::Device;
        if (!SplitBaud(rest, t.baud, why)) return false;
        if (rest.empty() || rest.front() != '/') {
            why = "the device must be an absolute path such as /dev/ttyUSB0";
            return false;
        }
        t.device = rest;
        return true;
    }
    if (scheme == "dial") {
        t.kind = CliTargetKind::Dialup;
        const auto at = rest.rfind('@');
        if (at == std::string_view::npos || !Number(rest.substr(at + 1), 0, 0xFFFFFFFFLL, value)) {
            why = "expected dial:NUMBER@LINE with the modem's line identifier (korctl modems)";
            return false;
        }
        const std::string_view number = rest.substr(0, at);
        if (number.empty() || number.find_first_not_of("0123456789+-*#,() wWpPtT") != std::string_view::npos) {
            why = "the telephone number may hold digits, spaces and + - * # , ( ) W P T only";
            return false;
        }
        t.number = number;
        t.line = static_cast<uint32_t>(value);
        return true;
    }
    why = "unknown kind '" + std::string(scheme) + "' (tcp, com, dev or dial)";
    return false;
}

}  // namespace

bool CliParseTarget(std::string_view text, CliTarget& target, std::string& error)
{
    CliTarget t;
    t.text = text;
    std::string why;
    if (!Parse(text, t, why)) {
        error = "malformed target '" + std::string(text) + "': " + why;
        return false;
    }
    target = std::move(t);
    return true;
}

bool CliParseAddressList(std::string_view text, std::vector<uint8_t>& addresses, std::string& error)
{
    std::vector<uint8_t> list;
    auto fail = [&](std::string_view item, const std::string& why) {
        error = "malformed address list '" + std::string(text) + "' at '" + std::string(item) + "': " + why;
        return false;
    };
    if (text.empty()) return fail(text, "empty");
    size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        const std::string_view item = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        const auto dash = item.find('-');
        int64_t low = 0, high = 0;
        const bool ok = dash == std::string_view::npos
                            ? Number(item, 1, 240, low) && (high = low, true)
                            : Number(item.substr(0, dash), 1, 240, low) && Number(item.substr(dash + 1), 1, 240, high);
        if (!ok) return fail(item, "addresses are numbers from 1 to 240, or ranges such as 7-12");
        if (low > high) return fail(item, "a range goes from the lower address to the higher");
        for (int64_t a = low; a <= high; ++a) {
            const auto address = static_cast<uint8_t>(a);
            if (std::find(list.begin(), list.end(), address) == list.end()) list.push_back(address);
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    addresses = std::move(list);
    return true;
}

bool CliParseTargetsText(std::string_view text, const std::string& fileName, std::vector<CliTarget>& targets,
                         std::string& error)
{
    std::istringstream in{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string_view content = line;
        if (const auto hash = content.find('#'); hash != std::string_view::npos) content = content.substr(0, hash);
        content = Trim(content);
        if (content.empty()) continue;
        CliTarget target;
        std::string why;
        if (!CliParseTarget(content, target, why)) {
            error = fileName + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        targets.push_back(std::move(target));
    }
    return true;
}

bool CliReadTargetsFile(const std::string& path, std::vector<CliTarget>& targets, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read targets file '" + path + "'";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return CliParseTargetsText(text.str(), path, targets, error);
}
