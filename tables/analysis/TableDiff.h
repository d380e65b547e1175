#pragma once
// What differs between two tables of one kind, as a list a front end can
// print or show: header fields, channels by their position in each list, and
// tuner entries by their factory and tuner type. vornalix-tool diff prints
// the list; an editor can select the row each difference names.
//
// Values compare by their stored bits: a NaN equals only a NaN with the same
// bits, and 0 and -0 differ, so that two tables without differences save the
// same bytes (a tuner table's entries in the same order, see bOrderChanged).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"

enum class DiffChange : std::uint8_t
{
    Added,   // only the second table has it
    Removed, // only the first table has it
    Changed, // both have it, with other values
};

// The header fields in the order the listings of dump show them.
enum class HeaderField : std::uint8_t
{
    Marker,
    Reserved,
    Magic,
    CountryCode, // channel tables
    EntryCount,  // tuner tables
    EndMark,
    // tuner tables whose entry count is 0: the four bytes after the header
    // that the table does not read; iValue is 1 when the file holds them.
    UnreadEndMark,
    AirRange,   // channel tables: the stored first and last air channel
    CableRange, // channel tables: the same for cable
};

constexpr std::size_t kHeaderFieldCount = 9;

// How diff and the editors name a field: "country code", "air range".
const char* HeaderFieldText(HeaderField field);
struct HeaderFieldValue
{
    // The marker, reserved word, country code or entry count; a range's
    // stored minimum.
    std::int64_t iValue = 0;
    // A range's stored maximum.
    std::int64_t iMax = 0;
    // The magic's or the end mark's four bytes in file order.
    std::array<std::uint8_t, 4> bytes = {};

    bool operator==(const HeaderFieldValue& other) const
    {
        return iValue == other.iValue && iMax == other.iMax && bytes == other.bytes;
    }
    bool operator!=(const HeaderFieldValue& other) const { return !(*this == other); }
};

// A field's value as dump lists it: "0x0100" for the marker, "\"CHFQ\"",
// "1 to 69" for a range, "0000ffff" for the end mark.
std::string HeaderFieldValueText(HeaderField field, const HeaderFieldValue& value);

// The value of a field of a channel table's header as CompareChannelTables
// compares it; all zero for the fields only tuner tables have.
HeaderFieldValue ChannelHeaderValue(const ChannelTable& table, HeaderField field);

struct HeaderDifference
{
    HeaderField field = HeaderField::Marker;
    HeaderFieldValue before; // in the first table
    HeaderFieldValue after;  // in the second table
};

struct ChannelDifference
{
    DiffChange change = DiffChange::Changed;
    std::int32_t iList = ChannelModeAir; // ChannelModeAir or ChannelModeCable
    std::int32_t iChannel = 0;           // 1-based
    double dbBefore = 0.0;               // the frequency in the first table; 0 when Added
    double dbAfter = 0.0;                // the frequency in the second table; 0 when Removed
};

// How one place of two lists compares, as CompareChannelTables lists it:
// nothing where both hold the same stored value, Added where only the second
// list reaches the place, Removed where only the first, else Changed. A list
// that does not reach the place is nullptr.
std::optional<DiffChange> ComparePlace(const FrequencyBits* pBefore, const FrequencyBits* pAfter);

struct ChannelTableDiff
{
    std::vector<HeaderDifference> header; // in HeaderField order
    // The air list's channels, then the cable list's, each by channel number.
    // Lists are compared position by position: a channel moved to another
    // place changes both places, and the longer list's rest is added or removed.
    std::vector<ChannelDifference> channels;

    bool Empty() const { return header.empty() && channels.empty(); }
};

// The fields of a tuner entry besides its key (factory and tuner type), in
// record order.
enum class TunerField : std::uint8_t
{
    LowBandStart,
    MidBandStart,
    HighBandStart,
    HighBandEnd,
    PictureCarrier,
    PictureCarrier2,
    LowCode,
    MidCode,
    HighCode,
    Reserved,
};
constexpr int kTunerFieldCount = 10;

constexpr std::uint16_t TunerFieldBit(TunerField field)
{
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(field));
}

// A frequency field (MHz, a double), or else a 16-bit word.
bool IsTunerFrequencyField(TunerField field);
double TunerFieldFrequency(const TunerSpecEntry& entry, TunerField field);
std::uint16_t TunerFieldWord(const TunerSpecEntry& entry, TunerField field);

struct TunerDifference
{
    DiffChange change = DiffChange::Changed;
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    // A table may hold one factory and tuner type more than once: the n-th
    // such entry of the first table (in its order) is compared with the n-th
    // of the second. 1 for the first.
    std::int32_t iOccurrence = 1;
    // Changed: TunerFieldBit of every field that differs.
    std::uint16_t wFields = 0;
    TunerSpecEntry before; // the entry in the first table; all zero when Added
    TunerSpecEntry after;  // the entry in the second table; all zero when Removed

    std::int32_t SortKey() const { return TunerSortKey(change == DiffChange::Added ? after : before); }
};

struct TunerTableDiff
{
    // The entry count only where it is not the list's length in either table
    // (a negative count): added and removed entries say the rest.
    std::vector<HeaderDifference> header;
    // By sort key, then factory, tuner type and occurrence: the order a table
    // keeps its entries in.
    std::vector<TunerDifference> entries;
    // The entries both tables hold stand in another order in the second.
    bool bOrderChanged = false;

    bool Empty() const { return header.empty() && entries.empty() && !bOrderChanged; }
};

ChannelTableDiff CompareChannelTables(const ChannelTable& before, const ChannelTable& after);
TunerTableDiff CompareTunerTables(const TunerSpecTable& before, const TunerSpecTable& after);
