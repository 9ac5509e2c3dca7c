// Jx file commands against a controller scripted frame by frame: exact
// request bytes, block arithmetic, progress, the compressed fall-backs, and
// replies that lie about sizes or carry damaged data.
#include <ctime>
#include <random>
#include <zlib.h>

#include "JxScript.h"

namespace {
constexpr uint8_t kAddr = 5;

Bytes Pattern(size_t n, unsigned seed = 1)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + seed * 13 + (i >> 8));
    return b;
}
Bytes Noise(size_t n, unsigned seed = 1)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}
Bytes Compressible(size_t n)
{
    const std::string line = "<ENT name=\"MSG0001.XML\" size=\"1024\" sec=\"1700000000\"/>\n";
    Bytes b;
    while (b.size() < n) b.insert(b.end(), line.begin(), line.end());
    b.resize(n);
    return b;
}
Bytes Deflate(const Bytes& plain)
{
    uLongf size = compressBound(plain.size());
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, plain.data(), plain.size()), Z_OK);
    out.resize(size);
    return out;
}
// A 110-byte name field as the controller expects it.
Bytes NameField(const std::string& name)
{
    Bytes f(110, 0);
    std::copy_n(name.begin(), std::min<size_t>(name.size(), 110), f.begin());
    return f;
}
// The 152-byte reply to a get header.
Bytes GetHeaderReply(uint8_t sub, uint16_t blocks, uint16_t blockSize, uint32_t length, uint32_t plainLength = 0,
                     uint8_t error = 0)
{
    Bytes r = Request(152, {{0, {0x80, sub}}, {3, Text("ECHO")}, {116, Le16(blocks)}, {118, Le16(blockSize)},
                            {120, Le32(length)}, {124, {error}}, {125, Le32(plainLength)}, {140, {0xEE}}});
    return r;
}
// The reply to block request `request` carrying `data`.
Bytes BlockReply(const Bytes& request, const Bytes& data, uint8_t error = 0)
{
    Bytes r = {0x80, 6, error, request[9], request[10], 0, 0, 0};
    r.insert(r.end(), data.begin(), data.end());
    return ReplyTo(request, 1, r);
}

class JxFile : public JxScript {
protected:
    // Plays the controller's side of a send: checks every frame and acknowledges it.
    void ReceiveSend(uint8_t sub, const std::string& name, uint8_t option, const Bytes& carried, uint32_t plainLength,
                     uint32_t before, uint32_t after)
    {
        const size_t blocks = (carried.size() + 245) / 246;
        const Bytes header = NextCommand(kAddr);
        const Bytes d = DataOf(header);
        ASSERT_EQ(d.size(), 136u);
        EXPECT_EQ(Bytes(d.begin(), d.begin() + 113), Request(113, {{0, {0x80, sub, option}}, {3, NameField(name)}}));
        const uint32_t stamp = d[113] | d[114] << 8 | d[115] << 16 | static_cast<uint32_t>(d[116]) << 24;
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, after);
        EXPECT_EQ(Bytes(d.begin() + 117, d.end()),
                  Request(19, {{0, Le16(static_cast<uint16_t>(blocks))}, {2, Le16(246)},
                               {4, Le32(static_cast<uint32_t>(carried.size()))}, {8, Le32(plainLength)}}));
        peer.Write(JxAck(header));
        for (size_t n = 1; n <= blocks; ++n) {
            const Bytes frame = NextCommand(kAddr);
            const size_t at = (n - 1) * 246;
            const size_t count = std::min<size_t>(246, carried.size() - at);
            Bytes expected = Request(255, {{0, {0x80, 5, 0}}, {3, Le16(static_cast<uint16_t>(n))}});
            std::copy_n(carried.begin() + at, count, expected.begin() + 9);
            ASSERT_EQ(DataOf(frame), expected) << "block " << n;
            peer.Write(JxAck(frame));
        }
    }
    uint32_t Now() { return static_cast<uint32_t>(std::time(nullptr)); }
};

