// Frame building, receiving and validation, against frames written out by hand.
#include <gtest/gtest.h>

#include <deque>

#include "CKorNetPacket.h"
#include "Frames.h"
#include "KorNet.h"
#include "ports/CKorNetAbstractPort.h"

namespace {
Bytes Built(uint8_t address, uint8_t sequence, uint8_t type, const Bytes& data)
{
    CKorNetPacket p;
    p.Build(address, sequence, type, data.data(), data.size());
    return Bytes(p.Bytes(), p.Bytes() + p.FrameLength());
}

TEST(Frames, BuildTable)
{
    struct Case {
        uint8_t address, sequence, type;
        Bytes data;
        Bytes expected;
    };
    const Case cases[] = {
        {5, 0x00, 3, {}, {0x55, 0xAA, 0x05, 0x00, 0x03, 0xF9}},
        {1, 0x10, 0, {0x80, 0x0B}, {0x55, 0xAA, 0x01, 0x02, 0x10, 0xEE, 0x80, 0x0B, 0x75}},
        // data summing to 0 mod 256 carries a data checksum of 0
        {1, 0x20, 0, {0x80, 0x80}, {0x55, 0xAA, 0x01, 0x02, 0x20, 0xDE, 0x80, 0x80, 0x00}},
        {255, 0xF0, 12, {0x00, 0x4B, 0x00, 0x00}, {0x55, 0xAA, 0xFF, 0x04, 0xFC, 0x02, 0x00, 0x4B, 0x00, 0x00, 0xB5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Built(c.address, c.sequence, c.type, c.data), c.expected);
        EXPECT_EQ(Built(c.address, c.sequence, c.type, c.data), MakeFrame(c.address, c.sequence | c.type, c.data));
    }
}

TEST(Frames, LongestFrameIs262Bytes)
{
    Bytes data(255);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    const Bytes f = Built(9, 0x30, 0, data);
    ASSERT_EQ(f.size(), 262u);
    EXPECT_EQ(f, MakeFrame(9, 0x30, data));
}

// A port that serves scripted bytes, so receive can be tried on any input.
class ScriptPort : public CKorNetAbstractPort {
public:
    std::deque<uint8_t> input;
    int16_t Open() override { return 0; }
    int16_t Close() override { return 0; }
    int16_t Write(const uint8_t*, int16_t) override { return 0; }
    int16_t ReadByteWithin(uint8_t& b, int32_t) override
    {
        if (input.empty()) return ERR_SIGN_NO_RESPONSE;
        b = input.front();
        input.pop_front();
        return 0;
    }
    void FlushInput() override {}
};

TEST(Frames, ReceiveHuntsForStartByte)
{
    ScriptPort port;
    const Bytes reply = MakeFrame(7, 0x21, {0x80, 0x0B, 0x00});
    Bytes stream = {0x00, 0x13, 0xAA, 0xFF};
    stream.insert(stream.end(), reply.begin(), reply.end());
    port.input.assign(stream.begin(), stream.end());
    CKorNetPacket p;
    ASSERT_EQ(port.ReceivePacket(p), 0);
    EXPECT_EQ(Bytes(p.Bytes(), p.Bytes() + p.FrameLength()), reply);
    EXPECT_EQ(p.Validate(7, 0x20, 0, 0x0B), 0);
}

TEST(Frames, ReceiveEveryTruncationTimesOut)
{
    const Bytes reply = MakeFrame(7, 0x21, Bytes(255, 0x42));
    for (size_t cut = 0; cut < reply.size(); ++cut) {
        ScriptPort port;
        port.input.assign(reply.begin(), reply.begin() + static_cast<long>(cut));
        CKorNetPacket p;
        EXPECT_EQ(port.ReceivePacket(p), ERR_SIGN_NO_RESPONSE) << "cut at " << cut;
        // the partial frame stays for the log
        if (cut > 0) {
            EXPECT_EQ(p.Bytes()[cut - 1], reply[cut - 1]);
        }
    }
}

TEST(Frames, ReceiveNeverWritesPastTheFrame)
{
    // A peer announcing 255 data bytes and then sending far more: the rest
    // stays unread for the next receive's start-byte hunt.
    ScriptPort port;
    Bytes stream = {0x55, 0xAA, 0x01, 0xFF, 0x01, 0x00};
    stream.resize(2000, 0x55);
    port.input.assign(stream.begin(), stream.end());
    CKorNetPacket p;
    EXPECT_EQ(port.ReceivePacket(p), 0);
    EXPECT_EQ(port.input.size(), 2000u - 262u);
}

struct ValidateCase {
    const char* what;
    Bytes reply;
    uint8_t type;
    uint8_t code;
    bool relaxed;
    int16_t expected;
};

Bytes Corrupt(Bytes f, size_t at)
{
    f[at] ^= 0x01;
    return f;
}

TEST(Frames, ValidateInOrder)
{
    const uint8_t a = 3, s = 0x40;
    const Bytes good = MakeFrame(a, s | 1, {0x80, 0x0B, 0x00});
    const ValidateCase cases[] = {
        {"good extended reply", good, 0, 0x0B, false, 0},
        {"single-byte reply code", MakeFrame(a, s | 1, {0x0E, 0x00}), 0, 0x0E, false, 0},
        {"wrong address", MakeFrame(4, s | 1, {0x80, 0x0B, 0}), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"wrong sequence", MakeFrame(a, 0x50 | 1, {0x80, 0x0B, 0}), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"type 2", MakeFrame(a, s | 2, {0x80, 0x0B, 0}), 0, 0x0B, false, ERR_SIGN_BAD_COMMAND},
        {"type 2 relaxed", MakeFrame(a, s | 2, {0x80, 0x0B, 0}), 0, 0x0B, true, 0},
        {"type 4", MakeFrame(a, s | 4, {0x80, 0x0B, 0}), 0, 0x0B, false, ERR_SIGN_UNSUPPORTED_COMMAND},
        {"type 4 relaxed", MakeFrame(a, s | 4, {0x80, 0x0B, 0}), 0, 0x0B, true, 0},
        {"type 5 to a command", MakeFrame(a, s | 5, {0x80, 0x0B, 0}), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"type 5 relaxed", MakeFrame(a, s | 5, {0x80, 0x0B, 0}), 0, 0x0B, true, 0},
        {"command byte 0", MakeFrame(a, s | 1, {0x00, 0x0B}), 0, 0x0B, false, ERR_SIGN_UNSUPPORTED_COMMAND},
        {"command byte 0 relaxed", MakeFrame(a, s | 1, {0x00, 0x0B}), 0, 0x0B, true, ERR_SIGN_UNSUPPORTED_COMMAND},
        {"type 2 before checksum", Corrupt(MakeFrame(a, s | 2, {1}), 5), 0, 1, false, ERR_SIGN_BAD_COMMAND},
        {"header checksum", Corrupt(good, 5), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"byte 1 only covered by checksum", Corrupt(good, 1), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"data checksum", Corrupt(good, good.size() - 1), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"wrong reply code", MakeFrame(a, s | 1, {0x80, 0x0C, 0}), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
        {"no code to check", MakeFrame(a, s | 1, {0x80, 0x0C, 0}), 0, 0, false, 0},
        {"sync echoed", MakeFrame(a, s | 3), 3, 0, false, 0},
        {"sync answered type 1", MakeFrame(a, s | 1), 3, 0, false, ERR_SIGN_INVALID_RESPONSE},
        {"sync answered type 1 relaxed", MakeFrame(a, s | 1), 3, 0, true, ERR_SIGN_INVALID_RESPONSE},
        {"broadcast query echoed", MakeFrame(a, s | 11, {0x34, 0x12}), 11, 0, false, 0},
        {"baud reply", MakeFrame(a, s | 1), 12, 0, false, 0},
        {"empty reply to a command", MakeFrame(a, s | 1), 0, 0x0B, false, ERR_SIGN_INVALID_RESPONSE},
    };
    for (const auto& c : cases) {
        CKorNetPacket p;
        p.SetRelaxedValidation(c.relaxed);
        std::copy(c.reply.begin(), c.reply.end(), p.Bytes());
        EXPECT_EQ(p.Validate(a, s, c.type, c.code), c.expected) << c.what;
    }
}
}  // namespace
