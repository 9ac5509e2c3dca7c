#include "LegacyGraphicConversion.h"

#include <cstring>

namespace kornet::graphic {

namespace {
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kLargestInfoHeader = 124;  // the newest header form; its first 40 bytes are ours
constexpr int32_t kOutputXPerMetre = 600;
constexpr int32_t kOutputYPerMetre = 800;

struct CColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// Bytes per stored row: the row's bits rounded up to a multiple of 32.
uint64_t Stride(uint64_t width, uint64_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

// Reads pixels of an accepted bitmap by picture coordinates (row 0 at the
// top); every read stays inside the rows Accepted checked.
class CSourceBitmap {
public:
    CSourceBitmap(const BITMAPINFO& bitmap, const uint8_t* pixels)
        : m_pixels(pixels),
          m_width(bitmap.bmiHeader.biWidth),
          m_height(bitmap.bmiHeader.biHeight),
          m_bitCount(bitmap.bmiHeader.biBitCount),
          m_stride(static_cast<size_t>(Stride(static_cast<uint64_t>(m_width), m_bitCount))),
          m_table(reinterpret_cast<const uint8_t*>(&bitmap) + bitmap.bmiHeader.biSize)
    {
        if (m_bitCount <= 8) {
            const uint32_t full = 1u << m_bitCount;
            const uint32_t used = bitmap.bmiHeader.biClrUsed;
            m_tableEntries = used != 0 && used < full ? used : full;
        }
    }

    bool Contains(int x, int y) const { return x < m_width && y < m_height; }

    CColour At(int x, int y) const
    {
        const uint8_t* row = m_pixels + static_cast<size_t>(m_height - 1 - y) * m_stride;
        switch (m_bitCount) {
        case 24: {
            const uint8_t* p = row + 3 * static_cast<size_t>(x);
            return {p[2], p[1], p[0]};
        }
        case 8:
            return Entry(row[x]);
        case 4: {
            const uint8_t b = row[x / 2];
            return Entry(x % 2 == 0 ? b >> 4 : b & 0x0F);
        }
        default:
            return Entry((row[x / 8] >> (7 - x % 8)) & 1);
        }
    }

private:
    // An index beyond the table the header declares reads as black.
    CColour Entry(uint32_t index) const
    {
        if (index >= m_tableEntries) return {};
        const uint8_t* e = m_table + 4 * static_cast<size_t>(index);
        return {e[2], e[1], e[0]};
    }

    const uint8_t* m_pixels;
    int32_t m_width;
    int32_t m_height;
    uint16_t m_bitCount;
    size_t m_stride;
    const uint8_t* m_table;
    uint32_t m_tableEntries = 0;
};

size_t BitIndex(int width, int x, int y)
{
    return static_cast<size_t>(width) * static_cast<size_t>(y / 8 + 1) - static_cast<size_t>(x) - 1;
}
}  // namespace

size_t PlaneSize(int width, int height)
{
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(height + 7) / 8 * static_cast<size_t>(width);
}

int PlaneCount(int colourMode)
{
    if (colourMode == 0) return 1;
    if (colourMode == 1) return 2;
    return 3;
}

bool Accepted(const BITMAPINFO* bitmap, const uint8_t* pixels)
{
    if (bitmap == nullptr || pixels == nullptr) return false;
    const BITMAPINFOHEADER& h = bitmap->bmiHeader;
    if (h.biSize < kInfoHeaderSize || h.biSize > kLargestInfoHeader) return false;
    if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24) return false;
    if (h.biCompression != BI_RGB || h.biSizeImage == 0) return false;
    if (h.biWidth < 0 || h.biHeight < 0) return false;
    // Every row must lie inside the pixel data the caller handed over.
    const uint64_t rows = Stride(static_cast<uint64_t>(h.biWidth), h.biBitCount) * static_cast<uint64_t>(h.biHeight);
    return rows <= h.biSizeImage;
}

std::vector<uint8_t> ToPlanes(const BITMAPINFO& bitmap, const uint8_t* pixels, int width, int height,
                              int colourMode)
{
    const size_t planeSize = PlaneSize(width, height);
    const int planes = PlaneCount(colourMode);
    std::vector<uint8_t> out(planeSize * static_cast<size_t>(planes), 0);
    const CSourceBitmap source(bitmap, pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!source.Contains(x, y)) continue;
            const CColour c = source.At(x, y);
            const bool red = c.red >= kLitFrom, green = c.green >= kLitFrom, blue = c.blue >= kLitFrom;
            const size_t at = BitIndex(width, x, y);
            const uint8_t bit = static_cast<uint8_t>(1u << (y % 8));
            if (planes == 1) {
                if (red || green || blue) out[at] |= bit;
                continue;
            }
            if (red) out[at] |= bit;
            if (green) out[planeSize + at] |= bit;
            if (planes == 3 && blue) out[2 * planeSize + at] |= bit;
        }
    }
    return out;
}

std::vector<uint8_t> FromPlanes(const uint8_t* planes, size_t length, int width, int height, BITMAPINFO& header)
{
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    // 3 * W rounded up to a multiple of 4 is 3 * W + W mod 4.
    const size_t stride = 3 * w + w % 4;
    std::memset(&header, 0, sizeof header);
    header.bmiHeader.biSize = kInfoHeaderSize;
    header.bmiHeader.biWidth = static_cast<int32_t>(w);
    header.bmiHeader.biHeight = static_cast<int32_t>(h);
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    header.bmiHeader.biSizeImage = static_cast<uint32_t>(h * stride);
    header.bmiHeader.biXPelsPerMeter = kOutputXPerMetre;
    header.bmiHeader.biYPelsPerMeter = kOutputYPerMetre;

    std::vector<uint8_t> out(h * stride, 0);
    const size_t planeSize = PlaneSize(width, height);
    auto lit = [&](size_t plane, size_t at, int y) {
        const size_t index = plane * planeSize + at;
        return index < length && ((planes[index] >> (y % 8)) & 1) != 0;
    };
    for (int y = 0; y < static_cast<int>(h); ++y) {
        uint8_t* row = out.data() + (h - 1 - static_cast<size_t>(y)) * stride;
        for (int x = 0; x < static_cast<int>(w); ++x) {
            const size_t at = BitIndex(width, x, y);
            uint8_t* p = row + 3 * static_cast<size_t>(x);
            p[0] = lit(2, at, y) ? 255 : 0;
            p[1] = lit(1, at, y) ? 255 : 0;
            p[2] = lit(0, at, y) ? 255 : 0;
        }
    }
    return out;
}

}  // namespace kornet::graphic
