#include "CModemFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "CComPortMap.h"

namespace {
std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string Lower(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.c_str() + (hex ? 2 : 0);
    if (!std::isxdigit(static_cast<unsigned char>(*begin))) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v > max) return false;
    value = v;
    return true;
}

bool ParseSpeed(const std::string& text, uint32_t& speed)
{
    static const uint32_t kSpeeds[] = {300,   600,   1200,   2400,   4800,   9600,   19200,
                                       38400, 57600, 115200, 230400, 460800, 921600};
    uint64_t v = 0;
    if (!ParseUnsigned(text, 4000000, v)) return false;
    for (uint32_t s : kSpeeds)
        if (s == v) {
            speed = s;
            return true;
        }
    return false;
}

bool ParseDevice(std::string text, CModemEntry& entry)
{
    if (const auto at = text.rfind('@'); at != std::string::npos) {
        if (!ParseSpeed(Trim(text.substr(at + 1)), entry.speed)) return false;
        text = Trim(text.substr(0, at));
    }
    if (text.empty()) return false;
    if (text[0] == '/') {
        entry.device = text;
        entry.comPort = 0;
        return true;
    }
    std::string number = text;
    if (number.size() > 3 && Lower(number.substr(0, 3)) == "com") number = number.substr(3);
    uint64_t n = 0;
    if (number.compare(0, 2, "0x") == 0 || !ParseUnsigned(number, 255, n) || n == 0) return false;
    entry.comPort = static_cast<int16_t>(n);
    entry.device.clear();
    return true;
}

bool ParseYesNo(const std::string& text, bool& value)
{
    const std::string t = Lower(text);
    if (t.empty() || t == "yes" || t == "y" || t == "data" || t == "true" || t == "1") {
        value = true;
        return true;
    }
    if (t == "no" || t == "n" || t == "voice" || t == "false" || t == "0") {
        value = false;
        return true;
    }
    return false;
}

std::string DataFolder()
{
    if (const char* dir = std::getenv("JXCONFIG_DATA_DIR"); dir != nullptr && *dir != '\0') return dir;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/Corvanta/Tolvar";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.local/share/Corvanta/Tolvar";
    return {};
}
}  // namespace

std::string KorNetModemFilePath()
{
    if (const char* env = std::getenv("KORNET_MODEMS"); env != nullptr && *env != '\0') return env;
    const std::string folder = DataFolder();
    return folder.empty() ? std::string() : folder + "/modems.txt";
}

bool KorNetParseModemLine(const std::string& line, CModemEntry& entry)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '|')) fields.push_back(Trim(field));
    if (!line.empty() && line.back() == '|') fields.emplace_back();
    if (fields.size() < 3 || fields.size() > 5) return false;

    CModemEntry e;
    e.name = fields[0];
    if (!ParseDevice(fields[1], e)) return false;
    uint64_t id = 0;
    if (!ParseUnsigned(fields[2], 0xFFFFFFFFu, id)) return false;
    e.lineId = static_cast<uint32_t>(id);
    if (fields.size() > 3 && !fields[3].empty()) {
        e.init = fields[3];
        // One command line: a line end or another control byte inside it
        // would make the modem run something nobody wrote here.
        for (char c : e.init)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        if (Lower(e.init.substr(0, 2)) != "at") e.init = "AT" + e.init;
    }
    if (fields.size() > 4 && !ParseYesNo(fields[4], e.dataCalls)) return false;
    for (char c : e.name)
        if (c == '\0') return false;
    entry = std::move(e);
    return true;
}

CModemFile KorNetParseModemFile(const std::string& text)
{
    CModemFile file;
    file.state = CModemFile::State::Read;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        CModemEntry entry;
        if (KorNetParseModemLine(t, entry)) file.modems.push_back(std::move(entry));
        else ++file.ignoredLines;
    }
    return file;
}

CModemFile KorNetReadModemFile(const std::string& path)
{
    CModemFile file;
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return file;  // Missing
    std::ifstream in(path, std::ios::binary);
    if (!in || S_ISDIR(st.st_mode)) {
        file.state = CModemFile::State::Unreadable;
        return file;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        file.state = CModemFile::State::Unreadable;
        return file;
    }
    return KorNetParseModemFile(text.str());
}

std::string KorNetModemDevicePath(const CModemEntry& entry)
{
    if (!entry.device.empty()) return entry.device;
    if (entry.comPort > 0) return KorNetResolveComPort(entry.comPort);
    return {};
}
