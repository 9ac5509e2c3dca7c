#include "DownloadFirmwareRules.h"

#include "shell/CJxConfigApp.h"
#include "shell/CJxPaths.h"

CFirmwareDownloadRequest LoadFirmwareDownloadChoice(const CJxConfigApp& app)
{
    CFirmwareDownloadRequest choice;
    choice.firmwarePath = app.savedFirmwareFile;
    choice.driverPath = app.savedFirmwareDriver;
    choice.connection = LoadConnectionChoice(app);
    choice.highSpeed = true;
    return choice;
}

void StoreFirmwareDownloadChoice(CJxConfigApp& app, const CFirmwareDownloadRequest& choice)
{
    StoreConnectionChoice(app, choice.connection);
    app.savedFirmwareFile = choice.firmwarePath;
    app.savedFirmwareDriver = choice.driverPath;
}

bool HighSpeedAllowed(int connectionKind) { return connectionKind == kJxDirect; }

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
