#include "tables/analysis/TableChecks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/analysis/FrequencySteps.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/analysis/TunerPlausibility.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/format/ByteOrder.h"
#include "tables/format/TableFormat.h"
#include "tables/text/Numbers.h"

namespace {

// Hands findings to the sink, each as one severity, list and position.
class Findings
{
public:
    explicit Findings(const FindingSink& sink) : m_sink(sink) {}

    void Add(std::int32_t iList, std::int32_t iPosition, std::string message) const
    {
        m_sink(TableFinding{FindingSeverity::Error, iList, iPosition, std::move(message)});
    }
    void AddWarning(std::int32_t iList, std::int32_t iPosition, std::string message) const
    {
        m_sink(TableFinding{FindingSeverity::Warning, iList, iPosition, std::move(message)});
    }
    void Add(TableFinding finding) const { m_sink(finding); }
    // A finding about the file or its header.
    void AddForFile(std::string message) const { Add(ChannelModeNone, 0, std::move(message)); }

private:
    const FindingSink& m_sink;
};

std::string Hex(long long value, int width)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", width, value);
    return buffer;
}

std::string MagicText(std::uint32_t dwMagic)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::uint8_t>(dwMagic >> (8 * i));
        if (b >= 0x20 && b < 0x7F) {
            text += static_cast<char>(b);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", b);
            text += escape;
        }
    }
    return text;
}

std::uint32_t MagicOf(const char (&magic)[5])
{
    std::uint32_t dw = 0;
    for (int i = 3; i >= 0; --i)
        dw = (dw << 8) | static_cast<std::uint8_t>(magic[i]);
    return dw;
}

// reason says what asks for the expected length ("its counts (air 2, cable 0)
// call for"). The length of a FIFO or a device is not known and not judged.
void CheckLength(const Findings& findings, const std::optional<std::uint64_t>& fileSize, std::uint64_t expected,
                 const std::string& reason)
{
    if (fileSize && *fileSize != expected)
        findings.AddForFile("the file is " + std::to_string(*fileSize) + " bytes, but " + reason + " " +
                            std::to_string(expected));
}

template <std::size_t Size>
void CheckMarks(const Findings& findings, const FileHeaderImage<Size>& header, const char (&magic)[5],
                const std::uint8_t* pEndMark)
{
    if (header.wMarker() != kTableMarker)
        findings.AddForFile("the marker is " + Hex(header.wMarker(), 4) + ", not " + Hex(kTableMarker, 4));
    if (header.wReserved() != 0)
        findings.AddForFile("the reserved word is " + std::to_string(header.wReserved()) + ", not 0");
    if (header.dwMagic() != MagicOf(magic))
        findings.AddForFile("the magic is \"" + MagicText(header.dwMagic()) + "\", not \"" + magic + "\"");
    if (!std::equal(pEndMark, pEndMark + 4, kTableEndMark))
        findings.AddForFile("the end mark is " + HexBytes(pEndMark, 4) + ", not " + HexBytes(kTableEndMark, 4));
}

// A code of 0 or less is no calling code: the editor never stores one, and a
// new table has 0 until its country is entered. A code above 0 that the
// catalogue does not name may still be a country's calling code: the standard
// plans' country list has countries the catalogue lacks (238 Cape Verde, 376
// Andorra), and the editor takes any code above 0. That one is worth a look
// (the editor shows " -- " for it) and no more.
void CheckCountry(const Findings& findings, std::int32_t iCode)
{
    if (std::string(LookupCountry(iCode).pszCountry) != kUnknownCountryText)
        return;
    std::string message = "the country code " + std::to_string(iCode) + " is not in the country catalogue";
    if (iCode <= 0)
        findings.AddForFile(std::move(message));
    else
        findings.AddWarning(ChannelModeNone, 0, std::move(message));
}

// Whether a channel takes part in the list's order and stored range: it
// carries a frequency (0 and -0 are empty slots; negative and non-finite
// values are findings of their own).
bool CarriesFrequency(double f)
{
    return f > 0.0 && std::isfinite(f);
}

// The first position from "from" on whose channel carries a frequency, or the
// list's length when none does.
std::size_t NextCarrying(const std::vector<double>& frequencies, std::size_t from)
{
    while (from < frequencies.size() && !CarriesFrequency(frequencies[from]))
        ++from;
    return from;
}

