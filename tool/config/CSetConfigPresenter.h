// The rules of the "Set Configuration" window, the tool's main function: the
// display description (technology panel and Display Name), the time zone and
// daylight saving, "Use Default" against the advanced options, and the
// writes of "&Set Configuration" into CONFIG.XML with the headings of every
// write that failed.
//
// The advanced options live in a ConfigWorkset, the working copy that the
// "Set Advanced Configuration" window (CAdvancedConfigPresenter) edits and
// that "&Set Configuration" writes when "Use Default" is off. With "Use
// Default" on, the tool's factory defaults are written instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "CConfigDocument.h"
#include "CDisplayTypeEditor.h"
#include "CTimeZoneList.h"
#include "shell/MessageBox.h"

class CJxConfigApp;
class CXmlDocument;
struct CFactoryDefaults;

// The limits and values the Set Configuration window falls back on for what
// the factory defaults do not hold.
inline constexpr int32_t kJxDefaultThermalLow = 55;
inline constexpr int32_t kJxDefaultThermalHigh = 65;
inline constexpr int32_t kJxDefaultBrightnessLow = 0;
inline constexpr int32_t kJxDefaultBrightnessHigh = 100;
inline constexpr int32_t kJxDefaultRefreshRate = 120;
inline constexpr int32_t kJxDefaultErtdSignNumber = 1;
// The RTD serial port always sits on the controller's second serial port,
// the required one on its first.
inline constexpr int32_t kJxRequiredSerialPortNumber = 1;
inline constexpr int32_t kJxRtdSerialPortNumber = 2;
// The baud the RTD serial port runs at unless the operator changes it.
inline constexpr int32_t kJxDefaultRtdBaud = 19200;

inline constexpr const char* kJxSetConfigWriteFailed = "The following settings couldn't be saved to CONFIG.XML:";

// The headings appended to the summary for each write that failed, in the
// order the writes are made.
inline constexpr const char* kJxHeadingFileMode = "\nVersion 1 File Mode";
inline constexpr const char* kJxHeadingLogMax = "\nLog File Max Size";
inline constexpr const char* kJxHeadingGamma = "\nGamma Correction";
inline constexpr const char* kJxHeadingRequiredPort = "\nDirect Port";
inline constexpr const char* kJxHeadingEthernetPort = "\nIP Port";
inline constexpr const char* kJxHeadingRtdSerialPort = "\nDirect RTD Port";
inline constexpr const char* kJxHeadingRtdNetworkPort = "\nTCP/IP RTD Port";
inline constexpr const char* kJxHeadingDisplayType = "\nDisplay Type";
inline constexpr const char* kJxHeadingModuleId = "\nModule ID";
inline constexpr const char* kJxHeadingDescription = "\nDescription";
inline constexpr const char* kJxHeadingTimeZone = "\nTime Zone";
inline constexpr const char* kJxHeadingDaylightSaving = "\nDaylight Savings";
inline constexpr const char* kJxHeadingErtd = "\nERTD Address";
inline constexpr const char* kJxHeadingBrightnessLow = "\nLow Brightness Limit";
inline constexpr const char* kJxHeadingBrightnessHigh = "\nHigh Brightness Limit";
inline constexpr const char* kJxHeadingThermalLow = "\nLow Thermal Protection Threshold";
inline constexpr const char* kJxHeadingThermalHigh = "\nHigh Thermal Protection Threshold";
inline constexpr const char* kJxHeadingRefreshRate = "\nRefresh Rate";
inline constexpr const char* kJxHeadingEthernetMode = "\nEthernet Configuration";
inline constexpr const char* kJxHeadingSecurity = "\nSecurity Settings";

// A gamma text as a number: optional white space, an optional sign, digits
// with an optional decimal point; 0 for anything else. The same in every
// locale (the window's texts always use a point).
double JxGammaValue(std::string_view text);
// Hundredths as gamma text with two decimals: 220 -> "2.20".
std::string JxGammaText(int32_t hundredths);

