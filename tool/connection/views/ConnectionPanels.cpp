#include "ConnectionPanels.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "CDLCatchEdit.h"
#include "connection/DialupRules.h"
#include "connection/DirectRules.h"
#include "connection/TcpIpRules.h"

namespace {
QString L1(const std::string& s) { return QString::fromLatin1(s.c_str()); }
std::string L1(const QString& s) { return s.toLatin1().toStdString(); }

// Room a port or modem list keeps whatever it holds ("COM12 (/dev/ttyUSB3)"):
// the window keeps one size whatever the names found on this machine.
constexpr int kListCharacters = 20;

// A list of names from this machine: its width stays put, the list opens as
// wide as its longest entry, and the closed list names its entry whole in
// its tooltip.
void KeepListWidth(QComboBox* list)
{
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(kListCharacters);
    QObject::connect(list, &QComboBox::currentTextChanged, list,
                     [list](const QString& text) { list->setToolTip(text); });
}

// After the list was filled: the open list shows every entry whole.
void FitPopupToEntries(QComboBox* list)
{
    QAbstractItemView* view = list->view();
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (int i = 0; i < list->count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)));
    // Around the text: the item's margins and check column as the style
    // draws a list entry, the list's frame, a scroll bar should it need one.
    const int around = 2 * metrics.height() + view->verticalScrollBar()->sizeHint().width() +
                       2 * list->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    view->setMinimumWidth(widest + around);
}
}  // namespace

// ---- dial-up -----------------------------------------------------------------

CDialupPanel::CDialupPanel(QWidget* parent) : QGroupBox("Dialup Network Attributes", parent)
{
    setObjectName("dialupPanel");
    m_modems = new QComboBox(this);
    m_modems->setObjectName("modemList");
    KeepListWidth(m_modems);
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
    FitPopupToEntries(m_modems);
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
    KeepListWidth(m_ports);
    m_bauds = new QComboBox(this);
    m_bauds->setObjectName("baudRate");
    for (const std::string& text : BaudRateTexts()) m_bauds->addItem(L1(text));
    auto* form = new QFormLayout(this);
    form->addRow("COM Ports:", m_ports);
    form->addRow("Connection Baud Rate:", m_bauds);
}

void CDirectPanel::Load(const CConnectionChoice& choice)
{
    const std::vector<CListedPort> listed = ListSerialPortsWithDevices();
    std::vector<std::string> ports;
    m_ports->clear();
    for (const CListedPort& port : listed) {
        ports.push_back(port.entry);
        m_ports->addItem(L1(port.entry));
        if (!port.device.empty()) m_ports->setItemData(m_ports->count() - 1, L1(port.device), Qt::ToolTipRole);
    }
    FitPopupToEntries(m_ports);
    if (ports.empty()) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    if (int at = FindPortEntry(ports, choice.serialPort); at >= 0) m_ports->setCurrentIndex(at);
    if (int at = FindEntryByPrefix(BaudRateTexts(), BaudRateText(choice.baud)); at >= 0) m_bauds->setCurrentIndex(at);
}

void CDirectPanel::Collect(CConnectionChoice& choice) const
{
    // A panel without ports configures nothing; keep the saved port then.
    if (m_ports->count() > 0) choice.serialPort = L1(m_ports->currentText());
    choice.baud = BaudRateValue(L1(m_bauds->currentText()));
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
    m_socket->setText(L1(SocketNumberText(choice.socketNumber)));
    m_useDefault->setChecked(choice.useDefaultSocket);
    OnUseDefault(choice.useDefaultSocket);
}

void CTcpIpPanel::Collect(CConnectionChoice& choice) const
{
    choice.ipAddress = L1(m_address->text());
    choice.useDefaultSocket = m_useDefault->isChecked();
    choice.socketNumber = SocketNumberFromText(L1(m_socket->text()));
}
