// CONFIG.XML through CConfigDocument: every typed value read from documents
// with and without its element, the exact text each write leaves, the four
// port roles, and that operations can be called in any order.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "config/CConfigDocument.h"
#include "ConfigPrinters.h"

namespace {

const char* const kFull =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<CFG type=\"24X120RGB32K.HLV.Jx\" ds=\"Main St\" mid=\"HLV-C24X48-1\" gamma=\"2.35\" logmax=\"50000\" mode=\"1\" "
    "tpl=\"50\" tph=\"70\" ldl=\"10\" hdl=\"90\" rfr=\"60\" extra=\"keep\">\r\n"
    "<ADDR ip=\"10.0.0.5\" msk=\"255.0.0.0\" gtw=\"10.0.0.1\" dhcp=\"\" sw=\"17\" ertd=\"42\"/>\r\n"
    "<TIME zn=\"-300\" dst=\"0\" clk=\"4\"/>\r\n"
    "<ENET spd=\"100\" dplx=\"HALF\"/>\r\n"
    "<SCRTY user=\"tech\" pswrd=\"s&amp;cret\"/>\r\n"
    "<FOO bar=\"1\"/>\r\n"
    "<PORT type=\"MODEM\" protocol=\"HTCH\" num=\"1\" baud=\"57600\" initstr=\"ATZ\" hdsk=\"2\"/>\r\n"
    "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3005\"/>\r\n"
    "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"9600\" initstr=\"\" hdsk=\"1\"/>\r\n"
    "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3010\"/>\r\n"
    "</CFG>\r\n";

const char* const kBare = "<CFG>\r\n</CFG>\r\n";

// ---- loading ----------------------------------------------------------------

TEST(ConfigDocumentLoad, BareLineFeedsLoadLikeCrLf)
{
    const std::string crlf = "<CFG ds=\"a\">\r\n<TIME zn=\"60\"/>\r\n</CFG>\r\n";
    const std::string lf = "<CFG ds=\"a\">\n<TIME zn=\"60\"/>\n</CFG>\n";
    const std::string mixed = "<CFG ds=\"a\">\r\n<TIME zn=\"60\"/>\n</CFG>\r\n";
    for (const std::string& text : {crlf, lf, mixed}) {
        CConfigDocument doc = Load(text);
        EXPECT_EQ(doc.GetText(), crlf);
        int32_t zone = 0;
        EXPECT_TRUE(doc.GetTimeZone(zone));
        EXPECT_EQ(zone, 60);
    }
    // A line feed as the very first byte gets its CR too.
    CConfigDocument doc = Load("\n<CFG/>");
    EXPECT_EQ(doc.GetText(), "\r\n<CFG/>");
}

TEST(ConfigDocumentLoad, Utf8TextBecomesLatin1)
{
    CConfigDocument doc = Load("<CFG ds=\"Caf\xC3\xA9 \xC2\xB0\"/>");
    std::string ds;
    EXPECT_TRUE(doc.GetDescription(ds));
    EXPECT_EQ(ds, "Caf\xE9 \xB0");
}

// Every operation, run on a document that should refuse it. Each returns the
// operation's result.
std::vector<std::pair<const char*, std::function<bool(CConfigDocument&)>>> AllOperations()
{
    std::string s, s2;
    int32_t n = 0;
    PortEntry p;
    PortEntry serial{"DIRECT", "Kor", "", 0, 19200, 1};
    return {
        {"GetDisplayType", [=](CConfigDocument& d) mutable { return d.GetDisplayType(s); }},
        {"SetDisplayType", [](CConfigDocument& d) { return d.SetDisplayType("7X8MONO1.HLV.Jx"); }},
        {"GetDescription", [=](CConfigDocument& d) mutable { return d.GetDescription(s); }},
        {"SetDescription", [](CConfigDocument& d) { return d.SetDescription("x"); }},
        {"GetModuleId", [=](CConfigDocument& d) mutable { return d.GetModuleId(s); }},
        {"SetModuleId", [](CConfigDocument& d) { return d.SetModuleId("x"); }},
        {"GetGamma", [=](CConfigDocument& d) mutable { return d.GetGamma(s); }},
        {"SetGamma", [](CConfigDocument& d) { return d.SetGamma("2.20"); }},
        {"GetLogMax", [=](CConfigDocument& d) mutable { return d.GetLogMax(s); }},
        {"SetLogMax", [](CConfigDocument& d) { return d.SetLogMax("20000"); }},
        {"GetFileMode", [=](CConfigDocument& d) mutable { return d.GetFileMode(n); }},
        {"SetFileMode", [](CConfigDocument& d) { return d.SetFileMode(1); }},
        {"GetThermalLow", [=](CConfigDocument& d) mutable { return d.GetThermalLow(n); }},
        {"SetThermalLow", [](CConfigDocument& d) { return d.SetThermalLow(50); }},
        {"GetThermalHigh", [=](CConfigDocument& d) mutable { return d.GetThermalHigh(n); }},
        {"SetThermalHigh", [](CConfigDocument& d) { return d.SetThermalHigh(70); }},
        {"GetBrightnessLow", [=](CConfigDocument& d) mutable { return d.GetBrightnessLow(n); }},
        {"SetBrightnessLow", [](CConfigDocument& d) { return d.SetBrightnessLow(1); }},
        {"GetBrightnessHigh", [=](CConfigDocument& d) mutable { return d.GetBrightnessHigh(n); }},
        {"SetBrightnessHigh", [](CConfigDocument& d) { return d.SetBrightnessHigh(99); }},
        {"GetRefreshRate", [=](CConfigDocument& d) mutable { return d.GetRefreshRate(n); }},
        {"SetRefreshRate", [](CConfigDocument& d) { return d.SetRefreshRate(60); }},
        {"GetIpAddress", [=](CConfigDocument& d) mutable { return d.GetIpAddress(s); }},
        {"SetIpAddress", [](CConfigDocument& d) { return d.SetIpAddress("1.2.3.4"); }},
        {"GetSubnetMask", [=](CConfigDocument& d) mutable { return d.GetSubnetMask(s); }},
        {"SetSubnetMask", [](CConfigDocument& d) { return d.SetSubnetMask("255.0.0.0"); }},
        {"GetGateway", [=](CConfigDocument& d) mutable { return d.GetGateway(s); }},
        {"SetGateway", [](CConfigDocument& d) { return d.SetGateway("1.2.3.1"); }},
        {"GetDhcpName", [=](CConfigDocument& d) mutable { return d.GetDhcpName(s); }},
        {"SetDhcpName", [](CConfigDocument& d) { return d.SetDhcpName("sign"); }},
        {"GetSoftwareAddress", [=](CConfigDocument& d) mutable { return d.GetSoftwareAddress(n); }},
        {"SetSoftwareAddress", [](CConfigDocument& d) { return d.SetSoftwareAddress(5); }},
        {"GetErtdSignNumber", [=](CConfigDocument& d) mutable { return d.GetErtdSignNumber(n); }},
        {"SetErtdSignNumber", [](CConfigDocument& d) { return d.SetErtdSignNumber(3); }},
        {"GetTimeZone", [=](CConfigDocument& d) mutable { return d.GetTimeZone(n); }},
        {"SetTimeZone", [](CConfigDocument& d) { return d.SetTimeZone(60); }},
        {"GetDaylightSaving", [=](CConfigDocument& d) mutable { return d.GetDaylightSaving(n); }},
        {"SetDaylightSaving", [](CConfigDocument& d) { return d.SetDaylightSaving(1); }},
        {"GetClockMode", [=](CConfigDocument& d) mutable { return d.GetClockMode(n); }},
        {"SetClockMode", [](CConfigDocument& d) { return d.SetClockMode(2); }},
        {"GetEthernetMode", [=](CConfigDocument& d) mutable { return d.GetEthernetMode(n); }},
        {"SetEthernetMode", [](CConfigDocument& d) { return d.SetEthernetMode(3); }},
        {"GetSecurity", [=](CConfigDocument& d) mutable { return d.GetSecurity(s, s2); }},
        {"SetSecurity", [](CConfigDocument& d) { return d.SetSecurity("a", "b"); }},
        {"GetRequiredSerialPort", [=](CConfigDocument& d) mutable { return d.GetRequiredSerialPort(p); }},
        {"SetRequiredSerialPort", [=](CConfigDocument& d) { return d.SetRequiredSerialPort(serial); }},
        {"GetEthernetPort", [=](CConfigDocument& d) mutable { return d.GetEthernetPort(p); }},
        {"SetEthernetPort", [](CConfigDocument& d) { return d.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3001}); }},
        {"GetRtdSerialPort", [=](CConfigDocument& d) mutable { return d.GetRtdSerialPort(p); }},
        {"SetRtdSerialPort", [](CConfigDocument& d) { return d.SetRtdSerialPort({"DIRECT", "RTD", "", 0, 19200, 2}); }},
        {"GetRtdNetworkPort", [=](CConfigDocument& d) mutable { return d.GetRtdNetworkPort(p); }},
        {"SetRtdNetworkPort", [](CConfigDocument& d) { return d.SetRtdNetworkPort({"UDPIP", "RTD", "", 0, 0, 3002}); }},
        {"AddPort", [=](CConfigDocument& d) { return d.AddPort(serial, true); }},
    };
}

