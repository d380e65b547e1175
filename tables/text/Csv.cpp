#include "tables/text/Csv.h"

#include <algorithm>
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

CsvReader::CsvReader(std::string_view text, std::size_t keptFields, char separator)
    : m_text(WithoutByteOrderMark(text)), m_keptFields(keptFields), m_separator(separator)
{
}

bool CsvReader::Fail(std::size_t line, std::size_t offset, const char* reason)
{
    m_error.where = CsvPosition{line, ColumnOf(m_text, offset)};
    m_error.reason = reason;
    m_bEnded = true;
    return false;
}

bool CsvReader::Next(CsvRecord& row)
{
    while (!m_bEnded) {
        if (ReadRow(row))
            return true;
    }
    return false;
}

// One line of the text, its line end included; true when it holds anything
// (a comma or a quote counts), false for an empty line, at the end of the
// text and at a fault.
bool CsvReader::ReadRow(CsvRecord& row)
{
    row.line = m_line;
    row.offset = m_pos;
    row.fields.clear();
    row.fieldCount = 0;
    bool bRowHasText = false;
    const std::size_t size = m_text.size();
    for (;;) {
        std::string* pField = row.fieldCount < m_keptFields ? &row.fields.emplace_back() : nullptr;
        ++row.fieldCount;
        // A quote opens a quoted field only before anything else of the field.
        bool bFieldHasText = false;
        for (;;) {
            if (m_pos >= size) {
                m_bEnded = true;
                return bRowHasText;
            }
            const char c = m_text[m_pos];
            if (c == '"' && !bFieldHasText) {
                bRowHasText = true;
                if (!ReadQuoted(pField, bFieldHasText))
                    return false;
                continue;
            }
            if (c == m_separator) {
                ++m_pos;
                bRowHasText = true;
                break;
            }
            if (c == '\n') {
                ++m_pos;
                ++m_line;
                return bRowHasText;
            }
            if (c == '\r' && m_pos + 1 < size && m_text[m_pos + 1] == '\n') {
                ++m_pos;
                continue;
            }
            // Plain text, a lone CR or a quote inside a field included, up to
            // the next separator or line end.
            std::size_t end = m_pos + 1;
            while (end < size && m_text[end] != m_separator && m_text[end] != '\n' && m_text[end] != '\r')
                ++end;
            if (pField)
                pField->append(m_text.data() + m_pos, end - m_pos);
            bFieldHasText = true;
            bRowHasText = true;
            m_pos = end;
        }
    }
}

// A quoted field from its opening quote at m_pos: doubled quotes are one
// quote, line ends are part of the field. After the closing quote only a
// separator or a line end may follow.
bool CsvReader::ReadQuoted(std::string* pField, bool& bFieldHasText)
{
    const std::size_t quoteLine = m_line;
    const std::size_t quoteOffset = m_pos;
    const std::size_t size = m_text.size();
    for (++m_pos;;) {
        if (m_pos >= size)
            return Fail(quoteLine, quoteOffset, "a quote is never closed");
        if (m_text[m_pos] == '"') {
            if (m_pos + 1 >= size || m_text[m_pos + 1] != '"')
                break;
            if (pField)
                *pField += '"';
            bFieldHasText = true;
            m_pos += 2;
            continue;
        }
        const std::size_t end = std::min(m_text.find('"', m_pos), size);
        const std::string_view run = m_text.substr(m_pos, end - m_pos);
        m_line += static_cast<std::size_t>(std::count(run.begin(), run.end(), '\n'));
        if (pField)
            pField->append(run);
        bFieldHasText = true;
        m_pos = end;
    }
    const char next = m_pos + 1 < size ? m_text[m_pos + 1] : '\n';
    if (next != m_separator && next != '\n' && next != '\r')
        return Fail(m_line, m_pos + 1, "text after a closing quote");
    ++m_pos;
    return true;
}

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, CsvError& error)
{
    rows.clear();
    CsvReader reader(text);
    CsvRecord row;
    while (reader.Next(row))
        rows.push_back(row);
    if (!reader.Failed())
        return true;
    error = reader.Error();
    return false;
}

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error)
{
    CsvError csvError;
    if (ParseCsv(text, rows, csvError))
        return true;
    error = "line " + std::to_string(csvError.where.line) + ": " + csvError.reason;
    return false;
}

CsvPosition CsvFieldPosition(std::string_view text, const CsvRecord& row, std::size_t field, char separator)
{
    text = WithoutByteOrderMark(text);
    std::size_t line = row.line;
    std::size_t i = row.offset;
    // Skips the fields before the one asked for, as CsvReader reads them.
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
        while (i < text.size() && text[i] != separator && text[i] != '\n' &&
               !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            ++i;
        // The comma before the field asked for is passed, but not the end of
        // the row when the place after its last field is asked for.
        const bool bNextExists = skipped + 1 < field || field < row.fieldCount;
        if (bNextExists && i < text.size() && text[i] == separator)
            ++i;
    }
    return CsvPosition{line, ColumnOf(text, i)};
}

void AppendCsvField(std::string& out, std::string_view field)
{
    if (field.find_first_of(",\";\t\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}
