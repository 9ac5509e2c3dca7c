// The older single-byte command set apart from its stores: running and
// stopping messages and schedules, dimming, blanking, the clock, test
// pattern, reset, counters, real-time data, firmware erase, software
// address, temperature offset, line frequency, configuration and the
// 128-byte status. Display effects go to the one display state the Jx
// commands drive too; the rest stays in the family's own state.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "CSimRegistry.h"
#include "LegacySign.h"
#include "jxsim/CJxSimulator.h"

namespace jxsim {

namespace {
enum : uint8_t {
    kSetConfiguration = 1,
    kGetStatus = 2,
    kRunMessage = 6,
    kStopMessage = 7,
    kRunSchedule = 12,
    kStopSchedule = 13,
    kSetDimming = 14,
    kBlankSign = 15,
    kSetTime = 16,
    kTestPattern = 17,
    kResetSign = 18,
    kSetCounter = 21,
    kSendRtd = 22,
    kSetDefaultMessage = 23,
    kEraseFirmware = 25,
    kSetSoftwareAddress = 31,
    kSetTempOffset = 32,
    kSetLineFreqMode = 34,
    kStartCounter = 35,
    kStopCounter = 36,
};
const size_t kNameOffset = 2;
const size_t kCounterSize = 35;
const size_t kRtdBlock = 231;
const size_t kRtdDataOffset = 24;
const size_t kRtdLimit = 65536;

// Byte at `offset` of the request; 0 past its end (unused bytes are zero).
uint8_t At(const CCommandContext& ctx, size_t offset) { return offset < ctx.Length() ? ctx.Data()[offset] : 0; }
uint16_t At16(const CCommandContext& ctx, size_t offset)
{
    return static_cast<uint16_t>(At(ctx, offset) | (At(ctx, offset + 1) << 8));
}

CLegacyStores& StoresOf(CCommandContext& ctx) { return ctx.controller.State<CLegacySignState>().stores; }
std::string NameOf(const CCommandContext& ctx) { return ctx.Name(kNameOffset, kLegacyNameWidth); }

CCommandReply Reply(CCommandContext& ctx) { return CCommandReply::Single(ctx.Data()[0], kErrNone); }

CCommandReply RunMessage(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    const std::string name = NameOf(ctx);
    r.note = name;
    uint8_t error = name.empty() ? kErrOutOfRange : ctx.services.FileFailure(name);
    if (error == 0 && s.messages.count(name) == 0) error = kErrNotFound;
    if (error == 0) {
        s.running = name;
        s.runOption = At(ctx, 1);
        s.runCount = At(ctx, 19);
        s.runMode = At(ctx, 20);
        ctx.controller.Display().blanked = false;
        r.note += " (" + std::to_string(s.runCount) + ", " + std::to_string(s.runMode) + ")";
    }
    r.data[1] = error;
    return r;
}

CCommandReply StopMessage(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    const std::string name = NameOf(ctx);
    r.note = name.empty() ? "any" : name;
    if (!name.empty() && name != s.running) r.data[1] = kErrNotFound;
    else s.running.clear();
    return r;
}

CCommandReply SetDefaultMessage(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    const std::string name = NameOf(ctx);
    const bool on = At(ctx, 1) != 0;
    r.note = on ? name : "none";
    if (on && (name.empty() || s.messages.count(name) == 0)) r.data[1] = kErrNotFound;
    else s.defaultMessage = on ? name : std::string();
    return r;
}

CCommandReply RunSchedule(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    r.note = "mode " + std::to_string(At(ctx, 1));
    if (s.schedules.empty()) {
        r.data[1] = kErrNotFound;
        r.note += ": no schedule stored";
        return r;
    }
    s.scheduleRunning = true;
    s.scheduleMode = At(ctx, 1);
    return r;
}

CCommandReply StopSchedule(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    StoresOf(ctx).scheduleRunning = false;
    return r;
}

CCommandReply SetDimming(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& d = ctx.controller.Display();
    d.dimmingMode = At(ctx, 1);
    d.dimmingLevel = At(ctx, 2);
    r.note = "A=" + std::to_string(d.dimmingMode) + " B=" + std::to_string(d.dimmingLevel);
    return r;
}

CCommandReply BlankSign(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& d = ctx.controller.Display();
    d.blanked = true;
    d.blankArgument = At(ctx, 1);
    return r;
}

// The six bytes of a clock: seconds, minutes, hours, day of the month,
// month (0-11), years since 1900, in the controller's local time.
CCommandReply SetTime(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    std::tm t{};
    t.tm_sec = At(ctx, 2);
    t.tm_min = At(ctx, 3);
    t.tm_hour = At(ctx, 4);
    t.tm_mday = At(ctx, 5);
    t.tm_mon = At(ctx, 6);
    t.tm_year = At(ctx, 7);
    t.tm_isdst = -1;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    r.note = text;
    if (t.tm_sec > 59 || t.tm_min > 59 || t.tm_hour > 23 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_mon > 11) {
        r.data[1] = kErrOutOfRange;
        return r;
    }
    const std::time_t when = std::mktime(&t);
    auto& d = ctx.controller.Display();
    d.clockSet = true;
    d.clockOffset = static_cast<int64_t>(when) - UnixNow();
    return r;
}

CCommandReply TestPattern(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    StoresOf(ctx).testPattern = At(ctx, 1);
    r.note = std::to_string(At(ctx, 1));
    return r;
}

CCommandReply ResetSign(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    s.resetA = At(ctx, 1);
    s.resetFlag = At(ctx, 2) != 0;
    r.note = "A=" + std::to_string(s.resetA) + (s.resetFlag ? " with flag" : "");
    r.rebootAfter = true;
    return r;
}

CCommandReply EraseFirmware(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    ++StoresOf(ctx).firmwareErasures;
    return r;
}

CCommandReply SetSoftwareAddress(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    const uint8_t address = At(ctx, 2);
    r.note = std::to_string(address);
    if (address < 1 || address > 240) r.data[1] = kErrOutOfRange;
    else StoresOf(ctx).softwareAddress = address;
    return r;
}

CCommandReply SetTempOffset(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    s.tempOffset = static_cast<int16_t>(At16(ctx, 2));
    r.note = std::to_string(s.tempOffset);
    return r;
}

CCommandReply SetLineFreqMode(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& s = StoresOf(ctx);
    s.lineFreqMode = static_cast<int16_t>(At16(ctx, 2));
    r.note = std::to_string(s.lineFreqMode);
    return r;
}

CCommandReply SetCounter(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    if (ctx.Length() < 1 + kCounterSize) {
        r.data[1] = kErrOutOfRange;
        r.note = "too short";
        return r;
    }
    StoresOf(ctx).counter.assign(ctx.Data() + 1, ctx.Data() + 1 + kCounterSize);
    return r;
}

CCommandReply StartStopCounter(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    const bool start = ctx.Data()[0] == kStartCounter;
    StoresOf(ctx).countersRunning[At(ctx, 1)] = start;
    r.note = "counter " + std::to_string(At(ctx, 1));
    return r;
}

CCommandReply SetConfiguration(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    auto& c = StoresOf(ctx).configuration;
    c.set = true;
    c.option = At(ctx, 1);
    c.name = NameOf(ctx);
    c.c1 = At16(ctx, 22);
    c.c2 = At16(ctx, 24);
    c.c3 = At16(ctx, 26);
    c.c4 = At(ctx, 28);
    c.c5 = At(ctx, 29);
    c.c6 = At16(ctx, 30);
    r.note = c.name;
    return r;
}

CCommandReply SendRtd(CCommandContext& ctx)
{
    CCommandReply r = Reply(ctx);
    const uint16_t offset = At16(ctx, 10);
    const uint16_t length = At16(ctx, 12);
    r.note = std::to_string(length) + " bytes at " + std::to_string(offset);
    if (length > kRtdBlock || static_cast<size_t>(offset) + length > kRtdLimit ||
        ctx.Length() < kRtdDataOffset + length) {
        r.data[1] = kErrOutOfRange;
        return r;
    }
    auto& d = ctx.controller.Display();
    d.rtdHeader.assign(ctx.Data() + 2, ctx.Data() + 10);
    if (d.rtd.size() < static_cast<size_t>(offset) + length) d.rtd.resize(static_cast<size_t>(offset) + length, 0);
    std::copy_n(ctx.Data() + kRtdDataOffset, length, d.rtd.begin() + offset);
    return r;
}

CCommandReply GetStatus(CCommandContext& ctx)
{
    CController& c = ctx.controller;
    const auto& s = StoresOf(ctx);
    const auto& d = c.Display();
    CCommandReply r = CCommandReply::Single(kGetStatus, kErrNone, kStatusSize);
    uint8_t* p = r.data.data();
    PutNameField(p + kStatusRunning, kLegacyNameWidth, s.running);
    p[kStatusBlanked] = d.blanked ? 1 : 0;
    p[kStatusDimming] = d.dimmingLevel;
    const std::time_t now = static_cast<std::time_t>(c.ClockNow());
    std::tm local{};
    localtime_r(&now, &local);
    const int clock[6] = {local.tm_sec, local.tm_min, local.tm_hour, local.tm_mday, local.tm_mon, local.tm_year};
    for (int i = 0; i < 6; ++i) p[kStatusClock + i] = static_cast<uint8_t>(clock[i]);
    PutLe16(p + kStatusMessages, static_cast<uint16_t>(s.messages.size()));
    PutLe16(p + kStatusSchedules, static_cast<uint16_t>(s.schedules.size()));
    PutLe16(p + kStatusGraphics, static_cast<uint16_t>(s.graphics.size()));
    p[kStatusScheduleRunning] = s.scheduleRunning ? 1 : 0;
    p[kStatusSoftwareAddress] = s.softwareAddress;
    PutLe16(p + kStatusTempOffset, static_cast<uint16_t>(s.tempOffset));
    PutLe16(p + kStatusLineFreqMode, static_cast<uint16_t>(s.lineFreqMode));
    PutNameField(p + kStatusDefaultMessage, kLegacyNameWidth, s.defaultMessage);
    const uint64_t stored = s.StoredBytes();
    const uint64_t free = c.FreeBytes() > stored ? c.FreeBytes() - stored : 0;
    PutLe32(p + kStatusFreeMemory, static_cast<uint32_t>(std::min<uint64_t>(free, 0xFFFFFFFFu)));
    p[kStatusTestPattern] = s.testPattern;
    p[kStatusAddress] = c.Address();
    PutNameField(p + kStatusVersion, kStatusErrorByte - kStatusVersion, c.FirmwareVersion());
    p[kStatusErrorByte] = kErrNone;
    r.note = s.running.empty() ? "nothing on show" : s.running + " on show";
    return r;
}
}  // namespace

CLegacyStores LegacyStores(CJxSimulator& sim, uint8_t address)
{
    CLegacyStores copy;
    sim.WithController(address, [&copy](CController& c) { copy = c.State<CLegacySignState>().stores; });
    return copy;
}

bool SetLegacyStores(CJxSimulator& sim, const CLegacyStores& stores, uint8_t address)
{
    return sim.WithController(address, [&stores](CController& c) { c.State<CLegacySignState>().stores = stores; });
}

JXSIM_REGISTER(LegacySignCommands)
{
    CCommandTable& t = registry.Commands();
    t.Register(kSetConfiguration, "SetConfiguration", SetConfiguration);
    t.Register(kGetStatus, "GetStatus", GetStatus);
    t.Register(kRunMessage, "RunMessage", RunMessage);
    t.Register(kStopMessage, "StopMessage", StopMessage);
    t.Register(kRunSchedule, "RunSchedule", RunSchedule);
    t.Register(kStopSchedule, "StopSchedule", StopSchedule);
    t.Register(kSetDimming, "SetDimming", SetDimming);
    t.Register(kBlankSign, "BlankSign", BlankSign);
    t.Register(kSetTime, "SetTime", SetTime);
    t.Register(kTestPattern, "TestPattern", TestPattern);
    t.Register(kResetSign, "ResetSign", ResetSign);
    t.Register(kSetCounter, "SetCounter", SetCounter);
    t.Register(kSendRtd, "SendRTD", SendRtd);
    t.Register(kSetDefaultMessage, "SetDefaultMessage", SetDefaultMessage);
    t.Register(kEraseFirmware, "EraseFirmware", EraseFirmware);
    t.Register(kSetSoftwareAddress, "SetSoftwareAddress", SetSoftwareAddress);
    t.Register(kSetTempOffset, "SetTempOffset", SetTempOffset);
    t.Register(kSetLineFreqMode, "SetLineFreqMode", SetLineFreqMode);
    t.Register(kStartCounter, "StartCounter", StartStopCounter);
    t.Register(kStopCounter, "StopCounter", StartStopCounter);
}

}  // namespace jxsim
