// The remote operations of the File Transfer window without the window: the
// background jobs (list, upload, download, delete, rename batch) as plain
// functions that a worker thread runs on the window's link, and the two
// short exchanges the window makes itself (the in-place rename and the
// reset). A job tells the window what it is doing through a small report
// interface and hands back one outcome value: the remote pane to show and
// whether the local list must be filled again. The window owns the link,
// the stop flag and the lists; a job reads copies of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <KorNet.h>

#include "filetransfer/RemotePane.h"
#include "filetransfer/RenameRules.h"
#include "shell/MessageBox.h"
#include "shell/StatusText.h"

class IProgressView;

// ---- texts -------------------------------------------------------------------
inline constexpr const char* kJxDirectoryDocument = "DIRECTORY.XML";
inline constexpr const char* kJxStatusDocument = "STATUS.XML";
inline constexpr const char* kJxRetrievingFile = "Retrieving %s from display...";
inline constexpr const char* kJxRefreshFailedOpen = "Refresh failed.\nUnable to open %s: ";
inline constexpr const char* kJxOutOfMemory = "Out of memory.";
inline constexpr const char* kJxUnableToOpen = "Unable to open %s: ";
inline constexpr const char* kJxSendingFile = "Sending %s to display...";
inline constexpr const char* kJxCouldNotOpenToSend = "Could not open %s to send to display.";
inline constexpr const char* kJxCouldNotReadToSend = "Could not read %s to send to display.";
inline constexpr const char* kJxUnableToUpload = "Unable to upload %s: ";
inline constexpr const char* kJxUnableToSave = "Unable to save %s after retrieving it from display.";
inline constexpr const char* kJxDeletingFiles = "Deleting files...";
inline constexpr const char* kJxDeletingFile = "Deleting %s from display...";
inline constexpr const char* kJxUnableToDelete = "Unable to delete %s: ";
inline constexpr const char* kJxRenamingFiles = "Renaming files...";
inline constexpr const char* kJxRenamingFile = "Renaming file...";
inline constexpr const char* kJxUnableToRename = "Unable to rename %s: ";
inline constexpr const char* kJxDisplayResetDone =
    "The display has been reset and the connection will be closed.\n"
    "Wait until the boot sequence is complete before reconnecting.";

// A download batch waits this long before its first file.
inline constexpr int kJxDownloadStartWaitMs = 1000;

// ---- what a job tells the window ----------------------------------------------
// Called from the job's worker thread. The window forwards to its progress
// window and message boxes (blocking where the worker waits for an answer).
class IFileTransferReport {
public:
    virtual ~IFileTransferReport() = default;
    // The progress window's text. The job passes its own text; the window
    // shows "Cancelling communications..." instead while the stop flag is set.
    virtual void SetStatusText(const std::string& text) = 0;
    // The error report: a critical box. The job calls it only while the stop
    // flag is clear (an aborted job says nothing about the failures Abort caused).
    virtual void ReportError(const std::string& message) = 0;
    // A box shown whatever the stop flag says (the delete and rename batches).
    virtual void ShowMessage(JxMessageKind kind, const std::string& message) = 0;
    // The Rename File dialog in front of the progress window (controller
    // rename mode for the rename batch). The new name, or nothing for Cancel.
    virtual std::optional<std::string> AskNewName(const CRenameFileRequest& request) = 0;
};

// The usual report: status texts to a progress view (may be null) with the
// cancelling text while `stop` is set, boxes through JxShowMessage, and the
// dialog through `ask` (none: every rename is cancelled).
class CFileTransferReport : public IFileTransferReport {
public:
    using AskFunction = JxAskNewNameFunction;

    CFileTransferReport(IProgressView* view, const std::atomic<bool>& stop, AskFunction ask = {});

    void SetStatusText(const std::string& text) override;
    void ReportError(const std::string& message) override;
    void ShowMessage(JxMessageKind kind, const std::string& message) override;
    std::optional<std::string> AskNewName(const CRenameFileRequest& request) override;

private:
    IProgressView* m_view;
    const std::atomic<bool>& m_stop;
    AskFunction m_ask;
};

// ---- the jobs ------------------------------------------------------------------
// What every job works with. `stop` is the window's stop flag (set by Abort,
// together with the link's Abort); jobs test it between files.
struct CFileTransferJob {
    CKorNetwork& link;
    uint8_t address = 1;
    std::atomic<bool>& stop;
    IFileTransferReport& report;
    // Pauses the job; empty: sleeps, ending early once `stop` is set.
    std::function<void(int milliseconds)> wait;
};

