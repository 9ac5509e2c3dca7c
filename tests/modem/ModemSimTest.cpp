// Dial-up calls to jxsim's modem on a pseudo-terminal: the library against
// a modem and a controller in software, and the modem's own AT dialogue.
#include <gtest/gtest.h>

#include <future>
#include <poll.h>
#include <termios.h>

#include "Frames.h"
#include "ModemTestUtil.h"
#include "TempDir.h"
#include "frontends/CSimModem.h"
#include "jxsim/CJxSimulator.h"

using jxsim::CJxSimulator;
using jxsim::CSimOptions;
using jxsim::SimModemHangUp;
using jxsim::SimModemState;

namespace {
constexpr const char* kNumbers = "5550000=busy,5551111=no-answer,5552222=no-dialtone,5553333=ring";

class DialupSim : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<CJxSimulator> sim;
    CKorNetwork link;
    CallStates events;

    void Start(const std::string& init = "", uint32_t lineId = 7)
    {
        CSimOptions o;
        o.frontEnd = "modem";
        o.frontEndValue = kNumbers;
        sim = std::make_unique<CJxSimulator>(o);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        ASSERT_TRUE(sim->OpenPty()) << sim->Error();
        WriteWholeFile(dir.File("modems.txt"),
                       "Sim modem | " + sim->PtyPath() + " | " + std::to_string(lineId) + " | " + init + "\n");
        setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);
        link.SetTimeOut(300);
        link.RegisterEventHandler(&events, 5);
    }
    void TearDown() override
    {
        link.Disconnect();
        if (sim) sim->Stop();
    }
    jxsim::CSimModemState Modem() const { return SimModemState(*sim); }
};

Bytes Pattern(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return b;
}

TEST_F(DialupSim, FileRoundTripOverACall)
{
    Start();
    ASSERT_EQ(link.ConfigureDialup("555-1234", 7), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK) << LastError(link);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected}));
    EXPECT_TRUE(Modem().online);
    EXPECT_EQ(Modem().lastNumber, "5551234");

    const Bytes data = Pattern(3000);  // 13 blocks, bytes 0x55 and 0x2B among them
    EXPECT_EQ(link.JxSendFile(1, "MODEM.BIN", data.data(), static_cast<int32_t>(data.size()), nullptr, 0), KORNET_OK);
    jxsim::Bytes stored;
    ASSERT_TRUE(sim->GetFile("MODEM.BIN", stored));
    EXPECT_EQ(stored, data);
    int16_t status = -1;
    jx_resp_retrieve_file_s header{};
    const uint8_t* back = link.JxGetFile(1, "MODEM.BIN", status, &header, 0);
    ASSERT_EQ(status, KORNET_OK);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Bytes(back, back + header.length), data);

    EXPECT_EQ(link.Disconnect(), KORNET_OK);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected, kIdle}));
    const auto m = Modem();
    EXPECT_FALSE(m.offHook);
    EXPECT_EQ(m.connects, 1);
    // Dropping DTR hangs up; should the modem have missed the drop, the
    // escape and ATH do it.
    EXPECT_EQ(m.dtrHangUps + m.commandHangUps, 1);
}

TEST_F(DialupSim, BusyNumberFailsAndLeavesNothingOpen)
{
    Start();
    const int before = OpenCount(sim->PtyPath());
    ASSERT_EQ(link.ConfigureDialup("5550000", 7), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kBusy, kIdle}));
    EXPECT_EQ(LastError(link), "Disconnected: Busy");
    EXPECT_EQ(OpenCount(sim->PtyPath()), before);
    EXPECT_FALSE(Modem().offHook);
    EXPECT_EQ(Modem().connects, 0);

    // The modem is free for the next call at once.
    ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
    EXPECT_EQ(link.Connect(), KORNET_OK) << LastError(link);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
}

TEST_F(DialupSim, NumbersThatDoNotConnect)
{
    Start();
    const struct {
        const char* number;
        uint32_t state;
        const char* text;
    } cases[] = {
        {"5551111", kDisconnected, "Disconnected: No Answer"},
        {"5552222", kDisconnected, "Disconnected: No Dial Tone"},
        {"5550000", kBusy, "Disconnected: Busy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        events.Clear();
        ASSERT_EQ(link.ConfigureDialup(c.number, 7), KORNET_OK);
        EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
        EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, c.state, kIdle}));
        EXPECT_EQ(LastError(link), c.text);
    }
    EXPECT_EQ(Modem().dials, 3);
}

