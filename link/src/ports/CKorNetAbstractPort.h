// The transport under a link. The link talks to its one port only through
// these operations; each concrete port (serial, TCP/IP, modem) fills them in.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

class CKorNetPacket;
class CKorNetworkEvents;

class CKorNetAbstractPort {
public:
    virtual ~CKorNetAbstractPort() = default;

    // Stores the per-byte reply time-out; serial-like ports re-apply their
    // device settings lazily at the next write.
    void SetTimeOut(int32_t milliseconds)
    {
        m_timeOut = milliseconds;
        m_timeOutsChanged = true;
    }
    int32_t TimeOut() const { return m_timeOut; }
    void SetEventHandler(CKorNetworkEvents* handler, int16_t userValue)
    {
        m_eventHandler = handler;
        m_userValue = userValue;
    }
    // The link's abort flag, so that long waits inside a port (a TCP connect,
    // a modem call) can end early when the caller aborts.
    void SetAbortFlag(const std::atomic<bool>* flag) { m_abortFlag = flag; }

    virtual int16_t Open() = 0;
    virtual int16_t Close() = 0;
    virtual int16_t SendPacket(const CKorNetPacket& packet);
    // One reply frame. Each byte must come within the time-out, the whole
    // frame within ReplyLimitMs; Abort ends the wait with ERR_SIGN_ABORT.
    virtual int16_t ReceivePacket(CKorNetPacket& packet);
    virtual int16_t Write(const uint8_t* bytes, int16_t length) = 0;
    virtual void FlushInput() = 0;

    // One byte within the time-out, Abort looked at while waiting.
    int16_t ReadByte(uint8_t& byte);

    // What the last ReceivePacket read: the bytes of the frame (as far as it
    // came), and the bytes it passed over before the start byte (the first
    // kStrayKept of them).
    size_t FrameBytesRead() const { return m_frameRead; }
    static constexpr size_t kStrayKept = 262;
    const uint8_t* StrayBytes() const { return m_stray; }
    size_t StrayCount() const { return m_strayCount; }

    // How long one reply may take as a whole, from the end of the request.
    // Without it a peer that trickles bytes just inside the per-byte
    // time-out, or floods bytes that are never a start byte, would hold the
    // caller for ever. Where the line's speed is unknown (TCP/IP, a modem's
    // far end), a small multiple of the time-out.
    virtual int32_t ReplyLimitMs() const { return 3 * (m_timeOut > 0 ? m_timeOut : 0); }

    // How often a wait for a byte looks at the abort flag.
    static constexpr int32_t kAbortSliceMs = 50;

    // Last telephony error of a dial-up port; why a serial port's last Open
    // failed (empty after a good one); empty for TCP/IP.
    const std::string& LastErrorText() const { return m_lastErrorText; }
    int32_t LastErrorCode() const { return m_lastErrorCode; }

protected:
    // Waits at most `waitMs` for one byte: KORNET_OK, ERR_SIGN_NO_RESPONSE
    // when none came, or the line's failure. A port that answers "none"
    // before its wait is up has nothing more to come (a peer that hung up).
    virtual int16_t ReadByteWithin(uint8_t& byte, int32_t waitMs) = 0;
    // One byte before `deadlineMs` (KorNetNowMs time), in abort-sized slices.
    int16_t ReadByteBefore(uint8_t& byte, int64_t deadlineMs);
    // One byte of a reply: within the time-out and before `replyDeadlineMs`.
    int16_t ReadReplyByte(uint8_t& byte, int64_t replyDeadlineMs);

    void BeginReceive()
    {
        m_frameRead = 0;
        m_strayCount = 0;
    }
    void NoteStray(uint8_t byte)
    {
        if (m_strayCount < kStrayKept) m_stray[m_strayCount++] = byte;
    }

    bool AbortRequested() const { return m_abortFlag != nullptr && m_abortFlag->load(); }

    std::string m_lastErrorText;
    int32_t m_lastErrorCode = 0;
    CKorNetworkEvents* m_eventHandler = nullptr;
    int16_t m_userValue = 0;
    int32_t m_timeOut = 1000;
    bool m_timeOutsChanged = true;
    const std::atomic<bool>* m_abortFlag = nullptr;
    size_t m_frameRead = 0;
    size_t m_strayCount = 0;
    uint8_t m_stray[kStrayKept] = {};
};
