// Jx display and playlist commands (extended prefix 0x80): reset, blank,
// dimming, display mode, clock, schedules, the playlist of running
// messages, frame selection, real-time data and the running message.
#include <algorithm>

#include "CController.h"
#include "CSimRegistry.h"
#include "Documents.h"

namespace jxsim {

namespace {
enum : uint8_t {
    kRunMessage = 7,
    kStopMessage = 8,
    kMoveMessage = 9,
    kBlankDisplay = 10,
    kResetDisplay = 11,
    kRunSchedule = 12,
    kStopSchedule = 13,
    kSetDimming = 14,
    kSetTime = 15,
    kSetDisplayMode = 16,
    kSendRtd = 17,
    kSelectFrame = 22,
    kGetRunningMessage = 23,
};
const size_t kNameWidth = 110;
const size_t kPlaylistLimit = 64;
const size_t kRtdLimit = 65536;
const size_t kRtdBlock = 230;

// Byte at `offset` of the request; 0 past its end (unused bytes are zero).
uint8_t At(const CCommandContext& ctx, size_t offset) { return offset < ctx.Length() ? ctx.Data()[offset] : 0; }
uint16_t At16(const CCommandContext& ctx, size_t offset)
{
    return static_cast<uint16_t>(At(ctx, offset) | (At(ctx, offset + 1) << 8));
}
uint32_t At32(const CCommandContext& ctx, size_t offset)
{
    return static_cast<uint32_t>(At16(ctx, offset)) | (static_cast<uint32_t>(At16(ctx, offset + 2)) << 16);
}

bool StoreHas(CController& c, const std::string& name)
{
    CFileEntry e;
    return c.Store().Find(name, e);
}

std::vector<CPlaylistEntry>::iterator FindEntry(CDisplayState& d, const std::string& name)
{
    return std::find_if(d.playlist.begin(), d.playlist.end(), [&](const CPlaylistEntry& e) { return e.name == name; });
}

CCommandReply ResetDisplay(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kResetDisplay, kErrNone);
    auto& d = ctx.controller.Display();
    d.lastResetA = At(ctx, 2);
    d.lastResetB = At(ctx, 3);
    r.note = "A=" + std::to_string(d.lastResetA) + " B=" + std::to_string(d.lastResetB);
    r.rebootAfter = true;
    return r;
}

CCommandReply BlankDisplay(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kBlankDisplay, kErrNone);
    auto& d = ctx.controller.Display();
    d.blankArgument = At(ctx, 2);
    d.blanked = d.blankArgument != 0;
    r.note = d.blanked ? "blank" : "show";
    return r;
}

CCommandReply SetDimming(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kSetDimming, kErrNone);
    const uint8_t mode = At(ctx, 2), level = At(ctx, 3);
    r.note = "mode " + std::to_string(mode) + " level " + std::to_string(level);
    if (level > 100) {
        r.data[2] = kErrOutOfRange;
        return r;
    }
    auto& d = ctx.controller.Display();
    d.dimmingMode = mode;
    d.dimmingLevel = level;
    return r;
}

CCommandReply SetDisplayMode(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kSetDisplayMode, kErrNone);
    auto& d = ctx.controller.Display();
    d.displayModeB = At(ctx, 2);
    d.displayModeA = At(ctx, 3);
    r.note = "A=" + std::to_string(d.displayModeA) + " B=" + std::to_string(d.displayModeB);
    return r;
}

CCommandReply SetTime(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kSetTime, kErrNone);
    const uint32_t t = At32(ctx, 3);
    auto& d = ctx.controller.Display();
    d.clockSet = true;
    d.clockOffset = static_cast<int64_t>(t) - UnixNow();
    r.note = std::to_string(t);
    return r;
}

CCommandReply RunSchedule(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kRunSchedule, kErrNone);
    const std::string name = ctx.Name(3, kNameWidth);
    r.note = name;
    uint8_t error = name.empty() ? kErrOutOfRange : ctx.services.FileFailure(name);
    if (error == 0 && !StoreHas(ctx.controller, name)) error = kErrNotFound;
    if (error == 0) ctx.controller.Display().schedule = name;
    r.data[2] = error;
    return r;
}

CCommandReply StopSchedule(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kStopSchedule, kErrNone);
    const std::string name = ctx.Name(3, kNameWidth);
    auto& d = ctx.controller.Display();
    r.note = name.empty() ? "any" : name;
    if (!name.empty() && name != d.schedule) r.data[2] = kErrNotFound;
    else d.schedule.clear();
    return r;
}

CCommandReply RunMessage(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kRunMessage, kErrNone);
    const std::string name = ctx.Name(3, kNameWidth);
    r.note = name;
    auto& d = ctx.controller.Display();
    uint8_t error = name.empty() ? kErrOutOfRange : ctx.services.FileFailure(name);
    if (error == 0 && !StoreHas(ctx.controller, name)) error = kErrNotFound;
    auto it = FindEntry(d, name);
    if (error == 0 && it == d.playlist.end() && d.playlist.size() >= kPlaylistLimit) error = kErrAllocation;
    if (error == 0) {
        CPlaylistEntry e;
        e.name = name;
        e.option = At(ctx, 2);
        e.value = At32(ctx, 114);
        e.p[0] = At(ctx, 119);  // P1
        e.p[1] = At(ctx, 121);  // P2
        e.p[2] = At(ctx, 120);  // P3
        e.p[3] = At(ctx, 118);  // P4
        e.p[4] = At(ctx, 113);  // P5
        e.p[5] = At(ctx, 122);  // P6
        if (it != d.playlist.end()) *it = e;
        else d.playlist.push_back(e);
    }
    r.data[2] = error;
    return r;
}

