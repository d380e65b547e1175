#include "tables/analysis/TunerCoverage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "platform/HexDigit.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"

namespace {

std::size_t IndexOf(TunerBand band)
{
    return static_cast<std::size_t>(band);
}

constexpr TunerBand kBands[kTunerBandCount] = {TunerBand::Low, TunerBand::Mid, TunerBand::High};

void Tally(BandTally& tally, double dbFrequency)
{
    if (tally.channels == 0 || dbFrequency < tally.dbLowest)
        tally.dbLowest = dbFrequency;
    if (tally.channels == 0 || dbFrequency > tally.dbHighest)
        tally.dbHighest = dbFrequency;
    ++tally.channels;
}

void CoverList(CoverageReport& report, std::int32_t iList, const std::vector<double>& frequencies,
               const TunerBands& tuner)
{
    std::int32_t iChannel = 0;
    for (const double f : frequencies) {
        ++iChannel;
        if (!IsChannelFrequency(f)) {
            ++report.emptySlots;
            continue;
        }
        ++report.channels;
        if (const std::optional<TunerBand> band = tuner.BandOf(f))
            Tally(report.bands[IndexOf(*band)], f);
        else
            report.uncovered.push_back({iList, iChannel, f, tuner.GapOf(f)});
    }
}

} // namespace

const char* TunerBandName(TunerBand band)
{
    switch (band) {
    case TunerBand::Low: return "low";
    case TunerBand::Mid: return "mid";
    case TunerBand::High: return "high";
    }
    return "";
}

const char* CoverageGapName(CoverageGap gap)
{
    switch (gap) {
    case CoverageGap::Below: return "below";
    case CoverageGap::Between: return "between";
    case CoverageGap::Above: return "above";
    }
    return "";
}

const char* TunerEdgeName(TunerEdge edge)
{
    switch (edge) {
    case TunerEdge::LowBandStart: return "low band start";
    case TunerEdge::MidBandStart: return "mid band start";
    case TunerEdge::HighBandStart: return "high band start";
    case TunerEdge::HighBandEnd: return "high band end";
    }
    return "";
}

const char* TunerEdgeKey(TunerEdge edge)
{
    switch (edge) {
    case TunerEdge::LowBandStart: return "low_band_start";
    case TunerEdge::MidBandStart: return "mid_band_start";
    case TunerEdge::HighBandStart: return "high_band_start";
    case TunerEdge::HighBandEnd: return "high_band_end";
    }
    return "";
}

bool BandSpan::IsEmpty() const
{
    // NaN edges compare false and leave the band empty.
    return !(bEndIncluded ? dbStart <= dbEnd : dbStart < dbEnd);
}

bool BandSpan::Holds(double dbFrequency) const
{
    return dbFrequency >= dbStart && (bEndIncluded ? dbFrequency <= dbEnd : dbFrequency < dbEnd);
}

TunerBands::TunerBands(const TunerSpecEntry& entry)
{
    const double low = entry.dbLowBandStart();
    const double mid = entry.dbMidBandStart();
    const double high = entry.dbHighBandStart();
    const double end = entry.dbHighBandEnd();
    m_spans[IndexOf(TunerBand::Low)] = {low, mid, false, entry.wLowCode()};
    m_spans[IndexOf(TunerBand::Mid)] = {mid, high, false, entry.wMidCode()};
    m_spans[IndexOf(TunerBand::High)] = {high, end, true, entry.wHighCode()};
    m_bEdgesInOrder = low <= mid && mid <= high && high <= end;
    for (const BandSpan& span : m_spans) {
        if (span.IsEmpty())
            continue;
        m_dbLowest = m_bHasBand ? std::min(m_dbLowest, span.dbStart) : span.dbStart;
        m_dbHighest = m_bHasBand ? std::max(m_dbHighest, span.dbEnd) : span.dbEnd;
        m_bHasBand = true;
    }
}

