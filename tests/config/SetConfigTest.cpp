// The rules of the Set Configuration window over real CONFIG.XML texts: what
// it opens on (Use Default decided against the factory defaults), what Set
// Configuration leaves in the document (read back through a fresh parse),
// the headings of the writes a damaged document refuses, and the
// connection settings that follow a successful set.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "config/CConfigDocument.h"
#include "config/CSetConfigPresenter.h"
#include "ConfigPrinters.h"
#include "shell/CJxConfigApp.h"
#include "shell/CSettingsStore.h"

namespace {

// A controller's document with every advanced value at the factory default
// (the refresh rate, which is not compared, is not).
const std::string kAtDefaults =
    "<?xml version=\"1.0\"?>\r\n"
    "<CFG type=\"16X48MONO1.HLV.Jx\" ds=\"Gate 4\" mid=\"HLV-M16X48-1\" gamma=\"2.20\" logmax=\"20000\" mode=\"0\" "
    "tpl=\"55\" tph=\"65\" ldl=\"0\" hdl=\"100\" rfr=\"60\" extra=\"keep\">\r\n"
    "<ADDR ip=\"10.0.0.5\" msk=\"255.0.0.0\" gtw=\"\" dhcp=\"\" sw=\"0\" ertd=\"1\"/>\r\n"
    "<TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>\r\n"
    "<ENET spd=\"AUTO\" dplx=\"AUTO\"/>\r\n"
    "<SCRTY user=\"tech\" pswrd=\"pw\"/>\r\n"
    "<FOO bar=\"1\"/>\r\n"
    "<PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>\r\n"
    "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>\r\n"
    "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>\r\n"
    "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>\r\n"
    "</CFG>\r\n";

// Every advanced value away from its default.
const std::string kAllChanged =
    "<?xml version=\"1.0\"?>\r\n"
    "<CFG type=\"24X120RGB32K.HLV.Jx\" ds=\"Main St\" mid=\"HLV-C24X48-1\" gamma=\"2.35\" logmax=\"50000\" "
    "mode=\"1\" tpl=\"50\" tph=\"70\" ldl=\"10\" hdl=\"90\" rfr=\"60\">\r\n"
    "<ADDR sw=\"17\" ertd=\"42\"/>\r\n"
    "<TIME zn=\"345\" dst=\"0\" clk=\"4\"/>\r\n"
    "<ENET spd=\"100\" dplx=\"HALF\"/>\r\n"
    "<PORT type=\"MODEM\" protocol=\"HTCH\" num=\"1\" baud=\"57600\" initstr=\"ATZ\" hdsk=\"2\"/>\r\n"
    "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3005\"/>\r\n"
    "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"9600\" initstr=\"\" hdsk=\"1\"/>\r\n"
    "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3010\"/>\r\n"
    "</CFG>\r\n";

std::string Edited(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty()) return text;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string PortText(bool ok, const PortEntry& p)
{
    if (p.type.empty()) return "-";
    return std::string(ok ? "" : "?") + p.type + "/" + p.protocol + "/" + std::to_string(p.num) + "/" +
           std::to_string(p.baud) + "/" + p.initstr + "/" + std::to_string(p.hdsk);
}

// What the written text holds, parsed afresh as the controller would send it
// back: the advanced values, the four port roles and the window's values.
std::string Readings(const std::string& latin1Text)
{
    CConfigDocument doc = Load(CXmlDocument::SingleByteToUtf8(latin1Text));
    std::string type, mid, ds, gamma, logmax, user, pswrd;
    int32_t mode = -1, tpl = -1, tph = -1, ldl = -1, hdl = -1, rfr = -1, ertd = -1, zn = -9, dst = -9, enet = -1;
    doc.GetDisplayType(type);
    doc.GetModuleId(mid);
    doc.GetDescription(ds);
    doc.GetGamma(gamma);
    doc.GetLogMax(logmax);
    doc.GetFileMode(mode);
    doc.GetThermalLow(tpl);
    doc.GetThermalHigh(tph);
    doc.GetBrightnessLow(ldl);
    doc.GetBrightnessHigh(hdl);
    doc.GetRefreshRate(rfr);
    doc.GetErtdSignNumber(ertd);
    doc.GetTimeZone(zn);
    doc.GetDaylightSaving(dst);
    doc.GetEthernetMode(enet);
    doc.GetSecurity(user, pswrd);
    PortEntry p[4];
    const bool ok[4] = {doc.GetRequiredSerialPort(p[0]), doc.GetEthernetPort(p[1]), doc.GetRtdSerialPort(p[2]),
                        doc.GetRtdNetworkPort(p[3])};
    return "type=" + type + " mid=" + mid + " ds=" + ds + " zn=" + std::to_string(zn) + " dst=" +
           std::to_string(dst) + " | mode=" + std::to_string(mode) + " logmax=" + logmax + " gamma=" + gamma +
           " ertd=" + std::to_string(ertd) + " ldl=" + std::to_string(ldl) + " hdl=" + std::to_string(hdl) +
           " tpl=" + std::to_string(tpl) + " tph=" + std::to_string(tph) + " rfr=" + std::to_string(rfr) +
           " enet=" + std::to_string(enet) + " user=" + user + " pswrd=" + pswrd + " | " + PortText(ok[0], p[0]) +
           " " + PortText(ok[1], p[1]) + " " + PortText(ok[2], p[2]) + " " + PortText(ok[3], p[3]) +
           " ports=" + std::to_string(Count(latin1Text, "<PORT"));
}

class SetConfig : public ::testing::Test {
protected:
    CMemorySettingsStore userStore, machineStore;
    CJxConfigApp app{userStore, machineStore};

