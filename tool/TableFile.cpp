#include "TableFile.h"


namespace {

std::string CannotRead(const FileError& error)
{
    return "cannot be read: " + (error.text.empty() ? std::string("unknown error") : error.text);
}

} // namespace

bool ResolveTableKind(const std::string& path, const std::optional<TableKind>& forced, TableKind& kind,
                      std::string& reason)
{
    if (forced) {
        kind = *forced;
        return true;
    }
    const auto detected = DetectTableKind(path);
    if (!detected) {
        reason = "unknown table type: the name does not end in .ccf, .cft or .tsf and the file has no table magic "
                 "(use --type ccf|cft|tsf)";
        return false;
    }
    kind = *detected;
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
