#include "CSetConfigPresenter.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "shell/CJxConfigApp.h"

double JxGammaValue(std::string_view text)
{
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at < text.size() && text[at] == '+') ++at;  // from_chars takes "-" but not "+"
    double value = 0;
    // from_chars reads a point whatever the process locale says; strtod
    // would read "2.20" as 2 under a locale with a decimal comma.
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value,
                                              std::chars_format::fixed);
    (void)end;
    // "nan" and "inf" are no gamma, and would make no step either.
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

std::string JxGammaText(int32_t hundredths)
{
    const char* sign = hundredths < 0 ? "-" : "";
    const long long magnitude = std::llabs(static_cast<long long>(hundredths));
    const long long cents = magnitude % 100;
    return sign + std::to_string(magnitude / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

namespace {

bool SameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A serial entry as the tool writes it (no init string unless given).
PortEntry SerialPort(const char* protocol, int32_t number, const CFactoryDefaults& defaults)
{
    return {"DIRECT", protocol, "", defaults.serialHandshake, defaults.serialBaud, number};
}

}  // namespace

bool JxReadConfigWorkset(const CConfigDocument& document, const CFactoryDefaults& defaults, ConfigWorkset& w)
{
    bool differs = false;

    // Numbers first: they are plain reads with the values absent ones stand for.
    document.GetBrightnessHigh(w.brightnessHigh);
    document.GetBrightnessLow(w.brightnessLow);
    document.GetErtdSignNumber(w.ertdSignNumber);
    document.GetThermalHigh(w.thermalHigh);
    document.GetThermalLow(w.thermalLow);
    document.GetRefreshRate(w.refreshRate);
    document.GetEthernetMode(w.ethernetMode);
    document.GetSecurity(w.securityUser, w.securityPassword);

    // File mode, gamma and log size.
    w.fileMode = defaults.mode;
    document.GetFileMode(w.fileMode);
    document.GetGamma(w.gamma);
    if (w.gamma.empty()) w.gamma = defaults.gamma;
    document.GetLogMax(w.logMax);
    if (w.logMax.empty()) w.logMax = std::to_string(defaults.logmax);
    if (JxGammaValue(w.gamma) != JxGammaValue(defaults.gamma))
        differs = true;
    else if (JxConfigNumber(w.logMax) != defaults.logmax || w.fileMode != defaults.mode)
        differs = true;

    // The required serial port: a DIRECT entry reads as incomplete (it has no
    // init string), so only what is missing is completed.
    PortEntry& required = w.requiredSerialPort;
    if (!document.GetRequiredSerialPort(required)) {
        if (required.type.empty()) required.type = "DIRECT";
        if (required.protocol.empty()) required.protocol = "Kor";
        if (required.num == 0) required.num = kJxRequiredSerialPortNumber;
        if (required.baud == 0) required.baud = defaults.serialBaud;
        if (required.type == "MODEM" && required.initstr.empty()) required.initstr = defaults.modemInit;
    }
    if (required.type != "DIRECT" || required.baud != defaults.serialBaud || required.hdsk != defaults.serialHandshake ||
        (required.type == "MODEM" && required.initstr != defaults.modemInit))
        differs = true;

    PortEntry& ethernet = w.ethernetPort;
    if (!document.GetEthernetPort(ethernet)) {
        if (ethernet.type.empty()) ethernet.type = "TCPIP";
        if (ethernet.protocol.empty()) ethernet.protocol = "Kor";
        if (ethernet.num == 0) ethernet.num = defaults.tcpPort;
    }
    if (ethernet.num != defaults.tcpPort) differs = true;

    // An RTD entry that is present but lacks a value is kept, completed, and
    // not dropped: the Set writes only the enabled RTD ports, and the
    // operator never asked to lose this one.
    PortEntry rtdSerial;
    const bool rtdSerialComplete = document.GetRtdSerialPort(rtdSerial);
    w.rtdSerialEnabled = rtdSerialComplete || !rtdSerial.type.empty();
    if (w.rtdSerialEnabled) {
        if (rtdSerial.num == 0) rtdSerial.num = kJxRtdSerialPortNumber;
        if (rtdSerial.baud == 0) rtdSerial.baud = kJxDefaultRtdBaud;
        w.rtdSerialPort = rtdSerial;
        if (!rtdSerialComplete || rtdSerial.baud != kJxDefaultRtdBaud) differs = true;
    } else {
        differs = true;
    }

    PortEntry rtdNetwork;
    const bool rtdNetworkComplete = document.GetRtdNetworkPort(rtdNetwork);
    w.rtdNetworkEnabled = rtdNetworkComplete || !rtdNetwork.type.empty();
    if (w.rtdNetworkEnabled) {
        if (rtdNetwork.num == 0) rtdNetwork.num = defaults.udpPort;
        w.rtdNetworkPort = rtdNetwork;
        if (!rtdNetworkComplete || rtdNetwork.num != defaults.udpPort || !SameNoCase(rtdNetwork.type, "UDPIP"))
            differs = true;
    } else {
        differs = true;
    }

    if (w.ertdSignNumber != kJxDefaultErtdSignNumber || w.thermalLow != w.defaultThermalLow ||
        w.thermalHigh != w.defaultThermalHigh || w.ethernetMode != kJxEthernetAuto ||
        w.brightnessLow != w.defaultBrightnessLow || w.brightnessHigh != w.defaultBrightnessHigh)
        differs = true;
    return differs;
}

CSetConfigResult JxWriteConfiguration(const CSetConfigInput& input, ConfigWorkset& w, CConfigDocument& document,
                                      const CFactoryDefaults& defaults)
{
    std::string summary;
    auto check = [&summary](bool written, const char* heading) {
        if (!written) summary += heading;
    };

    document.RemoveAllPorts();
    if (input.useDefault) {
        w.fileMode = defaults.mode;
        w.logMax = std::to_string(defaults.logmax);
        w.gamma = defaults.gamma;
        w.requiredSerialPort = SerialPort("Kor", kJxRequiredSerialPortNumber, defaults);
        w.ethernetPort = {"TCPIP", "Kor", "", 0, 0, defaults.tcpPort};
        w.rtdSerialEnabled = true;
        w.rtdNetworkEnabled = true;
        w.rtdSerialPort = SerialPort("RTD", kJxRtdSerialPortNumber, defaults);
        w.rtdNetworkPort = {"UDPIP", "RTD", "", 0, 0, defaults.udpPort};
        w.ertdSignNumber = kJxDefaultErtdSignNumber;
        w.thermalLow = w.defaultThermalLow;
        w.thermalHigh = w.defaultThermalHigh;
        w.brightnessLow = w.defaultBrightnessLow;
        w.brightnessHigh = w.defaultBrightnessHigh;
        w.ethernetMode = kJxEthernetAuto;
    }
    check(document.SetFileMode(w.fileMode), kJxHeadingFileMode);
    check(document.SetLogMax(w.logMax), kJxHeadingLogMax);
    check(document.SetGamma(w.gamma), kJxHeadingGamma);
    check(document.SetRequiredSerialPort(w.requiredSerialPort), kJxHeadingRequiredPort);
    check(document.SetEthernetPort(w.ethernetPort), kJxHeadingEthernetPort);
    if (w.rtdSerialEnabled) check(document.SetRtdSerialPort(w.rtdSerialPort), kJxHeadingRtdSerialPort);
    if (w.rtdNetworkEnabled) check(document.SetRtdNetworkPort(w.rtdNetworkPort), kJxHeadingRtdNetworkPort);

    check(document.SetDisplayType(w.displayType), kJxHeadingDisplayType);
    check(document.SetModuleId(w.moduleId), kJxHeadingModuleId);
    check(document.SetDescription(input.displayName), kJxHeadingDescription);
    // Without a selection the zone the display holds stays: -1 is no zone.
    static const CTimeZoneList zones;
    if (input.zoneSelection >= 0 && static_cast<size_t>(input.zoneSelection) < zones.Items().size())
        check(document.SetTimeZone(zones.Items()[static_cast<size_t>(input.zoneSelection)].offset), kJxHeadingTimeZone);
    check(document.SetDaylightSaving(input.daylightSaving ? 1 : 0), kJxHeadingDaylightSaving);
    check(document.SetErtdSignNumber(w.ertdSignNumber), kJxHeadingErtd);
    check(document.SetBrightnessLow(w.brightnessLow), kJxHeadingBrightnessLow);
    check(document.SetBrightnessHigh(w.brightnessHigh), kJxHeadingBrightnessHigh);
    check(document.SetThermalLow(w.thermalLow), kJxHeadingThermalLow);
    check(document.SetThermalHigh(w.thermalHigh), kJxHeadingThermalHigh);
    check(document.SetRefreshRate(w.refreshRate), kJxHeadingRefreshRate);
    check(document.SetEthernetMode(w.ethernetMode), kJxHeadingEthernetMode);
    check(document.SetSecurity(w.securityUser, w.securityPassword), kJxHeadingSecurity);

    CSetConfigResult result;
    result.summary = summary;
    if (!summary.empty()) {
        result.message = kJxSetConfigWriteFailed + summary;
        return result;
    }
    result.accepted = true;
    result.serialBaud = w.requiredSerialPort.baud;
    result.socketNumber = w.ethernetPort.num;
    result.socketIsDefault = w.ethernetPort.num == defaults.tcpPort;
    return result;
}

void CSetConfigResult::ApplyTo(CJxConfigApp& app) const
{
    if (!accepted) return;
    app.saved.serialBaud = serialBaud;
    app.saved.socketNumber = socketNumber;
    app.saved.socketIsDefault = socketIsDefault;
}

CSetConfigPresenter::CSetConfigPresenter(const CXmlDocument& catalogue, const CFactoryDefaults& defaults)
    : m_defaults(defaults), m_editor(catalogue)
{
}

CSetConfigState CSetConfigPresenter::Open(const CConfigDocument& document)
{
    m_workset = ConfigWorkset{};
    m_editor.ParseFrom(document);
    m_workset.displayType = m_editor.DisplayType();
    m_workset.moduleId = m_editor.ModuleIdentifier();
    const bool differs = JxReadConfigWorkset(document, m_defaults, m_workset);

    CSetConfigInput input;
    input.displayName = m_editor.displayName;
    input.useDefault = !differs;
    int32_t dst = 1;
    document.GetDaylightSaving(dst);
    input.daylightSaving = dst != 0;
    m_zones.SelectFromDocument(document);
    input.zoneSelection = m_zones.Selection();
    return Change(input);
}

CSetConfigState CSetConfigPresenter::Change(const CSetConfigInput& input)
{
    m_state.input = input;
    m_state.advancedEnabled = !input.useDefault;
    m_state.technologySelection = m_editor.technologySelection;
    m_state.technologyListEnabled = m_editor.technologyListEnabled;
    m_state.panel = m_editor.Panel().State();
    return m_state;
}

CSetConfigState CSetConfigPresenter::Chose(const CSetConfigInput& input, bool chosen)
{
    CSetConfigInput next = input;
    if (chosen) {
        m_workset.displayType = m_editor.DisplayType();
        m_workset.moduleId = m_editor.ModuleIdentifier();
        next.displayName = m_editor.displayName;
    }
    return Change(next);
}

CSetConfigState CSetConfigPresenter::ChooseHeight(const CSetConfigInput& input, int32_t index)
{
    return Chose(input, m_editor.ChooseHeight(index));
}

CSetConfigState CSetConfigPresenter::ChooseWidth(const CSetConfigInput& input, int32_t index)
{
    return Chose(input, m_editor.ChooseWidth(index));
}

CSetConfigState CSetConfigPresenter::ChooseColourDepth(const CSetConfigInput& input, int32_t index)
{
    return Chose(input, m_editor.ChooseColourDepth(index));
}

CSetConfigState CSetConfigPresenter::ChooseModule(const CSetConfigInput& input, int32_t index)
{
    return Chose(input, m_editor.ChooseModule(index));
}

CSetConfigResult CSetConfigPresenter::Set(const CSetConfigInput& input, CConfigDocument& document)
{
    Change(input);
    return JxWriteConfiguration(input, m_workset, document, m_defaults);
}
