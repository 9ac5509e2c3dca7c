// Jx display and playlist commands: reset, blanking, dimming, display mode,
// clock, schedules, the playlist, frame selection, the running message and
// real-time data. One frame each, except real-time data, which takes as many
// 230-byte frames as its data needs.
#include <cstring>

#include "../CKorNetLink.h"
#include "BlockTransfer.h"

using namespace kornet;

namespace {
enum : uint8_t {
    kSubRunMessage = 7,
    kSubStopMessage = 8,
    kSubMoveMessage = 9,
    kSubBlank = 10,
    kSubReset = 11,
    kSubRunSchedule = 12,
    kSubStopSchedule = 13,
    kSubDimming = 14,
    kSubSetTime = 15,
    kSubDisplayMode = 16,
    kSubRtd = 17,
    kSubSelectFrame = 22,
    kSubRunningMessage = 23,
};
constexpr size_t kJxErrorByte = 2;
constexpr size_t kRtdDataOffset = 25;  // 80 11 option, 8-byte header, offset, length, 10 zeros

static_assert(kRtdDataOffset + JX_RTD_BLOCK_SIZE == kFrameDataMax);

// The one-frame template with an 8-byte response and the error byte at 2.
int16_t Run(CKorNetLink& link, uint8_t address, const uint8_t* request, size_t length, jx_resp_s* response)
{
    return link.RunCommand(address, request, length, response, sizeof(jx_resp_s), kJxErrorByte);
}

void PutHead(uint8_t* request, uint8_t subCommand, uint8_t byte2)
{
    request[0] = kExtendedPrefix;
    request[1] = subCommand;
    request[2] = byte2;
}
}  // namespace

int16_t CKorNetwork::JxResetDisplay(uint8_t address, uint8_t a, uint8_t b, jx_resp_reset_display_s* response)
{
    uint8_t request[16] = {};
    PutHead(request, kSubReset, a);
    request[3] = b;
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxBlankDisplay(uint8_t address, uint8_t a, jx_resp_blank_display_s* response)
{
    uint8_t request[8] = {};
    PutHead(request, kSubBlank, a);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxSetDimming(uint8_t address, uint8_t a, uint8_t b, jx_resp_set_dimming_s* response)
{
    uint8_t request[8] = {};
    PutHead(request, kSubDimming, a);
    request[3] = b;
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxSetDisplayMode(uint8_t address, uint8_t a, uint8_t b, jx_resp_set_display_mode_s* response)
{
    // The controller takes these two the other way round from reset and dimming.
    uint8_t request[16] = {};
    PutHead(request, kSubDisplayMode, b);
    request[3] = a;
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxSetTime(uint8_t address, uint32_t time, jx_resp_set_time_s* response, uint8_t option)
{
    uint8_t request[16] = {};
    PutHead(request, kSubSetTime, option);
    KorNetPut32(request + 3, time);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxRunSchedule(uint8_t address, const char* scheduleName, jx_resp_run_schedule_s* response,
                                   uint8_t option)
{
    uint8_t request[120] = {};
    PutHead(request, kSubRunSchedule, option);
    KorNetCopyName(request + 3, JX_NAME_LENGTH, scheduleName);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxStopSchedule(uint8_t address, const char* scheduleName, jx_resp_stop_schedule_s* response,
                                    uint8_t option)
{
    uint8_t request[120] = {};
    PutHead(request, kSubStopSchedule, option);
    KorNetCopyName(request + 3, JX_NAME_LENGTH, scheduleName);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxRunMessage(uint8_t address, const char* messageName, uint8_t p1, uint8_t p2, uint8_t p3,
                                  uint8_t p4, uint8_t p5, uint8_t p6, uint32_t v, jx_resp_add_to_playlist_s* response,
                                  uint8_t option)
{
    uint8_t request[136] = {};
    PutHead(request, kSubRunMessage, option);
    KorNetCopyName(request + 3, JX_NAME_LENGTH, messageName);
    request[113] = p5;
    KorNetPut32(request + 114, v);
    request[118] = p4;
    request[119] = p1;
    request[120] = p3;
    request[121] = p2;
    request[122] = p6;
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxStopMessage(uint8_t address, const char* messageName, uint32_t v,
                                   jx_resp_remove_from_playlist_s* response, uint8_t option)
{
    uint8_t request[130] = {};
    PutHead(request, kSubStopMessage, option);
    KorNetCopyName(request + 3, JX_NAME_LENGTH, messageName);
    KorNetPut32(request + 113, v);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxMoveMessage(uint8_t address, const char* messageName, uint8_t p, uint32_t v,
                                   jx_resp_move_playlist_s* response, uint8_t option)
{
    uint8_t request[128] = {};
    PutHead(request, kSubMoveMessage, option);
    KorNetCopyName(request + 3, JX_NAME_LENGTH, messageName);
    KorNetPut32(request + 113, v);
    request[117] = p;
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxSelectFrame(uint8_t address, uint8_t a, uint16_t w, const char* name,
                                   jx_resp_select_frame_s* response)
{
    uint8_t request[128] = {};
    PutHead(request, kSubSelectFrame, a);
    KorNetPut16(request + 4, w);
    KorNetCopyName(request + 6, JX_NAME_LENGTH, name);
    return Run(*m_link, address, request, sizeof request, response);
}

int16_t CKorNetwork::JxGetRunningMessage(uint8_t address, uint8_t a, char* name, uint16_t& value, uint32_t /*unused*/,
                                         uint8_t& statusByte)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    uint8_t request[8] = {};
    PutHead(request, kSubRunningMessage, a);
    int16_t status = link.Synchronise(address);
    if (status != KORNET_OK) return status;
    status = link.Exchange(address, kTypeCommand, request, sizeof request);
    if (status != KORNET_OK || KorNetIsBroadcastAddress(address)) return status;
    // Byte 2 here is the controller's state, not an error. The received frame
    // buffer spans 255 data bytes cleared before the receive, so a short reply
    // gives zeros, never stale bytes.
    const uint8_t* reply = link.received.Data();
    statusByte = reply[2];
    if (name != nullptr) std::memcpy(name, reply + 3, JX_NAME_LENGTH);
    value = KorNetGet16(reply + 117);
    return KORNET_OK;
}

int16_t CKorNetwork::JxSendRTD(uint8_t address, const rtd_header_s* header, int16_t startOffset, const uint8_t* data,
                               int16_t length, jx_resp_send_rtd_s* response, uint8_t option)
{
    CKorNetBusy guard(*m_link);
    if (!guard.Ok()) return guard.Status();
    const uint8_t prefix[] = {kExtendedPrefix, kSubRtd, option};
    const CRtdForm form{prefix, sizeof prefix, 3, 11, kRtdDataOffset, JX_RTD_BLOCK_SIZE, true, kJxErrorByte,
                        sizeof(jx_resp_send_rtd_s)};
    return SendRealTimeData(*m_link, address, form, header, startOffset, data, length, response);}
