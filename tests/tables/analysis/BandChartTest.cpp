// The band chart's model: one mark per channel with a frequency, sorted by
// frequency, repeats, gaps by the lane's usual spacing, channels a tuner does
// not tune (on its band edges too), labels, the axis and the SVG's text.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tables/analysis/BandChart.h"
#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/format/ChannelTable.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TunerSpecEntry Tuner(double low, double mid, double high, double end)
{
    TunerSpecEntry entry;
    entry.SetFactory(0x03);
    entry.SetTunerType(0x12);
    entry.SetLowBandStart(low);
    entry.SetMidBandStart(mid);
    entry.SetHighBandStart(high);
    entry.SetHighBandEnd(end);
    entry.SetLowCode(0x8E01);
    entry.SetMidCode(0xA2);
    entry.SetHighCode(0x4);
    return entry;
}

std::vector<std::int32_t> Channels(const ChartLane& lane)
{
    std::vector<std::int32_t> channels;
    for (const ChartMark& mark : lane.marks)
        channels.push_back(mark.iChannel);
    return channels;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

TEST(BandChart, OneMarkPerChannelWithAFrequencySortedByFrequency)
{
    const BandChart chart({175.25, 0.0, 48.25, kNaN, -3.0, 55.25, kInfinity}, {112.25});
    const ChartLane& air = chart.Lane(ChannelModeAir);
    // Empty slots, NaN, negative values and infinity have no place on the axis.
    EXPECT_EQ(Channels(air), (std::vector<std::int32_t>{3, 6, 1}));
    EXPECT_EQ(Channels(chart.Lane(ChannelModeCable)), std::vector<std::int32_t>{1});
    EXPECT_EQ(chart.MarkCount(), 4u);
    EXPECT_EQ(air.LowerBound(55.25), 1u);
    EXPECT_EQ(air.UpperBound(55.25), 2u);
    EXPECT_EQ(air.LowerBound(500.0), 3u);
    EXPECT_EQ(air.MarkOfChannel(1), 2u);
    EXPECT_FALSE(air.MarkOfChannel(2));
    // The axis holds every mark with a little room on both sides.
    EXPECT_LT(chart.AxisStart(), 48.25);
    EXPECT_GT(chart.AxisStart(), 40.0);
    EXPECT_GT(chart.AxisEnd(), 175.25);
    EXPECT_LT(chart.AxisEnd(), 185.0);

    // A rising list with channels moved up, down, to the ends, and repeated:
    // the marks in order of frequency, equal ones in order of channel.
    std::vector<double> moved;
    for (int i = 0; i < 40; ++i)
        moved.push_back(48.25 + 7.0 * i);
    moved[3] = 500.0;
    moved[20] = 50.0;
    moved[0] = 900.0;
    moved[39] = 40.0;
    moved[10] = moved[11];
    moved[30] = 500.0;
    std::vector<std::pair<double, std::int32_t>> expected;
    for (std::size_t i = 0; i < moved.size(); ++i)
        expected.emplace_back(moved[i], static_cast<std::int32_t>(i + 1));
    std::sort(expected.begin(), expected.end());
    std::vector<std::pair<double, std::int32_t>> marked;
    const BandChart movedChart(moved, {});
    for (const ChartMark& mark : movedChart.Lane(ChannelModeAir).marks)
        marked.emplace_back(mark.dbFrequency, mark.iChannel);
    EXPECT_EQ(marked, expected);
}

TEST(BandChart, EmptyChartLooksAtTheTvBands)
{
    const BandChart empty;
    EXPECT_EQ(empty.MarkCount(), 0u);
    EXPECT_LE(empty.AxisStart(), 47.0);
    EXPECT_GE(empty.AxisEnd(), 862.0);
    const BandChart single({100.0}, {});
    EXPECT_LT(single.AxisStart(), 100.0);
    EXPECT_GT(single.AxisEnd(), 100.0);
    // Frequencies near the largest double still give a finite axis that holds them.
    const BandChart huge({1.0, 1.79e308}, {});
    EXPECT_TRUE(std::isfinite(huge.AxisEnd() - huge.AxisStart()));
    EXPECT_LE(huge.AxisStart(), 1.0);
    EXPECT_GE(huge.AxisEnd(), 1.79e308);
}

TEST(BandChart, RepeatedFrequenciesAreMarkedWithinTheirListOnly)
{
    const BandChart chart({48.25, 55.25, 48.25, 62.25}, {55.25});
    const ChartLane& air = chart.Lane(ChannelModeAir);
    ASSERT_EQ(air.marks.size(), 4u);
    // Equal frequencies keep their channel order.
    EXPECT_EQ(Channels(air), (std::vector<std::int32_t>{1, 3, 2, 4}));
    EXPECT_TRUE(air.marks[0].bRepeated);
    EXPECT_TRUE(air.marks[1].bRepeated);
    EXPECT_FALSE(air.marks[2].bRepeated);
    EXPECT_FALSE(air.marks[3].bRepeated);
    EXPECT_FALSE(chart.Lane(ChannelModeCable).marks[0].bRepeated);

    // Lists in any order, with empty slots, NaN and infinity among the repeats:
    // a mark is repeated exactly where DuplicateFrequencies finds another channel.
    const double values[] = {48.25, 55.25, 0.0, -0.0, -48.25, std::nan(""), HUGE_VAL, 862.0, 55.25000000000001};
    std::mt19937 random(36);
    for (int round = 0; round < 50; ++round) {
        std::vector<double> list(1 + random() % 40);
        for (double& f : list)
            f = values[random() % std::size(values)];
        const DuplicateFrequencies repeats(list);
        const BandChart charted(list, {});
        for (const ChartMark& mark : charted.Lane(ChannelModeAir).marks)
            EXPECT_EQ(mark.bRepeated,
                      repeats.OtherOf(static_cast<std::size_t>(mark.iChannel - 1)) != DuplicateFrequencies::kNone)
                << round << " channel " << mark.iChannel;
    }
}

TEST(BandChart, GapsAreStepsWiderThanTheUsualSpacingTimesTheFactor)
{
    // 8 MHz raster; one missing channel (16 MHz), a band change (a 300 MHz
    // step), and a step of 1.5 times the spacing, which is not yet a gap.
    const BandChart chart({471.25, 479.25, 487.25, 503.25, 511.25, 519.25, 531.25, 831.25, 839.25}, {});
    const ChartLane& air = chart.Lane(ChannelModeAir);
    EXPECT_DOUBLE_EQ(air.dbUsualSpacing, 8.0);
    ASSERT_EQ(air.gaps.size(), 2u);
    EXPECT_DOUBLE_EQ(air.gaps[0].dbStart, 487.25);
    EXPECT_DOUBLE_EQ(air.gaps[0].Width(), 16.0);
    EXPECT_DOUBLE_EQ(air.gaps[1].dbStart, 531.25);
    EXPECT_DOUBLE_EQ(air.gaps[1].dbEnd, 831.25);
    // Repeats do not count as steps of 0.
    const BandChart repeated({100.0, 100.0, 100.0, 108.0, 116.0, 140.0}, {});
    EXPECT_DOUBLE_EQ(repeated.Lane(ChannelModeAir).dbUsualSpacing, 8.0);
    EXPECT_EQ(repeated.Lane(ChannelModeAir).gaps.size(), 1u);
    // Two channels give one step: nothing to compare it with.
    EXPECT_TRUE(BandChart({100.0, 500.0}, {}).Lane(ChannelModeAir).gaps.empty());
}

TEST(BandChart, UncoveredChannelsFollowTheTunerBandRuleOnItsEdges)
{
    // Bands: low 48.25 <= f < 160, mid 160 <= f < 450, high 450 <= f <= 860.
    const ChartTuner tuner{Tuner(48.25, 160.0, 450.0, 860.0), "03:12"};
    const std::vector<double> air = {std::nextafter(48.25, 0.0), 48.25, 160.0, 450.0, 860.0,
                                     std::nextafter(860.0, 1e9)};
    const BandChart chart(air, {40.0, 0.0, 900.0}, tuner);
    const ChartLane& lane = chart.Lane(ChannelModeAir);
    ASSERT_EQ(lane.marks.size(), 6u);
    const std::vector<bool> uncovered = {true, false, false, false, false, true};
    for (std::size_t i = 0; i < lane.marks.size(); ++i)
        EXPECT_EQ(lane.marks[i].bUncovered, uncovered[i]) << "air channel " << lane.marks[i].iChannel;
    EXPECT_EQ(chart.UncoveredCount(), 4u);
    EXPECT_TRUE(chart.HasTuner());
    EXPECT_EQ(chart.TunerTitle(), "03:12");
    ASSERT_EQ(chart.TunerSpans().size(), 3u);
    EXPECT_EQ(chart.TunerSpans()[0].caption, "low 8E01");
    EXPECT_EQ(chart.TunerSpans()[1].caption, "mid A2");
    EXPECT_EQ(chart.TunerSpans()[2].caption, "high 4");
    EXPECT_DOUBLE_EQ(chart.TunerSpans()[2].dbEnd, 860.0);
    // Without a tuner nothing is uncovered.
    EXPECT_EQ(BandChart(air, {}).UncoveredCount(), 0u);
}

TEST(BandChart, TunerWithAnEmptyBandShowsOnlyItsOthers)
{
    // Mid band empty: its start is not below its end.
    const BandChart chart({100.0, 300.0}, {}, ChartTuner{Tuner(50.0, 200.0, 200.0, 800.0), "03:12"});
    ASSERT_EQ(chart.TunerSpans().size(), 2u);
    EXPECT_EQ(chart.TunerSpans()[0].band, TunerBand::Low);
    EXPECT_EQ(chart.TunerSpans()[1].band, TunerBand::High);
    // The axis reaches the tuner's ends, not only the channels.
    EXPECT_LT(chart.AxisStart(), 50.0);
    EXPECT_GT(chart.AxisEnd(), 800.0);
}

TEST(BandChart, TunerEdgesFarOutsideTheTuningRangeDoNotStretchTheAxis)
{
    // The axis holds the channels and the tuner's edges from 0 to 2000 MHz,
    // whatever doubles the edges are: its width stays finite for the editor's view.
    for (const double far : {1e308, kInfinity, 863250.0}) {
        const BandChart chart({48.25, 500.0}, {}, ChartTuner{Tuner(-far, 160.0, 442.0, far), "03:12"});
        ASSERT_EQ(chart.TunerSpans().size(), 3u);
        EXPECT_TRUE(std::isfinite(chart.AxisEnd() - chart.AxisStart())) << far;
        EXPECT_LE(chart.AxisStart(), 0.0);
        EXPECT_GT(chart.AxisStart(), -100.0);
        EXPECT_GE(chart.AxisEnd(), 2000.0);
        EXPECT_LT(chart.AxisEnd(), 2100.0);
    }
    // A tuner wholly beyond leaves the axis to the channels.
    const BandChart beyond({48.25, 500.0}, {}, ChartTuner{Tuner(1e308, 1e308, 1e308, 1e308), "03:12"});
    EXPECT_LT(beyond.AxisEnd(), 520.0);
    EXPECT_GT(beyond.AxisStart(), 30.0);
}

TEST(BandChart, LabelsComeFromTheFunctionPerListAndFrequency)
{
    const ChannelLabelFunction labels = [](std::int32_t iList, double f) -> std::optional<std::string> {
        if (iList == ChannelModeAir && f == 175.25)
            return std::string("E5");
        if (iList == ChannelModeCable)
            return std::string("S") + std::to_string(static_cast<int>(f));
        return std::nullopt;
    };
    const BandChart chart({175.25, 48.25}, {303.25}, std::nullopt, labels);
    EXPECT_EQ(chart.Lane(ChannelModeAir).marks[1].label, "E5");
    EXPECT_EQ(chart.Lane(ChannelModeAir).marks[0].label, "");
    EXPECT_EQ(chart.Lane(ChannelModeCable).marks[0].label, "S303");
    // A plan that numbers channels as the list does names nothing new.
    const BandChart positional({48.25, 55.25}, {}, std::nullopt, [](std::int32_t, double f) {
        return std::optional<std::string>(f == 55.25 ? "2" : "7");
    });
    EXPECT_EQ(positional.Lane(ChannelModeAir).marks[1].label, "");
    EXPECT_EQ(positional.Lane(ChannelModeAir).marks[0].label, "7");
    EXPECT_EQ(ChartMarkText(ChannelModeAir, chart.Lane(ChannelModeAir).marks[1]),
              "air channel 1, 175.25 MHz, plan channel E5");
}

void ExpectSameChart(const BandChart& remade, const BandChart& fresh, int step)
{
    const auto markOf = [](const ChartMark& m) {
        return std::tie(m.dbFrequency, m.iChannel, m.bRepeated, m.bUncovered, m.label);
    };
    const auto gapOf = [](const ChartGap& gap) { return std::tie(gap.dbStart, gap.dbEnd); };
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable}) {
        const ChartLane& a = remade.Lane(iList);
        const ChartLane& b = fresh.Lane(iList);
        EXPECT_EQ(a.iList, b.iList) << step;
        EXPECT_TRUE(std::equal(a.marks.begin(), a.marks.end(), b.marks.begin(), b.marks.end(),
                               [&](const ChartMark& x, const ChartMark& y) { return markOf(x) == markOf(y); }))
            << step;
        EXPECT_TRUE(std::equal(a.gaps.begin(), a.gaps.end(), b.gaps.begin(), b.gaps.end(),
                               [&](const ChartGap& x, const ChartGap& y) { return gapOf(x) == gapOf(y); }))
            << step;
        EXPECT_EQ(a.dbUsualSpacing, b.dbUsualSpacing) << step;
    }
    EXPECT_EQ(std::make_pair(remade.AxisStart(), remade.AxisEnd()), std::make_pair(fresh.AxisStart(), fresh.AxisEnd()))
        << step;
    EXPECT_EQ(remade.UncoveredCount(), fresh.UncoveredCount()) << step;
}

