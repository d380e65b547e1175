#pragma once
// Tables as JSON documents and back. The documents carry every stored field,
// so that a table built from the JSON of a file saves the same bytes.

#include <string>

#include "ChannelTable.h"
#include "Json.h"
#include "LegacyChannelTable.h"
#include "TunerSpecTable.h"

void WriteChannelTableJson(JsonWriter& json, const ChannelTable& table);
void WriteTunerTableJson(JsonWriter& json, const TunerSpecTable& table);
void WriteLegacyTableJson(JsonWriter& json, const LegacyChannelTable& table);
// One entry of a tuner table's "entries", with its sort key.
void WriteTunerEntryJson(JsonWriter& json, const TunerSpecEntry& entry);

// The "format" of a document: "ccf", "tsf", "cft", or empty when it has none.
std::string JsonTableFormat(const JsonValue& document);

// Fill a table made with lists from a "ccf" or "tsf" document. Fields that
// describe the file's header may be left out: they then take the values of a
// new table (for "min", the first channel with a frequency, as the editor
// computes it). Counts that are given must match the lists, except a
// negative "entry_count" with no entries: a file may hold one, and it is kept
// in the header (TunerSpecTable::Save would store 0). False with a
// message naming the offending field when the document does not describe a
// table; the table is then not to be used. pErrorOffset, when given, receives
// where the offending value begins in the text (JsonValue::offset).
bool ChannelTableFromJson(const JsonValue& document, ChannelTable& table, std::string& error,
                          std::size_t* pErrorOffset = nullptr);
bool TunerTableFromJson(const JsonValue& document, TunerSpecTable& table, std::string& error,
                        std::size_t* pErrorOffset = nullptr);

// The bytes of the file a tuner table read from JSON stands for: its own file
// image, or for a negative count the header with that count and the end mark,
// which is how such a file reads back to the same table.
std::vector<std::uint8_t> TunerTableFileImage(const TunerSpecTable& table);

// The frequencies of one list, channel 1 first.
std::vector<double> ChannelFrequencies(EntryRange<ChannelNode> channels);
std::vector<double> LegacyFrequencies(EntryRange<LegacyChannelNode> entries);
