#include "CKorNetAbstractPort.h"

#include "../CKorNetPacket.h"
#include "CFdReader.h"  // KorNetNowMs
#include "KorNet.h"

#include <algorithm>

using namespace kornet;

int16_t CKorNetAbstractPort::SendPacket(const CKorNetPacket& packet)
{
    return Write(packet.Bytes(), static_cast<int16_t>(packet.FrameLength()));
}

int16_t CKorNetAbstractPort::ReadByteBefore(uint8_t& byte, int64_t deadlineMs)
{
    for (;;) {
        if (AbortRequested()) return ERR_SIGN_ABORT;
        const int64_t start = KorNetNowMs();
        const int64_t left = deadlineMs - start;
        if (left < 0) return ERR_SIGN_NO_RESPONSE;
        const int32_t wait = static_cast<int32_t>(std::min<int64_t>(left, kAbortSliceMs));
        const int16_t status = ReadByteWithin(byte, wait);
        if (status != ERR_SIGN_NO_RESPONSE || left <= kAbortSliceMs) return status;
        if (KorNetNowMs() - start < wait) return status;  // nothing more will come
    }
}

int16_t CKorNetAbstractPort::ReadReplyByte(uint8_t& byte, int64_t replyDeadlineMs)
{
    const int64_t byteDeadline = KorNetNowMs() + (m_timeOut > 0 ? m_timeOut : 0);
    return ReadByteBefore(byte, std::min(byteDeadline, replyDeadlineMs));
}

int16_t CKorNetAbstractPort::ReadByte(uint8_t& byte)
{
    return ReadByteBefore(byte, KorNetNowMs() + (m_timeOut > 0 ? m_timeOut : 0));
}

// Hunt for the start byte, then five header bytes, then N data bytes and the
// data checksum. Byte 1 is not compared with 0xAA: the header checksum covers
// it. The buffer holds 262 bytes and N is at most 255, so a frame can never
// grow past it. On a failure the partial frame stays for the log.
int16_t CKorNetAbstractPort::ReceivePacket(CKorNetPacket& packet)
{
    packet.Clear();
    BeginReceive();
    uint8_t* bytes = packet.Bytes();
    const int64_t replyDeadline = KorNetNowMs() + ReplyLimitMs();
    int16_t status;
    for (;;) {
        status = ReadReplyByte(bytes[0], replyDeadline);
        if (status != KORNET_OK) return status;
        if (bytes[0] == kStart1) break;
        NoteStray(bytes[0]);
    }
    m_frameRead = 1;

    for (size_t i = 1; i < kFrameHeader; ++i) {
        status = ReadReplyByte(bytes[i], replyDeadline);
        if (status != KORNET_OK) return status;
        m_frameRead = i + 1;
    }
    const size_t n = bytes[3];
    if (n > 0) {
        for (size_t i = kFrameHeader; i <= kFrameHeader + n; ++i) {
            status = ReadReplyByte(bytes[i], replyDeadline);
            if (status != KORNET_OK) return status;
            m_frameRead = i + 1;
        }
    }
    return KORNET_OK;
}
