// The direct panel's rules: which serial ports it lists, the baud rates it
// offers, how a listed entry becomes a COM number, and the configure step
// with its baud rate auto-detection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CConnectionChoice.h"

class CJxConfigApp;
class CKorNetwork;
class CLinkOwner;

inline constexpr int kJxMaxListedPorts = 20;
inline constexpr const char* kJxAutoDetect = "Auto-detect";
// Rates tried by auto-detection, most likely first.
inline constexpr int32_t kJxAutoDetectRates[7] = {19200, 115200, 57600, 38400, 28800, 4800, 2400};
inline constexpr int kJxFoundPauseMs = 400;

// One serial port of the list: its entry "COMn (device)" and the device path
// alone (empty when the library knows none).
struct CListedPort {
    std::string entry;
    std::string device;
};
// The serial ports the library knows, in COM order; at most the first 20.
std::vector<CListedPort> ListSerialPortsWithDevices();
// Their entries alone.
std::vector<std::string> ListSerialPorts();
// The "Connection Baud Rate:" list: "Auto-detect", then the rates.
const std::vector<std::string>& BaudRateTexts();
// Decimal value of a baud text; kJxAutoDetectBaud for "Auto-detect".
int32_t BaudRateValue(const std::string& text);
// The list's text of a rate: "Auto-detect" for kJxAutoDetectBaud.
std::string BaudRateText(int32_t baud);
// COM number of a listed entry: every "COM" removed, then the number it
// starts with ("COM12 (/dev/ttyUSB3)" gives 12); 0 when there is none.
int16_t PortNumberFromEntry(const std::string& entry);

// Index of the entry that names the saved port ("COM3" selects
// "COM3 (/dev/ttyUSB0)" but never "COM31 (...)"), or -1.
int FindPortEntry(const std::vector<std::string>& entries, const std::string& saved);
// Index of the first entry that begins with `saved`, or -1.
int FindEntryByPrefix(const std::vector<std::string>& entries, const std::string& saved);

// Configure step of the direct panel: stores the port in the settings,
// applies the direct policies, then configures the link at the chosen rate
// or, for kJxAutoDetectBaud, finds the rate. `owner` (may be null) supplies
// the progress window and the cancel flag. True when the link is configured.
bool ConfigureDirectLink(CJxConfigApp& app, CKorNetwork& link, const std::string& portEntry, int32_t baud,
                         uint8_t address, CLinkOwner* owner);

// Tries each rate of kJxAutoDetectRates until a display at `address`
// answers a ping; leaves the link configured (not connected) at that rate.
bool AutoDetectBaudRate(CKorNetwork& link, int16_t port, uint8_t address, CLinkOwner* owner);

// "Configuring connection to display... \nAuto-detecting at 19200"
std::string AutoDetectText(int32_t rate);
