#pragma once
// The rows of the compare window: the table being edited beside another
// table, each place marked as CompareChannelTables compares it from the other
// table to this one (the differences `vornalix-tool diff OTHER THIS` prints):
// "added" is a channel only this table has, "removed" one only the other has.
//
// The header leads, with the country code and the two ranges always and the
// header's other fields only where they differ; then the air list's channels
// by position, then the cable list's, as many of each as the longer of the
// two tables holds. A row's texts are made only while it is drawn or read, so
// that two tables of 65,535 + 65,535 channels cost the model their values and
// their differences.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QAbstractTableModel>

#include "tables/analysis/TableDiff.h"

class ChannelTableDocument;

class ChannelCompareModel : public QAbstractTableModel
{
public:
    enum Column
    {
        kListColumn,
        kChannelColumn,
        kThisColumn,
        kOtherColumn,
        kDifferenceColumn,
        kColumnCount,
    };

    // What a row stands for: a header field, or a channel of a list.
    struct Place
    {
        std::optional<HeaderField> field;
        std::int32_t iList = ChannelModeNone;
        std::int32_t iChannel = 0; // 1-based
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The other table, as read when the window opened.
    void SetOther(const ChannelTable& other);
    // The document's table as it stands now (none while it holds none). A
    // change of values keeps every row, and a list that grew or shrank gains
    // or loses rows at its end, so that the view keeps its selection.
    void SetThis(const ChannelTableDocument& document);

    struct Counts
    {
        int added = 0;
        int removed = 0;
        int changed = 0;
    };
    // The channels that differ, by their change.
    const Counts& ChannelCounts() const { return m_counts; }
    // The header's fields that differ, in HeaderField order.
    std::vector<HeaderField> DifferingFields() const;
    bool HasThis() const { return m_this.bPresent; }
    Place PlaceOf(int row) const;
    // The row of a channel, -1 when no row shows it.
    int RowOf(std::int32_t iList, std::int32_t iChannel) const;
    std::optional<DiffChange> ChangeOf(int row) const;
    // The next row after row (forward) or before it that shows a difference,
    // going round past the end; -1 when nothing differs.
    int NextDifference(int row, bool bForward) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // One table's side: its stored values and header as the rows show them.
    struct Side
    {
        bool bPresent = false;
        std::array<std::vector<FrequencyBits>, 2> lists;
        std::array<HeaderFieldValue, kHeaderFieldCount> header{};
    };
    static void TakeHeader(Side& side, const ChannelTable& table);
    std::optional<DiffChange> ChangeAt(std::int32_t iList, std::size_t at) const;
    void Count();
    // How many rows a list's block has: as many as the longer side holds.
    int ListRows(std::int32_t iList) const;
    int ListStart(std::int32_t iList) const;
    std::vector<HeaderField> HeaderRows() const;
    // Puts this side in place, telling the view of each list's rows gained or
    // lost at its end.
    void Update(Side thisSide);
    QString ValueText(const Side& side, const Place& place) const;

    Side m_this;
    Side m_other;
    Counts m_counts;
    std::vector<HeaderField> m_headerRows;
};
