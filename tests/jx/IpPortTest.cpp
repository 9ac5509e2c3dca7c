// The TCP/IP port and the remote configuration of a link, against a
// controller scripted on a loopback listener: host look-up statuses, the
// bounded and abortable connect, replies split over segments, a controller
// that hangs up, and the receive buffer that FlushInput must empty.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <netdb.h>
#include <thread>
#include <unistd.h>

#include "Frames.h"
#include "KorNet.h"
#include "TcpPeer.h"
#include "TempDir.h"
#include "ports/CKorNetIpPort.h"

namespace {
Bytes ReplyTo(const Bytes& request, uint8_t type, const Bytes& data = {})
{
    return MakeFrame(request[2], static_cast<uint8_t>((request[4] & 0xF0) | type), data);
}

TEST(IpLookup, FailuresMapOntoTheDnsStatuses)
{
    struct Case {
        int gai;
        int sysErrno;
        int16_t status;
    } cases[] = {
        {0, 0, KORNET_OK},
        {EAI_NONAME, 0, ERR_DNS_HOST_NOT_FOUND},
        {EAI_AGAIN, 0, ERR_DNS_TRY_AGAIN},
        {EAI_FAIL, 0, ERR_DNS_NO_RECOVERY},
        {EAI_NODATA, 0, ERR_DNS_NO_DATA},
        {EAI_ADDRFAMILY, 0, ERR_DNS_NO_DATA},
        {EAI_SYSTEM, EINTR, ERR_DNS_INTERRUPTED},
        {EAI_INTR, 0, ERR_DNS_INTERRUPTED},
        {EAI_SYSTEM, ENETDOWN, ERR_DNS_NETWORK_DOWN},
        {EAI_SYSTEM, ENETUNREACH, ERR_DNS_NETWORK_DOWN},
        {EAI_SYSTEM, EFAULT, ERR_DNS_BAD_ADDRESS},
        {EAI_SYSTEM, EIO, ERR_DNS_NO_RECOVERY},
        {EAI_MEMORY, 0, ERR_DNS_NO_RECOVERY},  // never "success" for a failed look-up
    };
    for (const auto& c : cases) EXPECT_EQ(KorNetLookupStatus(c.gai, c.sysErrno), c.status) << c.gai << "/" << c.sysErrno;
}

TEST(IpLookup, ResolvesNamesAndDottedAddresses)
{
    for (const char* name : {"127.0.0.1", "localhost"}) {
        uint8_t address[4] = {9, 9, 9, 9};
        ASSERT_EQ(KorNetResolveHost(name, address), KORNET_OK) << name;
        EXPECT_EQ(Bytes(address, address + 4), Bytes({127, 0, 0, 1})) << name;
    }
    uint8_t address[4] = {};
    EXPECT_EQ(KorNetResolveHost(nullptr, address), ERR_DNS_BAD_ADDRESS);
    // .invalid never resolves; without a reachable name server the resolver
    // says "try again" instead.
    const int16_t status = KorNetResolveHost("no-such-controller.invalid", address);
    EXPECT_TRUE(status == ERR_DNS_HOST_NOT_FOUND || status == ERR_DNS_TRY_AGAIN) << status;
}

TEST(IpPort, FlushInputEmptiesTheReceiveBuffer)
{
    TcpPeer peer;
    CKorNetIpPort port(TcpPeer::Loopback(), static_cast<int16_t>(peer.Port()));
    port.SetTimeOut(200);
    ASSERT_EQ(port.Open(), KORNET_OK);
    ASSERT_TRUE(peer.Accept());
    peer.Write({'A', 'B', 'C'});
    uint8_t byte = 0;
    ASSERT_EQ(port.ReadByte(byte), KORNET_OK);
    EXPECT_EQ(byte, 'A');  // B and C now wait in the port's buffer
    port.FlushInput();
    peer.Write({'D'});
    ASSERT_EQ(port.ReadByte(byte), KORNET_OK);
    EXPECT_EQ(byte, 'D');
    EXPECT_EQ(port.ReadByte(byte), ERR_SIGN_NO_RESPONSE);

    // A controller that hangs up: reads end at once, writes fail without a
    // SIGPIPE (this test would die of one).
    peer.HangUp();
    EXPECT_EQ(port.ReadByte(byte), ERR_SIGN_NO_RESPONSE);
    int16_t written = KORNET_OK;
    for (int i = 0; i < 20 && written == KORNET_OK; ++i) {
        const uint8_t frame[6] = {0x55, 0xAA, 1, 0, 3, 0xFD};
        written = port.Write(frame, 6);
        if (written == KORNET_OK) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(written, ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(port.Close(), KORNET_OK);
    EXPECT_EQ(port.Close(), KORNET_OK);
}

class RemoteLink : public ::testing::Test {
protected:
    TcpPeer peer;
    CKorNetwork link;
    void SetUp() override { link.SetTimeOut(200); }
    void TearDown() override { link.Disconnect(); }
    void ConnectTo(uint16_t port)
    {
        ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(port)), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
        ASSERT_TRUE(peer.Accept());
    }
};

TEST_F(RemoteLink, HostNameLinkPingsAndLogsUnderItsAddress)
{
    TempDir dir;
    // Listener ports are mostly above 32767: passed as int16_t, used unsigned.
    ASSERT_EQ(link.ConfigureRemoteDNS("localhost", static_cast<int16_t>(peer.Port())), KORNET_OK);
    link.EnableDiagnostics(false, dir.Path().c_str());
    ASSERT_EQ(link.Connect(), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_COMMAND_ALREADY_CONNECTED);
    auto r = std::async(std::launch::async, [&] { return link.Ping(7); });
    const Bytes sync = peer.ReadFrame();
    EXPECT_EQ(sync, MakeFrame(7, 0x03));
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(r.get(), KORNET_OK);
    const std::string log = ReadWholeFile(dir.File("Remote 127,0,0,1;" + std::to_string(peer.Port()) + ".txt"));
    EXPECT_NE(log.find("Sent:    55 AA 7 0 3 F7"), std::string::npos) << log;

    // Reconfiguring is refused while connected, before any look-up.
    EXPECT_EQ(link.ConfigureRemoteDNS("no-such-controller.invalid", 1), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), 1), ERR_COMMAND_ALREADY_CONNECTED);
}