// The order rule of TableChecks.h: a channel whose neighbours rise from one
// to the other while it lies outside them. Equal to a neighbour is a repeated
// frequency, a warning of its own.
bool IsOutOfPlace(double before, double f, double after)
{
    return before < after && (f < before || f > after);
}

// One channel list: its values, their order, and the stored range against
// the channels that carry a frequency. frequencyOf reads a node's frequency
// as a double.
template <typename Node, typename FrequencyOf>
std::vector<double> FrequenciesOf(EntryRange<Node> channels, FrequencyOf frequencyOf)
{
    std::vector<double> frequencies;
    frequencies.reserve(static_cast<std::size_t>(channels.size()));
    for (const Node& node : channels)
        frequencies.push_back(frequencyOf(node));
    return frequencies;
}

// At most this many channels of a list are named for a frequency that is not
// a whole number of kHz; the rest are counted in one finding, so that a list
// converted from 65,535 floats gives a few lines, not 65,535.
constexpr std::size_t kMaxNamedOffRaster = 10;

// "543.29999 MHz, close to 543.3 MHz": the value as the editor's list shows
// it, with five decimals (in full where those would show the whole kHz), and
// the nearest whole kHz.
std::string OffRasterText(double f)
{
    const double near = NearestWholeKilohertz(f);
    char shown[64];
    char nearShown[64];
    std::snprintf(shown, sizeof shown, "%.5f", f);
    std::snprintf(nearShown, sizeof nearShown, "%.5f", near);
    const std::string value = std::string(shown) != nearShown ? std::string(shown) : FormatDouble(f);
    return value + " MHz, close to " + FormatDouble(near) + " MHz";
}

// How the channels' values are judged besides their order and range.
enum class RasterCheck
{
    WholeKilohertz, // a frequency that is not a whole number of kHz is a warning
    None,           // an old table's 32-bit floats hold few values on the raster
};

// Where a channel stands among the channels with a frequency of its list:
// the nearest before it (0 for none) with its frequency, and the position
// of the nearest after it (the list's length for none).
struct ChannelNeighbours
{
    std::int32_t previous = 0;
    double previousFrequency = 0.0;
    std::size_t next = 0;
};

// The rules judged for each channel alone: its value, its order between its
// neighbours, its raster (when nameOffRaster says it is named) and a repeat
// of an earlier channel's frequency. Each finding goes to add without the
// words that name the channel.
// A template, so that the check of a whole list calls no function object
// per channel.
template <typename NameOffRaster, typename Add>
void JudgeChannel(const std::vector<double>& frequencies, const DuplicateFrequencies& duplicates, std::size_t position,
                  const ChannelNeighbours& neighbours, RasterCheck raster, NameOffRaster nameOffRaster, Add add)
{
    const double f = frequencies[position];
    if (!std::isfinite(f))
        add(FindingSeverity::Error, "the frequency " + FormatDouble(f) + " is not a finite number");
    else if (f < 0.0)
        add(FindingSeverity::Error, "the frequency " + FormatDouble(f) + " MHz is negative");
    const std::size_t next = neighbours.next;
    if (CarriesFrequency(f) && neighbours.previous != 0 && next < frequencies.size() &&
        IsOutOfPlace(neighbours.previousFrequency, f, frequencies[next]))
        add(FindingSeverity::Warning, FormatDouble(f) + " MHz is out of order between channel " +
                                          std::to_string(neighbours.previous) + " (" +
                                          FormatDouble(neighbours.previousFrequency) + " MHz) and channel " +
                                          std::to_string(next + 1) + " (" + FormatDouble(frequencies[next]) + " MHz)");
    if (raster == RasterCheck::WholeKilohertz && !IsWholeKilohertz(f) && nameOffRaster())
        add(FindingSeverity::Warning, OffRasterText(f) + ", is not a whole number of kHz");
    // Each later channel names the first one with its frequency.
    if (duplicates.RepeatsEarlier(position))
        add(FindingSeverity::Warning,
            FormatDouble(f) + " MHz also at channel " + std::to_string(duplicates.OtherOf(position) + 1));
}

