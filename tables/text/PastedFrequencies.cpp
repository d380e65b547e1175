#include "tables/text/PastedFrequencies.h"

#include <algorithm>
#include <utility>

#include "platform/Printable.h"
#include "tables/text/Csv.h"
#include "tables/text/CsvDialect.h"
#include "tables/text/Numbers.h"

namespace {

bool IsBlankRow(const CsvRecord& row)
{
    if (row.fieldCount > row.fields.size())
        return false;
    for (const std::string& field : row.fields) {
        if (!TrimmedCsvField(field).empty())
            return false;
    }
    return true;
}

// The last field of the row that reads as a value; kNoCsvColumn when none does.
std::size_t LastValueColumn(const CsvRecord& row, bool bDecimalComma)
{
    double value = 0.0;
    for (std::size_t i = row.fields.size(); i-- > 0;) {
        if (ReadCsvValue(row.fields[i], bDecimalComma, value))
            return i;
    }
    return kNoCsvColumn;
}

// The last field of a row that holds no value, for the fault's message.
std::string_view LastFilledField(const CsvRecord& row)
{
    for (std::size_t i = row.fields.size(); i-- > 0;) {
        if (!TrimmedCsvField(row.fields[i]).empty())
            return TrimmedCsvField(row.fields[i]);
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
    std::string_view whole = TrimmedCsvField(row.fields[0]);
    const std::string_view fraction = WithoutMegahertz(row.fields[1]);
    if (!whole.empty() && whole.front() == '+')
        whole.remove_prefix(1);
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
    std::size_t m_column = kNoCsvColumn;
    std::vector<std::string> m_headings;
    PastedFrequencies m_pasted;
};

PastedTextReader::PastedTextReader(std::string_view text)
    : m_separator(CsvSeparatorOf(text)), m_bCommaInValues(m_separator != ','),
      m_reader(text, kMaxPastedColumns, m_separator)
{
    if (m_separator == ',')
        m_layout = LayoutOfCommaText(text);
}

bool PastedTextReader::IsHeadingRow(const CsvRecord& row, std::size_t& column) const
{
    const std::size_t named = FindCsvColumn(row.fields, kFrequencyColumn);
    if (named != kNoCsvColumn) {
        column = named;
        return true;
    }
    return row.fieldCount > 1 && LastValueColumn(row, m_bCommaInValues) == kNoCsvColumn;
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
        std::size_t column = kNoCsvColumn;
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
        if (!ReadCsvValue(written, true, value))
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
    if (m_column == kNoCsvColumn) {
        m_column = LastValueColumn(row, m_bCommaInValues);
        if (m_column == kNoCsvColumn)
            return Fail(fault, row.line, NotAFrequency(LastFilledField(row)));
    }
    const std::string_view field =
        m_column < row.fields.size() ? TrimmedCsvField(row.fields[m_column]) : std::string_view();
    if (field.empty())
        return Fail(fault, row.line, "no frequency in column " + std::to_string(m_column + 1));
    double value = 0.0;
    if (!ReadCsvValue(field, m_bCommaInValues, value, &m_pasted.column.bDecimalComma))
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
    if (m_column != kNoCsvColumn) {
        m_pasted.column.index = m_column;
        if (m_column < m_headings.size())
            m_pasted.column.heading = std::string(TrimmedCsvField(m_headings[m_column]));
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
