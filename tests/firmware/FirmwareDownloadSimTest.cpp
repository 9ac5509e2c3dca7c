// The whole firmware download against jxsim over loopback TCP, with the
// waits shortened: the path checks, the version rule, what the controller
// holds afterwards, the reset and its wait, and Abort during the transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Documents.h"
#include "ImageBuilder.h"
#include "MessageRecorder.h"
#include "TempDir.h"
#include "connection/LinkOperation.h"
#include "connection/CProgressState.h"
#include "firmware/FirmwareDownload.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/CSettingsStore.h"

using Names = std::vector<std::string>;

namespace {

const std::string kUpdated = std::string(kJxFirmwareUpdated) + kJxWaitForBoot;
const std::string kRebooting = std::string(kJxDisplayRebooting) + kJxWaitForBoot;
const std::string kRefused307 =
    "The selected controller is using version 3.07 firmware and cannot be reverted to a pre-3.07 version.";
const std::string kRefused308 =
    "The selected controller is using version 3.08 firmware or higher and cannot be reverted to a pre-3.08 version.";
const std::string kNotValid = "The selected selected firmware file is not valid.";

// Bytes that do not compress, so that a transfer takes many blocks.
Image Noise(size_t size, uint32_t seed = 7)
{
    std::mt19937 random(seed);
    Image bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

Image WithRevision(const std::string& revision, size_t padding = 4000)
{
    ImageBuilder builder;
    if (!revision.empty()) builder.Revision(revision);
    const Image noise = Noise(padding);
    builder.Section(".text", std::string(noise.begin(), noise.end()));
    return builder.Build();
}

// A progress window that a test can hook: Abort at a point of the transfer.
class CHookedProgress : public CProgressState {
public:
    std::function<void(int, int)> onProgress;
    void SetProgress(int position, int range) override
    {
        CProgressState::SetProgress(position, range);
        if (onProgress) onProgress(position, range);
    }
};

class DownloadSim : public ::testing::Test {
protected:
    TempDir dir;
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    CLinkOwner owner;
    CHookedProgress progress;
    CMessageRecorder messages;
    std::unique_ptr<jxsim::CJxSimulator> sim;
    std::vector<int> waits;

    void SetUp() override
    {
        const std::string data = dir.File("data");
        std::filesystem::create_directories(data);
        setenv("JXCONFIG_DATA_DIR", data.c_str(), 1);
        WriteWholeFile(data + "/KorConfig.xml",
                       "<KORCONFIG><NETWORK_TIMEOUTS ip=\"300\" direct=\"150\" dialup=\"300\"/>"
                       "<NETWORK_RETRIES ip=\"1\" direct=\"1\" dialup=\"1\"/></KORCONFIG>");
        app = std::make_unique<CJxConfigApp>(user, machine);
        app->folders.temp = dir.Path();
        owner.SetProgressView(&progress);
    }
    void TearDown() override
    {
        owner.Link().Disconnect();
        if (sim) sim->Stop();
        unsetenv("JXCONFIG_DATA_DIR");
        unsetenv("KORNET_PORTMAP");
    }

    void Start(const std::string& version = "3.08")
    {
        jxsim::CSimOptions options;
        options.version = version;
        options.samples = false;
        options.bootMs = 100;
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
    }

    // Controllers on a pseudo-terminal entered as COM11, answering only at `baud`.
    void StartPty(uint32_t baud, bool pace = false)
    {
        jxsim::CSimOptions options;
        options.samples = false;
        options.bootMs = 100;
        options.baud = baud;
        options.pace = pace;
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->OpenPty()) << sim->Error();
        const std::string map = dir.File("ports");
        ASSERT_TRUE(sim->RegisterComPort(kCom, map)) << sim->Error();
        setenv("KORNET_PORTMAP", map.c_str(), 1);
    }
    static constexpr int kCom = 11;

    std::string Write(const std::string& name, const Image& bytes)
    {
        const std::string path = dir.File(name);
        WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }

    CFirmwareDownloadRequest Request(const std::string& firmware, const std::string& driver = {}) const
    {
        CFirmwareDownloadRequest r;
        r.firmwarePath = firmware;
        r.driverPath = driver;
        r.connection.kind = JxConnectionKind::TcpIp;
        r.connection.ipAddress = "127.0.0.1";
        r.connection.useDefaultSocket = false;
        r.connection.socketNumber = sim ? static_cast<int32_t>(sim->TcpPort()) : 1;
        return r;
    }

    CFirmwareDownloadResult Run(const CFirmwareDownloadRequest& request)
    {
        waits.clear();
        const auto result = RunFirmwareDownload(owner, *app, request, [this](int ms) { waits.push_back(ms); });
        owner.ClearCancel();  // as the link operation does when its worker ends
        return result;
    }

    // The messages shown after the first `count`.
    Names Since(size_t count) const
    {
        const Names all = messages.Messages();
        return Names(all.begin() + static_cast<long>(std::min(count, all.size())), all.end());
    }
    CFirmwareDownloadRequest DirectRequest(const std::string& firmware, int32_t baud, bool highSpeed) const
    {
        CFirmwareDownloadRequest r;
        r.firmwarePath = firmware;
        r.connection.kind = JxConnectionKind::Direct;
        r.connection.serialPort = "COM" + std::to_string(kCom);
        r.connection.baud = baud;
        r.highSpeed = highSpeed;
        return r;
    }
    bool Saw(const std::string& command) const
    {
        for (const auto& c : sim->Commands())
            if (c.name == command) return true;
        return false;
    }
    Names Files() const
    {
        Names names;
        for (const auto& f : sim->Files()) names.push_back(f.name);
        return names;
    }
    jxsim::Bytes Stored(const std::string& name) const
    {
        jxsim::Bytes data;
        EXPECT_TRUE(sim->GetFile(name, data)) << name;
        return data;
    }
};

}  // namespace

