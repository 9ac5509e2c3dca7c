// A frame observer against jxsim's own record of what it took off the line:
// a file sent and fetched back over a line that loses, cuts and garbles
// frames. The observer must see every request the controller saw, retries
// included, in the same order, and each reply as the link judged it.
#include <gtest/gtest.h>

#include "SimLinkFixture.h"
#include "monitor/FrameDecoder.h"

namespace {
using jxsim::Bytes;

struct SeenFrame {
    KorNetFrameDirection direction;
    Bytes bytes;
    int16_t attempt;
    int16_t status;
};
struct FrameRecorder : IKorNetFrameObserver {
    std::vector<SeenFrame> seen;
    void OnFrame(const KorNetFrameRecord& f) override
    {
        seen.push_back({f.direction, Bytes(f.bytes, f.bytes + f.length), f.attempt, f.status});
    }
};

Bytes Content(size_t size)
{
    Bytes data(size);
    uint32_t x = 12345;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return data;
}
}  // namespace

using MonitorSim = SimLinkTest;

TEST_P(MonitorSim, ObserverSeesWhatTheControllerRecordedRetriesIncluded)
{
    Start({}, 500);
    FrameRecorder recorder;
    link.SetFrameObserver(&recorder);
    sim->SetRandomFaults(0.05, 20261207);
    sim->ClearCommands();

    const Bytes data = Content(20000);
    const int16_t sent = link.JxSendFile(1, "TRACE.BIN", data.data(), static_cast<int32_t>(data.size()), nullptr, 0);
    jx_resp_retrieve_file_s response{};
    int16_t got = KORNET_OK;
    (void)link.JxGetFile(1, "TRACE.BIN", got, &response, 0);
    SCOPED_TRACE("send " + std::to_string(sent) + ", get " + std::to_string(got));
    ASSERT_GT(sim->FaultCounts().Total(), 0u) << "the seed struck no fault: the test proves nothing";

    // Every frame the link sent is the one the controller recorded next.
    const std::vector<jxsim::CRecordedCommand> recorded = sim->Commands();
    std::vector<size_t> sentAt;
    for (size_t i = 0; i < recorder.seen.size(); ++i)
        if (recorder.seen[i].direction == KorNetFrameDirection::Sent) sentAt.push_back(i);
    ASSERT_EQ(sentAt.size(), recorded.size());
    int retries = 0, strayRuns = 0;
    for (size_t k = 0; k < recorded.size(); ++k) {
        SCOPED_TRACE("frame " + std::to_string(k) + ": " + recorded[k].name);
        const SeenFrame& s = recorder.seen[sentAt[k]];
        const CDecodedFrame d = DecodeFrame(s.bytes.data(), s.bytes.size(), s.direction);
        ASSERT_TRUE(d.checksumOk);
        EXPECT_EQ(d.address, recorded[k].address);
        EXPECT_EQ(d.frameType, recorded[k].frameType);
        EXPECT_EQ(Bytes(s.bytes.begin() + 6, s.bytes.end() - (s.bytes.size() > 6 ? 1 : 0)), recorded[k].request);
        if (s.attempt > 0) ++retries;

        // What came back before the next request: stray runs, then one
        // reply. A reply the link took must be the one the controller sent.
        const size_t end = k + 1 < sentAt.size() ? sentAt[k + 1] : recorder.seen.size();
        ASSERT_GE(end - sentAt[k], 2u) << "no reply record";
        const SeenFrame& reply = recorder.seen[end - 1];
        EXPECT_EQ(reply.direction, KorNetFrameDirection::Received);
        EXPECT_EQ(reply.attempt, s.attempt);
        for (size_t i = sentAt[k] + 1; i + 1 < end; ++i) {
            EXPECT_EQ(recorder.seen[i].direction, KorNetFrameDirection::Stray);
            ++strayRuns;
        }
        if (reply.status == KORNET_OK) {
            EXPECT_NE(recorded[k].replyType, -1) << "a reply the controller never sent";
            EXPECT_EQ(DecodeFrame(reply.bytes.data(), reply.bytes.size(), reply.direction).frameType,
                      recorded[k].replyType);
        }
        if (recorded[k].replyType == -1) {
            EXPECT_NE(reply.status, KORNET_OK);
        }
    }
    EXPECT_GT(retries, 0);
    EXPECT_EQ(strayRuns > 0, sim->FaultCounts().garbage > 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, MonitorSim,
                         ::testing::Values(SimTransport::Tcp, SimTransport::Pty, SimTransport::Modem), TransportName);
