#include "CAdvancedConfigDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

#include "CArrowEdit.h"
#include "CFunctionDlg.h"
#include "connection/views/CDLCatchEdit.h"
#include "shell/MessageBox.h"

namespace {

template <size_t N>
QComboBox* MakeList(QWidget* parent, const char* name, const std::array<const char*, N>& items)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (const char* item : items) list->addItem(item);
    return list;
}

// A number field: digits only, at most `length` of them, with arrows.
CArrowEdit* MakeNumber(QWidget* parent, const char* name, int length, const char* accessibleName)
{
    auto* edit = new CDLCatchEdit;
    edit->SetCharacterClasses(kJxCatchDigits);
    edit->SetDecimals(-1);
    edit->SetMaxLength(length);
    auto* field = new CArrowEdit(parent, edit);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    field->SetCharacters(std::max(length, 3));
    return field;
}

QLabel* Fixed(QWidget* parent, const char* text)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

void ShowText(QLineEdit* edit, const std::string& text)
{
    const QString shown = QString::fromLatin1(text);
    if (edit->text() != shown) edit->setText(shown);
}

std::string Text(const QLineEdit* edit) { return edit->text().toLatin1().toStdString(); }
std::string Text(const CArrowEdit* edit) { return edit->Text().toLatin1().toStdString(); }

}  // namespace

