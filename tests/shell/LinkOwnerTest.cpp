// Connect and disconnect steps of a link operation, with their messages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

#include "MessageRecorder.h"
#include "PtyPeer.h"
#include "connection/LinkOperation.h"
#include "connection/CProgressState.h"

#include <thread>

namespace {
class CRecordingView : public IProgressView {
public:
    std::vector<std::string> texts;
    int position = -1, range = -1;
    int disables = 0, enables = 0;
    void SetStatusText(const std::string& t) override { texts.push_back(t); }
    void SetProgress(int p, int r) override
    {
        position = p;
        range = r;
    }
    void SetRange(int r) override { range = r; }
    void StepProgress() override { ++position; }
    void DisableAbort() override { ++disables; }
    void EnableAbort() override { ++enables; }
};

class LinkOwner : public ::testing::Test {
protected:
    TempDir dir;
    PtyPeer peer{dir, 6};
    CLinkOwner owner;
    CRecordingView view;
    CMessageRecorder messages;
    void SetUp() override { owner.SetProgressView(&view); }
    void TearDown() override { owner.Link().Disconnect(); }
};

TEST_F(LinkOwner, ConnectsWithTheConfiguredPort)
{
    EXPECT_TRUE(owner.ConnectToDisplay([](CKorNetwork& l) { return l.ConfigureDirect(6, 19200, false) == 0; }));
    EXPECT_EQ(view.texts, std::vector<std::string>{"Connecting to Network..."});
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(owner.Link().Connect(), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_TRUE(owner.DisconnectFromDisplay());
}

TEST_F(LinkOwner, FailuresAndTheirMessages)
{
    EXPECT_FALSE(owner.ConnectToDisplay([](CKorNetwork&) { return false; }));
    EXPECT_FALSE(owner.ConnectToDisplay([](CKorNetwork& l) { return l.ConfigureDirect(42, 19200, false) == 0; }));
    // another program holds COM6
    const int holder = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(owner.ConnectToDisplay([](CKorNetwork& l) { return l.ConfigureDirect(6, 19200, false) == 0; }));
    // a setting refused before the link is reached carries no older port's reason
    EXPECT_FALSE(owner.ConnectToDisplay([](CKorNetwork&) { return false; }));
    close(holder);
    EXPECT_EQ(messages.Messages(),
              (std::vector<std::string>{
                  "The network setting you specified is invalid.",
                  "Unable to connect to display: Network Connection Failed\nCOM42 is not a known port: no serial "
                  "device is numbered so. Name its device with a line COM42=/dev/ttyUSB0 in " + dir.File("ports") + ".",
                  "Unable to connect to display: Network Connection Failed\n" + peer.SlavePath() +
                      " (COM6) is in use by another program: close that program and try again.",
                  "The network setting you specified is invalid."}));
    // The operator's setting is refused; the connects themselves failed.
    EXPECT_EQ(messages.Kinds(), (std::vector<JxMessageKind>{JxMessageKind::Warning, JxMessageKind::Critical,
                                                            JxMessageKind::Critical, JxMessageKind::Warning}));
    EXPECT_TRUE(owner.ConnectToDisplay([](CKorNetwork& l) { return l.ConfigureDirect(6, 19200, false) == 0; }));
}

TEST_F(LinkOwner, AbortWhileConnectingUndoesTheConnection)
{
    const bool connected = owner.ConnectToDisplay([&](CKorNetwork& l) {
        owner.OnAbortRequest();  // the operator presses Abort meanwhile
        return l.ConfigureDirect(6, 19200, false) == 0;
    });
    EXPECT_FALSE(connected);
    EXPECT_EQ(view.texts.back(), "Cancelling communications...");
    EXPECT_EQ(view.disables, 1);
    EXPECT_EQ(view.enables, 1);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(owner.Link().Ping(1), ERR_COMMAND_NO_CONNECTION);

    // after a cancel every status reads the same, and failures stay silent
    owner.SetOperationStatus("Getting CONFIG.XML from display...");
    EXPECT_EQ(view.texts.back(), "Cancelling communications...");
    owner.ReportFailure("Unable to get CONFIG.XML: No Response from Display");
    EXPECT_TRUE(messages.Messages().empty());
    owner.ClearCancel();
    owner.ReportFailure("shown");
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"shown"});
}

TEST_F(LinkOwner, ProgressEventsMoveTheBoundBar)
{
    owner.Events().OnProgress(3, 10, 0);
    EXPECT_EQ(view.position, 3);
    EXPECT_EQ(view.range, 10);
    owner.SetProgressView(nullptr);
    owner.Events().OnProgress(5, 10, 0);  // nothing bound: ignored
    EXPECT_EQ(view.position, 3);
}

TEST_F(LinkOwner, DisconnectWithoutPortReportsIt)
{
    EXPECT_FALSE(owner.DisconnectFromDisplay());
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Unable to disconnect from display: Not Configured"});
    EXPECT_EQ(messages.Kinds(), std::vector<JxMessageKind>{JxMessageKind::Critical});
}
}  // namespace

// The progress window's values as plain state: what a worker writes through
// the owner is what the window (here, the test) reads, with no display.
TEST(ProgressState, WhatTheWorkerWritesIsWhatTheWindowReads)
{
    CLinkOwner owner;
    CProgressState state;
    int changes = 0;
    state.OnChange([&] { ++changes; });
    owner.SetProgressView(&state);
    std::thread worker([&] {
        owner.SetOperationStatus("Getting CONFIG.XML from display...");
        owner.Events().OnProgress(3, 10, 0);  // as the library calls it
        owner.DisableAbort();
    });
    worker.join();
    EXPECT_EQ(state.Snapshot(), (CProgressSnapshot{"Getting CONFIG.XML from display...", 3, 10, false, false}));

    owner.EnableAbort();
    owner.OnAbortRequest();  // the Abort button
    owner.SetOperationStatus("Sending CONFIG.XML to display...");
    state.StepProgress();
    state.RequestClose();
    EXPECT_EQ(state.Snapshot(), (CProgressSnapshot{"Cancelling communications...", 4, 10, true, true}));
    EXPECT_EQ(changes, 8);
    owner.SetProgressView(nullptr);
}
