#include "CConnectionChoice.h"

#include <cctype>

#include "shell/CJxConfigApp.h"

CConnectionChoice LoadConnectionChoice(const CJxConfigApp& app)
{
    CConnectionChoice c;
    c.kind = app.connectionKind;
    c.networkAddress = app.networkAddress;
    c.modemIndex = app.modemIndex;
    c.phoneNumber = app.phoneNumber;
    c.serialPort = app.serialPort;
    c.baud = app.serialBaud;
    c.ipAddress = app.ipAddress;
    c.useDefaultSocket = app.socketIsDefault;
    c.socketNumber = app.socketNumber;
    return c;
}

void StoreConnectionChoice(CJxConfigApp& app, const CConnectionChoice& c)
{
    app.connectionKind = c.kind;
    app.networkAddress = c.networkAddress;
    app.modemIndex = c.modemIndex;
    app.phoneNumber = c.phoneNumber;
    // The setting names the port ("COM3"); the device is looked up afresh.
    if (!c.serialPort.empty()) app.serialPort = PortNameOf(c.serialPort);
    app.serialBaud = c.baud;
    app.ipAddress = c.ipAddress;
    app.socketIsDefault = c.useDefaultSocket;
    app.socketNumber = c.useDefaultSocket ? kJxDefaultSocket : c.socketNumber;
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
