// korctl's input rules as tables: targets, address lists, targets files,
// the exit status of a run and of each library status, and the local name
// a remote file is saved under.
#include <gtest/gtest.h>

#include <KorNet.h>

#include "CliCommand.h"
#include "CliResult.h"
#include "CliTargets.h"
#include "shell/StatusText.h"

namespace {

TEST(CliTargets, ParsesEachKindAndRefusesMalformedOnes)
{
    struct Row {
        const char* text;
        bool ok;
        CliTargetKind kind = CliTargetKind::Tcp;
        const char* host = "";
        int port = 3001, com = 0;
        const char* device = "";
        int baud = 19200;
        const char* number = "";
        uint32_t line = 0;
    };
    using K = CliTargetKind;
    const Row rows[] = {
        {"tcp:10.0.0.5", true, K::Tcp, "10.0.0.5", 3001, 0, "", 19200, "", 0},
        {"tcp:sign-7.example.net:40000", true, K::Tcp, "sign-7.example.net", 40000, 0, "", 19200, "", 0},
        {"tcp:host:65535", true, K::Tcp, "host", 65535, 0, "", 19200, "", 0},
        {"com:3", true, K::Com, "", 3001, 3, "", 19200, "", 0},
        {"com:12@115200", true, K::Com, "", 3001, 12, "", 115200, "", 0},
        {"dev:/dev/ttyUSB0", true, K::Device, "", 3001, 0, "/dev/ttyUSB0", 19200, "", 0},
        {"dev:/dev/pts/7@9600", true, K::Device, "", 3001, 0, "/dev/pts/7", 9600, "", 0},
        {"dial:555-0134@2", true, K::Dialup, "", 3001, 0, "", 19200, "555-0134", 2},
        {"dial:+44 20 7946 0000@4294967295", true, K::Dialup, "", 3001, 0, "", 19200, "+44 20 7946 0000", 4294967295u},
        {"tcp:", false},
        {"tcp:host:0", false},
        {"tcp:host:65536", false},
        {"tcp:host:30x", false},
        {"tcp:a/b", false},
        {"com:0", false},
        {"com:256", false},
        {"com:3@", false},
        {"com:3@fast", false},
        {"com:-1", false},
        {"dev:ttyUSB0", false},
        {"dev:/dev/ttyS0@0", false},
        {"dial:5550134", false},
        {"dial:@2", false},
        {"dial:555;rm@2", false},
        {"udp:10.0.0.5", false},
        {"10.0.0.5", false},
        {"", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        CliTarget t;
        std::string error;
        ASSERT_EQ(CliParseTarget(r.text, t, error), r.ok) << error;
        if (!r.ok) {
            EXPECT_NE(error.find(std::string("'") + r.text + "'"), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(t.text, r.text);
        EXPECT_EQ(t.kind, r.kind);
        EXPECT_EQ(t.host, r.host);
        EXPECT_EQ(t.port, r.port);
        EXPECT_EQ(t.com, r.com);
        EXPECT_EQ(t.device, r.device);
        EXPECT_EQ(t.baud, r.baud);
        EXPECT_EQ(t.number, r.number);
        EXPECT_EQ(t.line, r.line);
    }
}

TEST(CliTargets, AddressListsKeepOrderOnceEachWithinOneTo240)
{
    struct Row {
        const char* text;
        std::vector<uint8_t> addresses;  // empty: refused
    };
    const Row rows[] = {
        {"1", {1}},
        {"240", {240}},
        {"1,3,7-12", {1, 3, 7, 8, 9, 10, 11, 12}},
        {"5,2,5,1-3", {5, 2, 1, 3}},
        {"9-9", {9}},
        {"0", {}},
        {"241", {}},
        {"255", {}},
        {"", {}},
        {"1,", {}},
        {",1", {}},
        {"1,,2", {}},
        {"12-7", {}},
        {"1-", {}},
        {"-3", {}},
        {"1-2-3", {}},
        {"a", {}},
        {" 1", {}},
        {"99999999999999999999", {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        std::vector<uint8_t> got{77};
        std::string error;
        const bool ok = CliParseAddressList(r.text, got, error);
        EXPECT_EQ(ok, !r.addresses.empty());
        if (ok) EXPECT_EQ(got, r.addresses);
        else {
            EXPECT_EQ(got, std::vector<uint8_t>{77}) << "a refused list leaves the addresses alone";
            EXPECT_NE(error.find("address list"), std::string::npos) << error;
        }
    }
}

TEST(CliTargets, TargetsFileSkipsCommentsAndNamesTheBadLine)
{
    std::vector<CliTarget> targets;
    std::string error;
    ASSERT_TRUE(CliParseTargetsText("# lobby signs\n\ntcp:10.0.0.5\r\n  tcp:10.0.0.6:3002  # east\ncom:2@9600\n",
                                    "fleet.txt", targets, error))
        << error;
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].host, "10.0.0.5");
    EXPECT_EQ(targets[1].port, 3002);
    EXPECT_EQ(targets[1].text, "tcp:10.0.0.6:3002");
    EXPECT_EQ(targets[2].baud, 9600);

    targets.clear();
    EXPECT_FALSE(CliParseTargetsText("tcp:10.0.0.5\n# fine\ntcp:10.0.0.6:70000\n", "fleet.txt", targets, error));
    EXPECT_EQ(error.rfind("fleet.txt:3: malformed target 'tcp:10.0.0.6:70000'", 0), 0u) << error;

    EXPECT_FALSE(CliReadTargetsFile("/nonexistent/fleet.txt", targets, error));
    EXPECT_NE(error.find("/nonexistent/fleet.txt"), std::string::npos);
}

TEST(CliExit, EachStatusHasItsExitAndEachFailureTextItsStatus)
{
    struct Row {
        int16_t status;
        int exit;
        const char* name;
    };
    const Row rows[] = {
        {KORNET_OK, kCliSuccess, "KORNET_OK"},
        {ERR_NETWORK_CONNECT_FAILED, kCliNoConnect, "ERR_NETWORK_CONNECT_FAILED"},
        {ERR_DNS_HOST_NOT_FOUND, kCliNoConnect, "ERR_DNS_HOST_NOT_FOUND"},
        {ERR_SOCKET_NO_CREATE, kCliNoConnect, "ERR_SOCKET_NO_CREATE"},
        {ERR_COMMAND_NO_CONNECTION, kCliNoConnect, "ERR_COMMAND_NO_CONNECTION"},
        {ERR_SIGN_NO_RESPONSE, kCliNoResponse, "ERR_SIGN_NO_RESPONSE"},
        {ERR_NETWORK_NO_READ, kCliNoResponse, "ERR_NETWORK_NO_READ"},
        {ERR_SIGN_RESPONSE_ERROR, kCliRefused, "ERR_SIGN_RESPONSE_ERROR"},
        {ERR_SIGN_UNSUPPORTED_COMMAND, kCliRefused, "ERR_SIGN_UNSUPPORTED_COMMAND"},
        {ERR_SIGN_BAD_COMMAND, kCliRefused, "ERR_SIGN_BAD_COMMAND"},
        {ERR_SIGN_INVALID_RESPONSE, kCliSomeFailed, "ERR_SIGN_INVALID_RESPONSE"},
        {ERR_SIGN_ABORT, kCliSomeFailed, "ERR_SIGN_ABORT"},
        {ERR_COMMAND_BUSY, kCliSomeFailed, "ERR_COMMAND_BUSY"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(CliExitForStatus(r.status), r.exit);
        EXPECT_EQ(CliStatusName(r.status), r.name);
        if (r.status == KORNET_OK) continue;
        // The tool's failure text of this status leads back to it (a status
        // the tool has no words for reads as an invalid response).
        const uint8_t displayError = r.status == ERR_SIGN_RESPONSE_ERROR ? 2 : 0;
        const int16_t back = StatusText(r.status) == "No Known Cause" ? ERR_SIGN_INVALID_RESPONSE : r.status;
        EXPECT_EQ(CliStatusOfFailureText(FailureText("Unable to get %s: ", "CONFIG.XML", r.status, displayError)),
                  back);
    }
    EXPECT_EQ(CliStatusName(-99), "status -99");
    EXPECT_EQ(CliStatusOfFailureText("Unable to read CONFIG.XML file stream"), ERR_SIGN_INVALID_RESPONSE);
}

TEST(CliExit, RunExitIsZeroOnlyWhenEveryAddressSucceeded)
{
    auto run = [](std::vector<int> exits) {
        std::vector<CliResult> results;
        for (int e : exits) {
            CliResult r;
            r.exit = e;
            results.push_back(r);
        }
        return CliRunExit(results);
    };
    struct Row {
        std::vector<int> exits;
        int exit;
    };
    const Row rows[] = {
        {{}, 0},
        {{0, 0, 0}, 0},
        {{4}, 4},
        {{3, 3}, 3},
        {{2}, 2},
        {{0, 4}, 1},
        {{4, 0, 0, 0, 0, 0, 0, 0}, 1},
        {{3, 4}, 1},
        {{5, 6}, 1},
        {{6}, 6},
    };
    for (const auto& r : rows) EXPECT_EQ(run(r.exits), r.exit) << ::testing::PrintToString(r.exits);
}

TEST(CliGet, ARemoteNameNeverLeavesTheCurrentFolder)
{
    struct Row {
        const char* remote;
        const char* local;  // "": refused
    };
    const Row rows[] = {
        {"LOG.XML", "LOG.XML"},      {"../../etc/passwd", "passwd"}, {"..\\..\\boot.ini", "boot.ini"},
        {"/etc/shadow", "shadow"},   {"a/b\\c", "c"},                {"..", ""},
        {"dir/..", ""},              {".", ""},                      {"X/", ""},
        {"", ""},                    {"..MSG", "..MSG"},
    };
    for (const auto& r : rows) EXPECT_EQ(CliLocalNameFor(r.remote), r.local) << r.remote;
}

}  // namespace
