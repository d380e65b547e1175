#include "tables/text/ChannelCsv.h"

#include <algorithm>
#include <utility>

#include "platform/Printable.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/CsvDialect.h"
#include "tables/text/Numbers.h"

namespace {

constexpr std::size_t kNoColumn = kNoCsvColumn;
constexpr std::int64_t kMaxPosition = ChannelTable::kMaxChannels;

const char* const kListNames[] = {"air", "cable"};

// Where each column the reader uses stands in a row, and how many a row holds.
struct CsvColumns
{
    std::size_t list = kNoColumn;
    std::size_t channel = kNoColumn;
    std::size_t frequency = kNoColumn;
    std::size_t count = 0;

    // How many fields of a row must be kept to have every column used.
    std::size_t Kept() const
    {
        std::size_t kept = std::max(channel, frequency) + 1;
        return list == kNoColumn ? kept : std::max(kept, list + 1);
    }
};

// Digits only, as a position; -1 for anything else, kMaxPosition + 1 for a
// number beyond any position.
std::int64_t WholeNumber(std::string_view text)
{
    return ParsePosition(text, kMaxPosition);
}

// The channels of one list as the rows give them, with what is needed to tell
// at the end whether the labels are positions.
struct ListRows
{
    std::vector<double> frequencies;
    std::vector<std::int32_t> positions; // while every label is a whole number
    bool bAllWhole = true;
    std::int64_t previous = 0;
    CsvError breach; // the first breach of the rise of whole-number labels

    std::vector<double> Positions() const
    {
        if (!bAllWhole || frequencies.empty())
            return frequencies;
        std::vector<double> slots(static_cast<std::size_t>(positions.back()), 0.0);
        for (std::size_t i = 0; i < frequencies.size(); ++i)
            slots[static_cast<std::size_t>(positions[i]) - 1] = frequencies[i];
        return slots;
    }
};

// Reads the text's rows into the lists, keeping the first refusal of each kind.
class ChannelCsvReader
{
public:
    ChannelCsvReader(std::string_view text, std::int32_t iUnnamedMode)
        : m_text(text), m_separator(CsvSeparatorOf(text)), m_reader(text, kMaxChannelCsvColumns, m_separator),
          m_iUnnamedMode(iUnnamedMode)
    {
    }

    bool Read(ChannelCsvLists& lists, CsvError& error);

private:
    enum class HeaderFault
    {
        None,
        Twice,   // a column named twice
        Missing, // no channel or no frequency column
    };
    void ReadHeader();
    HeaderFault FindColumns(CsvColumns& columns, CsvError& fault) const;
    bool ReadHeaderOfCommas();
    void ReadRow();
    void TakeChannel(ListRows& list, const std::string& listPrefix, std::string_view label, double dbFrequency);
    void Refuse(CsvError& kept, CsvPosition where, std::string reason);
    CsvPosition FieldPlace(std::size_t field) const { return CsvFieldPosition(m_text, m_row, field, m_separator); }

