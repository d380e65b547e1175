// A channel table against a tuner's bands: each channel's band, the channels
// no band reaches and the tuners that tune every channel, against a model
// written straight from the band rule.

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TunerSpecEntry Tuner(double low, double mid, double high, double end, std::uint16_t wLow = 0xA1,
                     std::uint16_t wMid = 0xA2, std::uint16_t wHigh = 0xA4)
{
    TunerSpecEntry entry;
    entry.SetFactory(0x03);
    entry.SetTunerType(0x12);
    entry.SetLowBandStart(low);
    entry.SetMidBandStart(mid);
    entry.SetHighBandStart(high);
    entry.SetHighBandEnd(end);
    entry.SetLowCode(wLow);
    entry.SetMidCode(wMid);
    entry.SetHighCode(wHigh);
    return entry;
}

// The band rule as written: low from Low Band Start up to Mid Band Start, mid
// up to High Band Start, high up to High Band End inclusive; first band wins.
std::optional<TunerBand> ModelBand(const TunerSpecEntry& e, double f)
{
    if (!(f > 0.0))
        return std::nullopt;
    if (f >= e.dbLowBandStart() && f < e.dbMidBandStart())
        return TunerBand::Low;
    if (f >= e.dbMidBandStart() && f < e.dbHighBandStart())
        return TunerBand::Mid;
    if (f >= e.dbHighBandStart() && f <= e.dbHighBandEnd())
        return TunerBand::High;
    return std::nullopt;
}

TEST(TunerCoverage, EachInnerEdgeBelongsToTheBandThatStartsThere)
{
    const TunerBands bands(Tuner(44.0, 140.25, 463.25, 958.0));
    EXPECT_TRUE(bands.EdgesInOrder());
    EXPECT_EQ(bands.BandOf(44.0), TunerBand::Low);
    EXPECT_EQ(bands.BandOf(140.25), TunerBand::Mid);
    EXPECT_EQ(bands.BandOf(std::nextafter(140.25, 0.0)), TunerBand::Low);
    EXPECT_EQ(bands.BandOf(463.25), TunerBand::High);
    EXPECT_EQ(bands.BandOf(std::nextafter(463.25, 0.0)), TunerBand::Mid);
    // High Band End is the last frequency tuned.
    EXPECT_EQ(bands.BandOf(958.0), TunerBand::High);
    EXPECT_EQ(bands.BandOf(std::nextafter(958.0, kInfinity)), std::nullopt);
    EXPECT_EQ(bands.BandOf(std::nextafter(44.0, 0.0)), std::nullopt);
    EXPECT_EQ(bands.Span(TunerBand::Mid).wCode, 0xA2);
}

TEST(TunerCoverage, EmptySlotsAndNaNAreNoChannelsButInfinityIsAboveEveryBand)
{
    const TunerBands bands(Tuner(44.0, 140.25, 463.25, 958.0));
    const CoverageReport report = CoverLists({0.0, 55.25, -3.0, kNaN}, {kInfinity, 0.0, 500.0}, bands);
    EXPECT_EQ(report.channels, 3u);
    EXPECT_EQ(report.emptySlots, 4u);
    ASSERT_EQ(report.uncovered.size(), 1u);
    EXPECT_EQ(report.uncovered[0].iList, ChannelModeCable);
    EXPECT_EQ(report.uncovered[0].iChannel, 1);
    EXPECT_EQ(report.uncovered[0].gap, CoverageGap::Above);
    EXPECT_EQ(report.Tally(TunerBand::Low).channels, 1u);
    EXPECT_EQ(report.Tally(TunerBand::Mid).channels, 0u);
    EXPECT_EQ(report.Tally(TunerBand::High).channels, 1u);
    EXPECT_EQ(report.Tally(TunerBand::High).dbLowest, 500.0);
}

