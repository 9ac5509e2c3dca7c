// The rules of the "Set Advanced Configuration" window: it edits the working
// copy (ConfigWorkset) of the Set Configuration window and never touches
// CONFIG.XML. While the operator types or uses the arrow controls it keeps
// every field inside its limits; "&Apply" checks the port numbers (and stops
// on a bad one), forces out-of-range values to a limit, stores everything in
// the working copy and reports every correction in one message.
//
// Every reaction takes the window's current state (as the operator left the
// fields) and returns the state the window then shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "CSetConfigPresenter.h"
#include "shell/MessageBox.h"

struct CFactoryDefaults;

// The lists of the window, item by item; a selection is a position in them.
inline constexpr std::array<const char*, 2> kJxConnectionTypeItems = {"Direct", "Modem"};
inline constexpr std::array<const char*, 2> kJxProtocolItems = {"Tolvar", "Brellmart"};   // "Kor", "HTCH"
inline constexpr std::array<const char*, 1> kJxEthernetProtocolItems = {"Tolvar"};
inline constexpr std::array<const char*, 7> kJxBaudRateItems = {"2400",  "4800",  "19200", "28800",
                                                                 "38400", "57600", "115200"};
inline constexpr std::array<const char*, 3> kJxHandshakeItems = {"None", "RTS", "RTS/CTS"};
inline constexpr std::array<const char*, 2> kJxRtdConnectionTypeItems = {"TCP/IP", "UDP/IP"};
inline constexpr std::array<const char*, 2> kJxFileModeItems = {"Volatile", "Non-volatile"};
inline constexpr std::array<const char*, 5> kJxEthernetModeItems = {"Autonegotiate", "10 Half", "10 Full",
                                                                    "100 Half", "100 Full"};
// Positions in the lists above that the rules name.
inline constexpr int32_t kJxConnectionDirect = 0;
inline constexpr int32_t kJxConnectionModem = 1;
inline constexpr int32_t kJxProtocolKor = 0;
inline constexpr int32_t kJxProtocolHtch = 1;
inline constexpr int32_t kJxBaud19200 = 2;
inline constexpr int32_t kJxBaud115200 = 6;
inline constexpr int32_t kJxRtdTcpIp = 0;
inline constexpr int32_t kJxRtdUdpIp = 1;

// Limits the window keeps.
inline constexpr int32_t kJxBrightnessMin = 0;
inline constexpr int32_t kJxBrightnessMax = 100;
inline constexpr int32_t kJxThermalMin = 40;
inline constexpr int32_t kJxThermalMax = 85;
inline constexpr int32_t kJxRefreshRateMin = 1;
inline constexpr int32_t kJxRefreshRateMax = 120;
inline constexpr int32_t kJxErtdSignNumberMin = 0;
inline constexpr int32_t kJxErtdSignNumberMax = 99;
inline constexpr int32_t kJxLogSizeMin = 0;
inline constexpr int32_t kJxLogSizeMax = 1000000;
inline constexpr int32_t kJxNetworkPortMin = 1024;
inline constexpr int32_t kJxNetworkPortMax = 65535;
// The longest texts the filtered threshold and brightness edits take.
inline constexpr int kJxBrightnessEditLength = 3;
inline constexpr int kJxThermalEditLength = 2;

inline constexpr const char* kJxPortsInvalid = "One or more TCP/IP ports invalid.  Must be between 1024 and 65535.";
inline constexpr const char* kJxAdvancedErrorHead = "An error has been detected in the following settings: \n";
inline constexpr const char* kJxAdvancedErrorTail = "\n\nPlease review the settings and click Apply.";

// The lines "&Apply" reports, in the order it checks.
inline constexpr const char* kJxBrightnessLowEmpty =
    "\n\t- No value was entered for the Low brightness.  The Low brightness will be set to the minimum.";
inline constexpr const char* kJxBrightnessHighEmpty =
    "\n\t- No value was entered for the High brightness.  The High brightness will be set to the maximum.";
