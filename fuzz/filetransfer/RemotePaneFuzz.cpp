// Fuzz target for what a display sends the File Transfer window: any bytes
// as STATUS.XML and DIRECTORY.XML (split at the first zero byte; without
// one, no status document). The pane that comes out must list its rows in
// the order of the sort asked for, each numbered by its position, and every
// listed name must map to a local name that stays inside the local folder
// (or be refused).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "filetransfer/FileTransferJobs.h"
#include "filetransfer/RemotePane.h"

namespace {
[[noreturn]] void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::optional<std::string_view> status;
    std::string_view directory = input;
    if (const size_t zero = input.find('\0'); zero != std::string_view::npos) {
        status = input.substr(0, zero);
        directory = input.substr(zero + 1);
    }
    const CListSortState sorts[] = {{0, true}, {1, false}};
    for (const CListSortState& sort : sorts) {
        const CRemotePaneUpdate update = ShowDirectoryAndStatus(CRemotePaneState{}, sort, status, directory);
        const auto& rows = update.pane.rows;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].itemData != static_cast<int>(i)) Fail("a row not numbered by its position", rows[i].name);
            if (i > 0 && CompareListItems(rows[i - 1], rows[i], sort.column, sort.ascending) > 0)
                Fail("rows out of order", rows[i - 1].name + " / " + rows[i].name);
            if (const std::optional<std::string> local = JxLocalNameForRemote(rows[i].name)) {
                if (local->empty() || *local == "." || *local == ".." ||
                    local->find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
                    Fail("a local name that leaves the folder", *local);
            }
        }
    }
    return 0;
}
