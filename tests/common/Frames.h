// Frames written out by hand from the wire format, independent of the
// library's own builder, so a test compares against what a controller sends.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline uint8_t NegSum(const uint8_t* p, size_t n)
{
    unsigned s = 0;
    for (size_t i = 0; i < n; ++i) s += p[i];
    return static_cast<uint8_t>(0x100 - (s & 0xFF));
}

inline Bytes MakeFrame(uint8_t address, uint8_t seqType, const Bytes& data = {})
{
    Bytes f;
    f.reserve(data.size() + 7);
    for (uint8_t b : {uint8_t{0x55}, uint8_t{0xAA}, address, static_cast<uint8_t>(data.size()), seqType}) f.push_back(b);
    f.push_back(NegSum(f.data(), 5));
    if (!data.empty()) {
        for (uint8_t b : data) f.push_back(b);
        f.push_back(NegSum(data.data(), data.size()));
    }
    return f;
}
