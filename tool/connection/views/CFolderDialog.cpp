#include "CFolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "shell/MessageBox.h"

namespace {
// Qt's own picker answers a typed folder that does not exist with a box of
// its own; ours asks whether to go on instead.
class CFolderPicker : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    bool endedWithoutChoice = false;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QString path = chosen.isEmpty() ? QString() : chosen.first();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            QFileDialog::accept();
            return;
        }
        // Yes ends the picker (with nothing chosen); No keeps it open.
        if (JxAskYesNo(kJxPathNotValid, false)) {
            endedWithoutChoice = true;
            QDialog::reject();
        }
    }
};
}  // namespace

CFolderDialog::CFolderDialog(const QString& title, const QString& preselected, QWidget* owner, unsigned flags)
    : m_title(title), m_preselected(preselected.left(260)), m_owner(owner), m_flags(flags)
{
}

int CFolderDialog::ChooseFolder()
{
    CFolderPicker picker(m_owner, m_title);
    picker.setObjectName("folderDialog");
    // Our own widget (not the desktop's), so that the question above is asked.
    picker.setOption(QFileDialog::DontUseNativeDialog, true);
    picker.setOption(QFileDialog::ShowDirsOnly, true);
    picker.setFileMode(QFileDialog::Directory);
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    if (!m_preselected.isEmpty()) picker.setDirectory(m_preselected);

    if (picker.exec() != QDialog::Accepted) return kNoChoice;
    const QStringList chosen = picker.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return kCancel;
    m_path = QDir::toNativeSeparators(QFileInfo(chosen.first()).absoluteFilePath()).left(260);
    return kOk;
}
