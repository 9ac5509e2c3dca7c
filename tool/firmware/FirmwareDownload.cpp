#include "FirmwareDownload.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <KorNet.h>

#include "FirmwareChecks.h"
#include "FirmwareImage.h"
#include "connection/LinkOperation.h"
#include "connection/ConfigureLink.h"
#include "connection/DirectRules.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/JxPaths.h"
#include "shell/MessageBox.h"
#include "shell/StatusText.h"

namespace {

struct ImageTexts {
    const char* invalidPath;
    const char* wrongType;
    const char* missing;
    const char* cannotOpen;
    const char* cannotRead;
    const char* sendFailed;
    const char* status;
};

const ImageTexts& TextsOf(JxImageKind kind)
{
    static const ImageTexts firmware{
        "The Firmware path you specified is invalid.",
        "The Firmware file needs to be %s extension.",
        "The Firmware file was not found.",
        "Could not open firmware file to send to display.",
        "Unable to read firmware file.",
        "Unable to download firmware. The display will need to be reset.\nError cause: ",
        "Downloading new firmware to display...",
    };
    static const ImageTexts driver{
        "The Driver path you specified is invalid.",
        "The Firmware Driver needs to be %s extension.",
        "The Driver file was not found.",
        "Could not open firmware driver to send to display.",
        "Unable to read firmware driver.",
        "Unable to download driver. The display will need to be reset.\nError cause: ",
        "Downloading new Driver to display...",
    };
    return kind == JxImageKind::Firmware ? firmware : driver;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void RealWait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// One run: the request, the owner's link and where the run stands.
class CFirmwareDownload {
public:
    CFirmwareDownload(CLinkOwner& owner, CJxConfigApp& app, const CFirmwareDownloadRequest& request,
                      const JxWaitFunction& wait)
        : m_owner(owner),
          m_link(owner.Link()),
          m_app(app),
          m_request(request),
          m_wait(wait ? wait : JxWaitFunction(RealWait)),
          m_address(NetworkAddressValue(request.connection.networkAddress))
    {
    }

    CFirmwareDownloadResult Run();

private:
    // A failed path check stops the run as Abort would: nothing after it
    // is reported, and the run ends before it connects.
    bool Stopped() const { return m_pathsFailed || m_owner.Cancelled(); }
    // A failure, or (Warning) a choice of the operator's that cannot be used.
    void Report(const std::string& message, JxMessageKind kind = JxMessageKind::Critical)
    {
        if (!Stopped()) JxShowMessage(kind, message);
    }
    void Status(const std::string& text) { m_owner.SetOperationStatus(text); }
    void Progress(const std::function<void(IProgressView&)>& change)
    {
        if (IProgressView* view = m_owner.ProgressView()) change(*view);
    }

    void CheckPaths();
    bool Configure();
    bool Connect();
    bool SwitchToHighSpeed();
    bool VersionAllowsDownload();
    bool SendImage(JxImageKind kind, const std::string& path, const std::string& remoteName);
    void RemoveOldFirmware();
    void Disconnect();

    CLinkOwner& m_owner;
    CKorNetwork& m_link;
    CJxConfigApp& m_app;
    const CFirmwareDownloadRequest& m_request;
    JxWaitFunction m_wait;
    uint8_t m_address;
    bool m_pathsFailed = false;
    CFirmwarePathCheck m_firmware, m_driver;
    bool m_ok = false;
    CFirmwareDownloadResult m_result;
};

void CFirmwareDownload::CheckPaths()
{
    m_firmware = CheckFirmwarePath(m_request.firmwarePath, m_app.documents.firmwareExtensionAlt, JxImageKind::Firmware);
    if (!m_firmware.message.empty()) {
        Report(m_firmware.message, JxMessageKind::Warning);
        m_pathsFailed = true;
    }
    m_driver = CheckFirmwarePath(m_request.driverPath, m_app.documents.driverExtensionAlt, JxImageKind::Driver);
    if (!m_driver.message.empty()) {
        Report(m_driver.message, JxMessageKind::Warning);
        m_pathsFailed = true;
    }
    if (!m_firmware.selected && !m_driver.selected) {
        Report(kJxNothingSelected, JxMessageKind::Warning);
        m_pathsFailed = true;
    }
}

bool CFirmwareDownload::Configure()
{
    Progress([](IProgressView& v) { v.SetRange(1); });
    Status("Configuring connection to display...");
    Progress([](IProgressView& v) { v.StepProgress(); });
    m_wait(kJxStepWaitMs);
    // A stopped run does not touch the line: configuring a direct link may
    // store its port and try every speed on it.
    if (Stopped() || !ConfigureLink(m_app, m_link, m_request.connection, &m_owner) || Stopped()) {
        Report(kJxNetworkSettingInvalid, JxMessageKind::Warning);
        return false;
    }
    return true;
}

bool CFirmwareDownload::Connect()
{
    Status("Connecting to display...");
    m_wait(kJxStepWaitMs);
    Progress([](IProgressView& v) { v.StepProgress(); });
    const int16_t status = m_link.Connect();
    if (status != KORNET_OK) {
        Report(JxWithPortReason(kJxUnableToConnect + StatusText(status), m_link));
        return false;
    }
    m_result.connected = true;
    return true;
}

// Moves a direct line to the high speed for the transfer. False when the
// run must end (the line is closed and could not be opened again).
bool CFirmwareDownload::SwitchToHighSpeed()
{
    m_owner.DisableAbort();
    Status("Setting the temporary baud rate to " + std::to_string(kJxHighSpeedBaud) + "...");
    m_wait(kJxStepWaitMs);
    const int16_t set = m_link.SetBaudRate(m_address, kJxHighSpeedBaud);
    // A display that took the new speed can only be reached at it, so an
    // Abort that came meanwhile does not keep the run on the old one.
    if (set != KORNET_OK) {
        Report("Unable to set the temporary baud rate: " + StatusText(set));
        Status("Connecting to display...");
        m_owner.EnableAbort();
        return true;
    }

    Status("Disconnecting from display...");
    m_wait(kJxStepWaitMs);
    const int16_t closed = m_link.Disconnect();
    if (closed != KORNET_OK) {
        Report(kJxUnableToDisconnect + StatusText(closed));
        m_link.SetBaudRate(m_address, static_cast<uint32_t>(m_app.factory.serialBaud));
        m_owner.EnableAbort();
        return true;
    }
    m_result.connected = false;

    Status("Configuring the network...");
    m_wait(kJxStepWaitMs);
    const int16_t configured =
        m_link.ConfigureDirect(PortNumberFromEntry(m_request.connection.serialPort), kJxHighSpeedBaud, false);
    if (configured != KORNET_OK) {
        Report("Unable to configure network: " + StatusText(configured));
        m_owner.EnableAbort();
        return false;
    }
    Status("Connecting to display...");
    m_wait(kJxStepWaitMs);
    const int16_t connected = m_link.Connect();
    m_owner.EnableAbort();
    if (connected != KORNET_OK) {
        Report(JxWithPortReason(kJxUnableToConnect + StatusText(connected), m_link));
        return false;
    }
    m_result.connected = true;
    m_result.switched = true;
    return true;
}

// The version rule: a controller never goes back below the firmware
// generation it runs.
bool CFirmwareDownload::VersionAllowsDownload()
{
    const int controller = ClassifyControllerFirmware(m_link, m_address);
    const int image = ClassifyFirmwareFile(m_request.firmwarePath);
    if (image == kJxImageNotValid) {
        Report("The selected selected firmware file is not valid.", JxMessageKind::Warning);
        return false;
    }
    if (image == kJxImageBefore307 && controller == kJxController307) {
        Report("The selected controller is using version 3.07 firmware and cannot be reverted to a pre-3.07 version.", JxMessageKind::Warning);
        return false;
    }
    if ((image == kJxImageBefore307 || image == kJxImage307) && controller == kJxController308OrLater) {
        Report("The selected controller is using version 3.08 firmware or higher and cannot be reverted to a "
               "pre-3.08 version.", JxMessageKind::Warning);
        return false;
    }
    return true;
}

bool CFirmwareDownload::SendImage(JxImageKind kind, const std::string& path, const std::string& remoteName)
{
    const ImageTexts& texts = TextsOf(kind);
    Status(texts.status);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Report(texts.cannotOpen);
        return false;
    }
    std::vector<uint8_t> data;
    try {
        data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (...) {
        data.clear();
        file.setstate(std::ios::badbit);
    }
    if (file.bad() || data.size() > static_cast<size_t>(INT32_MAX)) {
        Report(texts.cannotRead);
        return false;
    }
    jx_resp_send_file_s response{};
    const int16_t status = m_link.JxSendFileCompressed(m_address, Upper(remoteName).c_str(), data.data(),
                                                       static_cast<int32_t>(data.size()), &response, 0);
    if (status != KORNET_OK) {
        Report(texts.sendFailed + StatusText(status, response.error));
        return false;
    }
    return true;
}

void CFirmwareDownload::RemoveOldFirmware()
{
    // The controller stores the new image before it can list it; nothing
    // here may be cut short.
    m_owner.DisableAbort();
    Status("Retrieving directory from display...");
    Progress([](IProgressView& v) { v.SetProgress(0, kJxSettleSeconds); });
    for (int i = 0; i < kJxSettleSeconds; ++i) {
        m_wait(kJxStepWaitMs);
        Progress([](IProgressView& v) { v.StepProgress(); });
    }
    std::vector<std::string> list;
    if (ListDisplayFirmware(m_owner, m_address, m_app.folders.temp, list, m_app.documents.firmwareExtensionAlt) && !Stopped()) {
        const auto self = std::find(list.begin(), list.end(), m_firmware.remoteName);
        if (self != list.end()) list.erase(self);
        Status("Deleting old firmware from display...");
        m_wait(kJxStepWaitMs);
        DeleteOldFirmware(m_owner, m_address, list, m_firmware.remoteName);
    }
    m_owner.EnableAbort();
}

void CFirmwareDownload::Disconnect()
{
    m_owner.DisableAbort();
    Progress([](IProgressView& v) { v.SetStatusText("Disconnecting from display..."); });
    m_wait(kJxDisconnectWaitMs);
    const int16_t status = m_link.Disconnect();
    // Shown even after Abort: the line may still be held.
    if (status != KORNET_OK) JxShowMessage(JxMessageKind::Critical, kJxUnableToDisconnect + StatusText(status));
    m_owner.EnableAbort();
}

CFirmwareDownloadResult CFirmwareDownload::Run()
{
    CheckPaths();
    if (!Configure()) return m_result;
    if (!Connect()) return m_result;
    if (Stopped()) {
        const int16_t status = m_link.Disconnect();
        if (status != KORNET_OK) JxShowMessage(JxMessageKind::Critical, kJxUnableToDisconnect + StatusText(status));
        m_result.connected = false;
        return m_result;
    }

    const CConnectionChoice& c = m_request.connection;
    if (c.kind == JxConnectionKind::Direct && m_request.highSpeed &&
        static_cast<uint32_t>(c.baud) != kJxHighSpeedBaud) {
        if (!SwitchToHighSpeed()) {
            m_result.connected = false;
            return m_result;
        }
    }

    const int16_t ping = m_link.Ping(m_address);
    if (ping != KORNET_OK) {
        Report("Unable to communicate with display at address " + std::to_string(m_address) + ": " + StatusText(ping));
        Disconnect();
        return m_result;
    }
    m_ok = true;

    if (m_firmware.selected && !Stopped() && !VersionAllowsDownload()) {
        Disconnect();
        return m_result;
    }

    bool transferred = true;
    if (m_driver.selected && !Stopped()) {
        if (!SendImage(JxImageKind::Driver, m_request.driverPath, m_driver.remoteName) || Stopped()) {
            m_ok = false;
            transferred = false;
        }
    }
    if (transferred && m_firmware.selected && !Stopped()) {
        if (!SendImage(JxImageKind::Firmware, m_request.firmwarePath, m_firmware.remoteName) || Stopped()) {
            m_ok = false;
        } else {
            RemoveOldFirmware();
        }
    }

    m_result.reset = ResetAfterDownload(m_owner, m_app, c.kind, m_address, m_ok, m_wait);
    m_result.updated = m_result.reset && m_ok && !Stopped();
    Disconnect();
    return m_result;
}

}  // namespace

CFirmwarePathCheck CheckFirmwarePath(const std::string& path, const std::string& type, JxImageKind kind)
{
    const ImageTexts& texts = TextsOf(kind);
    CFirmwarePathCheck check;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        if (!path.empty()) check.message = texts.invalidPath;
        return check;
    }
    const std::string name = Upper(path.substr(slash + 1));
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    if (Upper(extension) != Upper(type)) {
        check.message = FormatName(texts.wrongType, type);
        return check;
    }
    check.selected = true;
    check.remoteName = name.substr(0, dot) + Upper(type);
    if (!JxFileExists(path)) check.message = texts.missing;
    return check;
}

