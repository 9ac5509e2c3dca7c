// The connection sequence without a display: configure and connect, the
// work, disconnect, against jxsim over loopback TCP and on a pseudo-terminal
// reached as a COM port. The run-operation callback runs each step directly
// with a progress state bound, the way a program without windows would.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../shell/MessageRecorder.h"
#include "TempDir.h"
#include "connection/CProgressState.h"
#include "connection/ConnectionSequence.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"

namespace {
constexpr int kSimCom = 7;
constexpr int kMissingCom = 8;  // mapped to a device that does not exist

enum class Transport { Tcp, Pty };
const char* NameOf(Transport t) { return t == Transport::Tcp ? "TCP" : "pty"; }

// A loopback port that refuses every connection: bound, never listening.
class CRefusingPort {
public:
    CRefusingPort()
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~CRefusingPort()
    {
        if (m_fd >= 0) close(m_fd);
    }
    uint16_t Port() const { return m_port; }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

class ConnectionSequence : public ::testing::Test {
protected:
    TempDir dir;
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    std::unique_ptr<jxsim::CJxSimulator> sim, ptySim;  // one line each
    CRefusingPort refusing;
    CLinkOwner owner;
    CMessageRecorder messages;

    // The texts each link operation showed, one list per operation, and the
    // progress state each one ended with.
    std::vector<std::vector<std::string>> operations;
    std::vector<CProgressSnapshot> ends;

    void SetUp() override
    {
        setenv("JXCONFIG_DATA_DIR", dir.File("data").c_str(), 1);
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        CKorNetwork scratch;
        app->ApplyNetworkPolicies(scratch, JxPolicyKind::Direct);  // creates the data folder
        WriteWholeFile(dir.File("data/KorConfig.xml"),
                       "<KORCONFIG><NETWORK_TIMEOUTS ip=\"500\" direct=\"500\" dialup=\"500\"/>"
                       "<NETWORK_RETRIES ip=\"1\" direct=\"1\" dialup=\"1\"/></KORCONFIG>");
        sim = std::make_unique<jxsim::CJxSimulator>();
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
        ptySim = std::make_unique<jxsim::CJxSimulator>();
        ASSERT_TRUE(ptySim->OpenPty()) << ptySim->Error();
        ASSERT_TRUE(ptySim->RegisterComPort(kSimCom, dir.File("ports"))) << ptySim->Error();
        WriteWholeFile(dir.File("ports"), ReadWholeFile(dir.File("ports")) + "COM" + std::to_string(kMissingCom) +
                                              "=" + dir.File("no-such-device") + "\n");
        setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
        ASSERT_NE(refusing.Port(), 0);
    }

    void TearDown() override
    {
        owner.Link().Disconnect();
        if (sim) sim->Stop();
        if (ptySim) ptySim->Stop();
        unsetenv("KORNET_PORTMAP");
    }

    // Runs each step at once on this thread, with a fresh progress state.
    JxRunOperation RunDirectly()
    {
        return [this](const std::function<bool()>& work) {
            CProgressState state;
            std::vector<std::string> texts;
            state.OnChange([&] {
                const std::string text = state.Snapshot().text;
                if (!text.empty() && (texts.empty() || texts.back() != text)) texts.push_back(text);
            });
            owner.SetProgressView(&state);
            const bool ok = work();
            state.RequestClose();
            owner.SetProgressView(nullptr);
            owner.ClearCancel();
            operations.push_back(texts);
            ends.push_back(state.Snapshot());
            return ok;
        };
    }

