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

}  // namespace kornet
