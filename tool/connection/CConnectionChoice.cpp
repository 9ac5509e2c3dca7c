#include "CConnectionChoice.h"

#include <cctype>

#include "shell/CJxConfigApp.h"

CConnectionChoice LoadConnectionChoice(const CJxConfigApp& app)
{
    CConnectionChoice c;
    c.kind = app.saved.connectionKind;
    c.networkAddress = app.saved.networkAddress;
    c.modemIndex = app.saved.modemIndex;
    c.phoneNumber = app.saved.phoneNumber;
    c.serialPort = app.saved.serialPort;
    c.baud = app.saved.serialBaud;
    c.ipAddress = app.saved.ipAddress;
    c.useDefaultSocket = app.saved.socketIsDefault;
    c.socketNumber = app.saved.socketNumber;
    return c;
}

void StoreConnectionChoice(CJxConfigApp& app, const CConnectionChoice& c)
{
    app.saved.connectionKind = c.kind;
    app.saved.networkAddress = c.networkAddress;
    app.saved.modemIndex = c.modemIndex;
    app.saved.phoneNumber = c.phoneNumber;
    // The setting names the port ("COM3"); the device is looked up afresh.
    if (!c.serialPort.empty()) app.saved.serialPort = PortNameOf(c.serialPort);
    app.saved.serialBaud = c.baud;
    app.saved.ipAddress = c.ipAddress;
    app.saved.socketIsDefault = c.useDefaultSocket;
    app.saved.socketNumber = c.useDefaultSocket ? kJxDefaultSocket : c.socketNumber;
}

int64_t LeadingNumber(const std::string& text)
{
    int64_t value = 0;
    for (char ch : text) {
        if (!std::isdigit(static_cast<unsigned char>(ch))) break;
        value = value * 10 + (ch - '0');
        if (value > 0x7fffffff) return 0x7fffffff;
    }
    return value;
}

std::optional<std::string> CorrectNetworkAddress(const std::string& text)
{
    const int64_t value = LeadingNumber(text);
    if (value == 0) return std::string("1");
    if (value >= 241) return std::string("240");
    return std::nullopt;
}

uint8_t NetworkAddressValue(const std::string& text)
{
    const int64_t value = LeadingNumber(text);
    if (value < 1) return 1;
    if (value > 240) return 240;
    return static_cast<uint8_t>(value);
}

std::string PortNameOf(const std::string& entry)
{
    const auto space = entry.find(' ');
    return space == std::string::npos ? entry : entry.substr(0, space);
}