void CheckChannels(const Findings& findings, std::int32_t iList, const std::vector<double>& frequencies,
                   std::uint16_t wMin, std::uint16_t wMax, RasterCheck raster)
{
    std::size_t offRaster = 0;
    const std::string name = iList == ChannelModeAir ? "air" : "cable";
    std::int32_t first = 0;
    std::int32_t last = 0;
    ChannelNeighbours neighbours;
    const DuplicateFrequencies duplicates(frequencies);
    const auto nameOffRaster = [&offRaster] { return ++offRaster <= kMaxNamedOffRaster; };

    std::int32_t iChannel = 0;
    for (const double f : frequencies) {
        ++iChannel;
        // The scan stops at the next channel with a frequency, where the
        // next scan starts: the list is read about twice in all.
        if (CarriesFrequency(f))
            neighbours.next = NextCarrying(frequencies, static_cast<std::size_t>(iChannel));
        // The words naming the channel are made only for a finding: most
        // channels of a long list have none.
        JudgeChannel(frequencies, duplicates, static_cast<std::size_t>(iChannel - 1), neighbours, raster, nameOffRaster,
                     [&](FindingSeverity severity, std::string message) {
                         message = name + " channel " + std::to_string(iChannel) + ": " + message;
                         if (severity == FindingSeverity::Error)
                             findings.Add(iList, iChannel, std::move(message));
                         else
                             findings.AddWarning(iList, iChannel, std::move(message));
                     });
        if (CarriesFrequency(f)) {
            neighbours.previous = iChannel;
            neighbours.previousFrequency = f;
            if (first == 0)
                first = iChannel;
            last = iChannel;
        }
    }
    if (offRaster > kMaxNamedOffRaster)
        findings.AddWarning(iList, 0,
                            name + ": " + std::to_string(offRaster - kMaxNamedOffRaster) + " more " +
                                (offRaster - kMaxNamedOffRaster == 1 ? "frequency is" : "frequencies are") +
                                " not a whole number of kHz; the first " + std::to_string(kMaxNamedOffRaster) +
                                " are named");
    if (first == 0) {
        if (wMin != 0)
            findings.Add(iList, 0,
                         name + ": the stored range starts at channel " + std::to_string(wMin) +
                             ", but no channel has a frequency");
        return;
    }
    if (wMin != first)
        findings.Add(iList, 0,
                     name + ": the stored range starts at channel " + std::to_string(wMin) +
                         ", but the first channel with a frequency is " + std::to_string(first));
    if (wMax != last)
        findings.Add(iList, 0,
                     name + ": the stored range ends at channel " + std::to_string(wMax) +
                         ", but the last channel with a frequency is " + std::to_string(last));
}

double FrequencyOfChannel(const ChannelNode& node)
{
    return node.dbFrequency;
}

double FrequencyOfLegacyEntry(const LegacyChannelNode& node)
{
    return static_cast<double>(node.fFrequency);
}

// "40 to 1000 MHz"
std::string RangeText(const FrequencyRange& range)
{
    return FormatDouble(range.dbLow) + " to " + FormatDouble(range.dbHigh) + " MHz";
}

bool IsTwoBcdDigits(std::int32_t code)
{
    return code >= 0 && code <= 0x99 && (code & 0xF) <= 9 && (code >> 4) <= 9;
}

// What the check finds in one tuner entry, in the order of its findings. The
// rules decide which an entry has without making a text, so that counting the
// findings of 100,000 entries, or listing them, makes no text until one is
// read; EntryProblemText makes it.
enum EntryProblem : std::uint8_t
{
    kFactoryNotBcd,
    kTunerTypeNotBcd,
    kEdgesNotAboveZero,
    kEdgesOutOfOrder,
    kEdgesOutsideTuningRange,
    kCarrierZero,
    kCarrierNotFrequency,
    kCarrierOutsideRange,
    kCarrier2NotFrequency,
    kCarrier2OutsideRange,
    kReservedNotZero,
    // These two judge the entry's sort key against those before it.
    kKeyRepeated,
    kKeyBelowPrevious,
};
using EntryProblems = std::uint16_t;

// Frequencies, yet implausible ones: worth a look, not a fault.
FindingSeverity SeverityOf(EntryProblem problem)
{
    switch (problem) {
    case kEdgesOutsideTuningRange:
    case kCarrierOutsideRange:
    case kCarrier2OutsideRange: return FindingSeverity::Warning;
    default: return FindingSeverity::Error;
    }
}

std::array<double, 4> BandEdges(const TunerSpecEntry& e)
{
    return {e.dbLowBandStart(), e.dbMidBandStart(), e.dbHighBandStart(), e.dbHighBandEnd()};
}