inline constexpr const char* kJxBrightnessLowAboveHigh = "\n\t- Low brightness greater than high brightness value.";
inline constexpr const char* kJxBrightnessHighBelowLow = "\n\t- High brightness less than low brightness value.";
inline constexpr const char* kJxBrightnessLowTooSmall =
    "\n\t- Low brightness less than minimum allowable value; forcing value to minimum.";
inline constexpr const char* kJxBrightnessLowTooLarge =
    "\n\t- Low brightness greater than maximum allowable value; forcing value to minimum.";
inline constexpr const char* kJxBrightnessHighTooSmall =
    "\n\t- High brightness less than minimum allowable value; forcing value to maximum.";
inline constexpr const char* kJxBrightnessHighTooLarge =
    "\n\t- High brightness greater than maximum allowable value; forcing value to maximum.";
inline constexpr const char* kJxThermalLowEmpty =
    "\n\t- No value was entered for the Low threshold.  The Low threshold will be set to the minimum.";
inline constexpr const char* kJxThermalHighEmpty =
    "\n\t- No value was entered for the High threshold.  The High threshold will be set to the maximum.";
inline constexpr const char* kJxThermalLowAboveHigh = "\n\t- Low threshold greater than high threshold value.";
inline constexpr const char* kJxThermalHighBelowLow = "\n\t- High threshold less than low threshold value.";
inline constexpr const char* kJxThermalLowTooSmall =
    "\n\t- Low threshold less than minimum allowable value; forcing value to minimum.";
inline constexpr const char* kJxThermalLowTooLarge =
    "\n\t- Low threshold greater than maximum allowable value; forcing value to minimum.";
inline constexpr const char* kJxThermalHighTooSmall =
    "\n\t- High threshold less than minimum allowable value; forcing value to maximum.";
inline constexpr const char* kJxThermalHighTooLarge =
    "\n\t- High threshold greater than maximum allowable value; forcing value to maximum.";
inline constexpr const char* kJxRefreshRateTooSmall =
    "\n\t- Refresh rate less than minimum allowable value; forcing value to minimum.";
inline constexpr const char* kJxRefreshRateTooLarge =
    "\n\t- Refresh rate greater than maximum allowable value; forcing value to maximum.";

// Which way an arrow control was pressed.
enum class JxArrow { Up, Down };

// Every field as the window shows it. List selections are positions in the
// item lists above; edits are their texts. The two Hand Shaking lists are
// always shown disabled (the values read are kept), the RTD network
// Connection Type list is always enabled, and the Refresh Rate edit is
// read-only with its arrow disabled unless refreshRateEnabled.
struct CAdvancedConfigState {
    // "Required Ports:", row "Tolvar Direct:" (port number fixed "1")
    int32_t connectionType = kJxConnectionDirect;
    int32_t requiredProtocol = kJxProtocolKor;
    int32_t baudRate = kJxBaud19200;
    bool baudRateEnabled = true;
    int32_t handshake = 0;
    // row "Tolvar Ethernet:" (connection type fixed "TCP/IP")
    std::string ethernetPort;
    // 1 for an "HTCH" Ethernet port, although the list offers only
    // "Tolvar": the window then shows no selection and the port keeps HTCH.
    int32_t ethernetProtocol = kJxProtocolKor;
    // "RTD Ports:", first row (Direct, port "2", protocol "RTD"); the check
    // box enables the Baud Rate list.
    bool rtdSerialEnabled = false;
    int32_t rtdBaudRate = kJxBaud19200;
    int32_t rtdHandshake = 0;
    // second row (protocol "RTD"); the check box enables the Port Number.
    bool rtdNetworkEnabled = false;
    int32_t rtdConnectionType = kJxRtdUdpIp;
    std::string rtdPort;
    // "Enhanced RTD Sign Number:"
    std::string signNumber;
    // "Thermal Protection Thresholds:"
    std::string thermalLow;
    std::string thermalHigh;
    // "Refresh Rate:"
    std::string refreshRate;
    bool refreshRateEnabled = false;
    // "Brightness Limits:"
    std::string brightnessLow;
    std::string brightnessHigh;
    // "Version 1 File Mode:" and "Ethernet Configuration:" lists
    int32_t fileMode = 0;
    int32_t ethernetMode = kJxEthernetAuto;
    // "Modem Initialization String:", enabled only for a Modem connection
    std::string modemInit;
    bool modemInitEnabled = false;
    // "Log File Maximum Size:" and "Gamma Correction:"
    std::string logSize;
    std::string gamma;
    // The Log File Maximum Size text was just corrected: the window selects
    // it whole. Cleared by every other reaction.
    bool selectLogSize = false;

