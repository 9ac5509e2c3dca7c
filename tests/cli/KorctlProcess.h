// Runs the korctl program as a script would: arguments, a working folder and
// extra environment in; exit status, standard output and standard error out.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct KorctlRun {
    int exit = -1;
    std::string out, err;
    // The --json document on standard output (null when it does not parse).
    nlohmann::json Json() const;
};

KorctlRun RunKorctl(const std::vector<std::string>& args, const std::string& folder,
                    const std::vector<std::string>& environment = {});
