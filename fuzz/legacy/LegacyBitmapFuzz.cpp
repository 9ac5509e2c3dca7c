// Fuzz target for the bitmap reader of SendGraphic and the bitmap writer of
// GetGraphic. Input: picture width, height and colour mode (one byte each),
// then a bitmap header with its colour table, then the pixel data. The header
// and the pixels go in buffers of exactly the size a caller promises (the
// declared colour table; biSizeImage bytes), so that a read past either is
// caught. Whatever the header says, the reader either refuses the bitmap or
// produces planes of the picture's size, and those planes, cut anywhere,
// make a 24-bit bitmap of the size its header announces.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "commands/LegacyGraphicConversion.h"

using namespace kornet::graphic;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 + sizeof(BITMAPINFOHEADER)) return 0;
    const int width = data[0], height = data[1], mode = static_cast<int8_t>(data[2]) % 4;
    data += 3;
    size -= 3;
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof h);
    if (h.biSize < sizeof h || h.biSize > 124) return 0;
    const uint64_t entries = h.biBitCount <= 8 ? (h.biClrUsed != 0 ? h.biClrUsed : 1u << h.biBitCount) : 0;
    const uint64_t headerBytes = h.biSize + 4 * entries;
    if (headerBytes > size || size - headerBytes < h.biSizeImage) return 0;
    const std::vector<uint8_t> header(data, data + headerBytes);
    const std::vector<uint8_t> pixels(data + headerBytes, data + headerBytes + h.biSizeImage);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(header.data());
    const uint8_t* pixelData = pixels.empty() ? nullptr : pixels.data();
    if (!Accepted(info, pixelData)) return 0;

    const std::vector<uint8_t> planes = ToPlanes(*info, pixelData, width, height, mode);
    if (planes.size() != PlaneSize(width, height) * static_cast<size_t>(PlaneCount(mode))) {
        std::fprintf(stderr, "%zu plane bytes for %dx%d in mode %d\n", planes.size(), width, height, mode);
        std::abort();
    }
    for (size_t cut : {planes.size(), planes.size() / 2, size_t{0}}) {
        const std::vector<uint8_t> part(planes.begin(), planes.begin() + static_cast<std::ptrdiff_t>(cut));
        BITMAPINFO out;
        const std::vector<uint8_t> bitmap = FromPlanes(part.data(), part.size(), width, height, out);
        if (bitmap.size() != out.bmiHeader.biSizeImage) {
            std::fprintf(stderr, "%zu pixel bytes under a header of %u\n", bitmap.size(), out.bmiHeader.biSizeImage);
            std::abort();
        }
    }
    return 0;
}
