// "Set Software Address": "Use Software Addressing" and the "New Address:"
// edit (digits, corrected to 1..240 when it loses the focus); "Set
// &Software Address" writes ADDR sw.
#pragma once

#include "CFunctionDlg.h"
#include "config/CSoftwareAddressPresenter.h"

class QCheckBox;
class QLineEdit;

class CSoftwareAddressDlg : public CFunctionDlg {
    Q_OBJECT
public:
    CSoftwareAddressDlg(QWidget* parent, CConfigDocument& document);

protected:
    void OnSet() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const CSoftwareAddressState& state);
    CSoftwareAddressInput Collect() const;

    CSoftwareAddressPresenter m_rules;
    QCheckBox* m_use;
    QLineEdit* m_address;
};
