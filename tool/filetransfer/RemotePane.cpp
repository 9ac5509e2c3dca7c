#include "RemotePane.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "xml/CXmlDocument.h"

namespace {

int LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int CompareIgnoringCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = LowerAscii(static_cast<unsigned char>(a[i])) - LowerAscii(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

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
        result = CompareIgnoringCase(a.name, b.name);
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
    std::stable_sort(rows.begin(), rows.end(), [&](const CFileListRow& a, const CFileListRow& b) {
        return CompareListItems(a, b, sort.column, sort.ascending) < 0;
    });
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
    for (int i = 0; document.FindNextElement("ENT"); ++i) {
        CFileListRow row;
        row.name = document.GetAttribute("name");
        row.sizeText = std::to_string(JxDocumentNumber(document.GetAttribute("size")));
        row.timeText = JxRemoteTimeText(JxDocumentNumber(document.GetAttribute("sec")));
        row.itemData = i;
        pane.rows.push_back(std::move(row));
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