    bool operator==(const CAdvancedConfigState&) const = default;
};

// What "&Apply" hands back.
struct CAdvancedApplyResult {
    // False: a TCP/IP port number is outside 1024..65535; `message` is
    // kJxPortsInvalid, nothing was stored and the window keeps its fields.
    bool stored = false;
    // Stored and nothing to report: the window closes.
    bool close = false;
    // The fields after the corrections (forced values written back).
    CAdvancedConfigState state;
    // Every correction or inconsistency found, each beginning "\n\t- ".
    std::string lines;
    // The message to show, empty when closing: kJxPortsInvalid, or
    // kJxAdvancedErrorHead + lines + kJxAdvancedErrorTail.
    std::string message;
    JxMessageKind kind = JxMessageKind::Warning;

    bool operator==(const CAdvancedApplyResult&) const = default;
};

class CAdvancedConfigPresenter {
public:
    // The defaults (modem init string, handshake, UDP port, gamma limits and
    // step) must outlive the presenter.
    explicit CAdvancedConfigPresenter(const CFactoryDefaults& defaults);

    // The fields from the working copy: the connection type from the
    // required port's type ("MODEM": Modem, baud "19200" disabled, init
    // string enabled and shown; otherwise Direct, the baud that begins with
    // the port's baud or "19200", init string empty and disabled), the
    // protocols ("HTCH": Brellmart), the Ethernet port number, file mode and
    // ethernet mode (unknown values: the first item), log size and gamma
    // texts, the numbers (one outside its limits shows the Set Configuration
    // default instead), the RTD check boxes from the enabled flags, the RTD
    // baud from the RTD serial port's own baud ("19200" when it is none of
    // the seven), and the RTD port number when that port is enabled, else
    // the factory UDP/IP port.
    CAdvancedConfigState Open(const ConfigWorkset& workset);

    // ---- lists and check boxes ------------------------------------------------
    // Modem: handshake := default, init string enabled and set to the working
    // copy's required port init string, baud "19200" disabled. Direct: baud
    // "19200" enabled, init string emptied and disabled. Other indexes change
    // nothing.
    CAdvancedConfigState ChangeConnectionType(const CAdvancedConfigState& state, int32_t index) const;
    // Brellmart: baud "115200" and disabled; Tolvar: "19200" and enabled.
    CAdvancedConfigState ChangeRequiredProtocol(const CAdvancedConfigState& state, int32_t index) const;
    CAdvancedConfigState ChangeEthernetProtocol(const CAdvancedConfigState& state, int32_t index) const;
    CAdvancedConfigState ChangeRtdConnectionType(const CAdvancedConfigState& state, int32_t index) const;
    // The check boxes enable their dependent control and set their flag.
    CAdvancedConfigState ClickRtdSerial(const CAdvancedConfigState& state, bool checked) const;
    CAdvancedConfigState ClickRtdNetwork(const CAdvancedConfigState& state, bool checked) const;

