#include "CController.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "Documents.h"

namespace jxsim {

namespace {
const char kDefaultVersionPrefix[] = "TJX";
const int64_t kFactoryTime = 1767225600;

std::string VersionText(const std::string& setting)
{
    if (setting.find('-') != std::string::npos) return setting;
    return std::string(kDefaultVersionPrefix) + "-" + setting;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail)
{
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}
}  // namespace

CController::CController(const CControllerSettings& settings, std::unique_ptr<CFileStore> store)
    : m_settings(settings),
      m_store(std::move(store)),
      m_address(settings.address),
      m_baud(settings.baud),
      m_compression(settings.compression),
      m_version(VersionText(settings.version))
{
}

uint64_t CController::FreeBytes() const
{
    const uint64_t used = m_store->UsedBytes();
    return used >= m_settings.memoryBytes ? 0 : m_settings.memoryBytes - used;
}

uint64_t CController::FragmentedBytes() const { return std::min(m_fragmented, FreeBytes()); }

bool CController::IsSupportedBaud(uint32_t baud)
{
    static const uint32_t kRates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

bool CController::ListensTo(uint8_t broadcast) const
{
    if (broadcast == 0) return (m_broadcastMask & 1) != 0;
    if (broadcast >= 241) return (m_broadcastMask & (1u << (broadcast - 240))) != 0;
    return false;
}

void CController::SetListening(uint8_t broadcast, bool on)
{
    unsigned bit = 0;
    if (broadcast == 0) bit = 1;
    else if (broadcast >= 241) bit = 1u << (broadcast - 240);
    if (on) m_broadcastMask = static_cast<uint16_t>(m_broadcastMask | bit);
    else m_broadcastMask = static_cast<uint16_t>(m_broadcastMask & ~bit);
}

void CController::Reboot(int64_t nowMs)
{
    ++m_resets;
    m_bootUntilMs = nowMs + std::max(0, m_settings.bootMs);
    m_last = LastExchange{};
    m_synced = false;
    m_fragmented = 0;  // the file system is tidied while it boots
    m_display.Reboot();
    for (auto& [type, ext] : m_extensions) ext->OnReboot();
    ReadConfiguration();
    ReadFirmwareVersion();
}

// What a booting controller takes from its CONFIG.XML: the software address
// and the speed of its serial port.
void CController::ReadConfiguration()
{
    Bytes raw;
    if (!m_store->Read("CONFIG.XML", raw)) return;
    const auto elements = ScanXmlElements(std::string(raw.begin(), raw.end()));
    uint8_t address = m_settings.address;
    bool portSeen = false;
    for (const auto& e : elements) {
        if (e.name == "ADDR") {
            if (const std::string* sw = e.Attribute("sw")) {
                const long v = std::strtol(sw->c_str(), nullptr, 10);
                if (v >= 1 && v <= 240) address = static_cast<uint8_t>(v);
            }
        } else if (e.name == "PORT" && !portSeen) {
            const std::string* type = e.Attribute("type");
            const std::string* protocol = e.Attribute("protocol");
            if (type == nullptr || protocol == nullptr) continue;
            if ((*type != "DIRECT" && *type != "MODEM") || (*protocol != "Kor" && *protocol != "HTCH")) continue;
            portSeen = true;
            if (const std::string* baud = e.Attribute("baud")) {
                const long v = std::strtol(baud->c_str(), nullptr, 10);
                if (v > 0 && IsSupportedBaud(static_cast<uint32_t>(v))) m_baud = static_cast<uint32_t>(v);
            }
        }
    }
    m_address = address;
}

// A booting controller runs the newest firmware image it holds.
void CController::ReadFirmwareVersion()
{
    std::vector<CFileEntry> images;
    for (const auto& f : m_store->List())
        if (EndsWithNoCase(f.name, ".EXE")) images.push_back(f);
    std::sort(images.begin(), images.end(), [](const CFileEntry& a, const CFileEntry& b) {
        return a.sec != b.sec ? a.sec > b.sec : a.name > b.name;
    });
    for (const auto& f : images) {
        Bytes image;
        if (!m_store->Read(f.name, image)) continue;
        const auto revision = FirmwareRevision(image);
        if (!revision) continue;
        const std::string number = VersionFromRevision(*revision);
        if (number.empty()) continue;
        const size_t dash = m_version.find('-');
        m_version = (dash == std::string::npos ? std::string(kDefaultVersionPrefix) : m_version.substr(0, dash)) + "-" +
                    number;
        return;
    }
}

std::string CController::DisplayName() const
{
    Bytes raw;
    if (!m_store->Read("CONFIG.XML", raw)) return m_settings.displayName;
    for (const auto& e : ScanXmlElements(std::string(raw.begin(), raw.end())))
        if (e.name == "CFG") {
            const std::string* ds = e.Attribute("ds");
            return ds != nullptr ? *ds : std::string();
        }
    return m_settings.displayName;
}

uint64_t CController::VolatileFreeBytes() const
{
    // The running firmware takes a fixed share; every playlist entry and the
    // real-time data take theirs.
    const uint64_t used = 262144 + 4096 * m_display.playlist.size() + m_display.rtd.size();
    return used >= m_settings.volatileBytes ? 0 : m_settings.volatileBytes - used;
}

void CController::SeedStore(bool samples)
{
    CConfigDefaults defaults;
    if (!m_settings.displayName.empty()) defaults.displayName = m_settings.displayName;
    defaults.baud = m_settings.baud;
    defaults.tcpPort = m_settings.tcpPort;
    const std::string config = FactoryConfigXml(defaults);
    const bool empty = m_store->List().empty();
    CFileEntry existing;
    if (!m_store->Find("CONFIG.XML", existing)) m_store->Write("CONFIG.XML", Bytes(config.begin(), config.end()), kFactoryTime);
    if (!samples || !empty) return;
    m_store->Write("DEFAULTS.XML", Bytes(config.begin(), config.end()), kFactoryTime);
    const size_t dash = m_version.find('-');
    for (const auto& f : SampleFiles(dash == std::string::npos ? m_version : m_version.substr(dash + 1)))
        m_store->Write(f.name, f.data, f.sec);
}

}  // namespace jxsim
