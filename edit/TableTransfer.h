#pragma once
// Import and export for the editors, in the formats of vornalix-tool: a whole
// table as the JSON document "dump --json" writes for one file (and "build"
// reads back), and channel lists as CSV (ChannelCsv.h: one list
// "channel,frequency_mhz", or both "list,channel,frequency_mhz"). The tool and
// the editors share the writers and readers underneath (TableJson,
// ChannelCsv), so that a file exported by one is imported by the other, and
// exporting then importing gives back the same file image byte for byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIO.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tables/text/ChannelCsv.h"

// Why a text or a file was not imported or exported: the place in the text
// (line and column from 1, the column in bytes; 0 when not known or not in
// the text, as for a file that cannot be read) and the reason.
struct TransferError
{
    std::size_t line = 0;
    std::size_t column = 0;
    std::string reason;
};

// The one-line message for a person: "FILE: line L, column C: reason", with
// the line and column left out when they are not known.
std::string TransferMessage(const std::string& path, const TransferError& error);
// The place alone, "line L, column C: ", or empty when not known.
std::string TransferPlace(const TransferError& error);

// The JSON document of a table, exactly as "vornalix-tool dump --json" writes
// it for the table's file, line end included.
std::string ChannelTableJsonText(const ChannelTable& table);
std::string TunerTableJsonText(const TunerSpecTable& table);

// A table from such a document, as "vornalix-tool build" makes it. On failure
// the error names the place of the offending text, table is left empty and
// nothing else changes.
bool ReadChannelTableJson(std::string_view text, std::unique_ptr<ChannelTable>& table, TransferError& error);
bool ReadTunerTableJson(std::string_view text, std::unique_ptr<TunerSpecTable>& table, TransferError& error);

// One list as CSV: the header "channel,frequency_mhz" and one row per slot,
// channel = position from 1, empty slots included, the frequency in
// FormatDouble's form (so that NaN and infinities come back as they were).
std::string ChannelListCsvText(const std::vector<double>& frequencies);
// The lists a CSV text holds (ReadChannelCsv): both lists of a text with a
// list column, else one list, the one iUnnamedMode names. On failure the
// error names the place and lists is left as it was.
bool ReadChannelListsCsv(std::string_view text, std::int32_t iUnnamedMode, ChannelCsvLists& lists,
                         TransferError& error);
// The one list of a text without a list column, or the air list of one with
// it: read as ReadChannelListsCsv reads it. It may be empty and may hold any
// value FormatDouble writes; more than 65,535 channels are refused.
bool ReadChannelListCsv(std::string_view text, std::vector<double>& frequencies, TransferError& error);

// Import files are read whole up to this size, far beyond the largest table
// (100,000 tuner entries are about 30 MB of JSON).
constexpr std::size_t kMaxTransferFileSize = 512u * 1024u * 1024u;

// The bytes of a file to import, as the file was read (TextOf gives them as
// text without a copy: the readers hold no more than the file and what they
// make of it). The editors refuse a FIFO or a device; vornalix-tool reads one
// named on purpose. The reason is "cannot be read: ..." as the tool words it.
bool ImportFromFile(const std::string& path, std::vector<std::uint8_t>& bytes, TransferError& error,
                    NonRegularFiles nonRegular = NonRegularFiles::Refuse);
inline std::string_view TextOf(const std::vector<std::uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
// Writes an export through the safe save: a failure leaves the old file.
bool ExportToFile(const std::string& path, std::string_view text, TransferError& error);

// The same, file and format together.
bool ImportChannelTableFile(const std::string& path, std::unique_ptr<ChannelTable>& table, TransferError& error);
bool ImportTunerTableFile(const std::string& path, std::unique_ptr<TunerSpecTable>& table, TransferError& error);
bool ImportChannelListFile(const std::string& path, std::vector<double>& frequencies, TransferError& error);
bool ImportChannelListsFile(const std::string& path, std::int32_t iUnnamedMode, ChannelCsvLists& lists,
                            TransferError& error);
bool ExportChannelTableFile(const std::string& path, const ChannelTable& table, TransferError& error);
bool ExportTunerTableFile(const std::string& path, const TunerSpecTable& table, TransferError& error);
bool ExportChannelListFile(const std::string& path, const std::vector<double>& frequencies, TransferError& error);
