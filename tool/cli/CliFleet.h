// A korctl run: every target on its own link and thread (at most `jobs` at
// once), the addresses of a target in turn on its line.
#pragma once

#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliResult.h"
#include "CliTargets.h"

struct CliRunOptions {
    std::vector<CliTarget> targets;
    std::vector<uint8_t> addresses{1};
    int timeoutMs = -1;    // -1: the site policy's
    int retries = -1;      // -1: the site policy's
    int jobs = 0;          // 0: every target at once
    bool progress = false; // a progress bar on stderr (one target only)
    bool trace = false;    // every frame, decoded, on stderr
};

// dev: targets get a COM number: the one the library's port map gives the
// device, else a free number entered in a private copy of the map that this
// process uses (KORNET_PORTMAP). Call before any thread starts. False with
// `error` when no map can be written.
bool CliAssignDevicePorts(std::vector<CliTarget>& targets, std::string& error);
// Removes the private port map again (at exit).
void CliRemovePrivatePortMap();

// Runs the command at every address of every target. Results come in target
// order, then address order.
std::vector<CliResult> CliRunFleet(const CliRunOptions& options, const CliCommand& command);