TEST_F(JxFile, SendSplitsIntoBlocksWithProgress)
{
    for (size_t size : {0u, 1u, 245u, 246u, 247u, 492u, 493u}) {
        SCOPED_TRACE(size);
        progress.calls.clear();
        const Bytes data = Pattern(size, static_cast<unsigned>(size));
        jx_resp_send_file_s response{};
        const uint32_t before = Now();
        auto r = Async([&] { return link.JxSendFile(kAddr, "CONFIG.XML", data.data(), static_cast<int32_t>(size), &response, 9); });
        if (size == 0) AnswerSync(kAddr);
        ReceiveSend(1, "CONFIG.XML", 9, data, 0, before, Now() + 1);
        EXPECT_EQ(r.get(), KORNET_OK);
        ExpectSilence();
        const int blocks = static_cast<int>((size + 245) / 246);
        EXPECT_EQ(progress.calls, ProgressRun(blocks + 1, blocks + 1));
        EXPECT_EQ(progress.userValues.back(), 77);
        EXPECT_EQ(response.prefix, 0x80);
        EXPECT_EQ(response.subCommand, 1);
        EXPECT_EQ(response.reserved[4], 0xA7);  // the header's reply, as it came
    }
}

TEST_F(JxFile, SendStopsAtTheFirstRefusal)
{
    const Bytes data = Pattern(600);
    jx_resp_send_file_s response{};
    // The controller refuses the header: no block follows.
    auto r = Async([&] { return link.JxSendFile(kAddr, "BIG.BIN", data.data(), 600, &response, 0); });
    AnswerSync(kAddr);
    peer.Write(JxAck(NextCommand(kAddr), 4));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 4);
    ExpectSilence();
    EXPECT_EQ(progress.calls, ProgressRun(4, 1));

    // A refused block ends the transfer there.
    progress.calls.clear();
    r = Async([&] { return link.JxSendFile(kAddr, "BIG.BIN", data.data(), 600, &response, 0); });
    peer.Write(JxAck(NextCommand(kAddr)));
    peer.Write(JxAck(NextCommand(kAddr), 6));
    EXPECT_EQ(r.get(), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 6);  // the refused block's reason, not the accepted header's
    ExpectSilence();
    EXPECT_EQ(progress.calls, ProgressRun(4, 2));
}

