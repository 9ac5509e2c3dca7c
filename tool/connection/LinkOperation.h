// Link operations without the windows: the progress window as the worker
// thread sees it, the events object that feeds it from the library, and the
// owner's side (link, cancel flag, status texts, connect and disconnect
// steps with their messages). The Qt progress window implements
// IProgressView; tests use a recorder.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <KorNet.h>

#include "shell/MessageBox.h"

class IProgressView {
public:
    virtual ~IProgressView() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgress(int position, int range) = 0;
    virtual void SetRange(int range) = 0;
    virtual void StepProgress() = 0;
    virtual void DisableAbort() = 0;
    virtual void EnableAbort() = 0;
};

// Moves the bound progress view's bar with the library's progress events.
class CLinkProgressEvents : public CKorNetworkEvents {
public:
    void Bind(IProgressView* view) { m_view.store(view); }
    IProgressView* Bound() const { return m_view.load(); }
    void OnCallState(uint32_t, uint32_t, int16_t) override {}
    void OnProgress(int16_t done, int16_t total, int16_t) override
    {
        // No window bound: nobody to tell.
        if (IProgressView* view = m_view.load()) view->SetProgress(done, total);
    }

private:
    std::atomic<IProgressView*> m_view{nullptr};
};

// Runs `work` as a link operation and returns what it returned: the windows
// run it on a worker under the progress window, a program without windows
// runs it directly.
using JxRunOperation = std::function<bool(const std::function<bool()>& work)>;

inline constexpr const char* kJxCancelling = "Cancelling communications...";
inline constexpr const char* kJxNetworkSettingInvalid = "The network setting you specified is invalid.";
inline constexpr const char* kJxUnableToConnect = "Unable to connect to display: ";
inline constexpr const char* kJxUnableToDisconnect = "Unable to disconnect from display: ";

// `message` followed, on a line of its own, by why the serial port of `link`
// would not open (nothing when it opened or is not a serial port). Read
// right after the Connect that failed.
std::string JxWithPortReason(std::string message, const CKorNetwork& link);

// One window's link and everything its link operations share.
class CLinkOwner {
public:
    CLinkOwner();
    CLinkOwner(const CLinkOwner&) = delete;
    CLinkOwner& operator=(const CLinkOwner&) = delete;

    CKorNetwork& Link() { return m_link; }
    CLinkProgressEvents& Events() { return m_events; }

    // The current progress window (also bound to the events object).
    void SetProgressView(IProgressView* view);
    IProgressView* ProgressView() const { return m_progress.load(); }

    bool Cancelled() const { return m_cancel.load(); }
    void ClearCancel() { m_cancel.store(false); }
    // The flag itself, for jobs that test it between their steps (the File
    // Transfer window's batches): Abort sets it, the end of every link
    // operation clears it.
    std::atomic<bool>& CancelFlag() { return m_cancel; }

    // Shows `text`, or "Cancelling communications..." once Abort was pressed.
    void SetOperationStatus(const std::string& text);
    // The Abort button: remember it, stop the link, say so.
    void OnAbortRequest();
    // A failure message (critical), unless the operator cancelled.
    void ReportFailure(const std::string& message) { Report(JxMessageKind::Critical, message); }
    // A message of the given kind, unless the operator cancelled.
    void Report(JxMessageKind kind, const std::string& message);
    void DisableAbort();
    void EnableAbort();

    // Connect steps of the main-window functions. `configure` sets the link
    // up from the connection choice (applying the site policies) and says
    // whether it could. True when the link is connected.
    bool ConnectToDisplay(const std::function<bool(CKorNetwork&)>& configure);
    // Disconnects; false (with its message) when the link could not be closed.
    bool DisconnectFromDisplay();

private:
    CKorNetwork m_link;
    CLinkProgressEvents m_events;
    std::atomic<bool> m_cancel{false};
    std::atomic<IProgressView*> m_progress{nullptr};
};
