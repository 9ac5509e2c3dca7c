#include "CRenameFileDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "shell/MessageBox.h"

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

CRenameFileDlg::CRenameFileDlg(QWidget* parent, CRenameFileRequest request)
    : QDialog(parent), m_request(std::move(request))
{
    setObjectName("renameFileDialog");
    setWindowTitle(kJxRenameFileTitle);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_prompt = new QLabel(kJxRenamePromptInitial, this);
    m_prompt->setObjectName("prompt");
    m_prompt->setTextFormat(Qt::PlainText);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("nameEdit");
    m_prompt->setBuddy(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &CRenameFileDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRenameFileDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 48);

    const CRenameFileView opening = RenameFileOpening(m_request);
    setWindowTitle(Latin1(opening.title));
    m_prompt->setText(Latin1(opening.prompt));
    m_edit->setText(Latin1(opening.editText));
    m_edit->selectAll();
    m_edit->setFocus();
}

void CRenameFileDlg::accept()
{
    const CRenameFileAnswer answer = RenameFileOk(m_request, m_edit->text().toLatin1().toStdString());
    switch (answer.outcome) {
    case JxRenameOutcome::StayOpen:
        JxShowMessage(JxMessageKind::Warning, answer.message);
        m_edit->setFocus();
        return;
    case JxRenameOutcome::Cancel:
        QDialog::reject();
        return;
    case JxRenameOutcome::Accept:
        m_newName = answer.newName;
        QDialog::accept();
        return;
    }
}

std::optional<std::string> CRenameFileDlg::Ask(QWidget* owner, const CRenameFileRequest& request)
{
    std::optional<std::string> name;
    // `owner` outlives the question: a worker asking for a name is one of
    // its jobs, and the window waits for its jobs.
    auto run = [&] {
        // In front of whatever modal window is up (a job's progress window).
        QWidget* parent = QApplication::activeModalWidget();
        if (parent == nullptr) parent = owner;
        CRenameFileDlg dialog(parent, request);
        if (dialog.exec() == QDialog::Accepted) name = dialog.NewName();
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return name;
    if (QThread::currentThread() == app->thread()) {
        run();
    } else {
        QMetaObject::invokeMethod(app, run, Qt::BlockingQueuedConnection);
    }
    return name;
}
