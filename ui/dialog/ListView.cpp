#include "ui/dialog/ListView.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QtMath>

namespace {

Qt::Alignment AlignmentOf(int format)
{
    switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// How the rows of a select() command lie over the rows chosen before, as
// Qt's selection model merges them.
RowSelection::Merge MergeOf(QItemSelectionModel::SelectionFlags command)
{
    if (command & QItemSelectionModel::Deselect)
        return RowSelection::Merge::Remove;
    if (command & QItemSelectionModel::Toggle)
        return RowSelection::Merge::Exchange;
    return RowSelection::Merge::Add;
}

bool ChangesRows(QItemSelectionModel::SelectionFlags command)
{
    return command & (QItemSelectionModel::Select | QItemSelectionModel::Deselect | QItemSelectionModel::Toggle);
}

bool IsColourRole(int role)
{
    return role == Qt::BackgroundRole || role == Qt::ForegroundRole;
}

bool IsNoteRole(int role)
{
    return role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole;
}

// A marked row keeps its texts and columns; it is set apart by an amber
// background: a light amber with dark text over a light palette's base, a
// deep amber with light text over a dark one (a selected row shows the
// selection's colours, as every row does).
QVariant MarkColour(const RowMark& mark, int role)
{
    if (mark.kind == RowMark::Kind::None)
        return {};
    const bool bDarkBase = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    if (role == Qt::BackgroundRole)
        return QBrush(bDarkBase ? QColor(112, 84, 16) : QColor(255, 224, 130));
    return QBrush(bDarkBase ? QColor(255, 236, 179) : QColor(40, 30, 0));
}

// Draws a cell of plain, one-line text as Qt's own delegate does, without
// the text layout Qt's makes for every cell at every paint: that layout was
// most of the time a list took to paint (the plan chooser's two lists: 41 %
// of its opening). Any other cell (an icon, a check box, wrapped text, right
// to left, one being edited) is left to Qt.
class CellPainter : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        if (!IsPlainOneLine(cell)) {
            QStyledItemDelegate::paint(pPainter, option, index);
            return;
        }
        const QWidget* pWidget = cell.widget;
        const QStyle* pStyle = pWidget ? pWidget->style() : QApplication::style();
        pPainter->save();
        pPainter->setClipRect(cell.rect);
        pStyle->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, pPainter, pWidget);
        if (!cell.text.isEmpty())
            DrawText(*pPainter, cell, *pStyle);
        if (cell.state & QStyle::State_HasFocus)
            DrawFocus(*pPainter, cell, *pStyle);
        pPainter->restore();
    }

private:
    static bool IsPlainOneLine(const QStyleOptionViewItem& cell)
    {
        const auto others = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                            QStyleOptionViewItem::WrapText;
        return !(cell.features & others) && !(cell.state & QStyle::State_Editing) &&
               cell.direction == Qt::LeftToRight && !cell.text.contains(QChar::LineFeed) &&
               !cell.text.contains(QChar::LineSeparator);
    }

    static QPalette::ColorGroup GroupOf(const QStyleOptionViewItem& cell)
    {
        if (!(cell.state & QStyle::State_Enabled))
            return QPalette::Disabled;
        return cell.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    }

    // Where Qt's delegate puts the text: the line's height (ascent and
    // descent, up to a whole pixel) centred in the cell as whole pixels, and
    // the text aligned by its advance within the cell's width less a margin
    // each side. The pixels are Qt's, as a test holds them to be.
    static void DrawText(QPainter& painter, const QStyleOptionViewItem& cell, const QStyle& style)
    {
        const bool bSelected = cell.state & QStyle::State_Selected;
        painter.setPen(cell.palette.color(GroupOf(cell), bSelected ? QPalette::HighlightedText : QPalette::Text));
        painter.setFont(cell.font);
        const int margin = style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
        const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
        // A text that fits is shown whole, as eliding it would leave it: it is
        // measured once. (A text with Qt's variant separator is left to Qt.)
        const QFontMetricsF metrics(cell.font);
        const qreal advance = metrics.horizontalAdvance(cell.text);
        const bool bFits = advance <= textRect.width() && !cell.text.contains(QChar(0x9c));
        const QString shown =
            bFits ? cell.text : cell.fontMetrics.elidedText(cell.text, cell.textElideMode, textRect.width());
        const QRect line =
            QStyle::alignedRect(cell.direction, cell.displayAlignment & Qt::AlignVertical_Mask,
                                QSize(textRect.width(), qCeil(metrics.ascent() + metrics.descent())), textRect);
        const qreal room = textRect.width() - (bFits ? advance : metrics.horizontalAdvance(shown));
        const Qt::Alignment across = cell.displayAlignment & Qt::AlignHorizontal_Mask;
        const qreal x = textRect.x() + (across & Qt::AlignRight ? room : across & Qt::AlignHCenter ? room / 2 : 0.0);
        painter.drawText(QPointF(x, line.top() + metrics.ascent()), shown);
    }

    static void DrawFocus(QPainter& painter, const QStyleOptionViewItem& cell, const QStyle& style)
    {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(cell);
        focus.rect = style.subElementRect(QStyle::SE_ItemViewItemFocusRect, &cell, cell.widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup group = cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            cell.palette.color(group, cell.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, cell.widget);
    }
};

