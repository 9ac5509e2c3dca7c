// The display hardware choices inside the Set Configuration window: a group
// captioned with the technology, and the Height, Width, Color Depth and
// Module Type lists. The panel is passive: Show draws a CTechnologyPanelState
// and every choice the operator makes is reported by a signal with the list
// position, for the owner to hand to CDisplayTypeEditor (which recomposes the
// display type and the Display Name) and to show the state that follows.
#pragma once

#include <QWidget>

#include "config/CTechnologyPanelModel.h"

class QComboBox;
class QGroupBox;
class QLabel;

class CTechnologyPanel : public QWidget {
    Q_OBJECT
public:
    explicit CTechnologyPanel(QWidget* parent = nullptr);

    // Lists, selections, caption and enabled states as the state has them.
    // Drawing a state never reports a choice.
    void Show(const CTechnologyPanelState& state);

    // The first and last lists in the tab order, for the owner to place the
    // panel among its own fields.
    QWidget* FirstField() const;
    QWidget* LastField() const;

signals:
    void heightChosen(int index);
    void widthChosen(int index);
    void colourDepthChosen(int index);
    void moduleChosen(int index);

private:
    QGroupBox* m_group;
    QComboBox* m_height;
    QComboBox* m_width;
    QLabel* m_colourDepthLabel;
    QComboBox* m_colourDepth;
    QComboBox* m_module;
};
