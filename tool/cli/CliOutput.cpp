#include "CliOutput.h"

#include <algorithm>

using json = nlohmann::json;

json CliJsonDocument(const std::string& command, const std::vector<CliResult>& results, int exit)
{
    json list = json::array();
    for (const auto& r : results) {
        json j = {{"target", r.target},
                  {"address", r.address},
                  {"ok", r.Ok()},
                  {"exit", r.exit},
                  {"status", r.status},
                  {"statusName", CliStatusName(r.status)},
                  {"message", r.message},
                  {"ms", r.milliseconds}};
        for (const auto& [key, value] : r.data.items()) j[key] = value;
        list.push_back(std::move(j));
    }
    return {{"command", command}, {"exit", exit}, {"results", list}};
}

namespace {
std::string Text(const json& v)
{
    if (v.is_string()) return v.get<std::string>();
    if (v.is_number_float()) {
        char b[32];
        std::snprintf(b, sizeof b, "%.1f", v.get<double>());
        return b;
    }
    return v.dump();
}

void PrintTable(std::FILE* out, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> width;
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i) {
            if (width.size() <= i) width.push_back(0);
            width[i] = std::max(width[i], row[i].size());
        }
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            std::string cell = row[i];
            if (i + 1 < row.size()) cell.resize(width[i] + 2, ' ');
            line += cell;
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
}
}  // namespace

void CliPrintText(std::FILE* out, const std::string& command, const std::vector<CliResult>& results)
{
    for (const auto& r : results) {
        if (!r.Ok() || r.data.empty()) continue;
        std::fprintf(out, "%s  address %d\n", r.target.c_str(), r.address);
        if (command == "ls") {
            std::vector<std::vector<std::string>> rows{{"  NAME", "SIZE", "TIME"}};
            for (const auto& f : r.data["files"]) rows.push_back({"  " + Text(f["name"]), Text(f["size"]), Text(f["time"])});
            PrintTable(out, rows);
            continue;
        }
        std::vector<std::vector<std::string>> rows;
        for (const auto& [key, value] : r.data.items()) {
            if (key == "ports" && value.is_array()) {
                for (const auto& p : value)
                    rows.push_back({"  port", Text(p["role"]) + " " + Text(p["type"]) + " " + Text(p["protocol"]) +
                                                  " num " + Text(p["num"]) +
                                                  (p["baud"].get<int>() != 0 ? " baud " + Text(p["baud"]) : "")});
            } else if (value.is_object()) {
                for (const auto& [k, v] : value.items()) rows.push_back({"  " + key + "." + k, Text(v)});
            } else {
                rows.push_back({"  " + key, Text(value)});
            }
        }
        PrintTable(out, rows);
    }
    std::vector<std::vector<std::string>> summary{{"TARGET", "ADDRESS", "RESULT", "TIME"}};
    for (const auto& r : results) {
        char ms[32];
        std::snprintf(ms, sizeof ms, "%.1f ms", r.milliseconds);
        std::string result = r.Ok() ? "ok" : "failed (" + std::to_string(r.exit) + "): " + r.message;
        if (r.Ok() && !r.message.empty()) result += ": " + r.message;
        summary.push_back({r.target, std::to_string(r.address), result, ms});
    }
    if (!results.empty()) PrintTable(out, summary);
}
