// Peers that never finish a reply: bytes that trickle in just inside the
// per-byte time-out, a header announcing data that comes too slowly, a flood
// that never holds a start byte. One attempt must end at the reply's overall
// limit, and Abort must end the wait within a fraction of a time-out, over
// every transport: TCP, a serial line (pseudo-terminal) and a modem call.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "../modem/ModemTestUtil.h"
#include "Frames.h"
#include "KorNet.h"
#include "PtyPeer.h"
#include "TcpPeer.h"

namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

enum class Line { Tcp, Serial, Modem };

const char* Name(Line line)
{
    switch (line) {
    case Line::Tcp: return "Tcp";
    case Line::Serial: return "Serial";
    case Line::Modem: return "Modem";
    }
    return "?";
}

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// What a hostile peer puts on the line after the request, tick by tick.
struct Pattern {
    const char* name;
    int periodMs;
    Bytes (*tick)(size_t n);
};

const Pattern kPatterns[] = {
    // one byte that is never a start byte, well inside the time-out
    {"Trickle", 150, [](size_t) { return Bytes{0x13}; }},
    // a good header announcing 255 data bytes, then the data far too slowly
    {"SlowData", 300,
     [](size_t n) { return n == 0 ? Bytes{0x55, 0xAA, 0x05, 0xFF, 0x03, 0xFC} : Bytes{0x42}; }},
    // as many bytes as the line takes, never a start byte
    {"Flood", 1, [](size_t) { return Bytes(256, 0x00); }},
};

class HostilePeer : public ::testing::TestWithParam<Line> {
protected:
    TempDir dir;
    std::unique_ptr<TcpPeer> tcp;
    std::unique_ptr<PtyPeer> pty;
    CKorNetwork link;
    std::atomic<bool> stop{false};
    std::thread noise;