    void SetUp() override { ASSERT_TRUE(app.LoadCatalogue(JX_SHIPPED_MODULES_XML)); }
};

// ---- opening ------------------------------------------------------------------------

TEST_F(SetConfig, OpensWithUseDefaultOnlyWhenEveryAdvancedValueIsTheDefault)
{
    const std::string rtdSerial = "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"19200\" initstr=\"\" "
                                  "hdsk=\"0\"/>\r\n";
    const std::string rtdNetwork = "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>\r\n";
    CTimeZoneList zones;
    const int32_t east5 = zones.IndexOf(-300);
    struct Row {
        const char* what;
        std::string from, to;
        bool useDefault;
        int32_t zone;
        bool dst;
    } rows[] = {
        {"every value at its default", "", "", true, east5, true},
        {"gamma 2.2 is 2.20", "gamma=\"2.20\"", "gamma=\"2.2\"", true, east5, true},
        {"gamma 2.25", "gamma=\"2.20\"", "gamma=\"2.25\"", false, east5, true},
        {"log max 30000", "logmax=\"20000\"", "logmax=\"30000\"", false, east5, true},
        {"non-volatile", "mode=\"0\"", "mode=\"1\"", false, east5, true},
        {"refresh rate is not compared", "rfr=\"60\"", "rfr=\"90\"", true, east5, true},
        {"protocol is not compared", "\"Kor\" num=\"1\"", "\"HTCH\" num=\"1\"", true, east5, true},
        {"required port at 9600", "num=\"1\" baud=\"19200\"", "num=\"1\" baud=\"9600\"", false, east5, true},
        {"required port a modem with the default init string",
         "\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\"",
         "\"MODEM\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"AT&amp;F&amp;D&amp;C0V0S0=1&amp;W0\"", false,
         east5, true},
        {"Ethernet port 3005", "num=\"3001\"", "num=\"3005\"", false, east5, true},
        {"no RTD PORT", rtdSerial + rtdNetwork, "", false, east5, true},
        {"RTD serial at 9600", "num=\"2\" baud=\"19200\"", "num=\"2\" baud=\"9600\"", false, east5, true},
        {"RTD network over TCP", "\"UDPIP\"", "\"TCPIP\"", false, east5, true},
        {"ERTD 2", "ertd=\"1\"", "ertd=\"2\"", false, east5, true},
        {"thermal high 70", "tph=\"65\"", "tph=\"70\"", false, east5, true},
        {"brightness high 90", "hdl=\"100\"", "hdl=\"90\"", false, east5, true},
        {"ethernet 100 full", "spd=\"AUTO\" dplx=\"AUTO\"", "spd=\"100\" dplx=\"FULL\"", false, east5, true},
        {"zone offset not in the list", "zn=\"-300\"", "zn=\"17\"", true, -1, true},
        {"zone +05:45", "zn=\"-300\"", "zn=\"345\"", true, zones.IndexOf(345), true},
        {"daylight saving off", "dst=\"1\"", "dst=\"0\"", true, east5, false},
        {"no TIME: GMT with daylight saving", "<TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>\r\n", "", true,
         zones.IndexOf(0), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const CConfigDocument doc = Load(Edited(kAtDefaults, row.from, row.to));
        CSetConfigPresenter p(app.catalogue, app.factory);
        const CSetConfigState state = p.Open(doc);
        EXPECT_EQ(state.input, (CSetConfigInput{"Gate 4", row.zone, row.dst, row.useDefault}));
        EXPECT_EQ(state.advancedEnabled, !row.useDefault);
        EXPECT_EQ(state.technologySelection, 0);
        EXPECT_FALSE(state.technologyListEnabled);
        EXPECT_EQ(p.Workset().displayType, "16X48MONO1.HLV.Jx");
        EXPECT_EQ(p.Workset().moduleId, "HLV-M16X48-1");
        // Use Default toggles "Advanced >>>".
        CSetConfigInput toggled = state.input;
        toggled.useDefault = !toggled.useDefault;
        EXPECT_EQ(p.Change(toggled).advancedEnabled, row.useDefault);
    }
}

TEST_F(SetConfig, TheWorkingCopyHoldsWhatTheDocumentSaysAndCompletesTheRest)
{
    const ConfigWorkset changed{.fileMode = 1, .gamma = "2.35", .logMax = "50000",
                                .requiredSerialPort = {"MODEM", "HTCH", "ATZ", 2, 57600, 1},
                                .ethernetPort = {"TCPIP", "Kor", "", 0, 0, 3005},
                                .rtdNetworkPort = {"UDPIP", "RTD", "", 0, 0, 3010},
                                .rtdSerialPort = {"DIRECT", "RTD", "", 1, 9600, 2},
                                .rtdSerialEnabled = true, .rtdNetworkEnabled = true, .ertdSignNumber = 42,
                                .moduleId = "HLV-C24X48-1", .displayType = "24X120RGB32K.HLV.Jx",
                                .thermalLow = 50, .thermalHigh = 70, .refreshRate = 60, .brightnessLow = 10,
                                .brightnessHigh = 90, .ethernetMode = kJxEthernet100Half, .securityUser = "Admin"};
    // A bare CFG: every port completed from the defaults, RTD ports off.
    const ConfigWorkset bare{.gamma = "2.20", .logMax = "20000",
                             .requiredSerialPort = {"DIRECT", "Kor", "", 0, 19200, 1},
                             .ethernetPort = {"TCPIP", "Kor", "", 0, 0, 3001},
                             .moduleId = "HLV-M16X48-1",  // the catalogue's first monochrome module
                             .displayType = "7X8MONO1.HLV.Jx", .thermalLow = 55, .thermalHigh = 65,
                             .brightnessLow = 0, .brightnessHigh = 100, .securityUser = "Admin"};
    // RTD entries that lack a value are kept (and completed), not dropped.
    ConfigWorkset partial = bare;
    partial.requiredSerialPort = {"MODEM", "Kor", "AT&F&D&C0V0S0=1&W0", 0, 2400, 1};
    partial.rtdSerialEnabled = partial.rtdNetworkEnabled = true;
    partial.rtdSerialPort = {"DIRECT", "RTD", "", 0, 19200, 2};
    partial.rtdNetworkPort = {"TCPIP", "RTD", "", 0, 0, 3002};

    struct Row {
        const char* what;
        std::string text;
        ConfigWorkset expected;
    } rows[] = {
        {"every value changed", kAllChanged, changed},
        {"bare CFG", "<CFG>\r\n</CFG>\r\n", bare},
        {"incomplete entries",
         "<CFG>\r\n<PORT type=\"MODEM\" protocol=\"Kor\" baud=\"2400\"/>\r\n<PORT type=\"DIRECT\" protocol=\"RTD\"/>\r\n"
         "<PORT type=\"TCPIP\" protocol=\"RTD\"/>\r\n</CFG>\r\n",
         partial},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CSetConfigPresenter p(app.catalogue, app.factory);
        const CSetConfigState state = p.Open(Load(row.text));
        EXPECT_FALSE(state.input.useDefault);
        EXPECT_EQ(p.Workset(), row.expected);
    }
}

// ---- Set Configuration ----------------------------------------------------------------

TEST_F(SetConfig, WritesTheDefaultsOrTheWorkingCopyAndNothingOfADisabledRtdPort)
{
    const std::string window = "type=24X120RGB32K.HLV.Jx mid=HLV-C24X48-1 ds=Quai Est zn=-210 dst=1 | ";
    const std::string defaults =
        "mode=0 logmax=20000 gamma=2.20 ertd=1 ldl=0 hdl=100 tpl=55 tph=65 rfr=60 enet=0 user=Admin pswrd= | "
        "?DIRECT/Kor/1/19200//0 TCPIP/Kor/3001/0//0 DIRECT/RTD/2/19200//0 UDPIP/RTD/3002/0//0 ports=4";
    const std::string asRead = "mode=1 logmax=50000 gamma=2.35 ertd=42 ldl=10 hdl=90 tpl=50 tph=70 rfr=60 enet=3 "
                               "user=Admin pswrd= | MODEM/HTCH/1/57600/ATZ/2 TCPIP/Kor/3005/0//0 ";
    struct Row {
        const char* what;
        bool useDefault;
        std::function<void(ConfigWorkset&)> edit;  // what the advanced window stored
        std::string expected;
    } rows[] = {
        {"Use Default", true, [](ConfigWorkset&) {}, window + defaults},
        {"Use Default whatever the working copy holds", true,
         [](ConfigWorkset& w) {
             w.rtdSerialEnabled = w.rtdNetworkEnabled = false;
             w.ertdSignNumber = 9;
             w.refreshRate = 30;
         },
         window + Edited(defaults, "rfr=60", "rfr=30")},
        {"the working copy", false, [](ConfigWorkset&) {},
         window + asRead + "DIRECT/RTD/2/9600//1 UDPIP/RTD/3010/0//0 ports=4"},
        {"RTD serial disabled", false, [](ConfigWorkset& w) { w.rtdSerialEnabled = false; },
         window + asRead + "- UDPIP/RTD/3010/0//0 ports=3"},
        {"both RTD ports disabled", false,
         [](ConfigWorkset& w) { w.rtdSerialEnabled = w.rtdNetworkEnabled = false; },
         window + asRead + "- - ports=2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CConfigDocument doc = Load(kAllChanged);
        CSetConfigPresenter p(app.catalogue, app.factory);
        CSetConfigState state = p.Open(doc);
        ASSERT_FALSE(state.input.useDefault);
        // The operator picks 24 x 120 RGB 32K again, names it and moves it.
        state = p.ChooseHeight(state.input, 3);
        state = p.ChooseWidth(state.input, 14);
        state = p.ChooseColourDepth(state.input, 5);
        EXPECT_EQ(state.input.displayName, "Halvane 24 x 120 RGB 32K");
        state.input.displayName = "Quai Est";
        state.input.zoneSelection = p.TimeZones().IndexOf(-210);
        state.input.daylightSaving = true;
        state.input.useDefault = row.useDefault;
        row.edit(p.Workset());

        const CSetConfigResult result = p.Set(state.input, doc);
        EXPECT_TRUE(result.accepted);
        EXPECT_EQ(result.summary, "");
        EXPECT_EQ(result.message, "");
        EXPECT_EQ(Readings(doc.GetText()), row.expected);
        // Everything the tool does not know stays, and nothing is written twice.
        EXPECT_EQ(Count(doc.GetText(), "<TIME "), 1);
        EXPECT_NE(doc.GetText().find("<ADDR sw=\"17\""), std::string::npos);
        EXPECT_NE(doc.GetText().find("clk=\"4\""), std::string::npos);
        if (row.useDefault) {
            EXPECT_EQ(p.Workset().rtdSerialEnabled && p.Workset().rtdNetworkEnabled, true);
            EXPECT_EQ(p.Workset().ertdSignNumber, 1);
        }
    }
}

TEST_F(SetConfig, WithoutAZoneSelectedTheDocumentsZoneStays)
{
    CConfigDocument doc = Load(Edited(kAtDefaults, "zn=\"-300\"", "zn=\"17\""));
    CSetConfigPresenter p(app.catalogue, app.factory);
    const CSetConfigState state = p.Open(doc);
    ASSERT_EQ(state.input.zoneSelection, -1);
    EXPECT_TRUE(p.Set(state.input, doc).accepted);
    int32_t zone = 0;
    EXPECT_TRUE(doc.GetTimeZone(zone));
    EXPECT_EQ(zone, 17);
    EXPECT_NE(doc.GetText().find("<TIME zn=\"17\" dst=\"1\" clk=\"0\"/>"), std::string::npos) << doc.GetText();
    EXPECT_NE(doc.GetText().find("extra=\"keep\""), std::string::npos);
    EXPECT_NE(doc.GetText().find("<FOO bar=\"1\"/>"), std::string::npos);
}

TEST_F(SetConfig, EveryFailedWriteIsListedInWriteOrderAndTheOthersStayWritten)
{
    const std::string all = std::string(kJxHeadingFileMode) + kJxHeadingLogMax + kJxHeadingGamma +
                            kJxHeadingRequiredPort + kJxHeadingEthernetPort;
    const std::string rtd = std::string(kJxHeadingRtdSerialPort) + kJxHeadingRtdNetworkPort;
    const std::string rest = std::string(kJxHeadingDisplayType) + kJxHeadingModuleId + kJxHeadingDescription +
                             kJxHeadingTimeZone + kJxHeadingDaylightSaving + kJxHeadingErtd + kJxHeadingBrightnessLow +
                             kJxHeadingBrightnessHigh + kJxHeadingThermalLow + kJxHeadingThermalHigh +
                             kJxHeadingRefreshRate + kJxHeadingEthernetMode + kJxHeadingSecurity;
    const std::string root = std::string(kJxHeadingFileMode) + kJxHeadingLogMax + kJxHeadingGamma;
    const std::string rootRest = std::string(kJxHeadingDisplayType) + kJxHeadingModuleId + kJxHeadingDescription;
    const std::string rootNumbers = std::string(kJxHeadingBrightnessLow) + kJxHeadingBrightnessHigh +
                                    kJxHeadingThermalLow + kJxHeadingThermalHigh + kJxHeadingRefreshRate;
    struct Row {
        const char* what;
        std::string text;
        bool useDefault;
        std::string summary;
    } rows[] = {
        {"no configuration, Use Default", "<STATUS vr=\"TJX-3.08\"/>", true, all + rtd + rest},
        // Opened on it, the RTD ports are off and so not written.
        {"no configuration, working copy", "<STATUS vr=\"TJX-3.08\"/>", false, all + rest},
        {"ENET that cannot be edited",
         Edited(kAtDefaults, "<ENET spd=\"AUTO\" dplx=\"AUTO\"/>", "<ENET note=\"x>y\"></ENET>"), true,
         kJxHeadingEthernetMode},
        {"SCRTY that cannot be edited", Edited(kAtDefaults, "<SCRTY user=\"tech\" pswrd=\"pw\"/>", "<SCRTY note=\"x>y\"></SCRTY>"),
         false, kJxHeadingSecurity},
        {"TIME that cannot be edited", Edited(kAtDefaults, "<TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>", "<TIME note=\"x>y\"></TIME>"), true,
         std::string(kJxHeadingTimeZone) + kJxHeadingDaylightSaving},
        {"ADDR that cannot be edited", Edited(kAtDefaults, "<ADDR ip=\"10.0.0.5\" msk=\"255.0.0.0\" gtw=\"\" dhcp=\"\" sw=\"0\" ertd=\"1\"/>",
                "<ADDR note=\"x>y\"></ADDR>"), true, kJxHeadingErtd},
        {"CFG start tag that cannot be edited", Edited(kAtDefaults, "ds=\"Gate 4\"", "ds=\"Gate>4\""), true,
         root + rootRest + rootNumbers},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CConfigDocument doc = Load(row.text);
        CSetConfigPresenter p(app.catalogue, app.factory);
        CSetConfigInput input = p.Open(doc).input;
        input.useDefault = row.useDefault;
        input.displayName = "Renamed";
        input.zoneSelection = p.TimeZones().IndexOf(60);
        const CSetConfigResult result = p.Set(input, doc);
        EXPECT_FALSE(result.accepted);
        EXPECT_EQ(result.summary, row.summary);
        EXPECT_EQ(result.message, "The following settings couldn't be saved to CONFIG.XML:" + row.summary);
        EXPECT_EQ(result.kind, JxMessageKind::Critical);
        // The writes that could be made were made; the refused ones left
        // their text as it was.
        if (row.summary.find(kJxHeadingDescription) == std::string::npos) {
            std::string ds;
            EXPECT_TRUE(doc.GetDescription(ds));
            EXPECT_EQ(ds, "Renamed");
        }
        if (row.summary == kJxHeadingEthernetMode) {
            EXPECT_NE(doc.GetText().find("<ENET note=\"x>y\"></ENET>"), std::string::npos);
        }
        // A failed set changes no connection setting.
        const int32_t socketBefore = app.saved.socketNumber;
        app.saved.socketNumber = 4444;
        result.ApplyTo(app);
        EXPECT_EQ(app.saved.socketNumber, 4444);
        app.saved.socketNumber = socketBefore;
    }
}

TEST_F(SetConfig, ASuccessfulSetStoresTheConnectionTheDisplayWillHave)
{
    struct Row {
        const char* what;
        std::string text;
        bool useDefault;
        int32_t baud, socket;
        bool socketIsDefault;
    } rows[] = {
        {"Ethernet port 3005", Edited(kAtDefaults, "num=\"3001\"", "num=\"3005\""), false, 19200, 3005, false},
        {"Ethernet port 3001", kAtDefaults, false, 19200, 3001, true},
        {"Use Default over 3005", Edited(kAtDefaults, "num=\"3001\"", "num=\"3005\""), true, 19200, 3001, true},
        {"modem at 57600 on 3005", kAllChanged, false, 57600, 3005, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CConfigDocument doc = Load(row.text);
        CSetConfigPresenter p(app.catalogue, app.factory);
        CSetConfigInput input = p.Open(doc).input;
        input.useDefault = row.useDefault;
        const CSetConfigResult result = p.Set(input, doc);
        ASSERT_TRUE(result.accepted) << result.message;
        app.saved.serialBaud = 0;
        app.saved.socketNumber = 0;
        app.saved.socketIsDefault = !row.socketIsDefault;
        result.ApplyTo(app);
        EXPECT_EQ(app.saved.serialBaud, row.baud);
        EXPECT_EQ(app.saved.socketNumber, row.socket);
        EXPECT_EQ(app.saved.socketIsDefault, row.socketIsDefault);
    }
}

TEST(GammaText, ReadAndWrittenTheSameWayInEveryLocale)
{
    struct Row {
        const char* text;
        double value;
    } rows[] = {{"2.20", 2.2}, {"2.2", 2.2}, {" +2.35", 2.35}, {"-1.5", -1.5}, {"3", 3.0},
                {"", 0.0},     {"abc", 0.0}, {"2,20", 2.0},     {".5", 0.5},
                {"nan", 0.0},  {"inf", 0.0}};
    for (const Row& row : rows) EXPECT_EQ(JxGammaValue(row.text), row.value) << row.text;
    const std::pair<int32_t, const char*> texts[] = {{220, "2.20"}, {100, "1.00"}, {275, "2.75"}, {5, "0.05"},
                                                     {-15, "-0.15"}};
    for (const auto& [hundredths, text] : texts) EXPECT_EQ(JxGammaText(hundredths), text);
}

}  // namespace
