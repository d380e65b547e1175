// Frequencies rounded to a raster of kHz (tables/analysis/FrequencySteps.h), as the
// channel editor rounds chosen channels and the table check judges them.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "tables/analysis/FrequencySteps.h"

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

constexpr FrequencyStep k1 = FrequencyStep::Kilohertz1;
constexpr FrequencyStep k50 = FrequencyStep::Kilohertz50;
constexpr FrequencyStep k250 = FrequencyStep::Kilohertz250;

TEST(FrequencySteps, NearestStepWithDecimalTiesAwayFromZeroAndNeverToAnEmptySlot)
{
    const std::vector<std::tuple<double, FrequencyStep, double>> cases = {
        {static_cast<double>(543.3f), k1, 543.3},
        {-static_cast<double>(543.3f), k1, -543.3},
        {55.0005, k1, 55.001},
        {-55.0005, k1, -55.001},
        {55.00049, k1, 55.0},
        {55.025, k50, 55.05},
        {55.02499, k50, 55.0},
        {55.125, k250, 55.25},
        {-55.125, k250, -55.25},
        {55.12499, k250, 55.0},
        {175.26, k250, 175.25},
        {0.0004, k1, 0.0004},
        {0.1, k250, 0.1},
        {0.125, k250, 0.25},
    };
    for (const auto& [value, step, rounded] : cases)
        EXPECT_TRUE(SameBits(RoundedToStep(value, step), rounded)) << value << " " << RoundedToStep(value, step);
}

TEST(FrequencySteps, EmptySlotsNonNumbersAndRoundValuesKeepTheirBits)
{
    for (const double value :
         {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), 1e300}) {
        for (const FrequencyStep step : {k1, k50, k250})
            EXPECT_TRUE(SameBits(RoundedToStep(value, step), value)) << value;
        EXPECT_TRUE(IsWholeKilohertz(value)) << value;
    }
    // Every third whole kHz up to 2000 MHz as it reads from its decimal.
    for (long long k = 1; k <= 2000000; k += 3) {
        const double value = static_cast<double>(k) / 1000.0;
        const double fifty = static_cast<double>(k * 50) / 1000.0;
        ASSERT_TRUE(IsWholeKilohertz(value) && SameBits(RoundedToStep(value, k1), value)) << k;
        ASSERT_TRUE(SameBits(RoundedToStep(fifty, k50), fifty)) << k;
    }
    EXPECT_FALSE(IsWholeKilohertz(static_cast<double>(543.3f)));
    EXPECT_FALSE(IsWholeKilohertz(49.0625));
    EXPECT_EQ(NearestWholeKilohertz(static_cast<double>(543.3f)), 543.3);
    EXPECT_TRUE(SameBits(NearestWholeKilohertz(-0.0001), 0.0));
}

// A list's chosen channels, in their order; a whole list of 65,535 floats.
TEST(FrequencySteps, ChosenChannelsOfAList)
{
    const std::vector<double> list = {55.2501, 0.0, 62.2499, static_cast<double>(175.26f)};
    EXPECT_EQ(RoundedFrequencies(list, {4, 1, 2}, k250), (std::vector<double>{175.25, 55.25, 0.0}));
    EXPECT_TRUE(RoundedFrequencies(list, {}, k1).empty());

    std::vector<double> floats;
    std::vector<std::int32_t> channels;
    for (std::int32_t i = 0; i < 65535; ++i) {
        floats.push_back(static_cast<double>(static_cast<float>((40000 + i) / 1000.0)));
        channels.push_back(i + 1);
    }
    const std::vector<double> rounded = RoundedFrequencies(floats, channels, k1);
    ASSERT_EQ(rounded.size(), floats.size());
    for (std::int32_t i = 0; i < 65535; ++i)
        ASSERT_TRUE(SameBits(rounded[static_cast<std::size_t>(i)], (40000 + i) / 1000.0)) << i;
}

} // namespace