    std::string_view m_text;
    char m_separator;
    CsvReader m_reader;
    CsvRecord m_row;
    std::int32_t m_iUnnamedMode;
    CsvColumns m_columns;
    ListRows m_lists[2];
    CsvError m_shape;   // the header, or a row's number of fields
    CsvError m_content; // the first channel refused
};

void ChannelCsvReader::Refuse(CsvError& kept, CsvPosition where, std::string reason)
{
    if (kept.reason.empty())
        kept = CsvError{where, std::move(reason)};
    // Nothing more is taken: the rest is read for its faults alone.
    m_reader.KeepFields(0);
}

// The columns the header row names, by their headings (CsvDialect.h), or the
// fault of a column named twice or of no channel or frequency column.
ChannelCsvReader::HeaderFault ChannelCsvReader::FindColumns(CsvColumns& columns, CsvError& fault) const
{
    columns = CsvColumns{};
    columns.count = m_row.fieldCount;
    const std::pair<const CsvColumnNames*, std::size_t*> wanted[] = {
        {&kListColumn, &columns.list}, {&kChannelColumn, &columns.channel}, {&kFrequencyColumn, &columns.frequency}};
    std::size_t twice = kNoColumn;
    const char* twiceName = nullptr;
    for (const auto& [pNames, pColumn] : wanted) {
        std::size_t second = kNoColumn;
        *pColumn = FindCsvColumn(m_row.fields, *pNames, &second);
        if (second < twice) {
            twice = second;
            twiceName = pNames->name;
        }
    }
    if (twiceName) {
        fault = CsvError{FieldPlace(twice), std::string("the header names the column ") + twiceName + " twice"};
        return HeaderFault::Twice;
    }
    if (columns.channel == kNoColumn || columns.frequency == kNoColumn) {
        fault =
            CsvError{CsvPosition{m_row.line, 1},
                     std::string("the header has no ") + (columns.channel == kNoColumn ? "channel" : "frequency_mhz") +
                         " column (channel and frequency_mhz are needed, list may be added)"};
        return HeaderFault::Missing;
    }
    return HeaderFault::None;
}

// A CSV of commas whose heading holds a tab or a semicolon: the separator the
// text seems to have names no columns, its commas do.
bool ChannelCsvReader::ReadHeaderOfCommas()
{
    const CsvRecord first = m_row;
    CsvReader commas(m_text, kMaxChannelCsvColumns, ',');
    CsvColumns columns;
    CsvError fault;
    m_separator = ',';
    if (commas.Next(m_row) && m_row.fieldCount <= kMaxChannelCsvColumns &&
        FindColumns(columns, fault) == HeaderFault::None) {
        m_reader = commas;
        m_columns = columns;
        return true;
    }
    m_separator = m_reader.Separator();
    m_row = first;
    return false;
}

void ChannelCsvReader::ReadHeader()
{
    if (!m_reader.Next(m_row)) {
        if (!m_reader.Failed())
            Refuse(m_shape, CsvPosition{1, 1}, "the header must name the columns channel and frequency_mhz");
        return;
    }
    if (m_row.fieldCount > kMaxChannelCsvColumns) {
        Refuse(m_shape, FieldPlace(kMaxChannelCsvColumns),
               "the header has more than " + std::to_string(kMaxChannelCsvColumns) + " columns");
        return;
    }
    CsvError fault;
    const HeaderFault found = FindColumns(m_columns, fault);
    if (found != HeaderFault::None && !(found == HeaderFault::Missing && m_separator != ',' && ReadHeaderOfCommas())) {
        Refuse(m_shape, fault.where, fault.reason);
        return;
    }
    m_reader.KeepFields(m_columns.Kept());
}

void ChannelCsvReader::ReadRow()
{
    if (m_row.fieldCount != m_columns.count) {
        Refuse(m_shape, FieldPlace(std::min(m_row.fieldCount, m_columns.count)),
               std::to_string(m_columns.count) + " fields expected, found " + std::to_string(m_row.fieldCount));
        return;
    }
    if (!m_shape.reason.empty() || !m_content.reason.empty())
        return;
    std::int32_t iMode = m_iUnnamedMode;
    std::string listPrefix;
    if (m_columns.list != kNoColumn) {
        const std::string& name = m_row.fields[m_columns.list];
        if (name != kListNames[0] && name != kListNames[1]) {
            Refuse(m_content, FieldPlace(m_columns.list), "the list must be air or cable, not " + QuotedExcerpt(name));
            return;
        }
        iMode = name == kListNames[0] ? ChannelModeAir : ChannelModeCable;
        listPrefix = name + " ";
    }
    ListRows& list = m_lists[iMode == ChannelModeAir ? 0 : 1];
    if (list.frequencies.size() >= static_cast<std::size_t>(kMaxPosition)) {
        Refuse(m_content, FieldPlace(m_columns.channel), "a list holds at most 65535 channels");
        return;
    }
    const std::string_view label = m_row.fields[m_columns.channel];
    const std::string_view frequencyText = m_row.fields[m_columns.frequency];
    if (label.empty()) {
        Refuse(m_content, FieldPlace(m_columns.channel), "the channel label is empty");
        return;
    }
    if (label.size() > kMaxChannelCsvLabelBytes) {
        Refuse(m_content, FieldPlace(m_columns.channel),
               "the channel label is longer than " + std::to_string(kMaxChannelCsvLabelBytes) + " bytes");
        return;
    }
    double dbFrequency = 0.0;
    if (frequencyText.size() > kMaxChannelCsvFrequencyBytes ||
        !ReadCsvValue(frequencyText, m_separator != ',', dbFrequency)) {
        Refuse(m_content, FieldPlace(m_columns.frequency),
               QuotedExcerpt(frequencyText) + " is not a frequency in MHz (a decimal number, inf, -inf or nan)");
        return;
    }
    TakeChannel(list, listPrefix, label, dbFrequency);
}

// Whole-number labels are positions: they must name positions of a list, in
// order. A breach counts only when every label of the list is a whole number,
// which is known at the end, so the first one is kept until then.
void ChannelCsvReader::TakeChannel(ListRows& list, const std::string& listPrefix, std::string_view label,
                                   double dbFrequency)
{
    list.frequencies.push_back(dbFrequency);
    const std::int64_t position = WholeNumber(label);
    list.bAllWhole = list.bAllWhole && position >= 0;
    if (!list.bAllWhole) {
        list.positions.clear();
        return;
    }
    list.positions.push_back(static_cast<std::int32_t>(std::min(position, kMaxPosition)));
    if (!list.breach.reason.empty())
        return;
    std::string breach;
    if (position < 1)
        breach = listPrefix + "channel 0: whole-number channels start at 1";
    else if (position > kMaxPosition)
        breach = listPrefix + "channel " + QuotedExcerpt(label) + ": a list holds at most 65535 channels";
    else if (position <= list.previous)
        breach = listPrefix + "channel " + std::to_string(position) + " comes after channel " +
                 std::to_string(list.previous) + ": whole-number channels must rise";
    if (!breach.empty())
        list.breach = CsvError{FieldPlace(m_columns.channel), std::move(breach)};
    list.previous = position;
}

bool ChannelCsvReader::Read(ChannelCsvLists& lists, CsvError& error)
{
    ReadHeader();
    while (!m_reader.Failed() && m_reader.Next(m_row))
        ReadRow();
    if (m_reader.Failed()) {
        error = m_reader.Error();
        return false;
    }
    for (const CsvError* pKept : {&m_shape, &m_content}) {
        if (!pKept->reason.empty()) {
            error = *pKept;
            return false;
        }
    }
    // Of the lists whose labels are all whole numbers, the first breach in the text.
    const CsvError* pBreach = nullptr;
    for (const ListRows& list : m_lists) {
        if (list.bAllWhole && !list.breach.reason.empty() && (!pBreach || list.breach.where.line < pBreach->where.line))
            pBreach = &list.breach;
    }
    if (pBreach) {
        error = *pBreach;
        return false;
    }
    lists.bListColumn = m_columns.list != kNoColumn;
    lists.air = m_lists[0].Positions();
    lists.cable = m_lists[1].Positions();
    return true;
}

} // namespace

