// A controller's own CONFIG.XML (jxsim over loopback TCP) through the model:
// every value the configuration windows edit reads back as the controller
// wrote it, and a document edited the way Set Configuration edits it goes
// back to the controller and is read there as intended.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <KorNet.h>

#include "Documents.h"
#include "config/CAdvancedConfigPresenter.h"
#include "config/CConfigDocument.h"
#include "config/CSetConfigPresenter.h"
#include "ConfigPrinters.h"
#include "config/CDisplayTypeEditor.h"
#include "config/CTimeZoneList.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"

namespace {

class SimConfig : public ::testing::Test {
protected:
    std::unique_ptr<jxsim::CJxSimulator> sim;
    CKorNetwork link;

    void Start(jxsim::CSimOptions options = {})
    {
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
        link.SetTimeOut(300);
        const uint8_t loopback[4] = {127, 0, 0, 1};
        ASSERT_EQ(link.ConfigureRemote(loopback, static_cast<int16_t>(sim->TcpPort())), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
    }
    void TearDown() override
    {
        link.Disconnect();
        if (sim) sim->Stop();
    }

    // CONFIG.XML as the tool receives it.
    std::string Fetch()
    {
        int16_t status = -99;
        jx_resp_retrieve_file_s response{};
        const uint8_t* data = link.JxGetFile(1, "CONFIG.XML", status, &response, 0);
        EXPECT_EQ(status, KORNET_OK);
        EXPECT_NE(data, nullptr);
        return data ? std::string(reinterpret_cast<const char*>(data), response.length) : std::string();
    }
    // The document as the tool sends it: its text in UTF-8.
    void Send(const CConfigDocument& doc)
    {
        const std::string utf8 = CXmlDocument::SingleByteToUtf8(doc.GetText());
        jx_resp_send_file_s response{};
        ASSERT_EQ(link.JxSendFile(1, "CONFIG.XML", reinterpret_cast<const uint8_t*>(utf8.data()),
                                  static_cast<int32_t>(utf8.size()), &response, 0),
                  KORNET_OK);
        EXPECT_EQ(response.error, 0);
    }
    // The controller's own reading of its stored CONFIG.XML: every element
    // with its attributes, in order.
    std::vector<jxsim::CXmlElement> StoredElements()
    {
        jxsim::Bytes stored;
        EXPECT_TRUE(sim->GetFile("CONFIG.XML", stored));
        return jxsim::ScanXmlElements(std::string(stored.begin(), stored.end()));
    }
};

// Every value the configuration windows edit, as "name=value " pairs; a
// getter that reports failure shows as "name?".
std::string Values(const CConfigDocument& doc)
{
    std::string out;
    auto put = [&](const char* name, bool ok, const std::string& v) { out += name + (ok ? "=" + v : "?") + " "; };
    auto text = [&](const char* name, bool (CConfigDocument::*get)(std::string&) const) {
        std::string v;
        const bool ok = (doc.*get)(v);
        put(name, ok, v);
    };
    auto number = [&](const char* name, bool (CConfigDocument::*get)(int32_t&) const) {
        int32_t v = 0;
        const bool ok = (doc.*get)(v);
        put(name, ok, std::to_string(v));
    };
    std::string s, s2;
    text("ds", &CConfigDocument::GetDescription);
    text("gamma", &CConfigDocument::GetGamma);
    text("logmax", &CConfigDocument::GetLogMax);
    number("mode", &CConfigDocument::GetFileMode);
    number("tpl", &CConfigDocument::GetThermalLow);
    number("tph", &CConfigDocument::GetThermalHigh);
    number("ldl", &CConfigDocument::GetBrightnessLow);
    number("hdl", &CConfigDocument::GetBrightnessHigh);
    number("rfr", &CConfigDocument::GetRefreshRate);
    text("ip", &CConfigDocument::GetIpAddress);
    text("msk", &CConfigDocument::GetSubnetMask);
    text("gtw", &CConfigDocument::GetGateway);
    text("dhcp", &CConfigDocument::GetDhcpName);
    number("sw", &CConfigDocument::GetSoftwareAddress);
    number("ertd", &CConfigDocument::GetErtdSignNumber);
    number("zn", &CConfigDocument::GetTimeZone);
    number("dst", &CConfigDocument::GetDaylightSaving);
    number("clk", &CConfigDocument::GetClockMode);
    number("enet", &CConfigDocument::GetEthernetMode);
    const bool security = doc.GetSecurity(s, s2);
    put("user", security, s);
    put("pswrd", security, s2);
    return out;
}

std::string Attr(const jxsim::CXmlElement& e, const std::string& name)
{
    const std::string* v = e.Attribute(name);
    return v ? *v : std::string("<absent>");
}

TEST_F(SimConfig, FactoryDocumentReadsBackEveryEditedValue)
{
    jxsim::CSimOptions options;
    options.displayName = "Caf\xC3\xA9 Nord";  // the controller keeps UTF-8
    options.configTcpPort = 3005;
    Start(options);
    CConfigDocument doc;
    ASSERT_TRUE(doc.LoadText(Fetch()));

    EXPECT_EQ(Values(doc),
              "ds=Caf\xE9 Nord gamma=2.20 logmax=20000 mode=0 tpl=55 tph=65 ldl=0 hdl=100 rfr=120 "
              "ip=192.168.1.50 msk=255.255.255.0 gtw=192.168.1.1 dhcp= sw=0 ertd=1 "
              "zn=-300 dst=1 clk=0 enet=0 user=Admin pswrd= ");

    CTimeZoneList zones;
    EXPECT_TRUE(zones.SelectFromDocument(doc));
    EXPECT_EQ(zones.Items()[static_cast<size_t>(zones.Selection())].label, "(GMT -05:00)");

    // The four ports. The DIRECT entry reads as incomplete (no init string),
    // with its fields filled: the window completes it from the defaults.
    PortEntry port;
    EXPECT_FALSE(doc.GetRequiredSerialPort(port));
    EXPECT_EQ(port, (PortEntry{"DIRECT", "Kor", "", 0, 19200, 1}));
    EXPECT_TRUE(doc.GetEthernetPort(port));
    EXPECT_EQ(port, (PortEntry{"TCPIP", "Kor", "", 0, 0, 3005}));
    EXPECT_TRUE(doc.GetRtdSerialPort(port));
    EXPECT_EQ(port, (PortEntry{"DIRECT", "RTD", "", 0, 19200, 2}));
    EXPECT_TRUE(doc.GetRtdNetworkPort(port));
    EXPECT_EQ(port, (PortEntry{"UDPIP", "RTD", "", 0, 0, 3002}));

    // The display type and module against the catalogue the tool ships.
    CMemorySettingsStore userStore, machineStore;
    CJxConfigApp app(userStore, machineStore);
    ASSERT_TRUE(app.LoadCatalogue(JX_SHIPPED_MODULES_XML));
    CDisplayTypeEditor editor(app.catalogue);
    editor.ParseFrom(doc);
    EXPECT_EQ(editor.DisplayType(), "16X48MONO1.HLV.Jx");
    EXPECT_EQ(editor.displayName, "Caf\xE9 Nord");
    EXPECT_EQ(editor.ModuleIdentifier(), "HLV-M16X48-1");
}

TEST_F(SimConfig, EditedDocumentReachesTheController)
{
    Start();
    CConfigDocument doc;
    ASSERT_TRUE(doc.LoadText(Fetch()));
    // An old controller's legacy entry, as some documents still carry.
    ASSERT_TRUE(doc.AddPort({"IP", "Kor", "", 0, 0, 3001}, false));

    CMemorySettingsStore userStore, machineStore;
    CJxConfigApp app(userStore, machineStore);
    ASSERT_TRUE(app.LoadCatalogue(JX_SHIPPED_MODULES_XML));
    CDisplayTypeEditor editor(app.catalogue);
    editor.ParseFrom(doc);
    ASSERT_TRUE(editor.ChooseHeight(3));        // 24
    ASSERT_TRUE(editor.ChooseWidth(14));        // 120
    ASSERT_TRUE(editor.ChooseColourDepth(5));   // RGB 32K
    editor.displayName = "Gare \xC9st";                 // typed by the operator (Latin-1)

    // The writes of Set Configuration, in its order, with the ports rebuilt.
    doc.RemoveAllPorts();
    EXPECT_TRUE(doc.SetFileMode(1));
    EXPECT_TRUE(doc.SetLogMax("40000"));
    EXPECT_TRUE(doc.SetGamma("2.35"));
    EXPECT_TRUE(doc.SetRequiredSerialPort({"MODEM", "HTCH", "AT&F&D&C0V0S0=1&W0", 1, 57600, 1}));
    EXPECT_TRUE(doc.SetEthernetPort({"TCPIP", "Kor", "", 0, 0, 3007}));
    EXPECT_TRUE(doc.SetRtdNetworkPort({"UDPIP", "RTD", "", 0, 0, 3008}));
    EXPECT_TRUE(doc.SetDisplayType(editor.DisplayType()));
    EXPECT_TRUE(doc.SetModuleId(editor.ModuleIdentifier()));
    EXPECT_TRUE(doc.SetDescription(editor.displayName));
    EXPECT_TRUE(doc.SetTimeZone(-210));
    EXPECT_TRUE(doc.SetDaylightSaving(0));
    EXPECT_TRUE(doc.SetErtdSignNumber(7));
    EXPECT_TRUE(doc.SetBrightnessLow(5));
    EXPECT_TRUE(doc.SetBrightnessHigh(95));
    EXPECT_TRUE(doc.SetThermalLow(45));
    EXPECT_TRUE(doc.SetThermalHigh(80));
    EXPECT_TRUE(doc.SetRefreshRate(90));
    EXPECT_TRUE(doc.SetEthernetMode(kJxEthernet100Full));
    EXPECT_TRUE(doc.SetSecurity("tech", "p&ss\"w"));
    EXPECT_TRUE(doc.SetClockMode(4));
    EXPECT_TRUE(doc.SetSoftwareAddress(12));
    doc.RemoveLegacyIpPorts();
    Send(doc);

    // Read by the controller's own parser.
    std::map<std::string, std::vector<jxsim::CXmlElement>> byName;
    for (const jxsim::CXmlElement& e : StoredElements()) byName[e.name].push_back(e);
    ASSERT_EQ(byName["CFG"].size(), 1u);
    const jxsim::CXmlElement& cfg = byName["CFG"][0];
    EXPECT_EQ(Attr(cfg, "type"), "24X120RGB32K.HLV.Jx");
    EXPECT_EQ(Attr(cfg, "ds"), "Gare \xC3\x89st");
    EXPECT_EQ(Attr(cfg, "mid"), editor.ModuleIdentifier());
    EXPECT_EQ(Attr(cfg, "mid").substr(0, 5), "HLV-C");
    EXPECT_EQ(Attr(cfg, "tpl") + "/" + Attr(cfg, "tph"), "45/80");
    ASSERT_EQ(byName["ADDR"].size(), 1u);
    EXPECT_EQ(Attr(byName["ADDR"][0], "sw"), "12");
    ASSERT_EQ(byName["TIME"].size(), 1u);
    EXPECT_EQ(Attr(byName["TIME"][0], "zn"), "-210");
    ASSERT_EQ(byName["ENET"].size(), 1u);
    EXPECT_EQ(Attr(byName["ENET"][0], "spd") + " " + Attr(byName["ENET"][0], "dplx"), "100 FULL");
    ASSERT_EQ(byName["SCRTY"].size(), 1u);
    EXPECT_EQ(Attr(byName["SCRTY"][0], "user"), "tech");
    EXPECT_EQ(Attr(byName["SCRTY"][0], "pswrd"), "p&ss\"w");
    // The RTD serial port was not written back, and the legacy entry is gone.
    const auto& ports = byName["PORT"];
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(Attr(ports[0], "type") + Attr(ports[0], "protocol") + Attr(ports[0], "num") + Attr(ports[0], "baud") +
                  Attr(ports[0], "initstr") + Attr(ports[0], "hdsk"),
              "MODEMHTCH157600AT&F&D&C0V0S0=1&W01");
    EXPECT_EQ(Attr(ports[1], "type") + Attr(ports[1], "protocol") + Attr(ports[1], "num"), "TCPIPKor3007");
    EXPECT_EQ(Attr(ports[2], "type") + Attr(ports[2], "protocol") + Attr(ports[2], "num"), "UDPIPRTD3008");

    // Fetched again, the tool reads what it wrote.
    CConfigDocument again;
    ASSERT_TRUE(again.LoadText(Fetch()));
    EXPECT_EQ(again.GetText(), doc.GetText());
    EXPECT_EQ(Values(again),
              "ds=Gare \xC9st gamma=2.35 logmax=40000 mode=1 tpl=45 tph=80 ldl=5 hdl=95 rfr=90 "
              "ip=192.168.1.50 msk=255.255.255.0 gtw=192.168.1.1 dhcp= sw=12 ertd=7 "
              "zn=-210 dst=0 clk=4 enet=4 user=tech pswrd=p&ss\"w ");
}

// The Set Configuration flow end to end: the factory document opens with Use
// Default on unless its TCP port moved; the advanced window's choices are
// set, sent, stored by the controller as its parser reads them, and read
// back by a second opening into the same working copy.
TEST_F(SimConfig, SetConfigurationThroughItsWindowsReachesTheController)
{
    struct Row {
        uint16_t factoryPort;
        bool useDefault;
    } rows[] = {{3001, true}, {3005, false}};
    CMemorySettingsStore userStore, machineStore;
    CJxConfigApp app(userStore, machineStore);
    ASSERT_TRUE(app.LoadCatalogue(JX_SHIPPED_MODULES_XML));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.factoryPort);
        jxsim::CSimOptions options;
        options.configTcpPort = row.factoryPort;
        TearDown();
        Start(options);
        CConfigDocument doc;
        ASSERT_TRUE(doc.LoadText(Fetch()));
        CSetConfigPresenter window(app.catalogue, app.factory);
        const CSetConfigState opened = window.Open(doc);
        EXPECT_EQ(opened.input.useDefault, row.useDefault);
        EXPECT_EQ(opened.advancedEnabled, !row.useDefault);
    }

