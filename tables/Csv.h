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
    std::vector<std::string> fields;
};

// Rows in order; lines that are entirely empty are left out. False, with the
// line in the message, for a quote that is never closed or text after a
// closing quote.
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error);
