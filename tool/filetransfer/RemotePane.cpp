#include "RemotePane.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "shell/TextCompare.h"
#include "xml/CXmlDocument.h"

namespace {

// A size column's number. Sizes are printed from 32-bit values, but a local
// list may hold anything, so read wide and compare rather than subtract.
int64_t SizeValue(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (INT64_MAX - 9) / 10) break;  // far beyond any file size
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::string Megabytes(const char* format, uint32_t a, uint32_t b, uint32_t c = 0)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a * 0.000001, b * 0.000001, c * 0.000001);
    return buffer;
}

// Differences of the status figures wrap like the controller's own 32-bit
// counters; the result is read as unsigned.
uint32_t Difference(int32_t a, int32_t b) { return static_cast<uint32_t>(a) - static_cast<uint32_t>(b); }

}  // namespace

void CListSortState::OnColumnClick(int clicked)
{
    if (clicked == kJxColumnTime) return;
    if (clicked == column) {
        ascending = !ascending;
    } else {
        column = clicked;
        ascending = true;
    }
}

int CompareListItems(const CFileListRow& a, const CFileListRow& b, int column, bool ascending)
{
    int result = 0;
    if (column == kJxColumnName) {
        result = JxCompareIgnoringCase(a.name, b.name);
    } else if (column == kJxColumnSize) {
        const int64_t x = SizeValue(a.sizeText);
        const int64_t y = SizeValue(b.sizeText);
        result = x < y ? -1 : (x > y ? 1 : 0);
    }
    if (result != 0) result = result < 0 ? -1 : 1;
    return ascending ? result : -result;
}

void SortFileList(std::vector<CFileListRow>& rows, const CListSortState& sort)
{
    // Every other column compares equal: a stable sort keeps the order.
    if (sort.column == kJxColumnName || sort.column == kJxColumnSize) {
        // Sort positions, then move each row once: a row is three strings,
        // and a listing may hold a hundred thousand of them.
        std::vector<uint32_t> order(rows.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
        if (sort.column == kJxColumnName) {
            std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
                const int r = JxCompareIgnoringCase(rows[a].name, rows[b].name);
                return sort.ascending ? r < 0 : r > 0;
            });
        } else {
            std::vector<int64_t> sizes(rows.size());
            for (size_t i = 0; i < rows.size(); ++i) sizes[i] = SizeValue(rows[i].sizeText);
            std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
                return sort.ascending ? sizes[a] < sizes[b] : sizes[a] > sizes[b];
            });
        }
        std::vector<CFileListRow> sorted;
        sorted.reserve(rows.size());
        for (const uint32_t i : order) sorted.push_back(std::move(rows[i]));
        rows.swap(sorted);
    }
    for (size_t i = 0; i < rows.size(); ++i) rows[i].itemData = static_cast<int>(i);
}

int32_t JxDocumentNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

std::string JxRemoteTimeText(int64_t seconds)
{
    if (seconds < 0) return {};
    const time_t t = static_cast<time_t>(seconds);
    struct tm calendar {};
    if (gmtime_r(&t, &calendar) == nullptr) return {};
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, "%m/%d/%y %H:%M:%S", &calendar);
    return std::string(buffer, n);
}

std::string JxMemoryLine(int32_t mem, int32_t fmem, int32_t dmem)
{
    return Megabytes("Memory (MB): %.2f Used / %.2f Free / %.2f Frag", Difference(mem, fmem), Difference(fmem, dmem),
                     static_cast<uint32_t>(dmem));
}

std::string JxVolatileMemoryLine(int32_t vmem, int32_t vfmem)
{
    return Megabytes("Volatile Memory (MB): %.2f Used / %.2f Free", Difference(vmem, vfmem), static_cast<uint32_t>(vfmem));
}

CRemotePaneUpdate ShowDirectoryAndStatus(const CRemotePaneState& shown, const CListSortState& sort,
                                         std::optional<std::string_view> statusText, std::string_view directoryText)
{
    CRemotePaneUpdate update;
    CXmlDocument document;
    document.Parse(std::string(directoryText), false);
    if (!document.FindNextElement("DIR")) {
        update.pane = shown;
        update.message = kJxNoDirElement;
        SortFileList(update.pane.rows, sort);
        return update;
    }

    CRemotePaneState& pane = update.pane;
    pane.displayName.clear();
    pane.memoryLine.clear();
    pane.volatileMemoryLine.clear();
    document.EnterElement();
    // Count the rows first (a walk over the element table), so a listing of
    // a hundred thousand files is not moved about while it grows.
    size_t entries = 0;
    while (document.FindNextElement("ENT")) ++entries;
    pane.rows.reserve(entries);
    document.ResetPosition();
    document.FindNextElement("DIR");
    document.EnterElement();

    static constexpr std::string_view kNames[] = {"name", "size", "sec"};
    std::string values[3];
    for (int i = 0; document.FindNextElement("ENT"); ++i) {
        document.GetAttributes(kNames, values, 3);
        CFileListRow& row = pane.rows.emplace_back();
        row.name = std::move(values[0]);
        row.sizeText = std::to_string(JxDocumentNumber(values[1]));
        row.timeText = JxRemoteTimeText(JxDocumentNumber(values[2]));
        row.itemData = i;
    }

    update.ok = true;
    if (statusText) {
        // The controller writes its documents in UTF-8; the display name is
        // shown in the tool's own characters.
        document.Parse(std::string(*statusText), true);
        if (!document.FindNextElement("STATUS")) {
            update.ok = false;
            update.message = kJxNoStatusElement;
        } else {
            auto number = [&](const char* name) { return JxDocumentNumber(document.GetAttribute(name)); };
            pane.displayName = document.GetAttribute("ds");
            pane.memoryLine = JxMemoryLine(number("mem"), number("fmem"), number("dmem"));
            pane.volatileMemoryLine = JxVolatileMemoryLine(number("vmem"), number("vfmem"));
        }
    }
    SortFileList(pane.rows, sort);
    return update;
}