TEST_F(RemoteLink, FailedConfigurationNeverConnectsSomewhereElse)
{
    const int16_t status = link.ConfigureRemoteDNS("no-such-controller.invalid", static_cast<int16_t>(peer.Port()));
    EXPECT_TRUE(status == ERR_DNS_HOST_NOT_FOUND || status == ERR_DNS_TRY_AGAIN) << status;
    // Configured, with no address: the connect fails instead of reaching 0.0.0.0.
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.ConfigureRemote(nullptr, static_cast<int16_t>(peer.Port())), ERR_DNS_BAD_ADDRESS);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_FALSE(peer.Accept(50));
    EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(RemoteLink, RefusedConnectionFails)
{
    const uint16_t port = peer.Port();
    peer.CloseListener();
    ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(port)), KORNET_OK);
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
}

// A listener whose queue is full drops further connection requests, so a
// connect to it hangs the way one to an unreachable controller does.
class HangingListener : public ::testing::Test {
protected:
    TcpPeer peer{0};
    int filler = -1;
    CKorNetwork link;
    void SetUp() override
    {
        filler = TcpConnectLoopback(peer.Port());
        ASSERT_GE(filler, 0);
        ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(peer.Port())), KORNET_OK);
    }
    void TearDown() override
    {
        link.Disconnect();
        close(filler);
    }
};

