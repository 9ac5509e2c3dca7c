// What the block transfers of every command family share: progress over
// 16-bit counts, the check that a retrieval header announces sizes that
// replies can carry, and the loop that fetches the announced blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "../CKorNetLink.h"

namespace kornet {

// Where a block reply's data starts, and the most data one reply can carry.
inline constexpr size_t kBlockReplyDataOffset = 8;
inline constexpr size_t kBlockReplyDataMax = kFrameDataMax - kBlockReplyDataOffset;

// Progress of a multi-frame command. OnProgress carries 16-bit counts; a
// transfer of more than 32767 frames reports a scaled count out of 32767, so a
// progress bar still moves evenly and ends full.
class CBlockProgress {
public:
    CBlockProgress(CKorNetLink& link, uint32_t total);
    void Step();

private:
    static constexpr uint32_t kMax = std::numeric_limits<int16_t>::max();
    void Emit();
    CKorNetLink& m_link;
    uint32_t m_total;
    uint32_t m_count = 0;
};

// A header's numbers must describe blocks that replies can actually carry:
// every block fits in one reply frame, and the blocks are exactly as many as
// the length needs. Anything else is a reply not to be trusted with an
// allocation.
bool SizesHoldTogether(uint32_t blocks, uint32_t blockSize, uint32_t length);

// How a family asks for block n: `length` bytes of `request` with the block
// number (16 bits) laid in at `numberOffset`; the reply's error byte sits at
// `errorByte` and its data at kBlockReplyDataOffset.
struct CBlockRequestForm {
    const uint8_t* request;
    size_t length;
    size_t numberOffset;
    size_t errorByte;
};

// Requests blocks 1..blocks and stores their data in `buffer` (`length`
// bytes; the sizes have passed SizesHoldTogether). A reply that carries less
// than its block needs ends the transfer with ERR_SIGN_INVALID_RESPONSE: data
// with a hole in it is no data. OnProgress counts the blocks.
int16_t ReceiveBlocks(CKorNetLink& link, uint8_t address, const CBlockRequestForm& form, uint32_t blocks,
                      uint32_t blockSize, uint32_t length, uint8_t* buffer);

// What a retrieval header's reply announces.
struct CRetrieval {
    uint32_t blocks = 0;
    uint32_t blockSize = 0;
    uint32_t length = 0;   // the count at lengthOffset (bytes, or a family's entries)
    bool replied = false;  // a valid reply came, and went to the caller's response
};

// How a family asks for a retrieval: the header request, and where its reply
// announces the block count and block size (16 bits each) and the length
// (`lengthBytes`, 2 or 4); the caller's response gets `responseSize` bytes
// and the error byte sits at `errorByte`.
struct CRetrieveForm {
    const uint8_t* request;
    size_t length;
    size_t blocksOffset;
    size_t blockSizeOffset;
    size_t lengthOffset;
    size_t lengthBytes;
    size_t responseSize;
    size_t errorByte;
};

// Synchronises, sends the retrieval header and reads what its reply
// announces; the reply goes to `response` and its error byte is checked. The
// guard is held by the caller and the address is an individual one. The
// reply stays in link.received for a family's own fields.
int16_t RequestRetrieval(CKorNetLink& link, uint8_t address, const CRetrieveForm& form, void* response,
                         CRetrieval& announced);

// After RequestRetrieval: checks that the announced sizes hold together and
// fetches the blocks into the link's retrieved-data buffer. Null with
// `status` set on a failure, and null with KORNET_OK for empty data.
const uint8_t* RetrieveAnnounced(CKorNetLink& link, uint8_t address, const CBlockRequestForm& form,
                                 const CRetrieval& announced, int16_t& status);

// How a family sends block n: a full 255-byte frame that starts with
// `prefix`, has the block number (16 bits) at `numberOffset` and the block's
// data from `headerLength` on (`blockSize` bytes, the last block zero-filled);
// the reply's error byte sits at `errorByte`.
struct CBlockSendForm {
    const uint8_t* prefix;
    size_t prefixLength;
    size_t numberOffset;
    size_t headerLength;
    size_t blockSize;
    size_t errorByte;
};

// Sends `data` as blocks 1..n after a header has been accepted; stops at the
// first block that fails or that the controller refuses. OnProgress counts
// the blocks.
int16_t SendBlocks(CKorNetLink& link, uint8_t address, const CBlockSendForm& form, const uint8_t* data, size_t length,
                   CBlockProgress& progress);

// How a family lays out a real-time data frame: `prefix` (command bytes and
// option), the caller's 8-byte header at `headerOffset`, the block's 16-bit
// offset and then its 16-bit length at `offsetField`, and the block's data
// from `dataOffset` (`blockSize` bytes at most). `fullFrames`: every frame is
// 255 bytes long, else as long as its block.
struct CRtdForm {
    const uint8_t* prefix;
    size_t prefixLength;
    size_t headerOffset;
    size_t offsetField;
    size_t dataOffset;
    size_t blockSize;
    bool fullFrames;
    size_t errorByte;
    size_t responseSize;
};

// Sends real-time data after synchronising, one frame per block (none for no
// data); the guard is held by the caller. Stops at the first failure; each
// reply goes to `response` and its error byte is checked.
int16_t SendRealTimeData(CKorNetLink& link, uint8_t address, const CRtdForm& form, const rtd_header_s* header,
                         int16_t startOffset, const uint8_t* data, int16_t length, void* response);

}  // namespace kornet