TEST_F(DialupSim, TwoCallsInARow)
{
    Start();
    ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        ASSERT_EQ(link.Connect(), KORNET_OK) << LastError(link);
        EXPECT_EQ(link.Ping(1), KORNET_OK);
        EXPECT_EQ(link.Disconnect(), KORNET_OK);
        EXPECT_EQ(LastError(link), "lineShutdown was successfull");
    }
    const std::vector<uint32_t> one = {kDialling, kProceeding, kConnected, kIdle};
    std::vector<uint32_t> two = one;
    two.insert(two.end(), one.begin(), one.end());
    EXPECT_EQ(events.States(), two);
    EXPECT_EQ(Modem().connects, 2);
    EXPECT_FALSE(Modem().offHook);
}

TEST_F(DialupSim, RemoteHangUpMidSession)
{
    Start();
    ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    ASSERT_EQ(link.Ping(1), KORNET_OK);
    ASSERT_TRUE(SimModemHangUp(*sim));
    EXPECT_FALSE(SimModemHangUp(*sim)) << "no call left to end";

    int16_t status = 0;
    EXPECT_EQ(link.JxGetFile(1, "CONFIG.XML", status, nullptr, 0), nullptr);
    EXPECT_TRUE(status == ERR_NETWORK_NO_WRITE || status == ERR_NETWORK_NO_READ) << status;
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kConnected, kDisconnected, kIdle}));
    EXPECT_EQ(LastError(link), "Remote Party Disconnected");
    EXPECT_EQ(link.Ping(1), ERR_NETWORK_NO_WRITE) << "the link stays connected until Disconnect";
    EXPECT_EQ(link.Connect(), ERR_COMMAND_ALREADY_CONNECTED);

    EXPECT_EQ(link.Disconnect(), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
    EXPECT_EQ(Modem().remoteHangUps, 1);
}

TEST_F(DialupSim, LineCutInTheMiddleOfATransfer)
{
    Start();
    ASSERT_TRUE(sim->PutFile("BIG.BIN", Pattern(5000)));
    ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    sim->CloseAfterBlocks(3);
    int16_t status = 0;
    EXPECT_EQ(link.JxGetFile(1, "BIG.BIN", status, nullptr, 0), nullptr);
    EXPECT_TRUE(status == ERR_NETWORK_NO_WRITE || status == ERR_NETWORK_NO_READ) << status;
    EXPECT_TRUE(events.WaitFor(kDisconnected, 0));
    EXPECT_FALSE(Modem().offHook);
}

TEST_F(DialupSim, EscapeAndHangUpWhenTheModemIgnoresDtr)
{
    Start("AT&D0S12=5");
    ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK) << LastError(link);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
    EXPECT_EQ(link.Disconnect(), KORNET_OK);
    const auto m = Modem();
    EXPECT_EQ(m.escapes, 1);
    EXPECT_EQ(m.commandHangUps, 1);
    EXPECT_EQ(m.dtrHangUps, 0);
    EXPECT_FALSE(m.offHook);
    EXPECT_EQ(events.States().back(), kIdle);
}