    CConnectionChoice Reaching(Transport transport, bool reachable) const
    {
        CConnectionChoice c;
        if (transport == Transport::Tcp) {
            c.kind = JxConnectionKind::TcpIp;
            c.ipAddress = "127.0.0.1";
            c.useDefaultSocket = false;
            c.socketNumber = reachable ? sim->TcpPort() : refusing.Port();
        } else {
            c.kind = JxConnectionKind::Direct;
            c.serialPort = "COM" + std::to_string(reachable ? kSimCom : kMissingCom);
            c.baud = 19200;
        }
        return c;
    }
};

const std::vector<std::string> kConnecting = {"Connecting to Network..."};
const std::vector<std::string> kDisconnecting = {"Disconnecting from Network..."};

TEST_F(ConnectionSequence, ConnectsRunsTheWorkAndDisconnects)
{
    for (Transport transport : {Transport::Tcp, Transport::Pty}) {
        SCOPED_TRACE(NameOf(transport));
        operations.clear();
        ends.clear();
        int16_t pingInside = -99;
        const bool ran = JxRunConnected(owner, *app, Reaching(transport, true), RunDirectly(),
                                        [&] { pingInside = owner.Link().Ping(1); });
        EXPECT_TRUE(ran);
        EXPECT_EQ(pingInside, KORNET_OK);
        EXPECT_EQ(operations, (std::vector<std::vector<std::string>>{kConnecting, kDisconnecting}));
        ASSERT_EQ(ends.size(), 2u);
        EXPECT_TRUE(ends[0].abortAllowed);
        EXPECT_FALSE(ends[1].abortAllowed) << "nothing is left to cancel while the line closes";
        EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
        EXPECT_TRUE(messages.Messages().empty());
    }
    // The TCP/IP step remembered its socket, the direct one its port.
    EXPECT_EQ(std::get<uint32_t>(user.values.at("Socket Number")), sim->TcpPort());
    EXPECT_EQ(std::get<uint32_t>(user.values.at("Serial Port")), static_cast<uint32_t>(kSimCom));
}

TEST_F(ConnectionSequence, FailuresShowTheirMessageAndSkipTheWork)
{
    struct Row {
        const char* name;
        std::function<CConnectionChoice()> choice;
        JxMessageKind kind;
        std::string message;  // the whole text, or how it begins
    };
    const std::vector<Row> rows = {
        {"a socket that is no TCP port",
         [&] {
             CConnectionChoice c = Reaching(Transport::Tcp, true);
             c.socketNumber = 70000;
             return c;
         },
         JxMessageKind::Warning, kJxNetworkSettingInvalid},
        {"no host",
         [&] {
             CConnectionChoice c = Reaching(Transport::Tcp, true);
             c.ipAddress = "  ";
             return c;
         },
         JxMessageKind::Warning, kJxNetworkSettingInvalid},
        {"a direct panel without ports",
         [&] {
             CConnectionChoice c = Reaching(Transport::Pty, true);
             c.serialPort.clear();
             return c;
         },
         JxMessageKind::Warning, kJxNetworkSettingInvalid},
        {"nobody listening", [&] { return Reaching(Transport::Tcp, false); }, JxMessageKind::Critical,
         kJxUnableToConnect},
        {"a port whose device is gone", [&] { return Reaching(Transport::Pty, false); }, JxMessageKind::Critical,
         kJxUnableToConnect},
    };
    size_t shown = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        operations.clear();
        bool worked = false;
        EXPECT_FALSE(JxRunConnected(owner, *app, row.choice(), RunDirectly(), [&] { worked = true; }));
        EXPECT_FALSE(worked);
        // One operation only: nothing was connected, so nothing is closed.
        EXPECT_EQ(operations, std::vector<std::vector<std::string>>{kConnecting});
        const std::vector<std::string> texts = messages.Messages();
        ASSERT_EQ(texts.size(), shown + 1);
        EXPECT_EQ(texts.back().rfind(row.message, 0), 0u) << texts.back();
        EXPECT_EQ(messages.Kinds().back(), row.kind);
        shown = texts.size();
        EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
    }
}

TEST_F(ConnectionSequence, AnAbortOfTheLastOperationDoesNotStopTheNext)
{
    owner.OnAbortRequest();
    ASSERT_TRUE(owner.Cancelled());
    EXPECT_TRUE(JxConnect(owner, *app, Reaching(Transport::Tcp, true), RunDirectly()));
    EXPECT_EQ(operations, std::vector<std::vector<std::string>>{kConnecting});
    EXPECT_EQ(owner.Link().Ping(1), KORNET_OK);
    EXPECT_TRUE(JxDisconnect(owner, RunDirectly()));
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
    EXPECT_TRUE(messages.Messages().empty());
}
}  // namespace
