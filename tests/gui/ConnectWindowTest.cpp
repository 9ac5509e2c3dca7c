// The Connect window: its fields, connecting through a link operation
// against jxsim, the messages when that fails, Abort during baud rate
// auto-detection, and the choice remembered on the way out.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "GuiTest.h"
#include "connection/DirectRules.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/CConnectDlg.h"
#include "connection/views/RunLinkOperation.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CQtSettingsStore.h"

namespace {
// A loopback port where nobody listens.
uint16_t ClosedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

class ConnectWindow : public GuiTest {
protected:
    std::unique_ptr<CQtSettingsStore> user, machine;
    std::unique_ptr<CJxConfigApp> app;
    CLinkOwner owner;

    void SetUp() override
    {
        GuiTest::SetUp();
        ShortLinkWaits();
        NewApp();
    }
    void TearDown() override
    {
        owner.Link().Disconnect();
        SetProgressWindowObserver(nullptr);
        GuiTest::TearDown();
    }
    // A fresh start of the tool on the same settings files.
    void NewApp()
    {
        app.reset();
        user = std::make_unique<CQtSettingsStore>(JxUserSettingsPath());
        machine = std::make_unique<CQtSettingsStore>(JxMachineSettingsPath());
        app = std::make_unique<CJxConfigApp>(*user, *machine);
    }

    static void ChooseTcpIp(CConnectDlg& dlg, const QString& host, uint16_t port)
    {
        Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(2);
        Find<QLineEdit>(dlg, "ipAddress")->setText(host);
        Find<QCheckBox>(dlg, "useDefault")->setChecked(false);
        Find<QLineEdit>(dlg, "socketNumber")->setText(QString::number(port));
    }
};

TEST_F(ConnectWindow, NetworkAddressStaysWithin1To240)
{
    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    QLineEdit* address = Find<QLineEdit>(dlg, "networkAddress");
    const struct {
        const char* typed;
        const char* shown;
        bool selected;  // replaced text is selected whole
    } cases[] = {{"0", "1", true}, {"300", "240", true}, {"240", "240", false}, {"17", "17", false}};
    for (const auto& c : cases) {
        Retype(address, c.typed);
        EXPECT_EQ(address->text(), c.shown) << c.typed;
        EXPECT_EQ(address->selectedText() == address->text(), c.selected) << c.typed;
    }
    // Deleting every digit leaves "1".
    address->setCursorPosition(2);
    QTest::keyClick(address, Qt::Key_Backspace);
    QTest::keyClick(address, Qt::Key_Backspace);
    EXPECT_EQ(address->text(), "1");
    // Letters never get in.
    Retype(address, "2x");
    EXPECT_EQ(address->text(), "2");
}

TEST_F(ConnectWindow, TheConnectionListShowsItsPanel)
{
    CConnectDlg dlg(nullptr, *app, &owner);
    auto* kinds = Find<QComboBox>(dlg, "connectionList");
    auto* panels = Find<QStackedWidget>(dlg, "panels");
    EXPECT_EQ(kinds->currentText(), "Direct");
    EXPECT_EQ(panels->currentWidget()->objectName(), "directPanel");
    const char* const shown[3] = {"dialupPanel", "directPanel", "tcpIpPanel"};
    for (int kind : {2, 0, 1}) {
        kinds->setCurrentIndex(kind);
        EXPECT_EQ(panels->currentWidget()->objectName(), shown[kind]);
    }
    EXPECT_EQ(Find<QComboBox>(dlg, "baudRate")->count(), 8);
    EXPECT_EQ(Find<QComboBox>(dlg, "baudRate")->currentText(), "19200");
}

TEST_F(ConnectWindow, KeepsOneSizeWhateverThePortNamesAndFitsEachPanel)
{
    const std::string longDevice = "/tmp/no-such-folder/usb-Bench_Serial_Adapter_A1B2C3D4-if00-port0";
    const struct {
        const char* name;
        std::string map;
        std::string entry;  // COM1 as listed
        std::string device;
    } rows[] = {
        {"short", "COM1=/dev/ttyX1\n", "COM1 (/dev/ttyX1)", "/dev/ttyX1"},
        {"long", "COM1=" + longDevice + "\nCOM12=" + longDevice + "-2\n", "COM1 (" + longDevice + ")", longDevice},
    };
    const char* const panelNames[3] = {"dialupPanel", "directPanel", "tcpIpPanel"};
    QSize directSize;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteWholeFile(dir.File("ports"), row.map);
        setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
        CConnectDlg dlg(nullptr, *app, &owner);
        unsetenv("KORNET_PORTMAP");
        dlg.show();
        dlg.adjustSize();  // as a window system sizes a new window: to its hint
        Settle();
        auto* ports = Find<QComboBox>(dlg, "comPorts");
        ASSERT_GE(ports->count(), 1);
        EXPECT_EQ(ports->itemText(0).toStdString(), row.entry);
        EXPECT_EQ(ports->itemData(0, Qt::ToolTipRole).toString().toStdString(), row.device);
        EXPECT_EQ(ports->toolTip().toStdString(), row.entry);
        // The open list shows each entry whole.
        const int entryWidth = ports->view()->fontMetrics().horizontalAdvance(ports->itemText(0));
        EXPECT_GT(ports->view()->minimumWidth(), entryWidth);

        ASSERT_EQ(Find<QComboBox>(dlg, "connectionList")->currentIndex(), 1);
        if (directSize.isValid()) EXPECT_EQ(dlg.size(), directSize);
        else directSize = dlg.size();

        // Each panel sits on its own height, the width stays.
        auto* panels = Find<QWidget>(dlg, "panels");
        for (int kind : {0, 2, 1}) {
            Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(kind);
            Settle();
            QWidget* panel = Find<QWidget>(dlg, panelNames[kind]);
            EXPECT_EQ(panels->height(), panel->sizeHint().height()) << panelNames[kind];
            EXPECT_EQ(panel->geometry(), panels->rect()) << panelNames[kind];
            EXPECT_EQ(dlg.width(), directSize.width()) << panelNames[kind];
        }
        EXPECT_EQ(dlg.size(), directSize);
    }
}