TEST_F(JxFile, RequestsThatCannotBeSentSendNothing)
{
    const Bytes data = Pattern(10);
    struct Case {
        const char* what;
        const uint8_t* data;
        int32_t length;
    } cases[] = {
        {"negative length", data.data(), -1},
        {"missing data", nullptr, 10},
        {"more blocks than the header can count", data.data(), 65535 * 246 + 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(link.JxSendFile(kAddr, "X", c.data, c.length, nullptr, 0), ERR_NETWORK_NO_WRITE) << c.what;
        EXPECT_EQ(link.JxSendFileCompressed(kAddr, "X", c.data, c.length, nullptr, 0), ERR_NETWORK_NO_WRITE) << c.what;
    }
    ExpectSilence();
}

TEST_F(JxFile, CompressedSendCarriesTheZlibForm)
{
    const Bytes data = Compressible(3000);
    const Bytes packed = Deflate(data);
    ASSERT_LT(packed.size(), 492u);  // two blocks at most
    const uint32_t before = Now();
    auto r = Async([&] { return link.JxSendFileCompressed(kAddr, "DIRECTORY.XML", data.data(), 3000, nullptr, 3); });
    AnswerSync(kAddr);
    ReceiveSend(20, "DIRECTORY.XML", 3, packed, 3000, before, Now() + 1);
    EXPECT_EQ(r.get(), KORNET_OK);
    const int blocks = static_cast<int>((packed.size() + 245) / 246);
    EXPECT_EQ(progress.calls, ProgressRun(blocks + 1, blocks + 1));
}

TEST_F(JxFile, CompressedSendFallsBackToPlain)
{
    // An older controller answers the compressed header as unsupported: the
    // same file goes plain, and no error surfaces.
    const Bytes data = Compressible(700);
    const int packedBlocks = static_cast<int>((Deflate(data).size() + 245) / 246);
    jx_resp_send_file_s response{};
    const uint32_t before = Now();
    auto r = Async([&] { return link.JxSendFileCompressed(kAddr, "A.XML", data.data(), 700, &response, 0); });
    AnswerSync(kAddr);
    const Bytes compressedHeader = NextCommand(kAddr);
    EXPECT_EQ(compressedHeader[7], 20);
    peer.Write(ReplyTo(compressedHeader, 4, {0x80, 20}));
    ReceiveSend(1, "A.XML", 0, data, 0, before, Now() + 1);
    EXPECT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(response.subCommand, 1);
    auto expected = ProgressRun(packedBlocks + 1, 0);
    for (auto step : ProgressRun(4, 4)) expected.push_back(step);
    EXPECT_EQ(progress.calls, expected);

    // Data that does not shrink, and an empty file, go plain from the start.
    for (const Bytes& plain : {Noise(300), Bytes{}, Bytes{0x41}}) {
        r = Async([&] {
            return link.JxSendFileCompressed(kAddr, "N.BIN", plain.data(), static_cast<int32_t>(plain.size()), nullptr, 0);
        });
        ReceiveSend(1, "N.BIN", 0, plain, 0, before, Now() + 1);
        EXPECT_EQ(r.get(), KORNET_OK) << plain.size();
    }
}

TEST_F(JxFile, GetReassemblesBlocks)
{
    struct Case {
        size_t size;
        uint16_t blockSize;
    } cases[] = {{1, 246}, {246, 246}, {247, 246}, {493, 246}, {250, 100}, {494, 247}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        progress.calls.clear();
        const Bytes file = Pattern(c.size, 3);
        const uint16_t blocks = static_cast<uint16_t>((c.size + c.blockSize - 1) / c.blockSize);
        jx_resp_retrieve_file_s response{};
        int16_t status = 99;
        auto r = Async([&] { return link.JxGetFile(kAddr, "STATUS.XML", status, &response, 6); });
        if (c.size == 1) AnswerSync(kAddr);
        const Bytes header = NextCommand(kAddr);
        EXPECT_EQ(DataOf(header), Request(120, {{0, {0x80, 2, 6}}, {3, NameField("STATUS.XML")}}));
        peer.Write(ReplyTo(header, 1, GetHeaderReply(2, blocks, c.blockSize, static_cast<uint32_t>(c.size))));
        for (uint16_t n = 1; n <= blocks; ++n) {
            const Bytes req = NextCommand(kAddr);
            EXPECT_EQ(DataOf(req), Request(16, {{0, {0x80, 6, 0}}, {3, Le16(n)}}));
            const size_t at = (n - 1) * size_t{c.blockSize};
            peer.Write(BlockReply(req, Bytes(file.begin() + at, file.begin() + std::min(c.size, at + c.blockSize))));
        }
        const uint8_t* got = r.get();
        EXPECT_EQ(status, KORNET_OK);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(Bytes(got, got + c.size), file);
        EXPECT_EQ(+response.blocks, blocks);
        EXPECT_EQ(+response.blockSize, c.blockSize);
        EXPECT_EQ(+response.length, c.size);
        EXPECT_EQ(response.error, 0);
        EXPECT_EQ(response.echo[1], 'E');   // the other bytes as they came
        EXPECT_EQ(response.trailer[11], 0xEE);
        EXPECT_EQ(progress.calls, ProgressRun(blocks, blocks));
        ExpectSilence();
    }
}

TEST_F(JxFile, GetOfAnEmptyFileIsNullWithSuccess)
{
    int16_t status = 99;
    auto r = Async([&] { return link.JxGetFile(kAddr, "LOG.XML", status, nullptr, 0); });
    AnswerSync(kAddr);
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 0, 246, 0)));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, KORNET_OK);
    ExpectSilence();
}

TEST_F(JxFile, GetRefusesBroadcastAndReportsTheControllersError)
{
    int16_t status = 0;
    for (uint8_t address : {uint8_t{0}, uint8_t{241}, uint8_t{255}}) {
        EXPECT_EQ(link.JxGetFile(address, "CONFIG.XML", status, nullptr, 0), nullptr);
        EXPECT_EQ(status, ERR_COMMAND_NO_BROADCAST);
        EXPECT_EQ(link.JxGetFileCompressed(address, "CONFIG.XML", status, nullptr, 0), nullptr);
        EXPECT_EQ(status, ERR_COMMAND_NO_BROADCAST);
    }
    ExpectSilence();

    // No such file: error byte 124 of the header reply.
    jx_resp_retrieve_file_s response{};
    auto r = Async([&] { return link.JxGetFile(kAddr, "NONE.XML", status, &response, 0); });
    AnswerSync(kAddr);
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 1, 246, 10, 0, 2)));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(response.error, 2);
    ExpectSilence();

    // A block the controller cannot give.
    r = Async([&] { return link.JxGetFile(kAddr, "HALF.XML", status, &response, 0); });
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 2, 246, 300)));
    const Bytes req = NextCommand(kAddr);
    peer.Write(BlockReply(req, Bytes(246, 1), 8));
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_RESPONSE_ERROR);
    ExpectSilence();
}

