#pragma once
// The band chart of a channel table: where its channels lie on the frequency
// axis against the TV bands and, when one is given, against a tuner's bands.
// Both front ends draw this one model: the tool writes it as SVG
// (BandChartSvg) and the channel editor's chart window paints it.
//
// Each list is a lane (air above cable) of marks, one per channel with a
// frequency, sorted by frequency so that the marks of a visible span are found
// by binary search. A mark is labelled with its channel number and, when a
// label function is given, with its plan label. Marks whose frequency another
// channel of the lane holds too are "repeated" (DuplicateFrequencies' rule);
// against a tuner, marks no band of it tunes are "uncovered" (TunerCoverage's
// rule).
//
// A channel here is a slot with a finite frequency above 0: empty slots and
// NaN have no place on the axis, and neither has infinity, which the table
// check reports on its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"

// A plan label for a channel of a list ("E5", "S21"), none where no plan names it.
using ChannelLabelFunction = std::function<std::optional<std::string>(std::int32_t iList, double dbFrequency)>;

// A named band of the spectrum drawn behind the lanes to read them by.
struct BroadcastBand
{
    const char* name; // "VHF III"
    const char* id;   // "vhf-iii", for the SVG's element ids
    double dbStart;
    double dbEnd;
};

// VHF I 47–68 MHz, Band II (FM) 87.5–108 MHz, VHF III 174–230 MHz, UHF 470–862 MHz.
const std::array<BroadcastBand, 4>& BroadcastBands();

struct ChartMark
{
    double dbFrequency = 0.0;
    std::int32_t iChannel = 0; // 1-based position in its list
    bool bRepeated = false;    // another channel of the list holds the same frequency
    bool bUncovered = false;   // a tuner is given and none of its bands tunes the channel
    std::string label;         // the plan label; empty for none
};

// A span between neighbouring channels of a lane that is much wider than the
// lane's usual spacing: where channels seem to be missing.
struct ChartGap
{
    double dbStart = 0.0; // the lower channel's frequency
    double dbEnd = 0.0;   // the upper channel's frequency
    double Width() const { return dbEnd - dbStart; }
};

// The rule of a gap, the one place it is defined: a step between neighbouring
// distinct frequencies of a lane wider than kGapSpacingFactor times the
// lane's usual spacing, the median of those steps. 1.5 lets a raster that
// changes from 7 to 8 MHz pass and shows a single missing channel (twice the
// spacing).
constexpr double kGapSpacingFactor = 1.5;

struct ChartLane
{
    std::int32_t iList = 0;       // ChannelModeAir or ChannelModeCable
    std::vector<ChartMark> marks; // by frequency; equal ones in channel order
    std::vector<ChartGap> gaps;   // rising
    double dbUsualSpacing = 0.0;  // median step between distinct frequencies; 0 for fewer than two

    // The first mark at or above dbFrequency, and the first above it.
    std::size_t LowerBound(double dbFrequency) const;
    std::size_t UpperBound(double dbFrequency) const;
    // The mark of a channel, none for an empty slot or a channel not in the list.
    std::optional<std::size_t> MarkOfChannel(std::int32_t iChannel) const;
};

// A tuner's band as the chart shows it: its span and "low 8E01" (the band's
// name and its code as the tuner editor shows codes).
struct ChartTunerSpan
{
    TunerBand band = TunerBand::Low;
    double dbStart = 0.0;
    double dbEnd = 0.0;
    std::uint16_t wCode = 0;
    std::string caption;
};

// The tuner the chart judges the channels against.
struct ChartTuner
{
    TunerSpecEntry entry;
    std::string title; // "03:12", or with the catalogue's names "03:12 Philips FI1216 MK2"
};

class BandChart
{
public:
    static constexpr std::int32_t kLaneCount = 2;

    // An empty chart: no marks, the axis over the TV bands.
    BandChart();
    BandChart(const std::vector<double>& air, const std::vector<double>& cable,
              const std::optional<ChartTuner>& tuner = std::nullopt, const ChannelLabelFunction& labels = {});

    // The lane of one list made anew from its frequencies, as the chart made
    // with them would hold it; the other lane and the tuner stay.
    void RemakeLane(std::int32_t iList, const std::vector<double>& frequencies,
                    const ChannelLabelFunction& labels = {});

    // Air (0) and cable (1); any other list is the air lane.
    const ChartLane& Lane(std::int32_t iList) const;
    // The frequencies the axis runs over: every mark and tuner band with a
    // little room on each side.
    double AxisStart() const { return m_dbAxisStart; }
    double AxisEnd() const { return m_dbAxisEnd; }

    bool HasTuner() const { return m_bHasTuner; }
    const std::string& TunerTitle() const { return m_tunerTitle; }
    // The tuner's bands that are not empty, low to high.
    const std::vector<ChartTunerSpan>& TunerSpans() const { return m_tunerSpans; }

    std::size_t MarkCount() const { return m_lanes[0].marks.size() + m_lanes[1].marks.size(); }
    std::size_t UncoveredCount() const { return m_uncovered; }

private:
    void SetAxis();
    void CountUncovered();

    std::array<ChartLane, kLaneCount> m_lanes;
    std::optional<TunerBands> m_tunerBands;
    double m_dbAxisStart = 0.0;
    double m_dbAxisEnd = 0.0;
    bool m_bHasTuner = false;
    std::string m_tunerTitle;
    std::vector<ChartTunerSpan> m_tunerSpans;
    std::size_t m_uncovered = 0;
};

// "air", "cable".
const char* ChartLaneName(std::int32_t iList);

// What a mark says to a screen reader and in the SVG's tooltip:
// "air channel 5, 175.25 MHz, E5, repeated, outside the tuner".
std::string ChartMarkText(std::int32_t iList, const ChartMark& mark);

// "low 8E01": a tuner band's name and its code in hex.
std::string TunerSpanCaption(TunerBand band, std::uint16_t wCode);

// "32.5 MHz": a width or a frequency, in its shortest exact form.
std::string MegahertzText(double dbFrequency);

// Round frequencies for the axis between start and end, at a step of 1, 2 or
// 5 times a power of ten chosen so that at most maxTicks fit (at least 2).
std::vector<double> AxisTicks(double dbStart, double dbEnd, int maxTicks);

// The chart as a standalone SVG document of the given width: title, the TV
// bands, the tuner's spans, the gaps, one <line class="mark ..."> per mark
// (id "air-5"), axis ticks in MHz and a legend. Text from outside (title,
// labels) is escaped and made valid UTF-8.
std::string BandChartSvg(const BandChart& chart, const std::string& title, int iWidth = 1400);

// Text as XML character data or an attribute value: &, <, >, " and ' escaped,
// control characters and bytes that are not UTF-8 replaced by U+FFFD.
std::string XmlEscaped(const std::string& text);
// The same, appended to out.
void AppendXmlEscaped(std::string& out, const std::string& text);