// The editor of a cell: a line edit named by its column's heading, on which
// Down and Up commit and move on as Tab and Shift+Tab do, as in a spreadsheet.
class CellDelegate : public CellPainter
{
public:
    using CellPainter::CellPainter;

    QWidget* createEditor(QWidget* pParent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* pEditor = new QLineEdit(pParent);
        pEditor->setFrame(false);
        pEditor->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
        // Where the cell shows its text, the editor shows it too.
        pEditor->setAlignment(index.data(Qt::TextAlignmentRole).value<Qt::Alignment>());
        return pEditor;
    }

protected:
    bool eventFilter(QObject* pEditor, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::KeyPress) {
            const auto* pKey = static_cast<QKeyEvent*>(pEvent);
            const bool bDown = pKey->key() == Qt::Key_Down, bUp = pKey->key() == Qt::Key_Up;
            if ((bDown || bUp) && pKey->modifiers() == Qt::NoModifier) {
                auto* pWidget = static_cast<QWidget*>(pEditor);
                emit commitData(pWidget);
                emit closeEditor(pWidget, bDown ? EditNextItem : EditPreviousItem);
                return true;
            }
        }
        return CellPainter::eventFilter(pEditor, pEvent);
    }
};

bool IsDigitTyped(const QEvent* pEvent)
{
    if (!pEvent || pEvent->type() != QEvent::KeyPress)
        return false;
    const auto* pKey = static_cast<const QKeyEvent*>(pEvent);
    const QString text = pKey->text();
    return text.size() == 1 && text.front().isDigit() && !(pKey->modifiers() & ~Qt::KeypadModifier);
}

} // namespace

RowSelectionModel::RowSelectionModel(QAbstractItemModel* pModel, QObject* pParent)
    : QItemSelectionModel(pModel, pParent)
{
    // New columns are outside the copied ranges.
    connect(pModel, &QAbstractItemModel::columnsInserted, this, [this] { Update(false); });
}

void RowSelectionModel::SetWindow(RowWindow window)
{
    m_window = std::move(window);
    FollowWindow();
}

void RowSelectionModel::SelectOnly(const std::vector<int>& rows)
{
    m_committed.Clear();
    m_pending.Clear();
    const int rowCount = model() ? model()->rowCount() : 0;
    for (int row : rows) {
        if (row < rowCount)
            m_pending.Apply(row, row, RowSelection::Merge::Add);
    }
    m_pendingCommand = QItemSelectionModel::ClearAndSelect;
    Update(false);
}

void RowSelectionModel::FollowWindow()
{
    if (m_chosen.SpanCount() > kWholeCopySpans)
        Update(true);
}

void RowSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (!model() || command == QItemSelectionModel::NoUpdate)
        return;
    if (command & QItemSelectionModel::Clear) {
        m_committed.Clear();
        m_pending.Clear();
        m_pendingCommand = QItemSelectionModel::NoUpdate;
    }
    if (!(command & QItemSelectionModel::Current))
        Finalize();
    if (ChangesRows(command)) {
        m_pending.Clear();
        for (const QItemSelectionRange& range : selection) {
            if (!range.isValid())
                continue;
            // A column holds a cell of every row.
            if (command & QItemSelectionModel::Columns)
                m_pending.Apply(0, model()->rowCount() - 1, RowSelection::Merge::Add);
            else
                m_pending.Apply(range.top(), range.bottom(), RowSelection::Merge::Add);
        }
        m_pendingCommand = command;
    }
    Update(false);
}

void RowSelectionModel::clear()
{
    select(QItemSelection(), QItemSelectionModel::Clear);
    clearCurrentIndex();
}

void RowSelectionModel::Finalize()
{
    if (ChangesRows(m_pendingCommand))
        m_committed.Apply(m_pending, MergeOf(m_pendingCommand));
    m_pending.Clear();
    m_pendingCommand = QItemSelectionModel::NoUpdate;
}

void RowSelectionModel::Update(bool bQuietly)
{
    m_chosen = m_committed;
    if (ChangesRows(m_pendingCommand))
        m_chosen.Apply(m_pending, MergeOf(m_pendingCommand));
    if (!model())
        return;

    std::vector<std::pair<int, int>> spans;
    if (m_chosen.SpanCount() <= kWholeCopySpans || !m_window) {
        spans = m_chosen.Spans(0, std::numeric_limits<int>::max());
    } else {
        const auto [first, last] = m_window();
        spans = m_chosen.Spans(first, last);
        if (spans.empty()) {
            const int row = m_chosen.NextAfter(-1);
            spans.emplace_back(row, row);
        }
    }
    QItemSelection copy;
    copy.reserve(static_cast<qsizetype>(spans.size()));
    const int lastColumn = std::max(0, model()->columnCount() - 1);
    for (const auto& [top, bottom] : spans)
        copy.append(QItemSelectionRange(model()->index(top, 0), model()->index(bottom, lastColumn)));

    const QSignalBlocker blocker(bQuietly ? this : nullptr);
    QItemSelectionModel::select(copy, QItemSelectionModel::ClearAndSelect);
}

int ListViewModel::InsertColumn(int column, const QString& heading, int format)
{
    column = std::clamp(column, 0, static_cast<int>(m_columns.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_columns.insert(m_columns.begin() + column, Column{heading, AlignmentOf(format)});
    endInsertColumns();
    return column;
}

void ListViewModel::RemoveColumnsFrom(int column)
{
    const int count = static_cast<int>(m_columns.size());
    if (column < 0 || column >= count)
        return;
    beginRemoveColumns(QModelIndex(), column, count - 1);
    m_columns.erase(m_columns.begin() + column, m_columns.end());
    endRemoveColumns();
}

void ListViewModel::SetRows(int count, RowTextFunction text, RowMarkFunction mark, SpokenTextFunction spoken,
                            RowDescriptionFunction description)
{
    beginResetModel();
    m_rows = std::max(0, count);
    m_text = std::move(text);
    m_mark = std::move(mark);
    m_spoken = std::move(spoken);
    m_description = std::move(description);
    endResetModel();
}

void ListViewModel::SetTexts(RowTextFunction text, RowMarkFunction mark, SpokenTextFunction spoken,
                             RowDescriptionFunction description)
{
    m_text = std::move(text);
    m_mark = std::move(mark);
    m_spoken = std::move(spoken);
    m_description = std::move(description);
    if (m_rows > 0 && !m_columns.empty())
        emit dataChanged(index(0, 0), index(m_rows - 1, static_cast<int>(m_columns.size()) - 1));
}

void ListViewModel::SetEditableColumn(int column, CellTextFunction text, CellCommitFunction commit)
{
    m_editableColumn = column;
    m_cellText = std::move(text);
    m_commitCell = std::move(commit);
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == m_editableColumn && m_commitCell)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool ListViewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rows || index.column() != m_editableColumn ||
        !m_commitCell)
        return false;
    return m_commitCell(index.row(), value.toString());
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
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        const QString shown = m_text ? m_text(index.row(), index.column()) : QString();
        if (role == Qt::AccessibleTextRole && m_spoken)
            return m_spoken(index.row(), index.column(), shown);
        return shown;
    }
    if (role == Qt::EditRole)
        return index.column() == m_editableColumn && m_cellText ? m_cellText(index.row()) : QString();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[static_cast<std::size_t>(index.column())].alignment);
    if (m_mark && IsColourRole(role))
        return MarkColour(m_mark(index.row()), role);
    if (IsNoteRole(role)) {
        const QString note = Note(index.row());
        return note.isEmpty() ? QVariant() : QVariant(note);
    }
    return {};
}

