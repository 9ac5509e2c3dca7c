// The File Transfer window's jobs against a simulated controller over
// loopback TCP, as its background jobs run them: what the controller holds
// afterwards, what lands in the local folder (and nowhere else), and what
// the operator is told, also after a cut line and after Abort.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "RowPrinter.h"
#include "TempDir.h"
#include "filetransfer/FileTransferJobs.h"
#include "jxsim/CJxSimulator.h"
#include "shell/StatusText.h"

#include <KorNet.h>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

jxsim::Bytes Noise(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    jxsim::Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

std::string Text(const jxsim::Bytes& b) { return std::string(b.begin(), b.end()); }

Names FilesIn(const std::string& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Everything a job tells the window, and the dialog's answers: each question
// is answered by typing the next text of `typed` into the Rename File rules
// until they accept it or cancel.
class CRecordedReport : public IFileTransferReport {
public:
    void SetStatusText(const std::string& text) override { Add(statuses, text); }
    void ReportError(const std::string& message) override { Add(errors, message); }
    void ShowMessage(JxMessageKind, const std::string& message) override { Add(boxes, message); }
    std::optional<std::string> AskNewName(const CRenameFileRequest& request) override
    {
        while (!typed.empty()) {
            const std::string text = typed.front();
            typed.erase(typed.begin());
            const CRenameFileAnswer answer = RenameFileOk(request, text);
            if (answer.outcome == JxRenameOutcome::Accept) return answer.newName;
            if (answer.outcome == JxRenameOutcome::Cancel) return std::nullopt;
            Add(dialogMessages, answer.message);
        }
        return std::nullopt;
    }

    Names statuses, errors, boxes, dialogMessages, typed;

private:
    void Add(Names& to, const std::string& text)
    {
        std::lock_guard lock(m_mutex);
        to.push_back(text);
    }
    std::mutex m_mutex;
};

// Stops the job on the first progress event of a transfer, as the Abort
// button does from the window's thread: the stop flag, then the link.
class CAbortOnProgress : public CKorNetworkEvents {
public:
    CAbortOnProgress(CKorNetwork& link, std::atomic<bool>& stop) : m_link(link), m_stop(stop) {}
    void OnCallState(uint32_t, uint32_t, int16_t) override {}
    void OnProgress(int16_t done, int16_t, int16_t) override
    {
        if (armed && done > 0 && !m_stop.load()) {
            m_stop.store(true);
            m_link.Abort();
        }
    }
    std::atomic<bool> armed{false};

private:
    CKorNetwork& m_link;
    std::atomic<bool>& m_stop;
};

class FileTransferSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        jxsim::CSimOptions options;
        options.samples = false;
        options.displayName = "Dock 2";
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
        ASSERT_TRUE(sim->RemoveFile("CONFIG.XML"));
        link.SetTimeOut(300);
        link.SetMaxNumberOfRetries(1);
        const uint8_t loopback[4] = {127, 0, 0, 1};
        ASSERT_EQ(link.ConfigureRemote(loopback, static_cast<int16_t>(sim->TcpPort())), KORNET_OK);
        ASSERT_EQ(link.Connect(), KORNET_OK);
        folder = dir.Path() + "/local/";
        fs::create_directory(folder);
    }
    void TearDown() override { link.Disconnect(); }

    Names RemoteNames() const
    {
        Names names;
        for (const auto& f : sim->Files()) names.push_back(f.name);
        std::sort(names.begin(), names.end());
        return names;
    }
    static Names RowNames(const CRemotePaneState& pane)
    {
        Names names;
        for (const auto& row : pane.rows) names.push_back(row.name);
        return names;
    }

    std::unique_ptr<jxsim::CJxSimulator> sim;
    CKorNetwork link;
    std::atomic<bool> stop{false};
    CRecordedReport report;
    std::vector<int> waits;
    CFileTransferJob job{link, 1, stop, report, [this](int ms) { waits.push_back(ms); }};
    TempDir dir;
    std::string folder;
};

}  // namespace

