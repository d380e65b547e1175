// Copy and Paste of channel rows in the channel table editor's commands,
// run by their part (ChannelClipboard.h). Both keep the desktop's keys,
// which a focused text field keeps for its own text.
#include "ui/channel/CFrequencyTableDlg.h"

#include "res/resource.h"
#include "ui/channel/ChannelClipboard.h"
#include "ui/dialog/ListView.h"

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::ClipboardCommands()
{
    using Dialog = CFrequencyTableDlg;
    const auto hasRows = [](const Dialog& dialog) {
        return dialog.m_document.HasTable() && dialog.GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1) >= 0;
    };
    // The clipboard is not asked whether it holds text before the command
    // runs: on X11 that is a round trip to another program at every key.
    // KeyScope::Window: a focused field keeps Ctrl+C and Ctrl+V for its text.
    return {
        {IDM_COPY_ROWS,
         "Cop&y",
         {StandardShortcut::Copy},
         hasRows,
         [](Dialog& dialog) { dialog.m_pClipboard->Copy(); }},
        {IDM_PASTE_ROWS,
         "Pas&te",
         {StandardShortcut::Paste},
         SharedEditorCommands::HasTable<Dialog>,
         [](Dialog& dialog) { dialog.m_pClipboard->Paste(false); }},
        // With a row selected, Paste goes before it: this appends.
        {IDM_PASTE_AT_END,
         "Paste at &End",
         {},
         SharedEditorCommands::HasTable<Dialog>,
         [](Dialog& dialog) { dialog.m_pClipboard->Paste(true); }},
    };
}
