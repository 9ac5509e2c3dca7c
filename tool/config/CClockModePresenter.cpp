#include "CClockModePresenter.h"

#include "CConfigDocument.h"

CClockModeState CClockModePresenter::Selected(int index)
{
    m_state.selection = index;
    m_state.description = std::string(kJxClockDescriptionHeading) + kJxClockModeDescriptions[index];
    return m_state;
}

CClockModeState CClockModePresenter::Open(const CConfigDocument& document)
{
    int32_t mode = 0;  // left alone when TIME is absent
    document.GetClockMode(mode);
    return Selected(mode >= 0 && mode < kJxClockModeCount ? mode : 0);
}

CClockModeState CClockModePresenter::Select(int index)
{
    if (index < 0 || index >= kJxClockModeCount) return m_state;
    return Selected(index);
}

CFunctionApply CClockModePresenter::Apply(CConfigDocument& document) const
{
    CFunctionApply result;
    if (m_state.selection >= 0 && document.SetClockMode(m_state.selection)) result.accepted = true;
    else {
        result.kind = JxMessageKind::Critical;
        result.message = kJxClockModeWriteFailed;
    }
    return result;
}
