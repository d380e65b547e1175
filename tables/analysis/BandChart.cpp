#include "tables/analysis/BandChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "tables/analysis/TunerPlausibility.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/Numbers.h"

namespace {

// Where a chart without channels or tuner looks: over the TV bands.
constexpr double kEmptyAxisStart = 40.0;
constexpr double kEmptyAxisEnd = 870.0;
// Room left beside the outermost marks, as a share of the span.
constexpr double kAxisRoom = 0.02;
// The frequencies a tuner's edges may stretch the axis to: from 0 to twice
// the top of the tuning range. An edge beyond (a value in kHz, a huge or
// infinite one) leaves the channels readable; its span runs to the axis' end.
constexpr double kTunerAxisLow = 0.0;
constexpr double kTunerAxisHigh = 2 * kTunerBandRange.dbHigh;

bool IsChartFrequency(double dbFrequency)
{
    return std::isfinite(dbFrequency) && dbFrequency > 0.0;
}

// Sorts pairs that are mostly in order already, as a list is after an edit
// moved a few of its channels: those out of place are taken aside, sorted
// and merged back, so that one moved channel costs a pass and not a sort of
// 65,535. Pairs are never equal (the second is the channel), so the result is
// what std::sort gives.
void SortNearlySorted(std::vector<std::pair<double, std::int32_t>>& order)
{
    if (std::is_sorted(order.begin(), order.end()))
        return;
    std::vector<std::pair<double, std::int32_t>> kept;
    std::vector<std::pair<double, std::int32_t>> strays;
    kept.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        // In place: not below the last one kept, not above the next one.
        const bool bInPlace =
            (kept.empty() || !(order[i] < kept.back())) && (i + 1 == order.size() || !(order[i + 1] < order[i]));
        (bInPlace ? kept : strays).push_back(order[i]);
    }
    std::sort(strays.begin(), strays.end());
    std::merge(kept.begin(), kept.end(), strays.begin(), strays.end(), order.begin());
}

ChartLane MakeLane(std::int32_t iList, const std::vector<double>& frequencies, const TunerBands* pTuner,
                   const ChannelLabelFunction& labels)
{
    ChartLane lane;
    lane.iList = iList;
    // The order is found on small pairs, then the marks are made once in it.
    // Most lists already rise; only the others pay for the sort.
    std::vector<std::pair<double, std::int32_t>> order;
    order.reserve(frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        if (IsChartFrequency(frequencies[i]))
            order.emplace_back(frequencies[i], static_cast<std::int32_t>(i));
    SortNearlySorted(order); // equal frequencies by channel: stable
    // Each mark is written once, in place (65,535 of them at the limit).
    lane.marks.reserve(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto [f, i] = order[k];
        ChartMark& mark = lane.marks.emplace_back();
        mark.dbFrequency = f;
        mark.iChannel = i + 1;
        // In order, the channels of one frequency are neighbours: DuplicateFrequencies'
        // rule (equal stored doubles above 0) without its hash table. The
        // frequencies left out of the chart (infinity) repeat no mark's.
        mark.bRepeated = (k > 0 && order[k - 1].first == f) || (k + 1 < order.size() && order[k + 1].first == f);
        mark.bUncovered = pTuner && !pTuner->BandOf(f);
        if (labels) {
            // A plan that numbers its channels as the list does adds nothing
            // to the channel number.
            std::optional<std::string> label = labels(iList, f);
            if (label && *label != std::to_string(mark.iChannel))
                mark.label = std::move(*label);
        }
    }

    std::vector<double> steps;
    steps.reserve(lane.marks.size());
    for (std::size_t i = 1; i < lane.marks.size(); ++i) {
        const double step = lane.marks[i].dbFrequency - lane.marks[i - 1].dbFrequency;
        if (step > 0.0)
            steps.push_back(step);
    }
    if (steps.size() < 2) {
        lane.dbUsualSpacing = steps.empty() ? 0.0 : steps.front();
        return lane;
    }
    std::vector<double> ordered = steps;
    const auto middle = ordered.begin() + static_cast<std::ptrdiff_t>(ordered.size() / 2);
    std::nth_element(ordered.begin(), middle, ordered.end());
    lane.dbUsualSpacing = *middle;
    const double widest = lane.dbUsualSpacing * kGapSpacingFactor;
    for (std::size_t i = 1; i < lane.marks.size(); ++i) {
        const double lower = lane.marks[i - 1].dbFrequency;
        const double upper = lane.marks[i].dbFrequency;
        if (upper - lower > widest)
            lane.gaps.push_back({lower, upper});
    }
    return lane;
}

const char* BandName(TunerBand band)
{
    return TunerBandName(band);
}

} // namespace

