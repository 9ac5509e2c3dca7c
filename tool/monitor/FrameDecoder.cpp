#include "FrameDecoder.h"

#include <algorithm>
#include <cstdio>

#include "shell/StatusText.h"

namespace {
constexpr size_t kHeader = 6;
constexpr uint8_t kExtended = 0x80;

struct CCommandInfo {
    uint16_t command;
    const char* name;
    size_t nameOffset;  // 0: no file name
    size_t nameLength;
    size_t blockOffset;  // 0: no block number
};

// Jx names are 110 bytes after 80, sub-command and option; the older
// commands' names are 17 bytes after code and option.
constexpr size_t kJxName = 110;
constexpr size_t kOldName = 17;

const CCommandInfo kCommands[] = {
    {0x8001, "JxSendFile header", 3, kJxName, 0},
    {0x8002, "JxGetFile header", 3, kJxName, 0},
    {0x8003, "JxRenameFile", 3, kJxName, 0},
    {0x8004, "JxDeleteFile", 3, kJxName, 0},
    {0x8005, "file data block", 0, 0, 3},
    {0x8006, "file block request", 0, 0, 3},
    {0x8007, "JxRunMessage", 0, 0, 0},
    {0x8008, "JxStopMessage", 0, 0, 0},
    {0x8009, "JxMoveMessage", 0, 0, 0},
    {0x800A, "JxBlankDisplay", 0, 0, 0},
    {0x800B, "JxResetDisplay", 0, 0, 0},
    {0x800C, "JxRunSchedule", 0, 0, 0},
    {0x800D, "JxStopSchedule", 0, 0, 0},
    {0x800E, "JxSetDimming", 0, 0, 0},
    {0x800F, "JxSetTime", 0, 0, 0},
    {0x8010, "JxSetDisplayMode", 0, 0, 0},
    {0x8011, "JxSendRTD", 0, 0, 0},
    {0x8014, "JxSendFileCompressed header", 3, kJxName, 0},
    {0x8015, "JxGetFileCompressed header", 3, kJxName, 0},
    {0x8016, "JxSelectFrame", 0, 0, 0},
    {0x8017, "JxGetRunningMessage", 0, 0, 0},
    {1, "SetConfiguration", 2, kOldName, 0},
    {2, "GetStatus", 0, 0, 0},
    {3, "store data block", 0, 0, 2},
    {4, "retrieve block request", 0, 0, 2},
    {5, "SendMessage header", 2, kOldName, 0},
    {6, "RunMessage", 2, kOldName, 0},
    {7, "StopMessage", 2, kOldName, 0},
    {8, "GetMessage header", 2, kOldName, 0},
    {9, "GetMessageList header", 0, 0, 0},
    {10, "RemoveMessage", 2, kOldName, 0},
    {11, "SendSchedule header", 0, 0, 0},
    {12, "RunSchedule", 0, 0, 0},
    {13, "StopSchedule", 0, 0, 0},
    {14, "SetDimming", 0, 0, 0},
    {15, "BlankSign", 0, 0, 0},
    {16, "SetTime", 0, 0, 0},
    {17, "TestPattern", 0, 0, 0},
    {18, "ResetSign", 0, 0, 0},
    {21, "SetCounter", 0, 0, 0},
    {22, "SendRTD", 0, 0, 0},
    {23, "SetDefaultMessage", 2, kOldName, 0},
    {25, "EraseFirmware", 0, 0, 0},
    {26, "SendGraphic header", 2, kOldName, 0},
    {27, "GetGraphicList header", 0, 0, 0},
    {30, "RemoveGraphic", 2, kOldName, 0},
    {31, "SetSoftwareAddress", 0, 0, 0},
    {32, "SetTempOffset", 0, 0, 0},
    {34, "SetLineFreqMode", 0, 0, 0},
    {35, "StartCounter", 0, 0, 0},
    {36, "StopCounter", 0, 0, 0},
    {37, "GetGraphic header", 2, kOldName, 0},
};

const CCommandInfo* FindCommand(uint16_t command)
{
    for (const CCommandInfo& c : kCommands)
        if (c.command == command) return &c;
    return nullptr;
}

const char* TypeName(uint8_t type)
{
    switch (type) {
    case 0: return "command";
    case 1: return "reply";
    case 2: return "bad command";
    case 3: return "sync";
    case 4: return "unsupported";
    case 8: return "enable broadcast";
    case 9: return "disable broadcast";
    case 11: return "query broadcast";
    case 12: return "set baud";
    default: return "unknown type";
    }
}

uint8_t Sum(const uint8_t* bytes, size_t count)
{
    uint8_t s = 0;
    for (size_t i = 0; i < count; ++i) s = static_cast<uint8_t>(s + bytes[i]);
    return s;
}

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// A fixed-width name field: up to its first zero, printable Latin-1 only.
std::string NameField(const uint8_t* field, size_t width)
{
    std::string name;
    for (size_t i = 0; i < width && field[i] != 0; ++i)
        name += (field[i] >= 0x20 && field[i] != 0x7F) ? static_cast<char>(field[i]) : '?';
    return name;
}

void DecodeCommand(CDecodedFrame& d, const uint8_t* data, size_t n, bool reply)
{
    if (n == 0) return;
    const bool extended = data[0] == kExtended;
    if (extended && n < 2) return;
    d.command = extended ? (0x8000 | data[1]) : data[0];
    const CCommandInfo* info = FindCommand(static_cast<uint16_t>(d.command));
    if (info != nullptr) d.commandName = info->name;
    else if (extended) d.commandName = "sub-command 0x" + Hex2(data[1]);
    else d.commandName = "command 0x" + Hex2(data[0]);

    if (reply) {
        const size_t at = extended ? 2 : 1;
        if (at < n) {
            d.errorByte = data[at];
            d.errorText = DisplayErrorText(data[at]);
        }
        return;
    }
    if (info == nullptr) return;
    if (info->nameOffset != 0 && info->nameOffset < n) {
        const size_t width = std::min(info->nameLength, n - info->nameOffset);
        d.fileName = NameField(data + info->nameOffset, width);
    }
    if (info->blockOffset != 0 && info->blockOffset + 1 < n)
        d.block = data[info->blockOffset] | (data[info->blockOffset + 1] << 8);
}

std::string Summary(const CDecodedFrame& d, size_t length, size_t wanted)
{
    std::string s;
    if (d.frameType == 0 && !d.commandName.empty()) s = d.commandName;
    else if (d.frameType == 1 && !d.commandName.empty()) s = "reply " + d.commandName;
    else s = d.typeName;
    if (!d.fileName.empty()) s += " " + d.fileName;
    if (d.block >= 0) s += " " + std::to_string(d.block);
    if (d.broadcast) s += " (broadcast)";
    if (d.errorByte > 0) s += ": error " + std::to_string(d.errorByte) + " " + d.errorText;
    if (!d.complete) s += " [cut short: " + std::to_string(length) + " of " + std::to_string(wanted) + " bytes]";
    else if (!d.checksumOk) s += " [bad checksum]";
    return s;
}
}  // namespace

