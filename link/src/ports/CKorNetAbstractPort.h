// The transport under a link. The link talks to its one port only through
// these operations; each concrete port (serial, TCP/IP, modem) fills them in.
#pragma once

#include <atomic>
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
    virtual int16_t ReceivePacket(CKorNetPacket& packet);
    virtual int16_t Write(const uint8_t* bytes, int16_t length) = 0;
    virtual int16_t ReadByte(uint8_t& byte) = 0;
    virtual void FlushInput() = 0;

    // Last telephony error of a dial-up port; why a serial port's last Open
    // failed (empty after a good one); empty for TCP/IP.
    const std::string& LastErrorText() const { return m_lastErrorText; }
    int32_t LastErrorCode() const { return m_lastErrorCode; }

protected:
    bool AbortRequested() const { return m_abortFlag != nullptr && m_abortFlag->load(); }

    std::string m_lastErrorText;
    int32_t m_lastErrorCode = 0;
    CKorNetworkEvents* m_eventHandler = nullptr;
    int16_t m_userValue = 0;
    int32_t m_timeOut = 1000;
    bool m_timeOutsChanged = true;
    const std::atomic<bool>* m_abortFlag = nullptr;
};