// The problems of the entry itself, as bits by EntryProblem.
EntryProblems ProblemsOfEntry(const TunerSpecEntry& e)
{
    EntryProblems found = 0;
    const auto mark = [&found](EntryProblem problem) { found |= static_cast<EntryProblems>(1u << problem); };
    if (!IsTwoBcdDigits(e.iFactory()))
        mark(kFactoryNotBcd);
    if (!IsTwoBcdDigits(e.iTunerType()))
        mark(kTunerTypeNotBcd);

    const std::array<double, 4> edges = BandEdges(e);
    const bool bAllAboveZero =
        std::all_of(edges.begin(), edges.end(), [](double db) { return db > 0.0 && std::isfinite(db); });
    const bool bRising =
        std::adjacent_find(edges.begin(), edges.end(), [](double a, double b) { return !(b > a); }) == edges.end();
    if (!bAllAboveZero)
        mark(kEdgesNotAboveZero);
    else if (!bRising)
        mark(kEdgesOutOfOrder);
    if (bAllAboveZero && !std::all_of(edges.begin(), edges.end(), [](double db) { return kTunerBandRange.Holds(db); }))
        mark(kEdgesOutsideTuningRange);

    const double pc = e.dbPictureCarrier();
    if (pc == 0.0)
        mark(kCarrierZero);
    else if (!(pc > 0.0) || !std::isfinite(pc))
        mark(kCarrierNotFrequency);
    else if (!kPictureCarrierRange.Holds(pc))
        mark(kCarrierOutsideRange);
    const double pc2 = e.dbPictureCarrier2();
    if (!(pc2 >= 0.0) || !std::isfinite(pc2))
        mark(kCarrier2NotFrequency);
    else if (pc2 > 0.0 && !kPictureCarrierRange.Holds(pc2))
        mark(kCarrier2OutsideRange);
    if (e.wReserved() != 0)
        mark(kReservedNotZero);
    return found;
}

// Where an entry's problem is found: its row (0-based), and the row of the
// first entry with the same key (kKeyRepeated) or of the entry before
// (kKeyBelowPrevious), else the row itself.
struct EntryProblemAt
{
    std::uint32_t row;
    EntryProblem problem;
    std::uint32_t relatedRow;
};

std::string EdgesText(const TunerSpecEntry& e)
{
    std::string list;
    for (const double db : BandEdges(e))
        list += (list.empty() ? "" : ", ") + FormatDouble(db);
    return list;
}

// The entry whose key a later entry repeats, named by its row and codes.
struct KeyedRow
{
    std::int32_t iKey;
    std::int32_t iFactory;
    std::int32_t iTunerType;
};

// The finding's text, after the words that name the entry at row (0-based).
// related is the first entry with the same key (kKeyRepeated, with its row in
// relatedRow) or the entry before (kKeyBelowPrevious).
std::string EntryProblemText(EntryProblem problem, std::size_t row, const TunerSpecEntry& e, std::size_t relatedRow,
                             const KeyedRow& related)
{
    std::string text = TunerEntryName(row, e) + ": ";
    switch (problem) {
    case kFactoryNotBcd:
        return text + "the factory code " + std::to_string(e.iFactory()) + " (" +
               Hex(static_cast<std::uint32_t>(e.iFactory()), 2) + ") is not two BCD digits";
    case kTunerTypeNotBcd:
        return text + "the tuner-type code " + std::to_string(e.iTunerType()) + " (" +
               Hex(static_cast<std::uint32_t>(e.iTunerType()), 2) + ") is not two BCD digits";
    case kEdgesNotAboveZero: return text + "the band edges are not all finite and above 0: " + EdgesText(e) + " MHz";
    case kEdgesOutOfOrder: return text + "the band edges are out of order: " + EdgesText(e) + " MHz";
    case kEdgesOutsideTuningRange:
        return text + "the band edges " + EdgesText(e) + " MHz reach outside the TV tuning range of " +
               RangeText(kTunerBandRange);
    case kCarrierZero: return text + "the picture carrier is 0";
    case kCarrierNotFrequency:
        return text + "the picture carrier " + FormatDouble(e.dbPictureCarrier()) + " is not a frequency above 0";
    case kCarrierOutsideRange:
        return text + "the picture carrier " + FormatDouble(e.dbPictureCarrier()) +
               " MHz is outside the intermediate-frequency range of " + RangeText(kPictureCarrierRange);
    case kCarrier2NotFrequency:
        return text + "the picture carrier 2 " + FormatDouble(e.dbPictureCarrier2()) + " is neither 0 nor a frequency";
    case kCarrier2OutsideRange:
        return text + "the picture carrier 2 " + FormatDouble(e.dbPictureCarrier2()) +
               " MHz is outside the intermediate-frequency range of " + RangeText(kPictureCarrierRange);
    case kReservedNotZero: return text + "the reserved word is " + std::to_string(e.wReserved()) + ", not 0";
    case kKeyRepeated: {
        TunerSpecEntry first;
        first.SetFactory(related.iFactory);
        first.SetTunerType(related.iTunerType);
        return text + "the sort key " + std::to_string(TunerSortKey(e)) + " is already the key of " +
               TunerEntryName(relatedRow, first);
    }
    case kKeyBelowPrevious:
        return text + "the sort key " + std::to_string(TunerSortKey(e)) + " is below the key " +
               std::to_string(related.iKey) + " of the entry before it";
    }
    return text;
}