bool ResetAfterDownload(CLinkOwner& owner, CJxConfigApp& app, JxConnectionKind connectionKind, uint8_t address, bool ok,
                        const JxWaitFunction& wait)
{
    owner.DisableAbort();
    const bool dialup = connectionKind == JxConnectionKind::Dialup;
    if (IProgressView* view = owner.ProgressView())
        view->SetStatusText(dialup ? "Attempting to reset the display (6 second wait)..."
                                   : "Attempting to reset the display (1 second wait)...");
    const int waitMs = dialup ? kJxFirmwareResetWaitDialupMs : kJxFirmwareResetWaitMs;
    if (wait) wait(waitMs);
    else RealWait(waitMs);

    jx_resp_reset_display_s response{};
    const int16_t status = owner.Link().JxResetDisplay(address, app.resetOption, 0, &response);
    // A controller that resets before it answers gives no reply.
    const bool done = status == KORNET_OK || status == ERR_SIGN_NO_RESPONSE;
    // Either box is shown also after Abort: the operator must know whether
    // the display rebooted (a partly sent image needs the reset).
    if (done)
        JxShowMessage(JxMessageKind::Information,
                      std::string(ok && !owner.Cancelled() ? kJxFirmwareUpdated : kJxDisplayRebooting) + kJxWaitForBoot);
    else
        JxShowMessage(JxMessageKind::Critical, FailureText(kJxUnableToReset, std::string(), status, response.error));
    return done;
}

CFirmwareDownloadResult RunFirmwareDownload(CLinkOwner& owner, CJxConfigApp& app, const CFirmwareDownloadRequest& request,
                                            const JxWaitFunction& wait)
{
    return CFirmwareDownload(owner, app, request, wait).Run();
}
