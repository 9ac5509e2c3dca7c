// Pictures between application bitmaps and the bit planes a sign controller
// stores.
//
// A plane of a W x H picture holds ceil(H / 8) bands of 8 rows, W bytes
// each; inside a band the bytes run from the rightmost column to the
// leftmost, and row y of the band is bit (y mod 8). The pixel at column x,
// row y (row 0 at the top) is therefore bit (y mod 8) of byte
// W * (y / 8 + 1) - x - 1. Planes follow one another: red (or the only one),
// green, blue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KorNet.h"

namespace kornet::graphic {

// A colour component counts as lit from this value on (out of 255).
inline constexpr uint8_t kLitFrom = 90;

// Bytes of one plane of a `width` x `height` picture.
size_t PlaneSize(int width, int height);
// Planes for a colour mode: 0 one, 1 two (red, green), any other three.
int PlaneCount(int colourMode);

// Whether the bitmap is one we can read safely: a header of at least 40
// bytes, 1, 4, 8 or 24 bits per pixel, no compression, a non-negative width,
// a bottom-up (non-negative) height, and pixel data (biSizeImage bytes, not
// zero) that holds every one of its rows.
bool Accepted(const BITMAPINFO* bitmap, const uint8_t* pixels);

// The planes of a `width` x `height` picture taken from an accepted bitmap.
// Pixels beyond the bitmap's own width and height stay dark; a colour index
// beyond the colour table the header declares reads as black.
std::vector<uint8_t> ToPlanes(const BITMAPINFO& bitmap, const uint8_t* pixels, int width, int height,
                              int colourMode);

// A 24-bit bottom-up bitmap of a `width` x `height` picture from `length`
// bytes of planes: red from plane 1, green from plane 2, blue from plane 3,
// each 255 when its bit is set; bits past the data count as clear. `header`
// receives the 40-byte header and one zero colour entry.
std::vector<uint8_t> FromPlanes(const uint8_t* planes, size_t length, int width, int height, BITMAPINFO& header);

}  // namespace kornet::graphic
