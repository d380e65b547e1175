#pragma once
// How spreadsheets and people write a table of columns as text, in one place
// for every reader of such text: channel lists as CSV (ChannelCsv: the
// editors' Import... and vornalix-tool build --csv) and the clipboard's text
// (PastedFrequencies: Paste).
//
// The separator: the first line that holds anything but blanks decides. A
// tab when it has one outside quotes (spreadsheets copy so, and a tab is
// never part of a value), else a semicolon (a CSV of a locale whose decimal
// mark is the comma: LibreOffice and Excel write "1;48,25" there), else a
// comma.
//
// Headings: compared by their letters and digits alone, without regard to
// case: "Frequency (MHz)" and " FREQUENCY_MHZ " both name frequency_mhz. A
// heading written exactly as the column's own name (the one the tool writes)
// comes before one that merely names it, so that "frequency_mhz,freq" is one
// frequency column and a note headed "freq".
//
// Values: blanks around a number, a "+" before it and "MHz" after it are
// allowed. Where the separator is not a comma, one comma in a value that has
// no point may be its decimal mark ("48,25").

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// The headings that name the frequency column.
inline constexpr const char* kFrequencyColumnNames[] = {"frequency", "frequency_mhz", "freq", "freq_mhz", "mhz"};
// The headings that name the channel column and the list column.
inline constexpr const char* kChannelColumnNames[] = {"channel", "channel_no", "channel_number", "ch"};
inline constexpr const char* kListColumnNames[] = {"list"};

// A column a reader looks for by its heading.
struct CsvColumnNames
{
    const char* name;            // its own name: "frequency_mhz"
    const char* const* headings; // the headings that name it
    std::size_t headingCount;
};

inline constexpr CsvColumnNames kFrequencyColumn{"frequency_mhz", kFrequencyColumnNames,
                                                 std::size(kFrequencyColumnNames)};
inline constexpr CsvColumnNames kChannelColumn{"channel", kChannelColumnNames, std::size(kChannelColumnNames)};
inline constexpr CsvColumnNames kListColumn{"list", kListColumnNames, std::size(kListColumnNames)};

constexpr std::size_t kNoCsvColumn = static_cast<std::size_t>(-1);

// The separator of a text, as above.
char CsvSeparatorOf(std::string_view text);

// Whether a heading names the column, as above.
bool HeadingNamesColumn(std::string_view heading, const CsvColumnNames& column);

// The field of a header that names the column: the first written exactly as
// its name, else the first that names it; kNoCsvColumn when none does.
// pSecond, when given, receives the next field of the same kind after it (a
// header that names the column twice), kNoCsvColumn when there is none.
std::size_t FindCsvColumn(const std::vector<std::string>& headings, const CsvColumnNames& column,
                          std::size_t* pSecond = nullptr);

// A field without the blanks (spaces, tabs, CRs) around it.
std::string_view TrimmedCsvField(std::string_view field);
// A trimmed field without a unit "MHz" (any case) after its number.
std::string_view WithoutMegahertz(std::string_view field);

// A value as above, in any form ParseDouble reads ("55.25", "-1", "inf",
// "nan:..."): bDecimalComma where the separator is not a comma. pReadComma,
// when given, is set when a comma was read as the decimal mark.
bool ReadCsvValue(std::string_view field, bool bDecimalComma, double& value, bool* pReadComma = nullptr);
