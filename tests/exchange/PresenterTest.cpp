// The rules of the Set Clock Mode, Set Software Address and Set TCP/IP
// Configuration windows, driven as tables over real CONFIG.XML texts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/CClockModePresenter.h"
#include "config/CConfigDocument.h"
#include "config/CIpAddressValue.h"
#include "config/CSoftwareAddressPresenter.h"
#include "config/CTcpIpConfigPresenter.h"

namespace {

using Setting = CConnectionSettingUpdate::Setting;

// A CONFIG.XML as controllers send it, with `inner` as the children of CFG.
CConfigDocument Loaded(const std::string& inner)
{
    CConfigDocument doc;
    const std::string text = "<?xml version=\"1.0\"?>\r\n<CFG type=\"16X48MONO1.HLV.Jx\" ds=\"Gate 4\">\r\n" + inner +
                             "</CFG>\r\n";
    EXPECT_TRUE(doc.LoadText(text)) << text;
    return doc;
}

// A document that parses but is no configuration: every write fails.
CConfigDocument NotAConfiguration()
{
    CConfigDocument doc;
    EXPECT_TRUE(doc.LoadText("<STATUS vr=\"TJX-3.08\"/>"));
    return doc;
}

// ---- Set Clock Mode ----------------------------------------------------------

TEST(ClockMode, OpensOnTheDocumentsModeOrAutoDetect)
{
    struct Row {
        const char* time;
        int selection;
    } rows[] = {
        {"<TIME zn=\"60\" dst=\"1\" clk=\"0\"/>", 0},
        {"<TIME zn=\"60\" dst=\"1\" clk=\"4\"/>", 4},
        {"<TIME zn=\"60\" dst=\"1\" clk=\"3\"/>", 3},
        {"<TIME zn=\"60\" dst=\"1\" clk=\"7\"/>", 0},
        {"<TIME zn=\"60\" dst=\"1\" clk=\"-1\"/>", 0},
        {"<TIME zn=\"60\" dst=\"1\"/>", 0},
        {"", 0},  // no TIME at all
    };
    for (const Row& row : rows) {
        const CConfigDocument doc = Loaded(row.time);
        CClockModePresenter p;
        EXPECT_EQ(p.Open(doc), (CClockModeState{row.selection, std::string("MODE DESCRIPTION\n\n") +
                                                                    kJxClockModeDescriptions[row.selection]}))
            << row.time;
    }
}

TEST(ClockMode, SettingGpsWritesClkAndCreatesTime)
{
    CConfigDocument doc = Loaded("<ADDR sw=\"0\"/>\r\n");
    CClockModePresenter p;
    p.Open(doc);
    p.Select(4);
    const CFunctionApply r = p.Apply(doc);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.update.setting, Setting::None);
    int32_t clk = -1;
    EXPECT_TRUE(doc.GetClockMode(clk));
    EXPECT_EQ(clk, 4);
    EXPECT_NE(doc.GetText().find("<TIME clk=\"4\""), std::string::npos) << doc.GetText();

    // an existing TIME keeps its other values
    CConfigDocument withTime = Loaded("<TIME zn=\"-300\" dst=\"0\" clk=\"0\"/>\r\n");
    p.Open(withTime);
    p.Select(2);
    EXPECT_TRUE(p.Apply(withTime).accepted);
    EXPECT_NE(withTime.GetText().find("<TIME zn=\"-300\" dst=\"0\" clk=\"2\"/>"), std::string::npos);
}

// ---- Set Software Address ----------------------------------------------------

TEST(SoftwareAddress, OpensFromSw)
{
    struct Row {
        const char* addr;
        bool on;
        const char* text;
    } rows[] = {
        {"<ADDR sw=\"0\"/>", false, "1"},   {"<ADDR sw=\"1\"/>", true, "1"},
        {"<ADDR sw=\"17\"/>", true, "17"},  {"<ADDR sw=\"240\"/>", true, "240"},
        {"<ADDR sw=\"241\"/>", false, "1"}, {"<ADDR sw=\"250\"/>", false, "1"},
        {"<ADDR sw=\"-3\"/>", false, "1"},  {"<ADDR sw=\"x\"/>", false, "1"},
        {"<ADDR ip=\"\"/>", false, "1"},    {"", false, "1"},
    };
    for (const Row& row : rows) {
        CSoftwareAddressPresenter p;
        EXPECT_EQ(p.Open(Loaded(row.addr)), (CSoftwareAddressState{{row.on, row.text}, row.on, false})) << row.addr;
    }
}

