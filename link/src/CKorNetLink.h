// The state of one link and the exchange engine every command is built on:
// the busy guard, per-address sequence numbers and synchronisation, the frame
// exchange with its retries and abort checks, multi-frame progress, and the
// one-frame command template that the command families share.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CKorNetPacket.h"
#include "KorNet.h"
#include "ports/CKorNetAbstractPort.h"

class CKorNetLink {
public:
    CKorNetLink();

    // ---- settings and state ------------------------------------------------
    int16_t userValue = 0;
    int16_t progressCount = 0;
    int16_t progressTotal = 0;
    int16_t actualRetries = 0;
    int16_t maxRetries = 2;
    int32_t timeOut = 1000;
    std::string logFileName;
    std::atomic<bool> abortRequested{false};
    // The log settings may change on another thread while a call runs (a
    // window's check box): the flag is atomic and the rest is read and
    // written under logMutex.
    std::atomic<bool> diagnosticsEnabled{false};
    std::mutex logMutex;
    std::string logFolder;
    bool logErrorsOnly = false;
    std::atomic<bool> connected{false};
    std::atomic<bool> busy{false};
    bool synchronised[256] = {};
    uint8_t sequence[256] = {};
    std::vector<uint8_t> retrieved;  // data of the latest retrieval command
    std::unique_ptr<CKorNetAbstractPort> port;
    CKorNetPacket sent;
    CKorNetPacket received;  // carries the relaxed-validation flag
    CKorNetworkEvents* eventHandler = nullptr;
    std::atomic<IKorNetFrameObserver*> frameObserver{nullptr};

    // ---- the guard ---------------------------------------------------------
    // Not connected, then busy (a test-and-set, so two threads can never both
    // pass), then: busy is held until Release. Command methods clear the
    // abort flag; raw access leaves it alone.
    int16_t Acquire(bool clearAbort = true);
    void Release() { busy.store(false); }

    // Installs a new port for a Configure method; refuses while connected or
    // while another call holds the link.
    int16_t ReplacePort(std::unique_ptr<CKorNetAbstractPort> newPort, const std::string& newLogName);

    // ---- exchanges ---------------------------------------------------------
    // Sync frame (type 3) with sequence 0; does not touch the synchronised flag.
    int16_t SyncFrame(uint8_t address);
    // The sync step before a command's first frame to an address.
    int16_t Synchronise(uint8_t address);
    // One request/reply exchange with retries. Broadcast addresses end after
    // the send.
    int16_t Exchange(uint8_t address, uint8_t type, const uint8_t* data, size_t length);
    void AdvanceSequence(uint8_t address);

    // After a successful exchange to an individual address: copies the first
    // `responseSize` reply data bytes to `response` (when given) and turns a
    // non-zero error byte into ERR_SIGN_RESPONSE_ERROR.
    int16_t CheckReply(uint8_t address, int16_t status, void* response, size_t responseSize, size_t errorByte);

    // The single-frame command template: guard, synchronise, one type 0
    // exchange, response copy and error byte, release.
    int16_t RunCommand(uint8_t address, const uint8_t* request, size_t length, void* response,
                       size_t responseSize, size_t errorByte, bool refuseBroadcast = false);

    // ---- multi-frame progress ----------------------------------------------
    void ProgressBegin(int16_t total);
    void ProgressStep();

    // ---- diagnostics -------------------------------------------------------
    void LogAttempt(bool firstAttempt, int16_t status);
    // Tells the observer of the frame just sent, or of what the last receive
    // took off the line (stray bytes first, then the reply).
    void ReportSent(IKorNetFrameObserver& observer, int16_t status);
    void ReportReceived(IKorNetFrameObserver& observer, int16_t status);

    // Replaces the retrieved-data buffer with `size` zero bytes.
    uint8_t* NewRetrieved(size_t size);
    void FreeRetrieved() { retrieved.clear(); retrieved.shrink_to_fit(); }
};

// Copies a name into a fixed-width, zero-padded field (no terminator when it
// fills the field). A null name leaves the field zero.
void KorNetCopyName(uint8_t* field, size_t width, const char* name);

// Little-endian helpers for request and reply fields.
inline void KorNetPut16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void KorNetPut32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t KorNetGet16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t KorNetGet32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Holds the link's busy flag for one command and releases it on every path.
class CKorNetBusy {
public:
    explicit CKorNetBusy(CKorNetLink& link, bool clearAbort = true) : m_link(link), m_status(link.Acquire(clearAbort)) {}
    // The guard of a command whose reply is its point: as above, then a
    // broadcast address (which nobody answers) is refused.
    CKorNetBusy(CKorNetLink& link, uint8_t replyAddress) : CKorNetBusy(link)
    {
        if (m_status == KORNET_OK && KorNetIsBroadcastAddress(replyAddress)) {
            m_link.Release();
            m_status = ERR_COMMAND_NO_BROADCAST;
        }
    }
    ~CKorNetBusy()
    {
        if (m_status == KORNET_OK) m_link.Release();
    }
    CKorNetBusy(const CKorNetBusy&) = delete;
    CKorNetBusy& operator=(const CKorNetBusy&) = delete;
    int16_t Status() const { return m_status; }
    bool Ok() const { return m_status == KORNET_OK; }
    // Lets the busy flag go early (a command that hands over to another).
    void ReleaseNow()
    {
        if (m_status == KORNET_OK) m_link.Release();
        m_status = ERR_COMMAND_BUSY;
    }

private:
    CKorNetLink& m_link;
    int16_t m_status;
};
