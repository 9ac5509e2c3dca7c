// jxsim on a line, driven with exact frames: what a controller answers, when
// it stays silent, how its faults look on the wire.
#include <gtest/gtest.h>

#include <algorithm>

#include "Documents.h"
#include "RawHost.h"
#include "TempDir.h"
#include "jxsim/CJxSimulator.h"

using jxsim::CJxSimulator;
using jxsim::CSimOptions;

namespace {
Bytes Sync(uint8_t address) { return MakeFrame(address, 0x03); }

// The reply to `request` as a controller without faults sends it.
Bytes ReplyTo(const Bytes& request, uint8_t type, const Bytes& data = {})
{
    return MakeFrame(request[2], static_cast<uint8_t>((request[4] & 0xF0) | type), data);
}

Bytes Extended(uint8_t sub, uint8_t error, size_t size = 8)
{
    Bytes d(size, 0);
    d[0] = 0x80;
    d[1] = sub;
    d[2] = error;
    return d;
}

CSimOptions Options(std::vector<uint8_t> addresses = {1})
{
    CSimOptions o;
    o.addresses = std::move(addresses);
    o.bootMs = 60000;  // a reset keeps the controller silent for the whole test
    return o;
}

Bytes Rename(uint8_t seq, const std::string& from, const std::string& to)
{
    Bytes r = JxRequest(3, 232);
    PutName(r, 3, from);
    PutName(r, 113, to);
    return MakeFrame(1, seq, r);
}
}  // namespace

TEST(SimLine, ControllersAnswerOnlyTheirOwnAddress)
{
    CJxSimulator sim(Options({1, 2}));
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_TRUE(host.Ok());

    // Sync is echoed as type 3 with the request's sequence nibble.
    EXPECT_EQ(host.Exchange(Sync(1)), Bytes({0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD}));
    EXPECT_EQ(host.Exchange(Sync(2)), Sync(2));
    const Bytes unknown = MakeFrame(2, 0x70, {0x80, 0x63, 0x00});
    EXPECT_EQ(host.Exchange(unknown), ReplyTo(unknown, 4));
    const Bytes blank = MakeFrame(1, 0x20, {0x80, 0x0A, 0x01, 0, 0, 0, 0, 0});
    EXPECT_EQ(host.Exchange(blank), ReplyTo(blank, 1, Extended(0x0A, 0)));
    EXPECT_TRUE(sim.Display(1).blanked);
    EXPECT_FALSE(sim.Display(2).blanked);

    // Nobody is at address 3, and a type 0 frame with a bad data checksum
    // is a bad command.
    host.Write(Sync(3));
    EXPECT_TRUE(host.Drain(150).empty());
    Bytes broken = MakeFrame(1, 0x30, {0x80, 0x0A, 0x00});
    broken.back() ^= 0x01;
    EXPECT_EQ(host.Exchange(broken), MakeFrame(1, 0x32));
}

TEST(SimLine, BroadcastsAreActedOnByListenersAndNeverAnswered)
{
    CJxSimulator sim(Options({1, 2}));
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());

    // Address 0 is heard from the start; 241 only once enabled.
    EXPECT_EQ(host.Exchange(MakeFrame(1, 0x0B)), MakeFrame(1, 0x0B, {0x01, 0x00}));
    const Bytes enable = MakeFrame(1, 0x18, {241});
    EXPECT_EQ(host.Exchange(enable), ReplyTo(enable, 1));
    EXPECT_EQ(host.Exchange(MakeFrame(1, 0x2B)), MakeFrame(1, 0x2B, {0x03, 0x00}));
    const Bytes notBroadcast = MakeFrame(1, 0x38, {17});
    EXPECT_EQ(host.Exchange(notBroadcast), ReplyTo(notBroadcast, 2));

    const uint64_t before = sim.FramesHandled();
    host.Write(MakeFrame(241, 0x10, {0x80, 0x0A, 0x01, 0, 0, 0, 0, 0}));  // blank: only controller 1 listens
    host.Write(MakeFrame(0, 0x10, {0x80, 0x0E, 0x00, 40, 0, 0, 0, 0}));   // dimming 40: both
    ASSERT_TRUE(sim.WaitForFrames(before + 2, 2000));
    EXPECT_TRUE(host.Drain(150).empty());
    EXPECT_TRUE(sim.Display(1).blanked);
    EXPECT_FALSE(sim.Display(2).blanked);
    EXPECT_EQ(sim.Display(1).dimmingLevel, 40);
    EXPECT_EQ(sim.Display(2).dimmingLevel, 40);

    const Bytes disable = MakeFrame(1, 0x49, {0});
    EXPECT_EQ(host.Exchange(disable), ReplyTo(disable, 1));
    EXPECT_EQ(sim.BroadcastMask(1), 0x0002);
}