    // "Use Default" off, then the advanced window on the working copy.
    CConfigDocument doc;
    ASSERT_TRUE(doc.LoadText(Fetch()));
    CSetConfigPresenter window(app.catalogue, app.factory);
    CSetConfigInput input = window.Open(doc).input;
    input = window.Change({input.displayName, input.zoneSelection, input.daylightSaving, false}).input;
    input.displayName = "Gare \xC9st";
    input.zoneSelection = window.TimeZones().IndexOf(60);
    input.daylightSaving = false;

    CAdvancedConfigPresenter advanced(app.factory);
    CAdvancedConfigState fields = advanced.Open(window.Workset());
    fields = advanced.ChangeRequiredProtocol(fields, kJxProtocolHtch);
    fields.ethernetPort = "3002";  // the RTD network port's number
    fields = advanced.LeaveEthernetPort(fields);
    EXPECT_EQ(fields.ethernetPort, "3001");
    fields.ethernetPort = "3007";
    fields = advanced.ClickRtdSerial(fields, false);
    fields = advanced.ChangeRtdConnectionType(fields, kJxRtdTcpIp);
    fields = advanced.StepRtdPort(fields, JxArrow::Up);
    fields.brightnessLow = "5";
    fields.brightnessHigh = "95";
    fields = advanced.StepThermalHigh(fields, JxArrow::Up);
    fields.gamma = "2.42";
    fields = advanced.LeaveGamma(fields);
    fields.signNumber = "7";
    fields.fileMode = 1;
    fields.ethernetMode = kJxEthernet10Full;
    const CAdvancedApplyResult applied = advanced.Apply(fields, window.Workset());
    ASSERT_TRUE(applied.close) << applied.message;

