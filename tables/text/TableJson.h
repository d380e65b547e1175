#pragma once
// Tables as JSON documents and back. The documents carry every stored field,
// so that a table built from the JSON of a file saves the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tables/text/Json.h"

void WriteChannelTableJson(JsonWriter& json, const ChannelTable& table);
void WriteTunerTableJson(JsonWriter& json, const TunerSpecTable& table);
void WriteLegacyTableJson(JsonWriter& json, const LegacyChannelTable& table);
// One entry of a tuner table's "entries", with its sort key.
void WriteTunerEntryJson(JsonWriter& json, const TunerSpecEntry& entry);

// A table's JSON document as build and the editors' import read it. What a
// table is made of is read straight into its values while the text is read:
// the header fields and the objects around the lists are kept as JsonValues,
// the frequencies of "air" and "cable" become doubles and the "entries"
// tuner entries, each up to the most a table holds (more are counted, not
// kept). Everything else is only checked, keeping of each object no more
// than the first member a table does not know, for its message. Reading
// therefore costs about the text's own size whatever the document holds.
class TableJsonDocument
{
public:
    // One list of frequencies as it was read.
    struct Frequencies
    {
        std::size_t count = 0;      // items of the array, all of them
        std::vector<double> values; // the first items' values, up to the first refused
        bool bRefused = false;      // an item is neither a number nor "nan", "inf", "-inf"
        std::size_t refusedIndex = 0;
        JsonValue refusedItem; // that item, a container without its content
    };
    // The tuner entries as they were read.
    struct Entries
    {
        std::size_t count = 0;               // items of the array, all of them
        std::vector<TunerSpecEntry> entries; // the first items' entries, up to the first refused
        bool bRefused = false;               // an item is not an entry
        std::string refusal;                 // why, naming the item ("entries[3].low_code ...")
        std::size_t refusalOffset = 0;       // where the offending value begins
    };

    // False, with the place and reason, when the text is not JSON; the
    // document is then empty.
    bool Read(std::string_view text, JsonParseError& error, JsonReadCounts* pCounts = nullptr);

    // The document as far as the table readers look at it.
    const JsonValue& Root() const { return m_root; }
    // "air" (ChannelModeAir) or "cable" of the document's top object, when
    // that is an object with an array "frequencies".
    const Frequencies& ListFrequencies(std::int32_t iMode) const { return m_lists[iMode == ChannelModeAir ? 0 : 1]; }
    // "entries" of the document's top object, when that is an array.
    const Entries& TunerEntries() const { return m_entries; }

private:
    class Reader;

    JsonValue m_root;
    Frequencies m_lists[2];
    Entries m_entries;
};

// The "format" of a document: "ccf", "tsf", "cft", or empty when it has none.
std::string JsonTableFormat(const JsonValue& document);

// Fill a table made with lists from a "ccf" or "tsf" document. Fields that
// describe the file's header may be left out: they then take the values of a
// new table (for "min", the first channel with a frequency, as the editor
// computes it). Counts that are given must match the lists, except a
// negative "entry_count" with no entries: a file may hold one, and it is kept
// in the header (TunerSpecTable::Save would store 0). A list of more than
// 65,535 channels and more than 100,000 entries are refused. False with a
// message naming the offending field when the document does not describe a
// table; the table is then not to be used. pErrorOffset, when given, receives
// where the offending value begins in the text (JsonValue::offset).
bool ChannelTableFromJson(const TableJsonDocument& document, ChannelTable& table, std::string& error,
                          std::size_t* pErrorOffset = nullptr);
bool TunerTableFromJson(const TableJsonDocument& document, TunerSpecTable& table, std::string& error,
                        std::size_t* pErrorOffset = nullptr);

// The bytes of the file a tuner table read from JSON stands for: its own file
// image, or for a negative count the header with that count and the end mark,
// which is how such a file reads back to the same table.
std::vector<std::uint8_t> TunerTableFileImage(const TunerSpecTable& table);

// The frequencies of one list, channel 1 first.
std::vector<double> ChannelFrequencies(EntryRange<ChannelNode> channels);
std::vector<double> LegacyFrequencies(EntryRange<LegacyChannelNode> entries);