    // ---- edits losing the focus -------------------------------------------------
    // 0 or less: "1"; above 65535: "65535"; then, equal to the RTD network
    // port field: that number minus 1 when it is 1025 or more, else plus 1.
    CAdvancedConfigState LeaveEthernetPort(const CAdvancedConfigState& state) const;
    // 0 or less: "1"; above 65535: "65535"; then, equal to the Ethernet port:
    // the Ethernet number plus 1, or minus 1 when plus 1 would pass 65535.
    CAdvancedConfigState LeaveRtdPort(const CAdvancedConfigState& state) const;
    // Empty or negative: "0"; above 1000000: "1000000"; a corrected text is
    // selected.
    CAdvancedConfigState LeaveLogSize(const CAdvancedConfigState& state) const;
    // Rounded to the nearest step (0.05) with two decimals when it is not on
    // a step; below the minimum the minimum text, above the maximum the
    // maximum text.
    CAdvancedConfigState LeaveGamma(const CAdvancedConfigState& state) const;
    // Below 0: "0"; 100 or more: "99".
    CAdvancedConfigState LeaveSignNumber(const CAdvancedConfigState& state) const;
    // Below 1: "1"; above 120: "120". Only while the field is enabled.
    CAdvancedConfigState LeaveRefreshRate(const CAdvancedConfigState& state) const;

    // ---- arrow controls -----------------------------------------------------------
    // Up: plus 1, plus 2 when the next number is the other port's; a step
    // past 65535 leaves it; a result below 1024 becomes 1024. Down: minus 1;
    // when the next number down is the other port's, or the number is 1024
    // or less, minus 2 if that stays above 1024, else unchanged.
    CAdvancedConfigState StepEthernetPort(const CAdvancedConfigState& state, JxArrow arrow) const;
    CAdvancedConfigState StepRtdPort(const CAdvancedConfigState& state, JxArrow arrow) const;
    // In hundredths, by the step, up only while below the maximum and down
    // only while above the minimum, never past either; a value outside the
    // limits comes back to the nearer one. Two decimals.
    CAdvancedConfigState StepGamma(const CAdvancedConfigState& state, JxArrow arrow) const;
    // By 1 while the result stays within 0..99.
    CAdvancedConfigState StepSignNumber(const CAdvancedConfigState& state, JxArrow arrow) const;
    // By 1 while the result stays within 40..85 and Low stays at or below High.
    CAdvancedConfigState StepThermalLow(const CAdvancedConfigState& state, JxArrow arrow) const;
    CAdvancedConfigState StepThermalHigh(const CAdvancedConfigState& state, JxArrow arrow) const;
    // By 1 while the result stays within 0..100 and Low stays at or below High.
    CAdvancedConfigState StepBrightnessLow(const CAdvancedConfigState& state, JxArrow arrow) const;
    CAdvancedConfigState StepBrightnessHigh(const CAdvancedConfigState& state, JxArrow arrow) const;
    // By 1 within 1..120, only while the field is enabled.
    CAdvancedConfigState StepRefreshRate(const CAdvancedConfigState& state, JxArrow arrow) const;

    // "&Apply": the port check (Ethernet port, and the RTD network port
    // while enabled, within 1024..65535; otherwise stop with nothing
    // stored), then into `workset`: file mode, log size and gamma texts
    // (corrected as on leaving their edits first, since Enter presses
    // "&Apply" without the edit losing the focus), the
    // required serial port (type from the Connection Type, "HTCH" for
    // Brellmart, number 1, the baud, the handshake, the init string for a
    // modem, the default one when empty), the Ethernet port, the RTD enabled
    // flags and the enabled RTD ports (a disabled one keeps its values), the
    // sign number (outside 0..99: 1), brightness and thermal limits with
    // their lines and forced values, the refresh rate, the ethernet mode.
    CAdvancedApplyResult Apply(const CAdvancedConfigState& state, ConfigWorkset& workset) const;

private:
    const CFactoryDefaults& m_defaults;
    // The working copy's required port init string when the window opened:
    // what choosing "Modem" shows.
    std::string m_requiredInit;
};