double TunerBands::Edge(TunerEdge edge) const
{
    // Each band starts at its own edge; the high band also ends at the last.
    switch (edge) {
    case TunerEdge::LowBandStart: return Span(TunerBand::Low).dbStart;
    case TunerEdge::MidBandStart: return Span(TunerBand::Mid).dbStart;
    case TunerEdge::HighBandStart: return Span(TunerBand::High).dbStart;
    case TunerEdge::HighBandEnd: return Span(TunerBand::High).dbEnd;
    }
    return 0.0;
}

std::vector<TunerEdge> TunerBands::NonFiniteEdges() const
{
    std::vector<TunerEdge> edges;
    for (const TunerEdge edge :
         {TunerEdge::LowBandStart, TunerEdge::MidBandStart, TunerEdge::HighBandStart, TunerEdge::HighBandEnd}) {
        if (!std::isfinite(Edge(edge)))
            edges.push_back(edge);
    }
    return edges;
}

std::optional<TunerBand> TunerBands::BandOf(double dbFrequency) const
{
    if (!IsChannelFrequency(dbFrequency))
        return std::nullopt;
    for (const TunerBand band : kBands) {
        if (Span(band).Holds(dbFrequency))
            return band;
    }
    return std::nullopt;
}

CoverageGap TunerBands::GapOf(double dbFrequency) const
{
    if (!m_bHasBand || dbFrequency < m_dbLowest)
        return CoverageGap::Below;
    if (dbFrequency > m_dbHighest || (dbFrequency == m_dbHighest && !Span(TunerBand::High).Holds(dbFrequency)))
        return CoverageGap::Above;
    return CoverageGap::Between;
}

bool IsChannelFrequency(double dbFrequency)
{
    return dbFrequency > 0.0;
}

CoverageReport CoverLists(const std::vector<double>& air, const std::vector<double>& cable, const TunerBands& tuner)
{
    CoverageReport report;
    CoverList(report, ChannelModeAir, air, tuner);
    CoverList(report, ChannelModeCable, cable, tuner);
    return report;
}

CoverageReport CoverTable(const ChannelTable& table, const TunerBands& tuner)
{
    return CoverLists(ChannelFrequencies(table.Channels(ChannelModeAir)),
                      ChannelFrequencies(table.Channels(ChannelModeCable)), tuner);
}

std::string NonFiniteEdgesText(const TunerBands& tuner)
{
    const std::vector<TunerEdge> edges = tuner.NonFiniteEdges();
    if (edges.empty())
        return {};
    if (edges.size() == 1)
        return std::string("its ") + TunerEdgeName(edges.front()) + " is not a finite number";
    std::string text = "its band edges are not finite numbers: ";
    for (std::size_t i = 0; i < edges.size(); ++i)
        text += std::string(i == 0 ? "" : ", ") + TunerEdgeName(edges[i]);
    return text;
}

UncoveredWording::UncoveredWording(const TunerBands& tuner)
{
    // The edges that make a tuner's bands what they are, when they are not
    // numbers to print: named, never written as "inf" or "nan".
    const std::string notFinite = NonFiniteEdgesText(tuner);
    if (!tuner.HasBand()) {
        m_below = m_between = m_above =
            "is not tuned: the tuner has no band, " + (notFinite.empty() ? "its edges are out of order" : notFinite);
        return;
    }
    m_below = std::isfinite(tuner.Lowest())
                  ? "is below the tuner's lowest band, which starts at " + FormatDouble(tuner.Lowest()) + " MHz"
                  : "is below the tuner's lowest band, whose start is not a finite number";
    m_between = "falls between the tuner's bands, whose edges are out of order";
    m_above = std::isfinite(tuner.Highest())
                  ? "is above the tuner's highest band, which ends at " + FormatDouble(tuner.Highest()) + " MHz"
                  : "is above the tuner's highest band, whose end is not a finite number";
}

