// The jxsim program's options.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "jxsim/CJxSimulator.h"

namespace jxsim {

struct CProgramOptions {
    CSimOptions sim;
    std::string host = "127.0.0.1";
    uint16_t port = 3001;
    bool pty = false;
    int com = 0;  // 0: not entered in the port map
    std::string portMap;
    bool help = false;
    bool quiet = false;
    std::string makeFirmware;  // write a firmware image of --version here and exit

    int drop = 0;
    int corrupt = 0;
    int wrongSeq = 0;
    int garbage = 0;
    int byteDelayMs = 0;
    int closeAfter = -1;
    std::vector<std::pair<std::string, uint8_t>> failFiles;
    double faultRate = 0.0;
    uint32_t seed = 1;
};

// False with a message naming the option when the arguments are not right.
bool ParseCommandLine(const std::vector<std::string>& args, CProgramOptions& options, std::string& error);
std::string UsageText();

}  // namespace jxsim
