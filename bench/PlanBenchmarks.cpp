// "New from Plan..." in the channel table editor: opening the chooser, timed
// from Ctrl+P until its lists are shown and painted (the plans read again only
// when their files changed), and "Fill" with the largest standard plan and
// with a person's own plan of 65,535 channels chosen, timed from the click
// until the chooser is gone and the editor's list is rebuilt and painted. The
// plans are the build tree's installed set.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "BenchServices.h"
#include "CFrequencyTableDlg.h"
#include "CPlanChooserDlg.h"
#include "ListView.h"
#include "resource.h"

namespace {

// Counts every event the application delivers, to tell when the queue is idle.
class EventCounter : public QObject
{
public:
    EventCounter() { QCoreApplication::instance()->installEventFilter(this); }
    std::uint64_t delivered = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        ++delivered;
        return false;
    }
};

// Delivers events until a whole round delivers none (painting included).
void Settle()
{
    static EventCounter* const pCounter = new EventCounter;
    for (int round = 0; round < 1000; ++round) {
        const std::uint64_t before = pCounter->delivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (pCounter->delivered == before)
            return;
    }
}

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
        Settle();
        if (filter.isEmpty()) {
            chooser.EndDialog(IDCANCEL);
            return IDCANCEL;
        }
        chooser.SetFilter(filter);
        Settle();
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
        Settle();
    }
    ~PlanEditor() { qunsetenv("XDG_DATA_HOME"); }
    PlanEditor(const PlanEditor&) = delete;
    PlanEditor& operator=(const PlanEditor&) = delete;

    // A plan of the person's own with every position a list holds.
    void WriteLimitPlan()
    {
        const std::string folder = m_home->path().toStdString() + "/vornalix/plans";
        QDir().mkpath(QString::fromStdString(folder));
        std::ofstream out(folder + "/limit.csv");
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
        Settle();
    }

    int Rows() { return m_pDlg->GetListView(IDC_LIST_CHANNELS)->GetItemCount(); }

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

} // namespace
