#pragma once
// Loading a table file for any front end, with one notion of failure and one
// reason text for it: the editors, the converter and vornalix-tool decide
// alike whether a file was read.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileIO.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"

enum class TableLoadStatus
{
    Loaded,     // the table holds what the file held (a tuner table of count 0 is an empty table)
    Unreadable, // the file could not be read, or its reader refused it: the error says why
    NotATable,  // read, but not a table of its kind (an old table without both sections)
};

struct TableLoadResult
{
    TableLoadStatus status = TableLoadStatus::Unreadable;
    FileError error; // the system's or the reader's reason; code 0 unless Unreadable
    // Why the table was not loaded, as one line after the file's name
    // ("cannot be read: No such file or directory"); empty when it was.
    std::string reason;

    bool Loaded() const { return status == TableLoadStatus::Loaded; }
};

// Each loads the file into the table through its own Load, which leaves the
// report of what the file held in LastLoad(). The editors refuse a FIFO or a
// device (NonRegularFiles::Refuse); vornalix-tool reads one named on purpose.
TableLoadResult LoadTableFile(const std::string& path, ChannelTable& table, NonRegularFiles nonRegular);
// pFileImage: the bytes read, when they are the table's file image (see
// TunerSpecTable::Load).
TableLoadResult LoadTableFile(const std::string& path, TunerSpecTable& table, NonRegularFiles nonRegular,
                              std::vector<std::uint8_t>* pFileImage = nullptr);
TableLoadResult LoadTableFile(const std::string& path, LegacyChannelTable& table, NonRegularFiles nonRegular);
// A channel table's frequencies alone, read as its Load reads them, on any
// thread (ReadChannelFrequencies).
TableLoadResult LoadTableFile(const std::string& path, ChannelFileFrequencies& frequencies, NonRegularFiles nonRegular);