TEST_F(FileTransferSim, UploadBatches)
{
    struct Case {
        const char* label;
        Names local;        // files present in the local folder
        Names selection;
        const char* failFile;  // the controller refuses this one (Out of File Memory)
        Names remote;       // what the controller holds afterwards
        Names errors;
        bool stopped;
    } cases[] = {
        {"a file gets its upper-case name", {"readme.txt"}, {"readme.txt"}, nullptr, {"README.TXT"}, {}, false},
        {"a missing file is skipped", {"a.txt", "c.txt"}, {"a.txt", "b.txt", "c.txt"}, nullptr,
         {"A.TXT", "C.TXT"}, {"Could not open b.txt to send to display."}, false},
        {"a folder cannot be read and is skipped", {"a.txt"}, {"sub", "a.txt"}, nullptr, {"A.TXT"},
         {"Could not read sub to send to display."}, false},
        {"a refused send stops the batch", {"a.txt", "b.txt", "c.txt"}, {"a.txt", "b.txt", "c.txt"}, "B.TXT",
         {"A.TXT"}, {"Unable to upload B.TXT: " + StatusText(ERR_SIGN_RESPONSE_ERROR, 4)}, true},
        {"no selection does nothing", {"a.txt"}, {}, nullptr, {}, {}, false},
    };
    int seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const auto& f : sim->Files()) sim->RemoveFile(f.name);
        fs::remove_all(folder);
        fs::create_directories(folder + "sub");
        for (const auto& name : c.local) WriteWholeFile(folder + name, Text(Noise(600 + seed * 100, seed)) + name);
        ++seed;
        if (c.failFile) sim->FailFile(c.failFile, 4);
        report.errors.clear();
        sim->ClearCommands();

        const CFileTransferOutcome out = UploadFiles(job, folder, c.selection, {}, {});
        sim->ClearFaults();
        sim->FailFile(c.failFile ? c.failFile : "", 0);
        EXPECT_EQ(RemoteNames(), c.remote);
        EXPECT_EQ(report.errors, c.errors);
        EXPECT_EQ(out.batchStopped, c.stopped);
        EXPECT_EQ(out.completed, c.remote);
        for (const auto& name : c.remote) {
            jxsim::Bytes stored;
            ASSERT_TRUE(sim->GetFile(name, stored));
            std::string local = name;
            std::transform(local.begin(), local.end(), local.begin(), ::tolower);
            EXPECT_EQ(Text(stored), ReadWholeFile(folder + local)) << name;
        }
        if (c.selection.empty()) {
            EXPECT_TRUE(sim->Commands().empty());
            EXPECT_FALSE(out.remoteFilled);
        } else {
            // the batch ends with a fresh listing
            EXPECT_TRUE(out.remoteFilled);
            EXPECT_EQ(RowNames(out.remote), c.remote);
            EXPECT_EQ(out.remote.displayName, "Dock 2");
        }
    }
}

TEST_F(FileTransferSim, CutLineStopsAnUploadBatch)
{
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) WriteWholeFile(folder + name, Text(Noise(20000, name[0])));
    sim->CloseAfterBlocks(3);
    const CFileTransferOutcome out = UploadFiles(job, folder, {"a.bin", "b.bin", "c.bin"}, {}, {});
    EXPECT_TRUE(out.batchStopped);
    EXPECT_TRUE(out.completed.empty());
    EXPECT_EQ(RemoteNames(), Names{});
    // the failed file, then the listing that could not be fetched either
    ASSERT_EQ(report.errors.size(), 2u);
    EXPECT_EQ(report.errors[0].rfind("Unable to upload A.BIN: ", 0), 0u) << report.errors[0];
    EXPECT_EQ(report.errors[1].rfind("Refresh failed.\nUnable to open DIRECTORY.XML: ", 0), 0u) << report.errors[1];
    EXPECT_FALSE(out.remoteFilled);
}

TEST_F(FileTransferSim, DownloadsStayInsideTheLocalFolder)
{
    const std::pair<std::string, std::string> files[] = {
        {"FONTS\\A.FNT", "FONTS-A.FNT"}, {"IMG/B.BMP", "IMG-B.BMP"}, {"..\\..\\x", "..-..-x"},
        {"../../y", "..-..-y"},          {"PLAIN.TXT", "PLAIN.TXT"},
    };
    Names selection = {".."};
    Names expectedLocal;
    uint32_t seed = 10;
    for (const auto& [remote, local] : files) {
        ASSERT_TRUE(sim->PutFile(remote, Noise(3000, ++seed)));
        selection.push_back(remote);
        expectedLocal.push_back(local);
    }
    ASSERT_TRUE(sim->PutFile("..", Noise(10, 1)));
    std::sort(expectedLocal.begin(), expectedLocal.end());
    WriteWholeFile(folder + "PLAIN.TXT", "older copy");

    // the folder as typed, without its final "/"
    const CFileTransferOutcome out = DownloadFiles(job, dir.Path() + "/local", selection);
    EXPECT_EQ(report.errors, (Names{"Unable to save .. after retrieving it from display."}));
    EXPECT_TRUE(out.refillLocalList);
    EXPECT_EQ(waits, (std::vector<int>{kJxDownloadStartWaitMs}));
    EXPECT_EQ(FilesIn(folder), expectedLocal);  // nothing else, no temporary files left
    EXPECT_EQ(FilesIn(dir.Path()), (Names{"local"}));
    for (const auto& [remote, local] : files) {
        jxsim::Bytes stored;
        ASSERT_TRUE(sim->GetFile(remote, stored));
        EXPECT_EQ(ReadWholeFile(folder + local), Text(stored)) << remote;
    }
    EXPECT_EQ(out.completed.size(), 5u);

    // No folder at all: nothing is written where the program runs.
    report.errors.clear();
    const fs::path here = fs::current_path();
    fs::current_path(dir.Path());
    const CFileTransferOutcome nowhere = DownloadFiles(job, "", {"PLAIN.TXT"});
    fs::current_path(here);
    EXPECT_EQ(report.errors, (Names{"Unable to save PLAIN.TXT after retrieving it from display."}));
    EXPECT_EQ(FilesIn(dir.Path()), (Names{"local"}));
    EXPECT_TRUE(nowhere.completed.empty());
}

