// The rules of the "Set Clock Mode" window: which mode it opens on, the
// description of the selected mode, and the write of TIME clk. The window
// only shows the list and the description and forwards the operator's
// choices.
#pragma once

#include <cstdint>
#include <string>

#include "CFunctionResult.h"

class CConfigDocument;

inline constexpr int kJxClockModeCount = 5;
// The "New Clock Mode:" list; an item's index is its clk value.
inline constexpr const char* kJxClockModeItems[kJxClockModeCount] = {
    "Auto Detect", "Use Internal Clock", "50 Hz", "60 Hz", "GPS",
};
inline constexpr const char* kJxClockModeDescriptions[kJxClockModeCount] = {
    "Automatically detect and use the 50Hz or 60Hz power line to keep time.",
    "Use the display's internal clock to keep time.",
    "Use the 50Hz power line to keep time.",
    "Use the 60Hz power line to keep time.",
    "Use GPS to keep time.",
};
inline constexpr const char* kJxClockDescriptionHeading = "MODE DESCRIPTION\n\n";
// What the description field shows before a mode is selected.
inline constexpr const char* kJxClockDescriptionPlaceholder = "Mode Description\n\n";
inline constexpr const char* kJxClockModeWriteFailed = "Error: could not set the clock mode to the CONFIG.XML file stream";

// What the window shows: the selected list item (its index is its clk
// value; -1 none) and the description field's text.
struct CClockModeState {
    int selection = -1;
    std::string description = kJxClockDescriptionPlaceholder;

    bool operator==(const CClockModeState&) const = default;
};

class CClockModePresenter {
public:
    // The document's clk (0 when TIME or clk is absent); a mode the list
    // does not have opens on "Auto Detect".
    CClockModeState Open(const CConfigDocument& document);
    // The operator picked another item; indexes outside the list are ignored.
    CClockModeState Select(int index);
    const CClockModeState& State() const { return m_state; }
    // "&Set Clock Mode": clk := the selected index.
    CFunctionApply Apply(CConfigDocument& document) const;

private:
    CClockModeState Selected(int index);

    CClockModeState m_state;
};
