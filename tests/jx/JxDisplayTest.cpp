// Jx display and playlist commands against a controller scripted frame by
// frame: the exact request of every member, the response copy and error
// byte, the running-message query and real-time data in 230-byte frames.
#include "JxScript.h"

namespace {
constexpr uint8_t kAddr = 9;

class JxDisplay : public JxScript {};

// Runs `call` with a response of type R and hands back its common bytes.
template <class R, class F>
std::function<int16_t(jx_resp_s&)> With(F call)
{
    return [call](jx_resp_s& out) {
        R response{};
        const int16_t status = call(&response);
        out = response;
        return status;
    };
}

TEST_F(JxDisplay, EveryCommandSendsItsExactRequest)
{
    const std::string full(110, 'M');
    CKorNetwork& l = link;
    struct Case {
        const char* what;
        std::function<int16_t(jx_resp_s&)> call;
        Bytes expected;
    } cases[] = {
        {"reset", With<jx_resp_reset_display_s>([&](auto* r) { return l.JxResetDisplay(kAddr, 1, 2, r); }),
         Request(16, {{0, {0x80, 11, 1, 2}}})},
        {"blank", With<jx_resp_blank_display_s>([&](auto* r) { return l.JxBlankDisplay(kAddr, 1, r); }),
         Request(8, {{0, {0x80, 10, 1}}})},
        {"dimming", With<jx_resp_set_dimming_s>([&](auto* r) { return l.JxSetDimming(kAddr, 3, 4, r); }),
         Request(8, {{0, {0x80, 14, 3, 4}}})},
        {"display mode puts b first",
         With<jx_resp_set_display_mode_s>([&](auto* r) { return l.JxSetDisplayMode(kAddr, 1, 2, r); }),
         Request(16, {{0, {0x80, 0x10, 0x02, 0x01}}})},
        {"time", With<jx_resp_set_time_s>([&](auto* r) { return l.JxSetTime(kAddr, 0x65A1B2C3u, r, 7); }),
         Request(16, {{0, {0x80, 15, 7}}, {3, Le32(0x65A1B2C3u)}})},
        {"run schedule", With<jx_resp_run_schedule_s>([&](auto* r) { return l.JxRunSchedule(kAddr, "WEEK.SCH", r, 1); }),
         Request(120, {{0, {0x80, 12, 1}}, {3, Text("WEEK.SCH")}})},
        {"stop schedule", With<jx_resp_stop_schedule_s>([&](auto* r) { return l.JxStopSchedule(kAddr, "WEEK.SCH", r, 0); }),
         Request(120, {{0, {0x80, 13, 0}}, {3, Text("WEEK.SCH")}})},
        {"stop schedule, no name", With<jx_resp_stop_schedule_s>([&](auto* r) { return l.JxStopSchedule(kAddr, nullptr, r, 2); }),
         Request(120, {{0, {0x80, 13, 2}}})},
        {"run message",
         With<jx_resp_add_to_playlist_s>(
             [&](auto* r) { return l.JxRunMessage(kAddr, "MSG.XML", 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x01020304u, r, 5); }),
         Request(136, {{0, {0x80, 7, 5}}, {3, Text("MSG.XML")}, {113, {0xA5, 0x04, 0x03, 0x02, 0x01, 0xA4, 0xA1, 0xA3, 0xA2, 0xA6}}})},
        {"run message with a 110-character name",
         With<jx_resp_add_to_playlist_s>([&](auto* r) { return l.JxRunMessage(kAddr, full.c_str(), 0, 0, 0, 0, 0, 0, 0, r, 0); }),
         Request(136, {{0, {0x80, 7}}, {3, Text(full)}})},
        {"stop message",
         With<jx_resp_remove_from_playlist_s>([&](auto* r) { return l.JxStopMessage(kAddr, "MSG.XML", 0xAABBCCDDu, r, 1); }),
         Request(130, {{0, {0x80, 8, 1}}, {3, Text("MSG.XML")}, {113, Le32(0xAABBCCDDu)}})},
        {"stop message, no name",
         With<jx_resp_remove_from_playlist_s>([&](auto* r) { return l.JxStopMessage(kAddr, nullptr, 6, r, 0); }),
         Request(130, {{0, {0x80, 8}}, {113, Le32(6)}})},
        {"move message",
         With<jx_resp_move_playlist_s>([&](auto* r) { return l.JxMoveMessage(kAddr, "MSG.XML", 0x33, 0x11223344u, r, 4); }),
         Request(128, {{0, {0x80, 9, 4}}, {3, Text("MSG.XML")}, {113, Le32(0x11223344u)}, {117, {0x33}}})},
        {"select frame",
         With<jx_resp_select_frame_s>([&](auto* r) { return l.JxSelectFrame(kAddr, 0x21, 0xBEEF, "FRAME2", r); }),
         Request(128, {{0, {0x80, 22, 0x21}}, {4, Le16(0xBEEF)}, {6, Text("FRAME2")}})},
        {"select frame, no name",
         With<jx_resp_select_frame_s>([&](auto* r) { return l.JxSelectFrame(kAddr, 1, 2, nullptr, r); }),
         Request(128, {{0, {0x80, 22, 1}}, {4, Le16(2)}})},
    };
    bool first = true;
    for (const auto& c : cases) {
        for (uint8_t error : {uint8_t{0}, uint8_t{3}}) {
            jx_resp_s response{};
            auto r = Async([&] { return c.call(response); });
            if (first) AnswerSync(kAddr);
            first = false;
            const Bytes frame = NextCommand(kAddr);
            EXPECT_EQ(DataOf(frame), c.expected) << c.what;
            peer.Write(JxAck(frame, error));
            EXPECT_EQ(r.get(), error == 0 ? KORNET_OK : ERR_SIGN_RESPONSE_ERROR) << c.what;
            EXPECT_EQ(response.subCommand, c.expected[1]) << c.what;
            EXPECT_EQ(response.error, error) << c.what;
            EXPECT_EQ(response.reserved[4], 0xA7) << c.what;
        }
    }
    // None of them is a multi-frame command.
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(JxDisplay, RunningMessageFillsItsOutArguments)
{
    char name[110];
    std::memset(name, '#', sizeof name);
    uint16_t value = 1;
    uint8_t state = 1;
    auto r = Async([&] { return link.JxGetRunningMessage(kAddr, 0x44, name, value, 0xFFFFFFFFu, state); });
    AnswerSync(kAddr);
    const Bytes frame = NextCommand(kAddr);
    EXPECT_EQ(DataOf(frame), Request(8, {{0, {0x80, 23, 0x44}}}));
    // Byte 2 is the controller's state, not an error.
    peer.Write(ReplyTo(frame, 1, Request(120, {{0, {0x80, 23, 0x05}}, {3, Text("NOW.XML")}, {117, Le16(0x1234)}})));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(state, 0x05);
    EXPECT_EQ(std::string(name), "NOW.XML");
    EXPECT_EQ(value, 0x1234);

    // Broadcast: sent, nothing read, nothing touched.
    std::memset(name, '#', sizeof name);
    value = 7;
    state = 8;
    EXPECT_EQ(link.JxGetRunningMessage(0, 1, name, value, 0, state), KORNET_OK);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(state, 8);
    EXPECT_EQ(name[0], '#');
    Bytes expected = MakeFrame(0, 0x03);
    const Bytes command = MakeFrame(0, 0x10, Request(8, {{0, {0x80, 23, 1}}}));
    expected.insert(expected.end(), command.begin(), command.end());
    EXPECT_EQ(peer.Drain(50), expected);

    // A failure leaves them alone too; a null name buffer is fine.
    link.SetMaxNumberOfRetries(0);
    EXPECT_EQ(link.JxGetRunningMessage(kAddr, 1, nullptr, value, 0, state), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(state, 8);
}

TEST_F(JxDisplay, RealTimeDataGoesIn230ByteFrames)
{
    rtd_header_s header{{1, 2, 3, 4, 5, 6, 7, 8}};
    Bytes data(461);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 3 + 1);
    struct Case {
        int16_t length;
        std::vector<std::pair<uint16_t, uint16_t>> frames;  // offset, length
    } cases[] = {
        {460, {{100, 230}, {330, 230}}},
        {461, {{100, 230}, {330, 230}, {560, 1}}},
        {1, {{100, 1}}},
        {0, {}},
    };
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        jx_resp_send_rtd_s response{};
        auto r = Async([&] { return link.JxSendRTD(kAddr, &header, 100, data.data(), c.length, &response, 0x5A); });
        if (first) AnswerSync(kAddr);
        first = false;
        size_t at = 0;
        for (const auto& [offset, length] : c.frames) {
            const Bytes frame = NextCommand(kAddr);
            Bytes expected = Request(255, {{0, {0x80, 17, 0x5A, 1, 2, 3, 4, 5, 6, 7, 8}}, {11, Le16(offset)}, {13, Le16(length)}});
            std::copy_n(data.begin() + at, length, expected.begin() + 25);
            at += length;
            EXPECT_EQ(DataOf(frame), expected);
            peer.Write(JxAck(frame));
        }
        EXPECT_EQ(r.get(), KORNET_OK);
        ExpectSilence();
        EXPECT_EQ(response.subCommand, c.frames.empty() ? 0 : 17);
    }
    EXPECT_TRUE(progress.calls.empty());

    // A refused frame ends the call there.
    jx_resp_send_rtd_s response{};
    auto r = Async([&] { return link.JxSendRTD(kAddr, &header, 0, data.data(), 461, &response, 0); });
    peer.Write(JxAck(NextCommand(kAddr)));
    peer.Write(JxAck(NextCommand(kAddr), 9));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 9);
    ExpectSilence();