TEST_F(FileTransferSim, CutDownloadKeepsTheEarlierLocalFile)
{
    ASSERT_TRUE(sim->PutFile("BIG.BIN", Noise(40000, 3)));
    ASSERT_TRUE(sim->PutFile("NEXT.BIN", Noise(500, 4)));
    WriteWholeFile(folder + "BIG.BIN", "the operator's own copy");
    ::chmod((folder + "BIG.BIN").c_str(), 0640);
    sim->CloseAfterBlocks(5);

    const CFileTransferOutcome out = DownloadFiles(job, folder, {"BIG.BIN", "NEXT.BIN"});
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors[0].rfind("Unable to open BIG.BIN: ", 0), 0u) << report.errors[0];
    EXPECT_EQ(ReadWholeFile(folder + "BIG.BIN"), "the operator's own copy");
    // a writable local file of that name stops the batch
    EXPECT_TRUE(out.batchStopped);
    EXPECT_TRUE(out.completed.empty());
    EXPECT_EQ(FilesIn(folder), (Names{"BIG.BIN"}));

    // Once the line is back, the download replaces the file and keeps its mode.
    link.Disconnect();
    ASSERT_EQ(link.Connect(), KORNET_OK);
    report.errors.clear();
    const CFileTransferOutcome again = DownloadFiles(job, folder, {"BIG.BIN"});
    EXPECT_EQ(report.errors, Names{});
    EXPECT_EQ(ReadWholeFile(folder + "BIG.BIN"), Text(Noise(40000, 3)));
    EXPECT_EQ(fs::status(folder + "BIG.BIN").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(again.completed, Names{"BIG.BIN"});
}

TEST_F(FileTransferSim, AbortDuringDownloadsSaysNothingAndRefillsTheList)
{
    for (const char* name : {"A.BIN", "B.BIN", "C.BIN"}) ASSERT_TRUE(sim->PutFile(name, Noise(30000, name[0])));
    WriteWholeFile(folder + "A.BIN", "kept");
    CAbortOnProgress abort(link, stop);
    link.RegisterEventHandler(&abort, 0);
    abort.armed = true;

    const CFileTransferOutcome out = DownloadFiles(job, folder, {"A.BIN", "B.BIN", "C.BIN"});
    link.RegisterEventHandler(nullptr, 0);
    EXPECT_EQ(report.errors, Names{});
    EXPECT_TRUE(out.refillLocalList);
    EXPECT_TRUE(out.completed.empty());
    EXPECT_EQ(ReadWholeFile(folder + "A.BIN"), "kept");
    EXPECT_EQ(FilesIn(folder), (Names{"A.BIN"}));
    // the status text after Abort is the job's; the window turns it into "Cancelling..."
    EXPECT_EQ(report.statuses, (Names{"Retrieving A.BIN from display..."}));
}

