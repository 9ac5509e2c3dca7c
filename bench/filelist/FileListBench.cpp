// A remote list of 157 000 files in the File Transfer window's model and view:
// filling it, sorting it by "Size" and by "Name" (as a column click does) and
// painting its last page. Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QHeaderView>
#include <QTreeView>
#include <cstdlib>
#include <memory>
#include <random>

#include "filetransfer/views/CFileListModel.h"

namespace {

constexpr int kRows = 157000;

std::vector<CFileListRow> Rows()
{
    std::mt19937 gen(3);
    std::vector<CFileListRow> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        CFileListRow& r = rows[static_cast<size_t>(i)];
        r.name = "MSG" + std::to_string(gen() % 1000000) + (i % 3 == 0 ? ".xml" : ".TXT");
        r.sizeText = std::to_string(gen() % 5000000);
        r.timeText = "01/01/26 00:00:00";
    }
    return rows;
}

struct Shown {
    CFileListModel model;
    QTreeView view;
    Shown()
    {
        view.setModel(&model);
        view.setUniformRowHeights(true);
        view.setRootIsDecorated(false);
        view.resize(500, 600);
        view.show();
    }
};

void BM_Fill(benchmark::State& state)
{
    const std::vector<CFileListRow> rows = Rows();
    Shown shown;
    for (auto _ : state) {
        shown.model.SetRows(rows, CListSortState{});
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

void BM_SortByColumnClick(benchmark::State& state)
{
    Shown shown;
    shown.model.SetRows(Rows(), CListSortState{});
    CListSortState sort;
    int column = 1;
    for (auto _ : state) {
        sort.OnColumnClick(column);
        shown.model.Sort(sort);
        QApplication::processEvents();
        column = 1 - column;  // Size, Name, Size, ...
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortByColumnClick)->Unit(benchmark::kMillisecond);

void BM_PaintLastPage(benchmark::State& state)
{
    Shown shown;
    shown.model.SetRows(Rows(), CListSortState{});
    bool end = false;
    for (auto _ : state) {
        end ? shown.view.scrollToBottom() : shown.view.scrollToTop();
        end = !end;
        // Renders the rows now, as the window system would after the scroll.
        benchmark::DoNotOptimize(shown.view.viewport()->grab());
    }
}
BENCHMARK(BM_PaintLastPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
