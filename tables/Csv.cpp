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

CsvReader::CsvReader(std::string_view text) : m_text(WithoutByteOrderMark(text)) {}

bool CsvReader::Fail(CsvError& error, std::size_t line, std::size_t offset, const char* reason)
{
    error.where = CsvPosition{line, ColumnOf(m_text, offset)};
    error.reason = reason;
    m_bFailed = true;
    m_bEnded = true;
    return false;
}

bool CsvReader::ReadQuoted(std::string& field, CsvError& error)
{
    const std::size_t quoteLine = m_line;
    const std::size_t quoteOffset = m_pos;
    for (++m_pos;;) {
        // The text up to the next quote, taken at once.
        std::size_t quote = m_pos;
        while (quote < m_text.size() && m_text[quote] != '"') {
            m_line += m_text[quote] == '\n' ? 1 : 0;
            ++quote;
        }
        if (quote == m_text.size())
            return Fail(error, quoteLine, quoteOffset, "a quote is never closed");
        if (quote > m_pos)
            field.append(m_text.data() + m_pos, quote - m_pos);
        m_pos = quote + 1;
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {
            field += '"';
            ++m_pos;
            continue;
        }
        break;
    }
    const char next = m_pos < m_text.size() ? m_text[m_pos] : '\n';
    if (next != ',' && next != '\n' && next != '\r')
        return Fail(error, m_line, m_pos, "text after a closing quote");
    return true;
}

bool CsvReader::Next(CsvRecord& row, CsvError& error)
{
    while (!m_bEnded) {
        row.line = m_line;
        row.offset = m_pos;
        std::size_t count = 0;
        bool bRowHasText = false;
        const auto nextField = [&row, &count]() -> std::string& {
            if (row.fields.size() <= count)
                row.fields.emplace_back();
            std::string& field = row.fields[count++];
            field.clear();
            return field;
        };
        std::string* pField = &nextField();
        for (;;) {
            if (m_pos >= m_text.size()) {
                m_bEnded = true;
                break;
            }
            const char c = m_text[m_pos];
            if (c == '"' && pField->empty()) {
                bRowHasText = true;
                if (!ReadQuoted(*pField, error))
                    return false;
            } else if (c == ',') {
                ++m_pos;
                bRowHasText = true;
                pField = &nextField();
            } else if (c == '\n') {
                ++m_pos;
                ++m_line;
                break;
            } else if (c == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') {
                ++m_pos;
            } else {
                // Plain text runs to the next comma or line end; a quote
                // inside a field that has begun is text as well.
                std::size_t end = m_pos + 1;
                while (end < m_text.size() && m_text[end] != ',' && m_text[end] != '\n' && m_text[end] != '\r')
                    ++end;
                pField->append(m_text.data() + m_pos, end - m_pos);
                m_pos = end;
                bRowHasText = true;
            }
        }
        if (bRowHasText) {
            row.fields.resize(count);
            return true;
        }
    }
    return false;
}

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, CsvError& error)
{
    rows.clear();
    CsvReader reader(text);
    CsvRecord row;
    while (reader.Next(row, error)) {
        rows.push_back(std::move(row));
        row = CsvRecord();
    }
    return !reader.Failed();
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