TEST_F(DialupSim, CallLimitEndsARingingCall)
{
    Start();
    ASSERT_EQ(link.ConfigureDialup("5553333", 7), KORNET_OK);
    ASSERT_EQ(link.SetDialupCallLimit(500), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(events.States(), (std::vector<uint32_t>{kDialling, kProceeding, kIdle}));
    EXPECT_EQ(LastError(link), "lineGetCallStatus failed. The TAPI operation failed.");
    EXPECT_FALSE(Modem().offHook) << "the dialling was not called off";
}

TEST_F(DialupSim, AbortEndsARingingCall)
{
    Start();
    ASSERT_EQ(link.ConfigureDialup("5553333", 7), KORNET_OK);
    ASSERT_EQ(link.SetDialupCallLimit(600000), KORNET_OK);
    auto r = std::async(std::launch::async, [&] { return link.Connect(); });
    ASSERT_TRUE(events.WaitFor(kProceeding));
    link.Abort();
    EXPECT_EQ(r.get(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_FALSE(Modem().offHook);
    EXPECT_EQ(events.States().back(), kIdle);
}

TEST_F(DialupSim, LogFileOfADialupLink)
{
    Start("", 3);
    ASSERT_EQ(mkdir(dir.File("logs").c_str(), 0755), 0);
    link.EnableDiagnostics(false, dir.File("logs").c_str());
    ASSERT_EQ(link.ConfigureDialup("5551234", 3), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    ASSERT_EQ(link.Ping(1), KORNET_OK);
    const std::string log = ReadWholeFile(dir.File("logs/Dialup ID3 #5551234.txt"));
    EXPECT_NE(log.find("Sent:    55 AA 1 0 3 FD\nRecv'd:  55 AA 1 0 3 FD\nError Status: KORNET_OK\n"), std::string::npos)
        << log;
}

// ---------------------------------------------------------------------------
// The modem itself, byte for byte from the host's side.
// ---------------------------------------------------------------------------
class ModemHost {
public:
    explicit ModemHost(const std::string& path)
    {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        SetSpeed(B19200);
    }
    ~ModemHost()
    {
        if (m_fd >= 0) close(m_fd);
    }
    void SetSpeed(speed_t speed)
    {
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    void Send(const std::string& text) { ASSERT_EQ(write(m_fd, text.data(), text.size()), ssize_t(text.size())); }
    void Send(const Bytes& bytes) { ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Exactly `count` bytes, or what came within `timeoutMs`.
    std::string Read(size_t count, int timeoutMs = 3000)
    {
        std::string out;
        for (int waited = 0; out.size() < count && waited < timeoutMs; waited += 10) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            char buf[256];
            const ssize_t n = read(m_fd, buf, std::min(sizeof buf, count - out.size()));
            if (n > 0) out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }
    std::string Exchange(const std::string& command, size_t replyLength)
    {
        Send(command);
        return Read(replyLength);
    }

private:
    int m_fd = -1;
};

template <class F>
bool Eventually(F condition)
{
    for (int i = 0; i < 500; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SimModem, CommandDialogue)
{
    CSimOptions o;
    o.frontEnd = "modem";
    o.frontEndValue = kNumbers;
    CJxSimulator sim(o);
    ASSERT_TRUE(sim.OpenPty()) << sim.Error();
    ModemHost host(sim.PtyPath());
    const struct {
        const char* command;
        const char* reply;
    } dialogue[] = {
        {"AT\r", "AT\r\r\nOK\r\n"},  // echo on at first
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"AT\r", "\r\nOK\r\n"},
        {"ATZ\r", "\r\nOK\r\n"},
        {"ATE0V0\r", "ATE0V0\r0\r"},  // the echo was back after ATZ; numeric results now
        {"ATS7=30S7?\r", "030\r\n0\r"},
        {"ATJ\r", "4\r"},
        {"noise AT&F\r", "\r\nOK\r\n"},  // what comes before AT is not a command; &F restores echo
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"ATI\r", "\r\nJXSIM HAYES MODEM\r\n\r\nOK\r\n"},
        {"AT&C1&D2\\N3%C0+FCLASS=0;X4M0L1\r", "\r\nOK\r\n"},
        {"AT&D9\r", "\r\nERROR\r\n"},
        {"ATD\r", "\r\nERROR\r\n"},
        {"ATDT5550000\r", "\r\nBUSY\r\n"},
        {"ATDT 555-1111\r", "\r\nNO ANSWER\r\n"},
        {"ATDP5552222\r", "\r\nNO DIALTONE\r\n"},
        {"ATDT5551234;\r", "\r\nOK\r\n"},  // a voice call returns to command mode
        {"ATO\r", "\r\nERROR\r\n"},        // no call to go back to
        {"ATS12=5\r", "\r\nOK\r\n"},       // guard time 100 ms
        {"ATDT5551234\r", "\r\nCONNECT 33600\r\n"},
    };
    for (const auto& step : dialogue) {
        SCOPED_TRACE(step.command);
        EXPECT_EQ(host.Exchange(step.command, std::strlen(step.reply)), step.reply);
    }
    EXPECT_TRUE(SimModemState(sim).online);

    // The line carries the controller, '+' bytes right after data included.
    const Bytes sync = MakeFrame(1, 0x03);
    host.Send(sync);
    EXPECT_EQ(host.Read(6), std::string(sync.begin(), sync.end()));
    Bytes withPluses = sync;
    withPluses.insert(withPluses.end(), {'+', '+', '+'});
    withPluses.insert(withPluses.end(), sync.begin(), sync.end());
    host.Send(withPluses);
    EXPECT_EQ(host.Read(12), std::string(sync.begin(), sync.end()) + std::string(sync.begin(), sync.end()));
    EXPECT_EQ(SimModemState(sim).escapes, 0);

    // Guard time, +++, guard time: back to command mode with the call up.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(host.Exchange("+++", 6), "\r\nOK\r\n");
    EXPECT_TRUE(SimModemState(sim).offHook);
    EXPECT_FALSE(SimModemState(sim).online);
    EXPECT_EQ(host.Exchange("ATO\r", 17), "\r\nCONNECT 33600\r\n");
    host.Send(sync);
    EXPECT_EQ(host.Read(6), std::string(sync.begin(), sync.end()));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(host.Exchange("+++", 6), "\r\nOK\r\n");
    EXPECT_EQ(host.Exchange("ATH\r", 6), "\r\nOK\r\n");
    const auto m = SimModemState(sim);
    EXPECT_FALSE(m.offHook);
    EXPECT_EQ(m.escapes, 2);
    EXPECT_EQ(m.commandHangUps, 1);
    EXPECT_EQ(m.dials, 5);
    EXPECT_EQ(m.connects, 1);
    // On hook, frames reach no controller.
    host.Send(sync);
    EXPECT_EQ(host.Read(6, 300), "");
}

TEST(SimModem, DroppingDtrHangsUp)
{
    CSimOptions o;
    o.frontEnd = "modem";
    o.frontEndValue = "";
    CJxSimulator sim(o);
    ASSERT_TRUE(sim.OpenPty()) << sim.Error();
    ModemHost host(sim.PtyPath());
    EXPECT_EQ(host.Exchange("ATE0DT0123\r", 28), "ATE0DT0123\r\r\nCONNECT 33600\r\n");
    host.SetSpeed(B0);  // DTR down, as a serial port drops it
    EXPECT_TRUE(Eventually([&] { return !SimModemState(sim).offHook; }));
    EXPECT_EQ(SimModemState(sim).dtrHangUps, 1);
    host.SetSpeed(B19200);
    EXPECT_TRUE(Eventually([&] { return !SimModemState(sim).dtrLow; }));
    EXPECT_EQ(host.Exchange("AT\r", 6), "\r\nOK\r\n");
    // A far-end hang-up is told to the host.
    EXPECT_EQ(host.Exchange("ATDT0123\r", 17), "\r\nCONNECT 33600\r\n");
    EXPECT_TRUE(SimModemHangUp(sim));
    EXPECT_EQ(host.Read(14), "\r\nNO CARRIER\r\n");
}

TEST(SimModem, NumbersOptionIsChecked)
{
    const struct {
        const char* value;
        const char* error;
    } cases[] = {
        {"5550000=engaged",
         "--modem: \"5550000=engaged\": the result is one of connect, busy, no-answer, no-dialtone, no-carrier, ring"},
        {"x=busy", "--modem: \"x=busy\": \"x\" is not a phone number"},
        {"dial-ms=soon", "--modem: \"dial-ms=soon\": dial-ms is a number of milliseconds from 0 to 600000"},
    };
    for (const auto& c : cases) {
        CSimOptions o;
        o.frontEnd = "modem";
        o.frontEndValue = c.value;
        CJxSimulator sim(o);
        EXPECT_FALSE(sim.OpenPty());
        EXPECT_EQ(sim.Error(), c.error);
    }
    CSimOptions plain;
    CJxSimulator without(plain);
    ASSERT_TRUE(without.OpenPty());
    EXPECT_FALSE(SimModemState(without).present);
    EXPECT_FALSE(SimModemHangUp(without));
}
}  // namespace
