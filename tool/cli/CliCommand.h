// One korctl command as the parser left it, and its run at one address of a
// connected target.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "CliResult.h"
#include "config/CConfigDocument.h"
#include "connection/LinkOperation.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/CSettingsStore.h"

struct CliCommand {
    std::string name;               // ping status ls get put rm mv reset watch
                                    // config-show config-set config-get config-put
    std::vector<std::string> args;  // the command's own arguments
    std::string local;              // get: the local path ("-": stdout; empty: from the remote name)
    bool severalPlaces = false;     // get: more than one target or address: one file per place
    double intervalSeconds = 1.0;   // watch
    int count = 0;                  // watch: polls; 0 until interrupted
    std::string driver;             // firmware: the .RBF beside the image, or empty
    bool highSpeed = false;         // firmware: a direct line moves to 115200 for the transfer
};

// Set by SIGINT: watch ends its polls and reports what it has.
extern std::atomic<bool> g_cliInterrupted;

// One target's link with the tool's pieces around it: the link owner (cancel
// flag, progress binding, connect step), the application's settings held in
// memory, and the configuration exchange.
class CliSession {
public:
    CliSession();

    CLinkOwner owner;
    CMemorySettingsStore user, machine;
    CJxConfigApp app{user, machine};
    CConfigDocument document;
    CConfigExchange exchange{owner, document, app};
    JxConnectionKind connectionKind = JxConnectionKind::TcpIp;

    CKorNetwork& Link() { return owner.Link(); }
};

// The local file name for a remote one when no LOCAL was given: only the
// part after the last "/" or "\", so the file lands in the current folder.
// Empty when nothing usable is left ("", ".", "..").
std::string CliLocalNameFor(const std::string& remoteName);
// Checks a command's arguments before anything is connected (files that
// must be readable, key=value pairs, a get into a folder). False with a
// one-line `error`; `exit` says which exit status it is.
bool CliCheckCommand(CliCommand& command, std::string& error, int& exit);
// Runs the command at one address; the session is connected.
CliResult CliRunAtAddress(CliSession& session, const CliCommand& command, const std::string& target,
                          uint8_t address);