TEST(BandChart, ALaneMadeAnewIsTheChartMadeAnewWithThatList)
{
    // Edits of one list at a time, each lane made anew, against the whole
    // chart made from both lists: with a tuner and labels, lists that empty
    // and that stretch the axis.
    const ChartTuner tuner{Tuner(48.25, 160.0, 450.0, 860.0), "03:12"};
    const ChannelLabelFunction labels = [](std::int32_t iList, double f) -> std::optional<std::string> {
        if (static_cast<int>(f) % 3 == 0)
            return std::string(iList == ChannelModeCable ? "S" : "E") + std::to_string(static_cast<int>(f) % 40);
        return std::nullopt;
    };
    std::mt19937 random(20261211);
    std::vector<double> air = {48.25, 55.25, 62.25, 175.25};
    std::vector<double> cable = {112.25, 119.25};
    BandChart remade(air, cable, tuner, labels);
    for (int step = 0; step < 300; ++step) {
        const std::int32_t iList = random() % 2 ? ChannelModeAir : ChannelModeCable;
        std::vector<double>& list = iList == ChannelModeAir ? air : cable;
        const auto what = random() % 6;
        const double f = 40.0 + static_cast<double>(random() % 1200) * 0.25 * (what == 5 ? 40 : 1);
        if (what == 0 && !list.empty())
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(random() % list.size()));
        else if (what == 1 && !list.empty())
            list[random() % list.size()] = list.front(); // a repeat
        else if (what == 2)
            list.clear();
        else if (what == 3 && !list.empty())
            list[random() % list.size()] = 0.0; // an empty slot
        else
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(list.empty() ? 0 : random() % list.size()), f);
        remade.RemakeLane(iList, list, labels);
        ExpectSameChart(remade, BandChart(air, cable, tuner, labels), step);
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(BandChart, MarkTextsSayWhatAMarkIs)
{
    ChartMark mark;
    mark.iChannel = 5;
    mark.dbFrequency = 175.25;
    mark.label = "E5";
    mark.bRepeated = true;
    mark.bUncovered = true;
    EXPECT_EQ(ChartMarkText(ChannelModeAir, mark),
              "air channel 5, 175.25 MHz, plan channel E5, repeated, outside the tuner");
    mark.label.clear();
    mark.bRepeated = false;
    EXPECT_EQ(ChartMarkText(ChannelModeCable, mark), "cable channel 5, 175.25 MHz, outside the tuner");
}

