// The plan labels of the channel editor's rows: building them for a country
// (the shipped plans of Germany, and two plans of 65,535 channels each, the
// most a plan holds), one question of a frequency, and in the editor with both
// lists full (65,535 channels, country 44): a row's tooltip, from the help
// event to the tip shown, and a change of the country code, which rebuilds
// the list with the new country's labels. Also the list's Plan, Band and
// Check columns, shown and scrolled.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "bench/BenchServices.h"
#include "res/resource.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/PlanLabels.h"
#include "tables/format/ChannelTable.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFrame.h"

namespace {

// 65,535 channels from 45 MHz in steps of 62.5 kHz: every fourth one lies on
// a quarter megahertz, where the European plans put their channels.
double NthFrequency(std::int32_t i)
{
    return 45.0 + 0.0625 * i;
}

// An installed plans folder of one country, code 1, whose two plans hold
// 65,535 channels each, labelled with letters as the European plans are.
class LargestPlans
{
public:
    LargestPlans()
    {
        m_folder = m_dir.path().toStdString() + "/plans";
        QDir().mkpath(QString::fromStdString(m_folder));
        std::ofstream(m_folder + "/channel-plans-index.csv")
            << "plan,source_repo,source_path,source_commit,source_section\nair,r,p,c,s\ncable,r,p,c,s\n";
        std::ofstream(m_folder + "/country-plans.csv")
            << "country,calling_code,tv_system,plan,cable_plan\nLargest,1,PAL_B,air,cable\n";
        for (const char* name : {"air", "cable"}) {
            std::ofstream out(m_folder + "/" + name + ".csv");
            out << "channel,frequency_mhz\n";
            for (std::int32_t i = 0; i < 65535; ++i)
                out << name[0] << i << ',' << NthFrequency(i) << '\n';
        }
        m_library = PlanLibrary::Load(m_folder, "");
        if (m_library.Plans().size() != 2)
            throw std::runtime_error("cannot write the benchmark's plans");
    }
    const PlanLibrary& Library() const { return m_library; }

private:
    QTemporaryDir m_dir;
    std::string m_folder;
    PlanLibrary m_library;
};

void BM_PlanLabels_BuildForGermany(benchmark::State& state)
{
    const PlanLibrary library = PlanLibrary::Load(PlanLibrary::InstalledFolder(), "");
    for (auto _ : state) {
        const PlanLabels labels = PlanLabels::ForCountry(49, library);
        benchmark::DoNotOptimize(labels.Empty());
    }
}
BENCHMARK(BM_PlanLabels_BuildForGermany)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PlanLabels_BuildForLargestPlans(benchmark::State& state)
{
    const LargestPlans plans;
    for (auto _ : state) {
        const PlanLabels labels = PlanLabels::ForCountry(1, plans.Library());
        benchmark::DoNotOptimize(labels.Empty());
    }
}
BENCHMARK(BM_PlanLabels_BuildForLargestPlans)->Unit(benchmark::kMillisecond)->UseRealTime();

// One question, over frequencies on and between the plan's channels.
void BM_PlanLabels_FindInLargestPlan(benchmark::State& state)
{
    const LargestPlans plans;
    const PlanLabels labels = PlanLabels::ForCountry(1, plans.Library());
    std::int32_t i = 0;
    for (auto _ : state) {
        i = (i + 7919) % 131070;
        benchmark::DoNotOptimize(labels.Find(ChannelModeCable, NthFrequency(i / 2) + (i % 2) * 0.03));
    }
}
BENCHMARK(BM_PlanLabels_FindInLargestPlan)->Unit(benchmark::kNanosecond);

// The editor with a table of country 44 whose two lists hold 65,535 channels.
class FullEditor
{
public:
    FullEditor()
    {
        ChannelTable table(true);
        table.SetCountryCode(44);
        for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
            for (std::int32_t i = 0; i < ChannelTable::kMaxChannels; ++i) {
                auto* pNode = new ChannelNode;
                pNode->dbFrequency = NthFrequency(i);
                if (!table.AppendChannel(iMode, pNode)) {
                    delete pNode;
                    throw std::runtime_error("cannot build the benchmark table");
                }
            }
        }
        const QString path = m_dir.filePath(QStringLiteral("full.ccf"));
        if (!table.Save(QFile::encodeName(path).constData()))
            throw std::runtime_error("cannot write the benchmark table");
        m_pDlg = std::make_unique<CFrequencyTableDlg>(m_services);
        m_pDlg->Create();
        m_services.fileAnswers.push_back(path);
        QTest::mouseClick(m_pDlg->GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
        SettleEvents();
    }
    CFrequencyTableDlg& Dlg() { return *m_pDlg; }
    ListView* List() { return m_pDlg->GetListView(IDC_LIST_CHANNELS); }

private:
    BenchServices m_services;
    QTemporaryDir m_dir;
    std::unique_ptr<CFrequencyTableDlg> m_pDlg;
};

// A row's tooltip as the mouse rests on it: the help event to the list, the
// row's description made and the tip shown. In turn the row at 471.25 MHz,
// channel 21 of the British broadcast plan, and the rows after it, which no
// plan names.
void BM_Editor_RowTooltip(benchmark::State& state)
{
    FullEditor editor;
    ListView* pList = editor.List();
    const int first = static_cast<int>((471.25 - NthFrequency(0)) / 0.0625);
    pList->EnsureVisible(first + 4);
    pList->EnsureVisible(first);
    SettleEvents();
    int shown = 0;
    for (auto _ : state) {
        const int row = first + (shown++ % 4);
        const QPoint at = pList->visualRect(pList->model()->index(row, 1)).center();
        QHelpEvent event(QEvent::ToolTip, at, pList->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(pList->viewport(), &event);
        SettleEvents();
    }
    // 1 when the first row is labelled and the next is not, as they should be.
    state.counters["labelled"] = !pList->GetItemNote(first).isEmpty() && pList->GetItemNote(first + 1).isEmpty();
}
BENCHMARK(BM_Editor_RowTooltip)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Enter" with another country code, in turn Germany and the United Kingdom:
// the labels of the new country built and the list of 65,535 rows set again.
void BM_Editor_CountryChangeRelabels(benchmark::State& state)
{
    FullEditor editor;
    bool bGermany = false;
    for (auto _ : state) {
        bGermany = !bGermany;
        editor.Dlg().SetDlgItemText(IDC_EDIT_COUNTRY_CODE, bGermany ? QStringLiteral("49") : QStringLiteral("44"));
        QTest::mouseClick(editor.Dlg().GetDlgItem(IDC_BUTTON_ENTER), Qt::LeftButton);
        SettleEvents();
    }
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_Editor_CountryChangeRelabels)->Unit(benchmark::kMillisecond)->UseRealTime();

// View > Columns with both lists full and a tuner chosen: the Plan column
// turned on and off in turn beside the Band and Check columns, the list
// drawn again with it; and a page down by the scroll bar with all three
// shown, the rows that come on screen made and drawn.
void ShowAllColumns(FullEditor& editor)
{
    TunerSpecEntry tuner;
    tuner.SetLowBandStart(48.25);
    tuner.SetMidBandStart(170.0);
    tuner.SetHighBandStart(450.0);
    tuner.SetHighBandEnd(863.25);
    editor.Dlg().ChooseTuner(TunerChoice{"bench.tsf", tuner, {}, {}});
    // The choice is kept from one editor to the next: only the columns
    // not shown yet are turned on.
    QAbstractItemModel* pModel = editor.List()->model();
    const auto shown = [pModel](const char* heading) {
        for (int column = 0; column < pModel->columnCount(); ++column)
            if (pModel->headerData(column, Qt::Horizontal).toString() == QLatin1String(heading))
                return true;
        return false;
    };
    const std::pair<int, const char*> columns[] = {
        {IDM_COLUMN_PLAN, "Plan"}, {IDM_COLUMN_BAND, "Band"}, {IDM_COLUMN_CHECK, "Check"}};
    for (const auto& [id, heading] : columns)
        if (!shown(heading))
            EditorFrame::Of(editor.Dlg())->MenuBar()->Action(id)->trigger();
    SettleEvents();
    if (editor.List()->model()->columnCount() != 5)
        throw std::runtime_error("the columns are not shown");
}

void BM_Editor_PlanColumnOnAndOff(benchmark::State& state)
{
    FullEditor editor;
    ShowAllColumns(editor);
    QAction* pPlan = EditorFrame::Of(editor.Dlg())->MenuBar()->Action(IDM_COLUMN_PLAN);
    for (auto _ : state) {
        pPlan->trigger();
        SettleEvents();
    }
    state.counters["columns"] = editor.List()->model()->columnCount();
}
BENCHMARK(BM_Editor_PlanColumnOnAndOff)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_PageDownWithColumns(benchmark::State& state)
{
    FullEditor editor;
    ShowAllColumns(editor);
    QScrollBar* pBar = editor.List()->verticalScrollBar();
    for (auto _ : state) {
        if (pBar->value() >= pBar->maximum()) {
            state.PauseTiming();
            pBar->setValue(0);
            SettleEvents();
            state.ResumeTiming();
        }
        pBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        SettleEvents();
    }
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_Editor_PageDownWithColumns)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