TEST(SimLine, RepeatedRequestIsAnsweredAgainNotDoneTwice)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.PutFile("OLD.MSG", {1, 2, 3}));
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);

    // The host lost the first reply and sends the same frame again.
    const Bytes rename = Rename(0x10, "OLD.MSG", "NEW.MSG");
    const Bytes ok = ReplyTo(rename, 1, Extended(3, 0));
    EXPECT_EQ(host.Exchange(rename), ok);
    EXPECT_EQ(host.Exchange(rename), ok);
    // The same request with the next sequence nibble is a new command.
    EXPECT_EQ(host.Exchange(Rename(0x20, "OLD.MSG", "NEW.MSG")), MakeFrame(1, 0x21, Extended(3, 2)));
    // After a sync even an identical frame is new.
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    EXPECT_EQ(host.Exchange(rename), ReplyTo(rename, 1, Extended(3, 2)));
    Bytes data;
    EXPECT_TRUE(sim.GetFile("NEW.MSG", data));
}

TEST(SimLine, FaultsAsTheHostSeesThem)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    const Bytes request = MakeFrame(1, 0x10, {0x80, 0x0A, 0x00, 0, 0, 0, 0, 0});
    const Bytes good = ReplyTo(request, 1, Extended(0x0A, 0));

    sim.DropReplies(1);
    host.Write(request);
    EXPECT_TRUE(host.Drain(150).empty());
    EXPECT_EQ(host.Exchange(request), good);  // the retry is answered

    sim.CorruptChecksums(1);
    Bytes bad = good;
    bad.back() ^= 0x5A;
    EXPECT_EQ(host.Exchange(request), bad);

    sim.WrongSequences(1);
    EXPECT_EQ(host.Exchange(request), MakeFrame(1, 0x21, Extended(0x0A, 0)));

    sim.GarbageBeforeReplies(1, {0x01, 0x55, 0x02});
    host.Write(request);
    Bytes expected = {0x01, 0x55, 0x02};
    expected.insert(expected.end(), good.begin(), good.end());
    EXPECT_EQ(host.Drain(200), expected);

    sim.SetByteDelayMs(2);
    EXPECT_EQ(host.Exchange(request), good);
    sim.SetByteDelayMs(0);

    const auto counts = sim.FaultCounts();
    EXPECT_EQ(counts.droppedReplies, 1u);
    EXPECT_EQ(counts.badDataChecksums, 1u);
    EXPECT_EQ(counts.wrongSequences, 1u);
    EXPECT_EQ(counts.garbage, 1u);
}

TEST(SimLine, NamedFileFailsWithItsErrorByte)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    sim.FailFile("CONFIG.XML", 14);
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    Bytes get = JxRequest(2, 120);
    PutName(get, 3, "CONFIG.XML");
    const Bytes reply = ReplyData(host.Exchange(MakeFrame(1, 0x10, get)));
    ASSERT_EQ(reply.size(), 152u);
    EXPECT_EQ(reply[124], 14);
    Bytes del = JxRequest(4, 120);
    PutName(del, 3, "CONFIG.XML");
    EXPECT_EQ(ReplyData(host.Exchange(MakeFrame(1, 0x20, del))), Extended(4, 14));
}

TEST(SimLine, CutInTheMiddleOfATransferClosesTheConnection)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    sim.CloseAfterBlocks(2);
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    Bytes header = JxRequest(1, 136);
    PutName(header, 3, "CONFIG.XML");
    header[117] = 3;    // blocks
    header[119] = 246;  // block size
    header[121] = 0xE2; // length 738 = 0x2E2
    header[122] = 0x02;
    EXPECT_EQ(ReplyData(host.Exchange(MakeFrame(1, 0x10, header)))[2], 0);
    Bytes block = JxRequest(5, 255);
    block[3] = 1;
    EXPECT_EQ(ReplyData(host.Exchange(MakeFrame(1, 0x20, block)))[2], 0);
    block[3] = 2;
    host.Write(MakeFrame(1, 0x30, block));
    EXPECT_TRUE(host.Closed(2000));
    // The half-sent file never replaced the stored one, and the next client
    // is served.
    Bytes config;
    ASSERT_TRUE(sim.GetFile("CONFIG.XML", config));
    EXPECT_EQ(std::string(config.begin(), config.begin() + 5), "<?xml");
    RawHost next = RawHost::Tcp(sim.TcpPort());
    EXPECT_EQ(next.Exchange(Sync(1)), Sync(1));
}

