#include "TcpIpRules.h"

#include <KorNet.h>

#include "CConnectionChoice.h"
#include "shell/CJxConfigApp.h"

int32_t SocketNumberFromText(const std::string& socketText)
{
    // LeadingNumber saturates at the largest int32_t.
    return static_cast<int32_t>(LeadingNumber(socketText));
}

std::string SocketNumberText(int32_t socketNumber)
{
    return socketNumber == 0 ? std::string() : std::to_string(socketNumber);
}

int32_t SocketValue(int32_t socketNumber, bool useDefault)
{
    if (useDefault) return kJxDefaultSocket;
    return socketNumber >= 1 && socketNumber <= 65535 ? socketNumber : 0;
}

namespace {
std::string Trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
}  // namespace

bool ConfigureTcpIpLink(CJxConfigApp& app, CKorNetwork& link, const std::string& address, int32_t socketNumber,
                        bool useDefault)
{
    const int32_t socket = SocketValue(socketNumber, useDefault);
    // A number that is no TCP port would reach some other port once cut to
    // 16 bits; refuse it (and keep it out of the settings) instead.
    if (socket == 0) return false;
    const std::string host = Trimmed(address);
    app.StoreSocket(socket, host);
    app.ApplyNetworkPolicies(link, JxPolicyKind::TcpIp);
    if (host.empty()) return false;
    return link.ConfigureRemoteDNS(host.c_str(), static_cast<int16_t>(static_cast<uint16_t>(socket))) == KORNET_OK;
}
