// The direct panel's configure step against jxsim on a pseudo-terminal
// reached as a COM port: baud rate auto-detection, its texts and bar, a
// cancel in the middle, and a fixed rate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <mutex>

#include "../shell/MessageRecorder.h"
#include "TempDir.h"
#include "connection/LinkOperation.h"
#include "connection/ConfigureLink.h"
#include "connection/DirectRules.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"

namespace {
constexpr int kCom = 7;

class CRecordingView : public IProgressView {
public:
    std::vector<std::string> texts;
    int position = -1, range = -1;
    std::function<void(const std::string&)> onText;
    void SetStatusText(const std::string& t) override
    {
        texts.push_back(t);
        if (onText) onText(t);
    }
    void SetProgress(int p, int r) override
    {
        position = p;
        range = r;
    }
    void SetRange(int r) override { range = r; }
    void StepProgress() override { ++position; }
    void DisableAbort() override {}
    void EnableAbort() override {}
};

class AutoDetect : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<jxsim::CJxSimulator> sim;
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    CLinkOwner owner;
    CRecordingView view;
    CMessageRecorder messages;
    std::string entry;

    void Start(uint32_t baud)
    {
        setenv("JXCONFIG_DATA_DIR", dir.File("data").c_str(), 1);
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        // Short waits for the rates nobody answers at.
        app->ApplyNetworkPolicies(owner.Link(), JxPolicyKind::Direct);  // creates the data folder
        WriteWholeFile(dir.File("data/KorConfig.xml"),
                       "<KORCONFIG><NETWORK_TIMEOUTS ip=\"200\" direct=\"150\" dialup=\"200\"/>"
                       "<NETWORK_RETRIES ip=\"0\" direct=\"0\" dialup=\"0\"/></KORCONFIG>");
        jxsim::CSimOptions options;
        options.baud = baud;
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        ASSERT_TRUE(sim->OpenPty()) << sim->Error();
        ASSERT_TRUE(sim->RegisterComPort(kCom, dir.File("ports"))) << sim->Error();
        setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
        // Serial devices of the machine may be listed too, numbered around ours.
        for (const std::string& port : ListSerialPorts())
            if (PortNumberFromEntry(port) == kCom) entry = port;
        ASSERT_EQ(entry, "COM" + std::to_string(kCom) + " (" + sim->PtyPath() + ")");
        owner.SetProgressView(&view);
    }

    void TearDown() override
    {
        owner.Link().Disconnect();
        if (sim) sim->Stop();
        unsetenv("KORNET_PORTMAP");
    }
};

TEST_F(AutoDetect, FindsTheDisplayAt115200AfterTrying19200)
{
    Start(115200);
    ASSERT_TRUE(ConfigureDirectLink(*app, owner.Link(), entry, kJxAutoDetectBaud, 1, &owner));
    EXPECT_EQ(view.texts, (std::vector<std::string>{
                              "Configuring connection to display... \nAuto-detecting at 19200",
                              "Configuring connection to display... \nAuto-detecting at 115200",
                              "Configuring connection to display... \nAuto-detecting at 115200...FOUND!",
                          }));
    EXPECT_EQ(view.position, 7);
    EXPECT_EQ(view.range, 7);
    EXPECT_EQ(std::get<uint32_t>(user.values.at("Serial Port")), static_cast<uint32_t>(kCom));
    EXPECT_EQ(app->saved.serialPort, "COM" + std::to_string(kCom));
    // The link is left configured at the rate found, not connected.
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
    ASSERT_EQ(owner.Link().Connect(), KORNET_OK);
    EXPECT_EQ(owner.Link().Ping(1), KORNET_OK);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(AutoDetect, TriesEveryRateInOrderThenGivesUp)
{
    Start(19200);
    // Nobody answers at address 9.
    EXPECT_FALSE(ConfigureDirectLink(*app, owner.Link(), entry, kJxAutoDetectBaud, 9, &owner));
    std::vector<std::string> expected;
    for (int32_t rate : kJxAutoDetectRates) expected.push_back(AutoDetectText(rate));
    EXPECT_EQ(view.texts, expected);
    EXPECT_EQ(view.position, 7);
    EXPECT_EQ(owner.Link().Ping(9), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(AutoDetect, AbortSkipsTheRemainingConnectsAndConnectsNothing)
{
    Start(57600);
    // The operator presses Abort while 115200 is being tried.
    view.onText = [this](const std::string& text) {
        if (text == AutoDetectText(115200)) owner.OnAbortRequest();
    };
    CConnectionChoice choice;
    choice.kind = JxConnectionKind::Direct;
    choice.serialPort = entry;
    choice.baud = kJxAutoDetectBaud;
    const bool connected =
        owner.ConnectToDisplay([&](CKorNetwork& link) { return ConfigureLink(*app, link, choice, &owner); });
    EXPECT_FALSE(connected);
    ASSERT_GE(view.texts.size(), 3u);
    EXPECT_EQ(view.texts[0], "Connecting to Network...");
    EXPECT_EQ(view.texts[1], AutoDetectText(19200));
    EXPECT_EQ(view.texts[2], AutoDetectText(115200));
    for (size_t i = 3; i < view.texts.size(); ++i) EXPECT_EQ(view.texts[i], kJxCancelling);
    // 57600 was never tried: every frame came at a speed the display ignores.
    for (const auto& command : sim->Commands()) EXPECT_EQ(command.name, "ignored") << command.note;
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(AutoDetect, AFixedRateConfiguresWithoutTrying)
{
    Start(38400);
    CConnectionChoice choice;
    choice.kind = JxConnectionKind::Direct;
    choice.serialPort = entry;
    choice.baud = 38400;
    ASSERT_TRUE(owner.ConnectToDisplay([&](CKorNetwork& link) { return ConfigureLink(*app, link, choice, &owner); }));
    EXPECT_EQ(view.texts, std::vector<std::string>{"Connecting to Network..."});
    EXPECT_EQ(owner.Link().Ping(1), KORNET_OK);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(AutoDetect, APanelWithoutPortsCannotConfigure)
{
    Start(19200);
    CKorNetwork link;
    EXPECT_FALSE(ConfigureDirectLink(*app, link, "", 19200, 1, nullptr));
    EXPECT_EQ(user.values.count("Serial Port"), 0u);
}
}  // namespace
