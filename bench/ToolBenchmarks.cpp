// vornalix-tool diff at the formats' limits: two channel tables of 65,535 +
// 65,535 channels that differ in every channel, and two tuner tables of
// 100,000 entries that differ in every entry. Timed: the comparison and its
// text written to /dev/null, as the tool writes it to a file; the tables are
// loaded before, untimed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchFiles.h"
#include "tables/analysis/TableDiff.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TableFormat.h"
#include "tables/format/TunerSpecTable.h"
#include "tool/DiffListing.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Every frequency of the loaded list, moved by 1/8 MHz.
std::vector<double> Moved(EntryRange<ChannelNode> channels)
{
    std::vector<double> frequencies;
    for (const ChannelNode& channel : channels)
        frequencies.push_back(channel.dbFrequency + 0.125);
    return frequencies;
}

// Compares, then lists; count says how many channels or entries differ.
template <class Table, class Compare, class List, class Count>
void RunDiff(benchmark::State& state, const Table& before, const Table& after, std::size_t expected, Compare compare,
             List list, Count count)
{
    std::ofstream out("/dev/null", std::ios::binary);
    double compareSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const auto diff = compare(before, after);
        const auto t1 = Clock::now();
        list(out, diff);
        out.flush();
        const auto t2 = Clock::now();
        compareSeconds += Seconds(t0, t1);
        state.SetIterationTime(Seconds(t0, t2));
        if (count(diff) != expected)
            state.SkipWithError("the differences are not the expected ones");
    }
    state.counters["compare_ms"] = 1e3 * compareSeconds / static_cast<double>(state.iterations());
}

void DiffChannelTables(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    ChannelTable before(false);
    if (before.Load(files.chfq.c_str()) != 1)
        throw std::runtime_error("load " + files.chfq);
    ChannelTable after(true);
    after.AppendFrequencies(ChannelModeAir, Moved(before.Channels(ChannelModeAir)));
    after.AppendFrequencies(ChannelModeCable, Moved(before.Channels(ChannelModeCable)));
    RunDiff(state, before, after, 2 * static_cast<std::size_t>(ChannelTable::kMaxChannels), CompareChannelTables,
            ListChannelTableDiff, [](const ChannelTableDiff& diff) { return diff.channels.size(); });
}

void DiffTunerTables(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    TunerSpecTable before(false);
    if (before.Load(files.tnsp.c_str()) != 1)
        throw std::runtime_error("load " + files.tnsp);
    std::vector<TunerSpecEntry> entries;
    for (const TunerSpecNode& node : before.Entries()) {
        TunerSpecEntry entry = node.entry;
        entry.SetPictureCarrier(entry.dbPictureCarrier() + 0.25);
        entries.push_back(entry);
    }
    TunerSpecTable after(true);
    after.AppendEntries(entries);
    RunDiff(state, before, after, static_cast<std::size_t>(BenchFiles::kTunerEntries), CompareTunerTables,
            ListTunerTableDiff, [](const TunerTableDiff& diff) { return diff.entries.size(); });
}

void BM_Tool_Diff(benchmark::State& state, TableKind kind)
{
    if (kind == TableKind::Channel)
        DiffChannelTables(state);
    else
        DiffTunerTables(state);
}

} // namespace

BENCHMARK_CAPTURE(BM_Tool_Diff, ccf, TableKind::Channel)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_Tool_Diff, tsf, TableKind::Tuner)->Unit(benchmark::kMillisecond)->UseManualTime();
