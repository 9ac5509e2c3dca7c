// The "Connect" window of the main-window functions: the Communications
// group, "&Connect" and "&Exit". Connect runs the connect steps as a link
// operation on the caller's link; the window closes with OK once the link
// is connected. Either way out stores the choice in the settings.
#pragma once

#include <QDialog>
#include <cstdint>

#include "connection/ConnectionKind.h"

class QPushButton;
class CCommunicationsGroup;
class CJxConfigApp;
class CLinkOwner;

// What every connection window is made of: the Communications group above
// "&Connect" (the default button, named connectButton) and an exit button
// (exitButton) with the given text, the window taking the size of what the
// group shows. The caller wires the buttons and loads the group.
struct CConnectionWindowParts {
    CCommunicationsGroup* group;
    QPushButton* connect;
    QPushButton* exit;
};
CConnectionWindowParts JxBuildConnectionWindow(QDialog& window, const char* exitText);

class CConnectDlg : public QDialog {
    Q_OBJECT
public:
    // Without an owner (link and events) every control is disabled.
    CConnectDlg(QWidget* parent, CJxConfigApp& app, CLinkOwner* owner);

    // After OK: how the display was reached.
    JxConnectionKind ConnectionKind() const { return m_kind; }
    uint8_t DisplayAddress() const { return m_address; }

protected:
    void reject() override;  // "&Exit", Escape and the close box

private:
    void OnConnect();

    CJxConfigApp& m_app;
    CLinkOwner* m_owner;
    CCommunicationsGroup* m_group;
    QPushButton* m_connect;
    QPushButton* m_exit;
    JxConnectionKind m_kind = JxConnectionKind::Direct;
    uint8_t m_address = 1;
};