CCommandReply StopMessage(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kStopMessage, kErrNone);
    const std::string name = ctx.Name(3, kNameWidth);
    auto& d = ctx.controller.Display();
    r.note = name.empty() ? "all" : name;
    if (name.empty()) {
        d.playlist.clear();
    } else if (auto it = FindEntry(d, name); it != d.playlist.end()) {
        d.playlist.erase(it);
    } else {
        r.data[2] = kErrNotFound;
    }
    return r;
}

CCommandReply MoveMessage(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kMoveMessage, kErrNone);
    const std::string name = ctx.Name(3, kNameWidth);
    const uint32_t position = At32(ctx, 113);
    auto& d = ctx.controller.Display();
    r.note = name + " to " + std::to_string(position);
    auto it = FindEntry(d, name);
    if (it == d.playlist.end()) {
        r.data[2] = kErrNotFound;
    } else if (position >= d.playlist.size()) {
        r.data[2] = kErrOutOfRange;
    } else {
        CPlaylistEntry e = *it;
        d.playlist.erase(it);
        d.playlist.insert(d.playlist.begin() + static_cast<std::ptrdiff_t>(position), e);
    }
    return r;
}

CCommandReply SelectFrame(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kSelectFrame, kErrNone);
    auto& d = ctx.controller.Display();
    d.frameA = At(ctx, 2);
    d.frameW = At16(ctx, 4);
    d.frameName = ctx.Name(6, kNameWidth);
    r.note = "A=" + std::to_string(d.frameA) + " W=" + std::to_string(d.frameW) + " " + d.frameName;
    return r;
}

CCommandReply SendRtd(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kSendRtd, kErrNone);
    const uint16_t offset = At16(ctx, 11);
    const uint16_t length = At16(ctx, 13);
    r.note = std::to_string(length) + " bytes at " + std::to_string(offset);
    if (length > kRtdBlock || static_cast<size_t>(offset) + length > kRtdLimit || ctx.Length() < 25u + length) {
        r.data[2] = kErrOutOfRange;
        return r;
    }
    auto& d = ctx.controller.Display();
    d.rtdHeader.assign(ctx.Data() + 3, ctx.Data() + 11);
    if (d.rtd.size() < static_cast<size_t>(offset) + length) d.rtd.resize(static_cast<size_t>(offset) + length, 0);
    std::copy_n(ctx.Data() + 25, length, d.rtd.begin() + offset);
    return r;
}

// The reply names the message on show: byte 2 is the display's state (0 a
// message runs, 1 the playlist is empty, 2 blanked), 3..112 the name,
// 113..116 its value V, 117..118 its place in the playlist.
CCommandReply GetRunningMessage(CCommandContext& ctx)
{
    CCommandReply r = CCommandReply::Extended(kGetRunningMessage, 0, 119);
    r.statusByte = true;
    const auto& d = ctx.controller.Display();
    if (d.blanked) r.data[2] = 2;
    else if (d.playlist.empty()) r.data[2] = 1;
    if (!d.playlist.empty()) {
        PutNameField(r.data.data() + 3, kNameWidth, d.playlist.front().name);
        PutLe32(r.data.data() + 113, d.playlist.front().value);
        r.note = d.playlist.front().name;
    }
    PutLe16(r.data.data() + 117, 0);
    return r;
}
}  // namespace

JXSIM_REGISTER(JxDisplayCommands)
{
    CCommandTable& t = registry.Commands();
    t.RegisterExtended(kRunMessage, "JxRunMessage", RunMessage);
    t.RegisterExtended(kStopMessage, "JxStopMessage", StopMessage);
    t.RegisterExtended(kMoveMessage, "JxMoveMessage", MoveMessage);
    t.RegisterExtended(kBlankDisplay, "JxBlankDisplay", BlankDisplay);
    t.RegisterExtended(kResetDisplay, "JxResetDisplay", ResetDisplay);
    t.RegisterExtended(kRunSchedule, "JxRunSchedule", RunSchedule);
    t.RegisterExtended(kStopSchedule, "JxStopSchedule", StopSchedule);
    t.RegisterExtended(kSetDimming, "JxSetDimming", SetDimming);
    t.RegisterExtended(kSetTime, "JxSetTime", SetTime);
    t.RegisterExtended(kSetDisplayMode, "JxSetDisplayMode", SetDisplayMode);
    t.RegisterExtended(kSendRtd, "JxSendRTD", SendRtd);
    t.RegisterExtended(kSelectFrame, "JxSelectFrame", SelectFrame);
    t.RegisterExtended(kGetRunningMessage, "JxGetRunningMessage", GetRunningMessage);
}

}  // namespace jxsim
