// The older single-byte command set of sign controllers: messages and
// schedules stored, run and stopped, dimming, blanking, the clock, test
// pattern, reset, counters, real-time data, firmware erase, configuration
// and status.
//
// Byte 0 of a request is the command code and byte 1 mostly the option byte;
// names sit at 2..18. Replies echo the code in byte 0 with the error byte
// after it.
#include <cstring>

#include "../CKorNetLink.h"
#include "BlockTransfer.h"
#include "LegacyTransfer.h"

using namespace kornet;
using namespace kornet::legacy;

namespace {
constexpr size_t kNameRequestLength = 32;
constexpr size_t kShortRequestLength = 8;
constexpr size_t kRtdDataOffset = 24;  // 22, option, 8-byte header, offset, length, ten zeros
constexpr size_t kStatusErrorByte = 80;

static_assert(kRtdDataOffset + LEGACY_RTD_BLOCK_SIZE == kFrameDataMax);

// The one-frame template with an 8-byte response and the error byte at 1.
int16_t Run(CKorNetLink& link, uint8_t address, const uint8_t* request, size_t length, resp_s* response)
{
    return link.RunCommand(address, request, length, response, sizeof(resp_s), kErrorByte);
}

// The 32-byte requests that name a message: code, option, name, two bytes.
int16_t RunNamed(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t option, const char* name, uint8_t byte19,
                 uint8_t byte20, resp_s* response)
{
    uint8_t request[kNameRequestLength] = {};
    PutHead(request, code, option, name);
    request[19] = byte19;
    request[20] = byte20;
    return Run(link, address, request, sizeof request, response);
}

// The 8-byte requests: code and up to three bytes after it.
int16_t RunShort(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t byte1, uint8_t byte2, uint8_t byte3,
                 resp_s* response)
{
    const uint8_t request[kShortRequestLength] = {code, byte1, byte2, byte3};
    return Run(link, address, request, sizeof request, response);
}

// The 8-byte requests with the option byte and a 16-bit value after it.
int16_t RunShort16(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t option, uint16_t value, resp_s* response)
{
    return RunShort(link, address, code, option, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    response);
}

// A send with the guard held for the whole header and its blocks.
int16_t SendStored(CKorNetLink& link, uint8_t address, uint8_t code, uint8_t optionByte, const char* name,
                   const uint8_t* data, int32_t length, resp_s* response)
{
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    if (!StorableLength(data, length)) return ERR_NETWORK_NO_WRITE;
    return Store(link, address, code, optionByte, name, data, static_cast<size_t>(length), response);
}
}  // namespace

int16_t CKorNetwork::RunMessage(uint8_t address, const char* messageName, resp_run_message_s* response, uint8_t option)
{
    return RunNamed(*m_link, address, kCodeRunMessage, option, messageName, 0, 0, response);
}

int16_t CKorNetwork::RunMessageNumTimes(uint8_t address, const char* messageName, uint8_t count,
                                        resp_run_message_s* response, uint8_t option)
{
    return RunNamed(*m_link, address, kCodeRunMessage, option, messageName, count, 0, response);
}

int16_t CKorNetwork::RunMessageASAP(uint8_t address, const char* messageName, resp_run_message_s* response,
                                    uint8_t option)
{
    return RunNamed(*m_link, address, kCodeRunMessage, option, messageName, 0, 1, response);
}

int16_t CKorNetwork::MDCRunMsg(uint8_t address, const char* messageName, uint8_t a, uint8_t b,
                               resp_run_message_s* response, uint8_t option)
{
    return RunNamed(*m_link, address, kCodeRunMessage, option, messageName, a, b, response);
}

int16_t CKorNetwork::StopMessage(uint8_t address, const char* messageName, resp_stop_message_s* response,
                                 uint8_t option)
{
    return RunNamed(*m_link, address, kCodeStopMessage, option, messageName, 0, 0, response);
}

int16_t CKorNetwork::RemoveMessage(uint8_t address, const char* messageName, resp_remove_message_s* response,
                                   uint8_t option)
{
    return RunNamed(*m_link, address, kCodeRemoveMessage, option, messageName, 0, 0, response);
}

int16_t CKorNetwork::SetDefaultMessage(uint8_t address, bool flag, const char* messageName,
                                       resp_set_defaultmessage_s* response)
{
    return RunNamed(*m_link, address, kCodeSetDefaultMessage, flag ? 1 : 0, messageName, 0, 0, response);
}

int16_t CKorNetwork::RunSchedule(uint8_t address, bool flag, resp_run_schedule_s* response, uint8_t option)
{
    return RunShort(*m_link, address, kCodeRunSchedule, flag ? 2 : option, 0, 0, response);
}

int16_t CKorNetwork::StopSchedule(uint8_t address, resp_stop_schedule_s* response, uint8_t option)
{
    return RunShort(*m_link, address, kCodeStopSchedule, option, 0, 0, response);
}

int16_t CKorNetwork::SetDimming(uint8_t address, uint8_t a, uint8_t b, resp_set_dimming_s* response)
{
    return RunShort(*m_link, address, kCodeSetDimming, a, b, 0, response);
}

int16_t CKorNetwork::BlankSign(uint8_t address, resp_blank_sign_s* response, uint8_t option)
{
    return RunShort(*m_link, address, kCodeBlankSign, option, 0, 0, response);
}

int16_t CKorNetwork::SetTime(uint8_t address, const time_s* time, resp_set_time_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    if (time == nullptr) {
        // A clock of zeros would be set as readily as a real one.
        CKorNetBusy guard(link);
        return guard.Ok() ? ERR_NETWORK_NO_WRITE : guard.Status();
    }
    uint8_t request[16] = {kCodeSetTime, option};
    std::memcpy(request + 2, time, sizeof(time_s));
    return Run(link, address, request, sizeof request, response);
}

