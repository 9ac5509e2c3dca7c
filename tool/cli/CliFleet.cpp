#include "CliFleet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>

#include <KorNet.h>

#include "CliMessages.h"
#include "connection/ConnectionSequence.h"
#include "connection/DialupRules.h"
#include "firmware/FirmwareDownload.h"
#include "monitor/FrameDecoder.h"
#include "shell/StatusText.h"

namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::json;

std::string g_privateMap;

// The links running now, so that an interrupt ends their waits.
std::mutex g_runningMutex;
std::vector<CLinkOwner*> g_running;

struct CRunning {
    CLinkOwner& owner;
    explicit CRunning(CLinkOwner& o) : owner(o)
    {
        std::lock_guard lock(g_runningMutex);
        g_running.push_back(&owner);
        if (g_cliInterrupted.load()) owner.OnAbortRequest();
    }
    ~CRunning()
    {
        std::lock_guard lock(g_runningMutex);
        g_running.erase(std::find(g_running.begin(), g_running.end(), &owner));
    }
};

// The bar of a transfer on stderr: "[#####.....]  45%".
class CliProgressBar : public IProgressView {
public:
    ~CliProgressBar() override
    {
        if (m_shown) std::fputs("\n", stderr);
    }
    void SetStatusText(const std::string&) override {}
    void SetProgress(int position, int range) override
    {
        if (range <= 0) return;
        const int percent = std::clamp(position * 100 / range, 0, 100);
        if (percent == m_percent) return;
        m_percent = percent;
        m_shown = true;
        char bar[41];
        const int filled = percent * 40 / 100;
        for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
        bar[40] = '\0';
        std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
        std::fflush(stderr);
    }
    void SetRange(int) override {}
    void StepProgress() override {}
    void DisableAbort() override {}
    void EnableAbort() override {}

private:
    int m_percent = -1;
    bool m_shown = false;
};

// --trace: every frame of a target's link as one decoded line on stderr,
// lines of several targets never mixed within a line.
class CliTracer : public IKorNetFrameObserver {
public:
    explicit CliTracer(std::string target) : m_target(std::move(target)) {}

    void OnFrame(const KorNetFrameRecord& frame) override
    {
        const CDecodedFrame d = DecodeFrame(frame.bytes, frame.length, frame.direction);
        const char* arrow = frame.direction == KorNetFrameDirection::Sent       ? ">"
                            : frame.direction == KorNetFrameDirection::Received ? "<"
                                                                                : "?";
        if (m_startUs == 0) m_startUs = frame.timeUs;
        std::string line = d.summary;
        if (frame.direction == KorNetFrameDirection::Received && frame.length == 0) line = "(no reply)";
        if (frame.attempt > 0) line += " [retry " + std::to_string(frame.attempt) + "]";
        if (frame.status != KORNET_OK) line += std::string(" ") + KorNetStatusName(frame.status);
        static std::mutex out;
        std::lock_guard lock(out);
        std::fprintf(stderr, "korctl: %s %10.3f ms %s %s\n", m_target.c_str(),
                     static_cast<double>(frame.timeUs - m_startUs) / 1000.0, arrow, line.c_str());
    }

private:
    std::string m_target;
    int64_t m_startUs = 0;
};

// The target as the Connect window would have chosen it; false with the
// reason when it names no modem that can be used.
bool ChoiceFor(const CliTarget& t, CConnectionChoice& choice, std::string& failure)
{
    switch (t.kind) {
    case CliTargetKind::Tcp:
        choice.kind = JxConnectionKind::TcpIp;
        choice.ipAddress = t.host;
        choice.useDefaultSocket = false;
        choice.socketNumber = t.port;
        break;
    case CliTargetKind::Com:
    case CliTargetKind::Device:
        choice.kind = JxConnectionKind::Direct;
        choice.serialPort = "COM" + std::to_string(t.com);
        choice.baud = t.baud;
        break;
    case CliTargetKind::Dialup: {
        choice.kind = JxConnectionKind::Dialup;
        choice.phoneNumber = t.number;
        const std::vector<CListedModem> modems = ReadModemList();
        const auto modem = std::find_if(modems.begin(), modems.end(),
                                        [&](const CListedModem& m) { return m.dialupId == t.line; });
        if (modem == modems.end()) {
            failure = "no modem with line identifier " + std::to_string(t.line) + " (see korctl modems)";
            return false;
        }
        choice.modemIndex = static_cast<int>(modem - modems.begin());
        break;
    }
    }
    return true;
}

// Connects the session's link to the target; false with the failure.
bool Connect(CliSession& s, const CliRunOptions& o, const CliTarget& t, std::string& failure)
{
    CliMessageCapture capture;
    CConnectionChoice choice;
    if (!ChoiceFor(t, choice, failure)) return false;
    s.connectionKind = choice.kind;
    const auto direct = [](const std::function<bool()>& work) { return work(); };
    if (JxConnect(s.owner, s.app, choice, direct)) {
        // The site policy set the link up; the command line has the last word.
        if (o.timeoutMs > 0) s.Link().SetTimeOut(o.timeoutMs);
        if (o.retries >= 0) s.Link().SetMaxNumberOfRetries(static_cast<int16_t>(std::min(o.retries, 100)));
        return true;
    }
    failure = capture.AllTexts();
    if (failure.empty()) failure = kJxUnableToConnect;
    return false;
}

