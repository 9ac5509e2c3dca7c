// Pictures to bit planes and back: where each pixel's bit goes, the 90-of-255
// threshold in each colour mode, how each source format is read, which
// bitmaps are refused, and that no read leaves the caller's pixel data or
// colour table.
#include <gtest/gtest.h>

#include "BmpFile.h"
#include "commands/LegacyGraphicConversion.h"

// Fields of the packed reply and bitmap structures are compared as values
// (unary +): the test macros take references, which a packed field cannot
// give safely.
namespace {
using namespace kornet::graphic;
using Bytes = std::vector<uint8_t>;

const std::vector<Rgb> kBlackWhite = {{0, 0, 0}, {255, 255, 255}};

TEST(LegacyGraphic, EachPixelLandsOnItsBit)
{
    struct Case {
        int width, height, x, y;
        size_t planeSize, byte;
        uint8_t bit;
    } cases[] = {
        {16, 8, 0, 0, 16, 15, 0x01},   // top-left: the last byte of the band
        {16, 16, 0, 9, 32, 31, 0x02},  // row 9: second band, bit 1
        {16, 8, 15, 0, 16, 0, 0x01},   // top-right: the first byte
        {16, 8, 0, 7, 16, 15, 0x80},
        {10, 12, 3, 8, 20, 16, 0x01},  // a part band still takes whole bytes
        {1, 1, 0, 0, 1, 0, 0x01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.x) + "," +
                     std::to_string(c.y));
        BmpFile bmp(24, c.width, c.height);
        bmp.Set(c.x, c.y, 0xFFFFFF);
        ASSERT_TRUE(Accepted(bmp.Info(), bmp.Pixels()));
        Bytes expected(c.planeSize, 0);
        expected[c.byte] = c.bit;
        EXPECT_EQ(ToPlanes(*bmp.Info(), bmp.Pixels(), c.width, c.height, 0), expected);
    }
}

TEST(LegacyGraphic, ComponentsAreLitFromNinety)
{
    struct Case {
        Rgb colour;
        int mode;
        Bytes planes;  // the one pixel's byte in each plane
    } cases[] = {
        {{89, 200, 0}, 1, {0x00, 0x01}},  // red just below: only green
        {{89, 200, 0}, 0, {0x01}},
        {{89, 89, 89}, 0, {0x00}},
        {{90, 0, 0}, 1, {0x01, 0x00}},
        {{0, 0, 255}, 1, {0x00, 0x00}},  // two planes have no blue
        {{0, 0, 255}, 0, {0x01}},
        {{0, 0, 90}, 2, {0x00, 0x00, 0x01}},
        {{255, 90, 89}, 2, {0x01, 0x01, 0x00}},
        {{255, 255, 255}, 7, {0x01, 0x01, 0x01}},  // any other mode: three planes
        {{255, 255, 255}, -1, {0x01, 0x01, 0x01}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("rgb " + std::to_string(c.colour.r) + "," + std::to_string(c.colour.g) + "," +
                     std::to_string(c.colour.b) + " mode " + std::to_string(c.mode));
        BmpFile bmp(24, 1, 1);
        bmp.Set(0, 0, static_cast<uint32_t>(c.colour.r << 16 | c.colour.g << 8 | c.colour.b));
        EXPECT_EQ(ToPlanes(*bmp.Info(), bmp.Pixels(), 1, 1, c.mode), c.planes);
    }
}

TEST(LegacyGraphic, SourceFormatsAreReadAsTheyAreStored)
{
    // 8 bits, 10 pixels a row: rows are 12 bytes apart.
    BmpFile eight(8, 10, 2, kBlackWhite);
    EXPECT_EQ(eight.Stride(), 12u);
    eight.Set(9, 0, 1);
    Bytes expected(10, 0);
    expected[0] = 0x01;  // top row, rightmost column
    EXPECT_EQ(ToPlanes(*eight.Info(), eight.Pixels(), 10, 2, 0), expected);

    // 4 bits: the high nibble is the even pixel.
    BmpFile four(4, 3, 1, kBlackWhite);
    four.Set(1, 0, 1);
    EXPECT_EQ(four.Pixels()[0], 0x01);
    EXPECT_EQ(ToPlanes(*four.Info(), four.Pixels(), 3, 1, 0), (Bytes{0x00, 0x01, 0x00}));
    four.Set(0, 0, 1);
    four.Set(1, 0, 0);
    EXPECT_EQ(four.Pixels()[0], 0x10);
    EXPECT_EQ(ToPlanes(*four.Info(), four.Pixels(), 3, 1, 0), (Bytes{0x00, 0x00, 0x01}));

    // 1 bit: bit 7 is the first pixel of the byte.
    BmpFile one(1, 9, 1, kBlackWhite);
    one.Set(8, 0, 1);
    one.Set(1, 0, 1);
    EXPECT_EQ(one.Pixels()[0], 0x40);
    EXPECT_EQ(one.Pixels()[1], 0x80);
    Bytes plane(9, 0);
    plane[0] = 0x01;  // column 8
    plane[7] = 0x01;  // column 1
    EXPECT_EQ(ToPlanes(*one.Info(), one.Pixels(), 9, 1, 0), plane);
}

TEST(LegacyGraphic, IndexesBeyondTheDeclaredTableReadAsBlack)
{
    // Six entries lie in memory, the last one white; the header may declare fewer.
    std::vector<Rgb> six(6, Rgb{});
    six[5] = {255, 255, 255};
    BmpFile eight(8, 1, 1, six);
    eight.Set(0, 0, 5);
    EXPECT_EQ(ToPlanes(*eight.Info(), eight.Pixels(), 1, 1, 0), Bytes{0x01});
    eight.Header().biClrUsed = 5;
    EXPECT_EQ(ToPlanes(*eight.Info(), eight.Pixels(), 1, 1, 0), Bytes{0x00});
    eight.Set(0, 0, 200);  // far past every entry there is
    eight.Header().biClrUsed = 6;
    EXPECT_EQ(ToPlanes(*eight.Info(), eight.Pixels(), 1, 1, 0), Bytes{0x00});

    BmpFile four(4, 2, 1, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}});
    four.Set(0, 0, 2);
    four.Set(1, 0, 15);
    EXPECT_EQ(ToPlanes(*four.Info(), four.Pixels(), 2, 1, 1), (Bytes{0x00, 0x00, 0x00, 0x01}));
}

