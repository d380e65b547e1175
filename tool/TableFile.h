#pragma once
// Which table a file holds, and reading it through its table class exactly as
// the editors read it, with the reason when that fails.

#include <optional>
#include <string>

#include "ChannelTable.h"
#include "LegacyChannelTable.h"
#include "TunerSpecTable.h"

enum class TableKind
{
    Channel, // .ccf, CHFQ
    Legacy,  // .cft
    Tuner,   // .tsf, TNSP
};

// "ccf", "cft" or "tsf".
const char* TableKindName(TableKind kind);
// The kind a --type value names; none for anything else.
std::optional<TableKind> TableKindFromName(const std::string& name);
// The kind the file name's extension names, in any case; none otherwise.
std::optional<TableKind> TableKindFromPath(const std::string& path);

// The kind of a file: forced when given, else from its extension. False with a
// reason when the extension says nothing.
bool ResolveTableKind(const std::string& path, const std::optional<TableKind>& forced, TableKind& kind,
                      std::string& reason);

// Each loads into a table made without lists, as the editors' Load does.
// False with a reason when the file could not be read: it cannot be opened,
// the reader refuses it, or (for an old table) the legacy reader refuses it.
// A TNSP file whose count is 0 is read: it is a table without entries. Unlike
// the editors, the tool reads a FIFO or a device named on purpose, as cat
// would, though never further than the table's format can use.
bool LoadChannelTable(const std::string& path, ChannelTable& table, std::string& reason);
bool LoadTunerTable(const std::string& path, TunerSpecTable& table, std::string& reason);
bool LoadLegacyTable(const std::string& path, LegacyChannelTable& table, std::string& reason);