TEST(ConfigDocumentLoad, EveryOperationFailsWithoutALoadedCfgDocument)
{
    struct Case {
        const char* what;
        const char* text;  // nullptr: never loaded
        bool loads;
    };
    const Case cases[] = {
        {"never loaded", nullptr, false},
        {"malformed", "<CFG><ADDR ip=\"1.2.3.4\"/>", false},
        {"empty", "", false},
        {"root is not CFG", "<CONFIG><CFG ds=\"x\"/></CONFIG>", true},
        {"CFG only after another top-level element", "<X/>\r\n<CFG ds=\"x\"/>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CConfigDocument doc;
        if (c.text != nullptr) {
            EXPECT_EQ(doc.LoadText(c.text), c.loads);
        }
        EXPECT_EQ(doc.IsLoaded(), c.loads);
        const std::string before = doc.GetText();
        for (auto& [name, op] : AllOperations()) EXPECT_FALSE(op(doc)) << name;
        doc.RemoveAllPorts();
        doc.RemoveLegacyIpPorts();
        EXPECT_EQ(doc.GetText(), before);
    }
}

TEST(ConfigDocumentLoad, AFailedLoadUnloadsAGoodDocument)
{
    CConfigDocument doc = Load(kFull);
    EXPECT_FALSE(doc.LoadText("<CFG>"));
    EXPECT_FALSE(doc.IsLoaded());
    std::string ds = "unchanged";
    EXPECT_FALSE(doc.GetDescription(ds));
    EXPECT_FALSE(doc.SetDescription("x"));
}

// ---- numbers --------------------------------------------------------------------

TEST(ConfigDocumentNumbers, DecimalReading)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},           {"abc", 0},          {"42", 42},       {"-300", -300},        {"+7", 7},
        {"  12", 12},      {"12abc", 12},       {"1.9", 1},       {"- 5", 0},            {"0042", 42},
        {"2147483647", INT32_MAX},              {"2147483648", INT32_MAX},               {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},             {"-99999999999999999999", INT32_MIN},
    };
    for (auto [text, value] : cases) EXPECT_EQ(JxConfigNumber(text), value) << '"' << text << '"';
}

// ---- CFG attributes ---------------------------------------------------------------

TEST(ConfigDocumentRoot, NumbersWithTheirAbsentValues)
{
    using Getter = bool (CConfigDocument::*)(int32_t&) const;
    struct Case {
        const char* name;
        Getter get;
        int32_t present;      // value in kFull
        int32_t absent;       // value read from <CFG/>
        bool absentResult;
    };
    const Case cases[] = {
        {"mode", &CConfigDocument::GetFileMode, 1, 0, true},
        {"tpl", &CConfigDocument::GetThermalLow, 50, 55, true},
        {"tph", &CConfigDocument::GetThermalHigh, 70, 65, false},
        {"ldl", &CConfigDocument::GetBrightnessLow, 10, 0, true},
        {"hdl", &CConfigDocument::GetBrightnessHigh, 90, 100, false},
        {"rfr", &CConfigDocument::GetRefreshRate, 60, 120, true},
    };
    CConfigDocument full = Load(kFull);
    CConfigDocument bare = Load(kBare);
    CConfigDocument odd = Load("<CFG mode=\"x\" tpl=\"x\" tph=\"x\" ldl=\"x\" hdl=\"x\" rfr=\"x\"/>");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t value = -1;
        EXPECT_TRUE((full.*c.get)(value));
        EXPECT_EQ(value, c.present);
        value = -1;
        EXPECT_EQ((bare.*c.get)(value), c.absentResult);
        EXPECT_EQ(value, c.absent);
        // Present but not a number reads 0 like any plain decimal conversion.
        value = -1;
        EXPECT_TRUE((odd.*c.get)(value));
        EXPECT_EQ(value, 0);
    }
}

