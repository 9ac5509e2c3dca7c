// What the File Transfer window's jobs cost on top of the library: a 10 MB
// file uploaded with UploadFiles and downloaded with DownloadFiles (reading
// and writing the local folder, the upload's closing listing, the download's
// temporary file) against JxSendFileCompressed and JxGetFileCompressed of
// the same bytes, taken in turns over one link to jxsim on loopback TCP.
// The download's pause before its first file is left out (a wait of 0): it
// is there for the operator, not for the line. Counters: seconds of each and
// ratio = job / library (the figure to watch).
//
//   build/default/bench/filetransfer/filetransfer_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include <KorNet.h>

#include "filetransfer/FileTransferJobs.h"
#include "jxsim/CJxSimulator.h"

namespace {

constexpr size_t kSize = 10 * 1000 * 1000;

// Half text, half noise: about what a folder of messages and bitmaps holds,
// so the compressed form is roughly half the file.
std::string FileBytes()
{
    std::mt19937 random(5);
    std::string bytes;
    bytes.reserve(kSize);
    char line[96];
    while (bytes.size() < kSize) {
        if (bytes.size() % 2000 < 1000) {
            std::snprintf(line, sizeof line, "<MSG id=\"%u\" text=\"Platform %u\"/>\r\n", static_cast<unsigned>(random() % 100000),
                          static_cast<unsigned>(random() % 12));
            bytes += line;
        } else {
            bytes += static_cast<char>(random());
        }
    }
    bytes.resize(kSize);
    return bytes;
}

class CQuietReport : public IFileTransferReport {
public:
    void SetStatusText(const std::string&) override {}
    void ReportError(const std::string& message) override { errors.push_back(message); }
    void ShowMessage(JxMessageKind, const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> AskNewName(const CRenameFileRequest&) override { return std::nullopt; }
    std::vector<std::string> errors;
};

double Seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void TransferJobsVsLibrary(benchmark::State& state)
{
    const std::string bytes = FileBytes();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    char folderPattern[] = "/tmp/kornet-bench-ft-XXXXXX";
    if (mkdtemp(folderPattern) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string folder = std::string(folderPattern) + "/";
    std::ofstream(folder + "big.bin", std::ios::binary) << bytes;

    jxsim::CSimOptions options;
    options.samples = false;
    options.memoryBytes = 100ull * 1000 * 1000;
    jxsim::CJxSimulator sim(options);
    CKorNetwork link;
    const uint8_t loopback[4] = {127, 0, 0, 1};
    if (!sim.ListenTcp() || link.ConfigureRemote(loopback, static_cast<int16_t>(sim.TcpPort())) != KORNET_OK ||
        link.Connect() != KORNET_OK) {
        state.SkipWithError("no link to jxsim");
        return;
    }
    std::atomic<bool> stop{false};
    CQuietReport report;
    CFileTransferJob job{link, 1, stop, report, [](int) {}};

    double libSend = 0, jobSend = 0, libGet = 0, jobGet = 0;
    auto librarySend = [&] {
        const auto t = std::chrono::steady_clock::now();
        jx_resp_send_file_s sent{};
        if (link.JxSendFileCompressed(1, "LIB.BIN", data, static_cast<int32_t>(bytes.size()), &sent, 0) != KORNET_OK)
            state.SkipWithError("library send failed");
        libSend += Seconds(t);
    };
    auto jobSendOnce = [&] {
        const auto t = std::chrono::steady_clock::now();
        const CFileTransferOutcome up = UploadFiles(job, folder, {"big.bin"}, {}, {});
        jobSend += Seconds(t);
        if (up.completed.size() != 1) state.SkipWithError("upload job failed");
    };
    auto libraryGet = [&] {
        const auto t = std::chrono::steady_clock::now();
        int16_t status = KORNET_OK;
        jx_resp_retrieve_file_s got{};
        const uint8_t* fetched = link.JxGetFileCompressed(1, "LIB.BIN", status, &got, 0);
        if (status != KORNET_OK || fetched == nullptr || got.uncompressedLength != bytes.size())
            state.SkipWithError("library get failed");
        libGet += Seconds(t);
    };
    auto jobGetOnce = [&] {
        const auto t = std::chrono::steady_clock::now();
        const CFileTransferOutcome down = DownloadFiles(job, folder, {"BIG.BIN"});
        jobGet += Seconds(t);
        if (down.completed.size() != 1) state.SkipWithError("download job failed");
    };
    // Each side goes first every other time.
    bool libraryFirst = true;
    for (auto _ : state) {
        if (libraryFirst) {
            librarySend();
            jobSendOnce();
            libraryGet();
            jobGetOnce();
        } else {
            jobSendOnce();
            librarySend();
            jobGetOnce();
            libraryGet();
        }
        libraryFirst = !libraryFirst;
    }
    if (!report.errors.empty()) state.SkipWithError(report.errors.front().c_str());
    link.Disconnect();
    std::remove((folder + "big.bin").c_str());
    std::remove((folder + "BIG.BIN").c_str());
    rmdir(folderPattern);

    const double n = static_cast<double>(state.iterations());
    state.counters["lib_send_s"] = libSend / n;
    state.counters["job_send_s"] = jobSend / n;
    state.counters["send_ratio"] = libSend > 0 ? jobSend / libSend : 0;
    state.counters["lib_get_s"] = libGet / n;
    state.counters["job_get_s"] = jobGet / n;
    state.counters["get_ratio"] = libGet > 0 ? jobGet / libGet : 0;
}
BENCHMARK(TransferJobsVsLibrary)->Iterations(4)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
