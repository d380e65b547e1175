#include "PastedFrequencies.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "Csv.h"
#include "Numbers.h"
#include "Printable.h"

namespace {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The separator of the first line that holds anything but blanks: a tab when
// it has one (spreadsheets copy so, and a tab is never part of a value), else
// a semicolon (a CSV of a locale whose decimal mark is the comma), else a comma.
char SeparatorOf(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        if (!Trimmed(line).empty())
            return line.find('\t') != std::string_view::npos  ? '\t'
                   : line.find(';') != std::string_view::npos ? ';'
                                                              : ',';
        start = end + 1;
    }
    return ',';
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

bool NamesFrequency(std::string_view heading)
{
    const std::string key = HeadingKey(heading);
    if (key.empty())
        return false;
    for (const char* name : kFrequencyColumnNames) {
        if (key == HeadingKey(name))
            return true;
    }
    return false;
}

bool EndsWithMegahertz(std::string_view text)
{
    if (text.size() < 3)
        return false;
    const std::string_view unit = text.substr(text.size() - 3);
    return std::tolower(static_cast<unsigned char>(unit[0])) == 'm' &&
           std::tolower(static_cast<unsigned char>(unit[1])) == 'h' &&
           std::tolower(static_cast<unsigned char>(unit[2])) == 'z';
}

// A value as a person or a spreadsheet writes it: "+" before and "MHz" after
// a number are allowed, nothing else. Where commas do not separate fields, a
// single comma may be the decimal mark ("175,25" from a spreadsheet of a
// locale that writes so).
bool ReadValue(std::string_view field, bool bDecimalComma, double& value, bool* pReadComma = nullptr)
{
    std::string_view text = Trimmed(field);
    if (EndsWithMegahertz(text))
        text = Trimmed(text.substr(0, text.size() - 3));
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

bool IsBlankRow(const CsvRecord& row)
{
    if (row.fieldCount > row.fields.size())
        return false;
    for (const std::string& field : row.fields) {
        if (!Trimmed(field).empty())
            return false;
    }
    return true;
}

// The last field of the row that reads as a value; kNoColumn when none does.
std::size_t LastValueColumn(const CsvRecord& row, bool bDecimalComma)
{
    double value = 0.0;
    for (std::size_t i = row.fields.size(); i-- > 0;) {
        if (ReadValue(row.fields[i], bDecimalComma, value))
            return i;
    }
    return kNoColumn;
}

// The last field of a row that holds no value, for the fault's message.
std::string_view LastFilledField(const CsvRecord& row)
{
    for (std::size_t i = row.fields.size(); i-- > 0;) {
        if (!Trimmed(row.fields[i]).empty())
            return Trimmed(row.fields[i]);
    }
    return {};
}

std::string NotAFrequency(std::string_view text)
{
    return QuotedExcerpt(text) + " is not a frequency";
}

bool IsDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Where commas separate: a row of digits, a comma and digits ("175,25",
// "+175,25 MHz"), which may be one value with a decimal comma or two fields.
bool MayHoldDecimalComma(const CsvRecord& row)
{
    if (row.fieldCount != 2 || row.fields.size() != 2)
        return false;
    std::string_view whole = Trimmed(row.fields[0]);
    std::string_view fraction = Trimmed(row.fields[1]);
    if (!whole.empty() && whole.front() == '+')
        whole.remove_prefix(1);
    if (EndsWithMegahertz(fraction))
        fraction = Trimmed(fraction.substr(0, fraction.size() - 3));
    return IsDigits(whole) && IsDigits(fraction);
}

// The row as it was written, its two fields joined again by their comma.
std::string Rejoined(const CsvRecord& row)
{
    return row.fields[0] + ',' + row.fields[1];
}

// How a text that commas separate is read, from its rows up to the value
// after the last a list may hold.
struct CommaLayout
{
    bool bSingleColumn = false; // "175,25" is one value
    // A row that may be either, in a text that does not say: the fault.
    std::size_t doubtfulLine = 0;
    std::string doubtfulText;
};

class PastedTextReader
{
public:
    explicit PastedTextReader(std::string_view text);

    bool Read(PastedFrequencies& pasted, PastedTextFault& fault);

private:
    // The first row names the columns when a heading of it names the
    // frequency, or when it has several fields and none of them is a value.
    bool IsHeadingRow(const CsvRecord& row, std::size_t& column) const;
    bool TakeValue(const CsvRecord& row, PastedTextFault& fault);
    // Reads the rows once to tell whether "175,25" is one value or two fields.
    CommaLayout LayoutOfCommaText(std::string_view text) const;
    static bool Fail(PastedTextFault& fault, std::size_t line, std::string reason)
    {
        fault = PastedTextFault{line, std::move(reason)};
        return false;
    }

    const char m_separator;
    const bool m_bCommaInValues; // a comma in a field may be the decimal mark
    CsvReader m_reader;
    CommaLayout m_layout;
    std::size_t m_column = kNoColumn;
    std::vector<std::string> m_headings;
    PastedFrequencies m_pasted;
};

PastedTextReader::PastedTextReader(std::string_view text)
    : m_separator(SeparatorOf(text)), m_bCommaInValues(m_separator != ','),
      m_reader(text, kMaxPastedColumns, m_separator)
{
    if (m_separator == ',')
        m_layout = LayoutOfCommaText(text);
}

bool PastedTextReader::IsHeadingRow(const CsvRecord& row, std::size_t& column) const
{
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        if (NamesFrequency(row.fields[i])) {
            column = i;
            return true;
        }
    }
    return row.fieldCount > 1 && LastValueColumn(row, m_bCommaInValues) == kNoColumn;
}

CommaLayout PastedTextReader::LayoutOfCommaText(std::string_view text) const
{
    CsvReader reader(text, kMaxPastedColumns, ',');
    CsvRecord row;
    std::size_t headingFields = 0;
    bool bFirstRow = true;
    bool bSingleValues = false;
    CommaLayout doubtful;
    std::size_t values = 0;
    while (values <= kMaxPastedFrequencies && reader.Next(row) && row.fieldCount <= kMaxPastedColumns) {
        if (IsBlankRow(row))
            continue;
        std::size_t column = kNoColumn;
        if (std::exchange(bFirstRow, false) && IsHeadingRow(row, column)) {
            headingFields = row.fieldCount;
            continue;
        }
        ++values;
        if (MayHoldDecimalComma(row)) {
            if (doubtful.doubtfulLine == 0) {
                doubtful.doubtfulLine = row.line;
                doubtful.doubtfulText = Rejoined(row);
            }
        } else if (row.fieldCount > 1) {
            return {}; // the text has columns
        } else {
            bSingleValues = true;
        }
    }
    if (doubtful.doubtfulLine == 0 || headingFields > 1)
        return {};
    if (headingFields == 1 || !bSingleValues)
        return CommaLayout{true, 0, {}};
    return doubtful;
}

bool PastedTextReader::TakeValue(const CsvRecord& row, PastedTextFault& fault)
{
    if (m_layout.bSingleColumn && MayHoldDecimalComma(row)) {
        m_column = 0;
        double value = 0.0;
        const std::string written = Rejoined(row);
        if (!ReadValue(written, true, value))
            return Fail(fault, row.line, NotAFrequency(written));
        m_pasted.column.bDecimalComma = true;
        m_pasted.frequencies.push_back(value);
        return true;
    }
    if (row.line == m_layout.doubtfulLine) {
        return Fail(fault, row.line,
                    QuotedExcerpt(m_layout.doubtfulText) +
                        " may be one frequency with a decimal comma or two columns; write its decimal mark as a "
                        "point");
    }
    if (m_column == kNoColumn) {
        m_column = LastValueColumn(row, m_bCommaInValues);
        if (m_column == kNoColumn)
            return Fail(fault, row.line, NotAFrequency(LastFilledField(row)));
    }
    const std::string_view field = m_column < row.fields.size() ? Trimmed(row.fields[m_column]) : std::string_view();
    if (field.empty())
        return Fail(fault, row.line, "no frequency in column " + std::to_string(m_column + 1));
    double value = 0.0;
    if (!ReadValue(field, m_bCommaInValues, value, &m_pasted.column.bDecimalComma))
        return Fail(fault, row.line, NotAFrequency(field));
    m_pasted.frequencies.push_back(value);
    return true;
}

bool PastedTextReader::Read(PastedFrequencies& pasted, PastedTextFault& fault)
{
    CsvRecord row;
    bool bFirstRow = true;
    while (m_pasted.frequencies.size() <= kMaxPastedFrequencies && m_reader.Next(row)) {
        if (row.fieldCount > kMaxPastedColumns)
            return Fail(fault, row.line, "more than " + std::to_string(kMaxPastedColumns) + " columns");
        if (IsBlankRow(row))
            continue;
        if (std::exchange(bFirstRow, false) && IsHeadingRow(row, m_column)) {
            m_headings = row.fields;
            continue;
        }
        if (!TakeValue(row, fault))
            return false;
    }
    if (m_reader.Failed())
        return Fail(fault, m_reader.Error().where.line, m_reader.Error().reason);
    m_pasted.bStoppedAtLimit = m_pasted.frequencies.size() > kMaxPastedFrequencies;
    if (m_column != kNoColumn) {
        m_pasted.column.index = m_column;
        if (m_column < m_headings.size())
            m_pasted.column.heading = std::string(Trimmed(m_headings[m_column]));
    }
    pasted = std::move(m_pasted);
    return true;
}

} // namespace

bool ReadPastedFrequencies(std::string_view text, PastedFrequencies& pasted, PastedTextFault& fault)
{
    PastedTextReader reader(text);
    return reader.Read(pasted, fault);
}

bool ReadPastedFrequencies(std::string_view text, std::vector<double>& frequencies, PastedTextFault& fault)
{
    PastedFrequencies pasted;
    if (!ReadPastedFrequencies(text, pasted, fault))
        return false;
    frequencies = std::move(pasted.frequencies);
    return true;
}
