// The Link Monitor under a flood: 20 000 frames pushed by a link thread as
// fast as it can while the window is open. The window must take them all,
// in order, and its event loop must keep turning meanwhile.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <thread>

#include "Frames.h"
#include "GuiTest.h"
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
