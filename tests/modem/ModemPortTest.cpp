// The dial-up port against a modem scripted on the master side of a
// pseudo-terminal: the exact AT commands the link sends, and what it makes
// of each answer.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <sys/file.h>

#include "Frames.h"
#include "ModemTestUtil.h"
#include "PtyPeer.h"

namespace {
constexpr uint32_t kLineId = 7;

class ScriptedModem : public ::testing::Test {
protected:
    TempDir dir;
    PtyPeer peer{dir, 9};
    CKorNetwork link;
    CallStates events;
    int held = 0;  // descriptors of the device open before the test

    void SetUp() override
    {
        UseModems("Bench modem | " + peer.SlavePath() + " | 7\n");
        link.SetTimeOut(300);
        link.RegisterEventHandler(&events, 42);
        ASSERT_EQ(link.ConfigureDialup("5551234", kLineId), KORNET_OK);
        held = OpenCount(peer.SlavePath());
    }
    void TearDown() override
    {
        auto d = std::async(std::launch::async, [&] { return link.Disconnect(); });
        // Whatever the test left up is hung up without fuss.
        while (d.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            if (ReadCommand(200).empty()) continue;
            Say("OK");
        }
    }

    void UseModems(const std::string& text)
    {
        WriteWholeFile(dir.File("modems.txt"), text);
        setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);
    }

    // One command line from the link, without its CR; empty when none came.
    std::string ReadCommand(int timeoutMs = 3000)
    {
        std::string line;
        for (;;) {
            const Bytes b = peer.Read(1, timeoutMs);
            if (b.empty()) return line;
            if (b[0] == '\r') return line;
            line.push_back(static_cast<char>(b[0]));
        }
    }
    void Say(const std::string& result)
    {
        const std::string text = "\r\n" + result + "\r\n";
        peer.Write(Bytes(text.begin(), text.end()));
    }
    void Dial(const std::string& result = "CONNECT 33600")
    {
        EXPECT_EQ(ReadCommand(), "AT");
        Say("OK");
        EXPECT_EQ(ReadCommand(), "ATDT5551234");
        Say(result);
    }
    // The modem is in command mode: "AT" answered, then ATH.
    void HangUp()
    {
        EXPECT_EQ(ReadCommand(), "AT");
        Say("OK");
        EXPECT_EQ(ReadCommand(), "ATH");
        Say("OK");
    }
    void Connect()
    {
        auto r = std::async(std::launch::async, [&] { return link.Connect(); });
        Dial();
        ASSERT_EQ(r.get(), KORNET_OK) << LastError(link);
    }
};

TEST_F(ScriptedModem, CallCarriesFramesAndDisconnectHangsUp)
{
    Connect();
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected}));
    EXPECT_EQ(events.Ids(), std::vector<uint32_t>(3, kLineId));
    EXPECT_EQ(events.UserValues(), std::vector<int16_t>(3, 42));
    EXPECT_EQ(LastError(link), "lineGetID was successfull");

    // The frames cross the call as they would a cable.
    auto ping = std::async(std::launch::async, [&] { return link.Ping(4); });
    const Bytes sync = peer.ReadFrame();
    EXPECT_EQ(sync, MakeFrame(4, 0x03));
    peer.Write(sync);
    EXPECT_EQ(ping.get(), KORNET_OK);

    auto d = std::async(std::launch::async, [&] { return link.Disconnect(); });
    HangUp();
    EXPECT_EQ(d.get(), KORNET_OK);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected, kIdle}));
    int32_t code = -1;
    EXPECT_EQ(LastError(link, &code), "lineShutdown was successfull");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(OpenCount(peer.SlavePath()), held);
}