TEST(TunerCoverage, UncoveredChannelsAreNamedBelowAndAboveInListOrder)
{
    const TunerBands bands(Tuner(48.25, 160.0, 450.0, 855.25));
    const CoverageReport report = CoverLists({45.75, 48.25, 855.25, 863.25}, {40.0}, bands);
    ASSERT_EQ(report.uncovered.size(), 3u);
    EXPECT_EQ(UncoveredMessage(report.uncovered[0], bands),
              "air channel 1: 45.75 MHz is below the tuner's lowest band, which starts at 48.25 MHz");
    EXPECT_EQ(UncoveredMessage(report.uncovered[1], bands),
              "air channel 4: 863.25 MHz is above the tuner's highest band, which ends at 855.25 MHz");
    EXPECT_EQ(report.uncovered[2].iList, ChannelModeCable);
    EXPECT_EQ(report.uncovered[2].gap, CoverageGap::Below);
    EXPECT_FALSE(report.CoversAll());
    EXPECT_EQ(report.Tally(TunerBand::Low).dbLowest, 48.25);
    EXPECT_EQ(report.Tally(TunerBand::High).dbHighest, 855.25);
}

TEST(TunerCoverage, EdgesOutOfOrderLeaveBandsEmptyOrOverlappingAndGaps)
{
    // Mid starts below low: the low band is empty, the mid band runs from 50.
    const TunerBands lowEmpty(Tuner(100.0, 50.0, 200.0, 300.0));
    EXPECT_FALSE(lowEmpty.EdgesInOrder());
    EXPECT_TRUE(lowEmpty.Span(TunerBand::Low).IsEmpty());
    EXPECT_EQ(lowEmpty.BandOf(60.0), TunerBand::Mid);
    EXPECT_EQ(lowEmpty.Lowest(), 50.0);

    // High starts inside low: low and high overlap, low wins, no mid band.
    const TunerBands overlapping(Tuner(10.0, 100.0, 50.0, 200.0));
    EXPECT_EQ(overlapping.BandOf(70.0), TunerBand::Low);
    EXPECT_EQ(overlapping.BandOf(150.0), TunerBand::High);
    const SortedFrequencies channels({20.0, 70.0, 150.0, 200.0}, {});
    EXPECT_EQ(channels.CountCovered(overlapping), 4u);

    // High Band End below High Band Start: the high band is empty and its
    // start is a gap above the mid band.
    const TunerBands highEmpty(Tuner(50.0, 100.0, 200.0, 150.0));
    EXPECT_TRUE(highEmpty.Span(TunerBand::High).IsEmpty());
    EXPECT_EQ(highEmpty.GapOf(200.0), CoverageGap::Above);
    EXPECT_EQ(highEmpty.Highest(), 200.0);

    // NaN edges empty the bands they bound.
    const TunerBands nanMid(Tuner(50.0, kNaN, 200.0, 300.0));
    EXPECT_FALSE(nanMid.EdgesInOrder());
    EXPECT_EQ(nanMid.BandOf(60.0), std::nullopt);
    EXPECT_EQ(nanMid.GapOf(60.0), CoverageGap::Below);
    EXPECT_EQ(nanMid.BandOf(250.0), TunerBand::High);

    const TunerBands none(Tuner(kNaN, kNaN, kNaN, kNaN));
    EXPECT_FALSE(none.HasBand());
    const CoverageReport report = CoverLists({55.25}, {}, none);
    ASSERT_EQ(report.uncovered.size(), 1u);
    // NaN edges have no order: the message names them instead.
    EXPECT_EQ(UncoveredMessage(report.uncovered[0], none),
              "air channel 1: 55.25 MHz is not tuned: the tuner has no band, its band edges are not finite numbers: "
              "low band start, mid band start, high band start, high band end");
    // Finite edges out of order that leave no band are said to be so.
    const TunerBands reversed(Tuner(300.0, 200.0, 100.0, 50.0));
    EXPECT_EQ(UncoveredMessage(CoverLists({55.25}, {}, reversed).uncovered[0], reversed),
              "air channel 1: 55.25 MHz is not tuned: the tuner has no band, its edges are out of order");
}

