#include "CConnectionPanels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "CDLCatchEdit.h"
#include "connection/DialupRules.h"
#include "connection/DirectRules.h"

namespace {
QString L1(const std::string& s) { return QString::fromLatin1(s.c_str()); }
std::string L1(const QString& s) { return s.toLatin1().toStdString(); }
}  // namespace

// ---- dial-up -----------------------------------------------------------------

CDialupPanel::CDialupPanel(QWidget* parent) : QGroupBox("Dialup Network Attributes", parent)
{
    setObjectName("dialupPanel");
    m_modems = new QComboBox(this);
    m_modems->setObjectName("modemList");
    m_phone = new QLineEdit(this);
    m_phone->setObjectName("phoneNumber");
    // The settings keep the number in 20 bytes; a longer one would not come back.
    m_phone->setMaxLength(19);
    auto* form = new QFormLayout(this);
    form->addRow("Modem:", m_modems);
    form->addRow("Phone Number:", m_phone);
}

void CDialupPanel::Load(const CConnectionChoice& choice)
{
    m_modems->clear();
    for (const CListedModem& modem : ReadModemList()) m_modems->addItem(L1(modem.name), modem.dialupId);
    if (choice.modemIndex >= 0 && choice.modemIndex < m_modems->count()) m_modems->setCurrentIndex(choice.modemIndex);
    m_phone->setText(L1(choice.phoneNumber));
    m_modems->setEnabled(m_modems->count() > 0);
}

void CDialupPanel::Collect(CConnectionChoice& choice) const
{
    choice.modemIndex = m_modems->currentIndex() < 0 ? 0 : m_modems->currentIndex();
    choice.phoneNumber = L1(m_phone->text());
}

// ---- direct --------------------------------------------------------------------

CDirectPanel::CDirectPanel(QWidget* parent) : QGroupBox("Direct Network Attributes", parent)
{
    setObjectName("directPanel");
    m_ports = new QComboBox(this);
    m_ports->setObjectName("comPorts");
    m_bauds = new QComboBox(this);
    m_bauds->setObjectName("baudRate");
    for (const std::string& text : BaudRateTexts()) m_bauds->addItem(L1(text));
    connect(m_bauds, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_baudRate = BaudRateValue(L1(text)); });
    auto* form = new QFormLayout(this);
    form->addRow("COM Ports:", m_ports);
    form->addRow("Connection Baud Rate:", m_bauds);
}

void CDirectPanel::Load(const CConnectionChoice& choice)
{
    const std::vector<std::string> ports = ListSerialPorts();
    m_ports->clear();
    for (const std::string& port : ports) m_ports->addItem(L1(port));
    if (ports.empty()) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    if (int at = FindPortEntry(ports, choice.serialPort); at >= 0) m_ports->setCurrentIndex(at);
    if (int at = FindEntryByPrefix(BaudRateTexts(), choice.baud); at >= 0) m_bauds->setCurrentIndex(at);
    m_baudRate = BaudRateValue(L1(m_bauds->currentText()));
}

void CDirectPanel::Collect(CConnectionChoice& choice) const
{
    // A panel without ports configures nothing; keep the saved port then.
    if (m_ports->count() > 0) choice.serialPort = L1(m_ports->currentText());
    choice.baud = L1(m_bauds->currentText());
}

// ---- TCP/IP --------------------------------------------------------------------

CTcpIpPanel::CTcpIpPanel(QWidget* parent) : QGroupBox("Network Attributes", parent)
{
    setObjectName("tcpIpPanel");
    m_address = new QLineEdit(this);
    m_address->setObjectName("ipAddress");
    // The settings keep the address in 50 bytes.
    m_address->setMaxLength(49);
    m_socket = new CDLCatchEdit(this);
    m_socket->setObjectName("socketNumber");
    m_socket->SetCharacterClasses(kJxCatchDigits);
    m_socket->SetMaxLength(5);
    m_useDefault = new QCheckBox("Use Default", this);
    m_useDefault->setObjectName("useDefault");
    connect(m_useDefault, &QCheckBox::toggled, this, &CTcpIpPanel::OnUseDefault);
    auto* form = new QFormLayout(this);
    form->addRow("DNS or TCP / IP Address:", m_address);
    form->addRow("Socket:", m_socket);
    form->addRow("", m_useDefault);
}

void CTcpIpPanel::OnUseDefault(bool ticked)
{
    // While ticked the field shows the default; clearing the box lets the
    // operator type another.
    if (ticked) m_socket->setText(QString::number(kJxDefaultSocket));
    m_socket->setEnabled(!ticked);
}

void CTcpIpPanel::Load(const CConnectionChoice& choice)
{
    if (!choice.ipAddress.empty()) m_address->setText(L1(choice.ipAddress));
    m_socket->setText(L1(choice.socketNumber));
    m_useDefault->setChecked(choice.useDefaultSocket);
    OnUseDefault(choice.useDefaultSocket);
}

void CTcpIpPanel::Collect(CConnectionChoice& choice) const
{
    choice.ipAddress = L1(m_address->text());
    choice.useDefaultSocket = m_useDefault->isChecked();
    choice.socketNumber = L1(m_socket->text());
}