TEST_F(JxFile, HeadersThatLieAboutSizesAreInvalid)
{
    struct Case {
        const char* what;
        uint16_t blocks;
        uint16_t blockSize;
        uint32_t length;
    } cases[] = {
        {"length above blocks x block size", 1, 246, 247},
        {"huge length", 2, 246, 0xFFFFFFF0u},
        {"block size 0", 1, 0, 10},
        {"block size above one reply frame", 1, 248, 200},
        {"blocks for a zero length", 3, 246, 0},
        {"more blocks than the length needs", 3, 246, 300},
    };
    bool first = true;
    for (const auto& c : cases) {
        for (uint8_t sub : {uint8_t{2}, uint8_t{21}}) {
            int16_t status = 0;
            auto r = Async([&] {
                return sub == 2 ? link.JxGetFile(kAddr, "F", status, nullptr, 0)
                                : link.JxGetFileCompressed(kAddr, "F", status, nullptr, 0);
            });
            if (first) AnswerSync(kAddr);
            first = false;
            peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(sub, c.blocks, c.blockSize, c.length, 100)));
            EXPECT_EQ(r.get(), nullptr) << c.what;
            EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE) << c.what << " sub " << int(sub);
            ExpectSilence();
        }
    }
}

TEST_F(JxFile, ShortBlockReplyEndsTheTransfer)
{
    int16_t status = 0;
    auto r = Async([&] { return link.JxGetFile(kAddr, "F", status, nullptr, 0); });
    AnswerSync(kAddr);
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 2, 246, 400)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(245, 7)));  // one byte short of its block
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE);
    ExpectSilence();
    EXPECT_EQ(progress.calls, ProgressRun(2, 1));

    // The last block needs only the remainder: a reply carrying just that is whole.
    r = Async([&] { return link.JxGetFile(kAddr, "F", status, nullptr, 0); });
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 2, 246, 250)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(246, 7)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(4, 8)));
    const uint8_t* got = r.get();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got[249], 8);
}

TEST_F(JxFile, CompressedGetInflatesAndFallsBack)
{
    const Bytes file = Compressible(5000);
    const Bytes packed = Deflate(file);
    const uint16_t blocks = static_cast<uint16_t>((packed.size() + 245) / 246);
    jx_resp_retrieve_file_s response{};
    int16_t status = 0;
    auto r = Async([&] { return link.JxGetFileCompressed(kAddr, "DIRECTORY.XML", status, &response, 1); });
    AnswerSync(kAddr);
    const Bytes header = NextCommand(kAddr);
    EXPECT_EQ(DataOf(header), Request(120, {{0, {0x80, 21, 1}}, {3, NameField("DIRECTORY.XML")}}));
    peer.Write(ReplyTo(header, 1, GetHeaderReply(21, blocks, 246, static_cast<uint32_t>(packed.size()), 5000)));
    for (uint16_t n = 1; n <= blocks; ++n) {
        const size_t at = (n - 1) * 246u;
        peer.Write(BlockReply(NextCommand(kAddr), Bytes(packed.begin() + at, packed.begin() + std::min(packed.size(), at + 246))));
    }
    const uint8_t* got = r.get();
    EXPECT_EQ(status, KORNET_OK);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Bytes(got, got + 5000), file);
    EXPECT_EQ(+response.uncompressedLength, 5000u);

    // An older controller: the plain get follows, and offset 125 still holds
    // the file's length.
    const Bytes plain = Pattern(300);
    response = {};
    r = Async([&] { return link.JxGetFileCompressed(kAddr, "CONFIG.XML", status, &response, 1); });
    const Bytes compressedHeader = NextCommand(kAddr);
    peer.Write(ReplyTo(compressedHeader, 4, {0x80, 21}));
    const Bytes plainHeader = NextCommand(kAddr);
    EXPECT_EQ(DataOf(plainHeader), Request(120, {{0, {0x80, 2, 1}}, {3, NameField("CONFIG.XML")}}));
    peer.Write(ReplyTo(plainHeader, 1, GetHeaderReply(2, 2, 246, 300, 0)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(plain.begin(), plain.begin() + 246)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(plain.begin() + 246, plain.end())));
    got = r.get();
    EXPECT_EQ(status, KORNET_OK);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Bytes(got, got + 300), plain);
    EXPECT_EQ(+response.length, 300u);
    EXPECT_EQ(+response.uncompressedLength, 300u);
}