TEST(TunerCoverage, EdgesThatAreNotFiniteNumbersAreNamedNotPrinted)
{
    const TunerBands finite(Tuner(-1e308, 160.0, 442.0, 1e308));
    EXPECT_TRUE(finite.NonFiniteEdges().empty());
    EXPECT_EQ(NonFiniteEdgesText(finite), "");

    const TunerBands infinite(Tuner(-kInfinity, 160.0, 442.0, kInfinity));
    EXPECT_EQ(infinite.NonFiniteEdges(), std::vector<TunerEdge>({TunerEdge::LowBandStart, TunerEdge::HighBandEnd}));
    EXPECT_EQ(NonFiniteEdgesText(infinite), "its band edges are not finite numbers: low band start, high band end");
    EXPECT_EQ(NonFiniteEdgesText(TunerBands(Tuner(48.25, kNaN, 442.0, 863.25))),
              "its mid band start is not a finite number");
    EXPECT_STREQ(TunerEdgeKey(TunerEdge::HighBandStart), "high_band_start");

    // A low band up to infinity, the other bands empty: infinity lies above it.
    const TunerBands open(Tuner(48.25, kInfinity, kNaN, kNaN));
    CoverageReport report = CoverLists({kInfinity, 45.75}, {}, open);
    ASSERT_EQ(report.uncovered.size(), 2u);
    EXPECT_EQ(UncoveredMessage(report.uncovered[0], open),
              "air channel 1: inf MHz is above the tuner's highest band, whose end is not a finite number");
    EXPECT_EQ(UncoveredMessage(report.uncovered[1], open),
              "air channel 2: 45.75 MHz is below the tuner's lowest band, which starts at 48.25 MHz");
    // A high band of infinity alone: everything else lies below it.
    const TunerBands far(Tuner(kNaN, kNaN, kInfinity, kInfinity));
    report = CoverLists({55.25}, {}, far);
    ASSERT_EQ(report.uncovered.size(), 1u);
    EXPECT_EQ(UncoveredMessage(report.uncovered[0], far),
              "air channel 1: 55.25 MHz is below the tuner's lowest band, whose start is not a finite number");
}

TEST(TunerCoverage, AGapBetweenBandsIsBetween)
{
    // Low [300, 400), mid [400, 100) empty, high [100, 200]: nothing tunes
    // 200 to 300.
    const TunerBands holed(Tuner(300.0, 400.0, 100.0, 200.0));
    EXPECT_EQ(holed.Lowest(), 100.0);
    EXPECT_EQ(holed.Highest(), 400.0);
    const CoverageReport report = CoverLists({250.0, 50.0, 450.0, 400.0}, {}, holed);
    ASSERT_EQ(report.uncovered.size(), 4u);
    EXPECT_EQ(report.uncovered[0].gap, CoverageGap::Between);
    EXPECT_EQ(report.uncovered[1].gap, CoverageGap::Below);
    EXPECT_EQ(report.uncovered[2].gap, CoverageGap::Above);
    // The low band stops before its end.
    EXPECT_EQ(report.uncovered[3].gap, CoverageGap::Above);
    EXPECT_EQ(UncoveredMessage(report.uncovered[0], holed),
              "air channel 1: 250 MHz falls between the tuner's bands, whose edges are out of order");
}

