#include "DirectRules.h"

#include <chrono>
#include <thread>

#include <KorNet.h>

#include "CConnectionChoice.h"
#include "LinkOperation.h"
#include "shell/CJxConfigApp.h"

std::vector<CListedPort> ListSerialPortsWithDevices()
{
    KorNetComPort ports[kJxMaxListedPorts] = {};
    const int16_t total = KorNetListComPorts(ports, kJxMaxListedPorts);
    std::vector<CListedPort> listed;
    for (int i = 0; i < total && i < kJxMaxListedPorts; ++i) {
        CListedPort port{"COM" + std::to_string(ports[i].number), ports[i].device};
        if (!port.device.empty()) port.entry += " (" + port.device + ")";
        // Names are kept to 100 characters, as the list has room for.
        if (port.entry.size() > 100) port.entry.resize(100);
        listed.push_back(std::move(port));
    }
    return listed;
}

std::vector<std::string> ListSerialPorts()
{
    std::vector<std::string> entries;
    for (CListedPort& port : ListSerialPortsWithDevices()) entries.push_back(std::move(port.entry));
    return entries;
}

const std::vector<std::string>& BaudRateTexts()
{
    static const std::vector<std::string> texts = {kJxAutoDetect, "2400",  "4800",  "19200",
                                                   "28800",       "38400", "57600", "115200"};
    return texts;
}

int32_t BaudRateValue(const std::string& text)
{
    if (text == kJxAutoDetect) return kJxAutoDetectBaud;
    return static_cast<int32_t>(LeadingNumber(text));
}

std::string BaudRateText(int32_t baud) { return baud == kJxAutoDetectBaud ? kJxAutoDetect : std::to_string(baud); }

int16_t PortNumberFromEntry(const std::string& entry)
{
    std::string rest = entry;
    for (auto at = rest.find("COM"); at != std::string::npos; at = rest.find("COM")) rest.erase(at, 3);
    const int64_t n = LeadingNumber(rest);
    return n > 0x7fff ? 0 : static_cast<int16_t>(n);
}

int FindPortEntry(const std::vector<std::string>& entries, const std::string& saved)
{
    if (saved.empty()) return -1;
    const std::string name = PortNameOf(saved);
    for (size_t i = 0; i < entries.size(); ++i)
        if (PortNameOf(entries[i]) == name) return static_cast<int>(i);
    return -1;
}

int FindEntryByPrefix(const std::vector<std::string>& entries, const std::string& saved)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].compare(0, saved.size(), saved) == 0) return static_cast<int>(i);
    return -1;
}

std::string AutoDetectText(int32_t rate)
{
    return "Configuring connection to display... \nAuto-detecting at " + std::to_string(rate);
}

bool ConfigureDirectLink(CJxConfigApp& app, CKorNetwork& link, const std::string& portEntry, int32_t baud,
                         uint8_t address, CLinkOwner* owner)
{
    const int16_t port = PortNumberFromEntry(portEntry);
    // A panel without ports has nothing to configure.
    if (port <= 0) return false;
    app.StoreSerialPort(port);
    app.ApplyNetworkPolicies(link, JxPolicyKind::Direct);
    if (baud != kJxAutoDetectBaud) return link.ConfigureDirect(port, baud, false) == KORNET_OK;
    return AutoDetectBaudRate(link, port, address, owner);
}

bool AutoDetectBaudRate(CKorNetwork& link, int16_t port, uint8_t address, CLinkOwner* owner)
{
    IProgressView* view = owner != nullptr ? owner->ProgressView() : nullptr;
    const auto cancelled = [owner] { return owner != nullptr && owner->Cancelled(); };
    const auto status = [owner](const std::string& text) {
        if (owner != nullptr) owner->SetOperationStatus(text);
    };
    const int count = static_cast<int>(std::size(kJxAutoDetectRates));
    if (view != nullptr) view->SetProgress(0, count);

    for (int32_t rate : kJxAutoDetectRates) {
        const std::string text = AutoDetectText(rate);
        status(text);
        if (link.ConfigureDirect(port, rate, false) == KORNET_OK && !cancelled() && link.Connect() == KORNET_OK) {
            const bool answered = link.Ping(address) == KORNET_OK && !cancelled();
            // The caller connects again at the rate found; a link that will
            // not close leaves nothing to connect with.
            if (link.Disconnect() != KORNET_OK) return false;
            if (answered) {
                status(text + "...FOUND!");
                if (view != nullptr) view->SetProgress(count, count);
                std::this_thread::sleep_for(std::chrono::milliseconds(kJxFoundPauseMs));
                return true;
            }
        }
        if (view != nullptr) view->StepProgress();
    }
    return false;
}
