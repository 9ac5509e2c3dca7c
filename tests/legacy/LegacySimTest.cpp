// The older command set of the library against jxsim: messages and
// schedules stored and fetched back, lists over several blocks, the status,
// and the commands that drive the display or the controller's settings.
#include <ctime>

#include "../sim/SimLinkFixture.h"
#include "families/LegacySign.h"

using jxsim::Bytes;

// Fields of the packed reply and bitmap structures are compared as values
// (unary +): the test macros take references, which a packed field cannot
// give safely.
namespace {
Bytes Numbered(size_t n, unsigned seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 8));
    return b;
}

std::string NameAt(const uint8_t* field)
{
    size_t n = 0;
    while (n < 17 && field[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

// Block requests the controller received since the last ClearCommands.
size_t BlockRequests(const jxsim::CJxSimulator& sim)
{
    size_t n = 0;
    for (const auto& c : sim.Commands())
        if (c.command == 4 && !c.duplicate) ++n;
    return n;
}

class LegacySim : public SimLinkTest {
protected:
    jxsim::CLegacyStores Stores() { return jxsim::LegacyStores(*sim); }
};

TEST_P(LegacySim, MessagesGoAndComeBackWhole)
{
    Start();
    for (size_t size : {0u, 1u, 247u, 248u, 1000u}) {
        SCOPED_TRACE(size);
        const std::string name = "MSG" + std::to_string(size);
        const Bytes data = Numbered(size, static_cast<unsigned>(size));
        resp_send_message_s sent{};
        ASSERT_EQ(link.SendMessage(1, name.c_str(), data.data(), static_cast<int32_t>(size), &sent, 0), KORNET_OK);
        EXPECT_EQ(sent.command, 5);
        const auto stores = Stores();
        ASSERT_EQ(stores.messages.count(name), 1u);
        EXPECT_EQ(stores.messages.at(name).data, data);

        sim->ClearCommands();
        int16_t status = 1;
        resp_retrieve_message_s response{};
        const uint8_t* got = link.GetMessage(1, name.c_str(), status, &response, 0);
        ASSERT_EQ(status, KORNET_OK);
        EXPECT_EQ(+response.length, size);
        EXPECT_EQ(BlockRequests(*sim), (size + 246) / 247);
        if (size == 0) {
            EXPECT_EQ(got, nullptr);
        } else {
            ASSERT_NE(got, nullptr);
            EXPECT_EQ(Bytes(got, got + size), data);
        }
    }
    // The time stamp of the header is kept with the message.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(Stores().messages.at("MSG1").stamp[5], local.tm_year);

    int16_t status = 1;
    resp_retrieve_message_s response{};
    EXPECT_EQ(link.GetMessage(1, "NONE", status, &response, 0), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, jxsim::kErrNotFound);
}

TEST_P(LegacySim, ListOfManyMessagesComesInSeveralBlocks)
{
    Start();
    for (int i = 1; i <= 16; ++i) {
        const std::string name = "M" + std::to_string(100 + i);
        const Bytes data = Numbered(static_cast<size_t>(i) * 10, static_cast<unsigned>(i));
        ASSERT_EQ(link.SendMessage(1, name.c_str(), data.data(), static_cast<int32_t>(data.size()), nullptr, 0),
                  KORNET_OK);
    }
    // A name of 17 characters is stored without a terminator and listed in full.
    const Bytes one = {1};
    ASSERT_EQ(link.SendMessage(1, "SEVENTEEN_LETTERS", one.data(), 1, nullptr, 0), KORNET_OK);

    sim->ClearCommands();
    int16_t status = 1;
    resp_retrieve_messagelist_s response{};
    const messagelist_entry_s* entries = link.GetMessageList(1, status, &response, 0);
    ASSERT_EQ(status, KORNET_OK);
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(+response.entries, 17);
    EXPECT_EQ(BlockRequests(*sim), 3u);  // seven entries a block
    for (int i = 1; i <= 16; ++i) {
        const uint8_t* e = entries[i - 1].bytes;
        EXPECT_EQ(NameAt(e), "M" + std::to_string(100 + i));
        EXPECT_EQ(e[23] | e[24] << 8, i * 10) << "length";
    }
    EXPECT_EQ(NameAt(entries[16].bytes), "SEVENTEEN_LETTERS");

    resp_remove_message_s removed{};
    ASSERT_EQ(link.RemoveMessage(1, "M105", &removed, 0), KORNET_OK);
    EXPECT_EQ(link.RemoveMessage(1, "M105", &removed, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(removed.error, jxsim::kErrNotFound);
    entries = link.GetMessageList(1, status, &response, 0);
    ASSERT_EQ(status, KORNET_OK);
    EXPECT_EQ(+response.entries, 16);
    EXPECT_EQ(NameAt(entries[4].bytes), "M106");
}

TEST_P(LegacySim, SchedulesAreStoredApartAndRun)
{
    Start();
    resp_run_schedule_s run{};
    EXPECT_EQ(link.RunSchedule(1, false, &run, 0), ERR_SIGN_RESPONSE_ERROR) << "nothing to run yet";
    const Bytes data = Numbered(500, 9);
    ASSERT_EQ(link.SendSchedule(1, "NIGHT", true, true, data.data(), 500, nullptr, 0x10), KORNET_OK);
    auto stores = Stores();
    ASSERT_EQ(stores.schedules.count("NIGHT"), 1u);
    EXPECT_EQ(stores.schedules.at("NIGHT").data, data);
    EXPECT_EQ(stores.schedules.at("NIGHT").option, 0x13);
    EXPECT_TRUE(stores.messages.empty()) << "a schedule is not a message";

    ASSERT_EQ(link.RunSchedule(1, true, &run, 7), KORNET_OK);
    stores = Stores();
    EXPECT_TRUE(stores.scheduleRunning);
    EXPECT_EQ(stores.scheduleMode, 2);
    ASSERT_EQ(link.StopSchedule(1, nullptr, 0), KORNET_OK);
    EXPECT_FALSE(Stores().scheduleRunning);
}

TEST_P(LegacySim, CommandsActOnTheControllerAndShowInItsStatus)
{
    jxsim::CSimOptions options;
    options.bootMs = 0;
    Start(options);
    const Bytes data = Numbered(40, 1);
    ASSERT_EQ(link.SendMessage(1, "WELCOME", data.data(), 40, nullptr, 0), KORNET_OK);

    resp_run_message_s run{};
    EXPECT_EQ(link.RunMessage(1, "NONE", &run, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(run.error, jxsim::kErrNotFound);
    ASSERT_EQ(link.RunMessageNumTimes(1, "WELCOME", 3, &run, 1), KORNET_OK);
    EXPECT_EQ(run.command, 6);
    ASSERT_EQ(link.SetDefaultMessage(1, true, "WELCOME", nullptr), KORNET_OK);
    ASSERT_EQ(link.SetDimming(1, 1, 40, nullptr), KORNET_OK);
    ASSERT_EQ(link.SetTempOffset(1, -3, nullptr, 0), KORNET_OK);
    ASSERT_EQ(link.SetLineFreqMode(1, 60, nullptr, 0), KORNET_OK);
    ASSERT_EQ(link.SetSoftwareAddress(1, 42, nullptr, 0), KORNET_OK);
    resp_set_softwareaddress_s address{};
    EXPECT_EQ(link.SetSoftwareAddress(1, 250, &address, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(address.error, jxsim::kErrOutOfRange);
    ASSERT_EQ(link.TestPattern(1, 4, nullptr), KORNET_OK);

    // The controller's clock, an hour ahead of ours.
    const std::time_t ahead = std::time(nullptr) + 3600;
    std::tm local{};
    localtime_r(&ahead, &local);
    const time_s clock{static_cast<uint8_t>(local.tm_sec),  static_cast<uint8_t>(local.tm_min),
                       static_cast<uint8_t>(local.tm_hour), static_cast<uint8_t>(local.tm_mday),
                       static_cast<uint8_t>(local.tm_mon),  static_cast<uint8_t>(local.tm_year)};
    ASSERT_EQ(link.SetTime(1, &clock, nullptr, 0), KORNET_OK);
    EXPECT_NEAR(static_cast<double>(sim->Display().clockOffset), 3600.0, 600.0);

    resp_get_status_s status{};
    ASSERT_EQ(link.GetStatus(1, &status, 0), KORNET_OK);
    const uint8_t* s = reinterpret_cast<const uint8_t*>(&status);
    EXPECT_EQ(s[0], 2);
    EXPECT_EQ(NameAt(s + jxsim::kStatusRunning), "WELCOME");
    EXPECT_EQ(NameAt(s + jxsim::kStatusDefaultMessage), "WELCOME");
    EXPECT_EQ(s[jxsim::kStatusDimming], 40);
    EXPECT_EQ(s[jxsim::kStatusMessages], 1);
    EXPECT_EQ(s[jxsim::kStatusSoftwareAddress], 42);
    EXPECT_EQ(static_cast<int16_t>(s[jxsim::kStatusTempOffset] | s[jxsim::kStatusTempOffset + 1] << 8), -3);
    EXPECT_EQ(s[jxsim::kStatusLineFreqMode], 60);
    EXPECT_EQ(s[jxsim::kStatusTestPattern], 4);
    EXPECT_EQ(s[jxsim::kStatusClock + 2], local.tm_hour);
    EXPECT_EQ(s[jxsim::kStatusAddress], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s + jxsim::kStatusVersion)), "TJX-3.08");

    ASSERT_EQ(link.BlankSign(1, nullptr, 0), KORNET_OK);
    EXPECT_TRUE(sim->Display().blanked);
    ASSERT_EQ(link.StopMessage(1, "WELCOME", nullptr, 0), KORNET_OK);

    counter_info_s counter{};
    for (size_t i = 0; i < sizeof counter.bytes; ++i) counter.bytes[i] = static_cast<uint8_t>(i + 1);
    ASSERT_EQ(link.SetCounter(1, &counter, nullptr), KORNET_OK);
    ASSERT_EQ(link.StartCounter(1, 2, true, nullptr), KORNET_OK);
    ASSERT_EQ(link.SetConfiguration(1, "SIGN", 1, 2, 3, 4, 5, 600, nullptr, 7), KORNET_OK);
    ASSERT_EQ(link.EraseFirmware(1, nullptr, 0), KORNET_OK);
    auto stores = Stores();
    EXPECT_EQ(stores.running, "");
    EXPECT_EQ(stores.counter, Bytes(counter.bytes, counter.bytes + 35));
    EXPECT_TRUE(stores.countersRunning[2]);
    EXPECT_EQ(stores.configuration.name, "SIGN");
    EXPECT_EQ(stores.configuration.c6, 600);
    EXPECT_EQ(stores.configuration.option, 7);
    EXPECT_EQ(stores.firmwareErasures, 1);

    const rtd_header_s header{{9, 8, 7, 6, 5, 4, 3, 2}};
    const Bytes rtd = Numbered(300, 4);
    ASSERT_EQ(link.SendRTD(1, &header, 20, rtd.data(), 300, nullptr, 0), KORNET_OK);
    const auto display = sim->Display();
    ASSERT_EQ(display.rtd.size(), 320u);
    EXPECT_EQ(Bytes(display.rtd.begin() + 20, display.rtd.end()), rtd);
    EXPECT_EQ(display.rtdHeader, Bytes(header.bytes, header.bytes + 8));

    ASSERT_EQ(link.ResetSign(1, 5, true, nullptr), KORNET_OK);
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(Stores().resetA, 5);
    EXPECT_EQ(Stores().messages.count("WELCOME"), 1u) << "messages outlive a reset";

    // Every command arrived under its own name.
    std::vector<std::string> names;
    for (const auto& c : sim->Commands())
        if (c.frameType == 0 && !c.duplicate) names.push_back(c.name);
    for (const char* expected : {"SendMessage header", "store data block", "RunMessage", "SetDefaultMessage",
                                 "SetDimming", "SetTempOffset", "SetLineFreqMode", "SetSoftwareAddress",
                                 "TestPattern", "SetTime", "GetStatus", "BlankSign", "StopMessage", "SetCounter",
                                 "StartCounter", "SetConfiguration", "EraseFirmware", "SendRTD", "ResetSign"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

TEST_P(LegacySim, BroadcastReachesTheControllerWithoutAReply)
{
    Start();
    const Bytes data = {1, 2, 3};
    ASSERT_EQ(link.SendMessage(1, "B", data.data(), 3, nullptr, 0), KORNET_OK);
    resp_run_message_s run;
    std::memset(&run, 0xEE, sizeof run);
    ASSERT_EQ(link.RunMessage(0, "B", &run, 0), KORNET_OK);
    // Sync, header and block of the send, then the broadcast sync and command.
    ASSERT_TRUE(sim->WaitForFrames(5, 2000));
    EXPECT_EQ(Stores().running, "B");
    EXPECT_EQ(run.command, 0xEE);

    int16_t status = 1;
    EXPECT_EQ(link.GetMessage(0, "B", status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NO_BROADCAST);
}

INSTANTIATE_TEST_SUITE_P(Transports, LegacySim, ::testing::Values(SimTransport::Tcp, SimTransport::Pty),
                         TransportName);
}  // namespace
