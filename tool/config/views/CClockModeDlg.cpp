#include "CClockModeDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

CClockModeDlg::CClockModeDlg(QWidget* parent, CConfigDocument& document)
    : CFunctionDlg(parent, document, "Set Clock Mode")
{
    setObjectName("clockModeDialog");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("New Clock Mode:", this);
    m_list = new QComboBox(this);
    m_list->setObjectName("clockModeList");
    label->setBuddy(m_list);
    for (int mode = 0; mode < kJxClockModeCount; ++mode) m_list->addItem(kJxClockModeItems[mode], mode);
    m_description = new QLabel(kJxClockDescriptionPlaceholder, this);
    m_description->setObjectName("modeDescription");
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMinimumSize(260, 90);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(m_description, 1);
    AddButtons(layout, "&Set Clock Mode");

    Show(m_rules.Open(document));
    connect(m_list, &QComboBox::currentIndexChanged, this, [this] { Show(m_rules.Select(Collect())); });
}

void CClockModeDlg::Show(const CClockModeState& state)
{
    const QSignalBlocker quiet(m_list);
    m_list->setCurrentIndex(m_list->findData(state.selection));
    m_description->setText(QString::fromLatin1(state.description));
}

int CClockModeDlg::Collect() const { return m_list->currentData().toInt(); }

void CClockModeDlg::OnSet() { Finish(m_rules.Apply(m_document)); }