CAdvancedConfigDlg::CAdvancedConfigDlg(QWidget* parent, ConfigWorkset& workset, const CFactoryDefaults& defaults)
    : QDialog(parent), m_workset(workset), m_rules(defaults)
{
    setObjectName("advancedConfigDialog");
    setWindowTitle("Set Advanced Configuration");
    setModal(true);

    // ---- ports: one column per property, the same columns in both groups ----
    auto* required = new QGroupBox("Required Ports:", this);
    auto* requiredGrid = new QGridLayout(required);
    const char* const headings[] = {"Connection Type", "Port Number", "Protocol", "Baud Rate", "Hand Shaking"};
    for (int c = 0; c < 5; ++c) requiredGrid->addWidget(Fixed(required, headings[c]), 0, c + 1);

    requiredGrid->addWidget(Fixed(required, "Tolvar Direct:"), 1, 0);
    m_connectionType = MakeList(required, "connectionType", kJxConnectionTypeItems);
    m_requiredProtocol = MakeList(required, "requiredProtocol", kJxProtocolItems);
    m_baudRate = MakeList(required, "baudRate", kJxBaudRateItems);
    m_handshake = MakeList(required, "handShaking", kJxHandshakeItems);
    m_handshake->setEnabled(false);
    requiredGrid->addWidget(m_connectionType, 1, 1);
    requiredGrid->addWidget(Fixed(required, "1"), 1, 2);
    requiredGrid->addWidget(m_requiredProtocol, 1, 3);
    requiredGrid->addWidget(m_baudRate, 1, 4);
    requiredGrid->addWidget(m_handshake, 1, 5);

    requiredGrid->addWidget(Fixed(required, "Tolvar Ethernet:"), 2, 0);
    requiredGrid->addWidget(Fixed(required, "TCP/IP"), 2, 1);
    m_ethernetPort = MakeNumber(required, "ethernetPort", 5, "Ethernet port number");
    m_ethernetProtocol = MakeList(required, "ethernetProtocol", kJxEthernetProtocolItems);
    requiredGrid->addWidget(m_ethernetPort, 2, 2);
    requiredGrid->addWidget(m_ethernetProtocol, 2, 3);

    auto* rtd = new QGroupBox("RTD Ports:", this);
    auto* rtdGrid = new QGridLayout(rtd);
    m_rtdSerial = new QCheckBox("RTD:", rtd);
    m_rtdSerial->setObjectName("rtdSerialEnabled");
    m_rtdBaudRate = MakeList(rtd, "rtdBaudRate", kJxBaudRateItems);
    m_rtdHandshake = MakeList(rtd, "rtdHandShaking", kJxHandshakeItems);
    m_rtdHandshake->setEnabled(false);
    rtdGrid->addWidget(m_rtdSerial, 0, 0);
    rtdGrid->addWidget(Fixed(rtd, "Direct"), 0, 1);
    rtdGrid->addWidget(Fixed(rtd, "2"), 0, 2);
    rtdGrid->addWidget(Fixed(rtd, "RTD"), 0, 3);
    rtdGrid->addWidget(m_rtdBaudRate, 0, 4);
    rtdGrid->addWidget(m_rtdHandshake, 0, 5);

    m_rtdNetwork = new QCheckBox("RTD:", rtd);
    m_rtdNetwork->setObjectName("rtdNetworkEnabled");
    m_rtdConnectionType = MakeList(rtd, "rtdConnectionType", kJxRtdConnectionTypeItems);
    m_rtdPort = MakeNumber(rtd, "rtdPort", 5, "RTD network port number");
    rtdGrid->addWidget(m_rtdNetwork, 1, 0);
    rtdGrid->addWidget(m_rtdConnectionType, 1, 1);
    rtdGrid->addWidget(m_rtdPort, 1, 2);
    rtdGrid->addWidget(Fixed(rtd, "RTD"), 1, 3);

    // The two groups line their columns up: each column as wide as its
    // widest cell in either.
    for (int c = 0; c < 6; ++c) {
        int width = 0;
        for (QGridLayout* grid : {requiredGrid, rtdGrid})
            for (int r = 0; r < grid->rowCount(); ++r)
                if (QLayoutItem* item = grid->itemAtPosition(r, c)) width = std::max(width, item->sizeHint().width());
        requiredGrid->setColumnMinimumWidth(c, width);
        rtdGrid->setColumnMinimumWidth(c, width);
    }
    requiredGrid->setColumnStretch(6, 1);
    rtdGrid->setColumnStretch(6, 1);

    // ---- limits and options: two columns ----
    auto* limits = new QGridLayout;
    m_signNumber = MakeNumber(this, "signNumber", 3, "Enhanced RTD sign number");
    limits->addWidget(Fixed(this, "Enhanced RTD Sign Number:"), 0, 0);
    limits->addWidget(m_signNumber, 0, 2);

    m_thermalLow = MakeNumber(this, "thermalLow", kJxThermalEditLength, "Low thermal threshold");
    m_thermalHigh = MakeNumber(this, "thermalHigh", kJxThermalEditLength, "High thermal threshold");
    limits->addWidget(Fixed(this, "Thermal Protection Thresholds:"), 1, 0);
    limits->addWidget(Fixed(this, "Low:"), 1, 1);
    limits->addWidget(m_thermalLow, 1, 2);
    limits->addWidget(Fixed(this, "High:"), 1, 3);
    limits->addWidget(m_thermalHigh, 1, 4);

    m_refreshRate = MakeNumber(this, "refreshRate", 3, "Refresh rate");
    limits->addWidget(Fixed(this, "Refresh Rate:"), 2, 0);
    limits->addWidget(m_refreshRate, 2, 2);

    m_brightnessLow = MakeNumber(this, "brightnessLow", kJxBrightnessEditLength, "Low brightness");
    m_brightnessHigh = MakeNumber(this, "brightnessHigh", kJxBrightnessEditLength, "High brightness");
    limits->addWidget(Fixed(this, "Brightness Limits:"), 3, 0);
    limits->addWidget(Fixed(this, "Low:"), 3, 1);
    limits->addWidget(m_brightnessLow, 3, 2);
    limits->addWidget(Fixed(this, "High:"), 3, 3);
    limits->addWidget(m_brightnessHigh, 3, 4);
    limits->setRowStretch(4, 1);

    auto* options = new QGridLayout;
    m_fileMode = MakeList(this, "fileMode", kJxFileModeItems);
    m_ethernetMode = MakeList(this, "ethernetMode", kJxEthernetModeItems);
    m_modemInit = new QLineEdit(this);
    m_modemInit->setObjectName("modemInit");
    // The document holds Latin-1 text: other characters are refused as typed.
    m_modemInit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*"), m_modemInit));
    m_modemInit->setMinimumWidth(JxTextFieldWidth(m_modemInit, 20));
    m_logSize = new CDLCatchEdit(this);
    m_logSize->setObjectName("logSize");
    m_logSize->SetCharacterClasses(kJxCatchDigits);
    m_logSize->SetDecimals(-1);
    m_logSize->SetMaxLength(7);
    m_logSize->setFixedWidth(JxTextFieldWidth(m_logSize, 7));
    auto* gammaEdit = new CDLCatchEdit;
    gammaEdit->SetCharacterClasses(kJxCatchDigits | kJxCatchDot);
    gammaEdit->SetDecimals(2);
    gammaEdit->SetMaxLength(4);
    m_gamma = new CArrowEdit(this, gammaEdit);
    m_gamma->setObjectName("gamma");
    m_gamma->setAccessibleName("Gamma correction");
    m_gamma->SetCharacters(4);

    options->addWidget(Fixed(this, "Version 1 File Mode:"), 0, 0);
    options->addWidget(m_fileMode, 0, 1, 1, 2, Qt::AlignLeft);
    options->addWidget(Fixed(this, "Ethernet Configuration:"), 1, 0);
    options->addWidget(m_ethernetMode, 1, 1, 1, 2, Qt::AlignLeft);
    options->addWidget(Fixed(this, "Modem Initialization String:"), 2, 0);
    options->addWidget(m_modemInit, 2, 1, 1, 2);
    options->addWidget(Fixed(this, "Log File Maximum Size:"), 3, 0);
    options->addWidget(m_logSize, 3, 1);
    options->addWidget(Fixed(this, "Bytes"), 3, 2);
    options->addWidget(Fixed(this, "Gamma Correction:"), 4, 0);
    options->addWidget(m_gamma, 4, 1, Qt::AlignLeft);
    options->setColumnStretch(2, 1);

    auto* lower = new QHBoxLayout;
    lower->addLayout(limits);
    lower->addSpacing(fontMetrics().averageCharWidth() * 3);
    lower->addLayout(options, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("buttons");
    m_apply = new QPushButton("&Apply", buttons);
    m_apply->setObjectName("applyButton");
    m_cancel = new QPushButton("&Cancel", buttons);
    m_cancel->setObjectName("cancelButton");
    // "&Apply" checks before it closes: wired to OnApply, not to accepted().
    buttons->addButton(m_apply, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    m_apply->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(required);
    layout->addWidget(rtd);
    layout->addLayout(lower);
    layout->addWidget(buttons);

    Show(m_rules.Open(workset));

    const auto list = [this](QComboBox* box, auto change) {
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, change](int index) { Show((m_rules.*change)(Collect(), index)); });
    };
    list(m_connectionType, &CAdvancedConfigPresenter::ChangeConnectionType);
    list(m_requiredProtocol, &CAdvancedConfigPresenter::ChangeRequiredProtocol);
    list(m_ethernetProtocol, &CAdvancedConfigPresenter::ChangeEthernetProtocol);
    list(m_rtdConnectionType, &CAdvancedConfigPresenter::ChangeRtdConnectionType);
    connect(m_rtdSerial, &QCheckBox::clicked, this,
            [this](bool checked) { Show(m_rules.ClickRtdSerial(Collect(), checked)); });
    connect(m_rtdNetwork, &QCheckBox::clicked, this,
            [this](bool checked) { Show(m_rules.ClickRtdNetwork(Collect(), checked)); });
    Wire(m_ethernetPort, &CAdvancedConfigPresenter::StepEthernetPort, &CAdvancedConfigPresenter::LeaveEthernetPort);
    Wire(m_rtdPort, &CAdvancedConfigPresenter::StepRtdPort, &CAdvancedConfigPresenter::LeaveRtdPort);
    Wire(m_signNumber, &CAdvancedConfigPresenter::StepSignNumber, &CAdvancedConfigPresenter::LeaveSignNumber);
    // Typed thresholds and limits are checked by "&Apply", not as they are left.
    Wire(m_thermalLow, &CAdvancedConfigPresenter::StepThermalLow, nullptr);
    Wire(m_thermalHigh, &CAdvancedConfigPresenter::StepThermalHigh, nullptr);
    Wire(m_brightnessLow, &CAdvancedConfigPresenter::StepBrightnessLow, nullptr);
    Wire(m_brightnessHigh, &CAdvancedConfigPresenter::StepBrightnessHigh, nullptr);
    Wire(m_refreshRate, &CAdvancedConfigPresenter::StepRefreshRate, &CAdvancedConfigPresenter::LeaveRefreshRate);
    Wire(m_gamma, &CAdvancedConfigPresenter::StepGamma, &CAdvancedConfigPresenter::LeaveGamma);
    m_logSize->installEventFilter(this);
    connect(m_apply, &QPushButton::clicked, this, &CAdvancedConfigDlg::OnApply);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CAdvancedConfigDlg::Wire(CArrowEdit* edit, Step step, Leave leave)
{
    connect(edit, &CArrowEdit::stepped, this, [this, step](int direction) {
        Show((m_rules.*step)(Collect(), direction > 0 ? JxArrow::Up : JxArrow::Down));
    });
    if (leave != nullptr) connect(edit, &CArrowEdit::left, this, [this, leave] { Show((m_rules.*leave)(Collect())); });
}

bool CAdvancedConfigDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving the field, by the mouse, Tab or Enter (which leaves and comes
    // back): the rules correct the size.
    if (watched == m_logSize && event->type() == QEvent::FocusOut) Show(m_rules.LeaveLogSize(Collect()));
    return QDialog::eventFilter(watched, event);
}

void CAdvancedConfigDlg::Show(const CAdvancedConfigState& state)
{
    m_state = state;
    const QSignalBlocker b1(m_connectionType), b2(m_requiredProtocol), b3(m_ethernetProtocol),
        b4(m_rtdConnectionType);
    m_connectionType->setCurrentIndex(state.connectionType);
    m_requiredProtocol->setCurrentIndex(state.requiredProtocol);
    m_baudRate->setCurrentIndex(state.baudRate);
    m_baudRate->setEnabled(state.baudRateEnabled);
    m_handshake->setCurrentIndex(state.handshake);
    m_ethernetPort->SetText(QString::fromLatin1(state.ethernetPort));
    m_ethernetProtocol->setCurrentIndex(state.ethernetProtocol);

    m_rtdSerial->setChecked(state.rtdSerialEnabled);
    m_rtdBaudRate->setCurrentIndex(state.rtdBaudRate);
    m_rtdBaudRate->setEnabled(state.rtdSerialEnabled);
    m_rtdHandshake->setCurrentIndex(state.rtdHandshake);
    m_rtdNetwork->setChecked(state.rtdNetworkEnabled);
    m_rtdConnectionType->setCurrentIndex(state.rtdConnectionType);
    m_rtdPort->SetText(QString::fromLatin1(state.rtdPort));
    m_rtdPort->setEnabled(state.rtdNetworkEnabled);

    m_signNumber->SetText(QString::fromLatin1(state.signNumber));
    m_thermalLow->SetText(QString::fromLatin1(state.thermalLow));
    m_thermalHigh->SetText(QString::fromLatin1(state.thermalHigh));
    m_refreshRate->SetText(QString::fromLatin1(state.refreshRate));
    m_refreshRate->setReadOnly(!state.refreshRateEnabled);
    m_refreshRate->SetArrowsEnabled(state.refreshRateEnabled);
    m_brightnessLow->SetText(QString::fromLatin1(state.brightnessLow));
    m_brightnessHigh->SetText(QString::fromLatin1(state.brightnessHigh));

    m_fileMode->setCurrentIndex(state.fileMode);
    m_ethernetMode->setCurrentIndex(state.ethernetMode);
    ShowText(m_modemInit, state.modemInit);
    m_modemInit->setEnabled(state.modemInitEnabled);
    ShowText(m_logSize, state.logSize);
    // The field drops its selection as it loses the focus: select after that.
    if (state.selectLogSize) QMetaObject::invokeMethod(m_logSize, &QLineEdit::selectAll, Qt::QueuedConnection);
    m_gamma->SetText(QString::fromLatin1(state.gamma));
}

CAdvancedConfigState CAdvancedConfigDlg::Collect() const
{
    CAdvancedConfigState s = m_state;
    s.connectionType = m_connectionType->currentIndex();
    s.requiredProtocol = m_requiredProtocol->currentIndex();
    s.baudRate = m_baudRate->currentIndex();
    s.handshake = m_handshake->currentIndex();
    s.ethernetPort = Text(m_ethernetPort);
    s.ethernetProtocol = m_ethernetProtocol->currentIndex();
    s.rtdSerialEnabled = m_rtdSerial->isChecked();
    s.rtdBaudRate = m_rtdBaudRate->currentIndex();
    s.rtdHandshake = m_rtdHandshake->currentIndex();
    s.rtdNetworkEnabled = m_rtdNetwork->isChecked();
    s.rtdConnectionType = m_rtdConnectionType->currentIndex();
    s.rtdPort = Text(m_rtdPort);
    s.signNumber = Text(m_signNumber);
    s.thermalLow = Text(m_thermalLow);
    s.thermalHigh = Text(m_thermalHigh);
    s.refreshRate = Text(m_refreshRate);
    s.brightnessLow = Text(m_brightnessLow);
    s.brightnessHigh = Text(m_brightnessHigh);
    s.fileMode = m_fileMode->currentIndex();
    s.ethernetMode = m_ethernetMode->currentIndex();
    s.modemInit = Text(m_modemInit);
    s.logSize = Text(m_logSize);
    s.gamma = Text(m_gamma);
    s.selectLogSize = false;
    return s;
}

void CAdvancedConfigDlg::OnApply()
{
    const CAdvancedApplyResult result = m_rules.Apply(Collect(), m_workset);
    Show(result.state);
    if (!result.message.empty()) JxShowMessage(result.kind, result.message);
    if (result.close) {
        accept();
        return;
    }
    activateWindow();
}
