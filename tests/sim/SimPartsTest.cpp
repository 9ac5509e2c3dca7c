// The simulator's own parts without a line: frames as the controller reads
// them, the documents it writes, its folder store and the program's options.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CCommandTable.h"
#include "CFileStore.h"
#include "CommandLine.h"
#include "Documents.h"
#include "Frames.h"
#include "PortMap.h"
#include "SimFrame.h"
#include "TempDir.h"

using jxsim::CFrameReceiver;

namespace {
std::vector<CFrameReceiver::Event> FeedInPieces(const Bytes& stream, const std::vector<size_t>& cuts)
{
    CFrameReceiver r;
    std::vector<CFrameReceiver::Event> events;
    size_t from = 0;
    for (size_t cut : cuts) {
        r.Feed(stream.data() + from, cut - from, events);
        from = cut;
    }
    r.Feed(stream.data() + from, stream.size() - from, events);
    return events;
}

struct MapResult {
    bool ok = false;
    std::string error;
};

// AddPortMapEntry (COM12 as /dev/pts/77) in a child process that may write
// no more than `fileLimit` bytes to a file (-1: no limit), as on a full disk.
MapResult AddComInChild(const std::string& map, long fileLimit)
{
    int out[2];
    if (pipe(out) != 0) return {false, "no pipe"};
    const pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        if (fileLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileLimit), static_cast<rlim_t>(fileLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<std::string> replaced;
        std::string error;
        const bool ok = jxsim::AddPortMapEntry(map, 12, "/dev/pts/77", replaced, error);
        (void)!write(out[1], error.data(), error.size());
        _exit(ok ? 0 : 1);
    }
    close(out[1]);
    MapResult r;
    char buf[512];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0) r.error.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}
}  // namespace

TEST(SimFrames, BuildsTheBytesOfTheWireFormat)
{
    struct Case {
        uint8_t address, seqType;
        Bytes data, expected;
    } cases[] = {
        {5, 0x03, {}, {0x55, 0xAA, 0x05, 0x00, 0x03, 0xF9}},
        {1, 0x11, {0x80, 0x0B, 0x00}, MakeFrame(1, 0x11, {0x80, 0x0B, 0x00})},
        {9, 0x21, {0x10, 0xF0}, {0x55, 0xAA, 0x09, 0x02, 0x21, 0xD5, 0x10, 0xF0, 0x00}},  // data summing to 0
    };
    for (const auto& c : cases) EXPECT_EQ(jxsim::BuildFrame(c.address, c.seqType, c.data), c.expected);
}

TEST(SimFrames, AFrameCutAnywhereIsReadOnce)
{
    const Bytes data = {0x80, 0x02, 0x00, 'A', 'B', 0x55, 0xAA};
    const Bytes frame = MakeFrame(7, 0x30, data);
    for (size_t cut = 0; cut <= frame.size(); ++cut) {
        const auto events = FeedInPieces(frame, {cut});
        ASSERT_EQ(events.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(events[0].kind, CFrameReceiver::Event::Frame);
        EXPECT_EQ(events[0].frame.address, 7);
        EXPECT_EQ(events[0].frame.seqType, 0x30);
        EXPECT_EQ(events[0].frame.data, data);
    }
}

TEST(SimFrames, NoiseBeforeAFrameIsSkipped)
{
    const Bytes frame = MakeFrame(2, 0x40, {0x80, 0x17});
    const std::vector<Bytes> noises = {
        {0x00, 0x13, 0xFF},
        {0x55},                          // a stray start byte right before the frame
        {0x55, 0x13, 0x42},              // a stray start byte, then noise
        {0x55, 0xAA, 0x02, 0x00, 0x40},  // a header cut off by the frame that follows
        {0x55, 0xAA, 0x02, 0x00, 0x40, 0x00},  // a whole header with a wrong checksum
    };
    for (const auto& noise : noises) {
        Bytes stream = noise;
        stream.insert(stream.end(), frame.begin(), frame.end());
        const auto events = FeedInPieces(stream, {});
        ASSERT_EQ(events.size(), 1u) << "noise of " << noise.size();
        EXPECT_EQ(events[0].kind, CFrameReceiver::Event::Frame);
        EXPECT_EQ(events[0].frame.data, (Bytes{0x80, 0x17}));
    }
}

TEST(SimFrames, WrongDataChecksumIsReportedWithItsHeader)
{
    Bytes frame = MakeFrame(3, 0x50, {0x80, 0x0A, 0x01});
    frame.back() ^= 0xFF;
    const auto events = FeedInPieces(frame, {4});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, CFrameReceiver::Event::BadData);
    EXPECT_EQ(events[0].frame.address, 3);
    EXPECT_EQ(events[0].frame.Sequence(), 0x50);
}

