#include "ui/channel/compare/ChannelCompareModel.h"

#include <algorithm>
#include <utility>

#include <QBrush>
#include <QColor>
#include <QString>

#include "edit/ChannelTableDocument.h"
#include "res/Strings.h"
#include "ui/dialog/TextNumbers.h"

namespace {

constexpr std::array<HeaderField, 3> kHeaderAlwaysShown = {HeaderField::CountryCode, HeaderField::AirRange,
                                                           HeaderField::CableRange};

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

QString ListName(std::int32_t iList)
{
    return Latin1(iList == ChannelModeAir ? kCompareAirList : kCompareCableList);
}

std::vector<FrequencyBits> StoredValues(EntryRange<ChannelNode> channels)
{
    std::vector<FrequencyBits> values;
    values.reserve(static_cast<std::size_t>(channels.size()));
    for (const ChannelNode& channel : channels)
        values.push_back(StoredBits(channel.dbFrequency));
    return values;
}

QString ChangeText(DiffChange change)
{
    switch (change) {
    case DiffChange::Added: return Latin1(kCompareAdded);
    case DiffChange::Removed: return Latin1(kCompareRemoved);
    case DiffChange::Changed: return Latin1(kCompareChanged);
    }
    return {};
}

// A tint over the view's own base, so that the marks read in a light and in a
// dark palette alike.
QBrush ChangeBrush(DiffChange change)
{
    switch (change) {
    case DiffChange::Added: return QColor(40, 170, 60, 70);
    case DiffChange::Removed: return QColor(210, 50, 50, 70);
    case DiffChange::Changed: return QColor(230, 170, 0, 80);
    }
    return {};
}

} // namespace

void ChannelCompareModel::TakeHeader(Side& side, const ChannelTable& table)
{
    side.bPresent = true;
    for (std::size_t field = 0; field < kHeaderFieldCount; ++field)
        side.header[field] = ChannelHeaderValue(table, static_cast<HeaderField>(field));
}

void ChannelCompareModel::SetOther(const ChannelTable& other)
{
    beginResetModel();
    m_other = {};
    TakeHeader(m_other, other);
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable})
        m_other.lists[static_cast<std::size_t>(iList)] = StoredValues(other.Channels(iList));
    m_this = {};
    m_headerRows = HeaderRows();
    Count();
    endResetModel();
}

void ChannelCompareModel::SetThis(const ChannelTableDocument& document)
{
    Side side;
    if (const ChannelTable* pTable = document.Table()) {
        TakeHeader(side, *pTable);
        for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable})
            side.lists[static_cast<std::size_t>(iList)] = document.StoredList(iList);
    }
    Update(std::move(side));
}

std::vector<HeaderField> ChannelCompareModel::DifferingFields() const
{
    std::vector<HeaderField> fields;
    if (!m_this.bPresent || !m_other.bPresent)
        return fields;
    for (std::size_t field = 0; field < kHeaderFieldCount; ++field) {
        if (m_this.header[field] != m_other.header[field])
            fields.push_back(static_cast<HeaderField>(field));
    }
    return fields;
}

std::vector<HeaderField> ChannelCompareModel::HeaderRows() const
{
    std::vector<HeaderField> rows(kHeaderAlwaysShown.begin(), kHeaderAlwaysShown.end());
    for (const HeaderField field : DifferingFields()) {
        if (std::find(rows.begin(), rows.end(), field) == rows.end())
            rows.push_back(field);
    }
    return rows;
}

std::optional<DiffChange> ChannelCompareModel::ChangeAt(std::int32_t iList, std::size_t at) const
{
    if (!m_this.bPresent)
        return std::nullopt;
    const std::vector<FrequencyBits>& mine = m_this.lists[static_cast<std::size_t>(iList)];
    const std::vector<FrequencyBits>& theirs = m_other.lists[static_cast<std::size_t>(iList)];
    // From the other table to this one, as diff OTHER THIS compares them.
    return ComparePlace(at < theirs.size() ? &theirs[at] : nullptr, at < mine.size() ? &mine[at] : nullptr);
}