TEST(TunerCoverage, AgreesWithTheModelOnRandomTunersAndChannels)
{
    std::mt19937 random(27);
    // Edges and frequencies drawn from a few values, so that channels often
    // lie exactly on an edge and edges often fall out of order.
    const double values[] = {0.0, 44.0, 48.25, 140.25, 160.0, 463.25, 855.25, 958.0, kNaN, -5.0, kInfinity};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(values) - 1);
    for (int round = 0; round < 2000; ++round) {
        const TunerSpecEntry entry =
            Tuner(values[pick(random)], values[pick(random)], values[pick(random)], values[pick(random)]);
        const TunerBands bands(entry);
        std::vector<double> air;
        std::vector<double> cable;
        for (int i = 0; i < 6; ++i) {
            air.push_back(values[pick(random)]);
            cable.push_back(values[pick(random)]);
        }
        const CoverageReport report = CoverLists(air, cable, bands);
        std::size_t modelCovered = 0;
        std::size_t modelChannels = 0;
        std::vector<std::pair<std::int32_t, std::int32_t>> modelUncovered;
        for (const auto& [iList, list] : {std::pair{ChannelModeAir, &air}, std::pair{ChannelModeCable, &cable}}) {
            for (std::size_t i = 0; i < list->size(); ++i) {
                const double f = (*list)[i];
                EXPECT_EQ(bands.BandOf(f), ModelBand(entry, f));
                if (!(f > 0.0))
                    continue;
                ++modelChannels;
                if (ModelBand(entry, f))
                    ++modelCovered;
                else
                    modelUncovered.emplace_back(iList, static_cast<std::int32_t>(i + 1));
            }
        }
        EXPECT_EQ(report.channels, modelChannels);
        ASSERT_EQ(report.uncovered.size(), modelUncovered.size());
        for (std::size_t i = 0; i < modelUncovered.size(); ++i) {
            EXPECT_EQ(report.uncovered[i].iList, modelUncovered[i].first);
            EXPECT_EQ(report.uncovered[i].iChannel, modelUncovered[i].second);
        }
        EXPECT_EQ(SortedFrequencies(air, cable).CountCovered(bands), modelCovered);
    }
}

TEST(TunerCoverage, TunersCoveringEveryChannelAreFoundInTableOrder)
{
    ChannelTable channels(true);
    for (const double f : {48.25, 140.25, 463.25, 855.25}) {
        auto* pNode = new ChannelNode;
        pNode->dbFrequency = f;
        ASSERT_EQ(channels.AppendChannel(ChannelModeAir, pNode), 1);
    }
    auto* pEmpty = new ChannelNode;
    ASSERT_EQ(channels.AppendChannel(ChannelModeCable, pEmpty), 1);

    TunerSpecTable tuners(true);
    ASSERT_TRUE(tuners.AppendEntries({
        Tuner(44.0, 140.25, 463.25, 958.0), // every channel
        Tuner(48.5, 140.25, 463.25, 958.0), // misses 48.25
        Tuner(44.0, 140.25, 463.25, 855.0), // misses 855.25
        Tuner(48.25, 140.0, 460.0, 855.25), // every channel, on its edges
        Tuner(kNaN, 140.25, 463.25, 958.0), // no low band
    }));
    const SortedFrequencies sorted(channels);
    EXPECT_EQ(sorted.size(), 4u);
    EXPECT_EQ(TunersCoveringAll(tuners, sorted), (std::vector<std::int32_t>{1, 4}));
    EXPECT_TRUE(CoverTable(channels, TunerBands(tuners.Entries().begin()->entry)).CoversAll());
    EXPECT_EQ(TunerCodesText(tuners.Entries().begin()->entry), "03:12");
}

