// Fuzz target for CConfigDocument: load any bytes as CONFIG.XML, read every
// value, fill the display type and zone from it, then make a random run of
// writes. A write that reports success must read back as written (a port
// write leaving every other port role as it was), a write that fails must
// leave the text as it was, and the document text must always load again to
// the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "config/CConfigDocument.h"
#include "config/CDisplayTypeEditor.h"
#include "config/CTimeZoneList.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail, const std::string& text)
{
    std::fprintf(stderr, "%s\n%s\n--- text ---\n%s\n", what, detail.c_str(), text.c_str());
    std::abort();
}

const CXmlDocument& Catalogue()
{
    static const CXmlDocument catalogue = [] {
        CXmlDocument doc;
        doc.Parse("<MODULES vr=\"1\"><DISPLAYTECH type=\"HLV\"><COLORTECH type=\"MONO\">"
                  "<MODULE type=\"A\" value=\"a\"/><MODULE type=\"B\" value=\"b\"/></COLORTECH>"
                  "<COLORTECH type=\"RG\"><MODULE type=\"T\" value=\"t\"/></COLORTECH></DISPLAYTECH></MODULES>",
                  false);
        return doc;
    }();
    return catalogue;
}

void ReadEverything(CConfigDocument& doc)
{
    std::string s, s2;
    int32_t n = 0;
    PortEntry p;
    doc.GetDisplayType(s), doc.GetDescription(s), doc.GetModuleId(s), doc.GetGamma(s), doc.GetLogMax(s);
    doc.GetFileMode(n), doc.GetThermalLow(n), doc.GetThermalHigh(n), doc.GetBrightnessLow(n);
    doc.GetBrightnessHigh(n), doc.GetRefreshRate(n);
    doc.GetIpAddress(s), doc.GetSubnetMask(s), doc.GetGateway(s), doc.GetDhcpName(s);
    doc.GetSoftwareAddress(n), doc.GetErtdSignNumber(n);
    doc.GetTimeZone(n), doc.GetDaylightSaving(n), doc.GetClockMode(n), doc.GetEthernetMode(n);
    doc.GetSecurity(s, s2);
    doc.GetRequiredSerialPort(p), doc.GetEthernetPort(p), doc.GetRtdSerialPort(p), doc.GetRtdNetworkPort(p);

    CTimeZoneList zones;
    zones.SelectFromDocument(doc);
    CDisplayTypeEditor editor(Catalogue());
    editor.ParseFrom(doc);
}

void CheckReloads(const CConfigDocument& doc)
{
    CConfigDocument again;
    if (!again.LoadText(CXmlDocument::SingleByteToUtf8(doc.GetText())))
        Fail("edited document no longer loads", again.Document().GetError(), doc.GetText());
    if (again.GetText() != doc.GetText()) Fail("edited document loads to another text", again.GetText(), doc.GetText());
}

const char* const kTexts[] = {"", "2.20", "Lobby & \"Gate\"", "0.0.0.0", "\xE9t\xE9", "<>'", "AT&F&D&C0V0S0=1&W0"};
const int32_t kNumbers[] = {0, 1, -300, 65535, INT32_MIN, INT32_MAX, 120};

template <typename Get, typename Value>
void ExpectRead(bool written, Get get, const Value& expected, const char* what, const CConfigDocument& doc,
                const std::string& before)
{
    if (!written) {
        if (doc.GetText() != before) Fail("a write that failed changed the text", what, doc.GetText());
        return;
    }
    Value back{};
    get(back);
    if (back != expected) Fail("value written does not read back", what, doc.GetText());
}


// The four port roles as their getters read them.
enum PortRole { kRequiredSerial, kEthernet, kRtdSerial, kRtdNetwork, kPortRoles };
struct PortReadings {
    PortEntry entry[kPortRoles];
    bool result[kPortRoles] = {};
};

PortReadings ReadPorts(const CConfigDocument& doc)
{
    PortReadings r;
    r.result[kRequiredSerial] = doc.GetRequiredSerialPort(r.entry[kRequiredSerial]);
    r.result[kEthernet] = doc.GetEthernetPort(r.entry[kEthernet]);
    r.result[kRtdSerial] = doc.GetRtdSerialPort(r.entry[kRtdSerial]);
    r.result[kRtdNetwork] = doc.GetRtdNetworkPort(r.entry[kRtdNetwork]);
    return r;
}

bool IsSerialRole(int role) { return role == kRequiredSerial || role == kRtdSerial; }

// A port setter that reports success must leave its role reading what it
// wrote (an existing entry keeps its protocol, a network one its type too)
// and every other role reading as before; one that fails leaves the text.
template <typename Write>
void CheckPortWrite(CConfigDocument& doc, int role, const PortEntry& port, Write write)
{
    const std::string text = doc.GetText();
    const PortReadings was = ReadPorts(doc);
    const bool written = write();
    if (!written) {
        if (doc.GetText() != text) Fail("a port write that failed changed the text", text, doc.GetText());
        return;
    }
    const PortReadings now = ReadPorts(doc);
    // Every role's entry has a type, so an empty one means there was none.
    const PortEntry& old = was.entry[role];
    PortEntry expected = port;
    if (IsSerialRole(role)) {
        if (!old.type.empty()) expected.protocol = old.protocol;
    } else {
        expected = PortEntry{old.type.empty() ? port.type : old.type, old.type.empty() ? port.protocol : old.protocol,
                             "", 0, 0, port.num};
    }
    if (now.entry[role] != expected) Fail("a port written does not read back", std::to_string(role), doc.GetText());
    for (int other = 0; other < kPortRoles; ++other) {
        if (other != role && (now.entry[other] != was.entry[other] || now.result[other] != was.result[other]))
            Fail("a port write changed another port", std::to_string(other), doc.GetText());
    }
}