TEST(ConfigDocumentRoot, TextsReadEmptyWhenAbsent)
{
    using Getter = bool (CConfigDocument::*)(std::string&) const;
    const std::tuple<const char*, Getter, const char*> cases[] = {
        {"type", &CConfigDocument::GetDisplayType, "24X120RGB32K.HLV.Jx"},
        {"ds", &CConfigDocument::GetDescription, "Main St"},
        {"mid", &CConfigDocument::GetModuleId, "HLV-C24X48-1"},
        {"gamma", &CConfigDocument::GetGamma, "2.35"},
        {"logmax", &CConfigDocument::GetLogMax, "50000"},
    };
    CConfigDocument full = Load(kFull);
    CConfigDocument bare = Load(kBare);
    for (auto [name, get, expected] : cases) {
        SCOPED_TRACE(name);
        std::string value = "stale";
        EXPECT_TRUE((full.*get)(value));
        EXPECT_EQ(value, expected);
        value = "stale";
        EXPECT_TRUE((bare.*get)(value));
        EXPECT_EQ(value, "");
    }
}

TEST(ConfigDocumentRoot, SettersWriteDecimalTextInPlace)
{
    struct Case {
        const char* what;
        std::function<bool(CConfigDocument&)> set;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"type added", [](CConfigDocument& d) { return d.SetDisplayType("16X48MONO1.HLV.Jx"); }, "<CFG/>",
         "<CFG type=\"16X48MONO1.HLV.Jx\"/>"},
        {"ds replaced, escaped", [](CConfigDocument& d) { return d.SetDescription("A & \"B\""); },
         "<CFG ds=\"old\" mid=\"m\"/>", "<CFG ds=\"A &amp; &quot;B&quot;\" mid=\"m\"/>"},
        {"mid emptied", [](CConfigDocument& d) { return d.SetModuleId(""); }, "<CFG mid=\"m\"></CFG>",
         "<CFG mid=\"\"></CFG>"},
        {"gamma", [](CConfigDocument& d) { return d.SetGamma("2.20"); }, "<CFG>\r\n</CFG>",
         "<CFG gamma=\"2.20\">\r\n</CFG>"},
        {"logmax", [](CConfigDocument& d) { return d.SetLogMax("1000000"); }, "<CFG logmax='5'/>",
         "<CFG logmax='1000000'/>"},
        {"mode", [](CConfigDocument& d) { return d.SetFileMode(1); }, "<CFG mode=\"0\"/>", "<CFG mode=\"1\"/>"},
        {"tpl", [](CConfigDocument& d) { return d.SetThermalLow(40); }, "<CFG/>", "<CFG tpl=\"40\"/>"},
        {"tph", [](CConfigDocument& d) { return d.SetThermalHigh(85); }, "<CFG/>", "<CFG tph=\"85\"/>"},
        {"ldl", [](CConfigDocument& d) { return d.SetBrightnessLow(0); }, "<CFG/>", "<CFG ldl=\"0\"/>"},
        {"hdl negative", [](CConfigDocument& d) { return d.SetBrightnessHigh(-1); }, "<CFG/>", "<CFG hdl=\"-1\"/>"},
        {"rfr", [](CConfigDocument& d) { return d.SetRefreshRate(120); }, "<CFG rfr=\"007\"/>",
         "<CFG rfr=\"120\"/>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CConfigDocument doc = Load(c.before);
        EXPECT_TRUE(c.set(doc));
        EXPECT_EQ(doc.GetText(), c.after);
    }
}

TEST(ConfigDocumentRoot, AStartTagThatCannotBeEditedSafelyIsReportedNotDamaged)
{
    // The ">" inside the quoted value ends the start tag as far as the parser
    // can tell; writing there would cut the value in two.
    const std::string text = "<CFG ds=\"a>b\" mid=\"m\"></CFG>";
    CConfigDocument doc = Load(text);
    EXPECT_FALSE(doc.SetModuleId("x"));
    EXPECT_FALSE(doc.SetRefreshRate(60));
    EXPECT_EQ(doc.GetText(), text);
}

// ---- ADDR and TIME ---------------------------------------------------------------

TEST(ConfigDocumentAddr, ReadWithAndWithoutTheElement)
{
    CConfigDocument full = Load(kFull);
    std::string ip, mask, gateway, dhcp;
    int32_t sw = -1, ertd = -1;
    EXPECT_TRUE(full.GetIpAddress(ip));
    EXPECT_TRUE(full.GetSubnetMask(mask));
    EXPECT_TRUE(full.GetGateway(gateway));
    EXPECT_TRUE(full.GetDhcpName(dhcp));
    EXPECT_TRUE(full.GetSoftwareAddress(sw));
    EXPECT_TRUE(full.GetErtdSignNumber(ertd));
    EXPECT_EQ(ip, "10.0.0.5");
    EXPECT_EQ(mask, "255.0.0.0");
    EXPECT_EQ(gateway, "10.0.0.1");
    EXPECT_EQ(dhcp, "");
    EXPECT_EQ(sw, 17);
    EXPECT_EQ(ertd, 42);

    CConfigDocument bare = Load(kBare);
    ip = mask = gateway = dhcp = "stale";
    sw = ertd = -1;
    EXPECT_FALSE(bare.GetIpAddress(ip));
    EXPECT_FALSE(bare.GetSubnetMask(mask));
    EXPECT_FALSE(bare.GetGateway(gateway));
    EXPECT_FALSE(bare.GetDhcpName(dhcp));
    EXPECT_FALSE(bare.GetSoftwareAddress(sw));
    EXPECT_FALSE(bare.GetErtdSignNumber(ertd));
    EXPECT_EQ(ip + mask + gateway + dhcp, "");
    EXPECT_EQ(sw, 0);
    EXPECT_EQ(ertd, 1);

    // ADDR without ertd: the sign number is 1.
    CConfigDocument noErtd = Load("<CFG><ADDR sw=\"3\"/></CFG>");
    EXPECT_TRUE(noErtd.GetErtdSignNumber(ertd));
    EXPECT_EQ(ertd, 1);
}

