#include "CConfigDocument.h"

#include <climits>
#include <strings.h>
#include <utility>

namespace {

using Which = CXmlDocument::Which;

// Puts the cursor back at the top when an operation ends, whichever way.
class CTopWhenDone {
public:
    explicit CTopWhenDone(CXmlDocument& xml) : m_xml(xml) {}
    ~CTopWhenDone() { m_xml.ResetPosition(); }
    CTopWhenDone(const CTopWhenDone&) = delete;
    CTopWhenDone& operator=(const CTopWhenDone&) = delete;

private:
    CXmlDocument& m_xml;
};

bool SameNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool IsSerialType(const std::string& type) { return type == "DIRECT" || type == "MODEM"; }
bool IsOwnProtocol(const std::string& protocol) { return protocol == "Kor" || protocol == "HTCH"; }

std::string Decimal(int32_t value) { return std::to_string(value); }

// Writes an attribute and reads it back. In a damaged start tag a reader
// stops at a stray "?" or "/", so an attribute added behind it is in the text
// but can never be read: that write did not take, and is reported so.
bool Write(CXmlDocument& xml, Which which, std::string_view name, std::string_view value)
{
    if (!xml.SetAttribute(which, name, value)) return false;
    return (which == Which::Current ? xml.GetAttribute(name) : xml.GetChildAttribute(name)) == value;
}

// Controllers send LF or CR LF line ends; the document keeps CR LF throughout
// so that the lines the tool inserts match the ones it received.
std::string WithCrBeforeLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

int32_t JxConfigNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;  // stays at the limit
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

// ---- loading ----------------------------------------------------------------

bool CConfigDocument::LoadText(std::string_view utf8Text)
{
    m_loaded = m_xml.Parse(WithCrBeforeLf(CXmlDocument::Utf8ToSingleByte(utf8Text)), false);
    m_xml.ResetPosition();
    return m_loaded;
}

// ---- navigation -------------------------------------------------------------

bool CConfigDocument::FindRoot() const
{
    m_xml.ResetPosition();
    if (!m_loaded) return false;
    // Parse keeps only the first top-level element, so this finds CFG only
    // when it is the root.
    return m_xml.FindNextElement("CFG");
}

bool CConfigDocument::FindChild(std::string_view child) const { return FindRoot() && m_xml.FindNextChild(child); }

bool CConfigDocument::GetRootText(std::string_view name, std::string& value) const
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) {
        value.clear();
        return false;
    }
    value = m_xml.GetAttribute(name);
    return true;
}

bool CConfigDocument::GetRootNumber(std::string_view name, int32_t& value, int32_t absent, bool absentIsFailure) const
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) {
        value = absent;
        return false;
    }
    const std::string text = m_xml.GetAttribute(name);
    if (text.empty()) {
        value = absent;
        return !absentIsFailure;
    }
    value = JxConfigNumber(text);
    return true;
}

bool CConfigDocument::SetRoot(std::string_view name, std::string_view value)
{
    CTopWhenDone top(m_xml);
    return FindRoot() && Write(m_xml, Which::Current, name, value);
}

bool CConfigDocument::SetChild(std::string_view child, std::string_view name, std::string_view value)
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) return false;
    const CXmlDocument before = m_xml;
    const bool written = (m_xml.FindNextChild(child) || m_xml.AppendChild(child)) &&
                         Write(m_xml, Which::Child, name, value);
    return KeepWrite(before, written);
}

bool CConfigDocument::KeepWrite(const CXmlDocument& before, bool written)
{
    if (!written) m_xml = before;
    return written;
}

// ---- CFG attributes -----------------------------------------------------------

