#include "CJxConfigApp.h"

#include <KorNet.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "JxPaths.h"

namespace {
std::string WithTrailingSlash(std::string s)
{
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}
}  // namespace

CJxConfigApp::CJxConfigApp(CSettingsStore& user, CSettingsStore& machine) : m_user(user), m_machine(machine)
{
    folders.program = JxProgramFolder();
    folders.temp = JxTempFolder();

    m_userOpen = m_user.Open(false) || m_user.Open(true);
    if (!m_userOpen) {
        m_startupMessage = kUserKeyError;
        return;
    }
    if (auto socket = m_user.ReadNumber("Socket Number")) {
        saved.socketNumber = static_cast<int32_t>(*socket);
        saved.socketIsDefault = *socket == 3001;
        // The address is only trusted next to a socket number stored as one.
        if (auto ip = m_user.ReadString("IP Address", 50)) saved.ipAddress = *ip;
    }
    if (auto port = m_user.ReadNumber("Serial Port")) saved.serialPort = "COM" + std::to_string(static_cast<int32_t>(*port));
    if (auto phone = m_user.ReadString("Saved Phone Number", 20)) saved.phoneNumber = *phone;
    if (auto file = m_user.ReadString("Saved Firmware File", 260); file && JxFileExists(*file)) saved.firmwareFile = *file;
    if (auto driver = m_user.ReadString("Saved Firmware Driver", 260); driver && JxFileExists(*driver))
        saved.firmwareDriver = *driver;
    if (auto folder = m_user.ReadString("Diagnostics Folder", 4096)) m_diagnostics.folder = *folder;
    // A log left on is only switched on again where it can still be written.
    if (auto on = m_user.ReadNumber("Diagnostics Log"); on && *on != 0 && JxFolderExists(m_diagnostics.folder))
        m_diagnostics.enabled = true;
}

bool CJxConfigApp::LoadCatalogue(const std::string& path)
{
    catalogueLoaded = catalogue.LoadFileWithCrLf(path);
    return catalogueLoaded;
}

void CJxConfigApp::StartUp()
{
    LoadCatalogue(JxJoinPath(JxShippedDataFolder(documents.catalogue), documents.catalogue));
    resetOption = 1;
    saved.directory = WithTrailingSlash(folders.program);
    if (m_userOpen) {
        if (auto dir = m_user.ReadString("Saved Directory", 260); dir && !dir->empty() && JxFolderExists(*dir))
            saved.directory = WithTrailingSlash(*dir);
    }
}

void CJxConfigApp::SaveOnExit()
{
    if (!m_userOpen) m_userOpen = m_user.Open(true);
    if (!m_userOpen) return;
    m_user.WriteString("Saved Directory", saved.directory.empty() ? folders.program : saved.directory);
    m_user.WriteString("Saved Phone Number", saved.phoneNumber);
    m_user.WriteString("Saved Firmware File", saved.firmwareFile);
    m_user.WriteString("Saved Firmware Driver", saved.firmwareDriver);
}

std::string CJxConfigApp::DefaultDiagnosticsFolder() const
{
    const std::string data = JxDataFolder();
    return data.empty() ? WithTrailingSlash(folders.temp) + "kornet-logs/" : data + "logs/";
}

CDiagnosticsChoice CJxConfigApp::Diagnostics() const
{
    std::lock_guard<std::mutex> lock(m_diagnosticsMutex);
    return m_diagnostics;
}

std::string CJxConfigApp::SetDiagnostics(bool enabled, const std::string& folderText)
{
    const std::string folder = WithTrailingSlash(folderText.empty() ? DefaultDiagnosticsFolder() : folderText);
    if (enabled) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!JxFolderExists(folder))
            return "Unable to keep the diagnostics log in " + folder + ": " +
                   (ec ? ec.message() : std::string("it is not a folder")) + ".";
        // The library opens its files for appending there; find out now
        // rather than lose the log without a word.
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return "Unable to keep the diagnostics log in " + folder + ": " + std::strerror(errno) + ".";
    }
    {
        std::lock_guard<std::mutex> lock(m_diagnosticsMutex);
        m_diagnostics = {enabled, folder};
    }
    if (m_userOpen) {
        m_user.WriteNumber("Diagnostics Log", enabled ? 1u : 0u);
        m_user.WriteString("Diagnostics Folder", folder);
    }
    return {};
}

void CJxConfigApp::ApplyDiagnostics(CKorNetwork& link) const
{
    const CDiagnosticsChoice choice = Diagnostics();
    if (choice.enabled) link.EnableDiagnostics(false, choice.folder.c_str());
    else link.DisableDiagnostics();
}

void CJxConfigApp::StoreSerialPort(int32_t comNumber)
{
    saved.serialPort = "COM" + std::to_string(comNumber);
    if (m_userOpen) m_user.WriteNumber("Serial Port", static_cast<uint32_t>(comNumber));
}

void CJxConfigApp::StoreSocket(int32_t socket, const std::string& ip)
{
    saved.socketNumber = socket;
    saved.ipAddress = ip;
    if (m_userOpen) {
        m_user.WriteNumber("Socket Number", static_cast<uint32_t>(socket));
        m_user.WriteString("IP Address", ip);
    }
}

void CJxConfigApp::RefreshFolders()
{
    folders.serverConfiguration = folders.program;
    if (m_machine.Open(false)) {
        if (auto path = m_machine.ReadString("Server Configuration Path", 260)) {
            std::string p = *path;
            if (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
            folders.serverConfiguration = p;
        }
    }
    folders.data = JxDataFolder();
}

std::string CJxConfigApp::PolicyFilePath() const
{
    return folders.data.empty() ? std::string("KorConfig.xml") : folders.data + "KorConfig.xml";
}

void CJxConfigApp::ApplyNetworkPolicies(CKorNetwork& link, JxPolicyKind kind)
{
    RefreshFolders();
    m_policies = ReadNetworkPoliciesFile(PolicyFilePath());
    const int k = static_cast<int>(kind);
    link.SetMaxNumberOfRetries(m_policies.retries[k]);
    link.SetTimeOut(m_policies.timeout[k]);
    if (m_policies.relaxedValidation) link.SetRelaxValidationMode();
    ApplyDiagnostics(link);
}
