// Frames as a controller sees them: it hunts for the start bytes 55 AA,
// checks the header checksum before it trusts the length byte, and checks
// the data checksum before it acts on a command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SimTypes.h"

namespace jxsim {

inline constexpr uint8_t kFrameStart1 = 0x55;
inline constexpr uint8_t kFrameStart2 = 0xAA;
inline constexpr size_t kMaxFrameData = 255;

// Frame types (low nibble of byte 4).
enum FrameType : uint8_t {
    kTypeCommand = 0,
    kTypeReply = 1,
    kTypeBadCommand = 2,
    kTypeSync = 3,
    kTypeUnsupported = 4,
    kTypeBroadcastEnable = 8,
    kTypeBroadcastDisable = 9,
    kTypeBroadcastQuery = 11,
    kTypeBaudRate = 12,
};

struct CFrame {
    uint8_t address = 0;
    uint8_t seqType = 0;  // high nibble sequence, low nibble type
    Bytes data;

    uint8_t Sequence() const { return seqType & 0xF0; }
    uint8_t Type() const { return seqType & 0x0F; }
};

// Two's complement of the 8-bit sum.
uint8_t FrameChecksum(const uint8_t* p, size_t n);

// The bytes of a frame: 6 without data, N + 7 with. Data beyond 255 bytes is
// cut off (a handler never builds one that long).
Bytes BuildFrame(uint8_t address, uint8_t seqType, const Bytes& data = {});

class CFrameReceiver {
public:
    struct Event {
        enum Kind {
            Frame,    // a whole frame with both checksums right
            BadData,  // header right, data checksum wrong: answered as a bad command
        } kind;
        CFrame frame;
    };

    // Consumes bytes as they arrive; every frame they complete is appended
    // to `events`. Bytes that cannot begin a frame are dropped.
    void Feed(const uint8_t* bytes, size_t count, std::vector<Event>& events);
    // Forgets a partly received frame (line noise, a new peer, a long gap).
    void Reset();
    bool HasPartialFrame() const { return !m_pending.empty(); }

    uint64_t DroppedBytes() const { return m_dropped; }
    uint64_t BadHeaders() const { return m_badHeaders; }

private:
    void Scan(std::vector<Event>& events);

    Bytes m_pending;
    uint64_t m_dropped = 0;
    uint64_t m_badHeaders = 0;
};

}  // namespace jxsim
