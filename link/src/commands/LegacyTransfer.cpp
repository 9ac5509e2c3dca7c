#include "LegacyTransfer.h"

#include <cstring>
#include <ctime>

#include "BlockTransfer.h"

namespace kornet::legacy {

namespace {
constexpr size_t kStoreHeaderLength = 64;
constexpr size_t kRetrieveHeaderLength = 32;
constexpr size_t kListHeaderLength = 8;
constexpr size_t kBlockRequestLength = 8;
constexpr size_t kDataBlockHeader = 8;  // 3, 0, block number, four zeros
constexpr size_t kRetrieveReplySize = 64;
constexpr size_t kRetrieveErrorByte = 32;
constexpr size_t kListReplySize = 16;
constexpr size_t kListErrorByte = 7;

static_assert(kDataBlockHeader + LEGACY_BLOCK_SIZE == kFrameDataMax);
static_assert(LEGACY_BLOCK_SIZE == kBlockReplyDataMax);

// The six bytes of the local time at offsets 19..24 of a store header.
void PutTimeStamp(uint8_t* at)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    at[0] = static_cast<uint8_t>(local.tm_sec);
    at[1] = static_cast<uint8_t>(local.tm_min);
    at[2] = static_cast<uint8_t>(local.tm_hour);
    at[3] = static_cast<uint8_t>(local.tm_mday);
    at[4] = static_cast<uint8_t>(local.tm_mon);
    at[5] = static_cast<uint8_t>(local.tm_year);
}

const uint8_t kBlockRequest[kBlockRequestLength] = {kCodeBlockRequest, 0};
const CBlockRequestForm kBlockForm{kBlockRequest, kBlockRequestLength, 2, kErrorByte};
}  // namespace

void PutHead(uint8_t* request, uint8_t code, uint8_t option, const char* name)
{
    request[0] = code;
    request[1] = option;
    KorNetCopyName(request + kNameOffset, LEGACY_NAME_LENGTH, name);
}

bool StorableLength(const uint8_t* data, int32_t length)
{
    // The controller counts blocks in the low 16 bits of the length; longer
    // data would arrive cut short under a header that claims all of it.
    return length >= 0 && length <= LEGACY_MAX_DATA_LENGTH && (data != nullptr || length == 0);
}

int16_t Store(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t optionByte, const char* name,
              const uint8_t* data, size_t length, void* response)
{
    const size_t blocks = (length + LEGACY_BLOCK_SIZE - 1) / LEGACY_BLOCK_SIZE;
    uint8_t header[kStoreHeaderLength] = {};
    PutHead(header, code, optionByte, name);
    PutTimeStamp(header + 19);
    KorNetPut16(header + 25, static_cast<uint16_t>(blocks));
    KorNetPut16(header + 27, static_cast<uint16_t>(LEGACY_BLOCK_SIZE));
    KorNetPut32(header + 29, static_cast<uint32_t>(length));

    int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;

    CBlockProgress progress(link, static_cast<uint32_t>(blocks + 1));
    status = link.Exchange(address, kTypeCommand, header, sizeof header);
    status = link.CheckReply(address, status, response, sizeof(resp_s), kErrorByte);
    progress.Step();

    if (status != KORNET_OK) return status;
    static const uint8_t kBlockPrefix[] = {kCodeDataBlock};
    const CBlockSendForm form{kBlockPrefix, sizeof kBlockPrefix, 2, kDataBlockHeader, LEGACY_BLOCK_SIZE, kErrorByte};
    status = SendBlocks(link, address, form, data, length, progress);
    // A refused block: its reply says why, so it is the caller's response.
    if (status == ERR_SIGN_RESPONSE_ERROR) status = link.CheckReply(address, KORNET_OK, response, sizeof(resp_s), kErrorByte);
    return status;
}

const uint8_t* Retrieve(CKorNetLink& link, uint8_t address, uint8_t code, const char* name, uint8_t option,
                        int16_t& status, void* response, uint32_t& length)
{
    length = 0;
    uint8_t request[kRetrieveHeaderLength] = {};
    PutHead(request, code, option, name);
    const CRetrieveForm form{request, sizeof request, 24, 26, 28, 4, kRetrieveReplySize, kRetrieveErrorByte};
    CRetrieval announced;
    status = RequestRetrieval(link, address, form, response, announced);
    if (status != KORNET_OK) return nullptr;
    const uint8_t* data = RetrieveAnnounced(link, address, kBlockForm, announced, status);
    if (data != nullptr) length = announced.length;
    return data;
}

const uint8_t* RetrieveList(CKorNetLink& link, uint8_t address, uint8_t code, int16_t& status, void* response,
                            uint8_t option)
{
    uint8_t request[kListHeaderLength] = {code, option};
    const CRetrieveForm form{request, sizeof request, 3, 5, 1, 2, kListReplySize, kListErrorByte};
    CRetrieval announced;
    status = RequestRetrieval(link, address, form, response, announced);
    // Without the response the caller could not tell how many entries came.
    if (status != KORNET_OK || response == nullptr) return nullptr;
    // The length counts entries, and a block carries whole entries only.
    CRetrieval entries = announced;
    entries.blockSize = announced.blockSize / kListEntrySize * kListEntrySize;
    entries.length = announced.length * kListEntrySize;
    return RetrieveAnnounced(link, address, kBlockForm, entries, status);
}

}  // namespace kornet::legacy
