#pragma once
// Which band of a tuner tunes each channel of a channel table, and which
// channels no band reaches.
//
// A tuner entry has four band edges. Its bands are
//
//     low   Low Band Start  <= f <  Mid Band Start
//     mid   Mid Band Start  <= f <  High Band Start
//     high  High Band Start <= f <= High Band End
//
// so each inner edge belongs to the band that starts there, as a tuner that
// switches bands at an edge tunes the edge itself with the upper band, and
// High Band End is the last frequency the tuner reaches. A band whose start is
// not below its end (edges out of order, or NaN) is empty. Where bands of a
// tuner with edges out of order overlap, a frequency belongs to the first of
// low, mid and high that holds it: the band a tuner's switch would pick going
// up from low.
//
// A channel is a slot with a frequency above 0 (the tables' rule for an empty
// slot); NaN is no frequency. Infinity is a frequency, above every band.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/format/TunerSpecEntry.h"

class ChannelTable;
class TunerSpecTable;

enum class TunerBand
{
    Low,
    Mid,
    High,
};
constexpr std::size_t kTunerBandCount = 3;

// "low", "mid", "high".
const char* TunerBandName(TunerBand band);

// Where an uncovered channel lies: below every band, above every band, or in
// a gap between bands (only a tuner with edges out of order has one).
enum class CoverageGap
{
    Below,
    Between,
    Above,
};

// "below", "between", "above".
const char* CoverageGapName(CoverageGap gap);

// The four band edges of an entry, in the order of its fields.
enum class TunerEdge
{
    LowBandStart,
    MidBandStart,
    HighBandStart,
    HighBandEnd,
};
constexpr std::size_t kTunerEdgeCount = 4;

// "low band start", and "low_band_start" as the JSON forms name the field.
const char* TunerEdgeName(TunerEdge edge);
const char* TunerEdgeKey(TunerEdge edge);

struct BandSpan
{
    double dbStart = 0.0;
    double dbEnd = 0.0;
    // The high band holds its end, the others stop before theirs.
    bool bEndIncluded = false;
    std::uint16_t wCode = 0;

    bool IsEmpty() const;
    bool Holds(double dbFrequency) const;
};

// A tuner's three bands, as an entry's edges and codes give them.
class TunerBands
{
public:
    TunerBands() = default;
    explicit TunerBands(const TunerSpecEntry& entry);

    const BandSpan& Span(TunerBand band) const { return m_spans[static_cast<std::size_t>(band)]; }
    // Low Band Start <= Mid Band Start <= High Band Start <= High Band End,
    // none of them NaN.
    bool EdgesInOrder() const { return m_bEdgesInOrder; }
    double Edge(TunerEdge edge) const;
    // The edges that are not finite numbers (infinite or NaN), in field order:
    // a file can hold them, no tuner tunes by them.
    std::vector<TunerEdge> NonFiniteEdges() const;
    // The band that tunes the frequency, none for an uncovered one or a slot
    // without a frequency.
    std::optional<TunerBand> BandOf(double dbFrequency) const;
    // Where an uncovered frequency lies against the bands that are not empty
    // (Below when every band is empty).
    CoverageGap GapOf(double dbFrequency) const;
    // Some band is not empty.
    bool HasBand() const { return m_bHasBand; }
    // The lowest start and highest end of the bands that are not empty; 0 and
    // 0 when all are empty.
    double Lowest() const { return m_dbLowest; }
    double Highest() const { return m_dbHighest; }

private:
    std::array<BandSpan, kTunerBandCount> m_spans{};
    bool m_bEdgesInOrder = false;
    bool m_bHasBand = false;
    double m_dbLowest = 0.0;
    double m_dbHighest = 0.0;
};

// A slot of a channel list holds a channel: a frequency above 0.
bool IsChannelFrequency(double dbFrequency);

struct UncoveredChannel
{
    std::int32_t iList = 0;    // ChannelModeAir or ChannelModeCable
    std::int32_t iChannel = 0; // 1-based
    double dbFrequency = 0.0;
    CoverageGap gap = CoverageGap::Below;
};

struct BandTally
{
    std::size_t channels = 0;
    // The lowest and highest frequency the band tunes; 0 while it tunes none.
    double dbLowest = 0.0;
    double dbHighest = 0.0;
};

// A channel table against one tuner: per band how many channels it tunes,
// and the channels no band reaches, air list first, each in channel order.
struct CoverageReport
{
    std::array<BandTally, kTunerBandCount> bands{};
    std::vector<UncoveredChannel> uncovered;
    std::size_t channels = 0; // channels with a frequency, both lists
    std::size_t emptySlots = 0;

    const BandTally& Tally(TunerBand band) const { return bands[static_cast<std::size_t>(band)]; }
    bool CoversAll() const { return uncovered.empty(); }
};

// The lists as frequencies, air first: what an editor's document and a
// table's image both give without the table's nodes.
CoverageReport CoverLists(const std::vector<double>& air, const std::vector<double>& cable, const TunerBands& tuner);
CoverageReport CoverTable(const ChannelTable& table, const TunerBands& tuner);

