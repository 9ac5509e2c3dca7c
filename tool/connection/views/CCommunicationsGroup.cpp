#include "CCommunicationsGroup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ConnectionPanels.h"
#include "CDLCatchEdit.h"

CCommunicationsGroup::CCommunicationsGroup(QWidget* parent) : QGroupBox("Communications", parent)
{
    setObjectName("communicationsGroup");
    m_kinds = new QComboBox(this);
    m_kinds->setObjectName("connectionList");
    // Each entry carries its kind's number: the list's order is no rule.
    for (JxConnectionKind kind : kJxConnectionKinds) m_kinds->addItem(JxConnectionName(kind), JxConnectionKindNumber(kind));

    m_address = new CDLCatchEdit(this);
    m_address->setObjectName("networkAddress");
    m_address->SetCharacterClasses(kJxCatchDigits);
    m_address->SetMaxLength(3);
    connect(m_address, &QLineEdit::textChanged, this, &CCommunicationsGroup::OnAddressChanged);

    m_panels = new QStackedWidget(this);
    m_panels->setObjectName("panels");
    m_dialup = new CDialupPanel(m_panels);
    m_direct = new CDirectPanel(m_panels);
    m_tcpIp = new CTcpIpPanel(m_panels);
    m_panels->addWidget(m_dialup);
    m_panels->addWidget(m_direct);
    m_panels->addWidget(m_tcpIp);

    auto* form = new QFormLayout;
    form->addRow("Connection:", m_kinds);
    form->addRow("Network Address:", m_address);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_panels);

    connect(m_kinds, &QComboBox::currentIndexChanged, this, [this](int) { ShowPanel(Kind()); });
    m_address->setText("1");
    m_kinds->setCurrentIndex(m_kinds->findData(JxConnectionKindNumber(JxConnectionKind::Direct)));
    ShowPanel(JxConnectionKind::Direct);
}

QWidget* CCommunicationsGroup::PanelOf(JxConnectionKind kind) const
{
    switch (kind) {
    case JxConnectionKind::Dialup:
        return m_dialup;
    case JxConnectionKind::Direct:
        return m_direct;
    case JxConnectionKind::TcpIp:
        return m_tcpIp;
    }
    return m_direct;
}

void CCommunicationsGroup::ShowPanel(JxConnectionKind kind)
{
    QWidget* shown = PanelOf(kind);
    // The panel area is as tall as the panel shown (hidden ones do not
    // count), and as wide as the widest, so the width never jumps.
    for (int i = 0; i < m_panels->count(); ++i) {
        QWidget* panel = m_panels->widget(i);
        const QSizePolicy::Policy vertical = panel == shown ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        panel->setSizePolicy(panel->sizePolicy().horizontalPolicy(), vertical);
    }
    m_panels->setCurrentWidget(shown);
}

void CCommunicationsGroup::OnAddressChanged(const QString&)
{
    // The field as it stands: the filter may already have undone the change.
    const std::optional<std::string> replacement = CorrectNetworkAddress(m_address->text().toLatin1().toStdString());
    if (!replacement) return;
    m_address->setText(QString::fromLatin1(replacement->c_str()));
    m_address->selectAll();
}

void CCommunicationsGroup::Load(const CConnectionChoice& choice)
{
    m_dialup->Load(choice);
    m_direct->Load(choice);
    m_tcpIp->Load(choice);
    m_kinds->setCurrentIndex(m_kinds->findData(JxConnectionKindNumber(choice.kind)));
    ShowPanel(choice.kind);
    m_address->setText(QString::fromLatin1(choice.networkAddress.c_str()));
}

JxConnectionKind CCommunicationsGroup::Kind() const
{
    return JxConnectionKindFromNumber(m_kinds->currentData().toInt()).value_or(JxConnectionKind::Direct);
}

CConnectionChoice CCommunicationsGroup::Choice() const
{
    CConnectionChoice c;
    c.kind = Kind();
    c.networkAddress = m_address->text().toLatin1().toStdString();
    m_dialup->Collect(c);
    m_direct->Collect(c);
    m_tcpIp->Collect(c);
    return c;
}
