#include "FileTransferFunctions.h"

#include "CFileTransferConnectDlg.h"
#include "shell/views/CMainWindow.h"

void WireFileTransferFunction(CMainWindow& window)
{
    window.SetFunction(JxMainFunction::FileTransfer, [](CMainWindow& w) {
        // The connection window has its own link: the main window's stays as it is.
        CFileTransferConnectDlg dialog(&w, w.App());
        dialog.exec();
    });
}
