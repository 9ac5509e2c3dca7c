#include "CFileTransferConnectDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "CFileTransferDlg.h"
#include "connection/ConnectionSequence.h"
#include "connection/views/CCommunicationsGroup.h"
#include "connection/views/CConnectDlg.h"
#include "connection/views/RunLinkOperation.h"
#include "shell/CJxConfigApp.h"

CFileTransferConnectDlg::CFileTransferConnectDlg(QWidget* parent, CJxConfigApp& app) : QDialog(parent), m_app(app)
{
    setObjectName("fileTransferConnectDialog");
    setWindowTitle("File Transfer");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    const CConnectionWindowParts parts = JxBuildConnectionWindow(*this, "E&xit");
    m_group = parts.group;
    m_connect = parts.connect;
    m_exit = parts.exit;
    connect(m_connect, &QPushButton::clicked, this, &CFileTransferConnectDlg::OnConnect);
    connect(m_exit, &QPushButton::clicked, this, &CFileTransferConnectDlg::reject);

    m_group->Load(LoadConnectionChoice(m_app));
}

void CFileTransferConnectDlg::OnConnect()
{
    const CConnectionChoice choice = m_group->Choice();
    const uint8_t address = NetworkAddressValue(choice.networkAddress);
    m_finished = false;
    // The steps run straight on the operation's worker: the one progress
    // window covers connect, the File Transfer window and disconnect.
    const JxRunOperation direct = [](const std::function<bool()>& work) { return work(); };
    CLinkOwner& owner = m_owner;
    CJxConfigApp& app = m_app;
    const bool ran = RunLinkOperation(this, owner, [&] {
        return JxRunConnected(owner, app, choice, direct, [this, address] {
            // Widgets live on the window thread: the worker waits there
            // while the window runs (Abort behind it has nothing to stop).
            QMetaObject::invokeMethod(this, [this, address] { RunTransferWindow(address); },
                                      Qt::BlockingQueuedConnection);
        });
    });
    m_finished = ran;
    // Not connected: the operator may change the choice and try again.
    if (m_finished) reject();
}

void CFileTransferConnectDlg::RunTransferWindow(uint8_t address)
{
    CFileTransferDlg window(this, m_app, m_owner, address);
    window.exec();
}

void CFileTransferConnectDlg::reject()
{
    StoreConnectionChoice(m_app, m_group->Choice());
    QDialog::reject();
}
