#include "CConnectDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "CCommunicationsGroup.h"
#include "RunLinkOperation.h"
#include "connection/ConnectionSequence.h"
#include "shell/CJxConfigApp.h"

CConnectionWindowParts JxBuildConnectionWindow(QDialog& window, const char* exitText)
{
    CConnectionWindowParts parts{};
    parts.group = new CCommunicationsGroup(&window);
    auto* buttons = new QDialogButtonBox(&window);
    buttons->setObjectName("buttons");
    parts.connect = new QPushButton("&Connect", buttons);
    parts.connect->setObjectName("connectButton");
    parts.exit = new QPushButton(exitText, buttons);
    parts.exit->setObjectName("exitButton");
    buttons->addButton(parts.connect, QDialogButtonBox::AcceptRole);
    buttons->addButton(parts.exit, QDialogButtonBox::RejectRole);
    parts.connect->setDefault(true);
    parts.exit->setAutoDefault(false);

    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(parts.group);
    layout->addWidget(buttons);
    // The window takes the size of what it shows: the panel of the chosen
    // connection sits right above the buttons, whichever it is.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return parts;
}

CConnectDlg::CConnectDlg(QWidget* parent, CJxConfigApp& app, CLinkOwner* owner)
    : QDialog(parent), m_app(app), m_owner(owner)
{
    setObjectName("connectDialog");
    setWindowTitle("Connect");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    const CConnectionWindowParts parts = JxBuildConnectionWindow(*this, "&Exit");
    m_group = parts.group;
    m_connect = parts.connect;
    m_exit = parts.exit;
    // Connect closes the window only once the link is up: wired to OnConnect,
    // not to the box's accepted().
    connect(m_connect, &QPushButton::clicked, this, &CConnectDlg::OnConnect);
    connect(m_exit, &QPushButton::clicked, this, &CConnectDlg::reject);

    m_group->Load(LoadConnectionChoice(m_app));
    if (m_owner == nullptr) {
        m_group->setEnabled(false);
        m_connect->setEnabled(false);
        m_exit->setEnabled(false);
    }
}

void CConnectDlg::OnConnect()
{
    if (m_owner == nullptr) return;
    const CConnectionChoice choice = m_group->Choice();
    CLinkOwner& owner = *m_owner;
    const bool connected = JxConnect(owner, m_app, choice, [this, &owner](const std::function<bool()>& work) {
        return RunLinkOperation(this, owner, work);
    });
    // Not connected: the operator may change the choice and try again.
    if (!connected) return;
    StoreConnectionChoice(m_app, choice);
    m_kind = choice.kind;
    m_address = NetworkAddressValue(choice.networkAddress);
    accept();
}

void CConnectDlg::reject()
{
    // The window leaves through "&Exit" in every way; without a link it has
    // nothing of its own to remember.
    if (m_owner != nullptr) StoreConnectionChoice(m_app, m_group->Choice());
    QDialog::reject();
}