RowMark ListViewModel::Mark(int row) const
{
    return m_mark && row >= 0 && row < m_rows ? m_mark(row) : RowMark{};
}

QString ListViewModel::Note(int row) const
{
    if (row < 0 || row >= m_rows)
        return {};
    const RowMark mark = Mark(row);
    const QString markNote = mark.kind == RowMark::Kind::None ? QString() : mark.note;
    const QString description = m_description ? m_description(row) : QString();
    if (markNote.isEmpty() || description.isEmpty())
        return markNote.isEmpty() ? description : markNote;
    // The mark first: it asks for attention, the description only informs.
    return markNote + QLatin1Char('\n') + description;
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
    setItemDelegate(new CellPainter(this));
    // The view made a selection model of Qt's own with the model; the list's
    // own takes its place.
    QItemSelectionModel* pQtSelection = selectionModel();
    setSelectionModel(new RowSelectionModel(m_pModel, this));
    delete pQtSelection;
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ListView::FollowSelectionWindow);
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

void ListView::RemoveColumnsFrom(int column)
{
    m_pModel->RemoveColumnsFrom(column);
}

void ListView::SetLastColumnFills()
{
    horizontalHeader()->setStretchLastSection(true);
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

void ListView::SetRows(int count, RowTextFunction text, RowMarkFunction mark, SpokenTextFunction spoken,
                       RowDescriptionFunction description)
{
    // A committed cell changed a value, not the rows: a reset would close
    // the editor that is committing and lose the current row that Tab goes on from.
    if (m_bCommittingCell && count == GetItemCount()) {
        m_pModel->SetTexts(std::move(text), std::move(mark), std::move(spoken), std::move(description));
        return;
    }
    m_pModel->SetRows(count, std::move(text), std::move(mark), std::move(spoken), std::move(description));
    // Whatever the order in which the reset reached the selection model.
    ForgetSelectedRows();
}

void ListView::SetEditableColumn(int column, CellTextFunction text, CellCommitFunction commit)
{
    m_pModel->SetEditableColumn(column, std::move(text), std::move(commit));
    setItemDelegateForColumn(column, new CellDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
}

bool ListView::EditCell(int row)
{
    const int column = m_pModel->EditableColumn();
    if (column < 0 || row < 0 || row >= GetItemCount())
        return false;
    if (currentIndex().row() != row)
        SetCurrentRow(row);
    EnsureVisible(row);
    return QTableView::edit(m_pModel->index(row, column), QAbstractItemView::AllEditTriggers, nullptr);
}

bool ListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const int column = m_pModel->EditableColumn();
    if (column < 0 || !index.isValid())
        return QTableView::edit(index, trigger, event);
    // Other keys keep their meaning in the list (a letter searches the rows).
    if (trigger == QAbstractItemView::AnyKeyPressed && !IsDigitTyped(event))
        return false;
    // Whichever column was clicked or is current, the row's editable cell opens.
    return QTableView::edit(m_pModel->index(index.row(), column), trigger, event);
}

void ListView::commitData(QWidget* editor)
{
    m_bCommittingCell = true;
    QTableView::commitData(editor);
    m_bCommittingCell = false;
}

void ListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab and Down go on to the next row's cell, Shift+Tab and Up to the
    // previous one's, as in a spreadsheet; Qt would go on to the next column.
    const int step = hint == QAbstractItemDelegate::EditNextItem       ? 1
                     : hint == QAbstractItemDelegate::EditPreviousItem ? -1
                                                                       : 0;
    QTableView::closeEditor(editor, step != 0 ? QAbstractItemDelegate::NoHint : hint);
    const int row = currentIndex().row() + step;
    if (step != 0 && row >= 0 && row < GetItemCount())
        EditCell(row);
}