void ChannelCompareModel::Count()
{
    m_counts = {};
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable}) {
        const auto rows = static_cast<std::size_t>(ListRows(iList));
        for (std::size_t at = 0; at < rows; ++at) {
            if (const std::optional<DiffChange> change = ChangeAt(iList, at))
                ++(*change == DiffChange::Added     ? m_counts.added
                   : *change == DiffChange::Removed ? m_counts.removed
                                                    : m_counts.changed);
        }
    }
}

void ChannelCompareModel::Update(Side thisSide)
{
    Side previous = std::move(m_this);
    m_this = std::move(thisSide);
    const bool bSameHeaderRows = HeaderRows() == m_headerRows;
    const bool bSamePresence = previous.bPresent == m_this.bPresent;
    if (!bSameHeaderRows || !bSamePresence) {
        beginResetModel();
        m_headerRows = HeaderRows();
        Count();
        endResetModel();
        return;
    }
    // Each list's rows as the previous side gave them, until the view is
    // told; the cable list's block first, so that the air list's rows keep
    // their numbers while the cable list's change.
    Side incoming = std::move(m_this);
    m_this = std::move(previous);
    // The rows whose values changed, first to last of each list: a view told
    // of every row measures every row again, which costs two full lists some
    // 100 ms.
    std::array<std::pair<std::size_t, std::size_t>, 2> changed{};
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable}) {
        const auto list = static_cast<std::size_t>(iList);
        const std::vector<FrequencyBits>& before = m_this.lists[list];
        const std::vector<FrequencyBits>& after = incoming.lists[list];
        const std::size_t longer = std::max(before.size(), after.size());
        const auto differs = [&](std::size_t at) {
            return at >= before.size() || at >= after.size() || before[at] != after[at];
        };
        std::size_t first = 0;
        while (first < longer && !differs(first))
            ++first;
        std::size_t last = longer;
        while (last > first && !differs(last - 1))
            --last;
        changed[list] = {first, last};
    }
    for (const std::int32_t iList : {ChannelModeCable, ChannelModeAir}) {
        const auto list = static_cast<std::size_t>(iList);
        const int start = ListStart(iList);
        const int before = ListRows(iList);
        const int after = static_cast<int>(std::max(incoming.lists[list].size(), m_other.lists[list].size()));
        if (after > before)
            beginInsertRows({}, start + before, start + after - 1);
        else if (after < before)
            beginRemoveRows({}, start + after, start + before - 1);
        m_this.lists[list] = std::move(incoming.lists[list]);
        if (after > before)
            endInsertRows();
        else if (after < before)
            endRemoveRows();
    }
    const bool bHeaderChanged = m_this.header != incoming.header;
    m_this.header = incoming.header;
    Count();
    if (bHeaderChanged && !m_headerRows.empty())
        emit dataChanged(index(0, 0), index(static_cast<int>(m_headerRows.size()) - 1, kColumnCount - 1));
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable}) {
        const auto [first, last] = changed[static_cast<std::size_t>(iList)];
        const int rows = ListRows(iList);
        const int top = ListStart(iList) + static_cast<int>(first);
        const int bottom = ListStart(iList) + std::min(static_cast<int>(last), rows) - 1;
        if (first < last && top <= bottom)
            emit dataChanged(index(top, 0), index(bottom, kColumnCount - 1));
    }
}

int ChannelCompareModel::ListRows(std::int32_t iList) const
{
    const auto list = static_cast<std::size_t>(iList);
    return static_cast<int>(std::max(m_this.lists[list].size(), m_other.lists[list].size()));
}

int ChannelCompareModel::ListStart(std::int32_t iList) const
{
    const int air = static_cast<int>(m_headerRows.size());
    return iList == ChannelModeAir ? air : air + ListRows(ChannelModeAir);
}

