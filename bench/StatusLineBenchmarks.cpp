// The editors' status line at the largest tables: what the live check summary
// costs the interface thread (opening an editor and loading the table, an
// edit, the table image each change takes) and how long until the summary is
// current (the worker's check of that image). The editors' own actions are in
// EditorBenchmarks.cpp and TunerEditorBenchmarks.cpp, status line included.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include <malloc.h>

#include <QCoreApplication>
#include <QString>
#include <QTest>

#include "bench/BenchFiles.h"
#include "bench/BenchServices.h"
#include "edit/CheckSummary.h"
#include "res/resource.h"
#include "tables/format/NodePool.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

EditorStatusLine& StatusLineOf(const CDialog& dlg)
{
    auto* pLine = qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine());
    if (!pLine)
        throw std::runtime_error("the editor has no status line");
    return *pLine;
}

// Delivers events until the summary is for the document as it is now.
void WaitUntilCurrent(EditorStatusLine& line)
{
    while (!line.IsCheckCurrent()) {
        line.Worker().WaitUntilIdle();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QString FileOf(const std::string& path)
{
    return QString::fromStdString(path);
}

// Reports the mean time from the action's start until the summary was current.
void ReportUntilCurrent(benchmark::State& state, double totalMs)
{
    state.counters["until_current_ms"] = benchmark::Counter(totalMs, benchmark::Counter::kAvgIterations);
}

// Whether an opening finds the memory of the one before still held by the
// allocators, as every opening after the first in a benchmark's loop would, or
// takes it from the system afresh, as the first opening in a program does.
enum class Memory
{
    Reused,
    Fresh,
};

template <class Dialog>
void OpenAndLoad(benchmark::State& state, const std::string& file, int loadButton, Memory memory = Memory::Reused)
{
    BenchServices services;
    double untilCurrent = 0.0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        auto pDlg = std::make_unique<Dialog>(services);
        pDlg->Create();
        services.fileAnswers.push_back(FileOf(file));
        QTest::mouseClick(pDlg->GetDlgItem(loadButton), Qt::LeftButton);
        QCoreApplication::processEvents();
        state.PauseTiming();
        WaitUntilCurrent(StatusLineOf(*pDlg));
        untilCurrent += MsSince(start);
        pDlg.reset();
        QCoreApplication::processEvents();
        if (memory == Memory::Fresh) {
            NodeBlockSystemRegions().ReleaseSpareRegions();
            malloc_trim(0);
        }
        state.ResumeTiming();
    }
    ReportUntilCurrent(state, untilCurrent);
}

void BM_StatusLine_OpenChannelEditorLargest(benchmark::State& state)
{
    OpenAndLoad<CFrequencyTableDlg>(state, BenchFiles::Get().chfq, IDC_BUTTON_LOAD_FROM_FILE);
}
BENCHMARK(BM_StatusLine_OpenChannelEditorLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusLine_OpenTunerEditorLargest(benchmark::State& state)
{
    OpenAndLoad<CTunerEditDlg>(state, BenchFiles::Get().tnsp, IDC_BUTTON_LOAD_TUNER_FILE);
}
BENCHMARK(BM_StatusLine_OpenTunerEditorLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same opening with every page of free memory the allocators keep given
// back to the system before it: the first opening of a program, whose every
// new page of memory costs a fault at its first write.
void BM_StatusLine_OpenTunerEditorLargestFreshMemory(benchmark::State& state)
{
    OpenAndLoad<CTunerEditDlg>(state, BenchFiles::Get().tnsp, IDC_BUTTON_LOAD_TUNER_FILE, Memory::Fresh);
}
BENCHMARK(BM_StatusLine_OpenTunerEditorLargestFreshMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// One edit and its summary: a channel's value saved (Save Value on the row
// clicked), alternating between two values so that every run changes it.
void BM_StatusLine_ChannelEditLargest(benchmark::State& state)
{
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().chfq));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
    EditorStatusLine& line = StatusLineOf(dlg);
    WaitUntilCurrent(line);
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    const QRect row = pList->visualRect(pList->model()->index(0, 0));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    double untilCurrent = 0.0;
    bool bOdd = false;
    for (auto _ : state) {
        state.PauseTiming();
        dlg.SetDlgItemText(IDC_EDIT_FREQUENCY, bOdd ? QStringLiteral("45.25") : QStringLiteral("46.25"));
        bOdd = !bOdd;
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_SAVE_VALUE), Qt::LeftButton);
        QCoreApplication::processEvents();
        state.PauseTiming();
        WaitUntilCurrent(line);
        untilCurrent += MsSince(start);
        state.ResumeTiming();
    }
    ReportUntilCurrent(state, untilCurrent);
}
BENCHMARK(BM_StatusLine_ChannelEditLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// One edit of the largest tuner table and its summary: the delete of an
// entry taken back and made again, each a change of the document.
void BM_StatusLine_TunerEditLargest(benchmark::State& state)
{
    BenchServices services;
    CTunerEditDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().tnsp));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_TUNER_FILE), Qt::LeftButton);
    EditorStatusLine& line = StatusLineOf(dlg);
    WaitUntilCurrent(line);
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    const QRect row = pList->visualRect(pList->model()->index(0, 0));
    QTest::mouseClick(pList->viewport(), Qt::RightButton, Qt::NoModifier, row.center());
    WaitUntilCurrent(line);
    double untilCurrent = 0.0;
    bool bUndo = true;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        dlg.OnCommand(bUndo ? IDM_UNDO : IDM_REDO);
        bUndo = !bUndo;
        QCoreApplication::processEvents();
        state.PauseTiming();
        WaitUntilCurrent(line);
        untilCurrent += MsSince(start);
        state.ResumeTiming();
    }
    ReportUntilCurrent(state, untilCurrent);
}
BENCHMARK(BM_StatusLine_TunerEditLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of each change that the interface thread pays for the summary:
// the table's image handed to the worker.
void BM_StatusLine_ChannelImageLargest(benchmark::State& state)
{
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().chfq));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
    for (auto _ : state)
        benchmark::DoNotOptimize(dlg.Table()->FileImage());
}
BENCHMARK(BM_StatusLine_ChannelImageLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusLine_TunerImageLargest(benchmark::State& state)
{
    BenchServices services;
    CTunerEditDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().tnsp));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_TUNER_FILE), Qt::LeftButton);
    for (auto _ : state)
        benchmark::DoNotOptimize(dlg.Document().Table()->FileImage());
}
BENCHMARK(BM_StatusLine_TunerImageLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The worker's part: the check of those images, counted by severity.
void BM_StatusLine_CountChannelFindingsLargest(benchmark::State& state)
{
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().chfq));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
    const std::vector<std::uint8_t> image = dlg.Table()->FileImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(CountFindingsInImage(TableKind::Channel, image));
}
BENCHMARK(BM_StatusLine_CountChannelFindingsLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusLine_CountTunerFindingsLargest(benchmark::State& state)
{
    BenchServices services;
    CTunerEditDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(FileOf(BenchFiles::Get().tnsp));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_TUNER_FILE), Qt::LeftButton);
    const std::vector<std::uint8_t> image = dlg.Document().Table()->FileImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(CountFindingsInImage(TableKind::Tuner, image));
}
BENCHMARK(BM_StatusLine_CountTunerFindingsLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
