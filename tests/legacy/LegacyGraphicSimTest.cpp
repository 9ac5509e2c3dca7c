// Graphics through jxsim: .bmp files of every accepted depth written to
// disk, read back, sent in each colour mode and fetched again; what comes
// back must be what the 90-of-255 threshold makes of every source pixel.
#include <random>

#include "../sim/SimLinkFixture.h"
#include "BmpFile.h"
#include "families/LegacySign.h"

// Fields of the packed reply and bitmap structures are compared as values
// (unary +): the test macros take references, which a packed field cannot
// give safely.
namespace {
const uint8_t kLevels[] = {0, 89, 90, 91, 200, 255};

// A palette of `n` colours whose components sit on both sides of the threshold.
std::vector<Rgb> Palette(size_t n, std::mt19937& rng)
{
    std::vector<Rgb> p(n);
    for (auto& c : p) c = {kLevels[rng() % 6], kLevels[rng() % 6], kLevels[rng() % 6]};
    return p;
}

// A picture with every pixel set at random; for 8 bits the palette declares
// only 200 entries, so indexes 200..255 must come back black.
BmpFile Picture(int bits, int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    const size_t entries = bits == 24 ? 0 : bits == 8 ? 200 : size_t{1} << bits;
    BmpFile bmp(bits, width, height, Palette(entries, rng));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bits == 24) bmp.Set(x, y, kLevels[rng() % 6] << 16 | kLevels[rng() % 6] << 8 | kLevels[rng() % 6]);
            else bmp.Set(x, y, static_cast<uint32_t>(rng() % (1u << bits)));
        }
    }
    return bmp;
}

class LegacyGraphicSim : public SimLinkTest {
protected:
    // Writes the picture as a .bmp file and sends what the file holds, as a
    // program that loaded it would.
    int16_t SendFile(const BmpFile& bmp, const std::string& name, int mode, int width, int height)
    {
        const std::string path = dir.File(name + ".bmp");
        const auto& bytes = bmp.FileBytes();
        WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
        const std::string file = ReadWholeFile(path);
        EXPECT_EQ(file.size(), bytes.size());
        const auto* raw = reinterpret_cast<const uint8_t*>(file.data());
        const uint32_t offBits = raw[10] | raw[11] << 8 | raw[12] << 16 | static_cast<uint32_t>(raw[13]) << 24;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(raw + BmpFile::kFileHeader);
        resp_send_graphic_s response{};
        const int16_t status = link.SendGraphic(1, name.c_str(), info, raw + offBits, static_cast<int16_t>(height),
                                                static_cast<int16_t>(width), static_cast<int16_t>(mode), &response, 0);
        if (status == KORNET_OK) {
            EXPECT_EQ(response.command, 26);
        }
        return status;
    }
};

TEST_P(LegacyGraphicSim, PicturesComeBackAsTheThresholdsSay)
{
    Start();
    struct Shape {
        int mode, width, height;
    } shapes[] = {
        {0, 21, 4},  // one plane: only pictures of up to four rows pass the two-plane check
        {1, 21, 13},
        {2, 21, 13},
        {2, 8, 16},
    };
    for (int bits : {1, 4, 8, 24}) {
        for (const auto& s : shapes) {
            SCOPED_TRACE(std::to_string(bits) + " bits, mode " + std::to_string(s.mode) + ", " +
                         std::to_string(s.width) + "x" + std::to_string(s.height));
            const BmpFile bmp = Picture(bits, s.width, s.height, static_cast<unsigned>(bits * 10 + s.mode));
            const std::string name = "G" + std::to_string(bits) + "M" + std::to_string(s.mode);
            ASSERT_EQ(SendFile(bmp, name, s.mode, s.width, s.height), KORNET_OK);
            const size_t planes = s.mode == 0 ? 1 : s.mode == 1 ? 2 : 3;
            const auto stored = jxsim::LegacyStores(*sim).graphics;
            ASSERT_EQ(stored.count(name), 1u);
            EXPECT_EQ(stored.at(name).data.size(), planes * static_cast<size_t>((s.height + 7) / 8 * s.width));

            BITMAPINFO header{};
            int16_t status = 1;
            resp_retrieve_graphic_s response{};
            const uint8_t* pixels =
                link.GetGraphic(1, name.c_str(), &header, static_cast<int16_t>(s.height),
                                static_cast<int16_t>(s.width), status, &response, 0);
            ASSERT_EQ(status, KORNET_OK);
            ASSERT_NE(pixels, nullptr);
            EXPECT_EQ(+header.bmiHeader.biWidth, s.width);
            EXPECT_EQ(+header.bmiHeader.biHeight, s.height);
            EXPECT_EQ(+header.bmiHeader.biBitCount, 24);
            int lit = 0;
            for (int y = 0; y < s.height; ++y) {
                for (int x = 0; x < s.width; ++x) {
                    const Rgb want = SignShows(bmp.ColourAt(x, y), s.mode);
                    ASSERT_EQ(Pixel24(pixels, s.width, s.height, x, y), want) << x << "," << y;
                    lit += want.r | want.g | want.b ? 1 : 0;
                }
            }
            EXPECT_GT(lit, 0) << "a picture with nothing lit proves little";
        }
    }
}

TEST_P(LegacyGraphicSim, OnePlaneOfATallPictureIsNotEnoughToFetch)
{
    Start();
    const BmpFile bmp = Picture(24, 16, 8, 3);
    ASSERT_EQ(SendFile(bmp, "MONO", 0, 16, 8), KORNET_OK);
    EXPECT_EQ(jxsim::LegacyStores(*sim).graphics.at("MONO").data.size(), 16u);
    int16_t status = 1;
    BITMAPINFO header{};
    EXPECT_EQ(link.GetGraphic(1, "MONO", &header, 8, 16, status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_GRAPHIC_UNSUPPORTED_FORMAT);
}

TEST_P(LegacyGraphicSim, GraphicsAreListedAndRemoved)
{
    Start();
    for (const char* name : {"ARROW", "LOGO", "WARN"}) ASSERT_EQ(SendFile(Picture(1, 8, 8, 1), name, 1, 8, 8), KORNET_OK);
    const jxsim::Bytes message = {1};
    ASSERT_EQ(link.SendMessage(1, "LOGO", message.data(), 1, nullptr, 0), KORNET_OK);  // a message of the same name

    int16_t status = 1;
    resp_retrieve_graphiclist_s response{};
    const graphiclist_entry_s* entries = link.GetGraphicList(1, status, &response, 0);
    ASSERT_EQ(status, KORNET_OK);
    ASSERT_EQ(+response.entries, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(entries[1].bytes)), "LOGO");
    EXPECT_EQ(entries[1].bytes[23], 16) << "two planes of 8 bytes";

    ASSERT_EQ(link.RemoveGraphic(1, "LOGO", nullptr, 0), KORNET_OK);
    resp_retrieve_graphic_s retrieve{};
    BITMAPINFO header{};
    EXPECT_EQ(link.GetGraphic(1, "LOGO", &header, 8, 8, status, &retrieve, 0), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(retrieve.error, jxsim::kErrNotFound);
    const auto stores = jxsim::LegacyStores(*sim);
    EXPECT_EQ(stores.graphics.size(), 2u);
    EXPECT_EQ(stores.messages.count("LOGO"), 1u) << "the message of that name stays";
}

INSTANTIATE_TEST_SUITE_P(Transports, LegacyGraphicSim, ::testing::Values(SimTransport::Tcp, SimTransport::Pty),
                         TransportName);
}  // namespace
