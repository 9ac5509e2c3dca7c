// Jx file commands of the library against jxsim: files come back byte for
// byte, the directory lists what was sent, the controller's refusals reach
// the caller, and a transfer cut off never damages the stored file.
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <random>
#include <regex>
#include <set>
#include <utility>

#include "SimLinkFixture.h"

namespace {
using jxsim::Bytes;

// Text-like data that compresses, or random bytes that do not.
Bytes MakeData(size_t size, uint32_t seed, bool compressible)
{
    std::mt19937 rng(seed);
    Bytes d(size);
    if (compressible) {
        static const char kWords[] = "LOBBY SIGN WELCOME OPEN 24 HOURS <MSG line=\"1\"/>\r\n";
        for (size_t i = 0; i < size; ++i) d[i] = static_cast<uint8_t>(kWords[(i + rng() % 3) % (sizeof kWords - 1)]);
    } else {
        for (auto& b : d) b = static_cast<uint8_t>(rng());
    }
    return d;
}

struct Entry {
    uint64_t size;
    int64_t sec;
};
std::map<std::string, Entry> ParseDirectory(const std::string& xml)
{
    std::map<std::string, Entry> out;
    static const std::regex kEnt("<ENT name=\"([^\"]*)\" size=\"([0-9]+)\" sec=\"(-?[0-9]+)\"/>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), kEnt); it != std::sregex_iterator(); ++it)
        out[(*it)[1]] = {std::stoull((*it)[2]), std::stoll((*it)[3])};
    return out;
}

std::string Attribute(const std::string& xml, const std::string& name)
{
    const std::regex re(" " + name + "=\"([^\"]*)\"");
    std::smatch m;
    return std::regex_search(xml, m, re) ? m[1].str() : std::string("<missing>");
}
}  // namespace

class SimLinkFile : public SimLinkTest {
protected:
    std::string GetText(const char* name, bool compressed)
    {
        int16_t status = -99;
        jx_resp_retrieve_file_s r{};
        const uint8_t* p = compressed ? link.JxGetFileCompressed(1, name, status, &r, 0)
                                      : link.JxGetFile(1, name, status, &r, 0);
        EXPECT_EQ(status, KORNET_OK) << name;
        if (p == nullptr) return {};
        return std::string(reinterpret_cast<const char*>(p), compressed ? r.uncompressedLength : r.length);
    }
};

TEST_P(SimLinkFile, FilesComeBackByteForByte)
{
    Start();
    std::vector<size_t> sizes = {0, 1, 245, 246, 247, 492, 493};
    std::mt19937 rng(4);
    const int large = GetParam() == SimTransport::Tcp ? 6 : 3;
    for (int i = 0; i < large; ++i) sizes.push_back(rng() % 300001);
    sizes.push_back(300000);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const size_t size = sizes[i];
        const bool compressible = i % 2 == 0;
        const Bytes data = MakeData(size, static_cast<uint32_t>(i), compressible);
        const std::string name = "FILE" + std::to_string(i) + ".BIN";
        SCOPED_TRACE(name + ", " + std::to_string(size) + " bytes");
        jx_resp_send_file_s sent{};
        const int16_t s = (i % 4 < 2) ? link.JxSendFile(1, name.c_str(), data.data(), static_cast<int32_t>(size), &sent, 0)
                                      : link.JxSendFileCompressed(1, name.c_str(), data.data(),
                                                                  static_cast<int32_t>(size), &sent, 0);
        ASSERT_EQ(s, KORNET_OK);
        EXPECT_EQ(sent.error, 0);
        EXPECT_EQ(Stored(name), data);

        for (bool compressed : {false, true}) {
            int16_t status = -99;
            jx_resp_retrieve_file_s r{};
            const uint8_t* p = compressed ? link.JxGetFileCompressed(1, name.c_str(), status, &r, 0)
                                          : link.JxGetFile(1, name.c_str(), status, &r, 0);
            ASSERT_EQ(status, KORNET_OK) << "compressed " << compressed;
            EXPECT_EQ(r.error, 0);
            if (size == 0) {
                EXPECT_EQ(p, nullptr);
                continue;
            }
            ASSERT_NE(p, nullptr);
            const size_t length = compressed ? r.uncompressedLength : r.length;
            ASSERT_EQ(length, size);
            EXPECT_EQ(Bytes(p, p + length), data) << "compressed " << compressed;
        }
    }
}

