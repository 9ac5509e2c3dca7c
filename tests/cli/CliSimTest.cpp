// korctl against jxsim: every command over TCP and over a pseudo-terminal,
// checked by what the simulated display holds and did afterwards and by the
// --json document; the refusals of bad input; a fleet of displays.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "Documents.h"
#include "KorctlProcess.h"
#include "TempDir.h"
#include "jxsim/CJxSimulator.h"

namespace {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

enum class Transport { Tcp, Pty };

std::string Text(const jxsim::Bytes& b) { return std::string(b.begin(), b.end()); }
jxsim::Bytes Bytes(const std::string& s) { return jxsim::Bytes(s.begin(), s.end()); }

std::unique_ptr<jxsim::CJxSimulator> StartSim(Transport transport, std::string& target, int byteDelayMs = 0)
{
    jxsim::CSimOptions options;
    options.bootMs = 200;
    options.displayName = "Lobby East";
    auto sim = std::make_unique<jxsim::CJxSimulator>(options);
    if (transport == Transport::Tcp) {
        EXPECT_TRUE(sim->ListenTcp());
        target = "tcp:127.0.0.1:" + std::to_string(sim->TcpPort());
    } else {
        EXPECT_TRUE(sim->OpenPty());
        target = "dev:" + sim->PtyPath() + "@19200";
    }
    if (byteDelayMs > 0) sim->SetByteDelayMs(byteDelayMs);
    return sim;
}

class KorctlSim : public ::testing::TestWithParam<Transport> {
protected:
    TempDir work, data;
    std::string target;
    std::unique_ptr<jxsim::CJxSimulator> sim;

    void SetUp() override { sim = StartSim(GetParam(), target); }