// What is wrong with a tuner whose edges are not all finite numbers: "its
// band edges are not finite numbers: low band start, high band end" ("its
// high band end is not a finite number" for one); empty when they all are.
std::string NonFiniteEdgesText(const TunerBands& tuner);

// One line about an uncovered channel, the same in the tool and the editor:
// "air channel 5: 45.75 MHz is below the tuner's lowest band, which starts at 48.25 MHz".
std::string UncoveredMessage(const UncoveredChannel& channel, const TunerBands& tuner);

// The same lines for many channels of one tuner: the words about the tuner's
// edges are made once, and each line is appended where it goes, so that a
// listing of 131,070 uncovered channels formats only their own numbers.
class UncoveredWording
{
public:
    explicit UncoveredWording(const TunerBands& tuner);
    void Append(std::string& text, const UncoveredChannel& channel) const;

private:
    // What follows "<frequency> MHz " for a channel below, between and above.
    std::string m_below;
    std::string m_between;
    std::string m_above;
};

// A tuner named by its codes, as the tool and the findings print it: "03:12".
std::string TunerCodesText(const TunerSpecEntry& entry);
// An entry of a tuner table as the tuner editor's list names it, its row
// counted from 000, with its codes: "entry 005 (01:02)" for the sixth entry,
// of factory 01 and tuner type 02. The findings and the tool's listings name
// entries so.
std::string TunerEntryName(std::size_t row, const TunerSpecEntry& entry);

// A tuner named by its codes and the names a tuner catalogue gives them, each
// name once: "03:12 Philips FI1216 MK2". A type name that begins with its
// factory's name as a word (any case) is not prefixed with it again: factory
// "Temic", type "Temic PAL (4002 FH5)" is "03:12 Temic PAL (4002 FH5)". An
// empty name is left out; without names the title is the codes alone. The
// band chart's title of its tuner, the tuner chooser's and the status line's.
std::string TunerTitle(const TunerSpecEntry& entry, std::string_view factoryName, std::string_view typeName);

// Reads "FF:TT", a factory and a tuner-type code in hex (one to eight digits
// each, any case), as TunerCodesText writes them.
bool ParseTunerCodes(std::string_view text, std::int32_t& iFactory, std::int32_t& iTunerType);

// The first entry of the table, in file order, with these codes; a file may
// hold a pair twice. Nullptr when none has them.
const TunerSpecEntry* FindTuner(const TunerSpecTable& tuners, std::int32_t iFactory, std::int32_t iTunerType);

// The channels' frequencies sorted, so that a tuner's coverage is counted by
// searching its band edges, not by walking every channel: the question "which
// of 100,000 tuners tune all of these channels" costs a few binary searches
// per tuner.
class SortedFrequencies
{
public:
    SortedFrequencies(const std::vector<double>& air, const std::vector<double>& cable);
    explicit SortedFrequencies(const ChannelTable& table);

    std::size_t size() const { return m_frequencies.size(); }
    // How many of the channels the tuner's bands tune.
    std::size_t CountCovered(const TunerBands& tuner) const;

private:
    void Sort();

    std::vector<double> m_frequencies;
};

// The 1-based positions of the tuner table's entries whose bands tune every
// channel, in table order.
std::vector<std::int32_t> TunersCoveringAll(const TunerSpecTable& tuners, const SortedFrequencies& channels);

// How many of the channels the tuner's bands do not tune: the count the tool
// and the editors give for a tuner against a table (0: it tunes them all).
std::size_t CountOutside(const SortedFrequencies& channels, const TunerBands& tuner);

// The bands of each entry of a tuner table, in table order.
std::vector<TunerBands> BandsOfTuners(const TunerSpecTable& tuners);

// Many channel tables against many tuners at once: for each pair, how many of
// the table's channels lie outside the tuner's bands, counted as
// CountOutside counts them. The tables come with their channels sorted once
// and the tuners with their bands made once, so that a pair costs a few
// binary searches on the tuner's band edges, never a walk of its channels:
// two for a tuner whose edges are in order, at most six for one whose are
// not, so that 240 tables against 1,000 tuners are 240,000 pairs of a few
// searches each. Time follows tables x tuners x log(channels of a table);
// memory one count per pair.
class CoverageMatrix
{
public:
    CoverageMatrix(const std::vector<SortedFrequencies>& tables, const std::vector<TunerBands>& tuners);
    // Counts made elsewhere, a row of tuners per table: a window that counts
    // its tables one at a time, as each is read, puts its rows together so.
    CoverageMatrix(std::size_t tables, std::size_t tuners, std::vector<std::size_t> outside);

    std::size_t TableCount() const { return m_tables; }
    std::size_t TunerCount() const { return m_tuners; }
    // The channels of table (0-based, in the order given) outside tuner's bands.
    std::size_t Outside(std::size_t table, std::size_t tuner) const { return m_outside[table * m_tuners + tuner]; }
    // Some tuner tunes every channel of the table.
    bool TableIsTunedWhole(std::size_t table) const;
    // The tuner tunes every channel of every table.
    bool TunerTunesEveryTable(std::size_t tuner) const;

private:
    std::size_t m_tables = 0;
    std::size_t m_tuners = 0;
    std::vector<std::size_t> m_outside; // a row of tuners per table
};
