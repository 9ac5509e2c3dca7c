// Generic and link-level commands: raw type 0 requests, ping, broadcast
// address control and the controller's baud rate.
#include <cstring>

#include "../CKorNetLink.h"

using namespace kornet;

int16_t CKorNetwork::GenericCommand(uint8_t address, const uint8_t* request, int16_t requestLength, uint8_t* reply,
                                    int16_t replyLength)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;
    if (requestLength < 0 || (request == nullptr && requestLength > 0)) requestLength = 0;
    status = link.Exchange(address, kTypeCommand, request, static_cast<size_t>(requestLength));
    // Nothing answers a broadcast: the received frame is an older one.
    if (status == KORNET_OK && reply != nullptr && replyLength > 0 && !KorNetIsBroadcastAddress(address)) {
        // Copy from the first data byte; never past the frame buffer, and
        // what a short reply does not carry reads as the cleared zeros.
        const size_t want = static_cast<size_t>(replyLength);
        const size_t have = kFrameDataMax + 1;
        std::memcpy(reply, link.received.Data(), want < have ? want : have);
        if (want > have) std::memset(reply + have, 0, want - have);
    }
    return status;
}

int16_t CKorNetwork::Ping(uint8_t address)
{
    CKorNetBusy guard(*m_link);
    if (!guard.Ok()) return guard.Status();
    return m_link->SyncFrame(address);
}

namespace {
int16_t LinkLevel(CKorNetLink& link, uint8_t address, uint8_t type, const uint8_t* data, size_t length)
{
    CKorNetBusy guard(link, address);
    if (!guard.Ok()) return guard.Status();
    const int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;
    return link.Exchange(address, type, data, length);
}
}  // namespace

int16_t CKorNetwork::EnableBroadcastAddress(uint8_t address, uint8_t broadcastAddress)
{
    return LinkLevel(*m_link, address, kTypeEnableBroadcast, &broadcastAddress, 1);
}

int16_t CKorNetwork::DisableBroadcastAddress(uint8_t address, uint8_t broadcastAddress)
{
    return LinkLevel(*m_link, address, kTypeDisableBroadcast, &broadcastAddress, 1);
}

int16_t CKorNetwork::GetEnableBroadcastAddress(uint8_t address, uint16_t& value)
{
    const int16_t status = LinkLevel(*m_link, address, kTypeQueryBroadcast, nullptr, 0);
    if (status == KORNET_OK) value = KorNetGet16(m_link->received.Data());
    return status;
}

int16_t CKorNetwork::SetBaudRate(uint8_t address, uint32_t baudRate)
{
    uint8_t data[4];
    KorNetPut32(data, baudRate);
    return LinkLevel(*m_link, address, kTypeSetBaud, data, sizeof data);
}
