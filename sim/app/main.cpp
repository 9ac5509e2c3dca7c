// jxsim: display controllers in software for the tool, the library's tests
// and a technician without a controller on the bench.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/time.h>

#include "CommandLine.h"
#include "Documents.h"
#include "jxsim/CJxSimulator.h"

namespace {
std::mutex g_out;

void Print(const std::string& line)
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    localtime_r(&tv.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::lock_guard lock(g_out);
    std::printf("%s.%03d %s\n", stamp, static_cast<int>(tv.tv_usec / 1000), line.c_str());
    std::fflush(stdout);
}

void Say(const std::string& line)
{
    std::lock_guard lock(g_out);
    std::printf("jxsim: %s\n", line.c_str());
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv)
{
    using namespace jxsim;
    CProgramOptions o;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), o, error)) {
        std::fprintf(stderr, "jxsim: %s\n", error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (!o.makeFirmware.empty()) {
        const size_t dash = o.sim.version.find('-');
        const Bytes image = MakeFirmwareImage("Tolvar Jx firmware V " +
                                              (dash == std::string::npos ? o.sim.version : o.sim.version.substr(dash + 1)));
        bool written = false;
        if (std::FILE* f = std::fopen(o.makeFirmware.c_str(), "wb")) {
            written = std::fwrite(image.data(), 1, image.size(), f) == image.size();
            written = std::fclose(f) == 0 && written;
        }
        if (!written) {
            std::fprintf(stderr, "jxsim: cannot write %s\n", o.makeFirmware.c_str());
            return 1;
        }
        Say("wrote " + o.makeFirmware + " (firmware " + o.sim.version + ")");
        return 0;
    }
    if (!o.quiet) o.sim.log = Print;
    if (!o.pty) o.sim.configTcpPort = o.port;

    // The engine's thread inherits this mask, so only sigwait below sees
    // the signals that end the program.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    CJxSimulator sim(o.sim);
    if (!sim.Ok()) {
        std::fprintf(stderr, "jxsim: %s\n", sim.Error().c_str());
        return 1;
    }
    sim.DropReplies(o.drop);
    sim.CorruptChecksums(o.corrupt);
    sim.WrongSequences(o.wrongSeq);
    sim.GarbageBeforeReplies(o.garbage);
    sim.SetByteDelayMs(o.byteDelayMs);
    sim.CloseAfterBlocks(o.closeAfter);
    for (const auto& [name, e] : o.failFiles) sim.FailFile(name, e);
    if (o.faultRate > 0) sim.SetRandomFaults(o.faultRate, o.seed);

    const bool started = o.pty ? sim.OpenPty() : sim.ListenTcp(o.host, o.port);
    if (!started) {
        std::fprintf(stderr, "jxsim: %s\n", sim.Error().c_str());
        return 1;
    }
    std::string controllers;
    for (uint8_t a : o.sim.addresses) controllers += (controllers.empty() ? "" : ", ") + std::to_string(a);
    const std::string store = o.sim.root.empty() ? "files in memory" : "files in " + o.sim.root;
    if (o.pty) {
        Say("pseudo-terminal " + sim.PtyPath() + " at " + std::to_string(o.sim.baud) + " baud (controller " +
            controllers + ", " + store + ")");
        if (o.com != 0) {
            if (!sim.RegisterComPort(o.com, o.portMap)) {
                std::fprintf(stderr, "jxsim: %s\n", sim.Error().c_str());
                return 1;
            }
            Say("COM" + std::to_string(o.com) + " is " + sim.PtyPath() + " in the port map " + sim.PortMapPath());
        }
    } else {
        Say("listening on " + sim.Where() + " (controller " + controllers + ", " + store + ")");
    }

    int sig = 0;
    sigwait(&stop, &sig);
    Say("stopping");
    sim.Stop();
    return 0;
}
