#include "CFunctionDlg.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

#include "shell/MessageBox.h"

int JxTextFieldWidth(const QLineEdit* edit, int characters)
{
    // The edit's own hint is 17 'x' wide plus its frame and margins as the
    // style draws them: keep those, change the room for text. One more digit
    // leaves room for the cursor.
    const QFontMetrics metrics(edit->font());
    const int text = metrics.horizontalAdvance(QLatin1Char('0')) * (characters + 1);
    return edit->sizeHint().width() - metrics.horizontalAdvance(QLatin1Char('x')) * 17 + text;
}

CFunctionDlg::CFunctionDlg(QWidget* parent, CConfigDocument& document, const char* title)
    : QDialog(parent), m_document(document)
{
    setWindowTitle(title);
    setModal(true);
}

void CFunctionDlg::AddButtons(QBoxLayout* layout, const char* setText)
{
    auto* box = new QDialogButtonBox(this);
    box->setObjectName("buttons");
    m_set = new QPushButton(setText, box);
    m_set->setObjectName("setButton");
    m_close = new QPushButton("&Close", box);
    m_close->setObjectName("closeButton");
    // The set button checks before it closes: it is wired to OnSet, not to
    // the box's accepted().
    box->addButton(m_set, QDialogButtonBox::AcceptRole);
    box->addButton(m_close, QDialogButtonBox::RejectRole);
    m_set->setDefault(true);
    layout->addWidget(box);
    connect(m_set, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

void CFunctionDlg::Finish(const CFunctionApply& result)
{
    if (result.accepted) {
        m_update = result.update;
        accept();
        return;
    }
    if (!result.message.empty()) JxShowMessage(result.kind, result.message);
    activateWindow();
}
