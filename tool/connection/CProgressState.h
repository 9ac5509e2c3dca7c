// What the "Communication Progress" window shows, as plain values: the
// worker of a link operation writes them under a lock from its own thread,
// and the window (or a test) reads a snapshot. The window holds no copy.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "connection/LinkOperation.h"

struct CProgressSnapshot {
    std::string text;
    int position = 0;
    int range = 1;
    bool abortAllowed = true;
    bool closeRequested = false;

    bool operator==(const CProgressSnapshot&) const = default;
};

class CProgressState : public IProgressView {
public:
    // Called after every change, on the thread that made it (the window
    // posts a redraw to its own thread). Set before the state is shared.
    void OnChange(std::function<void()> changed) { m_changed = std::move(changed); }

    void SetStatusText(const std::string& text) override;
    void SetProgress(int position, int range) override;
    void SetRange(int range) override;
    void StepProgress() override;
    void DisableAbort() override;
    void EnableAbort() override;
    // The operation is over: the window is to close (now, or as soon as it is up).
    void RequestClose();

    CProgressSnapshot Snapshot() const;

private:
    template <class F>
    void Change(F&& change)
    {
        {
            std::lock_guard lock(m_mutex);
            change(m_value);
        }
        if (m_changed) m_changed();
    }

    mutable std::mutex m_mutex;
    CProgressSnapshot m_value;
    std::function<void()> m_changed;
};
