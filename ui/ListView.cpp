#include "ListView.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

Qt::Alignment AlignmentOf(int format)
{
    switch (format) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

int ListViewModel::InsertColumn(int column, const QString& heading, int format)
{
    column = std::clamp(column, 0, static_cast<int>(m_columns.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_columns.insert(m_columns.begin() + column, Column{heading, AlignmentOf(format)});
    endInsertColumns();
    return column;
}

void ListViewModel::SetRows(int count, RowTextFunction text)
{
    beginResetModel();
    m_rows = std::max(0, count);
    m_text = std::move(text);
    endResetModel();
}

int ListViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ListViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= static_cast<int>(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_text ? m_text(index.row(), index.column()) : QString();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[static_cast<std::size_t>(index.column())].alignment);
    return {};
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[static_cast<std::size_t>(section)].heading;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[static_cast<std::size_t>(section)].alignment);
    return {};
}

ListView::ListView(QWidget* pParent, bool bSingleSelection) : QTableView(pParent), m_pModel(new ListViewModel(this))
{
    // Every change of rows or columns can change the selection without a
    // selectionChanged signal (a reset clears it silently).
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &ListView::ForgetSelectedRows);
    connect(m_pModel, &QAbstractItemModel::layoutChanged, this, &ListView::ForgetSelectedRows);
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &ListView::ForgetSelectedRows);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &ListView::ForgetSelectedRows);
    connect(m_pModel, &QAbstractItemModel::columnsInserted, this, &ListView::ForgetSelectedRows);
    connect(m_pModel, &QAbstractItemModel::columnsRemoved, this, &ListView::ForgetSelectedRows);
    setModel(m_pModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(bSingleSelection ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Uniform rows keep a rebuild of tens of thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

int ListView::InsertColumn(int column, const QString& heading, int format, int widthPixels)
{
    const int at = m_pModel->InsertColumn(column, heading, format);
    setColumnWidth(at, widthPixels);
    return at;
}

void ListView::SetExtendedStyle(unsigned style)
{
    m_extendedStyle = style;
    setShowGrid(style & LVS_EX_GRIDLINES);
}

int ListView::GetItemCount() const
{
    return m_pModel->rowCount();
}

void ListView::DeleteAllItems()
{
    SetRows(0, nullptr);
}

void ListView::SetRows(int count, RowTextFunction text)
{
    m_pModel->SetRows(count, std::move(text));
    // Whatever the order in which the reset reached the selection model.
    ForgetSelectedRows();
}

QString ListView::GetItemText(int row, int column) const
{
    return m_pModel->data(m_pModel->index(row, column), Qt::DisplayRole).toString();
}

void ListView::setSelectionModel(QItemSelectionModel* pSelectionModel)
{
    if (selectionModel())
        disconnect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::ForgetSelectedRows);
    QTableView::setSelectionModel(pSelectionModel);
    if (selectionModel())
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::ForgetSelectedRows);
    ForgetSelectedRows();
    // The column headings show no selection, yet a header that shares the
    // rows' selection asks, at every repaint, whether each column is wholly
    // selected: a walk over every selected range. An empty selection of its own
    // spares that.
    if (!m_pColumnHeadingSelection || m_pColumnHeadingSelection->model() != model()) {
        delete m_pColumnHeadingSelection;
        m_pColumnHeadingSelection = new QItemSelectionModel(model(), this);
    }
    horizontalHeader()->setSelectionModel(m_pColumnHeadingSelection);
}

const std::vector<int>& ListView::SelectedRows() const
{
    if (m_bSelectedRowsKnown)
        return m_selectedRows;
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    m_selectedRows.clear();
    int next = 0;
    for (const auto& [top, bottom] : spans) {
        for (int row = std::max(top, next); row <= bottom; ++row)
            m_selectedRows.push_back(row);
        next = std::max(next, bottom + 1);
    }
    m_bSelectedRowsKnown = true;
    return m_selectedRows;
}

std::vector<int> ListView::GetSelectedRows() const
{
    return SelectedRows();
}

int ListView::GetNextSelected(int after) const
{
    const std::vector<int>& rows = SelectedRows();
    const auto it = std::upper_bound(rows.begin(), rows.end(), after);
    return it == rows.end() ? -1 : *it;
}

int ListView::GetSelectedCount() const
{
    return static_cast<int>(SelectedRows().size());
}

void ListView::SetSelectedRows(const std::vector<int>& rows)
{
    QItemSelection selection;
    const int columns = std::max(1, m_pModel->columnCount());
    std::size_t i = 0;
    while (i < rows.size()) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(m_pModel->index(rows[i], 0), m_pModel->index(rows[j], columns - 1));
        i = j + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ListView::EnsureVisible(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    scrollTo(m_pModel->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Clicked();
    else if (event->button() == Qt::RightButton)
        emit RightClicked();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key());
    // X11 and Wayland turn only the menu key into a context menu request;
    // Shift+F10, the other key for it, arrives as a plain key that the table
    // would ignore.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        emit RightClicked();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ListView::contextMenuEvent(QContextMenuEvent* event)
{
    // A mouse right click has raised the row menu at its release already; the
    // menu key raises it here (Shift+F10 in keyPressEvent).
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit RightClicked();
    event->accept();
}
