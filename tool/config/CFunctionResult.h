// What a configuration function's window hands back when its set button is
// pressed: whether the window closes with success, the message to show when
// it stays open, and the connection setting that follows the display to its
// new address.
#pragma once

#include <cstdint>
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
        Connection,      // serial baud and socket number (Set Configuration)
    };
    Setting setting = Setting::None;
    std::string value;
    // Connection: the baud of a direct connection, the TCP/IP socket number
    // and whether that is the factory one.
    int32_t serialBaud = 0;
    int32_t socketNumber = 0;
    bool socketIsDefault = true;

    static CConnectionSettingUpdate Connection(int32_t serialBaud, int32_t socketNumber, bool socketIsDefault)
    {
        return {Setting::Connection, {}, serialBaud, socketNumber, socketIsDefault};
    }

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
