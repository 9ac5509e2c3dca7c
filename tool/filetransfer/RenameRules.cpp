#include "RenameRules.h"

#include <algorithm>

#include <sys/stat.h>

#include "shell/StatusText.h"

namespace {

// Anything of that name in the folder blocks it: a file, a folder, a link
// (even a dangling one, which a rename would replace).
bool LocalEntryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

CRenameFileAnswer Stay(const char* message) { return {JxRenameOutcome::StayOpen, message, {}}; }

}  // namespace

CRenameFileRequest CRenameFileRequest::LocalRename(const std::string& folder, const std::string& name)
{
    return {JxRenameMode::LocalRename, folder, name, {}};
}

CRenameFileRequest CRenameFileRequest::ControllerRename(const std::string& name,
                                                        const std::vector<std::string>& knownNames)
{
    return {JxRenameMode::ControllerRename, {}, name, knownNames};
}

CRenameFileRequest CRenameFileRequest::NewFolder(const std::string& folder)
{
    return {JxRenameMode::NewFolder, folder, {}, {}};
}

CRenameFileView RenameFileOpening(const CRenameFileRequest& request)
{
    if (request.mode == JxRenameMode::NewFolder || request.currentName.empty())
        return {kJxCreateDirectoryTitle, kJxNewFolderPrompt, {}};
    return {kJxRenameFileTitle, FormatName(kJxRenamePrompt, request.currentName), request.currentName};
}

CRenameFileAnswer RenameFileOk(const CRenameFileRequest& request, const std::string& editText)
{
    if (editText.empty()) return Stay(kJxMustTypeName);
    if (request.mode != JxRenameMode::NewFolder && editText == request.currentName)
        return {JxRenameOutcome::Cancel, {}, {}};

    if (request.mode == JxRenameMode::ControllerRename) {
        const auto& known = request.knownNames;
        if (std::find(known.begin(), known.end(), editText) != known.end()) return Stay(kJxNameExists);
        return {JxRenameOutcome::Accept, {}, editText};
    }

    if (editText.find('/') != std::string::npos) return Stay(kJxNameHasSeparator);
    if (LocalEntryExists(request.folder + editText)) return Stay(kJxNameExists);
    return {JxRenameOutcome::Accept, {}, request.mode == JxRenameMode::NewFolder ? editText + "/" : editText};
}