TEST_F(ConnectWindow, UseDefaultShowsAndSends3001)
{
    CConnectDlg dlg(nullptr, *app, &owner);
    auto* useDefault = Find<QCheckBox>(dlg, "useDefault");
    auto* socket = Find<QLineEdit>(dlg, "socketNumber");
    EXPECT_TRUE(useDefault->isChecked());
    EXPECT_EQ(socket->text(), "3001");
    EXPECT_FALSE(socket->isEnabled());
    useDefault->setChecked(false);
    EXPECT_TRUE(socket->isEnabled());
    socket->setText("4000");
    useDefault->setChecked(true);
    EXPECT_EQ(socket->text(), "3001");
    EXPECT_FALSE(socket->isEnabled());
}

TEST_F(ConnectWindow, WithoutALinkEveryControlIsDisabled)
{
    CConnectDlg dlg(nullptr, *app, nullptr);
    EXPECT_FALSE(Find<QWidget>(dlg, "communicationsGroup")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(dlg, "connectButton")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(dlg, "exitButton")->isEnabled());
}

TEST_F(ConnectWindow, NobodyListeningGivesTheConnectMessageAndTheWindowStays)
{
    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    ChooseTcpIp(dlg, "127.0.0.1", ClosedPort());
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Unable to connect to display: Network Connection Failed"});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(ConnectWindow, AnUnknownHostIsAnInvalidNetworkSetting)
{
    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    ChooseTcpIp(dlg, "", 3001);
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"The network setting you specified is invalid."});
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(ConnectWindow, ConnectingRemembersTheChoice)
{
    jxsim::CSimOptions options;
    options.addresses = {23};
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    {
        CConnectDlg dlg(nullptr, *app, &owner);
        dlg.show();
        ChooseTcpIp(dlg, "127.0.0.1", sim.TcpPort());
        Retype(Find<QLineEdit>(dlg, "networkAddress"), "23");
        Find<QComboBox>(dlg, "baudRate")->setCurrentText("57600");
        QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
        EXPECT_TRUE(messages.Messages().empty());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.ConnectionKind(), JxConnectionKind::TcpIp);
        EXPECT_EQ(dlg.DisplayAddress(), 23);
        EXPECT_EQ(owner.Link().Ping(23), KORNET_OK);
    }
    owner.Link().Disconnect();

    // The same run: the next Connect window opens on the same choice.
    CConnectDlg again(nullptr, *app, &owner);
    EXPECT_EQ(Find<QComboBox>(again, "connectionList")->currentText(), "TCP/IP");
    EXPECT_EQ(Find<QLineEdit>(again, "networkAddress")->text(), "23");
    EXPECT_EQ(Find<QLineEdit>(again, "ipAddress")->text(), "127.0.0.1");
    EXPECT_EQ(Find<QLineEdit>(again, "socketNumber")->text(), QString::number(sim.TcpPort()));
    EXPECT_FALSE(Find<QCheckBox>(again, "useDefault")->isChecked());
    EXPECT_EQ(Find<QComboBox>(again, "baudRate")->currentText(), "57600");

    // The next run: the socket and the address came from the settings file.
    NewApp();
    CConnectDlg later(nullptr, *app, &owner);
    EXPECT_EQ(Find<QLineEdit>(later, "ipAddress")->text(), "127.0.0.1");
    EXPECT_EQ(Find<QLineEdit>(later, "socketNumber")->text(), QString::number(sim.TcpPort()));
    EXPECT_FALSE(Find<QCheckBox>(later, "useDefault")->isChecked());
}

