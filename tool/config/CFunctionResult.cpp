#include "CFunctionResult.h"

#include "shell/CJxConfigApp.h"

void CConnectionSettingUpdate::ApplyTo(CJxConfigApp& app) const
{
    switch (setting) {
    case Setting::None:
        break;
    case Setting::NetworkAddress:
        app.saved.networkAddress = value;
        break;
    case Setting::IpAddress:
        app.saved.ipAddress = value;
        break;
    case Setting::Connection:
        app.saved.serialBaud = serialBaud;
        app.saved.socketNumber = socketNumber;
        app.saved.socketIsDefault = socketIsDefault;
        break;
    }
}
