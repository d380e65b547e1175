#pragma once
// Comma-separated text as spreadsheets write it: RFC 4180 quoting, LF or
// CRLF line ends, an optional UTF-8 byte order mark. The tool's CSV tables and
// the channel plans are read through it.

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

// The rows of a text one at a time, each read into the same record so that
// its fields' storage is used again: a reader that keeps little of each row
// reads a large text without holding all of it as rows.
class CsvReader
{
public:
    explicit CsvReader(std::string_view text);

    // The next row; lines that are entirely empty are passed over. False at
    // the end of the text, and for a quote that is never closed or text after
    // a closing quote, with the error (Failed() tells which).
    bool Next(CsvRecord& row, CsvError& error);
    bool Failed() const { return m_bFailed; }
    // The text after any byte order mark, in which rows' offsets count.
    std::string_view Text() const { return m_text; }

private:
    bool Fail(CsvError& error, std::size_t line, std::size_t offset, const char* reason);
    // A quoted field from the opening quote at the position on.
    bool ReadQuoted(std::string& field, CsvError& error);

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    bool m_bEnded = false;
    bool m_bFailed = false;
};

// Rows in order; lines that are entirely empty are left out. False, with the
// line in the message ("line N: reason"), for a quote that is never closed or
// text after a closing quote.
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error);
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, CsvError& error);

// Where field `field` of a row read from text begins; for field ==
// row.fields.size(), the place just after the row's last field, where a
// missing field would go. Found by reading the row again: for messages only.
CsvPosition CsvFieldPosition(std::string_view text, const CsvRecord& row, std::size_t field);
