// A link connected over loopback TCP to a controller that the test scripts
// frame by frame (TcpPeer), with helpers to write out expected request data
// and to answer with exact replies.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "Frames.h"
#include "KorNet.h"
#include "TcpPeer.h"

// Records OnProgress calls; can act from inside the callback (an Abort).
class ProgressLog : public CKorNetworkEvents {
public:
    std::vector<std::pair<int, int>> calls;
    std::vector<int16_t> userValues;
    std::function<void(int16_t count)> onProgress;
    void OnCallState(uint32_t, uint32_t, int16_t) override {}
    void OnProgress(int16_t count, int16_t total, int16_t userValue) override
    {
        calls.emplace_back(count, total);
        userValues.push_back(userValue);
        if (onProgress) onProgress(count);
    }
};

// Progress of a command of `total` frames that ran through `done` of them.
inline std::vector<std::pair<int, int>> ProgressRun(int total, int done)
{
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i <= done; ++i) out.emplace_back(i, total);
    return out;
}

// `length` zero bytes with the given fields laid in at their offsets.
inline Bytes Request(size_t length, std::initializer_list<std::pair<size_t, Bytes>> fields)
{
    Bytes out(length, 0);
    for (const auto& [offset, bytes] : fields) std::copy(bytes.begin(), bytes.end(), out.begin() + offset);
    return out;
}
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Le16(uint16_t v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}; }
inline Bytes Le32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}
inline Bytes DataOf(const Bytes& frame)
{
    return frame.size() > 7 ? Bytes(frame.begin() + 6, frame.end() - 1) : Bytes{};
}
// A reply to `request` carrying its address and sequence nibble.
inline Bytes ReplyTo(const Bytes& request, uint8_t type, const Bytes& data = {})
{
    return MakeFrame(request[2], static_cast<uint8_t>((request[4] & 0xF0) | type), data);
}
// The eight-byte acknowledgement of a Jx command.
inline Bytes JxAck(const Bytes& request, uint8_t error = 0)
{
    return ReplyTo(request, 1, {0x80, request[7], error, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7});
}

class JxScript : public ::testing::Test {
protected:
    TcpPeer peer;
    CKorNetwork link;
    ProgressLog progress;

    void SetUp() override
    {
        link.SetTimeOut(300);
        ASSERT_EQ(link.ConfigureRemote(TcpPeer::Loopback(), static_cast<int16_t>(peer.Port())), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
        ASSERT_TRUE(peer.Accept());
        link.RegisterEventHandler(&progress, 77);
    }
    void TearDown() override { link.Disconnect(); }

    template <class F>
    static auto Async(F f)
    {
        return std::async(std::launch::async, f);
    }
    // Answers the sync frame that a first command to `address` sends.
    void AnswerSync(uint8_t address)
    {
        const Bytes sync = peer.ReadFrame();
        ASSERT_EQ(sync, MakeFrame(address, 0x03));
        peer.Write(ReplyTo(sync, 3));
    }
    // Reads the next frame and checks it is a command to `address`.
    Bytes NextCommand(uint8_t address)
    {
        const Bytes frame = peer.ReadFrame();
        EXPECT_GE(frame.size(), 7u);
        if (frame.size() < 7) return Bytes(7, 0);
        EXPECT_EQ(frame[2], address);
        EXPECT_EQ(frame[4] & 0x0F, 0);
        EXPECT_EQ(frame, MakeFrame(address, frame[4], DataOf(frame))) << "checksums";
        return frame;
    }
    // Proves that the library sent nothing more.
    void ExpectSilence() { EXPECT_TRUE(peer.Drain(30).empty()); }
};