std::string HexBytes(const uint8_t* bytes, size_t length)
{
    std::string out;
    out.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) out += ' ';
        out += Hex2(bytes[i]);
    }
    return out;
}

CDecodedFrame DecodeFrame(const uint8_t* bytes, size_t length, KorNetFrameDirection direction)
{
    CDecodedFrame d;
    d.direction = direction;
    if (direction == KorNetFrameDirection::Stray) {
        d.typeName = "stray bytes";
        d.summary = std::to_string(length) + (length == 1 ? " stray byte" : " stray bytes");
        return d;
    }
    if (length == 0) {
        d.typeName = "no reply";
        d.summary = "no reply";
        return d;
    }
    if (bytes[0] != 0x55) {
        d.typeName = "garbage";
        d.summary = "no frame: " + std::to_string(length) + " bytes without a start byte";
        return d;
    }
    if (length > 2) {
        d.address = bytes[2];
        d.broadcast = KorNetIsBroadcastAddress(d.address);
    }
    if (length > 4) {
        d.sequence = bytes[4] >> 4;
        d.frameType = bytes[4] & 0x0F;
        d.typeName = TypeName(d.frameType);
    } else {
        d.typeName = "header cut short";
    }
    const size_t dataLength = length > 3 ? bytes[3] : 0;
    const size_t wanted = dataLength == 0 ? kHeader : kHeader + dataLength + 1;
    d.complete = length >= kHeader && length >= wanted;
    const size_t n = length > kHeader ? std::min(length - kHeader, dataLength) : 0;
    d.checksumOk = d.complete && Sum(bytes, kHeader) == 0 && (dataLength == 0 || Sum(bytes + kHeader, dataLength + 1) == 0);

    if (length > 4) {
        if (d.frameType == 0) DecodeCommand(d, bytes + kHeader, n, false);
        else if (d.frameType == 1) DecodeCommand(d, bytes + kHeader, n, true);
        else if (d.frameType == 3) d.commandName = "sync";
    }
    d.summary = Summary(d, length, wanted);
    return d;
}