TEST(SoftwareAddress, LeavingTheEditCorrectsTheAddress)
{
    struct Row {
        const char* typed;
        const char* after;
        bool corrected;
    } rows[] = {
        {"0", "1", true},     {"", "1", true},        {"000", "1", true},   {"999", "240", true},
        {"241", "240", true}, {"99999999999999", "240", true},              {"240", "240", false},
        {"1", "1", false},    {"57", "57", false},
    };
    for (const Row& row : rows) {
        CSoftwareAddressPresenter p;
        EXPECT_EQ(p.LeaveAddressEdit({true, row.typed}), (CSoftwareAddressState{{true, row.after}, true, row.corrected}))
            << row.typed;
    }
}

TEST(SoftwareAddress, SetWritesSwAndNamesTheNewNetworkAddress)
{
    struct Row {
        bool on;
        const char* typed;
        const char* sw;
        const char* networkAddress;
    } rows[] = {
        {true, "17", "17", "17"},
        {true, "240", "240", "240"},
        {true, "0", "1", "1"},        // Enter pressed without leaving the edit: still corrected
        {true, "600", "240", "240"},
        {true, "012", "12", "12"},
        {false, "17", "0", "1"},      // box off: addressing off, the display answers at 1 again
    };
    for (const Row& row : rows) {
        CConfigDocument doc = Loaded("<ADDR ip=\"10.0.0.5\" sw=\"5\" ertd=\"1\"/>\r\n");
        CSoftwareAddressPresenter p;
        p.Open(doc);
        const CFunctionApply r = p.Apply({row.on, row.typed}, doc);
        EXPECT_TRUE(r.accepted) << row.typed;
        EXPECT_EQ(r.update, (CConnectionSettingUpdate{Setting::NetworkAddress, row.networkAddress})) << row.typed;
        EXPECT_NE(doc.GetText().find(std::string("<ADDR ip=\"10.0.0.5\" sw=\"") + row.sw + "\" ertd=\"1\"/>"),
                  std::string::npos)
            << doc.GetText();
    }
}

// ---- IP address values ---------------------------------------------------------

TEST(IpAddressValue, ParsesOnlyFourNumbersWithDots)
{
    struct Row {
        const char* text;
        bool complete;
        const char* back;
    } rows[] = {
        {"192.168.1.50", true, "192.168.1.50"},
        {"0.0.0.0", true, "0.0.0.0"},
        {"255.255.255.255", true, "255.255.255.255"},
        {"010.001.002.003", true, "10.1.2.3"},
        {"10.1.2", false, ""},
        {"10.1.2.3.4", false, ""},
        {"256.1.1.1", false, ""},
        {"1.2.3.1000", false, ""},
        {"1..2.3", false, ""},
        {"1.2.3.", false, ""},
        {" 1.2.3.4", false, ""},
        {"1.2.3.4 ", false, ""},
        {"1,2,3,4", false, ""},
        {"a.b.c.d", false, ""},
        {"-1.2.3.4", false, ""},
        {"", false, ""},
    };
    for (const Row& row : rows) {
        const CIpAddressValue v = CIpAddressValue::Parse(row.text);
        EXPECT_EQ(v.Complete(), row.complete) << row.text;
        EXPECT_EQ(v.Blank(), !row.complete) << row.text;
        if (row.complete) {
            EXPECT_EQ(v.Text(), row.back);
        }
    }
    CIpAddressValue partial;
    partial.parts[0] = 192;
    partial.parts[2] = 7;
    EXPECT_FALSE(partial.Complete());
    EXPECT_FALSE(partial.Blank());
    EXPECT_EQ(partial.Text(), "192.0.7.0");
}

// ---- Set TCP/IP Configuration ----------------------------------------------------

TEST(TcpIpConfig, OpensInDhcpOrStaticMode)
{
    struct Row {
        const char* addr;
        bool dhcp;
        const char* ip;  // "" for a blank field
        const char* mask;
        const char* gateway;
        const char* name;
    } rows[] = {
        {"<ADDR ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"\"/>", false, "192.168.1.50",
         "255.255.255.0", "192.168.1.1", ""},
        {"<ADDR ip=\"0.0.0.0\" msk=\"0.0.0.0\" gtw=\"\" dhcp=\"sign-12.example\"/>", true, "0.0.0.0", "0.0.0.0", "",
         "sign-12.example"},
        {"<ADDR ip=\"10.1.2\" msk=\"255.0.0.0\" gtw=\"10.0.0.1\"/>", false, "", "255.0.0.0", "10.0.0.1", ""},
        {"<ADDR ip=\"\" msk=\"\" gtw=\"\"/>", false, "", "", "", ""},
        {"<ADDR sw=\"0\"/>", false, "", "", "", ""},
        {"", false, "", "", "", ""},
    };
    for (const Row& row : rows) {
        CTcpIpConfigPresenter p;
        const CTcpIpConfigState s = p.Open(Loaded(row.addr));
        EXPECT_EQ(s.input.dhcp, row.dhcp) << row.addr;
        EXPECT_EQ(s.dhcpNameEnabled, row.dhcp) << row.addr;
        EXPECT_EQ(s.addressFieldsEnabled, !row.dhcp) << row.addr;
        auto shown = [](const CIpAddressValue& v) { return v.Complete() ? v.Text() : std::string(); };
        EXPECT_EQ(shown(s.input.address), row.ip) << row.addr;
        EXPECT_EQ(shown(s.input.mask), row.mask) << row.addr;
        EXPECT_EQ(shown(s.input.gateway), row.gateway) << row.addr;
        EXPECT_EQ(s.input.dhcpName, row.name) << row.addr;
    }
}

