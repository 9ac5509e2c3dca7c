// A program with bitmap types of its own (as a windowing toolkit declares
// them, BI_RGB a macro) includes KorNet.h after defining
// KORNET_NO_BITMAP_TYPES, and hands its own structures to the graphics calls.
#include <gtest/gtest.h>

#include <cstdint>

#pragma pack(push, 1)
typedef struct tagBITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} BITMAPINFOHEADER;
typedef struct tagRGBQUAD {
    uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
} RGBQUAD;
typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;
#pragma pack(pop)
#define BI_RGB 0L

#define KORNET_NO_BITMAP_TYPES
#include "KorNet.h"

TEST(OwnBitmapTypes, TheProgramsOwnTypesReachTheGraphicsCalls)
{
    CKorNetwork link;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = 4;
    const uint8_t pixels[4] = {0xFF, 0xFF, 0xFF, 0};
    // The library reads the program's header (a 24-bit picture passes its
    // format check) and then refuses: not connected.
    EXPECT_EQ(link.SendGraphic(1, "LOGO", &info, pixels, 1, 1, 0, nullptr, 0), ERR_COMMAND_NO_CONNECTION);
    int16_t status = 0;
    EXPECT_EQ(link.GetGraphic(1, "LOGO", &info, 1, 1, status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NO_CONNECTION);
}