QString ListView::GetItemText(int row, int column) const
{
    return m_pModel->data(m_pModel->index(row, column), Qt::DisplayRole).toString();
}

RowMark ListView::GetItemMark(int row) const
{
    return m_pModel->Mark(row);
}

QString ListView::GetItemNote(int row) const
{
    return m_pModel->Note(row);
}

void ListView::setSelectionModel(QItemSelectionModel* pSelectionModel)
{
    if (selectionModel())
        disconnect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::ForgetSelectedRows);
    QTableView::setSelectionModel(pSelectionModel);
    if (selectionModel())
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::ForgetSelectedRows);
    ForgetSelectedRows();
    if (RowSelectionModel* pRows = RowSelectionOfList())
        pRows->SetWindow([this] { return SelectionWindow(); });
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

RowSelectionModel* ListView::RowSelectionOfList() const
{
    return qobject_cast<RowSelectionModel*>(selectionModel());
}

std::pair<int, int> ListView::SelectionWindow() const
{
    // The rows on screen, a screenful above and below them, and some more for
    // a small list view.
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int onScreen = viewport()->height() / rowHeight + 1;
    const int margin = onScreen + 64;
    const int first = std::max(0, rowAt(0));
    return {first - margin, first + onScreen + margin};
}

void ListView::FollowSelectionWindow()
{
    if (RowSelectionModel* pRows = RowSelectionOfList())
        pRows->FollowWindow();
}

void ListView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FollowSelectionWindow();
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
    if (const RowSelectionModel* pRows = RowSelectionOfList())
        return pRows->Chosen().Rows();
    return SelectedRows();
}

int ListView::GetNextSelected(int after) const
{
    if (const RowSelectionModel* pRows = RowSelectionOfList())
        return pRows->Chosen().NextAfter(after);
    const std::vector<int>& rows = SelectedRows();
    const auto it = std::upper_bound(rows.begin(), rows.end(), after);
    return it == rows.end() ? -1 : *it;
}

int ListView::GetSelectedCount() const
{
    if (const RowSelectionModel* pRows = RowSelectionOfList())
        return pRows->Chosen().Count();
    return static_cast<int>(SelectedRows().size());
}

void ListView::SetSelectedRows(const std::vector<int>& rows)
{
    if (RowSelectionModel* pRows = RowSelectionOfList()) {
        pRows->SelectOnly(rows);
        return;
    }
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

void ListView::SetCurrentRow(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    // Only the view's own setCurrentIndex sets the anchor as well. It asks
    // selectionCommand how to select, which would follow the modifier keys
    // held at that moment; the row is to stand alone whatever is held.
    m_bSettingCurrentRow = true;
    setCurrentIndex(m_pModel->index(row, 0));
    m_bSettingCurrentRow = false;
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    if (m_bSettingCurrentRow)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return QTableView::selectionCommand(index, event);
}

void ListView::EnsureVisible(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    // Rows just added are laid out, and the scroll range grown for them,
    // first: else the last row is scrolled to the old end and stays cut.
    executeDelayedItemsLayout();
    updateGeometries();
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
