#include "CSoftwareAddressDlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

CSoftwareAddressDlg::CSoftwareAddressDlg(QWidget* parent, CConfigDocument& document)
    : CFunctionDlg(parent, document, "Set Software Address")
{
    setObjectName("softwareAddressDialog");
    auto* layout = new QVBoxLayout(this);
    m_use = new QCheckBox("Use Software Addressing", this);
    m_use->setObjectName("useSoftwareAddressing");
    auto* label = new QLabel("New Address:", this);
    m_address = new QLineEdit(this);
    m_address->setObjectName("newAddress");
    m_address->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_address));
    // Room for the three digits of an address, not more.
    m_address->setFixedWidth(JxTextFieldWidth(m_address, 3));
    label->setBuddy(m_address);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(m_use);
    form->addRow(label, m_address);
    layout->addLayout(form);
    layout->addStretch();
    layout->addSpacing(fontMetrics().height() / 2);
    // Room around the two lines, like the other function windows.
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);
    AddButtons(layout, "Set &Software Address");

    Show(m_rules.Open(document));
    m_address->installEventFilter(this);
    connect(m_use, &QCheckBox::clicked, this, [this] { Show(m_rules.Change(Collect())); });
    connect(m_address, &QLineEdit::textEdited, this, [this] { m_rules.Change(Collect()); });
}

void CSoftwareAddressDlg::Show(const CSoftwareAddressState& state)
{
    m_use->setChecked(state.input.useSoftwareAddressing);
    m_address->setEnabled(state.addressEnabled);
    if (m_address->text().toStdString() != state.input.addressText)
        m_address->setText(QString::fromLatin1(state.input.addressText));
    // The edit drops its selection as it loses the focus: select after that.
    if (state.selectAddress) QMetaObject::invokeMethod(m_address, &QLineEdit::selectAll, Qt::QueuedConnection);
}

CSoftwareAddressInput CSoftwareAddressDlg::Collect() const
{
    return {m_use->isChecked(), m_address->text().toLatin1().toStdString()};
}

bool CSoftwareAddressDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_address && event->type() == QEvent::FocusOut) Show(m_rules.LeaveAddressEdit(Collect()));
    return CFunctionDlg::eventFilter(watched, event);
}

void CSoftwareAddressDlg::OnSet()
{
    const CFunctionApply result = m_rules.Apply(Collect(), m_document);
    Show(m_rules.State());  // the address as it was written
    Finish(result);
}
