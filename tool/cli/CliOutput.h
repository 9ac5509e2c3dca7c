// korctl's output: aligned text for people, one JSON document for scripts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CliResult.h"

// {"command": ..., "exit": N, "results": [{target, address, ok, exit,
// status, statusName, message, ms, ...the command's values}]}
nlohmann::json CliJsonDocument(const std::string& command, const std::vector<CliResult>& results, int exit);
// Each result's values, then the summary table (target, address, result, time).
void CliPrintText(std::FILE* out, const std::string& command, const std::vector<CliResult>& results);
