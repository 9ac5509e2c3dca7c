// The "Communication Progress" window and link operations: the worker's
// requests reach the widgets on the window thread, Abort and its disabled
// state, and message boxes that the worker waits for.
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <future>

#include "GuiTest.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/RunLinkOperation.h"
#include "shell/views/CQtMessageSink.h"

namespace {
class ProgressWindow : public GuiTest {
protected:
    CLinkOwner owner;
    void TearDown() override
    {
        SetProgressWindowObserver(nullptr);
        GuiTest::TearDown();
    }
};

// The worker waits on `gate` (opened by the window thread once it checked
// the window); a gate that never opens fails instead of hanging.
bool WaitGate(std::future<void>& gate) { return gate.wait_for(std::chrono::seconds(20)) == std::future_status::ready; }

TEST_F(ProgressWindow, ANotificationOfThreeOfTenShowsTheBarAt30Percent)
{
    std::promise<void> checked;
    std::future<void> gate = checked.get_future();
    QString barText, status;
    int value = -1, maximum = -1;
    CCommProgressDialog* window = nullptr;
    SetProgressWindowObserver([&](CCommProgressDialog& d) { window = &d; });

    const bool result = RunLinkOperation(nullptr, owner, [&] {
        owner.SetOperationStatus("Getting CONFIG.XML from display...");
        owner.Events().OnProgress(3, 10, 0);  // as the library calls it, on the worker
        QTimer::singleShot(0, qApp, [&] {
            // Queued after the requests above: they have been drawn by now.
            auto* bar = window->findChild<QProgressBar*>("progressBar");
            value = bar->value();
            maximum = bar->maximum();
            barText = bar->text();
            status = window->findChild<QLabel*>("statusText")->text();
            checked.set_value();
        });
        return WaitGate(gate);
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(maximum, 10);
    EXPECT_EQ(barText, "30%");
    EXPECT_EQ(status, "Getting CONFIG.XML from display...");
    EXPECT_EQ(owner.ProgressView(), nullptr);
    EXPECT_EQ(owner.Events().Bound(), nullptr);
}

TEST_F(ProgressWindow, AbortRequestsBeforeTheWindowIsUpApplyWhenItShows)
{
    {
        CCommProgressDialog d(nullptr, &owner);
        d.DisableAbort();
        d.show();
        Settle();
        EXPECT_FALSE(d.findChild<QPushButton*>("abortButton")->isEnabled());
        d.EnableAbort();
        EXPECT_TRUE(d.findChild<QPushButton*>("abortButton")->isEnabled());
    }
    {
        CCommProgressDialog d(nullptr, &owner);
        d.DisableAbort();
        d.EnableAbort();  // the latest request wins
        d.show();
        Settle();
        EXPECT_TRUE(d.findChild<QPushButton*>("abortButton")->isEnabled());
    }
}

TEST_F(ProgressWindow, AbortWhileDisabledDoesNothingAndNeverClosesTheWindow)
{
    CCommProgressDialog d(nullptr, &owner);
    owner.SetProgressView(&d);
    d.show();
    Settle();
    d.DisableAbort();
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    EXPECT_FALSE(owner.Cancelled());
    EXPECT_TRUE(d.isVisible());

    d.EnableAbort();
    QTest::mouseClick(d.findChild<QPushButton*>("abortButton"), Qt::LeftButton);
    EXPECT_TRUE(owner.Cancelled());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.findChild<QLabel*>("statusText")->text(), "Cancelling communications...");
    // Every later status reads the same until the operation ends.
    owner.SetOperationStatus("Sending CONFIG.XML to display...");
    EXPECT_EQ(d.StatusText(), "Cancelling communications...");
    owner.SetProgressView(nullptr);
}

TEST_F(ProgressWindow, AWorkerWaitsForItsMessageBoxOnTheWindowThread)
{
    CQtMessageSink sink;
    IMessageSink* previous = JxSetMessageSink(&sink);
    std::atomic<bool> returned{false};
    QString title, text;
    int buttons = 0;
    bool onWindowThread = false, workerStillWaiting = false;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        onWindowThread = box->thread() == qApp->thread() && QThread::currentThread() == qApp->thread();
        workerStillWaiting = !returned.load();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    RunLinkOperation(nullptr, owner, [&] {
        owner.ReportFailure("Unable to get CONFIG.XML: No Response from Display");
        returned = true;
        return false;
    });
    JxSetMessageSink(previous);
    EXPECT_EQ(title, "JxConfig");
    EXPECT_EQ(text, "Unable to get CONFIG.XML: No Response from Display");
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(onWindowThread);
    EXPECT_TRUE(workerStillWaiting);
    EXPECT_TRUE(returned);
}

TEST_F(ProgressWindow, AnOperationThatEndsAtOnceStillEndsItsWindow)
{
    for (int i = 0; i < 20; ++i) EXPECT_EQ(RunLinkOperation(nullptr, owner, [] { return true; }), true);
    EXPECT_FALSE(owner.Cancelled());
}
}  // namespace