TEST_F(ScriptedModem, InitStringGoesBeforeTheDial)
{
    UseModems("Bench modem | " + peer.SlavePath() + " | 7 | &C1&D2S12=5\n");
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    EXPECT_EQ(ReadCommand(), "AT");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "AT&C1&D2S12=5");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATDT5551234");
    Say("CONNECT");
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(ScriptedModem, EveryWayACallFailsEndsWithTheLineFree)
{
    const struct {
        std::vector<std::string> answers;
        std::vector<uint32_t> states;
        const char* text;
    } cases[] = {
        {{"BUSY"}, {kDialling, kProceeding, kBusy, kIdle}, "Disconnected: Busy"},
        {{"7"}, {kDialling, kProceeding, kBusy, kIdle}, "Disconnected: Busy"},
        {{"RINGING", "NO ANSWER"},
         {kDialling, kProceeding, KORNET_CALLSTATE_RINGBACK, kDisconnected, kIdle},
         "Disconnected: No Answer"},
        {{"NO DIALTONE"}, {kDialling, kProceeding, kDisconnected, kIdle}, "Disconnected: No Dial Tone"},
        {{"NO CARRIER"}, {kDialling, kProceeding, kDisconnected, kIdle}, "Disconnected: Unknown reason"},
        {{"ERROR"}, {kDialling, kProceeding, kDisconnected, kIdle}, "Disconnected: Bad Address"},
        {{"DELAYED 30"}, {kDialling, kProceeding, KORNET_CALLSTATE_SPECIALINFO, kIdle}, "Disconnected: Unavail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.back());
        events.Clear();
        auto r = std::async(std::launch::async, [&] { return link.Connect(); });
        EXPECT_EQ(ReadCommand(), "AT");
        Say("OK");
        EXPECT_EQ(ReadCommand(), "ATDT5551234");
        for (const auto& a : c.answers) Say(a);
        HangUp();  // the modem is told to go on-hook, whatever it said
        EXPECT_EQ(r.get(), ERR_NETWORK_CONNECT_FAILED);
        EXPECT_EQ(events.States(), c.states);
        int32_t code = -1;
        EXPECT_EQ(LastError(link, &code), c.text);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(OpenCount(peer.SlavePath()), held) << "the device stayed open";
        EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
    }
}

TEST_F(ScriptedModem, FarEndHangingUpBetweenFramesEndsTheCall)
{
    Connect();
    Say("NO CARRIER");
    ASSERT_TRUE(WaitReadable(peer.SlavePath(), 14));
    auto ping = std::async(std::launch::async, [&] { return link.Ping(1); });
    HangUp();
    EXPECT_EQ(ping.get(), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected, kDisconnected, kIdle}));
    EXPECT_EQ(LastError(link), "Remote Party Disconnected");
    EXPECT_EQ(OpenCount(peer.SlavePath()), held);
    // The link still counts as connected until Disconnect: commands fail
    // on the line, not for want of a connection.
    EXPECT_EQ(link.Ping(1), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.Disconnect(), KORNET_OK);
    EXPECT_TRUE(peer.Drain(50).empty());
}

TEST_F(ScriptedModem, TheWordsInsideAReplyAreData)
{
    Connect();
    auto r = std::async(std::launch::async, [&] {
        const uint8_t request[] = {0x80, 0x17};
        uint8_t reply[20] = {};
        const int16_t s = link.GenericCommand(2, request, 2, reply, sizeof reply);
        return std::make_pair(s, std::string(reinterpret_cast<char*>(reply) + 3, 14));
    });
    const Bytes sync = peer.ReadFrame();
    peer.Write(sync);
    const Bytes req = peer.ReadFrame();
    const std::string words = "\r\nNO CARRIER\r\n";
    Bytes data = {0x80, 0x17, 0x00};
    data.insert(data.end(), words.begin(), words.end());
    peer.Write(MakeFrame(2, static_cast<uint8_t>((req[4] & 0xF0) | 1), data));
    const auto [status, text] = r.get();
    EXPECT_EQ(status, KORNET_OK);
    EXPECT_EQ(text, words);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected}));
}

