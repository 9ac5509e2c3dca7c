#include "CCommProgressDialog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

CCommProgressDialog::CCommProgressDialog(QWidget* parent, CLinkOwner* owner) : QDialog(parent), m_owner(owner)
{
    setObjectName("commProgressDialog");
    setWindowTitle("Communication Progress");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint & ~Qt::WindowCloseButtonHint);
    setModal(true);

    m_status = new QLabel(this);
    m_status->setObjectName("statusText");
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2 + 4);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_abort = new QPushButton("Abort", this);
    m_abort->setObjectName("abortButton");
    m_abort->setAutoDefault(false);
    connect(m_abort, &QPushButton::clicked, this, &CCommProgressDialog::OnAbortClicked);
    m_state.OnChange([this] { Refresh(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_abort);
    row->addStretch();
    layout->addLayout(row);
    setMinimumWidth(m_status->fontMetrics().averageCharWidth() * 50);
}

CCommProgressDialog::~CCommProgressDialog() = default;

void CCommProgressDialog::Refresh()
{
    if (QThread::currentThread() == thread()) {
        Redraw();
        return;
    }
    // Dropped by Qt when the window is gone before the call arrives.
    QMetaObject::invokeMethod(this, &CCommProgressDialog::Redraw, Qt::QueuedConnection);
}

void CCommProgressDialog::Redraw()
{
    const CProgressSnapshot s = m_state.Snapshot();
    // The library counts in 16 bits; a bar needs a range of at least one.
    const int range = s.range < 1 ? 1 : s.range;
    m_status->setText(QString::fromLatin1(s.text.c_str()));
    if (m_bar->maximum() != range) m_bar->setRange(0, range);
    m_bar->setValue(std::clamp(s.position, 0, range));
    m_abort->setEnabled(s.abortAllowed);
    // A close request before the window was up ends it once it shows.
    if (s.closeRequested && isVisible()) {
        QMetaObject::invokeMethod(this, [this] { if (isVisible()) done(QDialog::Accepted); }, Qt::QueuedConnection);
        return;
    }
    // A modeless exchange keeps the window thread busy: paint now.
    if (m_modeless) repaint();
}

void CCommProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Redraw();
}

void CCommProgressDialog::OnAbortClicked()
{
    // The window stays up: the worker closes it when it has stopped.
    if (!AbortAllowed()) return;
    if (m_owner != nullptr) m_owner->OnAbortRequest();
}

void CCommProgressDialog::reject() { OnAbortClicked(); }

void CCommProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    OnAbortClicked();
}

bool CCommProgressDialog::ShowModeless()
{
    // Window modality keeps the owner from taking input while the window
    // thread runs the exchange, without a modal loop of its own (disabling
    // the owner would disable this window, its child, as well).
    setWindowModality(Qt::WindowModal);
    show();
    m_modeless = isVisible();
    return m_modeless;
}

void CCommProgressDialog::CloseModeless()
{
    m_modeless = false;
    hide();
    setWindowModality(Qt::ApplicationModal);
}
