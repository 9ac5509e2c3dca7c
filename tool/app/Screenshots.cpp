#include "Screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QMessageBox>
#include <QPixmap>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTimer>
#include <cstdio>

#include "MainFunctions.h"
#include "config/CConfigDocument.h"
#include "config/CTcpIpConfigPresenter.h"
#include "config/CTechnologyPanelModel.h"
#include "config/views/CAdvancedConfigDlg.h"
#include "config/views/CClockModeDlg.h"
#include "config/views/CSetConfigDlg.h"
#include "config/views/CTechnologyPanel.h"
#include "config/views/CSoftwareAddressDlg.h"
#include "config/views/CTcpIpConfigDlg.h"
#include "connection/LinkOperation.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/CConnectDlg.h"
#include "filetransfer/views/CFileTransferConnectDlg.h"
#include "filetransfer/views/CFileListModel.h"
#include "filetransfer/views/CFileTransferDlg.h"
#include "firmware/views/CDownloadFirmwareDlg.h"
#include "monitor/views/CLinkMonitorWnd.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/JxPaths.h"
#include "shell/MessageBox.h"
#include "shell/views/CAboutDlg.h"
#include "shell/views/CMainWindow.h"
#include "shell/views/CQtMessageSink.h"

namespace {
// The configuration functions' windows open on a display's CONFIG.XML; the
// pictures use one like a display in service has.
constexpr const char* kSampleConfig =
    "<?xml version=\"1.0\"?>\r\n<CFG ds=\"Bench TCP/IP\">\r\n<TIME clk=\"4\"/>\r\n"
    "<ADDR sw=\"5\" ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"\"/>\r\n</CFG>\r\n";

// Set Configuration opens on a display in service whose advanced options
// were changed (Ethernet port 3005, no RTD serial port): "Use Default" off.
constexpr const char* kSampleFullConfig =
    "<?xml version=\"1.0\"?>\r\n"
    "<CFG type=\"16X48MONO1.HLV.Jx\" ds=\"Lobby North\" mid=\"HLV-M16X48-1\" gamma=\"2.20\" logmax=\"20000\" "
    "mode=\"0\" tpl=\"55\" tph=\"65\" ldl=\"0\" hdl=\"100\" rfr=\"120\">\r\n"
    "<ADDR ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"\" sw=\"0\" ertd=\"1\"/>\r\n"
    "<TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>\r\n<ENET spd=\"AUTO\" dplx=\"AUTO\"/>\r\n"
    "<SCRTY user=\"Admin\" pswrd=\"\"/>\r\n"
    "<PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>\r\n"
    "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3005\"/>\r\n"
    "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>\r\n</CFG>\r\n";

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
// The File Transfer connection window, then the File Transfer window on the
// display scripts/run puts on COM1, with a few files of an operator's folder
// on the left.
bool SaveFileTransfer(CJxConfigApp& app, QWidget& main, const QString& folder)
{
    bool ok = true;
    const JxConnectionKind savedKind = app.saved.connectionKind;
    const std::string savedDirectory = app.saved.directory;
    app.saved.connectionKind = JxConnectionKind::Direct;
    CFileTransferConnectDlg connect(&main, app);
    ok &= Save(connect, folder, "file-transfer-connect.png");
    app.saved.connectionKind = savedKind;

    QTemporaryDir local;
    const struct {
        const char* name;
        int size;
    } files[] = {{"PLAYLIST.XML", 1843}, {"Welcome.txt", 212}, {"logo.bmp", 30774}, {"SCHEDULE.XML", 966}};
    for (const auto& f : files) {
        QFile file(local.filePath(f.name));
        if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(f.size, 'x'));
    }
    app.saved.directory = local.path().toStdString() + "/";

