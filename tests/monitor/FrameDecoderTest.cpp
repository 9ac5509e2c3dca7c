// Frames of every family, written out by hand, and what the monitor must
// make of them.
#include <gtest/gtest.h>

#include <string>

#include "Frames.h"
#include "monitor/CFrameCapture.h"
#include "monitor/FrameDecoder.h"

namespace {
Bytes Named(Bytes head, const std::string& name, size_t width, Bytes tail = {})
{
    for (size_t i = 0; i < width; ++i) head.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}
Bytes Block(Bytes head, uint16_t number, size_t fill)
{
    head.push_back(static_cast<uint8_t>(number));
    head.push_back(static_cast<uint8_t>(number >> 8));
    head.resize(head.size() + fill, 0xA5);
    return head;
}
Bytes BadDataSum(Bytes frame)
{
    frame.back() ^= 0x01;
    return frame;
}
}  // namespace

TEST(FrameDecoder, EveryFamily)
{
    using D = KorNetFrameDirection;
    const Bytes jxHeader = MakeFrame(5, 0x20, Named({0x80, 0x01, 0x00}, "CONFIG.XML", 110, Bytes(16, 0)));
    const Bytes jxBlock = MakeFrame(5, 0x30, Block({0x80, 0x05, 0x00}, 3, 250));
    const Bytes oldHeader = MakeFrame(7, 0x40, Named({0x05, 0x00}, "WELCOME", 17, Bytes(8, 0)));
    struct Row {
        const char* what;
        Bytes bytes;
        D direction;
        bool complete;
        bool checksumOk;
        uint8_t address;
        bool broadcast;
        uint8_t sequence;
        uint8_t type;
        int command;
        std::string fileName;
        int block;
        int errorByte;
        std::string summary;
    } rows[] = {
        {"sync", MakeFrame(5, 0x03), D::Sent, true, true, 5, false, 0, 3, -1, "", -1, -1, "sync"},
        {"sync reply (ping)", MakeFrame(240, 0x03), D::Received, true, true, 240, false, 0, 3, -1, "", -1, -1, "sync"},
        {"Jx file header", jxHeader, D::Sent, true, true, 5, false, 2, 0, 0x8001, "CONFIG.XML", -1, -1,
         "JxSendFile header CONFIG.XML"},
        {"Jx file header reply with an error", MakeFrame(5, 0x21, {0x80, 0x01, 0x04}), D::Received, true, true, 5,
         false, 2, 1, 0x8001, "", -1, 4, "reply JxSendFile header: error 4 Out of File Memory"},
        {"Jx data block", jxBlock, D::Sent, true, true, 5, false, 3, 0, 0x8005, "", 3, -1, "file data block 3"},
        {"Jx block request", MakeFrame(5, 0x40, Block({0x80, 0x06, 0x00}, 258, 0)), D::Sent, true, true, 5, false, 4,
         0, 0x8006, "", 258, -1, "file block request 258"},
        {"Jx get header, compressed", MakeFrame(5, 0x50, Named({0x80, 0x15, 0x00}, "LOGO.BMP", 110)), D::Sent, true,
         true, 5, false, 5, 0, 0x8015, "LOGO.BMP", -1, -1, "JxGetFileCompressed header LOGO.BMP"},
        {"display command to a broadcast address", MakeFrame(0, 0x60, {0x80, 0x0B, 0x01, 0x00}), D::Sent, true, true,
         0, true, 6, 0, 0x800B, "", -1, -1, "JxResetDisplay (broadcast)"},
        {"display reply, no error", MakeFrame(5, 0x71, {0x80, 0x0A, 0x00, 0, 0, 0, 0, 0}), D::Received, true, true, 5,
         false, 7, 1, 0x800A, "", -1, 0, "reply JxBlankDisplay"},
        {"older command with a name", oldHeader, D::Sent, true, true, 7, false, 4, 0, 5, "WELCOME", -1, -1,
         "SendMessage header WELCOME"},
        {"older reply with an error", MakeFrame(7, 0x41, {0x12, 0x07}), D::Received, true, true, 7, false, 4, 1, 18,
         "", -1, 7, "reply ResetSign: error 7 Not Ready to Execute"},
        {"older block request", MakeFrame(7, 0x50, {0x04, 0x00, 0x02, 0x00}), D::Sent, true, true, 7, false, 5, 0, 4,
         "", 2, -1, "retrieve block request 2"},
        {"unknown extended command", MakeFrame(9, 0x10, {0x80, 0x63}), D::Sent, true, true, 9, false, 1, 0, 0x8063,
         "", -1, -1, "sub-command 0x63"},
        {"type 2 reply", MakeFrame(5, 0x82), D::Received, true, true, 5, false, 8, 2, -1, "", -1, -1, "bad command"},
        {"type 4 reply", MakeFrame(5, 0x94), D::Received, true, true, 5, false, 9, 4, -1, "", -1, -1, "unsupported"},
        {"set baud", MakeFrame(5, 0xAC, {0x03}), D::Sent, true, true, 5, false, 10, 12, -1, "", -1, -1, "set baud"},
        {"bad data checksum", BadDataSum(MakeFrame(5, 0x21, {0x80, 0x02, 0x00})), D::Received, true, false, 5, false,
         2, 1, 0x8002, "", -1, 0, "reply JxGetFile header [bad checksum]"},
        {"bad header checksum", {0x55, 0xAA, 0x05, 0x00, 0x03, 0xF8}, D::Received, true, false, 5, false, 0, 3, -1, "",
         -1, -1, "sync [bad checksum]"},
        {"cut short in the data", Bytes(jxHeader.begin(), jxHeader.begin() + 40), D::Received, false, false, 5, false,
         2, 0, 0x8001, "CONFIG.XML", -1, -1, "JxSendFile header CONFIG.XML [cut short: 40 of 136 bytes]"},
        {"cut short in the header", {0x55, 0xAA, 0x05}, D::Received, false, false, 5, false, 0, 0, -1, "", -1, -1,
         "header cut short [cut short: 3 of 6 bytes]"},
        {"nothing came", {}, D::Received, false, false, 0, false, 0, 0, -1, "", -1, -1, "no reply"},
        {"garbage run", {0x00, 0x13, 0xAA}, D::Stray, false, false, 0, false, 0, 0, -1, "", -1, -1, "3 stray bytes"},
        {"garbage where a frame should be", {0x13, 0x55, 0xAA}, D::Received, false, false, 0, false, 0, 0, -1, "", -1,
         -1, "no frame: 3 bytes without a start byte"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const CDecodedFrame d = DecodeFrame(r.bytes.data(), r.bytes.size(), r.direction);
        EXPECT_EQ(d.complete, r.complete);
        EXPECT_EQ(d.checksumOk, r.checksumOk);
        EXPECT_EQ(d.address, r.address);
        EXPECT_EQ(d.broadcast, r.broadcast);
        EXPECT_EQ(d.sequence, r.sequence);
        EXPECT_EQ(d.frameType, r.type);
        EXPECT_EQ(d.command, r.command);
        EXPECT_EQ(d.fileName, r.fileName);
        EXPECT_EQ(d.block, r.block);
        EXPECT_EQ(d.errorByte, r.errorByte);
        EXPECT_EQ(d.summary, r.summary);
    }
}

// A name field filled to its width, or holding bytes that are not text,
// never reads past the frame and never puts control bytes in a line.
TEST(FrameDecoder, NamesStayInsideTheFrameAndPrintable)
{
    Bytes data = Named({0x80, 0x04, 0x00}, std::string(110, 'N'), 110);
    data[5] = 0x07;
    const Bytes frame = MakeFrame(5, 0x10, data);
    for (size_t cut = 0; cut <= frame.size(); ++cut) {
        const Bytes part(frame.begin(), frame.begin() + cut);
        const CDecodedFrame d = DecodeFrame(part.data(), part.size(), KorNetFrameDirection::Sent);
        EXPECT_LE(d.fileName.size(), 110u);
        EXPECT_EQ(d.fileName.find('\x07'), std::string::npos);
    }
    const CDecodedFrame whole = DecodeFrame(frame.data(), frame.size(), KorNetFrameDirection::Sent);
    EXPECT_EQ(whole.fileName, "NN?" + std::string(107, 'N'));
    const Bytes sync = MakeFrame(5, 0x03);
    EXPECT_EQ(HexBytes(sync.data(), sync.size()), "55 AA 05 00 03 F9");
    EXPECT_EQ(HexBytes(sync.data(), 0), "");
}

// The capture keeps frames in order and keeps none while paused; its log
// text is the diagnostics log's, attempt by attempt, with the reply buffer
// a broadcast leaves as the last receive filled it.
TEST(FrameCapture, PauseAndLogText)
{
    using D = KorNetFrameDirection;
    CFrameCapture capture;
    const Bytes sync = MakeFrame(5, 0x03);
    const Bytes broadcast = MakeFrame(0, 0x10, {0x80, 0x0A, 0x00});
    const Bytes cut = {0x55, 0xAA, 0x05, 0x02};
    auto report = [&](D d, const Bytes& b, int16_t attempt, int16_t status) {
        KorNetFrameRecord r;
        r.direction = d;
        r.bytes = b.data();
        r.length = b.size();
        r.attempt = attempt;
        r.status = status;
        capture.OnFrame(r);
    };
    report(D::Sent, sync, 0, KORNET_OK);
    report(D::Stray, {0x13}, 0, KORNET_OK);
    report(D::Received, cut, 0, ERR_SIGN_NO_RESPONSE);
    capture.SetPaused(true);
    report(D::Sent, sync, 1, KORNET_OK);
    capture.SetPaused(false);
    report(D::Sent, sync, 1, KORNET_OK);
    report(D::Received, sync, 1, KORNET_OK);
    report(D::Sent, broadcast, 0, KORNET_OK);
    const std::vector<CCapturedFrame> frames = capture.TakePending();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_TRUE(capture.TakePending().empty());

    std::string text = DiagnosticsLogText(frames);
    // Only first attempts carry the time; it is the capture's own.
    const size_t firstLine = text.find('\n');
    ASSERT_NE(firstLine, std::string::npos);
    text.erase(0, firstLine + 1);
    const size_t thirdTime = text.find("Error Status: KORNET_OK\n") + 24;
    text.erase(thirdTime, text.find('\n', thirdTime) + 1 - thirdTime);
    EXPECT_EQ(text,
              "Sent:    55 AA 5 0 3 F9\n"
              "Recv'd:  55 AA 5 2 0 0 0 0 0\n"  // cut short: as far as it came, zeros after
              "Error Status: ERR_SIGN_NO_RESPONSE\n"
              "Sent:    55 AA 5 0 3 F9\n"
              "Recv'd:  55 AA 5 0 3 F9\n"
              "Error Status: KORNET_OK\n"
              "Sent:    55 AA 0 3 10 EE 80 A 0 76\n"
              "Recv'd:  55 AA 5 0 3 F9\n"
              "Error Status: KORNET_OK\n");
}