    void SetUp() override
    {
        switch (GetParam()) {
        case Line::Tcp:
            tcp = std::make_unique<TcpPeer>();
            ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(tcp->Port())), KORNET_OK);
            ASSERT_EQ(link.Connect(), KORNET_OK);
            ASSERT_TRUE(tcp->Accept());
            break;
        case Line::Serial:
            pty = std::make_unique<PtyPeer>(dir, 7);
            ASSERT_EQ(link.ConfigureDirect(7, 19200, false), KORNET_OK);
            ASSERT_EQ(link.Connect(), KORNET_OK);
            break;
        case Line::Modem: {
            pty = std::make_unique<PtyPeer>(dir, 9);
            WriteWholeFile(dir.File("modems.txt"), "Bench modem | " + pty->SlavePath() + " | 7\n");
            setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);
            ASSERT_EQ(link.ConfigureDialup("5551234", 7), KORNET_OK);
            auto r = std::async(std::launch::async, [&] { return link.Connect(); });
            EXPECT_EQ(ModemCommand(), "AT");
            ModemSays("OK");
            EXPECT_EQ(ModemCommand(), "ATDT5551234");
            ModemSays("CONNECT 9600");
            ASSERT_EQ(r.get(), KORNET_OK) << LastError(link);
            break;
        }
        }
    }
    void TearDown() override
    {
        StopNoise();
        auto d = std::async(std::launch::async, [&] { return link.Disconnect(); });
        // A modem is hung up with AT and ATH, answered here.
        while (GetParam() == Line::Modem && d.wait_for(milliseconds(0)) != std::future_status::ready) {
            if (!ModemCommand(200).empty()) ModemSays("OK");
        }
        d.get();
    }

    std::string ModemCommand(int timeoutMs = 3000)
    {
        std::string line;
        for (;;) {
            const Bytes b = pty->Read(1, timeoutMs);
            if (b.empty() || b[0] == '\r') return line;
            line.push_back(static_cast<char>(b[0]));
        }
    }
    void ModemSays(const std::string& result)
    {
        const std::string text = "\r\n" + result + "\r\n";
        pty->Write(Bytes(text.begin(), text.end()));
    }

    Bytes ReadRequest() { return tcp ? tcp->ReadFrame() : pty->ReadFrame(); }
    void Send(const Bytes& bytes) { tcp ? tcp->Write(bytes) : pty->Write(bytes); }
    // What fits on the line now; the rest is dropped, so that a peer thread
    // never waits on a link that has stopped reading.
    void Offer(const Bytes& bytes)
    {
        if (tcp) {
            (void)::send(tcp->ConnFd(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        } else {
            (void)::write(pty->MasterFd(), bytes.data(), bytes.size());
        }
    }

    // Waits for the request, then plays `pattern` until StopNoise.
    void StartNoise(const Pattern& pattern)
    {
        stop = false;
        noise = std::thread([this, &pattern] {
            if (ReadRequest().empty()) return;
            for (size_t n = 0; !stop; ++n) {
                Offer(pattern.tick(n));
                std::this_thread::sleep_for(milliseconds(pattern.periodMs));
            }
        });
    }
    void StopNoise()
    {
        stop = true;
        if (noise.joinable()) noise.join();
    }

    // The Ping's status, or a failure when it is still blocked after
    // `limitMs`; then the noise stops so that the call can end.
    int16_t PingWithin(std::future<int16_t>& ping, int limitMs)
    {
        if (ping.wait_for(milliseconds(limitMs)) != std::future_status::ready) {
            ADD_FAILURE() << "the call was still blocked after " << limitMs << " ms";
            StopNoise();
            link.Abort();
        }
        return ping.get();
    }
};

// With no retries, the one attempt ends as a missing reply at the reply's
// limit: a little over one time-out on a serial line at 19200 baud, three
// time-outs where the line's speed is unknown.
TEST_P(HostilePeer, OneAttemptEndsAtTheReplyLimit)
{
    link.SetTimeOut(500);
    link.SetMaxNumberOfRetries(0);
    for (const Pattern& pattern : kPatterns) {
        SCOPED_TRACE(pattern.name);
        StartNoise(pattern);
        const auto start = Clock::now();
        auto ping = std::async(std::launch::async, [&] { return link.Ping(5); });
        EXPECT_EQ(PingWithin(ping, 10000), ERR_SIGN_NO_RESPONSE);
        EXPECT_GE(MsSince(start), 400);  // not at once: each pattern holds the read a while
        StopNoise();
    }
}

// Abort one second in ends the blocked read long before the reply's limit
// (at least 3.5 s here on every line) and before any retry.
TEST_P(HostilePeer, AbortEndsTheBlockedRead)
{
    link.SetTimeOut(3000);
    link.SetMaxNumberOfRetries(3);
    for (const Pattern& pattern : kPatterns) {
        SCOPED_TRACE(pattern.name);
        StartNoise(pattern);
        auto ping = std::async(std::launch::async, [&] { return link.Ping(5); });
        std::this_thread::sleep_for(milliseconds(1000));
        const auto aborted = Clock::now();
        link.Abort();
        EXPECT_EQ(PingWithin(ping, 10000), ERR_SIGN_ABORT);
        EXPECT_LT(MsSince(aborted), 1500);
        EXPECT_EQ(link.GetActualNumberOfRetries(), 0);
        StopNoise();
    }
}

// Noise before a good reply that comes within the limit is still skipped,
// and the reply taken at the first attempt.
TEST_P(HostilePeer, NoiseBeforeATimelyReplyIsSkipped)
{
    link.SetTimeOut(500);
    link.SetMaxNumberOfRetries(0);
    auto ping = std::async(std::launch::async, [&] { return link.Ping(5); });
    const Bytes request = ReadRequest();
    ASSERT_EQ(request, MakeFrame(5, 0x03));
    for (int i = 0; i < 4; ++i) {
        Send({0x13});
        std::this_thread::sleep_for(milliseconds(150));
    }
    Send(MakeFrame(5, 0x03));
    EXPECT_EQ(PingWithin(ping, 10000), KORNET_OK);
}

INSTANTIATE_TEST_SUITE_P(EveryLine, HostilePeer, ::testing::Values(Line::Tcp, Line::Serial, Line::Modem),
                         [](const auto& info) { return std::string(Name(info.param)); });

// A slow but steady serial line: at 2400 baud a byte takes about 4 ms, and a
// longest reply with noise before it takes well over one time-out. It is
// still taken whole at the first attempt.
TEST(SteadySlowLine, LongestReplyAt2400Baud)
{
    TempDir dir;
    PtyPeer peer(dir, 8);
    CKorNetwork link;
    link.SetTimeOut(500);
    link.SetMaxNumberOfRetries(0);
    ASSERT_EQ(link.ConfigureDirect(8, 2400, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    auto ping = std::async(std::launch::async, [&] { return link.Ping(3); });
    ASSERT_EQ(peer.ReadFrame(), MakeFrame(3, 0x03));

    Bytes data(255);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 3 + 1);
    Bytes line(30, 0x13);
    const Bytes reply = MakeFrame(3, 0x03, data);
    line.insert(line.end(), reply.begin(), reply.end());
    for (size_t at = 0; at < line.size(); at += 4) {
        peer.Write(Bytes(line.begin() + static_cast<std::ptrdiff_t>(at),
                         line.begin() + static_cast<std::ptrdiff_t>(std::min(at + 4, line.size()))));
        std::this_thread::sleep_for(milliseconds(16));
    }
    EXPECT_EQ(ping.get(), KORNET_OK);
    const uint8_t* sent = nullptr;
    const uint8_t* received = nullptr;
    link.GetLastPacket(sent, received);
    EXPECT_EQ(Bytes(received, received + reply.size()), reply);
    link.Disconnect();
}
}  // namespace
