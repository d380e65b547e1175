#pragma once
// What the commands that judge channel tables against tuners (coverage,
// matrix) share: reading their operands, each refusal reported on err as the
// others are, and the JSON naming of a tuner's edges that are not finite.

#include <ostream>
#include <string>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"

class JsonWriter;

// A channel table to judge: a .ccf. An old table (.cft) is refused with the
// advice to convert it, any other kind as not a channel table.
bool LoadChannelOperand(const std::string& path, ChannelTable& table, std::ostream& err);
// The tuner table (.tsf) the channel tables are judged against.
bool LoadTunerOperand(const std::string& path, TunerSpecTable& tuners, std::ostream& err);

// "edges_not_finite": the JSON names of the edges that are not finite numbers.
void WriteNonFiniteEdgesJson(JsonWriter& json, const TunerBands& bands);
