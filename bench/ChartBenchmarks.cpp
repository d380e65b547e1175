// The band chart at the limits: two lists of 65,535 channels against a
// tuner. Painting the whole axis and a zoomed span into an image of a large
// window, the model made again after an edit in the real editor with the
// chart open (until the event queue, painting included, has drained), and the
// tool's SVG writer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "bench/BenchServices.h"
#include "res/resource.h"
#include "tables/analysis/BandChart.h"
#include "tables/format/ChannelTable.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/chart/CBandChartWindow.h"
#include "ui/dialog/ListView.h"

namespace {

// A plan-like list: 8 MHz channels that climb through the bands, a repeat
// every 1000 channels and an empty slot every 7, as large tables have them.
std::vector<double> LargestList(double dbOffset)
{
    std::vector<double> list(ChannelTable::kMaxChannels);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i] = i % 7 == 3 ? 0.0 : 45.0 + dbOffset + 0.0125 * static_cast<double>(i);
        if (i % 1000 == 999)
            list[i] = list[i - 2];
    }
    return list;
}

ChartTuner LargestTuner()
{
    TunerSpecEntry entry;
    entry.SetFactory(0x03);
    entry.SetTunerType(0x12);
    entry.SetLowBandStart(48.25);
    entry.SetMidBandStart(160.0);
    entry.SetHighBandStart(442.0);
    entry.SetHighBandEnd(800.0);
    entry.SetLowCode(0x8E01);
    entry.SetMidCode(0x8E02);
    entry.SetHighCode(0x8E04);
    return ChartTuner{entry, "03:12"};
}

const BandChart& LargestChart()
{
    static const BandChart chart(LargestList(0.0), LargestList(0.003), LargestTuner());
    return chart;
}

// A 1920 x 600 chart, painted as the widget paints itself.
void PaintInto(benchmark::State& state, BandChartView& view)
{
    QImage image(1920, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        view.Paint(painter, image.size());
    }
    state.counters["marks"] = static_cast<double>(view.Chart().MarkCount());
}

void BM_Chart_DrawLargest(benchmark::State& state)
{
    BandChartView view;
    view.resize(1920, 600);
    view.SetChart(LargestChart());
    PaintInto(state, view);
}
BENCHMARK(BM_Chart_DrawLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// Export as PNG at the largest size the export takes: painting and encoding.
void BM_Chart_PngLargest(benchmark::State& state)
{
    BandChartView view;
    view.resize(1920, 600);
    view.SetChart(LargestChart());
    const int side = static_cast<int>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = static_cast<std::size_t>(view.PngImage(QSize(side, side)).size());
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Chart_PngLargest)->Arg(4096)->Arg(8192)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Zoomed in so that each channel has room for its number: labels at their most.
void BM_Chart_DrawLargestZoomed(benchmark::State& state)
{
    BandChartView view;
    view.resize(1920, 600);
    view.SetChart(LargestChart());
    view.SetView(400.0, 410.0);
    PaintInto(state, view);
}
BENCHMARK(BM_Chart_DrawLargestZoomed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Chart_ModelLargest(benchmark::State& state)
{
    const std::vector<double> air = LargestList(0.0);
    const std::vector<double> cable = LargestList(0.003);
    const ChartTuner tuner = LargestTuner();
    for (auto _ : state) {
        const BandChart chart(air, cable, tuner);
        benchmark::DoNotOptimize(chart.MarkCount());
    }
}
BENCHMARK(BM_Chart_ModelLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Chart_SvgLargest(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string svg = BandChartSvg(LargestChart(), "largest.ccf");
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Chart_SvgLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor with the largest table and its chart open: "Save value" on one
// channel, timed until the list, the chart's model and its painting are done.
// BM_Chart_EditWithoutChart is the same edit with no chart, for the chart's share.
void EditOneChannel(benchmark::State& state, bool bWithChart)
{
    QTemporaryDir dir;
    ChannelTable table(true);
    table.SetCountryCode(44);
    for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable})
        if (!table.AppendFrequencies(iMode, LargestList(iMode == ChannelModeAir ? 0.0 : 0.003)))
            throw std::runtime_error("cannot build the benchmark table");
    const QString path = dir.filePath(QStringLiteral("largest.ccf"));
    if (!table.Save(QFile::encodeName(path).constData()))
        throw std::runtime_error("cannot write the benchmark table");
    BenchServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(path);
    QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_LOAD_FROM_FILE), Qt::LeftButton);
    dlg.ChooseTuner(TunerChoice{"tuners.tsf", LargestTuner().entry, {}, {}});
    if (bWithChart)
        dlg.OnCommand(IDM_BAND_CHART);
    SettleEvents();
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    pList->EnsureVisible(1000);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier,
                      pList->visualRect(pList->model()->index(1000, 0)).center());
    SettleEvents();
    int step = 0;
    for (auto _ : state) {
        dlg.SetDlgItemText(IDC_EDIT_FREQUENCY, QString::number(500.0 + (++step % 100)));
        QTest::mouseClick(dlg.GetDlgItem(IDC_BUTTON_SAVE_VALUE), Qt::LeftButton);
        SettleEvents();
    }
    if (bWithChart && dlg.BandChartWindow())
        state.counters["marks"] = static_cast<double>(dlg.BandChartWindow()->View()->Chart().MarkCount());
}

void BM_Chart_UpdateAfterEditLargest(benchmark::State& state)
{
    EditOneChannel(state, true);
}
BENCHMARK(BM_Chart_UpdateAfterEditLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Chart_EditWithoutChart(benchmark::State& state)
{
    EditOneChannel(state, false);
}
BENCHMARK(BM_Chart_EditWithoutChart)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
