// Table > Check Against Tuner... at the largest channel table (65,535 air and
// 65,535 cable channels): the command with the file dialog and the tuner
// chooser answered, up to the findings shown; and what judging the table
// against the chosen tuner adds to the status line's summary of each edit.
#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include <QCoreApplication>
#include <QString>
#include <QTest>

#include "bench/BenchFiles.h"
#include "bench/BenchServices.h"
#include "edit/CheckSummary.h"
#include "res/resource.h"
#include "tables/format/TunerSpecTable.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/CTunerChooserDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

// The benchmark table's channels lie from 45 to 4,140 MHz on air and from 90
// to 8,280 MHz on cable (BenchFiles). A real tuner's 44 to 958 MHz leaves most
// of them outside, about 95,000 findings: the heaviest window. A tuner of
// 1 to 10,000 MHz tunes them all: the table's own findings alone.
enum class TunerReach
{
    RealTuner,
    EveryChannel,
};

std::string WriteTuner(TunerReach reach)
{
    TunerSpecEntry entry;
    entry.SetFactory(0x03);
    entry.SetTunerType(0x12);
    const bool bReal = reach == TunerReach::RealTuner;
    entry.SetLowBandStart(bReal ? 44.0 : 1.0);
    entry.SetMidBandStart(bReal ? 160.0 : 2000.0);
    entry.SetHighBandStart(bReal ? 442.0 : 5000.0);
    entry.SetHighBandEnd(bReal ? 958.0 : 10000.0);
    entry.SetPictureCarrier(38.9);
    TunerSpecTable table(true);
    if (!table.AppendEntries({entry}))
        throw std::runtime_error("cannot make the tuner table");
    const std::string path = BenchFiles::Get().Scratch(bReal ? "real-tuner.tsf" : "wide-tuner.tsf");
    if (table.Save(path.c_str()) != 1)
        throw std::runtime_error("cannot write " + path);
    return path;
}

void LoadLargest(CFrequencyTableDlg& dlg, BenchServices& services)
{
    services.fileAnswers.push_back(QString::fromStdString(BenchFiles::Get().chfq));
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
    SettleEvents();
}

EditorStatusLine& StatusLineOf(const CDialog& dlg)
{
    auto* pLine = qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine());
    if (!pLine)
        throw std::runtime_error("the editor has no status line");
    return *pLine;
}

void WaitUntilCurrent(EditorStatusLine& line)
{
    while (!line.IsCheckCurrent()) {
        line.Worker().WaitUntilIdle();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The command as a person runs it: the tuner table read, the one tuner chosen,
// the table checked against it and the findings window filled and shown.
void TimeCheckAgainstTuner(benchmark::State& state, TunerReach reach)
{
    const QString tuners = QString::fromStdString(WriteTuner(reach));
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    LoadLargest(dlg, services);
    for (auto _ : state) {
        services.fileAnswers.push_back(tuners);
        services.tunerAnswers.push_back(0);
        dlg.OnCommand(IDM_CHECK_AGAINST_TUNER);
        QCoreApplication::processEvents();
    }
    const auto* pWindow = dlg.findChild<CTableFindingsWindow*>();
    if (!dlg.ChosenTuner() || !pWindow || services.messageCount != 0)
        state.SkipWithError("no tuner was chosen");
    else
        state.counters["findings"] = pWindow->FindingCount();
}

void BM_Coverage_CheckAgainstTunerLargest(benchmark::State& state)
{
    TimeCheckAgainstTuner(state, TunerReach::RealTuner);
}
BENCHMARK(BM_Coverage_CheckAgainstTunerLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Coverage_CheckAgainstTunerLargestAllTuned(benchmark::State& state)
{
    TimeCheckAgainstTuner(state, TunerReach::EveryChannel);
}
BENCHMARK(BM_Coverage_CheckAgainstTunerLargestAllTuned)->Unit(benchmark::kMillisecond)->UseRealTime();

// One edit with a tuner chosen, as BM_StatusLine_ChannelEditLargest without
// one: Save Value on the first row, alternating two values. The time is the
// interface thread's; until_current_ms counts the worker's check as well.
void BM_Coverage_SummaryEditWithTunerLargest(benchmark::State& state)
{
    const QString tuners = QString::fromStdString(WriteTuner(TunerReach::RealTuner));
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    LoadLargest(dlg, services);
    services.fileAnswers.push_back(tuners);
    services.tunerAnswers.push_back(0);
    dlg.OnCommand(IDM_CHECK_AGAINST_TUNER);
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
        untilCurrent += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.ResumeTiming();
    }
    if (!line.CheckText().contains(QStringLiteral("outside tuner 03:12")))
        state.SkipWithError("the summary does not name the tuner");
    state.counters["until_current_ms"] = benchmark::Counter(untilCurrent, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Coverage_SummaryEditWithTunerLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The worker's part with a tuner: the image's check and its coverage, against
// BM_StatusLine_CountChannelFindingsLargest without one.
void BM_Coverage_CountFindingsWithTunerLargest(benchmark::State& state)
{
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    LoadLargest(dlg, services);
    TunerSpecTable tuners(false);
    if (tuners.Load(WriteTuner(TunerReach::RealTuner).c_str()) != 1)
        throw std::runtime_error("cannot read the tuner table");
    const TunerBands bands(tuners.Entries().begin()->entry);
    const std::vector<std::uint8_t> image = dlg.Table()->FileImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(CountFindingsInImage(TableKind::Channel, image, &bands));
}
BENCHMARK(BM_Coverage_CountFindingsWithTunerLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace {

// The tuner chooser over a tuner table of 100,000 entries with catalogue
// names: made (its longest name measured for its width) and shown.
void BM_Coverage_OpenTunerChooser100000(benchmark::State& state)
{
    TunerChooserRequest request;
    request.title = QStringLiteral("Check Against Tuner");
    request.tablePath = QStringLiteral("/tmp/tuners.tsf");
    request.entries.resize(100000);
    for (std::size_t i = 0; i < request.entries.size(); ++i) {
        request.entries[i].SetFactory(static_cast<std::int32_t>(1 + i % 6));
        request.entries[i].SetTunerType(static_cast<std::int32_t>(i % 40));
        request.entries[i].SetHighBandEnd(860.0);
    }
    for (std::int32_t factory = 1; factory <= 6; ++factory) {
        request.names.AddFactory(factory, "Maker " + std::to_string(factory));
        for (std::int32_t type = 0; type < 40; ++type)
            request.names.AddType(factory, type,
                                  "Maker " + std::to_string(factory) + " PAL_BG (FI12" + std::to_string(type) +
                                      " MK2 and compatibles)");
    }
    for (auto _ : state) {
        CTunerChooserDlg chooser(request, nullptr);
        chooser.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(chooser.width());
    }
}
BENCHMARK(BM_Coverage_OpenTunerChooser100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
