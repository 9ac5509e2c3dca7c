// What a frame on the line says, field by field, for the Link Monitor and
// any trace: the header, the command it carries or answers, the file name
// or block number where there is one, the controller's error byte, and
// whether its checksums hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <KorNet.h>

struct CDecodedFrame {
    KorNetFrameDirection direction = KorNetFrameDirection::Sent;
    bool complete = false;     // as many bytes as the length byte asks for
    bool checksumOk = false;   // header and data checksums both hold
    uint8_t address = 0;
    bool broadcast = false;
    uint8_t sequence = 0;      // the sequence nibble, 0..15
    uint8_t frameType = 0;     // 0..15
    std::string typeName;      // "command", "reply", "sync", "bad command", ...
    int command = -1;          // code, or 0x8000 | sub-command of an extended command; -1: none
    std::string commandName;   // "JxGetFile header", "GetStatus", "sync", ...
    std::string fileName;      // empty where the command names no file
    int block = -1;            // block number of a data block or block request
    int errorByte = -1;        // of a reply that carries one
    std::string errorText;     // the controller's error in the tool's words
    std::string summary;       // one line for a table or a trace
};

// Decodes `length` bytes as the link saw them. Stray runs and cut-off frames
// decode as far as they go; nothing is read past `length`.
CDecodedFrame DecodeFrame(const uint8_t* bytes, size_t length, KorNetFrameDirection direction);

// "55 AA 05 00 03 F9": the bytes as hex pairs.
std::string HexBytes(const uint8_t* bytes, size_t length);
