// What a controller keeps for the older single-byte command set: messages,
// schedules and graphics by name in stores of their own (apart from the Jx
// file store), the message on show, schedules, counters, configuration and
// the other settings those commands make. Tests read it with LegacyStores().
//
// The controller's own layouts, which the host passes through:
// - list entry (32 bytes): name (17, zero-padded), the time stamp of its
//   store header (6), length (32-bit), option byte it was stored with, 3 zeros;
// - retrieval header reply (64 bytes): code, error, name at 2..18, blocks at
//   24, block size at 26, length at 28, error at 32, time stamp at 33..38,
//   option byte at 39;
// - status (128 bytes, see kStatus* below), error byte at 80.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "BlockServer.h"
#include "CController.h"
#include "SimTypes.h"

namespace jxsim {

class CJxSimulator;

struct CLegacyItem {
    Bytes data;
    uint8_t stamp[6] = {};  // seconds, minutes, hours, day, month (0-11), years since 1900
    uint8_t option = 0;     // the header's option byte (schedules: with their flag bits)
};

struct CLegacyConfiguration {
    bool set = false;
    std::string name;
    uint16_t c1 = 0, c2 = 0, c3 = 0;
    uint8_t c4 = 0, c5 = 0;
    uint16_t c6 = 0;
    uint8_t option = 0;
};

struct CLegacyStores {
    std::map<std::string, CLegacyItem> messages;
    std::map<std::string, CLegacyItem> schedules;
    std::map<std::string, CLegacyItem> graphics;

    std::string running;        // the message on show; empty when none
    uint8_t runCount = 0;       // byte 19 of the run request (times to run, or A)
    uint8_t runMode = 0;        // byte 20 (1: as soon as possible, or B)
    uint8_t runOption = 0;
    std::string defaultMessage; // set by SetDefaultMessage with its flag on
    bool scheduleRunning = false;
    uint8_t scheduleMode = 0;   // byte 1 of the last run schedule request
    uint8_t testPattern = 0;
    uint8_t resetA = 0;
    bool resetFlag = false;
    int firmwareErasures = 0;
    uint8_t softwareAddress = 0;  // 0: none set
    int16_t tempOffset = 0;
    int16_t lineFreqMode = 0;
    Bytes counter;                          // the 35 bytes of the last SetCounter
    std::map<uint8_t, bool> countersRunning;  // by counter byte A
    CLegacyConfiguration configuration;

    uint64_t StoredBytes() const;
};

// The family's per-controller state: the stores and the transfers under way.
struct CLegacySignState final : CControllerExtension {
    CLegacyStores stores;

    struct Incoming : CIncomingBlocks {
        std::map<std::string, CLegacyItem> CLegacyStores::*store = nullptr;  // where it goes
        std::string name;
        CLegacyItem item;  // stamp and option byte; the data arrives in blocks
    } in;
    COutgoingBlocks out;

    // A reboot breaks off transfers and stops what was on show; the stores
    // are in flash and stay.
    void OnReboot() override
    {
        in = Incoming{};
        out = COutgoingBlocks{};
        stores.running.clear();
        stores.scheduleRunning = false;
    }
};

inline constexpr uint16_t kLegacyBlockSize = 247;      // data bytes per store and retrieve block
inline constexpr uint16_t kLegacyListBlockSize = 224;  // seven 32-byte list entries per block
inline constexpr size_t kLegacyNameWidth = 17;
inline constexpr size_t kLegacyListEntrySize = 32;

// Offsets in the 128-byte status reply.
inline constexpr size_t kStatusRunning = 2;          // 17: the message on show
inline constexpr size_t kStatusBlanked = 19;         // 1 when blanked
inline constexpr size_t kStatusDimming = 20;         // dimming level
inline constexpr size_t kStatusClock = 21;           // 6: the controller's local time, time stamp order
inline constexpr size_t kStatusMessages = 27;        // 16-bit counts of messages,
inline constexpr size_t kStatusSchedules = 29;       // schedules
inline constexpr size_t kStatusGraphics = 31;        // and graphics stored
inline constexpr size_t kStatusScheduleRunning = 33;
inline constexpr size_t kStatusSoftwareAddress = 34;
inline constexpr size_t kStatusTempOffset = 35;      // 16-bit
inline constexpr size_t kStatusLineFreqMode = 37;    // 16-bit
inline constexpr size_t kStatusDefaultMessage = 39;  // 17
inline constexpr size_t kStatusFreeMemory = 56;      // 32-bit, bytes
inline constexpr size_t kStatusTestPattern = 60;
inline constexpr size_t kStatusAddress = 61;         // the address it answers
inline constexpr size_t kStatusVersion = 62;         // 18: "TJX-3.08", zero-padded
inline constexpr size_t kStatusErrorByte = 80;
inline constexpr size_t kStatusSize = 128;

// A copy of one controller's legacy state (`address` as CJxSimulator::Files()
// takes it); empty when there is no such controller.
CLegacyStores LegacyStores(CJxSimulator& sim, uint8_t address = 0);
// Replaces what a test wants in place before the host asks.
bool SetLegacyStores(CJxSimulator& sim, const CLegacyStores& stores, uint8_t address = 0);

}  // namespace jxsim