bool CConfigDocument::GetDisplayType(std::string& type) const { return GetRootText("type", type); }
bool CConfigDocument::SetDisplayType(std::string_view type) { return SetRoot("type", type); }
bool CConfigDocument::GetDescription(std::string& description) const { return GetRootText("ds", description); }
bool CConfigDocument::SetDescription(std::string_view description) { return SetRoot("ds", description); }
bool CConfigDocument::GetModuleId(std::string& moduleId) const { return GetRootText("mid", moduleId); }
bool CConfigDocument::SetModuleId(std::string_view moduleId) { return SetRoot("mid", moduleId); }
bool CConfigDocument::GetGamma(std::string& gamma) const { return GetRootText("gamma", gamma); }
bool CConfigDocument::SetGamma(std::string_view gamma) { return SetRoot("gamma", gamma); }
bool CConfigDocument::GetLogMax(std::string& logMax) const { return GetRootText("logmax", logMax); }
bool CConfigDocument::SetLogMax(std::string_view logMax) { return SetRoot("logmax", logMax); }

bool CConfigDocument::GetFileMode(int32_t& mode) const { return GetRootNumber("mode", mode, 0, false); }
bool CConfigDocument::SetFileMode(int32_t mode) { return SetRoot("mode", Decimal(mode)); }
bool CConfigDocument::GetThermalLow(int32_t& value) const { return GetRootNumber("tpl", value, 55, false); }
bool CConfigDocument::SetThermalLow(int32_t value) { return SetRoot("tpl", Decimal(value)); }
bool CConfigDocument::GetThermalHigh(int32_t& value) const { return GetRootNumber("tph", value, 65, true); }
bool CConfigDocument::SetThermalHigh(int32_t value) { return SetRoot("tph", Decimal(value)); }
bool CConfigDocument::GetBrightnessLow(int32_t& value) const { return GetRootNumber("ldl", value, 0, false); }
bool CConfigDocument::SetBrightnessLow(int32_t value) { return SetRoot("ldl", Decimal(value)); }
bool CConfigDocument::GetBrightnessHigh(int32_t& value) const { return GetRootNumber("hdl", value, 100, true); }
bool CConfigDocument::SetBrightnessHigh(int32_t value) { return SetRoot("hdl", Decimal(value)); }
bool CConfigDocument::GetRefreshRate(int32_t& value) const { return GetRootNumber("rfr", value, 120, false); }
bool CConfigDocument::SetRefreshRate(int32_t value) { return SetRoot("rfr", Decimal(value)); }

// ---- ADDR ---------------------------------------------------------------------

bool CConfigDocument::GetIpAddress(std::string& ip) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    ip = found ? m_xml.GetChildAttribute("ip") : std::string();
    return found;
}

bool CConfigDocument::GetSubnetMask(std::string& mask) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    mask = found ? m_xml.GetChildAttribute("msk") : std::string();
    return found;
}

bool CConfigDocument::GetGateway(std::string& gateway) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    gateway = found ? m_xml.GetChildAttribute("gtw") : std::string();
    return found;
}

bool CConfigDocument::GetDhcpName(std::string& name) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    name = found ? m_xml.GetChildAttribute("dhcp") : std::string();
    return found;
}

bool CConfigDocument::GetSoftwareAddress(int32_t& address) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    address = found ? JxConfigNumber(m_xml.GetChildAttribute("sw")) : 0;
    return found;
}

bool CConfigDocument::GetErtdSignNumber(int32_t& number) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("ADDR");
    const std::string text = found ? m_xml.GetChildAttribute("ertd") : std::string();
    number = text.empty() ? 1 : JxConfigNumber(text);
    return found;
}

bool CConfigDocument::SetIpAddress(std::string_view ip) { return SetChild("ADDR", "ip", ip); }
bool CConfigDocument::SetSubnetMask(std::string_view mask) { return SetChild("ADDR", "msk", mask); }
bool CConfigDocument::SetGateway(std::string_view gateway)
{
    // Controllers take an empty gateway for "none"; they do not take 0.0.0.0.
    return SetChild("ADDR", "gtw", gateway == "0.0.0.0" ? std::string_view() : gateway);
}
bool CConfigDocument::SetDhcpName(std::string_view name) { return SetChild("ADDR", "dhcp", name); }
bool CConfigDocument::SetSoftwareAddress(int32_t address) { return SetChild("ADDR", "sw", Decimal(address)); }
bool CConfigDocument::SetErtdSignNumber(int32_t number) { return SetChild("ADDR", "ertd", Decimal(number)); }