TEST_F(DownloadSim, UnusableFieldsStopBeforeConnecting)
{
    Start();
    const std::string image = Write("Main.exe", WithRevision("JX V 3.09"));
    const std::string driver = Write("Drv.rbf", Noise(100));
    struct Case {
        const char* name;
        std::string firmware, driver;
        std::string message;
    };
    const Case cases[] = {
        {"both empty", "", "", kJxNothingSelected},
        {"bare name", "MAIN.EXE", "", "The Firmware path you specified is invalid."},
        {"bin file", dir.File("main.bin"), "", "The Firmware file needs to be .EXE extension."},
        {"missing file", dir.File("GONE.EXE"), "", "The Firmware file was not found."},
        {"driver bare name", image, "DRV.RBF", "The Driver path you specified is invalid."},
        {"driver wrong type", "", dir.File("drv.exe"), "The Firmware Driver needs to be .RBF extension."},
        {"driver missing", "", dir.File("none.rbf"), "The Driver file was not found."},
        // the first failure stops the run: the second field's is not shown
        {"both wrong", "main", dir.File("x.txt"), "The Firmware path you specified is invalid."},
        {"firmware wrong, driver fine", dir.File("a.bin"), driver, "The Firmware file needs to be .EXE extension."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = messages.Messages().size();
        sim->ClearCommands();
        const auto result = Run(Request(c.firmware, c.driver));
        EXPECT_EQ(Since(before), Names{c.message});
        EXPECT_EQ(result, CFirmwareDownloadResult{});
        EXPECT_EQ(waits, std::vector<int>{1000});  // the configure step's pause, then the end
        EXPECT_TRUE(sim->Commands().empty());
        EXPECT_EQ(sim->ResetCount(), 0);
    }
}

TEST_F(DownloadSim, VersionRule)
{
    struct Case {
        const char* controller;  // version, or "" for a controller without STATUS.XML
        std::string revision;    // of the image; "" for none
        uint16_t type;
        std::string message;     // the one box of the run
        const char* runsAfter;   // the version the controller reports after its reset; "" not sent
    };
    const Case cases[] = {
        {"3.07", "", 2, kRefused307, ""},
        {"3.10", "", 2, kRefused308, ""},
        {"2.50", "", 2, kUpdated, "TJX-2.50"},  // an image without its revision changes nothing jxsim reports
        {"", "", 2, kUpdated, "TJX-3.08"},
        {"3.08", "JX V 3.07", 2, kRefused308, ""},
        {"3.08", "JX V 3.09", 2, kUpdated, "TJX-3.09"},
        {"3.07", "JX V 3.07", 2, kUpdated, "TJX-3.07"},
        {"3.08", "JX V 3.09", 3, kNotValid, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.controller) + " <- '" + c.revision + "' type " + std::to_string(c.type));
        Start(*c.controller ? c.controller : "3.08");
        if (!*c.controller) sim->FailFile("STATUS.XML", 2);
        ImageBuilder builder;
        builder.type = c.type;
        if (!c.revision.empty()) builder.Revision(c.revision);
        const Image noise = Noise(3000);
        builder.Section(".text", std::string(noise.begin(), noise.end()));
        const Image image = builder.Build();
        const size_t before = messages.Messages().size();

        const auto result = Run(Request(Write("Main.exe", image)));

        EXPECT_EQ(Since(before), Names{c.message});
        const bool sent = *c.runsAfter != '\0';
        EXPECT_EQ(result.reset, sent);
        EXPECT_EQ(result.updated, sent);
        EXPECT_EQ(sim->ResetCount(), sent ? 1 : 0);  // a refused image gets no reset
        if (sent) {
            EXPECT_EQ(Stored("MAIN.EXE"), jxsim::Bytes(image.begin(), image.end()));
            sim->FailFile("STATUS.XML", 0);
            EXPECT_EQ(sim->FirmwareVersion(), c.runsAfter);
        } else {
            EXPECT_EQ(Files(), Names{"CONFIG.XML"});
        }
        EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);  // disconnected in every case
        sim->Stop();
    }
}