TEST(SimFrames, ResetDropsAPartialFrame)
{
    const Bytes frame = MakeFrame(3, 0x50, {0x80, 0x0A, 0x01});
    CFrameReceiver r;
    std::vector<CFrameReceiver::Event> events;
    r.Feed(frame.data(), 5, events);
    EXPECT_TRUE(r.HasPartialFrame());
    r.Reset();
    r.Feed(frame.data(), frame.size(), events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].frame.data.size(), 3u);
}

TEST(SimCommandTable, SingleByteCodesAndExtendedSubCommandsAreApart)
{
    jxsim::CCommandTable table;
    table.Register(15, "BlankSign", [](jxsim::CCommandContext&) { return jxsim::CCommandReply::Single(15, 3); });
    table.RegisterExtended(15, "JxSetTime", [](jxsim::CCommandContext&) { return jxsim::CCommandReply::Extended(15, 0); });
    struct Case {
        Bytes data;
        const char* name;  // null: not registered
    } cases[] = {
        {{15, 0}, "BlankSign"},
        {{0x80, 15, 0}, "JxSetTime"},
        {{0x80, 14}, nullptr},
        {{0x80}, nullptr},  // a prefix without its sub-command
        {{16}, nullptr},
        {{}, nullptr},
    };
    for (const auto& c : cases) {
        const auto* e = table.Find(c.data);
        if (c.name == nullptr) {
            EXPECT_EQ(e, nullptr) << c.data.size();
        } else {
            ASSERT_NE(e, nullptr) << c.name;
            EXPECT_EQ(e->name, c.name);
        }
    }
    EXPECT_THROW(table.Register(15, "Twice", nullptr), std::logic_error);
    EXPECT_THROW(table.Register(0x80, "Prefix", nullptr), std::logic_error);
    // The error byte sits after the echoed command byte(s).
    EXPECT_EQ(jxsim::CCommandReply::Single(15, 3).ErrorByte(), 3);
    EXPECT_EQ(jxsim::CCommandReply::Extended(15, 7).ErrorByte(), 7);
    EXPECT_EQ(jxsim::CCommandReply::OfType(4).ErrorByte(), 0);
}

TEST(SimDocuments, DirectoryEntriesAreEscapedUtf8)
{
    const std::string xml = jxsim::DirectoryXml({{"A&B<\"1\">.TXT", 12, 0}, {"CAF\xC9.MSG", 3, 1767225600}});
    EXPECT_NE(xml.find("<ENT name=\"A&amp;B&lt;&quot;1&quot;&gt;.TXT\" size=\"12\" sec=\"0\"/>"), std::string::npos) << xml;
    // A Latin-1 byte becomes its two UTF-8 bytes.
    EXPECT_NE(xml.find("name=\"CAF\xC3\x89.MSG\" size=\"3\" sec=\"1767225600\""), std::string::npos) << xml;
    const auto elements = jxsim::ScanXmlElements(xml);
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].name, "DIR");
    EXPECT_EQ(*elements[1].Attribute("name"), "A&B<\"1\">.TXT");
}

