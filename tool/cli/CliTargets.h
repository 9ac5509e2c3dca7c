// Where korctl sends its commands: the targets of a run (one link each) and
// the display addresses on each target's line.
//
//   tcp:HOST[:PORT]          a controller on the network (port 3001 unless given)
//   com:N[@BAUD]             COM port N of the library's port map (19200 baud unless given)
//   dev:/dev/ttyUSB0[@BAUD]  a serial device by its path
//   dial:NUMBER@LINE         a call through the modem whose line identifier is LINE
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class CliTargetKind { Tcp, Com, Device, Dialup };

struct CliTarget {
    CliTargetKind kind = CliTargetKind::Tcp;
    std::string text;        // as the user wrote it: names the target in every output
    std::string host;        // tcp
    uint16_t port = 3001;    // tcp
    int com = 0;             // com (and dev, once the device has a COM number)
    std::string device;      // dev
    int32_t baud = 19200;    // com, dev
    std::string number;      // dial: the telephone number
    uint32_t line = 0;       // dial: the modem's line identifier

    bool operator==(const CliTarget&) const = default;
};

inline constexpr uint16_t kCliDefaultTcpPort = 3001;
inline constexpr int32_t kCliDefaultBaud = 19200;

// One target. False with a one-line `error` that names the target.
bool CliParseTarget(std::string_view text, CliTarget& target, std::string& error);
// "1,3,7-12": addresses 1 to 240 in the order written, each once. False with
// `error` for anything else (a broadcast address gets no replies to read).
bool CliParseAddressList(std::string_view text, std::vector<uint8_t>& addresses, std::string& error);
// A targets file: one target per line; blank lines and "#" comments (also
// after a target) are skipped. False with `error` naming the file and line.
bool CliParseTargetsText(std::string_view text, const std::string& fileName, std::vector<CliTarget>& targets,
                         std::string& error);
bool CliReadTargetsFile(const std::string& path, std::vector<CliTarget>& targets, std::string& error);
