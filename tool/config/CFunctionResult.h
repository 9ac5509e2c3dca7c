// What a configuration function's window hands back when its set button is
// pressed: whether the window closes with success, the message to show when
// it stays open, and the connection setting that follows the display to its
// new address.
#pragma once

#include <string>

#include "shell/MessageBox.h"

class CJxConfigApp;

// One connection setting of the tool that a function changes, so the next
// Connect window reaches the display where it will be after its reboot.
struct CConnectionSettingUpdate {
    enum class Setting {
        None,
        NetworkAddress,  // the display address of the Connect window
        IpAddress,       // the address of a TCP/IP connection
    };
    Setting setting = Setting::None;
    std::string value;

    void ApplyTo(CJxConfigApp& app) const;
    bool operator==(const CConnectionSettingUpdate&) const = default;
};

struct CFunctionApply {
    bool accepted = false;  // the document holds the new values: close with success
    std::string message;    // shown when not accepted; empty: nothing to say
    // A check the operator can answer by changing a value, or a write the
    // document refused (critical).
    JxMessageKind kind = JxMessageKind::Warning;
    CConnectionSettingUpdate update;
};
