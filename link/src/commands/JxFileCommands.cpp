// Jx file commands: whole files to and from a controller in 246-byte blocks,
// plain or zlib-compressed, and deleting and renaming them.
//
// Every request starts 0x80, sub-command, option byte, and a 110-byte name.
// A send is a header frame and then one 255-byte frame per block; a get is a
// header frame whose reply announces blocks, block size and length, and then
// one block request per block, the block's data at reply offset 8.
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include <zlib.h>

#include "../CKorNetLink.h"
#include "BlockTransfer.h"

using namespace kornet;

namespace {
enum : uint8_t {
    kSubSendHeader = 1,
    kSubGetHeader = 2,
    kSubRename = 3,
    kSubDelete = 4,
    kSubDataBlock = 5,
    kSubBlockRequest = 6,
    kSubSendCompressedHeader = 20,
    kSubGetCompressedHeader = 21,
};

constexpr size_t kSendHeaderLength = 136;
constexpr size_t kGetHeaderLength = 120;
constexpr size_t kDeleteLength = 120;
constexpr size_t kRenameLength = 232;
constexpr size_t kBlockRequestLength = 16;
constexpr size_t kDataBlockHeader = 9;      // 80 05 00, block number, four zeros
constexpr size_t kJxErrorByte = 2;
constexpr size_t kRetrieveErrorByte = 124;
constexpr size_t kMaxSendBlocks = 0xFFFF;   // the header's block count is 16 bits

static_assert(kDataBlockHeader + JX_FILE_BLOCK_SIZE == kFrameDataMax);

void PutCommon(uint8_t* request, uint8_t subCommand, uint8_t option, const char* name)
{
    request[0] = kExtendedPrefix;
    request[1] = subCommand;
    request[2] = option;
    KorNetCopyName(request + 3, JX_NAME_LENGTH, name);
}

bool SendableLength(const uint8_t* data, int32_t length)
{
    if (length < 0 || (data == nullptr && length > 0)) return false;
    return (static_cast<size_t>(length) + JX_FILE_BLOCK_SIZE - 1) / JX_FILE_BLOCK_SIZE <= kMaxSendBlocks;
}

// Header and data blocks of a send. The guard is held by the caller. For a
// compressed header that the controller does not know, reports that through
// `headerUnsupported` and sends nothing more, so the caller can fall back.
int16_t SendFileFrames(CKorNetLink& link, uint8_t address, uint8_t subCommand, const char* name, uint8_t option,
                       const uint8_t* data, size_t length, size_t plainLength, void* response,
                       bool* headerUnsupported = nullptr)
{
    const size_t blocks = (length + JX_FILE_BLOCK_SIZE - 1) / JX_FILE_BLOCK_SIZE;
    uint8_t header[kSendHeaderLength] = {};
    PutCommon(header, subCommand, option, name);
    KorNetPut32(header + 113, static_cast<uint32_t>(std::time(nullptr)));
    KorNetPut16(header + 117, static_cast<uint16_t>(blocks));
    KorNetPut16(header + 119, static_cast<uint16_t>(JX_FILE_BLOCK_SIZE));
    KorNetPut32(header + 121, static_cast<uint32_t>(length));
    if (subCommand == kSubSendCompressedHeader) KorNetPut32(header + 125, static_cast<uint32_t>(plainLength));

    int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;

    CBlockProgress progress(link, static_cast<uint32_t>(blocks + 1));
    status = link.Exchange(address, kTypeCommand, header, sizeof header);
    if (status == ERR_SIGN_UNSUPPORTED_COMMAND && headerUnsupported != nullptr) {
        *headerUnsupported = true;
        return status;
    }
    status = link.CheckReply(address, status, response, sizeof(jx_resp_send_file_s), kJxErrorByte);
    progress.Step();

    if (status != KORNET_OK) return status;
    static const uint8_t kBlockPrefix[] = {kExtendedPrefix, kSubDataBlock};
    const CBlockSendForm form{kBlockPrefix, sizeof kBlockPrefix, 3, kDataBlockHeader, JX_FILE_BLOCK_SIZE, kJxErrorByte};
    status = SendBlocks(link, address, form, data, length, progress);
    // A refused block: its reply says why, so it is the caller's response.
    if (status == ERR_SIGN_RESPONSE_ERROR)
        status = link.CheckReply(address, KORNET_OK, response, sizeof(jx_resp_send_file_s), kJxErrorByte);
    return status;
}

const uint8_t kBlockRequest[kBlockRequestLength] = {kExtendedPrefix, kSubBlockRequest, 0};
const CBlockRequestForm kBlockForm{kBlockRequest, sizeof kBlockRequest, 3, kJxErrorByte};

// Sends a get header (plain or compressed) and reads what the controller
// announces; a compressed get's reply also holds the file's own length at 125.
int16_t RequestFile(CKorNetLink& link, uint8_t address, uint8_t subCommand, const char* name, uint8_t option,
                    jx_resp_retrieve_file_s* response, CRetrieval& announced)
{
    uint8_t request[kGetHeaderLength] = {};
    PutCommon(request, subCommand, option, name);
    const CRetrieveForm form{request, sizeof request, 116, 118, 120, 4, sizeof(jx_resp_retrieve_file_s),
                             kRetrieveErrorByte};
    return RequestRetrieval(link, address, form, response, announced);
}

// Whether `packed` is one intact zlib stream that inflates to exactly
// `expected` bytes. Counts through a small window, so that a length the
// controller merely claims never sizes an allocation.
bool InflatesToExactly(const uint8_t* packed, size_t packedLength, uint64_t expected)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(packed);
    stream.avail_in = static_cast<uInt>(packedLength);
    uint8_t window[16384];
    uint64_t produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK && produced <= expected) {
        stream.next_out = window;
        stream.avail_out = sizeof window;
        rc = inflate(&stream, Z_NO_FLUSH);
        produced += sizeof window - stream.avail_out;
    }
    inflateEnd(&stream);
    return rc == Z_STREAM_END && produced == expected;
}

