// Whole transfers over loopback TCP against a controller that answers by
// itself (TcpController with a JxFileStore): files of many sizes sent and
// fetched back byte for byte, plain and compressed, with replies split over
// segments, an older controller without compression, and a controller that
// hangs up in the middle of a transfer.
#include <gtest/gtest.h>

#include <random>

#include "JxFileStore.h"
#include "KorNet.h"
#include "TcpController.h"
#include "TcpPeer.h"

namespace {
using Bytes = std::vector<uint8_t>;
constexpr uint8_t kAddr = 12;

Bytes Noise(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}
Bytes Text(size_t n, unsigned seed)
{
    static const char* const kWords[] = {"<ENT ", "name=\"", "MSG", ".XML\" ", "size=\"", "sec=\"", "/>\n", "17000"};
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const std::string w = kWords[rng() % 8];
        b.insert(b.end(), w.begin(), w.end());
    }
    b.resize(n);
    return b;
}

class Loopback : public ::testing::Test {
protected:
    JxFileStore store;
    TcpController controller{store.Handler()};
    CKorNetwork link;

    void SetUp() override
    {
        link.SetTimeOut(300);
        ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(controller.Port())), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
    }
    void TearDown() override { link.Disconnect(); }

    void RoundTrip(const std::string& name, const Bytes& data, bool compressed)
    {
        SCOPED_TRACE(name + (compressed ? " compressed" : " plain"));
        const int32_t n = static_cast<int32_t>(data.size());
        jx_resp_send_file_s sent{};
        const int16_t s = compressed ? link.JxSendFileCompressed(kAddr, name.c_str(), data.data(), n, &sent, 0)
                                     : link.JxSendFile(kAddr, name.c_str(), data.data(), n, &sent, 0);
        ASSERT_EQ(s, KORNET_OK);
        Bytes stored;
        ASSERT_TRUE(store.Get(name, stored));
        EXPECT_EQ(stored, data);

        int16_t status = 99;
        jx_resp_retrieve_file_s response{};
        const uint8_t* got = compressed ? link.JxGetFileCompressed(kAddr, name.c_str(), status, &response, 0)
                                        : link.JxGetFile(kAddr, name.c_str(), status, &response, 0);
        ASSERT_EQ(status, KORNET_OK);
        if (data.empty()) {
            EXPECT_EQ(got, nullptr);
            return;
        }
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(compressed ? response.uncompressedLength : response.length, data.size());
        EXPECT_EQ(Bytes(got, got + data.size()), data);
    }
};

TEST_F(Loopback, FilesComeBackByteForByte)
{
    unsigned seed = 1;
    for (size_t size : {0u, 1u, 245u, 246u, 247u, 492u, 493u, 4000u, 70001u}) {
        RoundTrip("N" + std::to_string(size), Noise(size, seed++), false);
        RoundTrip("C" + std::to_string(size), Noise(size, seed++), true);
        RoundTrip("T" + std::to_string(size), Text(size, seed++), true);
    }
    // Text is sent compressed; noise that does not shrink goes plain.
    const Bytes headers = store.Headers();
    EXPECT_NE(std::find(headers.begin(), headers.end(), 20), headers.end());
    EXPECT_NE(std::find(headers.begin(), headers.end(), 21), headers.end());
}

TEST_F(Loopback, ControllerBlockSizesOtherThanOurs)
{
    for (uint16_t blockSize : {1, 100, 247}) {
        store.getBlockSize = blockSize;
        RoundTrip("B" + std::to_string(blockSize), Text(3000, blockSize), true);
        RoundTrip("P" + std::to_string(blockSize), Noise(777, blockSize), false);
    }
}

TEST_F(Loopback, RepliesSplitOverManySegments)
{
    controller.SetPieceSize(5);
    RoundTrip("SPLIT.BIN", Noise(1500, 9), false);
    RoundTrip("SPLIT.XML", Text(9000, 9), true);
    controller.SetPieceSize(1);
    RoundTrip("BYTES.BIN", Noise(300, 10), false);
}