// ---- TIME ---------------------------------------------------------------------

namespace {
bool ReadTime(CXmlDocument& xml, bool found, const char* name, int32_t& value)
{
    if (found) value = JxConfigNumber(xml.GetChildAttribute(name));
    return found;
}
}  // namespace

bool CConfigDocument::GetTimeZone(int32_t& minutesEast) const
{
    CTopWhenDone top(m_xml);
    return ReadTime(m_xml, FindChild("TIME"), "zn", minutesEast);
}

bool CConfigDocument::GetDaylightSaving(int32_t& enabled) const
{
    CTopWhenDone top(m_xml);
    return ReadTime(m_xml, FindChild("TIME"), "dst", enabled);
}

bool CConfigDocument::GetClockMode(int32_t& mode) const
{
    CTopWhenDone top(m_xml);
    return ReadTime(m_xml, FindChild("TIME"), "clk", mode);
}

bool CConfigDocument::SetTimeZone(int32_t minutesEast) { return SetChild("TIME", "zn", Decimal(minutesEast)); }
bool CConfigDocument::SetDaylightSaving(int32_t enabled) { return SetChild("TIME", "dst", Decimal(enabled)); }
bool CConfigDocument::SetClockMode(int32_t mode) { return SetChild("TIME", "clk", Decimal(mode)); }

// ---- ENET and SCRTY -----------------------------------------------------------

bool CConfigDocument::GetEthernetMode(int32_t& index) const
{
    CTopWhenDone top(m_xml);
    index = kJxEthernetAuto;
    if (!FindChild("ENET")) return false;
    const std::string speed = m_xml.GetChildAttribute("spd");
    const bool half = SameNoCase(m_xml.GetChildAttribute("dplx"), "half");
    if (SameNoCase(speed, "10"))
        index = half ? kJxEthernet10Half : kJxEthernet10Full;
    else if (SameNoCase(speed, "100"))
        index = half ? kJxEthernet100Half : kJxEthernet100Full;
    return true;
}

bool CConfigDocument::SetEthernetMode(int32_t index)
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) return false;
    // The pair is written whole or not at all: in a start tag that readers
    // stop short in, the speed can take while the duplex cannot.
    const CXmlDocument before = m_xml;
    if (!m_xml.FindNextChild("ENET")) {
        if (!m_xml.AppendChild("ENET")) return false;
        Write(m_xml, Which::Child, "spd", "AUTO");
        Write(m_xml, Which::Child, "dplx", "AUTO");
    }
    const char* speed = "AUTO";
    const char* duplex = "AUTO";
    switch (index) {
    case kJxEthernet10Half: speed = "10", duplex = "HALF"; break;
    case kJxEthernet10Full: speed = "10", duplex = "FULL"; break;
    case kJxEthernet100Half: speed = "100", duplex = "HALF"; break;
    case kJxEthernet100Full: speed = "100", duplex = "FULL"; break;
    default: break;
    }
    const bool written =
        Write(m_xml, Which::Child, "spd", speed) && Write(m_xml, Which::Child, "dplx", duplex);
    return KeepWrite(before, written);
}

bool CConfigDocument::GetSecurity(std::string& user, std::string& password) const
{
    CTopWhenDone top(m_xml);
    const bool found = FindChild("SCRTY");
    user = found ? m_xml.GetChildAttribute("user") : std::string();
    password = found ? m_xml.GetChildAttribute("pswrd") : std::string();
    if (user.empty()) user = "Admin";
    return found;
}

bool CConfigDocument::SetSecurity(std::string_view user, std::string_view password)
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) return false;
    // User and password are written together or not at all.
    const CXmlDocument before = m_xml;
    if (!m_xml.FindNextChild("SCRTY") && !m_xml.AppendChild("SCRTY")) return KeepWrite(before, false);
    // A blank user name resets the controller's log-in to its factory one.
    if (user.empty()) {
        user = "Admin";
        password = {};
    }
    const bool written = Write(m_xml, Which::Child, "user", user) && Write(m_xml, Which::Child, "pswrd", password);
    return KeepWrite(before, written);
}

