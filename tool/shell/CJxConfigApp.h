// The application object: every setting the tool keeps between runs, the
// folders and document names it uses, the factory defaults the configuration
// windows compare against, and the site policies applied to every link.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "CNetworkPolicies.h"
#include "CSettingsStore.h"
#include "connection/ConnectionKind.h"
#include "xml/CXmlDocument.h"

class CKorNetwork;

// Values a new controller configuration starts from.
struct CFactoryDefaults {
    std::string modemInit = "AT&F&D&C0V0S0=1&W0";
    int32_t serialBaud = 19200;
    int32_t serialHandshake = 0;
    int32_t tcpPort = 3001;
    int32_t udpPort = 3002;
    std::string gamma = "2.20";
    std::string gammaMin = "1.00";
    std::string gammaMax = "2.75";
    double gammaStep = 0.05;
    int32_t logmax = 20000;
    int32_t mode = 0;
};

// The documents the tool exchanges with a display, and the file kinds it sends.
struct CDocumentNames {
    std::string config = "CONFIG.XML";
    std::string status = "STATUS.XML";
    std::string directory = "DIRECTORY.XML";
    std::string catalogue = "MODULES.XML";
    std::string firmwareExtension = ".EXE";
    std::string firmwareExtensionAlt = ".EXE";
    std::string driverExtension = ".RBF";
    std::string driverExtensionAlt = ".RBF";
};

// Where the tool finds and puts its files.
struct CToolFolders {
    std::string program;              // no trailing separator
    std::string temp;                 // no trailing separator
    std::string data;                 // ends with "/" (empty when unusable)
    std::string serverConfiguration;
};

// What the operator chose last time: folders and files of the firmware
// window, and the connection the Connect window starts from.
struct CSavedChoices {
    std::string directory;            // ends with "/"
    std::string firmwareFile;
    std::string firmwareDriver;
    JxConnectionKind connectionKind = JxConnectionKind::Direct;
    std::string networkAddress = "1";
    std::string serialPort;           // "COM3"
    int32_t serialBaud = 19200;       // 0: auto-detect
    int modemIndex = 0;
    std::string phoneNumber;
    std::string ipAddress;
    bool socketIsDefault = true;
    int32_t socketNumber = 3001;
};

// The library's diagnostics log for the tool's links: on or off, and the
// folder its files go to (ends with "/").
struct CDiagnosticsChoice {
    bool enabled = false;
    std::string folder;

    bool operator==(const CDiagnosticsChoice&) const = default;
};

class CJxConfigApp {
public:
    static constexpr const char* kUserKey = "Software\\Corvanta\\Tolvar\\V2\\JxConfig";
    static constexpr const char* kMachineKey = "Software\\Corvanta\\Tolvar\\V2\\Settings";
    static constexpr const char* kUserKeyError =
        "Error in creating registry key: Software\\Corvanta\\Tolvar\\V2\\JxConfig under HKEY_CURRENT_USER";

    // Creation: defaults, folders, then the per-user values. The stores are
    // not owned and must outlive the object. When the per-user store cannot
    // be opened or created, StartupMessage() holds the message to show.
    CJxConfigApp(CSettingsStore& user, CSettingsStore& machine);

    // Start-up: loads the module catalogue from the shipped data folder,
    // sets the reset option to 1 and reads "Saved Directory".
    void StartUp();
    // Exit: writes the four saved values.
    void SaveOnExit();

    // Message for the operator from creation (empty when none).
    const std::string& StartupMessage() const { return m_startupMessage; }

    // Before each library configure: refresh folders, read KorConfig.xml,
    // and give the link the retries and time-out of `kind`, and relaxed
    // validation when the site enables it.
    void ApplyNetworkPolicies(CKorNetwork& link, JxPolicyKind kind);
    std::string PolicyFilePath() const;
    const CNetworkPolicies& Policies() const { return m_policies; }

    // The diagnostics log of every link the tool configures (also applied by
    // ApplyNetworkPolicies). Any thread may call these. Switching it on makes
    // the folder when it is missing (empty: DefaultDiagnosticsFolder()); when
    // the folder cannot be made or written to, the log stays as it was and
    // the result is the message for the operator (empty on success). The
    // choice is stored for the next start.
    CDiagnosticsChoice Diagnostics() const;
    std::string SetDiagnostics(bool enabled, const std::string& folder);
    void ApplyDiagnostics(CKorNetwork& link) const;
    std::string DefaultDiagnosticsFolder() const;

    // Direct and TCP/IP panels store their choice at every configure.
    void StoreSerialPort(int32_t comNumber);
    void StoreSocket(int32_t socketNumber, const std::string& ipAddress);

    // Loads a catalogue from `path` (start-up uses the shipped MODULES.XML).
    bool LoadCatalogue(const std::string& path);

    CDocumentNames documents;
    // The module catalogue (MODULES.XML) as loaded at start-up.
    CXmlDocument catalogue;
    bool catalogueLoaded = false;
    CToolFolders folders;
    CSavedChoices saved;
    uint8_t resetOption = 1;
    CFactoryDefaults factory;

private:
    void RefreshFolders();

    CSettingsStore& m_user;
    CSettingsStore& m_machine;
    bool m_userOpen = false;
    std::string m_startupMessage;
    CNetworkPolicies m_policies;
    mutable std::mutex m_diagnosticsMutex;
    CDiagnosticsChoice m_diagnostics;
};
