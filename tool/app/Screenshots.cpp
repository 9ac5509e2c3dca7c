#include "Screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "MainFunctions.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/CConnectDlg.h"
#include "firmware/views/CDownloadFirmwareDlg.h"
#include "shell/CJxConfigApp.h"
#include "shell/CJxPaths.h"
#include "shell/MessageBox.h"
#include "shell/views/CAboutDlg.h"
#include "shell/views/CMainWindow.h"

namespace {
bool Save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    window.adjustSize();
    // Let the window system lay it out and paint it before it is taken.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    const bool ok = window.grab().save(path, "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    window.hide();
    return ok;
}
}  // namespace

int RenderScreenshots(CJxConfigApp& app, const std::string& programVersion, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "JxConfig: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    // Messages go to the terminal: nobody is there to close a box.
    CMessageSink* previous = JxSetMessageSink(nullptr);
    bool ok = true;

    CMainWindow main(app, programVersion);
    WireMainFunctions(main);
    ok &= Save(main, folder, "main-window.png");

    {
        const std::string& name = app.catalogueFileName;
        CAboutDlg about(&main, programVersion, JxJoinPath(JxShippedDataFolder(name), name));
        ok &= Save(about, folder, "about.png");
    }

    const char* const kPanels[3] = {"connect-dialup.png", "connect-direct.png", "connect-tcpip.png"};
    const int savedKind = app.connectionKind;
    for (int kind : {2, 1, 0}) {
        app.connectionKind = kind;
        CConnectDlg connect(&main, app, &main.Owner());
        ok &= Save(connect, folder, kPanels[kind]);
    }
    app.connectionKind = savedKind;

    {
        CCommProgressDialog progress(&main, &main.Owner());
        progress.SetStatusText("Configuring connection to display... \nAuto-detecting at 115200");
        progress.SetProgress(3, 10);
        ok &= Save(progress, folder, "communication-progress.png");
    }

    {
        // The window as an operator fills it in: an image and a driver on a direct line.
        const std::string savedFile = app.savedFirmwareFile, savedDriver = app.savedFirmwareDriver;
        const int savedKind = app.connectionKind;
        app.savedFirmwareFile = "/home/operator/firmware/MAIN.EXE";
        app.savedFirmwareDriver = "/home/operator/firmware/DISPLAY.RBF";
        app.connectionKind = kJxDirect;
        CDownloadFirmwareDlg download(&main, app);
        ok &= Save(download, folder, "download-firmware.png");
        app.savedFirmwareFile = savedFile;
        app.savedFirmwareDriver = savedDriver;
        app.connectionKind = savedKind;

        CCommProgressDialog progress(&download, &download.Owner());
        progress.SetStatusText("Downloading new firmware to display...");
        progress.SetProgress(412, 1250);
        ok &= Save(progress, folder, "download-firmware-progress.png");
    }

    {
        QMessageBox box(QMessageBox::Warning, kJxToolName, "Unable to connect to display: Network Connection Failed",
                        QMessageBox::Ok, &main);
        ok &= Save(box, folder, "message.png");
    }

    JxSetMessageSink(previous);
    return ok ? 0 : 1;
}