// The Download Firmware procedure at one address: it connects, sends,
// resets and disconnects by itself, as from its window.
CliResult RunFirmware(CliSession& s, const CliCommand& c, const std::string& target, CConnectionChoice choice,
                      uint8_t address)
{
    const auto start = Clock::now();
    CliMessageCapture capture;
    choice.networkAddress = std::to_string(address);
    const CFirmwareDownloadRequest request{c.args.at(0), c.driver, choice, c.highSpeed};
    const CFirmwareDownloadResult done = RunFirmwareDownload(s.owner, s.app, request);
    CliResult r;
    r.target = target;
    r.address = address;
    r.message = capture.AllTexts();
    r.data = {{"connected", done.connected}, {"highSpeed", done.switched}, {"reset", done.reset},
              {"updated", done.updated}};
    if (!done.updated) {
        if (!done.connected) {
            r.status = ERR_NETWORK_CONNECT_FAILED;
            r.exit = kCliNoConnect;
        } else {
            r.status = CliStatusOfFailureText(r.message);
            // No link failure behind it: the tool's version rule refused the image.
            r.exit = r.status == ERR_SIGN_INVALID_RESPONSE ? kCliUsage : CliExitForStatus(r.status);
        }
        if (r.message.empty()) r.message = "the firmware was not updated";
    }
    r.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return r;
}

