// The frame the Clock Mode, Software Address and TCP/IP Configuration windows
// share: a modal window on the CONFIG.XML model whose set button hands the
// rules' verdict to Finish, and whose "&Close" sends nothing.
#pragma once

#include <QDialog>

#include "config/CFunctionResult.h"

class QBoxLayout;
class QLineEdit;
class QPushButton;
class CConfigDocument;

class CFunctionDlg : public QDialog {
    Q_OBJECT
public:
    // The connection setting to update once the document reached the display.
    const CConnectionSettingUpdate& SettingUpdate() const { return m_update; }

protected:
    CFunctionDlg(QWidget* parent, CConfigDocument& document, const char* title);

    // Adds the platform's button box with the set button (default, runs
    // OnSet) and "&Close" at the end of `layout`.
    void AddButtons(QBoxLayout* layout, const char* setText);
    // Accepted: keep the update and close with success. Otherwise show the
    // message and stay open with the values on screen.
    void Finish(const CFunctionApply& result);
    virtual void OnSet() = 0;

    CConfigDocument& m_document;
    QPushButton* m_set = nullptr;
    QPushButton* m_close = nullptr;

private:
    CConnectionSettingUpdate m_update;
};

// The width `edit` needs to show `characters` digits, frame and margins
// included, in its own font and style.
int JxTextFieldWidth(const QLineEdit* edit, int characters);

// Runs a function window modally: true when it closed with its set button,
// with `update` filled in.
template <class Dlg>
bool JxRunFunctionWindow(QWidget* parent, CConfigDocument& document, CConnectionSettingUpdate& update)
{
    Dlg dlg(parent, document);
    if (dlg.exec() != QDialog::Accepted) return false;
    update = dlg.SettingUpdate();
    return true;
}
