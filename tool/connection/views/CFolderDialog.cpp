#include "CFolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "shell/MessageBox.h"

namespace {
// Qt's own picker answers a typed folder that does not exist with a box of
// its own; ours asks whether to go on instead.
class CFolderPicker : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    bool endedWithoutChoice = false;
    QString chosenPath;

    void accept() override
    {
        // What the operator typed decides, taken against the folder shown;
        // the picker's own selection can lag behind while its folder model
        // is still being read.
        QString path;
        if (const auto* edit = findChild<QLineEdit*>("fileNameEdit"); edit != nullptr && !edit->text().trimmed().isEmpty())
            path = directory().absoluteFilePath(edit->text().trimmed());
        else
            path = directory().absolutePath();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            chosenPath = path;
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
    QString chosen = picker.chosenPath;
    if (chosen.isEmpty()) {
        const QStringList selected = picker.selectedFiles();
        if (!selected.isEmpty()) chosen = selected.first();
    }
    if (chosen.isEmpty()) return kCancel;
    m_path = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()).left(260);
    return kOk;
}
