// The Link Monitor window's cost on the line: the same frame exchange over
// loopback TCP with nothing watching the link and with the monitor window
// open on it (offscreen), taken turn by turn on one link and one controller.
// With the window open its timer takes the frames into the table between
// turns, as the window's own event loop does while a function runs.
//
//   build/<dir>/bench/link/link_monitor_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>

#include "AnsweringController.h"
#include "KorNet.h"
#include "TcpController.h"
#include "TcpPeer.h"
#include "monitor/views/CFrameTableModel.h"
#include "monitor/views/CLinkMonitorWnd.h"

namespace {
using bench::Acknowledge;
using bench::kAddr;
using bench::kRequest;

void BM_ExchangeMonitorWindow(benchmark::State& state)
{
    constexpr int kTurn = 200;
    TcpController controller(Acknowledge);
    CKorNetwork link;
    link.SetTimeOut(1000);
    if (link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(controller.Port())) != KORNET_OK ||
        link.Connect() != KORNET_OK) {
        state.SkipWithError("no connection");
        return;
    }
    CLinkMonitorWnd monitor(link);
    double plainNs = 0;
    double windowNs = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        monitor.hide();
        const auto t0 = Clock::now();
        for (int i = 0; i < kTurn; ++i) (void)link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0);
        const auto t1 = Clock::now();
        monitor.show();
        for (int i = 0; i < kTurn; ++i) {
            (void)link.GenericCommand(kAddr, kRequest, sizeof kRequest, nullptr, 0);
            if (i % 50 == 49) QApplication::processEvents();
        }
        const auto t2 = Clock::now();
        plainNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        windowNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    monitor.hide();
    link.Disconnect();
    if (monitor.Model().Rows().empty()) state.SkipWithError("the window took no frames");
    const double n = static_cast<double>(state.iterations()) * kTurn;
    state.counters["plain_ns"] = plainNs / n;
    state.counters["window_ns"] = windowNs / n;
    state.counters["ratio"] = plainNs > 0 ? windowNs / plainNs : 0;
}
BENCHMARK(BM_ExchangeMonitorWindow)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
