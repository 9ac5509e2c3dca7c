// The link against a controller scripted on the master side of a
// pseudo-terminal: exact request bytes, exact replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "Frames.h"
#include "KorNet.h"
#include "PtyPeer.h"

namespace {
const Bytes kSync5 = {0x55, 0xAA, 0x05, 0x00, 0x03, 0xF9};

// A reply to `request` carrying its address and sequence nibble.
Bytes ReplyTo(const Bytes& request, uint8_t type, const Bytes& data = {})
{
    return MakeFrame(request[2], static_cast<uint8_t>((request[4] & 0xF0) | type), data);
}
Bytes EchoOk(const Bytes& request)
{
    // type 0 requests: echo the command byte(s) and a zero error byte
    if (request[3] == 0) return ReplyTo(request, request[4] & 0x0F);
    if (request[6] == 0x80) return ReplyTo(request, 1, {0x80, request[7], 0x00});
    return ReplyTo(request, 1, {request[6], 0x00});
}

class LinkOnPty : public ::testing::Test {
protected:
    TempDir dir;
    PtyPeer peer{dir, 7};
    CKorNetwork link;

    void SetUp() override
    {
        link.SetTimeOut(300);
        ASSERT_EQ(link.ConfigureDirect(7, 19200, false), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
    }
    void TearDown() override { link.Disconnect(); }

    template <class F>
    static auto Async(F f)
    {
        return std::async(std::launch::async, f);
    }
    // Answers the sync frame to `address` that a first command sends.
    void AnswerSync(uint8_t address)
    {
        const Bytes sync = peer.ReadFrame();
        ASSERT_EQ(sync, MakeFrame(address, 0x03));
        peer.Write(ReplyTo(sync, 3));
    }
};

TEST_F(LinkOnPty, PingSendsTheSyncFrame)
{
    auto r = Async([&] { return link.Ping(5); });
    const Bytes sync = peer.ReadFrame();
    EXPECT_EQ(sync, kSync5);
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(LinkOnPty, SequenceNibblesOverSyncAndSixteenCommands)
{
    auto r = Async([&] {
        const uint8_t request[] = {0x80, 0x17};
        for (int i = 0; i < 16; ++i)
            if (int16_t s = link.GenericCommand(9, request, 2, nullptr, 0); s != 0) return s;
        return int16_t{0};
    });
    AnswerSync(9);
    const uint8_t expected[16] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80,
                                  0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x10};
    for (uint8_t seq : expected) {
        const Bytes req = peer.ReadFrame();
        ASSERT_EQ(req, MakeFrame(9, seq, {0x80, 0x17})) << std::hex << int(seq);
        peer.Write(EchoOk(req));
    }
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(LinkOnPty, MissingReplyIsRetriedMaxRetriesTimes)
{
    struct Case {
        int16_t retries;
        size_t attempts;
    } cases[] = {{0, 1}, {2, 3}, {1, 2}};
    for (const auto& c : cases) {
        link.SetMaxNumberOfRetries(c.retries);
        link.SetMaxNumberOfRetries(-1);  // ignored
        EXPECT_EQ(link.GetMaxNumberOfRetries(), c.retries);
        auto r = Async([&] { return link.Ping(5); });
        EXPECT_EQ(r.get(), ERR_SIGN_NO_RESPONSE);
        const Bytes all = peer.Drain(50);
        ASSERT_EQ(all.size(), 6 * c.attempts);
        for (size_t i = 0; i < c.attempts; ++i) EXPECT_EQ(Bytes(all.begin() + 6 * i, all.begin() + 6 * i + 6), kSync5);
        EXPECT_EQ(link.GetActualNumberOfRetries(), c.retries);
    }
}

TEST_F(LinkOnPty, ReplyTypesDecideRetries)
{
    struct Case {
        const char* what;
        uint8_t replyType;
        bool relaxed;
        size_t attempts;
        int16_t status;
    } cases[] = {
        {"bad command is retried", 2, false, 3, ERR_SIGN_BAD_COMMAND},
        {"unsupported is final", 4, false, 1, ERR_SIGN_UNSUPPORTED_COMMAND},
    };
    bool first = true;
    for (const auto& c : cases) {
        const uint8_t request[] = {0x80, 0x0B, 0x00};
        auto r = Async([&] { return link.GenericCommand(5, request, 3, nullptr, 0); });
        if (first) AnswerSync(5);
        first = false;
        for (size_t i = 0; i < c.attempts; ++i) {
            const Bytes req = peer.ReadFrame();
            ASSERT_EQ(req.size(), 10u) << c.what;
            peer.Write(ReplyTo(req, c.replyType, {0x80, 0x0B, 0x00}));
        }
        EXPECT_EQ(r.get(), c.status) << c.what;
        EXPECT_TRUE(peer.Drain(50).empty()) << c.what;
    }
}

TEST_F(LinkOnPty, RelaxedValidationAcceptsBadCommandReply)
{
    link.SetRelaxValidationMode();
    const uint8_t request[] = {0x80, 0x0B};
    uint8_t reply[3] = {};
    auto r = Async([&] { return link.GenericCommand(5, request, 2, reply, 3); });
    AnswerSync(5);
    const Bytes req = peer.ReadFrame();
    peer.Write(ReplyTo(req, 2, {0x80, 0x0B, 0x07}));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(reply[2], 0x07);  // no error-byte check on a generic command
}

TEST_F(LinkOnPty, WrongSequenceNibbleIsRetried)
{
    auto r = Async([&] { return link.Ping(5); });
    Bytes sync = peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x33));  // sequence 3 instead of 0
    sync = peer.ReadFrame();
    EXPECT_EQ(sync, kSync5);  // the retry reuses the sequence byte
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(link.GetActualNumberOfRetries(), 1);
}

TEST_F(LinkOnPty, GarbageBeforeReplyIsSkipped)
{
    auto r = Async([&] { return link.Ping(5); });
    const Bytes sync = peer.ReadFrame();
    Bytes noisy = {0x00, 0x13, 0xAA, 0xFF, 0xFE};
    const Bytes reply = ReplyTo(sync, 3);
    noisy.insert(noisy.end(), reply.begin(), reply.end());
    peer.Write(noisy);
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(link.GetActualNumberOfRetries(), 0);
}

TEST_F(LinkOnPty, StrayStartByteCostsOneRetry)
{
    auto r = Async([&] { return link.Ping(5); });
    Bytes sync = peer.ReadFrame();
    // 0x55 then garbage: a six-byte "header" whose checksum fails
    peer.Write({0x55, 0x01, 0x02, 0x03, 0x04, 0x05});
    sync = peer.ReadFrame();
    EXPECT_EQ(sync, kSync5);
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(link.GetActualNumberOfRetries(), 1);
}

TEST_F(LinkOnPty, BroadcastSendsWithoutReading)
{
    for (uint8_t address : {uint8_t{0}, uint8_t{241}, uint8_t{255}}) {
        uint8_t reply[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        const uint8_t request[] = {0x80, 0x0A, 0x01};
        link.SetMaxNumberOfRetries(2);
        EXPECT_EQ(link.GenericCommand(address, request, 3, reply, 4), KORNET_OK);
        const Bytes seen = peer.Drain(50);
        Bytes expected = MakeFrame(address, 0x03);
        const Bytes command = MakeFrame(address, 0x10, {0x80, 0x0A, 0x01});
        expected.insert(expected.end(), command.begin(), command.end());
        EXPECT_EQ(seen, expected) << int(address);
        EXPECT_EQ(reply[0], 0xEE);
        // link-level commands that need a reply refuse broadcast addresses
        uint16_t value = 0;
        EXPECT_EQ(link.EnableBroadcastAddress(address, 250), ERR_COMMAND_NO_BROADCAST);
        EXPECT_EQ(link.DisableBroadcastAddress(address, 250), ERR_COMMAND_NO_BROADCAST);
        EXPECT_EQ(link.GetEnableBroadcastAddress(address, value), ERR_COMMAND_NO_BROADCAST);
        EXPECT_EQ(link.SetBaudRate(address, 9600), ERR_COMMAND_NO_BROADCAST);
        EXPECT_TRUE(peer.Drain(20).empty());
    }
}

TEST_F(LinkOnPty, LinkLevelCommands)
{
    struct Case {
        const char* what;
        std::function<int16_t()> call;
        Bytes request;  // data of the expected frame; type in `type`
        uint8_t type;
        Bytes replyData;
        uint8_t replyType;
    };
    uint16_t value = 0;
    const Case cases[] = {
        {"enable", [&] { return link.EnableBroadcastAddress(5, 250); }, {250}, 8, {}, 1},
        {"disable", [&] { return link.DisableBroadcastAddress(5, 251); }, {251}, 9, {}, 1},
        {"query", [&] { return link.GetEnableBroadcastAddress(5, value); }, {}, 11, {0x34, 0x12}, 11},
        {"baud", [&] { return link.SetBaudRate(5, 115200); }, {0x00, 0xC2, 0x01, 0x00}, 12, {}, 1},
    };
    uint8_t seq = 0x10;
    bool first = true;
    for (const auto& c : cases) {
        auto r = Async(c.call);
        if (first) AnswerSync(5);
        first = false;
        const Bytes req = peer.ReadFrame();
        EXPECT_EQ(req, MakeFrame(5, seq | c.type, c.request)) << c.what;
        peer.Write(ReplyTo(req, c.replyType, c.replyData));
        EXPECT_EQ(r.get(), KORNET_OK) << c.what;
        seq = static_cast<uint8_t>(seq + 0x10);
    }
    EXPECT_EQ(value, 0x1234);
}

TEST_F(LinkOnPty, SecondThreadGetsBusy)
{
    link.SetMaxNumberOfRetries(0);
    auto r = Async([&] { return link.Ping(5); });
    ASSERT_EQ(peer.ReadFrame(), kSync5);  // the first call now waits for its reply
    EXPECT_EQ(link.Ping(5), ERR_COMMAND_BUSY);
    const uint8_t b = 1;
    uint8_t c = 0;
    EXPECT_EQ(link.WritePort(&b, 1), ERR_COMMAND_BUSY);
    EXPECT_EQ(link.ReadChar(c), ERR_COMMAND_BUSY);
    EXPECT_EQ(link.Connect(), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_EQ(link.Disconnect(), ERR_COMMAND_BUSY);  // the port stays with the running call
    EXPECT_EQ(r.get(), ERR_SIGN_NO_RESPONSE);
    uint8_t again = 0;
    EXPECT_EQ(link.ReadChar(again), ERR_SIGN_NO_RESPONSE);  // still connected
    EXPECT_TRUE(peer.Drain(20).empty());  // the refused call sent nothing
}

TEST_F(LinkOnPty, AbortFromAnotherThreadStopsRetrying)
{
    link.SetMaxNumberOfRetries(5);
    link.SetTimeOut(400);
    auto r = Async([&] { return link.Ping(5); });
    ASSERT_EQ(peer.ReadFrame(), kSync5);
    link.Abort();
    EXPECT_EQ(r.get(), ERR_SIGN_ABORT);
    EXPECT_TRUE(peer.Drain(50).empty());  // no retry went out
}

TEST_F(LinkOnPty, AbortBeforeACommandHasNoEffect)
{
    link.Abort();
    auto r = Async([&] { return link.Ping(5); });
    const Bytes sync = peer.ReadFrame();
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(LinkOnPty, FailedSyncIsRepeatedByTheNextCommand)
{
    link.SetMaxNumberOfRetries(0);
    const uint8_t request[] = {0x11, 0x00};
    EXPECT_EQ(link.GenericCommand(5, request, 2, nullptr, 0), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(peer.Drain(50), kSync5);
    auto r = Async([&] { return link.GenericCommand(5, request, 2, nullptr, 0); });
    AnswerSync(5);
    const Bytes req = peer.ReadFrame();
    EXPECT_EQ(req, MakeFrame(5, 0x10, {0x11, 0x00}));
    peer.Write(EchoOk(req));
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(LinkOnPty, ReconnectSynchronisesAgain)
{
    const uint8_t request[] = {0x11};
    auto r = Async([&]() -> int16_t { return link.Ping(5) == 0 ? link.GenericCommand(5, request, 1, nullptr, 0) : -99; });
    AnswerSync(5);   // the ping
    AnswerSync(5);   // first command after Connect syncs even after a ping
    Bytes req = peer.ReadFrame();
    peer.Write(EchoOk(req));
    ASSERT_EQ(r.get(), KORNET_OK);
    ASSERT_EQ(link.Disconnect(), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    r = Async([&]() -> int16_t { return link.GenericCommand(5, request, 1, nullptr, 0); });
    AnswerSync(5);
    req = peer.ReadFrame();
    EXPECT_EQ(req, MakeFrame(5, 0x10, {0x11}));
    peer.Write(EchoOk(req));
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(LinkOnPty, RawAccess)
{
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(link.WritePort(bytes, 3), KORNET_OK);
    EXPECT_EQ(peer.Read(3), Bytes({1, 2, 3}));
    peer.Write({0x42, 0x43});
    uint8_t c = 0;
    EXPECT_EQ(link.ReadChar(c), KORNET_OK);
    EXPECT_EQ(c, 0x42);
    EXPECT_EQ(link.FlushReceiveBuffer(), KORNET_OK);
    EXPECT_EQ(link.ReadChar(c), ERR_SIGN_NO_RESPONSE);
}

TEST_F(LinkOnPty, LastPacketShowsBothFrames)
{
    auto r = Async([&] { return link.Ping(5); });
    const Bytes sync = peer.ReadFrame();
    peer.Write(ReplyTo(sync, 3));
    ASSERT_EQ(r.get(), KORNET_OK);
    const uint8_t* sent = nullptr;
    const uint8_t* received = nullptr;
    link.GetLastPacket(sent, received);
    EXPECT_EQ(Bytes(sent, sent + 6), kSync5);
    EXPECT_EQ(Bytes(received, received + 6), ReplyTo(sync, 3));
}

TEST(LinkStates, RefusalsWithoutAController)
{
    CKorNetwork link;
    uint8_t c = 0;
    EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(link.ReadChar(c), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(link.Connect(), ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(link.Disconnect(), ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(link.GetMaxNumberOfRetries(), 2);
    const char* text = "untouched";
    EXPECT_EQ(link.GetLastTAPIerror(text), 0);
    EXPECT_STREQ(text, "untouched");

    TempDir dir;
    WriteWholeFile(dir.File("ports"), "COM4=" + dir.File("no-such-device") + "\n");
    setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
    EXPECT_EQ(link.ConfigureDirect(4, 19200, false), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.ConfigureDirect(99, 19200, false), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(LinkOnPty, ConfigureAndConnectRefusedWhileConnected)
{
    EXPECT_EQ(link.Connect(), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_EQ(link.ConfigureDirect(7, 9600, false), ERR_COMMAND_ALREADY_CONNECTED);
}

TEST_F(LinkOnPty, PortsAreListedWithTheirDevices)
{
    KorNetComPort ports[8];
    const int16_t n = KorNetListComPorts(ports, 8);
    ASSERT_GE(n, 1);
    bool found = false;
    for (int i = 0; i < n && i < 8; ++i) {
        if (i > 0) {
            EXPECT_LT(ports[i - 1].number, ports[i].number);
        }
        if (ports[i].number == 7) found = std::string(ports[i].device) == peer.SlavePath();
    }
    EXPECT_TRUE(found);
    char path[128];
    EXPECT_TRUE(KorNetComPortDevice(7, path, sizeof path));
    EXPECT_EQ(std::string(path), peer.SlavePath());
}

TEST_F(LinkOnPty, SecondOpenOfABusyPortFails)
{
    CKorNetwork other;
    ASSERT_EQ(other.ConfigureDirect(7, 19200, false), KORNET_OK);
    EXPECT_EQ(other.Connect(), ERR_NETWORK_CONNECT_FAILED);
}
}  // namespace

namespace {
struct SeenFrame {
    KorNetFrameDirection direction;
    Bytes bytes;
    int16_t attempt;
    int16_t status;
    bool operator==(const SeenFrame&) const = default;
};
struct FrameRecorder : IKorNetFrameObserver {
    std::vector<SeenFrame> seen;
    std::vector<int64_t> times;
    void OnFrame(const KorNetFrameRecord& f) override
    {
        seen.push_back({f.direction, Bytes(f.bytes, f.bytes + f.length), f.attempt, f.status});
        times.push_back(f.timeUs);
    }
};
}  // namespace

// Every attempt as the line saw it: stray bytes apart from the reply they
// came before, a reply cut short with what did come, and the statuses the
// link gave each reply.
TEST_F(LinkOnPty, FrameObserverSeesEveryAttemptAsOnTheLine)
{
    FrameRecorder recorder;
    link.SetFrameObserver(&recorder);
    EXPECT_EQ(link.FrameObserver(), &recorder);
    const Bytes wrongSeq = MakeFrame(5, 0x33);
    const Bytes good = MakeFrame(5, 0x03);
    auto r = Async([&] { return link.Ping(5); });
    ASSERT_EQ(peer.ReadFrame(), kSync5);
    Bytes noisy = {0x00, 0x13, 0xAA};
    noisy.insert(noisy.end(), wrongSeq.begin(), wrongSeq.end());
    peer.Write(noisy);
    ASSERT_EQ(peer.ReadFrame(), kSync5);
    peer.Write({0x55, 0xAA, 0x05});  // cut short: the byte time-out ends it
    ASSERT_EQ(peer.ReadFrame(), kSync5);
    peer.Write(good);
    ASSERT_EQ(r.get(), KORNET_OK);

    using D = KorNetFrameDirection;
    const std::vector<SeenFrame> expected = {
        {D::Sent, kSync5, 0, KORNET_OK},
        {D::Stray, {0x00, 0x13, 0xAA}, 0, KORNET_OK},
        {D::Received, wrongSeq, 0, ERR_SIGN_INVALID_RESPONSE},
        {D::Sent, kSync5, 1, KORNET_OK},
        {D::Received, {0x55, 0xAA, 0x05}, 1, ERR_SIGN_NO_RESPONSE},
        {D::Sent, kSync5, 2, KORNET_OK},
        {D::Received, good, 2, KORNET_OK},
    };
    EXPECT_EQ(recorder.seen, expected);
    EXPECT_TRUE(std::is_sorted(recorder.times.begin(), recorder.times.end()));

    // A reply that never comes is a received record without bytes. Without
    // an observer nothing is told.
    link.SetMaxNumberOfRetries(0);
    recorder.seen.clear();
    ASSERT_EQ(link.Ping(6), ERR_SIGN_NO_RESPONSE);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[1], (SeenFrame{D::Received, {}, 0, ERR_SIGN_NO_RESPONSE}));
    link.SetFrameObserver(nullptr);
    ASSERT_EQ(link.Ping(6), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(recorder.seen.size(), 2u);
}