TEST_F(JxFile, DamagedCompressedDataIsNeverHandedOver)
{
    const Bytes file = Compressible(2000);
    const Bytes good = Deflate(file);
    Bytes flipped = good;
    flipped[flipped.size() / 2] ^= 0x20;
    Bytes badCheck = good;
    badCheck.back() ^= 0x01;  // Adler-32 of the stream
    struct Case {
        const char* what;
        Bytes packed;
        uint32_t announced;
    } cases[] = {
        {"not zlib at all", Noise(300), 2000},
        {"stream cut short", Bytes(good.begin(), good.end() - 6), 2000},
        {"a flipped bit", flipped, 2000},
        {"wrong check value", badCheck, 2000},
        {"inflates to more than announced", good, 1999},
        {"inflates to less than announced", good, 2001},
        {"announces a huge file", good, 0x7FFFFFFF},
        {"announces nothing", good, 0},
    };
    bool first = true;
    for (const auto& c : cases) {
        int16_t status = 0;
        jx_resp_retrieve_file_s response{};
        auto r = Async([&] { return link.JxGetFileCompressed(kAddr, "D.XML", status, &response, 0); });
        if (first) AnswerSync(kAddr);
        first = false;
        const uint16_t blocks = static_cast<uint16_t>((c.packed.size() + 245) / 246);
        peer.Write(ReplyTo(NextCommand(kAddr), 1,
                           GetHeaderReply(21, blocks, 246, static_cast<uint32_t>(c.packed.size()), c.announced)));
        for (uint16_t n = 1; n <= blocks; ++n) {
            const size_t at = (n - 1) * 246u;
            peer.Write(BlockReply(NextCommand(kAddr),
                                  Bytes(c.packed.begin() + at, c.packed.begin() + std::min(c.packed.size(), at + 246))));
        }
        EXPECT_EQ(r.get(), nullptr) << c.what;
        EXPECT_EQ(status, ERR_SIGN_INVALID_RESPONSE) << c.what;
    }
}

TEST_F(JxFile, AbortStopsATransferAtTheNextFrame)
{
    // From inside the progress callback, after the first data block.
    const Bytes data = Pattern(700);
    progress.onProgress = [&](int16_t count) {
        if (count == 2) link.Abort();
    };
    auto r = Async([&] { return link.JxSendFile(kAddr, "A.BIN", data.data(), 700, nullptr, 0); });
    AnswerSync(kAddr);
    peer.Write(JxAck(NextCommand(kAddr)));  // header
    peer.Write(JxAck(NextCommand(kAddr)));  // block 1
    EXPECT_EQ(r.get(), ERR_SIGN_ABORT);
    ExpectSilence();
    EXPECT_EQ(progress.calls, ProgressRun(4, 3));
    progress.onProgress = nullptr;

    // From another thread while the link waits for a block reply.
    int16_t status = 0;
    auto g = Async([&] { return link.JxGetFile(kAddr, "B.BIN", status, nullptr, 0); });
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 3, 246, 700)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(246, 1)));
    NextCommand(kAddr);  // block 2 requested, never answered
    link.Abort();
    EXPECT_EQ(g.get(), nullptr);
    EXPECT_EQ(status, ERR_SIGN_ABORT);
    ExpectSilence();

    // The next command starts afresh.
    auto d = Async([&] { return link.JxDeleteFile(kAddr, "B.BIN", nullptr, 0); });
    peer.Write(JxAck(NextCommand(kAddr)));
    EXPECT_EQ(d.get(), KORNET_OK);
}

