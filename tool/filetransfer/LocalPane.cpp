#include "LocalPane.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/StatusText.h"

namespace {

std::string LocalTimeText(time_t t)
{
    struct tm calendar {};
    if (localtime_r(&t, &calendar) == nullptr) return {};
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, "%c", &calendar);
    return std::string(buffer, n);
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Renames without ever replacing a file: the check before the dialog closed
// may be stale by now, and a rename over another file would lose it.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: check, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string RenameFailureText(const std::string& from, const std::string& to, int error)
{
    if (error == EEXIST || error == ENOTEMPTY) return kJxNameExists;
    return JxFileSystemErrorText(error == ENOENT ? from : to, error);
}

}  // namespace

std::string JxWithFinalSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

std::string JxInitialLocalFolder(const std::string& savedDirectory, const std::string& programFolder)
{
    return JxWithFinalSeparator(savedDirectory.empty() ? programFolder : savedDirectory);
}

std::string JxFileSystemErrorText(const std::string& path, int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return FormatName("Access to %s was denied.", path);
    case ENOENT: return FormatName("%s was not found.", path);
    default: return path + ": " + std::error_code(error, std::generic_category()).message() + ".";
    }
}

CLocalPaneState RefreshLocalList(const std::string& folder, const CListSortState& sort)
{
    CLocalPaneState pane;
    pane.folder = JxWithFinalSeparator(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(pane.folder.c_str()), ::closedir);
    if (!dir) {
        pane.message = JxFileSystemErrorText(pane.folder, errno);
        return pane;
    }
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        // A link to a file lists as that file; folders and devices never.
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        CFileListRow row;
        row.name = name;
        row.sizeText = std::to_string(static_cast<long long>(st.st_size));
        row.timeText = LocalTimeText(st.st_mtim.tv_sec);
        row.itemData = static_cast<int>(pane.rows.size());
        pane.rows.push_back(std::move(row));
    }
    SortFileList(pane.rows, sort);
    return pane;
}

CLocalPaneState ApplyLocalFolder(const std::string& fieldText, const CListSortState& sort)
{
    const std::string folder = JxWithFinalSeparator(fieldText);
    if (!IsFolder(folder)) {
        CLocalPaneState pane;
        pane.folder = folder;
        pane.message = kJxDirectoryNotFound;
        return pane;
    }
    return RefreshLocalList(folder, sort);
}

bool DirectoryFieldLeaveApplies(const std::string& fieldText, const std::string& localFolder)
{
    return fieldText != localFolder && fieldText + "/" != localFolder;
}

CLocalOperationResult DeleteLocalFiles(const std::string& folder, const std::vector<std::string>& selection)
{
    CLocalOperationResult result;
    for (const std::string& name : selection) {
        const std::string path = folder + name;
        if (::unlink(path.c_str()) != 0) {
            // Files deleted before this one are gone: show the list as it is now.
            result.message = JxFileSystemErrorText(path, errno);
            return result;
        }
        result.refill = true;
    }
    return result;
}

CLocalOperationResult RenameLocalFiles(const std::string& folder, const std::vector<std::string>& selection,
                                       const JxAskNewNameFunction& ask)
{
    CLocalOperationResult result;
    if (selection.empty() || !ask) return result;
    for (const std::string& name : selection) {
        const std::optional<std::string> newName = ask(CRenameFileRequest::LocalRename(folder, name));
        if (!newName) continue;
        if (const int error = RenameNoReplace(folder + name, folder + *newName); error != 0) {
            result.message = RenameFailureText(folder + name, folder + *newName, error);
            return result;
        }
        result.refill = true;
    }
    result.refill = true;
    return result;
}

CLocalOperationResult MakeLocalFolder(const std::string& folder, const std::string& acceptedName)
{
    std::string path = folder + acceptedName;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (acceptedName.empty() || ::mkdir(path.c_str(), 0777) != 0) return {false, kJxCreateDirectoryFailed};
    return {};
}

CLocalInPlaceRename RenameLocalInPlace(const std::string& folder, const std::string& oldName,
                                       const std::string& newText)
{
    if (newText == oldName) return {};
    if (newText.empty()) return {false, kJxMustTypeName};
    if (newText.find('/') != std::string::npos) return {false, kJxNameHasSeparator};
    struct stat st {};
    if (::lstat((folder + newText).c_str(), &st) == 0) return {false, kJxNameExists};
    if (const int error = RenameNoReplace(folder + oldName, folder + newText); error != 0)
        return {false, RenameFailureText(folder + oldName, folder + newText, error)};
    return {true, {}};
}