TEST_F(FileTransferSim, RefreshWithoutStatusDocumentStillListsTheFiles)
{
    ASSERT_TRUE(sim->PutFile("LOGO.BMP", Noise(1234, 5), 1));
    sim->FailFile("STATUS.XML", 2);
    const CFileTransferOutcome out = RefreshRemoteList(job, {}, {});
    EXPECT_EQ(report.errors, (Names{"Unable to open STATUS.XML: " + StatusText(ERR_SIGN_RESPONSE_ERROR, 2)}));
    EXPECT_TRUE(out.remoteFilled);
    EXPECT_EQ(out.remote.rows, (std::vector<CFileListRow>{{"LOGO.BMP", "1234", "01/01/70 00:00:01", 0}}));
    EXPECT_EQ(out.remote.displayName, "");
    EXPECT_EQ(out.remote.memoryLine, "");
    EXPECT_EQ(report.statuses, (Names{"Retrieving DIRECTORY.XML from display...", "Retrieving STATUS.XML from display..."}));

    // Without a directory nothing changes.
    sim->FailFile("DIRECTORY.XML", 2);
    CRemotePaneState shown;
    shown.rows = {{"OLD.TXT", "1", "", 0}};
    const CFileTransferOutcome failed = RefreshRemoteList(job, shown, {});
    EXPECT_FALSE(failed.remoteFilled);
    EXPECT_EQ(failed.remote, shown);
    EXPECT_EQ(report.errors.back(),
              "Refresh failed.\nUnable to open DIRECTORY.XML: " + StatusText(ERR_SIGN_RESPONSE_ERROR, 2));
}

TEST_F(FileTransferSim, RenameBatchSeesItsOwnRenames)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"}) ASSERT_TRUE(sim->PutFile(name, Noise(100, name[0])));
    // A -> D; then C: D is now taken, A is free again.
    report.typed = {"D.TXT", "D.TXT", "", "A.TXT"};
    const CFileTransferOutcome out = RenameRemoteFiles(job, {"A.TXT", "C.TXT"}, {"A.TXT", "B.TXT", "C.TXT"}, {}, {});
    EXPECT_EQ(report.dialogMessages, (Names{kJxNameExists, kJxMustTypeName}));
    EXPECT_EQ(out.completed, (Names{"D.TXT", "A.TXT"}));
    EXPECT_EQ(RemoteNames(), (Names{"A.TXT", "B.TXT", "D.TXT"}));
    jxsim::Bytes stored;
    ASSERT_TRUE(sim->GetFile("A.TXT", stored));
    EXPECT_EQ(stored, Noise(100, 'C'));
    EXPECT_EQ(RowNames(out.remote), (Names{"A.TXT", "B.TXT", "D.TXT"}));
    EXPECT_EQ(report.boxes, Names{});

    // The in-place rename of a name the controller does not have.
    const CLinkStepResult missing = RenameRemoteFile(link, 1, "NONE.TXT", "X.TXT");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message.rfind("Unable to rename NONE.TXT: ", 0), 0u) << missing.message;
    EXPECT_EQ(RenameRemoteFile(link, 1, "B.TXT", "b.txt"), (CLinkStepResult{true, ""}));
    EXPECT_EQ(RemoteNames(), (Names{"A.TXT", "D.TXT", "b.txt"}));
}

TEST_F(FileTransferSim, DeleteBatchGoesOnAfterAFailure)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"}) ASSERT_TRUE(sim->PutFile(name, Noise(100, 1)));
    sim->FailFile("B.TXT", 1);
    const CFileTransferOutcome out = DeleteRemoteFiles(job, {"A.TXT", "B.TXT", "C.TXT"}, {}, {});
    EXPECT_EQ(report.boxes, (Names{"Unable to delete B.TXT: " + StatusText(ERR_SIGN_RESPONSE_ERROR, 1)}));
    EXPECT_EQ(out.completed, (Names{"A.TXT", "C.TXT"}));
    EXPECT_EQ(RowNames(out.remote), (Names{"B.TXT"}));
    EXPECT_EQ(report.errors, Names{});

    sim->ClearCommands();
    EXPECT_FALSE(DeleteRemoteFiles(job, {}, {}, {}).remoteFilled);
    EXPECT_FALSE(RenameRemoteFiles(job, {}, {"B.TXT"}, {}, {}).remoteFilled);
    EXPECT_FALSE(DownloadFiles(job, folder, {}).refillLocalList);
    EXPECT_TRUE(sim->Commands().empty());
}

TEST_F(FileTransferSim, ResetCountsSilenceAsDone)
{
    const CResetOutcome done{true, JxMessageKind::Information, kJxDisplayResetDone};
    EXPECT_EQ(ResetDisplay(link, 1, 1), done);
    EXPECT_EQ(sim->ResetCount(), 1);

    // A controller that resets before it answers.
    ASSERT_TRUE(sim->WaitForFrames(sim->FramesHandled(), 100));
    link.Disconnect();
    ASSERT_EQ(link.Connect(), KORNET_OK);
    sim->DropReplies(100);
    EXPECT_EQ(ResetDisplay(link, 1, 1), done);

    // A line that is gone is no reset.
    link.Disconnect();
    const CResetOutcome gone = ResetDisplay(link, 1, 1);
    EXPECT_FALSE(gone.done);
    EXPECT_EQ(gone.message.rfind(kJxUnableToReset, 0), 0u) << gone.message;
}
