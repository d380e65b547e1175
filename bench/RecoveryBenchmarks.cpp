// The unsaved tables earlier runs left, as an editor offers them when it
// opens: with the most copies kept (20), each of the largest table (65,535 +
// 65,535 channels), against the same editor opening with none; and the
// preview of one such copy, which the list reads when a copy is selected.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QWidget>

#include "bench/BenchServices.h"
#include "edit/RecoveryStore.h"
#include "tables/format/ChannelTable.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/RecoveryBar.h"
#include "ui/editor/RecoveryCopiesDlg.h"
#include "ui/editor/RecoveryCopiesList.h"

namespace {

std::vector<std::uint8_t> LargestTableImage()
{
    ChannelTable table(true);
    table.SetCountryCode(49);
    for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        for (std::int32_t i = 0; i < ChannelTable::kMaxChannels; ++i) {
            auto* pNode = new (std::nothrow) ChannelNode;
            if (!pNode)
                throw std::bad_alloc();
            pNode->dbFrequency = 45.0 + 0.0625 * i;
            if (!table.AppendChannel(iMode, pNode)) {
                delete pNode;
                throw std::runtime_error("cannot build the benchmark table");
            }
        }
    }
    return table.FileImage();
}

// Copies of the largest table as killed editors leave them, removed again at the end.
class KeptCopies
{
public:
    explicit KeptCopies(std::size_t count)
    {
        const std::vector<std::uint8_t> image = LargestTableImage();
        for (std::size_t i = 0; i < count; ++i) {
            m_writers.push_back(std::make_unique<RecoveryWriter>("ccf"));
            m_writers.back()->Write(image, RecoverySource{"/home/someone/de.ccf", std::nullopt});
            m_writers.back()->Flush();
        }
    }
    ~KeptCopies()
    {
        for (const std::unique_ptr<RecoveryWriter>& pWriter : m_writers) {
            pWriter->Remove();
            pWriter->Flush();
        }
    }
    KeptCopies(const KeptCopies&) = delete;
    KeptCopies& operator=(const KeptCopies&) = delete;

private:
    std::vector<std::unique_ptr<RecoveryWriter>> m_writers;
};

// A channel editor opening, shown, until its events are done; Arg: the copies kept.
void BM_Recovery_EditorOpensWithKeptCopies(benchmark::State& state)
{
    const KeptCopies copies(static_cast<std::size_t>(state.range(0)));
    BenchServices services;
    std::size_t offered = 0;
    for (auto _ : state) {
        CFrequencyTableDlg dlg(services);
        dlg.Create();
        QCoreApplication::processEvents();
        const RecoveryBar* pBar = dlg.findChild<RecoveryBar*>();
        offered = pBar ? pBar->Offered().size() : 0;
        state.PauseTiming();
        dlg.DestroyWindow();
        state.ResumeTiming();
    }
    if (offered != static_cast<std::size_t>(state.range(0)))
        state.SkipWithError("the bar did not offer every copy");
    state.counters["offered"] = static_cast<double>(offered);
}
BENCHMARK(BM_Recovery_EditorOpensWithKeptCopies)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bar alone: the listing (pruning, every source and header read) and its text.
void BM_Recovery_BarOffersKeptCopies(benchmark::State& state)
{
    const KeptCopies copies(kRecoveryCopiesKept);
    RecoveryCopyActions actions;
    actions.list = [] { return ListRecoveryCopies("ccf"); };
    QWidget parent;
    std::size_t offered = 0;
    for (auto _ : state) {
        RecoveryBar bar(
            actions, [] {}, &parent);
        bar.Offer(actions.list());
        offered = bar.Offered().size();
        benchmark::DoNotOptimize(bar.Text());
    }
    if (offered != kRecoveryCopiesKept)
        state.SkipWithError("the bar did not offer every copy");
}
BENCHMARK(BM_Recovery_BarOffersKeptCopies)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Show All...": the list made, its first copy selected and previewed.
void BM_Recovery_ShowAllOpens(benchmark::State& state)
{
    const KeptCopies copies(kRecoveryCopiesKept);
    RecoveryCopyActions actions;
    actions.list = [] { return ListRecoveryCopies("ccf"); };
    QWidget parent;
    for (auto _ : state) {
        RecoveryCopiesList list(actions, actions.list());
        RecoveryCopiesDlg dialog(list, &parent);
        benchmark::DoNotOptimize(&dialog);
    }
}
BENCHMARK(BM_Recovery_ShowAllOpens)->Unit(benchmark::kMillisecond)->UseRealTime();

// The preview of one largest copy: header and the first rows of each list.
void BM_Recovery_PreviewLargestCopy(benchmark::State& state)
{
    const KeptCopies copies(1);
    const std::vector<RecoveryCopy> listed = ListRecoveryCopies("ccf");
    if (listed.size() != 1)
        throw std::runtime_error("cannot keep the benchmark copy");
    std::size_t rows = 0;
    for (auto _ : state)
        rows = ReadRecoveryPreview(listed[0].name, TableKind::Channel).channels.size();
    if (rows != 2 * kRecoveryPreviewRows)
        state.SkipWithError("the preview missed rows");
}
BENCHMARK(BM_Recovery_PreviewLargestCopy)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
