// The Communications group without its widgets: what the operator chose
// (connection kind, display address and the fields of each panel), where
// that choice comes from and goes back to in the settings, and the rule of
// the "Network Address:" field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ConnectionKind.h"

class CJxConfigApp;

// The "Connection Baud Rate:" entry "Auto-detect": the rate is found by trying.
inline constexpr int32_t kJxAutoDetectBaud = 0;
inline constexpr int32_t kJxDefaultSocket = 3001;

struct CConnectionChoice {
    JxConnectionKind kind = JxConnectionKind::Direct;
    std::string networkAddress = "1";
    // dial-up panel
    int modemIndex = 0;
    std::string phoneNumber;
    // direct panel
    std::string serialPort;           // the entry as listed, "COM3 (/dev/ttyUSB0)", or just "COM3"
    int32_t baud = 19200;             // a rate, or kJxAutoDetectBaud
    // TCP/IP panel
    std::string ipAddress;
    bool useDefaultSocket = true;
    int32_t socketNumber = kJxDefaultSocket;  // as typed: 0 for an empty field, maybe no TCP port
};

// The choice as the settings remember it.
CConnectionChoice LoadConnectionChoice(const CJxConfigApp& app);
// Writes the choice back to the settings (after a connect, and on Exit).
void StoreConnectionChoice(CJxConfigApp& app, const CConnectionChoice& choice);

// The "Network Address:" field holds 1 to 240: whenever its text changes, 0
// (and an empty field) becomes "1" and 241 or more becomes "240". Returns the
// text that replaces `text`, or nothing when it stands.
std::optional<std::string> CorrectNetworkAddress(const std::string& text);
// The display address the field stands for (8 bits, as the library takes it).
uint8_t NetworkAddressValue(const std::string& text);

// Decimal value of the leading digits of `text` (0 when there are none),
// saturating instead of overflowing.
int64_t LeadingNumber(const std::string& text);

// "COM3 (/dev/ttyUSB0)" -> "COM3": the port's name without its device.
std::string PortNameOf(const std::string& entry);
