// The time zones a display can be set to: a fixed table of offsets in whole
// minutes east of GMT (the host's own zone settings play no part), shown as
// "(GMT +05:45)" labels in table order, west to east.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CConfigDocument;

inline constexpr std::array<int16_t, 33> kJxTimeZoneOffsets = {
    -720, -660, -600, -540, -480, -420, -360, -300, -240, -210, -180, -120, -60, 0,   60,  120, 180,
    210,  240,  270,  300,  330,  345,  360,  390,  420,  480,  540,  570,  600, 660, 720, 780};

// "(GMT +05:45)", "(GMT 00:00)", "(GMT -03:30)": hours and minutes of the
// offset's magnitude with the sign in front (none for zero).
std::string JxTimeZoneLabel(int32_t minutesEast);

struct JxTimeZoneItem {
    std::string label;
    int32_t offset;  // the item data: minutes east of GMT
};

class CTimeZoneList {
public:
    // One item per table entry, in table order; nothing selected.
    CTimeZoneList();

    const std::vector<JxTimeZoneItem>& Items() const { return m_items; }
    // Position of the first item whose offset is `minutesEast`, or -1.
    int32_t IndexOf(int32_t minutesEast) const;

    // The selection: an item position, or -1 for none.
    int32_t Selection() const { return m_selection; }
    void Select(int32_t index) { m_selection = index >= 0 && index < static_cast<int32_t>(m_items.size()) ? index : -1; }
    // Selects the item for `minutesEast`; an offset outside the table leaves
    // no item selected. True when an item was selected.
    bool SelectOffset(int32_t minutesEast);
    // Selects the zone the document holds: TIME zn, and 0 when TIME or zn
    // is absent (a controller without them runs on GMT).
    bool SelectFromDocument(const CConfigDocument& document);
    // Offset of the selected item; false with no selection.
    bool SelectedOffset(int32_t& minutesEast) const;

private:
    std::vector<JxTimeZoneItem> m_items;
    int32_t m_selection = -1;
};
