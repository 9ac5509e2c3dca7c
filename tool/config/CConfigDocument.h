// CConfigDocument: the controller's CONFIG.XML as the configuration windows
// see it. It is the only code that knows the element and attribute names of
// the document; every window reads and writes values through the typed
// operations below, which turn numbers into decimal text and back, supply the
// tool's values for what is absent, create missing child elements and find
// the port entries by their type and protocol.
//
// Every operation needs a loaded document whose top-level element is CFG; it
// otherwise does nothing and returns false (getters then give the value an
// absent attribute stands for, except the TIME getters, which leave it).
// A write also returns false when the value cannot be read back afterwards,
// and a write that returns false leaves the text as it was.
// Every operation leaves the navigation cursor at the top, so they can be
// called in any order. Nothing here shows a message: the windows turn a
// false into their own texts.
// Elements and attributes the tool does not know stay in the text untouched.
//
// The text is Latin-1 (the tool's code page); LoadText takes the controller's
// UTF-8 bytes and GetText gives the edited Latin-1 text back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/CXmlDocument.h"

// One PORT element in memory. Absent numbers read as 0, absent texts empty.
struct PortEntry {
    std::string type;      // "DIRECT", "MODEM", "TCPIP", "UDPIP" ("IP" in old documents)
    std::string protocol;  // "Kor", "HTCH", "RTD"
    std::string initstr;   // modem initialisation string; empty for DIRECT
    int32_t hdsk = 0;      // 0 none, 1 RTS, 2 RTS/CTS
    int32_t baud = 0;
    int32_t num = 0;       // serial port index, or TCP/UDP port number

    bool operator==(const PortEntry&) const = default;
};

// The ethernet speed and duplex pair as one list index.
enum JxEthernetMode : int32_t {
    kJxEthernetAuto = 0,
    kJxEthernet10Half = 1,
    kJxEthernet10Full = 2,
    kJxEthernet100Half = 3,
    kJxEthernet100Full = 4,
};

class CConfigDocument {
public:
    // Decodes the controller's UTF-8 text, puts a CR before every LF that has
    // none, and parses it. The document counts as loaded exactly when the
    // parse succeeded; a text that does not parse leaves it unloaded.
    bool LoadText(std::string_view utf8Text);
    bool IsLoaded() const { return m_loaded; }
    // The document text with every edit so far (Latin-1).
    const std::string& GetText() const { return m_xml.GetText(); }

    // ---- CFG attributes ----------------------------------------------------
    // Texts read empty when absent.
    bool GetDisplayType(std::string& type) const;          // type
    bool SetDisplayType(std::string_view type);
    bool GetDescription(std::string& description) const;   // ds, the Display Name
    bool SetDescription(std::string_view description);
    bool GetModuleId(std::string& moduleId) const;         // mid
    bool SetModuleId(std::string_view moduleId);
    bool GetGamma(std::string& gamma) const;               // gamma, "2.20"
    bool SetGamma(std::string_view gamma);
    bool GetLogMax(std::string& logMax) const;             // logmax
    bool SetLogMax(std::string_view logMax);
    // mode: 0 volatile, 1 non-volatile; 0 and false without a document.
    bool GetFileMode(int32_t& mode) const;
    bool SetFileMode(int32_t mode);
    // tpl: 55 when absent.
    bool GetThermalLow(int32_t& value) const;
    bool SetThermalLow(int32_t value);
    // tph: 65 when absent, and then false.
    bool GetThermalHigh(int32_t& value) const;
    bool SetThermalHigh(int32_t value);
    // ldl: 0 when absent.
    bool GetBrightnessLow(int32_t& value) const;
    bool SetBrightnessLow(int32_t value);
    // hdl: 100 when absent, and then false.
    bool GetBrightnessHigh(int32_t& value) const;
    bool SetBrightnessHigh(int32_t value);
    // rfr: 120 when absent.
    bool GetRefreshRate(int32_t& value) const;
    bool SetRefreshRate(int32_t value);

    // ---- ADDR ----------------------------------------------------------------
    // Getters return false when ADDR is absent and then give the value a
    // document without it stands for (empty texts, sw 0, ertd 1). Setters add
    // ADDR when it is absent.
    bool GetIpAddress(std::string& ip) const;       // ip; "0.0.0.0" means DHCP
    bool SetIpAddress(std::string_view ip);
    bool GetSubnetMask(std::string& mask) const;    // msk
    bool SetSubnetMask(std::string_view mask);
    bool GetGateway(std::string& gateway) const;    // gtw
    bool SetGateway(std::string_view gateway);      // "0.0.0.0" is written empty
    bool GetDhcpName(std::string& name) const;      // dhcp
    bool SetDhcpName(std::string_view name);
    bool GetSoftwareAddress(int32_t& address) const;  // sw; 0 = off
    bool SetSoftwareAddress(int32_t address);
    bool GetErtdSignNumber(int32_t& number) const;    // ertd; 1 when absent
    bool SetErtdSignNumber(int32_t number);

    // ---- TIME ----------------------------------------------------------------
    // Getters return false when TIME is absent and leave the value as the
    // caller set it (a document without TIME means zone 0, daylight saving
    // on, clock mode 0). Setters add TIME when it is absent.
    bool GetTimeZone(int32_t& minutesEast) const;   // zn
    bool SetTimeZone(int32_t minutesEast);
    bool GetDaylightSaving(int32_t& enabled) const; // dst: 1 on, 0 off
    bool SetDaylightSaving(int32_t enabled);
    bool GetClockMode(int32_t& mode) const;         // clk: 0..4
    bool SetClockMode(int32_t mode);

