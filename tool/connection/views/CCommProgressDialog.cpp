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

void CCommProgressDialog::SetStatusText(const std::string& text)
{
    {
        std::lock_guard lock(m_mutex);
        m_text = text;
    }
    Refresh();
}

void CCommProgressDialog::SetProgress(int position, int range)
{
    {
        std::lock_guard lock(m_mutex);
        m_position = position;
        m_range = range;
    }
    Refresh();
}

void CCommProgressDialog::SetRange(int range)
{
    {
        std::lock_guard lock(m_mutex);
        m_range = range;
    }
    Refresh();
}

void CCommProgressDialog::StepProgress()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_position;
    }
    Refresh();
}

void CCommProgressDialog::DisableAbort()
{
    {
        std::lock_guard lock(m_mutex);
        m_abortAllowed = false;
        // Before the window is up, remember the latest request for then.
        if (!m_shown) {
            m_pendingDisable = true;
            m_pendingEnable = false;
        }
    }
    Refresh();
}

void CCommProgressDialog::EnableAbort()
{
    {
        std::lock_guard lock(m_mutex);
        m_abortAllowed = true;
        if (!m_shown) {
            m_pendingEnable = true;
            m_pendingDisable = false;
        }
    }
    Refresh();
}

void CCommProgressDialog::RequestClose()
{
    {
        std::lock_guard lock(m_mutex);
        m_closeRequested = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) done(QDialog::Accepted);
        },
        Qt::QueuedConnection);
}

bool CCommProgressDialog::CloseRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_closeRequested;
}

std::string CCommProgressDialog::StatusText() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

bool CCommProgressDialog::AbortAllowed() const
{
    std::lock_guard lock(m_mutex);
    return m_abortAllowed;
}

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
    std::string text;
    int position = 0, range = 1;
    bool allowed = true, shown = false;
    {
        std::lock_guard lock(m_mutex);
        text = m_text;
        position = m_position;
        range = m_range;
        allowed = m_abortAllowed;
        shown = m_shown;
    }
    if (!shown) return;
    // The library counts in 16 bits; a bar needs a range of at least one.
    if (range < 1) range = 1;
    position = std::clamp(position, 0, range);
    m_status->setText(QString::fromLatin1(text.c_str()));
    if (m_bar->maximum() != range) m_bar->setRange(0, range);
    m_bar->setValue(position);
    m_abort->setEnabled(allowed);
    // A modeless exchange keeps the window thread busy: paint now.
    if (m_modeless) repaint();
}

void CCommProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    bool enable = false, disable = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_shown) return;
        m_shown = true;
        m_abortAllowed = true;
        enable = m_pendingEnable;
        disable = m_pendingDisable;
        m_pendingEnable = m_pendingDisable = false;
        if (enable) m_abortAllowed = true;
        if (disable) m_abortAllowed = false;
        // A close request that came before the window was up ends it now.
        if (m_closeRequested)
            QMetaObject::invokeMethod(this, [this] { done(QDialog::Accepted); }, Qt::QueuedConnection);
    }
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
