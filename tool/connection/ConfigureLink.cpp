#include "ConfigureLink.h"

#include "DialupRules.h"
#include "DirectRules.h"
#include "TcpIpRules.h"

bool ConfigureLink(CJxConfigApp& app, CKorNetwork& link, const CConnectionChoice& choice, CLinkOwner* owner)
{
    switch (choice.kind) {
    case JxConnectionKind::Dialup:
        return ConfigureDialupLink(app, link, choice.modemIndex, choice.phoneNumber);
    case JxConnectionKind::Direct:
        return ConfigureDirectLink(app, link, choice.serialPort, choice.baud, NetworkAddressValue(choice.networkAddress),
                                   owner);
    case JxConnectionKind::TcpIp:
        return ConfigureTcpIpLink(app, link, choice.ipAddress, choice.socketNumber, choice.useDefaultSocket);
    }
    return false;
}
