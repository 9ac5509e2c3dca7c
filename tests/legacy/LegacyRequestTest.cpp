// One-frame legacy commands against a scripted controller: the exact
// request of every method, the reply copied to the response, the error
// byte where each command has it, broadcasts, status and real-time data.
#include <functional>

#include "LegacyScript.h"

namespace {
using Call = std::function<int16_t(CKorNetwork&, resp_s&)>;

// Runs `expr` with a fresh response of `Type` called `response` and hands
// the response back through the common base.
#define LEGACY_CALL(Type, expr)                     \
    [](CKorNetwork& link, resp_s& out) -> int16_t { \
        Type response{};                            \
        const int16_t status = (expr);              \
        out = response;                             \
        return status;                              \
    }

struct OneFrame {
    const char* what;
    Call call;
    Bytes request;
};

const time_s kClock{1, 2, 3, 4, 5, 126};
const counter_info_s kCounter = [] {
    counter_info_s c{};
    for (size_t i = 0; i < sizeof c.bytes; ++i) c.bytes[i] = static_cast<uint8_t>(0x40 + i);
    return c;
}();

const OneFrame kOneFrame[] = {
    {"RunMessage", LEGACY_CALL(resp_run_message_s, link.RunMessage(kAddr, "WELCOME", &response, 9)),
     Request(32, {{0, {6, 9}}, {2, Text("WELCOME")}})},
    {"RunMessage with 17 characters",
     LEGACY_CALL(resp_run_message_s, link.RunMessage(kAddr, "ABCDEFGHIJKLMNOPQ", &response, 0)),
     Request(32, {{0, {6, 0}}, {2, Text("ABCDEFGHIJKLMNOPQ")}})},
    {"RunMessage with 18 characters",
     LEGACY_CALL(resp_run_message_s, link.RunMessage(kAddr, "ABCDEFGHIJKLMNOPQR", &response, 0)),
     Request(32, {{0, {6, 0}}, {2, Text("ABCDEFGHIJKLMNOPQ")}})},
    {"RunMessage without a name", LEGACY_CALL(resp_run_message_s, link.RunMessage(kAddr, nullptr, &response, 1)),
     Request(32, {{0, {6, 1}}})},
    {"RunMessageNumTimes",
     LEGACY_CALL(resp_run_message_s, link.RunMessageNumTimes(kAddr, "WELCOME", 4, &response, 9)),
     Request(32, {{0, {6, 9}}, {2, Text("WELCOME")}, {19, {4, 0}}})},
    {"RunMessageASAP", LEGACY_CALL(resp_run_message_s, link.RunMessageASAP(kAddr, "WELCOME", &response, 9)),
     Request(32, {{0, {6, 9}}, {2, Text("WELCOME")}, {19, {0, 1}}})},
    {"MDCRunMsg", LEGACY_CALL(resp_run_message_s, link.MDCRunMsg(kAddr, "WELCOME", 7, 8, &response, 9)),
     Request(32, {{0, {6, 9}}, {2, Text("WELCOME")}, {19, {7, 8}}})},
    {"StopMessage", LEGACY_CALL(resp_stop_message_s, link.StopMessage(kAddr, "WELCOME", &response, 9)),
     Request(32, {{0, {7, 9}}, {2, Text("WELCOME")}})},
    {"RemoveMessage", LEGACY_CALL(resp_remove_message_s, link.RemoveMessage(kAddr, "OLD", &response, 9)),
     Request(32, {{0, {10, 9}}, {2, Text("OLD")}})},
    {"SetDefaultMessage on",
     LEGACY_CALL(resp_set_defaultmessage_s, link.SetDefaultMessage(kAddr, true, "DEF", &response)),
     Request(32, {{0, {23, 1}}, {2, Text("DEF")}})},
    {"SetDefaultMessage off",
     LEGACY_CALL(resp_set_defaultmessage_s, link.SetDefaultMessage(kAddr, false, "DEF", &response)),
     Request(32, {{0, {23, 0}}, {2, Text("DEF")}})},
    {"RunSchedule with its flag", LEGACY_CALL(resp_run_schedule_s, link.RunSchedule(kAddr, true, &response, 9)),
     Request(8, {{0, {12, 2}}})},
    {"RunSchedule", LEGACY_CALL(resp_run_schedule_s, link.RunSchedule(kAddr, false, &response, 9)),
     Request(8, {{0, {12, 9}}})},
    {"StopSchedule", LEGACY_CALL(resp_stop_schedule_s, link.StopSchedule(kAddr, &response, 9)),
     Request(8, {{0, {13, 9}}})},
    {"SetDimming", LEGACY_CALL(resp_set_dimming_s, link.SetDimming(kAddr, 3, 70, &response)),
     Request(8, {{0, {14, 3, 70}}})},
    {"BlankSign", LEGACY_CALL(resp_blank_sign_s, link.BlankSign(kAddr, &response, 9)), Request(8, {{0, {15, 9}}})},
    {"SetTime", LEGACY_CALL(resp_set_time_s, link.SetTime(kAddr, &kClock, &response, 9)),
     Request(16, {{0, {16, 9, 1, 2, 3, 4, 5, 126}}})},
    {"TestPattern", LEGACY_CALL(resp_test_pattern_s, link.TestPattern(kAddr, 6, &response)),
     Request(8, {{0, {17, 6}}})},
    {"ResetSign", LEGACY_CALL(resp_reset_sign_s, link.ResetSign(kAddr, 6, true, &response)),
     Request(8, {{0, {18, 6, 1}}})},
    {"EraseFirmware", LEGACY_CALL(resp_erase_firmware_s, link.EraseFirmware(kAddr, &response, 9)),
     Request(8, {{0, {25, 9}}})},
    {"SetSoftwareAddress",
     LEGACY_CALL(resp_set_softwareaddress_s, link.SetSoftwareAddress(kAddr, 42, &response, 9)),
     Request(8, {{0, {31, 9, 42}}})},
    {"SetTempOffset", LEGACY_CALL(resp_set_tempoffset_s, link.SetTempOffset(kAddr, -2, &response, 9)),
     Request(8, {{0, {32, 9, 0xFE, 0xFF}}})},
    {"SetLineFreqMode", LEGACY_CALL(resp_set_linefreqmode_s, link.SetLineFreqMode(kAddr, 0x0132, &response, 9)),
     Request(8, {{0, {34, 9, 0x32, 0x01}}})},
    {"SetCounter", LEGACY_CALL(resp_set_counter_s, link.SetCounter(kAddr, &kCounter, &response)),
     Request(48, {{0, {21}}, {1, Bytes(kCounter.bytes, kCounter.bytes + 35)}})},
    {"StartCounter", LEGACY_CALL(resp_set_startcounter_s, link.StartCounter(kAddr, 3, true, &response)),
     Request(8, {{0, {35, 3, 1}}})},
    {"StopCounter", LEGACY_CALL(resp_set_stopcounter_s, link.StopCounter(kAddr, 3, &response)),
     Request(8, {{0, {36, 3}}})},
    {"SetConfiguration",
     LEGACY_CALL(resp_set_configuration_s,
                 link.SetConfiguration(kAddr, "CFGNAME", 0x1122, 0x3344, 0x5566, 0x77, 0x88, 0x99AA, &response, 9)),
     Request(66, {{0, {1, 9}}, {2, Text("CFGNAME")},
                  {22, {0x22, 0x11, 0x44, 0x33, 0x66, 0x55, 0x77, 0x88, 0xAA, 0x99}}})},
    {"RemoveGraphic", LEGACY_CALL(resp_remove_graphic_s, link.RemoveGraphic(kAddr, "LOGO", &response, 9)),
     Request(32, {{0, {30, 9}}, {2, Text("LOGO")}})},
};

class LegacyRequest : public LegacyScript {};

TEST_F(LegacyRequest, EveryOneFrameCommandSendsItsBytesAndReadsItsErrorByte)
{
    for (const auto& c : kOneFrame) {
        SCOPED_TRACE(c.what);
        // Accepted: the eight reply bytes arrive in the response.
        resp_s response{};
        auto r = Async([&] { return c.call(link, response); });
        const Bytes frame = Next();
        EXPECT_EQ(DataOf(frame), c.request);
        peer.Write(Ack(frame));
        EXPECT_EQ(r.get(), KORNET_OK);
        EXPECT_EQ(response.command, c.request[0]);
        EXPECT_EQ(response.error, 0);
        EXPECT_EQ(response.reserved[5], 0xA7);

        // Refused: byte 1 of the reply is the controller's error.
        r = Async([&] { return c.call(link, response); });
        peer.Write(Ack(Next(), 5));
        EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
        EXPECT_EQ(response.error, 5);
    }
    ExpectSilence();
    EXPECT_TRUE(progress.calls.empty()) << "one-frame commands report no progress";
}

TEST_F(LegacyRequest, BroadcastsAreSentAndNothingIsRead)
{
    resp_run_message_s response;
    std::memset(&response, 0xEE, sizeof response);
    auto r = Async([&] { return link.RunMessage(0, "ALL", &response, 0); });
    EXPECT_EQ(DataOf(Next(0)), Request(32, {{0, {6, 0}}, {2, Text("ALL")}}));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(response.command, 0xEE) << "a broadcast leaves the response alone";
    ExpectSilence();
}

TEST_F(LegacyRequest, MissingClockOrCounterSendsNothing)
{
    resp_set_time_s time{};
    EXPECT_EQ(link.SetTime(kAddr, nullptr, &time, 0), ERR_NETWORK_NO_WRITE);
    resp_set_counter_s counter{};
    EXPECT_EQ(link.SetCounter(kAddr, nullptr, &counter), ERR_NETWORK_NO_WRITE);
    ExpectSilence();
    CKorNetwork unconnected;
    EXPECT_EQ(unconnected.SetTime(kAddr, nullptr, nullptr, 0), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(LegacyRequest, StatusIsAllOf128BytesWithItsErrorAtEighty)
{
    Bytes reply = Pattern(128);
    reply[0] = 2;
    reply[1] = 0x33;  // not the error byte of this reply
    reply[80] = 0;

    resp_get_status_s status{};
    auto r = Async([&] { return link.GetStatus(kAddr, &status, 4); });
    const Bytes frame = Next();
    EXPECT_EQ(DataOf(frame), Request(8, {{0, {2, 4}}}));
    peer.Write(ReplyTo(frame, 1, reply));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(Bytes(reinterpret_cast<uint8_t*>(&status), reinterpret_cast<uint8_t*>(&status) + 128), reply);

    reply[80] = 4;
    r = Async([&] { return link.GetStatus(kAddr, &status, 4); });
    peer.Write(ReplyTo(Next(), 1, reply));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(status.error, 4);

    EXPECT_EQ(link.GetStatus(255, &status, 0), ERR_COMMAND_NO_BROADCAST);
    ExpectSilence();
}

TEST_F(LegacyRequest, RealTimeDataGoesInFramesOf231)
{
    const rtd_header_s header{{1, 2, 3, 4, 5, 6, 7, 8}};
    struct Case {
        size_t length;
        int16_t start;
        std::vector<std::pair<uint16_t, uint16_t>> frames;  // offset, length
    } cases[] = {
        {10, 100, {{100, 10}}},
        {231, 0, {{0, 231}}},
        {241, 7, {{7, 231}, {238, 10}}},
        {462, -16, {{0xFFF0, 231}, {0x00D7, 231}}},  // offsets wrap at 16 bits
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const Bytes data = Pattern(c.length, 3);
        resp_send_rtd_s response{};
        auto r = Async([&] {
            return link.SendRTD(kAddr, &header, c.start, data.data(), static_cast<int16_t>(c.length), &response, 9);
        });
        size_t at = 0;
        for (const auto& [offset, length] : c.frames) {
            const Bytes frame = Next();
            Bytes expected = Request(24, {{0, {22, 9, 1, 2, 3, 4, 5, 6, 7, 8}}, {10, Le16(offset)}, {12, Le16(length)}});
            expected.insert(expected.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(at + length));
            EXPECT_EQ(DataOf(frame), expected);
            peer.Write(Ack(frame));
            at += length;
        }
        EXPECT_EQ(r.get(), KORNET_OK);
        if (!c.frames.empty()) {
            EXPECT_EQ(response.command, 22);
        }
    }
    // A refusal stops the frames that would follow.
    const Bytes data = Pattern(500);
    auto r = Async([&] { return link.SendRTD(kAddr, nullptr, 0, data.data(), 500, nullptr, 0); });
    const Bytes first = Next();
    EXPECT_EQ(Bytes(first.begin() + 8, first.begin() + 16), Bytes(8, 0)) << "no header: zeros";
    peer.Write(Ack(first, 8));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);

    EXPECT_EQ(link.SendRTD(kAddr, &header, 0, data.data(), -1, nullptr, 0), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.SendRTD(kAddr, &header, 0, nullptr, 5, nullptr, 0), ERR_NETWORK_NO_WRITE);
    ExpectSilence();
    EXPECT_TRUE(progress.calls.empty());
}
}  // namespace