// The working copy of everything the window writes besides its own fields.
// The values before a document is read are those below; Open fills it.
struct ConfigWorkset {
    int32_t fileMode = 0;            // mode: 0 volatile, 1 non-volatile
    std::string gamma{};               // gamma, "2.20"
    std::string logMax{};              // logmax, decimal text
    PortEntry requiredSerialPort{};    // DIRECT or MODEM, Kor or HTCH
    PortEntry ethernetPort{};          // TCPIP, Kor or HTCH
    PortEntry rtdNetworkPort{};        // UDPIP or TCPIP, RTD
    PortEntry rtdSerialPort{};         // DIRECT, RTD
    bool rtdSerialEnabled = false;   // the RTD serial port is written
    bool rtdNetworkEnabled = false;  // the RTD network port is written
    int32_t ertdSignNumber = kJxDefaultErtdSignNumber;  // ADDR ertd
    int32_t defaultThermalLow = kJxDefaultThermalLow;
    int32_t defaultThermalHigh = kJxDefaultThermalHigh;
    std::string moduleId{};            // mid
    std::string displayType{};         // type
    int32_t thermalLow = -1;         // tpl
    int32_t thermalHigh = -1;        // tph
    int32_t defaultRefreshRate = kJxDefaultRefreshRate;
    int32_t refreshRate = kJxDefaultRefreshRate;  // rfr
    int32_t brightnessLow = -1;      // ldl
    int32_t brightnessHigh = -1;     // hdl
    int32_t defaultBrightnessLow = kJxDefaultBrightnessLow;
    int32_t defaultBrightnessHigh = kJxDefaultBrightnessHigh;
    int32_t ethernetMode = kJxEthernetAuto;  // ENET as a JxEthernetMode index
    std::string securityUser{};        // SCRTY user, "Admin" when absent
    std::string securityPassword{};    // SCRTY pswrd

    bool operator==(const ConfigWorkset&) const = default;
};

// What the operator sets in the window itself.
struct CSetConfigInput {
    std::string displayName;          // "Display Name:" (ds)
    int32_t zoneSelection = -1;       // position in CTimeZoneList::Items(); -1: none
    bool daylightSaving = true;       // "Daylight Savings Time:" "Enabled" (dst)
    bool useDefault = false;          // "Advanced Options:" "Use Default"

    bool operator==(const CSetConfigInput&) const = default;
};

// What the window shows.
struct CSetConfigState {
    CSetConfigInput input;
    bool advancedEnabled = true;      // "Advanced >>>": exactly while Use Default is off
    // The "Technology:" list (shown disabled once a document was read) and
    // the technology panel, as CDisplayTypeEditor holds them.
    int32_t technologySelection = 0;
    bool technologyListEnabled = true;
    CTechnologyPanelState panel;

    bool operator==(const CSetConfigState&) const = default;
};

// What "&Set Configuration" hands back.
struct CSetConfigResult {
    // Every write succeeded: close with success, so the flow sends the
    // document and resets the display.
    bool accepted = false;
    // The heading of each failed write, in write order ("\nGamma Correction
    // \nIP Port"); empty when accepted.
    std::string summary;
    // kJxSetConfigWriteFailed directly followed by the summary; empty when
    // accepted. The window stays open and shows it.
    std::string message;
    JxMessageKind kind = JxMessageKind::Critical;
    // On success, the connection the Connect window starts from next time:
    // the required serial port's baud, the Ethernet port's number and
    // whether that is the factory TCP/IP port.
    int32_t serialBaud = 0;
    int32_t socketNumber = 0;
    bool socketIsDefault = true;

    // Stores the three connection settings in the application's saved
    // choices; does nothing unless accepted.
    void ApplyTo(CJxConfigApp& app) const;
    bool operator==(const CSetConfigResult&) const = default;
};

