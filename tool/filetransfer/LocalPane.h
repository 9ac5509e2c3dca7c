// The local pane of the File Transfer window without the window: the folder
// the operator picked, the files it lists, and the file operations of its
// buttons and of the in-place rename. It never calls the link. Failures of
// the file system come back as texts that name the file and the cause.
#pragma once

#include <string>
#include <vector>

#include "filetransfer/RemotePane.h"
#include "filetransfer/RenameRules.h"

inline constexpr const char* kJxDirectoryNotFound = "Directory not found.";
inline constexpr const char* kJxCreateDirectoryFailed = "Create new directory failed.";
inline constexpr const char* kJxSelectFolderTitle = "Select A Folder";

// What the local pane shows after a fill.
struct CLocalPaneState {
    std::string folder;             // the local folder, ending with "/" once filled
    std::vector<CFileListRow> rows; // files only, sorted, item data = position
    // For a box (Warning for "Directory not found.", Critical for a folder
    // that cannot be read); empty when there is nothing to say.
    std::string message;

    bool operator==(const CLocalPaneState&) const = default;
};

// A folder text with "/" appended when it is not empty and lacks one.
std::string JxWithFinalSeparator(const std::string& folder);

// The folder the window opens with: the saved directory when there is one,
// else the program folder; either ends with "/".
std::string JxInitialLocalFolder(const std::string& savedDirectory, const std::string& programFolder);

// Lists the files of `folder` (sub-folders and other non-files are never
// listed): "Name", "Size" (the whole 64-bit length), "Time" (last write, local
// time, "%c"; empty if it cannot be converted), sorted by `sort`. A folder
// that cannot be read gives an empty list and the cause.
CLocalPaneState RefreshLocalList(const std::string& folder, const CListSortState& sort);

// The Directory field's Enter, Browse's choice: the folder becomes the field's
// text with "/" appended. An existing folder is listed; otherwise
// "Directory not found." and an empty list (the folder keeps the typed text).
CLocalPaneState ApplyLocalFolder(const std::string& fieldText, const CListSortState& sort);

// Whether leaving the Directory field applies its text: only when it differs
// from the local folder both as it is and with "/" appended (exact).
bool DirectoryFieldLeaveApplies(const std::string& fieldText, const std::string& localFolder);

// A local file operation: whether the list must be filled again, and the
// message (Critical) of the file that stopped it.
struct CLocalOperationResult {
    bool refill = false;
    std::string message;

    bool operator==(const CLocalOperationResult&) const = default;
};

// Local "Delete": deletes folder + name of each selected row at once, without
// asking. A file that cannot be deleted ends the operation there with its
// cause; the list is refilled only when a file before it was deleted (so it
// never shows a file that is gone). Empty selection: nothing.
CLocalOperationResult DeleteLocalFiles(const std::string& folder, const std::vector<std::string>& selection);

// Local "Rename": asks for each selected row's new name (local rename mode)
// and renames it, never over an existing file (a name taken after the check
// is refused too). A refused rename ends the operation with its cause (the
// list is then refilled only when a file before it was renamed); otherwise
// the list is refilled. Empty selection: nothing.
CLocalOperationResult RenameLocalFiles(const std::string& folder, const std::vector<std::string>& selection,
                                       const JxAskNewNameFunction& ask);

// "MkDir" after the dialog accepted `acceptedName` (ends with "/"): creates
// the folder; "Create new directory failed." when it cannot. The list is not
// refilled (it shows no folders).
CLocalOperationResult MakeLocalFolder(const std::string& folder, const std::string& acceptedName);

// The end of an in-place edit of a name in the local list.
struct CLocalInPlaceRename {
    bool renamed = false;  // the row keeps the new text
    std::string message;   // for a box (Warning for the checks, Critical for the file system); may be empty

    bool operator==(const CLocalInPlaceRename&) const = default;
};
// Equal to the old name: dropped silently. Empty: "You must type a file
// name.". An existing folder + new text: the existence message. Otherwise the
// file is renamed (never over another file).
CLocalInPlaceRename RenameLocalInPlace(const std::string& folder, const std::string& oldName,
                                       const std::string& newText);

// "Access to /x/y was denied.", "/x/y was not found.", or the path and the
// system's own words for other causes.
std::string JxFileSystemErrorText(const std::string& path, int error);
