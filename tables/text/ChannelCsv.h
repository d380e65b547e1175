#pragma once
// Channel lists as CSV: the one form the editors' Import... and Export... and
// vornalix-tool's build --csv and export read and write, so that either reads
// what the other writes.
//
// The text is read as CsvDialect.h tells, as Paste reads the clipboard: its
// fields separated by commas, semicolons or tabs, its headings matched
// without regard to case, blanks and punctuation, and where commas do not
// separate, a comma may be a frequency's decimal mark ("1;48,25", as a
// spreadsheet of a German locale saves it). A header that names no columns
// with the separator found but does with commas is a CSV of commas.
//
// The first row names the columns; they are found by their headings, in any
// order (the tool writes the names on the left):
//   channel        required: the channel's label ("Channel", "Ch")
//   frequency_mhz  required: its frequency in MHz ("Frequency (MHz)", "MHz")
//   list           optional: "air" or "cable", the list the row belongs to
// Other columns (a note, a name) are passed over, up to kMaxChannelCsvColumns
// columns in all; a column named twice is refused (a heading written as the
// column's name comes before others that name it). Every row holds as many
// fields as the header.
//
// A text with a list column holds both lists of a table (a list without rows
// is empty). A text without one holds one list, and the reader is told which
// list that is: the editor takes the list it shows, the tool's build the air
// list unless told otherwise (--list).
//
// Labels of a list are read as a channel plan's: when every label of the list
// is a whole number each is the channel's position (they rise from 1; the
// positions in between are empty slots of 0 MHz), otherwise the channels are
// numbered 1, 2, 3... in order. Frequencies take any form FormatDouble writes
// ("55.25", "-1", "inf", "nan:..."), so a list comes back exactly as it was,
// and the forms ReadCsvValue reads besides ("+55.25 MHz", "55,25").
//
// The text is read one row at a time and only the fields the columns name are
// kept: memory stays within the two lists, however the text is written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/text/Csv.h"

constexpr const char* kChannelCsvHeader = "channel,frequency_mhz";
constexpr const char* kChannelCsvListsHeader = "list,channel,frequency_mhz";
constexpr std::size_t kMaxChannelCsvColumns = 16;
constexpr std::size_t kMaxChannelCsvLabelBytes = 32;
constexpr std::size_t kMaxChannelCsvFrequencyBytes = 32;

struct ChannelCsvLists
{
    bool bListColumn = false; // the text named each row's list
    std::vector<double> air;
    std::vector<double> cable;

    std::vector<double>& Of(std::int32_t iMode);
};

// One list: kChannelCsvHeader and a row per slot from 1, empty ones included.
std::string ChannelCsvText(const std::vector<double>& frequencies);
// Both lists of a table: kChannelCsvListsHeader, the air rows, the cable rows.
std::string ChannelCsvText(const std::vector<double>& air, const std::vector<double>& cable);

// Chosen channels of one list, a row each with the channel's number and its
// frequency, FormatDouble's as in the forms above (an empty slot as its own
// value, 0 for most): as CSV under kChannelCsvHeader, or as tab-separated
// rows without a header, which a spreadsheet pastes into two columns.
// channels are 1-based, each one within frequencies.
enum class ChannelRowsForm
{
    Csv,
    TabSeparated,
};
std::string ChannelRowsText(const std::vector<double>& frequencies, const std::vector<std::int32_t>& channels,
                            ChannelRowsForm form);

// The lists a text holds; the rows of a text without a list column go to the
// list iUnnamedMode names (ChannelModeAir or ChannelModeCable). False, with
// the place (line and column from 1) and the reason, for a fault of the text,
// a header without channel or frequency_mhz, a row of another number of fields
// than the header, a list other than air or cable, an empty label or one longer
// than kMaxChannelCsvLabelBytes, a frequency that is not one, whole-number
// labels that do not rise from 1 to at most 65,535, or more than 65,535
// channels in a list. Faults of the text come first, then those of the header
// and of a row's number of fields, then the first refused channel. On failure
// lists is left as it was.
bool ReadChannelCsv(std::string_view text, std::int32_t iUnnamedMode, ChannelCsvLists& lists, CsvError& error);