TEST(SimLine, ClientThatNeverReadsIsDroppedAndTheNextIsServed)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost greedy = RawHost::Tcp(sim.TcpPort(), 4096);
    ASSERT_TRUE(greedy.Ok());
    // It asks for blocks until jxsim can send no more replies and stops
    // taking requests.
    ASSERT_TRUE(greedy.FloodUntilStalled(BlockRequestFlood(1, "CONFIG.XML"), 500, 60000));
    EXPECT_TRUE(greedy.Dropped(15000));
    RawHost next = RawHost::Tcp(sim.TcpPort());
    ASSERT_TRUE(next.Ok());
    EXPECT_EQ(next.Exchange(Sync(1), 15000), Sync(1));
}

// Where a family's block frames put things: the Jx file family's extended
// sub-commands, or the older command set's single-byte codes.
struct BlockFamily {
    const char* name;
    bool extended;
    uint8_t sendHeader, dataBlock, getHeader, blockRequest;
    size_t numberAt;   // block number, in request and reply
    size_t dataAt;     // data of a data block
    uint16_t maxBlock;  // data bytes in a block

    size_t ErrorAt() const { return extended ? 2 : 1; }
    Bytes Request(uint8_t command, size_t length) const
    {
        if (extended) return JxRequest(command, length);
        Bytes r(length, 0);
        r[0] = command;
        return r;
    }
    Bytes Block(uint8_t command, uint16_t number, size_t length) const
    {
        Bytes r = Request(command, length);
        r[numberAt] = static_cast<uint8_t>(number);
        r[numberAt + 1] = static_cast<uint8_t>(number >> 8);
        return r;
    }
    Bytes BlockReply(uint8_t command, uint8_t error, uint16_t number, const Bytes& data = {}) const
    {
        Bytes r = Block(command, number, 8);
        r[ErrorAt()] = error;
        r.insert(r.end(), data.begin(), data.end());
        return r;
    }
    Bytes SendHeader(const std::string& item, uint16_t blocks, uint16_t blockSize, uint32_t length) const
    {
        Bytes r = Request(sendHeader, extended ? 136 : 64);
        const size_t at = extended ? 117 : 25;  // blocks, block size, length
        if (extended) PutName(r, 3, item);
        else std::copy(item.begin(), item.end(), r.begin() + 2);
        for (size_t i = 0; i < 2; ++i) r[at + i] = static_cast<uint8_t>(blocks >> (8 * i));
        for (size_t i = 0; i < 2; ++i) r[at + 2 + i] = static_cast<uint8_t>(blockSize >> (8 * i));
        for (size_t i = 0; i < 4; ++i) r[at + 4 + i] = static_cast<uint8_t>(length >> (8 * i));
        return r;
    }
    Bytes GetHeader(const std::string& item) const
    {
        Bytes r = Request(getHeader, extended ? 120 : 64);
        if (extended) PutName(r, 3, item);
        else std::copy(item.begin(), item.end(), r.begin() + 2);
        return r;
    }
};