int16_t CKorNetwork::TestPattern(uint8_t address, uint8_t a, resp_test_pattern_s* response)
{
    return RunShort(*m_link, address, kCodeTestPattern, a, 0, 0, response);
}

int16_t CKorNetwork::ResetSign(uint8_t address, uint8_t a, bool flag, resp_reset_sign_s* response)
{
    return RunShort(*m_link, address, kCodeResetSign, a, flag ? 1 : 0, 0, response);
}

int16_t CKorNetwork::EraseFirmware(uint8_t address, resp_erase_firmware_s* response, uint8_t option)
{
    return RunShort(*m_link, address, kCodeEraseFirmware, option, 0, 0, response);
}

int16_t CKorNetwork::SetSoftwareAddress(uint8_t address, uint8_t newAddress, resp_set_softwareaddress_s* response,
                                        uint8_t option)
{
    return RunShort(*m_link, address, kCodeSetSoftwareAddress, option, newAddress, 0, response);
}

int16_t CKorNetwork::SetTempOffset(uint8_t address, int16_t offset, resp_set_tempoffset_s* response, uint8_t option)
{
    return RunShort16(*m_link, address, kCodeSetTempOffset, option, static_cast<uint16_t>(offset), response);
}

int16_t CKorNetwork::SetLineFreqMode(uint8_t address, int16_t mode, resp_set_linefreqmode_s* response,
                                     uint8_t option)
{
    return RunShort16(*m_link, address, kCodeSetLineFreqMode, option, static_cast<uint16_t>(mode), response);
}

int16_t CKorNetwork::SetCounter(uint8_t address, const counter_info_s* counter, resp_set_counter_s* response)
{
    CKorNetLink& link = *m_link;
    if (counter == nullptr) {
        CKorNetBusy guard(link);
        return guard.Ok() ? ERR_NETWORK_NO_WRITE : guard.Status();
    }
    uint8_t request[48] = {kCodeSetCounter};
    std::memcpy(request + 1, counter, sizeof(counter_info_s));
    return Run(link, address, request, sizeof request, response);
}

int16_t CKorNetwork::StartCounter(uint8_t address, uint8_t a, bool flag, resp_set_startcounter_s* response)
{
    return RunShort(*m_link, address, kCodeStartCounter, a, flag ? 1 : 0, 0, response);
}

int16_t CKorNetwork::StopCounter(uint8_t address, uint8_t a, resp_set_stopcounter_s* response)
{
    return RunShort(*m_link, address, kCodeStopCounter, a, 0, 0, response);
}

int16_t CKorNetwork::SetConfiguration(uint8_t address, const char* name, uint16_t c1, uint16_t c2, uint16_t c3,
                                      uint8_t c4, uint8_t c5, uint16_t c6, resp_set_configuration_s* response,
                                      uint8_t option)
{
    uint8_t request[66] = {};
    PutHead(request, kCodeSetConfiguration, option, name);
    KorNetPut16(request + 22, c1);
    KorNetPut16(request + 24, c2);
    KorNetPut16(request + 26, c3);
    request[28] = c4;
    request[29] = c5;
    KorNetPut16(request + 30, c6);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::GetStatus(uint8_t address, resp_get_status_s* response, uint8_t option)
{
    const uint8_t request[kShortRequestLength] = {kCodeGetStatus, option};
    return m_link->RunCommand(address, request, sizeof request, response, sizeof(resp_get_status_s),
                              kStatusErrorByte, true);
}

int16_t CKorNetwork::SendMessage(uint8_t address, const char* messageName, const uint8_t* data, int32_t length,
                                 resp_send_message_s* response, uint8_t option)
{
    return SendStored(*m_link, address, kCodeSendMessage, option, messageName, data, length, response);
}

int16_t CKorNetwork::SendSchedule(uint8_t address, const char* scheduleName, bool flag1, bool flag2,
                                  const uint8_t* data, int32_t length, resp_send_schedule_s* response, uint8_t option)
{
    const uint8_t optionByte = static_cast<uint8_t>(option | (flag1 ? 1 : 0) | (flag2 ? 2 : 0));
    return SendStored(*m_link, address, kCodeSendSchedule, optionByte, scheduleName, data, length, response);
}

const uint8_t* CKorNetwork::GetMessage(uint8_t address, const char* messageName, int16_t& status,
                                       resp_retrieve_message_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;
    uint32_t length = 0;
    return Retrieve(link, address, kCodeGetMessage, messageName, option, status, response, length);
}

const messagelist_entry_s* CKorNetwork::GetMessageList(uint8_t address, int16_t& status,
                                                       resp_retrieve_messagelist_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;
    const uint8_t* entries = RetrieveList(link, address, kCodeGetMessageList, status, response, option);
    return reinterpret_cast<const messagelist_entry_s*>(entries);
}

int16_t CKorNetwork::SendRTD(uint8_t address, const rtd_header_s* header, int16_t startOffset, const uint8_t* data,
                             int16_t length, resp_send_rtd_s* response, uint8_t option)
{
    CKorNetBusy guard(*m_link);
    if (!guard.Ok()) return guard.Status();
    // Each frame is as long as its block: a short block makes a short frame.
    const uint8_t prefix[] = {kCodeSendRtd, option};
    const CRtdForm form{prefix, sizeof prefix, 2, 10, kRtdDataOffset, LEGACY_RTD_BLOCK_SIZE, false, kErrorByte,
                        sizeof(resp_send_rtd_s)};
    return SendRealTimeData(*m_link, address, form, header, startOffset, data, length, response);}