TEST_F(ConnectWindow, ExitRemembersTheChoice)
{
    {
        CConnectDlg dlg(nullptr, *app, &owner);
        dlg.show();
        Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(0);
        Retype(Find<QLineEdit>(dlg, "networkAddress"), "17");
        Find<QLineEdit>(dlg, "phoneNumber")->setText("5551234");
        Find<QComboBox>(dlg, "baudRate")->setCurrentText("Auto-detect");
        QTest::mouseClick(Find<QPushButton>(dlg, "exitButton"), Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(messages.Messages().empty());
    CConnectDlg again(nullptr, *app, &owner);
    EXPECT_EQ(Find<QComboBox>(again, "connectionList")->currentText(), "Dialup");
    EXPECT_EQ(Find<QLineEdit>(again, "networkAddress")->text(), "17");
    EXPECT_EQ(Find<QLineEdit>(again, "phoneNumber")->text(), "5551234");
    EXPECT_EQ(Find<QComboBox>(again, "baudRate")->currentText(), "Auto-detect");

    // The phone number is written at exit of the tool and read at its start.
    app->SaveOnExit();
    NewApp();
    EXPECT_EQ(app->saved.phoneNumber, "5551234");
}

TEST_F(ConnectWindow, AbortDuringAutoDetectionConnectsNothingAndSaysNothing)
{
    jxsim::CSimOptions options;
    options.baud = 2400;  // the last rate tried: detection is still busy when Abort comes
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.OpenPty()) << sim.Error();
    ASSERT_TRUE(sim.RegisterComPort(9, dir.File("ports"))) << sim.Error();
    setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
    app->saved.serialPort = "COM9";
    app->saved.serialBaud = kJxAutoDetectBaud;

    CCommProgressDialog* progress = nullptr;
    QString afterAbort;
    std::string lastText;
    SetProgressWindowObserver([&](CCommProgressDialog& d) {
        progress = &d;
        auto* poll = new QTimer(&d);
        poll->setInterval(2);
        QObject::connect(poll, &QTimer::timeout, &d, [&] {
            lastText = progress->StatusText();
            if (!afterAbort.isEmpty() || lastText.find("Auto-detecting at") == std::string::npos) return;
            QTest::mouseClick(progress->findChild<QPushButton*>("abortButton"), Qt::LeftButton);
            afterAbort = progress->findChild<QLabel*>("statusText")->text();
            lastText = progress->StatusText();
        });
        // The worker may finish before the next poll: take the last text as
        // the window closes.
        QObject::connect(&d, &QDialog::finished, &d, [&] { lastText = progress->StatusText(); });
        poll->start();
    });

    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    EXPECT_EQ(Find<QComboBox>(dlg, "comPorts")->currentText().toStdString(), "COM9 (" + sim.PtyPath() + ")");
    EXPECT_EQ(Find<QComboBox>(dlg, "baudRate")->currentText(), "Auto-detect");
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    unsetenv("KORNET_PORTMAP");

    EXPECT_EQ(afterAbort, "Cancelling communications...");
    EXPECT_EQ(lastText, "Cancelling communications...");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
    EXPECT_FALSE(owner.Cancelled());
    // The display never saw a frame at its own speed.
    for (const auto& command : sim.Commands()) EXPECT_EQ(command.name, "ignored") << command.note;
}
TEST_F(ConnectWindow, DialupWithoutModemsIsAnInvalidNetworkSetting)
{
    setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);  // no such file
    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(0);
    EXPECT_EQ(Find<QComboBox>(dlg, "modemList")->count(), 0);
    EXPECT_FALSE(Find<QComboBox>(dlg, "modemList")->isEnabled());
    Find<QLineEdit>(dlg, "phoneNumber")->setText("5551234");
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    unsetenv("KORNET_MODEMS");
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"The network setting you specified is invalid."});
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(ConnectWindow, TheModemListComesFromTheLibraryAndANumberIsNeeded)
{
    WriteWholeFile(dir.File("modems.txt"),
                   "# name | device | line id | init | data calls\n"
                   "Office modem | /dev/null | 7\n"
                   "Voice line | /dev/null | 8 | | no\n"
                   "Bench modem | COM4@57600 | 0x10\n");
    setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);
    app->saved.modemIndex = 1;
    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(0);
    auto* modems = Find<QComboBox>(dlg, "modemList");
    ASSERT_EQ(modems->count(), 2);  // the voice line cannot place data calls
    EXPECT_EQ(modems->itemText(0), "Office modem");
    EXPECT_EQ(modems->itemText(1), "Bench modem");
    EXPECT_EQ(modems->currentIndex(), 1);  // the saved one
    EXPECT_TRUE(modems->isEnabled());
    // No number to call: nothing is dialled.
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    unsetenv("KORNET_MODEMS");
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"The network setting you specified is invalid."});
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
}
TEST_F(ConnectWindow, DialupCallsThroughTheModemAndABusyLineIsReported)
{
    jxsim::CSimOptions options;
    options.frontEnd = "modem";
    options.frontEndValue = "5550000=busy";
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    ASSERT_TRUE(sim.OpenPty()) << sim.Error();
    WriteWholeFile(dir.File("modems.txt"), "Bench modem | " + sim.PtyPath() + " | 7\n");
    setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);

    CConnectDlg busy(nullptr, *app, &owner);
    busy.show();
    Find<QComboBox>(busy, "connectionList")->setCurrentIndex(0);
    EXPECT_EQ(Find<QComboBox>(busy, "modemList")->currentText(), "Bench modem");
    Find<QLineEdit>(busy, "phoneNumber")->setText("5550000");
    QTest::mouseClick(Find<QPushButton>(busy, "connectButton"), Qt::LeftButton);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Unable to connect to display: Network Connection Failed"});
    EXPECT_TRUE(busy.isVisible());
    QTest::mouseClick(Find<QPushButton>(busy, "exitButton"), Qt::LeftButton);

    CConnectDlg dlg(nullptr, *app, &owner);
    dlg.show();
    EXPECT_EQ(Find<QComboBox>(dlg, "connectionList")->currentText(), "Dialup");
    EXPECT_EQ(Find<QLineEdit>(dlg, "phoneNumber")->text(), "5550000");
    Find<QLineEdit>(dlg, "phoneNumber")->setText("555-1234");
    QTest::mouseClick(Find<QPushButton>(dlg, "connectButton"), Qt::LeftButton);
    unsetenv("KORNET_MODEMS");
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.ConnectionKind(), JxConnectionKind::Dialup);
    EXPECT_EQ(owner.Link().Ping(1), KORNET_OK);
    EXPECT_EQ(app->saved.phoneNumber, "555-1234");
    EXPECT_EQ(owner.Link().Disconnect(), KORNET_OK);
}
}  // namespace
