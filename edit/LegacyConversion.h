#pragma once
// Turning an old table into a new one written beside it: the steps the
// converter dialog and the tool's convert command share.

#include <string>

#include "platform/FileIO.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"

enum class ConversionResult
{
    Written,           // converted and saved under the output path
    NotConvertible,    // the old table gave no channels to convert (an empty air list)
    WouldReplaceInput, // the output path names the old table's own file: nothing written
    SaveFailed,        // converted, but the file could not be written (the error says why)
};

// Whether writing `output` would replace the file `input`: the same file under
// this name or another (a link, "./a" for "a"); IsSameFile decides.
bool WouldReplaceInput(const std::string& input, const std::string& output);

// Converts the loaded old table into `result` and writes it to `output`, never
// over the old table's own file. An existing file at `output` whose content
// differs from the new table is kept in the desktop's Trash first (its path
// there in *pKeptInTrash); when it cannot be, nothing is written. The
// converted table stays in `result` whatever became of the save.
ConversionResult ConvertAndWrite(const LegacyChannelTable& legacy, const std::string& input, const std::string& output,
                                 ChannelTable& result, FileError& error, std::string* pKeptInTrash = nullptr);
