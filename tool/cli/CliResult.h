// What one command did at one address of one target, and how results
// become korctl's exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Exit statuses, as --help and the README list them.
enum CliExit : int {
    kCliSuccess = 0,       // every address succeeded
    kCliSomeFailed = 1,    // some addresses failed (or failed in different ways)
    kCliUsage = 2,         // bad arguments, or a value the tool's windows refuse
    kCliNoConnect = 3,     // the link could not be opened
    kCliNoResponse = 4,    // the display did not answer
    kCliRefused = 5,       // the display answered with an error byte
    kCliLocalFile = 6,     // a local file could not be read or written
};

struct CliResult {
    std::string target;
    int address = 0;         // 0: the target as a whole (it could not be reached)
    int exit = kCliSuccess;  // CliExit of this address alone
    int16_t status = 0;      // the library status (0 when the failure was not the link's)
    std::string message;     // the failure, or what was done
    double milliseconds = 0;
    nlohmann::json data = nlohmann::json::object();  // the command's own values

    bool Ok() const { return exit == kCliSuccess; }
};

// The name of a library status ("ERR_SIGN_NO_RESPONSE", "KORNET_OK").
std::string CliStatusName(int16_t status);
// The exit status of one failed library call.
int CliExitForStatus(int16_t status);
// A tool message of the form "Unable to get CONFIG.XML: No Response from
// Display" back to the library status its cause text stands for;
// ERR_SIGN_INVALID_RESPONSE when no cause is recognised.
int16_t CliStatusOfFailureText(const std::string& message);
// 0 when every result succeeded; the common exit of the failures when
// nothing succeeded and they all failed the same way; otherwise 1.
int CliRunExit(const std::vector<CliResult>& results);
