// The block mechanism of the older command set, shared by messages,
// schedules and graphics.
//
// A store is a 64-byte header (code, option byte, 17-byte name, time stamp,
// blocks, block size 247, length) and then one 255-byte frame per block
// (3, 0, block number, four zeros, 247 data bytes). A retrieval is a 32-byte
// header whose reply announces blocks, block size and length, then one
// 8-byte block request (4, 0, block number) per block, the block's data at
// reply offset 8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../CKorNetLink.h"

namespace kornet::legacy {

enum : uint8_t {
    kCodeSetConfiguration = 1,
    kCodeGetStatus = 2,
    kCodeDataBlock = 3,
    kCodeBlockRequest = 4,
    kCodeSendMessage = 5,
    kCodeRunMessage = 6,
    kCodeStopMessage = 7,
    kCodeGetMessage = 8,
    kCodeGetMessageList = 9,
    kCodeRemoveMessage = 10,
    kCodeSendSchedule = 11,
    kCodeRunSchedule = 12,
    kCodeStopSchedule = 13,
    kCodeSetDimming = 14,
    kCodeBlankSign = 15,
    kCodeSetTime = 16,
    kCodeTestPattern = 17,
    kCodeResetSign = 18,
    kCodeSetCounter = 21,
    kCodeSendRtd = 22,
    kCodeSetDefaultMessage = 23,
    kCodeEraseFirmware = 25,
    kCodeSendGraphic = 26,
    kCodeGetGraphicList = 27,
    kCodeRemoveGraphic = 30,
    kCodeSetSoftwareAddress = 31,
    kCodeSetTempOffset = 32,
    kCodeSetLineFreqMode = 34,
    kCodeStartCounter = 35,
    kCodeStopCounter = 36,
    kCodeGetGraphic = 37,
};

inline constexpr size_t kNameOffset = 2;
inline constexpr size_t kErrorByte = 1;
inline constexpr size_t kListEntrySize = 32;

// Code, option byte and name: the start of most requests.
void PutHead(uint8_t* request, uint8_t code, uint8_t option, const char* name);

// Whether `length` bytes at `data` can go as one message, schedule or
// graphic: not negative, present, and within what the header's 16-bit block
// arithmetic covers.
bool StorableLength(const uint8_t* data, int32_t length);

// Sends the store header and the data blocks, with progress over header and
// blocks. The guard is held by the caller; `length` passed StorableLength.
int16_t Store(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t optionByte, const char* name,
              const uint8_t* data, size_t length, void* response);

// Fetches a message or graphic (header code 8 or 37) into the link's
// retrieved-data buffer; null with `status` set when it fails or the data is
// empty (status KORNET_OK then). The guard is held by the caller; the
// address is an individual one. `length` receives the data's length.
const uint8_t* Retrieve(CKorNetLink& link, uint8_t address, uint8_t code, const char* name, uint8_t option,
                        int16_t& status, void* response, uint32_t& length);

// Fetches a message or graphic list (header code 9 or 27) into the
// retrieved-data buffer, as Retrieve does.
const uint8_t* RetrieveList(CKorNetLink& link, uint8_t address, uint8_t code, int16_t& status, void* response,
                            uint8_t option);

}  // namespace kornet::legacy
