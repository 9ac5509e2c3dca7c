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

class CSoftwareAddressPresenter {
public:
    // sw 1..240: box on, the edit shows it and is enabled; anything else
    // (0, absent, out of range): box off, edit "1" and disabled.
    void Open(const CConfigDocument& document);

    bool UseSoftwareAddressing() const { return m_use; }
    // The check box was clicked: the edit is enabled exactly when it is on.
    void SetUseSoftwareAddressing(bool on) { m_use = on; }
    bool AddressEnabled() const { return m_use; }

    const std::string& AddressText() const { return m_text; }
    // What the operator typed.
    void SetAddressText(std::string text) { m_text = std::move(text); }
    // The edit lost the focus: 0 (or nothing) becomes "1", 241 or more
    // becomes "240". True when the text was corrected; the window then
    // selects it whole.
    bool LeaveAddressEdit();

    // "Set &Software Address": sw := the address when the box is on, else 0.
    // The address is corrected as on leaving the edit first, since Enter
    // presses the button without the edit losing the focus.
    CFunctionApply Apply(CConfigDocument& document);

private:
    bool m_use = false;
    std::string m_text = "1";
};

// The value of the digits at the start of `text`: 0 when there are none,
// and numbers too long for an address read as a large value, not wrapped.
int32_t JxEditNumber(const std::string& text);
