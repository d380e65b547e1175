#pragma once
// The report-view list of the dialogs: rows and columns of text, several rows
// selectable. Its rows come from a model that the owner rebuilds whole in one
// call (SetRows), so even 65,535 rows are shown at once; texts are made only
// for the rows on screen.

#include <functional>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QTableView>

#include "ui/dialog/RowSelection.h"

// Column formats and extended styles as the dialogs name them.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr unsigned LVS_EX_GRIDLINES = 0x1;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;

using RowTextFunction = std::function<QString(int row, int column)>;
// What a screen reader reads for a cell that shows the text shown, where the
// shown text alone reads poorly ("--" for an empty slot). Asked only for the
// cells a screen reader reads.
using SpokenTextFunction = std::function<QString(int row, int column, const QString& shown)>;

// How a row stands out from the others, and why: the note is its tooltip and
// what a screen reader reads as the row's cells' description.
struct RowMark
{
    enum class Kind
    {
        None,
        Warning,
    };
    Kind kind = Kind::None;
    QString note;
};
// Asked only for the rows on screen, as the texts are.
using RowMarkFunction = std::function<RowMark(int row)>;
// What more there is to say of a row, whether it stands out or not ("Channel
// 5 in broadcast plan ..."): its tooltip and its cells' description, after a
// mark's note when it has one. Asked only when a tooltip is shown or a screen
// reader reads the row, never for every row.
using RowDescriptionFunction = std::function<QString(int row)>;

// A column whose cells a person edits in place, as in a spreadsheet: the text
// a row's editor opens with, and what becomes of the text typed (false when
// nothing changed).
using CellTextFunction = std::function<QString(int row)>;
using CellCommitFunction = std::function<bool(int row, const QString& text)>;

class ListViewModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int InsertColumn(int column, const QString& heading, int format);
    // Removes the columns from this one to the last.
    void RemoveColumnsFrom(int column);
    // The rows' marks, spoken texts and descriptions, if any, come with the
    // rows and go with them.
    void SetRows(int count, RowTextFunction text, RowMarkFunction mark = nullptr, SpokenTextFunction spoken = nullptr,
                 RowDescriptionFunction description = nullptr);
    // The same rows, other texts: every cell is told it changed, and the rows,
    // the selection and an open editor stay.
    void SetTexts(RowTextFunction text, RowMarkFunction mark, SpokenTextFunction spoken,
                  RowDescriptionFunction description);
    RowMark Mark(int row) const;
    // The tooltip and description of a row: its mark's note and its description.
    QString Note(int row) const;

    void SetEditableColumn(int column, CellTextFunction text, CellCommitFunction commit);
    int EditableColumn() const { return m_editableColumn; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    struct Column
    {
        QString heading;
        Qt::Alignment alignment;
    };
    std::vector<Column> m_columns;
    int m_rows = 0;
    RowTextFunction m_text;
    RowMarkFunction m_mark;
    SpokenTextFunction m_spoken;
    RowDescriptionFunction m_description;
    int m_editableColumn = -1;
    CellTextFunction m_cellText;
    CellCommitFunction m_commitCell;
};

// The rows' selection of a list, one bit per row. Every change reaches it
// through select(), as Qt's views make it; Qt's views and accessibility read
// the ranges of the base class, though, and a repaint walks every range for
// each cell on screen. So the base holds a copy: every chosen row while the
// choice forms few runs, otherwise the runs in a window around the rows on
// screen (and at least one run while any row is chosen, so that the base
// reports a selection). The list view moves the window as it scrolls.
class RowSelectionModel : public QItemSelectionModel
{
    Q_OBJECT

public:
    // First and last row of the rows on screen and beside them.
    using RowWindow = std::function<std::pair<int, int>()>;
    // Up to this many runs of chosen rows are copied whole.
    static constexpr int kWholeCopySpans = 256;

    RowSelectionModel(QAbstractItemModel* pModel, QObject* pParent);

