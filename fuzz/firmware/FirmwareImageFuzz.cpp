// Fuzz target for firmware image classification: any bytes give one of the
// four classes without reading outside the image, and a valid image keeps
// its class when more bytes follow it (every offset it used was inside).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "firmware/FirmwareImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read one byte past the end is caught.
    const std::vector<uint8_t> image(data, data + size);
    const int result = ClassifyFirmwareImage(image.data(), image.size());
    if (result != -1 && result != 1 && result != 2 && result != 3) {
        std::fprintf(stderr, "class %d is none of -1, 1, 2, 3\n", result);
        std::abort();
    }
    if (result != -1) {
        std::vector<uint8_t> longer = image;
        longer.insert(longer.end(), {0x2E, 0x6A, 0x78, 0x00, 0xFF});
        const int again = ClassifyFirmwareImage(longer.data(), longer.size());
        if (again != result) {
            std::fprintf(stderr, "class %d became %d with bytes appended\n", result, again);
            std::abort();
        }
    }
    return 0;
}
