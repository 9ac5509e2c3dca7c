#include "FileTransferJobs.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "connection/LinkOperation.h"
#include "filetransfer/LocalPane.h"
#include "shell/StatusText.h"

namespace {

// ---- talking to the window ----------------------------------------------------
void Status(const CFileTransferJob& job, const std::string& text) { job.report.SetStatusText(text); }

// The error report says nothing once Abort was pressed: the failures that
// follow are the ones Abort caused.
void Error(const CFileTransferJob& job, const std::string& message)
{
    if (!job.stop.load()) job.report.ReportError(message);
}

void Wait(const CFileTransferJob& job, int ms)
{
    if (job.wait) {
        job.wait(ms);
        return;
    }
    // In short slices, so Abort does not sit out the whole pause.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!job.stop.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// ---- link steps --------------------------------------------------------------
struct CFetch {
    int16_t status = KORNET_OK;
    uint8_t error = 0;
    bool outOfMemory = false;
    std::string bytes;

    bool Ok() const { return status == KORNET_OK && !outOfMemory; }
    std::string Cause() const { return StatusText(status, error); }
};

// A compressed get, copied out of the link's buffer (which the next get reuses).
CFetch Fetch(const CFileTransferJob& job, const std::string& name)
{
    CFetch fetch;
    jx_resp_retrieve_file_s response{};
    const uint8_t* data = job.link.JxGetFileCompressed(job.address, name.c_str(), fetch.status, &response, 0);
    fetch.error = response.error;
    if (fetch.status != KORNET_OK || data == nullptr) return fetch;  // null with OK: an empty file
    try {
        fetch.bytes.assign(reinterpret_cast<const char*>(data), response.uncompressedLength);
    } catch (const std::bad_alloc&) {
        fetch.outOfMemory = true;
    }
    return fetch;
}

void Show(const CFileTransferJob& job, CFileTransferOutcome& out, const CRemotePaneState& shown,
          const CListSortState& sort, std::optional<std::string_view> status, const std::string& directory)
{
    CRemotePaneUpdate update = ShowDirectoryAndStatus(shown, sort, status, directory);
    if (!update.message.empty()) Error(job, update.message);
    out.remote = std::move(update.pane);
    out.remoteFilled = true;
}

// ---- local files -------------------------------------------------------------
enum class JxFileStep { Done, LocalFailure, LinkFailure };

// Reads a whole local file. False when it cannot be read (or is too large to
// be sent at all); `opened` says whether it could at least be opened.
bool ReadLocalFile(const std::string& path, std::string& data, bool& opened)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    opened = fd >= 0;
    if (!opened) return false;
    bool ok = false;
    struct stat st {};
    try {
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= INT32_MAX) {
            data.resize(static_cast<size_t>(st.st_size));
            size_t done = 0;
            ok = true;
            while (done < data.size()) {
                const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {  // a file that shrank under us is not the file that was listed
                    ok = false;
                    break;
                }
                done += static_cast<size_t>(n);
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    return ok;
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes `data` as folder + name through a temporary file of the same folder
// that replaces the old file only once it is complete: a full disk or a
// failed write never costs the operator the copy he had.
bool SaveLocalFile(const std::string& folder, const std::string& name, const std::string& data)
{
    // Without a folder the file would land wherever the program happens to run.
    if (folder.empty()) return false;
    const std::string target = folder + name;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A file the operator made read-only is not replaced behind his back.
    if (exists && (S_ISDIR(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + ".jxget-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data);
    if (ok && exists && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// A failed download stops the batch when a writable file of that name is in
// the folder (the operator's copy must not be mixed with the next file's
// troubles); otherwise the batch goes on.
bool WritableLocalFile(const std::string& folder, const std::string& remoteName)
{
    const std::optional<std::string> local = JxLocalNameForRemote(remoteName);
    return local && ::access((folder + *local).c_str(), W_OK) == 0;
}

JxFileStep UploadFile(const CFileTransferJob& job, const std::string& folder, const std::string& name,
                      std::string& remoteName)
{
    std::string data;
    bool opened = false;
    if (folder.empty() || !ReadLocalFile(folder + name, data, opened)) {
        Error(job, FormatName(opened ? kJxCouldNotReadToSend : kJxCouldNotOpenToSend, name));
        return JxFileStep::LocalFailure;
    }
    remoteName = JxRemoteNameForLocal(name);
    jx_resp_send_file_s response{};
    const int16_t status =
        job.link.JxSendFileCompressed(job.address, remoteName.c_str(), reinterpret_cast<const uint8_t*>(data.data()),
                                      static_cast<int32_t>(data.size()), &response, 0);
    if (status != KORNET_OK) {
        Error(job, FormatName(kJxUnableToUpload, remoteName) + StatusText(status, response.error));
        return JxFileStep::LinkFailure;
    }
    return JxFileStep::Done;
}

JxFileStep DownloadFile(const CFileTransferJob& job, const std::string& folder, const std::string& name,
                        std::string& localName)
{
    const std::optional<std::string> local = JxLocalNameForRemote(name);
    if (!local) {
        Error(job, FormatName(kJxUnableToSave, name));
        return JxFileStep::LocalFailure;
    }
    const CFetch fetch = Fetch(job, name);
    if (fetch.outOfMemory) {
        Error(job, kJxOutOfMemory);
        return JxFileStep::LocalFailure;
    }
    if (!fetch.Ok()) {
        Error(job, FormatName(kJxUnableToOpen, name) + fetch.Cause());
        return JxFileStep::LinkFailure;
    }
    if (!SaveLocalFile(folder, *local, fetch.bytes)) {
        Error(job, FormatName(kJxUnableToSave, *local));
        return JxFileStep::LocalFailure;
    }
    localName = *local;
    return JxFileStep::Done;
}

// The closing refresh of a batch. After Abort the lists stay as they are,
// so the link is not kept busy for a listing nobody will see.
void RefreshAfterBatch(const CFileTransferJob& job, CFileTransferOutcome& out, const CRemotePaneState& shown,
                       const CListSortState& sort)
{
    if (job.stop.load()) return;
    CFileTransferOutcome refreshed = RefreshRemoteList(job, shown, sort);
    out.remoteFilled = refreshed.remoteFilled;
    out.remote = std::move(refreshed.remote);
}

}  // namespace

// ---- the report --------------------------------------------------------------
CFileTransferReport::CFileTransferReport(IProgressView* view, const std::atomic<bool>& stop, AskFunction ask)
    : m_view(view), m_stop(stop), m_ask(std::move(ask))
{
}

void CFileTransferReport::SetStatusText(const std::string& text)
{
    if (m_view == nullptr) return;
    const bool stopped = m_stop.load();
    m_view->SetStatusText(stopped ? kJxCancelling : text);
    // Abort may have come between the check and the text: say it again.
    if (!stopped && m_stop.load()) m_view->SetStatusText(kJxCancelling);
}

void CFileTransferReport::ReportError(const std::string& message)
{
    if (!m_stop.load()) JxShowMessage(JxMessageKind::Critical, message);
}

void CFileTransferReport::ShowMessage(JxMessageKind kind, const std::string& message) { JxShowMessage(kind, message); }

std::optional<std::string> CFileTransferReport::AskNewName(const CRenameFileRequest& request)
{
    if (!m_ask) return std::nullopt;
    return m_ask(request);
}

// ---- jobs --------------------------------------------------------------------
CFileTransferOutcome RefreshRemoteList(const CFileTransferJob& job, const CRemotePaneState& shown,
                                       const CListSortState& sort)
{
    CFileTransferOutcome out;
    out.remote = shown;
    Status(job, FormatName(kJxRetrievingFile, kJxDirectoryDocument));
    const CFetch directory = Fetch(job, kJxDirectoryDocument);
    if (directory.outOfMemory) {
        Error(job, kJxOutOfMemory);
        return out;
    }
    if (!directory.Ok() || job.stop.load()) {
        Error(job, FormatName(kJxRefreshFailedOpen, kJxDirectoryDocument) + directory.Cause());
        return out;
    }
    if (job.stop.load()) {
        Show(job, out, shown, sort, std::nullopt, directory.bytes);
        return out;
    }

    Status(job, FormatName(kJxRetrievingFile, kJxStatusDocument));
    const CFetch status = Fetch(job, kJxStatusDocument);
    if (status.outOfMemory) {
        Error(job, kJxOutOfMemory);
        return out;
    }
    if (!status.Ok()) {
        Error(job, FormatName(kJxUnableToOpen, kJxStatusDocument) + status.Cause());
        Show(job, out, shown, sort, std::nullopt, directory.bytes);
    } else {
        Show(job, out, shown, sort, std::string_view(status.bytes), directory.bytes);
    }
    return out;
}

CFileTransferOutcome UploadFiles(const CFileTransferJob& job, const std::string& localFolderText,
                                 const std::vector<std::string>& selection, const CRemotePaneState& shown,
                                 const CListSortState& sort)
{
    const std::string localFolder = JxWithFinalSeparator(localFolderText);
    CFileTransferOutcome out;
    out.remote = shown;
    if (selection.empty()) return out;
    for (const std::string& name : selection) {
        if (job.stop.load()) break;
        Status(job, FormatName(kJxSendingFile, name));
        std::string remoteName;
        const JxFileStep step = UploadFile(job, localFolder, name, remoteName);
        if (step == JxFileStep::Done) out.completed.push_back(remoteName);
        if (step == JxFileStep::LinkFailure) {
            out.batchStopped = &name != &selection.back();
            break;
        }
    }
    RefreshAfterBatch(job, out, shown, sort);
    return out;
}

CFileTransferOutcome DownloadFiles(const CFileTransferJob& job, const std::string& localFolderText,
                                   const std::vector<std::string>& selection)
{
    const std::string localFolder = JxWithFinalSeparator(localFolderText);
    CFileTransferOutcome out;
    if (selection.empty()) return out;
    out.refillLocalList = true;
    Wait(job, kJxDownloadStartWaitMs);
    for (const std::string& name : selection) {
        if (job.stop.load()) break;
        Status(job, FormatName(kJxRetrievingFile, name));
        std::string localName;
        const JxFileStep step = DownloadFile(job, localFolder, name, localName);
        if (step == JxFileStep::Done) {
            out.completed.push_back(localName);
        } else if (WritableLocalFile(localFolder, name)) {
            out.batchStopped = &name != &selection.back();
            break;
        }
    }
    return out;
}

CFileTransferOutcome DeleteRemoteFiles(const CFileTransferJob& job, const std::vector<std::string>& selection,
                                       const CRemotePaneState& shown, const CListSortState& sort)
{
    CFileTransferOutcome out;
    out.remote = shown;
    if (selection.empty()) return out;
    Status(job, kJxDeletingFiles);
    for (const std::string& name : selection) {
        if (job.stop.load()) break;
        Status(job, FormatName(kJxDeletingFile, name));
        jx_resp_delete_file_s response{};
        const int16_t status = job.link.JxDeleteFile(job.address, name.c_str(), &response, 0);
        if (status != KORNET_OK) {
            job.report.ShowMessage(JxMessageKind::Critical,
                                   FormatName(kJxUnableToDelete, name) + StatusText(status, response.error));
        } else {
            out.completed.push_back(name);
        }
    }
    RefreshAfterBatch(job, out, shown, sort);
    return out;
}

CFileTransferOutcome RenameRemoteFiles(const CFileTransferJob& job, const std::vector<std::string>& selection,
                                       std::vector<std::string> knownNames, const CRemotePaneState& shown,
                                       const CListSortState& sort)
{
    CFileTransferOutcome out;
    out.remote = shown;
    if (selection.empty()) return out;
    Status(job, kJxRenamingFiles);
    for (const std::string& name : selection) {
        if (job.stop.load()) break;
        const std::optional<std::string> newName =
            job.report.AskNewName(CRenameFileRequest::ControllerRename(name, knownNames));
        if (!newName) continue;
        const CLinkStepResult renamed = RenameRemoteFile(job.link, job.address, name, *newName);
        if (!renamed.ok) {
            job.report.ShowMessage(JxMessageKind::Critical, renamed.message);
            continue;
        }
        if (auto it = std::find(knownNames.begin(), knownNames.end(), name); it != knownNames.end())
            knownNames.erase(it);
        knownNames.push_back(*newName);
        out.completed.push_back(*newName);
    }
    RefreshAfterBatch(job, out, shown, sort);
    return out;
}

// ---- the window's own exchanges ------------------------------------------------
CInPlaceRenameCheck CheckRemoteInPlaceRename(const std::string& oldName, const std::string& newText,
                                             const std::vector<std::string>& listedNames)
{
    if (newText == oldName) return {};
    if (newText.empty()) return {false, kJxMustTypeName};
    if (std::find(listedNames.begin(), listedNames.end(), newText) != listedNames.end()) return {false, kJxNameExists};
    return {true, {}};
}

CLinkStepResult RenameRemoteFile(CKorNetwork& link, uint8_t address, const std::string& oldName,
                                 const std::string& newName)
{
    jx_resp_rename_file_s response{};
    const int16_t status = link.JxRenameFile(address, oldName.c_str(), newName.c_str(), &response, 0);
    if (status != KORNET_OK) return {false, FormatName(kJxUnableToRename, oldName) + StatusText(status, response.error)};
    return {true, {}};
}

CResetOutcome ResetDisplay(CKorNetwork& link, uint8_t address, uint8_t resetOption)
{
    jx_resp_reset_display_s response{};
    const int16_t status = link.JxResetDisplay(address, resetOption, 0, &response);
    // A controller may restart before its reply leaves it: silence is success.
    if (status == KORNET_OK || status == ERR_SIGN_NO_RESPONSE)
        return {true, JxMessageKind::Information, kJxDisplayResetDone};
    return {false, JxMessageKind::Critical, kJxUnableToReset + StatusText(status, response.error)};
}

// ---- names -------------------------------------------------------------------
std::optional<std::string> JxLocalNameForRemote(const std::string& remoteName)
{
    std::string local = remoteName;
    for (char& c : local)
        if (c == '\\' || c == '/' || c == '\0') c = '-';
    if (local.empty() || local == "." || local == "..") return std::nullopt;
    return local;
}

std::string JxRemoteNameForLocal(const std::string& localName)
{
    std::string upper = localName;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}