KeyedRow KeyedRowOf(const TunerSpecEntry& e)
{
    return KeyedRow{TunerSortKey(e), e.iFactory(), e.iTunerType()};
}

// For each row, the first row with the same sort key (the row itself when no
// earlier one has it). Tables are kept in key order, so a table whose keys
// never fall takes one pass; any other is sorted by key once.
std::vector<std::uint32_t> FirstRowsWithKey(const std::vector<KeyedRow>& rows)
{
    std::vector<std::uint32_t> first(rows.size());
    const auto sameKey = [&rows](std::size_t a, std::size_t b) { return rows[a].iKey == rows[b].iKey; };
    const bool bKeysRise =
        std::is_sorted(rows.begin(), rows.end(), [](const KeyedRow& a, const KeyedRow& b) { return a.iKey < b.iKey; });
    if (bKeysRise) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            first[i] = i > 0 && sameKey(i, i - 1) ? first[i - 1] : static_cast<std::uint32_t>(i);
        return first;
    }
    std::vector<std::uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&rows](std::uint32_t a, std::uint32_t b) { return rows[a].iKey < rows[b].iKey; });
    for (std::size_t k = 0; k < order.size(); ++k)
        first[order[k]] = k > 0 && sameKey(order[k], order[k - 1]) ? first[order[k - 1]] : order[k];
    return first;
}

// Hands onProblem(at, entry, keyed) every problem of the entries, in the
// order of their findings, with the entry it is found in and the keys and
// codes of all entries; forEachEntry(visit) hands visit every entry in list
// order, and is called twice.
template <class ForEachEntry, class OnProblem> void FindEntryProblems(ForEachEntry forEachEntry, OnProblem onProblem)
{
    std::vector<KeyedRow> keyed;
    forEachEntry([&keyed](const TunerSpecEntry& e) { keyed.push_back(KeyedRowOf(e)); });
    const std::vector<std::uint32_t> firstRows = FirstRowsWithKey(keyed);
    std::uint32_t row = 0;
    forEachEntry([&](const TunerSpecEntry& e) {
        EntryProblems found = ProblemsOfEntry(e);
        for (int problem = 0; found != 0; ++problem, found = static_cast<EntryProblems>(found >> 1)) {
            if (found & 1u)
                onProblem(EntryProblemAt{row, static_cast<EntryProblem>(problem), row}, e, keyed);
        }
        if (firstRows[row] != row)
            onProblem(EntryProblemAt{row, kKeyRepeated, firstRows[row]}, e, keyed);
        if (row > 0 && keyed[row].iKey < keyed[row - 1].iKey)
            onProblem(EntryProblemAt{row, kKeyBelowPrevious, row - 1}, e, keyed);
        ++row;
    });
}

TableFinding EntryFinding(const EntryProblemAt& at, const TunerSpecEntry& e, const KeyedRow& related)
{
    return TableFinding{SeverityOf(at.problem), ChannelModeNone, static_cast<std::int32_t>(at.row + 1),
                        EntryProblemText(at.problem, at.row, e, at.relatedRow, related)};
}

// The table lowers its count to the records the file holds; the length is
// judged against the count the file states.
void CheckTunerLength(const Findings& findings, const TunerTableLoadReport& report)
{
    const std::int32_t iCount = report.header.iEntryCount();
    if (iCount < 0) {
        findings.AddForFile("the entry count " + std::to_string(iCount) + " is negative");
    } else if (iCount == 0) {
        // A table saved without entries is its header alone.
        if (report.fileSize && *report.fileSize != TunerSpecHeader::kSize &&
            *report.fileSize != TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize)
            findings.AddForFile("the file is " + std::to_string(*report.fileSize) +
                                " bytes, but an entry count of 0 calls for " + std::to_string(TunerSpecHeader::kSize));
    } else {
        CheckLength(findings, report.fileSize,
                    TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize +
                        TunerSpecEntry::kSize * static_cast<std::uint64_t>(iCount),
                    "its entry count " + std::to_string(iCount) + " calls for");
    }
}