    CLinkOwner& owner = connect.Owner();
    CKorNetwork& link = owner.Link();
    link.SetTimeOut(500);
    const bool connected = link.ConfigureDirect(1, 19200, false) == KORNET_OK && link.Connect() == KORNET_OK;
    if (!connected) std::fprintf(stderr, "JxConfig: no display on COM1: the File Transfer picture lists no remote files\n");
    {
        CFileTransferDlg window(&main, app, owner, 1);
        window.setWindowState(Qt::WindowNoState);
        window.resize(980, 600);
        window.show();
        // The opening refresh runs its job under a progress window of its own.
        for (int i = 0; i < 200 && (window.JobRunning() || window.RemoteModel().rowCount() == 0); ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
            if (!connected && i > 20) break;
        }
        if (auto* list = window.findChild<QTreeView*>("localList"))
            list->selectionModel()->select(window.LocalModel().index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        const QString path = QDir(folder).filePath("file-transfer.png");
        const bool saved = window.grab().save(path, "PNG");
        std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
        ok &= saved;
        window.hide();
    }
    if (connected) link.Disconnect();
    app.saved.directory = savedDirectory;
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
    IMessageSink* previous = JxSetMessageSink(nullptr);
    bool ok = true;

    CMainWindow main(app, programVersion);
    WireMainFunctions(main);
    ok &= Save(main, folder, "main-window.png");

    {
        const std::string& name = app.documents.catalogue;
        CAboutDlg about(&main, programVersion, JxJoinPath(JxShippedDataFolder(name), name));
        ok &= Save(about, folder, "about.png");
    }

    const char* const kPanels[3] = {"connect-dialup.png", "connect-direct.png", "connect-tcpip.png"};
    const JxConnectionKind savedKind = app.saved.connectionKind;
    for (JxConnectionKind kind : {JxConnectionKind::TcpIp, JxConnectionKind::Direct, JxConnectionKind::Dialup}) {
        app.saved.connectionKind = kind;
        CConnectDlg connect(&main, app, &main.Owner());
        ok &= Save(connect, folder, kPanels[JxConnectionKindNumber(kind)]);
    }
    app.saved.connectionKind = savedKind;

    {
        CCommProgressDialog progress(&main, &main.Owner());
        progress.SetStatusText("Configuring connection to display... \nAuto-detecting at 115200");
        progress.SetProgress(3, 10);
        ok &= Save(progress, folder, "communication-progress.png");
    }

    CConfigDocument document;
    if (document.LoadText(kSampleConfig)) {
        CClockModeDlg clockMode(&main, document);
        ok &= Save(clockMode, folder, "set-clock-mode.png");
        CSoftwareAddressDlg softwareAddress(&main, document);
        ok &= Save(softwareAddress, folder, "set-software-address.png");
        CTcpIpConfigDlg tcpIp(&main, document);
        ok &= Save(tcpIp, folder, "tcpip-configuration.png");
    } else {
        std::fprintf(stderr, "JxConfig: the sample CONFIG.XML of the pictures does not load\n");
        ok = false;
    }

    CConfigDocument full;
    if (app.catalogueLoaded && full.LoadText(kSampleFullConfig)) {
        CSetConfigDlg setConfig(&main, full, app.catalogue, app.factory);
        ok &= Save(setConfig, folder, "set-configuration.png");
        ConfigWorkset workset = setConfig.Workset();
        CAdvancedConfigDlg advanced(&setConfig, workset, app.factory);
        ok &= Save(advanced, folder, "set-advanced-configuration.png");

        // The panel for each technology, as the model sets it up.
        const char* const kPanelPictures[3] = {"technology-halvane.png", "technology-brightel.png",
                                               "technology-cindrel.png"};
        for (int technology = 0; technology < 3; ++technology) {
            CTechnologyPanelModel model(app.catalogue);
            model.SelectTechnology(technology);
            CTechnologyPanel panel;
            panel.Show(model.State());
            ok &= Save(panel, folder, kPanelPictures[technology]);
        }
    } else {
        std::fprintf(stderr, "JxConfig: no module catalogue: Set Configuration is not drawn\n");
        ok = false;
    }

    {
        // The window as an operator fills it in: an image and a driver on a direct line.
        const std::string savedFile = app.saved.firmwareFile, savedDriver = app.saved.firmwareDriver;
        const JxConnectionKind savedKind = app.saved.connectionKind;
        app.saved.firmwareFile = "/home/operator/firmware/MAIN.EXE";
        app.saved.firmwareDriver = "/home/operator/firmware/DISPLAY.RBF";
        app.saved.connectionKind = JxConnectionKind::Direct;
        CDownloadFirmwareDlg download(&main, app);
        ok &= Save(download, folder, "download-firmware.png");
        app.saved.firmwareFile = savedFile;
        app.saved.firmwareDriver = savedDriver;
        app.saved.connectionKind = savedKind;

        CCommProgressDialog progress(&download, &download.Owner());
        progress.SetStatusText("Downloading new firmware to display...");
        progress.SetProgress(412, 1250);
        ok &= Save(progress, folder, "download-firmware-progress.png");
    }

    {
        // The Link Monitor with real frames: scripts/run puts a display on
        // COM1; a fetch, a display command and a ping of an address nobody
        // answers (retried, in red).
        CLinkMonitorWnd* monitor = main.ShowLinkMonitor();
        CKorNetwork& link = main.Owner().Link();
        link.SetTimeOut(200);
        if (link.ConfigureDirect(1, 19200, false) == KORNET_OK && link.Connect() == KORNET_OK) {
            int16_t status = KORNET_OK;
            jx_resp_retrieve_file_s file{};
            (void)link.JxGetFile(1, "CONFIG.XML", status, &file, 0);
            jx_resp_blank_display_s blank{};
            (void)link.JxBlankDisplay(1, 0, &blank);
            (void)link.Ping(9);
            link.Disconnect();
        } else {
            std::fprintf(stderr, "JxConfig: no display on COM1: the Link Monitor picture shows no frames\n");
        }
        monitor->Drain();
        if (auto* table = monitor->findChild<QTableView*>("frameTable")) table->selectRow(2);
        monitor->setMinimumSize(monitor->sizeHint());  // every column in the picture, whatever the screen
        monitor->hide();
        ok &= Save(*monitor, folder, "link-monitor.png");
    }

    ok &= SaveFileTransfer(app, main, folder);

    // A message of each kind, as the tool shows them.
    const struct {
        JxMessageKind kind;
        std::string text;
        const char* file;
    } messages[] = {
        {JxMessageKind::Information, app.documents.config + kJxSentRebooting + kJxWaitForBoot,
         "message-information.png"},
        {JxMessageKind::Warning, kJxIpFirstZero, "message-warning.png"},
        {JxMessageKind::Critical, std::string(kJxUnableToConnect) + "Network Connection Failed", "message.png"},
    };
    for (const auto& m : messages) ok &= Save(*JxMakeMessageBox(m.kind, m.text, &main), folder, m.file);

    JxSetMessageSink(previous);
    return ok ? 0 : 1;
}