TEST(TcpIpConfig, MaskFromTheAddressClassWhenTheMaskGetsTheFocus)
{
    struct Row {
        const char* address;
        const char* mask;
    } rows[] = {
        {"10.1.2.3", "255.0.0.0"},       {"0.1.2.3", "255.0.0.0"},       {"127.0.0.1", "255.0.0.0"},
        {"128.0.0.1", "255.255.0.0"},    {"172.16.0.5", "255.255.0.0"},  {"191.255.0.1", "255.255.0.0"},
        {"192.168.1.20", "255.255.255.0"}, {"223.1.1.1", "255.255.255.0"}, {"224.1.1.1", "255.255.252.0"},
        {"230.1.1.1", "255.255.252.0"},
    };
    for (const Row& row : rows) {
        CTcpIpConfigPresenter p;
        CTcpIpConfigInput in;
        in.address = CIpAddressValue::Parse(row.address);
        in.mask = CIpAddressValue::Parse("255.255.252.0");  // whatever was there before
        EXPECT_EQ(p.MaskEntered(in).input.mask.Text(), row.mask) << row.address;
    }
    // an incomplete address leaves the mask, blank or not
    CTcpIpConfigPresenter p;
    CTcpIpConfigInput in;
    in.address.parts = {10, 1, std::nullopt, 3};
    EXPECT_EQ(p.MaskEntered(in).input, in);
    EXPECT_TRUE(p.State().input.mask.Blank());
}

TEST(TcpIpConfig, StaticChecksInOrder)
{
    struct Row {
        const char* address;
        const char* mask;
        const char* message;
    } rows[] = {
        {"", "", "All fields for IP address must be completed."},
        {"", "0.0.0.0", "All fields for IP address must be completed."},
        {"0.1.2.3", "", "All fields for subnet mask must be completed."},
        {"0.1.2.3", "0.255.255.255", "First octet of IP address cannot be 0."},
        {"0.1.2.3", "255.0.0.0", "First octet of IP address cannot be 0."},
        {"10.1.2.3", "0.255.255.255", "First octet of subnet mask cannot be 0."},
        {"10.1.2.3", "255.255.255.255", "Subnet mask cannot be 255.255.255.255."},
        {"10.1.2.3", "255.255.255.254", ""},
    };
    for (const Row& row : rows) {
        const std::string before = "<ADDR ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"\"/>\r\n";
        CConfigDocument doc = Loaded(before);
        const std::string text = doc.GetText();
        CTcpIpConfigPresenter p;
        CTcpIpConfigInput in = p.Open(doc).input;
        in.address = CIpAddressValue::Parse(row.address);
        in.mask = CIpAddressValue::Parse(row.mask);
        const CFunctionApply r = p.Apply(in, doc);
        EXPECT_EQ(r.message, row.message) << row.address << " " << row.mask;
        EXPECT_EQ(r.accepted, std::string(row.message).empty());
        if (!r.accepted) {
            EXPECT_EQ(doc.GetText(), text) << "nothing is written after a failed check";
            EXPECT_EQ(r.update.setting, Setting::None);
            EXPECT_EQ(r.kind, JxMessageKind::Warning) << "the operator corrects a check";
        }
    }
    // one blank number is as bad as four
    CConfigDocument doc = Loaded("");
    CTcpIpConfigPresenter p;
    CTcpIpConfigInput in;
    in.address.parts = {10, 1, 2, std::nullopt};
    in.mask = CIpAddressValue::Of(255, 0, 0, 0);
    EXPECT_EQ(p.Apply(in, doc).message, "All fields for IP address must be completed.");
    in.address = CIpAddressValue::Of(10, 1, 2, 3);
    in.mask.parts[3].reset();
    EXPECT_EQ(p.Apply(in, doc).message, "All fields for subnet mask must be completed.");
}

