// The main window (functions, menus, the catalogue warning, the frame of a
// configuration exchange against jxsim) and the About window.
#include <QAction>
#include <optional>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "GuiTest.h"
#include "connection/views/CConnectDlg.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CAboutDlg.h"
#include "shell/views/CMainWindow.h"

namespace {
const char* const kFunctions[kJxMainFunctionCount] = {"setConfiguration", "downloadFirmware",   "setClockMode",
                                                       "setSoftwareAddress", "fileTransfer", "tcpIpConfiguration"};

class MainWindow : public GuiTest {
protected:
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    void SetUp() override
    {
        GuiTest::SetUp();
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
    }
    static QPushButton* Button(CMainWindow& w, int i)
    {
        return w.findChild<QPushButton*>(QString(kFunctions[i]) + "Button");
    }
    static QAction* Action(CMainWindow& w, int i) { return w.findChild<QAction*>(QString(kFunctions[i]) + "Action"); }
};

TEST_F(MainWindow, TitleButtonsAndMenusWithTheirMnemonics)
{
    app->catalogueLoaded = true;
    CMainWindow w(*app, "1.0.0.0");
    EXPECT_EQ(w.windowTitle(), "Ru Zuvizavavadud Irivir");
    EXPECT_EQ(w.findChild<QLabel*>("warningText")->text(), kJxMainWarning);
    const char* const buttons[kJxMainFunctionCount] = {"&Set Configuration",    "Download &Firmware", "Set Clock &Mode",
                                                       "Set Software &Address", "Jx File &Transfer",  "TCP/IP &Configuration"};
    for (int i = 0; i < kJxMainFunctionCount; ++i) {
        ASSERT_NE(Button(w, i), nullptr) << kFunctions[i];
        EXPECT_EQ(Button(w, i)->text(), buttons[i]);
        // Nothing is plugged in yet: shown, but disabled.
        EXPECT_FALSE(Button(w, i)->isEnabled()) << kFunctions[i];
        EXPECT_FALSE(Action(w, i)->isEnabled()) << kFunctions[i];
    }
    QStringList file, view, help;
    for (QAction* a : w.findChild<QMenu*>("fileMenu")->actions()) file << (a->isSeparator() ? "-" : a->text());
    for (QAction* a : w.findChild<QMenu*>("viewMenu")->actions()) view << a->text();
    for (QAction* a : w.findChild<QMenu*>("helpMenu")->actions()) help << a->text();
    EXPECT_EQ(file, (QStringList{"Download &Firmware", "Set Clock &Mode", "&Set Configuration", "Set Software &Address",
                                 "Jx File &Transfer", "TCP/IP Configuration", "-", "E&xit"}));
    EXPECT_EQ(view, QStringList{"&Link Monitor"});
    EXPECT_EQ(help, QStringList{"&About"});
    QStringList menus;
    for (QAction* a : w.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Help"}));
}

TEST_F(MainWindow, APluggedInFunctionRunsFromItsButtonAndItsMenuEntry)
{
    app->catalogueLoaded = true;
    CMainWindow w(*app, "1.0.0.0");
    int runs = 0;
    w.SetFunction(JxMainFunction::SetClockMode, [&](CMainWindow& window) {
        EXPECT_EQ(&window, &w);
        ++runs;
    });
    const int i = static_cast<int>(JxMainFunction::SetClockMode);
    EXPECT_TRUE(Button(w, i)->isEnabled());
    EXPECT_TRUE(Action(w, i)->isEnabled());
    EXPECT_FALSE(Button(w, i + 1)->isEnabled());
    QTest::mouseClick(Button(w, i), Qt::LeftButton);
    Action(w, i)->trigger();
    EXPECT_EQ(runs, 2);
}

TEST_F(MainWindow, WithoutTheCatalogueTheWarningComesOnceAndSetConfigurationIsDisabled)
{
    app->catalogueLoaded = false;
    CMainWindow w(*app, "1.0.0.0");
    w.SetFunction(JxMainFunction::SetConfiguration, [](CMainWindow&) {});
    w.show();
    Settle();
    w.hide();
    w.show();
    Settle();
    EXPECT_EQ(messages.Messages(),
              std::vector<std::string>{"Failed to load MODULES.XML.  Will not be able to set configuration."});
    EXPECT_FALSE(Button(w, 0)->isEnabled());
    EXPECT_TRUE(Action(w, 0)->isEnabled());  // the menu entry stays
}

TEST_F(MainWindow, WithTheCatalogueNothingIsSaid)
{
    app->catalogueLoaded = true;
    CMainWindow w(*app, "1.0.0.0");
    w.SetFunction(JxMainFunction::SetConfiguration, [](CMainWindow&) {});
    w.show();
    Settle();
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(Button(w, 0)->isEnabled());
}

TEST_F(MainWindow, ExitClosesTheWindow)
{
    CMainWindow w(*app, "1.0.0.0");
    w.show();
    Settle();
    w.findChild<QAction*>("exitAction")->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindow, AConfigurationExchangeRunsConnectedAndDisconnectsAfter)
{
    ShortLinkWaits();
    jxsim::CSimOptions options;
    options.addresses = {5};
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    app->catalogueLoaded = true;
    CMainWindow w(*app, "1.0.0.0");
    int16_t pingInside = -99;
    std::optional<JxConnectionKind> kind;
    int address = -1;
    w.SetFunction(JxMainFunction::SetSoftwareAddress, [&](CMainWindow& window) {
        window.RunConfigurationExchange([&] {
            kind = window.ConnectionKind();
            address = window.DisplayAddress();
            pingInside = window.Owner().Link().Ping(window.DisplayAddress());
        });
    });
    WhenShown<CConnectDlg>([&](CConnectDlg* dlg) {
        dlg->findChild<QComboBox*>("connectionList")->setCurrentIndex(2);
        dlg->findChild<QLineEdit*>("networkAddress")->setText("5");
        dlg->findChild<QLineEdit*>("ipAddress")->setText("127.0.0.1");
        dlg->findChild<QCheckBox*>("useDefault")->setChecked(false);
        dlg->findChild<QLineEdit*>("socketNumber")->setText(QString::number(sim.TcpPort()));
        QTest::mouseClick(dlg->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
    });
    w.show();
    QTest::mouseClick(Button(w, static_cast<int>(JxMainFunction::SetSoftwareAddress)), Qt::LeftButton);
    EXPECT_EQ(pingInside, KORNET_OK);
    EXPECT_EQ(kind, JxConnectionKind::TcpIp);
    EXPECT_EQ(address, 5);
    EXPECT_EQ(w.Owner().Link().Ping(5), ERR_COMMAND_NO_CONNECTION);
    EXPECT_TRUE(messages.Messages().empty());

    // Leaving the Connect window with Exit runs nothing.
    pingInside = -99;
    WhenShown<CConnectDlg>([](CConnectDlg* dlg) {
        QTest::mouseClick(dlg->findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(w, static_cast<int>(JxMainFunction::SetSoftwareAddress)), Qt::LeftButton);
    EXPECT_EQ(pingInside, -99);
}

class About : public GuiTest {
protected:
    static QString Label(CAboutDlg& d, const char* name) { return d.findChild<QLabel*>(name)->text(); }
};

TEST_F(About, VersionsOfTheProgramAndTheCatalogue)
{
    const struct {
        const char* catalogue;  // null: no file
        const char* shown;
    } cases[] = {
        {"<MODULES vr=\"2.4.1\">\n<MODULE id=\"1\"/>\n</MODULES>\n", "MODULES.XML Version: 2.4.1"},
        {nullptr, "MODULES.XML Version: ?.?.?"},
        {"<CATALOGUE vr=\"2.4.1\"></CATALOGUE>", "MODULES.XML Version: ?.?.?"},
        {"<MODULES></MODULES>", "MODULES.XML Version: ?.?.?"},
        {"<MODULES vr=\"\"></MODULES>", "MODULES.XML Version: ?.?.?"},
        {"<MODULES vr=\"1.0\"", "MODULES.XML Version: ?.?.?"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("MODULES.XML");
        std::remove(path.c_str());
        if (c.catalogue != nullptr) WriteWholeFile(path, c.catalogue);
        CAboutDlg d(nullptr, "1.0.0.0", path);
        EXPECT_EQ(Label(d, "catalogueVersion"), c.shown) << (c.catalogue ? c.catalogue : "(none)");
        EXPECT_EQ(Label(d, "programVersion"), "JxConfig Version: 1.0.0.0");
    }
    CAboutDlg unknown(nullptr, "", dir.File("none.XML"));
    EXPECT_EQ(Label(unknown, "programVersion"), "JxConfig Version: ?.?.?.?");
    EXPECT_EQ(unknown.windowTitle(), "Ru Zuvizavavadud Irivir");
}
}  // namespace
