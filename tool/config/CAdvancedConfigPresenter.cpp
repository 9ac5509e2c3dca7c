#include "CAdvancedConfigPresenter.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "shell/CJxConfigApp.h"

namespace {

// An edit's number as CONFIG.XML numbers are read: sign and leading digits,
// 0 for none, stopping at the 32-bit limits.
int32_t Number(const std::string& text) { return JxConfigNumber(text); }
std::string Text(int32_t value) { return std::to_string(value); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

template <size_t N>
bool InList(const std::array<const char*, N>&, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < N;
}

// The Baud Rate item showing `baud`, or "19200".
int32_t BaudItem(int32_t baud)
{
    const std::string text = Text(baud);
    for (size_t i = 0; i < kJxBaudRateItems.size(); ++i)
        if (text == kJxBaudRateItems[i]) return static_cast<int32_t>(i);
    return kJxBaud19200;
}

int32_t BaudOf(int32_t item) { return Number(InList(kJxBaudRateItems, item) ? kJxBaudRateItems[item] : "19200"); }

int32_t HandshakeItem(int32_t handshake) { return InList(kJxHandshakeItems, handshake) ? handshake : 0; }

// A value the window shows only inside its limits; otherwise the Set
// Configuration window's default.
std::string Limited(int32_t value, int32_t low, int32_t high, int32_t fallback)
{
    return Text(value >= low && value <= high ? value : fallback);
}

// In hundredths; a typed value far beyond any gamma stops at a bound well
// outside the limits instead of overflowing.
int32_t Hundredths(double value)
{
    constexpr double kBound = 1e6;
    return static_cast<int32_t>(std::llround(std::clamp(value, -kBound, kBound) * 100.0));
}

// The rules of "&Apply" for a Low/High pair (brightness or thermal).
struct PairRule {
    int32_t min;
    int32_t max;
    const char* lowEmpty;
    const char* highEmpty;
    const char* lowAboveHigh;
    const char* highBelowLow;
    const char* lowTooSmall;
    const char* lowTooLarge;
    const char* highTooSmall;
    const char* highTooLarge;
};

constexpr PairRule kBrightnessRule{kJxBrightnessMin,          kJxBrightnessMax,          kJxBrightnessLowEmpty,
                                   kJxBrightnessHighEmpty,    kJxBrightnessLowAboveHigh, kJxBrightnessHighBelowLow,
                                   kJxBrightnessLowTooSmall,  kJxBrightnessLowTooLarge,  kJxBrightnessHighTooSmall,
                                   kJxBrightnessHighTooLarge};
constexpr PairRule kThermalRule{kJxThermalMin,          kJxThermalMax,          kJxThermalLowEmpty,
                                kJxThermalHighEmpty,    kJxThermalLowAboveHigh, kJxThermalHighBelowLow,
                                kJxThermalLowTooSmall,  kJxThermalLowTooLarge,  kJxThermalHighTooSmall,
                                kJxThermalHighTooLarge};

// Checks the pair's edits, forces what has a forced value (written back into
// the edits), adds the lines and stores the values.
void ApplyPair(const PairRule& rule, std::string& lowText, std::string& highText, int32_t& low, int32_t& high,
               std::string& lines)
{
    const bool lowEmpty = lowText.empty();
    const bool highEmpty = highText.empty();
    int32_t l = Number(lowText);
    int32_t h = Number(highText);
    if (lowEmpty) {
        lines += rule.lowEmpty;
        l = rule.min;
    }
    if (highEmpty) {
        lines += rule.highEmpty;
        h = rule.max;
    }
    if (!lowEmpty && !highEmpty && h < l) {
        lines += rule.lowAboveHigh;
        lines += rule.highBelowLow;
    }
    if (!lowEmpty && l < rule.min) {
        lines += rule.lowTooSmall;
        l = rule.min;
    }
    if (!lowEmpty && l > rule.max) {
        lines += rule.lowTooLarge;
        l = rule.min;
    }
    if (!highEmpty && h < rule.min) {
        lines += rule.highTooSmall;
        h = rule.max;
    }
    if (!highEmpty && h > rule.max) {
        lines += rule.highTooLarge;
        h = rule.max;
    }
    // Only forced values are written back: a text the rules let stand stays
    // as the operator typed it.
    if (lowEmpty || l != Number(lowText)) lowText = Text(l);
    if (highEmpty || h != Number(highText)) highText = Text(h);
    low = l;
    high = h;
}

// One arrow step on a value kept within `min`..`max`; `partner` is the other
// value of a Low/High pair that the step must not cross (Low stays at or
// below High), or absent.
std::string StepWithin(const std::string& text, JxArrow arrow, int32_t min, int32_t max, const int32_t* lowPartner,
                       const int32_t* highPartner)
{
    const int32_t value = Number(text);
    const int32_t next = arrow == JxArrow::Up ? value + 1 : value - 1;
    if (next < min || next > max) return text;
    if (lowPartner && next < *lowPartner) return text;    // a High going below Low
    if (highPartner && next > *highPartner) return text;  // a Low going above High
    return Text(next);
}

// The port field leaving the focus: 1..65535.
int32_t PortInRange(const std::string& text)
{
    const int32_t value = Number(text);
    if (value <= 0) return 1;
    return value > kJxNetworkPortMax ? kJxNetworkPortMax : value;
}

std::string StepPort(const std::string& text, const std::string& otherText, JxArrow arrow)
{
    const int32_t value = Number(text);
    const int32_t other = Number(otherText);
    if (arrow == JxArrow::Up) {
        int32_t next = value + 1 == other ? value + 2 : value + 1;
        if (next > kJxNetworkPortMax) return text;
        if (next < kJxNetworkPortMin) next = other == kJxNetworkPortMin ? kJxNetworkPortMin + 1 : kJxNetworkPortMin;
        return Text(next);
    }
    if (value - 1 == other || value <= kJxNetworkPortMin) {
        const int32_t next = value - 2;
        return next > kJxNetworkPortMin ? Text(next) : text;
    }
    return Text(value - 1);
}

}  // namespace

CAdvancedConfigPresenter::CAdvancedConfigPresenter(const CFactoryDefaults& defaults) : m_defaults(defaults) {}

CAdvancedConfigState CAdvancedConfigPresenter::Open(const ConfigWorkset& w)
{
    m_requiredInit = w.requiredSerialPort.initstr;
    CAdvancedConfigState s;

    s.connectionType = kJxConnectionDirect;
    for (size_t i = 0; i < kJxConnectionTypeItems.size(); ++i) {
        if (StartsWithNoCase(kJxConnectionTypeItems[i], w.requiredSerialPort.type)) {
            s.connectionType = static_cast<int32_t>(i);
            break;
        }
    }
    const std::string& rtdType = w.rtdNetworkPort.type;
    s.rtdConnectionType = rtdType.size() == 5 && StartsWithNoCase(rtdType, "UDPIP") ? kJxRtdUdpIp : kJxRtdTcpIp;
    if (s.connectionType == kJxConnectionModem) {
        s.baudRate = kJxBaud19200;
        s.baudRateEnabled = false;
        s.modemInit = w.requiredSerialPort.initstr;
        s.modemInitEnabled = true;
    } else {
        s.baudRate = BaudItem(w.requiredSerialPort.baud);
        s.baudRateEnabled = true;
        s.modemInit.clear();
        s.modemInitEnabled = false;
    }
    s.handshake = HandshakeItem(w.requiredSerialPort.hdsk);
    s.rtdHandshake = HandshakeItem(w.rtdSerialPort.hdsk);
    s.requiredProtocol = w.requiredSerialPort.protocol == "HTCH" ? kJxProtocolHtch : kJxProtocolKor;
    s.ethernetProtocol = w.ethernetPort.protocol == "HTCH" ? kJxProtocolHtch : kJxProtocolKor;
    s.ethernetPort = Text(w.ethernetPort.num);
    s.fileMode = w.fileMode == 0 || w.fileMode == 1 ? w.fileMode : 0;
    s.ethernetMode = InList(kJxEthernetModeItems, w.ethernetMode) ? w.ethernetMode : kJxEthernetAuto;
    s.logSize = w.logMax;
    s.gamma = w.gamma;

    s.brightnessLow = Limited(w.brightnessLow, kJxBrightnessMin, kJxBrightnessMax, w.defaultBrightnessLow);
    s.brightnessHigh = Limited(w.brightnessHigh, kJxBrightnessMin, kJxBrightnessMax, w.defaultBrightnessHigh);
    s.thermalLow = Limited(w.thermalLow, kJxThermalMin, kJxThermalMax, w.defaultThermalLow);
    s.thermalHigh = Limited(w.thermalHigh, kJxThermalMin, kJxThermalMax, w.defaultThermalHigh);
    s.refreshRate = Limited(w.refreshRate, kJxRefreshRateMin, kJxRefreshRateMax, w.defaultRefreshRate);
    s.refreshRateEnabled = false;
    s.signNumber =
        Limited(w.ertdSignNumber, kJxErtdSignNumberMin, kJxErtdSignNumberMax, kJxDefaultErtdSignNumber);

    s.rtdSerialEnabled = w.rtdSerialEnabled;
    s.rtdBaudRate = BaudItem(w.rtdSerialPort.baud);
    s.rtdNetworkEnabled = w.rtdNetworkEnabled;
    s.rtdPort = Text(w.rtdNetworkEnabled ? w.rtdNetworkPort.num : m_defaults.udpPort);
    return s;
}

// ---- lists and check boxes ---------------------------------------------------------

CAdvancedConfigState CAdvancedConfigPresenter::ChangeConnectionType(const CAdvancedConfigState& state,
                                                                    int32_t index) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (index == kJxConnectionModem) {
        s.connectionType = index;
        s.handshake = HandshakeItem(m_defaults.serialHandshake);
        s.modemInit = m_requiredInit;
        s.modemInitEnabled = true;
        s.baudRate = kJxBaud19200;
        s.baudRateEnabled = false;
    } else if (index == kJxConnectionDirect) {
        s.connectionType = index;
        s.baudRate = kJxBaud19200;
        s.baudRateEnabled = true;
        s.modemInit.clear();
        s.modemInitEnabled = false;
    }
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::ChangeRequiredProtocol(const CAdvancedConfigState& state,
                                                                      int32_t index) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (!InList(kJxProtocolItems, index)) return s;
    s.requiredProtocol = index;
    s.baudRate = index == kJxProtocolHtch ? kJxBaud115200 : kJxBaud19200;
    s.baudRateEnabled = index == kJxProtocolKor;
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::ChangeEthernetProtocol(const CAdvancedConfigState& state,
                                                                      int32_t index) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (InList(kJxEthernetProtocolItems, index)) s.ethernetProtocol = index;
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::ChangeRtdConnectionType(const CAdvancedConfigState& state,
                                                                       int32_t index) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (InList(kJxRtdConnectionTypeItems, index)) s.rtdConnectionType = index;
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::ClickRtdSerial(const CAdvancedConfigState& state, bool checked) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    s.rtdSerialEnabled = checked;
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::ClickRtdNetwork(const CAdvancedConfigState& state, bool checked) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    s.rtdNetworkEnabled = checked;
    return s;
}

