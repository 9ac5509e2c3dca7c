#include "CTechnologyPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
QComboBox* MakeList(QWidget* parent, const char* name, const std::vector<std::string>& items)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (const std::string& item : items) list->addItem(QString::fromLatin1(item));
    // Long lists (65 heights, 128 widths) open as a scrolling list of a
    // screenful, not one taller than the screen.
    list->setMaxVisibleItems(16);
    return list;
}
}  // namespace

CTechnologyPanel::CTechnologyPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("technologyPanel");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_group = new QGroupBox(this);
    m_group->setObjectName("technologyGroup");
    outer->addWidget(m_group);

    m_height = MakeList(m_group, "heightList", CTechnologyPanelModel::HeightItems());
    m_width = MakeList(m_group, "widthList", CTechnologyPanelModel::WidthItems());
    m_colourDepth = MakeList(m_group, "colourDepthList", CTechnologyPanelModel::ColourDepthItems());
    m_module = new QComboBox(m_group);
    m_module->setObjectName("moduleTypeList");
    // Module names are as long as the catalogue makes them: the list takes
    // what room the panel has and is never narrower than a typical name.
    m_module->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_module->setMinimumContentsLength(22);

    auto* heightLabel = new QLabel("Height:", m_group);
    heightLabel->setBuddy(m_height);
    auto* widthLabel = new QLabel("Width:", m_group);
    widthLabel->setBuddy(m_width);
    m_colourDepthLabel = new QLabel("Color Depth:", m_group);
    m_colourDepthLabel->setObjectName("colourDepthLabel");
    m_colourDepthLabel->setBuddy(m_colourDepth);
    auto* moduleLabel = new QLabel("Module Type:", m_group);
    moduleLabel->setBuddy(m_module);

    // Height and width side by side (a size is read as one), the colour
    // depth and the module type below, each across the panel.
    auto* grid = new QGridLayout(m_group);
    grid->addWidget(heightLabel, 0, 0);
    grid->addWidget(m_height, 0, 1);
    grid->addWidget(widthLabel, 0, 2, Qt::AlignRight);
    grid->addWidget(m_width, 0, 3);
    grid->addWidget(m_colourDepthLabel, 1, 0);
    grid->addWidget(m_colourDepth, 1, 1, 1, 3);
    grid->addWidget(moduleLabel, 2, 0);
    grid->addWidget(m_module, 2, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    setTabOrder(m_height, m_width);
    setTabOrder(m_width, m_colourDepth);
    setTabOrder(m_colourDepth, m_module);

    connect(m_height, &QComboBox::currentIndexChanged, this, &CTechnologyPanel::heightChosen);
    connect(m_width, &QComboBox::currentIndexChanged, this, &CTechnologyPanel::widthChosen);
    connect(m_colourDepth, &QComboBox::currentIndexChanged, this, &CTechnologyPanel::colourDepthChosen);
    // A module item carries its place in the model's identifier table; the
    // model is told the list position, which is what it selects by.
    connect(m_module, &QComboBox::currentIndexChanged, this, &CTechnologyPanel::moduleChosen);

    Show(CTechnologyPanelState{});
}

void CTechnologyPanel::Show(const CTechnologyPanelState& state)
{
    const QSignalBlocker quietHeight(m_height), quietWidth(m_width), quietDepth(m_colourDepth),
        quietModule(m_module);
    m_group->setTitle(QString::fromLatin1(state.caption));
    m_height->setCurrentIndex(state.height);
    m_width->setCurrentIndex(state.width);
    m_colourDepth->setCurrentIndex(state.colourDepth);
    m_colourDepth->setEnabled(state.colourDepthEnabled);
    m_colourDepthLabel->setEnabled(state.colourDepthEnabled);

    // Refilled only when the items differ, so that an open list is not
    // rebuilt under the operator for a height or width choice.
    bool same = m_module->count() == static_cast<int>(state.moduleItems.size());
    for (int i = 0; same && i < m_module->count(); ++i) {
        const JxModuleItem& item = state.moduleItems[static_cast<size_t>(i)];
        same = m_module->itemText(i) == QString::fromLatin1(item.type) && m_module->itemData(i).toInt() == item.data;
    }
    if (!same) {
        m_module->clear();
        for (const JxModuleItem& item : state.moduleItems) m_module->addItem(QString::fromLatin1(item.type), item.data);
    }
    m_module->setCurrentIndex(state.module);
}

QWidget* CTechnologyPanel::FirstField() const { return m_height; }
QWidget* CTechnologyPanel::LastField() const { return m_module; }
