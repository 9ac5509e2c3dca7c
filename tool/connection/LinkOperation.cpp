#include "LinkOperation.h"

#include "shell/MessageBox.h"
#include "shell/StatusText.h"

CLinkOwner::CLinkOwner() { m_link.RegisterEventHandler(&m_events, 0); }

void CLinkOwner::SetProgressView(IProgressView* view)
{
    m_progress.store(view);
    m_events.Bind(view);
}

void CLinkOwner::SetOperationStatus(const std::string& text)
{
    IProgressView* view = m_progress.load();
    if (view == nullptr) return;
    const bool cancelled = m_cancel.load();
    view->SetStatusText(cancelled ? kJxCancelling : text);
    // Abort may have come between the check and the text: its own
    // "Cancelling" could then be overwritten by ours, so say it again.
    if (!cancelled && m_cancel.load()) view->SetStatusText(kJxCancelling);
}

void CLinkOwner::OnAbortRequest()
{
    m_cancel.store(true);
    m_link.Abort();
    SetOperationStatus(kJxCancelling);
}

void CLinkOwner::Report(JxMessageKind kind, const std::string& message)
{
    if (!m_cancel.load()) JxShowMessage(kind, message);
}

void CLinkOwner::DisableAbort()
{
    if (IProgressView* view = m_progress.load()) view->DisableAbort();
}

void CLinkOwner::EnableAbort()
{
    if (IProgressView* view = m_progress.load()) view->EnableAbort();
}

namespace {
// A serial port that would not open says why (no permission, in use): the
// operator can act on that, where "Network Connection Failed" alone leaves
// him guessing. Read right after the Connect it explains, never later: a
// configure step that fails before reaching the link leaves an older port's
// reason in place.
std::string WithPortReason(std::string message, const CKorNetwork& link)
{
    const char* reason = link.GetLastPortError();
    if (reason != nullptr && *reason != '\0') message += std::string("\n") + reason;
    return message;
}
}  // namespace

bool CLinkOwner::ConnectToDisplay(const std::function<bool(CKorNetwork&)>& configure)
{
    SetOperationStatus("Connecting to Network...");
    // A cancelled operation reports nothing: the operator knows why it ended.
    if (!configure(m_link)) {
        // The choice in the Connect window cannot be used: the operator changes it.
        Report(JxMessageKind::Warning, kJxNetworkSettingInvalid);
        return false;
    }
    const int16_t status = m_link.Connect();
    if (status != KORNET_OK) {
        ReportFailure(WithPortReason(kJxUnableToConnect + StatusText(status), m_link));
        return false;
    }
    if (!m_cancel.load()) return true;

    // Abort came while connecting and the connect still went through: undo it.
    DisableAbort();
    const int16_t closed = m_link.Disconnect();
    if (closed != KORNET_OK) JxShowMessage(JxMessageKind::Critical, kJxUnableToDisconnect + StatusText(closed));
    EnableAbort();
    return false;
}

bool CLinkOwner::DisconnectFromDisplay()
{
    const int16_t status = m_link.Disconnect();
    if (status != KORNET_OK) {
        JxShowMessage(JxMessageKind::Critical, kJxUnableToDisconnect + StatusText(status));
        return false;
    }
    return true;
}
