#include "TelephonyTexts.h"

namespace kornet {

std::string TelephonyResultText(const char* operation, int32_t result)
{
    std::string text = operation != nullptr ? operation : "";
    if (result == kLineOk) return text + " was successfull";
    if (result > 0) return text + " returned async request ID.";
    switch (result) {
    case kLineErrIniFileCorrupt:
    case kLineErrInvalCard:
    case kLineErrInvalLocation: return text + " failed.  The values in the INI file are invalid.";
    case kLineErrNoDriver: return text + " failed. There is a problem with your Telephony device driver.";
    case kLineErrNoMem: return text + " failed. Out of memory. Action cancelled";
    case kLineErrOperationFailed: return text + " failed. The TAPI operation failed.";
    case kLineErrResourceUnavail: return text + " failed. A TAPI resource is unavailable at this time.";
    case kLineErrNoMultipleInstance: return text + " failed. Remove one of your copies of your Telephony driver.";
    default: return text + " failed.";
    }
}

const char* DisconnectReasonText(DisconnectReason reason)
{
    switch (reason) {
    case DisconnectReason::Normal: return "Remote Party Disconnected";
    case DisconnectReason::Unknown: return "Disconnected: Unknown reason";
    case DisconnectReason::Reject: return "Remote Party rejected call";
    case DisconnectReason::PickUp: return "Disconnected: Local phone picked up";
    case DisconnectReason::Forwarded: return "Disconnected: Forwarded";
    case DisconnectReason::Busy: return "Disconnected: Busy";
    case DisconnectReason::NoAnswer: return "Disconnected: No Answer";
    case DisconnectReason::BadAddress: return "Disconnected: Bad Address";
    case DisconnectReason::Unreachable: return "Disconnected: Unreachable";
    case DisconnectReason::Congestion: return "Disconnected: Congestion";
    case DisconnectReason::Incompatible: return "Disconnected: Incompatible";
    case DisconnectReason::Unavailable: return "Disconnected: Unavail";
    case DisconnectReason::NoDialTone: return "Disconnected: No Dial Tone";
    case DisconnectReason::Other: break;
    }
    return "Disconnected: LINECALLSTATE; Bad Reason";
}

}  // namespace kornet
