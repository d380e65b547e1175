// The table check as a running summary: counts by severity, their text, and
// the worker that checks only the newest image it was given.
#include <gtest/gtest.h>

#include <memory>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "edit/CheckSummary.h"
#include "tables/analysis/TableChecks.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TunerEntries.h"

namespace {

FindingCounts CountInMemory(const ChannelTable& table)
{
    FindingCounts counts;
    CheckChannelTableInMemory(table, [&counts](const TableFinding& f) {
        ++(f.severity == FindingSeverity::Error ? counts.errors : counts.warnings);
    });
    return counts;
}

// Air channels that repeat one frequency `repeats` times, and a country the
// catalogue knows.
std::shared_ptr<const std::vector<std::uint8_t>> Shared(std::vector<std::uint8_t> image)
{
    return std::make_shared<const std::vector<std::uint8_t>>(std::move(image));
}

std::vector<std::uint8_t> ImageWithRepeats(int repeats)
{
    ChannelTable table(true);
    std::vector<double> air{48.25};
    air.insert(air.end(), static_cast<std::size_t>(repeats), 48.25);
    EXPECT_TRUE(table.AppendFrequencies(ChannelModeAir, air));
    EXPECT_EQ(table.SetCountryCode(49), 1);
    return table.FileImage();
}

} // namespace

TEST(CheckSummary, TextsNameEachSeverityWithItsCount)
{
    EXPECT_EQ(FindingCountsText({0, 0}), "No problems");
    EXPECT_EQ(FindingCountsText({1, 0}), "1 error");
    EXPECT_EQ(FindingCountsText({0, 1}), "1 warning");
    EXPECT_EQ(FindingCountsText({2, 1}), "2 errors, 1 warning");
    EXPECT_EQ(FindingCountsText({1, 3}), "1 error, 3 warnings");
    EXPECT_EQ(FindingCountsText({0, 12}), "12 warnings");
}

TEST(CheckSummary, CountsWhatTheTableCheckFinds)
{
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {0.0, 48.25, 55.25, 48.25, 0.0}));
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeCable, {-2.0, 120.0}));
    ASSERT_EQ(table.SetCountryCode(999), 1);
    const FindingCounts counts = CountFindingsInImage(TableKind::Channel, table.FileImage());
    EXPECT_EQ(counts, CountInMemory(table));
    EXPECT_EQ(counts, (FindingCounts{2, 2}));

    TunerSpecTable tuners(true);
    TunerSpecEntry entry;
    entry.SetFactory(1);
    entry.SetTunerType(1);
    ASSERT_TRUE(tuners.AppendEntries({entry}));
    FindingCounts inMemory;
    CheckTunerTableInMemory(tuners, [&inMemory](const TableFinding& f) {
        ++(f.severity == FindingSeverity::Error ? inMemory.errors : inMemory.warnings);
    });
    EXPECT_GT(inMemory.errors, 0u);
    EXPECT_EQ(CountFindingsInImage(TableKind::Tuner, tuners.FileImage()), inMemory);
}

namespace {

// A tuner of 03:12 that tunes 48.25 to 863.25 MHz.
TunerBands Tuner0312()
{
    return TunerBands(TunerEntryWithEdges(0x03, 0x12, 48.25, 170.0, 450.0, 863.25));
}

} // namespace

TEST(CheckSummary, TextsWithATunerNameItAndCountTheChannelsOutside)
{
    EXPECT_EQ(FindingCountsText({0, 0, 0}, "03:12"), "No problems with tuner 03:12");
    EXPECT_EQ(FindingCountsText({1, 0, 1}, "03:12"), "1 error (1 channel outside tuner 03:12)");
    EXPECT_EQ(FindingCountsText({2, 1, 2}, "03:12"), "2 errors, 1 warning (2 channels outside tuner 03:12)");
    EXPECT_EQ(FindingCountsText({1, 1, 0}, "01:05"), "1 error, 1 warning (none outside tuner 01:05)");
    EXPECT_EQ(FindingCountsText({0, 3, 0}, "01:05"), "3 warnings (none outside tuner 01:05)");
}

