// Texts of the telephony layer under the dial-up port: what the last-error
// text says after each telephony operation, and why a call ended.
#pragma once

#include <cstdint>
#include <string>

namespace kornet {

// Results of the telephony operations, as GetLastTAPIerror reports them.
inline constexpr int32_t kLineOk = 0;
inline constexpr int32_t kLineErrAllocated = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t kLineErrIniFileCorrupt = static_cast<int32_t>(0x8000000Eu);
inline constexpr int32_t kLineErrInvalCard = static_cast<int32_t>(0x8000001Eu);
inline constexpr int32_t kLineErrInvalLocation = static_cast<int32_t>(0x8000002Du);
inline constexpr int32_t kLineErrNoDriver = static_cast<int32_t>(0x80000043u);
inline constexpr int32_t kLineErrNoMem = static_cast<int32_t>(0x80000044u);
inline constexpr int32_t kLineErrOperationFailed = static_cast<int32_t>(0x80000048u);
inline constexpr int32_t kLineErrResourceUnavail = static_cast<int32_t>(0x8000004Bu);
inline constexpr int32_t kLineErrReinit = static_cast<int32_t>(0x80000052u);
inline constexpr int32_t kLineErrNoMultipleInstance = static_cast<int32_t>(0x80000056u);

// "lineOpen was successfull", "lineOpen failed. The TAPI operation failed.", ...
std::string TelephonyResultText(const char* operation, int32_t result);

// Why a call ended, as the disconnected call state reports it.
enum class DisconnectReason {
    Normal,
    Unknown,
    Reject,
    PickUp,
    Forwarded,
    Busy,
    NoAnswer,
    BadAddress,
    Unreachable,
    Congestion,
    Incompatible,
    Unavailable,
    NoDialTone,
    Other,
};
const char* DisconnectReasonText(DisconnectReason reason);

// Texts the port leaves as the last error when a call cannot be placed.
inline constexpr const char* kTextNoDevices = "There are no telephony devices installed.";
inline constexpr const char* kTextNoSuchLine = "Error on Requested line";
inline constexpr const char* kTextNoDataModem =
    "The configured line doesn't support LINEMEDIAMODE_DATAMODEM capabilities";
inline constexpr const char* kTextLineInUse =
    "Line is already in use by a non-TAPI application or by another TAPI Service Provider.";

}  // namespace kornet