TEST(ConfigDocumentAddr, SettersCreateOneAddrElement)
{
    CConfigDocument doc = Load(kBare);
    EXPECT_TRUE(doc.SetIpAddress("192.168.1.20"));
    EXPECT_TRUE(doc.SetSubnetMask("255.255.255.0"));
    EXPECT_TRUE(doc.SetGateway("0.0.0.0"));
    EXPECT_TRUE(doc.SetDhcpName(""));
    EXPECT_TRUE(doc.SetSoftwareAddress(240));
    EXPECT_TRUE(doc.SetErtdSignNumber(99));
    EXPECT_EQ(doc.GetText(),
              "<CFG>\r\n<ADDR ip=\"192.168.1.20\" msk=\"255.255.255.0\" gtw=\"\" dhcp=\"\" sw=\"240\" ertd=\"99\"/>\r\n"
              "</CFG>\r\n");

    // A gateway is written as given unless it is exactly 0.0.0.0.
    CConfigDocument full = Load(kFull);
    EXPECT_TRUE(full.SetGateway("10.0.0.254"));
    std::string gateway;
    full.GetGateway(gateway);
    EXPECT_EQ(gateway, "10.0.0.254");
    EXPECT_TRUE(full.SetGateway("0.0.0.0"));
    full.GetGateway(gateway);
    EXPECT_EQ(gateway, "");
    EXPECT_EQ(Count(full.GetText(), "<ADDR "), 1);
}

TEST(ConfigDocumentTime, AbsentTimeLeavesTheCallersValues)
{
    CConfigDocument bare = Load(kBare);
    int32_t zone = 1234, dst = 1, clock = 7;
    EXPECT_FALSE(bare.GetTimeZone(zone));
    EXPECT_FALSE(bare.GetDaylightSaving(dst));
    EXPECT_FALSE(bare.GetClockMode(clock));
    EXPECT_EQ(zone, 1234);
    EXPECT_EQ(dst, 1);
    EXPECT_EQ(clock, 7);

    // TIME present with only zn: daylight saving reads as off, clock mode 0.
    CConfigDocument partial = Load("<CFG><TIME zn=\"345\"/></CFG>");
    EXPECT_TRUE(partial.GetTimeZone(zone));
    EXPECT_TRUE(partial.GetDaylightSaving(dst));
    EXPECT_TRUE(partial.GetClockMode(clock));
    EXPECT_EQ(zone, 345);
    EXPECT_EQ(dst, 0);
    EXPECT_EQ(clock, 0);

    CConfigDocument full = Load(kFull);
    EXPECT_TRUE(full.GetTimeZone(zone));
    EXPECT_TRUE(full.GetDaylightSaving(dst));
    EXPECT_TRUE(full.GetClockMode(clock));
    EXPECT_EQ(zone, -300);
    EXPECT_EQ(dst, 0);
    EXPECT_EQ(clock, 4);
}

TEST(ConfigDocumentTime, SettersCreateTimeOnce)
{
    CConfigDocument doc = Load("<CFG/>");
    EXPECT_TRUE(doc.SetTimeZone(-210));
    EXPECT_TRUE(doc.SetDaylightSaving(1));
    EXPECT_TRUE(doc.SetClockMode(4));
    EXPECT_EQ(doc.GetText(), "<CFG>\r\n<TIME zn=\"-210\" dst=\"1\" clk=\"4\"/>\r\n</CFG>");
    EXPECT_TRUE(doc.SetTimeZone(780));
    EXPECT_EQ(doc.GetText(), "<CFG>\r\n<TIME zn=\"780\" dst=\"1\" clk=\"4\"/>\r\n</CFG>");
}

// ---- ENET and SCRTY --------------------------------------------------------------

TEST(ConfigDocumentEthernet, ReadingIgnoresCase)
{
    struct Case {
        const char* speed;
        const char* duplex;
        int32_t index;
    };
    const Case cases[] = {
        {"AUTO", "AUTO", 0}, {"Auto", "HALF", 0}, {"auto", "full", 0}, {"10", "HALF", 1},  {"10", "Half", 1},
        {"10", "FULL", 2},   {"10", "", 2},       {"10", "odd", 2},    {"100", "half", 3}, {"100", "FULL", 4},
        {"100", "", 4},      {"1000", "FULL", 0}, {"", "HALF", 0},     {"10 ", "HALF", 0}, {"0100", "HALF", 0},
    };
    for (const Case& c : cases) {
        CConfigDocument doc =
            Load(std::string("<CFG><ENET spd=\"") + c.speed + "\" dplx=\"" + c.duplex + "\"/></CFG>");
        int32_t index = -1;
        EXPECT_TRUE(doc.GetEthernetMode(index));
        EXPECT_EQ(index, c.index) << c.speed << "/" << c.duplex;
    }
    CConfigDocument bare = Load(kBare);
    int32_t index = -1;
    EXPECT_FALSE(bare.GetEthernetMode(index));
    EXPECT_EQ(index, 0);
}

