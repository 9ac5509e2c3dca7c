// The Link Monitor under a flood: 20 000 frames pushed by a link thread as
// fast as it can while the window is open. The window must take them all,
// in order, and its event loop must keep turning meanwhile.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <thread>

#include "Frames.h"
#include "GuiTest.h"
#include "PtyPeer.h"
#include "shell/CJxConfigApp.h"
#include "monitor/views/CFrameTableModel.h"
#include "monitor/views/CLinkMonitorWnd.h"

TEST(LinkMonitorWindow, AFloodOfFramesKeepsTheWindowResponsive)
{
    constexpr int kFrames = 20000;
    CKorNetwork link;
    CLinkMonitorWnd monitor(link);
    monitor.show();
    IKorNetFrameObserver* observer = link.FrameObserver();
    ASSERT_NE(observer, nullptr) << "the open window observes its link";

    // The longest the event loop went without turning while the flood ran.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    beat.start();

    std::thread flood([observer] {
        for (int i = 0; i < kFrames; ++i) {
            const Bytes frame = MakeFrame(static_cast<uint8_t>(1 + i % 3), static_cast<uint8_t>((i % 16) << 4),
                                          {0x80, 0x06, 0x00, static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)});
            KorNetFrameRecord r;
            r.timeUs = i;
            r.bytes = frame.data();
            r.length = frame.size();
            observer->OnFrame(r);
        }
    });
    const auto& rows = monitor.Model().Rows();
    for (int i = 0; i < 2000 && static_cast<int>(rows.size()) < kFrames; ++i) QTest::qWait(10);
    flood.join();
    beat.stop();

    ASSERT_EQ(static_cast<int>(rows.size()), kFrames);
    for (int i = 0; i < kFrames; i += 997) EXPECT_EQ(rows[static_cast<size_t>(i)].decoded.block, i) << i;
    // Speed is the benchmark's business; this bound only catches a window
    // that draws frame by frame and stalls for seconds.
    EXPECT_LT(longest, 1000) << "the event loop stood still for " << longest << " ms";
    std::printf("longest pause of the event loop during the flood: %lld ms\n", static_cast<long long>(longest));

    auto* table = monitor.findChild<QTableView*>("frameTable");
    ASSERT_NE(table, nullptr);
    monitor.findChild<QLineEdit*>("addressFilter")->setText("2");
    EXPECT_EQ(table->model()->rowCount(), (kFrames + 1) / 3);  // addresses 1, 2, 3 in turn
}

// Past its row limit the table lets the oldest frames go, never the newest.
TEST(LinkMonitorWindow, TheTableKeepsTheLatestFramesPastItsLimit)
{
    CFrameTableModel model;
    model.SetRowLimit(100);
    for (int batch = 0; batch < 5; ++batch) {
        std::vector<CCapturedFrame> frames(50);
        for (int i = 0; i < 50; ++i) {
            const int n = batch * 50 + i;
            frames[static_cast<size_t>(i)].bytes = MakeFrame(1, 0x10, {0x80, 0x05, 0x00, static_cast<uint8_t>(n), 0});
        }
        model.Append(std::move(frames));
        ASSERT_LE(model.rowCount(), 100);
    }
    ASSERT_GT(model.rowCount(), 0);
    EXPECT_EQ(model.Rows().back().decoded.block, 249);
    EXPECT_EQ(model.Rows().front().decoded.block, 250 - model.rowCount());
}

// The "Diagnostics log" box: on, the watched link logs every attempt into
// the folder at once, and so does every link the tool configures later;
// off, nothing more is written; a folder that cannot hold the log says so
// and leaves the box off.
class MonitorDiagnostics : public GuiTest {};

TEST_F(MonitorDiagnostics, TheBoxSwitchesTheLibraryLog)
{
    PtyPeer peer(dir, 4);  // never answers
    CMemorySettingsStore user, machine;
    machine.exists = false;
    CJxConfigApp app(user, machine);
    CKorNetwork link;
    link.SetTimeOut(20);
    link.SetMaxNumberOfRetries(0);
    ASSERT_EQ(link.ConfigureDirect(4, 19200, false), KORNET_OK);
    ASSERT_EQ(link.Connect(), KORNET_OK);
    CLinkMonitorWnd monitor(link, &app);
    monitor.show();
    auto* box = Find<QCheckBox>(monitor, "diagnosticsLog");
    auto* folder = Find<QLineEdit>(monitor, "diagnosticsFolder");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(folder->text().toStdString(), app.DefaultDiagnosticsFolder());

    const std::string logs = dir.File("logs");
    const std::string file = logs + "/Direct COM4.txt";
    folder->setText(QString::fromStdString(logs));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(folder->text().toStdString(), logs + "/");
    EXPECT_EQ(link.Ping(3), ERR_SIGN_NO_RESPONSE);
    const std::string logged = ReadWholeFile(file);
    EXPECT_NE(logged.find("Error Status: ERR_SIGN_NO_RESPONSE\n"), std::string::npos) << logged;

    CKorNetwork later;  // a link the tool configures afterwards logs too
    app.ApplyNetworkPolicies(later, JxPolicyKind::Direct);
    EXPECT_EQ(app.Diagnostics(), (CDiagnosticsChoice{true, logs + "/"}));

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(link.Ping(3), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(ReadWholeFile(file), logged) << "nothing written once the box is off";

    WriteWholeFile(dir.File("plain"), "x");
    folder->setText(QString::fromStdString(dir.File("plain")));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(messages.Kinds(), std::vector<JxMessageKind>{JxMessageKind::Critical});
    EXPECT_EQ(link.Ping(3), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(ReadWholeFile(file), logged);
    link.Disconnect();
}