TEST_F(HangingListener, AbortEndsTheConnectWait)
{
    link.SetTimeOut(20000);  // a wait of CONNECT_WAIT_MAX_MS without the Abort
    std::atomic<bool> done{false};
    auto r = std::async(std::launch::async, [&] {
        const int16_t s = link.Connect();
        done = true;
        return s;
    });
    // Connect clears an earlier Abort as it starts, so keep asking.
    while (!done) {
        link.Abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(r.get(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(HangingListener, ConnectGivesUpAfterItsBound)
{
    link.SetTimeOut(100);  // CONNECT_WAIT_MIN_MS
    EXPECT_EQ(link.Connect(), ERR_NETWORK_CONNECT_FAILED);
}

TEST_F(RemoteLink, RepliesSplitOverSegmentsAreAssembled)
{
    ConnectTo(peer.Port());
    struct Case {
        size_t piece;
        Bytes noise;
    } cases[] = {{1, {}}, {3, {0x00, 0x13, 0xFF}}, {7, {0xAA, 0x01}}, {100, {}}};
    // Sync first; then each case a blank command answered in pieces.
    auto s = std::async(std::launch::async, [&] { return link.JxBlankDisplay(3, 1, nullptr); });
    Bytes frame = peer.ReadFrame();
    peer.WriteInPieces(ReplyTo(frame, 3), 1);
    frame = peer.ReadFrame();
    peer.WriteInPieces(ReplyTo(frame, 1, {0x80, 10, 0, 0, 0, 0, 0, 0}), 2);
    ASSERT_EQ(s.get(), KORNET_OK);
    for (const auto& c : cases) {
        jx_resp_blank_display_s response{};
        auto r = std::async(std::launch::async, [&] { return link.JxBlankDisplay(3, 1, &response); });
        frame = peer.ReadFrame();
        Bytes reply = c.noise;
        const Bytes real = ReplyTo(frame, 1, {0x80, 10, 0, 0x11, 0x22, 0x33, 0x44, 0x55});
        reply.insert(reply.end(), real.begin(), real.end());
        peer.WriteInPieces(reply, c.piece);
        EXPECT_EQ(r.get(), KORNET_OK) << c.piece;
        EXPECT_EQ(link.GetActualNumberOfRetries(), 0) << c.piece;
        EXPECT_EQ(response.reserved[4], 0x55) << c.piece;
    }
}

TEST_F(RemoteLink, StaleBytesAreFlushedBeforeEachRequest)
{
    ConnectTo(peer.Port());
    auto r = std::async(std::launch::async, [&] { return link.JxBlankDisplay(4, 0, nullptr); });
    const Bytes sync = peer.ReadFrame();
    // With the sync reply comes a stale frame that would pass for the
    // command's reply (sequence 1, error byte 7): the flush must drop it.
    Bytes both = ReplyTo(sync, 3);
    const Bytes stale = MakeFrame(4, 0x11, {0x80, 10, 7, 0, 0, 0, 0, 0});
    both.insert(both.end(), stale.begin(), stale.end());
    peer.Write(both);
    const Bytes command = peer.ReadFrame();
    EXPECT_EQ(command[4], 0x10);
    peer.Write(ReplyTo(command, 1, {0x80, 10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.get(), KORNET_OK);
}

TEST_F(RemoteLink, ControllerThatHangsUpGivesNoResponse)
{
    ConnectTo(peer.Port());
    link.SetMaxNumberOfRetries(2);
    auto r = std::async(std::launch::async, [&] { return link.Ping(2); });
    EXPECT_EQ(peer.ReadFrame(), MakeFrame(2, 0x03));
    peer.HangUp();
    const int16_t status = r.get();
    // The retries meet a closed connection: no reply, or a refused write.
    EXPECT_TRUE(status == ERR_SIGN_NO_RESPONSE || status == ERR_NETWORK_NO_WRITE) << status;
    // The link stays connected until Disconnect; raw writes fail cleanly.
    int16_t written = KORNET_OK;
    const uint8_t bytes[3] = {1, 2, 3};
    for (int i = 0; i < 20 && written == KORNET_OK; ++i) {
        written = link.WritePort(bytes, 3);
        if (written == KORNET_OK) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(written, ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.Disconnect(), KORNET_OK);

    // A new connection to the controller works as the first did.
    ASSERT_EQ(link.Connect(), KORNET_OK);
    ASSERT_TRUE(peer.Accept());
    auto p = std::async(std::launch::async, [&] { return link.Ping(2); });
    const Bytes sync = peer.ReadFrame();
    peer.Write(ReplyTo(sync, 3));
    EXPECT_EQ(p.get(), KORNET_OK);
}

}  // namespace
