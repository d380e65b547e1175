#include "TableFile.h"

#include <algorithm>
#include <cctype>

namespace {

std::string CannotRead(const FileError& error)
{
    return "cannot be read: " + (error.text.empty() ? std::string("unknown error") : error.text);
}

} // namespace

const char* TableKindName(TableKind kind)
{
    switch (kind) {
    case TableKind::Channel: return "ccf";
    case TableKind::Legacy: return "cft";
    case TableKind::Tuner: return "tsf";
    }
    return "";
}

std::optional<TableKind> TableKindFromName(const std::string& name)
{
    for (TableKind kind : {TableKind::Channel, TableKind::Legacy, TableKind::Tuner})
        if (name == TableKindName(kind))
            return kind;
    return std::nullopt;
}

std::optional<TableKind> TableKindFromPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return TableKindFromName(extension);
}

bool ResolveTableKind(const std::string& path, const std::optional<TableKind>& forced, TableKind& kind,
                      std::string& reason)
{
    if (forced) {
        kind = *forced;
        return true;
    }
    const auto fromPath = TableKindFromPath(path);
    if (!fromPath) {
        reason = "unknown table type: the name does not end in .ccf, .cft or .tsf (use --type ccf|cft|tsf)";
        return false;
    }
    kind = *fromPath;
    return true;
}

bool LoadChannelTable(const std::string& path, ChannelTable& table, std::string& reason)
{
    FileError error;
    if (table.Load(path.c_str(), &error, NonRegularFiles::ReadUpToLimit))
        return true;
    reason = CannotRead(error);
    return false;
}

bool LoadTunerTable(const std::string& path, TunerSpecTable& table, std::string& reason)
{
    FileError error;
    // A count of 0 reads as 0 with no error: an empty table, not a failure.
    if (table.Load(path.c_str(), &error, NonRegularFiles::ReadUpToLimit) || error.code == 0)
        return true;
    reason = CannotRead(error);
    return false;
}

bool LoadLegacyTable(const std::string& path, LegacyChannelTable& table, std::string& reason)
{
    FileError error;
    if (table.Load(path.c_str(), &error, NonRegularFiles::ReadUpToLimit))
        return true;
    if (error.code != 0) {
        reason = CannotRead(error);
    } else {
        reason = "not an old channel table: its header counts " + std::to_string(table.wAirCount()) +
                 " air and " + std::to_string(table.wCableCount()) + " cable entries, and both must be above 0";
    }
    return false;
}
