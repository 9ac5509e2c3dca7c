// Small helpers shared by the simulator's parts: byte buffers, little-endian
// fields and the fixed-width name fields of the requests.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace jxsim {

using Bytes = std::vector<uint8_t>;

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A name field of `width` bytes at `offset`: up to the first zero, or the
// whole field when it has no terminator. Fields past the end of a short
// request read as empty.
inline std::string NameField(const uint8_t* data, size_t length, size_t offset, size_t width)
{
    if (offset >= length) return {};
    const size_t avail = length - offset < width ? length - offset : width;
    const uint8_t* p = data + offset;
    size_t n = 0;
    while (n < avail && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Copies `text` into a zero-padded field of `width` bytes (no terminator when
// it fills the field).
inline void PutNameField(uint8_t* field, size_t width, const std::string& text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

inline int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

inline int64_t UnixNow()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

// Addresses 0 and 241..255 reach every controller that listens to them and
// are never answered.
inline bool IsBroadcast(uint8_t address) { return address == 0 || address >= 241; }

}  // namespace jxsim
