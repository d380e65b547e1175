#pragma once
// The readable listings of dump: one line per field and per channel or entry,
// so that a line diff of two listings shows exactly what changed.

#include <cstdint>
#include <ostream>
#include <string>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"

void ListChannelTable(std::ostream& out, const ChannelTable& table);
void ListTunerTable(std::ostream& out, const TunerSpecTable& table);
void ListLegacyTable(std::ostream& out, const LegacyChannelTable& table);
