// One frame on the wire:
//   55 AA addr N (seq<<4 | type) hdrsum  data[N]  datasum (only when N > 0)
// The header checksum makes bytes 0..5 sum to 0; the data checksum makes the
// data bytes and itself sum to 0. No escaping: receivers hunt for 0x55.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kornet {
inline constexpr size_t kFrameMax = 262;       // 6 header bytes + 255 data + checksum
inline constexpr size_t kFrameHeader = 6;
inline constexpr size_t kFrameDataMax = 255;
inline constexpr uint8_t kStart1 = 0x55;
inline constexpr uint8_t kStart2 = 0xAA;
inline constexpr uint8_t kExtendedPrefix = 0x80;

enum FrameType : uint8_t {
    kTypeCommand = 0,
    kTypeReply = 1,
    kTypeBadCommand = 2,
    kTypeSync = 3,
    kTypeUnsupported = 4,
    kTypeEnableBroadcast = 8,
    kTypeDisableBroadcast = 9,
    kTypeQueryBroadcast = 11,
    kTypeSetBaud = 12,
};

uint8_t Checksum(const uint8_t* bytes, size_t count);
}  // namespace kornet

class CKorNetPacket {
public:
    CKorNetPacket() { Clear(); }

    void Clear();
    // Builds a frame; `length` must not exceed 255.
    void Build(uint8_t address, uint8_t sequence, uint8_t type, const uint8_t* data, size_t length);

    // Bytes that go on the wire: 6 without data, N + 7 with data.
    size_t FrameLength() const { return m_bytes[3] == 0 ? kornet::kFrameHeader : m_bytes[3] + 7u; }
    uint8_t Address() const { return m_bytes[2]; }
    uint8_t DataLength() const { return m_bytes[3]; }
    uint8_t Sequence() const { return m_bytes[4] & 0xF0; }
    uint8_t Type() const { return m_bytes[4] & 0x0F; }
    const uint8_t* Data() const { return m_bytes + kornet::kFrameHeader; }
    uint8_t DataByte(size_t index) const { return index < kornet::kFrameDataMax ? m_bytes[kornet::kFrameHeader + index] : 0; }

    // Checks a reply against the request it answers. `code` is the reply code
    // to compare (0: none). The first failing test decides the status.
    int16_t Validate(uint8_t address, uint8_t sequence, uint8_t type, uint8_t code) const;

    uint8_t* Bytes() { return m_bytes; }
    const uint8_t* Bytes() const { return m_bytes; }

    void SetRelaxedValidation(bool on) { m_relaxed = on; }
    bool RelaxedValidation() const { return m_relaxed; }

private:
    uint8_t m_bytes[kornet::kFrameMax];
    bool m_relaxed = false;
};
