// How close a firmware transfer comes to what the line allows. jxsim runs on
// a pseudo-terminal with pacing, so every byte takes its ten bit times; the
// limit is the blocks' own traffic: each 246-byte block costs its 262-byte
// request and 15-byte reply. Counters: seconds (measured), limit_s, and
// ratio = limit / measured (1.0 would be a line that never stands idle).
//
//   build/default/bench/firmware/firmware_line_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include <KorNet.h>

#include "jxsim/CJxSimulator.h"

namespace {

constexpr int16_t kCom = 41;
constexpr size_t kBlock = 246;
constexpr size_t kLineBytesPerBlock = 262 + 15;

std::vector<uint8_t> Noise(size_t size)
{
    std::mt19937 random(11);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

void FirmwareOverPacedLine(benchmark::State& state)
{
    const auto baud = static_cast<uint32_t>(state.range(0));
    const size_t size = static_cast<size_t>(state.range(1)) * 1024;
    // Firmware images hardly compress: the send goes plain, block by block.
    const std::vector<uint8_t> image = Noise(size);

    jxsim::CSimOptions options;
    options.samples = false;
    options.baud = baud;
    options.pace = true;
    jxsim::CJxSimulator sim(options);
    char map[] = "/tmp/kornet-bench-ports-XXXXXX";
    const int fd = mkstemp(map);
    if (fd >= 0) close(fd);
    if (!sim.OpenPty() || !sim.RegisterComPort(kCom, map)) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    setenv("KORNET_PORTMAP", map, 1);

    CKorNetwork link;
    link.SetTimeOut(1000);
    if (link.ConfigureDirect(kCom, static_cast<int32_t>(baud), false) != KORNET_OK || link.Connect() != KORNET_OK) {
        state.SkipWithError("cannot open the line");
        unlink(map);
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        jx_resp_send_file_s response{};
        const auto start = std::chrono::steady_clock::now();
        const int16_t status = link.JxSendFileCompressed(1, "MAIN.EXE", image.data(),
                                                         static_cast<int32_t>(image.size()), &response, 0);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        seconds += s;
        if (status != KORNET_OK) state.SkipWithError("the send failed");
    }
    link.Disconnect();
    sim.Stop();
    unlink(map);

    const double blocks = static_cast<double>((size + kBlock - 1) / kBlock);
    const double limit = blocks * kLineBytesPerBlock * 10.0 / baud;
    const double measured = seconds / static_cast<double>(state.iterations());
    state.counters["seconds"] = measured;
    state.counters["limit_s"] = limit;
    state.counters["ratio"] = limit / measured;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

}  // namespace

// 300 KB at the factory speed takes three minutes: one run each.
BENCHMARK(FirmwareOverPacedLine)
    ->Args({115200, 300})
    ->Args({19200, 300})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