TEST(ConfigDocumentEthernet, WritingUsesUpperCaseTexts)
{
    const std::tuple<int32_t, const char*, const char*> cases[] = {
        {0, "AUTO", "AUTO"}, {1, "10", "HALF"}, {2, "10", "FULL"},   {3, "100", "HALF"},
        {4, "100", "FULL"},  {5, "AUTO", "AUTO"}, {-1, "AUTO", "AUTO"},
    };
    for (auto [index, speed, duplex] : cases) {
        SCOPED_TRACE(index);
        const std::string expected = std::string("<ENET spd=\"") + speed + "\" dplx=\"" + duplex + "\"/>";
        // Created when absent ...
        CConfigDocument bare = Load("<CFG></CFG>");
        EXPECT_TRUE(bare.SetEthernetMode(index));
        EXPECT_EQ(bare.GetText(), "<CFG>\r\n" + expected + "\r\n</CFG>");
        // ... and rewritten in place when present.
        CConfigDocument full = Load(kFull);
        EXPECT_TRUE(full.SetEthernetMode(index));
        EXPECT_EQ(Count(full.GetText(), expected), 1) << full.GetText();
        EXPECT_EQ(Count(full.GetText(), "<ENET"), 1);
        int32_t back = -1;
        EXPECT_TRUE(full.GetEthernetMode(back));
        EXPECT_EQ(back, index >= 1 && index <= 4 ? index : 0);
    }
}

TEST(ConfigDocumentSecurity, ReadWriteAndTheBlankUserRule)
{
    std::string user, password;
    CConfigDocument full = Load(kFull);
    EXPECT_TRUE(full.GetSecurity(user, password));
    EXPECT_EQ(user, "tech");
    EXPECT_EQ(password, "s&cret");

    CConfigDocument bare = Load(kBare);
    user = password = "stale";
    EXPECT_FALSE(bare.GetSecurity(user, password));
    EXPECT_EQ(user, "Admin");
    EXPECT_EQ(password, "");

    CConfigDocument blank = Load("<CFG><SCRTY user=\"\" pswrd=\"pw\"/></CFG>");
    EXPECT_TRUE(blank.GetSecurity(user, password));
    EXPECT_EQ(user, "Admin");
    EXPECT_EQ(password, "pw");

    // A blank user resets the password too, whatever was given.
    EXPECT_TRUE(full.SetSecurity("", "secret"));
    EXPECT_TRUE(full.GetSecurity(user, password));
    EXPECT_EQ(user, "Admin");
    EXPECT_EQ(password, "");
    EXPECT_EQ(Count(full.GetText(), "<SCRTY user=\"Admin\" pswrd=\"\"/>"), 1);

    EXPECT_TRUE(bare.SetSecurity("ops", "a\"<&'b"));
    EXPECT_TRUE(bare.GetSecurity(user, password));
    EXPECT_EQ(user, "ops");
    EXPECT_EQ(password, "a\"<&'b");
    EXPECT_EQ(Count(bare.GetText(), "<SCRTY"), 1);
}

TEST(ConfigDocumentChildren, WritesThatCannotBeMadeAreReported)
{
    // Child elements whose start tag has a ">" inside a quoted value cannot
    // be edited without damaging them: the write must not claim success.
    const std::string text =
        "<CFG>\r\n<ENET note=\"x>y\"></ENET>\r\n<SCRTY note=\"x>y\"></SCRTY>\r\n<TIME note=\"x>y\"></TIME>\r\n</CFG>";
    CConfigDocument doc = Load(text);
    EXPECT_FALSE(doc.SetEthernetMode(3));
    EXPECT_FALSE(doc.SetSecurity("tech", "pw"));
    EXPECT_FALSE(doc.SetTimeZone(60));
    EXPECT_EQ(doc.GetText(), text);

    // Behind a stray "?" the speed and the user can be rewritten where they
    // stand, but the duplex and the password cannot be added: neither half
    // of either pair is written.
    const std::string half = "<CFG><ENET spd=\"10\" ?/><SCRTY user=\"a\" ?/></CFG>";
    CConfigDocument pairs = Load(half);
    EXPECT_FALSE(pairs.SetEthernetMode(kJxEthernet100Half));
    EXPECT_FALSE(pairs.SetSecurity("tech", "pw"));
    EXPECT_EQ(pairs.GetText(), half);
    int32_t mode = -1;
    std::string user, password;
    EXPECT_TRUE(pairs.GetEthernetMode(mode));
    EXPECT_EQ(mode, kJxEthernet10Full);
    EXPECT_TRUE(pairs.GetSecurity(user, password));
    EXPECT_EQ(user, "a");

    // A stray "?" ends the attribute list for every reader: a value added
    // behind it could never be read back, so the write is not a success.
    CConfigDocument stray =
        Load("<CFG x?=\"1\"><PORT type=\"MODEM\" protocol=\"HTCH\" nu?=\"1\" baud=\"57600\" initstr=\"ATZ\" hdsk=\"2\"/></CFG>");
    PortEntry port;
    EXPECT_FALSE(stray.GetRequiredSerialPort(port));
    EXPECT_EQ(port.type, "MODEM");
    EXPECT_FALSE(stray.SetRequiredSerialPort({"MODEM", "HTCH", "ATZ", 2, 57600, 1}));
    EXPECT_FALSE(stray.SetRefreshRate(60));
    int32_t rate = 0;
    EXPECT_TRUE(stray.GetRefreshRate(rate));
    EXPECT_EQ(rate, 120);
}

// ---- ports -------------------------------------------------------------------------

// A CFG with one PORT per (type, protocol), numbered 10, 11, ... in order, so
// that a role's match is told by its num.
std::string PortsDocument(const std::vector<std::pair<std::string, std::string>>& ports)
{
    std::string text = "<CFG>\r\n";
    int num = 10;
    for (const auto& [type, protocol] : ports)
        text += "<PORT type=\"" + type + "\" protocol=\"" + protocol + "\" num=\"" + std::to_string(num++) +
                "\" baud=\"19200\" initstr=\"AT\" hdsk=\"0\"/>\r\n";
    return text + "</CFG>\r\n";
}

