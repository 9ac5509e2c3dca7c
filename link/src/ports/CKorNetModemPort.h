// A controller reached through a telephone line: a data call placed with a
// Hayes AT modem listed in the modem file, carrying the same frames as a
// serial cable once the modem says CONNECT.
//
// The port keeps a small telephony layer of its own: initialise (read the
// modem file), open the line (the modem's device, checked with "AT"), make
// the call (init string, ATDT), the call's states, drop the call (hang up),
// close the line, shut down. Each operation leaves its outcome as the last
// error code and text (GetLastTAPIerror), and every change of the call's
// state goes to the event handler's OnCallState first, on the calling
// thread, before the port acts on it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "CHayesModem.h"
#include "CKorNetAbstractPort.h"
#include "CModemFile.h"
#include "KorNet.h"
#include "TelephonyTexts.h"

class CKorNetModemPort : public CKorNetAbstractPort {
public:
    CKorNetModemPort(std::string phoneNumber, uint32_t dialupId);
    ~CKorNetModemPort() override;

    int16_t Open() override;
    int16_t Close() override;
    int16_t SendPacket(const CKorNetPacket& packet) override;
    int16_t ReceivePacket(CKorNetPacket& packet) override;
    int16_t Write(const uint8_t* bytes, int16_t length) override;
    void FlushInput() override;

    // The modems that can place data calls, or null when there are none to
    // list (the last error says why). The list stays valid until the next
    // call or the port's end.
    const modemlist_entry_s* GetModemList(int16_t& count);

    // The most that Open may take from the first command to CONNECT.
    void SetCallLimit(int32_t milliseconds) { m_callLimitMs.store(milliseconds > 0 ? milliseconds : kDefaultCallLimitMs); }
    int32_t CallLimit() const { return m_callLimitMs.load(); }
    static constexpr int32_t kDefaultCallLimitMs = CKorNetwork::DIALUP_CALL_LIMIT_MS;

    const std::string& PhoneNumber() const { return m_phoneNumber; }
    uint32_t DialupId() const { return m_dialupId; }

    // Characters a dial string may hold: digits, * # + A-D, the pause and
    // wait marks , W @ !, tone and pulse T P, and the spacing people type.
    static bool IsDialable(const std::string& number);

protected:
    int16_t ReadByteWithin(uint8_t& byte, int32_t waitMs) override;

private:
    enum class Call { None, Dialling, Connected, Ended };

    bool Initialise();
    void Shutdown();
    bool StopCall();
    bool HangUp();
    // A call-state change: OnCallState first, then what the state means for
    // the call. Repeats of the current state are not reported again. The
    // caller leaves the reason of an ended call as the last error first.
    void CallState(uint32_t state);

    void BeginOperation() { m_failureKept = false; }
    void Record(const char* operation, int32_t result);
    void Fail(const std::string& text, int32_t code = 0);
    int16_t OpenFailed(bool stop);

    bool InCall() const { return m_call == Call::Connected && m_modem.IsOpen(); }
    // Whether the far end has gone (carrier dropped, or the modem said
    // NO CARRIER between frames); ends the call when it has.
    bool CarrierLost();
    void WatchLine(const std::string& bytes);
    void RemoteHangUp();
    int16_t ReadData(uint8_t& byte, int32_t timeOutMs);

    std::string m_phoneNumber;
    uint32_t m_dialupId;
    std::atomic<int32_t> m_callLimitMs{kDefaultCallLimitMs};

    bool m_initialised = false;
    std::vector<CModemEntry> m_devices;  // the line devices while initialised
    CModemEntry m_line;                  // the modem of the call
    CHayesModem m_modem;
    Call m_call = Call::None;
    uint32_t m_callState = 0;            // the state last reported
    bool m_watchCarrierDetect = false;   // carrier detect was up at CONNECT
    std::string m_between;               // bytes seen between frames
    std::vector<modemlist_entry_s> m_modemList;

    bool m_stopping = false;
    bool m_shuttingDown = false;
    bool m_initialising = false;
    bool m_failureKept = false;          // the operation's first failure stays the last error
};
