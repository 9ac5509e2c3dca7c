// The remote pane of the File Transfer window without the window: the rows of
// the controller's files, its display name and its two memory lines, made
// from DIRECTORY.XML and STATUS.XML as the controller sent them. The view
// shows a CRemotePaneState; the rules of what it holds live here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One row of a file list (local or remote): the texts of the "Name", "Size"
// and "Time" columns and the row's item data, which is always its position.
struct CFileListRow {
    std::string name;
    std::string sizeText;
    std::string timeText;
    int itemData = 0;

    bool operator==(const CFileListRow&) const = default;
};

// Which column a list is sorted by and in which direction.
struct CListSortState {
    int column = 0;  // 0 Name, 1 Size, 2 Time
    bool ascending = true;

    // A click on a column header: "Time" (2) does nothing, the current column
    // turns the direction round, another column becomes current, ascending.
    void OnColumnClick(int clicked);
};

// Name, size and time columns of the file lists.
inline constexpr int kJxColumnName = 0;
inline constexpr int kJxColumnSize = 1;
inline constexpr int kJxColumnTime = 2;

// Order of two rows for `column`: names ignoring case, sizes as numbers,
// every other column equal. Negative, 0 or positive; turned round when not
// ascending.
int CompareListItems(const CFileListRow& a, const CFileListRow& b, int column, bool ascending);
// Sorts the rows (rows that compare equal keep their order) and renumbers
// every row's item data to its new position.
void SortFileList(std::vector<CFileListRow>& rows, const CListSortState& sort);

inline constexpr const char* kJxDisplayNameInitial = "Display Name...";
inline constexpr const char* kJxMemoryInitial = "Memory Status...";
inline constexpr const char* kJxVolatileMemoryInitial = "Volatile Memory Status...";
inline constexpr const char* kJxNoDirElement = "Refresh failed.\nInvalid directory file: no DIR element.";
inline constexpr const char* kJxNoStatusElement = "Invalid status file: no STATUS element.";

// What the remote pane shows.
struct CRemotePaneState {
    std::vector<CFileListRow> rows;
    std::string displayName = kJxDisplayNameInitial;
    std::string memoryLine = kJxMemoryInitial;
    std::string volatileMemoryLine = kJxVolatileMemoryInitial;

    bool operator==(const CRemotePaneState&) const = default;
};

// The pane after a refresh, and what to tell the operator.
struct CRemotePaneUpdate {
    CRemotePaneState pane;
    bool ok = false;
    // For the window's error report (shown only while its stop flag is
    // clear); empty when there is nothing to say.
    std::string message;
};

// Turns the received documents into the pane. `shown` is what the pane shows
// now: it stays (sorted again) when the directory has no DIR element. The
// status text is optional: without it the name and memory texts are left
// empty. Both texts are taken at exactly their length.
CRemotePaneUpdate ShowDirectoryAndStatus(const CRemotePaneState& shown, const CListSortState& sort,
                                         std::optional<std::string_view> statusText, std::string_view directoryText);

// ---- the pieces, for the pane and the tests ---------------------------------
// A document number: a 32-bit signed decimal from the start of the text
// (blanks and a sign allowed); no digits read as 0. Longer numbers keep
// their low 32 bits, as a 32-bit controller counter would.
int32_t JxDocumentNumber(std::string_view text);
// "Time" column of a controller file: seconds since 1970 in UTC as
// "%m/%d/%y %H:%M:%S"; empty for a negative time.
std::string JxRemoteTimeText(int64_t seconds);
// "Memory (MB): %.2f Used / %.2f Free / %.2f Frag" and the volatile line,
// each value formed in 32-bit arithmetic and shown as an unsigned number of
// millions of bytes.
std::string JxMemoryLine(int32_t mem, int32_t fmem, int32_t dmem);
std::string JxVolatileMemoryLine(int32_t vmem, int32_t vfmem);