    KorctlRun Run(std::vector<std::string> args, bool asJson = true)
    {
        std::vector<std::string> all{target};
        if (asJson) all.push_back("--json");
        all.insert(all.end(), args.begin(), args.end());
        // A private data folder and port map: nothing of the user's is read or written.
        return RunKorctl(all, work.Path(), {"JXCONFIG_DATA_DIR=" + data.Path(), "KORNET_PORTMAP=" + work.File("ports")});
    }
    // The one result of a run at one address.
    static json Result(const KorctlRun& run)
    {
        const json doc = run.Json();
        EXPECT_FALSE(doc.is_discarded()) << run.out << run.err;
        if (doc.is_discarded() || doc["results"].size() != 1) return json::object();
        return doc["results"][0];
    }
    std::string Stored(const std::string& name)
    {
        jxsim::Bytes bytes;
        return sim->GetFile(name, bytes) ? Text(bytes) : "(absent)";
    }
    std::string Attribute(const std::string& element, const std::string& name)
    {
        for (const auto& e : jxsim::ScanXmlElements(Stored("CONFIG.XML")))
            if (e.name == element) {
                const std::string* v = e.Attribute(name);
                return v ? *v : "(absent)";
            }
        return "(no " + element + ")";
    }
};

TEST_P(KorctlSim, FileCommandsChangeWhatTheDisplayHolds)
{
    std::string content;
    for (int i = 0; i < 3000; ++i) content += static_cast<char>("korctl\n\x01\xff"[i % 9]);
    WriteWholeFile(work.File("welcome2.msg"), content);

    KorctlRun run = Run({"put", "welcome2.msg"});
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    EXPECT_EQ(Stored("WELCOME2.MSG"), content) << "REMOTE defaults to the upper-cased name";
    EXPECT_EQ(Result(run)["remote"], "WELCOME2.MSG");

    run = Run({"ls"});
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::string> names;
    const json listing = Result(run);
    for (const auto& f : listing["files"]) {
        names.push_back(f["name"]);
        if (f["name"] == "WELCOME2.MSG") {
            EXPECT_EQ(f["size"], content.size());
        }
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "sorted by name like the tool";
    std::vector<std::string> held;
    for (const auto& f : sim->Files()) held.push_back(f.name);
    std::sort(held.begin(), held.end());
    EXPECT_EQ(names, held);

    run = Run({"get", "WELCOME2.MSG", "copy.msg"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(work.File("copy.msg")), content);

    run = Run({"get", "WELCOME2.MSG", "-"}, false);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out, content) << "the file alone on standard output, the report on stderr";
    EXPECT_NE(run.err.find("ok"), std::string::npos);

    run = Run({"mv", "WELCOME2.MSG", "HELLO.MSG"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Stored("HELLO.MSG"), content);
    EXPECT_EQ(Stored("WELCOME2.MSG"), "(absent)");

    run = Run({"rm", "HELLO.MSG", "LOG.XML"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Stored("HELLO.MSG"), "(absent)");
    EXPECT_EQ(Stored("LOG.XML"), "(absent)");

    // A file the display refuses: exit 5, the display's reason, and no local file.
    sim->FailFile("MAIN.EXE", 2);
    run = Run({"get", "MAIN.EXE", "main.exe"});
    EXPECT_EQ(run.exit, 5);
    EXPECT_EQ(Result(run)["statusName"], "ERR_SIGN_RESPONSE_ERROR");
    EXPECT_NE(Result(run)["message"].get<std::string>().find("Can't Find the File(s)"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(work.File("main.exe")));
    sim->FailFile("MAIN.EXE", 0);

    // No LOCAL: a remote name with folders lands in the current folder only.
    ASSERT_TRUE(sim->PutFile("..\\..\\EVIL.TXT", Bytes("x")));
    run = Run({"get", "..\\..\\EVIL.TXT"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(work.File("EVIL.TXT")), "x");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(work.Path())) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"EVIL.TXT", "copy.msg", "welcome2.msg"})) << "no temporary file left";
}

TEST_P(KorctlSim, PingStatusAndConfigShowReportTheDisplay)
{
    KorctlRun run = Run({"ping"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_GE(Result(run)["roundTripMs"].get<double>(), 0.0);
    EXPECT_EQ(Result(run)["statusName"], "KORNET_OK");

    run = Run({"status"});
    ASSERT_EQ(run.exit, 0) << run.err;
    json r = Result(run);
    EXPECT_EQ(r["name"], "Lobby East");
    EXPECT_EQ(r["firmware"], sim->FirmwareVersion());
    EXPECT_EQ(r["displayType"], Attribute("CFG", "type"));
    EXPECT_EQ(r["memory"].get<std::string>().rfind("Memory (MB): ", 0), 0u);

    run = Run({"config", "show"});
    ASSERT_EQ(run.exit, 0) << run.err;
    r = Result(run);
    EXPECT_EQ(r["name"], Attribute("CFG", "ds"));
    EXPECT_EQ(r["ip"], Attribute("ADDR", "ip"));
    EXPECT_EQ(r["mask"], Attribute("ADDR", "msk"));
    EXPECT_EQ(std::to_string(r["zoneMinutes"].get<int>()), Attribute("TIME", "zn"));
    EXPECT_FALSE(r["ports"].empty());

    run = Run({"--address", "1,2", "--timeout", "200", "--retries", "0", "watch", "--count", "2", "--interval", "0"});
    EXPECT_EQ(run.exit, 1) << "address 2 does not answer";
    const json doc = run.Json();
    ASSERT_EQ(doc["results"].size(), 2u) << run.out;
    EXPECT_EQ(doc["results"][0]["sent"], 2);
    EXPECT_EQ(doc["results"][0]["answered"], 2);
    EXPECT_LE(doc["results"][0]["minMs"].get<double>(), doc["results"][0]["maxMs"].get<double>());
    EXPECT_EQ(doc["results"][1]["answered"], 0);
    EXPECT_EQ(doc["results"][1]["errors"]["ERR_SIGN_NO_RESPONSE"], 2);
    EXPECT_EQ(doc["results"][1]["exit"], 4);
}

TEST_P(KorctlSim, ConfigSetGoesThroughTheWindowRulesThenSendsAndResets)
{
    struct Row {
        std::vector<std::string> settings;
        int exit;
        std::string message;  // part of it
        std::vector<std::array<std::string, 3>> stored;  // element, attribute, value afterwards
    };
    const Row rows[] = {
        {{"dst=off", "clock=gps", "zone=+05:45"}, 0, "successfully sent", {{{"TIME", "dst", "0"}, {"TIME", "clk", "4"}, {"TIME", "zn", "345"}}}},
        {{"address=250"}, 2, "address=250: software addresses are 1 to 240", {}},
        {{"ip=192.168.1.256"}, 2, "All fields for IP address must be completed.", {}},
        {{"mask=255.255.255.255"}, 2, "Subnet mask cannot be 255.255.255.255.", {}},
        {{"ip=0.1.2.3", "mask=255.0.0.0"}, 2, "First octet of IP address cannot be 0.", {}},
        {{"zone=+05:15"}, 2, "not a time zone of the list", {}},
        {{"ip=10.1.2.3", "mask=255.0.0.0", "gateway=none", "address=7"}, 0, "successfully sent",
         {{{"ADDR", "ip", "10.1.2.3"}, {"ADDR", "msk", "255.0.0.0"}, {"ADDR", "sw", "7"}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.settings.front());
        const std::string before = Stored("CONFIG.XML");
        const int resets = sim->ResetCount();
        std::vector<std::string> args{"config", "set"};
        args.insert(args.end(), row.settings.begin(), row.settings.end());
        const KorctlRun run = Run(args);
        EXPECT_EQ(run.exit, row.exit) << run.out << run.err;
        const json r = Result(run);
        EXPECT_NE(r["message"].get<std::string>().find(row.message), std::string::npos) << r["message"];
        if (row.exit != 0) {
            EXPECT_EQ(Stored("CONFIG.XML"), before) << "a refused value changes nothing";
            EXPECT_EQ(sim->ResetCount(), resets);
            continue;
        }
        EXPECT_EQ(sim->ResetCount(), resets + 1);
        for (const auto& [element, name, value] : row.stored) EXPECT_EQ(Attribute(element, name), value) << name;
        EXPECT_EQ(ReadWholeFile(data.File("CONFIGsent.XML")), Stored("CONFIG.XML")) << "the tool's local copy";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the display boots again
    }
}

TEST_P(KorctlSim, ConfigGetAndPutTheRawDocument)
{
    KorctlRun run = Run({"config", "get", "config.xml"});
    ASSERT_EQ(run.exit, 0) << run.err;
    std::string document = ReadWholeFile(work.File("config.xml"));
    EXPECT_EQ(document, Stored("CONFIG.XML"));

    const auto at = document.find(" ds=\"");
    ASSERT_NE(at, std::string::npos);
    document.insert(at + 5, "Put ");
    WriteWholeFile(work.File("edited.xml"), document);
    const int resets = sim->ResetCount();
    run = Run({"config", "put", "edited.xml"});
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    EXPECT_EQ(Attribute("CFG", "ds").rfind("Put ", 0), 0u);
    EXPECT_EQ(sim->ResetCount(), resets + 1);
}

TEST_P(KorctlSim, BadInputGetsOneLineNamingTheArgumentAndSendsNothing)
{
    WriteWholeFile(work.File("notxml.xml"), "this is not a document");
    std::filesystem::create_directory(work.File("folder"));
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string message;
    };
    const Row rows[] = {
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--address", "1,300", "ping"}, 2, "malformed address list '1,300'"},
        {{"--address", "0", "ping"}, 2, "malformed address list '0'"},
        {{"put", "missing.msg"}, 6, "put: cannot read 'missing.msg'"},
        {{"put", "folder"}, 6, "it is a folder"},
        {{"get", "LOG.XML", "folder"}, 2, "get: LOCAL 'folder' is a folder"},
        {{"get", ".."}, 2, "gives no file name"},
        {{"config", "put", "notxml.xml"}, 6, "is not a CONFIG.XML document"},
        {{"config", "set", "colour=red"}, 2, "'colour=red' is not KEY=VALUE"},
        {{"config", "set", "dst=maybe"}, 2, "dst=maybe: expected on or off"},
        {{"--jobs", "0", "ping"}, 2, "--jobs"},
        {{"firmware", "missing.exe"}, 6, "firmware: cannot read 'missing.exe'"},
        {{"firmware", "notxml.xml"}, 2, "firmware: The Firmware file needs to be .EXE extension."},
        {{"firmware", "-", "--driver", "notxml.xml"}, 2, "firmware: The Firmware Driver needs to be .RBF extension."},
        {{"firmware", "-"}, 2, "firmware: give an IMAGE, or - with --driver"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.front());
        const KorctlRun run = Run(row.args, false);
        EXPECT_EQ(run.exit, row.exit) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_TRUE(sim->Commands().empty()) << "nothing reached the display";

    const KorctlRun run = RunKorctl({"tcp:10.0.0.5:3001:7", "ping"}, work.Path());
    EXPECT_EQ(run.exit, 2);
    EXPECT_NE(run.err.find("malformed target 'tcp:10.0.0.5:3001:7'"), std::string::npos) << run.err;
}

// --trace: each frame on the line, decoded, on stderr; without it, none.
TEST_P(KorctlSim, TraceShowsEveryFrameDecoded)
{
    const KorctlRun traced = Run({"--trace", "get", "CONFIG.XML", "cfg.xml"}, false);
    ASSERT_EQ(traced.exit, 0) << traced.err;
    for (const char* line : {"> sync", "< sync", "> JxGetFileCompressed header CONFIG.XML", "> file block request 1"})
        EXPECT_NE(traced.err.find(line), std::string::npos) << line << "\n" << traced.err;
    const KorctlRun quiet = Run({"ping"}, false);
    EXPECT_EQ(quiet.err.find("> sync"), std::string::npos) << quiet.err;
}

// The Download Firmware procedure from the command line, with a name in
// lower case and a relative path: the image reaches the display, which
// reboots into it. The run waits as a real controller needs (15 s before it
// lists the old images), so it runs over TCP only.
TEST_P(KorctlSim, FirmwareReachesTheDisplayWhichRunsIt)
{
    if (GetParam() != Transport::Tcp) GTEST_SKIP() << "one transport is enough for a 20 s procedure";
    const jxsim::Bytes image = jxsim::MakeFirmwareImage("Tolvar Jx firmware V 3.09");
    WriteWholeFile(work.File("Main.exe"), Text(image));
    const KorctlRun run = Run({"firmware", "Main.exe"});
    EXPECT_EQ(run.exit, 0) << run.err << run.out;
    const json r = Result(run);
    EXPECT_EQ(r["updated"], true) << r.dump();
    EXPECT_EQ(r["reset"], true);
    EXPECT_EQ(Stored("MAIN.EXE"), Text(image));
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_NE(sim->FirmwareVersion().find("3.09"), std::string::npos) << sim->FirmwareVersion();
}

INSTANTIATE_TEST_SUITE_P(Transports, KorctlSim, ::testing::Values(Transport::Tcp, Transport::Pty),
                         [](const auto& info) { return info.param == Transport::Tcp ? "Tcp" : "Pty"; });

// ---- fleets ----------------------------------------------------------------

class KorctlFleet : public ::testing::Test {
protected:
    static constexpr int kDisplays = 8;
    static constexpr int kByteDelayMs = 1;
    TempDir work;
    std::vector<std::unique_ptr<jxsim::CJxSimulator>> sims;
    std::vector<std::string> targets;

    void SetUp() override
    {
        for (int i = 0; i < kDisplays; ++i) {
            std::string target;
            sims.push_back(StartSim(Transport::Tcp, target, kByteDelayMs));
            targets.push_back(target);
        }
        std::string file = "# the lobby fleet\n";
        for (const auto& t : targets) file += t + "\n";
        WriteWholeFile(work.File("fleet.txt"), file);
    }
};

TEST_F(KorctlFleet, TargetsRunInParallelNotInTurn)
{
    auto start = Clock::now();
    const KorctlRun one = RunKorctl({targets[0], "--json", "status"}, work.Path());
    const double oneSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_EQ(one.exit, 0) << one.err;

    start = Clock::now();
    const KorctlRun all = RunKorctl({"--targets", "fleet.txt", "--json", "status"}, work.Path());
    const double allSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_EQ(all.exit, 0) << all.out << all.err;
    const json doc = all.Json();
    ASSERT_EQ(doc["results"].size(), static_cast<size_t>(kDisplays));
    for (int i = 0; i < kDisplays; ++i) {
        EXPECT_EQ(doc["results"][i]["target"], targets[i]) << "rows in the order of the file";
        EXPECT_EQ(doc["results"][i]["name"], "Lobby East");
    }
    // In turn, eight displays would take eight times as long.
    EXPECT_LT(allSeconds, 2 * oneSeconds) << "one " << oneSeconds << " s, eight " << allSeconds << " s";

    // At most two at once: four rounds, so clearly longer than all at once.
    start = Clock::now();
    const KorctlRun paced = RunKorctl({"--targets", "fleet.txt", "--jobs", "2", "--json", "status"}, work.Path());
    const double pacedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(paced.exit, 0);
    EXPECT_GT(pacedSeconds, 2.5 * oneSeconds) << "one " << oneSeconds << " s, eight two at a time " << pacedSeconds;
}

TEST_F(KorctlFleet, ADisplayStoppedMidFleetFailsAloneWithItsReason)
{
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sims[3]->Stop();
    });
    const KorctlRun run =
        RunKorctl({"--targets", "fleet.txt", "--timeout", "500", "--retries", "1", "--json", "get", "MAIN.EXE"},
                  work.Path());
    stopper.join();
    EXPECT_EQ(run.exit, 1) << run.out << run.err;
    const json doc = run.Json();
    ASSERT_EQ(doc["results"].size(), static_cast<size_t>(kDisplays)) << run.out;
    for (int i = 0; i < kDisplays; ++i) {
        SCOPED_TRACE(i);
        const json& r = doc["results"][i];
        if (i == 3) {
            EXPECT_FALSE(r["ok"].get<bool>());
            EXPECT_NE(r["statusName"], "KORNET_OK");
            EXPECT_FALSE(r["message"].get<std::string>().empty());
            EXPECT_FALSE(std::filesystem::exists(work.File("MAIN.EXE" + std::string(".") + "tcp_127.0.0.1_" +
                                                           targets[3].substr(targets[3].rfind(':') + 1) + ".1")));
        } else {
            EXPECT_TRUE(r["ok"].get<bool>()) << r["message"];
            EXPECT_EQ(r["local"], "MAIN.EXE.tcp_127.0.0.1_" + targets[i].substr(targets[i].rfind(':') + 1) + ".1");
        }
    }
}

}  // namespace