    // Lengths that cannot be sent send nothing.
    EXPECT_EQ(link.JxSendRTD(kAddr, &header, 0, data.data(), -5, nullptr, 0), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.JxSendRTD(kAddr, &header, 0, nullptr, 5, nullptr, 0), ERR_NETWORK_NO_WRITE);
    ExpectSilence();
}

TEST_F(JxDisplay, ResetIsRefusedWhileAnotherThreadTransfers)
{
    const Bytes data(500, 0x11);
    auto send = Async([&] { return link.JxSendFile(kAddr, "BIG.BIN", data.data(), 500, nullptr, 0); });
    AnswerSync(kAddr);
    const Bytes header = NextCommand(kAddr);  // the send waits for this reply
    EXPECT_EQ(link.JxResetDisplay(kAddr, 0, 0, nullptr), ERR_COMMAND_BUSY);
    rtd_header_s rtd{};
    EXPECT_EQ(link.JxSendRTD(kAddr, &rtd, 0, data.data(), 10, nullptr, 0), ERR_COMMAND_BUSY);
    uint16_t value = 0;
    uint8_t state = 0;
    EXPECT_EQ(link.JxGetRunningMessage(kAddr, 0, nullptr, value, 0, state), ERR_COMMAND_BUSY);
    peer.Write(JxAck(header));
    for (int block = 1; block <= 3; ++block) peer.Write(JxAck(NextCommand(kAddr)));
    EXPECT_EQ(send.get(), KORNET_OK);
    ExpectSilence();
}

TEST_F(JxDisplay, CommandsNeedAConnection)
{
    link.Disconnect();
    jx_resp_reset_display_s response{};
    response.error = 0x77;
    EXPECT_EQ(link.JxResetDisplay(kAddr, 0, 0, &response), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(link.JxSendFile(kAddr, "A", nullptr, 0, nullptr, 0), ERR_COMMAND_NO_CONNECTION);
    int16_t status = 0;
    EXPECT_EQ(link.JxGetFile(kAddr, "A", status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(response.error, 0x77);
}
}  // namespace
