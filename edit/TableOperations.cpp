#include "edit/TableOperations.h"

#include <utility>

namespace {

TableLoadResult Unreadable(FileError error)
{
    TableLoadResult result;
    result.status = TableLoadStatus::Unreadable;
    result.reason = "cannot be read: " + (error.text.empty() ? std::string("unknown error") : error.text);
    result.error = std::move(error);
    return result;
}

TableLoadResult Loaded()
{
    TableLoadResult result;
    result.status = TableLoadStatus::Loaded;
    return result;
}

} // namespace

TableLoadResult LoadTableFile(const std::string& path, ChannelTable& table, NonRegularFiles nonRegular)
{
    FileError error;
    if (table.Load(path.c_str(), &error, nonRegular))
        return Loaded();
    return Unreadable(std::move(error));
}

TableLoadResult LoadTableFile(const std::string& path, ChannelFileFrequencies& frequencies, NonRegularFiles nonRegular)
{
    FileError error;
    if (ReadChannelFrequencies(path.c_str(), frequencies, &error, nonRegular))
        return Loaded();
    return Unreadable(std::move(error));
}

TableLoadResult LoadTableFile(const std::string& path, TunerSpecTable& table, NonRegularFiles nonRegular,
                              std::vector<std::uint8_t>* pFileImage)
{
    FileError error;
    // A count of 0 reads as 0 with no error: an empty table, not a failure.
    if (table.Load(path.c_str(), &error, nonRegular, pFileImage) || error.code == 0)
        return Loaded();
    return Unreadable(std::move(error));
}

TableLoadResult LoadTableFile(const std::string& path, LegacyChannelTable& table, NonRegularFiles nonRegular)
{
    FileError error;
    if (table.Load(path.c_str(), &error, nonRegular))
        return Loaded();
    if (error.code != 0)
        return Unreadable(std::move(error));
    TableLoadResult result;
    result.status = TableLoadStatus::NotATable;
    result.reason = "not an old channel table: its header counts " + std::to_string(table.wAirCount()) + " air and " +
                    std::to_string(table.wCableCount()) + " cable entries, and both must be above 0";
    return result;
}