TEST_F(DownloadSim, NewImageReplacesTheOldOnesAndKeepsTheDriver)
{
    Start();
    for (const char* name : {"A.EXE", "MAIN.EXE", "B.RBF"}) ASSERT_TRUE(sim->PutFile(name, jxsim::Bytes(64, 0x11)));
    const Image image = WithRevision("JX V 3.09", 20000);
    const Image driver = Noise(5000, 3);

    const auto result = Run(Request(Write("Main.exe", image), Write("new.Rbf", driver)));

    EXPECT_EQ(messages.Messages(), Names{kUpdated});
    EXPECT_EQ(result, (CFirmwareDownloadResult{.connected = true, .switched = false, .reset = true, .updated = true}));
    EXPECT_EQ(Files(), (Names{"B.RBF", "CONFIG.XML", "MAIN.EXE", "NEW.RBF"}));
    EXPECT_EQ(Stored("MAIN.EXE"), jxsim::Bytes(image.begin(), image.end()));
    EXPECT_EQ(Stored("NEW.RBF"), jxsim::Bytes(driver.begin(), driver.end()));
    // configure, connect, the 15 s settle, the pause before the deletion,
    // the reset's 1 s, the disconnect's 1.5 s
    std::vector<int> expected{1000, 1000};
    expected.insert(expected.end(), 15, 1000);
    expected.insert(expected.end(), {1000, 1000, 1500});
    EXPECT_EQ(waits, expected);
    const CProgressSnapshot last = progress.Snapshot();
    EXPECT_EQ(last.text, "Disconnecting from display...");
    EXPECT_TRUE(last.abortAllowed);
}

TEST_F(DownloadSim, ControllerWithoutDirectoryKeepsItsFilesAndStillSucceeds)
{
    Start();
    ASSERT_TRUE(sim->PutFile("A.EXE", jxsim::Bytes(64, 0x11)));
    sim->FailFile("DIRECTORY.XML", 2);
    // the image `jxsim --make-firmware` writes
    const jxsim::Bytes image = jxsim::MakeFirmwareImage("Tolvar Jx firmware V 3.09");
    Run(Request(Write("MAIN.EXE", Image(image.begin(), image.end()))));
    EXPECT_EQ(messages.Messages(), Names{kUpdated});
    EXPECT_EQ(Files(), (Names{"A.EXE", "CONFIG.XML", "MAIN.EXE"}));
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(sim->FirmwareVersion(), "TJX-3.09");
}

TEST_F(DownloadSim, ResetWaitsLongerOnADialupLine)
{
    Start();
    struct Case {
        JxConnectionKind kind;
        int waitMs;
    };
    const Case cases[] = {{JxConnectionKind::Dialup, 6000}, {JxConnectionKind::Direct, 1000}, {JxConnectionKind::TcpIp, 1000}};
    int resets = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(JxConnectionName(c.kind));
        const uint8_t loopback[4] = {127, 0, 0, 1};
        ASSERT_EQ(owner.Link().ConfigureRemote(loopback, static_cast<int16_t>(sim->TcpPort())), KORNET_OK);
        ASSERT_EQ(owner.Link().Connect(), KORNET_OK);
        waits.clear();
        const size_t before = messages.Messages().size();
        EXPECT_TRUE(ResetAfterDownload(owner, *app, c.kind, 1, true, [this](int ms) { waits.push_back(ms); }));
        EXPECT_EQ(waits, std::vector<int>{c.waitMs});
        EXPECT_EQ(sim->ResetCount(), ++resets);
        EXPECT_EQ(progress.Snapshot().text, "Attempting to reset the display (" + std::to_string(c.waitMs / 1000) +
                                                " second wait)...");
        EXPECT_FALSE(progress.Snapshot().abortAllowed);
        EXPECT_EQ(Since(before), Names{kUpdated});
        owner.Link().Disconnect();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past the 100 ms reboot
    }
}