TEST(SimDocuments, FactoryConfigurationHoldsEveryEditedSetting)
{
    jxsim::CConfigDefaults d;
    d.displayName = "Lobby & Hall";
    d.baud = 57600;
    d.tcpPort = 3005;
    const auto elements = jxsim::ScanXmlElements(jxsim::FactoryConfigXml(d));
    const std::pair<const char*, std::vector<const char*>> wanted[] = {
        {"CFG", {"type", "ds", "mid", "gamma", "logmax", "mode", "tpl", "tph", "ldl", "hdl", "rfr"}},
        {"ADDR", {"ip", "msk", "gtw", "dhcp", "sw", "ertd"}},
        {"TIME", {"zn", "dst", "clk"}},
        {"ENET", {"spd", "dplx"}},
        {"SCRTY", {"user", "pswrd"}},
    };
    for (const auto& [element, attributes] : wanted) {
        auto e = std::find_if(elements.begin(), elements.end(), [&](const auto& x) { return x.name == element; });
        ASSERT_NE(e, elements.end()) << element;
        for (const char* a : attributes) EXPECT_NE(e->Attribute(a), nullptr) << element << " " << a;
    }
    EXPECT_EQ(*elements[0].Attribute("ds"), "Lobby & Hall");
    // The four ports the tool looks for, in their roles.
    std::vector<std::string> ports;
    for (const auto& e : elements)
        if (e.name == "PORT") ports.push_back(*e.Attribute("type") + "/" + *e.Attribute("protocol") + "/" + *e.Attribute("num"));
    EXPECT_EQ(ports, (std::vector<std::string>{"DIRECT/Kor/1", "TCPIP/Kor/3005", "DIRECT/RTD/2", "UDPIP/RTD/3002"}));
    const auto direct = std::find_if(elements.begin(), elements.end(), [](const auto& x) { return x.name == "PORT"; });
    EXPECT_EQ(*direct->Attribute("baud"), "57600");
}

TEST(SimDocuments, FirmwareRevisionIsReadBackAndNeverReadPastTheImage)
{
    const Bytes image = jxsim::MakeFirmwareImage("Tolvar Jx firmware V 3.09");
    ASSERT_EQ(jxsim::FirmwareRevision(image), std::optional<std::string>("Tolvar Jx firmware V 3.09"));
    EXPECT_EQ(jxsim::VersionFromRevision("Tolvar Jx firmware V 3.09"), "3.09");
    EXPECT_EQ(jxsim::VersionFromRevision("3.07"), "3.07");
    // Cut short anywhere: no revision, or the right one, never a crash.
    for (size_t n = 0; n < image.size(); ++n) {
        const auto r = jxsim::FirmwareRevision(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n)));
        if (r) {
            EXPECT_EQ(*r, "Tolvar Jx firmware V 3.09") << n;
        }
    }
    // Section table or name section outside the image, no sections at all.
    for (size_t field : {32u, 50u}) {
        Bytes bad = image;
        bad[field] = 0xFF;
        bad[field + 1] = 0xFF;
        EXPECT_EQ(jxsim::FirmwareRevision(bad), std::nullopt) << field;
    }
    Bytes none = image;
    none[48] = none[49] = 0;
    EXPECT_EQ(jxsim::FirmwareRevision(none), std::nullopt);
}

TEST(SimFolderStore, ControllerNamesMapOntoHostNames)
{
    const std::pair<std::string, std::string> cases[] = {
        {"CONFIG.XML", "CONFIG.XML"},
        {"MSG\\LOBBY.MSG", "MSG%5CLOBBY.MSG"},
        {"A/B", "A%2FB"},
        {".HIDDEN", "%2EHIDDEN"},
        {"100%", "100%25"},
        {std::string("TAB\tX", 5), "TAB%09X"},
    };
    for (const auto& [name, host] : cases) {
        EXPECT_EQ(jxsim::CFolderStore::EncodeName(name), host);
        EXPECT_EQ(jxsim::CFolderStore::DecodeName(host), name);
    }
}

TEST(SimFolderStore, KeepsFilesWithTheirTimes)
{
    TempDir dir;
    jxsim::CFolderStore store(dir.Path() + "/sign");
    std::string error;
    ASSERT_TRUE(store.Prepare(error)) << error;
    ASSERT_TRUE(store.Write("MSG\\A.MSG", {1, 2, 3}, 1767225600));
    ASSERT_TRUE(store.Write("B.TXT", {}, 1000));
    WriteWholeFile(dir.Path() + "/sign/.profile", "not a controller file");
    const auto files = store.List();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "B.TXT");
    EXPECT_EQ(files[1].name, "MSG\\A.MSG");
    EXPECT_EQ(files[1].size, 3u);
    EXPECT_EQ(files[1].sec, 1767225600);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/sign/MSG%5CA.MSG"), std::string("\1\2\3", 3));
    ASSERT_TRUE(store.Rename("B.TXT", "C.TXT"));
    ASSERT_TRUE(store.Remove("MSG\\A.MSG"));
    Bytes data;
    EXPECT_FALSE(store.Read("MSG\\A.MSG", data));
    EXPECT_TRUE(store.Read("C.TXT", data));
    EXPECT_EQ(store.List().size(), 1u);
}