void UncoveredWording::Append(std::string& text, const UncoveredChannel& channel) const
{
    text += channel.iList == ChannelModeAir ? "air channel " : "cable channel ";
    char number[16];
    text.append(number, std::to_chars(number, number + sizeof number, channel.iChannel).ptr);
    text += ": ";
    text += FormatDouble(channel.dbFrequency);
    text += " MHz ";
    switch (channel.gap) {
    case CoverageGap::Below: text += m_below; break;
    case CoverageGap::Between: text += m_between; break;
    case CoverageGap::Above: text += m_above; break;
    }
}

std::string UncoveredMessage(const UncoveredChannel& channel, const TunerBands& tuner)
{
    std::string text;
    UncoveredWording(tuner).Append(text, channel);
    return text;
}

std::string TunerCodesText(const TunerSpecEntry& entry)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02X:%02X", static_cast<unsigned>(entry.iFactory()),
                  static_cast<unsigned>(entry.iTunerType()));
    return text;
}

std::string TunerEntryName(std::size_t row, const TunerSpecEntry& entry)
{
    char number[32];
    std::snprintf(number, sizeof number, "%03zu", row);
    return std::string("entry ") + number + " (" + TunerCodesText(entry) + ")";
}

namespace {

std::string_view WithoutBlanks(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// "Temic" in "Temic PAL (4002 FH5)" and in "TEMIC", not in "Temical".
bool BeginsWithWord(std::string_view name, std::string_view word)
{
    if (word.empty() || name.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    }
    return name.size() == word.size() || !std::isalnum(static_cast<unsigned char>(name[word.size()]));
}

} // namespace

std::string TunerTitle(const TunerSpecEntry& entry, std::string_view factoryName, std::string_view typeName)
{
    const std::string_view factory = WithoutBlanks(factoryName);
    const std::string_view type = WithoutBlanks(typeName);
    std::string title = TunerCodesText(entry);
    if (!factory.empty() && !BeginsWithWord(type, factory))
        title.append(" ").append(factory);
    if (!type.empty())
        title.append(" ").append(type);
    return title;
}

namespace {

bool ParseHexCode(std::string_view text, std::int32_t& code)
{
    if (text.empty() || text.size() > 8)
        return false;
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    code = static_cast<std::int32_t>(value);
    return true;
}

} // namespace

bool ParseTunerCodes(std::string_view text, std::int32_t& iFactory, std::int32_t& iTunerType)
{
    const std::size_t colon = text.find(':');
    return colon != std::string_view::npos && ParseHexCode(text.substr(0, colon), iFactory) &&
           ParseHexCode(text.substr(colon + 1), iTunerType);
}

const TunerSpecEntry* FindTuner(const TunerSpecTable& tuners, std::int32_t iFactory, std::int32_t iTunerType)
{
    for (const TunerSpecNode& node : tuners.Entries()) {
        if (node.entry.iFactory() == iFactory && node.entry.iTunerType() == iTunerType)
            return &node.entry;
    }
    return nullptr;
}

SortedFrequencies::SortedFrequencies(const std::vector<double>& air, const std::vector<double>& cable)
{
    m_frequencies.reserve(air.size() + cable.size());
    for (const std::vector<double>* pList : {&air, &cable}) {
        for (const double f : *pList) {
            if (IsChannelFrequency(f))
                m_frequencies.push_back(f);
        }
    }
    Sort();
}

SortedFrequencies::SortedFrequencies(const ChannelTable& table)
    : SortedFrequencies(ChannelFrequencies(table.Channels(ChannelModeAir)),
                        ChannelFrequencies(table.Channels(ChannelModeCable)))
{
}

void SortedFrequencies::Sort()
{
    std::sort(m_frequencies.begin(), m_frequencies.end());
}

std::size_t SortedFrequencies::CountCovered(const TunerBands& tuner) const
{
    // Edges in order, as nearly every tuner has them: the bands join end to
    // start, so together they hold Low Band Start up to and including High
    // Band End, whichever of them are empty. Two searches, not six.
    if (tuner.EdgesInOrder()) {
        const auto first =
            std::lower_bound(m_frequencies.begin(), m_frequencies.end(), tuner.Edge(TunerEdge::LowBandStart));
        const auto last = std::upper_bound(first, m_frequencies.end(), tuner.Edge(TunerEdge::HighBandEnd));
        return static_cast<std::size_t>(last - first);
    }
    // Otherwise the bands in order of their starts, each counted from where
    // the one before stopped, so that overlapping bands of a tuner with edges
    // out of order count no channel twice. Positions in the sorted channels,
    // not frequencies, mark where counting stopped: the high band's end is
    // included, whatever double it is. The bands lie in an array, not on the
    // heap: the matrix asks this for every pair of table and tuner.
    std::array<const BandSpan*, kTunerBandCount> spans{};
    std::size_t spanCount = 0;
    for (const TunerBand band : kBands) {
        if (!tuner.Span(band).IsEmpty())
            spans[spanCount++] = &tuner.Span(band);
    }
    // Sorted by their starts in place; three at most.
    for (std::size_t i = 1; i < spanCount; ++i) {
        for (std::size_t j = i; j > 0 && spans[j]->dbStart < spans[j - 1]->dbStart; --j)
            std::swap(spans[j], spans[j - 1]);
    }
    std::size_t covered = 0;
    auto countedTo = m_frequencies.begin();
    for (std::size_t i = 0; i < spanCount; ++i) {
        const BandSpan* pSpan = spans[i];
        const auto first =
            std::max(countedTo, std::lower_bound(m_frequencies.begin(), m_frequencies.end(), pSpan->dbStart));
        const auto last = pSpan->bEndIncluded
                              ? std::upper_bound(m_frequencies.begin(), m_frequencies.end(), pSpan->dbEnd)
                              : std::lower_bound(m_frequencies.begin(), m_frequencies.end(), pSpan->dbEnd);
        if (first < last) {
            covered += static_cast<std::size_t>(last - first);
            countedTo = last;
        }
    }
    return covered;
}

std::vector<std::int32_t> TunersCoveringAll(const TunerSpecTable& tuners, const SortedFrequencies& channels)
{
    std::vector<std::int32_t> positions;
    std::int32_t iPosition = 0;
    for (const TunerSpecNode& node : tuners.Entries()) {
        ++iPosition;
        if (channels.CountCovered(TunerBands(node.entry)) == channels.size())
            positions.push_back(iPosition);
    }
    return positions;
}

std::size_t CountOutside(const SortedFrequencies& channels, const TunerBands& tuner)
{
    return channels.size() - channels.CountCovered(tuner);
}

std::vector<TunerBands> BandsOfTuners(const TunerSpecTable& tuners)
{
    std::vector<TunerBands> bands;
    bands.reserve(static_cast<std::size_t>(tuners.Entries().size()));
    for (const TunerSpecNode& node : tuners.Entries())
        bands.emplace_back(node.entry);
    return bands;
}

CoverageMatrix::CoverageMatrix(const std::vector<SortedFrequencies>& tables, const std::vector<TunerBands>& tuners)
    : m_tables(tables.size()), m_tuners(tuners.size())
{
    m_outside.reserve(m_tables * m_tuners);
    for (const SortedFrequencies& table : tables) {
        for (const TunerBands& tuner : tuners)
            m_outside.push_back(CountOutside(table, tuner));
    }
}

CoverageMatrix::CoverageMatrix(std::size_t tables, std::size_t tuners, std::vector<std::size_t> outside)
    : m_tables(tables), m_tuners(tuners), m_outside(std::move(outside))
{
    // A short row would be read past its end: what is missing counts as none.
    m_outside.resize(m_tables * m_tuners);
}

bool CoverageMatrix::TableIsTunedWhole(std::size_t table) const
{
    for (std::size_t tuner = 0; tuner < m_tuners; ++tuner) {
        if (Outside(table, tuner) == 0)
            return true;
    }
    return false;
}

bool CoverageMatrix::TunerTunesEveryTable(std::size_t tuner) const
{
    for (std::size_t table = 0; table < m_tables; ++table) {
        if (Outside(table, tuner) != 0)
            return false;
    }
    return true;
}
