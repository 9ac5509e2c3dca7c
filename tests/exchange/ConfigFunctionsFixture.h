// The configuration functions from the main window against jxsim over
// loopback TCP: a main window with every configuration function, a
// simulated display at address 5, the progress windows as they come, and
// the controller's own reading of its stored CONFIG.XML.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Documents.h"
#include "GuiTest.h"
#include "config/views/ConfigFunctions.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/CConnectDlg.h"
#include "connection/views/RunLinkOperation.h"
#include "StoredConfig.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CMainWindow.h"

using Texts = std::vector<std::string>;
using Kinds = std::vector<JxMessageKind>;
constexpr JxMessageKind kInformation = JxMessageKind::Information;
constexpr JxMessageKind kWarning = JxMessageKind::Warning;
constexpr JxMessageKind kCritical = JxMessageKind::Critical;

inline const std::string kSuccess =
    "CONFIG.XML successfully sent.  The display is rebooting.\nWait until the boot sequence is complete before "
    "reconnecting.";

// Notes (and closes) any window of type T that shows while it watches.
template <class T>
class CWindowWatch {
public:
    CWindowWatch()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<T*>(w) != nullptr && w->isVisible()) {
                    seen = true;
                    w->close();
                }
        });
        m_timer.start();
    }
    bool seen = false;

private:
    QTimer m_timer;
};

class ConfigFunctions : public GuiTest {
protected:
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    std::unique_ptr<jxsim::CJxSimulator> sim;
    std::unique_ptr<CMainWindow> main;
    std::vector<CCommProgressDialog*> progress;
    std::function<void(CCommProgressDialog&, int)> onProgressWindow;
    bool windowShown = false;

    void SetUp() override
    {
        GuiTest::SetUp();
        ShortLinkWaits();
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        // Set Configuration lists the modules of the catalogue that ships.
        ASSERT_TRUE(app->LoadCatalogue(JX_SHIPPED_MODULES_XML));
        jxsim::CSimOptions options;
        options.addresses = {5};
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
        main = std::make_unique<CMainWindow>(*app, "1.0.0.0");
        WireConfigFunctions(*main);
        SetProgressWindowObserver([this](CCommProgressDialog& d) {
            progress.push_back(&d);
            if (onProgressWindow) onProgressWindow(d, static_cast<int>(progress.size()) - 1);
        });
        main->show();
    }
    void TearDown() override
    {
        SetProgressWindowObserver(nullptr);
        main.reset();
        sim->Stop();
        GuiTest::TearDown();
    }

    // The Connect window, when it shows, picks TCP/IP to the simulator.
    void ConnectWhenAsked()
    {
        const uint16_t port = sim->TcpPort();
        WhenShown<CConnectDlg>([port](CConnectDlg* dlg) {
            Find<QComboBox>(*dlg, "connectionList")->setCurrentIndex(2);
            Find<QLineEdit>(*dlg, "networkAddress")->setText("5");
            Find<QLineEdit>(*dlg, "ipAddress")->setText("127.0.0.1");
            Find<QCheckBox>(*dlg, "useDefault")->setChecked(false);
            Find<QLineEdit>(*dlg, "socketNumber")->setText(QString::number(port));
            QTest::mouseClick(Find<QPushButton>(*dlg, "connectButton"), Qt::LeftButton);
        });
    }
    // Runs a function from its button; `act` handles the function's window
    // when it shows. Every way out ends disconnected.
    template <class Dlg>
    void Run(const char* button, std::function<void(Dlg*)> act)
    {
        ConnectWhenAsked();
        windowShown = false;
        WhenShown<Dlg>([this, act](Dlg* dlg) {
            windowShown = true;
            QApplication::setActiveWindow(dlg);  // keys go where the focus is
            act(dlg);
        });
        QTest::mouseClick(Find<QPushButton>(*main, button), Qt::LeftButton);
        EXPECT_EQ(main->Owner().Link().Ping(5), ERR_COMMAND_NO_CONNECTION);
    }

    std::string Stored() { return StoredConfig(*sim); }
    std::string StoredAttribute(const std::string& element, const std::string& name)
    {
        return StoredConfigAttribute(*sim, element, name);
    }
    std::string DataFile(const char* name) { return ReadWholeFile(dir.File("data") + "/" + name); }
};
