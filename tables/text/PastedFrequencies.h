#pragma once
// Frequencies pasted into a channel list from the clipboard's text, as a
// spreadsheet, a text editor or the channel editor's own Copy put them there:
// one value per line, or rows of several columns that tabs, commas or
// semicolons separate (found as CsvDialect.h finds them, the first line's
// separator holding for the whole text; fields may be quoted as in CSV, and
// CR LF line ends are line ends).
//
// The frequency column is the one whose heading in the first row names it
// (CsvDialect.h, kFrequencyColumnNames); without such a heading it is the last column of the
// first row of values that holds a number (a first row of several columns
// without any number is a heading and is passed over). Values are read as
// ReadCsvValue reads them: the forms ParseDouble reads ("55.25", "-1", "inf",
// "nan:..."), so that what Copy wrote comes back exactly, with a "+" before
// and "MHz" after them allowed; in a text that tabs or semicolons separate, a
// comma may be the decimal mark ("175,25"). Lines with nothing but blanks are
// passed over.
//
// Where commas separate, "175,25" may be one value with a decimal comma or two
// fields. It is one value when the text is a single column: every line of
// values is digits, a comma and digits ("+" before and "MHz" after allowed),
// or the text's heading is one field. It is two fields when the text has
// columns: a heading of several fields, or a line of several fields that is
// not of that form ("5,175.25"). A text of such lines among lines of one
// value each, without a heading, could be either and is refused at the first
// of them.
//
// The text is read one row at a time, only its first kMaxPastedColumns fields
// kept, and no further than the value after the kMaxPastedFrequencies-th:
// memory stays within the values read, time within the rows read. Callers
// refuse a text longer than kMaxPastedTextBytes before reading it (or turning
// it into UTF-8): no list's frequencies take so much.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tables/text/CsvDialect.h"

constexpr std::size_t kMaxPastedColumns = 64;
// The most channels of a list (ChannelTable::kMaxChannels): one value more
// tells that the text holds more than a list may.
constexpr std::size_t kMaxPastedFrequencies = 65535;
constexpr std::size_t kMaxPastedTextBytes = 16 * 1024 * 1024;

struct PastedTextFault
{
    std::size_t line = 0; // from 1
    std::string reason;   // "\"abc\" is not a frequency"
};

// The column the frequencies were taken from, for the status line to tell.
struct PastedColumn
{
    std::size_t index = 0;      // from 0; messages count from 1
    std::string heading;        // its heading in the first row, blanks trimmed; empty without one
    bool bDecimalComma = false; // a comma was read as the decimal mark in one value or more
};

struct PastedFrequencies
{
    // In the order of their lines; at most kMaxPastedFrequencies + 1.
    std::vector<double> frequencies;
    // Reading stopped at the value after the kMaxPastedFrequencies-th: the
    // text holds more frequencies than a list may, how many more is not
    // known, and nothing after that value (a fault neither) was read.
    bool bStoppedAtLimit = false;
    PastedColumn column; // when frequencies is not empty or a heading named the column
};

// The frequencies and the column they came from; false, with the first
// fault's line and reason, for a value that is not a frequency, a row without
// one, a row of more than kMaxPastedColumns fields, a line that may be one
// value or two fields (above) or a fault of the quoting. pasted is left as it
// was on failure.
bool ReadPastedFrequencies(std::string_view text, PastedFrequencies& pasted, PastedTextFault& fault);
// The frequencies alone, as above: more than kMaxPastedFrequencies of them
// when the text holds more than a list may.
bool ReadPastedFrequencies(std::string_view text, std::vector<double>& frequencies, PastedTextFault& fault);