TEST(ConfigDocumentPorts, RolesMatchTypeAndProtocolExactly)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> ports;
        int32_t required, ethernet, rtdSerial, rtdNetwork;  // num found, 0 for none
    };
    const Case cases[] = {
        {{{"DIRECT", "Kor"}}, 10, 0, 0, 0},
        {{{"MODEM", "HTCH"}}, 10, 0, 0, 0},
        {{{"MODEM", "RTD"}}, 0, 0, 10, 0},
        {{{"DIRECT", "RTD"}, {"DIRECT", "Kor"}}, 11, 0, 10, 0},
        {{{"TCPIP", "Kor"}}, 0, 10, 0, 0},
        {{{"TCPIP", "HTCH"}}, 0, 10, 0, 0},
        {{{"UDPIP", "Kor"}}, 0, 0, 0, 0},
        {{{"TCPIP", "RTD"}, {"UDPIP", "RTD"}}, 0, 0, 0, 10},
        {{{"UDPIP", "RTD"}, {"TCPIP", "RTD"}}, 0, 0, 0, 10},
        {{{"IP", "Kor"}, {"IP", "RTD"}}, 0, 0, 0, 0},
        {{{"direct", "Kor"}, {"DIRECT", "kor"}, {"Modem", "HTCH"}, {"tcpip", "Kor"}, {"UDPIP", "rtd"}}, 0, 0, 0, 0},
        {{{"DIRECT", "Kor"}, {"MODEM", "Kor"}, {"TCPIP", "Kor"}, {"TCPIP", "HTCH"}}, 10, 12, 0, 0},
        {{{"TCPIP", "Kor"}, {"DIRECT", "RTD"}, {"UDPIP", "RTD"}, {"MODEM", "HTCH"}}, 13, 10, 11, 12},
        {{}, 0, 0, 0, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        CConfigDocument doc = Load(PortsDocument(c.ports));
        PortEntry port;
        EXPECT_EQ(doc.GetRequiredSerialPort(port), c.required != 0);
        EXPECT_EQ(port.num, c.required);
        EXPECT_EQ(doc.GetEthernetPort(port), c.ethernet != 0);
        EXPECT_EQ(port.num, c.ethernet);
        EXPECT_EQ(doc.GetRtdSerialPort(port), c.rtdSerial != 0);
        EXPECT_EQ(port.num, c.rtdSerial);
        EXPECT_EQ(doc.GetRtdNetworkPort(port), c.rtdNetwork != 0);
        EXPECT_EQ(port.num, c.rtdNetwork);
    }
}

TEST(ConfigDocumentPorts, SerialEntriesAreCompleteOnlyWithEveryField)
{
    struct Case {
        const char* port;
        bool required;  // GetRequiredSerialPort's result
        bool rtd;       // GetRtdSerialPort's result (protocol swapped to RTD)
        PortEntry read;
    };
    const Case cases[] = {
        {"type=\"MODEM\" protocol=\"Kor\" num=\"1\" baud=\"57600\" initstr=\"ATZ\" hdsk=\"2\"", true, true,
         {"MODEM", "Kor", "ATZ", 2, 57600, 1}},
        // Every DIRECT entry has an empty initstr: incomplete, fields filled.
        {"type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"", false, true,
         {"DIRECT", "Kor", "", 0, 19200, 1}},
        {"type=\"MODEM\" protocol=\"Kor\" num=\"1\" baud=\"57600\" initstr=\"ATZ\"", false, false,
         {"MODEM", "Kor", "ATZ", 0, 57600, 1}},
        {"type=\"MODEM\" protocol=\"Kor\" num=\"1\" initstr=\"ATZ\" hdsk=\"1\"", false, false,
         {"MODEM", "Kor", "ATZ", 1, 0, 1}},
        {"type=\"MODEM\" protocol=\"Kor\" baud=\"2400\" initstr=\"ATZ\" hdsk=\"1\"", false, false,
         {"MODEM", "Kor", "ATZ", 1, 2400, 0}},
        {"type=\"DIRECT\" protocol=\"Kor\" num=\"x\" baud=\"y\" initstr=\"z\" hdsk=\"w\"", true, true,
         {"DIRECT", "Kor", "z", 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        PortEntry port;
        CConfigDocument doc = Load(std::string("<CFG><PORT ") + c.port + "/></CFG>");
        EXPECT_EQ(doc.GetRequiredSerialPort(port), c.required);
        EXPECT_EQ(port, c.read);
        std::string rtdText = std::string("<CFG><PORT ") + c.port + "/></CFG>";
        rtdText.replace(rtdText.find("\"Kor\""), 5, "\"RTD\"");
        CConfigDocument rtd = Load(rtdText);
        PortEntry expected = c.read;
        expected.protocol = "RTD";
        EXPECT_EQ(rtd.GetRtdSerialPort(port), c.rtd);
        EXPECT_EQ(port, expected);
    }
    // Network entries need a num.
    PortEntry port;
    EXPECT_FALSE(Load("<CFG><PORT type=\"TCPIP\" protocol=\"Kor\"/></CFG>").GetEthernetPort(port));
    EXPECT_EQ(port, (PortEntry{"TCPIP", "Kor", "", 0, 0, 0}));
    EXPECT_TRUE(Load("<CFG><PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\" baud=\"1\"/></CFG>").GetRtdNetworkPort(port));
    EXPECT_EQ(port, (PortEntry{"UDPIP", "RTD", "", 0, 0, 3002}));
    // A search that finds nothing hands back an empty entry, not stale values.
    port = {"X", "Y", "Z", 1, 2, 3};
    EXPECT_FALSE(Load(kBare).GetRequiredSerialPort(port));
    EXPECT_EQ(port, PortEntry{});
}

TEST(ConfigDocumentPorts, SettersRewriteTheRolesEntryOrAddOne)
{
    struct Case {
        const char* what;
        const char* before;
        std::function<bool(CConfigDocument&)> set;
        const char* after;
    };
    const Case cases[] = {
        {"required serial added with every field", "<CFG>\r\n</CFG>",
         [](CConfigDocument& d) { return d.SetRequiredSerialPort({"MODEM", "Kor", "ATZ", 1, 9600, 1}); },
         "<CFG>\r\n<PORT type=\"MODEM\" protocol=\"Kor\" num=\"1\" baud=\"9600\" initstr=\"ATZ\" hdsk=\"1\"/>\r\n</CFG>"},
        {"required serial rewritten, protocol kept",
         "<CFG><PORT type=\"MODEM\" protocol=\"HTCH\" num=\"1\" baud=\"57600\" initstr=\"ATZ\" hdsk=\"2\"/></CFG>",
         [](CConfigDocument& d) { return d.SetRequiredSerialPort({"DIRECT", "Kor", "", 0, 19200, 1}); },
         "<CFG><PORT type=\"DIRECT\" protocol=\"HTCH\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/></CFG>"},
        {"required serial fills missing fields of an existing entry",
         "<CFG><PORT type=\"DIRECT\" protocol=\"Kor\"/></CFG>",
         [](CConfigDocument& d) { return d.SetRequiredSerialPort({"DIRECT", "Kor", "", 0, 19200, 1}); },
         "<CFG><PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/></CFG>"},
        {"ethernet added after the other children", "<CFG><TIME zn=\"0\"/></CFG>",
         [](CConfigDocument& d) { return d.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3001}); },
         "<CFG><TIME zn=\"0\"/><PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>\r\n</CFG>"},
        {"ethernet: only num changes", "<CFG><PORT type=\"TCPIP\" protocol=\"HTCH\" num=\"3001\"/></CFG>",
         [](CConfigDocument& d) { return d.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3005}); },
         "<CFG><PORT type=\"TCPIP\" protocol=\"HTCH\" num=\"3005\"/></CFG>"},
        {"RTD network: an existing TCPIP entry keeps its type",
         "<CFG><PORT type=\"TCPIP\" protocol=\"RTD\" num=\"3002\"/></CFG>",
         [](CConfigDocument& d) { return d.SetRtdNetworkPort({"UDPIP", "RTD", "", 0, 0, 4000}); },
         "<CFG><PORT type=\"TCPIP\" protocol=\"RTD\" num=\"4000\"/></CFG>"},
        {"RTD serial beside a required one",
         "<CFG><PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/></CFG>",
         [](CConfigDocument& d) { return d.SetRtdSerialPort({"DIRECT", "RTD", "", 0, 9600, 2}); },
         "<CFG><PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>"
         "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"9600\" initstr=\"\" hdsk=\"0\"/>\r\n</CFG>"},
        {"AddPort without serial fields", "<CFG/>",
         [](CConfigDocument& d) { return d.AddPort({"UDPIP", "RTD", "ignored", 1, 2, 3002}, false); },
         "<CFG>\r\n<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>\r\n</CFG>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CConfigDocument doc = Load(c.before);
        EXPECT_TRUE(c.set(doc));
        EXPECT_EQ(doc.GetText(), c.after);
    }
}