// What a job leaves for the window to show.
struct CFileTransferOutcome {
    // The job's refresh read a directory: show `remote`. When false, `remote`
    // is the pane the window showed (empty for a download batch, which does
    // not list the controller): keep what is shown.
    bool remoteFilled = false;
    CRemotePaneState remote;
    // The local list must be filled again (every download batch that ran).
    bool refillLocalList = false;
    // The files the batch handled, in order: the controller's names for
    // uploads (upper case), deletes and renames (the new name), the local
    // names written for downloads.
    std::vector<std::string> completed;
    // A failure ended the batch before its last file.
    bool batchStopped = false;
};

// Fetches DIRECTORY.XML and STATUS.XML (compressed) and turns them into the
// remote pane (ShowDirectoryAndStatus, sorted by `sort`). Without a
// directory nothing changes; without a status the files are still shown.
CFileTransferOutcome RefreshRemoteList(const CFileTransferJob& job, const CRemotePaneState& shown,
                                       const CListSortState& sort);

// ">>": sends each selected file of `localFolder` (ends with "/") under its
// upper-case name, compressed. A file that cannot be opened or read is
// reported and skipped; a failed send is reported and stops the batch. Then
// RefreshRemoteList. An empty selection does nothing at all.
CFileTransferOutcome UploadFiles(const CFileTransferJob& job, const std::string& localFolder,
                                 const std::vector<std::string>& selection, const CRemotePaneState& shown,
                                 const CListSortState& sort);

// "<<": waits kJxDownloadStartWaitMs, then fetches each selected controller
// file (compressed) into `localFolder` under JxLocalNameForRemote. A file is
// written to a temporary file in the folder and renamed over the old one only
// when complete, so a failed download leaves an existing local file as it
// was. After a failure the batch goes on only when no writable local file of
// that name is there. The local list is to be refilled afterwards (also after
// Abort). An empty selection does nothing at all.
CFileTransferOutcome DownloadFiles(const CFileTransferJob& job, const std::string& localFolder,
                                   const std::vector<std::string>& selection);

// Remote "Delete": deletes each selected file without asking; a failure is a
// box shown even after Abort, and the batch goes on. Then RefreshRemoteList.
CFileTransferOutcome DeleteRemoteFiles(const CFileTransferJob& job, const std::vector<std::string>& selection,
                                       const CRemotePaneState& shown, const CListSortState& sort);

// Remote "Rename": asks for each selected file's new name (controller rename
// mode, against `knownNames`: every name of the remote list) and renames it.
// A rename that worked replaces the first equal old name in the known names,
// so later questions of the batch see it. Failures are boxes shown even after
// Abort. Then RefreshRemoteList.
CFileTransferOutcome RenameRemoteFiles(const CFileTransferJob& job, const std::vector<std::string>& selection,
                                       std::vector<std::string> knownNames, const CRemotePaneState& shown,
                                       const CListSortState& sort);

// ---- the window's own short exchanges ------------------------------------------
// The end of an in-place edit of a name in the remote list: whether to send
// the rename. `proceed` false with an empty message drops the edit silently;
// with a message the box is shown (Warning) and the edit dropped.
struct CInPlaceRenameCheck {
    bool proceed = false;
    std::string message;

    bool operator==(const CInPlaceRenameCheck&) const = default;
};
// Equal to the old name: dropped. Empty: "You must type a file name.". A name
// the list already shows (exact comparison): the existence message.
CInPlaceRenameCheck CheckRemoteInPlaceRename(const std::string& oldName, const std::string& newText,
                                             const std::vector<std::string>& listedNames);

// One link step that either worked or has a message for the operator.
struct CLinkStepResult {
    bool ok = false;
    std::string message;  // "Unable to rename OLD.TXT: ..." (Critical); empty when ok

    bool operator==(const CLinkStepResult&) const = default;
};
// JxRenameFile for the in-place rename (the window shows "Renaming file..."
// meanwhile). On success the row keeps the new name; nothing is refreshed.
CLinkStepResult RenameRemoteFile(CKorNetwork& link, uint8_t address, const std::string& oldName,
                                 const std::string& newName);

// Remote "Reset": JxResetDisplay(address, resetOption, 0). A display that
// answers with status 0, or does not answer at all (it may reset before it
// replies), is done: Information box kJxDisplayResetDone, then the window
// closes as with Disconnect. Anything else: Critical "Unable to reset
// display: " + cause, and the window stays.
struct CResetOutcome {
    bool done = false;
    JxMessageKind kind = JxMessageKind::Critical;
    std::string message;

    bool operator==(const CResetOutcome&) const = default;
};
CResetOutcome ResetDisplay(CKorNetwork& link, uint8_t address, uint8_t resetOption);

// ---- names ---------------------------------------------------------------------
// The local name of a controller file: every "\" and "/" (and NUL) becomes
// "-", so the file always lands inside the local folder. Nothing for a name
// that is empty, "." or ".." after that (it cannot be saved).
std::optional<std::string> JxLocalNameForRemote(const std::string& remoteName);
// The name a local file gets on the controller: A-Z folded up, other bytes kept.
std::string JxRemoteNameForLocal(const std::string& localName);
