// The remote pane from DIRECTORY.XML and STATUS.XML texts: rows, time texts,
// memory lines with their 32-bit wrap, failures and the sort after every fill.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RowPrinter.h"
#include "filetransfer/RemotePane.h"

namespace {

using Rows = std::vector<CFileListRow>;

const char kDirectory[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DIR>\r\n"
    "<ENT name=\"SCHEDULE.XML\" size=\"1234\" sec=\"0\"/>\r\n"
    "<ENT name=\"config.xml\" size=\"2048\" sec=\"1796571626\"/>\r\n"
    "<ENT name=\"MAIN.EXE\" size=\"900000\" sec=\"-1\"/>\r\n"
    "</DIR>\r\n";

const char kStatus[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<STATUS ds=\"Lobby\" mem=\"8000000\" fmem=\"6000000\" dmem=\"500000\" vmem=\"2000000\" vfmem=\"1500000\" "
    "vr=\"TJX-3.08\"/>\r\n";

CFileListRow Row(const char* name, const char* size, const char* time, int item)
{
    return CFileListRow{name, size, time, item};
}

}  // namespace

TEST(RemotePane, MemoryLines)
{
    struct Case {
        int32_t mem, fmem, dmem;
        const char* line;
    };
    const Case cases[] = {
        {8000000, 6000000, 500000, "Memory (MB): 2.00 Used / 5.50 Free / 0.50 Frag"},
        {0, 0, 0, "Memory (MB): 0.00 Used / 0.00 Free / 0.00 Frag"},
        {8388608, 8388608, 0, "Memory (MB): 0.00 Used / 8.39 Free / 0.00 Frag"},
        // more free than there is: the difference wraps to nearly 2^32 bytes
        {1000000, 1000100, 0, "Memory (MB): 4294.97 Used / 1.00 Free / 0.00 Frag"},
        {1000000, 500000, 600000, "Memory (MB): 0.50 Used / 4294.87 Free / 0.60 Frag"},
        {0, 0, -1, "Memory (MB): 0.00 Used / 0.00 Free / 4294.97 Frag"},
        // the subtraction itself overflows 32 bits
        {2147483647, -2147483647 - 1, 0, "Memory (MB): 4294.97 Used / 2147.48 Free / 0.00 Frag"},
        {-1294967296, 0, 0, "Memory (MB): 3000.00 Used / 0.00 Free / 0.00 Frag"},
    };
    for (const Case& c : cases) EXPECT_EQ(JxMemoryLine(c.mem, c.fmem, c.dmem), c.line) << c.mem << " " << c.fmem;

    EXPECT_EQ(JxVolatileMemoryLine(2000000, 1500000), "Volatile Memory (MB): 0.50 Used / 1.50 Free");
    EXPECT_EQ(JxVolatileMemoryLine(0, 0), "Volatile Memory (MB): 0.00 Used / 0.00 Free");
    EXPECT_EQ(JxVolatileMemoryLine(1500000, 2000000), "Volatile Memory (MB): 4294.47 Used / 2.00 Free");
}

TEST(RemotePane, DocumentNumbers)
{
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"", 0},       {"abc", 0},          {"12", 12},           {" 42x", 42},           {"-5", -5},
        {"+7", 7},     {"1e3", 1},          {"0x10", 0},          {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},   {"4294967295", -1},   {"3000000000", -1294967296},
        {"- 5", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(JxDocumentNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(RemotePane, TimeTexts)
{
    struct Case {
        int64_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "01/01/70 00:00:00"},
        {1796571626, "12/06/26 15:40:26"},  // 6 December 2026
        {1781278826, "06/12/26 15:40:26"},  // 12 June 2026
        {951782400, "02/29/00 00:00:00"},
        {2147483647, "01/19/38 03:14:07"},
        {-1, ""},
        {-2147483647 - 1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(JxRemoteTimeText(c.seconds), c.text) << c.seconds;
}

TEST(RemotePane, DirectoryAndStatusFillThePane)
{
    const CRemotePaneUpdate update = ShowDirectoryAndStatus(CRemotePaneState{}, CListSortState{}, kStatus, kDirectory);
    EXPECT_TRUE(update.ok);
    EXPECT_EQ(update.message, "");
    // sorted by name ignoring case, item data renumbered
    EXPECT_EQ(update.pane.rows, (Rows{Row("config.xml", "2048", "12/06/26 15:40:26", 0),
                                      Row("MAIN.EXE", "900000", "", 1),
                                      Row("SCHEDULE.XML", "1234", "01/01/70 00:00:00", 2)}));
    EXPECT_EQ(update.pane.displayName, "Lobby");
    EXPECT_EQ(update.pane.memoryLine, "Memory (MB): 2.00 Used / 5.50 Free / 0.50 Frag");
    EXPECT_EQ(update.pane.volatileMemoryLine, "Volatile Memory (MB): 0.50 Used / 1.50 Free");
}

TEST(RemotePane, EntriesAsTheControllerWroteThem)
{
    const char* directory =
        "<DIR>\n<ENT name=\"B&amp;W.BMP\" size=\"12abc\"/>\n<SUB name=\"FONTS\\\" size=\"0\"/>\n"
        "<ENT size=\"7\" sec=\"60\"/>\n<ENT name=\"A.TXT\"></ENT>\n<ENT name=\"FONTS\\ARIAL.FNT\" size=\"-3\"/>\n</DIR>";
    CListSortState bySize{kJxColumnSize, true};
    const CRemotePaneUpdate update = ShowDirectoryAndStatus(CRemotePaneState{}, bySize, std::nullopt, directory);
    EXPECT_TRUE(update.ok);
    EXPECT_EQ(update.message, "");
    // only ENT children give rows; a nameless one too; missing numbers are 0
    EXPECT_EQ(update.pane.rows, (Rows{Row("FONTS\\ARIAL.FNT", "-3", "01/01/70 00:00:00", 0),
                                      Row("A.TXT", "0", "01/01/70 00:00:00", 1),
                                      Row("", "7", "01/01/70 00:01:00", 2),
                                      Row("B&W.BMP", "12", "01/01/70 00:00:00", 3)}));
    // without a status the texts are empty
    EXPECT_EQ(update.pane.displayName, "");
    EXPECT_EQ(update.pane.memoryLine, "");
    EXPECT_EQ(update.pane.volatileMemoryLine, "");
}

TEST(RemotePane, StatusVariants)
{
    const char* directory = "<DIR><ENT name=\"A.TXT\" size=\"1\" sec=\"0\"/></DIR>";
    {
        // no volatile figures
        const auto u = ShowDirectoryAndStatus({}, {}, "<STATUS ds=\"X\" mem=\"100\" fmem=\"200\"/>", directory);
        EXPECT_TRUE(u.ok);
        EXPECT_EQ(u.pane.memoryLine, "Memory (MB): 4294.97 Used / 0.00 Free / 0.00 Frag");
        EXPECT_EQ(u.pane.volatileMemoryLine, "Volatile Memory (MB): 0.00 Used / 0.00 Free");
    }
    {
        // the display name arrives in UTF-8 and is shown in the tool's characters
        const auto u = ShowDirectoryAndStatus({}, {}, "<STATUS ds=\"Caf\xC3\xA9 &amp; Bar\"/>", directory);
        EXPECT_EQ(u.pane.displayName, "Caf\xE9 & Bar");
    }
    for (const char* bad : {"", "<STATUS ds=\"X\">", "<STAT ds=\"X\"/>", "garbage"}) {
        CRemotePaneState shown;
        shown.displayName = "Old";
        const auto u = ShowDirectoryAndStatus(shown, {}, std::string_view(bad), directory);
        EXPECT_FALSE(u.ok) << bad;
        EXPECT_EQ(u.message, "Invalid status file: no STATUS element.") << bad;
        EXPECT_EQ(u.pane.rows, Rows{Row("A.TXT", "1", "01/01/70 00:00:00", 0)}) << bad;
        EXPECT_EQ(u.pane.displayName, "") << bad;
        EXPECT_EQ(u.pane.memoryLine, "") << bad;
        EXPECT_EQ(u.pane.volatileMemoryLine, "") << bad;
    }
}

TEST(RemotePane, NoDirElementKeepsWhatIsShownButSortsIt)
{
    CRemotePaneState shown;
    shown.rows = {Row("B", "10", "t1", 0), Row("A", "9", "t2", 1), Row("C", "100", "t3", 2)};
    shown.displayName = "Lobby";
    shown.memoryLine = "Memory (MB): 1.00 Used / 1.00 Free / 0.00 Frag";
    shown.volatileMemoryLine = "Volatile Memory (MB): 0.00 Used / 0.00 Free";
    const CListSortState bySizeDown{kJxColumnSize, false};
    for (const char* bad : {"", "<DIR>", "<DIRECTORY/>", "<STATUS/><DIR/>", "not xml"}) {
        const auto u = ShowDirectoryAndStatus(shown, bySizeDown, kStatus, bad);
        EXPECT_FALSE(u.ok) << bad;
        EXPECT_EQ(u.message, "Refresh failed.\nInvalid directory file: no DIR element.") << bad;
        EXPECT_EQ(u.pane.rows, (Rows{Row("C", "100", "t3", 0), Row("B", "10", "t1", 1), Row("A", "9", "t2", 2)})) << bad;
        EXPECT_EQ(u.pane.displayName, shown.displayName);
        EXPECT_EQ(u.pane.memoryLine, shown.memoryLine);
        EXPECT_EQ(u.pane.volatileMemoryLine, shown.volatileMemoryLine);
    }
    // An empty DIR empties the list.
    const auto u = ShowDirectoryAndStatus(shown, bySizeDown, std::nullopt, "<DIR>\r\n</DIR>");
    EXPECT_TRUE(u.ok);
    EXPECT_TRUE(u.pane.rows.empty());
}

TEST(RemotePane, TextsEndAtTheirLength)
{
    // The received buffer is taken at exactly its length, even without a
    // terminating zero and with bytes of another document behind it.
    const std::string buffer = std::string(kDirectory) + "<ENT name=\"BEHIND\"/>";
    const std::string_view directory(buffer.data(), sizeof kDirectory - 1);
    const std::string statusBuffer = std::string(kStatus) + "garbage";
    const std::string_view status(statusBuffer.data(), sizeof kStatus - 1);
    const auto u = ShowDirectoryAndStatus({}, {}, status, directory);
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.pane.rows.size(), 3u);
    // cut short inside the DIR element, it no longer parses
    const auto cut = ShowDirectoryAndStatus({}, {}, status, directory.substr(0, directory.size() - 10));
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.message, "Refresh failed.\nInvalid directory file: no DIR element.");
}

TEST(RemotePane, CompareListItems)
{
    struct Case {
        CFileListRow a, b;
        int column;
        int ascending;   // expected sign when ascending
    };
    const Case cases[] = {
        {Row("a.txt", "1", "", 0), Row("B.TXT", "1", "", 1), kJxColumnName, -1},
        {Row("ABC", "1", "", 0), Row("abc", "2", "", 1), kJxColumnName, 0},
        {Row("AB", "1", "", 0), Row("ABC", "1", "", 1), kJxColumnName, -1},
        {Row("_X", "1", "", 0), Row("a", "1", "", 1), kJxColumnName, -1},   // compared in lower case
        {Row("A", "9", "", 0), Row("B", "10", "", 1), kJxColumnSize, -1},   // numbers, not texts
        {Row("A", "-1", "", 0), Row("B", "2147483647", "", 1), kJxColumnSize, -1},  // no overflow
        {Row("A", "2147483647", "", 0), Row("B", "-2147483648", "", 1), kJxColumnSize, 1},
        {Row("A", "5", "", 0), Row("B", "5", "", 1), kJxColumnSize, 0},
        {Row("A", "1", "12/31/99", 0), Row("B", "2", "01/01/70", 1), kJxColumnTime, 0},
        {Row("A", "1", "", 0), Row("B", "2", "", 1), 7, 0},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(CompareListItems(c.a, c.b, c.column, true)), c.ascending) << c.a.name << " " << c.b.name;
        EXPECT_EQ(sign(CompareListItems(c.a, c.b, c.column, false)), -c.ascending) << c.a.name << " " << c.b.name;
    }
}

TEST(RemotePane, ColumnClicks)
{
    CListSortState sort;
    const std::vector<std::pair<int, CListSortState>> steps = {
        {kJxColumnSize, {kJxColumnSize, true}},  {kJxColumnSize, {kJxColumnSize, false}},
        {kJxColumnTime, {kJxColumnSize, false}}, {kJxColumnName, {kJxColumnName, true}},
        {kJxColumnName, {kJxColumnName, false}}, {kJxColumnName, {kJxColumnName, true}},
    };
    for (const auto& [clicked, expected] : steps) {
        sort.OnColumnClick(clicked);
        EXPECT_EQ(sort.column, expected.column) << clicked;
        EXPECT_EQ(sort.ascending, expected.ascending) << clicked;
    }

    // Equal rows keep their order; every sort renumbers.
    Rows rows = {Row("b", "5", "", 9), Row("A", "5", "", 9), Row("c", "1", "", 9)};
    SortFileList(rows, {kJxColumnSize, false});
    EXPECT_EQ(rows, (Rows{Row("b", "5", "", 0), Row("A", "5", "", 1), Row("c", "1", "", 2)}));
    SortFileList(rows, {kJxColumnTime, true});
    EXPECT_EQ(rows, (Rows{Row("b", "5", "", 0), Row("A", "5", "", 1), Row("c", "1", "", 2)}));
    SortFileList(rows, {kJxColumnName, false});
    EXPECT_EQ(rows, (Rows{Row("c", "1", "", 0), Row("b", "5", "", 1), Row("A", "5", "", 2)}));
}