    const CSetConfigResult set = window.Set(input, doc);
    ASSERT_TRUE(set.accepted) << set.message;
    set.ApplyTo(app);
    EXPECT_EQ(app.saved.socketNumber, 3007);
    EXPECT_FALSE(app.saved.socketIsDefault);
    EXPECT_EQ(app.saved.serialBaud, 115200);
    Send(doc);

    // Read by the controller's own parser.
    std::map<std::string, std::vector<jxsim::CXmlElement>> byName;
    for (const jxsim::CXmlElement& e : StoredElements()) byName[e.name].push_back(e);
    ASSERT_EQ(byName["CFG"].size(), 1u);
    const jxsim::CXmlElement& cfg = byName["CFG"][0];
    EXPECT_EQ(Attr(cfg, "ds"), "Gare \xC3\x89st");
    EXPECT_EQ(Attr(cfg, "gamma") + " " + Attr(cfg, "mode") + " " + Attr(cfg, "logmax"), "2.40 1 20000");
    EXPECT_EQ(Attr(cfg, "ldl") + "/" + Attr(cfg, "hdl") + " " + Attr(cfg, "tpl") + "/" + Attr(cfg, "tph"),
              "5/95 55/66");
    EXPECT_EQ(Attr(byName["ADDR"][0], "ertd"), "7");
    EXPECT_EQ(Attr(byName["TIME"][0], "zn") + " " + Attr(byName["TIME"][0], "dst"), "60 0");
    EXPECT_EQ(Attr(byName["ENET"][0], "spd") + " " + Attr(byName["ENET"][0], "dplx"), "10 FULL");
    const auto& ports = byName["PORT"];
    ASSERT_EQ(ports.size(), 3u);  // the RTD serial port was switched off
    EXPECT_EQ(Attr(ports[0], "type") + Attr(ports[0], "protocol") + Attr(ports[0], "num") + Attr(ports[0], "baud") +
                  "[" + Attr(ports[0], "initstr") + "]" + Attr(ports[0], "hdsk"),
              "DIRECTHTCH1115200[]0");
    EXPECT_EQ(Attr(ports[1], "type") + Attr(ports[1], "protocol") + Attr(ports[1], "num"), "TCPIPKor3007");
    EXPECT_EQ(Attr(ports[2], "type") + Attr(ports[2], "protocol") + Attr(ports[2], "num"), "TCPIPRTD3003");

    // Opened again, the working copy is what was set.
    CConfigDocument again;
    ASSERT_TRUE(again.LoadText(Fetch()));
    CSetConfigPresenter reopened(app.catalogue, app.factory);
    const CSetConfigState state = reopened.Open(again);
    EXPECT_FALSE(state.input.useDefault);
    EXPECT_EQ(state.input, (CSetConfigInput{"Gare \xC9st", window.TimeZones().IndexOf(60), false, false}));
    ConfigWorkset written = window.Workset();
    written.rtdSerialPort = {};  // kept by the window while off, but not in the document
    EXPECT_EQ(reopened.Workset(), written);
    EXPECT_EQ(advanced.Open(reopened.Workset()), advanced.Open(window.Workset()));
}

}  // namespace
