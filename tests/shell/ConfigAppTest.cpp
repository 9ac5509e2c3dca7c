// Settings between runs and site policies.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <KorNet.h>

#include "PtyPeer.h"
#include "TempDir.h"
#include "shell/CJxConfigApp.h"
#include "shell/JxPaths.h"

namespace {
// A link that records what the policies gave it is not available from the
// outside, so policies are checked on the values the app read, and on a
// real link through the values it reports back.
class ConfigApp : public ::testing::Test {
protected:
    TempDir dir;
    CMemorySettingsStore user;
    CMemorySettingsStore machine;
    void SetUp() override
    {
        setenv("JXCONFIG_DATA_DIR", dir.File("data").c_str(), 1);
        machine.exists = false;
    }
    void Policy(const std::string& text) { WriteWholeFile(dir.File("data/KorConfig.xml"), text); }
    CNetworkPolicies Apply(JxPolicyKind kind, CKorNetwork& link)
    {
        CJxConfigApp app(user, machine);
        app.ApplyNetworkPolicies(link, kind);
        return app.Policies();
    }
};

TEST_F(ConfigApp, DefaultsWithoutStoredValues)
{
    CJxConfigApp app(user, machine);
    EXPECT_EQ(app.StartupMessage(), "");
    EXPECT_EQ(app.saved.connectionKind, JxConnectionKind::Direct);
    EXPECT_EQ(app.saved.networkAddress, "1");
    EXPECT_EQ(app.saved.serialBaud, 19200);
    EXPECT_EQ(app.saved.socketNumber, 3001);
    EXPECT_TRUE(app.saved.socketIsDefault);
    EXPECT_EQ(app.saved.serialPort, "");
    EXPECT_EQ(app.documents.config, "CONFIG.XML");
    EXPECT_EQ(app.factory.modemInit, "AT&F&D&C0V0S0=1&W0");
    EXPECT_NE(app.folders.program.back(), '/');
}

TEST_F(ConfigApp, StoredValuesAreRead)
{
    WriteWholeFile(dir.File("fw.EXE"), "x");
    user.values = {{"Socket Number", uint32_t{4000}},
                   {"IP Address", std::string("10.1.2.3")},
                   {"Serial Port", uint32_t{12}},
                   {"Saved Phone Number", std::string("5551234")},
                   {"Saved Firmware File", dir.File("fw.EXE")},
                   {"Saved Firmware Driver", dir.File("gone.RBF")},
                   {"Saved Directory", dir.Path()}};
    CJxConfigApp app(user, machine);
    app.StartUp();
    EXPECT_EQ(app.saved.socketNumber, 4000);
    EXPECT_FALSE(app.saved.socketIsDefault);
    EXPECT_EQ(app.saved.ipAddress, "10.1.2.3");
    EXPECT_EQ(app.saved.serialPort, "COM12");
    EXPECT_EQ(app.saved.phoneNumber, "5551234");
    EXPECT_EQ(app.saved.firmwareFile, dir.File("fw.EXE"));
    EXPECT_EQ(app.saved.firmwareDriver, "");  // the file is gone
    EXPECT_EQ(app.saved.directory, dir.Path() + "/");
    EXPECT_EQ(app.resetOption, 1);
}

TEST_F(ConfigApp, SocketRulesAndValueLimits)
{
    struct Case {
        CMemorySettingsStore::Value socket;
        int32_t number;
        bool isDefault;
        const char* ip;
    } cases[] = {
        {uint32_t{3001}, 3001, true, "host"},
        {uint32_t{3002}, 3002, false, "host"},
        // an address stored without a numeric socket number is not trusted
        {std::string("3001"), 3001, true, ""},
    };
    for (const auto& c : cases) {
        user.values = {{"Socket Number", c.socket}, {"IP Address", std::string("host")}};
        CJxConfigApp app(user, machine);
        EXPECT_EQ(app.saved.socketNumber, c.number);
        EXPECT_EQ(app.saved.socketIsDefault, c.isDefault);
        EXPECT_EQ(app.saved.ipAddress, c.ip);
    }
    user.values = {{"Saved Phone Number", std::string(25, '5')}, {"Saved Directory", std::string("/no/such/folder")}};
    CJxConfigApp app(user, machine);
    app.StartUp();
    EXPECT_EQ(app.saved.phoneNumber, "");  // too long for its field
    EXPECT_EQ(app.saved.directory, app.folders.program + "/");
}

TEST_F(ConfigApp, UnavailableUserStoreGivesTheMessageAndDefaults)
{
    user.exists = false;
    user.canCreate = false;
    user.values = {{"Serial Port", uint32_t{3}}};
    CJxConfigApp app(user, machine);
    EXPECT_EQ(app.StartupMessage(),
              "Error in creating registry key: Software\\Corvanta\\Tolvar\\V2\\JxConfig under HKEY_CURRENT_USER");
    EXPECT_EQ(app.saved.serialPort, "");
}

TEST_F(ConfigApp, ExitWritesTheSavedValues)
{
    {
        CJxConfigApp app(user, machine);
        app.StartUp();
        app.saved.phoneNumber = "5559876";
        app.saved.directory = "";
        app.StoreSerialPort(7);
        app.StoreSocket(3005, "display.local");
        app.SaveOnExit();
        EXPECT_EQ(std::get<std::string>(user.values["Saved Directory"]), app.folders.program);
    }
    CJxConfigApp again(user, machine);
    EXPECT_EQ(again.saved.phoneNumber, "5559876");
    EXPECT_EQ(again.saved.serialPort, "COM7");
    EXPECT_EQ(again.saved.socketNumber, 3005);
    EXPECT_EQ(again.saved.ipAddress, "display.local");
}

TEST_F(ConfigApp, ServerConfigurationPathLosesItsTrailingSeparator)
{
    machine.exists = true;
    machine.values = {{"Server Configuration Path", std::string("/srv/jx/")}};
    CJxConfigApp app(user, machine);
    CKorNetwork link;
    app.ApplyNetworkPolicies(link, JxPolicyKind::Direct);
    EXPECT_EQ(app.folders.serverConfiguration, "/srv/jx");
    EXPECT_EQ(app.folders.data, dir.File("data") + "/");
}

TEST_F(ConfigApp, PolicyFileVariants)
{
    struct Case {
        const char* what;
        const char* text;  // nullptr: no file
        JxPolicyKind kind;
        int32_t timeout;
        int retries;
        bool relaxed;
    } cases[] = {
        {"no file", nullptr, JxPolicyKind::Direct, 3000, 3, false},
        {"no KORCONFIG", "<OTHER/>", JxPolicyKind::Direct, 3000, 3, false},
        {"full", "<KORCONFIG><NETWORK_TIMEOUTS ip=\"100\" direct=\"200\" dialup=\"300\"/>"
                 "<NETWORK_RETRIES ip=\"4\" direct=\"5\" dialup=\"6\"/><RELAXED_VALIDATION enable=\"yes\"/></KORCONFIG>",
         JxPolicyKind::Dialup, 300, 6, true},
        {"only direct given", "<KORCONFIG><NETWORK_TIMEOUTS direct=\"2500\"/></KORCONFIG>", JxPolicyKind::TcpIp, 0, 3, false},
        {"retries kept in 8 bits", "<KORCONFIG><NETWORK_RETRIES ip=\"300\"/></KORCONFIG>", JxPolicyKind::TcpIp, 3000, 44, false},
        {"YES in capitals", "<KORCONFIG><RELAXED_VALIDATION enable=\"YES\"/></KORCONFIG>", JxPolicyKind::Direct, 3000, 3, true},
        {"relaxed before time-outs is not seen",
         "<KORCONFIG><RELAXED_VALIDATION enable=\"yes\"/><NETWORK_TIMEOUTS ip=\"1\" direct=\"2\" dialup=\"3\"/></KORCONFIG>",
         JxPolicyKind::Direct, 2, 3, false},
        {"retries before time-outs keep their default",
         "<KORCONFIG><NETWORK_RETRIES direct=\"9\"/><NETWORK_TIMEOUTS direct=\"700\"/></KORCONFIG>",
         JxPolicyKind::Direct, 700, 3, false},
        {"not a number reads 0", "<KORCONFIG><NETWORK_TIMEOUTS direct=\"soon\"/></KORCONFIG>", JxPolicyKind::Direct, 0, 3, false},
        {"broken XML gives defaults", "<KORCONFIG><NETWORK_TIMEOUTS direct=\"5\">", JxPolicyKind::Direct, 3000, 3, false},
    };
    for (const auto& c : cases) {
        std::remove(dir.File("data/KorConfig.xml").c_str());
        CKorNetwork link;
        CJxConfigApp app(user, machine);
        if (c.text != nullptr) {
            app.ApplyNetworkPolicies(link, c.kind);  // creates the data folder
            Policy(c.text);
        }
        app.ApplyNetworkPolicies(link, c.kind);
        const int k = static_cast<int>(c.kind);
        EXPECT_EQ(app.Policies().timeout[k], c.timeout) << c.what;
        EXPECT_EQ(app.Policies().retries[k], c.retries) << c.what;
        EXPECT_EQ(app.Policies().relaxedValidation, c.relaxed) << c.what;
        EXPECT_EQ(link.GetMaxNumberOfRetries(), c.retries) << c.what;
    }
}

// The diagnostics log box: every link the app configures logs into the
// chosen folder, the choice outlives the run, a folder that cannot hold the
// log is refused with a message and leaves the log as it was, and the box
// may be flipped while a call runs without tearing a record.
TEST_F(ConfigApp, DiagnosticsLogFollowsTheChoice)
{
    PtyPeer peer(dir, 7);  // never answers: every ping is a logged time-out
    const std::string folder = dir.File("logs/deep");
    {
        CJxConfigApp app(user, machine);
        EXPECT_FALSE(app.Diagnostics().enabled);
        EXPECT_EQ(app.SetDiagnostics(true, folder), "");
        EXPECT_EQ(app.Diagnostics(), (CDiagnosticsChoice{true, folder + "/"}));

        CKorNetwork link;
        app.ApplyNetworkPolicies(link, JxPolicyKind::Direct);
        link.SetTimeOut(20);
        link.SetMaxNumberOfRetries(0);
        ASSERT_EQ(link.ConfigureDirect(7, 19200, false), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
        EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);

        // Flipped on another thread while pings run: each record whole.
        std::atomic<bool> done{false};
        std::thread flipper([&] {
            for (bool on = false; !done.load(); on = !on) {
                EXPECT_EQ(app.SetDiagnostics(on, folder), "");
                app.ApplyDiagnostics(link);
            }
        });
        for (int i = 0; i < 20; ++i) EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);
        done.store(true);
        flipper.join();
        link.Disconnect();

        std::istringstream log(ReadWholeFile(folder + "/Direct COM7.txt"));
        std::string line, previous = "Error Status: ";
        int records = 0;
        while (std::getline(log, line)) {
            const bool stamp = line.find(" AM") != std::string::npos || line.find(" PM") != std::string::npos;
            if (stamp) continue;
            const std::string expected = previous.starts_with("Error Status: ") ? "Sent:   "
                                         : previous.starts_with("Sent:   ")      ? "Recv'd: "
                                                                                 : "Error Status: ";
            EXPECT_TRUE(line.starts_with(expected)) << line;
            if (line.starts_with("Error Status: ")) {
                EXPECT_EQ(line, "Error Status: ERR_SIGN_NO_RESPONSE");
                ++records;
            }
            previous = line;
        }
        EXPECT_GE(records, 1);
        EXPECT_TRUE(previous.starts_with("Error Status: ")) << previous;
        EXPECT_EQ(app.SetDiagnostics(true, folder), "");
    }

