#include "CSetConfigDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "CAdvancedConfigDlg.h"
#include "CTechnologyPanel.h"

namespace {
// The document holds Latin-1 text: a character it cannot hold is refused as
// it is typed rather than written as something else.
QValidator* Latin1Text(QObject* parent)
{
    return new QRegularExpressionValidator(QRegularExpression("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*"), parent);
}
}  // namespace

CSetConfigDlg::CSetConfigDlg(QWidget* parent, CConfigDocument& document, const CXmlDocument& catalogue,
                             const CFactoryDefaults& defaults)
    : CFunctionDlg(parent, document, "Set Configuration"), m_defaults(defaults), m_rules(catalogue, defaults)
{
    setObjectName("setConfigDialog");

    // Left: what the display is built of.
    auto* hardware = new QGroupBox("Display Configuration:", this);
    hardware->setObjectName("displayConfiguration");
    auto* technologyLabel = new QLabel("Technology:", hardware);
    m_technology = new QComboBox(hardware);
    m_technology->setObjectName("technologyList");
    for (const JxTechnology& t : kJxTechnologies) m_technology->addItem(t.listItem);
    technologyLabel->setBuddy(m_technology);
    m_panel = new CTechnologyPanel(hardware);
    auto* technologyRow = new QHBoxLayout;
    technologyRow->addWidget(technologyLabel);
    technologyRow->addWidget(m_technology, 1);
    auto* hardwareLayout = new QVBoxLayout(hardware);
    hardwareLayout->addLayout(technologyRow);
    hardwareLayout->addWidget(m_panel);
    hardwareLayout->addStretch();

    // Right: what the display is called and how it keeps time, and the
    // advanced options.
    auto* properties = new QGroupBox("Display Properties:", this);
    properties->setObjectName("displayProperties");
    m_displayName = new QLineEdit(properties);
    m_displayName->setObjectName("displayName");
    m_displayName->setValidator(Latin1Text(m_displayName));
    m_displayName->setMinimumWidth(JxTextFieldWidth(m_displayName, 28));
    m_timeZone = new QComboBox(properties);
    m_timeZone->setObjectName("timeZoneList");
    for (const JxTimeZoneItem& zone : m_rules.TimeZones().Items())
        m_timeZone->addItem(QString::fromLatin1(zone.label), zone.offset);
    m_timeZone->setMaxVisibleItems(16);
    m_daylightSaving = new QCheckBox("Enabled", properties);
    m_daylightSaving->setObjectName("daylightSaving");
    m_useDefault = new QCheckBox("Use Default", properties);
    m_useDefault->setObjectName("useDefault");
    m_advanced = new QPushButton("Advanced >>>", properties);
    m_advanced->setObjectName("advancedButton");
    m_advanced->setAutoDefault(false);

    auto* grid = new QGridLayout(properties);
    const struct {
        const char* label;
        QWidget* field;
    } rows[] = {{"Display Name:", m_displayName},
                {"Time Zone:", m_timeZone},
                {"Daylight Savings Time:", m_daylightSaving},
                {"Advanced Options:", m_useDefault}};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(rows[i].label, properties);
        label->setBuddy(rows[i].field);
        grid->addWidget(label, i, 0);
        grid->addWidget(rows[i].field, i, 1, 1, i == 0 ? 2 : 1, i == 0 ? Qt::Alignment() : Qt::AlignLeft);
    }
    grid->addWidget(m_advanced, 3, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);

    auto* groups = new QHBoxLayout;
    groups->addWidget(hardware);
    groups->addWidget(properties, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    AddButtons(layout, "&Set Configuration");

    // Tab order: the Technology list, the panel, then the properties in
    // reading order, then the buttons.
    setTabOrder(m_technology, m_panel->FirstField());
    setTabOrder(m_panel->LastField(), m_displayName);
    setTabOrder(m_displayName, m_timeZone);
    setTabOrder(m_timeZone, m_daylightSaving);
    setTabOrder(m_daylightSaving, m_useDefault);
    setTabOrder(m_useDefault, m_advanced);
    setTabOrder(m_advanced, m_set);
    setTabOrder(m_set, m_close);

    Show(m_rules.Open(document));

    connect(m_useDefault, &QCheckBox::clicked, this, [this] { Show(m_rules.Change(Collect())); });
    connect(m_daylightSaving, &QCheckBox::clicked, this, [this] { m_rules.Change(Collect()); });
    connect(m_timeZone, &QComboBox::currentIndexChanged, this, [this] { m_rules.Change(Collect()); });
    connect(m_displayName, &QLineEdit::textEdited, this, [this] { m_rules.Change(Collect()); });
    connect(m_advanced, &QPushButton::clicked, this, &CSetConfigDlg::OpenAdvanced);
    connect(m_panel, &CTechnologyPanel::heightChosen, this,
            [this](int index) { Show(m_rules.ChooseHeight(Collect(), index)); });
    connect(m_panel, &CTechnologyPanel::widthChosen, this,
            [this](int index) { Show(m_rules.ChooseWidth(Collect(), index)); });
    connect(m_panel, &CTechnologyPanel::colourDepthChosen, this,
            [this](int index) { Show(m_rules.ChooseColourDepth(Collect(), index)); });
    connect(m_panel, &CTechnologyPanel::moduleChosen, this,
            [this](int index) { Show(m_rules.ChooseModule(Collect(), index)); });
}

void CSetConfigDlg::Show(const CSetConfigState& state)
{
    const CSetConfigInput& in = state.input;
    const QSignalBlocker quietTechnology(m_technology), quietZone(m_timeZone);
    m_technology->setCurrentIndex(state.technologySelection);
    m_technology->setEnabled(state.technologyListEnabled);
    m_panel->Show(state.panel);
    const QString name = QString::fromLatin1(in.displayName);
    if (m_displayName->text() != name) m_displayName->setText(name);
    m_timeZone->setCurrentIndex(in.zoneSelection);
    m_daylightSaving->setChecked(in.daylightSaving);
    m_useDefault->setChecked(in.useDefault);
    m_advanced->setEnabled(state.advancedEnabled);
}

CSetConfigInput CSetConfigDlg::Collect() const
{
    // The zone list holds the table's items in table order: its position is
    // the table position.
    return {m_displayName->text().toLatin1().toStdString(), m_timeZone->currentIndex(), m_daylightSaving->isChecked(),
            m_useDefault->isChecked()};
}

void CSetConfigDlg::OpenAdvanced()
{
    // Whatever the advanced window stores goes into the working copy, also
    // when it is left with "&Cancel" after an "&Apply" that reported.
    CAdvancedConfigDlg advanced(this, m_rules.Workset(), m_defaults);
    advanced.exec();
    activateWindow();
}

void CSetConfigDlg::OnSet()
{
    const CSetConfigResult result = m_rules.Set(Collect(), m_document);
    Show(m_rules.State());
    CFunctionApply apply;
    apply.accepted = result.accepted;
    apply.message = result.message;
    apply.kind = result.kind;
    if (result.accepted) apply.update = CConnectionSettingUpdate::Connection(result.serialBaud, result.socketNumber,
                                                                           result.socketIsDefault);
    Finish(apply);
}

bool JxRunSetConfigWindow(QWidget* parent, CConfigDocument& document, const CXmlDocument& catalogue,
                          const CFactoryDefaults& defaults, CConnectionSettingUpdate& update)
{
    CSetConfigDlg dlg(parent, document, catalogue, defaults);
    if (dlg.exec() != QDialog::Accepted) return false;
    update = dlg.SettingUpdate();
    return true;
}
