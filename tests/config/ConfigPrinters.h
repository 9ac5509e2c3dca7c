// How test failures show the configuration windows' values (every field
// by name, instead of the bytes of the object), and the small helpers the
// configuration tests share.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "config/CAdvancedConfigPresenter.h"
#include "config/CConfigDocument.h"
#include "config/CSetConfigPresenter.h"

// Readable failures: every field of the window.
inline void PrintTo(const CAdvancedConfigState& s, std::ostream* os)
{
    *os << "conn=" << s.connectionType << " proto=" << s.requiredProtocol << " baud=" << s.baudRate
        << (s.baudRateEnabled ? "" : "(off)") << " hdsk=" << s.handshake << " eth=" << s.ethernetPort << "/"
        << s.ethernetProtocol << " rtdSerial=" << s.rtdSerialEnabled << ":" << s.rtdBaudRate << "/" << s.rtdHandshake
        << " rtdNet=" << s.rtdNetworkEnabled << ":" << s.rtdConnectionType << "/" << s.rtdPort
        << " sign=" << s.signNumber << " thermal=" << s.thermalLow << "/" << s.thermalHigh
        << " rfr=" << s.refreshRate << (s.refreshRateEnabled ? "" : "(off)") << " bright=" << s.brightnessLow << "/"
        << s.brightnessHigh << " mode=" << s.fileMode << " enet=" << s.ethernetMode << " init=" << s.modemInit
        << (s.modemInitEnabled ? "" : "(off)") << " log=" << s.logSize << (s.selectLogSize ? "(selected)" : "")
        << " gamma=" << s.gamma;
}
inline void PrintTo(const PortEntry& p, std::ostream* os)
{
    *os << p.type << "/" << p.protocol << "/" << p.initstr << "/" << p.hdsk << "/" << p.baud << "/" << p.num;
}
inline void PrintTo(const ConfigWorkset& w, std::ostream* os)
{
    *os << "mode=" << w.fileMode << " gamma=" << w.gamma << " logmax=" << w.logMax << " required=";
    PrintTo(w.requiredSerialPort, os);
    *os << " ethernet=";
    PrintTo(w.ethernetPort, os);
    *os << " rtdSerial=" << w.rtdSerialEnabled << ":";
    PrintTo(w.rtdSerialPort, os);
    *os << " rtdNetwork=" << w.rtdNetworkEnabled << ":";
    PrintTo(w.rtdNetworkPort, os);
    *os << " ertd=" << w.ertdSignNumber << " tpl=" << w.thermalLow << " tph=" << w.thermalHigh
        << " rfr=" << w.refreshRate << " ldl=" << w.brightnessLow << " hdl=" << w.brightnessHigh
        << " enet=" << w.ethernetMode << " mid=" << w.moduleId << " type=" << w.displayType
        << " user=" << w.securityUser << " pswrd=" << w.securityPassword;
}

// A document that must load.
inline CConfigDocument Load(const std::string& text)
{
    CConfigDocument doc;
    EXPECT_TRUE(doc.LoadText(text)) << text;
    return doc;
}

// Count of non-overlapping occurrences of `what` in `text`.
inline int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}