    // The next run starts with the log on, in the same folder...
    {
        CJxConfigApp app(user, machine);
        EXPECT_EQ(app.Diagnostics(), (CDiagnosticsChoice{true, folder + "/"}));
        // ...and folders that cannot hold it are refused with a message.
        WriteWholeFile(dir.File("plain"), "x");
        for (const std::string& bad : {dir.File("plain"), dir.File("plain/below")}) {
            const std::string message = app.SetDiagnostics(true, bad);
            EXPECT_TRUE(message.starts_with("Unable to keep the diagnostics log in " + bad + "/: ")) << message;
            EXPECT_EQ(app.Diagnostics(), (CDiagnosticsChoice{true, folder + "/"})) << bad;
        }
        EXPECT_EQ(app.SetDiagnostics(false, folder), "");
        CKorNetwork link;
        app.ApplyNetworkPolicies(link, JxPolicyKind::Direct);
        link.SetTimeOut(20);
        link.SetMaxNumberOfRetries(0);
        const std::string before = ReadWholeFile(folder + "/Direct COM7.txt");
        ASSERT_EQ(link.ConfigureDirect(7, 19200, false), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
        EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);
        link.Disconnect();
        EXPECT_EQ(ReadWholeFile(folder + "/Direct COM7.txt"), before) << "the log is off";
    }

    // A log folder that has gone since is not switched on again.
    std::filesystem::remove_all(dir.File("logs"));
    CJxConfigApp app(user, machine);
    EXPECT_FALSE(app.Diagnostics().enabled);
}
}  // namespace
