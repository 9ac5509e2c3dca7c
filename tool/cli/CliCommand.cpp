#include "CliCommand.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <KorNet.h>

#include "CliMessages.h"
#include "config/CClockModePresenter.h"
#include "config/CSoftwareAddressPresenter.h"
#include "config/CTcpIpConfigPresenter.h"
#include "config/CTimeZoneList.h"
#include "filetransfer/RemotePane.h"
#include "firmware/FirmwareDownload.h"
#include "shell/StatusText.h"
#include "xml/CXmlDocument.h"

std::atomic<bool> g_cliInterrupted{false};

CliSession::CliSession() { app.StartUp(); }

namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::json;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadLocalFile(const std::string& path, std::string& bytes, std::string& error)
{
    if (IsFolder(path)) {
        error = "cannot read '" + path + "': it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read '" + path + "'";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read '" + path + "'";
        return false;
    }
    bytes = text.str();
    return true;
}

// Writes the whole file or nothing: the bytes go to a temporary file beside
// it, which takes the name only once complete.
bool WriteLocalFile(const std::string& path, const uint8_t* data, size_t length, std::string& error)
{
    if (path == "-") {
        if (length > 0 && std::fwrite(data, 1, length, stdout) != length) {
            error = "cannot write to standard output";
            return false;
        }
        std::fflush(stdout);
        return true;
    }
    std::string temp = path + ".korctl-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot write '" + path + "'";
        return false;
    }
    size_t done = 0;
    while (done < length) {
        const ssize_t n = write(fd, data + done, length - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    fchmod(fd, 0644 & ~[] { const mode_t m = umask(0); umask(m); return m; }());
    const bool closed = close(fd) == 0;
    if (done != length || !closed || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

std::string Upper(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CliResult Failed(int16_t status, uint8_t displayError, const std::string& what)
{
    CliResult r;
    r.status = status;
    r.exit = CliExitForStatus(status);
    // The tool has no words for an abort: the operator pressed the button.
    r.message = what + (status == ERR_SIGN_ABORT ? std::string("interrupted") : StatusText(status, displayError));
    return r;
}

CliResult LocalFailure(const std::string& message)
{
    CliResult r;
    r.exit = kCliLocalFile;
    r.message = message;
    return r;
}

// A file from the display: its bytes stay in the link's buffer (valid until
// the next retrieval), so a large file is not copied on its way to disk.
CliResult GetFile(CliSession& s, uint8_t address, const std::string& name, bool compressed, const uint8_t*& data,
                  size_t& length)
{
    int16_t status = KORNET_OK;
    jx_resp_retrieve_file_s response{};
    data = compressed ? s.Link().JxGetFileCompressed(address, name.c_str(), status, &response, 0)
                      : s.Link().JxGetFile(address, name.c_str(), status, &response, 0);
    if (status != KORNET_OK) return Failed(status, response.error, FormatName(kJxUnableToGet, name));
    length = data == nullptr ? 0 : (compressed ? response.uncompressedLength : response.length);
    return {};
}

// A small document from the display, copied.
CliResult GetFile(CliSession& s, uint8_t address, const std::string& name, bool compressed, std::string& bytes)
{
    const uint8_t* data = nullptr;
    size_t length = 0;
    CliResult r = GetFile(s, address, name, compressed, data, length);
    if (r.Ok()) bytes.assign(reinterpret_cast<const char*>(data), length);
    return r;
}

// ---- config set: each key through the rules of its window ----------------

struct CliSetting {
    std::string key, value;
};

const char* const kKeys[] = {"name", "zone", "dst", "clock", "address", "ip", "mask", "gateway", "dhcp", "dhcpname"};

bool ParseZone(const std::string& text, int32_t& minutes)
{
    std::string t = text;
    if (t.rfind("GMT", 0) == 0) t = t.substr(3);
    if (t.empty()) return false;
    int sign = 1;
    size_t i = 0;
    if (t[0] == '+' || t[0] == '-') {
        sign = t[0] == '-' ? -1 : 1;
        i = 1;
    }
    int hours = 0, mins = 0;
    const auto colon = t.find(':', i);
    const std::string h = t.substr(i, colon == std::string::npos ? std::string::npos : colon - i);
    const std::string m = colon == std::string::npos ? "0" : t.substr(colon + 1);
    auto digits = [](const std::string& d) { return !d.empty() && d.size() <= 2 && std::all_of(d.begin(), d.end(), ::isdigit); };
    if (!digits(h) || !digits(m)) return false;
    hours = std::stoi(h);
    mins = std::stoi(m);
    if (mins > 59) return false;
    minutes = sign * (hours * 60 + mins);
    return true;
}

int ClockIndex(const std::string& value)
{
    const std::string v = Upper(value);
    if (v.size() == 1 && v[0] >= '0' && v[0] < '0' + kJxClockModeCount) return v[0] - '0';
    static const std::map<std::string, int> names = {{"AUTO", 0}, {"AUTO DETECT", 0}, {"INTERNAL", 1},
                                                     {"USE INTERNAL CLOCK", 1}, {"50HZ", 2}, {"50 HZ", 2},
                                                     {"60HZ", 3}, {"60 HZ", 3}, {"GPS", 4}};
    const auto it = names.find(v);
    return it == names.end() ? -1 : it->second;
}

bool OnOff(const std::string& value, bool& on)
{
    const std::string v = Upper(value);
    if (v == "ON" || v == "1" || v == "YES" || v == "TRUE") on = true;
    else if (v == "OFF" || v == "0" || v == "NO" || v == "FALSE") on = false;
    else return false;
    return true;
}

std::vector<CliSetting> Settings(const CliCommand& command)
{
    std::vector<CliSetting> out;
    for (const auto& a : command.args) {
        const auto eq = a.find('=');
        out.push_back({a.substr(0, eq), a.substr(eq + 1)});
    }
    return out;
}

// The settings on the fetched document, through the windows' presenters.
// False with `refusal` set: the document must not be sent.
bool ApplySettings(const std::vector<CliSetting>& settings, CConfigDocument& document, std::string& refusal,
                   json& applied)
{
    CTcpIpConfigPresenter tcpip;
    CTcpIpConfigInput ip = tcpip.Open(document).input;
    bool ipTouched = false;
    auto refuse = [&](const CliSetting& s, const std::string& why) {
        refusal = s.key + "=" + s.value + ": " + why;
        return false;
    };
    for (const auto& s : settings) {
        bool on = false;
        if (s.key == "name") {
            if (!document.SetDescription(s.value)) return refuse(s, "could not set the display name in CONFIG.XML");
        } else if (s.key == "zone") {
            int32_t minutes = 0;
            CTimeZoneList zones;
            if (!ParseZone(s.value, minutes) || !zones.SelectOffset(minutes))
                return refuse(s, "not a time zone of the list (GMT -12:00 to GMT +13:00, e.g. +05:45)");
            if (!document.SetTimeZone(minutes)) return refuse(s, "could not set the time zone in CONFIG.XML");
            applied["zoneLabel"] = JxTimeZoneLabel(minutes);
        } else if (s.key == "dst") {
            OnOff(s.value, on);
            if (!document.SetDaylightSaving(on ? 1 : 0)) return refuse(s, "could not set daylight saving in CONFIG.XML");
        } else if (s.key == "clock") {
            CClockModePresenter presenter;
            presenter.Open(document);
            presenter.Select(ClockIndex(s.value));
            const CFunctionApply result = presenter.Apply(document);
            if (!result.accepted) return refuse(s, result.message);
        } else if (s.key == "address") {
            CSoftwareAddressPresenter presenter;
            presenter.Open(document);
            const bool off = Upper(s.value) == "OFF" || s.value == "0";
            const CSoftwareAddressInput input{!off, off ? "1" : s.value};
            // The window corrects an address outside 1..240 as the edit loses
            // the focus and shows the corrected text; a script sees no window,
            // so the correction is refused rather than written unseen.
            const CSoftwareAddressState left = presenter.LeaveAddressEdit(input);
            if (left.selectAddress)
                return refuse(s, "software addresses are " + std::to_string(kJxSoftwareAddressMin) + " to " +
                                     std::to_string(kJxSoftwareAddressMax) + " (the window corrects it to " +
                                     left.input.addressText + ")");
            const CFunctionApply result = presenter.Apply(input, document);
            if (!result.accepted) return refuse(s, result.message);
        } else if (s.key == "ip" || s.key == "mask" || s.key == "gateway") {
            const bool none = s.value.empty() || Upper(s.value) == "NONE";
            const CIpAddressValue value = CIpAddressValue::Parse(s.value);
            if (s.key == "ip") ip.address = value;
            else if (s.key == "mask") ip.mask = value;
            else ip.gateway = value;
            // A text that is not an address leaves the field blank, as the
            // window's fields would: its checks say what that means.
            if (!none && value.Blank() && s.key == "gateway")
                return refuse(s, "not an IP address (four numbers 0 to 255)");
            ip.dhcp = false;
            ipTouched = true;
        } else if (s.key == "dhcp") {
            OnOff(s.value, on);
            ip.dhcp = on;
            ipTouched = true;
        } else if (s.key == "dhcpname") {
            ip.dhcpName = s.value;
            ipTouched = true;
        }
    }
    if (ipTouched) {
        for (const auto& s : settings)
            if (s.key == "dhcp") {
                bool on = false;
                OnOff(s.value, on);
                ip.dhcp = on;
            }
        const CFunctionApply result = tcpip.Apply(ip, document);
        if (!result.accepted) {
            std::string keys;
            for (const auto& s : settings)
                if (s.key == "ip" || s.key == "mask" || s.key == "gateway" || s.key == "dhcp" || s.key == "dhcpname")
                    keys += (keys.empty() ? "" : " ") + s.key + "=" + s.value;
            refusal = keys + ": " + result.message;
            return false;
        }
    }
    for (const auto& s : settings) applied[s.key] = s.value;
    return true;
}

json ConfigSummary(const CConfigDocument& d)
{
    json j;
    std::string text;
    int32_t n = 0;
    d.GetDescription(text);
    j["name"] = text;
    d.GetDisplayType(text);
    j["displayType"] = text;
    int32_t zone = 0, dst = 1, clk = 0;
    d.GetTimeZone(zone);
    d.GetDaylightSaving(dst);
    d.GetClockMode(clk);
    j["zone"] = JxTimeZoneLabel(zone);
    j["zoneMinutes"] = zone;
    j["dst"] = dst != 0;
    j["clock"] = clk >= 0 && clk < kJxClockModeCount ? kJxClockModeItems[clk] : std::to_string(clk);
    j["clockMode"] = clk;
    d.GetSoftwareAddress(n);
    j["softwareAddress"] = n;
    std::string ip, mask, gateway, dhcp;
    d.GetIpAddress(ip);
    d.GetSubnetMask(mask);
    d.GetGateway(gateway);
    d.GetDhcpName(dhcp);
    j["dhcp"] = ip == kJxDhcpAddress;
    j["ip"] = ip;
    j["mask"] = mask;
    j["gateway"] = gateway;
    j["dhcpName"] = dhcp;
    json ports = json::array();
    PortEntry p;
    auto add = [&](const char* role, bool present) {
        if (!present && p.type.empty()) return;
        ports.push_back({{"role", role}, {"type", p.type}, {"protocol", p.protocol}, {"num", p.num}, {"baud", p.baud}});
    };
    add("serial", d.GetRequiredSerialPort(p));
    add("ethernet", d.GetEthernetPort(p));
    add("rtd-serial", d.GetRtdSerialPort(p));
    add("rtd-network", d.GetRtdNetworkPort(p));
    j["ports"] = ports;
    return j;
}

CliResult ConfigExchange(CliSession& s, uint8_t address, const std::vector<CliSetting>* settings,
                         const std::string* documentText)
{
    CliMessageCapture capture;
    s.exchange.SetDisplay(address, s.connectionKind);
    CliResult r;
    std::string refusal;
    json applied = json::object();
    const auto direct = [](const std::function<bool()>& work) { return work(); };
    JxExchangeOutcome outcome;
    if (settings != nullptr) {
        outcome = JxRunConfigExchange(s.exchange, s.app, direct, [&](CConfigDocument& document, CConnectionSettingUpdate&) {
            return ApplySettings(*settings, document, refusal, applied);
        });
    } else {
        // A whole document from a file: sent, then the wait and the reset.
        s.document.LoadText(*documentText);
        outcome = s.exchange.SendAndReset() ? JxExchangeOutcome::Sent : JxExchangeOutcome::SendFailed;
    }
    if (outcome == JxExchangeOutcome::Closed) {
        r.exit = kCliUsage;
        r.message = refusal;
        return r;
    }
    const std::string failure = capture.Texts(JxMessageKind::Critical);
    if (outcome != JxExchangeOutcome::Sent) {
        r.status = CliStatusOfFailureText(failure);
        r.exit = CliExitForStatus(r.status);
        r.message = failure;
        return r;
    }
    r.data["set"] = applied;
    if (!failure.empty()) {
        // Sent, but the reset did not go through: the display holds the new
        // document and still runs the old one.
        r.status = CliStatusOfFailureText(failure);
        r.exit = CliExitForStatus(r.status);
        r.message = s.exchange.DocumentName() + " sent, but " + failure;
        return r;
    }
    r.message = capture.Texts(JxMessageKind::Information);
    return r;
}

std::string PlaceSuffix(const std::string& target, uint8_t address)
{
    std::string t = target;
    for (auto& c : t)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
    return "." + t + "." + std::to_string(address);
}

}  // namespace

std::string CliLocalNameFor(const std::string& remoteName)
{
    const auto cut = remoteName.find_last_of("/\\");
    std::string name = cut == std::string::npos ? remoteName : remoteName.substr(cut + 1);
    if (name == "." || name == "..") return {};
    return name;
}

bool CliCheckCommand(CliCommand& c, std::string& error, int& exit)
{
    exit = kCliUsage;
    const std::string& n = c.name;
    if (n == "get") {
        if (c.local.empty()) {
            if (CliLocalNameFor(c.args.at(0)).empty()) {
                error = "get: '" + c.args[0] + "' gives no file name to save under; give LOCAL";
                return false;
            }
        } else if (c.local == "-") {
            if (c.severalPlaces) {
                error = "get: '-' (standard output) takes one target and one address";
                return false;
            }
        } else if (IsFolder(c.local)) {
            error = "get: LOCAL '" + c.local + "' is a folder; give a file name";
            return false;
        } else if (c.severalPlaces) {
            error = "get: with several targets or addresses give no LOCAL (each is saved as NAME.TARGET.ADDRESS)";
            return false;
        }
        return true;
    }
    if (n == "firmware") {
        // The procedure takes whole paths; "-" leaves the image out (a driver alone).
        if (c.args.at(0) == "-") c.args[0].clear();
        if (c.args[0].empty() && c.driver.empty()) {
            error = "firmware: give an IMAGE, or - with --driver";
            return false;
        }
        const struct {
            std::string* path;
            const char* type;
            JxImageKind kind;
        } files[] = {{&c.args[0], ".EXE", JxImageKind::Firmware}, {&c.driver, ".RBF", JxImageKind::Driver}};
        for (const auto& f : files) {
            if (f.path->empty()) continue;
            std::string bytes;
            if (!ReadLocalFile(*f.path, bytes, error)) {
                error = "firmware: " + error;
                exit = kCliLocalFile;
                return false;
            }
            *f.path = std::filesystem::absolute(*f.path).lexically_normal().string();
            // The window's own checks, before anything is connected.
            const CFirmwarePathCheck check = CheckFirmwarePath(*f.path, f.type, f.kind);
            if (!check.message.empty()) {
                error = "firmware: " + check.message;
                return false;
            }
        }
        return true;
    }
    if (n == "put" || n == "config-put") {
        std::string bytes;
        if (!ReadLocalFile(c.args.at(0), bytes, error)) {
            error = n.substr(n.find('-') + 1) + ": " + error;
            exit = kCliLocalFile;
            return false;
        }
        if (n == "config-put") {
            CConfigDocument document;
            if (!document.LoadText(bytes)) {
                error = "config put: '" + c.args[0] + "' is not a CONFIG.XML document (it does not parse)";
                exit = kCliLocalFile;
                return false;
            }
        }
        return true;
    }
    if (n == "config-get" && c.args.at(0) != "-" && IsFolder(c.args[0])) {
        error = "config get: FILE '" + c.args[0] + "' is a folder; give a file name";
        return false;
    }
    if (n == "config-set") {
        for (const auto& a : c.args) {
            const auto eq = a.find('=');
            const std::string key = a.substr(0, eq);
            if (eq == std::string::npos ||
                std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) {
                error = "config set: '" + a + "' is not KEY=VALUE with KEY one of name zone dst clock address ip "
                        "mask gateway dhcp dhcpname";
                return false;
            }
            const std::string value = a.substr(eq + 1);
            bool on = false;
            int32_t minutes = 0;
            if ((key == "dst" || key == "dhcp") && !OnOff(value, on)) {
                error = "config set: " + a + ": expected on or off";
                return false;
            }
            if (key == "clock" && ClockIndex(value) < 0) {
                error = "config set: " + a + ": expected 0-4 or auto, internal, 50hz, 60hz, gps";
                return false;
            }
            if (key == "zone" && !ParseZone(value, minutes)) {
                error = "config set: " + a + ": expected an offset from GMT such as +05:45 or -3";
                return false;
            }
        }
    }
    return true;
}

CliResult CliRunAtAddress(CliSession& s, const CliCommand& c, const std::string& target, uint8_t address)
{
    const auto start = Clock::now();
    CliResult r;
    CKorNetwork& link = s.Link();
    const std::string& n = c.name;
    if (n == "ping") {
        const int16_t status = link.Ping(address);
        if (status != KORNET_OK) r = Failed(status, 0, "Ping failed: ");
        else r.data["roundTripMs"] = MsSince(start);
    } else if (n == "status") {
        std::string statusText, configText;
        r = GetFile(s, address, s.app.documents.status, false, statusText);
        if (r.Ok()) r = GetFile(s, address, s.app.documents.config, false, configText);
        if (r.Ok()) {
            CXmlDocument status;
            status.Parse(statusText, true);
            if (!status.FindNextElement("STATUS")) {
                r.status = ERR_SIGN_INVALID_RESPONSE;
                r.exit = kCliSomeFailed;
                r.message = kJxNoStatusElement;
            } else {
                auto number = [&](const char* a) { return JxDocumentNumber(status.GetAttribute(a)); };
                r.data["name"] = status.GetAttribute("ds");
                r.data["firmware"] = status.GetAttribute("vr");
                r.data["memory"] = JxMemoryLine(number("mem"), number("fmem"), number("dmem"));
                r.data["volatileMemory"] = JxVolatileMemoryLine(number("vmem"), number("vfmem"));
                CConfigDocument config;
                std::string type;
                if (config.LoadText(configText)) config.GetDisplayType(type);
                r.data["displayType"] = type;
            }
        }
    } else if (n == "ls") {
        std::string directory;
        r = GetFile(s, address, s.app.documents.directory, false, directory);
        if (r.Ok()) {
            const CRemotePaneUpdate pane = ShowDirectoryAndStatus({}, {}, std::nullopt, directory);
            if (!pane.ok) {
                r.status = ERR_SIGN_INVALID_RESPONSE;
                r.exit = kCliSomeFailed;
                r.message = pane.message;
            } else {
                json files = json::array();
                for (const auto& row : pane.pane.rows)
                    files.push_back({{"name", row.name}, {"size", std::stoll(row.sizeText)}, {"time", row.timeText}});
                r.data["files"] = files;
            }
        }
    } else if (n == "get" || n == "config-get") {
        const std::string remote = n == "get" ? c.args.at(0) : s.app.documents.config;
        std::string local = n == "get" ? c.local : c.args.at(0);
        if (local.empty()) local = CliLocalNameFor(remote);
        if (c.severalPlaces && local != "-") local += PlaceSuffix(target, address);
        const uint8_t* data = nullptr;
        size_t length = 0;
        r = GetFile(s, address, remote, n == "get", data, length);
        std::string error;
        if (r.Ok() && !WriteLocalFile(local, data, length, error)) r = LocalFailure(error);
        if (r.Ok()) {
            r.data["remote"] = remote;
            r.data["local"] = local;
            r.data["bytes"] = length;
        }
    } else if (n == "put") {
        std::string bytes, error;
        const std::string remote = c.args.size() > 1 ? c.args[1] : Upper(BaseName(c.args.at(0)));
        if (!ReadLocalFile(c.args[0], bytes, error)) {
            r = LocalFailure(error);
        } else if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
            r = LocalFailure("put: '" + c.args[0] + "' is too large to send");
        } else {
            jx_resp_send_file_s response{};
            const int16_t status = link.JxSendFileCompressed(address, remote.c_str(),
                                                             reinterpret_cast<const uint8_t*>(bytes.data()),
                                                             static_cast<int32_t>(bytes.size()), &response, 0);
            if (status != KORNET_OK) r = Failed(status, response.error, FormatName(kJxUnableToSend, remote));
            r.data["remote"] = remote;
            r.data["bytes"] = bytes.size();
        }
    } else if (n == "rm") {
        json removed = json::array();
        for (const auto& name : c.args) {
            jx_resp_delete_file_s response{};
            const int16_t status = link.JxDeleteFile(address, name.c_str(), &response, 0);
            if (status != KORNET_OK) {
                r = Failed(status, response.error, "Unable to delete " + name + ": ");
                break;
            }
            removed.push_back(name);
        }
        r.data["removed"] = removed;
    } else if (n == "mv") {
        jx_resp_rename_file_s response{};
        const int16_t status = link.JxRenameFile(address, c.args.at(0).c_str(), c.args.at(1).c_str(), &response, 0);
        if (status != KORNET_OK) r = Failed(status, response.error, "Unable to rename " + c.args[0] + ": ");
    } else if (n == "reset") {
        CliMessageCapture capture;
        s.exchange.SetDisplay(address, s.connectionKind);
        // The tool's reset: a display that reboots before it answers counts as reset.
        if (!s.exchange.Reset()) {
            const std::string failure = capture.Texts(JxMessageKind::Critical);
            r.status = CliStatusOfFailureText(failure);
            r.exit = CliExitForStatus(r.status);
            r.message = failure;
        }
    } else if (n == "config-show") {
        std::string text;
        r = GetFile(s, address, s.app.documents.config, false, text);
        if (r.Ok()) {
            CConfigDocument document;
            if (!document.LoadText(text)) {
                r.status = ERR_SIGN_INVALID_RESPONSE;
                r.exit = kCliSomeFailed;
                r.message = FormatName(kJxUnreadableDocument, s.app.documents.config);
            } else {
                r.data = ConfigSummary(document);
            }
        }
    } else if (n == "config-set") {
        const auto settings = Settings(c);
        r = ConfigExchange(s, address, &settings, nullptr);
    } else if (n == "config-put") {
        std::string bytes, error;
        if (!ReadLocalFile(c.args.at(0), bytes, error)) r = LocalFailure(error);
        else r = ConfigExchange(s, address, nullptr, &bytes);
    }
    if (r.status != KORNET_OK && r.exit == kCliSuccess) r.exit = CliExitForStatus(r.status);
    r.target = target;
    r.address = address;
    r.milliseconds = MsSince(start);
    return r;
}