TEST_P(SimLinkFile, DirectoryListsWhatWasSentAndStatusAddsUp)
{
    jxsim::CSimOptions o;
    o.displayName = "Platform 2";
    o.version = "3.10";
    Start(o);
    const int64_t now = time(nullptr);
    const std::vector<std::pair<std::string, size_t>> files = {{"A.MSG", 10}, {"MSG\\B.MSG", 5000}, {"C D.TXT", 0}};
    for (const auto& [name, size] : files) {
        const Bytes data = MakeData(size, 1, true);
        ASSERT_EQ(link.JxSendFileCompressed(1, name.c_str(), data.data(), static_cast<int32_t>(size), nullptr, 0),
                  KORNET_OK);
    }
    ASSERT_EQ(link.JxRenameFile(1, "A.MSG", "A2.MSG", nullptr, 0), KORNET_OK);
    ASSERT_EQ(link.JxDeleteFile(1, "WELCOME.MSG", nullptr, 0), KORNET_OK);

    for (bool compressed : {false, true}) {
        const auto dir = ParseDirectory(GetText("DIRECTORY.XML", compressed));
        EXPECT_EQ(dir.count("A.MSG"), 0u);
        EXPECT_EQ(dir.count("WELCOME.MSG"), 0u);
        ASSERT_EQ(dir.count("A2.MSG"), 1u);
        EXPECT_EQ(dir.at("A2.MSG").size, 10u);
        ASSERT_EQ(dir.count("MSG\\B.MSG"), 1u);
        EXPECT_EQ(dir.at("MSG\\B.MSG").size, 5000u);
        ASSERT_EQ(dir.count("C D.TXT"), 1u);
        EXPECT_EQ(dir.at("C D.TXT").size, 0u);
        // Stamped by the sender with its clock.
        EXPECT_NEAR(static_cast<double>(dir.at("A2.MSG").sec), static_cast<double>(now), 600.0);
        EXPECT_EQ(dir.count("CONFIG.XML"), 1u);

        // Used memory is what the directory lists.
        const std::string status = GetText("STATUS.XML", compressed);
        uint64_t listed = 0;
        for (const auto& [name, e] : dir) listed += e.size;
        EXPECT_EQ(std::stoull(Attribute(status, "mem")) - std::stoull(Attribute(status, "fmem")), listed);
        EXPECT_EQ(Attribute(status, "mem"), "8000000");
        EXPECT_EQ(Attribute(status, "ds"), "Platform 2");
        EXPECT_EQ(Attribute(status, "vr"), "TJX-3.10");
        EXPECT_NE(Attribute(status, "vmem"), "<missing>");
        EXPECT_NE(Attribute(status, "vfmem"), "<missing>");
        // The deleted file left a gap.
        EXPECT_EQ(Attribute(status, "dmem"), "19");
    }
}