// The checks of a channel table's file and lists, however the lists are held.
void CheckChannelLists(const Findings& findings, const ChannelTableLoadReport& report, const std::uint8_t* pEndMark,
                       const std::vector<double>& air, const std::vector<double>& cable)
{
    const ChannelTableHeader& stored = report.header;
    CheckLength(findings, report.fileSize, report.StatedSize(),
                "its counts (air " + std::to_string(stored.wAirMax()) + ", cable " +
                    std::to_string(stored.wCableMax()) + ") call for");
    CheckMarks(findings, stored, kChannelTableMagic, pEndMark);
    CheckCountry(findings, stored.iCountryCode());
    // The stored counts are the last channel numbers the editor shows.
    CheckChannels(findings, ChannelModeAir, air, stored.wAirMin(), stored.wAirMax(), RasterCheck::WholeKilohertz);
    CheckChannels(findings, ChannelModeCable, cable, stored.wCableMin(), stored.wCableMax(),
                  RasterCheck::WholeKilohertz);
}

// The checks of a tuner table's file and its header, before its entries'.
void CheckTunerFile(const Findings& findings, const TunerTableLoadReport& report, const std::uint8_t* pEndMark)
{
    CheckTunerLength(findings, report);
    // A table without entries is its header alone: it has no end mark to judge.
    const bool bHasEndMark = report.header.iEntryCount() != 0;
    CheckMarks(findings, report.header, kTunerTableMagic, bHasEndMark ? pEndMark : kTableEndMark);
}

// The checks of a tuner table's file and entries, each finding with its text;
// forEachEntry(visit) hands visit every entry in list order, however the
// entries are held.
template <class ForEachEntry>
void CheckTunerEntries(const Findings& findings, const TunerTableLoadReport& report, const std::uint8_t* pEndMark,
                       ForEachEntry forEachEntry)
{
    CheckTunerFile(findings, report, pEndMark);
    FindEntryProblems(forEachEntry, [&findings](const EntryProblemAt& at, const TunerSpecEntry& e,
                                                const std::vector<KeyedRow>& keyed) {
        findings.Add(EntryFinding(at, e, keyed[at.relatedRow]));
    });
}

} // namespace

void CheckChannelTable(const ChannelTable& table, const ChannelTableLoadReport& report, const FindingSink& sink)
{
    CheckChannelLists(Findings(sink), report, table.EndMark(),
                      FrequenciesOf(table.Channels(ChannelModeAir), FrequencyOfChannel),
                      FrequenciesOf(table.Channels(ChannelModeCable), FrequencyOfChannel));
}

void CheckTunerTable(const TunerSpecTable& table, const TunerTableLoadReport& report, const FindingSink& sink)
{
    CheckTunerEntries(Findings(sink), report, table.EndMark(), [&table](const auto& visit) {
        for (const TunerSpecNode& node : table.Entries())
            visit(node.entry);
    });
}

void CheckLegacyTable(const LegacyChannelTable& table, const LegacyTableLoadReport& report, const FindingSink& sink)
{
    const Findings findings(sink);
    CheckLength(findings, report.fileSize, report.StatedSize(),
                "its header counts (air " + std::to_string(report.wAirCount) + ", cable " +
                    std::to_string(report.wCableCount) + ") call for");
    if (report.wAirMaxCh > report.wAirCount)
        findings.Add(ChannelModeAir, 0,
                     "the trailer's air maximum " + std::to_string(report.wAirMaxCh) + " is above the " +
                         std::to_string(report.wAirCount) + " air entries of the header");
    if (report.wCableMaxCh > report.wCableCount)
        findings.Add(ChannelModeCable, 0,
                     "the trailer's cable maximum " + std::to_string(report.wCableMaxCh) + " is above the " +
                         std::to_string(report.wCableCount) + " cable entries of the header");
    CheckCountry(findings, table.iCountryCode());
    CheckChannels(findings, ChannelModeAir, FrequenciesOf(table.Entries(ChannelModeAir), FrequencyOfLegacyEntry),
                  table.wAirMinCh(), report.wAirMaxCh, RasterCheck::None);
    CheckChannels(findings, ChannelModeCable, FrequenciesOf(table.Entries(ChannelModeCable), FrequencyOfLegacyEntry),
                  table.wCableMinCh(), report.wCableMaxCh, RasterCheck::None);
}