// The plain get, with the guard held by the caller. `responseFilled`: the
// controller's reply reached `response`.
const uint8_t* GetPlain(CKorNetLink& link, uint8_t address, const char* name, int16_t& status,
                        jx_resp_retrieve_file_s* response, uint8_t option, bool& responseFilled)
{
    CRetrieval announced;
    status = RequestFile(link, address, kSubGetHeader, name, option, response, announced);
    responseFilled = response != nullptr && announced.replied;
    if (status != KORNET_OK) return nullptr;
    return RetrieveAnnounced(link, address, kBlockForm, announced, status);
}
}  // namespace

int16_t CKorNetwork::JxSendFile(uint8_t address, const char* fileName, const uint8_t* data, int32_t length,
                                jx_resp_send_file_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    if (!SendableLength(data, length)) return ERR_NETWORK_NO_WRITE;
    const size_t size = static_cast<size_t>(length);
    return SendFileFrames(link, address, kSubSendHeader, fileName, option, data, size, 0, response);
}

int16_t CKorNetwork::JxSendFileCompressed(uint8_t address, const char* fileName, const uint8_t* data, int32_t length,
                                          jx_resp_send_file_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    if (!SendableLength(data, length)) return ERR_NETWORK_NO_WRITE;
    const size_t size = static_cast<size_t>(length);

    // Only a compressed form smaller than the file is worth sending; data
    // that does not shrink (and a lack of memory) goes plain. The busy flag
    // stays held throughout, so no other call can slip in between.
    std::vector<uint8_t> packed;
    uLongf packedLength = 0;
    bool worthIt = false;
    if (size > 1) {
        try {
            packed.resize(size - 1);
            packedLength = static_cast<uLongf>(packed.size());
            worthIt = compress(packed.data(), &packedLength, data, static_cast<uLong>(size)) == Z_OK;
        } catch (const std::bad_alloc&) {
            worthIt = false;
        }
    }
    if (worthIt) {
        bool unsupported = false;
        const int16_t status = SendFileFrames(link, address, kSubSendCompressedHeader, fileName, option, packed.data(),
                                              packedLength, size, response, &unsupported);
        if (!unsupported) return status;
        // An older controller: it gets the same file plain. An Abort that
        // came in meanwhile still counts (the guard cleared older ones).
    }
    std::vector<uint8_t>().swap(packed);
    return SendFileFrames(link, address, kSubSendHeader, fileName, option, data, size, 0, response);
}