// A start tag that leaves a quote open reads on into whatever follows it: a
// PORT written behind it can lend it a protocol or a num, so that the role's
// getter finds the damaged entry, or another role changes. Such a write is
// refused and the text stays; on sound documents every write reads back.
TEST(ConfigDocumentPorts, AWriteSucceedsOnlyWhenEveryPortGetterReadsIt)
{
    using Getter = bool (CConfigDocument::*)(PortEntry&) const;
    const Getter getters[] = {&CConfigDocument::GetRequiredSerialPort, &CConfigDocument::GetEthernetPort,
                              &CConfigDocument::GetRtdSerialPort, &CConfigDocument::GetRtdNetworkPort};
    enum { Required, Ethernet, RtdSerial, RtdNetwork, None };
    struct Case {
        const char* what;
        std::string before;
        std::function<bool(CConfigDocument&)> write;
        int role;       // the getter that must read `read`; None for AddPort of no role
        bool written;
        PortEntry read;
    };
    const PortEntry modem{"MODEM", "HTCH", "ATZ", 2, 57600, 1};
    const PortEntry rtdSerial{"DIRECT", "RTD", "", 0, 9600, 2};
    auto required = [=](CConfigDocument& d) { return d.SetRequiredSerialPort(modem); };
    auto ethernet = [](CConfigDocument& d) { return d.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3005}); };
    auto rtd = [=](CConfigDocument& d) { return d.SetRtdSerialPort(rtdSerial); };
    auto network = [](CConfigDocument& d) { return d.SetRtdNetworkPort({"UDPIP", "RTD", "", 0, 0, 4321}); };
    auto add = [](CConfigDocument& d) { return d.AddPort({"UDPIP", "RTD", "", 0, 0, 4321}, false); };
    const std::string rest = "\r\n<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3010\"/>\r\n</CFG>\r\n";
    const std::string open = std::string(kFull).substr(0, std::string(kFull).find("<PORT")) +
                             "<PORT type=\"TCPIP\" protocol=\"Kor\" x=\"/>\r\n"
                             "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"5\" baud=\"9600\" initstr=\"\" hdsk=\"0\"/>" +
                             rest;
    const Case cases[] = {
        {"RTD network behind an open quote", "<CFG>\r\n<PORT type=\"UDPIP\" num=\"6004/>\r\n</CFG>\r\n", network,
         RtdNetwork, false, {}},
        {"RTD network, open quote, nothing after it", "<PORT type=\"UDPIP\" num=\"6004/>", network, RtdNetwork,
         false, {}},
        {"ethernet behind an open quote", "<CFG><PORT type=\"TCPIP\" num=\"3001/></CFG>", ethernet, Ethernet, false,
         {}},
        {"RTD serial behind an open quote", "<CFG><PORT type=\"DIRECT\" num=\"7/></CFG>", rtd, RtdSerial, false, {}},
        {"required serial behind an open quote", "<CFG><PORT type=\"MODEM\" num=\"9/></CFG>", required, Required,
         false, {}},
        {"AddPort behind an open quote", "<CFG><PORT type=\"UDPIP\" num=\"6004/></CFG>", add, RtdNetwork, false, {}},
        // The ethernet entry reads the next entry's num as its own: rewriting
        // the RTD serial port would change the ethernet port too.
        {"RTD serial rewrite that an open quote reads", open, rtd, RtdSerial, false, {}},
        {"RTD network rewrite beside an open quote", open, network, RtdNetwork, true, {"UDPIP", "RTD", "", 0, 0, 4321}},
        {"required serial rewritten", kFull, required, Required, true, modem},
        {"ethernet rewritten", kFull, ethernet, Ethernet, true, {"TCPIP", "Kor", "", 0, 0, 3005}},
        {"RTD serial rewritten", kFull, rtd, RtdSerial, true, rtdSerial},
        {"RTD network rewritten", kFull, network, RtdNetwork, true, {"UDPIP", "RTD", "", 0, 0, 4321}},
        {"required serial added", kBare, required, Required, true, modem},
        {"ethernet added", kBare, ethernet, Ethernet, true, {"TCPIP", "Kor", "", 0, 0, 3005}},
        {"RTD serial added", kBare, rtd, RtdSerial, true, rtdSerial},
        {"RTD network added", kBare, network, RtdNetwork, true, {"UDPIP", "RTD", "", 0, 0, 4321}},
        {"AddPort", kBare, add, RtdNetwork, true, {"UDPIP", "RTD", "", 0, 0, 4321}},
        {"AddPort of no role", kBare, [](CConfigDocument& d) { return d.AddPort({"IP", "Kor", "", 0, 0, 1}, false); },
         None, true, {}},
        // A write that would take the entry out of its role is no write of it.
        {"required serial given a network type", kFull,
         [](CConfigDocument& d) { return d.SetRequiredSerialPort({"TCPIP", "Kor", "", 0, 0, 3}); }, Required, false,
         {}},
        {"RTD network added with another protocol", kBare,
         [](CConfigDocument& d) { return d.SetRtdNetworkPort({"UDPIP", "Kor", "", 0, 0, 3}); }, RtdNetwork, false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CConfigDocument doc = Load(c.before);
        PortEntry was[4], now[4];
        for (int r = 0; r < 4; ++r) (doc.*getters[r])(was[r]);
        EXPECT_EQ(c.write(doc), c.written);
        for (int r = 0; r < 4; ++r) (doc.*getters[r])(now[r]);
        for (int r = 0; r < 4; ++r) {
            if (c.written && r == c.role)
                EXPECT_EQ(now[r], c.read) << r;
            else
                EXPECT_EQ(now[r], was[r]) << r;
        }
        if (!c.written) {
            EXPECT_EQ(doc.GetText(), c.before);
        }
        // What was written, or the unchanged text, loads again to the same readings.
        CConfigDocument again = Load(CXmlDocument::SingleByteToUtf8(doc.GetText()));
        for (int r = 0; r < 4; ++r) {
            PortEntry reread;
            (again.*getters[r])(reread);
            EXPECT_EQ(reread, now[r]) << r;
        }
    }
}

