// A channel table against tuners at the formats' limits: 65,535 + 65,535
// channels and a tuner table of 100,000 entries. The tool's coverage command
// is timed whole, reading both files and writing its text to /dev/null as it
// would write to a file; the model's parts are timed on loaded tables.
#include <benchmark/benchmark.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "BenchFiles.h"
#include "ChannelTable.h"
#include "Commands.h"
#include "TunerCoverage.h"
#include "TunerSpecTable.h"

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

} // namespace

BENCHMARK(BM_Tool_Coverage_OneTuner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tool_Coverage_EveryTuner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coverage_OneTunerLargest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coverage_TunersCoveringAllLargest)->Unit(benchmark::kMillisecond);
