// The "File Transfer" connection window: the Communications group (connection
// list, "Network Address:", the panel of the chosen kind), "&Connect" and
// "E&xit". Connect runs one link operation: connect, the File Transfer
// window for as long as the operator keeps it open, disconnect. Its progress
// window stays up behind the File Transfer window until the link is closed.
#pragma once

#include <QDialog>
#include <cstdint>

#include "connection/LinkOperation.h"

class QPushButton;
class CCommunicationsGroup;
class CJxConfigApp;
class CFileTransferDlg;

class CFileTransferConnectDlg : public QDialog {
    Q_OBJECT
public:
    CFileTransferConnectDlg(QWidget* parent, CJxConfigApp& app);

    CLinkOwner& Owner() { return m_owner; }
    // True once a File Transfer window was opened and its link closed again.
    bool Finished() const { return m_finished; }

protected:
    void reject() override;  // "E&xit", Escape and the close box

private:
    void OnConnect();
    // On the window thread, while the connection's worker waits: the File
    // Transfer window, modal, until the operator leaves it.
    void RunTransferWindow(uint8_t address);

    CJxConfigApp& m_app;
    CLinkOwner m_owner;
    CCommunicationsGroup* m_group;
    QPushButton* m_connect;
    QPushButton* m_exit;
    bool m_finished = false;
};