TEST(SimPortMap, ReplacedWholeOrLeftAsItWas)
{
    const std::string before = "# mine\nCOM3=/dev/ttyUSB0\nCOM12=/dev/ttyS4\n";
    struct Case {
        const char* what;
        bool existing;  // the map is there before
        long fileLimit;
        bool ok;
        std::optional<std::string> after;  // none: no map at all
    } cases[] = {
        {"room on the disk", true, -1, true, "# mine\nCOM3=/dev/ttyUSB0\nCOM12=/dev/pts/77\n"},
        {"a new map", false, -1, true, "COM12=/dev/pts/77\n"},
        {"disk full", true, 0, false, before},
        {"disk full after a few bytes", true, 10, false, before},
        {"disk full, no map yet", false, 0, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string map = dir.File("kornet/ports");
        std::filesystem::create_directory(dir.File("kornet"));
        if (c.existing) WriteWholeFile(map, before);
        const MapResult r = AddComInChild(map, c.fileLimit);
        EXPECT_EQ(r.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(r.error, "");
        } else {
            EXPECT_NE(r.error.find(map), std::string::npos) << r.error;
        }
        EXPECT_EQ(std::filesystem::exists(map), c.after.has_value());
        if (c.after) {
            EXPECT_EQ(ReadWholeFile(map), *c.after);
        }
        // Nothing is left beside the map.
        size_t files = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("kornet"))) files += e.path() != map;
        EXPECT_EQ(files, 0u);
    }
}

TEST(SimCommandLine, OptionsAndTheirErrors)
{
    struct Case {
        std::vector<std::string> args;
        std::string error;  // empty: accepted
    } cases[] = {
        {{"--listen", "0.0.0.0:4000", "--address", "3", "--address", "7", "--memory", "2M"}, ""},
        {{"--pty", "--com", "9", "--baud", "9600"}, ""},
        {{"--com", "9"}, "--com needs --pty"},
        {{"--address", "0"}, "--address: \"0\" is not a number from 1 to 240"},
        {{"--address", "4", "--address", "4"}, "--address 4 is given twice"},
        {{"--baud", "12345"}, "--baud: 12345 is not a speed a controller runs at"},
        {{"--listen", "host:port"}, "--listen: \"host:port\" is not HOST:PORT"},
        {{"--fail-file", "CONFIG.XML"}, "--fail-file: \"CONFIG.XML\" is not NAME=ERROR (error byte 1 to 255)"},
        {{"--fault-rate", "1.5"}, "--fault-rate: \"1.5\" is not a fraction from 0 to 1"},
        {{"--memory"}, "--memory needs a value"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\" (see --help)"},
    };
    for (const auto& c : cases) {
        jxsim::CProgramOptions o;
        std::string error;
        EXPECT_EQ(jxsim::ParseCommandLine(c.args, o, error), c.error.empty()) << c.args[0];
        EXPECT_EQ(error, c.error);
    }
    jxsim::CProgramOptions o;
    std::string error;
    ASSERT_TRUE(jxsim::ParseCommandLine({"--listen", "0.0.0.0:4000", "--address", "3", "--address", "7", "--memory",
                                         "2M", "--fail-file", "A=B=4"},
                                        o, error));
    EXPECT_EQ(o.host, "0.0.0.0");
    EXPECT_EQ(o.port, 4000);
    EXPECT_EQ(o.sim.addresses, (std::vector<uint8_t>{3, 7}));
    EXPECT_EQ(o.sim.memoryBytes, 2000000u);
    ASSERT_EQ(o.failFiles.size(), 1u);
    EXPECT_EQ(o.failFiles[0].first, "A=B");
    EXPECT_EQ(o.failFiles[0].second, 4);
}
