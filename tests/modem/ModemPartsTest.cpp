// The dial-up port's parts on their own: modem file lines, the modem's
// result codes, the escape guard time and dial strings.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ports/CHayesModem.h"
#include "ports/CKorNetModemPort.h"
#include "ports/CModemFile.h"
#include "TempDir.h"

namespace {
TEST(ModemFile, Lines)
{
    const struct {
        const char* line;
        const char* name;
        const char* device;
        int16_t com;
        uint32_t speed;
        uint32_t id;
        const char* init;
        bool data;
    } cases[] = {
        {"Office | /dev/ttyUSB0 | 1", "Office", "/dev/ttyUSB0", 0, 115200, 1, "", true},
        {"Office|/dev/ttyUSB0|1|AT&F&C1&D2|yes", "Office", "/dev/ttyUSB0", 0, 115200, 1, "AT&F&C1&D2", true},
        {"Bench | COM4@57600 | 0x1F | &F | data", "Bench", "", 4, 57600, 31, "AT&F", true},
        {"Bench | 12 | 4294967295 | atz | no", "Bench", "", 12, 115200, 4294967295u, "atz", false},
        {"Voice | /dev/ttyS0 | 2 | | voice", "Voice", "/dev/ttyS0", 0, 115200, 2, "", false},
        {"Trailing | /dev/ttyS0 | 2 |", "Trailing", "/dev/ttyS0", 0, 115200, 2, "", true},
        {" | /dev/ttyS0 | 2", "", "/dev/ttyS0", 0, 115200, 2, "", true},
        {"Two words name | /dev/ttyS0@9600 | 3", "Two words name", "/dev/ttyS0", 0, 9600, 3, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CModemEntry e;
        ASSERT_TRUE(KorNetParseModemLine(c.line, e));
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.device, c.device);
        EXPECT_EQ(e.comPort, c.com);
        EXPECT_EQ(e.speed, c.speed);
        EXPECT_EQ(e.lineId, c.id);
        EXPECT_EQ(e.init, c.init);
        EXPECT_EQ(e.dataCalls, c.data);
    }
    for (const char* line : {
             "Office | /dev/ttyUSB0",
             "Office | /dev/ttyUSB0 | 1 | ATZ | yes | extra",
             "Office | ttyUSB0 | 1",
             "Office | COM0 | 1",
             "Office | COM256 | 1",
             "Office | /dev/ttyUSB0@12345 | 1",
             "Office | /dev/ttyUSB0 | -1",
             "Office | /dev/ttyUSB0 | 4294967296",
             "Office | /dev/ttyUSB0 | 1x",
             "Office | /dev/ttyUSB0 | 1 | ATZ\tATH",
             "Office | /dev/ttyUSB0 | 1 | ATZ | maybe",
         }) {
        CModemEntry e;
        EXPECT_FALSE(KorNetParseModemLine(line, e)) << line;
    }
}

TEST(ModemFile, WhereItIs)
{
    TempDir dir;
    const char* saved[] = {"KORNET_MODEMS", "JXCONFIG_DATA_DIR", "XDG_DATA_HOME", "HOME"};
    std::string old[4];
    for (int i = 0; i < 4; ++i) old[i] = std::getenv(saved[i]) != nullptr ? std::getenv(saved[i]) : "";

    setenv("HOME", "/home/tech", 1);
    unsetenv("KORNET_MODEMS");
    unsetenv("JXCONFIG_DATA_DIR");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(KorNetModemFilePath(), "/home/tech/.local/share/Corvanta/Tolvar/modems.txt");
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(KorNetModemFilePath(), "/data/Corvanta/Tolvar/modems.txt");
    setenv("JXCONFIG_DATA_DIR", "/srv/jx", 1);
    EXPECT_EQ(KorNetModemFilePath(), "/srv/jx/modems.txt");
    setenv("KORNET_MODEMS", "/etc/modems", 1);
    EXPECT_EQ(KorNetModemFilePath(), "/etc/modems");

    for (int i = 0; i < 4; ++i) {
        if (old[i].empty()) unsetenv(saved[i]);
        else setenv(saved[i], old[i].c_str(), 1);
    }

    EXPECT_EQ(KorNetReadModemFile(dir.File("absent")).state, CModemFile::State::Missing);
    EXPECT_EQ(KorNetReadModemFile(dir.Path()).state, CModemFile::State::Unreadable);
    WriteWholeFile(dir.File("m"), "# modems\r\nA | /dev/a | 1\r\n\r\nbroken\r\n  # indented comment\nB | COM2 | 2\n");
    const CModemFile f = KorNetReadModemFile(dir.File("m"));
    EXPECT_EQ(f.state, CModemFile::State::Read);
    ASSERT_EQ(f.modems.size(), 2u);
    EXPECT_EQ(f.modems[0].name, "A");
    EXPECT_EQ(f.modems[1].comPort, 2);
    EXPECT_EQ(f.ignoredLines, 1);
}

TEST(HayesModem, ResultCodes)
{
    using Code = CHayesModem::Code;
    const struct {
        const char* line;
        Code code;
    } cases[] = {
        {"OK", Code::Ok},
        {"ok", Code::Ok},
        {"0", Code::Ok},
        {"CONNECT", Code::Connect},
        {"CONNECT 33600", Code::Connect},
        {"CONNECT 115200/ARQ/V34/LAPM/V42BIS", Code::Connect},
        {"1", Code::Connect},
        {"10", Code::Connect},
        {"RING", Code::Ring},
        {"NO CARRIER", Code::NoCarrier},
        {"3", Code::NoCarrier},
        {"ERROR", Code::Error},
        {"NO DIALTONE", Code::NoDialTone},
        {"NO DIAL TONE", Code::NoDialTone},
        {"6", Code::NoDialTone},
        {"BUSY", Code::Busy},
        {"7", Code::Busy},
        {"NO ANSWER", Code::NoAnswer},
        {"8", Code::NoAnswer},
        {"RINGING", Code::Ringing},
        {"DELAYED 120", Code::Delayed},
        {"BLACKLISTED", Code::Blacklisted},
        // not result codes
        {"", Code::None},
        {"AT", Code::None},
        {"ATDT5551234", Code::None},
        {"CONNECTED", Code::None},
        {"CARRIER 28800", Code::None},
        {"OK then", Code::None},
        {"1234", Code::None},
    };
    for (const auto& c : cases) EXPECT_EQ(CHayesModem::ParseResult(c.line), c.code) << c.line;
    EXPECT_FALSE(CHayesModem::IsFinal(CHayesModem::Code::Ring));
    EXPECT_FALSE(CHayesModem::IsFinal(CHayesModem::Code::Ringing));
    EXPECT_TRUE(CHayesModem::IsFinal(CHayesModem::Code::Busy));
}

TEST(HayesModem, EscapeGuardTime)
{
    const struct {
        const char* init;
        int guardMs;
    } cases[] = {
        {"", 1000},        {"ATZ", 1000},          {"ATS12=5", 100},     {"AT&FS12=10&D2", 200},
        {"ats12=25", 500}, {"ATS112=5", 1000},     {"ATS12=0", 1000},    {"ATS12=", 1000},
        {"ATS12=300", 1000}, {"ATS12=5S12=50", 1000},
    };
    for (const auto& c : cases) EXPECT_EQ(KorNetEscapeGuardMs(c.init), c.guardMs) << c.init;
}

TEST(ModemPort, DialStrings)
{
    for (const char* ok : {"5551234", "9,5551234", "T0049 (30) 555-12.34", "*70#", "W123P4!@", "+4930123"})
        EXPECT_TRUE(CKorNetModemPort::IsDialable(ok)) << ok;
    for (const char* bad : {"", "555;", "555\rATH", "555\n", "555E", "5551234?", "555\x01"})
        EXPECT_FALSE(CKorNetModemPort::IsDialable(bad)) << bad;
}
}  // namespace
