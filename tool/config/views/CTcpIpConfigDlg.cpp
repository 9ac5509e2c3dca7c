#include "CTcpIpConfigDlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "CIpAddressEdit.h"

CTcpIpConfigDlg::CTcpIpConfigDlg(QWidget* parent, CConfigDocument& document)
    : CFunctionDlg(parent, document, "Set TCP/IP Configuration")
{
    setObjectName("tcpIpConfigDialog");
    auto* layout = new QVBoxLayout(this);

    // One grid: the DHCP choice with its name on the first row, the static
    // choice before the first of its three labels (the others line up with
    // it), every field starting at the same edge.
    auto* grid = new QGridLayout;
    m_dhcp = new QRadioButton("Use DHCP Configuration", this);
    m_dhcp->setObjectName("useDhcp");
    m_dhcpName = new QLineEdit(this);
    m_dhcpName->setObjectName("dhcpName");
    // Room for a host name as a network names a display.
    m_dhcpName->setMinimumWidth(JxTextFieldWidth(m_dhcpName, 24));
    m_dhcpName->setAccessibleName("DHCP name");
    grid->addWidget(m_dhcp, 0, 0);
    grid->addWidget(m_dhcpName, 0, 1);

    m_static = new QRadioButton(QString(), this);
    m_static->setObjectName("useStatic");
    m_static->setAccessibleName("Use the static configuration");
    // The labels start where the DHCP choice's text does: the width of a
    // radio button's indicator and the space before its text.
    const int labelIndent =
        std::max(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, m_static) +
                     style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, m_static),
                 m_static->sizeHint().width());
    m_static->setFixedWidth(labelIndent);
    auto* staticChoice = new QHBoxLayout;
    staticChoice->setContentsMargins(0, 0, 0, 0);
    staticChoice->setSpacing(0);
    staticChoice->addWidget(m_static);
    grid->addLayout(staticChoice, 1, 0);
    const struct {
        const char* label;
        const char* name;
        CIpAddressEdit** edit;
    } rows[] = {
        {"TCP/IP Address:", "ipAddress", &m_address},
        {"Subnet Mask:", "subnetMask", &m_mask},
        {"Gateway:", "gateway", &m_gateway},
    };
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(rows[i].label, this);
        auto* edit = new CIpAddressEdit(this);
        edit->setObjectName(rows[i].name);
        label->setBuddy(edit);
        if (i == 0) {
            staticChoice->addWidget(label, 1);
        } else {
            label->setContentsMargins(labelIndent, 0, 0, 0);
            grid->addWidget(label, i + 1, 0);
        }
        // Each address field is as wide as its four numbers.
        grid->addWidget(edit, i + 1, 1, Qt::AlignLeft);
        *rows[i].edit = edit;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addSpacing(fontMetrics().height() / 2);
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_dhcp);
    modes->addButton(m_static);
    AddButtons(layout, "Set TCP/IP &Configuration");

    Show(m_rules.Open(document));
    connect(m_dhcp, &QRadioButton::clicked, this, [this] { Show(m_rules.Change(Collect())); });
    connect(m_static, &QRadioButton::clicked, this, [this] { Show(m_rules.Change(Collect())); });
    // Only a move into the field fills it: a check's message box that hands
    // the focus back must leave the operator's mask for its own check.
    connect(m_mask, &CIpAddressEdit::operatorEntered, this, [this] { Show(m_rules.MaskEntered(Collect())); });
}

void CTcpIpConfigDlg::Show(const CTcpIpConfigState& state)
{
    const CTcpIpConfigInput& in = state.input;
    m_dhcp->setChecked(in.dhcp);
    m_static->setChecked(!in.dhcp);
    if (m_address->Value() != in.address) m_address->SetValue(in.address);
    if (m_mask->Value() != in.mask) m_mask->SetValue(in.mask);
    if (m_gateway->Value() != in.gateway) m_gateway->SetValue(in.gateway);
    if (m_dhcpName->text().toLatin1().toStdString() != in.dhcpName)
        m_dhcpName->setText(QString::fromLatin1(in.dhcpName));
    m_dhcpName->setEnabled(state.dhcpNameEnabled);
    m_address->setEnabled(state.addressFieldsEnabled);
    m_mask->setEnabled(state.addressFieldsEnabled);
    m_gateway->setEnabled(state.addressFieldsEnabled);
}

CTcpIpConfigInput CTcpIpConfigDlg::Collect() const
{
    return {m_dhcp->isChecked(), m_address->Value(), m_mask->Value(), m_gateway->Value(),
            m_dhcpName->text().toLatin1().toStdString()};
}

void CTcpIpConfigDlg::OnSet() { Finish(m_rules.Apply(Collect(), m_document)); }
