#include "BlockServer.h"

#include <algorithm>

namespace jxsim {

namespace {
// Echoes block `number` in `r`; false (with `r` refused) when no transfer is
// under way or the number is not one of its blocks.
bool Admit(CCommandReply& r, size_t numberOffset, uint16_t number, bool active, uint32_t blocks, const char* idle)
{
    PutLe16(r.data.data() + numberOffset, number);
    r.note = "block " + std::to_string(number);
    if (!active) {
        Refuse(r, kErrNotReady, idle);
        return false;
    }
    if (number == 0 || number > blocks) {
        r.note += " of " + std::to_string(blocks);
        Refuse(r, kErrOutOfRange);
        return false;
    }
    return true;
}

// Where block `number` (admitted) starts in the transfer's data, and how
// many bytes it holds: the block size, the last block what is left.
std::pair<size_t, size_t> BlockSpan(uint16_t number, uint32_t blockSize, size_t length)
{
    const size_t offset = static_cast<size_t>(number - 1) * blockSize;
    return {offset, std::min<size_t>(blockSize, length - offset)};
}
}  // namespace

uint64_t BlocksFor(uint64_t length, uint32_t blockSize) { return (length + blockSize - 1) / blockSize; }

std::string AnnouncedBlocksFault(uint32_t blocks, uint32_t blockSize, uint32_t length, uint32_t maxBlockSize)
{
    if (blockSize == 0 || blockSize > maxBlockSize) return "block size " + std::to_string(blockSize);
    if (blocks != BlocksFor(length, blockSize)) return "block count does not match the length";
    return {};
}

void CIncomingBlocks::Start(uint32_t blockCount, uint32_t size, uint32_t bytes)
{
    active = true;
    blocks = blockCount;
    blockSize = size;
    length = bytes;
    data.assign(bytes, 0);
    received.assign(blockCount, false);
    receivedCount = 0;
}

void COutgoingBlocks::Start(Bytes bytes, uint32_t size)
{
    active = true;
    blockSize = size;
    blocks = static_cast<uint32_t>(BlocksFor(bytes.size(), size));
    data = std::move(bytes);
}

CCommandReply TransferReply(CCommandSet set, uint8_t command, CCommandReply::Transfer mark, size_t size)
{
    CCommandReply r = set == CCommandSet::Extended ? CCommandReply::Extended(command, kErrNone, size)
                                                   : CCommandReply::Single(command, kErrNone, size);
    r.transfer = mark;
    return r;
}

CCommandReply Refuse(CCommandReply& r, uint8_t error, const std::string& why, size_t errorCopy)
{
    r.data[r.data[0] == kExtendedPrefix ? 2 : 1] = error;
    if (errorCopy != 0) r.data[errorCopy] = error;
    if (!why.empty()) r.note += ": " + why;
    return r;
}

CCommandReply TakeDataBlock(const CCommandContext& ctx, const CDataBlockForm& form, CIncomingBlocks& in)
{
    CCommandReply r = TransferReply(form.set, form.command, CCommandReply::Transfer::Block);
    if (ctx.Length() < form.dataOffset) {
        r.note = "block too short";
        return Refuse(r, kErrOutOfRange);
    }
    const uint16_t number = Le16(ctx.Data() + form.numberOffset);
    if (!Admit(r, form.numberOffset, number, in.active, in.blocks, form.idle)) return r;
    const auto [offset, count] = BlockSpan(number, in.blockSize, in.length);
    if (ctx.Length() - form.dataOffset < count) return Refuse(r, kErrOutOfRange, "carries less than the block");
    std::copy_n(ctx.Data() + form.dataOffset, count, in.data.begin() + static_cast<std::ptrdiff_t>(offset));
    if (!in.received[number - 1]) {
        in.received[number - 1] = true;
        ++in.receivedCount;
    }
    return r;
}

CCommandReply AnswerBlockRequest(const CCommandContext& ctx, const CBlockRequestForm& form, const COutgoingBlocks& out)
{
    CCommandReply r = TransferReply(form.set, form.command, CCommandReply::Transfer::Block);
    const uint16_t number = ctx.Length() >= form.numberOffset + 2 ? Le16(ctx.Data() + form.numberOffset) : 0;
    if (!Admit(r, form.numberOffset, number, out.active, out.blocks, form.idle)) return r;
    const auto [offset, count] = BlockSpan(number, out.blockSize, out.data.size());
    r.data.resize(kBlockReplyDataOffset + count);
    std::copy_n(out.data.begin() + static_cast<std::ptrdiff_t>(offset), count,
                r.data.begin() + kBlockReplyDataOffset);
    return r;
}

}  // namespace jxsim
