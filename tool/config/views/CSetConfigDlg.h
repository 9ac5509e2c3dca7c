// "Set Configuration": the display's hardware (the Technology list and the
// technology panel), its name, time zone and daylight saving, and "Use
// Default" against the advanced options that "Advanced >>>" edits. "&Set
// Configuration" writes everything into CONFIG.XML; when a write fails the
// headings of the settings not saved are shown and the window stays open.
#pragma once

#include "CFunctionDlg.h"
#include "config/CSetConfigPresenter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class CTechnologyPanel;

class CSetConfigDlg : public CFunctionDlg {
    Q_OBJECT
public:
    // The catalogue and the defaults must outlive the window.
    CSetConfigDlg(QWidget* parent, CConfigDocument& document, const CXmlDocument& catalogue,
                  const CFactoryDefaults& defaults);

    // The working copy the advanced window edits (for tests and pictures).
    const ConfigWorkset& Workset() const { return m_rules.Workset(); }

protected:
    void OnSet() override;

private:
    void Show(const CSetConfigState& state);
    CSetConfigInput Collect() const;
    void OpenAdvanced();

    const CFactoryDefaults& m_defaults;
    CSetConfigPresenter m_rules;
    QComboBox* m_technology;
    CTechnologyPanel* m_panel;
    QLineEdit* m_displayName;
    QComboBox* m_timeZone;
    QCheckBox* m_daylightSaving;
    QCheckBox* m_useDefault;
    QPushButton* m_advanced;
};

// Runs the window modally: true when it closed with "&Set Configuration",
// with the connection settings to store once the document reached the
// display in `update`.
bool JxRunSetConfigWindow(QWidget* parent, CConfigDocument& document, const CXmlDocument& catalogue,
                          const CFactoryDefaults& defaults, CConnectionSettingUpdate& update);