// Each channel of either list that no band tunes is one more error, edges
// included in the band that starts there and at the high band's end; an empty
// slot is no channel. The image's lists are those the table check judges.
TEST(CheckSummary, ChannelsOutsideTheTunerAreErrorsOfTheirOwn)
{
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {48.24, 48.25, 170.0, 863.25, 863.26}));
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeCable, {0.0, 40.0, 450.0}));
    ASSERT_EQ(table.SetCountryCode(49), 1);
    const TunerBands tuner = Tuner0312();
    const FindingCounts own = CountFindingsInImage(TableKind::Channel, table.FileImage());
    const FindingCounts judged = CountFindingsInImage(TableKind::Channel, table.FileImage(), &tuner);
    EXPECT_EQ(own.outside, 0u);
    EXPECT_EQ(judged.outside, 3u);
    EXPECT_EQ(judged.errors, own.errors + 3);
    EXPECT_EQ(judged.warnings, own.warnings);
    // A tuner judges nothing of a tuner table.
    TunerSpecTable tuners(true);
    EXPECT_EQ(CountFindingsInImage(TableKind::Tuner, tuners.FileImage(), &tuner),
              CountFindingsInImage(TableKind::Tuner, tuners.FileImage()));

    // An image cut short in the cable list: only its whole records count, as
    // the check reads them.
    std::vector<std::uint8_t> image = table.FileImage();
    image.resize(image.size() - 8 - 3);
    const ImageChannelLists lists = ChannelListsInImage(image);
    EXPECT_EQ(lists.air, (std::vector<double>{48.24, 48.25, 170.0, 863.25, 863.26}));
    EXPECT_EQ(lists.cable.size(), 1u);
    EXPECT_EQ(CountFindingsInImage(TableKind::Channel, image, &tuner).outside, 2u);
}

TEST(CheckWorker, JudgesTheImageAgainstTheTunerItIsGiven)
{
    std::mutex mutex;
    std::vector<FindingCounts> results;
    CheckWorker worker(TableKind::Channel, [&](std::uint64_t, const FindingCounts& counts) {
        const std::lock_guard<std::mutex> lock(mutex);
        results.push_back(counts);
    });
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {45.25, 55.25, 900.0}));
    ASSERT_EQ(table.SetCountryCode(49), 1);
    worker.Check(1, Shared(table.FileImage()), Tuner0312());
    worker.WaitUntilIdle();
    worker.Check(2, Shared(table.FileImage()));
    worker.WaitUntilIdle();
    const std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], (FindingCounts{2, 0, 2}));
    EXPECT_EQ(results[1], (FindingCounts{0, 0, 0}));
}

TEST(CheckWorker, TellsEachResultWithItsVersionAndChecksOnlyTheNewestWaiting)
{
    std::mutex mutex;
    std::vector<std::pair<std::uint64_t, FindingCounts>> results;
    CheckWorker worker(TableKind::Channel, [&](std::uint64_t version, const FindingCounts& counts) {
        const std::lock_guard<std::mutex> lock(mutex);
        results.emplace_back(version, counts);
    });
    worker.Check(1, Shared(ImageWithRepeats(2)));
    worker.WaitUntilIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].first, 1u);
    EXPECT_EQ(results[0].second, (FindingCounts{0, 2}));

    // A large table keeps the worker busy while three more images come: the
    // last one replaces the two before it.
    const std::uint64_t finished = worker.FinishedCount();
    worker.Check(2, Shared(ImageWithRepeats(60000)));
    worker.Check(3, Shared(ImageWithRepeats(1)));
    worker.Check(4, Shared(ImageWithRepeats(3)));
    worker.Check(5, Shared(ImageWithRepeats(4)));
    worker.WaitUntilIdle();
    const std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(results.size(), 2u);
    EXPECT_EQ(results.back().first, 5u);
    EXPECT_EQ(results.back().second, (FindingCounts{0, 4}));
    // Versions only rise, and not every image was checked.
    for (std::size_t i = 1; i < results.size(); ++i)
        EXPECT_LT(results[i - 1].first, results[i].first);
    EXPECT_LT(worker.FinishedCount() - finished, 4u);
}

TEST(CheckWorker, EndsWithACheckUnderWayAndTellsNothingAfterwards)
{
    std::atomic<int> told{0};
    {
        CheckWorker worker(TableKind::Channel, [&told](std::uint64_t, const FindingCounts&) { ++told; });
        worker.Check(1, Shared(ImageWithRepeats(65000)));
        worker.Check(2, Shared(ImageWithRepeats(65000)));
    }
    const int atEnd = told.load();
    EXPECT_LE(atEnd, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(told.load(), atEnd);
}