const uint8_t* CKorNetwork::JxGetFile(uint8_t address, const char* fileName, int16_t& status,
                                      jx_resp_retrieve_file_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;
    bool filled = false;
    return GetPlain(link, address, fileName, status, response, option, filled);
}

const uint8_t* CKorNetwork::JxGetFileCompressed(uint8_t address, const char* fileName, int16_t& status,
                                                jx_resp_retrieve_file_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;

    CRetrieval header;
    status = RequestFile(link, address, kSubGetCompressedHeader, fileName, option, response, header);
    const uint32_t plainLength = KorNetGet32(link.received.Data() + 125);
    if (status == ERR_SIGN_UNSUPPORTED_COMMAND) {
        // An older controller: fetch the file plain. The caller reads the
        // file's length at offset 125 either way.
        bool filled = false;
        const uint8_t* plain = GetPlain(link, address, fileName, status, response, option, filled);
        if (filled) response->uncompressedLength = response->length;
        return plain;
    }
    if (status != KORNET_OK) return nullptr;

    if (!SizesHoldTogether(header.blocks, header.blockSize, header.length) ||
        (header.length == 0 && plainLength != 0)) {
        status = ERR_SIGN_INVALID_RESPONSE;
        return nullptr;
    }
    link.FreeRetrieved();
    if (header.length == 0) return nullptr;  // an empty file

    std::vector<uint8_t> packed(header.length);
    status = ReceiveBlocks(link, address, kBlockForm, header.blocks, header.blockSize, header.length, packed.data());
    if (status != KORNET_OK) return nullptr;

    // A damaged or mislabelled file is never handed over as a success.
    if (!InflatesToExactly(packed.data(), packed.size(), plainLength)) {
        status = ERR_SIGN_INVALID_RESPONSE;
        return nullptr;
    }
    if (plainLength == 0) return nullptr;  // an empty file
    uint8_t* plain = link.NewRetrieved(plainLength);
    uLongf inflated = static_cast<uLongf>(plainLength);
    if (uncompress(plain, &inflated, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        inflated != plainLength) {
        link.FreeRetrieved();
        status = ERR_SIGN_INVALID_RESPONSE;
        return nullptr;
    }
    return plain;
}

int16_t CKorNetwork::JxDeleteFile(uint8_t address, const char* fileName, jx_resp_delete_file_s* response,
                                  uint8_t option)
{
    uint8_t request[kDeleteLength] = {};
    PutCommon(request, kSubDelete, option, fileName);
    return m_link->RunCommand(address, request, sizeof request, response, sizeof(jx_resp_delete_file_s),
                              kJxErrorByte);
}

int16_t CKorNetwork::JxRenameFile(uint8_t address, const char* oldName, const char* newName,
                                  jx_resp_rename_file_s* response, uint8_t option)
{
    uint8_t request[kRenameLength] = {};
    PutCommon(request, kSubRename, option, oldName);
    KorNetCopyName(request + 113, JX_NAME_LENGTH, newName);
    return m_link->RunCommand(address, request, sizeof request, response, sizeof(jx_resp_rename_file_s),
                              kJxErrorByte);
}
