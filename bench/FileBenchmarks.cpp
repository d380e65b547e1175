// Loading, saving and converting the largest tables the formats hold, each run
// timed next to the floor for the same bytes: one read (or one write, or one
// write followed by fsync and rename, and for the conversion also with an fsync
// of the folder after the rename) and a decode into a std::vector<double>.
// Table and floor alternate within every iteration, so their ratio holds on a
// machine whose speed drifts while the benchmark runs.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/BenchFiles.h"
#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::size_t FileSize(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        Fail("stat " + path);
    return static_cast<std::size_t>(st.st_size);
}

// The whole file in one read, into a buffer that is not cleared first.
std::unique_ptr<std::uint8_t[]> ReadOnce(const std::string& path, std::size_t size)
{
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::read(fd, bytes.get(), size) != static_cast<ssize_t>(size))
        Fail("read " + path);
    ::close(fd);
    return bytes;
}

// The reading floor: one read of the whole file, every 8 bytes after the
// header decoded as a double.
std::vector<double> ReadFloor(const std::string& path, std::size_t size, std::size_t headerSize)
{
    const std::unique_ptr<std::uint8_t[]> bytes = ReadOnce(path, size);
    const std::size_t n = (size - headerSize) / 8;
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i)
        values[i] = le::ReadF64(bytes.get() + headerSize + 8 * i);
    return values;
}

// The old format's floor: one read, every 8-byte entry's float widened.
std::vector<double> ReadLegacyFloor(const std::string& path, std::size_t size)
{
    const std::unique_ptr<std::uint8_t[]> bytes = ReadOnce(path, size);
    const std::size_t n = (size - LegacyChannelTable::kHeaderSize - LegacyChannelTable::kTrailerSize) / 8;
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i)
        values[i] = le::ReadF32(bytes.get() + LegacyChannelTable::kHeaderSize + 8 * i);
    return values;
}

enum class WriteFloorKind
{
    Plain,  // one write into the target
    Synced, // one write into a temporary file, fsync, rename over the target
    Durable // Synced, then an fsync of the folder, so that the rename itself is on the disk
};

// The writing floor: the values encoded behind a header of the given size and
// written with one write.
void WriteFloor(const std::string& path, const std::vector<double>& values, std::size_t headerSize,
                std::size_t trailerSize, WriteFloorKind kind)
{
    const std::size_t size = headerSize + 8 * values.size() + trailerSize;
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]());
    for (std::size_t i = 0; i < values.size(); ++i)
        le::WriteF64(bytes.get() + headerSize + 8 * i, values[i]);
    const bool bSynced = kind != WriteFloorKind::Plain;
    const std::string target = bSynced ? path + ".tmp" : path;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.get(), size) != static_cast<ssize_t>(size))
        Fail("write " + target);
    if (bSynced && ::fsync(fd) != 0)
        Fail("fsync " + target);
    ::close(fd);
    if (bSynced && ::rename(target.c_str(), path.c_str()) != 0)
        Fail("rename " + target);
    if (kind == WriteFloorKind::Durable) {
        const std::string folder = path.substr(0, path.rfind('/'));
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 || ::fsync(dirFd) != 0)
            Fail("fsync " + folder);
        ::close(dirFd);
    }
}

// Sums of one benchmark's table and floor times, reported as counters.
struct FloorTimes
{
    double table = 0;
    double floor = 0;
    double floorSynced = 0;

    void Report(benchmark::State& state, bool bSynced) const
    {
        const double n = static_cast<double>(state.iterations());
        state.counters["floor_ms"] = 1e3 * floor / n;
        state.counters["x_floor"] = table / floor;
        if (bSynced) {
            state.counters["floor_sync_ms"] = 1e3 * floorSynced / n;
            state.counters["x_floor_sync"] = table / floorSynced;
        }
    }
};

// Loading a whole table into a table object, beside reading the same bytes
// into a vector of doubles.
template <class Table, class LoadedWhole>
void RunLoad(benchmark::State& state, const std::string& path, std::size_t headerSize, LoadedWhole loadedWhole)
{
    const std::size_t size = FileSize(path);
    FloorTimes times;
    for (auto _ : state) {
        auto t0 = Clock::now();
        auto* pTable = new Table(false);
        const int iLoaded = pTable->Load(path.c_str());
        auto t1 = Clock::now();
        if (iLoaded != 1 || !loadedWhole(*pTable))
            state.SkipWithError("the table did not load whole");
        const std::vector<double> floor = ReadFloor(path, size, headerSize);
        auto t2 = Clock::now();
        benchmark::DoNotOptimize(floor.data());
        delete pTable;
        times.table += Seconds(t0, t1);
        times.floor += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t0, t1));
    }
    times.Report(state, false);
}

// Saving a loaded table, beside writing the same doubles plainly and with the
// flush and rename a safe save needs.
template <class Table>
void RunSave(benchmark::State& state, const std::string& path, std::size_t headerSize, const std::string& extension)
{
    const BenchFiles& files = BenchFiles::Get();
    Table table(false);
    if (!table.Load(path.c_str()))
        Fail("load " + path);
    const std::vector<double> values = ReadFloor(path, FileSize(path), headerSize);
    const std::string out = files.Scratch("saved." + extension);
    const std::string floorOut = files.Scratch("floor." + extension);
    FloorTimes times;
    for (auto _ : state) {
        auto t0 = Clock::now();
        const int iSaved = table.Save(out.c_str());
        auto t1 = Clock::now();
        WriteFloor(floorOut, values, headerSize, 0, WriteFloorKind::Plain);
        auto t2 = Clock::now();
        WriteFloor(floorOut, values, headerSize, 0, WriteFloorKind::Synced);
        auto t3 = Clock::now();
        if (iSaved != 1)
            state.SkipWithError("the table was not saved");
        times.table += Seconds(t0, t1);
        times.floor += Seconds(t1, t2);
        times.floorSynced += Seconds(t2, t3);
        state.SetIterationTime(Seconds(t0, t1));
    }
    times.Report(state, true);
}

