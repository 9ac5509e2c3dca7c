// The Rename File dialog without the dialog: what it shows when it opens and
// what OK does, in its three modes. Local renames and new folders check the
// local file system; controller renames check the names the remote list
// shows, exactly (a controller may hold names differing only in case).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kJxRenameFileTitle = "Rename File";
inline constexpr const char* kJxCreateDirectoryTitle = "Create Directory";
inline constexpr const char* kJxRenamePromptInitial = "Rename file...";
inline constexpr const char* kJxRenamePrompt = "Enter new name for \"%s\":";
inline constexpr const char* kJxNewFolderPrompt = "Enter name for new directory:";
inline constexpr const char* kJxMustTypeName = "You must type a file name.";
inline constexpr const char* kJxNameExists =
    "A file with the name you specified already exists.  Specify a different file name.";
// A local name is one entry of the local folder: a "/" would move the file
// elsewhere (or out of the folder).
inline constexpr const char* kJxNameHasSeparator = "A file name cannot contain \"/\".";

enum class JxRenameMode {
    LocalRename,       // a file of the local folder
    ControllerRename,  // a file of the controller, checked against the known names
    NewFolder,         // a new sub-folder of the local folder ("MkDir")
};

// What the dialog is opened with.
struct CRenameFileRequest {
    JxRenameMode mode = JxRenameMode::LocalRename;
    std::string folder;                   // the local folder, ends with "/"; empty for controller files
    std::string currentName;              // the name being changed; empty for a new folder
    std::vector<std::string> knownNames;  // the controller's names (controller rename only)

    static CRenameFileRequest LocalRename(const std::string& folder, const std::string& name);
    static CRenameFileRequest ControllerRename(const std::string& name, const std::vector<std::string>& knownNames);
    static CRenameFileRequest NewFolder(const std::string& folder);

    bool operator==(const CRenameFileRequest&) const = default;
};

// The dialog as it opens.
struct CRenameFileView {
    std::string title;     // "Rename File", or "Create Directory"
    std::string prompt;    // "Enter new name for \"X\":" or "Enter name for new directory:"
    std::string editText;  // the current name, or empty

    bool operator==(const CRenameFileView&) const = default;
};
CRenameFileView RenameFileOpening(const CRenameFileRequest& request);

enum class JxRenameOutcome {
    StayOpen,  // `message` is shown (Warning) and the dialog stays
    Cancel,    // the dialog ends as Cancel (the name was not changed)
    Accept,    // the dialog ends with OK and `newName`
};

struct CRenameFileAnswer {
    JxRenameOutcome outcome = JxRenameOutcome::StayOpen;
    std::string message;
    // The accepted name: for a new folder it ends with "/".
    std::string newName;

    bool operator==(const CRenameFileAnswer&) const = default;
};
// OK with `editText`: empty -> "You must type a file name." and stay; equal
// to the current name (exact) -> Cancel; a name that exists (in the local
// folder, or among the known names, exact comparison) -> the existence
// message and stay; otherwise Accept.
CRenameFileAnswer RenameFileOk(const CRenameFileRequest& request, const std::string& editText);

// Runs the Rename File dialog for `request` (OK checked by RenameFileOk):
// the accepted name, or nothing for Cancel. The window supplies it; it
// blocks the calling thread until the dialog has ended.
using JxAskNewNameFunction = std::function<std::optional<std::string>(const CRenameFileRequest& request)>;
