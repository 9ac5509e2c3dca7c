#include "CProgressState.h"

void CProgressState::SetStatusText(const std::string& text)
{
    Change([&](CProgressSnapshot& v) { v.text = text; });
}

void CProgressState::SetProgress(int position, int range)
{
    Change([&](CProgressSnapshot& v) {
        v.position = position;
        v.range = range;
    });
}

void CProgressState::SetRange(int range)
{
    Change([&](CProgressSnapshot& v) { v.range = range; });
}

void CProgressState::StepProgress()
{
    Change([](CProgressSnapshot& v) { ++v.position; });
}

void CProgressState::DisableAbort()
{
    Change([](CProgressSnapshot& v) { v.abortAllowed = false; });
}

void CProgressState::EnableAbort()
{
    Change([](CProgressSnapshot& v) { v.abortAllowed = true; });
}

void CProgressState::RequestClose()
{
    Change([](CProgressSnapshot& v) { v.closeRequested = true; });
}

CProgressSnapshot CProgressState::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_value;
}
