#pragma once
// How diff prints the differences of two tables: one line per difference, in
// the order TableDiff gives them, or one JSON document.
//
//     country code: 44 -> 49
//     air range: 1 to 3 -> 1 to 4
//     air 002: 0 MHz (empty) -> 55.25 MHz
//     air 004: added 62.25 MHz
//     factory 03, tuner type 12: picture carrier 45.75 MHz -> 45.5 MHz

#include <ostream>

#include "tables/analysis/TableDiff.h"
#include "tables/text/Json.h"

void ListChannelTableDiff(std::ostream& out, const ChannelTableDiff& diff);
void ListTunerTableDiff(std::ostream& out, const TunerTableDiff& diff);

void WriteChannelTableDiffJson(JsonWriter& json, const ChannelTableDiff& diff);
void WriteTunerTableDiffJson(JsonWriter& json, const TunerTableDiff& diff);
