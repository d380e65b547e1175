#include "tool/TableFile.h"

#include "edit/TableOperations.h"

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

namespace {

bool Loaded(const TableLoadResult& result, std::string& reason)
{
    if (result.Loaded())
        return true;
    reason = result.reason;
    return false;
}

} // namespace

bool LoadChannelTable(const std::string& path, ChannelTable& table, std::string& reason)
{
    return Loaded(LoadTableFile(path, table, NonRegularFiles::ReadUpToLimit), reason);
}

bool LoadTunerTable(const std::string& path, TunerSpecTable& table, std::string& reason)
{
    return Loaded(LoadTableFile(path, table, NonRegularFiles::ReadUpToLimit), reason);
}

bool LoadLegacyTable(const std::string& path, LegacyChannelTable& table, std::string& reason)
{
    return Loaded(LoadTableFile(path, table, NonRegularFiles::ReadUpToLimit), reason);
}

std::string OldTableRefusal(const std::string& notDone, const std::string& instead)
{
    return "old channel tables (cft) are not " + notDone + ": " + instead;
}