namespace {

// The report of a load of the file image that saving the table now would write.
template <class Report> void ReportOfImage(const std::vector<std::uint8_t>& image, Report& report)
{
    constexpr std::size_t kHeaderSize = decltype(report.header)::kSize;
    if (image.size() >= kHeaderSize)
        std::copy(image.begin(), image.begin() + kHeaderSize, report.header.bytes);
    report.fileSize = image.size();
}

} // namespace

void CheckChannelTableInMemory(const ChannelTable& table, const FindingSink& sink)
{
    const std::vector<std::uint8_t> image = table.FileImage();
    ChannelTableLoadReport report;
    report.header = table.Header();
    if (!image.empty()) {
        ReportOfImage(image, report);
        report.airRecords = report.header.wAirMax();
        report.cableRecords = report.header.wCableMax();
        report.bEndMark = true;
    }
    CheckChannelTable(table, report, sink);
}

void CheckTunerTableInMemory(const TunerSpecTable& table, const FindingSink& sink)
{
    const std::vector<std::uint8_t> image = table.FileImage();
    TunerTableLoadReport report;
    report.header = table.Header();
    if (!image.empty()) {
        ReportOfImage(image, report);
        report.iRecords = std::max(0, report.header.iEntryCount());
        report.bEndMark = report.iRecords > 0;
    }
    CheckTunerTable(table, report, sink);
}

namespace {

// The records of a list that lie wholly inside an image, from the offset at.
std::size_t RecordsWithin(std::size_t imageSize, std::uint64_t at, std::size_t recordSize, std::uint64_t stated)
{
    if (at >= imageSize)
        return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(stated, (imageSize - at) / recordSize));
}

std::vector<double> FrequenciesInImage(const std::vector<std::uint8_t>& image, std::uint64_t at, std::uint16_t wCount)
{
    const std::size_t count = RecordsWithin(image.size(), at, 8, wCount);
    std::vector<double> frequencies(count);
    for (std::size_t i = 0; i < count; ++i)
        frequencies[i] = le::ReadF64(image.data() + at + 8 * i);
    return frequencies;
}

// Where the end mark after the air list lies, as the header states the list's length.
std::uint64_t EndMarkOffset(const ChannelTableHeader& stated)
{
    return ChannelTableHeader::kSize + 8 * static_cast<std::uint64_t>(stated.wAirMax());
}

} // namespace

void CheckChannelTableImage(const std::vector<std::uint8_t>& image, const FindingSink& sink)
{
    ChannelTableLoadReport report;
    ReportOfImage(image, report);
    const std::uint64_t endMarkAt = EndMarkOffset(report.header);
    const std::uint64_t cableAt = endMarkAt + 4;
    ImageChannelLists lists = ChannelListsInImage(image);
    report.airRecords = static_cast<std::uint32_t>(lists.air.size());
    report.cableRecords = static_cast<std::uint32_t>(lists.cable.size());
    report.bEndMark = image.size() >= cableAt;
    std::uint8_t endMark[4] = {};
    if (report.bEndMark)
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(endMarkAt), 4, endMark);
    CheckChannelLists(Findings(sink), report, endMark, lists.air, lists.cable);
}

ImageChannelLists ChannelListsInImage(const std::vector<std::uint8_t>& image)
{
    ChannelTableLoadReport report;
    ReportOfImage(image, report);
    const ChannelTableHeader& stated = report.header;
    ImageChannelLists lists;
    lists.air = FrequenciesInImage(image, ChannelTableHeader::kSize, stated.wAirMax());
    lists.cable = FrequenciesInImage(image, EndMarkOffset(stated) + 4, stated.wCableMax());
    return lists;
}

namespace {

TunerSpecEntry EntryInImage(const std::vector<std::uint8_t>& image, std::size_t row)
{
    TunerSpecEntry entry;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(TunerSpecHeader::kSize + TunerSpecEntry::kSize * row),
                TunerSpecEntry::kSize, entry.bytes);
    return entry;
}

