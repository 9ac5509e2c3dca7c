// Block transfers as a controller serves them, whatever the command family:
// the data blocks of a send go into the incoming transfer its header
// started, and the block requests of a retrieval are answered from the
// outgoing transfer its header set up. The families differ only in how their
// frames look (which command a reply echoes, where the block number and the
// data sit, what a block holds), and a small form says that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CCommandTable.h"
#include "SimTypes.h"

namespace jxsim {

// Where a block reply's data starts, in every family.
inline constexpr size_t kBlockReplyDataOffset = 8;

// Which of a controller's command sets a reply answers: a sub-command of
// the extended prefix 0x80 (error byte 2), or a single-byte code (error byte 1).
enum class CCommandSet { Extended, SingleByte };

// How many blocks of `blockSize` bytes carry `length` bytes (blockSize > 0).
// Counted in 64 bits: a length near 4 GiB must not wrap round to a few blocks.
uint64_t BlocksFor(uint64_t length, uint32_t blockSize);

// Why the numbers of a send header cannot describe the blocks to come
// (blocks of 1..maxBlockSize bytes, exactly as many as the length needs);
// empty when they can.
std::string AnnouncedBlocksFault(uint32_t blocks, uint32_t blockSize, uint32_t length, uint32_t maxBlockSize);

// What a send header announced, and what of it has arrived so far.
struct CIncomingBlocks {
    bool active = false;
    uint32_t blocks = 0;
    uint32_t blockSize = 0;
    uint32_t length = 0;  // bytes the blocks carry
    Bytes data;           // `length` bytes, filled in as the blocks arrive
    std::vector<bool> received;
    uint32_t receivedCount = 0;

    // Expects `blocks` blocks of `blockSize` bytes carrying `length` bytes
    // (numbers that AnnouncedBlocksFault accepted).
    void Start(uint32_t blocks, uint32_t blockSize, uint32_t length);
    // Every block is in, and the data waits to be stored.
    bool Complete() const { return active && receivedCount == blocks; }
};

// What a retrieval header promised: `data` in blocks of `blockSize` bytes,
// the last one what is left.
struct COutgoingBlocks {
    bool active = false;
    uint32_t blocks = 0;
    uint32_t blockSize = 0;
    Bytes data;

    void Start(Bytes data, uint32_t blockSize);
};

// How a family's data block and its reply look. The reply echoes `command`
// of `set` and the block number, which sits at `numberOffset` in request and
// reply alike; the block's data starts at `dataOffset` of the request.
// `idle` goes into the log's note when no transfer is under way.
struct CDataBlockForm {
    CCommandSet set;
    uint8_t command;
    size_t numberOffset;
    size_t dataOffset;
    const char* idle;  // "no file is being received"
};

// How a family's block request and its reply look (as CDataBlockForm); the
// reply carries the block's data from kBlockReplyDataOffset on.
struct CBlockRequestForm {
    CCommandSet set;
    uint8_t command;
    size_t numberOffset;
    const char* idle;
};

// A reply of `size` bytes that echoes `command` of `set` with no error,
// marked as part of a transfer (`mark`: its header, or one of its blocks)
// for the faults that act within transfers.
CCommandReply TransferReply(CCommandSet set, uint8_t command, CCommandReply::Transfer mark, size_t size = 8);

// Refuses with `error`: the reply's error byte (where its command set puts
// it), and its copy at `errorCopy` where a family repeats it (0: none);
// ": why" is added to the note when `why` is given.
CCommandReply Refuse(CCommandReply& r, uint8_t error, const std::string& why = {}, size_t errorCopy = 0);

// Takes a data block into `in`; the reply refuses a block that is too short,
// arrives with no transfer under way, or has a number outside the transfer.
// A block may come again (the host repeating it) and counts once. Once
// in.Complete(), the family stores the data and sets the reply's error byte.
CCommandReply TakeDataBlock(const CCommandContext& ctx, const CDataBlockForm& form, CIncomingBlocks& in);

// Answers a block request from `out`: the block's data, or a refusal when no
// transfer is under way or the number is outside it.
CCommandReply AnswerBlockRequest(const CCommandContext& ctx, const CBlockRequestForm& form, const COutgoingBlocks& out);

}  // namespace jxsim