// Both families' block exchanges, byte for byte: refused blocks and requests
// with the error each answers, a repeated block counted once, and the data
// coming back in blocks of the family's size, the last one what is left.
TEST(SimLine, BlockTransfersOfEveryFamily)
{
    const BlockFamily families[] = {
        {"Jx file", true, 1, 5, 2, 6, 3, 9, 246},
        {"older store", false, 5, 3, 8, 4, 2, 8, 247},
    };
    for (const BlockFamily& f : families) {
        SCOPED_TRACE(f.name);
        CJxSimulator sim(Options());
        ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
        RawHost host = RawHost::Tcp(sim.TcpPort());
        ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);

        const uint16_t size = f.maxBlock;
        Bytes data(2u * size + 100);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
        auto fullBlock = [&](uint16_t number) {
            Bytes r = f.Block(f.dataBlock, number, f.dataAt + size);
            const size_t from = (number - 1u) * size;
            const size_t count = std::min<size_t>(size, data.size() - from);
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), count,
                        r.begin() + static_cast<std::ptrdiff_t>(f.dataAt));
            return r;
        };
        auto part = [&](size_t from, size_t count) {
            return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
                         data.begin() + static_cast<std::ptrdiff_t>(from + count));
        };
        const struct Step {
            const char* what;
            Bytes request;
            int error;    // headers (no reply given): the error byte
            Bytes reply;  // blocks: the whole reply data
        } steps[] = {
            {"block with nothing under way", fullBlock(1), 0, f.BlockReply(f.dataBlock, 7, 1)},
            {"request with nothing under way", f.Block(f.blockRequest, 1, 8), 0, f.BlockReply(f.blockRequest, 7, 1)},
            {"0 blocks for 4 GiB", f.SendHeader("ITEM", 0, size, 0xFFFFFFFFu), 8, {}},
            {"block size too large", f.SendHeader("ITEM", 3, size + 1, static_cast<uint32_t>(data.size())), 8, {}},
            {"send header", f.SendHeader("ITEM", 3, size, static_cast<uint32_t>(data.size())), 0, {}},
            {"block cut before its number", f.Request(f.dataBlock, f.dataAt - 1), 0, f.BlockReply(f.dataBlock, 8, 0)},
            {"block 0", f.Block(f.dataBlock, 0, f.dataAt + size), 0, f.BlockReply(f.dataBlock, 8, 0)},
            {"block past the last", f.Block(f.dataBlock, 4, f.dataAt + size), 0, f.BlockReply(f.dataBlock, 8, 4)},
            {"last block one byte short", f.Block(f.dataBlock, 3, f.dataAt + 99), 0, f.BlockReply(f.dataBlock, 8, 3)},
            {"last block", fullBlock(3), 0, f.BlockReply(f.dataBlock, 0, 3)},
            {"first block", fullBlock(1), 0, f.BlockReply(f.dataBlock, 0, 1)},
            {"first block again", fullBlock(1), 0, f.BlockReply(f.dataBlock, 0, 1)},
            {"middle block completes it", fullBlock(2), 0, f.BlockReply(f.dataBlock, 0, 2)},
            {"block after the end", fullBlock(2), 0, f.BlockReply(f.dataBlock, 7, 2)},
            {"get header", f.GetHeader("ITEM"), 0, {}},
            {"request 0", f.Block(f.blockRequest, 0, 8), 0, f.BlockReply(f.blockRequest, 8, 0)},
            {"request past the last", f.Block(f.blockRequest, 4, 8), 0, f.BlockReply(f.blockRequest, 8, 4)},
            {"request without a number", f.Request(f.blockRequest, f.numberAt), 0, f.BlockReply(f.blockRequest, 8, 0)},
            {"last block", f.Block(f.blockRequest, 3, 8), 0, f.BlockReply(f.blockRequest, 0, 3, part(2u * size, 100))},
            {"first block", f.Block(f.blockRequest, 1, 8), 0, f.BlockReply(f.blockRequest, 0, 1, part(0, size))},
            {"middle block", f.Block(f.blockRequest, 2, 8), 0, f.BlockReply(f.blockRequest, 0, 2, part(size, size))},
        };
        uint8_t seq = 0;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            seq = static_cast<uint8_t>(seq % 15 + 1);  // a new command every time, never a repeat
            const Bytes reply = ReplyData(host.Exchange(MakeFrame(1, static_cast<uint8_t>(seq << 4), step.request)));
            if (step.reply.empty()) {
                ASSERT_GT(reply.size(), f.ErrorAt());
                EXPECT_EQ(reply[f.ErrorAt()], step.error);
            } else {
                EXPECT_EQ(reply, step.reply);
            }
        }
    }
}

TEST(SimLine, ResetAnswersThenRebootsSilently)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    const Bytes reset = MakeFrame(1, 0x10, {0x80, 0x0B, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(host.Exchange(reset), ReplyTo(reset, 1, Extended(0x0B, 0)));
    EXPECT_EQ(sim.ResetCount(), 1);
    EXPECT_TRUE(sim.Booting());
    host.Write(Sync(1));
    EXPECT_TRUE(host.Drain(150).empty());
    const auto commands = sim.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().note, "booting");
}

