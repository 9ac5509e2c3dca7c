// `korctl get` of a 10 MB file against the library's own JxGetFileCompressed
// in one process: what the program adds (start-up, connect, writing the
// file) to the transfer itself. Both fetch the same file from the same
// in-process jxsim over loopback TCP; the ratio of the two times is korctl's
// overhead.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include <KorNet.h>

#include "KorctlProcess.h"
#include "TempDir.h"
#include "jxsim/CJxSimulator.h"

namespace {

constexpr size_t kFileBytes = 10 * 1000 * 1000;

// Text-like bytes that compress about as well as a display's message files.
jxsim::Bytes TenMegabytes()
{
    std::mt19937 random(7);
    const char* const words[] = {"TRAIN ", "PLATFORM ", "DELAYED ", "12:45 ", "ON TIME ", "\r\n", "<MSG/>"};
    jxsim::Bytes bytes;
    bytes.reserve(kFileBytes);
    while (bytes.size() < kFileBytes) {
        const char* w = words[random() % 7];
        while (*w != '\0' && bytes.size() < kFileBytes) bytes.push_back(static_cast<uint8_t>(*w++));
        if (random() % 4 == 0 && bytes.size() < kFileBytes) bytes.push_back(static_cast<uint8_t>(random()));
    }
    return bytes;
}

jxsim::CJxSimulator& Sim()
{
    static std::unique_ptr<jxsim::CJxSimulator> sim = [] {
        jxsim::CSimOptions options;
        options.memoryBytes = 64 * 1000 * 1000;
        auto s = std::make_unique<jxsim::CJxSimulator>(options);
        s->ListenTcp();
        s->PutFile("BIG.BIN", TenMegabytes());
        return s;
    }();
    return *sim;
}

void LibraryGetCompressed(benchmark::State& state)
{
    jxsim::CJxSimulator& sim = Sim();
    const uint8_t loopback[4] = {127, 0, 0, 1};
    for (auto _ : state) {
        CKorNetwork link;
        link.ConfigureRemote(loopback, static_cast<int16_t>(sim.TcpPort()));
        if (link.Connect() != KORNET_OK) state.SkipWithError("connect failed");
        int16_t status = KORNET_OK;
        jx_resp_retrieve_file_s response{};
        const uint8_t* data = link.JxGetFileCompressed(1, "BIG.BIN", status, &response, 0);
        if (status != KORNET_OK || data == nullptr || response.uncompressedLength != kFileBytes)
            state.SkipWithError("get failed");
        benchmark::DoNotOptimize(data);
        link.Disconnect();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void KorctlGet(benchmark::State& state)
{
    jxsim::CJxSimulator& sim = Sim();
    TempDir work;
    const std::string target = "tcp:127.0.0.1:" + std::to_string(sim.TcpPort());
    for (auto _ : state) {
        const KorctlRun run = RunKorctl({target, "get", "BIG.BIN", "big.bin"}, work.Path());
        if (run.exit != 0) state.SkipWithError("korctl get failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

}  // namespace

BENCHMARK(LibraryGetCompressed)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(KorctlGet)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK_MAIN();
