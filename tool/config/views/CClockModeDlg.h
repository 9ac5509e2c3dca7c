// "Set Clock Mode": the "New Clock Mode:" list and the description of the
// selected mode; "&Set Clock Mode" writes TIME clk.
#pragma once

#include "CFunctionDlg.h"
#include "config/CClockModePresenter.h"

class QComboBox;
class QLabel;

class CClockModeDlg : public CFunctionDlg {
    Q_OBJECT
public:
    CClockModeDlg(QWidget* parent, CConfigDocument& document);

protected:
    void OnSet() override;

private:
    void Show(const CClockModeState& state);
    // The selected item's clk value.
    int Collect() const;

    CClockModePresenter m_rules;
    QComboBox* m_list;
    QLabel* m_description;
};
