#pragma once
// Comma-separated text as spreadsheets write it: RFC 4180 quoting, LF or
// CRLF line ends, an optional UTF-8 byte order mark. The tool's CSV tables and
// the channel plans are read through it; so is the text of the clipboard,
// whose fields a tab or a semicolon may separate instead of a comma.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord
{
    std::size_t line = 0; // where the row starts, from 1
    // Where the row starts in the text after any byte order mark, so that the
    // place of one of its fields can be found again (CsvFieldPosition).
    std::size_t offset = 0;
    std::vector<std::string> fields;
    // How many fields the row holds, kept or not: a CsvReader told to keep
    // only the first few still counts the rest.
    std::size_t fieldCount = 0;
};

// A place in the text: line and column from 1, the column counted in bytes
// (a byte order mark is not counted).
struct CsvPosition
{
    std::size_t line = 0;
    std::size_t column = 0;
};

struct CsvError
{
    CsvPosition where;
    std::string reason; // "a quote is never closed"
};

// Reads the rows of a text one at a time into the same record, so that a
// reader that takes what it needs from each row holds one row, however long
// the text. Fields past keptFields are read and counted (fieldCount) but not
// kept: a row of millions of commas costs no memory. Lines that are entirely
// empty are left out, as ParseCsv leaves them out.
class CsvReader
{
public:
    static constexpr std::size_t kEveryField = static_cast<std::size_t>(-1);

    explicit CsvReader(std::string_view text, std::size_t keptFields = kEveryField, char separator = ',');

    // The next row; false at the end of the text or at a fault of the text,
    // which Error() then holds (a quote that is never closed, text after a
    // closing quote).
    bool Next(CsvRecord& row);
    bool Failed() const { return !m_error.reason.empty(); }
    const CsvError& Error() const { return m_error; }
    // Fields kept of the rows still to come; 0 reads on only for faults.
    void KeepFields(std::size_t count) { m_keptFields = count; }
    char Separator() const { return m_separator; }

private:
    bool ReadRow(CsvRecord& row);
    bool ReadQuoted(std::string* pField, bool& bFieldHasText);
    bool Fail(std::size_t line, std::size_t offset, const char* reason);

    std::string_view m_text; // after any byte order mark
    std::size_t m_keptFields;
    char m_separator;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    bool m_bEnded = false;
    CsvError m_error;
};

// Rows in order; lines that are entirely empty are left out. False, with the
// line in the message ("line N: reason"), for a quote that is never closed or
// text after a closing quote. Every row is kept: for texts of a known small
// size (CsvReader reads any text).
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error);
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, CsvError& error);

// Where field `field` of a row read from text begins; for field ==
// row.fieldCount, the place just after the row's last field, where a missing
// field would go. Found by reading the row again: for messages only.
CsvPosition CsvFieldPosition(std::string_view text, const CsvRecord& row, std::size_t field, char separator = ',');

// Appends a field as CsvReader reads it back, whatever it holds: in double
// quotes, each quote doubled, when it holds a comma, a quote or a line end, or
// a semicolon or a tab, which a reader that tells the separator from the text
// (CsvDialect) could take for one; as it is otherwise. For the tool's CSV of
// text from outside, such as a file's path.
void AppendCsvField(std::string& out, std::string_view field);
