// The jxsim program as a user starts it: its options, what it prints, the
// port map it enters itself in, its folder store, and a clean stop.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "KorNet.h"
#include "RawHost.h"
#include "TempDir.h"

extern char** environ;

namespace {
int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// jxsim running with its standard output and error on pipes.
class Program {
public:
    explicit Program(const std::vector<std::string>& args)
    {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<std::string> all = {JXSIM_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, JXSIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program()
    {
        if (m_pid > 0 && !m_waited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
        close(m_err);
    }

    // The next line of standard output, or "" when none comes in time.
    std::string Line(int timeoutMs = 5000)
    {
        const int64_t deadline = NowMs() + timeoutMs;
        for (;;) {
            if (auto nl = m_buffer.find('\n'); nl != std::string::npos) {
                std::string line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                return line;
            }
            const int64_t left = deadline - NowMs();
            if (left <= 0) return {};
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char buf[512];
            const ssize_t n = read(m_out, buf, sizeof buf);
            if (n <= 0) return {};
            m_buffer.append(buf, static_cast<size_t>(n));
        }
    }
    // Waits for the program to end; its exit status, -1 on a signal.
    int Wait(std::string* errorText = nullptr)
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_waited = true;
        if (errorText != nullptr) {
            char buf[4096];
            ssize_t n;
            while ((n = read(m_err, buf, sizeof buf)) > 0) errorText->append(buf, static_cast<size_t>(n));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Sends SIGTERM; true when the program ended within `timeoutMs`, with
    // its exit status in `code` (-1 on a signal).
    bool StopWithin(int timeoutMs, int& code)
    {
        kill(m_pid, SIGTERM);
        const int64_t deadline = NowMs() + timeoutMs;
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (NowMs() >= deadline) return false;
            usleep(20000);
        }
        m_waited = true;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }
    int Stop()
    {
        kill(m_pid, SIGTERM);
        return Wait();
    }
    bool Started() const { return m_pid > 0; }
    // What is left of standard output once the program has ended.
    std::string Rest()
    {
        std::string all = m_buffer;
        char buf[4096];
        ssize_t n;
        while ((n = read(m_out, buf, sizeof buf)) > 0) all.append(buf, static_cast<size_t>(n));
        m_buffer.clear();
        return all;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1, m_err = -1;
    bool m_waited = false;
    std::string m_buffer;
};

std::string Capture(const std::regex& re, const std::string& line)
{
    std::smatch m;
    return std::regex_search(line, m, re) ? m[1].str() : std::string();
}
}  // namespace

TEST(SimProgram, HelpAndBadOptions)
{
    {
        Program p({"--help"});
        EXPECT_EQ(p.Wait(), 0);
        const std::string all = p.Rest();
        for (const char* option : {"--listen", "--pty", "--com", "--address", "--root", "--memory", "--version",
                                   "--boot-ms", "--baud", "--no-compression", "--drop", "--corrupt", "--wrong-seq",
                                   "--garbage", "--byte-delay", "--fail-file", "--close-after", "--fault-rate", "--seed"})
            EXPECT_NE(all.find(option), std::string::npos) << option;
    }
    TempDir dir;
    WriteWholeFile(dir.File("file"), "");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--address", "241"}, "jxsim: --address: \"241\" is not a number from 1 to 240\n"},
        {{"--com", "4"}, "jxsim: --com needs --pty\n"},
        {{"--root", dir.File("file/store")}, "jxsim: cannot create " + dir.File("file/store") + ": Not a directory\n"},
        {{"--root", dir.File("file")}, "jxsim: " + dir.File("file") + " is not a folder\n"},
    };
    for (const auto& c : cases) {
        Program p(c.args);
        std::string error;
        EXPECT_NE(p.Wait(&error), 0) << c.args[0];
        EXPECT_EQ(error.substr(0, c.message.size()), c.message);
    }
}

TEST(SimProgram, ListensPrintsWhereAndStopsCleanly)
{
    TempDir dir;
    WriteWholeFile(dir.File("USER.MSG"), "from the user");
    Program p({"--listen", "127.0.0.1:0", "--address", "5", "--root", dir.Path(), "--no-samples", "--quiet"});
    ASSERT_TRUE(p.Started());
    const std::string first = p.Line();
    const std::string port = Capture(std::regex("^jxsim: listening on 127\\.0\\.0\\.1:([0-9]+) \\(controller 5, files in "), first);
    ASSERT_FALSE(port.empty()) << first;

    CKorNetwork link;
    link.SetTimeOut(1000);
    const uint8_t loopback[4] = {127, 0, 0, 1};
    ASSERT_EQ(link.ConfigureRemote(loopback, static_cast<int16_t>(std::stoi(port))), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    int16_t status = -99;
    jx_resp_retrieve_file_s r{};
    const uint8_t* p1 = link.JxGetFile(5, "USER.MSG", status, &r, 0);
    ASSERT_EQ(status, KORNET_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p1), r.length), "from the user");
    const uint8_t text[] = "sent by the link";
    ASSERT_EQ(link.JxSendFileCompressed(5, "MSG\\SENT.MSG", text, sizeof text - 1, nullptr, 0), KORNET_OK);
    EXPECT_EQ(ReadWholeFile(dir.File("MSG%5CSENT.MSG")), "sent by the link");
    // A fresh folder gets the controller's CONFIG.XML.
    EXPECT_NE(ReadWholeFile(dir.File("CONFIG.XML")).find("<CFG "), std::string::npos);
    link.Disconnect();

