#include "ConfigureLink.h"

#include "DialupRules.h"
#include "DirectRules.h"
#include "TcpIpRules.h"

bool ConfigureLink(CJxConfigApp& app, CKorNetwork& link, const CConnectionChoice& choice, CLinkOwner* owner)
{
    switch (choice.kind) {
    case 0:
        return ConfigureDialupLink(app, link, choice.modemIndex, choice.phoneNumber);
    case 1:
        return ConfigureDirectLink(app, link, choice.serialPort, choice.baud, NetworkAddressValue(choice.networkAddress),
                                   owner);
    case 2:
        return ConfigureTcpIpLink(app, link, choice.ipAddress, choice.socketNumber, choice.useDefaultSocket);
    default:
        return false;
    }
}
