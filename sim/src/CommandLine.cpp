#include "CommandLine.h"

#include <cerrno>
#include <cstdlib>

#include "CController.h"
#include "CSimRegistry.h"

namespace jxsim {

namespace {
bool ParseInteger(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

// A byte count with an optional K (1000) or M (1000000) suffix.
bool ParseBytes(std::string text, uint64_t& value)
{
    uint64_t scale = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) scale = 1000;
    if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) scale = 1000000;
    if (scale != 1) text.pop_back();
    long long v = 0;
    if (!ParseInteger(text, 1, 4000000000LL, v)) return false;
    value = static_cast<uint64_t>(v) * scale;
    return value <= 4000000000ULL;
}

bool ParseListen(const std::string& text, std::string& host, uint16_t& port)
{
    const auto colon = text.rfind(':');
    std::string h = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string p = colon == std::string::npos ? text : text.substr(colon + 1);
    long long v = 0;
    if (!ParseInteger(p, 0, 65535, v)) return false;
    if (!h.empty()) host = h;
    port = static_cast<uint16_t>(v);
    return true;
}
}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CProgramOptions& o, std::string& error)
{
    bool addressGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto integer = [&](long long low, long long high, long long& out) {
            std::string v;
            if (!value(v)) return false;
            if (!ParseInteger(v, low, high, out)) {
                error = a + ": \"" + v + "\" is not a number from " + std::to_string(low) + " to " + std::to_string(high);
                return false;
            }
            return true;
        };
        long long n = 0;
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--listen") {
            if (!value(v)) return false;
            if (!ParseListen(v, o.host, o.port)) {
                error = "--listen: \"" + v + "\" is not HOST:PORT";
                return false;
            }
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--com") {
            if (!integer(1, 255, n)) return false;
            o.com = static_cast<int>(n);
        } else if (a == "--portmap") {
            if (!value(o.portMap)) return false;
        } else if (a == "--baud") {
            if (!integer(1, 4000000, n)) return false;
            if (!CController::IsSupportedBaud(static_cast<uint32_t>(n))) {
                error = "--baud: " + std::to_string(n) + " is not a speed a controller runs at";
                return false;
            }
            o.sim.baud = static_cast<uint32_t>(n);
        } else if (a == "--make-firmware") {
            if (!value(o.makeFirmware)) return false;
        } else if (a == "--pace") {
            o.sim.pace = true;
        } else if (a == "--address") {
            if (!integer(1, 240, n)) return false;
            if (!addressGiven) o.sim.addresses.clear();
            addressGiven = true;
            for (uint8_t existing : o.sim.addresses)
                if (existing == n) {
                    error = "--address " + std::to_string(n) + " is given twice";
                    return false;
                }
            o.sim.addresses.push_back(static_cast<uint8_t>(n));
        } else if (a == "--root") {
            if (!value(o.sim.root)) return false;
        } else if (a == "--memory") {
            if (!value(v)) return false;
            if (!ParseBytes(v, o.sim.memoryBytes)) {
                error = "--memory: \"" + v + "\" is not a size in bytes (suffix K or M allowed)";
                return false;
            }
        } else if (a == "--version") {
            if (!value(o.sim.version)) return false;
            if (o.sim.version.empty()) {
                error = "--version needs a version such as 3.08";
                return false;
            }
        } else if (a == "--name") {
            if (!value(o.sim.displayName)) return false;
        } else if (a == "--boot-ms") {
            if (!integer(0, 600000, n)) return false;
            o.sim.bootMs = static_cast<int>(n);
        } else if (a == "--no-samples") {
            o.sim.samples = false;
        } else if (a == "--get-block-size") {
            if (!integer(1, 246, n)) return false;
            o.sim.getBlockSize = static_cast<uint16_t>(n);
        } else if (a == "--no-compression") {
            o.sim.compression = false;
        } else if (a == "--drop") {
            if (!integer(0, 1000000, n)) return false;
            o.drop = static_cast<int>(n);
        } else if (a == "--corrupt") {
            if (!integer(0, 1000000, n)) return false;
            o.corrupt = static_cast<int>(n);
        } else if (a == "--wrong-seq") {
            if (!integer(0, 1000000, n)) return false;
            o.wrongSeq = static_cast<int>(n);
        } else if (a == "--garbage") {
            if (!integer(0, 1000000, n)) return false;
            o.garbage = static_cast<int>(n);
        } else if (a == "--byte-delay") {
            if (!integer(0, 10000, n)) return false;
            o.byteDelayMs = static_cast<int>(n);
        } else if (a == "--close-after") {
            if (!integer(0, 65535, n)) return false;
            o.closeAfter = static_cast<int>(n);
        } else if (a == "--fail-file") {
            if (!value(v)) return false;
            const auto eq = v.rfind('=');
            long long e = 0;
            if (eq == std::string::npos || eq == 0 || !ParseInteger(v.substr(eq + 1), 1, 255, e)) {
                error = "--fail-file: \"" + v + "\" is not NAME=ERROR (error byte 1 to 255)";
                return false;
            }
            o.failFiles.emplace_back(v.substr(0, eq), static_cast<uint8_t>(e));
        } else if (a == "--fault-rate") {
            if (!value(v)) return false;
            char* end = nullptr;
            const double r = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(r >= 0.0 && r <= 1.0)) {
                error = "--fault-rate: \"" + v + "\" is not a fraction from 0 to 1";
                return false;
            }
            o.faultRate = r;
        } else if (a == "--seed") {
            if (!integer(0, 4294967295LL, n)) return false;
            o.seed = static_cast<uint32_t>(n);
        } else if (a == "--verbose") {
            o.sim.logFrames = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0 && CSimRegistry::Instance().FindFrontEnd(a.substr(2))) {
            const CLineFrontEnd* f = CSimRegistry::Instance().FindFrontEnd(a.substr(2));
            o.sim.frontEnd = f->name;
            if (!f->valueName.empty() && !value(o.sim.frontEndValue)) return false;
        } else {
            error = "unknown option \"" + a + "\" (see --help)";
            return false;
        }
    }
    if (o.com != 0 && !o.pty) {
        error = "--com needs --pty";
        return false;
    }
    return true;
}

