#include "CliResult.h"

#include <KorNet.h>

#include "shell/StatusText.h"

namespace {
struct StatusName {
    int16_t status;
    const char* name;
};
constexpr StatusName kNames[] = {
    {KORNET_OK, "KORNET_OK"},
    {ERR_COMMAND_BUSY, "ERR_COMMAND_BUSY"},
    {ERR_COMMAND_ALREADY_CONNECTED, "ERR_COMMAND_ALREADY_CONNECTED"},
    {ERR_COMMAND_NOT_CONFIGURED, "ERR_COMMAND_NOT_CONFIGURED"},
    {ERR_COMMAND_NO_CONNECTION, "ERR_COMMAND_NO_CONNECTION"},
    {ERR_COMMAND_NO_BROADCAST, "ERR_COMMAND_NO_BROADCAST"},
    {ERR_SIGN_NO_RESPONSE, "ERR_SIGN_NO_RESPONSE"},
    {ERR_SIGN_INVALID_RESPONSE, "ERR_SIGN_INVALID_RESPONSE"},
    {ERR_SIGN_UNSUPPORTED_COMMAND, "ERR_SIGN_UNSUPPORTED_COMMAND"},
    {ERR_SIGN_BAD_COMMAND, "ERR_SIGN_BAD_COMMAND"},
    {ERR_SIGN_RESPONSE_ERROR, "ERR_SIGN_RESPONSE_ERROR"},
    {ERR_SIGN_ABORT, "ERR_SIGN_ABORT"},
    {ERR_NETWORK_CONNECT_FAILED, "ERR_NETWORK_CONNECT_FAILED"},
    {ERR_NETWORK_DISCONNECT_INVALID, "ERR_NETWORK_DISCONNECT_INVALID"},
    {ERR_NETWORK_NO_WRITE, "ERR_NETWORK_NO_WRITE"},
    {ERR_NETWORK_NO_READ, "ERR_NETWORK_NO_READ"},
    {ERR_SOCKET_NO_CREATE, "ERR_SOCKET_NO_CREATE"},
    {ERR_SOCKET_NO_INIT, "ERR_SOCKET_NO_INIT"},
    {ERR_GRAPHIC_UNSUPPORTED_FORMAT, "ERR_GRAPHIC_UNSUPPORTED_FORMAT"},
    {ERR_DNS_NOT_INITIALISED, "ERR_DNS_NOT_INITIALISED"},
    {ERR_DNS_NETWORK_DOWN, "ERR_DNS_NETWORK_DOWN"},
    {ERR_DNS_HOST_NOT_FOUND, "ERR_DNS_HOST_NOT_FOUND"},
    {ERR_DNS_TRY_AGAIN, "ERR_DNS_TRY_AGAIN"},
    {ERR_DNS_NO_RECOVERY, "ERR_DNS_NO_RECOVERY"},
    {ERR_DNS_NO_DATA, "ERR_DNS_NO_DATA"},
    {ERR_DNS_IN_PROGRESS, "ERR_DNS_IN_PROGRESS"},
    {ERR_DNS_BAD_ADDRESS, "ERR_DNS_BAD_ADDRESS"},
    {ERR_DNS_INTERRUPTED, "ERR_DNS_INTERRUPTED"},
};

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

std::string CliStatusName(int16_t status)
{
    for (const auto& n : kNames)
        if (n.status == status) return n.name;
    return "status " + std::to_string(status);
}

int CliExitForStatus(int16_t status)
{
    if (status == KORNET_OK) return kCliSuccess;
    if (status == ERR_NETWORK_CONNECT_FAILED || status == ERR_COMMAND_NOT_CONFIGURED ||
        status == ERR_COMMAND_NO_CONNECTION || status == ERR_SOCKET_NO_CREATE || status == ERR_SOCKET_NO_INIT ||
        (status <= ERR_DNS_NOT_INITIALISED && status >= ERR_DNS_INTERRUPTED))
        return kCliNoConnect;
    if (status == ERR_SIGN_NO_RESPONSE || status == ERR_NETWORK_NO_READ || status == ERR_NETWORK_NO_WRITE)
        return kCliNoResponse;
    if (status == ERR_SIGN_RESPONSE_ERROR || status == ERR_SIGN_UNSUPPORTED_COMMAND || status == ERR_SIGN_BAD_COMMAND)
        return kCliRefused;
    return kCliSomeFailed;
}

int16_t CliStatusOfFailureText(const std::string& message)
{
    // The display's own error texts first: "No Known Cause" is also the
    // text of a status the tool has no words for.
    for (int code = 0; code < 256; ++code) {
        const std::string text = DisplayErrorText(static_cast<uint8_t>(code));
        if (text != "No Known Cause" && text != "No Error Detected" && EndsWith(message, text))
            return ERR_SIGN_RESPONSE_ERROR;
    }
    for (const auto& n : kNames) {
        if (n.status == KORNET_OK || n.status == ERR_SIGN_RESPONSE_ERROR) continue;
        const std::string text = StatusText(n.status);
        if (text != "No Known Cause" && EndsWith(message, text)) return n.status;
    }
    return ERR_SIGN_INVALID_RESPONSE;
}

int CliRunExit(const std::vector<CliResult>& results)
{
    int common = -1;
    bool anyOk = false;
    for (const auto& r : results) {
        if (r.Ok()) {
            anyOk = true;
            continue;
        }
        if (common == -1) common = r.exit;
        else if (common != r.exit) common = kCliSomeFailed;
    }
    if (common == -1) return kCliSuccess;
    return anyOk ? kCliSomeFailed : common;
}
