#include "tables/text/CsvDialect.h"

#include <algorithm>
#include <cctype>

#include "tables/text/Numbers.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsSeparator(char c)
{
    return c == ',' || c == ';' || c == '\t';
}

// Letters and digits alone, in lower case: "Frequency (MHz)" -> "frequencymhz".
std::string HeadingKey(std::string_view heading)
{
    std::string key;
    for (const char c : heading) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

bool IsWhole(std::string_view text, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (!IsBlank(text[i]))
            return false;
    }
    return true;
}

} // namespace

char CsvSeparatorOf(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (IsWhole(text, start, end)) {
            start = end + 1;
            continue;
        }
        // The line's fields, read as CsvReader reads them: a quote opens a
        // quoted field only at the field's start, and what it holds (line
        // ends too) separates nothing.
        bool bTab = false;
        bool bSemicolon = false;
        bool bFieldStart = true;
        for (std::size_t i = start; i < text.size() && text[i] != '\n'; ++i) {
            const char c = text[i];
            if (c == '"' && bFieldStart) {
                for (++i; i < text.size(); ++i) {
                    if (text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))
                        break;
                    if (text[i] == '"')
                        ++i;
                }
                bFieldStart = false;
                continue;
            }
            bTab = bTab || c == '\t';
            bSemicolon = bSemicolon || c == ';';
            bFieldStart = IsSeparator(c);
        }
        return bTab ? '\t' : bSemicolon ? ';' : ',';
    }
    return ',';
}

bool HeadingNamesColumn(std::string_view heading, const CsvColumnNames& column)
{
    const std::string key = HeadingKey(heading);
    if (key.empty())
        return false;
    for (std::size_t i = 0; i < column.headingCount; ++i) {
        if (key == HeadingKey(column.headings[i]))
            return true;
    }
    return false;
}

std::size_t FindCsvColumn(const std::vector<std::string>& headings, const CsvColumnNames& column, std::size_t* pSecond)
{
    // Written exactly as the column's name first, then named by a heading.
    for (const bool bExact : {true, false}) {
        std::size_t found = kNoCsvColumn;
        for (std::size_t i = 0; i < headings.size(); ++i) {
            if (bExact ? headings[i] != column.name : !HeadingNamesColumn(headings[i], column))
                continue;
            if (found == kNoCsvColumn) {
                found = i;
                if (!pSecond)
                    return found;
                *pSecond = kNoCsvColumn;
            } else {
                *pSecond = i;
                return found;
            }
        }
        if (found != kNoCsvColumn)
            return found;
    }
    if (pSecond)
        *pSecond = kNoCsvColumn;
    return kNoCsvColumn;
}

std::string_view TrimmedCsvField(std::string_view field)
{
    while (!field.empty() && IsBlank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && IsBlank(field.back()))
        field.remove_suffix(1);
    return field;
}

std::string_view WithoutMegahertz(std::string_view field)
{
    std::string_view text = TrimmedCsvField(field);
    if (text.size() < 3)
        return text;
    const std::string_view unit = text.substr(text.size() - 3);
    if (std::tolower(static_cast<unsigned char>(unit[0])) == 'm' &&
        std::tolower(static_cast<unsigned char>(unit[1])) == 'h' &&
        std::tolower(static_cast<unsigned char>(unit[2])) == 'z')
        text = TrimmedCsvField(text.substr(0, text.size() - 3));
    return text;
}

bool ReadCsvValue(std::string_view field, bool bDecimalComma, double& value, bool* pReadComma)
{
    std::string_view text = WithoutMegahertz(field);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return false;
    }
    const std::size_t comma = bDecimalComma ? text.find(',') : std::string_view::npos;
    if (comma != std::string_view::npos && text.find(',', comma + 1) == std::string_view::npos &&
        text.find('.') == std::string_view::npos) {
        std::string pointed(text);
        pointed[comma] = '.';
        if (!ParseDouble(pointed, value))
            return false;
        if (pReadComma)
            *pReadComma = true;
        return true;
    }
    return !text.empty() && ParseDouble(text, value);
}