TEST_F(JxFile, SecondThreadIsRefusedWhileATransferRuns)
{
    int16_t status = 0;
    auto g = Async([&] { return link.JxGetFile(kAddr, "CONFIG.XML", status, nullptr, 0); });
    AnswerSync(kAddr);
    peer.Write(ReplyTo(NextCommand(kAddr), 1, GetHeaderReply(2, 2, 246, 300)));
    const Bytes block1 = NextCommand(kAddr);  // the transfer is now waiting for this reply
    EXPECT_EQ(link.JxResetDisplay(kAddr, 0, 0, nullptr), ERR_COMMAND_BUSY);
    EXPECT_EQ(link.JxSendFile(kAddr, "X", block1.data(), 1, nullptr, 0), ERR_COMMAND_BUSY);
    int16_t other = 0;
    EXPECT_EQ(link.JxGetFileCompressed(kAddr, "X", other, nullptr, 0), nullptr);
    EXPECT_EQ(other, ERR_COMMAND_BUSY);
    peer.Write(BlockReply(block1, Bytes(246, 1)));
    peer.Write(BlockReply(NextCommand(kAddr), Bytes(54, 2)));
    EXPECT_NE(g.get(), nullptr);
    EXPECT_EQ(status, KORNET_OK);
}

TEST_F(JxFile, DeleteAndRenameRequests)
{
    const std::string full(110, 'N');
    const std::string tooLong = full + "XYZ";
    // Each call fills its own response type; the test reads the common fields.
    auto del = [&](const char* name, uint8_t option) {
        return [&, name, option](jx_resp_s& out) {
            jx_resp_delete_file_s r{};
            const int16_t s = link.JxDeleteFile(kAddr, name, &r, option);
            out = r;
            return s;
        };
    };
    auto ren = [&](const char* from, const char* to, uint8_t option) {
        return [&, from, to, option](jx_resp_s& out) {
            jx_resp_rename_file_s r{};
            const int16_t s = link.JxRenameFile(kAddr, from, to, &r, option);
            out = r;
            return s;
        };
    };
    struct Case {
        const char* what;
        std::function<int16_t(jx_resp_s&)> call;
        Bytes expected;
    } cases[] = {
        {"delete", del("MSG1.XML", 4), Request(120, {{0, {0x80, 4, 4}}, {3, Text("MSG1.XML")}})},
        {"delete, no name", del(nullptr, 0), Request(120, {{0, {0x80, 4}}})},
        {"rename", ren("OLD.XML", "NEW.XML", 2),
         Request(232, {{0, {0x80, 3, 2}}, {3, Text("OLD.XML")}, {113, Text("NEW.XML")}})},
        {"rename to a 110-character name, unterminated", ren("A", full.c_str(), 0),
         Request(232, {{0, {0x80, 3}}, {3, Text("A")}, {113, Text(full)}})},
        {"longer names are cut at 110", ren(tooLong.c_str(), tooLong.c_str(), 0),
         Request(232, {{0, {0x80, 3}}, {3, Text(full)}, {113, Text(full)}})},
    };
    bool first = true;
    for (const auto& c : cases) {
        for (uint8_t error : {uint8_t{0}, uint8_t{2}}) {
            jx_resp_s response{};
            auto r = Async([&] { return c.call(response); });
            if (first) AnswerSync(kAddr);
            first = false;
            const Bytes frame = NextCommand(kAddr);
            EXPECT_EQ(DataOf(frame), c.expected) << c.what;
            peer.Write(JxAck(frame, error));
            EXPECT_EQ(r.get(), error == 0 ? KORNET_OK : ERR_SIGN_RESPONSE_ERROR) << c.what;
            EXPECT_EQ(response.prefix, 0x80);
            EXPECT_EQ(response.subCommand, c.expected[1]);
            EXPECT_EQ(response.error, error);
            EXPECT_EQ(response.reserved[0], 0xA3);
        }
    }
}

TEST_F(JxFile, BroadcastSendsEveryFrameAndReadsNothing)
{
    const Bytes data = Pattern(300);
    jx_resp_send_file_s response{};
    std::memset(&response, 0xEE, sizeof response);
    EXPECT_EQ(link.JxSendFile(0, "ALL.XML", data.data(), 300, &response, 0), KORNET_OK);
    EXPECT_EQ(link.JxDeleteFile(0, "OLD.XML", nullptr, 0), KORNET_OK);
    // sync, header, two blocks, delete
    const Bytes seen = peer.Drain(50);
    size_t frames = 0;
    for (size_t at = 0; at + 6 <= seen.size(); ++frames) at += seen[at + 3] == 0 ? 6 : seen[at + 3] + 7u;
    EXPECT_EQ(frames, 5u);
    EXPECT_EQ(response.prefix, 0xEE);
    EXPECT_EQ(progress.calls, ProgressRun(3, 3));
}
}  // namespace