// AddPort: roles that had an entry keep reading it; a failure leaves the text.
bool CheckAddPort(CConfigDocument& doc, const PortEntry& port, bool serialFields)
{
    const std::string text = doc.GetText();
    const PortReadings was = ReadPorts(doc);
    if (!doc.AddPort(port, serialFields)) {
        if (doc.GetText() != text) Fail("AddPort failed but changed the text", text, doc.GetText());
        return false;
    }
    const PortReadings now = ReadPorts(doc);
    for (int role = 0; role < kPortRoles; ++role) {
        if (!was.entry[role].type.empty() && (now.entry[role] != was.entry[role] || now.result[role] != was.result[role]))
            Fail("AddPort changed an existing port", std::to_string(role), doc.GetText());
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    CConfigDocument doc;
    const bool loaded = doc.LoadText(input);
    ReadEverything(doc);
    if (!loaded) {
        if (doc.SetDescription("x") || doc.SetTimeZone(0) || doc.AddPort({"TCPIP", "Kor", "", 0, 0, 1}, false))
            Fail("an unloaded document took a write", "", doc.GetText());
        return 0;
    }

    std::minstd_rand rng(static_cast<uint32_t>(std::hash<std::string>{}(input)));
    auto text = [&] { return std::string(kTexts[rng() % std::size(kTexts)]); };
    auto number = [&] { return kNumbers[rng() % std::size(kNumbers)]; };
    for (int step = 0; step < 16; ++step) {
        bool changed = true;
        const std::string before = doc.GetText();
        switch (rng() % 16) {
        case 0: {
            const std::string v = text();
            ExpectRead(doc.SetDescription(v), [&](std::string& b) { doc.GetDescription(b); }, v, "ds", doc, before);
            break;
        }
        case 1: {
            const std::string v = text();
            ExpectRead(doc.SetGamma(v), [&](std::string& b) { doc.GetGamma(b); }, v, "gamma", doc, before);
            break;
        }
        case 2: {
            const int32_t v = number();
            ExpectRead(doc.SetRefreshRate(v), [&](int32_t& b) { doc.GetRefreshRate(b); }, v, "rfr", doc, before);
            break;
        }
        case 3: {
            const int32_t v = number();
            ExpectRead(doc.SetThermalHigh(v), [&](int32_t& b) { doc.GetThermalHigh(b); }, v, "tph", doc, before);
            break;
        }
        case 4: {
            const std::string v = text();
            ExpectRead(doc.SetGateway(v), [&](std::string& b) { doc.GetGateway(b); }, v == "0.0.0.0" ? "" : v,
                       "gtw", doc, before);
            break;
        }
        case 5: {
            const int32_t v = number();
            ExpectRead(doc.SetErtdSignNumber(v), [&](int32_t& b) { doc.GetErtdSignNumber(b); }, v, "ertd", doc, before);
            break;
        }
        case 6: {
            const int32_t v = number();
            ExpectRead(doc.SetTimeZone(v), [&](int32_t& b) { doc.GetTimeZone(b); }, v, "zn", doc, before);
            break;
        }
        case 7: {
            const int32_t v = static_cast<int32_t>(rng() % 7) - 1;
            ExpectRead(doc.SetEthernetMode(v), [&](int32_t& b) { doc.GetEthernetMode(b); }, v >= 1 && v <= 4 ? v : 0,
                       "ENET", doc, before);
            break;
        }
        case 8: {
            const std::string user = text(), password = text();
            const std::string expected = user.empty() ? "Admin\n" : user + "\n" + password;
            ExpectRead(doc.SetSecurity(user, password),
                       [&](std::string& b) { std::string u, p; doc.GetSecurity(u, p); b = u + "\n" + p; }, expected,
                       "SCRTY", doc, before);
            break;
        }
        case 9: {
            const PortEntry v{rng() % 2 ? "MODEM" : "DIRECT", "HTCH", text(), number(), number(), number()};
            CheckPortWrite(doc, kRequiredSerial, v, [&] { return doc.SetRequiredSerialPort(v); });
            break;
        }
        case 10: {
            const PortEntry v{"UDPIP", "RTD", "", 0, 0, number()};
            CheckPortWrite(doc, kRtdNetwork, v, [&] { return doc.SetRtdNetworkPort(v); });
            break;
        }
        case 14: {
            const PortEntry v{"TCPIP", "Kor", "", 0, 0, number()};
            CheckPortWrite(doc, kEthernet, v, [&] { return doc.SetEthernetPort(v); });
            break;
        }
        case 15: {
            const PortEntry v{rng() % 2 ? "MODEM" : "DIRECT", "RTD", text(), number(), number(), number()};
            CheckPortWrite(doc, kRtdSerial, v, [&] { return doc.SetRtdSerialPort(v); });
            break;
        }
        case 11: doc.RemoveAllPorts(); break;
        case 12: doc.RemoveLegacyIpPorts(); break;
        default: changed = CheckAddPort(doc, {text(), text(), text(), number(), number(), number()}, rng() % 2); break;
        }
        if (changed) CheckReloads(doc);
    }
    ReadEverything(doc);
    return 0;
}
