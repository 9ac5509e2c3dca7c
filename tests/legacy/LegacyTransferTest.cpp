// Legacy block transfers against a scripted controller: the store header and
// its blocks, schedule flag bits, retrievals and lists reassembled from
// blocks, and replies whose sizes cannot be trusted.
#include "LegacyScript.h"

// Fields of the packed reply and bitmap structures are compared as values
// (unary +): the test macros take references, which a packed field cannot
// give safely.
namespace {

class LegacyTransfer : public LegacyScript {};

TEST_F(LegacyTransfer, MessageGoesAsHeaderAndBlocksOf247)
{
    for (size_t size : {0u, 1u, 246u, 247u, 248u, 494u, 495u}) {
        SCOPED_TRACE(size);
        progress.calls.clear();
        const Bytes data = Pattern(size, static_cast<unsigned>(size));
        resp_send_message_s response{};
        const std::time_t before = std::time(nullptr);
        auto r = Async([&] {
            return link.SendMessage(kAddr, "WELCOME", data.data(), static_cast<int32_t>(size), &response, 6);
        });
        ReceiveStore(5, 6, "WELCOME", data, before);
        EXPECT_EQ(r.get(), KORNET_OK);
        ExpectSilence();
        const int blocks = static_cast<int>((size + 246) / 247);
        EXPECT_EQ(progress.calls, ProgressRun(blocks + 1, blocks + 1));
        EXPECT_EQ(progress.userValues.back(), 77);
        EXPECT_EQ(response.command, 5);
        EXPECT_EQ(response.reserved[5], 0xA7);  // the header's reply, as it came
    }
}

TEST_F(LegacyTransfer, ScheduleFlagsAreBitsOfTheOptionByte)
{
    struct Case {
        bool flag1, flag2;
        uint8_t option, byte1;
    } cases[] = {
        {false, false, 0, 0}, {true, false, 0, 1}, {false, true, 0, 2},
        {true, true, 0, 3},   {true, true, 0x10, 0x13}, {false, true, 1, 3},
    };
    const Bytes data = Pattern(300);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte1));
        const std::time_t before = std::time(nullptr);
        auto r = Async([&] {
            return link.SendSchedule(kAddr, "NIGHT", c.flag1, c.flag2, data.data(), 300, nullptr, c.option);
        });
        ReceiveStore(11, c.byte1, "NIGHT", data, before);
        EXPECT_EQ(r.get(), KORNET_OK);
    }
}

TEST_F(LegacyTransfer, GraphicPlanesGoLikeAMessage)
{
    // A 16 x 8 picture with only its top-left pixel lit: one 16-byte plane
    // whose last byte carries the pixel.
    Bytes file(40 + 8 + 64, 0);
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(file.data());
    info->bmiHeader = {40, 16, 8, 1, 1, BI_RGB, 32, 0, 0, 0, 0};
    file[44] = file[45] = file[46] = 255;  // entry 1: white
    uint8_t* pixels = file.data() + 48;
    pixels[7 * 4] = 0x80;  // the top row is stored last
    Bytes plane(16, 0);
    plane[15] = 0x01;

    resp_send_graphic_s response{};
    const std::time_t before = std::time(nullptr);
    auto r = Async([&] { return link.SendGraphic(kAddr, "LOGO", info, pixels, 8, 16, 0, &response, 2); });
    ReceiveStore(26, 2, "LOGO", plane, before);
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(response.command, 26);
    EXPECT_EQ(progress.calls, ProgressRun(2, 2));
}

TEST_F(LegacyTransfer, SendsThatCannotBeCarriedSendNothing)
{
    const Bytes data = Pattern(70000);
    EXPECT_EQ(link.SendMessage(kAddr, "BIG", data.data(), 65536, nullptr, 0), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.SendMessage(kAddr, "BIG", data.data(), -1, nullptr, 0), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.SendMessage(kAddr, "BIG", nullptr, 5, nullptr, 0), ERR_NETWORK_NO_WRITE);
    EXPECT_EQ(link.SendSchedule(kAddr, "BIG", true, false, data.data(), 70000, nullptr, 0), ERR_NETWORK_NO_WRITE);
    ExpectSilence();

    // The largest that goes: its header counts every block. The controller
    // refuses it here, which ends the send after the header.
    resp_send_message_s response{};
    auto r = Async([&] { return link.SendMessage(kAddr, "BIG", data.data(), 65535, &response, 0); });
    const Bytes header = Next();
    EXPECT_EQ(Bytes(header.begin() + 6 + 25, header.begin() + 6 + 33), (Bytes{10, 1, 247, 0, 0xFF, 0xFF, 0, 0}));
    peer.Write(Ack(header, 4));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 4);
    EXPECT_EQ(progress.calls, ProgressRun(267, 1));
    ExpectSilence();
}

