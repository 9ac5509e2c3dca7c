#include "CKorNetAbstractPort.h"

#include "../CKorNetPacket.h"
#include "KorNet.h"

using namespace kornet;

int16_t CKorNetAbstractPort::SendPacket(const CKorNetPacket& packet)
{
    return Write(packet.Bytes(), static_cast<int16_t>(packet.FrameLength()));
}

// Hunt for the start byte, then five header bytes, then N data bytes and the
// data checksum. Byte 1 is not compared with 0xAA: the header checksum covers
// it. The buffer holds 262 bytes and N is at most 255, so a frame can never
// grow past it. On a failure the partial frame stays for the log.
int16_t CKorNetAbstractPort::ReceivePacket(CKorNetPacket& packet)
{
    packet.Clear();
    uint8_t* bytes = packet.Bytes();
    int16_t status;
    do {
        status = ReadByte(bytes[0]);
        if (status != KORNET_OK) return status;
    } while (bytes[0] != kStart1);

    for (size_t i = 1; i < kFrameHeader; ++i) {
        status = ReadByte(bytes[i]);
        if (status != KORNET_OK) return status;
    }
    const size_t n = bytes[3];
    if (n > 0) {
        for (size_t i = kFrameHeader; i <= kFrameHeader + n; ++i) {
            status = ReadByte(bytes[i]);
            if (status != KORNET_OK) return status;
        }
    }
    return KORNET_OK;
}
