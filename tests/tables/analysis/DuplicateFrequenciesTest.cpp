// The duplicate index of a channel list: which channels share a frequency, on
// crafted lists and against a plain pairwise comparison on random ones.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "tables/analysis/DuplicateFrequencies.h"

namespace {

constexpr std::int32_t kNone = DuplicateFrequencies::kNone;

std::vector<std::int32_t> OthersOf(const std::vector<double>& frequencies)
{
    const DuplicateFrequencies duplicates(frequencies);
    std::vector<std::int32_t> others;
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        others.push_back(duplicates.OtherOf(i));
    return others;
}

// The answers by definition: the first other channel with an equal value,
// for values above 0.
std::vector<std::int32_t> OthersByComparingPairs(const std::vector<double>& frequencies)
{
    std::vector<std::int32_t> others(frequencies.size(), kNone);
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        if (!(frequencies[i] > 0.0))
            continue;
        for (std::size_t j = 0; j < frequencies.size(); ++j) {
            if (j != i && frequencies[j] == frequencies[i]) {
                others[i] = static_cast<std::int32_t>(j);
                break;
            }
        }
    }
    return others;
}

} // namespace

TEST(DuplicateFrequencies, FirstNamesTheSecondAndEveryLaterOneTheFirst)
{
    const std::vector<double> list = {55.25, 62.25, 55.25, 175.25, 62.25, 55.25};
    const DuplicateFrequencies duplicates(list);
    EXPECT_TRUE(duplicates.Any());
    EXPECT_EQ(duplicates.Size(), list.size());
    EXPECT_EQ(OthersOf(list), (std::vector<std::int32_t>{2, 4, 0, kNone, 1, 0}));
    const std::vector<bool> repeats = {false, false, true, false, true, true};
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(duplicates.RepeatsEarlier(i), repeats[i]) << i;
    // Outside the list there is nothing.
    EXPECT_EQ(duplicates.OtherOf(list.size()), kNone);
    EXPECT_FALSE(duplicates.RepeatsEarlier(list.size()));
}

TEST(DuplicateFrequencies, EmptySlotsAndValuesThatNeverMatch)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // 0, -0, negative values and NaN (the same bits twice) are empty slots;
    // +inf is a value above 0 and equals itself; neighbours one step apart
    // in the last bit are different frequencies.
    const double next = std::nextafter(55.25, 100.0);
    const std::vector<double> list = {0.0, -0.0, 0.0, -1.0, -1.0, nan, nan, inf, 55.25, next, inf, -0.0};
    EXPECT_EQ(OthersOf(list),
              (std::vector<std::int32_t>{kNone, kNone, kNone, kNone, kNone, kNone, kNone, 10, kNone, kNone, 7, kNone}));

    EXPECT_FALSE(DuplicateFrequencies(std::vector<double>{}).Any());
    EXPECT_FALSE(DuplicateFrequencies(std::vector<double>{0.0, 0.0, 48.25, 55.25, -0.0}).Any());
    EXPECT_FALSE(DuplicateFrequencies().Any());
    EXPECT_EQ(DuplicateFrequencies().OtherOf(0), kNone);
}

TEST(DuplicateFrequencies, AgreesWithComparingEveryPair)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 200; ++round) {
        const std::size_t size = random() % 600;
        // Few distinct values, so that many repeat; empty slots among them.
        const int alphabet = 1 + static_cast<int>(random() % 300);
        std::vector<double> list;
        for (std::size_t i = 0; i < size; ++i) {
            const int pick = static_cast<int>(random() % static_cast<unsigned>(alphabet + 3));
            if (pick >= alphabet)
                list.push_back(pick == alphabet ? 0.0 : pick == alphabet + 1 ? -0.0 : -48.25);
            else
                list.push_back(45.0 + 0.25 * pick);
        }
        ASSERT_EQ(OthersOf(list), OthersByComparingPairs(list)) << "round " << round;
    }
}

// Lists made of rising bands, as real plans are, from one band to more than
// are searched band against band, with repeats across any of them.
TEST(DuplicateFrequencies, BandsThatRiseAgreeWithComparingEveryPair)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        const int bands = 1 + round % 12;
        std::vector<double> list;
        for (int band = 0; band < bands; ++band) {
            // Each band rises through a random subset of a small ladder of
            // frequencies, so that bands share some and not others.
            const int length = static_cast<int>(random() % 40);
            int step = static_cast<int>(random() % 5);
            for (int i = 0; i < length; ++i) {
                if (random() % 6 == 0)
                    list.push_back(random() % 2 ? 0.0 : -1.0);
                list.push_back(45.0 + 0.25 * step);
                step += 1 + static_cast<int>(random() % 3);
            }
        }
        ASSERT_EQ(OthersOf(list), OthersByComparingPairs(list)) << "round " << round;
    }
}

TEST(DuplicateFrequencies, FullListOfOneFrequencyAndOfDistinctOnes)
{
    constexpr std::size_t kMax = 65535;
    const DuplicateFrequencies same(std::vector<double>(kMax, 175.25));
    EXPECT_EQ(same.OtherOf(0), 1);
    for (std::size_t i = 1; i < kMax; ++i)
        ASSERT_EQ(same.OtherOf(i), 0) << i;

    std::vector<double> distinct;
    for (std::size_t i = 0; i < kMax; ++i)
        distinct.push_back(45.0 + 0.0625 * static_cast<double>(i));
    distinct.back() = distinct.front();
    const DuplicateFrequencies last(distinct);
    EXPECT_EQ(last.OtherOf(0), static_cast<std::int32_t>(kMax - 1));
    EXPECT_EQ(last.OtherOf(kMax - 1), 0);
    for (std::size_t i = 1; i + 1 < kMax; ++i)
        ASSERT_EQ(last.OtherOf(i), kNone) << i;
}

// A list that rises from channel to channel holds no repeats; a value that
// breaks the rise, anywhere, is searched for.
TEST(DuplicateFrequencies, RisingListsHaveNoRepeatsAndABreakAnywhereIsSearched)
{
    std::vector<double> list;
    for (int i = 0; i < 65535; ++i)
        list.push_back(i % 7 == 3 ? 0.0 : 45.0 + 0.0625 * i);
    const DuplicateFrequencies rising(list);
    EXPECT_FALSE(rising.Any());
    EXPECT_EQ(rising.Size(), list.size());
    EXPECT_EQ(rising.OtherOf(65534), kNone);

    // The last channel repeats the first: both ends name each other.
    list.back() = list.front();
    const DuplicateFrequencies lastRepeatsFirst(list);
    EXPECT_TRUE(lastRepeatsFirst.Any());
    EXPECT_EQ(lastRepeatsFirst.OtherOf(0), 65534);
    EXPECT_EQ(lastRepeatsFirst.OtherOf(65534), 0);
    EXPECT_EQ(lastRepeatsFirst.OtherOf(1), kNone);

    // Two equal neighbours, with an empty slot between them.
    EXPECT_EQ(OthersOf({48.25, 0.0, 48.25, 55.25}), (std::vector<std::int32_t>{2, kNone, 0, kNone}));
    // Falling back without repeating, as between two bands.
    EXPECT_FALSE(DuplicateFrequencies(std::vector<double>{175.25, 182.25, 55.25, 62.25, 189.25}).Any());
}