TEST(LegacyGraphic, OnlyBitmapsThatCanBeReadSafelyAreAccepted)
{
    struct Case {
        const char* what;
        void (*change)(BITMAPINFOHEADER&);
        bool accepted;
    } cases[] = {
        {"as built", [](BITMAPINFOHEADER&) {}, true},
        {"2 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 2; }, false},
        {"16 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }, false},
        {"32 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 32; }, false},
        {"run-length 8", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }, false},
        {"run-length 4", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE4; }, false},
        {"bit fields", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }, false},
        {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -h.biHeight; }, false},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -10; }, false},
        {"no image size", [](BITMAPINFOHEADER& h) { h.biSizeImage = 0; }, false},
        {"rows past the image size", [](BITMAPINFOHEADER& h) { h.biSizeImage -= 1; }, false},
        {"rows of a wider picture", [](BITMAPINFOHEADER& h) { h.biWidth = 13; }, false},
        {"rows of a taller picture", [](BITMAPINFOHEADER& h) { h.biHeight = 3; }, false},
        {"image size to spare", [](BITMAPINFOHEADER& h) { h.biSizeImage += 100; }, true},
        {"core header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }, false},
        {"newer header", [](BITMAPINFOHEADER& h) { h.biSize = 124; }, true},
        {"unknown header", [](BITMAPINFOHEADER& h) { h.biSize = 0x10000; }, false},
        {"huge sizes", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF, h.biHeight = 0x7FFFFFFF; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BmpFile bmp(8, 10, 2, kBlackWhite);  // 24 bytes of rows
        c.change(bmp.Header());
        EXPECT_EQ(Accepted(bmp.Info(), bmp.Pixels()), c.accepted);
    }
    BmpFile bmp(8, 10, 2, kBlackWhite);
    EXPECT_FALSE(Accepted(bmp.Info(), nullptr));
    EXPECT_FALSE(Accepted(nullptr, bmp.Pixels()));
}

TEST(LegacyGraphic, ColourTableFollowsALargerHeader)
{
    // A header of 124 bytes: the table starts after it, not at 40.
    Bytes memory(124 + 8 + 4, 0);
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(memory.data());
    info->bmiHeader = {124, 1, 1, 1, 8, BI_RGB, 4, 0, 0, 2, 0};
    std::memset(memory.data() + 40, 0xFF, 84);  // what a table read at 40 would see
    memory[124 + 4 + 2] = 200;                  // entry 1: red 200
    uint8_t* pixels = memory.data() + 132;
    pixels[0] = 1;
    EXPECT_EQ(ToPlanes(*info, pixels, 1, 1, 2), (Bytes{0x01, 0x00, 0x00}));
}

