// Frame exchanges over loopback TCP against a minimal answering controller,
// beside the floor: a raw socket ping-pong of the same request and reply
// bytes with the same controller, in the same run. The goal is one library
// exchange at no more than 1.2 times the raw round trip. Then 1 MB files
// sent and fetched, plain and compressed.
//
//   build/<dir>/bench/link/link_tcp_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

#include "AnsweringController.h"
#include "JxFileStore.h"
#include "KorNet.h"
#include "TcpController.h"
#include "TcpPeer.h"
#ifdef KORNET_BENCH_DECODER
#include "monitor/FrameDecoder.h"
#endif

namespace {
using Bytes = std::vector<uint8_t>;
using bench::Acknowledge;
using bench::kAddr;
using bench::kRequest;

void Connect(CKorNetwork& link, uint16_t port, benchmark::State& state)
{
    link.SetTimeOut(1000);
    if (link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(port)) != KORNET_OK ||
        link.Connect() != KORNET_OK)
        state.SkipWithError("no connection");
}

void BM_RawPingPong(benchmark::State& state)
{
    TcpController controller(Acknowledge);
    const int fd = TcpConnectLoopback(controller.Port());
    if (fd < 0) {
        state.SkipWithError("no connection");
        return;
    }
    const Bytes request = ControllerFrame(kAddr, 0x10, Bytes(kRequest, kRequest + sizeof kRequest));
    const size_t replyLength = 6 + 8 + 1;
    uint8_t reply[64];
    for (auto _ : state) {
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
            state.SkipWithError("send");
            break;
        }
        size_t got = 0;
        while (got < replyLength) {
            const ssize_t n = recv(fd, reply + got, replyLength - got, 0);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        if (got != replyLength) {
            state.SkipWithError("recv");
            break;
        }
    }
    close(fd);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawPingPong)->UseRealTime();

void BM_LibraryExchange(benchmark::State& state)
{
    TcpController controller(Acknowledge);
    CKorNetwork link;
    Connect(link, controller.Port(), state);
    for (auto _ : state) {
        if (link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0) != KORNET_OK) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    link.Disconnect();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibraryExchange)->UseRealTime();

void BM_JxBlankDisplay(benchmark::State& state)
{
    TcpController controller(Acknowledge);
    CKorNetwork link;
    Connect(link, controller.Port(), state);
    jx_resp_blank_display_s response{};
    for (auto _ : state) {
        if (link.JxBlankDisplay(kAddr, 0, &response) != KORNET_OK) {
            state.SkipWithError("command failed");
            break;
        }
    }
    link.Disconnect();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JxBlankDisplay)->UseRealTime();

// Raw round trips and library exchanges taken in turns, so that whatever
// else the machine is doing weighs on both alike; the ratio counter is the
// figure the goal is about.
void BM_ExchangeVsFloor(benchmark::State& state)
{
    constexpr int kTurn = 200;
    TcpController rawController(Acknowledge);
    TcpController linkController(Acknowledge);
    const int fd = TcpConnectLoopback(rawController.Port());
    CKorNetwork link;
    Connect(link, linkController.Port(), state);
    if (fd < 0) {
        state.SkipWithError("no connection");
        return;
    }
    const Bytes request = ControllerFrame(kAddr, 0x10, Bytes(kRequest, kRequest + sizeof kRequest));
    const size_t replyLength = 6 + 8 + 1;
    uint8_t reply[64];
    double rawNs = 0;
    double linkNs = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < kTurn; ++i) {
            (void)send(fd, request.data(), request.size(), MSG_NOSIGNAL);
            size_t got = 0;
            while (got < replyLength) {
                const ssize_t n = recv(fd, reply + got, replyLength - got, 0);
                if (n <= 0) break;
                got += static_cast<size_t>(n);
            }
        }
        const auto t1 = Clock::now();
        for (int i = 0; i < kTurn; ++i) (void)link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0);
        const auto t2 = Clock::now();
        rawNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        linkNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    close(fd);
    link.Disconnect();
    const double n = static_cast<double>(state.iterations()) * kTurn;
    state.counters["raw_ns"] = rawNs / n;
    state.counters["link_ns"] = linkNs / n;
    state.counters["ratio"] = rawNs > 0 ? linkNs / rawNs : 0;
}
BENCHMARK(BM_ExchangeVsFloor)->Unit(benchmark::kMillisecond);

