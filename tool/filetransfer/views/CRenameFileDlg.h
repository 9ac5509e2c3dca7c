// The "Rename File" window: a prompt, one edit field, "OK" and "Cancel". In
// its new-folder mode it is titled "Create Directory". OK is checked by the
// rules of its mode (RenameFileOk); a refused name shows its message and the
// window stays.
#pragma once

#include <QDialog>
#include <string>

#include "filetransfer/RenameRules.h"

class QLabel;
class QLineEdit;

class CRenameFileDlg : public QDialog {
    Q_OBJECT
public:
    CRenameFileDlg(QWidget* parent, CRenameFileRequest request);

    // After OK: the accepted name (a new folder's ends with "/").
    const std::string& NewName() const { return m_newName; }

    void accept() override;  // "OK" and Enter

    // Runs the window for `request` on the window thread, from any thread
    // (a worker waits for it): the accepted name, or nothing for Cancel.
    static std::optional<std::string> Ask(QWidget* owner, const CRenameFileRequest& request);

private:
    CRenameFileRequest m_request;
    QLabel* m_prompt;
    QLineEdit* m_edit;
    std::string m_newName;
};