TEST_F(ScriptedModem, EscapeSequenceWhenTheModemStaysInTheCall)
{
    UseModems("Bench modem | " + peer.SlavePath() + " | 7 | S12=5\n");  // guard time 100 ms
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    EXPECT_EQ(ReadCommand(), "AT");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATS12=5");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATDT5551234");
    Say("CONNECT 9600");
    ASSERT_EQ(r.get(), KORNET_OK);

    auto d = std::async(std::launch::async, [&] { return link.Disconnect(); });
    // A modem that ignored DTR passes "AT" down the line and stays silent...
    EXPECT_EQ(ReadCommand(), "AT");
    // ...until the escape, which it answers after its guard time.
    EXPECT_EQ(peer.Read(3), Bytes({'+', '+', '+'}));
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATH");
    Say("OK");
    EXPECT_EQ(d.get(), KORNET_OK);
    EXPECT_EQ(events.States().back(), kIdle);
}

TEST_F(ScriptedModem, HangUpThatNobodyAnswersIsReported)
{
    UseModems("Bench modem | " + peer.SlavePath() + " | 7 | S12=5\n");
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    EXPECT_EQ(ReadCommand(), "AT");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATS12=5");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATDT5551234");
    Say("CONNECT");
    ASSERT_EQ(r.get(), KORNET_OK);

    EXPECT_EQ(link.Disconnect(), ERR_NETWORK_DISCONNECT_INVALID);
    EXPECT_EQ(peer.Drain(50), Bytes({'A', 'T', '\r', '+', '+', '+', 'A', 'T', '\r'}));
    int32_t code = 0;
    EXPECT_EQ(LastError(link, &code), "lineDrop failed. The TAPI operation failed.");
    EXPECT_EQ(code, static_cast<int32_t>(0x80000048u));
    // The line is not reported free, but the device is let go.
    EXPECT_EQ(events.States().back(), kConnected);
    EXPECT_EQ(OpenCount(peer.SlavePath()), held);
}

TEST_F(ScriptedModem, AbortEndsTheDialling)
{
    ASSERT_EQ(link.SetDialupCallLimit(600000), KORNET_OK);
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    EXPECT_EQ(ReadCommand(), "AT");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATDT5551234");
    ASSERT_TRUE(events.WaitFor(kProceeding));
    link.Abort();
    EXPECT_EQ(ReadCommand(), "");  // any character ends the dialling
    Say("NO CARRIER");
    HangUp();
    EXPECT_EQ(r.get(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kIdle}));
    EXPECT_EQ(LastError(link), "lineGetCallStatus failed. The TAPI operation failed.");
}