TEST_F(LegacyTransfer, RefusedBlockEndsTheSend)
{
    const Bytes data = Pattern(600);
    resp_send_message_s response{};
    auto r = Async([&] { return link.SendMessage(kAddr, "M", data.data(), 600, &response, 0); });
    peer.Write(Ack(Next()));
    peer.Write(Ack(Next()));
    peer.Write(Ack(Next(), 5));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 5);  // the refused block's reason
    EXPECT_EQ(progress.calls, ProgressRun(4, 3));
    ExpectSilence();
}

TEST_F(LegacyTransfer, MessageIsReassembledFromBlocks)
{
    struct Case {
        size_t length;
        uint16_t blockSize;
    } cases[] = {{1, 247}, {247, 247}, {248, 247}, {250, 100}, {1000, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        progress.calls.clear();
        const Bytes data = Pattern(c.length, 5);
        const uint16_t blocks = static_cast<uint16_t>((c.length + c.blockSize - 1) / c.blockSize);
        int16_t status = 1;
        resp_retrieve_message_s response{};
        auto r = Async([&] { return link.GetMessage(kAddr, "WELCOME", status, &response, 3); });
        const Bytes header = Next();
        EXPECT_EQ(DataOf(header), Request(32, {{0, {8, 3}}, {2, Text("WELCOME")}}));
        peer.Write(RetrieveReply(header, blocks, c.blockSize, static_cast<uint32_t>(c.length)));
        ServeBlocks(data, c.blockSize);
        const uint8_t* got = r.get();
        ASSERT_EQ(status, KORNET_OK);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(Bytes(got, got + c.length), data);
        EXPECT_EQ(+response.length, c.length);
        EXPECT_EQ(response.more[30], 0xEE);  // all 64 header reply bytes arrived
        EXPECT_EQ(progress.calls, ProgressRun(blocks, blocks));
    }
    ExpectSilence();
}

TEST_F(LegacyTransfer, EmptyMessageIsNullWithSuccessAndRefusalsSayWhy)
{
    int16_t status = 1;
    auto r = Async([&] { return link.GetMessage(kAddr, "EMPTY", status, nullptr, 0); });
    peer.Write(RetrieveReply(Next(), 0, 247, 0));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, KORNET_OK);
    ExpectSilence();

    resp_retrieve_message_s response{};
    r = Async([&] { return link.GetMessage(kAddr, "NONE", status, &response, 0); });
    peer.Write(RetrieveReply(Next(), 0, 0, 0, 2));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 2);

    EXPECT_EQ(link.GetMessage(250, "X", status, nullptr, 0), nullptr);
    EXPECT_EQ(status, ERR_COMMAND_NO_BROADCAST);
    ExpectSilence();
}

TEST_F(LegacyTransfer, HeadersThatAnnounceImpossibleSizesAreInvalid)
{
    struct Case {
        const char* what;
        uint16_t blocks, blockSize;
        uint32_t length;
    } cases[] = {
        {"block size 0", 1, 0, 10},
        {"block beyond a frame", 1, 248, 10},
        {"blocks for nothing", 1, 10, 0},
        {"too few blocks", 1, 10, 11},
        {"too many blocks", 3, 10, 11},
        {"no blocks for data", 0, 10, 5},
        {"length beyond every block", 65535, 247, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool graphic : {false, true}) {
            int16_t status = 1;
            auto r = Async([&] {
                BITMAPINFO info;
                return graphic ? link.GetGraphic(kAddr, "G", &info, 8, 8, status, nullptr, 0)
                               : link.GetMessage(kAddr, "M", status, nullptr, 0);
            });
            peer.Write(RetrieveReply(Next(), c.blocks, c.blockSize, c.length));
            EXPECT_EQ(r.get(), nullptr);
            EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE);
            ExpectSilence();  // no block was asked for
        }
    }
}

TEST_F(LegacyTransfer, ShortOrRefusedBlockEndsTheRetrieval)
{
    const Bytes data = Pattern(150);
    int16_t status = 1;
    auto r = Async([&] { return link.GetMessage(kAddr, "M", status, nullptr, 0); });
    peer.Write(RetrieveReply(Next(), 2, 100, 150));
    Bytes request = Next();
    peer.Write(BlockReply(request, Bytes(data.begin(), data.begin() + 100)));
    request = Next();
    peer.Write(BlockReply(request, Bytes(data.begin() + 100, data.begin() + 149)));  // one byte short
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE);
    ExpectSilence();

    r = Async([&] { return link.GetMessage(kAddr, "M", status, nullptr, 0); });
    peer.Write(RetrieveReply(Next(), 2, 100, 150));
    peer.Write(BlockReply(Next(), Bytes(100, 1), 7));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    ExpectSilence();
}

// The 16-byte reply to a list header.
Bytes ListReply(const Bytes& request, uint16_t entries, uint16_t blocks, uint16_t blockSize, uint8_t error = 0)
{
    return ReplyTo(request, 1,
                   Request(16, {{0, {request[6]}}, {1, Le16(entries)}, {3, Le16(blocks)}, {5, Le16(blockSize)},
                                {7, {error}}, {15, {0xEE}}}));
}