TEST(SimLine, BootReadsSoftwareAddressSerialSpeedAndFirmware)
{
    CSimOptions o = Options();
    o.bootMs = 0;
    CJxSimulator sim(o);
    Bytes config;
    ASSERT_TRUE(sim.GetFile("CONFIG.XML", config));
    std::string text(config.begin(), config.end());
    text.replace(text.find("sw=\"0\""), 6, "sw=\"7\"");
    text.replace(text.find("baud=\"19200\""), 12, "baud=\"38400\"");
    ASSERT_TRUE(sim.PutFile("CONFIG.XML", Bytes(text.begin(), text.end())));
    // A newer image than the factory MAIN.EXE: the controller boots it.
    ASSERT_TRUE(sim.PutFile("NEW.EXE", jxsim::MakeFirmwareImage("Tolvar Jx firmware V 3.10"), 1800000000));
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    RawHost host = RawHost::Tcp(sim.TcpPort());
    ASSERT_EQ(host.Exchange(Sync(1)).size(), 6u);
    EXPECT_EQ(sim.FirmwareVersion(), "TJX-3.08");
    host.Exchange(MakeFrame(1, 0x10, {0x80, 0x0B, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim.CurrentAddress(), 7);
    EXPECT_EQ(sim.Baud(), 38400u);
    EXPECT_EQ(sim.FirmwareVersion(), "TJX-3.10");
    host.Write(Sync(1));
    EXPECT_TRUE(host.Drain(150).empty());
    EXPECT_EQ(host.Exchange(Sync(7)), Sync(7));
}

TEST(SimLine, PseudoTerminalAnswersOnlyAtItsSpeed)
{
    CJxSimulator sim(Options());
    ASSERT_TRUE(sim.OpenPty()) << sim.Error();
    RawHost host = RawHost::Serial(sim.PtyPath(), 9600);
    ASSERT_TRUE(host.Ok());
    host.Write(Sync(1));
    EXPECT_TRUE(host.Drain(150).empty());
    host.SetSpeed(19200);
    EXPECT_EQ(host.Exchange(Sync(1)), Sync(1));

    // The new speed takes effect after the reply, which still goes at the old one.
    const Bytes baud = MakeFrame(1, 0x1C, {0x00, 0xE1, 0x00, 0x00});  // 57600
    EXPECT_EQ(host.Exchange(baud), ReplyTo(baud, 1));
    EXPECT_EQ(sim.Baud(), 57600u);
    host.Write(Sync(1));
    EXPECT_TRUE(host.Drain(150).empty());
    host.SetSpeed(57600);
    EXPECT_EQ(host.Exchange(Sync(1)), Sync(1));
    // A speed no controller runs at is a bad command.
    const Bytes odd = MakeFrame(1, 0x1C, {0x39, 0x30, 0x00, 0x00});
    EXPECT_EQ(host.Exchange(odd), ReplyTo(odd, 2));
}

TEST(SimLine, FrontEndWrapsTheLine)
{
    TempDir dir;
    CSimOptions o = Options();
    o.frontEnd = "trace";
    o.frontEndValue = dir.File("line.txt");
    CJxSimulator sim(o);
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    {
        RawHost host = RawHost::Tcp(sim.TcpPort());
        EXPECT_EQ(host.Exchange(Sync(1)), Sync(1));
    }
    sim.Stop();
    const std::string trace = ReadWholeFile(dir.File("line.txt"));
    EXPECT_NE(trace.find(" -- host attached\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" host> 55 AA 01 00 03 FD\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" ctrl< 55 AA 01 00 03 FD\n"), std::string::npos) << trace;

    CSimOptions bad = Options();
    bad.frontEnd = "trace";
    bad.frontEndValue = dir.File("missing/line.txt");
    CJxSimulator failing(bad);
    EXPECT_FALSE(failing.ListenTcp());
    EXPECT_EQ(failing.Error(), "--trace: cannot open " + dir.File("missing/line.txt") + ": No such file or directory");
    CSimOptions unknown = Options();
    unknown.frontEnd = "carrier-pigeon";
    CJxSimulator none(unknown);
    EXPECT_FALSE(none.OpenPty());
    EXPECT_EQ(none.Error(), "no line front end named carrier-pigeon");
}
