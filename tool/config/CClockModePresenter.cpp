#include "CClockModePresenter.h"

#include "CConfigDocument.h"

void CClockModePresenter::Open(const CConfigDocument& document)
{
    int32_t mode = 0;  // left alone when TIME is absent
    document.GetClockMode(mode);
    m_selection = mode >= 0 && mode < kJxClockModeCount ? mode : 0;
}

void CClockModePresenter::Select(int index)
{
    if (index >= 0 && index < kJxClockModeCount) m_selection = index;
}

std::string CClockModePresenter::Description() const
{
    if (m_selection < 0) return kJxClockDescriptionPlaceholder;
    return std::string(kJxClockDescriptionHeading) + kJxClockModeDescriptions[m_selection];
}

CFunctionApply CClockModePresenter::Apply(CConfigDocument& document) const
{
    CFunctionApply result;
    if (m_selection >= 0 && document.SetClockMode(m_selection)) result.accepted = true;
    else {
        result.kind = JxMessageKind::Critical;
        result.message = kJxClockModeWriteFailed;
    }
    return result;
}
