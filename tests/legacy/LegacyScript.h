// The older command set against a controller scripted frame by frame over
// loopback TCP: the request bytes each method must send, and replies the
// test writes out byte by byte.
#pragma once

#include <ctime>

#include "../jx/JxScript.h"

inline constexpr uint8_t kAddr = 5;

// A 17-byte name field as the controller expects it.
inline Bytes Name17(const std::string& name)
{
    Bytes f(17, 0);
    std::copy_n(name.begin(), std::min<size_t>(name.size(), 17), f.begin());
    return f;
}

inline Bytes Pattern(size_t n, unsigned seed = 1)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + seed * 13 + (i >> 8));
    return b;
}

// The eight-byte acknowledgement of a legacy command: the code echoed, the
// error byte, six bytes that tell it apart from zeros.
inline Bytes Ack(const Bytes& request, uint8_t error = 0)
{
    return ReplyTo(request, 1, {request[6], error, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7});
}

class LegacyScript : public JxScript {
protected:
    // The next command frame to kAddr (or `address`), answering the sync
    // frame that the first command to an address sends before it.
    Bytes Next(uint8_t address = kAddr)
    {
        Bytes frame = peer.ReadFrame();
        if (frame.size() == 6 && (frame[4] & 0x0F) == 3) {
            EXPECT_EQ(frame, MakeFrame(address, 0x03));
            peer.Write(ReplyTo(frame, 3));
            frame = peer.ReadFrame();
        }
        EXPECT_GE(frame.size(), 7u);
        if (frame.size() < 7) return Bytes(7, 0);
        EXPECT_EQ(frame[2], address);
        EXPECT_EQ(frame[4] & 0x0F, 0);
        EXPECT_EQ(frame, MakeFrame(address, frame[4], DataOf(frame))) << "checksums";
        return frame;
    }

    // The local time as the store headers carry it.
    static Bytes Stamp(std::time_t t)
    {
        std::tm tm{};
        localtime_r(&t, &tm);
        return {static_cast<uint8_t>(tm.tm_sec),  static_cast<uint8_t>(tm.tm_min), static_cast<uint8_t>(tm.tm_hour),
                static_cast<uint8_t>(tm.tm_mday), static_cast<uint8_t>(tm.tm_mon), static_cast<uint8_t>(tm.tm_year)};
    }

    // Plays the controller's side of a store: the 64-byte header, then every
    // 255-byte block, each checked byte for byte and acknowledged.
    void ReceiveStore(uint8_t code, uint8_t optionByte, const std::string& name, const Bytes& data,
                      std::time_t before)
    {
        const size_t blocks = (data.size() + 246) / 247;
        const Bytes header = Next();
        const Bytes d = DataOf(header);
        ASSERT_EQ(d.size(), 64u);
        Bytes expected = Request(64, {{0, {code, optionByte}}, {2, Name17(name)},
                                      {25, Le16(static_cast<uint16_t>(blocks))}, {27, Le16(247)},
                                      {29, Le32(static_cast<uint32_t>(data.size()))}});
        const Bytes stamp(d.begin() + 19, d.begin() + 25);
        EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(std::time(nullptr))) << "time stamp";
        std::copy(stamp.begin(), stamp.end(), expected.begin() + 19);
        EXPECT_EQ(d, expected);
        peer.Write(Ack(header));
        for (size_t n = 1; n <= blocks; ++n) {
            const Bytes frame = Next();
            const size_t at = (n - 1) * 247;
            const size_t count = std::min<size_t>(247, data.size() - at);
            Bytes block = Request(255, {{0, {3, 0}}, {2, Le16(static_cast<uint16_t>(n))}});
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), count, block.begin() + 8);
            ASSERT_EQ(DataOf(frame), block) << "block " << n;
            peer.Write(Ack(frame));
        }
    }

    // The 64-byte reply to a message or graphic retrieval header.
    static Bytes RetrieveReply(const Bytes& request, uint16_t blocks, uint16_t blockSize, uint32_t length,
                               uint8_t error = 0)
    {
        return ReplyTo(request, 1,
                       Request(64, {{0, {request[6]}}, {2, Text("ECHO")}, {24, Le16(blocks)}, {26, Le16(blockSize)},
                                    {28, Le32(length)}, {32, {error}}, {63, {0xEE}}}));
    }
    // The reply to block request `request` carrying `data`.
    static Bytes BlockReply(const Bytes& request, const Bytes& data, uint8_t error = 0)
    {
        Bytes r = {4, error, request[8], request[9], 0, 0, 0, 0};
        r.insert(r.end(), data.begin(), data.end());
        return ReplyTo(request, 1, r);
    }
    // Answers block requests 1..n with the pieces of `data`, `blockSize` each.
    void ServeBlocks(const Bytes& data, size_t blockSize)
    {
        const size_t blocks = (data.size() + blockSize - 1) / blockSize;
        for (size_t n = 1; n <= blocks; ++n) {
            const Bytes request = Next();
            ASSERT_EQ(DataOf(request), Request(8, {{0, {4, 0}}, {2, Le16(static_cast<uint16_t>(n))}}));
            const size_t at = (n - 1) * blockSize;
            const size_t count = std::min(blockSize, data.size() - at);
            peer.Write(BlockReply(request, Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                                                 data.begin() + static_cast<std::ptrdiff_t>(at + count))));
        }
    }
};
