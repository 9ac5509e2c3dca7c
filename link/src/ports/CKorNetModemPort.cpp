#include "CKorNetModemPort.h"

#include <algorithm>
#include <cstring>

#include "../CKorNetPacket.h"

using namespace kornet;

namespace {
// How long a modem in command mode may take to answer "AT".
constexpr int64_t kProbeMs = 600;
// How long a command such as the init string (which may reset the modem)
// or ATH may take.
constexpr int64_t kCommandMs = 3000;
// How long DTR stays down to hang up; modems want at least a few tens of
// milliseconds.
constexpr int kDtrHoldMs = 300;
// The most a hang-up may take, escape sequence included.
constexpr int64_t kHangUpLimitMs = 15000;
// What the modem says when the far end has gone.
constexpr const char* kNoCarrier = "NO CARRIER";

using Code = CHayesModem::Code;
using Wait = CHayesModem::Wait;
}  // namespace

CKorNetModemPort::CKorNetModemPort(std::string phoneNumber, uint32_t dialupId)
    : m_phoneNumber(std::move(phoneNumber)), m_dialupId(dialupId)
{
}

// No events from here: the handler may be gone already. Closing the device
// drops DTR, which hangs up a call that Disconnect did not end.
CKorNetModemPort::~CKorNetModemPort() = default;