TEST(ConfigDocumentPorts, RemoveAllPortsKeepsEverythingElse)
{
    CConfigDocument doc = Load(kFull);
    doc.RemoveAllPorts();
    std::string expected = kFull;
    const size_t from = expected.find("<PORT");
    expected.erase(from, expected.find("</CFG>") - from);
    EXPECT_EQ(doc.GetText(), expected);
    PortEntry port;
    EXPECT_FALSE(doc.GetEthernetPort(port));
    // And the document takes new ports afterwards.
    EXPECT_TRUE(doc.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3001}));
    EXPECT_TRUE(doc.GetEthernetPort(port));
    EXPECT_EQ(port.num, 3001);
}

TEST(ConfigDocumentPorts, RemoveLegacyIpPortsIgnoresCase)
{
    const std::vector<std::pair<std::string, std::string>> ports = {
        {"IP", "Kor"},    {"ip", "kor"},  {"IP", "RTD"},     {"Ip", "htch"}, {"TCPIP", "Kor"},
        {"IP", "HTCH"},   {"IP", "Korx"}, {"IPX", "Kor"},    {"IP", "Kor"},
    };
    CConfigDocument doc = Load(PortsDocument(ports));
    doc.RemoveLegacyIpPorts();
    // Kept: IP/RTD (12), TCPIP/Kor (14), IP/Korx (16), IPX/Kor (17).
    const std::string text = doc.GetText();
    EXPECT_EQ(Count(text, "<PORT"), 4) << text;
    for (const char* num : {"\"12\"", "\"14\"", "\"16\"", "\"17\""}) EXPECT_EQ(Count(text, num), 1) << num;
}

// ---- cursor -------------------------------------------------------------------------

// Searches only run forward, so an operation that left the cursor behind an
// element would make the next one miss it. Every pair of reads, in either
// order, must give what each gives on its own.
TEST(ConfigDocumentCursor, ReadsInAnyOrder)
{
    std::vector<std::pair<const char*, std::function<std::string(CConfigDocument&)>>> reads = {
        {"ds", [](CConfigDocument& d) { std::string s; d.GetDescription(s); return s; }},
        {"rfr", [](CConfigDocument& d) { int32_t n = 0; d.GetRefreshRate(n); return std::to_string(n); }},
        {"ip", [](CConfigDocument& d) { std::string s; d.GetIpAddress(s); return s; }},
        {"ertd", [](CConfigDocument& d) { int32_t n = 0; d.GetErtdSignNumber(n); return std::to_string(n); }},
        {"zn", [](CConfigDocument& d) { int32_t n = 0; d.GetTimeZone(n); return std::to_string(n); }},
        {"enet", [](CConfigDocument& d) { int32_t n = 0; d.GetEthernetMode(n); return std::to_string(n); }},
        {"scrty", [](CConfigDocument& d) { std::string u, p; d.GetSecurity(u, p); return u + p; }},
        {"required", [](CConfigDocument& d) { PortEntry p; d.GetRequiredSerialPort(p); return p.type + std::to_string(p.num); }},
        {"ethernet", [](CConfigDocument& d) { PortEntry p; d.GetEthernetPort(p); return std::to_string(p.num); }},
        {"rtdSerial", [](CConfigDocument& d) { PortEntry p; d.GetRtdSerialPort(p); return std::to_string(p.baud); }},
        {"rtdNetwork", [](CConfigDocument& d) { PortEntry p; d.GetRtdNetworkPort(p); return p.type + std::to_string(p.num); }},
    };
    CConfigDocument doc = Load(kFull);
    std::vector<std::string> alone;
    for (auto& [name, read] : reads) alone.push_back(read(doc));
    EXPECT_EQ(alone[2], "10.0.0.5");
    EXPECT_EQ(alone[10], "UDPIP3010");
    for (size_t a = 0; a < reads.size(); ++a)
        for (size_t b = 0; b < reads.size(); ++b) {
            CConfigDocument d = Load(kFull);
            EXPECT_EQ(reads[a].second(d), alone[a]);
            EXPECT_EQ(reads[b].second(d), alone[b]) << reads[a].first << " then " << reads[b].first;
        }
}

}  // namespace