const std::array<BroadcastBand, 4>& BroadcastBands()
{
    static const std::array<BroadcastBand, 4> bands = {{
        {"VHF I", "vhf-i", 47.0, 68.0},
        {"Band II FM", "fm", 87.5, 108.0},
        {"VHF III", "vhf-iii", 174.0, 230.0},
        {"UHF", "uhf", 470.0, 862.0},
    }};
    return bands;
}

std::size_t ChartLane::LowerBound(double dbFrequency) const
{
    return static_cast<std::size_t>(
        std::lower_bound(marks.begin(), marks.end(), dbFrequency,
                         [](const ChartMark& mark, double f) { return mark.dbFrequency < f; }) -
        marks.begin());
}

std::size_t ChartLane::UpperBound(double dbFrequency) const
{
    return static_cast<std::size_t>(
        std::upper_bound(marks.begin(), marks.end(), dbFrequency,
                         [](double f, const ChartMark& mark) { return f < mark.dbFrequency; }) -
        marks.begin());
}

std::optional<std::size_t> ChartLane::MarkOfChannel(std::int32_t iChannel) const
{
    // Marks lie by frequency, not by channel: a walk, for a question asked
    // once per selection.
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (marks[i].iChannel == iChannel)
            return i;
    return std::nullopt;
}

BandChart::BandChart()
{
    m_lanes[1].iList = ChannelModeCable;
    SetAxis();
}

BandChart::BandChart(const std::vector<double>& air, const std::vector<double>& cable,
                     const std::optional<ChartTuner>& tuner, const ChannelLabelFunction& labels)
{
    std::optional<TunerBands>& bands = m_tunerBands;
    if (tuner) {
        bands.emplace(tuner->entry);
        m_bHasTuner = true;
        m_tunerTitle = tuner->title;
        const std::uint16_t codes[kTunerBandCount] = {tuner->entry.wLowCode(), tuner->entry.wMidCode(),
                                                      tuner->entry.wHighCode()};
        for (const TunerBand band : {TunerBand::Low, TunerBand::Mid, TunerBand::High}) {
            const BandSpan& span = bands->Span(band);
            if (span.IsEmpty())
                continue;
            const std::uint16_t wCode = codes[static_cast<std::size_t>(band)];
            m_tunerSpans.push_back({band, span.dbStart, span.dbEnd, wCode, TunerSpanCaption(band, wCode)});
        }
    }
    const TunerBands* pBands = bands ? &*bands : nullptr;
    m_lanes[0] = MakeLane(ChannelModeAir, air, pBands, labels);
    m_lanes[1] = MakeLane(ChannelModeCable, cable, pBands, labels);
    CountUncovered();
    SetAxis();
}

void BandChart::RemakeLane(std::int32_t iList, const std::vector<double>& frequencies,
                           const ChannelLabelFunction& labels)
{
    const std::int32_t iLaneList = iList == ChannelModeCable ? ChannelModeCable : ChannelModeAir;
    m_lanes[iLaneList == ChannelModeCable ? 1 : 0] =
        MakeLane(iLaneList, frequencies, m_tunerBands ? &*m_tunerBands : nullptr, labels);
    CountUncovered();
    SetAxis();
}

