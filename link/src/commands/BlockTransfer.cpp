#include "BlockTransfer.h"

#include <cstring>

namespace kornet {

CBlockProgress::CBlockProgress(CKorNetLink& link, uint32_t total) : m_link(link), m_total(total)
{
    if (m_total <= kMax) m_link.ProgressBegin(static_cast<int16_t>(m_total));
    else Emit();
}

void CBlockProgress::Step()
{
    ++m_count;
    if (m_total <= kMax) m_link.ProgressStep();
    else Emit();
}

void CBlockProgress::Emit()
{
    m_link.progressCount = static_cast<int16_t>(static_cast<uint64_t>(m_count) * kMax / m_total);
    m_link.progressTotal = static_cast<int16_t>(kMax);
    if (m_link.eventHandler != nullptr)
        m_link.eventHandler->OnProgress(m_link.progressCount, m_link.progressTotal, m_link.userValue);
}

bool SizesHoldTogether(uint32_t blocks, uint32_t blockSize, uint32_t length)
{
    if (length == 0) return blocks == 0;
    if (blockSize == 0 || blockSize > kBlockReplyDataMax) return false;
    return static_cast<uint64_t>(blocks) == (static_cast<uint64_t>(length) + blockSize - 1) / blockSize;
}

int16_t RequestRetrieval(CKorNetLink& link, uint8_t address, const CRetrieveForm& form, void* response,
                         CRetrieval& announced)
{
    announced = CRetrieval{};
    int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;
    status = link.Exchange(address, kTypeCommand, form.request, form.length);
    if (status != KORNET_OK) return status;
    // The received frame buffer always spans 255 data bytes, cleared before
    // the receive: what a short reply lacks reads as zero.
    const uint8_t* reply = link.received.Data();
    announced.replied = true;
    announced.blocks = KorNetGet16(reply + form.blocksOffset);
    announced.blockSize = KorNetGet16(reply + form.blockSizeOffset);
    announced.length =
        form.lengthBytes == 2 ? KorNetGet16(reply + form.lengthOffset) : KorNetGet32(reply + form.lengthOffset);
    return link.CheckReply(address, status, response, form.responseSize, form.errorByte);
}

const uint8_t* RetrieveAnnounced(CKorNetLink& link, uint8_t address, const CBlockRequestForm& form,
                                 const CRetrieval& announced, int16_t& status)
{
    if (!SizesHoldTogether(announced.blocks, announced.blockSize, announced.length)) {
        status = ERR_SIGN_INVALID_RESPONSE;
        return nullptr;
    }
    link.FreeRetrieved();
    status = KORNET_OK;
    if (announced.length == 0) return nullptr;  // empty: nothing to hand over, and no failure
    uint8_t* buffer = link.NewRetrieved(announced.length);
    status = ReceiveBlocks(link, address, form, announced.blocks, announced.blockSize, announced.length, buffer);
    return status == KORNET_OK ? buffer : nullptr;
}

int16_t ReceiveBlocks(CKorNetLink& link, uint8_t address, const CBlockRequestForm& form, uint32_t blocks,
                      uint32_t blockSize, uint32_t length, uint8_t* buffer)
{
    CBlockProgress progress(link, blocks);
    uint8_t request[kFrameDataMax];
    const size_t requestLength = form.length < sizeof request ? form.length : sizeof request;
    size_t stored = 0;
    int16_t status = KORNET_OK;
    for (uint32_t number = 1; number <= blocks && status == KORNET_OK; ++number) {
        std::memcpy(request, form.request, requestLength);
        KorNetPut16(request + form.numberOffset, static_cast<uint16_t>(number));
        status = link.Exchange(address, kTypeCommand, request, requestLength);
        status = link.CheckReply(address, status, nullptr, 0, form.errorByte);
        if (status == KORNET_OK) {
            const size_t left = length - stored;
            const size_t want = left < blockSize ? left : blockSize;
            if (link.received.DataLength() < kBlockReplyDataOffset + want) {
                status = ERR_SIGN_INVALID_RESPONSE;
            } else {
                std::memcpy(buffer + stored, link.received.Data() + kBlockReplyDataOffset, want);
                stored += want;
            }
        }
        progress.Step();
    }
    return status;
}

int16_t SendBlocks(CKorNetLink& link, uint8_t address, const CBlockSendForm& form, const uint8_t* data, size_t length,
                   CBlockProgress& progress)
{
    const size_t blocks = (length + form.blockSize - 1) / form.blockSize;
    uint8_t frame[kFrameDataMax];
    int16_t status = KORNET_OK;
    for (size_t number = 1; number <= blocks && status == KORNET_OK; ++number) {
        const size_t offset = (number - 1) * form.blockSize;
        const size_t count = length - offset < form.blockSize ? length - offset : form.blockSize;
        std::memset(frame, 0, sizeof frame);
        std::memcpy(frame, form.prefix, form.prefixLength);
        KorNetPut16(frame + form.numberOffset, static_cast<uint16_t>(number));
        std::memcpy(frame + form.headerLength, data + offset, count);
        status = link.Exchange(address, kTypeCommand, frame, sizeof frame);
        status = link.CheckReply(address, status, nullptr, 0, form.errorByte);
        progress.Step();
    }
    return status;
}

int16_t SendRealTimeData(CKorNetLink& link, uint8_t address, const CRtdForm& form, const rtd_header_s* header,
                         int16_t startOffset, const uint8_t* data, int16_t length, void* response)
{
    if (length < 0 || (data == nullptr && length > 0)) return ERR_NETWORK_NO_WRITE;
    int16_t status = link.Synchronise(address);
    const size_t total = static_cast<size_t>(length);
    const size_t blocks = (total + form.blockSize - 1) / form.blockSize;

    uint8_t frame[kFrameDataMax];
    for (size_t i = 0; i < blocks && status == KORNET_OK; ++i) {
        const size_t offset = i * form.blockSize;
        const size_t count = total - offset < form.blockSize ? total - offset : form.blockSize;
        std::memset(frame, 0, sizeof frame);
        std::memcpy(frame, form.prefix, form.prefixLength);
        if (header != nullptr) std::memcpy(frame + form.headerOffset, header->bytes, sizeof header->bytes);
        // The controller's offsets are 16 bits and wrap like them.
        KorNetPut16(frame + form.offsetField, static_cast<uint16_t>(static_cast<uint16_t>(startOffset) + offset));
        KorNetPut16(frame + form.offsetField + 2, static_cast<uint16_t>(count));
        std::memcpy(frame + form.dataOffset, data + offset, count);
        status = link.Exchange(address, kTypeCommand, frame, form.fullFrames ? sizeof frame : form.dataOffset + count);
        status = link.CheckReply(address, status, response, form.responseSize, form.errorByte);
    }
    return status;
}

}  // namespace kornet
