#include "StatusText.h"

#include <KorNet.h>

std::string DisplayErrorText(uint8_t code)
{
    switch (code) {
    case 0: return "No Error Detected";
    case 1: return "Can't Access File System";
    case 2: return "Can't Find the File(s)";
    case 3: return "Memory Allocation Error";
    case 4: return "Out of File Memory";
    case 5: return "Failed Flash ROM Write";
    case 7: return "Not Ready to Execute";
    case 8: return "Out of Range Error";
    case 14: return "Password Mismatch";
    default: return "No Known Cause";
    }
}

std::string StatusText(int16_t status, uint8_t displayError)
{
    switch (status) {
    case ERR_COMMAND_BUSY: return "Network is busy";
    case ERR_COMMAND_ALREADY_CONNECTED: return "Attempting to Connect Again";
    case ERR_COMMAND_NOT_CONFIGURED: return "Not Configured";
    case ERR_COMMAND_NO_CONNECTION: return "No Connection Made";
    case ERR_COMMAND_NO_BROADCAST: return "Can't Use with Broadcast Address";
    case ERR_SIGN_NO_RESPONSE: return "No Response from Display";
    case ERR_SIGN_INVALID_RESPONSE: return "Sign Invalid Response";
    case ERR_SIGN_UNSUPPORTED_COMMAND: return "Not Supported by Display";
    case ERR_SIGN_BAD_COMMAND: return "Bad Command";
    case ERR_SIGN_RESPONSE_ERROR: return DisplayErrorText(displayError);
    case ERR_NETWORK_CONNECT_FAILED: return "Network Connection Failed";
    case ERR_NETWORK_DISCONNECT_INVALID: return "Unable to Disconnect";
    case ERR_NETWORK_NO_WRITE: return "Unable to Send Data";
    case ERR_NETWORK_NO_READ: return "Unable to Read Data";
    case ERR_SOCKET_NO_CREATE: return "Can't Create Local Socket";
    case ERR_SOCKET_NO_INIT: return "Unable to Initialize";
    default: return "No Known Cause";
    }
}

std::string FormatName(const std::string& pattern, const std::string& value)
{
    const auto at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + value + pattern.substr(at + 2);
}

std::string FailureText(const std::string& prefix, const std::string& document, int16_t status, uint8_t displayError)
{
    return FormatName(prefix, document) + StatusText(status, displayError);
}
