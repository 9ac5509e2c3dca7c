// Uncompressed bottom-up .bmp files built byte by byte for the graphic
// tests, written out from the file format itself (not from the library),
// and what a sign should show of their pixels.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "KorNet.h"

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

class BmpFile {
public:
    static constexpr size_t kFileHeader = 14;
    static constexpr size_t kInfoHeader = 40;

    // `tableEntries` colour entries are laid out (for 1, 4 and 8 bits), all
    // declared in biClrUsed unless the test changes it.
    BmpFile(int bits, int width, int height, const std::vector<Rgb>& palette = {})
        : m_bits(bits), m_width(width), m_height(height)
    {
        m_stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
        m_offBits = kFileHeader + kInfoHeader + 4 * palette.size();
        m_bytes.assign(m_offBits + m_stride * static_cast<size_t>(height), 0);
        uint8_t* f = m_bytes.data();
        f[0] = 'B';
        f[1] = 'M';
        Put32(f + 2, static_cast<uint32_t>(m_bytes.size()));
        Put32(f + 10, static_cast<uint32_t>(m_offBits));
        BITMAPINFOHEADER& h = Header();
        h.biSize = kInfoHeader;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<uint16_t>(bits);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<uint32_t>(m_stride * static_cast<size_t>(height));
        h.biXPelsPerMeter = 2835;
        h.biYPelsPerMeter = 2835;
        h.biClrUsed = static_cast<uint32_t>(palette.size());
        for (size_t i = 0; i < palette.size(); ++i) {
            uint8_t* e = f + kFileHeader + kInfoHeader + 4 * i;
            e[0] = palette[i].b;
            e[1] = palette[i].g;
            e[2] = palette[i].r;
        }
        m_palette = palette;
    }

    // Sets a pixel; `y` counts from the top. `value` is a colour index, or
    // 0xRRGGBB for 24 bits.
    void Set(int x, int y, uint32_t value)
    {
        uint8_t* row = Pixels() + static_cast<size_t>(m_height - 1 - y) * m_stride;
        switch (m_bits) {
        case 24:
            row[3 * x] = static_cast<uint8_t>(value);
            row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
            break;
        case 8:
            row[x] = static_cast<uint8_t>(value);
            break;
        case 4:
            if (x % 2 == 0) row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | (value << 4));
            else row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | (value & 0x0F));
            break;
        default:
            if (value != 0) row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
            else row[x / 8] = static_cast<uint8_t>(row[x / 8] & ~(0x80 >> (x % 8)));
            break;
        }
    }

    // The colour the file means at a pixel: its palette entry, black past the
    // entries the header declares, or the pixel's own bytes at 24 bits.
    Rgb ColourAt(int x, int y) const
    {
        const uint8_t* row = m_bytes.data() + m_offBits + static_cast<size_t>(m_height - 1 - y) * m_stride;
        if (m_bits == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
        uint32_t index = 0;
        if (m_bits == 8) index = row[x];
        else if (m_bits == 4) index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        else index = (row[x / 8] >> (7 - x % 8)) & 1;
        const uint32_t declared = HeaderConst().biClrUsed != 0 ? HeaderConst().biClrUsed : 1u << m_bits;
        return index < declared && index < m_palette.size() ? m_palette[index] : Rgb{};
    }

    BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(m_bytes.data() + kFileHeader); }
    const BITMAPINFOHEADER& HeaderConst() const
    {
        return *reinterpret_cast<const BITMAPINFOHEADER*>(m_bytes.data() + kFileHeader);
    }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(m_bytes.data() + kFileHeader); }
    uint8_t* Pixels() { return m_bytes.data() + m_offBits; }
    const uint8_t* Pixels() const { return m_bytes.data() + m_offBits; }
    const std::vector<uint8_t>& FileBytes() const { return m_bytes; }
    size_t Stride() const { return m_stride; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    static void Put32(uint8_t* p, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    }

    int m_bits, m_width, m_height;
    size_t m_stride = 0;
    size_t m_offBits = 0;
    std::vector<uint8_t> m_bytes;
    std::vector<Rgb> m_palette;
};

// What a sign shows of `c` in colour mode `mode` once fetched back: a
// component is lit from 90; one plane comes back as red, two as red and
// green, three as all three.
inline Rgb SignShows(const Rgb& c, int mode)
{
    const bool r = c.r >= 90, g = c.g >= 90, b = c.b >= 90;
    if (mode == 0) return {static_cast<uint8_t>(r || g || b ? 255 : 0), 0, 0};
    if (mode == 1) return {static_cast<uint8_t>(r ? 255 : 0), static_cast<uint8_t>(g ? 255 : 0), 0};
    return {static_cast<uint8_t>(r ? 255 : 0), static_cast<uint8_t>(g ? 255 : 0), static_cast<uint8_t>(b ? 255 : 0)};
}

// The colour at (x, y) of a 24-bit bottom-up bitmap of `width` x `height`.
inline Rgb Pixel24(const uint8_t* pixels, int width, int height, int x, int y)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    const uint8_t* p = pixels + static_cast<size_t>(height - 1 - y) * stride + 3 * static_cast<size_t>(x);
    return {p[2], p[1], p[0]};
}
