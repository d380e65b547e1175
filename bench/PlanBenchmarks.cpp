// "New from Plan..." in the channel table editor: opening the chooser, timed
// from Ctrl+P until its lists are shown and painted (the plans read again only
// when their files changed), and "Fill" with the largest standard plan and
// with a person's own plan of 65,535 channels chosen, timed from the click
// until the chooser is gone and the editor's list is rebuilt and painted. The
// plans are the build tree's installed set. Then the same opening, and the
// listing alone, with 40 own plans each of the largest size a plan file may
// have, and with 40 of 16 MiB, beyond it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "bench/BenchServices.h"
#include "res/resource.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/CPlanChooserDlg.h"
#include "ui/dialog/ListView.h"

namespace {

// The chooser is shown and painted, then either cancelled or filled from the
// plan named by the filter.
class ChooserServices : public BenchServices
{
public:
    QString filter;
    // Timing stops while the plan is being looked for and goes on at "Fill".
    benchmark::State* pFillTiming = nullptr;

    int RunModal(CDialog& dialog) override
    {
        auto& chooser = static_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        SettleEvents();
        if (filter.isEmpty()) {
            chooser.EndDialog(IDCANCEL);
            return IDCANCEL;
        }
        chooser.SetFilter(filter);
        SettleEvents();
        pFillTiming->ResumeTiming();
        chooser.OnCommand(IDOK);
        return chooser.Result();
    }
};

class PlanEditor
{
public:
    PlanEditor()
    {
        m_home.reset(new QTemporaryDir);
        qputenv("XDG_DATA_HOME", m_home->path().toLocal8Bit());
        m_pDlg = std::make_unique<CFrequencyTableDlg>(m_services);
        m_pDlg->Create();
        SettleEvents();
    }
    ~PlanEditor() { qunsetenv("XDG_DATA_HOME"); }
    PlanEditor(const PlanEditor&) = delete;
    PlanEditor& operator=(const PlanEditor&) = delete;

    // A plan of the person's own with every position a list holds.
    std::string OwnFolder()
    {
        const std::string folder = m_home->path().toStdString() + "/vornalix/plans";
        QDir().mkpath(QString::fromStdString(folder));
        return folder;
    }

    void WriteLimitPlan()
    {
        std::ofstream out(OwnFolder() + "/limit.csv");
        out << "channel,frequency_mhz\n";
        for (std::int32_t i = 1; i <= 65535; ++i)
            out << i << ',' << 45.0 + 0.0625 * i << '\n';
    }

    void PressCtrlP(const QString& filter, benchmark::State* pFillTiming = nullptr)
    {
        m_services.filter = filter;
        m_services.pFillTiming = pFillTiming;
        if (pFillTiming)
            pFillTiming->PauseTiming();
        QTest::keyClick(m_pDlg->GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_P, Qt::ControlModifier);
        SettleEvents();
    }

    int Rows() { return m_pDlg->GetListView(IDC_LIST_CHANNELS)->GetItemCount(); }

    // count plans of the person's own, each the same file under its own name,
    // written row by row so that the benchmark's own memory stays small.
    std::uintmax_t WriteOwnPlans(std::size_t count, void (*writePlan)(std::ostream&))
    {
        const std::string first = OwnFolder() + "/own-00.csv";
        {
            std::ofstream out(first, std::ios::binary);
            writePlan(out);
        }
        for (std::size_t i = 1; i < count; ++i)
            std::filesystem::create_hard_link(first,
                                              OwnFolder() + "/own-" + (i < 10 ? "0" : "") + std::to_string(i) + ".csv");
        return std::filesystem::file_size(first);
    }