TEST_F(ScriptedModem, SilentModemFailsWithinTheCallLimit)
{
    ASSERT_EQ(link.SetDialupCallLimit(400), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(LastError(link), "lineOpen failed. The TAPI operation failed.");
    EXPECT_TRUE(events.States().empty());
    EXPECT_EQ(OpenCount(peer.SlavePath()), held);
    // The limit stays with the link when it is configured for dial-up again.
    ASSERT_EQ(link.ConfigureDialup("5551234", kLineId), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
}

TEST_F(ScriptedModem, InitStringTheModemRefuses)
{
    UseModems("Bench modem | " + peer.SlavePath() + " | 7 | ATX9\n");
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    EXPECT_EQ(ReadCommand(), "AT");
    Say("OK");
    EXPECT_EQ(ReadCommand(), "ATX9");
    Say("ERROR");
    EXPECT_EQ(r.get(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(LastError(link), "lineMakeCall failed. The TAPI operation failed.");
    EXPECT_TRUE(peer.Drain(50).empty()) << "dialled after all";
    EXPECT_TRUE(events.States().empty());
}

TEST_F(ScriptedModem, CallsThatCannotStart)
{
    const int fd = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    const struct {
        std::string modems;
        const char* number;
        const char* text;
        int32_t code;
    } cases[] = {
        {"", "5551234", "There are no telephony devices installed.", 0},
        {"# none yet\n\n", "5551234", "There are no telephony devices installed.", 0},
        {"not a modem line\nBench | nowhere | x\n", "5551234",
         "lineInitialize failed.  The values in the INI file are invalid.", static_cast<int32_t>(0x8000000Eu)},
        {"Other | /dev/null | 8\n", "5551234", "Error on Requested line", 0},
        {"Voice | " + peer.SlavePath() + " | 7 | | no\n", "5551234",
         "The configured line doesn't support LINEMEDIAMODE_DATAMODEM capabilities", 0},
        {"Gone | " + dir.File("no-such-tty") + " | 7\n", "5551234",
         "lineOpen failed. There is a problem with your Telephony device driver.", static_cast<int32_t>(0x80000043u)},
        {"Held | " + peer.SlavePath() + " | 7\n", "5551234",
         "lineOpen failed. A TAPI resource is unavailable at this time.", static_cast<int32_t>(0x8000004Bu)},
        {"Bench | " + peer.SlavePath() + " | 7\n", "", "Disconnected: Bad Address", 0},
        {"Bench | " + peer.SlavePath() + " | 7\n", "555;ATH", "Disconnected: Bad Address", 0},
        {"Bench | " + peer.SlavePath() + " | 7\n", "555\r\nATS0=1", "Disconnected: Bad Address", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modems + " / " + c.number);
        UseModems(c.modems);
        ASSERT_EQ(link.ConfigureDialup(c.number, kLineId), KORNET_OK);
        EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
        int32_t code = -1;
        EXPECT_EQ(LastError(link, &code), c.text);
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(events.States().empty());
    }
    close(fd);
    EXPECT_TRUE(peer.Drain(50).empty()) << "a call that could not start wrote to the modem";
}

TEST_F(ScriptedModem, ModemList)
{
    const std::string longName(60, 'L');
    UseModems("# name | device | line id | init | data\n"
              "Bench modem | /dev/ttyS0 | 7\n" +
              longName + " | COM3 | 0x10 | ATZ | yes\n" +
              " | /dev/ttyS1 | 3\n"
              "Voice line | /dev/ttyS2 | 4 | | no\n"
              "half a line | /dev/ttyS3\n"
              "Fast | COM4@57600 | 4294967295 | | data\n");
    int16_t status = 1;
    int16_t count = -1;
    const modemlist_entry_s* list = link.GetModemList(status, count);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(status, KORNET_OK);
    ASSERT_EQ(count, 4);
    const struct {
        std::string name;
        uint32_t id;
    } expected[] = {{"Bench modem", 7}, {std::string(50, 'L'), 16}, {"Unknown Device", 3}, {"Fast", 4294967295u}};
    for (int i = 0; i < 4; ++i) {
        char name[50] = {};
        std::memcpy(name, expected[i].name.data(), std::min<size_t>(50, expected[i].name.size()));
        EXPECT_EQ(std::memcmp(list[i].name, name, 50), 0) << i;  // zero-filled after a shorter name
        EXPECT_EQ(+list[i].dialupId, expected[i].id) << i;
    }
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(list);
    EXPECT_EQ(raw[54 + 50], 0x10);  // the second entry's id, right after its 50 name bytes

    // The dial-up panel lists the modems of a link configured without a number.
    ASSERT_EQ(link.ConfigureDialup("", 0), KORNET_OK);
    EXPECT_NE(link.GetModemList(status, count), nullptr);
    EXPECT_EQ(count, 4);

    UseModems("");
    EXPECT_EQ(link.GetModemList(status, count), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(LastError(link), "There are no telephony devices installed.");

    ASSERT_EQ(link.ConfigureDirect(9, 19200, false), KORNET_OK);
    status = 1;
    count = 5;
    EXPECT_EQ(link.GetModemList(status, count), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(link.SetDialupCallLimit(1000), ERR_COMMAND_NOT_CONFIGURED);
}

TEST_F(ScriptedModem, ConfigureWhileConnectedIsRefused)
{
    Connect();
    EXPECT_EQ(link.ConfigureDialup("5550000", kLineId), ERR_COMMAND_ALREADY_CONNECTED);
    int16_t status = 0;
    int16_t count = 0;
    EXPECT_NE(link.GetModemList(status, count), nullptr) << "the list is there during a call";
    EXPECT_EQ(count, 1);
    auto d = std::async(std::launch::async, [&] { return link.Disconnect(); });
    HangUp();
    EXPECT_EQ(d.get(), KORNET_OK);
}
}  // namespace
