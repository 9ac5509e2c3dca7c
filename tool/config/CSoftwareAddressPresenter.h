// The rules of the "Set Software Address" window: the check box "Use
// Software Addressing", the "New Address:" edit with its corrections, and
// the write of ADDR sw (0 = software addressing off, else 1 to 240). On
// success the display is reached at the new address next time, so the
// Connect window's network address follows it.
#pragma once

#include <cstdint>
#include <string>

#include "CFunctionResult.h"

class CConfigDocument;

inline constexpr int kJxSoftwareAddressMin = 1;
inline constexpr int kJxSoftwareAddressMax = 240;
inline constexpr const char* kJxSoftwareAddressWriteFailed =
    "Error: could not set the software address in the CONFIG.XML file stream";

// What the operator has set in the window.
struct CSoftwareAddressInput {
    bool useSoftwareAddressing = false;
    std::string addressText = "1";

    bool operator==(const CSoftwareAddressInput&) const = default;
};

// What the window shows: the input, whether the edit takes input, and
// whether its text was just corrected (the window then selects it whole).
struct CSoftwareAddressState {
    CSoftwareAddressInput input;
    bool addressEnabled = false;
    bool selectAddress = false;

    bool operator==(const CSoftwareAddressState&) const = default;
};

class CSoftwareAddressPresenter {
public:
    // sw 1..240: box on, the edit shows it and is enabled; anything else
    // (0, absent, out of range): box off, edit "1" and disabled.
    CSoftwareAddressState Open(const CConfigDocument& document);
    // The check box was clicked or the operator typed: the edit is enabled
    // exactly when the box is on.
    CSoftwareAddressState Change(const CSoftwareAddressInput& input);
    // The edit lost the focus: 0 (or nothing) becomes "1", 241 or more
    // becomes "240", and a corrected text is selected.
    CSoftwareAddressState LeaveAddressEdit(const CSoftwareAddressInput& input);
    const CSoftwareAddressState& State() const { return m_state; }

    // "Set &Software Address": sw := the address when the box is on, else 0.
    // The address is corrected as on leaving the edit first, since Enter
    // presses the button without the edit losing the focus; State() then
    // shows it as written.
    CFunctionApply Apply(const CSoftwareAddressInput& input, CConfigDocument& document);

private:
    CSoftwareAddressState m_state;
};

// The value of the digits at the start of `text`: 0 when there are none,
// and numbers too long for an address read as a large value, not wrapped.
int32_t JxEditNumber(const std::string& text);