TEST(TcpIpConfig, StaticAndDhcpWritesAndTheSettingTheyUpdate)
{
    struct Row {
        const char* name;
        bool dhcp;
        const char* address;
        const char* mask;
        const char* gateway;  // "" blank
        const char* dhcpName;
        const char* written;  // the ADDR element afterwards
        const char* setting;
    } rows[] = {
        {"static with gateway", false, "10.20.30.40", "255.255.0.0", "10.20.0.1", "",
         "<ADDR ip=\"10.20.30.40\" msk=\"255.255.0.0\" gtw=\"10.20.0.1\" dhcp=\"\" sw=\"3\"/>", "10.20.30.40"},
        {"static, blank gateway", false, "172.16.0.5", "255.255.0.0", "", "",
         "<ADDR ip=\"172.16.0.5\" msk=\"255.255.0.0\" gtw=\"\" dhcp=\"\" sw=\"3\"/>", "172.16.0.5"},
        {"static clears the name", false, "192.168.9.9", "255.255.255.0", "0.0.0.0", "was.dhcp",
         "<ADDR ip=\"192.168.9.9\" msk=\"255.255.255.0\" gtw=\"\" dhcp=\"\" sw=\"3\"/>", "192.168.9.9"},
        {"dhcp with a name", true, "", "", "", "sign-7.depot",
         "<ADDR ip=\"0.0.0.0\" msk=\"0.0.0.0\" gtw=\"192.168.1.1\" dhcp=\"sign-7.depot\" sw=\"3\"/>", "sign-7.depot"},
        {"dhcp, empty name", true, "10.1.1.1", "255.0.0.0", "", "",
         "<ADDR ip=\"0.0.0.0\" msk=\"0.0.0.0\" gtw=\"192.168.1.1\" dhcp=\"\" sw=\"3\"/>", ""},
    };
    for (const Row& row : rows) {
        CConfigDocument doc =
            Loaded("<ADDR ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"x\" sw=\"3\"/>\r\n");
        CTcpIpConfigPresenter p;
        p.Open(doc);
        const CTcpIpConfigInput in{row.dhcp, CIpAddressValue::Parse(row.address), CIpAddressValue::Parse(row.mask),
                                   CIpAddressValue::Parse(row.gateway), row.dhcpName};
        const CFunctionApply r = p.Apply(in, doc);
        EXPECT_TRUE(r.accepted) << row.name << ": " << r.message;
        EXPECT_NE(doc.GetText().find(row.written), std::string::npos) << row.name << "\n" << doc.GetText();
        EXPECT_EQ(r.update, (CConnectionSettingUpdate{Setting::IpAddress, row.setting})) << row.name;
    }
}

// A document that takes no write (no CFG): each window stays open with its
// own message, and no connection setting changes.
TEST(FunctionWindows, AFailedWriteKeepsTheWindowOpenWithItsMessage)
{
    struct Row {
        const char* name;
        std::function<CFunctionApply(CConfigDocument&)> set;
        const char* message;
    } rows[] = {
        {"clock mode",
         [](CConfigDocument& d) {
             CClockModePresenter p;
             p.Open(d);
             p.Select(1);
             return p.Apply(d);
         },
         "Error: could not set the clock mode to the CONFIG.XML file stream"},
        {"software address",
         [](CConfigDocument& d) {
             CSoftwareAddressPresenter p;
             p.Open(d);
             return p.Apply({true, "9"}, d);
         },
         "Error: could not set the software address in the CONFIG.XML file stream"},
        {"tcp/ip static",
         [](CConfigDocument& d) {
             CTcpIpConfigPresenter p;
             CTcpIpConfigInput in = p.Open(d).input;
             in.address = CIpAddressValue::Of(10, 0, 0, 2);
             in.mask = CIpAddressValue::Of(255, 0, 0, 0);
             return p.Apply(in, d);
         },
         "Error: could not set the settings in the CONFIG.XML file stream"},
        {"tcp/ip dhcp",  // reported too, rather than sending the document unchanged
         [](CConfigDocument& d) {
             CTcpIpConfigPresenter p;
             CTcpIpConfigInput in = p.Open(d).input;
             in.dhcp = true;
             in.dhcpName = "sign";
             return p.Apply(in, d);
         },
         "Error: could not set the settings in the CONFIG.XML file stream"},
    };
    for (const Row& row : rows) {
        CConfigDocument doc = NotAConfiguration();
        const std::string text = doc.GetText();
        const CFunctionApply r = row.set(doc);
        EXPECT_FALSE(r.accepted) << row.name;
        EXPECT_EQ(r.message, row.message) << row.name;
        EXPECT_EQ(r.kind, JxMessageKind::Critical) << row.name;
        EXPECT_EQ(r.update.setting, Setting::None) << row.name;
        EXPECT_EQ(doc.GetText(), text) << row.name;
    }
}

}  // namespace