void BandChart::CountUncovered()
{
    m_uncovered = 0;
    for (const ChartLane& lane : m_lanes)
        m_uncovered += static_cast<std::size_t>(
            std::count_if(lane.marks.begin(), lane.marks.end(), [](const ChartMark& m) { return m.bUncovered; }));
}

void BandChart::SetAxis()
{
    double lowest = HUGE_VAL;
    double highest = -HUGE_VAL;
    for (const ChartLane& lane : m_lanes) {
        if (lane.marks.empty())
            continue;
        lowest = std::min(lowest, lane.marks.front().dbFrequency);
        highest = std::max(highest, lane.marks.back().dbFrequency);
    }
    for (const ChartTunerSpan& span : m_tunerSpans) {
        const double start = std::max(span.dbStart, kTunerAxisLow);
        const double end = std::min(span.dbEnd, kTunerAxisHigh);
        if (!(start <= end))
            continue; // wholly outside, or NaN
        lowest = std::min(lowest, start);
        highest = std::max(highest, end);
    }
    if (lowest > highest) {
        m_dbAxisStart = kEmptyAxisStart;
        m_dbAxisEnd = kEmptyAxisEnd;
        return;
    }
    // A single frequency still gets a span to stand in.
    const double span = highest > lowest ? highest - lowest : std::max(1.0, std::fabs(lowest) * 0.1);
    m_dbAxisStart = lowest - span * kAxisRoom;
    m_dbAxisEnd = highest + span * kAxisRoom;
    if (highest == lowest) {
        m_dbAxisStart = lowest - span / 2;
        m_dbAxisEnd = lowest + span / 2;
    }
    // Frequencies near the largest double leave no room beside them.
    if (!std::isfinite(m_dbAxisStart) || !std::isfinite(m_dbAxisEnd) || !(m_dbAxisEnd - m_dbAxisStart < HUGE_VAL)) {
        m_dbAxisStart = lowest;
        m_dbAxisEnd = highest > lowest ? highest : lowest + 1.0;
    }
}

const ChartLane& BandChart::Lane(std::int32_t iList) const
{
    return m_lanes[iList == ChannelModeCable ? 1 : 0];
}

const char* ChartLaneName(std::int32_t iList)
{
    return iList == ChannelModeCable ? "cable" : "air";
}

std::string MegahertzText(double dbFrequency)
{
    return FormatDouble(dbFrequency) + " MHz";
}

std::string ChartMarkText(std::int32_t iList, const ChartMark& mark)
{
    std::string text = std::string(ChartLaneName(iList)) + " channel " + std::to_string(mark.iChannel) + ", " +
                       MegahertzText(mark.dbFrequency);
    if (!mark.label.empty())
        text += ", plan channel " + mark.label;
    if (mark.bRepeated)
        text += ", repeated";
    if (mark.bUncovered)
        text += ", outside the tuner";
    return text;
}

std::string TunerSpanCaption(TunerBand band, std::uint16_t wCode)
{
    char code[8];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(wCode));
    return std::string(BandName(band)) + " " + code;
}

std::vector<double> AxisTicks(double dbStart, double dbEnd, int maxTicks)
{
    std::vector<double> ticks;
    if (!std::isfinite(dbStart) || !std::isfinite(dbEnd) || dbEnd <= dbStart)
        return ticks;
    maxTicks = std::max(maxTicks, 2);
    const double rough = (dbEnd - dbStart) / maxTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10.0;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (power * factor >= rough) {
            step = power * factor;
            break;
        }
    }
    if (!(step > 0.0) || !std::isfinite(step))
        return ticks;
    for (double n = std::ceil(dbStart / step); n * step <= dbEnd && ticks.size() <= static_cast<std::size_t>(maxTicks);
         n += 1.0)
        ticks.push_back(n * step);
    return ticks;
}
