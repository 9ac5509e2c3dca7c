#include "PortMap.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace jxsim {

namespace {
std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// The COM number a line names, or -1.
int LineNumber(const std::string& line, std::string* device)
{
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') return -1;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return -1;
    std::string key = Trim(t.substr(0, eq));
    for (auto& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (key.size() < 4 || key.compare(0, 3, "COM") != 0) return -1;
    char* end = nullptr;
    const long n = std::strtol(key.c_str() + 3, &end, 10);
    if (end == nullptr || *end != '\0') return -1;
    if (device != nullptr) *device = Trim(t.substr(eq + 1));
    return static_cast<int>(n);
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string& error)
{
    // Make the folder, then replace the file in one rename.
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = path.substr(0, slash);
        for (size_t pos = 1; pos <= folder.size(); ++pos)
            if (pos == folder.size() || folder[pos] == '/') mkdir(folder.substr(0, pos).c_str(), 0755);
    }
    const std::string temp = path + ".jxsim-" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& l : lines) out << l << '\n';
        if (!out) {
            error = "cannot write " + temp;
            return false;
        }
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}
}  // namespace

std::string DefaultPortMapPath()
{
    if (const char* env = std::getenv("KORNET_PORTMAP"); env != nullptr && *env != '\0') return env;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/kornet/ports";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.config/kornet/ports";
    return {};
}

bool AddPortMapEntry(const std::string& mapPath, int number, const std::string& device,
                     std::vector<std::string>& replaced, std::string& error)
{
    if (mapPath.empty()) {
        error = "no port map: set KORNET_PORTMAP or HOME";
        return false;
    }
    std::vector<std::string> kept;
    replaced.clear();
    for (const auto& l : ReadLines(mapPath)) {
        if (LineNumber(l, nullptr) != number) kept.push_back(l);
        else replaced.push_back(l);
    }
    kept.push_back("COM" + std::to_string(number) + "=" + device);
    return WriteLines(mapPath, kept, error);
}

void RemovePortMapEntry(const std::string& mapPath, int number, const std::string& device,
                        const std::vector<std::string>& replaced)
{
    if (mapPath.empty()) return;
    std::vector<std::string> kept;
    bool found = false;
    for (const auto& l : ReadLines(mapPath)) {
        std::string d;
        if (LineNumber(l, &d) == number && d == device) {
            found = true;
            kept.insert(kept.end(), replaced.begin(), replaced.end());
            continue;
        }
        kept.push_back(l);
    }
    std::string error;
    if (found) WriteLines(mapPath, kept, error);
}

}  // namespace jxsim
