// The rules behind the Communications group, without windows: the address
// field, serial port entries, baud rates, sockets and the remembered choice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include <KorNet.h>

#include "TempDir.h"
#include "connection/CConnectionChoice.h"
#include "connection/DialupRules.h"
#include "connection/DirectRules.h"
#include "connection/TcpIpRules.h"
#include "shell/CJxConfigApp.h"

namespace {
TEST(NetworkAddress, ZeroAndEmptyBecomeOneAndTooHighBecomes240)
{
    const struct {
        const char* typed;
        std::optional<std::string> replacement;
        uint8_t value;
    } cases[] = {
        {"0", "1", 1},      {"", "1", 1},         {"00", "1", 1},   {"300", "240", 240},
        {"241", "240", 240}, {"999", "240", 240}, {"240", {}, 240}, {"1", {}, 1},
        {"17", {}, 17},      {"017", {}, 17},     {"99999999999999999999", "240", 240},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CorrectNetworkAddress(c.typed), c.replacement) << c.typed;
        EXPECT_EQ(NetworkAddressValue(c.typed), c.value) << c.typed;
    }
}

TEST(SerialPortEntries, EveryComIsRemovedBeforeTheNumber)
{
    const struct {
        const char* entry;
        int16_t port;
    } cases[] = {
        {"COM12 (/dev/ttyUSB3)", 12}, {"COM3", 3},   {"COM1 (/dev/COM5)", 1}, {"COMCOM7", 7},
        {"COM255 (/dev/pts/4)", 255}, {"", 0},       {"ttyS0", 0},            {"COM99999999 (x)", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PortNumberFromEntry(c.entry), c.port) << c.entry;
}

TEST(SerialPortEntries, TheSavedPortSelectsItsOwnEntryOnly)
{
    const std::vector<std::string> listed = {"COM1 (/dev/ttyS0)", "COM12 (/dev/ttyUSB0)", "COM3 (/dev/pts/2)"};
    EXPECT_EQ(FindPortEntry(listed, "COM1"), 0);
    EXPECT_EQ(FindPortEntry(listed, "COM12"), 1);
    EXPECT_EQ(FindPortEntry(listed, "COM3"), 2);
    EXPECT_EQ(FindPortEntry(listed, "COM3 (/dev/old)"), 2);
    EXPECT_EQ(FindPortEntry({"COM12 (/dev/ttyUSB0)"}, "COM1"), -1);
    EXPECT_EQ(FindPortEntry(listed, ""), -1);
}

TEST(BaudRates, ListValuesAndSelection)
{
    EXPECT_EQ(BaudRateTexts(), (std::vector<std::string>{"Auto-detect", "2400", "4800", "19200", "28800", "38400",
                                                          "57600", "115200"}));
    EXPECT_EQ(BaudRateValue("Auto-detect"), kJxAutoDetectBaud);
    for (const std::string& text : BaudRateTexts()) EXPECT_EQ(BaudRateText(BaudRateValue(text)), text);
    EXPECT_EQ(BaudRateValue("115200"), 115200);
    EXPECT_EQ(BaudRateValue("2400"), 2400);
    EXPECT_EQ(FindEntryByPrefix(BaudRateTexts(), "19200"), 3);
    EXPECT_EQ(FindEntryByPrefix(BaudRateTexts(), "Auto"), 0);
    EXPECT_EQ(FindEntryByPrefix(BaudRateTexts(), "9600"), -1);
    EXPECT_EQ(AutoDetectText(19200), "Configuring connection to display... \nAuto-detecting at 19200");
}

TEST(SerialPortList, AtMostTwentyPortsWithTheirDevices)
{
    TempDir dir;
    std::string map;
    for (int n = 25; n >= 1; --n) map += "COM" + std::to_string(n) + "=/dev/jx-test-port" + std::to_string(n) + "\n";
    WriteWholeFile(dir.File("ports"), map);
    setenv("KORNET_PORTMAP", dir.File("ports").c_str(), 1);
    const std::vector<std::string> ports = ListSerialPorts();
    unsetenv("KORNET_PORTMAP");
    ASSERT_EQ(ports.size(), 20u);
    EXPECT_EQ(ports.front(), "COM1 (/dev/jx-test-port1)");
    EXPECT_EQ(ports.back(), "COM20 (/dev/jx-test-port20)");
    for (size_t i = 0; i < ports.size(); ++i) EXPECT_EQ(PortNumberFromEntry(ports[i]), static_cast<int16_t>(i + 1));
}

TEST(Sockets, UseDefaultAlwaysGives3001AndOnlyTcpPortsPass)
{
    const struct {
        const char* typed;
        bool useDefault;
        int32_t socket;
    } cases[] = {
        {"4000", false, 4000}, {"4000", true, 3001}, {"", true, 3001},  {"65535", false, 65535},
        {"1", false, 1},       {"0", false, 0},      {"", false, 0},    {"70000", false, 0},
        {"99999", true, 3001},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SocketValue(SocketNumberFromText(c.typed), c.useDefault), c.socket) << c.typed;
}

class RememberedChoice : public ::testing::Test {
protected:
    TempDir dir;
    CMemorySettingsStore user, machine;
    void SetUp() override
    {
        setenv("JXCONFIG_DATA_DIR", dir.File("data").c_str(), 1);
        machine.exists = false;
    }
};

TEST_F(RememberedChoice, StoredChoiceComesBack)
{
    CJxConfigApp app(user, machine);
    CConnectionChoice c;
    c.kind = JxConnectionKind::Dialup;
    c.networkAddress = "42";
    c.modemIndex = 2;
    c.phoneNumber = "5551234";
    c.serialPort = "COM4 (/dev/ttyUSB1)";
    c.baud = kJxAutoDetectBaud;
    c.ipAddress = "display7.example";
    c.useDefaultSocket = false;
    c.socketNumber = 4001;
    StoreConnectionChoice(app, c);
    const CConnectionChoice back = LoadConnectionChoice(app);
    EXPECT_EQ(back.kind, JxConnectionKind::Dialup);
    EXPECT_EQ(back.networkAddress, "42");
    EXPECT_EQ(back.modemIndex, 2);
    EXPECT_EQ(back.phoneNumber, "5551234");
    EXPECT_EQ(back.serialPort, "COM4");  // the setting names the port, not its device
    EXPECT_EQ(back.baud, kJxAutoDetectBaud);
    EXPECT_EQ(back.ipAddress, "display7.example");
    EXPECT_FALSE(back.useDefaultSocket);
    EXPECT_EQ(back.socketNumber, 4001);

    c.useDefaultSocket = true;  // the field showed 3001 while ticked
    StoreConnectionChoice(app, c);
    EXPECT_EQ(LoadConnectionChoice(app).socketNumber, 3001);
}

TEST_F(RememberedChoice, TcpIpConfigureStoresSocketAndAddress)
{
    CJxConfigApp app(user, machine);
    CKorNetwork link;
    EXPECT_TRUE(ConfigureTcpIpLink(app, link, " 127.0.0.1 ", 4000, true));
    EXPECT_EQ(std::get<uint32_t>(user.values.at("Socket Number")), 3001u);
    EXPECT_EQ(std::get<std::string>(user.values.at("IP Address")), "127.0.0.1");

    // A number that is no TCP port is refused and not remembered.
    user.values.clear();
    EXPECT_FALSE(ConfigureTcpIpLink(app, link, "127.0.0.1", 70000, false));
    EXPECT_TRUE(user.values.empty());
    EXPECT_FALSE(ConfigureTcpIpLink(app, link, "", 3001, false));
    EXPECT_FALSE(ConfigureTcpIpLink(app, link, "no-such-host.invalid", 3001, false));
}
TEST_F(RememberedChoice, DialupNeedsAModemAtTheIndexAndANumber)
{
    WriteWholeFile(dir.File("modems.txt"), "Office modem | /dev/null | 7\nBench modem | /dev/null | 0x10\n");
    setenv("KORNET_MODEMS", dir.File("modems.txt").c_str(), 1);
    CJxConfigApp app(user, machine);
    const std::vector<CListedModem> modems = ReadModemList();
    ASSERT_EQ(modems.size(), 2u);
    EXPECT_EQ(modems[1].name, "Bench modem");
    EXPECT_EQ(+modems[1].dialupId, 0x10u);

    const struct {
        int index;
        const char* number;
        bool configured;
    } cases[] = {{0, "5551234", true}, {1, "5551234", true}, {2, "5551234", false}, {-1, "5551234", false},
                 {0, "", false}};
    for (const auto& c : cases) {
        CKorNetwork link;
        EXPECT_EQ(ConfigureDialupLink(app, link, c.index, c.number), c.configured) << c.index << " " << c.number;
    }
    unsetenv("KORNET_MODEMS");
    setenv("KORNET_MODEMS", dir.File("none.txt").c_str(), 1);
    CKorNetwork link;
    EXPECT_TRUE(ReadModemList().empty());
    EXPECT_FALSE(ConfigureDialupLink(app, link, 0, "5551234"));
    unsetenv("KORNET_MODEMS");
}
}  // namespace
