#pragma once
// Which table a file holds, and reading it through its table class exactly as
// the editors read it, with the reason when that fails.

#include <optional>
#include <string>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TableFormat.h"
#include "tables/format/TunerSpecTable.h"

// The kind of a file: forced when given, else as every front end tells it
// (DetectTableKind: the extension, then the magic). False with a reason when
// neither says anything.
bool ResolveTableKind(const std::string& path, const std::optional<TableKind>& forced, TableKind& kind,
                      std::string& reason);

// Each loads into a table made without lists, as the editors' Load does, through
// the one load every front end shares (LoadTableFile), with its reason when
// that fails. Unlike the editors, the tool reads a FIFO or a device named on
// purpose, as cat would, though never further than the table's format can use.
bool LoadChannelTable(const std::string& path, ChannelTable& table, std::string& reason);
bool LoadTunerTable(const std::string& path, TunerSpecTable& table, std::string& reason);
bool LoadLegacyTable(const std::string& path, LegacyChannelTable& table, std::string& reason);

// Why an old channel table (.cft) is refused by a command that takes channel
// tables: "old channel tables (cft) are not compared: convert both
// (vornalix-tool convert) and compare the .ccf files".
std::string OldTableRefusal(const std::string& notDone, const std::string& instead);