    // ---- ENET and SCRTY ------------------------------------------------------
    // The speed and duplex pair as a JxEthernetMode index; 0 and false when
    // ENET is absent.
    bool GetEthernetMode(int32_t& index) const;
    // Adds ENET when absent and writes the pair; an index outside 1..4 is
    // written as autonegotiate.
    bool SetEthernetMode(int32_t index);
    // user and pswrd; an empty user reads "Admin". "Admin", "" and false when
    // SCRTY is absent.
    bool GetSecurity(std::string& user, std::string& password) const;
    // Adds SCRTY when absent. An empty user writes "Admin" and an empty
    // password, whatever password was given.
    bool SetSecurity(std::string_view user, std::string_view password);

    // ---- ports ---------------------------------------------------------------
    // Four roles, each the first PORT in document order whose type and
    // protocol match exactly:
    //   required serial port  DIRECT or MODEM, Kor or HTCH
    //   Ethernet port         TCPIP,          Kor or HTCH
    //   RTD serial port       DIRECT or MODEM, RTD
    //   RTD network port      TCPIP or UDPIP,  RTD
    // The serial getters fill every field and return true only when the entry
    // exists with num, baud and hdsk (and, for the required serial port,
    // initstr) given; a DIRECT entry, whose initstr is empty, therefore reads
    // as false with its fields filled. The network getters fill type,
    // protocol and num, true when the entry exists with num given. Without
    // an entry of the role, `port` is handed back empty.
    bool GetRequiredSerialPort(PortEntry& port) const;
    bool GetEthernetPort(PortEntry& port) const;
    bool GetRtdSerialPort(PortEntry& port) const;
    bool GetRtdNetworkPort(PortEntry& port) const;
    // Serial setters write type, num, baud, initstr and hdsk on the existing
    // entry of the role; network setters write only its num. Without one,
    // a new PORT is added with every field of the role.
    // A port write succeeds only when afterwards the role's getter reads the
    // values written and the other three roles read what they did before; a
    // damaged start tag earlier in the text (a quote left open) can take in
    // the new text and read differently. Otherwise it returns false and the
    // text is left exactly as it was.
    bool SetRequiredSerialPort(const PortEntry& port);
    bool SetEthernetPort(const PortEntry& port);
    bool SetRtdSerialPort(const PortEntry& port);
    bool SetRtdNetworkPort(const PortEntry& port);
    // Appends a PORT to CFG with type, protocol and num, and with the serial
    // fields baud, initstr and hdsk too when `serialFields`. The same check:
    // the new entry reads back as written, a role that had an entry still
    // reads it, and a role that had none reads the new entry when it matches.
    bool AddPort(const PortEntry& port, bool serialFields);
    // Removes every PORT of CFG.
    void RemoveAllPorts();
    // Removes every PORT whose type is "IP" and whose protocol is "Kor" or
    // "HTCH", without regard to case: entries that older documents carry and
    // that controllers no longer accept.
    void RemoveLegacyIpPorts();

    // The document itself, for reading its text in tests and tools.
    const CXmlDocument& Document() const { return m_xml; }

private:
    enum class Role { RequiredSerial, Ethernet, RtdSerial, RtdNetwork };
    static constexpr size_t kRoles = 4;
    // One role as its getter reads it.
    struct PortReading {
        bool found = false;     // an entry of the role exists
        bool complete = false;  // what the getter returns
        PortEntry entry;        // what the getter hands back
        bool operator==(const PortReading&) const = default;
    };
    using PortReadings = std::array<PortReading, kRoles>;

    // Cursor on CFG (current element) or false; the cursor is at the top
    // again after a false.
    bool FindRoot() const;
    // Cursor on CFG with `child` as its current child, or false.
    bool FindChild(std::string_view child) const;
    bool GetRootText(std::string_view name, std::string& value) const;
    bool GetRootNumber(std::string_view name, int32_t& value, int32_t absent, bool absentIsFailure) const;
    bool SetRoot(std::string_view name, std::string_view value);
    // Writes an attribute of a child of CFG, adding the child when absent.
    bool SetChild(std::string_view child, std::string_view name, std::string_view value);
    static bool IsSerialRole(Role role);
    static bool MatchesRole(Role role, const std::string& type, const std::string& protocol);
    // What the role's getter reads from an entry written with `fields` (the
    // serial ones only when `serialFields`).
    static PortReading WrittenReading(Role role, PortEntry fields, bool serialFields);
    // Cursor on CFG with the first PORT of the role as its current child.
    bool FindPort(Role role) const;
    PortReading ReadPort(Role role) const;
    PortReadings ReadPorts() const;
    bool GetPort(Role role, PortEntry& port) const;
    bool SetPort(Role role, const PortEntry& port);
    // AddPort's writes, each read back on the new element only.
    bool AppendPort(const PortEntry& port, bool serialFields);
    // Keeps a write that succeeded; after one that did not, puts the document
    // back as it was before and returns false.
    bool KeepWrite(const CXmlDocument& before, bool written);
    // Keeps a port write when it succeeded and every role reads as expected;
    // otherwise puts the document back as it was before and returns false.
    bool KeepPortWrite(const CXmlDocument& before, bool written, const PortReadings& expected);
    void RemovePorts(bool legacyIpOnly);

    // Navigation moves the cursor even for a read; every operation puts it
    // back at the top before it returns.
    mutable CXmlDocument m_xml;
    bool m_loaded = false;
};

// Decimal text as CONFIG.XML values are read: optional white space, an
// optional sign and the leading digits; 0 for empty or non-numeric text.
// Values beyond 32 bits stop at the nearest limit.
int32_t JxConfigNumber(std::string_view text);