    // A file that is no plan comes or goes: the folder changed, so the next
    // opening reads every plan again.
    void ChangeOwnFolder()
    {
        const std::string path = OwnFolder() + "/notes.txt";
        if (std::filesystem::exists(path))
            std::filesystem::remove(path);
        else
            std::ofstream(path) << "notes";
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    ChooserServices m_services;
    std::unique_ptr<CFrequencyTableDlg> m_pDlg;
};

// The part of every opening that reads the files: the installed plans, their
// index and the country list.
void BM_Plans_ReadLibrary(benchmark::State& state)
{
    PlanEditor editor;
    std::size_t plans = 0;
    for (auto _ : state)
        plans = PlanLibrary::Load().Plans().size();
    state.counters["plans"] = static_cast<double>(plans);
}
BENCHMARK(BM_Plans_ReadLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Plans_OpenChooser(benchmark::State& state)
{
    PlanEditor editor;
    for (auto _ : state)
        editor.PressCtrlP(QString());
}
BENCHMARK(BM_Plans_OpenChooser)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Plans_FillFromLargestPlan(benchmark::State& state)
{
    PlanEditor editor;
    for (auto _ : state)
        editor.PressCtrlP(QStringLiteral("ms-win7-netherlands-cable"), &state);
    state.counters["rows"] = editor.Rows();
}
BENCHMARK(BM_Plans_FillFromLargestPlan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Plans_FillFromOwnPlanAtTheLimit(benchmark::State& state)
{
    PlanEditor editor;
    editor.WriteLimitPlan();
    for (auto _ : state)
        editor.PressCtrlP(QStringLiteral("limit"), &state);
    state.counters["rows"] = editor.Rows();
}
BENCHMARK(BM_Plans_FillFromOwnPlanAtTheLimit)->Unit(benchmark::kMillisecond)->UseRealTime();

// The largest plan file: the most channels, each label the longest and
// written the longest way (every byte a doubled quote), the frequency the
// longest, both quoted, CRLF line ends; a byte order mark and a quoted header.
void WriteLargestPlan(std::ostream& out)
{
    out << "\xEF\xBB\xBF\"channel\",\"frequency_mhz\"\r\n";
    const std::string row = "\"" + std::string(2 * kMaxPlanLabelBytes, '"') + "\",\"55.25" +
                            std::string(kMaxPlanFrequencyBytes - 5, '0') + "\"\r\n";
    for (std::size_t i = 0; i < kMaxPlanChannels; ++i)
        out << row;
}

// 16 MiB, as a plan file could be before plan files were bounded: the most
// channels with labels of 240 bytes.
void WriteOversizedPlan(std::ostream& out)
{
    out << "channel,frequency_mhz\n";
    for (std::size_t i = 1; i <= kMaxPlanChannels; ++i) {
        const std::string number = std::to_string(i);
        out << "L" << std::string(239 - number.size(), '0') << number << ",100.000000000\n";
    }
}

constexpr std::size_t kOwnPlans = 40;

void WriteOwnPlans(PlanEditor& editor, benchmark::State& state)
{
    const bool bOversized = state.range(0) != 0;
    const std::uintmax_t bytes = editor.WriteOwnPlans(kOwnPlans, bOversized ? WriteOversizedPlan : WriteLargestPlan);
    state.SetLabel(std::to_string(kOwnPlans) +
                   (bOversized ? " own plans of 16 MiB" : " own plans of the largest size"));
    state.counters["plan_bytes"] = static_cast<double>(bytes);
}

// The listing alone: every own plan file looked at, read whole when it may be
// a plan (as vornalix-tool plans lists them), or, as the editors list them,
// a large one from its first lines.
void BM_Plans_ListOwnPlans(benchmark::State& state)
{
    PlanEditor editor;
    WriteOwnPlans(editor, state);
    std::size_t plans = 0;
    for (auto _ : state)
        plans = PlanLibrary::Load().Plans().size();
    state.counters["plans"] = static_cast<double>(plans);
}
BENCHMARK(BM_Plans_ListOwnPlans)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Plans_ListOwnPlansFromFirstLines(benchmark::State& state)
{
    PlanEditor editor;
    WriteOwnPlans(editor, state);
    std::size_t plans = 0;
    for (auto _ : state)
        plans = PlanLibrary::Load(PlanListing::FirstLines).Plans().size();
    state.counters["plans"] = static_cast<double>(plans);
}
BENCHMARK(BM_Plans_ListOwnPlansFromFirstLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One of the 40 largest own plans chosen in the open chooser, by a filter that
// leaves it alone: read whole, its row and the choice drawn.
void BM_Plans_ChooseLargestOwnPlan(benchmark::State& state)
{
    PlanEditor editor;
    WriteOwnPlans(editor, state);
    BenchServices services;
    std::size_t channels = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PlanLibrary library = PlanLibrary::Load(PlanListing::FirstLines);
        CPlanChooserDlg chooser(services, library);
        chooser.Create();
        chooser.show();
        SettleEvents();
        state.ResumeTiming();
        chooser.SetFilter(QStringLiteral("own-07"));
        SettleEvents();
        state.PauseTiming();
        channels = chooser.ChosenPlan() ? chooser.ChosenPlan()->outline.channelCount : 0;
        chooser.EndDialog(IDCANCEL);
        state.ResumeTiming();
    }
    state.counters["channels"] = static_cast<double>(channels);
}
BENCHMARK(BM_Plans_ChooseLargestOwnPlan)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ctrl+P until the chooser is painted, the own plans read again each time.
void BM_Plans_OpenChooserWithOwnPlans(benchmark::State& state)
{
    PlanEditor editor;
    WriteOwnPlans(editor, state);
    for (auto _ : state) {
        state.PauseTiming();
        editor.ChangeOwnFolder();
        state.ResumeTiming();
        editor.PressCtrlP(QString());
    }
}
BENCHMARK(BM_Plans_OpenChooserWithOwnPlans)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
