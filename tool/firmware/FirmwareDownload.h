// The firmware download as the worker of its link operation runs it: the
// checks of the two chosen files, configure and connect, the temporary
// switch of a direct line to the high speed, the version rule, the driver
// and firmware sent compressed, the removal of old firmware, the reset and
// the disconnect. It talks to the progress window through the link owner
// and shows its own messages (the progress window is up meanwhile).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "connection/CConnectionChoice.h"

class CJxConfigApp;
class CLinkOwner;

// Pauses for the given milliseconds; the program sleeps, tests shorten it.
using JxWaitFunction = std::function<void(int milliseconds)>;

inline constexpr uint32_t kJxHighSpeedBaud = 115200;
inline constexpr int kJxSettleSeconds = 15;  // a controller stores a new image before it lists it
inline constexpr int kJxStepWaitMs = 1000;
inline constexpr int kJxDisconnectWaitMs = 1500;
inline constexpr int kJxFirmwareResetWaitDialupMs = 6000;
inline constexpr int kJxFirmwareResetWaitMs = 1000;

inline constexpr const char* kJxNothingSelected = "No Firmware or Driver selected - No Download";
inline constexpr const char* kJxFirmwareUpdated = "Firmware successfully updated. The display is rebooting.";
inline constexpr const char* kJxDisplayRebooting = "The display is rebooting.";

// What the operator chose in the "Download Firmware" window.
struct CFirmwareDownloadRequest {
    std::string firmwarePath;       // full path of the .EXE, or empty
    std::string driverPath;         // full path of the .RBF, or empty
    CConnectionChoice connection;   // kind, address and the panels' fields
    bool highSpeed = true;          // "Enable high speed download (Direct connection only)"
};

// How a run ended, for the caller and for tests; every message has been shown.
struct CFirmwareDownloadResult {
    bool connected = false;  // the link was up (and is closed again)
    bool switched = false;   // the transfer ran at the high speed
    bool reset = false;      // the display took the reset
    bool updated = false;    // "Firmware successfully updated..." was shown

    bool operator==(const CFirmwareDownloadResult&) const = default;
};

// One of the two file fields, checked: whether a file counts as selected,
// the name it gets on the controller, and the message when it is unusable.
struct CFirmwarePathCheck {
    bool selected = false;
    std::string remoteName;  // "MAIN.EXE" for ".../Main.exe"
    std::string message;     // empty: usable (or not chosen)

    bool operator==(const CFirmwarePathCheck&) const = default;
};

enum class JxImageKind { Firmware, Driver };

// Checks a field's path against the required type (".EXE" or ".RBF"): a
// text without a folder is an invalid path, an empty one is not chosen; a
// file of another type is refused; a missing file is reported but still
// counts as selected (the run then stops before connecting).
CFirmwarePathCheck CheckFirmwarePath(const std::string& path, const std::string& type, JxImageKind kind);

// The worker of the download's link operation. `owner` is the window's link
// owner (its progress window, cancel flag and messages).
CFirmwareDownloadResult RunFirmwareDownload(CLinkOwner& owner, CJxConfigApp& app,
                                            const CFirmwareDownloadRequest& request,
                                            const JxWaitFunction& wait = {});

// The last steps of every run that reached the display: waits (6 s on a
// dial-up line, 1 s on the others), resets it and says whether the firmware
// was updated. The box is shown also after Abort. True when the display took
// the reset.
bool ResetAfterDownload(CLinkOwner& owner, CJxConfigApp& app, JxConnectionKind connectionKind, uint8_t address, bool ok,
                        const JxWaitFunction& wait = {});