#ifdef KORNET_BENCH_DECODER
// The Link Monitor's cost on the line: the same exchange on a link without
// an observer and on one whose observer decodes every frame (as the
// monitor's table does), taken in turns.
struct DecodingObserver : IKorNetFrameObserver {
    size_t summaryBytes = 0;
    void OnFrame(const KorNetFrameRecord& f) override
    {
        summaryBytes += DecodeFrame(f.bytes, f.length, f.direction).summary.size();
    }
};

void BM_ExchangeObserved(benchmark::State& state)
{
    // One link and one controller, the observer put on and taken off turn
    // by turn, so that both halves share the connection and its state.
    constexpr int kTurn = 200;
    TcpController controller(Acknowledge);
    CKorNetwork link;
    Connect(link, controller.Port(), state);
    DecodingObserver observer;
    double plainNs = 0;
    double observedNs = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        link.SetFrameObserver(nullptr);
        const auto t0 = Clock::now();
        for (int i = 0; i < kTurn; ++i) (void)link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0);
        const auto t1 = Clock::now();
        link.SetFrameObserver(&observer);
        for (int i = 0; i < kTurn; ++i) (void)link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0);
        const auto t2 = Clock::now();
        plainNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        observedNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    link.Disconnect();
    if (observer.summaryBytes == 0) state.SkipWithError("the observer saw nothing");
    const double n = static_cast<double>(state.iterations()) * kTurn;
    state.counters["plain_ns"] = plainNs / n;
    state.counters["observed_ns"] = observedNs / n;
    state.counters["ratio"] = plainNs > 0 ? observedNs / plainNs : 0;
}
BENCHMARK(BM_ExchangeObserved)->Unit(benchmark::kMillisecond);
#endif

// 1 MB of directory-like text: compressible as the controllers' XML files are.
const Bytes& OneMegabyte()
{
    static const Bytes data = [] {
        Bytes b;
        unsigned n = 0;
        while (b.size() < (1u << 20)) {
            const std::string line = "<ENT name=\"MSG" + std::to_string(n * 7919 % 10000) + ".XML\" size=\"" +
                                     std::to_string(n * 104729 % 65536) + "\" sec=\"" +
                                     std::to_string(1700000000 + n * 37) + "\"/>\n";
            b.insert(b.end(), line.begin(), line.end());
            ++n;
        }
        b.resize(1u << 20);
        return b;
    }();
    return data;
}

void BM_SendFile(benchmark::State& state)
{
    const bool compressed = state.range(0) != 0;
    JxFileStore store;
    TcpController controller(store.Handler());
    CKorNetwork link;
    Connect(link, controller.Port(), state);
    const Bytes& data = OneMegabyte();
    for (auto _ : state) {
        const int32_t n = static_cast<int32_t>(data.size());
        const int16_t s = compressed ? link.JxSendFileCompressed(kAddr, "BIG.XML", data.data(), n, nullptr, 0)
                                     : link.JxSendFile(kAddr, "BIG.XML", data.data(), n, nullptr, 0);
        if (s != KORNET_OK) {
            state.SkipWithError("send failed");
            break;
        }
    }
    link.Disconnect();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
    state.SetLabel(compressed ? "compressed" : "plain");
}
BENCHMARK(BM_SendFile)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_GetFile(benchmark::State& state)
{
    const bool compressed = state.range(0) != 0;
    JxFileStore store;
    store.Put("BIG.XML", OneMegabyte());
    TcpController controller(store.Handler());
    CKorNetwork link;
    Connect(link, controller.Port(), state);
    for (auto _ : state) {
        int16_t status = 0;
        const uint8_t* got = compressed ? link.JxGetFileCompressed(kAddr, "BIG.XML", status, nullptr, 0)
                                        : link.JxGetFile(kAddr, "BIG.XML", status, nullptr, 0);
        if (got == nullptr || std::memcmp(got, OneMegabyte().data(), 16) != 0) {
            state.SkipWithError("get failed");
            break;
        }
    }
    link.Disconnect();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(OneMegabyte().size()));
    state.SetLabel(compressed ? "compressed" : "plain");
}
BENCHMARK(BM_GetFile)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