// Judges a tuner table's image: its file and header findings to fileSink, then
// every problem of the entries that lie wholly inside it to onProblem, as
// FindEntryProblems hands them.
template <class OnProblem>
void JudgeTunerImage(const std::vector<std::uint8_t>& image, const FindingSink& fileSink, OnProblem onProblem)
{
    TunerTableLoadReport report;
    ReportOfImage(image, report);
    const std::int32_t iCount = std::max(0, report.header.iEntryCount());
    const std::size_t count =
        RecordsWithin(image.size(), TunerSpecHeader::kSize, TunerSpecEntry::kSize, static_cast<std::uint64_t>(iCount));
    report.iRecords = static_cast<std::int32_t>(count);
    const std::uint64_t endMarkAt = TunerSpecHeader::kSize + TunerSpecEntry::kSize * count;
    report.bEndMark = count > 0 && image.size() >= endMarkAt + TunerSpecTable::kEndMarkSize;
    std::uint8_t endMark[TunerSpecTable::kEndMarkSize] = {};
    if (report.bEndMark)
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(endMarkAt), sizeof endMark, endMark);
    CheckTunerFile(Findings(fileSink), report, endMark);
    FindEntryProblems(
        [&image, count](const auto& visit) {
            for (std::size_t i = 0; i < count; ++i)
                visit(EntryInImage(image, i));
        },
        onProblem);
}

} // namespace

void CheckTunerTableImage(const std::vector<std::uint8_t>& image, const FindingSink& sink)
{
    JudgeTunerImage(image, sink,
                    [&sink](const EntryProblemAt& at, const TunerSpecEntry& e, const std::vector<KeyedRow>& keyed) {
                        sink(EntryFinding(at, e, keyed[at.relatedRow]));
                    });
}

FindingTotals CountTunerTableImageFindings(const std::vector<std::uint8_t>& image)
{
    FindingTotals totals;
    const auto count = [&totals](FindingSeverity severity) {
        ++(severity == FindingSeverity::Error ? totals.errors : totals.warnings);
    };
    JudgeTunerImage(
        image, [&count](const TableFinding& finding) { count(finding.severity); },
        [&count](const EntryProblemAt& at, const TunerSpecEntry&, const std::vector<KeyedRow>&) {
            count(SeverityOf(at.problem));
        });
    return totals;
}

TunerTableFindings::TunerTableFindings(std::vector<std::uint8_t> image) : m_image(std::move(image))
{
    JudgeTunerImage(
        m_image, [this](const TableFinding& finding) { m_fileFindings.push_back(finding); },
        [this](const EntryProblemAt& at, const TunerSpecEntry&, const std::vector<KeyedRow>&) {
            m_entryFindings.push_back(StoredEntryFinding{at.row, at.relatedRow, at.problem});
        });
    for (std::size_t i = 0; i < Count(); ++i)
        ++(SeverityAt(i) == FindingSeverity::Error ? m_totals.errors : m_totals.warnings);
}

FindingSeverity TunerTableFindings::SeverityAt(std::size_t index) const
{
    if (index < m_fileFindings.size())
        return m_fileFindings[index].severity;
    return SeverityOf(static_cast<EntryProblem>(m_entryFindings[index - m_fileFindings.size()].problem));
}

TableFinding TunerTableFindings::At(std::size_t index) const
{
    if (index < m_fileFindings.size())
        return m_fileFindings[index];
    const StoredEntryFinding& stored = m_entryFindings[index - m_fileFindings.size()];
    const EntryProblemAt at{stored.row, static_cast<EntryProblem>(stored.problem), stored.relatedRow};
    return EntryFinding(at, EntryInImage(m_image, at.row), KeyedRowOf(EntryInImage(m_image, at.relatedRow)));
}

std::vector<TableFinding> ChannelFindingsAt(const std::vector<double>& frequencies,
                                            const DuplicateFrequencies& duplicates, std::int32_t iList,
                                            std::int32_t iChannel)
{
    std::vector<TableFinding> found;
    if (iChannel < 1 || static_cast<std::size_t>(iChannel) > frequencies.size())
        return found;
    const auto position = static_cast<std::size_t>(iChannel - 1);
    ChannelNeighbours neighbours;
    for (std::size_t before = position; before-- > 0;) {
        if (CarriesFrequency(frequencies[before])) {
            neighbours.previous = static_cast<std::int32_t>(before + 1);
            neighbours.previousFrequency = frequencies[before];
            break;
        }
    }
    neighbours.next = NextCarrying(frequencies, position + 1);
    JudgeChannel(
        frequencies, duplicates, position, neighbours, RasterCheck::WholeKilohertz, [] { return true; },
        [&](FindingSeverity severity, std::string message) {
            found.push_back(TableFinding{severity, iList, iChannel, std::move(message)});
        });
    return found;
}