// ---- ports --------------------------------------------------------------------

bool CConfigDocument::IsSerialRole(Role role) { return role == Role::RequiredSerial || role == Role::RtdSerial; }

bool CConfigDocument::MatchesRole(Role role, const std::string& type, const std::string& protocol)
{
    switch (role) {
    case Role::RequiredSerial: return IsSerialType(type) && IsOwnProtocol(protocol);
    case Role::Ethernet: return type == "TCPIP" && IsOwnProtocol(protocol);
    case Role::RtdSerial: return IsSerialType(type) && protocol == "RTD";
    case Role::RtdNetwork: return (type == "TCPIP" || type == "UDPIP") && protocol == "RTD";
    }
    return false;
}

bool CConfigDocument::FindPort(Role role) const
{
    if (!FindRoot()) return false;
    while (m_xml.FindNextChild("PORT")) {
        if (MatchesRole(role, m_xml.GetChildAttribute("type"), m_xml.GetChildAttribute("protocol"))) return true;
    }
    return false;
}

CConfigDocument::PortReading CConfigDocument::ReadPort(Role role) const
{
    CTopWhenDone top(m_xml);
    PortReading reading;
    if (!FindPort(role)) return reading;
    reading.found = true;
    PortEntry& port = reading.entry;
    const std::string num = m_xml.GetChildAttribute("num");
    port.type = m_xml.GetChildAttribute("type");
    port.protocol = m_xml.GetChildAttribute("protocol");
    port.num = JxConfigNumber(num);
    if (!IsSerialRole(role)) {
        reading.complete = !num.empty();
        return reading;
    }
    const std::string baud = m_xml.GetChildAttribute("baud");
    const std::string hdsk = m_xml.GetChildAttribute("hdsk");
    port.initstr = m_xml.GetChildAttribute("initstr");
    port.baud = JxConfigNumber(baud);
    port.hdsk = JxConfigNumber(hdsk);
    const bool complete = !num.empty() && !baud.empty() && !hdsk.empty();
    reading.complete = complete && (role != Role::RequiredSerial || !port.initstr.empty());
    return reading;
}

CConfigDocument::PortReadings CConfigDocument::ReadPorts() const
{
    PortReadings readings;
    for (size_t i = 0; i < kRoles; ++i) readings[i] = ReadPort(static_cast<Role>(i));
    return readings;
}

bool CConfigDocument::GetPort(Role role, PortEntry& port) const
{
    PortReading reading = ReadPort(role);
    port = std::move(reading.entry);
    return reading.complete;
}

CConfigDocument::PortReading CConfigDocument::WrittenReading(Role role, PortEntry fields, bool serialFields)
{
    PortReading reading;
    reading.found = true;
    if (!IsSerialRole(role) || !serialFields) {
        fields.initstr.clear();
        fields.baud = fields.hdsk = 0;
    }
    reading.complete =
        !IsSerialRole(role) || (serialFields && (role != Role::RequiredSerial || !fields.initstr.empty()));
    reading.entry = std::move(fields);
    return reading;
}

bool CConfigDocument::SetPort(Role role, const PortEntry& port)
{
    {
        CTopWhenDone top(m_xml);
        if (!FindRoot()) return false;
    }
    const CXmlDocument before = m_xml;
    PortReadings expected = ReadPorts();
    PortReading& mine = expected[static_cast<size_t>(role)];
    if (!mine.found) {
        // A new entry of another type or protocol is no entry of this role.
        const bool added = AddPort(port, IsSerialRole(role));
        return KeepWrite(before, added && ReadPort(role).found);
    }

    // The existing entry keeps its protocol; a network entry its type too.
    PortEntry fields = mine.entry;
    fields.num = port.num;
    bool written;
    {
        CTopWhenDone top(m_xml);
        written = FindPort(role);
        if (IsSerialRole(role)) {
            fields.type = port.type;
            fields.baud = port.baud;
            fields.initstr = port.initstr;
            fields.hdsk = port.hdsk;
            written = written && Write(m_xml, Which::Child, "type", port.type);
            written = written && Write(m_xml, Which::Child, "num", Decimal(port.num));
            written = written && Write(m_xml, Which::Child, "baud", Decimal(port.baud));
            written = written && Write(m_xml, Which::Child, "initstr", port.initstr);
            written = written && Write(m_xml, Which::Child, "hdsk", Decimal(port.hdsk));
        } else {
            written = written && Write(m_xml, Which::Child, "num", Decimal(port.num));
        }
    }
    mine = WrittenReading(role, fields, true);
    return KeepPortWrite(before, written, expected);
}

