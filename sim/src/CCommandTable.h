// The commands a controller understands, by family. A family registers its
// handlers here (single-byte command codes, or sub-commands of the extended
// prefix 0x80); the engine looks a type 0 frame up and answers a command
// that nobody registered with frame type 4 (unsupported).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "CController.h"
#include "SimFrame.h"
#include "SimTypes.h"

namespace jxsim {

inline constexpr uint8_t kExtendedPrefix = 0x80;

// Services of the simulator that handlers may consult.
class CSimServices {
public:
    virtual ~CSimServices() = default;
    // The error byte that commands naming `name` must fail with; 0 for none.
    virtual uint8_t FileFailure(const std::string& name) const = 0;
};

struct CCommandContext {
    CController& controller;
    const CFrame& request;
    bool broadcast;  // acted on, never answered
    CSimServices& services;

    const uint8_t* Data() const { return request.data.data(); }
    size_t Length() const { return request.data.size(); }
    // Name field of `width` bytes at `offset` (0-terminated or full width).
    std::string Name(size_t offset, size_t width) const { return NameField(Data(), Length(), offset, width); }
};

struct CCommandReply {
    uint8_t type = kTypeReply;
    Bytes data;
    bool rebootAfter = false;  // the controller reboots once the reply is out
    // Marks for faults that act within a transfer.
    enum class Transfer { None, Start, Block } transfer = Transfer::None;
    std::string note;          // shown in the log: "CONFIG.XML, 1234 bytes"
    bool statusByte = false;   // byte 2 is a state the host reads, not an error

    // Reply data of `size` bytes: the command echoed, the error byte after it.
    static CCommandReply Extended(uint8_t sub, uint8_t error, size_t size = 8);
    static CCommandReply Single(uint8_t code, uint8_t error, size_t size = 8);
    static CCommandReply OfType(uint8_t type);
    // The error byte where the family puts it (byte 2 of extended replies,
    // byte 1 of single-byte ones); 0 when the reply has none.
    uint8_t ErrorByte() const;
};

using CCommandHandler = std::function<CCommandReply(CCommandContext&)>;

class CCommandTable {
public:
    struct Entry {
        std::string name;
        CCommandHandler handler;
    };

    // A single-byte command code (1..127). Registering a command twice
    // throws std::logic_error.
    void Register(uint8_t code, std::string name, CCommandHandler handler);
    // A sub-command of the extended prefix 0x80.
    void RegisterExtended(uint8_t sub, std::string name, CCommandHandler handler);

    // The entry for a type 0 request's data; null when none is registered.
    const Entry* Find(const Bytes& data) const;
    static uint16_t KeyOf(const Bytes& data);

private:
    void Add(uint16_t key, std::string name, CCommandHandler handler);

    std::map<uint16_t, Entry> m_entries;  // code, or 0x8000 | sub
};

// Error bytes a controller puts in its replies.
inline constexpr uint8_t kErrNone = 0;
inline constexpr uint8_t kErrFileSystem = 1;  // can't access the file system
inline constexpr uint8_t kErrNotFound = 2;    // can't find the file
inline constexpr uint8_t kErrAllocation = 3;  // memory allocation error
inline constexpr uint8_t kErrStoreFull = 4;   // out of file memory
inline constexpr uint8_t kErrFlashWrite = 5;  // failed flash write
inline constexpr uint8_t kErrNotReady = 7;    // not ready to execute
inline constexpr uint8_t kErrOutOfRange = 8;  // out of range

}  // namespace jxsim
