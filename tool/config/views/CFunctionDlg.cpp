#include "CFunctionDlg.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "shell/MessageBox.h"

CFunctionDlg::CFunctionDlg(QWidget* parent, CConfigDocument& document, const char* title)
    : QDialog(parent), m_document(document)
{
    setWindowTitle(title);
    setModal(true);
}

void CFunctionDlg::AddButtons(QBoxLayout* layout, const char* setText)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    m_set = new QPushButton(setText, this);
    m_set->setObjectName("setButton");
    m_set->setDefault(true);
    m_close = new QPushButton("&Close", this);
    m_close->setObjectName("closeButton");
    row->addWidget(m_set);
    row->addWidget(m_close);
    layout->addLayout(row);
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
    if (!result.message.empty()) JxShowMessage(result.message);
    activateWindow();
}
