// Jx display and playlist commands, reset and line speed, library against
// jxsim: each command shows in the state of the display it drives.
#include <cstring>

#include "SimLinkFixture.h"

using jxsim::Bytes;

class SimLinkDisplay : public SimLinkTest {};

TEST_P(SimLinkDisplay, CommandsDriveTheDisplay)
{
    Start();
    ASSERT_TRUE(sim->PutFile("B.MSG", {'B'}));
    ASSERT_TRUE(sim->PutFile("NIGHT.SCH", {'S'}));

    jx_resp_blank_display_s blank{};
    ASSERT_EQ(link.JxBlankDisplay(1, 1, &blank), KORNET_OK);
    EXPECT_EQ(blank.subCommand, 10);
    EXPECT_TRUE(sim->Display().blanked);
    ASSERT_EQ(link.JxBlankDisplay(1, 0, nullptr), KORNET_OK);
    EXPECT_FALSE(sim->Display().blanked);

    ASSERT_EQ(link.JxSetDimming(1, 1, 55, nullptr), KORNET_OK);
    EXPECT_EQ(sim->Display().dimmingMode, 1);
    EXPECT_EQ(sim->Display().dimmingLevel, 55);
    jx_resp_set_dimming_s dim{};
    EXPECT_EQ(link.JxSetDimming(1, 1, 101, &dim), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(dim.error, 8);
    EXPECT_EQ(sim->Display().dimmingLevel, 55);

    ASSERT_EQ(link.JxSetDisplayMode(1, 1, 2, nullptr), KORNET_OK);
    EXPECT_EQ(sim->Display().displayModeA, 1);
    EXPECT_EQ(sim->Display().displayModeB, 2);

    const uint32_t t = static_cast<uint32_t>(time(nullptr)) + 3600;
    ASSERT_EQ(link.JxSetTime(1, t, nullptr, 0), KORNET_OK);
    EXPECT_TRUE(sim->Display().clockSet);
    EXPECT_NEAR(static_cast<double>(sim->Display().clockOffset), 3600.0, 600.0);

    jx_resp_run_schedule_s run{};
    EXPECT_EQ(link.JxRunSchedule(1, "DAY.SCH", &run, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(run.error, 2);
    ASSERT_EQ(link.JxRunSchedule(1, "NIGHT.SCH", nullptr, 0), KORNET_OK);
    EXPECT_EQ(sim->Display().schedule, "NIGHT.SCH");
    ASSERT_EQ(link.JxStopSchedule(1, nullptr, nullptr, 0), KORNET_OK);
    EXPECT_EQ(sim->Display().schedule, "");

    ASSERT_EQ(link.JxSelectFrame(1, 3, 500, "B.MSG", nullptr), KORNET_OK);
    EXPECT_EQ(sim->Display().frameA, 3);
    EXPECT_EQ(sim->Display().frameW, 500);
    EXPECT_EQ(sim->Display().frameName, "B.MSG");
}

TEST_P(SimLinkDisplay, PlaylistRunsMovesAndStops)
{
    Start();
    ASSERT_TRUE(sim->PutFile("B.MSG", {'B'}));
    char name[110];
    uint16_t value = 0xFFFF;
    uint8_t state = 0xFF;
    ASSERT_EQ(link.JxGetRunningMessage(1, 0, name, value, 0, state), KORNET_OK);
    EXPECT_EQ(state, 1);  // nothing to show

    jx_resp_add_to_playlist_s add{};
    EXPECT_EQ(link.JxRunMessage(1, "NONE.MSG", 1, 2, 3, 4, 5, 6, 7, &add, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(add.error, 2);
    ASSERT_EQ(link.JxRunMessage(1, "WELCOME.MSG", 1, 2, 3, 4, 5, 6, 77, nullptr, 9), KORNET_OK);
    ASSERT_EQ(link.JxRunMessage(1, "B.MSG", 0, 0, 0, 0, 0, 0, 88, nullptr, 0), KORNET_OK);
    auto playlist = sim->Display().playlist;
    ASSERT_EQ(playlist.size(), 2u);
    EXPECT_EQ(playlist[0].name, "WELCOME.MSG");
    EXPECT_EQ(Bytes(playlist[0].p, playlist[0].p + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(playlist[0].value, 77u);
    EXPECT_EQ(playlist[0].option, 9);

    ASSERT_EQ(link.JxMoveMessage(1, "B.MSG", 0, 0, nullptr, 0), KORNET_OK);
    std::memset(name, 'x', sizeof name);
    ASSERT_EQ(link.JxGetRunningMessage(1, 0, name, value, 0, state), KORNET_OK);
    EXPECT_EQ(state, 0);
    EXPECT_STREQ(name, "B.MSG");
    EXPECT_EQ(value, 0);  // first in the playlist

    jx_resp_move_playlist_s move{};
    EXPECT_EQ(link.JxMoveMessage(1, "B.MSG", 0, 5, &move, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(move.error, 8);
    ASSERT_EQ(link.JxStopMessage(1, "WELCOME.MSG", 0, nullptr, 0), KORNET_OK);
    ASSERT_EQ(sim->Display().playlist.size(), 1u);
    jx_resp_remove_from_playlist_s stop{};
    EXPECT_EQ(link.JxStopMessage(1, "WELCOME.MSG", 0, &stop, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(stop.error, 2);
    ASSERT_EQ(link.JxStopMessage(1, nullptr, 0, nullptr, 0), KORNET_OK);
    EXPECT_TRUE(sim->Display().playlist.empty());
}

TEST_P(SimLinkDisplay, RealTimeDataLandsAtItsOffsets)
{
    Start();
    Bytes data(461);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
    rtd_header_s header{{1, 2, 3, 4, 5, 6, 7, 8}};
    ASSERT_EQ(link.JxSendRTD(1, &header, 100, data.data(), 461, nullptr, 0), KORNET_OK);
    const auto d = sim->Display();
    ASSERT_EQ(d.rtd.size(), 561u);
    EXPECT_EQ(Bytes(d.rtd.begin() + 100, d.rtd.end()), data);
    EXPECT_EQ(d.rtdHeader, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_P(SimLinkDisplay, ResetRebootsTheController)
{
    jxsim::CSimOptions o;
    o.bootMs = 60000;
    Start(o, 150);
    link.SetMaxNumberOfRetries(0);
    ASSERT_EQ(link.JxRunMessage(1, "WELCOME.MSG", 0, 0, 0, 0, 0, 0, 0, nullptr, 0), KORNET_OK);
    jx_resp_reset_display_s r{};
    ASSERT_EQ(link.JxResetDisplay(1, 1, 0, &r), KORNET_OK);
    EXPECT_EQ(r.subCommand, 11);
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(sim->Display().lastResetA, 1);
    EXPECT_TRUE(sim->Display().playlist.empty());
    EXPECT_EQ(link.Ping(1), ERR_SIGN_NO_RESPONSE);  // still booting
}

TEST_P(SimLinkDisplay, ControllerSettledAfterBootAnswersAgain)
{
    jxsim::CSimOptions o;
    o.bootMs = 0;
    Start(o);
    ASSERT_EQ(link.JxResetDisplay(1, 1, 0, nullptr), KORNET_OK);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
    EXPECT_EQ(sim->ResetCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Transports, SimLinkDisplay,
                         ::testing::Values(SimTransport::Tcp, SimTransport::Pty, SimTransport::Modem), TransportName);

// Baud rate detection needs a controller that is deaf at the wrong speed.
class SimLinkSpeed : public SimLinkTest {};

TEST_P(SimLinkSpeed, AnswersOnlyAtItsOwnSpeed)
{
    Start({}, 150, 9600);
    link.SetMaxNumberOfRetries(0);
    EXPECT_EQ(link.Ping(1), ERR_SIGN_NO_RESPONSE);
    Reconnect(19200);
    ASSERT_EQ(link.Ping(1), KORNET_OK);

    // The reply to the change still comes at the old speed.
    ASSERT_EQ(link.SetBaudRate(1, 57600), KORNET_OK);
    EXPECT_EQ(sim->Baud(), 57600u);
    EXPECT_EQ(link.Ping(1), ERR_SIGN_NO_RESPONSE);
    Reconnect(57600);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
    EXPECT_EQ(link.SetBaudRate(1, 12345), ERR_SIGN_BAD_COMMAND);
}

// Not over the modem: in a call the modem stands between the host's port speed and the controller's line speed.
INSTANTIATE_TEST_SUITE_P(Serial, SimLinkSpeed, ::testing::Values(SimTransport::Pty), TransportName);
