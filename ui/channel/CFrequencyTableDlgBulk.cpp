// The bulk edits in the channel table editor's commands (also Alt+Up and
// Alt+Down in the list), run by their part (ChannelBulkEdits.h); once one has
// run, the list and the range are shown again and the rows stay selected
// where they went.
#include "ui/channel/CFrequencyTableDlg.h"


#include "res/resource.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

std::vector<int> RowsOf(const std::vector<std::int32_t>& channels)
{
    std::vector<int> rows;
    rows.reserve(channels.size());
    for (const std::int32_t iChannel : channels)
        rows.push_back(iChannel - 1);
    return rows;
}

} // namespace

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::BulkCommands()
{
    using Dialog = CFrequencyTableDlg;
    const auto hasRows = [](const Dialog& dialog) {
        return dialog.m_document.HasTable() && dialog.GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1) >= 0;
    };
    // Alt+Up and Alt+Down are the list's: in the mode's drop-down Alt+Down opens it.
    return {
        {IDM_MOVE_UP,
         MenuText(BulkEditName::kMoveUp, 'p'),
         {StandardShortcut::None, "Alt+Up", KeyScope::List},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->MoveUp(); }},
        {IDM_MOVE_DOWN,
         MenuText(BulkEditName::kMoveDown, 'D'),
         {StandardShortcut::None, "Alt+Down", KeyScope::List},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->MoveDown(); }},
        {IDM_MOVE_TO_CHANNEL,
         MenuText(BulkEditName::kMoveToChannel, 'M', true),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->MoveToChannel(); }},
        {IDM_OFFSET_FREQUENCIES,
         MenuText(BulkEditName::kOffsetFrequencies, 'O', true),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->OffsetFrequencies(); }},
        {IDM_ROUND_FREQUENCIES,
         MenuText(BulkEditName::kRoundFrequencies, 'n', true),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->RoundFrequencies(); }},
        {IDM_CLEAR_TO_EMPTY,
         MenuText(BulkEditName::kClearToEmptySlot, 'C'),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->ClearToEmptySlot(); }},
        {IDM_SORT_SELECTION,
         MenuText(BulkEditName::kSortByFrequency, 'S'),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->SortSelection(); }},
        {IDM_FILL_DOWN,
         MenuText(BulkEditName::kFillDown, 'w'),
         {StandardShortcut::None, "Ctrl+D", KeyScope::List},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->FillDown(); }},
        {IDM_FILL_SERIES,
         MenuText(BulkEditName::kFillSeries, 'l', true),
         {},
         hasRows,
         [](Dialog& dialog) { dialog.m_pBulkEdits->FillSeries(); }},
        {IDM_FILL_RASTER,
         MenuText(BulkEditName::kFillRaster, 'i', true),
         {},
         SharedEditorCommands::HasTable<Dialog>,
         [](Dialog& dialog) { dialog.m_pBulkEdits->FillRaster(); }},
    };
}

ChannelListAccess CFrequencyTableDlg::ListAccess()
{
    ChannelListAccess list;
    list.selected = [this] { return SelectedChannels(); };
    list.current = [this] {
        const QModelIndex current = GetListView(IDC_LIST_CHANNELS)->currentIndex();
        return current.isValid() ? current.row() + 1 : 0;
    };
    list.showSelected = [this](const std::vector<std::int32_t>& channels) { ShowBulkResult(channels); };
    list.note = [this](const QString& text) { m_pStatusLine->ShowNote(text); };
    return list;
}

std::vector<std::int32_t> CFrequencyTableDlg::SelectedChannels() const
{
    std::vector<std::int32_t> channels;
    for (const int row : GetListView(IDC_LIST_CHANNELS)->GetSelectedRows())
        channels.push_back(row + 1);
    return channels;
}

void CFrequencyTableDlg::ShowBulkResult(const std::vector<std::int32_t>& selected)
{
    ShowRange(m_document.Mode());
    RefreshList();
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    pList->SetSelectedRows(RowsOf(selected));
    if (!selected.empty()) {
        pList->EnsureVisible(selected.front() - 1);
        ShowChannelNumber(selected.front());
    }
}