// Fills the advanced part of `workset` from `document` and says whether it
// differs from the factory defaults (then "Use Default" opens off). Read:
// mode, gamma (default when empty), logmax (default when empty), the four
// ports (missing fields of the required and Ethernet ports completed with
// the defaults; an RTD port is enabled when the document has an entry of
// its role, and an entry that lacks its number or baud is completed from
// the defaults rather than dropped, and counts as differing), ertd, tpl/tph,
// ldl/hdl, rfr, ENET and SCRTY. The display type and module identifier are
// not touched here. Gamma is compared as a number ("2.2" is "2.20"), log max
// as an integer; the refresh rate and the protocols are not compared.
bool JxReadConfigWorkset(const CConfigDocument& document, const CFactoryDefaults& defaults, ConfigWorkset& workset);

// "&Set Configuration" on `document`: removes every PORT, then writes, in
// this order, each write tried whatever failed before: file mode, log max,
// gamma, the required serial port, the Ethernet port, the RTD serial and
// RTD network ports, then type, mid, ds, zn, dst, ertd, ldl, hdl, tpl, tph,
// rfr, ENET and SCRTY. With `input.useDefault` the factory defaults replace
// the advanced options in `workset` first (both RTD ports enabled, ERTD 1,
// thermal 55/65, brightness 0/100, ethernet autonegotiate; the refresh rate
// stays), so the working copy then holds what was written. Without it, an
// RTD port is written only while enabled. With no zone selected zn keeps the
// value the document holds. A failed write leaves the document as it was
// before that write; the others stay written.
CSetConfigResult JxWriteConfiguration(const CSetConfigInput& input, ConfigWorkset& workset, CConfigDocument& document,
                                      const CFactoryDefaults& defaults);

class CSetConfigPresenter {
public:
    // The catalogue (MODULES.XML) and the defaults must outlive the presenter.
    CSetConfigPresenter(const CXmlDocument& catalogue, const CFactoryDefaults& defaults);
    CSetConfigPresenter(const CSetConfigPresenter&) = delete;
    CSetConfigPresenter& operator=(const CSetConfigPresenter&) = delete;

    // Opening the window on a fetched CONFIG.XML: the technology panel,
    // Display Name, display type and module identifier from type, ds and mid
    // (CDisplayTypeEditor), the working copy and "Use Default"
    // (JxReadConfigWorkset: on, with "Advanced >>>" disabled, exactly when
    // everything is at its default), the check box from dst (on without
    // TIME) and the zone whose offset is zn (0 without TIME; an offset the
    // list does not have selects nothing).
    CSetConfigState Open(const CConfigDocument& document);

    // "Use Default" clicked (or any field changed): "Advanced >>>" is enabled
    // exactly while the box is off.
    CSetConfigState Change(const CSetConfigInput& input);

    // The operator chose an item of the technology panel: the display type
    // and module identifier of the working copy are composed anew and the
    // Display Name replaced by the generated one. The other fields are taken
    // from `input`. An index the list does not have changes nothing.
    CSetConfigState ChooseHeight(const CSetConfigInput& input, int32_t index);
    CSetConfigState ChooseWidth(const CSetConfigInput& input, int32_t index);
    CSetConfigState ChooseColourDepth(const CSetConfigInput& input, int32_t index);
    CSetConfigState ChooseModule(const CSetConfigInput& input, int32_t index);

    // "&Set Configuration": JxWriteConfiguration with the working copy. The
    // window closes with success when accepted (then ApplyTo the app).
    CSetConfigResult Set(const CSetConfigInput& input, CConfigDocument& document);

    const CSetConfigState& State() const { return m_state; }
    // The working copy: "Advanced >>>" hands it to CAdvancedConfigPresenter,
    // whose Apply stores into it.
    ConfigWorkset& Workset() { return m_workset; }
    const ConfigWorkset& Workset() const { return m_workset; }
    // The "Time Zone:" items (labels and offsets).
    const CTimeZoneList& TimeZones() const { return m_zones; }
    const CDisplayTypeEditor& Editor() const { return m_editor; }

private:
    CSetConfigState Chose(const CSetConfigInput& input, bool chosen);

    const CFactoryDefaults& m_defaults;
    CDisplayTypeEditor m_editor;
    CTimeZoneList m_zones;
    ConfigWorkset m_workset;
    CSetConfigState m_state;
};
