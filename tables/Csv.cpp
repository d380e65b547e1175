#include "Csv.h"

#include <utility>

namespace {

std::string_view WithoutByteOrderMark(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return text;
}

// The column of offset in text: bytes since the line's start, from 1.
std::size_t ColumnOf(std::string_view text, std::size_t offset)
{
    const std::size_t lineStart = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
    return lineStart == std::string_view::npos ? offset + 1 : offset - lineStart;
}

} // namespace

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, CsvError& error)
{
    rows.clear();
    text = WithoutByteOrderMark(text);
    const auto fail = [&](std::size_t line, std::size_t offset, const char* reason) {
        error.where = CsvPosition{line, ColumnOf(text, offset)};
        error.reason = reason;
        return false;
    };

    std::size_t line = 1;
    CsvRecord row;
    row.line = 1;
    std::string field;
    bool bRowHasText = false;
    const auto endRow = [&](std::size_t nextOffset) {
        row.fields.push_back(field);
        field.clear();
        if (bRowHasText)
            rows.push_back(std::move(row));
        row = CsvRecord();
        row.line = line;
        row.offset = nextOffset;
        bRowHasText = false;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && field.empty()) {
            const std::size_t quoteLine = line;
            const std::size_t quoteOffset = i;
            bRowHasText = true;
            for (++i;; ++i) {
                if (i >= text.size())
                    return fail(quoteLine, quoteOffset, "a quote is never closed");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                if (text[i] == '\n')
                    ++line;
                field += text[i];
            }
            const char next = i + 1 < text.size() ? text[i + 1] : '\n';
            if (next != ',' && next != '\n' && next != '\r')
                return fail(line, i + 1, "text after a closing quote");
            continue;
        }
        if (c == ',') {
            row.fields.push_back(field);
            field.clear();
            bRowHasText = true;
        } else if (c == '\n') {
            ++line;
            endRow(i + 1);
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        } else {
            field += c;
            bRowHasText = true;
        }
    }
    endRow(text.size());
    return true;
}

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error)
{
    CsvError csvError;
    if (ParseCsv(text, rows, csvError))
        return true;
    error = "line " + std::to_string(csvError.where.line) + ": " + csvError.reason;
    return false;
}

CsvPosition CsvFieldPosition(std::string_view text, const CsvRecord& row, std::size_t field)
{
    text = WithoutByteOrderMark(text);
    std::size_t line = row.line;
    std::size_t i = row.offset;
    // Skips the fields before the one asked for, as ParseCsv reads them.
    for (std::size_t skipped = 0; skipped < field && i < text.size(); ++skipped) {
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '\n')
                    ++line;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"')
                        ++i;
                    else
                        break;
                }
            }
            ++i;
        }
        while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
               !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            ++i;
        // The comma before the field asked for is passed, but not the end of
        // the row when the place after its last field is asked for.
        const bool bNextExists = skipped + 1 < field || field < row.fields.size();
        if (bNextExists && i < text.size() && text[i] == ',')
            ++i;
    }
    return CsvPosition{line, ColumnOf(text, i)};
}
