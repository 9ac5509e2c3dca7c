// The diagnostics log, compared byte for byte (the timestamp by its shape).
#include <gtest/gtest.h>

#include <future>
#include <regex>

#include "Frames.h"
#include "KorNet.h"
#include "PtyPeer.h"

namespace {
const std::string kStamp = R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d\d, \d{4} (0[1-9]|1[0-2]):[0-5]\d:[0-5]\d (AM|PM)\n)";

std::string Escape(const std::string& s)
{
    return std::regex_replace(s, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

class LogOnPty : public ::testing::Test {
protected:
    TempDir dir;
    PtyPeer peer{dir, 5};
    CKorNetwork link;
    std::string LogFile() const { return dir.File("logs/.//Direct COM5.txt"); }

    void SetUp() override
    {
        ASSERT_EQ(mkdir(dir.File("logs").c_str(), 0755), 0);
        link.SetTimeOut(100);
        ASSERT_EQ(link.ConfigureDirect(5, 19200, false), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
    }
    void TearDown() override { link.Disconnect(); }
};

const std::string kTimeout =
    "Sent:    55 AA 5 0 3 F9\n"
    "Recv'd:  0 0 0 0 0 0\n"
    "Error Status: ERR_SIGN_NO_RESPONSE\n";

TEST_F(LogOnPty, TimedOutSyncIsLoggedExactly)
{
    link.EnableDiagnostics(false, dir.File("logs").c_str());
    link.SetMaxNumberOfRetries(0);
    EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);
    const std::string log = ReadWholeFile(LogFile());
    EXPECT_TRUE(std::regex_match(log, std::regex(kStamp + Escape(kTimeout)))) << "[" << log << "]";
}

TEST_F(LogOnPty, RetriesThenSuccessGiveOneStampAndThreeBlocks)
{
    link.EnableDiagnostics(false, (dir.File("logs") + "/").c_str());
    auto r = std::async(std::launch::async, [&] { return link.Ping(5); });
    peer.ReadFrame();
    peer.ReadFrame();  // two silent attempts
    const Bytes sync = peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x03));
    ASSERT_EQ(r.get(), KORNET_OK);
    const std::string ok =
        "Sent:    55 AA 5 0 3 F9\n"
        "Recv'd:  55 AA 5 0 3 F9\n"
        "Error Status: KORNET_OK\n";
    const std::string log = ReadWholeFile(dir.File("logs/.//Direct COM5.txt"));
    EXPECT_TRUE(std::regex_match(log, std::regex(kStamp + Escape(kTimeout + kTimeout + ok)))) << log;
}

TEST_F(LogOnPty, ErrorsOnlySkipsSuccessesAndLaterStamps)
{
    link.EnableDiagnostics(true, dir.File("logs").c_str());
    // a success alone writes nothing
    auto r = std::async(std::launch::async, [&] { return link.Ping(5); });
    peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x03));
    ASSERT_EQ(r.get(), KORNET_OK);
    EXPECT_EQ(ReadWholeFile(LogFile()), "");

    // first attempt fine is not logged; only the failed retry... here: first
    // attempt times out (stamped), second succeeds (not written)
    r = std::async(std::launch::async, [&] { return link.Ping(5); });
    peer.ReadFrame();
    const Bytes sync = peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x03));
    ASSERT_EQ(r.get(), KORNET_OK);
    EXPECT_TRUE(std::regex_match(ReadWholeFile(LogFile()), std::regex(kStamp + Escape(kTimeout))));

    link.DisableDiagnostics();
    link.SetMaxNumberOfRetries(0);
    EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);
    EXPECT_TRUE(std::regex_match(ReadWholeFile(LogFile()), std::regex(kStamp + Escape(kTimeout))));
}

TEST_F(LogOnPty, CommandFrameDumpAndUnknownStatusWord)
{
    link.EnableDiagnostics(false, dir.File("logs").c_str());
    const uint8_t request[] = {0x80, 0x0B, 0x00, 0x0C};
    auto r = std::async(std::launch::async, [&] { return link.GenericCommand(5, request, 4, nullptr, 0); });
    const Bytes sync = peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x03));
    const Bytes req = peer.ReadFrame();
    peer.Write(MakeFrame(5, 0x14, {0x80, 0x0B}));  // unsupported: logged once
    ASSERT_EQ(r.get(), ERR_SIGN_UNSUPPORTED_COMMAND);
    const std::string log = ReadWholeFile(LogFile());
    EXPECT_NE(log.find("Sent:    55 AA 5 4 10 E8 80 B 0 C 69\n"
                       "Recv'd:  55 AA 5 2 14 E6 80 B 75\n"
                       "Error Status: ERR_SIGN_UNSUPPORTED_COMMAND\n"),
              std::string::npos)
        << log;
}

TEST_F(LogOnPty, MissingFolderIsSkippedSilently)
{
    link.EnableDiagnostics(false, dir.File("missing").c_str());
    link.SetMaxNumberOfRetries(0);
    EXPECT_EQ(link.Ping(5), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(ReadWholeFile(dir.File("missing/.//Direct COM5.txt")), "");
}

TEST(LogNames, ReconfiguringSwitchesTheFile)
{
    TempDir dir;
    PtyPeer a(dir, 3);
    CKorNetwork link;
    link.SetTimeOut(50);
    link.SetMaxNumberOfRetries(0);
    link.EnableDiagnostics(false, dir.Path().c_str());
    ASSERT_EQ(link.ConfigureDirect(3, 9600, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    EXPECT_EQ(link.Ping(9), ERR_SIGN_NO_RESPONSE);
    ASSERT_EQ(link.Disconnect(), KORNET_OK);
    const std::string first = ReadWholeFile(dir.File("Direct COM3.txt"));
    EXPECT_NE(first, "");

    WriteWholeFile(dir.File("ports"), "COM12=" + a.SlavePath() + "\n");
    ASSERT_EQ(link.ConfigureDirect(12, 9600, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    EXPECT_EQ(link.Ping(9), ERR_SIGN_NO_RESPONSE);
    link.Disconnect();
    EXPECT_EQ(ReadWholeFile(dir.File("Direct COM3.txt")), first);
    EXPECT_NE(ReadWholeFile(dir.File("Direct COM12.txt")), "");
}
}  // namespace