    EXPECT_EQ(p.Stop(), 0);
}

TEST(SimProgram, StopsOnSignalWhileAClientDoesNotRead)
{
    Program p({"--listen", "127.0.0.1:0", "--quiet"});
    ASSERT_TRUE(p.Started());
    const std::string port = Capture(std::regex("^jxsim: listening on 127\\.0\\.0\\.1:([0-9]+) "), p.Line());
    ASSERT_FALSE(port.empty());
    RawHost greedy = RawHost::Tcp(static_cast<uint16_t>(std::stoi(port)), 4096);
    ASSERT_TRUE(greedy.Ok());
    ASSERT_TRUE(greedy.FloodUntilStalled(BlockRequestFlood(1, "CONFIG.XML"), 300, 60000));
    int code = -2;
    EXPECT_TRUE(p.StopWithin(5000, code));
    EXPECT_EQ(code, 0);
}

TEST(SimProgram, PseudoTerminalEntersAndLeavesThePortMap)
{
    TempDir dir;
    const std::string map = dir.File("ports");
    WriteWholeFile(map, "# mine\nCOM3=/dev/ttyUSB0\nCOM12=/dev/ttyS4\n");
    Program p({"--pty", "--com", "12", "--portmap", map, "--baud", "9600"});
    ASSERT_TRUE(p.Started());
    const std::string device = Capture(std::regex("^jxsim: pseudo-terminal (/dev/[^ ]+) at 9600 baud"), p.Line());
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(p.Line(), "jxsim: COM12 is " + device + " in the port map " + map);
    EXPECT_EQ(ReadWholeFile(map), "# mine\nCOM3=/dev/ttyUSB0\nCOM12=" + device + "\n");

    setenv("KORNET_PORTMAP", map.c_str(), 1);
    CKorNetwork link;
    link.SetTimeOut(300);
    ASSERT_EQ(link.ConfigureDirect(12, 9600, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    EXPECT_EQ(link.Ping(1), KORNET_OK);
    EXPECT_EQ(link.JxBlankDisplay(1, 1, nullptr), KORNET_OK);
    link.Disconnect();
    unsetenv("KORNET_PORTMAP");

    // Its output logs the commands it served.
    EXPECT_NE(p.Line().find("[1] JxBlankDisplay: blank"), std::string::npos);
    EXPECT_EQ(p.Stop(), 0);
    EXPECT_EQ(ReadWholeFile(map), "# mine\nCOM3=/dev/ttyUSB0\nCOM12=/dev/ttyS4\n");
}