TEST(LegacyGraphic, PixelsBeyondTheBitmapStayDark)
{
    BmpFile bmp(24, 3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bmp.Set(x, y, 0xFFFFFF);
    // A 5 x 9 picture from a 3 x 2 bitmap: two bands of 5 bytes.
    Bytes expected(10, 0);
    for (int x = 0; x < 3; ++x) expected[5 - x - 1] = 0x03;
    EXPECT_EQ(ToPlanes(*bmp.Info(), bmp.Pixels(), 5, 9, 0), expected);
    // A 2 x 1 picture takes the top-left corner only.
    EXPECT_EQ(ToPlanes(*bmp.Info(), bmp.Pixels(), 2, 1, 0), (Bytes{0x01, 0x01}));
}

TEST(LegacyGraphic, BitmapFromPlanesHasItsHeaderAndPadding)
{
    for (int width : {1, 2, 3, 4, 5, 16}) {
        SCOPED_TRACE(width);
        BITMAPINFO header;
        std::memset(&header, 0xCD, sizeof header);
        const Bytes planes(PlaneSize(width, 3) * 3, 0);
        const Bytes pixels = FromPlanes(planes.data(), planes.size(), width, 3, header);
        const uint32_t stride = static_cast<uint32_t>((3 * width + 3) / 4 * 4);
        const BITMAPINFOHEADER& h = header.bmiHeader;
        EXPECT_EQ(+h.biSize, 40u);
        EXPECT_EQ(+h.biWidth, width);
        EXPECT_EQ(+h.biHeight, 3);
        EXPECT_EQ(+h.biPlanes, 1);
        EXPECT_EQ(+h.biBitCount, 24);
        EXPECT_EQ(+h.biCompression, BI_RGB);
        EXPECT_EQ(+h.biSizeImage, 3 * stride);
        EXPECT_EQ(+h.biXPelsPerMeter, 600);
        EXPECT_EQ(+h.biYPelsPerMeter, 800);
        EXPECT_EQ(+h.biClrUsed, 0u);
        EXPECT_EQ(+h.biClrImportant, 0u);
        EXPECT_EQ(header.bmiColors[0].rgbBlue | header.bmiColors[0].rgbGreen | header.bmiColors[0].rgbRed |
                      header.bmiColors[0].rgbReserved,
                  0);
        EXPECT_EQ(pixels.size(), 3 * stride);
    }
}

TEST(LegacyGraphic, BitsPastTheDataCountAsClear)
{
    // 2 x 1, three planes of 2 bytes, but only 3 bytes arrived: plane 2 is
    // cut after its first byte (column 1), plane 3 is missing.
    const Bytes planes = {0x01, 0x01, 0x01};
    BITMAPINFO header;
    const Bytes pixels = FromPlanes(planes.data(), planes.size(), 2, 1, header);
    EXPECT_EQ(Pixel24(pixels.data(), 2, 1, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(Pixel24(pixels.data(), 2, 1, 1, 0), (Rgb{255, 255, 0}));
}

TEST(LegacyGraphic, UnsupportedPicturesAreRefusedBeforeTheLink)
{
    CKorNetwork link;  // not even configured
    BmpFile bmp(8, 10, 2, kBlackWhite);
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), 2, 10, 0, nullptr, 0), ERR_COMMAND_NO_CONNECTION);
    bmp.Header().biCompression = BI_RLE8;
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), 2, 10, 0, nullptr, 0), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
    bmp.Header().biCompression = BI_RGB;
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), 2, -1, 0, nullptr, 0), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), -1, 10, 0, nullptr, 0), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
    // Planes beyond what one graphic can hold: 32767 x 16 is 65534 bytes in
    // one plane, twice that in two.
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), 16, 32767, 0, nullptr, 0), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(link.SendGraphic(1, "G", bmp.Info(), bmp.Pixels(), 16, 32767, 1, nullptr, 0),
              ERR_GRAPHIC_UNSUPPORTED_FORMAT);
    int16_t status = 1;
    EXPECT_EQ(link.GetGraphic(1, "G", nullptr, -1, 10, status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_GRAPHIC_UNSUPPORTED_FORMAT);
}
}  // namespace