bool CConfigDocument::GetRequiredSerialPort(PortEntry& port) const { return GetPort(Role::RequiredSerial, port); }
bool CConfigDocument::GetEthernetPort(PortEntry& port) const { return GetPort(Role::Ethernet, port); }
bool CConfigDocument::GetRtdSerialPort(PortEntry& port) const { return GetPort(Role::RtdSerial, port); }
bool CConfigDocument::GetRtdNetworkPort(PortEntry& port) const { return GetPort(Role::RtdNetwork, port); }
bool CConfigDocument::SetRequiredSerialPort(const PortEntry& port) { return SetPort(Role::RequiredSerial, port); }
bool CConfigDocument::SetEthernetPort(const PortEntry& port) { return SetPort(Role::Ethernet, port); }
bool CConfigDocument::SetRtdSerialPort(const PortEntry& port) { return SetPort(Role::RtdSerial, port); }
bool CConfigDocument::SetRtdNetworkPort(const PortEntry& port) { return SetPort(Role::RtdNetwork, port); }

bool CConfigDocument::AppendPort(const PortEntry& port, bool serialFields)
{
    CTopWhenDone top(m_xml);
    // With no current child the new PORT goes after every other child of CFG.
    if (!FindRoot() || !m_xml.AppendChild("PORT")) return false;
    bool ok = Write(m_xml, Which::Child, "type", port.type);
    ok = ok && Write(m_xml, Which::Child, "protocol", port.protocol);
    ok = ok && Write(m_xml, Which::Child, "num", Decimal(port.num));
    if (serialFields) {
        ok = ok && Write(m_xml, Which::Child, "baud", Decimal(port.baud));
        ok = ok && Write(m_xml, Which::Child, "initstr", port.initstr);
        ok = ok && Write(m_xml, Which::Child, "hdsk", Decimal(port.hdsk));
    }
    return ok;
}

bool CConfigDocument::AddPort(const PortEntry& port, bool serialFields)
{
    {
        CTopWhenDone top(m_xml);
        if (!FindRoot()) return false;
    }
    const CXmlDocument before = m_xml;
    PortReadings expected = ReadPorts();
    for (size_t i = 0; i < kRoles; ++i) {
        const Role role = static_cast<Role>(i);
        if (!expected[i].found && MatchesRole(role, port.type, port.protocol))
            expected[i] = WrittenReading(role, port, serialFields);
    }
    return KeepPortWrite(before, AppendPort(port, serialFields), expected);
}

bool CConfigDocument::KeepPortWrite(const CXmlDocument& before, bool written, const PortReadings& expected)
{
    // Readers of the text would see another port than the one written, or the
    // write stopped half way: the document goes back to what it was.
    return KeepWrite(before, written && ReadPorts() == expected);
}

void CConfigDocument::RemovePorts(bool legacyIpOnly)
{
    CTopWhenDone top(m_xml);
    if (!FindRoot()) return;
    // After a removal the previous PORT is the current child again, so the
    // next search goes on right behind the removed one.
    while (m_xml.FindNextChild("PORT")) {
        if (legacyIpOnly) {
            const std::string type = m_xml.GetChildAttribute("type");
            const std::string protocol = m_xml.GetChildAttribute("protocol");
            if (!SameNoCase(type, "IP") || !(SameNoCase(protocol, "Kor") || SameNoCase(protocol, "HTCH"))) continue;
        }
        if (!m_xml.RemoveCurrentChild()) return;
    }
}

void CConfigDocument::RemoveAllPorts() { RemovePorts(false); }
void CConfigDocument::RemoveLegacyIpPorts() { RemovePorts(true); }