TEST_F(Loopback, OlderControllerGetsPlainTransfers)
{
    store.compressedSupported = false;
    RoundTrip("OLD.XML", Text(5000, 3), true);
    const Bytes headers = store.Headers();
    EXPECT_EQ(headers, Bytes({20, 1, 21, 2}));
}

TEST_F(Loopback, RenameAndDelete)
{
    store.Put("A.XML", {1, 2, 3});
    jx_resp_rename_file_s renamed{};
    EXPECT_EQ(link.JxRenameFile(kAddr, "A.XML", "B.XML", &renamed, 0), KORNET_OK);
    Bytes data;
    EXPECT_TRUE(store.Get("B.XML", data));
    EXPECT_FALSE(store.Get("A.XML", data));
    EXPECT_EQ(link.JxDeleteFile(kAddr, "B.XML", nullptr, 0), KORNET_OK);
    jx_resp_delete_file_s deleted{};
    EXPECT_EQ(link.JxDeleteFile(kAddr, "B.XML", &deleted, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(deleted.error, 2);
    int16_t status = 0;
    jx_resp_retrieve_file_s response{};
    EXPECT_EQ(link.JxGetFileCompressed(kAddr, "B.XML", status, &response, 0), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 2);
}

// OnProgress counts in 16 bits: a transfer of more frames reports a scaled
// count out of 32767 that still climbs evenly and ends full.
TEST_F(Loopback, ProgressOfTransfersBeyondSixteenBits)
{
    struct Log : CKorNetworkEvents {
        std::vector<std::pair<int, int>> calls;
        void OnCallState(uint32_t, uint32_t, int16_t) override {}
        void OnProgress(int16_t count, int16_t total, int16_t) override { calls.emplace_back(count, total); }
    } log;
    link.RegisterEventHandler(&log, 0);
    const Bytes data = Noise(40000u * 246u, 5);  // 40000 blocks and the header
    ASSERT_EQ(link.JxSendFile(kAddr, "HUGE.BIN", data.data(), static_cast<int32_t>(data.size()), nullptr, 0), KORNET_OK);
    ASSERT_EQ(log.calls.size(), 40002u);
    EXPECT_EQ(log.calls.front(), std::make_pair(0, 32767));
    EXPECT_EQ(log.calls.back(), std::make_pair(32767, 32767));
    for (size_t i = 1; i < log.calls.size(); ++i) {
        ASSERT_EQ(log.calls[i].second, 32767);
        ASSERT_GE(log.calls[i].first, log.calls[i - 1].first);
        ASSERT_LE(log.calls[i].first - log.calls[i - 1].first, 1);
    }
    Bytes stored;
    ASSERT_TRUE(store.Get("HUGE.BIN", stored));
    EXPECT_TRUE(stored == data);
}

TEST_F(Loopback, ControllerHangingUpMidTransfer)
{
    link.SetMaxNumberOfRetries(1);
    const Bytes data = Noise(3000, 4);  // sync, header and 13 blocks
    store.hangUpAtFrame = 6;
    EXPECT_EQ(link.JxSendFile(kAddr, "CUT.BIN", data.data(), 3000, nullptr, 0), ERR_SIGN_NO_RESPONSE);
    Bytes stored;
    EXPECT_FALSE(store.Get("CUT.BIN", stored));  // never committed

    // Reconnect: the transfer goes through on the new connection.
    store.hangUpAtFrame = 0;
    EXPECT_EQ(link.Disconnect(), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    RoundTrip("CUT.BIN", data, false);
    EXPECT_EQ(controller.Connections(), 2u);

    // A get cut short returns nothing, never part of a file.
    store.hangUpAtFrame = controller.FramesSeen() + 3;
    int16_t status = 0;
    EXPECT_EQ(link.JxGetFile(kAddr, "CUT.BIN", status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_SIGN_NO_RESPONSE);
}
}  // namespace
