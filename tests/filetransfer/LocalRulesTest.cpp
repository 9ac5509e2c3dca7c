// The File Transfer window's rules that need no controller, against real
// folders: the Rename File dialog in its three modes, the local pane's fill,
// folder field and file operations, local names of controller files, the
// in-place remote rename check and the layout numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RowPrinter.h"
#include "TempDir.h"
#include "filetransfer/FileTransferJobs.h"
#include "filetransfer/FileTransferLayout.h"
#include "filetransfer/LocalPane.h"
#include "filetransfer/RenameRules.h"

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

inline void PrintTo(const CLayoutRect& r, std::ostream* os)
{
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

namespace {

void SetTime(const std::string& path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

Names FilesIn(const std::string& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Local times are asserted in UTC, whatever the machine is set to.
class LocalRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        if (tz != nullptr) m_tz = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        folder = dir.Path() + "/";
        WriteWholeFile(folder + "TAKEN.TXT", "taken");
        fs::create_directory(folder + "SUB");
    }
    void TearDown() override
    {
        if (m_tz) ::setenv("TZ", m_tz->c_str(), 1); else ::unsetenv("TZ");
        ::tzset();
    }
    TempDir dir;
    std::string folder;

private:
    std::optional<std::string> m_tz;
};

}  // namespace

TEST_F(LocalRules, RenameFileDialogInItsThreeModes)
{
    const auto local = CRenameFileRequest::LocalRename(folder, "a.txt");
    const auto remote = CRenameFileRequest::ControllerRename("A.TXT", {"A.TXT", "B.TXT", "FONTS\\C.FNT"});
    const auto newFolder = CRenameFileRequest::NewFolder(folder);

    EXPECT_EQ(RenameFileOpening(local), (CRenameFileView{"Rename File", "Enter new name for \"a.txt\":", "a.txt"}));
    EXPECT_EQ(RenameFileOpening(remote), (CRenameFileView{"Rename File", "Enter new name for \"A.TXT\":", "A.TXT"}));
    EXPECT_EQ(RenameFileOpening(newFolder), (CRenameFileView{"Create Directory", "Enter name for new directory:", ""}));

    using O = JxRenameOutcome;
    struct Case {
        const char* label;
        const CRenameFileRequest& request;
        std::string typed;
        CRenameFileAnswer answer;
    } cases[] = {
        {"local empty", local, "", {O::StayOpen, kJxMustTypeName, ""}},
        {"local same name", local, "a.txt", {O::Cancel, "", ""}},
        {"local taken by a file", local, "TAKEN.TXT", {O::StayOpen, kJxNameExists, ""}},
        {"local taken by a folder", local, "SUB", {O::StayOpen, kJxNameExists, ""}},
        {"local other case is another file here", local, "taken.txt", {O::Accept, "", "taken.txt"}},
        {"local into another folder", local, "SUB/a.txt", {O::StayOpen, kJxNameHasSeparator, ""}},
        {"local out of the folder", local, "../a.txt", {O::StayOpen, kJxNameHasSeparator, ""}},
        {"local new name", local, "b.txt", {O::Accept, "", "b.txt"}},
        {"controller empty", remote, "", {O::StayOpen, kJxMustTypeName, ""}},
        {"controller same name", remote, "A.TXT", {O::Cancel, "", ""}},
        {"controller taken", remote, "B.TXT", {O::StayOpen, kJxNameExists, ""}},
        {"controller taken with backslash", remote, "FONTS\\C.FNT", {O::StayOpen, kJxNameExists, ""}},
        {"controller case differs", remote, "b.txt", {O::Accept, "", "b.txt"}},
        {"controller the local file's name", remote, "TAKEN.TXT", {O::Accept, "", "TAKEN.TXT"}},
        {"new folder empty", newFolder, "", {O::StayOpen, kJxMustTypeName, ""}},
        {"new folder taken by a folder", newFolder, "SUB", {O::StayOpen, kJxNameExists, ""}},
        {"new folder taken by a file", newFolder, "TAKEN.TXT", {O::StayOpen, kJxNameExists, ""}},
        {"new folder", newFolder, "NEW", {O::Accept, "", "NEW/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const CRenameFileAnswer a = RenameFileOk(c.request, c.typed);
        EXPECT_EQ(a.outcome, c.answer.outcome);
        EXPECT_EQ(a.message, c.answer.message);
        EXPECT_EQ(a.newName, c.answer.newName);
    }
}

TEST_F(LocalRules, ListShowsFilesOnlyWithWholeSizesAndLocalTimes)
{
    WriteWholeFile(folder + "b.txt", "12345");
    WriteWholeFile(folder + "A.txt", "");
    // A sparse file past 4 GB keeps its whole length in "Size".
    const int fd = ::open((folder + "big.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5000000000LL), 0);
    ::close(fd);
    fs::create_directory_symlink(folder + "SUB", folder + "link-to-folder");
    fs::create_symlink(folder + "b.txt", folder + "link-to-file");
    ::mkfifo((folder + "pipe").c_str(), 0644);
    for (const char* name : {"b.txt", "A.txt", "big.bin", "TAKEN.TXT"}) SetTime(folder + name, 1796571626);

    const CLocalPaneState byName = RefreshLocalList(dir.Path(), {});
    EXPECT_EQ(byName.folder, folder);
    EXPECT_EQ(byName.message, "");
    const std::string t = "Sun Dec  6 15:40:26 2026";
    const std::vector<CFileListRow> expected = {
        {"A.txt", "0", t, 0}, {"b.txt", "5", t, 1}, {"big.bin", "5000000000", t, 2},
        {"link-to-file", "5", t, 3}, {"TAKEN.TXT", "5", t, 4}};
    EXPECT_EQ(byName.rows, expected);

    // "Size" clicked twice: descending, by the whole number.
    CListSortState sort;
    sort.OnColumnClick(kJxColumnSize);
    sort.OnColumnClick(kJxColumnSize);
    sort.OnColumnClick(kJxColumnTime);
    const CLocalPaneState bySize = RefreshLocalList(folder, sort);
    ASSERT_EQ(bySize.rows.size(), 5u);
    EXPECT_EQ(bySize.rows[0].name, "big.bin");
    EXPECT_EQ(bySize.rows[4], (CFileListRow{"A.txt", "0", t, 4}));
}

TEST_F(LocalRules, FolderFieldAndFolderFills)
{
    fs::create_directory(folder + "ONLY-FOLDERS");
    fs::create_directory(folder + "ONLY-FOLDERS/inner");
    struct Case {
        std::string typed;
        std::string folder;
        size_t rows;
        std::string message;
    } cases[] = {
        {dir.Path(), folder, 1, ""},
        {folder, folder, 1, ""},
        {folder + "ONLY-FOLDERS", folder + "ONLY-FOLDERS/", 0, ""},
        {folder + "MISSING", folder + "MISSING/", 0, kJxDirectoryNotFound},
        {folder + "TAKEN.TXT", folder + "TAKEN.TXT/", 0, kJxDirectoryNotFound},
        {"", "", 0, kJxDirectoryNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const CLocalPaneState pane = ApplyLocalFolder(c.typed, {});
        EXPECT_EQ(pane.folder, c.folder);
        EXPECT_EQ(pane.rows.size(), c.rows);
        EXPECT_EQ(pane.message, c.message);
    }

    struct Leave {
        std::string field, folder;
        bool applies;
    } leaves[] = {
        {"/data/x/", "/data/x/", false}, {"/data/x", "/data/x/", false},
        {"/data/y", "/data/x/", true},   {"/data/x//", "/data/x/", true},
        {"", "/data/x/", true},          {"/data/X", "/data/x/", true},
    };
    for (const Leave& l : leaves) EXPECT_EQ(DirectoryFieldLeaveApplies(l.field, l.folder), l.applies) << l.field;

    EXPECT_EQ(JxInitialLocalFolder("", "/opt/jx/bin"), "/opt/jx/bin/");
    EXPECT_EQ(JxInitialLocalFolder("/home/op/files/", "/opt/jx/bin"), "/home/op/files/");
}

TEST_F(LocalRules, DeleteStopsAtTheFileThatCannotGo)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteWholeFile(folder + name, name);
    EXPECT_EQ(DeleteLocalFiles(folder, {}), (CLocalOperationResult{false, ""}));
    const CLocalOperationResult r = DeleteLocalFiles(folder, {"a.txt", "gone.txt", "c.txt"});
    EXPECT_EQ(r, (CLocalOperationResult{true, folder + "gone.txt was not found."}));
    EXPECT_EQ(FilesIn(folder), (Names{"SUB", "TAKEN.TXT", "b.txt", "c.txt"}));

    // A folder is no file to delete: the first entry already stops it.
    const CLocalOperationResult folderFirst = DeleteLocalFiles(folder, {"SUB", "b.txt"});
    EXPECT_FALSE(folderFirst.refill);
    EXPECT_NE(folderFirst.message.find(folder + "SUB"), std::string::npos) << folderFirst.message;
    EXPECT_TRUE(fs::exists(folder + "b.txt"));
}

TEST_F(LocalRules, RenamesNeverReplaceAFile)
{
    WriteWholeFile(folder + "a.txt", "a");
    WriteWholeFile(folder + "b.txt", "b");
    struct Case {
        std::string from, to;
        CLocalInPlaceRename result;
        Names after;
    } cases[] = {
        {"a.txt", "a.txt", {false, ""}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"a.txt", "", {false, kJxMustTypeName}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"a.txt", "b.txt", {false, kJxNameExists}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"a.txt", "SUB", {false, kJxNameExists}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"a.txt", "SUB/a.txt", {false, kJxNameHasSeparator}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"gone.txt", "c.txt", {false, folder + "gone.txt was not found."}, {"SUB", "TAKEN.TXT", "a.txt", "b.txt"}},
        {"a.txt", "A.TXT", {true, ""}, {"A.TXT", "SUB", "TAKEN.TXT", "b.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + " -> " + c.to);
        EXPECT_EQ(RenameLocalInPlace(folder, c.from, c.to), c.result);
        EXPECT_EQ(FilesIn(folder), c.after);
    }
    EXPECT_EQ(ReadWholeFile(folder + "A.TXT"), "a");

    // The batch asks through the dialog's rules; a name taken after the
    // dialog accepted it is refused by the rename itself.
    Names asked;
    auto ask = [&](const CRenameFileRequest& request) -> std::optional<std::string> {
        asked.push_back(request.currentName);
        if (request.currentName == "A.TXT") return "c.txt";
        if (request.currentName == "TAKEN.TXT") return std::nullopt;  // Cancel
        WriteWholeFile(folder + "late.txt", "late");
        return "late.txt";
    };
    const CLocalOperationResult r = RenameLocalFiles(folder, {"A.TXT", "TAKEN.TXT", "b.txt"}, ask);
    EXPECT_EQ(asked, (Names{"A.TXT", "TAKEN.TXT", "b.txt"}));
    EXPECT_EQ(r, (CLocalOperationResult{true, kJxNameExists}));
    EXPECT_EQ(ReadWholeFile(folder + "late.txt"), "late");
    EXPECT_EQ(ReadWholeFile(folder + "b.txt"), "b");
    EXPECT_EQ(ReadWholeFile(folder + "c.txt"), "a");
}

TEST_F(LocalRules, MakeFolder)
{
    EXPECT_EQ(MakeLocalFolder(folder, "NEW/"), (CLocalOperationResult{false, ""}));
    EXPECT_TRUE(fs::is_directory(folder + "NEW"));
    EXPECT_EQ(MakeLocalFolder(folder, "NEW/"), (CLocalOperationResult{false, kJxCreateDirectoryFailed}));
    EXPECT_EQ(MakeLocalFolder(folder, "MISSING/INNER/"), (CLocalOperationResult{false, kJxCreateDirectoryFailed}));
}

TEST(FileTransferNames, LocalNamesStayInTheFolder)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"README.TXT", "README.TXT"},     {"FONTS\\A.FNT", "FONTS-A.FNT"}, {"a/b", "a-b"},
        {"..\\..\\x", "..-..-x"},         {"../../x", "..-..-x"},          {"\\", "-"},
        {"..", std::nullopt},             {".", std::nullopt},             {"", std::nullopt},
        {std::string("a\0b", 3), "a-b"}, {"...", "..."},
    };
    for (const auto& [remote, local] : cases) EXPECT_EQ(JxLocalNameForRemote(remote), local) << remote;
    EXPECT_EQ(JxRemoteNameForLocal("readme.txt"), "README.TXT");
    EXPECT_EQ(JxRemoteNameForLocal("caf\xe9-1.bmp"), "CAF\xe9-1.BMP");
}

TEST(FileTransferNames, RemoteInPlaceRenameCheck)
{
    const Names listed = {"A.TXT", "B.TXT"};
    struct Case {
        std::string from, to;
        CInPlaceRenameCheck check;
    } cases[] = {
        {"A.TXT", "A.TXT", {false, ""}},         {"A.TXT", "", {false, kJxMustTypeName}},
        {"A.TXT", "B.TXT", {false, kJxNameExists}}, {"A.TXT", "b.txt", {true, ""}},
        {"A.TXT", "C.TXT", {true, ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckRemoteInPlaceRename(c.from, c.to, listed), c.check) << c.to;
}

TEST(FileTransferLayout, Numbers)
{
    struct Case {
        int width, height;
        CLayoutRect localPane, remotePane, upload, download, localList, remoteList, disconnect, firstRemoteButton,
            lastLocalButton;
        std::array<int, 3> columns;
    } cases[] = {
        // P = (582 - 40 - 40) / 2 = 251, lists 231 wide; 231 * 0.45, 0.15, 0.4 truncated
        {582, 440, {10, 10, 251, 420}, {321, 10, 251, 420}, {271, 190, 40, 25}, {271, 225, 40, 25},
         {20, 100, 231, 250}, {331, 100, 231, 250}, {482, 395, 80, 25}, {331, 360, 50, 25}, {200, 360, 50, 25},
         {103, 34, 92}},
        // P = 760, lists 740: Size 111 -> 70 and Time 296 -> 180, Name 333 + 41 + 116
        {1600, 1000, {10, 10, 760, 980}, {830, 10, 760, 980}, {780, 470, 40, 25}, {780, 505, 40, 25},
         {20, 100, 740, 810}, {840, 100, 740, 810}, {1500, 955, 80, 25}, {840, 920, 50, 25}, {200, 920, 50, 25},
         {490, 70, 180}},
        // narrower and lower than the window can be: laid out as the minimum
        {300, 200, {10, 10, 251, 420}, {321, 10, 251, 420}, {271, 190, 40, 25}, {271, 225, 40, 25},
         {20, 100, 231, 250}, {331, 100, 231, 250}, {482, 395, 80, 25}, {331, 360, 50, 25}, {200, 360, 50, 25},
         {103, 34, 92}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        CFileTransferLayoutInput in;
        in.clientWidth = c.width;
        in.clientHeight = c.height;
        const CFileTransferLayout l = LayOutFileTransfer(in);
        EXPECT_EQ(l.localPane, c.localPane);
        EXPECT_EQ(l.remotePane, c.remotePane);
        EXPECT_EQ(l.uploadButton, c.upload);
        EXPECT_EQ(l.downloadButton, c.download);
        EXPECT_EQ(l.localList, c.localList);
        EXPECT_EQ(l.remoteList, c.remoteList);
        EXPECT_EQ(l.disconnectButton, c.disconnect);
        EXPECT_EQ(l.remoteButtons[0], c.firstRemoteButton);
        EXPECT_EQ(l.localButtons[3], c.lastLocalButton);
        EXPECT_EQ(l.columnWidths, c.columns);
        // Nothing leaves its pane, and the header does not reach the list.
        for (const CLayoutRect& b : l.remoteButtons) EXPECT_LE(b.Right(), l.remotePane.Right() - 10);
        EXPECT_LE(l.browseButton.Right(), l.localPane.Right() - 10);
        EXPECT_LE(l.volatileMemoryLine.Bottom() + 10, l.remoteList.y);
        EXPECT_LE(l.directoryEdit.Bottom() + 10, l.localList.y);
    }
}