// Many tables against many tuners, each pair counted against the band rule
// channel by channel: tables with channels on each edge of the first tuner
// and a step either side of it, empty slots and channels in both lists, and
// tuners whose edges are out of order, NaN or drawn at random from those edges.
TEST(TunerCoverage, MatrixCountsEachPairAsTheModelDoes)
{
    const double edges[] = {48.25, 160.0, 442.0, 863.25};
    std::vector<double> onEdges;
    for (const double edge : edges) {
        for (const double f : {edge, std::nextafter(edge, 0.0), std::nextafter(edge, kInfinity)})
            onEdges.push_back(f);
    }
    const std::vector<std::pair<std::vector<double>, std::vector<double>>> lists = {
        {onEdges, {0.0, 45.0, kNaN, 0.0, 900.0}},
        {{0.0, 100.0, 300.0}, {100.0, 870.0}},
        {{}, {0.0}},
        {{160.0, 442.0}, {}},
    };
    std::vector<TunerSpecEntry> entries = {Tuner(48.25, 160.0, 442.0, 863.25), Tuner(300.0, 400.0, 100.0, 159.8),
                                           Tuner(kNaN, 160.0, 442.0, 900.0), Tuner(40.0, 40.0, 40.0, 1000.0)};
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> pick(0, onEdges.size() - 1);
    for (int i = 0; i < 60; ++i)
        entries.push_back(
            Tuner(onEdges[pick(random)], onEdges[pick(random)], onEdges[pick(random)], onEdges[pick(random)]));
    TunerSpecTable tuners(true);
    ASSERT_TRUE(tuners.AppendEntries(entries));

    std::vector<SortedFrequencies> tables;
    for (const auto& [air, cable] : lists)
        tables.emplace_back(air, cable);
    const CoverageMatrix matrix(tables, BandsOfTuners(tuners));
    ASSERT_EQ(matrix.TableCount(), lists.size());
    ASSERT_EQ(matrix.TunerCount(), entries.size());
    std::vector<bool> tunesEveryTable(entries.size(), true);
    for (std::size_t t = 0; t < lists.size(); ++t) {
        bool bTunedWhole = false;
        for (std::size_t u = 0; u < entries.size(); ++u) {
            std::size_t outside = 0;
            for (const std::vector<double>* pList : {&lists[t].first, &lists[t].second}) {
                outside += static_cast<std::size_t>(std::count_if(
                    pList->begin(), pList->end(), [&](double f) { return f > 0.0 && !ModelBand(entries[u], f); }));
            }
            EXPECT_EQ(matrix.Outside(t, u), outside) << "table " << t << ", tuner " << u;
            bTunedWhole = bTunedWhole || outside == 0;
            tunesEveryTable[u] = tunesEveryTable[u] && outside == 0;
        }
        EXPECT_EQ(matrix.TableIsTunedWhole(t), bTunedWhole) << t;
    }
    for (std::size_t u = 0; u < entries.size(); ++u)
        EXPECT_EQ(matrix.TunerTunesEveryTable(u), tunesEveryTable[u]) << u;
    // The steps below its lowest and above its highest edge, and 45 and 900 MHz.
    EXPECT_EQ(matrix.Outside(0, 0), 4u);
}


TEST(TunerCoverage, TunerCodesReadAsTheyAreWritten)
{
    std::int32_t iFactory = -1;
    std::int32_t iType = -1;
    EXPECT_TRUE(ParseTunerCodes("03:12", iFactory, iType));
    EXPECT_EQ(iFactory, 0x03);
    EXPECT_EQ(iType, 0x12);
    EXPECT_TRUE(ParseTunerCodes("fFfFfFfF:a", iFactory, iType));
    EXPECT_EQ(iFactory, -1);
    EXPECT_EQ(iType, 0xA);
    for (const char* bad : {"", ":", "03", "03:", ":12", "03:12:", "123456789:1", "g1:2", "03 :12", "-3:12"})
        EXPECT_FALSE(ParseTunerCodes(bad, iFactory, iType)) << bad;
}

// A tuner's title names each name once, as the chart's legend and summary show it.
TEST(TunerCoverage, TunerTitlesNameTheFactoryOnce)
{
    TunerSpecEntry entry;
    entry.SetFactory(0x03);
    entry.SetTunerType(0x12);
    const char* const cases[][3] = {
        {"Temic", "Temic PAL (4002 FH5)", "03:12 Temic PAL (4002 FH5)"},
        {"Philips", "FI1216 MK2", "03:12 Philips FI1216 MK2"},
        {" temic ", "TEMIC 4002", "03:12 TEMIC 4002"},
        {"Temic", "Temical 1", "03:12 Temic Temical 1"},
        {"Temic", "Temic", "03:12 Temic"},
        {"", "FI1216", "03:12 FI1216"},
        {"Philips", "", "03:12 Philips"},
        {"", "", "03:12"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TunerTitle(entry, c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

} // namespace