    const RowSelection& Chosen() const { return m_chosen; }
    void SetWindow(RowWindow window);
    // The same as select() with these rows and ClearAndSelect, without a
    // range per row on the way.
    void SelectOnly(const std::vector<int>& rows);
    // After a scroll or a resize: the copy follows the window, quietly (the
    // rows that come on screen are painted anyway).
    void FollowWindow();

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
    void clear() override;

private:
    void Finalize();
    void Update(bool bQuietly);

    // As Qt keeps them: the rows of the last select() stay apart, with its
    // command, until a select() that is not a Current one settles them, so a
    // shift-click or a drag can replace them.
    RowSelection m_committed;
    RowSelection m_pending;
    QItemSelectionModel::SelectionFlags m_pendingCommand = QItemSelectionModel::NoUpdate;
    RowSelection m_chosen; // the two together
    RowWindow m_window;
};

class ListView : public QTableView
{
    Q_OBJECT

public:
    ListView(QWidget* pParent, bool bSingleSelection);

    int InsertColumn(int column, const QString& heading, int format, int widthPixels);
    void RemoveColumnsFrom(int column);
    unsigned GetExtendedStyle() const { return m_extendedStyle; }
    // The last column takes the width the others leave, as the list grows
    // with its window.
    void SetLastColumnFills();
    void SetExtendedStyle(unsigned style);

    int GetItemCount() const;
    void DeleteAllItems();
    // Replaces every row: count rows whose texts the function gives, marked
    // where the mark function, if any, says so, read as the spoken function,
    // if any, says (else as shown), and described as the description
    // function, if any, says.
    void SetRows(int count, RowTextFunction text, RowMarkFunction mark = nullptr, SpokenTextFunction spoken = nullptr,
                 RowDescriptionFunction description = nullptr);
    RowMark GetItemMark(int row) const;
    // The row's tooltip, which is also its cells' description; empty for none.
    QString GetItemNote(int row) const;
    QString GetItemText(int row, int column) const;

    // Next selected row after the given one (-1 starts before the first); -1 when none.
    int GetNextSelected(int after) const;
    int GetSelectedCount() const;
    std::vector<int> GetSelectedRows() const; // ascending
    void SetSelectedRows(const std::vector<int>& rows);
    // Selects only this row and makes it the current row and the anchor of
    // the selection, as a click on it does: Shift with an arrow key or a click
    // then extends the selection from it. No effect for an index that is not a row.
    void SetCurrentRow(int row);
    // Scrolls a row fully into view; no effect for an index that is not a row.
    void EnsureVisible(int row);

    // Makes a column's cells editable in place: F2, a double-click or a digit
    // typed on a row opens the row's cell, whichever column was clicked. Enter
    // commits, Escape cancels, Tab or Down commits and opens the next row's
    // cell, Shift+Tab or Up the previous row's.
    void SetEditableColumn(int column, CellTextFunction text, CellCommitFunction commit);
    // Opens the row's editable cell; false without one or for no row.
    bool EditCell(int row);
    bool IsEditingCell() const { return state() == QAbstractItemView::EditingState; }

    void setSelectionModel(QItemSelectionModel* pSelectionModel) override;

signals:
    void Clicked();        // left button released over the list
    void RightClicked();   // right button released over the list, the menu key or Shift+F10
    void KeyDown(int key); // before the list's own key handling

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    // The list's own selection model; null while another one was set.
    RowSelectionModel* RowSelectionOfList() const;
    std::pair<int, int> SelectionWindow() const;
    void FollowSelectionWindow();

    // With a selection model other than the list's own: the selected rows,
    // worked out from its ranges once after each change, since with tens of
    // thousands of ranges each working-out costs milliseconds.
    const std::vector<int>& SelectedRows() const;
    void ForgetSelectedRows() { m_bSelectedRowsKnown = false; }

    ListViewModel* m_pModel;
    QItemSelectionModel* m_pColumnHeadingSelection = nullptr;
    unsigned m_extendedStyle = 0;
    mutable std::vector<int> m_selectedRows;
    mutable bool m_bSelectedRowsKnown = false;
    bool m_bSettingCurrentRow = false;
    // While a cell's text is committed: the owner's new rows are the same rows.
    bool m_bCommittingCell = false;
};
