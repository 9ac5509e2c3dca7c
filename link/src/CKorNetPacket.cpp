#include "CKorNetPacket.h"

#include <cstring>

#include "KorNet.h"

namespace kornet {
uint8_t Checksum(const uint8_t* bytes, size_t count)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    return static_cast<uint8_t>(0u - sum);
}
}  // namespace kornet

using namespace kornet;

void CKorNetPacket::Clear()
{
    std::memset(m_bytes, 0, sizeof m_bytes);
}

void CKorNetPacket::Build(uint8_t address, uint8_t sequence, uint8_t type, const uint8_t* data, size_t length)
{
    Clear();
    if (length > kFrameDataMax) length = kFrameDataMax;
    m_bytes[0] = kStart1;
    m_bytes[1] = kStart2;
    m_bytes[2] = address;
    m_bytes[3] = static_cast<uint8_t>(length);
    m_bytes[4] = static_cast<uint8_t>((sequence & 0xF0) + (type & 0x0F));
    m_bytes[5] = Checksum(m_bytes, 5);
    if (length > 0) {
        std::memcpy(m_bytes + kFrameHeader, data, length);
        m_bytes[kFrameHeader + length] = Checksum(m_bytes + kFrameHeader, length);
    }
}

int16_t CKorNetPacket::Validate(uint8_t address, uint8_t sequence, uint8_t type, uint8_t code) const
{
    if (m_bytes[2] != address) return ERR_SIGN_INVALID_RESPONSE;
    if ((m_bytes[4] & 0xF0) != (sequence & 0xF0)) return ERR_SIGN_INVALID_RESPONSE;

    const uint8_t replyType = m_bytes[4] & 0x0F;
    if (replyType == kTypeBadCommand && !m_relaxed) return ERR_SIGN_BAD_COMMAND;
    if (replyType == kTypeUnsupported && !m_relaxed) return ERR_SIGN_UNSUPPORTED_COMMAND;

    const uint8_t n = m_bytes[3];
    if (type == kTypeSync || type == kTypeQueryBroadcast) {
        if (replyType != type) return ERR_SIGN_INVALID_RESPONSE;
    } else {
        if (replyType != kTypeReply && !m_relaxed) return ERR_SIGN_INVALID_RESPONSE;
        // A controller that does not know a command answers it with command byte 0.
        if (n > 0 && m_bytes[kFrameHeader] == 0) return ERR_SIGN_UNSUPPORTED_COMMAND;
    }

    if (Checksum(m_bytes, 5) != m_bytes[5]) return ERR_SIGN_INVALID_RESPONSE;
    // With N = 0 the data checksum of nothing is 0 and the cleared byte 6 is 0.
    if (Checksum(m_bytes + kFrameHeader, n) != m_bytes[kFrameHeader + n]) return ERR_SIGN_INVALID_RESPONSE;

    if (code == 0) return KORNET_OK;
    const uint8_t echoed = m_bytes[kFrameHeader] == kExtendedPrefix ? m_bytes[kFrameHeader + 1] : m_bytes[kFrameHeader];
    return echoed == code ? KORNET_OK : ERR_SIGN_INVALID_RESPONSE;
}
