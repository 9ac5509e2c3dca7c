// The rules of the Set Advanced Configuration window: the fields it opens
// with, every correction made while typing, leaving a field or pressing an
// arrow, and what Apply reports, forces and stores in the working copy.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "config/CAdvancedConfigPresenter.h"
#include "config/CConfigDocument.h"
#include "config/CSetConfigPresenter.h"
#include "ConfigPrinters.h"
#include "shell/CJxConfigApp.h"

namespace {

using Edit = std::function<void(CAdvancedConfigState&)>;

// The working copy of a display at the factory defaults, as the Set
// Configuration window reads it.
ConfigWorkset DefaultWorkset(const CFactoryDefaults& defaults)
{
    CConfigDocument doc;
    EXPECT_TRUE(doc.LoadText(
        "<CFG gamma=\"2.20\" logmax=\"20000\" mode=\"0\" tpl=\"55\" tph=\"65\" ldl=\"0\" hdl=\"100\" rfr=\"120\">"
        "<ADDR ertd=\"1\"/><ENET spd=\"AUTO\" dplx=\"AUTO\"/>"
        "<PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>"
        "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>"
        "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>"
        "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/></CFG>"));
    ConfigWorkset w;
    EXPECT_FALSE(JxReadConfigWorkset(doc, defaults, w));
    return w;
}

// What the window shows for DefaultWorkset, written out field by field.
CAdvancedConfigState DefaultState()
{
    CAdvancedConfigState s;
    s.connectionType = 0;
    s.requiredProtocol = 0;
    s.baudRate = 2;
    s.baudRateEnabled = true;
    s.handshake = 0;
    s.ethernetPort = "3001";
    s.ethernetProtocol = 0;
    s.rtdSerialEnabled = true;
    s.rtdBaudRate = 2;
    s.rtdHandshake = 0;
    s.rtdNetworkEnabled = true;
    s.rtdConnectionType = 1;
    s.rtdPort = "3002";
    s.signNumber = "1";
    s.thermalLow = "55";
    s.thermalHigh = "65";
    s.refreshRate = "120";
    s.refreshRateEnabled = false;
    s.brightnessLow = "0";
    s.brightnessHigh = "100";
    s.fileMode = 0;
    s.ethernetMode = 0;
    s.modemInit = "";
    s.modemInitEnabled = false;
    s.logSize = "20000";
    s.gamma = "2.20";
    s.selectLogSize = false;
    return s;
}

class AdvancedConfig : public ::testing::Test {
protected:
    CFactoryDefaults defaults;
    CAdvancedConfigPresenter p{defaults};
};

TEST_F(AdvancedConfig, OpensFromTheWorkingCopy)
{
    struct Row {
        const char* what;
        std::function<void(ConfigWorkset&)> workset;
        Edit shown;  // from DefaultState
    } rows[] = {
        {"factory defaults", [](ConfigWorkset&) {}, [](CAdvancedConfigState&) {}},
        {"a modem",
         [](ConfigWorkset& w) { w.requiredSerialPort = {"MODEM", "HTCH", "ATZ", 2, 57600, 1}; },
         [](CAdvancedConfigState& s) {
             s.connectionType = 1, s.requiredProtocol = 1, s.baudRate = 2, s.baudRateEnabled = false, s.handshake = 2;
             s.modemInit = "ATZ", s.modemInitEnabled = true;
         }},
        {"direct at 57600 with an unknown handshake",
         [](ConfigWorkset& w) { w.requiredSerialPort = {"DIRECT", "Kor", "ATZ", 7, 57600, 1}; },
         [](CAdvancedConfigState& s) { s.baudRate = 5; }},
        {"an unknown connection type", [](ConfigWorkset& w) { w.requiredSerialPort.type = "RADIO"; },
         [](CAdvancedConfigState&) {}},
        {"an HTCH Ethernet port", [](ConfigWorkset& w) { w.ethernetPort = {"TCPIP", "HTCH", "", 0, 0, 3005}; },
         [](CAdvancedConfigState& s) { s.ethernetProtocol = 1, s.ethernetPort = "3005"; }},
        {"the RTD serial port's own baud", [](ConfigWorkset& w) { w.rtdSerialPort.baud = 38400, w.rtdSerialPort.hdsk = 1; },
         [](CAdvancedConfigState& s) { s.rtdBaudRate = 4, s.rtdHandshake = 1; }},
        {"RTD ports disabled", [](ConfigWorkset& w) {
             w.rtdSerialEnabled = w.rtdNetworkEnabled = false;
             w.rtdNetworkPort.num = 4000;
         },
         [](CAdvancedConfigState& s) { s.rtdSerialEnabled = s.rtdNetworkEnabled = false; }},
        {"RTD network over TCP on 4000", [](ConfigWorkset& w) { w.rtdNetworkPort = {"tcpip", "RTD", "", 0, 0, 4000}; },
         [](CAdvancedConfigState& s) { s.rtdConnectionType = 0, s.rtdPort = "4000"; }},
        {"values outside their limits show the defaults",
         [](ConfigWorkset& w) {
             w.brightnessLow = -1, w.brightnessHigh = 101, w.thermalLow = 39, w.thermalHigh = 86;
             w.refreshRate = 0, w.ertdSignNumber = 100, w.fileMode = 5, w.ethernetMode = 9;
         },
         [](CAdvancedConfigState&) {}},
        {"values inside their limits",
         [](ConfigWorkset& w) {
             w.brightnessLow = 5, w.brightnessHigh = 95, w.thermalLow = 40, w.thermalHigh = 85;
             w.refreshRate = 1, w.ertdSignNumber = 99, w.fileMode = 1, w.ethernetMode = 4;
             w.gamma = "2.2", w.logMax = "50000";
         },
         [](CAdvancedConfigState& s) {
             s.brightnessLow = "5", s.brightnessHigh = "95", s.thermalLow = "40", s.thermalHigh = "85";
             s.refreshRate = "1", s.signNumber = "99", s.fileMode = 1, s.ethernetMode = 4;
             s.gamma = "2.2", s.logSize = "50000";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ConfigWorkset w = DefaultWorkset(defaults);
        row.workset(w);
        CAdvancedConfigState expected = DefaultState();
        row.shown(expected);
        EXPECT_EQ(p.Open(w), expected);
    }
}

TEST_F(AdvancedConfig, FieldsStayInsideTheirLimitsWhileEditing)
{
    using P = CAdvancedConfigPresenter;
    using S = CAdvancedConfigState;
    using Action = std::function<S(const P&, const S&)>;
    // A field left, an arrow pressed, a list item or check box chosen.
    auto leave = [](S (P::*f)(const S&) const) { return Action([f](const P& p, const S& s) { return (p.*f)(s); }); };
    auto step = [](S (P::*f)(const S&, JxArrow) const) {
        return [f](JxArrow a) { return Action([f, a](const P& p, const S& s) { return (p.*f)(s, a); }); };
    };
    const Action leaveEthernet = leave(&P::LeaveEthernetPort), leaveRtd = leave(&P::LeaveRtdPort),
                 leaveGamma = leave(&P::LeaveGamma), leaveLog = leave(&P::LeaveLogSize),
                 leaveSign = leave(&P::LeaveSignNumber), leaveRefresh = leave(&P::LeaveRefreshRate);
    const auto ethernet = step(&P::StepEthernetPort), rtd = step(&P::StepRtdPort), gamma = step(&P::StepGamma),
               sign = step(&P::StepSignNumber), thermalLow = step(&P::StepThermalLow),
               thermalHigh = step(&P::StepThermalHigh), brightLow = step(&P::StepBrightnessLow),
               brightHigh = step(&P::StepBrightnessHigh), refresh = step(&P::StepRefreshRate);
    const auto connection = [](int32_t i) { return Action([i](const P& p, const S& s) { return p.ChangeConnectionType(s, i); }); };
    const auto protocol = [](int32_t i) { return Action([i](const P& p, const S& s) { return p.ChangeRequiredProtocol(s, i); }); };
    const auto rtdNetworkBox = [](bool on) { return Action([on](const P& p, const S& s) { return p.ClickRtdNetwork(s, on); }); };
    const JxArrow up = JxArrow::Up, down = JxArrow::Down;
    auto ports = [](const char* e, const char* r) { return Edit([=](CAdvancedConfigState& s) { s.ethernetPort = e, s.rtdPort = r; }); };
    auto text = [](std::string CAdvancedConfigState::*field, const char* value) {
        return Edit([=](CAdvancedConfigState& s) { s.*field = value; });
    };

    struct Row {
        const char* what;
        Edit before;  // from DefaultState
        Action action;
        Edit after;   // from `before`
    } rows[] = {
        // ports
        {"RTD field left at the Ethernet port", ports("3001", "3001"), leaveRtd, ports("3001", "3002")},
        {"Ethernet field left at the RTD port", ports("3001", "3001"), leaveEthernet, ports("3000", "3001")},
        {"Ethernet at the port a disabled RTD field shows",
         [](S& s) { s.rtdNetworkEnabled = false, s.rtdPort = "3002", s.ethernetPort = "3002"; }, leaveEthernet,
         ports("3001", "3002")},
        {"Ethernet at RTD 1024 goes up", ports("1024", "1024"), leaveEthernet, ports("1025", "1024")},
        {"RTD at Ethernet 65535 goes down", ports("65535", "65535"), leaveRtd, ports("65535", "65534")},
        {"Ethernet 0", ports("0", "3002"), leaveEthernet, ports("1", "3002")},
        {"Ethernet 70000", ports("70000", "3002"), leaveEthernet, ports("65535", "3002")},
        {"RTD down onto 1024 taken by Ethernet", ports("1024", "1025"), rtd(down), ports("1024", "1025")},
        {"RTD down to 1024", ports("3001", "1025"), rtd(down), ports("3001", "1024")},
        {"RTD down over Ethernet 1025 would reach 1024", ports("1025", "1026"), rtd(down), ports("1025", "1026")},
        {"RTD down at 1024", ports("3001", "1024"), rtd(down), ports("3001", "1024")},
        {"Ethernet down over the RTD port", ports("3003", "3002"), ethernet(down), ports("3001", "3002")},
        {"Ethernet up onto 65535 taken by RTD", ports("65534", "65535"), ethernet(up), ports("65534", "65535")},
        {"Ethernet up over the RTD port", ports("3001", "3002"), ethernet(up), ports("3003", "3002")},
        {"Ethernet up from below 1024", ports("80", "3002"), ethernet(up), ports("1024", "3002")},
        {"RTD arrow while disabled", [](S& s) { s.rtdNetworkEnabled = false; }, rtd(up), [](S&) {}},
        // gamma
        {"gamma 2.33", text(&S::gamma, "2.33"), leaveGamma, text(&S::gamma, "2.35")},
        {"gamma 2.375", text(&S::gamma, "2.375"), leaveGamma, text(&S::gamma, "2.40")},
        {"gamma 3", text(&S::gamma, "3"), leaveGamma, text(&S::gamma, "2.75")},
        {"gamma 0.5", text(&S::gamma, "0.5"), leaveGamma, text(&S::gamma, "1.00")},
        {"gamma letters", text(&S::gamma, "abc"), leaveGamma, text(&S::gamma, "1.00")},
        {"gamma far too large, up", text(&S::gamma, "99999999999999999999"), gamma(up), text(&S::gamma, "2.75")},
        {"gamma below the minimum, down", text(&S::gamma, "0.5"), gamma(down), text(&S::gamma, "1.00")},
        {"gamma 2.2 is on a step", text(&S::gamma, "2.2"), leaveGamma, text(&S::gamma, "2.2")},
        {"gamma up", text(&S::gamma, "2.2"), gamma(up), text(&S::gamma, "2.25")},
        {"gamma up at the maximum", text(&S::gamma, "2.75"), gamma(up), text(&S::gamma, "2.75")},
        {"gamma down at the minimum", text(&S::gamma, "1.00"), gamma(down), text(&S::gamma, "1.00")},
        {"gamma up off a step stops at the maximum", text(&S::gamma, "2.73"), gamma(up), text(&S::gamma, "2.75")},
        // log size
        {"log size above the maximum", text(&S::logSize, "5000000"), leaveLog,
         [](S& s) { s.logSize = "1000000", s.selectLogSize = true; }},
        {"log size empty", text(&S::logSize, ""), leaveLog, [](S& s) { s.logSize = "0", s.selectLogSize = true; }},
        {"log size negative", text(&S::logSize, "-5"), leaveLog, [](S& s) { s.logSize = "0", s.selectLogSize = true; }},
        {"log size at the maximum", text(&S::logSize, "1000000"), leaveLog, [](S&) {}},
        // sign number
        {"sign number 150", text(&S::signNumber, "150"), leaveSign, text(&S::signNumber, "99")},
        {"sign number -3", text(&S::signNumber, "-3"), leaveSign, text(&S::signNumber, "0")},
        {"sign number up at 99", text(&S::signNumber, "99"), sign(up), [](S&) {}},
        {"sign number down at 0", text(&S::signNumber, "0"), sign(down), [](S&) {}},
        // thermal and brightness pairs
        {"thermal low down at 40", text(&S::thermalLow, "40"), thermalLow(down), [](S&) {}},
        {"thermal low up to high", text(&S::thermalLow, "64"), thermalLow(up), text(&S::thermalLow, "65")},
        {"thermal low up past high", text(&S::thermalLow, "65"), thermalLow(up), [](S&) {}},
        {"thermal high down past low", text(&S::thermalHigh, "55"), thermalHigh(down), [](S&) {}},
        {"brightness low down at 0", [](S&) {}, brightLow(down), [](S&) {}},
        {"brightness low up past high", [](S& s) { s.brightnessLow = s.brightnessHigh = "50"; }, brightLow(up), [](S&) {}},
        {"brightness high down past low", [](S& s) { s.brightnessLow = s.brightnessHigh = "50"; }, brightHigh(down),
         [](S&) {}},
        // refresh rate: read-only unless enabled
        {"refresh rate arrow while disabled", text(&S::refreshRate, "60"), refresh(up), [](S&) {}},
        {"refresh rate up at 120", [](S& s) { s.refreshRateEnabled = true; }, refresh(up), [](S&) {}},
        {"refresh rate down", [](S& s) { s.refreshRateEnabled = true; }, refresh(down), text(&S::refreshRate, "119")},
        {"refresh rate 0 left", [](S& s) { s.refreshRateEnabled = true, s.refreshRate = "0"; }, leaveRefresh,
         text(&S::refreshRate, "1")},
        // lists and check boxes
        {"Modem", [](S& s) { s.handshake = 2, s.baudRate = 5; }, connection(1),
         [](S& s) {
             s.connectionType = 1, s.handshake = 0, s.modemInit = "ATZ", s.modemInitEnabled = true;
             s.baudRate = 2, s.baudRateEnabled = false;
         }},
        {"back to Direct",
         [](S& s) { s.connectionType = 1, s.modemInit = "ATDT", s.modemInitEnabled = true, s.baudRateEnabled = false; },
         connection(0),
         [](S& s) { s.connectionType = 0, s.modemInit = "", s.modemInitEnabled = false, s.baudRateEnabled = true; }},
        {"Brellmart", [](S&) {}, protocol(1), [](S& s) { s.requiredProtocol = 1, s.baudRate = 6, s.baudRateEnabled = false; }},
        {"Brellmart then Tolvar", [](S& s) { s.requiredProtocol = 1, s.baudRate = 6, s.baudRateEnabled = false; },
         protocol(0), [](S& s) { s.requiredProtocol = 0, s.baudRate = 2, s.baudRateEnabled = true; }},
        {"RTD network off and on", [](S& s) { s.rtdNetworkEnabled = false; }, rtdNetworkBox(true),
         [](S& s) { s.rtdNetworkEnabled = true; }},
        {"a selected log size is let go by the next reaction", [](S& s) { s.selectLogSize = true; }, gamma(up),
         [](S& s) { s.selectLogSize = false, s.gamma = "2.25"; }},
    };
    ConfigWorkset w = DefaultWorkset(defaults);
    w.requiredSerialPort.initstr = "ATZ";  // what choosing Modem shows
    ASSERT_EQ(p.Open(w).modemInit, "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CAdvancedConfigState start = DefaultState();
        row.before(start);
        CAdvancedConfigState expected = start;
        row.after(expected);
        EXPECT_EQ(row.action(p, start), expected);
    }
}

TEST_F(AdvancedConfig, ApplyChecksForcesReportsAndStores)
{
    using S = CAdvancedConfigState;
    using W = ConfigWorkset;
    struct Row {
        const char* what;
        Edit typed;                             // from DefaultState
        bool stored;
        std::string lines;
        Edit corrected;                         // the fields afterwards, from `typed`
        std::function<void(W&)> workset;        // the working copy afterwards, from the default one
        bool secondApplyCloses;
    } rows[] = {
        {"nothing to report", [](S&) {}, true, "", [](S&) {}, [](W&) {}, true},
        {"Ethernet port 1023", [](S& s) { s.ethernetPort = "1023", s.rtdNetworkEnabled = false, s.brightnessLow = ""; },
         false, "", [](S&) {}, [](W&) {}, false},
        {"RTD port 70000", [](S& s) { s.rtdPort = "70000", s.signNumber = "5"; }, false, "", [](S&) {}, [](W&) {},
         false},
        {"RTD port 70000 while disabled", [](S& s) { s.rtdPort = "70000", s.rtdNetworkEnabled = false; }, true, "",
         [](S&) {}, [](W& w) { w.rtdNetworkEnabled = false; }, true},
        {"brightness low empty, high 150", [](S& s) { s.brightnessLow = "", s.brightnessHigh = "150"; }, true,
         std::string(kJxBrightnessLowEmpty) + kJxBrightnessHighTooLarge,
         [](S& s) { s.brightnessLow = "0", s.brightnessHigh = "100"; }, [](W&) {}, true},
        {"brightness low 80, high 20", [](S& s) { s.brightnessLow = "80", s.brightnessHigh = "20"; }, true,
         std::string(kJxBrightnessLowAboveHigh) + kJxBrightnessHighBelowLow, [](S&) {},
         [](W& w) { w.brightnessLow = 80, w.brightnessHigh = 20; }, false},
        // 120 is above High as well as above the limit.
        {"brightness low 120", [](S& s) { s.brightnessLow = "120"; }, true,
         std::string(kJxBrightnessLowAboveHigh) + kJxBrightnessHighBelowLow + kJxBrightnessLowTooLarge,
         [](S& s) { s.brightnessLow = "0"; }, [](W&) {}, true},
        {"thermal low 30", [](S& s) { s.thermalLow = "30"; }, true, kJxThermalLowTooSmall,
         [](S& s) { s.thermalLow = "40"; }, [](W& w) { w.thermalLow = 40; }, true},
        {"thermal low 90", [](S& s) { s.thermalLow = "90"; }, true,
         std::string(kJxThermalLowAboveHigh) + kJxThermalHighBelowLow + kJxThermalLowTooLarge,
         [](S& s) { s.thermalLow = "40"; }, [](W& w) { w.thermalLow = 40; }, true},
        {"thermal both empty", [](S& s) { s.thermalLow = s.thermalHigh = ""; }, true,
         std::string(kJxThermalLowEmpty) + kJxThermalHighEmpty, [](S& s) { s.thermalLow = "40", s.thermalHigh = "85"; },
         [](W& w) { w.thermalLow = 40, w.thermalHigh = 85; }, true},
        {"thermal high 99 and brightness high 101",
         [](S& s) { s.thermalHigh = "99", s.brightnessHigh = "101"; }, true,
         std::string(kJxBrightnessHighTooLarge) + kJxThermalHighTooLarge,
         [](S& s) { s.thermalHigh = "85", s.brightnessHigh = "100"; }, [](W& w) { w.thermalHigh = 85; }, true},
        {"refresh rate 0", [](S& s) { s.refreshRate = "0"; }, true, kJxRefreshRateTooSmall,
         [](S& s) { s.refreshRate = "1"; }, [](W& w) { w.refreshRate = 1; }, true},
        {"refresh rate 121", [](S& s) { s.refreshRate = "121"; }, true, kJxRefreshRateTooLarge,
         [](S& s) { s.refreshRate = "120"; }, [](W&) {}, true},
        {"sign number 150", [](S& s) { s.signNumber = "150"; }, true, "", [](S& s) { s.signNumber = "1"; }, [](W&) {},
         true},
        {"modem with an empty init string", [](S& s) { s.connectionType = 1, s.modemInit = "", s.handshake = 1; },
         true, "", [](S&) {},
         [](W& w) { w.requiredSerialPort = {"MODEM", "Kor", "AT&F&D&C0V0S0=1&W0", 1, 19200, 1}; }, true},
        {"Brellmart at 115200", [](S& s) { s.requiredProtocol = 1, s.baudRate = 6; }, true, "", [](S&) {},
         [](W& w) { w.requiredSerialPort = {"DIRECT", "HTCH", "", 0, 115200, 1}; }, true},
        {"everything else", [](S& s) {
             s.ethernetPort = "3005", s.rtdPort = "3010", s.rtdConnectionType = 0, s.rtdBaudRate = 5;
             s.fileMode = 1, s.ethernetMode = 2, s.logSize = "30000", s.gamma = "2.45";
         },
         true, "", [](S&) {},
         [](W& w) {
             w.ethernetPort.num = 3005, w.rtdNetworkPort = {"TCPIP", "RTD", "", 0, 0, 3010};
             w.rtdSerialPort.baud = 57600, w.fileMode = 1, w.ethernetMode = 2, w.logMax = "30000", w.gamma = "2.45";
         },
         true},
        {"disabled RTD ports keep their values",
         [](S& s) { s.rtdSerialEnabled = s.rtdNetworkEnabled = false, s.rtdPort = "5000", s.rtdBaudRate = 0; }, true,
         "", [](S&) {}, [](W& w) { w.rtdSerialEnabled = w.rtdNetworkEnabled = false; }, true},
        {"log size and gamma not yet corrected", [](S& s) { s.logSize = "", s.gamma = "2.33"; }, true, "",
         [](S& s) { s.logSize = "0", s.gamma = "2.35"; }, [](W& w) { w.logMax = "0", w.gamma = "2.35"; }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const ConfigWorkset before = DefaultWorkset(defaults);
        ConfigWorkset w = before;
        ASSERT_EQ(p.Open(w), DefaultState());
        CAdvancedConfigState typed = DefaultState();
        row.typed(typed);
        CAdvancedConfigState corrected = typed;
        row.corrected(corrected);
        ConfigWorkset expected = before;
        row.workset(expected);

        const CAdvancedApplyResult r = p.Apply(typed, w);
        EXPECT_EQ(r.stored, row.stored);
        EXPECT_EQ(r.lines, row.lines);
        EXPECT_EQ(r.state, corrected);
        EXPECT_EQ(w, expected);
        if (!row.stored) {
            EXPECT_FALSE(r.close);
            EXPECT_EQ(r.message, "One or more TCP/IP ports invalid.  Must be between 1024 and 65535.");
            continue;
        }
        EXPECT_EQ(r.close, row.lines.empty());
        EXPECT_EQ(r.message, row.lines.empty() ? std::string()
                                                : "An error has been detected in the following settings: \n" +
                                                      row.lines + "\n\nPlease review the settings and click Apply.");
        // The forced values are in the fields: applying them again passes
        // unless the operator's values contradict each other.
        EXPECT_EQ(p.Apply(r.state, w).close, row.secondApplyCloses);
    }
}

}  // namespace
