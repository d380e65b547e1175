#pragma once
// The cells of the coverage matrix window: a row per channel table (the one
// being edited first), its name, country and channels as `vornalix-tool
// matrix` lists them, then a column per tuner of the tuner table with the
// table's channels outside that tuner's bands. A row waits until its count
// comes; a file that cannot be read keeps its row, which says why.
//
// The tuners that tune every table are kept as the rows come: for each
// tuner, how many counted rows it misses, so that a row's count costs a walk
// of its own counts, never of the whole matrix.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "tables/analysis/CoverageMatrixOutput.h"
#include "ui/channel/matrix/MatrixCounter.h"

class CoverageMatrixModel : public QAbstractTableModel
{
public:
    enum Column
    {
        kTableColumn,
        kCountryColumn,
        kChannelsColumn,
        kFirstTunerColumn,
    };

    enum class RowState
    {
        Waiting,
        Counted,
        Unreadable,
    };

    struct Row
    {
        QString path; // empty for a table of no file
        QString name; // as the row shows it
        RowState state = RowState::Waiting;
        CountedTable counted;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The tuners' columns; every row waits to be counted again.
    void SetTuners(std::vector<CoverageMatrixTuner> tuners);
    // A row at the end, waiting; its number.
    int AddRow(const QString& path, const QString& name);
    // Another file for a row, or another name for it (the open table's row,
    // after a load or a save).
    void SetSource(int row, const QString& path, const QString& name);
    void SetCounted(int row, CountedTable counted);

    const Row& RowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int WaitingRows() const { return m_waiting; }
    std::size_t TunerCount() const { return m_tuners.size(); }
    // The tuner of a column; -1 for the columns before the tuners'.
    static int TunerOf(int column) { return column - kFirstTunerColumn; }
    // Some row is counted, and the tuner tunes every channel of each one that is.
    bool TunesEveryTable(std::size_t tuner) const;
    // "03:12, 07:21", or "none".
    QString CoveringText() const;
    // The counted rows, each named by its path (the name it shows when it has
    // none), for the CSV and the SVG.
    NamedCoverageMatrix CountedMatrix() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString CellText(const Row& row, int column) const;
    QString AccessibleText(const Row& row, int column) const;
    // Adds (+1) or takes away (-1) a counted row's misses.
    void Tally(const Row& row, int sign);

    std::vector<CoverageMatrixTuner> m_tuners;
    std::vector<Row> m_rows;
    std::vector<std::size_t> m_missedRows; // per tuner, the counted rows it misses
    int m_countedRows = 0;
    int m_waiting = 0;
};
