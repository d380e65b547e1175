#include "ui/channel/matrix/CoverageMatrixModel.h"

#include <cstring>
#include <utility>

#include <QBrush>
#include <QColor>
#include <QFile>

#include "res/Strings.h"
#include "tables/catalogue/CountryCatalogue.h"

namespace {

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

QString CountryName(std::int32_t iCode)
{
    const char* pszName = LookupCountry(iCode).pszCountry;
    if (!pszName || std::strcmp(pszName, kUnknownCountryText) == 0)
        return Latin1(kMatrixUnknownCountry).arg(iCode);
    return QString::fromLatin1(pszName);
}

// Tints over the view's own base, so that the cells read in a light and in a
// dark palette alike: green for none outside, then redder as more are.
QBrush HeatBrush(double heat)
{
    if (heat <= 0.0)
        return QColor(40, 170, 60, 60);
    return QColor(210, 40, 40, static_cast<int>(40 + 150 * heat));
}

} // namespace

void CoverageMatrixModel::SetTuners(std::vector<CoverageMatrixTuner> tuners)
{
    beginResetModel();
    m_tuners = std::move(tuners);
    m_missedRows.assign(m_tuners.size(), 0);
    m_countedRows = 0;
    for (Row& row : m_rows) {
        row.state = RowState::Waiting;
        row.counted = {};
    }
    m_waiting = RowCount();
    endResetModel();
}

int CoverageMatrixModel::AddRow(const QString& path, const QString& name)
{
    const int row = RowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back({path, name, RowState::Waiting, {}});
    ++m_waiting;
    endInsertRows();
    return row;
}

void CoverageMatrixModel::SetSource(int row, const QString& path, const QString& name)
{
    Row& target = m_rows[static_cast<std::size_t>(row)];
    target.path = path;
    target.name = name;
    emit dataChanged(index(row, kTableColumn), index(row, kTableColumn));
}

void CoverageMatrixModel::Tally(const Row& row, int sign)
{
    if (row.state != RowState::Counted)
        return;
    m_countedRows += sign;
    for (std::size_t tuner = 0; tuner < m_tuners.size() && tuner < row.counted.outside.size(); ++tuner) {
        if (row.counted.outside[tuner] != 0)
            m_missedRows[tuner] += static_cast<std::size_t>(sign);
    }
}

void CoverageMatrixModel::SetCounted(int row, CountedTable counted)
{
    Row& target = m_rows[static_cast<std::size_t>(row)];
    Tally(target, -1);
    if (target.state == RowState::Waiting)
        --m_waiting;
    target.state = counted.bRead ? RowState::Counted : RowState::Unreadable;
    target.counted = std::move(counted);
    target.counted.outside.resize(target.state == RowState::Counted ? m_tuners.size() : 0);
    Tally(target, +1);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool CoverageMatrixModel::TunesEveryTable(std::size_t tuner) const
{
    return m_countedRows > 0 && tuner < m_missedRows.size() && m_missedRows[tuner] == 0;
}

QString CoverageMatrixModel::CoveringText() const
{
    QStringList codes;
    for (std::size_t tuner = 0; tuner < m_tuners.size(); ++tuner) {
        if (TunesEveryTable(tuner))
            codes << QString::fromStdString(m_tuners[tuner].codes);
    }
    return codes.isEmpty() ? Latin1(kMatrixCoveringNone) : codes.join(QStringLiteral(", "));
}

NamedCoverageMatrix CoverageMatrixModel::CountedMatrix() const
{
    std::vector<CoverageMatrixTable> tables;
    std::vector<std::size_t> outside;
    for (const Row& row : m_rows) {
        if (row.state != RowState::Counted)
            continue;
        const QString& name = row.path.isEmpty() ? row.name : row.path;
        tables.push_back({QFile::encodeName(name).toStdString(), row.counted.iCountry, row.counted.channels});
        outside.insert(outside.end(), row.counted.outside.begin(), row.counted.outside.end());
    }
    const std::size_t tableCount = tables.size();
    return {std::move(tables), m_tuners, CoverageMatrix(tableCount, m_tuners.size(), std::move(outside))};
}

int CoverageMatrixModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int CoverageMatrixModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFirstTunerColumn + static_cast<int>(m_tuners.size());
}

QString CoverageMatrixModel::CellText(const Row& row, int column) const
{
    if (column == kTableColumn) {
        if (row.state != RowState::Unreadable)
            return row.name;
        return row.name.isEmpty() ? row.counted.reason : row.name + QLatin1Char(' ') + row.counted.reason;
    }
    if (row.state == RowState::Waiting)
        return column >= kFirstTunerColumn ? QStringLiteral("…") : QString();
    if (row.state == RowState::Unreadable)
        return {};
    if (column == kCountryColumn)
        return QString::number(row.counted.iCountry);
    if (column == kChannelsColumn)
        return QString::number(row.counted.channels);
    return QString::number(row.counted.outside[static_cast<std::size_t>(TunerOf(column))]);
}

QString CoverageMatrixModel::AccessibleText(const Row& row, int column) const
{
    if (column < kFirstTunerColumn || row.state == RowState::Unreadable) {
        if (row.state == RowState::Counted && column == kCountryColumn)
            return QStringLiteral("%1, %2").arg(row.counted.iCountry).arg(CountryName(row.counted.iCountry));
        if (row.state == RowState::Counted && column == kChannelsColumn)
            return Latin1(kMatrixChannelsText).arg(row.counted.channels);
        return CellText(row, column);
    }
    const QString codes = QString::fromStdString(m_tuners[static_cast<std::size_t>(TunerOf(column))].codes);
    if (row.state == RowState::Waiting)
        return Latin1(kMatrixCellCounting).arg(row.name, codes);
    return Latin1(kMatrixCellText).arg(CountryName(row.counted.iCountry), codes, CellText(row, column));
}

QVariant CoverageMatrixModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= RowCount() || index.column() >= columnCount())
        return {};
    const Row& row = RowAt(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return CellText(row, column);
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole: return AccessibleText(row, column);
    case Qt::TextAlignmentRole:
        if (column == kTableColumn)
            return {};
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        if (column < kFirstTunerColumn || row.state != RowState::Counted)
            return {};
        const std::size_t outside = row.counted.outside[static_cast<std::size_t>(TunerOf(column))];
        return HeatBrush(CoverageMatrixHeat(outside, row.counted.channels));
    }
    default: return {};
    }
}

QVariant CoverageMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::ToolTipRole && section >= kFirstTunerColumn) {
        const auto tuner = static_cast<std::size_t>(TunerOf(section));
        return m_tuners[tuner].problem.empty() ? QVariant() : QString::fromStdString(m_tuners[tuner].problem);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kTableColumn: return Latin1(kMatrixTableHeading);
    case kCountryColumn: return Latin1(kMatrixCountryHeading);
    case kChannelsColumn: return Latin1(kMatrixChannelsHeading);
    default: return QString::fromStdString(m_tuners[static_cast<std::size_t>(TunerOf(section))].codes);
    }
}
