// The modem file: the modems a dial-up link can call with, one a line,
//
//     # name | device | line id | init string | data calls
//     Office modem | /dev/ttyUSB0 | 1 | AT&F&C1&D2 | yes
//     Bench modem  | COM4@57600   | 2
//
// name        shown in the modem list (its first 50 bytes); may be empty
// device      a device path, or a COM number ("COM4" or "4") through the
//             port map; "@speed" sets the speed of the serial line to the
//             modem (default 115200)
// line id     the permanent line identifier that ConfigureDialup names
//             (decimal, or hexadecimal with 0x)
// init string one AT command line sent before each call (optional; "AT"
//             is put in front when missing)
// data calls  yes/no (also data/voice, true/false, 1/0); default yes. Lines
//             that cannot place data calls stay out of the modem list.
//
// Blank lines and lines starting with '#' are skipped, and so are lines that
// do not fit the form (a line without a usable device or line id).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CModemEntry {
    std::string name;
    std::string device;      // a path, or empty when comPort names the device
    int16_t comPort = 0;     // COM number, or 0
    uint32_t speed = 115200;
    uint32_t lineId = 0;
    std::string init;        // empty: none
    bool dataCalls = true;
};

struct CModemFile {
    enum class State { Missing, Unreadable, Read } state = State::Missing;
    std::vector<CModemEntry> modems;
    int ignoredLines = 0;    // lines that did not fit the form
};

// $KORNET_MODEMS; else "modems.txt" in the data folder: $JXCONFIG_DATA_DIR,
// else $XDG_DATA_HOME/Corvanta/Tolvar, else ~/.local/share/Corvanta/Tolvar.
std::string KorNetModemFilePath();

CModemFile KorNetParseModemFile(const std::string& text);
CModemFile KorNetReadModemFile(const std::string& path);

// One line of the file; false when it is not a modem line.
bool KorNetParseModemLine(const std::string& line, CModemEntry& entry);

// The device path of a modem (its COM number resolved); empty when unknown.
std::string KorNetModemDevicePath(const CModemEntry& entry);