void Pause(double seconds)
{
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (!g_cliInterrupted.load() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Polls ping and status at each address in turn, `count` rounds (or until
// interrupted), and gives each address its statistics.
std::vector<CliResult> Watch(CliSession& s, const CliCommand& c, const std::string& target,
                             const std::vector<uint8_t>& addresses)
{
    struct Stats {
        int sent = 0, answered = 0;
        double min = 0, max = 0, sum = 0;
        std::map<std::string, int> errors;
        int16_t lastStatus = 0;
        int lastExit = 0;
        std::string lastMessage;
    };
    std::vector<Stats> stats(addresses.size());
    const auto start = Clock::now();
    CliCommand ping, status;
    ping.name = "ping";
    status.name = "status";
    for (int round = 0; (c.count <= 0 || round < c.count) && !g_cliInterrupted.load(); ++round) {
        if (round > 0) Pause(c.intervalSeconds);
        if (g_cliInterrupted.load()) break;
        for (size_t i = 0; i < addresses.size(); ++i) {
            Stats& st = stats[i];
            ++st.sent;
            CliResult p = CliRunAtAddress(s, ping, target, addresses[i]);
            CliResult q = p.Ok() ? CliRunAtAddress(s, status, target, addresses[i]) : p;
            if (p.Ok() && q.Ok()) {
                const double rtt = p.data["roundTripMs"].get<double>();
                st.min = st.answered == 0 ? rtt : std::min(st.min, rtt);
                st.max = std::max(st.max, rtt);
                st.sum += rtt;
                ++st.answered;
            } else {
                ++st.errors[CliStatusName(q.status)];
                st.lastStatus = q.status;
                st.lastExit = q.exit;
                st.lastMessage = q.message;
            }
        }
    }
    std::vector<CliResult> results;
    for (size_t i = 0; i < addresses.size(); ++i) {
        const Stats& st = stats[i];
        CliResult r;
        r.target = target;
        r.address = addresses[i];
        r.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        r.data = {{"sent", st.sent}, {"answered", st.answered}, {"errors", st.errors}};
        if (st.answered > 0) {
            r.data["minMs"] = st.min;
            r.data["avgMs"] = st.sum / st.answered;
            r.data["maxMs"] = st.max;
        }
        if (st.answered < st.sent) {
            r.status = st.lastStatus;
            r.exit = st.lastExit == kCliSuccess ? kCliSomeFailed : st.lastExit;
            r.message = std::to_string(st.sent - st.answered) + " of " + std::to_string(st.sent) +
                        " polls failed; last: " + st.lastMessage;
        }
        results.push_back(std::move(r));
    }
    return results;
}

std::vector<CliResult> RunTarget(const CliRunOptions& o, const CliCommand& c, const CliTarget& t)
{
    std::vector<CliResult> results;
    CliTracer tracer(t.text);  // outlives the session's link
    CliSession session;
    if (o.trace) session.Link().SetFrameObserver(&tracer);
    CRunning running(session.owner);
    std::unique_ptr<CliProgressBar> bar;
    if (o.progress) {
        bar = std::make_unique<CliProgressBar>();
        session.owner.SetProgressView(bar.get());
    }
    const auto start = Clock::now();
    std::string failure;
    CConnectionChoice choice;
    if (c.name == "firmware" && ChoiceFor(t, choice, failure)) {
        for (const uint8_t a : o.addresses) results.push_back(RunFirmware(session, c, t.text, choice, a));
        session.owner.SetProgressView(nullptr);
        return results;
    }
    if (!failure.empty() || !Connect(session, o, t, failure)) {
        for (const uint8_t a : o.addresses) {
            CliResult r;
            r.target = t.text;
            r.address = a;
            r.exit = kCliNoConnect;
            r.status = ERR_NETWORK_CONNECT_FAILED;
            r.message = failure;
            r.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            results.push_back(std::move(r));
        }
        return results;
    }
    if (c.name == "watch") {
        results = Watch(session, c, t.text, o.addresses);
    } else {
        for (const uint8_t a : o.addresses) {
            if (g_cliInterrupted.load()) {
                CliResult r;
                r.target = t.text;
                r.address = a;
                r.exit = kCliSomeFailed;
                r.status = ERR_SIGN_ABORT;
                r.message = "interrupted before this address";
                results.push_back(std::move(r));
                continue;
            }
            results.push_back(CliRunAtAddress(session, c, t.text, a));
        }
    }
    session.owner.SetProgressView(nullptr);
    CliMessageCapture capture;
    JxDisconnect(session.owner, [](const std::function<bool()>& work) { return work(); });
    return results;
}

}  // namespace

bool CliAssignDevicePorts(std::vector<CliTarget>& targets, std::string& error)
{
    std::vector<KorNetComPort> known(256);
    const int16_t total = KorNetListComPorts(known.data(), static_cast<int16_t>(known.size()));
    known.resize(std::clamp<int>(total, 0, 256));
    std::vector<std::pair<int, std::string>> added;
    auto used = [&](int n) {
        return std::any_of(known.begin(), known.end(), [n](const KorNetComPort& p) { return p.number == n; }) ||
               std::any_of(added.begin(), added.end(), [n](const auto& a) { return a.first == n; });
    };
    for (auto& t : targets) {
        if (t.kind != CliTargetKind::Device) continue;
        const auto same = std::find_if(known.begin(), known.end(),
                                       [&](const KorNetComPort& p) { return t.device == p.device; });
        if (same != known.end()) {
            t.com = same->number;
            continue;
        }
        const auto again = std::find_if(added.begin(), added.end(), [&](const auto& a) { return a.second == t.device; });
        if (again != added.end()) {
            t.com = again->first;
            continue;
        }
        int n = 255;
        while (n > 0 && used(n)) --n;
        if (n == 0) {
            error = "no free COM number for " + t.device;
            return false;
        }
        added.emplace_back(n, t.device);
        t.com = n;
    }
    if (added.empty()) return true;
    // A private map holds every port the library knows now (so com: targets
    // keep their numbers) and the devices named on the command line.
    char path[] = "/tmp/korctl-ports-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        error = "cannot write a port map for the dev: targets";
        return false;
    }
    close(fd);
    std::ofstream map(path);
    map << "# korctl: the port map of one run\n";
    for (const auto& p : known) map << "COM" << p.number << "=" << p.device << "\n";
    for (const auto& [n, device] : added) map << "COM" << n << "=" << device << "\n";
    map.close();
    if (!map) {
        unlink(path);
        error = "cannot write a port map for the dev: targets";
        return false;
    }
    g_privateMap = path;
    setenv("KORNET_PORTMAP", path, 1);
    return true;
}

void CliRemovePrivatePortMap()
{
    if (!g_privateMap.empty()) unlink(g_privateMap.c_str());
    g_privateMap.clear();
}

std::vector<CliResult> CliRunFleet(const CliRunOptions& o, const CliCommand& c)
{
    const size_t count = o.targets.size();
    std::vector<std::vector<CliResult>> perTarget(count);
    const size_t workers = o.jobs > 0 ? std::min<size_t>(static_cast<size_t>(o.jobs), count) : count;
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < count; i = next++) perTarget[i] = RunTarget(o, c, o.targets[i]);
    };
    // Ctrl-C: every running link stops waiting (watch ends its polls itself).
    // The flag is set in a signal handler, which cannot wake a waiter: it is
    // looked at every 20 ms; the end of the run wakes the watcher at once.
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::thread interrupter([&] {
        {
            std::unique_lock lock(doneMutex);
            while (!done && !g_cliInterrupted.load()) doneChanged.wait_for(lock, std::chrono::milliseconds(20));
            if (done || c.name == "watch") return;
        }
        std::lock_guard lock(g_runningMutex);
        for (CLinkOwner* owner : g_running) owner->OnAbortRequest();
    });
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    {
        std::lock_guard lock(doneMutex);
        done = true;
    }
    doneChanged.notify_all();
    interrupter.join();
    std::vector<CliResult> results;
    for (auto& r : perTarget) std::move(r.begin(), r.end(), std::back_inserter(results));
    return results;
}