ChannelCompareModel::Place ChannelCompareModel::PlaceOf(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (row < static_cast<int>(m_headerRows.size()))
        return {m_headerRows[static_cast<std::size_t>(row)], ChannelModeNone, 0};
    const int cable = ListStart(ChannelModeCable);
    if (row < cable)
        return {std::nullopt, ChannelModeAir, row - ListStart(ChannelModeAir) + 1};
    return {std::nullopt, ChannelModeCable, row - cable + 1};
}

int ChannelCompareModel::RowOf(std::int32_t iList, std::int32_t iChannel) const
{
    if ((iList != ChannelModeAir && iList != ChannelModeCable) || iChannel < 1 || iChannel > ListRows(iList))
        return -1;
    return ListStart(iList) + iChannel - 1;
}

std::optional<DiffChange> ChannelCompareModel::ChangeOf(int row) const
{
    const Place place = PlaceOf(row);
    if (place.field) {
        const auto field = static_cast<std::size_t>(*place.field);
        const bool bDiffers = m_this.bPresent && m_this.header[field] != m_other.header[field];
        return bDiffers ? std::optional(DiffChange::Changed) : std::nullopt;
    }
    if (place.iChannel == 0)
        return std::nullopt;
    return ChangeAt(place.iList, static_cast<std::size_t>(place.iChannel - 1));
}

int ChannelCompareModel::NextDifference(int row, bool bForward) const
{
    // A walk round the rows from the one given; each row's mark is two
    // stored values compared, so even a walk of every row of two full
    // tables stays well within a key press.
    const int rows = rowCount();
    if (rows == 0)
        return -1;
    const int step = bForward ? 1 : rows - 1;
    int candidate = row < 0 || row >= rows ? (bForward ? rows - 1 : 0) : row;
    for (int n = 0; n < rows; ++n) {
        candidate = (candidate + step) % rows;
        if (ChangeOf(candidate))
            return candidate;
    }
    return -1;
}

int ChannelCompareModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_headerRows.size()) + ListRows(ChannelModeAir) + ListRows(ChannelModeCable);
}

int ChannelCompareModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QString ChannelCompareModel::ValueText(const Side& side, const Place& place) const
{
    if (!side.bPresent)
        return {};
    if (place.field)
        return QString::fromStdString(
            HeaderFieldValueText(*place.field, side.header[static_cast<std::size_t>(*place.field)]));
    const std::vector<FrequencyBits>& list = side.lists[static_cast<std::size_t>(place.iList)];
    if (static_cast<std::size_t>(place.iChannel) > list.size())
        return {};
    return ListFrequencyText(FrequencyOfBits(list[static_cast<std::size_t>(place.iChannel - 1)]));
}

QVariant ChannelCompareModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Place place = PlaceOf(index.row());
    if (role == Qt::BackgroundRole) {
        const std::optional<DiffChange> change = ChangeOf(index.row());
        return change ? QVariant(ChangeBrush(*change)) : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() >= kChannelColumn && index.column() <= kOtherColumn &&
        !place.field)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case kListColumn: return place.field ? Latin1(kCompareHeaderRows) : ListName(place.iList);
    case kChannelColumn:
        return place.field ? QString::fromLatin1(HeaderFieldText(*place.field))
                           : QString::asprintf("%03i", place.iChannel);
    case kThisColumn: return ValueText(m_this, place);
    case kOtherColumn: return ValueText(m_other, place);
    case kDifferenceColumn: {
        const std::optional<DiffChange> change = ChangeOf(index.row());
        return change ? ChangeText(*change) : QString();
    }
    default: return {};
    }
}

QVariant ChannelCompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kListColumn: return Latin1(kCompareListHeading);
    case kChannelColumn: return Latin1(kCompareChannelHeading);
    case kThisColumn: return Latin1(kCompareThisHeading);
    case kOtherColumn: return Latin1(kCompareOtherHeading);
    case kDifferenceColumn: return Latin1(kCompareDifferenceHeading);
    default: return {};
    }
}
