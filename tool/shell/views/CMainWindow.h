// The main window "Ru Zuvizavavadud Irivir": the warning, the six functions
// as buttons and "&File" menu entries, "&View" with the Link Monitor, "&Help"
// with "&About". The window
// owns the link (with its events object) that the configuration functions
// use, and the connection of the last Connect window.
//
// A function is plugged in with SetFunction; until then its button and menu
// entry are shown disabled. The configuration functions run their exchange
// inside RunConfigurationExchange, which connects first and disconnects
// after.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "connection/LinkOperation.h"
#include "connection/ConnectionKind.h"

class QAction;
class CLinkMonitorWnd;
class QPushButton;
class CJxConfigApp;

enum class JxMainFunction {
    SetConfiguration,
    DownloadFirmware,
    SetClockMode,
    SetSoftwareAddress,
    FileTransfer,
    TcpIpConfiguration,
};
inline constexpr int kJxMainFunctionCount = 6;

inline constexpr const char* kJxMainTitle = "Ru Zuvizavavadud Irivir";
inline constexpr const char* kJxMainWarning =
    "WARNING: This program is used to change the configuration of displays. To prevent damage to your "
    "display, use this program only as instructed by Corvanta Technicians.";
inline constexpr const char* kJxCatalogueFailed = "Failed to load %s.  Will not be able to set configuration.";

class CMainWindow : public QMainWindow {
    Q_OBJECT
public:
    using Function = std::function<void(CMainWindow&)>;

    // `programVersion` is "%d.%d.%d.%d" (empty when not known).
    CMainWindow(CJxConfigApp& app, std::string programVersion, QWidget* parent = nullptr);
    ~CMainWindow() override;

    // Plugs a function in and enables its button and menu entry ("&Set
    // Configuration" keeps its button disabled without a catalogue).
    void SetFunction(JxMainFunction which, Function function);
    void RunFunction(JxMainFunction which);

    // The frame of every configuration exchange: opens the Connect window
    // on this window's link (JxConnect). When it connected,
    // runs `exchange` (which reads ConnectionKind and DisplayAddress and
    // runs its own link operations on Owner()), then disconnects, with a
    // message when that fails (JxDisconnect). False when no connection was made.
    bool RunConfigurationExchange(const std::function<void()>& exchange);

    CJxConfigApp& App() { return m_app; }
    CLinkOwner& Owner() { return m_owner; }
    JxConnectionKind ConnectionKind() const { return m_connectionKind; }
    uint8_t DisplayAddress() const { return m_displayAddress; }

    void ShowAbout();
    // "&View" > "&Link Monitor": the frames of this window's link, live.
    CLinkMonitorWnd* ShowLinkMonitor();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateEnabled();

    CJxConfigApp& m_app;
    std::string m_version;
    CLinkOwner m_owner;
    JxConnectionKind m_connectionKind = JxConnectionKind::Direct;
    uint8_t m_displayAddress = 1;
    bool m_opened = false;
    QPointer<CLinkMonitorWnd> m_monitor;  // a child window, made when first asked for
    std::array<Function, kJxMainFunctionCount> m_functions;
    std::array<QPushButton*, kJxMainFunctionCount> m_buttons{};
    std::array<QAction*, kJxMainFunctionCount> m_actions{};
};