void BM_Files_LoadChfq(benchmark::State& state)
{
    RunLoad<ChannelTable>(state, BenchFiles::Get().chfq, ChannelTableHeader::kSize, [](const ChannelTable& table) {
        return table.GetList(ChannelModeCable)->iCount == ChannelTable::kMaxChannels;
    });
}
BENCHMARK(BM_Files_LoadChfq)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_Files_SaveChfq(benchmark::State& state)
{
    RunSave<ChannelTable>(state, BenchFiles::Get().chfq, ChannelTableHeader::kSize, "ccf");
}
BENCHMARK(BM_Files_SaveChfq)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_Files_LoadTnsp(benchmark::State& state)
{
    RunLoad<TunerSpecTable>(state, BenchFiles::Get().tnsp, TunerSpecHeader::kSize, [](const TunerSpecTable& table) {
        return table.GetList()->iCount == BenchFiles::kTunerEntries;
    });
}
BENCHMARK(BM_Files_LoadTnsp)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_Files_SaveTnsp(benchmark::State& state)
{
    RunSave<TunerSpecTable>(state, BenchFiles::Get().tnsp, TunerSpecHeader::kSize, "tsf");
}
BENCHMARK(BM_Files_SaveTnsp)->Unit(benchmark::kMillisecond)->UseManualTime();

// One conversion as the converter makes it; the tables are dropped outside the
// timed part, by the caller.
struct Conversion
{
    std::unique_ptr<LegacyChannelTable> pLegacy;
    std::unique_ptr<ChannelTable> pTable;
    bool bWhole = false;
};

Conversion Convert(const std::string& cft, const std::string& out)
{
    Conversion conversion{std::make_unique<LegacyChannelTable>(), std::make_unique<ChannelTable>(false), false};
    conversion.bWhole = conversion.pLegacy->Load(cft.c_str()) &&
                        conversion.pTable->ConvertFromLegacy(conversion.pLegacy.get()) &&
                        conversion.pTable->Save(out.c_str()) &&
                        conversion.pTable->GetList(ChannelModeCable)->iCount == ChannelTable::kMaxChannels;
    return conversion;
}

// What the converter does: load the old table, convert it, save the result
// beside it. The floor reads the old bytes, widens the floats and writes the
// new file's bytes.
void BM_Files_ConvertCft(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    const std::size_t size = FileSize(files.cft);
    const std::string out = LegacyOutputPath(files.cft);
    const std::string floorOut = files.Scratch("floor-converted.ccf");
    FloorTimes times;
    for (auto _ : state) {
        auto t0 = Clock::now();
        Conversion conversion = Convert(files.cft, out);
        auto t1 = Clock::now();
        if (!conversion.bWhole)
            state.SkipWithError("the table was not converted whole");
        std::vector<double> values = ReadLegacyFloor(files.cft, size);
        WriteFloor(floorOut, values, ChannelTableHeader::kSize, 4, WriteFloorKind::Plain);
        auto t2 = Clock::now();
        values = ReadLegacyFloor(files.cft, size);
        WriteFloor(floorOut, values, ChannelTableHeader::kSize, 4, WriteFloorKind::Synced);
        auto t3 = Clock::now();
        conversion = Conversion();
        times.table += Seconds(t0, t1);
        times.floor += Seconds(t1, t2);
        times.floorSynced += Seconds(t2, t3);
        state.SetIterationTime(Seconds(t0, t1));
    }
    times.Report(state, true);
}
BENCHMARK(BM_Files_ConvertCft)->Unit(benchmark::kMillisecond)->UseManualTime();

// The same conversion beside the floor of a save whose rename is on the disk
// when it returns, as the safe save's is: write, fsync, rename and an fsync of
// the folder (a second journal commit on ext4). Kept apart from the benchmark
// above, whose floors it would otherwise change: this floor's folder fsync
// also commits the rename that the plain synced floor leaves pending.
void BM_Files_ConvertCftDurable(benchmark::State& state)
{
    const BenchFiles& files = BenchFiles::Get();
    const std::size_t size = FileSize(files.cft);
    const std::string out = LegacyOutputPath(files.cft);
    const std::string floorOut = files.Scratch("floor-durable.ccf");
    double tableSeconds = 0;
    double floorSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        Conversion conversion = Convert(files.cft, out);
        auto t1 = Clock::now();
        if (!conversion.bWhole)
            state.SkipWithError("the table was not converted whole");
        const std::vector<double> values = ReadLegacyFloor(files.cft, size);
        WriteFloor(floorOut, values, ChannelTableHeader::kSize, 4, WriteFloorKind::Durable);
        auto t2 = Clock::now();
        conversion = Conversion();
        tableSeconds += Seconds(t0, t1);
        floorSeconds += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t0, t1));
    }
    state.counters["floor_durable_ms"] = 1e3 * floorSeconds / static_cast<double>(state.iterations());
    state.counters["x_floor_durable"] = tableSeconds / floorSeconds;
}
BENCHMARK(BM_Files_ConvertCftDurable)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
