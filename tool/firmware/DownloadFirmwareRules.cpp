#include "DownloadFirmwareRules.h"

#include "shell/CJxConfigApp.h"
#include "shell/JxPaths.h"

CFirmwareDownloadRequest LoadFirmwareDownloadChoice(const CJxConfigApp& app)
{
    CFirmwareDownloadRequest choice;
    choice.firmwarePath = app.saved.firmwareFile;
    choice.driverPath = app.saved.firmwareDriver;
    choice.connection = LoadConnectionChoice(app);
    choice.highSpeed = true;
    return choice;
}

void StoreFirmwareDownloadChoice(CJxConfigApp& app, const CFirmwareDownloadRequest& choice)
{
    StoreConnectionChoice(app, choice.connection);
    app.saved.firmwareFile = choice.firmwarePath;
    app.saved.firmwareDriver = choice.driverPath;
}

bool HighSpeedAllowed(JxConnectionKind connectionKind) { return connectionKind == JxConnectionKind::Direct; }

std::string FirmwarePickerFilter(JxImageKind kind, const std::string& type)
{
    const char* what = kind == JxImageKind::Firmware ? "Jx Firmware File" : "Jx Firmware Driver";
    return std::string(what) + " (*" + type + ")";
}

std::string FirmwarePickerFolder(const std::string& fieldPath, const std::string& home)
{
    const size_t slash = fieldPath.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = slash == 0 ? std::string("/") : fieldPath.substr(0, slash);
        if (JxFolderExists(folder)) return folder;
    }
    return home;
}
