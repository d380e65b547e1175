#include "ui/channel/compare/ChannelCompareModel.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include <QBrush>
#include <QColor>
#include <QString>

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

std::vector<double> Frequencies(EntryRange<ChannelNode> channels)
{
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(channels.size()));
    for (const ChannelNode& channel : channels)
        values.push_back(channel.dbFrequency);
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

bool ChannelBefore(const ChannelDifference& difference, std::pair<std::int32_t, std::int32_t> place)
{
    return std::pair(difference.iList, difference.iChannel) < place;
}

} // namespace

ChannelCompareModel::Side ChannelCompareModel::SideOf(const ChannelTable* pTable)
{
    Side side;
    if (!pTable)
        return side;
    side.bPresent = true;
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable})
        side.lists[static_cast<std::size_t>(iList)] = Frequencies(pTable->Channels(iList));
    for (std::size_t field = 0; field < kHeaderFieldCount; ++field)
        side.header[field] = ChannelHeaderValue(*pTable, static_cast<HeaderField>(field));
    return side;
}

void ChannelCompareModel::SetOther(const ChannelTable& other)
{
    beginResetModel();
    m_pOther = &other;
    m_other = SideOf(&other);
    m_this = {};
    m_diff = {};
    m_headerRows = HeaderRows();
    endResetModel();
}

void ChannelCompareModel::SetThis(const ChannelTable* pThis)
{
    // The differences diff finds given the other table first, then this one.
    ChannelTableDiff diff = pThis && m_pOther ? CompareChannelTables(*m_pOther, *pThis) : ChannelTableDiff{};
    Update(SideOf(pThis), std::move(diff));
}

std::vector<HeaderField> ChannelCompareModel::HeaderRows() const
{
    std::vector<HeaderField> rows(kHeaderAlwaysShown.begin(), kHeaderAlwaysShown.end());
    for (const HeaderDifference& difference : m_diff.header) {
        if (std::find(rows.begin(), rows.end(), difference.field) == rows.end())
            rows.push_back(difference.field);
    }
    return rows;
}

void ChannelCompareModel::Update(Side thisSide, ChannelTableDiff diff)
{
    const bool bSameHeaderRows = [&] {
        std::swap(m_diff.header, diff.header);
        const bool bSame = HeaderRows() == m_headerRows;
        std::swap(m_diff.header, diff.header);
        return bSame;
    }();
    if (!bSameHeaderRows || thisSide.bPresent != m_this.bPresent) {
        beginResetModel();
        m_this = std::move(thisSide);
        m_diff = std::move(diff);
        m_headerRows = HeaderRows();
        endResetModel();
        return;
    }
    // The cable list's block first, so that the air list's rows keep their
    // numbers while the cable list's change.
    for (const std::int32_t iList : {ChannelModeCable, ChannelModeAir}) {
        const auto list = static_cast<std::size_t>(iList);
        const int start = ListStart(iList);
        const int before = ListRows(iList);
        const int after = static_cast<int>(std::max(thisSide.lists[list].size(), m_other.lists[list].size()));
        if (after > before)
            beginInsertRows({}, start + before, start + after - 1);
        else if (after < before)
            beginRemoveRows({}, start + after, start + before - 1);
        m_this.lists[list] = std::move(thisSide.lists[list]);
        if (after > before)
            endInsertRows();
        else if (after < before)
            endRemoveRows();
    }
    m_this.header = thisSide.header;
    m_diff = std::move(diff);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
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
        const bool bDiffers = std::any_of(m_diff.header.begin(), m_diff.header.end(),
                                          [&](const HeaderDifference& d) { return d.field == *place.field; });
        return bDiffers ? std::optional(DiffChange::Changed) : std::nullopt;
    }
    if (place.iChannel == 0)
        return std::nullopt;
    const auto it = std::lower_bound(m_diff.channels.begin(), m_diff.channels.end(),
                                     std::pair(place.iList, place.iChannel), ChannelBefore);
    if (it == m_diff.channels.end() || it->iList != place.iList || it->iChannel != place.iChannel)
        return std::nullopt;
    return it->change;
}

int ChannelCompareModel::NextDifference(int row, bool bForward) const
{
    // The rows that differ, in row order: the header's, then each channel's.
    std::vector<int> header;
    for (std::size_t i = 0; i < m_headerRows.size(); ++i) {
        if (ChangeOf(static_cast<int>(i)))
            header.push_back(static_cast<int>(i));
    }
    const std::size_t count = header.size() + m_diff.channels.size();
    if (count == 0)
        return -1;
    const auto rowAt = [&](std::size_t n) {
        if (n < header.size())
            return header[n];
        const ChannelDifference& difference = m_diff.channels[n - header.size()];
        return RowOf(difference.iList, difference.iChannel);
    };
    // The first difference after the row (or the last before it), by a
    // binary search over the rows, which ascend with n.
    std::size_t low = 0, high = count;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (bForward ? rowAt(middle) <= row : rowAt(middle) < row)
            low = middle + 1;
        else
            high = middle;
    }
    if (bForward)
        return rowAt(low == count ? 0 : low);
    return rowAt(low == 0 ? count - 1 : low - 1);
}

std::optional<double> ChannelCompareModel::OtherFrequency(std::int32_t iList, std::int32_t iChannel) const
{
    if (iList != ChannelModeAir && iList != ChannelModeCable)
        return std::nullopt;
    const std::vector<double>& list = m_other.lists[static_cast<std::size_t>(iList)];
    if (iChannel < 1 || static_cast<std::size_t>(iChannel) > list.size())
        return std::nullopt;
    return list[static_cast<std::size_t>(iChannel - 1)];
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
    const std::vector<double>& list = side.lists[static_cast<std::size_t>(place.iList)];
    if (static_cast<std::size_t>(place.iChannel) > list.size())
        return {};
    return ListFrequencyText(list[static_cast<std::size_t>(place.iChannel - 1)]);
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
    if (role == Qt::TextAlignmentRole && index.column() >= kChannelColumn && index.column() <= kOtherColumn && !place.field)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case kListColumn: return place.field ? Latin1(kCompareHeaderRows) : ListName(place.iList);
    case kChannelColumn:
        return place.field ? QString::fromLatin1(HeaderFieldText(*place.field)) : QString::asprintf("%03i", place.iChannel);
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