TEST(BandChart, AxisTicksAreRoundAndFewEnough)
{
    EXPECT_EQ(AxisTicks(40.0, 870.0, 10), (std::vector<double>{100, 200, 300, 400, 500, 600, 700, 800}));
    EXPECT_EQ(AxisTicks(170.0, 190.0, 5), (std::vector<double>{170, 175, 180, 185, 190}));
    EXPECT_EQ(AxisTicks(-3.0, 41.0, 4), (std::vector<double>{0, 20, 40}));
    EXPECT_TRUE(AxisTicks(100.0, 100.0, 10).empty());
    EXPECT_TRUE(AxisTicks(kNaN, 100.0, 10).empty());
    EXPECT_LE(AxisTicks(0.0, 1e300, 10).size(), 11u);
}

TEST(BandChartSvg, EscapesTextAndReplacesWhatXmlCannotHold)
{
    EXPECT_EQ(XmlEscaped("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
    EXPECT_EQ(XmlEscaped("S\x01"
                         "1"),
              "S\xEF\xBF\xBD"
              "1");
    EXPECT_EQ(XmlEscaped("\xC3\xA9t\xC3"), "\xC3\xA9t\xEF\xBF\xBD");
    // An overlong '<' and a surrogate are not characters.
    EXPECT_EQ(XmlEscaped("\xC0\xBC"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(XmlEscaped("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(BandChartSvg, HoldsOneMarkPerChannelTheBandsTheTunerAndEscapedLabels)
{
    const ChannelLabelFunction labels = [](std::int32_t, double f) -> std::optional<std::string> {
        return f == 48.25 ? std::optional<std::string>("E2<&>") : std::nullopt;
    };
    const BandChart chart({48.25, 0.0, 55.25, 55.25}, {175.25, 0.0},
                          ChartTuner{Tuner(50.0, 160.0, 450.0, 860.0), "03:12"}, labels);
    const std::string svg = BandChartSvg(chart, "de & <at>.ccf");
    EXPECT_EQ(Count(svg, "<line class=\"mark "), 4u);
    EXPECT_EQ(Count(svg, "id=\"air-"), 3u);
    EXPECT_EQ(Count(svg, "id=\"cable-1\""), 1u);
    EXPECT_EQ(Count(svg, "id=\"air-2\""), 0u);
    EXPECT_EQ(Count(svg, "class=\"mark air repeated\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"mark air uncovered\""), 1u);
    EXPECT_NE(svg.find("E2&lt;&amp;&gt;"), std::string::npos);
    EXPECT_EQ(svg.find("E2<&>"), std::string::npos);
    EXPECT_NE(svg.find("<title>de &amp; &lt;at&gt;.ccf</title>"), std::string::npos);
    EXPECT_NE(svg.find("id=\"band-vhf-i\""), std::string::npos);
    EXPECT_NE(svg.find("id=\"band-vhf-iii\""), std::string::npos);
    EXPECT_NE(svg.find(">low 8E01<"), std::string::npos);
    EXPECT_NE(svg.find("id=\"tuner-high\""), std::string::npos);
    EXPECT_NE(svg.find(">100 MHz<"), std::string::npos);
    EXPECT_NE(svg.find("class=\"legend\""), std::string::npos);
    // A whole mark and its label, byte for byte: coordinates with two
    // decimals at most and no trailing zeros, the paint of a repeated mark.
    EXPECT_NE(svg.find("<line class=\"mark air uncovered\" id=\"air-1\" x1=\"84.62\" y1=\"110\" x2=\"84.62\" "
                       "y2=\"136\" stroke=\"#d02020\" stroke-width=\"1.5\" stroke-dasharray=\"3 2\"><title>air "
                       "channel 1, 48.25 MHz, plan channel E2&lt;&amp;&gt;, outside the tuner</title></line>\n"
                       "<text class=\"channel-label\" x=\"84.62\" y=\"106\" text-anchor=\"middle\" "
                       "font-size=\"9\">1 E2&lt;&amp;&gt;</text>\n"
                       "<line class=\"mark air repeated\" id=\"air-3\" x1=\"95.23\" y1=\"110\" x2=\"95.23\" "
                       "y2=\"136\" stroke=\"#d08700\" stroke-width=\"3\"><title>air channel 3, 55.25 MHz, "
                       "repeated</title></line>\n"),
              std::string::npos);
}

} // namespace