TEST_F(LegacyTransfer, ListsCarryWholeEntriesPerBlock)
{
    struct Case {
        uint16_t entries;
        uint16_t blockSize;  // bytes; whole entries only
        uint16_t blocks;
    } cases[] = {{10, 224, 2}, {10, 100, 4}, {1, 32, 1}, {7, 247, 1}};
    for (const auto& c : cases) {
        for (bool graphics : {false, true}) {
            SCOPED_TRACE(std::to_string(c.entries) + " entries, block size " + std::to_string(c.blockSize) +
                         (graphics ? ", graphics" : ", messages"));
            const Bytes entries = Pattern(c.entries * 32u, c.blockSize);
            int16_t status = 1;
            resp_retrieve_graphiclist_s graphicResponse{};
            resp_retrieve_messagelist_s messageResponse{};
            const resp_retrieve_list_s& response =
                graphics ? static_cast<const resp_retrieve_list_s&>(graphicResponse) : messageResponse;
            auto r = Async([&] {
                return graphics ? reinterpret_cast<const uint8_t*>(
                                      link.GetGraphicList(kAddr, status, &graphicResponse, 4))
                                : reinterpret_cast<const uint8_t*>(
                                      link.GetMessageList(kAddr, status, &messageResponse, 4));
            });
            const Bytes header = Next();
            EXPECT_EQ(DataOf(header), Request(8, {{0, {static_cast<uint8_t>(graphics ? 27 : 9), 4}}}));
            peer.Write(ListReply(header, c.entries, c.blocks, c.blockSize));
            ServeBlocks(entries, c.blockSize / 32 * 32);
            const uint8_t* got = r.get();
            ASSERT_EQ(status, KORNET_OK);
            ASSERT_NE(got, nullptr);
            EXPECT_EQ(Bytes(got, got + entries.size()), entries);
            EXPECT_EQ(+response.entries, c.entries);
            EXPECT_EQ(response.more[7], 0xEE);
        }
    }
    ExpectSilence();
}

TEST_F(LegacyTransfer, ListsThatCannotBeReadAreRefused)
{
    struct Case {
        const char* what;
        uint16_t entries, blocks, blockSize;
    } cases[] = {
        {"no whole entry per block", 1, 1, 31},
        {"blocks for no entries", 0, 1, 224},
        {"too few blocks", 8, 1, 224},
        {"block beyond a frame", 7, 1, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int16_t status = 1;
        resp_retrieve_messagelist_s response{};
        auto r = Async([&] { return link.GetMessageList(kAddr, status, &response, 0); });
        peer.Write(ListReply(Next(), c.entries, c.blocks, c.blockSize));
        EXPECT_EQ(r.get(), nullptr);
        EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE);
        ExpectSilence();
    }

    // Without a response the count could not reach the caller: the call
    // ends after the header.
    int16_t status = 1;
    auto r = Async([&] { return link.GetMessageList(kAddr, status, nullptr, 0); });
    peer.Write(ListReply(Next(), 3, 1, 224));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, KORNET_OK);
    ExpectSilence();

    resp_retrieve_messagelist_s response{};
    r = Async([&] { return link.GetMessageList(kAddr, status, &response, 0); });
    peer.Write(ListReply(Next(), 0, 0, 224, 3));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 3);
}

TEST_F(LegacyTransfer, GraphicNeedsTwoPlanesOfData)
{
    // 16 x 8: one plane is 16 bytes, which is not enough.
    int16_t status = 1;
    BITMAPINFO info{};
    auto r = Async([&] { return link.GetGraphic(kAddr, "LOGO", &info, 8, 16, status, nullptr, 0); });
    const Bytes header = Next();
    EXPECT_EQ(DataOf(header), Request(32, {{0, {37, 0}}, {2, Text("LOGO")}}));
    peer.Write(RetrieveReply(header, 1, 247, 16));
    ServeBlocks(Bytes(16, 0xFF), 247);
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_GRAPHIC_UNSUPPORTED_FORMAT);

    // Two planes: red from the first, green from the second.
    Bytes planes(32, 0);
    planes[15] = 0x01;        // top-left: red
    planes[16 + 15] = 0x81;   // top-left and bottom-left: green
    resp_retrieve_graphic_s response{};
    r = Async([&] { return link.GetGraphic(kAddr, "LOGO", &info, 8, 16, status, &response, 5); });
    peer.Write(RetrieveReply(Next(), 1, 247, 32));
    ServeBlocks(planes, 247);
    const uint8_t* pixels = r.get();
    ASSERT_EQ(status, KORNET_OK);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(+info.bmiHeader.biSizeImage, 8u * 48u);
    EXPECT_EQ(+info.bmiHeader.biBitCount, 24);
    const uint8_t* top = pixels + 7 * 48;  // bottom-up
    EXPECT_EQ(Bytes(top, top + 6), (Bytes{0, 255, 255, 0, 0, 0}));
    EXPECT_EQ(Bytes(pixels, pixels + 3), (Bytes{0, 255, 0}));
    EXPECT_EQ(response.command, 37);
}
}  // namespace