bool CKorNetModemPort::IsDialable(const std::string& number)
{
    if (number.empty()) return false;
    for (char c : number) {
        if (c >= '0' && c <= '9') continue;
        if (c != '\0' && std::strchr("*#+ABCDabcd,Ww@!PpTt -().", c) != nullptr) continue;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Last error
// ---------------------------------------------------------------------------
void CKorNetModemPort::Record(const char* operation, int32_t result)
{
    // The first failure of an operation says why it failed; the clean-up
    // after it must not bury it under "was successfull".
    if (m_failureKept) return;
    m_lastErrorCode = result;
    m_lastErrorText = TelephonyResultText(operation, result);
    if (result < 0) m_failureKept = true;
}

void CKorNetModemPort::Fail(const std::string& text, int32_t code)
{
    if (m_failureKept) return;
    m_lastErrorCode = code;
    m_lastErrorText = text;
    m_failureKept = true;
}

// ---------------------------------------------------------------------------
// The telephony layer
// ---------------------------------------------------------------------------
bool CKorNetModemPort::Initialise()
{
    if (m_initialising) return false;
    m_initialising = true;
    // Read afresh every time, so a modem added to the file is there at once.
    const CModemFile file = KorNetReadModemFile(KorNetModemFilePath());
    bool ok = false;
    if (file.state == CModemFile::State::Unreadable || (file.modems.empty() && file.ignoredLines > 0)) {
        Record("lineInitialize", kLineErrIniFileCorrupt);
    } else if (file.modems.empty()) {
        Fail(kTextNoDevices);
    } else {
        m_devices = file.modems;
        m_initialised = true;
        Record("lineInitialize", kLineOk);
        ok = true;
    }
    m_initialising = false;
    return ok;
}

void CKorNetModemPort::Shutdown()
{
    if (!m_initialised || m_shuttingDown) return;
    m_shuttingDown = true;
    StopCall();  // returns at once when the stop is what brought us here
    m_devices.clear();
    m_initialised = false;
    Record("lineShutdown", kLineOk);
    m_shuttingDown = false;
}

void CKorNetModemPort::CallState(uint32_t state)
{
    if (state == m_callState) return;
    m_callState = state;
    if (m_eventHandler != nullptr) m_eventHandler->OnCallState(m_dialupId, state, m_userValue);
    switch (state) {
    case KORNET_CALLSTATE_IDLE:
    case KORNET_CALLSTATE_BUSY:
    case KORNET_CALLSTATE_SPECIALINFO:
    case KORNET_CALLSTATE_DISCONNECTED: StopCall(); break;
    default: break;
    }
}

bool CKorNetModemPort::HangUp()
{
    if (!m_modem.IsOpen()) return false;
    const int64_t limit = KorNetNowMs() + kHangUpLimitMs;
    auto until = [limit](int64_t ms) { return std::min(limit, KorNetNowMs() + ms); };
    Code code = Code::None;
    std::string line;

    if (m_call == Call::Dialling) {
        // Any character ends the dialling; the modem answers with a result.
        m_modem.TakePending();
        static const uint8_t kCancel[] = {'\r'};
        if (m_modem.Write(kCancel, sizeof kCancel, until(kCommandMs)))
            (void)m_modem.ReadResult(code, line, until(kCommandMs), {});
    } else if (m_call == Call::Connected) {
        // A modem set to &D2 hangs up when DTR drops.
        (void)m_modem.DropDtr(kDtrHoldMs);
    }

    auto onHook = [&] {
        return m_modem.Command("ATH", code, until(kCommandMs)) == Wait::Done &&
               (code == Code::Ok || code == Code::NoCarrier);
    };
    // In command mode the modem answers "AT"; still in the call it does not
    // (the bytes go down the line), and the escape sequence gets it back.
    if (m_modem.Command("AT", code, until(kProbeMs)) == Wait::Done && code == Code::Ok) return onHook();
    const int guard = KorNetEscapeGuardMs(m_line.init);
    if (m_modem.Escape(guard, until(2 * guard + 1000))) return onHook();
    if (m_modem.Command("AT", code, until(kProbeMs)) == Wait::Done && code == Code::Ok) return onHook();
    // The modem does not answer; the call is over only if the carrier is.
    return m_modem.CarrierDetect() == CHayesModem::Carrier::Absent;
}

bool CKorNetModemPort::StopCall()
{
    if (m_stopping) return true;
    m_stopping = true;
    bool ok = true;
    if (m_call != Call::None) {
        ok = HangUp();
        Record("lineDrop", ok ? kLineOk : kLineErrOperationFailed);
        m_call = Call::None;
        // Idle only when the line is known to be free again.
        if (ok) CallState(KORNET_CALLSTATE_IDLE);
        Record("lineDeallocateCall", kLineOk);
    }
    m_callState = 0;
    m_watchCarrierDetect = false;
    m_between.clear();
    if (m_modem.IsOpen()) {
        m_modem.Close();
        Record("lineClose", kLineOk);
    }
    Shutdown();
    m_stopping = false;
    return ok;
}

// ---------------------------------------------------------------------------
// Placing and ending the call
// ---------------------------------------------------------------------------
int16_t CKorNetModemPort::OpenFailed(bool stop)
{
    if (stop) StopCall();
    return ERR_NETWORK_CONNECT_FAILED;
}

int16_t CKorNetModemPort::Open()
{
    BeginOperation();
    m_timeOutsChanged = true;
    // A call left from before (a remote hang-up not yet disconnected) goes first.
    if (m_call != Call::None || m_modem.IsOpen()) StopCall();

    const int64_t deadline = KorNetNowMs() + m_callLimitMs.load();
    const auto aborted = [this] { return AbortRequested(); };
    auto until = [deadline](int64_t ms) { return std::min(deadline, KorNetNowMs() + ms); };

    if (!Initialise()) return OpenFailed(false);
    if (!IsDialable(m_phoneNumber)) {
        Fail(DisconnectReasonText(DisconnectReason::BadAddress));
        return OpenFailed(true);
    }
    const auto found = std::find_if(m_devices.begin(), m_devices.end(),
                                    [this](const CModemEntry& d) { return d.lineId == m_dialupId; });
    if (found == m_devices.end()) {
        Fail(kTextNoSuchLine);
        return OpenFailed(true);
    }
    if (!found->dataCalls) {
        Fail(kTextNoDataModem);
        return OpenFailed(false);
    }
    m_line = *found;

    // Open the line: the modem's device, and a modem on it that answers.
    switch (m_modem.Open(KorNetModemDevicePath(m_line), m_line.speed)) {
    case CHayesModem::OpenResult::Ok: break;
    case CHayesModem::OpenResult::NoDevice: Record("lineOpen", kLineErrNoDriver); return OpenFailed(true);
    case CHayesModem::OpenResult::InUse:
        Record("lineOpen", kLineErrResourceUnavail);
        return OpenFailed(true);
    case CHayesModem::OpenResult::Failed: Record("lineOpen", kLineErrOperationFailed); return OpenFailed(true);
    }
    bool answered = false;
    // A modem that takes its speed from "AT" may miss the first one.
    for (int i = 0; i < 3 && !answered && !AbortRequested() && KorNetNowMs() < deadline; ++i) {
        Code code = Code::None;
        const Wait w = m_modem.Command("AT", code, until(kProbeMs), aborted);
        if (w == Wait::Done && code == Code::Ok) answered = true;
        else if (w == Wait::Failed) break;
    }
    if (!answered) {
        Record("lineOpen", kLineErrOperationFailed);
        return OpenFailed(true);
    }
    Record("lineOpen", kLineOk);

    // Make the call.
    if (!m_line.init.empty()) {
        Code code = Code::None;
        if (m_modem.Command(m_line.init, code, until(kCommandMs), aborted) != Wait::Done || code != Code::Ok) {
            Record("lineMakeCall", kLineErrOperationFailed);
            return OpenFailed(true);
        }
    }
    m_modem.TakePending();
    if (!m_modem.SendCommand("ATDT" + m_phoneNumber, until(kCommandMs))) {
        Record("lineMakeCall", kLineErrOperationFailed);
        return OpenFailed(true);
    }
    m_call = Call::Dialling;
    Record("lineMakeCall", kLineOk);
    CallState(KORNET_CALLSTATE_DIALING);
    if (m_call == Call::Dialling) CallState(KORNET_CALLSTATE_PROCEEDING);
    if (m_call != Call::Dialling) return OpenFailed(true);  // the handler ended it

    // Follow the call to its result.
    Code code = Code::None;
    std::string line;
    const Wait w = m_modem.ReadResult(code, line, deadline, aborted, [this](Code c) {
        if (c == Code::Ringing) CallState(KORNET_CALLSTATE_RINGBACK);
    });
    if (m_call != Call::Dialling) return OpenFailed(true);
    if (w != Wait::Done) {
        // The call limit ran out, Abort, or the device failed.
        Record("lineGetCallStatus", kLineErrOperationFailed);
        return OpenFailed(true);
    }
    if (code != Code::Connect) {
        m_call = Call::Ended;  // the modem is back in command mode
        switch (code) {
        case Code::Busy:
            Fail(DisconnectReasonText(DisconnectReason::Busy));
            CallState(KORNET_CALLSTATE_BUSY);
            break;
        case Code::Delayed:
        case Code::Blacklisted:
            Fail(DisconnectReasonText(DisconnectReason::Unavailable));
            CallState(KORNET_CALLSTATE_SPECIALINFO);
            break;
        default: {
            DisconnectReason reason = DisconnectReason::Unknown;  // NO CARRIER, or OK to a data call
            if (code == Code::NoAnswer) reason = DisconnectReason::NoAnswer;
            else if (code == Code::NoDialTone) reason = DisconnectReason::NoDialTone;
            else if (code == Code::Error) reason = DisconnectReason::BadAddress;
            Fail(DisconnectReasonText(reason));
            CallState(KORNET_CALLSTATE_DISCONNECTED);
            break;
        }
        }
        return OpenFailed(true);
    }

    m_call = Call::Connected;
    m_between.clear();
    // Carrier detect is watched only where it was up at CONNECT: a modem
    // set to &C0, a cable without the line or a pseudo-terminal tells us
    // nothing through it.
    m_watchCarrierDetect = m_modem.CarrierDetect() == CHayesModem::Carrier::Present;
    CallState(KORNET_CALLSTATE_CONNECTED);
    if (!InCall()) return OpenFailed(true);
    // From here on the modem's device carries the call's bytes.
    Record("lineGetID", kLineOk);
    return KORNET_OK;
}

int16_t CKorNetModemPort::Close()
{
    BeginOperation();
    return StopCall() ? KORNET_OK : ERR_NETWORK_DISCONNECT_INVALID;
}

// ---------------------------------------------------------------------------
// The far end hanging up
// ---------------------------------------------------------------------------
void CKorNetModemPort::RemoteHangUp()
{
    BeginOperation();
    Fail(DisconnectReasonText(DisconnectReason::Normal));
    m_call = Call::Ended;
    CallState(KORNET_CALLSTATE_DISCONNECTED);
}

bool CKorNetModemPort::CarrierLost()
{
    if (m_call != Call::Connected) return true;
    if (m_watchCarrierDetect && m_modem.CarrierDetect() == CHayesModem::Carrier::Absent) {
        RemoteHangUp();
        return true;
    }
    return false;
}

// The modem reports the end of a call with NO CARRIER. Only bytes outside
// frames are looked at: a file may well contain the words.
void CKorNetModemPort::WatchLine(const std::string& bytes)
{
    m_between += bytes;
    if (m_between.find(kNoCarrier) != std::string::npos) {
        m_between.clear();
        RemoteHangUp();
        return;
    }
    const size_t keep = std::strlen(kNoCarrier) - 1;
    if (m_between.size() > keep) m_between.erase(0, m_between.size() - keep);
}

// ---------------------------------------------------------------------------
// The call's bytes
// ---------------------------------------------------------------------------
int16_t CKorNetModemPort::ReadData(uint8_t& byte, int32_t timeOutMs)
{
    if (!InCall()) return ERR_NETWORK_NO_READ;
    switch (m_modem.ReadByte(byte, timeOutMs > 0 ? timeOutMs : 0)) {
    case CFdReader::Result::Byte: return KORNET_OK;
    case CFdReader::Result::TimedOut: return CarrierLost() ? ERR_NETWORK_NO_READ : ERR_SIGN_NO_RESPONSE;
    case CFdReader::Result::Closed:
    case CFdReader::Result::Error: break;
    }
    return ERR_NETWORK_NO_READ;
}

int16_t CKorNetModemPort::ReadByteWithin(uint8_t& byte, int32_t waitMs) { return ReadData(byte, waitMs); }

int16_t CKorNetModemPort::Write(const uint8_t* bytes, int16_t length)
{
    if (length < 0 || (bytes == nullptr && length > 0)) return ERR_NETWORK_NO_WRITE;
    if (!InCall() || CarrierLost()) return ERR_NETWORK_NO_WRITE;
    const uint32_t speed = m_line.speed > 0 ? m_line.speed : 115200;
    const int64_t transmit = static_cast<int64_t>(length) * 10000 / speed;
    const int64_t deadline = KorNetNowMs() + (m_timeOut > 0 ? m_timeOut : 0) + 250 + transmit;
    return m_modem.Write(bytes, static_cast<size_t>(length), deadline) ? KORNET_OK : ERR_NETWORK_NO_WRITE;
}

int16_t CKorNetModemPort::SendPacket(const CKorNetPacket& packet)
{
    if (!InCall()) return ERR_NETWORK_NO_WRITE;
    // Replies are read against the per-byte time-out with poll; the device
    // itself keeps no time-outs to bring up to date.
    m_timeOutsChanged = false;
    return Write(packet.Bytes(), static_cast<int16_t>(packet.FrameLength()));
}

// The start-byte hunt and the header byte by byte; then the data bytes and
// their checksum must all arrive within one time-out. The whole reply has
// the limit of every port, and Abort ends the wait.
int16_t CKorNetModemPort::ReceivePacket(CKorNetPacket& packet)
{
    packet.Clear();
    BeginReceive();
    uint8_t* bytes = packet.Bytes();
    const int64_t replyDeadline = KorNetNowMs() + ReplyLimitMs();
    for (;;) {
        const int16_t status = ReadReplyByte(bytes[0], replyDeadline);
        if (status != KORNET_OK) return status;
        if (bytes[0] == kStart1) break;
        NoteStray(bytes[0]);
        WatchLine(std::string(1, static_cast<char>(bytes[0])));
        if (!InCall()) return ERR_NETWORK_NO_READ;
    }
    m_frameRead = 1;
    m_between.clear();
    for (size_t i = 1; i < kFrameHeader; ++i) {
        const int16_t status = ReadReplyByte(bytes[i], replyDeadline);
        if (status != KORNET_OK) return status;
        m_frameRead = i + 1;
    }
    const size_t n = bytes[3];
    if (n == 0) return KORNET_OK;
    const int64_t dataDeadline = std::min(KorNetNowMs() + (m_timeOut > 0 ? m_timeOut : 0), replyDeadline);
    for (size_t i = kFrameHeader; i <= kFrameHeader + n; ++i) {
        const int16_t status = ReadByteBefore(bytes[i], dataDeadline);
        if (status != KORNET_OK) return status;
        m_frameRead = i + 1;
    }
    return KORNET_OK;
}

void CKorNetModemPort::FlushInput()
{
    if (!InCall()) return;
    // Read out rather than thrown away unseen: the modem's NO CARRIER may be
    // among the bytes.
    WatchLine(m_modem.TakePending());
    if (InCall()) (void)CarrierLost();
}

// ---------------------------------------------------------------------------
// Modem list
// ---------------------------------------------------------------------------
const modemlist_entry_s* CKorNetModemPort::GetModemList(int16_t& count)
{
    count = 0;
    BeginOperation();
    if (!Initialise()) return nullptr;
    m_modemList.clear();
    m_modemList.reserve(m_devices.size() + 1);  // never null, even when empty
    for (const CModemEntry& d : m_devices) {
        if (!d.dataCalls) continue;
        if (m_modemList.size() >= 32767) break;
        modemlist_entry_s entry{};
        const std::string name = d.name.empty() ? std::string("Unknown Device") : d.name;
        std::memcpy(entry.name, name.data(), std::min(name.size(), sizeof entry.name));
        entry.dialupId = d.lineId;
        m_modemList.push_back(entry);
    }
    count = static_cast<int16_t>(m_modemList.size());
    return m_modemList.data();
}
