#include "FirmwareFunctions.h"

#include "CDownloadFirmwareDlg.h"
#include "shell/views/CMainWindow.h"

void WireFirmwareFunction(CMainWindow& window)
{
    window.SetFunction(JxMainFunction::DownloadFirmware, [](CMainWindow& w) {
        // The window has its own link: the main window's stays as it is.
        CDownloadFirmwareDlg dialog(&w, w.App());
        dialog.exec();
    });
}