TEST_P(SimLinkFile, ControllerRefusalsReachTheCaller)
{
    jxsim::CSimOptions o;
    o.memoryBytes = 20000;
    Start(o);
    sim->FailFile("LOCKED.XML", 14);
    const Bytes big = MakeData(30000, 2, false);
    const Bytes small = MakeData(100, 3, false);
    const Bytes config = Stored("CONFIG.XML");

    struct SendCase {
        const char* what;
        const char* name;
        const Bytes* data;
        uint8_t error;
    } sends[] = {
        {"store full", "BIG.BIN", &big, 4},
        {"failed on request", "LOCKED.XML", &small, 14},
        {"the controller's own document", "DIRECTORY.XML", &small, 1},
    };
    for (const auto& c : sends) {
        for (bool compressed : {false, true}) {
            jx_resp_send_file_s r{};
            const auto length = static_cast<int32_t>(c.data->size());
            const int16_t s = compressed ? link.JxSendFileCompressed(1, c.name, c.data->data(), length, &r, 0)
                                         : link.JxSendFile(1, c.name, c.data->data(), length, &r, 0);
            EXPECT_EQ(s, ERR_SIGN_RESPONSE_ERROR) << c.what;
            EXPECT_EQ(r.error, c.error) << c.what;
        }
    }
    EXPECT_EQ(sim->Files().size(), 6u);  // nothing was added

    int16_t status = 0;
    jx_resp_retrieve_file_s got{};
    EXPECT_EQ(link.JxGetFile(1, "MISSING.XML", status, &got, 0), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(got.error, 2);
    EXPECT_EQ(link.JxGetFileCompressed(1, "LOCKED.XML", status, &got, 0), nullptr);
    EXPECT_EQ(got.error, 14);

    jx_resp_delete_file_s del{};
    EXPECT_EQ(link.JxDeleteFile(1, "MISSING.XML", &del, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(del.error, 2);
    jx_resp_rename_file_s ren{};
    EXPECT_EQ(link.JxRenameFile(1, "MISSING.XML", "X.XML", &ren, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(ren.error, 2);
    EXPECT_EQ(link.JxRenameFile(1, "LOG.XML", "CONFIG.XML", &ren, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(ren.error, 1);  // renaming never overwrites
    EXPECT_EQ(Stored("CONFIG.XML"), config);
}

TEST_P(SimLinkFile, OlderControllerGetsPlainTransfers)
{
    jxsim::CSimOptions o;
    o.compression = false;
    Start(o);
    const Bytes data = MakeData(5000, 5, true);
    ASSERT_EQ(link.JxSendFileCompressed(1, "TEXT.MSG", data.data(), 5000, nullptr, 0), KORNET_OK);
    EXPECT_EQ(Stored("TEXT.MSG"), data);
    int16_t status = -99;
    jx_resp_retrieve_file_s r{};
    const uint8_t* p = link.JxGetFileCompressed(1, "TEXT.MSG", status, &r, 0);
    ASSERT_EQ(status, KORNET_OK);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(+r.uncompressedLength, 5000u);
    EXPECT_EQ(Bytes(p, p + 5000), data);

    // Each compressed header was answered as unsupported, then the plain one served.
    std::vector<std::string> headers;
    for (const auto& c : sim->Commands())
        if (c.name.find("header") != std::string::npos) headers.push_back(c.name + "/" + std::to_string(c.replyType));
    EXPECT_EQ(headers, (std::vector<std::string>{"JxSendFileCompressed header/4", "JxSendFile header/1",
                                                 "JxGetFileCompressed header/4", "JxGetFile header/1"}));
}

TEST_P(SimLinkFile, ControllerBlockSizeOtherThanOurs)
{
    jxsim::CSimOptions o;
    o.getBlockSize = 100;
    Start(o);
    const Bytes data = MakeData(1001, 6, false);
    ASSERT_TRUE(sim->PutFile("ODD.BIN", data));
    int16_t status = -99;
    jx_resp_retrieve_file_s r{};
    const uint8_t* p = link.JxGetFile(1, "ODD.BIN", status, &r, 0);
    ASSERT_EQ(status, KORNET_OK);
    EXPECT_EQ(+r.blocks, 11);
    EXPECT_EQ(+r.blockSize, 100);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Bytes(p, p + 1001), data);
}

TEST_P(SimLinkFile, BroadcastSendReachesEveryListeningController)
{
    jxsim::CSimOptions o;
    o.addresses = {1, 2};
    Start(o);
    const Bytes data = MakeData(500, 7, false);  // header and 3 blocks
    const uint64_t before = sim->FramesHandled();
    ASSERT_EQ(link.JxSendFile(0, "ALL.MSG", data.data(), 500, nullptr, 0), KORNET_OK);
    ASSERT_TRUE(sim->WaitForFrames(before + 5, 3000));  // sync, header, 3 blocks
    EXPECT_EQ(Stored("ALL.MSG", 1), data);
    EXPECT_EQ(Stored("ALL.MSG", 2), data);
}

TEST_P(SimLinkFile, TransferCutOffNeverReplacesTheStoredFile)
{
    Start({}, 150);
    link.SetMaxNumberOfRetries(1);
    const Bytes config = Stored("CONFIG.XML");
    const Bytes replacement = MakeData(5000, 8, false);
    sim->CloseAfterBlocks(3);
    EXPECT_NE(link.JxSendFile(1, "CONFIG.XML", replacement.data(), 5000, nullptr, 0), KORNET_OK);
    EXPECT_EQ(Stored("CONFIG.XML"), config);

    // Once reconnected, the same send goes through.
    Reconnect();
    ASSERT_EQ(link.JxSendFile(1, "CONFIG.XML", replacement.data(), 5000, nullptr, 0), KORNET_OK);
    EXPECT_EQ(Stored("CONFIG.XML"), replacement);
    EXPECT_EQ(sim->FaultCounts().closed, 1u);
    if (GetParam() == SimTransport::Modem) {  // the cut was the far end hanging up; the second call went through
        EXPECT_EQ(jxsim::SimModemState(*sim).remoteHangUps, 1);
        EXPECT_EQ(jxsim::SimModemState(*sim).connects, 2);
    }
}

TEST_P(SimLinkFile, EachFaultIsRecoveredByARetry)
{
    Start({}, 150);
    const Bytes data = MakeData(2000, 9, false);
    struct Case {
        const char* what;
        void (jxsim::CJxSimulator::*inject)(int);
    } cases[] = {
        {"dropped replies", &jxsim::CJxSimulator::DropReplies},
        {"broken checksums", &jxsim::CJxSimulator::CorruptChecksums},
        {"wrong sequence nibbles", &jxsim::CJxSimulator::WrongSequences},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "F" + std::to_string(n++) + ".BIN";
        (sim.get()->*c.inject)(2);  // two bad attempts of one exchange; the third gets through
        ASSERT_EQ(link.JxSendFile(1, name.c_str(), data.data(), 2000, nullptr, 0), KORNET_OK) << c.what;
        EXPECT_EQ(Stored(name), data) << c.what;
        int16_t status = -99;
        (sim.get()->*c.inject)(2);
        const uint8_t* p = link.JxGetFile(1, name.c_str(), status, nullptr, 0);
        ASSERT_EQ(status, KORNET_OK) << c.what;
        EXPECT_EQ(Bytes(p, p + 2000), data) << c.what;
    }
    sim->GarbageBeforeReplies(5);
    ASSERT_EQ(link.JxSendFile(1, "G.BIN", data.data(), 2000, nullptr, 0), KORNET_OK);
    EXPECT_EQ(Stored("G.BIN"), data);
    const auto counts = sim->FaultCounts();
    EXPECT_EQ(counts.droppedReplies, 4u);
    EXPECT_EQ(counts.badDataChecksums + counts.badHeaderChecksums, 4u);
    EXPECT_EQ(counts.wrongSequences, 4u);
    EXPECT_EQ(counts.garbage, 5u);
}

TEST_P(SimLinkFile, RepliesArrivingByteByByteAreAssembled)
{
    // A byte a millisecond makes a block's reply take a quarter of a second
    // or more; the time-out leaves room for a loaded machine's sleeps.
    Start({}, 2000);
    const Bytes data = MakeData(300, 10, false);
    ASSERT_TRUE(sim->PutFile("SLOW.BIN", data));
    sim->SetByteDelayMs(1);
    int16_t status = -99;
    jx_resp_retrieve_file_s r{};
    const uint8_t* p = link.JxGetFile(1, "SLOW.BIN", status, &r, 0);
    ASSERT_EQ(status, KORNET_OK);
    EXPECT_EQ(Bytes(p, p + r.length), data);
}

TEST_P(SimLinkFile, FolderFilesAreListedUnderTheNamesThatFetchThem)
{
    // Host files a user put in the store's folder by hand, and the name the
    // directory lists each under ("": not listed, no name reaches it).
    const std::pair<std::string, std::string> rows[] = {
        {"PLAIN.MSG", "PLAIN.MSG"},
        {"50%OFF.MSG", ""},            // a '%' that starts no escape
        {"%41.MSG", ""},               // an escape of a byte never escaped
        {"%2F.MSG", "/.MSG"},
        {"A%2FB.MSG", "A/B.MSG"},
        {"A%2fB.MSG", ""},             // escapes are written in upper case
        {"BAD%G1.MSG", ""},
        {"CUT%4", ""},
        {"CUT%", ""},
        {"%00.MSG", ""},               // no request can name a zero byte
        {"MSG%5CLOBBY.MSG", "MSG\\LOBBY.MSG"},
        {"MSG\\RAW.MSG", ""},          // a '\\' is always escaped
        {"100%25", "100%"},
        {"%25%2541", "%%41"},
        {"%2EHIDDEN", ".HIDDEN"},
        {"A%2E", ""},                  // only a leading '.' is escaped
        {".profile", ""},              // hidden
        {std::string(110, 'L'), std::string(110, 'L')},
        {std::string(111, 'L'), ""},   // longer than a request's name field
    };
    std::filesystem::create_directory(dir.File("store"));
    for (const auto& [host, listed] : rows) WriteWholeFile(dir.File("store/" + host), "file " + host);
    // The simulator logs until the fixture stops it, after this body: the
    // lines it writes go to storage that lives as long as the logger.
    struct Log {
        std::mutex mutex;
        std::vector<std::string> lines;
    };
    const auto log = std::make_shared<Log>();
    jxsim::CSimOptions o;
    o.root = dir.File("store");
    o.samples = false;
    o.log = [log](const std::string& line) {
        std::lock_guard lock(log->mutex);
        log->lines.push_back(line);
    };
    Start(o);

    std::set<std::string> expected = {"CONFIG.XML"};  // written by the controller at its first start
    for (const auto& [host, listed] : rows)
        if (!listed.empty()) expected.insert(listed);
    const auto directory = ParseDirectory(GetText("DIRECTORY.XML", false));
    std::set<std::string> shown;
    for (const auto& [name, entry] : directory) shown.insert(name);
    EXPECT_EQ(shown, expected);

    for (const auto& [host, listed] : rows) {
        SCOPED_TRACE(host);
        if (listed.empty()) {
            // The user is told which files are left out (hidden ones aside).
            std::lock_guard lock(log->mutex);
            const bool told = std::any_of(log->lines.begin(), log->lines.end(), [&](const std::string& line) {
                return line.find("/" + host + " is not shown") != std::string::npos;
            });
            EXPECT_EQ(told, host[0] != '.');
            continue;
        }
        EXPECT_EQ(GetText(listed.c_str(), false), "file " + host);
        EXPECT_EQ(GetText(listed.c_str(), true), "file " + host);
    }
}

TEST_P(SimLinkFile, EveryNameTheStoreTakesComesBack)
{
    jxsim::CSimOptions o;
    o.root = dir.File("store");
    o.samples = false;
    Start(o);
    std::vector<std::string> names = {".",  "..", ".A", "A.", "%", "%25", "%41", "%2E", "%2F", "50%OFF.MSG",
                                      "/",  "\\", "MSG\\A/B%C.MSG", " SPACE", std::string(110, 'A'),
                                      std::string(50, '%') + "TAIL"};
    // Every byte but zero, 64 to a name.
    std::string run;
    for (int b = 1; b < 256; ++b) {
        run += static_cast<char>(b);
        if (run.size() == 64 || b == 255) names.push_back(std::exchange(run, {}));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE("name " + std::to_string(i));
        const Bytes data = MakeData(300, static_cast<uint32_t>(i), false);
        jx_resp_send_file_s sent{};
        ASSERT_EQ(link.JxSendFile(1, names[i].c_str(), data.data(), static_cast<int32_t>(data.size()), &sent, 0),
                  KORNET_OK);
        int16_t status = -99;
        jx_resp_retrieve_file_s r{};
        const uint8_t* p = link.JxGetFile(1, names[i].c_str(), status, &r, 0);
        ASSERT_EQ(status, KORNET_OK);
        EXPECT_EQ(Bytes(p, p + r.length), data);
    }
    std::set<std::string> listed;
    for (const auto& f : sim->Files()) listed.insert(f.name);
    std::set<std::string> expected(names.begin(), names.end());
    expected.insert("CONFIG.XML");
    EXPECT_EQ(listed, expected);

    // A name whose stored form no host file name can hold is refused, not
    // reported as stored.
    const std::string tooLong(110, '%');
    const Bytes data = MakeData(10, 1, false);
    jx_resp_send_file_s sent{};
    EXPECT_EQ(link.JxSendFile(1, tooLong.c_str(), data.data(), 10, &sent, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(sim->Files().size(), expected.size());
}


INSTANTIATE_TEST_SUITE_P(Transports, SimLinkFile,
                         ::testing::Values(SimTransport::Tcp, SimTransport::Pty, SimTransport::Modem), TransportName);

// OnProgress counts in 16 bits: a transfer of more frames reports a scaled
// count out of 32767 that still climbs evenly and ends full.
class SimLinkLarge : public SimLinkTest {};

TEST_P(SimLinkLarge, ProgressOfTransfersBeyondSixteenBits)
{
    jxsim::CSimOptions options;
    options.memoryBytes = 64u * 1024u * 1024u;
    Start(options);
    struct Log : CKorNetworkEvents {
        std::vector<std::pair<int, int>> calls;
        void OnCallState(uint32_t, uint32_t, int16_t) override {}
        void OnProgress(int16_t count, int16_t total, int16_t) override { calls.emplace_back(count, total); }
    } log;
    link.RegisterEventHandler(&log, 0);
    const Bytes data = MakeData(40000u * 246u, 5, false);  // 40000 blocks and the header
    ASSERT_EQ(link.JxSendFile(1, "HUGE.BIN", data.data(), static_cast<int32_t>(data.size()), nullptr, 0), KORNET_OK);
    ASSERT_EQ(log.calls.size(), 40002u);
    EXPECT_EQ(log.calls.front(), std::make_pair(0, 32767));
    EXPECT_EQ(log.calls.back(), std::make_pair(32767, 32767));
    for (size_t i = 1; i < log.calls.size(); ++i) {
        ASSERT_EQ(log.calls[i].second, 32767);
        ASSERT_GE(log.calls[i].first, log.calls[i - 1].first);
        ASSERT_LE(log.calls[i].first - log.calls[i - 1].first, 1);
    }
    EXPECT_TRUE(Stored("HUGE.BIN") == data);
}

INSTANTIATE_TEST_SUITE_P(Tcp, SimLinkLarge, ::testing::Values(SimTransport::Tcp), TransportName);
