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

// The map's lines; none when there is no map yet. False when a map is
// there but cannot be read: rewriting it then would lose the user's lines.
bool ReadLines(const std::string& path, std::vector<std::string>& lines, std::string& error)
{
    lines.clear();
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT) return true;
    std::ifstream in(path);
    if (!in.is_open()) {
        error = "cannot read the port map " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    if (in.bad()) {
        error = "cannot read the port map " + path;
        return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Replaces the map in one rename, so it is either the old map or the whole
// new one: written under a name of its own beside it (a full disk, a file
// size limit, a failed close all leave the old map untouched).
bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string& error)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    if (slash != std::string::npos && slash > 0) {
        for (size_t pos = 1; pos <= folder.size(); ++pos)
            if (pos == folder.size() || folder[pos] == '/') mkdir(folder.substr(0, pos).c_str(), 0755);
    }
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + base + ".jxsim-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot write the port map " + path + ": " + std::strerror(errno) + "; it stays as it was";
        return false;
    }
    // Keep the map's permissions; a new one is readable by all, as a
    // configuration file is.
    struct stat st {};
    (void)fchmod(fd, stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    std::string text;
    for (const auto& l : lines) text += l + '\n';
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int why = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace the port map " + path + ": " + std::strerror(errno) + "; it stays as it was";
        unlink(temp.c_str());
        return false;
    }
    if (!ok) {
        error = "cannot write the port map " + path + ": " + std::strerror(why) + "; it stays as it was";
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
    std::vector<std::string> lines, kept;
    replaced.clear();
    if (!ReadLines(mapPath, lines, error)) return false;
    for (const auto& l : lines) {
        if (LineNumber(l, nullptr) != number) kept.push_back(l);
        else replaced.push_back(l);
    }
    kept.push_back("COM" + std::to_string(number) + "=" + device);
    return WriteLines(mapPath, kept, error);
}

bool RemovePortMapEntry(const std::string& mapPath, int number, const std::string& device,
                        const std::vector<std::string>& replaced, std::string& error)
{
    if (mapPath.empty()) return true;
    std::vector<std::string> lines, kept;
    if (!ReadLines(mapPath, lines, error)) return false;
    bool found = false;
    for (const auto& l : lines) {
        std::string d;
        if (LineNumber(l, &d) == number && d == device) {
            found = true;
            kept.insert(kept.end(), replaced.begin(), replaced.end());
            continue;
        }
        kept.push_back(l);
    }
    return !found || WriteLines(mapPath, kept, error);
}

}  // namespace jxsim
