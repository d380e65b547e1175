#pragma once
// The report-view list of the dialogs: rows and columns of text, several rows
// selectable. Its rows come from a model that the owner rebuilds whole in one
// call (SetRows), so even 65,535 rows are shown at once; texts are made only
// for the rows on screen.

#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QTableView>

// Column formats and extended styles as the dialogs name them.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr unsigned LVS_EX_GRIDLINES = 0x1;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;

using RowTextFunction = std::function<QString(int row, int column)>;

class ListViewModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int InsertColumn(int column, const QString& heading, int format);
    void SetRows(int count, RowTextFunction text);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Column
    {
        QString heading;
        Qt::Alignment alignment;
    };
    std::vector<Column> m_columns;
    int m_rows = 0;
    RowTextFunction m_text;
};

class ListView : public QTableView
{
    Q_OBJECT

public:
    ListView(QWidget* pParent, bool bSingleSelection);

    int InsertColumn(int column, const QString& heading, int format, int widthPixels);
    unsigned GetExtendedStyle() const { return m_extendedStyle; }
    void SetExtendedStyle(unsigned style);

    int GetItemCount() const;
    void DeleteAllItems();
    // Replaces every row: count rows whose texts the function gives.
    void SetRows(int count, RowTextFunction text);
    QString GetItemText(int row, int column) const;

    // Next selected row after the given one (-1 starts before the first); -1 when none.
    int GetNextSelected(int after) const;
    int GetSelectedCount() const;
    std::vector<int> GetSelectedRows() const; // ascending
    void SetSelectedRows(const std::vector<int>& rows);
    // Scrolls a row fully into view; no effect for an index that is not a row.
    void EnsureVisible(int row);

    void setSelectionModel(QItemSelectionModel* pSelectionModel) override;

signals:
    void Clicked();             // left button released over the list
    void RightClicked();        // right button released over the list, the menu key or Shift+F10
    void KeyDown(int key);      // before the list's own key handling

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The selected rows, worked out from the selection model once after each
    // change: a right click asks for the first selected row and the command
    // that follows for all of them, and with tens of thousands of selected
    // ranges each working-out costs milliseconds.
    const std::vector<int>& SelectedRows() const;
    void ForgetSelectedRows() { m_bSelectedRowsKnown = false; }

    ListViewModel* m_pModel;
    QItemSelectionModel* m_pColumnHeadingSelection = nullptr;
    unsigned m_extendedStyle = 0;
    mutable std::vector<int> m_selectedRows;
    mutable bool m_bSelectedRowsKnown = false;
};
