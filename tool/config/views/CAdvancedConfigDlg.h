// "Set Advanced Configuration": the required and RTD ports, the Enhanced RTD
// sign number, thermal thresholds, refresh rate, brightness limits, file
// mode, ethernet configuration, modem initialisation string, log file size
// and gamma correction of the Set Configuration window's working copy.
// Every list change, arrow step and edit left goes to the rules, which keep
// the fields inside their limits; "&Apply" stores the fields in the working
// copy (closing when there was nothing to report), "&Cancel" closes.
#pragma once

#include <QDialog>

#include "config/CAdvancedConfigPresenter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class CArrowEdit;
class CDLCatchEdit;

class CAdvancedConfigDlg : public QDialog {
    Q_OBJECT
public:
    // The working copy and the defaults must outlive the window.
    CAdvancedConfigDlg(QWidget* parent, ConfigWorkset& workset, const CFactoryDefaults& defaults);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const CAdvancedConfigState& state);
    // The state last shown with the operator's texts, selections and check
    // boxes taken from the fields.
    CAdvancedConfigState Collect() const;
    void OnApply();
    // Wires an arrow edit: each step and leaving the field go to the rules.
    using Step = CAdvancedConfigState (CAdvancedConfigPresenter::*)(const CAdvancedConfigState&, JxArrow) const;
    using Leave = CAdvancedConfigState (CAdvancedConfigPresenter::*)(const CAdvancedConfigState&) const;
    void Wire(CArrowEdit* edit, Step step, Leave leave);

    ConfigWorkset& m_workset;
    CAdvancedConfigPresenter m_rules;
    CAdvancedConfigState m_state;

    QComboBox* m_connectionType;
    QComboBox* m_requiredProtocol;
    QComboBox* m_baudRate;
    QComboBox* m_handshake;
    CArrowEdit* m_ethernetPort;
    QComboBox* m_ethernetProtocol;
    QCheckBox* m_rtdSerial;
    QComboBox* m_rtdBaudRate;
    QComboBox* m_rtdHandshake;
    QCheckBox* m_rtdNetwork;
    QComboBox* m_rtdConnectionType;
    CArrowEdit* m_rtdPort;
    CArrowEdit* m_signNumber;
    CArrowEdit* m_thermalLow;
    CArrowEdit* m_thermalHigh;
    CArrowEdit* m_refreshRate;
    CArrowEdit* m_brightnessLow;
    CArrowEdit* m_brightnessHigh;
    QComboBox* m_fileMode;
    QComboBox* m_ethernetMode;
    QLineEdit* m_modemInit;
    CDLCatchEdit* m_logSize;
    CArrowEdit* m_gamma;
    QPushButton* m_apply;
    QPushButton* m_cancel;
};