TEST_F(DownloadSim, AbortDuringTheTransferShowsNoErrorButResetsAndDisconnects)
{
    Start();
    ASSERT_TRUE(sim->PutFile("A.EXE", jxsim::Bytes(64, 0x11)));
    bool aborted = false;
    progress.onProgress = [&](int position, int) {
        if (!aborted && position >= 5) {
            aborted = true;
            owner.OnAbortRequest();
        }
    };
    const auto result = Run(Request(Write("MAIN.EXE", WithRevision("JX V 3.09", 60000))));
    progress.onProgress = nullptr;

    ASSERT_TRUE(aborted);
    EXPECT_EQ(messages.Messages(), Names{kRebooting});  // no "Unable to download firmware"
    EXPECT_EQ(result, (CFirmwareDownloadResult{.connected = true, .switched = false, .reset = true, .updated = false}));
    EXPECT_EQ(sim->ResetCount(), 1);
    bool resetSeen = false;
    for (const auto& c : sim->Commands()) resetSeen = resetSeen || c.name.find("Reset") != std::string::npos;
    EXPECT_TRUE(resetSeen);
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
    // Nothing was removed: the old image stays until a download completes.
    jxsim::Bytes old;
    EXPECT_TRUE(sim->GetFile("A.EXE", old));
    EXPECT_FALSE(owner.Cancelled());
}

TEST_F(DownloadSim, DisplayThatDoesNotAnswerIsNotReset)
{
    Start();
    auto request = Request(Write("MAIN.EXE", WithRevision("JX V 3.09")));
    request.connection.networkAddress = "9";
    const auto result = Run(request);
    EXPECT_EQ(messages.Messages(), Names{"Unable to communicate with display at address 9: No Response from Display"});
    EXPECT_EQ(result.reset, false);
    EXPECT_EQ(sim->ResetCount(), 0);
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(DownloadSim, ADirectLineGoesToTheHighSpeedForTheTransfer)
{
    StartPty(19200);
    const Image image = WithRevision("JX V 3.12", 300 * 1024);
    const auto result = Run(DirectRequest(Write("MAIN.EXE", image), 19200, true));

    EXPECT_EQ(messages.Messages(), Names{kUpdated});
    EXPECT_TRUE(result.switched);
    EXPECT_TRUE(Saw("set baud rate"));
    EXPECT_EQ(Stored("MAIN.EXE"), jxsim::Bytes(image.begin(), image.end()));
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(sim->FirmwareVersion(), "TJX-3.12");  // the image it runs after its reset
    EXPECT_EQ(sim->Baud(), 19200u);                 // and the speed of its CONFIG.XML
    // configure, connect; the switch: its pause, disconnect, configure, connect
    EXPECT_EQ(std::vector<int>(waits.begin(), waits.begin() + 6), (std::vector<int>(6, 1000)));
}

TEST_F(DownloadSim, NoSwitchWithoutTheBoxOrAtTheHighSpeedAlready)
{
    struct Case {
        uint32_t lineBaud;
        int32_t chosen;
        bool highSpeed;
    };
    const Case cases[] = {{19200, 19200, false}, {115200, 115200, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        StartPty(c.lineBaud);
        const Image image = WithRevision("JX V 3.09", 5000);
        const size_t before = messages.Messages().size();
        const auto result = Run(DirectRequest(Write("MAIN.EXE", image), c.chosen, c.highSpeed));
        EXPECT_EQ(Since(before), Names{kUpdated});
        EXPECT_FALSE(result.switched);
        EXPECT_FALSE(Saw("set baud rate"));
        EXPECT_EQ(Stored("MAIN.EXE"), jxsim::Bytes(image.begin(), image.end()));
        sim->Stop();
    }
}

TEST_F(DownloadSim, APacedLineTakesAtLeastItsLineTime)
{
    // 40 pings at 19200: each a 6-byte sync or ping frame and its reply; a
    // lower bound only, which no load on the machine can break.
    StartPty(19200, true);
    CKorNetwork& link = owner.Link();
    link.SetTimeOut(1000);
    ASSERT_EQ(link.ConfigureDirect(kCom, 19200, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; ++i) ASSERT_EQ(link.Ping(1), KORNET_OK);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto lineTime = std::chrono::microseconds(40 * 2 * 6 * 10 * 1000000LL / 19200);
    EXPECT_GE(elapsed, lineTime);
}
