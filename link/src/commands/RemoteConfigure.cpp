// TCP/IP configuration of a link: a controller by its IPv4 address or by a
// host name.
#include <string>

#include "../CKorNetLink.h"
#include "../ports/CKorNetIpPort.h"

int16_t CKorNetwork::ConfigureRemote(const uint8_t address[4], int16_t tcpPort)
{
    CKorNetLink& link = *m_link;
    if (link.connected.load()) return ERR_COMMAND_ALREADY_CONNECTED;
    if (address == nullptr) {
        // No address to store: the link gets a port that cannot connect.
        const int16_t status = link.ReplacePort(std::make_unique<CKorNetIpPort>(tcpPort), std::string(link.logFileName));
        return status != KORNET_OK ? status : ERR_DNS_BAD_ADDRESS;
    }
    return link.ReplacePort(std::make_unique<CKorNetIpPort>(address, tcpPort),
                            KorNetRemoteLogName(address, static_cast<uint16_t>(tcpPort)));
}

int16_t CKorNetwork::ConfigureRemoteDNS(const char* hostName, int16_t tcpPort)
{
    CKorNetLink& link = *m_link;
    // Refuse before a look-up that may take seconds.
    if (link.connected.load()) return ERR_COMMAND_ALREADY_CONNECTED;
    uint8_t address[4] = {};
    const int16_t lookup = KorNetResolveHost(hostName, address);
    if (lookup == KORNET_OK)
        return link.ReplacePort(std::make_unique<CKorNetIpPort>(address, tcpPort),
                                KorNetRemoteLogName(address, static_cast<uint16_t>(tcpPort)));
    // The previous port goes either way. The new one has no address, so a
    // Connect without a fresh configuration fails instead of reaching some
    // other machine; the log keeps its previous name, as nothing can be sent.
    const int16_t status = link.ReplacePort(std::make_unique<CKorNetIpPort>(tcpPort), std::string(link.logFileName));
    return status != KORNET_OK ? status : lookup;
}