std::vector<double>& ChannelCsvLists::Of(std::int32_t iMode)
{
    return iMode == ChannelModeCable ? cable : air;
}

std::string ChannelCsvText(const std::vector<double>& frequencies)
{
    std::string text = std::string(kChannelCsvHeader) + '\n';
    AppendChannelRows(text, "", frequencies);
    return text;
}

std::string ChannelCsvText(const std::vector<double>& air, const std::vector<double>& cable)
{
    std::string text = std::string(kChannelCsvListsHeader) + '\n';
    AppendChannelRows(text, "air,", air);
    AppendChannelRows(text, "cable,", cable);
    return text;
}

std::string ChannelRowsText(const std::vector<double>& frequencies, const std::vector<std::int32_t>& channels,
                            ChannelRowsForm form)
{
    const char separator = form == ChannelRowsForm::Csv ? ',' : '\t';
    std::string text = form == ChannelRowsForm::Csv ? std::string(kChannelCsvHeader) + '\n' : std::string();
    // "65535", a separator, a frequency such as 863.25 and a line end: 16
    // bytes cover most rows.
    text.reserve(text.size() + channels.size() * 16);
    for (const std::int32_t iChannel : channels) {
        text += std::to_string(iChannel);
        text += separator;
        text += FormatDouble(frequencies[static_cast<std::size_t>(iChannel) - 1]);
        text += '\n';
    }
    return text;
}

bool ReadChannelCsv(std::string_view text, std::int32_t iUnnamedMode, ChannelCsvLists& lists, CsvError& error)
{
    ChannelCsvReader reader(text, iUnnamedMode);
    return reader.Read(lists, error);
}