std::string UsageText()
{
    std::string t =
        "Usage: jxsim [options]\n"
        "Tolvar Jx display controllers in software, on a TCP port or a pseudo-terminal.\n"
        "\n"
        "Line:\n"
        "  --listen HOST:PORT   one TCP client at a time (default 127.0.0.1:3001; port 0: any free port)\n"
        "  --pty                a new pseudo-terminal instead of TCP; its path is printed\n"
        "  --com N              with --pty: enter it in the port map as COM N (taken out at exit)\n"
        "  --portmap FILE       the port map for --com (default $KORNET_PORTMAP, else ~/.config/kornet/ports)\n"
        "  --baud RATE          the controllers' line speed (default 19200); on a pseudo-terminal\n"
        "                       they answer only a host whose port is set to the same speed\n"
        "  --pace               with --pty: bytes go and come at the line speed (10 bits a byte),\n"
        "                       as on a cable\n"
        "\n"
        "Controllers:\n"
        "  --address A          a controller at address A, 1 to 240; repeat for a chain (default 1)\n"
        "  --root DIR           keep the files in DIR (a sub-folder per address when there are\n"
        "                       several) instead of memory; put files there to serve them\n"
        "  --memory BYTES       file memory of each controller (default 8000000; suffix K or M)\n"
        "  --version V          firmware version in STATUS.XML (default 3.08, shown as TJX-3.08)\n"
        "  --name TEXT          display name in the factory CONFIG.XML\n"
        "  --boot-ms MS         silence after a reset (default 3000)\n"
        "  --no-samples         start with CONFIG.XML only\n"
        "  --no-compression     answer compressed file commands as unsupported (an older controller)\n"
        "  --get-block-size N   data bytes per block of the files it sends (default 246)\n"
        "\n"
        "Faults:\n"
        "  --drop N             drop the next N replies\n"
        "  --corrupt N          break the checksum of the next N replies\n"
        "  --wrong-seq N        give the next N replies a wrong sequence nibble\n"
        "  --garbage N          send noise before the next N replies\n"
        "  --byte-delay MS      wait MS milliseconds between the bytes of every reply\n"
        "  --fail-file NAME=E   commands naming file NAME fail with error byte E\n"
        "  --close-after N      cut the line after N data blocks of the next transfer\n"
        "  --fault-rate R       random faults in a fraction R (0 to 1) of the exchanges\n"
        "  --seed S             seed of the random faults (default 1)\n"
        "\n"
        "Firmware:\n"
        "  --make-firmware FILE write a firmware image of --version (default 3.08) to FILE and exit;\n"
        "                       a controller that gets it and is reset reports that version\n"
        "\n"
        "Output:\n"
        "  --verbose            log every frame, data blocks and syncs too\n"
        "  --quiet              print only where it listens, and errors\n"
        "  --help               this text\n";
    const auto& frontEnds = CSimRegistry::Instance().FrontEnds();
    if (!frontEnds.empty()) {
        t += "\nLine front ends:\n";
        for (const auto& f : frontEnds) {
            std::string left = "  --" + f.name + (f.valueName.empty() ? "" : " " + f.valueName);
            if (left.size() < 23) left.resize(23, ' ');
            else left += ' ';
            t += left + f.help + "\n";
        }
    }
    return t;
}

}  // namespace jxsim
