// The commands of the parts that act on the list's rows, as the parts list
// and run them: the bulk edits (ChannelBulkEdits.h), after which the list and
// the range are shown again and the rows stay selected where they went, and
// Copy and Paste of rows (ChannelClipboard.h).
#include "ui/channel/CFrequencyTableDlg.h"

#include "res/resource.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/channel/ChannelClipboard.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/EditorStatusLine.h"

template <class Part>
CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::CommandsOf(const std::vector<PartCommand<Part>>& commands,
                                                                Part& (*part)(CFrequencyTableDlg&))
{
    using Dialog = CFrequencyTableDlg;
    const auto hasRows = [](const Dialog& dialog) {
        return dialog.m_document.HasTable() && dialog.GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1) >= 0;
    };
    CommandGroup<Dialog> group;
    for (const PartCommand<Part>& command : commands)
        group.push_back({command.id, command.text, command.key,
                         command.bOnSelectedRows ? EditorCommand<Dialog>::Rule(hasRows)
                                                 : EditorCommand<Dialog>::Rule(SharedEditorCommands::HasTable<Dialog>),
                         [part, run = command.run](Dialog& dialog) { run(part(dialog)); }});
    return group;
}

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::BulkCommands()
{
    return CommandsOf<ChannelBulkEdits>(
        ChannelBulkEdits::Commands(),
        [](CFrequencyTableDlg& dialog) -> ChannelBulkEdits& { return *dialog.m_pBulkEdits; });
}

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::ClipboardCommands()
{
    return CommandsOf<ChannelClipboard>(
        ChannelClipboard::Commands(),
        [](CFrequencyTableDlg& dialog) -> ChannelClipboard& { return *dialog.m_pClipboard; });
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
    std::vector<int> rows(selected.begin(), selected.end());
    for (int& row : rows)
        --row;
    pList->SetSelectedRows(rows);
    if (!selected.empty()) {
        pList->EnsureVisible(selected.front() - 1);
        ShowChannelNumber(selected.front());
    }
}
