#include "CTimeZoneList.h"

#include <cstdio>
#include <cstdlib>

#include "CConfigDocument.h"

std::string JxTimeZoneLabel(int32_t minutesEast)
{
    // The magnitude in 64 bits, so that no offset overflows on negation.
    const long long magnitude = std::llabs(static_cast<long long>(minutesEast));
    const char* sign = minutesEast > 0 ? "+" : minutesEast < 0 ? "-" : "";
    char label[48];
    std::snprintf(label, sizeof label, "(GMT %s%02lld:%02lld)", sign, magnitude / 60, magnitude % 60);
    return label;
}

CTimeZoneList::CTimeZoneList()
{
    m_items.reserve(kJxTimeZoneOffsets.size());
    for (int16_t offset : kJxTimeZoneOffsets) m_items.push_back({JxTimeZoneLabel(offset), offset});
}

int32_t CTimeZoneList::IndexOf(int32_t minutesEast) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].offset == minutesEast) return static_cast<int32_t>(i);
    return -1;
}

bool CTimeZoneList::SelectOffset(int32_t minutesEast)
{
    m_selection = IndexOf(minutesEast);
    return m_selection >= 0;
}

bool CTimeZoneList::SelectFromDocument(const CConfigDocument& document)
{
    int32_t zone = 0;
    document.GetTimeZone(zone);
    return SelectOffset(zone);
}

bool CTimeZoneList::SelectedOffset(int32_t& minutesEast) const
{
    if (m_selection < 0) return false;
    minutesEast = m_items[static_cast<size_t>(m_selection)].offset;
    return true;
}