// ---- edits losing the focus ----------------------------------------------------------

CAdvancedConfigState CAdvancedConfigPresenter::LeaveEthernetPort(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    int32_t port = PortInRange(s.ethernetPort);
    const int32_t rtd = Number(s.rtdPort);
    if (port == rtd) port = rtd >= kJxNetworkPortMin + 1 ? rtd - 1 : rtd + 1;
    s.ethernetPort = Text(port);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::LeaveRtdPort(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    int32_t port = PortInRange(s.rtdPort);
    const int32_t ethernet = Number(s.ethernetPort);
    if (port == ethernet) {
        if (ethernet + 1 <= kJxNetworkPortMax)
            port = ethernet + 1;
        else if (ethernet - 1 >= kJxNetworkPortMin)
            port = ethernet - 1;
    }
    s.rtdPort = Text(port);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::LeaveLogSize(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    const std::string& text = state.logSize;
    const int32_t value = Number(text);
    std::string corrected = text;
    // The edit takes digits only; anything else that was pasted counts as empty.
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())) || value < kJxLogSizeMin)
        corrected = Text(kJxLogSizeMin);
    else if (value > kJxLogSizeMax)
        corrected = Text(kJxLogSizeMax);
    s.selectLogSize = corrected != text;
    s.logSize = corrected;
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::LeaveGamma(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const double x = JxGammaValue(s.gamma);
    if (x < JxGammaValue(m_defaults.gammaMin)) {
        s.gamma = m_defaults.gammaMin;
    } else if (x > JxGammaValue(m_defaults.gammaMax)) {
        s.gamma = m_defaults.gammaMax;
    } else {
        // Nearest step: x in steps, plus a half, truncated.
        const double perUnit = std::round(1.0 / m_defaults.gammaStep);
        const double rounded = std::trunc(x * perUnit + 0.5) / perUnit;
        if (x != rounded) s.gamma = JxGammaText(Hundredths(rounded));
    }
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::LeaveSignNumber(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t value = Number(s.signNumber);
    if (value < kJxErtdSignNumberMin)
        s.signNumber = Text(kJxErtdSignNumberMin);
    else if (value > kJxErtdSignNumberMax)
        s.signNumber = Text(kJxErtdSignNumberMax);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::LeaveRefreshRate(const CAdvancedConfigState& state) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (!s.refreshRateEnabled) return s;
    const int32_t value = Number(s.refreshRate);
    if (value < kJxRefreshRateMin)
        s.refreshRate = Text(kJxRefreshRateMin);
    else if (value > kJxRefreshRateMax)
        s.refreshRate = Text(kJxRefreshRateMax);
    return s;
}

// ---- arrow controls --------------------------------------------------------------------

CAdvancedConfigState CAdvancedConfigPresenter::StepEthernetPort(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    s.ethernetPort = StepPort(s.ethernetPort, s.rtdPort, arrow);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepRtdPort(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (s.rtdNetworkEnabled) s.rtdPort = StepPort(s.rtdPort, s.ethernetPort, arrow);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepGamma(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t min = Hundredths(JxGammaValue(m_defaults.gammaMin));
    const int32_t max = Hundredths(JxGammaValue(m_defaults.gammaMax));
    const int32_t step = Hundredths(m_defaults.gammaStep);
    int32_t value = Hundredths(JxGammaValue(s.gamma));
    // A value off the steps moves to the limit rather than past it, and a
    // value outside the limits comes back to the nearer one.
    if (value > max)
        value = max;
    else if (value < min)
        value = min;
    else if (arrow == JxArrow::Up && value < max)
        value = value + step > max ? max : value + step;
    else if (arrow == JxArrow::Down && value > min)
        value = value - step < min ? min : value - step;
    s.gamma = JxGammaText(value);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepSignNumber(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    s.signNumber = StepWithin(s.signNumber, arrow, kJxErtdSignNumberMin, kJxErtdSignNumberMax, nullptr, nullptr);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepThermalLow(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t high = Number(s.thermalHigh);
    s.thermalLow = StepWithin(s.thermalLow, arrow, kJxThermalMin, kJxThermalMax, nullptr, &high);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepThermalHigh(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t low = Number(s.thermalLow);
    s.thermalHigh = StepWithin(s.thermalHigh, arrow, kJxThermalMin, kJxThermalMax, &low, nullptr);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepBrightnessLow(const CAdvancedConfigState& state,
                                                                 JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t high = Number(s.brightnessHigh);
    s.brightnessLow = StepWithin(s.brightnessLow, arrow, kJxBrightnessMin, kJxBrightnessMax, nullptr, &high);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepBrightnessHigh(const CAdvancedConfigState& state,
                                                                  JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    const int32_t low = Number(s.brightnessLow);
    s.brightnessHigh = StepWithin(s.brightnessHigh, arrow, kJxBrightnessMin, kJxBrightnessMax, &low, nullptr);
    return s;
}

CAdvancedConfigState CAdvancedConfigPresenter::StepRefreshRate(const CAdvancedConfigState& state, JxArrow arrow) const
{
    CAdvancedConfigState s = state;
    s.selectLogSize = false;
    if (s.refreshRateEnabled)
        s.refreshRate = StepWithin(s.refreshRate, arrow, kJxRefreshRateMin, kJxRefreshRateMax, nullptr, nullptr);
    return s;
}

// ---- "&Apply" ------------------------------------------------------------------------------

CAdvancedApplyResult CAdvancedConfigPresenter::Apply(const CAdvancedConfigState& state, ConfigWorkset& w) const
{
    CAdvancedApplyResult result;
    result.state = state;
    result.state.selectLogSize = false;
    CAdvancedConfigState& s = result.state;

    const int32_t ethernet = Number(s.ethernetPort);
    const int32_t rtd = Number(s.rtdPort);
    auto portValid = [](int32_t port) { return port >= kJxNetworkPortMin && port <= kJxNetworkPortMax; };
    if (!portValid(ethernet) || (s.rtdNetworkEnabled && !portValid(rtd))) {
        result.message = kJxPortsInvalid;
        return result;
    }
    result.stored = true;

    // Enter presses "&Apply" without the edit losing the focus: the two
    // texts that are stored as typed get their corrections first, so no
    // empty or out-of-range text reaches the document.
    s.logSize = LeaveLogSize(s).logSize;
    s.gamma = LeaveGamma(s).gamma;

    w.fileMode = s.fileMode == 1 ? 1 : 0;
    w.logMax = s.logSize;
    w.gamma = s.gamma;

    const bool modem = s.connectionType == kJxConnectionModem;
    PortEntry& required = w.requiredSerialPort;
    required.type = modem ? "MODEM" : "DIRECT";
    required.protocol = s.requiredProtocol == kJxProtocolHtch ? "HTCH" : "Kor";
    required.num = kJxRequiredSerialPortNumber;
    required.baud = BaudOf(s.baudRate);
    required.hdsk = HandshakeItem(s.handshake);
    required.initstr = modem ? (s.modemInit.empty() ? m_defaults.modemInit : s.modemInit) : std::string();

    w.ethernetPort = {"TCPIP", s.ethernetProtocol == kJxProtocolHtch ? "HTCH" : "Kor", "", 0, 0, ethernet};

    w.rtdSerialEnabled = s.rtdSerialEnabled;
    w.rtdNetworkEnabled = s.rtdNetworkEnabled;
    if (s.rtdSerialEnabled)
        w.rtdSerialPort = {"DIRECT", "RTD", "", HandshakeItem(s.rtdHandshake), BaudOf(s.rtdBaudRate),
                           kJxRtdSerialPortNumber};
    if (s.rtdNetworkEnabled)
        w.rtdNetworkPort = {s.rtdConnectionType == kJxRtdUdpIp ? "UDPIP" : "TCPIP", "RTD", "", 0, 0, rtd};

    int32_t sign = Number(s.signNumber);
    if (sign < kJxErtdSignNumberMin || sign > kJxErtdSignNumberMax) {
        sign = kJxDefaultErtdSignNumber;
        s.signNumber = Text(sign);
    }
    w.ertdSignNumber = sign;

    std::string& lines = result.lines;
    ApplyPair(kBrightnessRule, s.brightnessLow, s.brightnessHigh, w.brightnessLow, w.brightnessHigh, lines);
    ApplyPair(kThermalRule, s.thermalLow, s.thermalHigh, w.thermalLow, w.thermalHigh, lines);

    int32_t refresh = Number(s.refreshRate);
    if (refresh < kJxRefreshRateMin) {
        lines += kJxRefreshRateTooSmall;
        refresh = kJxRefreshRateMin;
        s.refreshRate = Text(refresh);
    } else if (refresh > kJxRefreshRateMax) {
        lines += kJxRefreshRateTooLarge;
        refresh = kJxRefreshRateMax;
        s.refreshRate = Text(refresh);
    }
    w.refreshRate = refresh;

    w.ethernetMode = InList(kJxEthernetModeItems, s.ethernetMode) ? s.ethernetMode : kJxEthernetAuto;

    if (lines.empty()) {
        result.close = true;
    } else {
        result.message = kJxAdvancedErrorHead + lines + kJxAdvancedErrorTail;
    }
    return result;
}
