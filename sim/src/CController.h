// One display controller on the line: its address, its file store, its line
// speed, the broadcast addresses it listens to, its boot state and what its
// display runs. Command families keep their own per-controller state in
// extensions (State<T>()), so a new family needs nothing added here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <unordered_map>

#include "CFileStore.h"
#include "DisplayState.h"
#include "SimTypes.h"

namespace jxsim {

struct CControllerSettings {
    uint8_t address = 1;            // hardware address, 1..240
    uint32_t baud = 19200;
    int bootMs = 3000;              // silent this long after a reset
    std::string version = "3.08";   // firmware version, or a whole "PREFIX-3.08" text
    std::string displayName;        // ds of the factory CONFIG.XML; empty: the factory default
    uint64_t memoryBytes = 8000000; // file memory
    uint64_t volatileBytes = 2000000;
    bool compression = true;        // false: an older controller without compressed transfers
    uint16_t tcpPort = 3001;        // written into the factory CONFIG.XML
    uint16_t getBlockSize = 246;    // data bytes per block it sends, 1..246
};

// Per-controller state of a command family. OnReboot runs when the
// controller restarts (reset command); what it keeps survives the reboot.
class CControllerExtension {
public:
    virtual ~CControllerExtension() = default;
    virtual void OnReboot() {}
};

class CController {
public:
    CController(const CControllerSettings& settings, std::unique_ptr<CFileStore> store);

    // The address it answers: the hardware address, or the software address
    // (ADDR sw of CONFIG.XML) it read at its last boot.
    uint8_t Address() const { return m_address; }
    uint8_t HardwareAddress() const { return m_settings.address; }
    const CControllerSettings& Settings() const { return m_settings; }

    CFileStore& Store() { return *m_store; }
    const CFileStore& Store() const { return *m_store; }
    uint64_t CapacityBytes() const { return m_settings.memoryBytes; }
    uint64_t FreeBytes() const;
    // Free memory left in pieces by deletes and replacements since boot.
    uint64_t FragmentedBytes() const;
    void NoteFreed(uint64_t bytes) { m_fragmented += bytes; }

    uint32_t Baud() const { return m_baud; }
    void SetBaud(uint32_t baud) { m_baud = baud; }
    static bool IsSupportedBaud(uint32_t baud);

    bool CompressionSupported() const { return m_compression; }
    void SetCompressionSupported(bool on) { m_compression = on; }

    // Broadcast address 0 is heard from the start; 241..255 once enabled.
    bool ListensTo(uint8_t broadcast) const;
    void SetListening(uint8_t broadcast, bool on);
    // Bit 0 for address 0, bit n for address 240 + n.
    uint16_t BroadcastMask() const { return m_broadcastMask; }

    // Reset: silent for the boot time, every sync forgotten, the display
    // starts afresh; then CONFIG.XML and the firmware image are read again.
    void Reboot(int64_t nowMs);
    bool Booting(int64_t nowMs) const { return nowMs < m_bootUntilMs; }
    int ResetCount() const { return m_resets; }

    // The last exchange, for answering a retry (same sequence, same bytes)
    // with the same reply instead of acting twice.
    struct LastExchange {
        bool valid = false;
        uint8_t seqType = 0;
        Bytes request;
        Bytes reply;  // the reply frame, empty when none was sent
    };
    LastExchange& Last() { return m_last; }
    void Synchronised() { m_last = LastExchange{}; m_synced = true; }
    bool IsSynchronised() const { return m_synced; }

    CDisplayState& Display() { return m_display; }
    const CDisplayState& Display() const { return m_display; }
    int64_t ClockNow() const { return UnixNow() + m_display.clockOffset; }

    // "TJX-3.08": the vr text of STATUS.XML.
    const std::string& FirmwareVersion() const { return m_version; }
    // ds of CONFIG.XML as it is now.
    std::string DisplayName() const;
    uint64_t VolatileFreeBytes() const;

    // Seeds a fresh store: CONFIG.XML when it is missing, and the sample
    // files when `samples` is set and the store holds nothing else.
    void SeedStore(bool samples);

    template <class T>
    T& State()
    {
        auto& slot = m_extensions[std::type_index(typeid(T))];
        if (!slot) slot = std::make_unique<T>();
        return static_cast<T&>(*slot);
    }

private:
    void ReadConfiguration();
    void ReadFirmwareVersion();

    CControllerSettings m_settings;
    std::unique_ptr<CFileStore> m_store;
    uint8_t m_address;
    uint32_t m_baud;
    bool m_compression;
    uint16_t m_broadcastMask = 1;
    int64_t m_bootUntilMs = 0;
    int m_resets = 0;
    uint64_t m_fragmented = 0;
    bool m_synced = false;
    LastExchange m_last;
    CDisplayState m_display;
    std::string m_version;
    std::unordered_map<std::type_index, std::unique_ptr<CControllerExtension>> m_extensions;
};

}  // namespace jxsim
