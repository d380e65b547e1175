// A channel table against tuners at the formats' limits: 65,535 + 65,535
// channels and a tuner table of 100,000 entries. The tool's coverage command
// is timed whole, reading both files and writing its text to /dev/null as it
// would write to a file; the model's parts are timed on loaded tables, and
// the matrix of many tables against many tuners on tables made in memory.
#include <benchmark/benchmark.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchFiles.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tool/Commands.h"

namespace {

struct LoadedTables
{
    ChannelTable channels{false};
    TunerSpecTable tuners{false};

    LoadedTables()
    {
        const BenchFiles& files = BenchFiles::Get();
        if (channels.Load(files.chfq.c_str()) != 1)
            throw std::runtime_error("load " + files.chfq);
        if (tuners.Load(files.tnsp.c_str()) != 1)
            throw std::runtime_error("load " + files.tnsp);
    }
    const TunerSpecEntry& FirstTuner() const { return tuners.Entries().begin()->entry; }
};

void RunCoverageCommand(benchmark::State& state, const Arguments& args, int expectedStatus)
{
    std::ofstream out("/dev/null", std::ios::binary);
    std::ofstream err("/dev/null", std::ios::binary);
    for (auto _ : state) {
        const int status = RunTool(args, out, err);
        out.flush();
        if (status != expectedStatus)
            state.SkipWithError("coverage ended with another status");
    }
}

// The listing of one tuner: every channel's band, here nearly all of them
// outside, which makes the longest text.
void BM_Tool_Coverage_OneTuner(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    const LoadedTables tables;
    RunCoverageCommand(state, {"coverage", "--tuner", TunerCodesText(tables.FirstTuner()), files.chfq, files.tnsp},
                       kExitFindings);
}

// Every tuner of the table counted against every channel.
void BM_Tool_Coverage_EveryTuner(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    RunCoverageCommand(state, {"coverage", files.chfq, files.tnsp}, kExitFindings);
}

void BM_Coverage_OneTunerLargest(benchmark::State& state)
{
    const LoadedTables tables;
    const TunerBands bands(tables.FirstTuner());
    for (auto _ : state) {
        const CoverageReport report = CoverTable(tables.channels, bands);
        benchmark::DoNotOptimize(report.uncovered.data());
    }
}

// The tuners of 100,000 that tune all 131,070 channels, the channels sorted
// once: a few binary searches per tuner, not a walk of every channel.
void BM_Coverage_TunersCoveringAllLargest(benchmark::State& state)
{
    const LoadedTables tables;
    for (auto _ : state) {
        const SortedFrequencies sorted(tables.channels);
        const std::vector<std::int32_t> covering = TunersCoveringAll(tables.tuners, sorted);
        benchmark::DoNotOptimize(covering.data());
    }
}

// 240 tables of a country's size (200 channels, air list) and 1,000 tuners,
// every tenth with its edges out of order, made here rather than read.
struct MatrixInputs
{
    std::vector<std::vector<double>> tables;
    std::vector<TunerBands> tuners;

    MatrixInputs()
    {
        for (int t = 0; t < 240; ++t) {
            std::vector<double> channels;
            for (int c = 0; c < 200; ++c)
                channels.push_back(45.25 + 4.0 * c + 0.25 * (t % 8));
            tables.push_back(channels);
        }
        for (int u = 0; u < 1000; ++u) {
            TunerSpecEntry entry;
            entry.SetLowBandStart(44.0 + 0.5 * (u % 10));
            entry.SetMidBandStart(u % 10 == 0 ? 470.0 : 160.0);
            entry.SetHighBandStart(442.0);
            entry.SetHighBandEnd(800.0 + 2.0 * (u % 40));
            tuners.emplace_back(entry);
        }
    }
};

// Every table against every tuner, the channels sorted once per table: a
// few binary searches per pair.
void BM_Coverage_Matrix240Tables1000Tuners(benchmark::State& state)
{
    const MatrixInputs inputs;
    for (auto _ : state) {
        std::vector<SortedFrequencies> sorted;
        sorted.reserve(inputs.tables.size());
        for (const std::vector<double>& channels : inputs.tables)
            sorted.emplace_back(channels, std::vector<double>());
        const CoverageMatrix matrix(sorted, inputs.tuners);
        std::size_t first = matrix.Outside(0, 0);
        benchmark::DoNotOptimize(first);
    }
}

} // namespace

BENCHMARK(BM_Tool_Coverage_OneTuner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tool_Coverage_EveryTuner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coverage_OneTunerLargest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coverage_TunersCoveringAllLargest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coverage_Matrix240Tables1000Tuners)->Unit(benchmark::kMillisecond);
