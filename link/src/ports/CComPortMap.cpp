#include "CComPortMap.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <set>
#include <sys/ioctl.h>
#include <unistd.h>

#include "KorNet.h"

std::string KorNetPortMapPath()
{
    if (const char* env = std::getenv("KORNET_PORTMAP"); env != nullptr && *env != '\0') return env;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/kornet/ports";
}

namespace {
std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<CComPortEntry> ReadPortMap()
{
    std::vector<CComPortEntry> entries;
    const std::string path = KorNetPortMapPath();
    if (path.empty()) return entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = Trim(line.substr(0, eq));
        const std::string device = Trim(line.substr(eq + 1));
        if (name.size() < 4 || device.empty()) continue;
        for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name.compare(0, 3, "COM") != 0) continue;
        char* end = nullptr;
        const long n = std::strtol(name.c_str() + 3, &end, 10);
        if (end == nullptr || *end != '\0' || n < 1 || n > 255) continue;
        // A later line for the same number replaces the earlier one.
        auto same = std::find_if(entries.begin(), entries.end(), [n](const CComPortEntry& e) { return e.number == n; });
        if (same != entries.end()) same->device = device;
        else entries.push_back({static_cast<int16_t>(n), device});
    }
    return entries;
}

// The 8250 driver creates ttyS0..31 whether or not a UART is fitted; only the
// ones whose port type is known are real.
bool IsRealUart(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    serial_struct info{};
    const bool real = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    close(fd);
    return real;
}

std::vector<std::string> SerialDevicesPresent()
{
    static const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"};
    struct Found {
        int family;
        long number;
        std::string path;
    };
    std::vector<Found> found;
    DIR* dir = opendir("/dev");
    if (dir == nullptr) return {};
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        for (int f = 0; f < 5; ++f) {
            const size_t len = std::strlen(kFamilies[f]);
            if (name.size() <= len || name.compare(0, len, kFamilies[f]) != 0) continue;
            char* end = nullptr;
            const long n = std::strtol(name.c_str() + len, &end, 10);
            if (end == nullptr || *end != '\0') continue;
            found.push_back({f, n, "/dev/" + name});
        }
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.family != b.family ? a.family < b.family : a.number < b.number;
    });
    std::vector<std::string> paths;
    for (const auto& f : found) {
        if (f.family == 0 && !IsRealUart(f.path)) continue;
        paths.push_back(f.path);
    }
    return paths;
}
}  // namespace

std::vector<CComPortEntry> KorNetComPorts()
{
    std::vector<CComPortEntry> ports = ReadPortMap();
    std::set<int16_t> taken;
    std::set<std::string> mapped;
    for (const auto& p : ports) {
        taken.insert(p.number);
        mapped.insert(p.device);
    }
    int16_t next = 1;
    for (const auto& device : SerialDevicesPresent()) {
        if (mapped.count(device) != 0) continue;
        while (taken.count(next) != 0) ++next;
        if (next > 255) break;
        ports.push_back({next, device});
        taken.insert(next);
    }
    std::sort(ports.begin(), ports.end(), [](const CComPortEntry& a, const CComPortEntry& b) { return a.number < b.number; });
    return ports;
}

std::string KorNetResolveComPort(int16_t number)
{
    // The map decides without probing devices.
    for (const auto& p : ReadPortMap())
        if (p.number == number) return p.device;
    for (const auto& p : KorNetComPorts())
        if (p.number == number) return p.device;
    return {};
}

int16_t KorNetListComPorts(KorNetComPort* ports, int16_t capacity)
{
    const auto all = KorNetComPorts();
    for (size_t i = 0; ports != nullptr && i < all.size() && i < static_cast<size_t>(std::max<int16_t>(capacity, 0)); ++i) {
        ports[i].number = all[i].number;
        std::snprintf(ports[i].device, sizeof ports[i].device, "%s", all[i].device.c_str());
    }
    return static_cast<int16_t>(all.size());
}

bool KorNetComPortDevice(int16_t number, char* path, size_t size)
{
    const std::string device = KorNetResolveComPort(number);
    if (path != nullptr && size > 0) std::snprintf(path, size, "%s", device.c_str());
    return !device.empty();
}
