// The channel table editor's commands: its registry, from which come the
// menu bar (File, Edit, Table and Help with the desktop's keys), the row
// menu and the keys the editor takes itself; and the commands only the menus
// offer (Save, Open Recent, New from Plan, undo and redo, the row menu's own
// items); Go to Channel and Find Frequency are their part's
// (ChannelNavigation.h).

#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/channel/ChannelNavigation.h"
#include "ui/channel/ChannelRows.h"
#include "ui/channel/ChannelTableFromPlan.h"
#include "ui/channel/FrequencyCells.h"
#include "ui/channel/compare/ChannelTableCompare.h"
#include "ui/channel/matrix/ChannelCoverageMatrix.h"

#include "res/Strings.h"
#include "res/resource.h"
#include "ui/app/RecentFiles.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

const char* const kRecentKind = kChannelRecentKind;

QString Text(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

const EditorCommands<CFrequencyTableDlg>& CFrequencyTableDlg::Commands()
{
    using Dialog = CFrequencyTableDlg;
    using Shared = SharedEditorCommands;
    const auto hasTable = Shared::HasTable<Dialog>;
    // The row menu's own items lead it, with the captions they always had.
    const CommandGroup<Dialog> rowItems = {
        {IDM_INSERT_BLANK_ITEM, ChannelCommandName::kInsertBlankItem, {}, {}, &Dialog::OnInsertBlankItem},
        {IDM_DELETE_ITEM, ChannelCommandName::kDeleteItem, {}, {}, &Dialog::OnDeleteSelectedItems},
    };
    static const EditorCommands<Dialog> commands(
        {
            Shared::FileMenu<Dialog>(
                IDC_BUTTON_CREATE_NEW,
                {{IDM_NEW_FROM_PLAN,
                  "New from &Plan...",
                  {StandardShortcut::None, "Ctrl+P", KeyScope::Editor},
                  {},
                  &Dialog::OnNewFromPlan}},
                {{IDM_COMPARE_WITH, "Co&mpare With...", {}, {}, [](Dialog& dialog) { dialog.m_pCompare->Ask(); }}}),
            {kEditMenuTitle,
             {Shared::History<Dialog>(),
              ClipboardCommands(),
              BulkCommands(),
              {{IDM_GOTO_CHANNEL,
                "&Go to Channel...",
                {StandardShortcut::None, "Ctrl+G"},
                hasTable,
                [](Dialog& dialog) { dialog.m_pNavigation->GoToChannel(dialog.m_iEditIndex); }},
               {IDM_FIND_FREQUENCY,
                "&Find Frequency...",
                {StandardShortcut::Find},
                hasTable,
                [](Dialog& dialog) { dialog.m_pNavigation->FindFrequency(); }},
               {IDM_FIND_REPLACE,
                "Find and Replace...",
                {StandardShortcut::None, "Ctrl+H"},
                hasTable,
                [](Dialog& dialog) { dialog.m_pBulkEdits->FindAndReplace(); }},
               {IDM_EDIT_FREQUENCY,
                MenuText(ChannelCommandName::kEditFrequency, 'q'),
                {StandardShortcut::None, "F2", KeyScope::List},
                hasTable,
                [](Dialog& dialog) {
                    dialog.GotoDlgCtrl(IDC_LIST_CHANNELS);
                    dialog.m_pFrequencyCells->EditCurrent();
                }}},
              {Shared::SelectAll<Dialog>(IDC_LIST_CHANNELS)}}},
            {kViewMenuTitle, {ColumnCommands()}},
            {kTableMenuTitle,
             {{Shared::CheckTable<Dialog>(),
               {IDM_CHECK_AGAINST_TUNER,
                "Check &Against Tuner...",
                {StandardShortcut::None, "Shift+F7"},
                hasTable,
                &Dialog::OnCheckAgainstTuner},
               {IDM_BAND_CHART, kBandChartMenuItem, {}, {}, &Dialog::OnBandChart},
               {IDM_COVERAGE_MATRIX, kMatrixMenuItem, {}, {}, [](Dialog& dialog) { dialog.m_pMatrix->Ask(); }},
               {IDC_BUTTON_CONVERT, "Con&vert Old Table...", {}, {}, &Dialog::OnConvert}}}},
            Shared::HelpMenu<Dialog>(),
        },
        {rowItems, BulkCommands(), Shared::History<Dialog>()}, Shared::Unshown<Dialog>());
    return commands;
}

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::ColumnCommands()
{
    using Dialog = CFrequencyTableDlg;
    CommandGroup<Dialog> toggles;
    // Their ids follow the columns' order.
    for (ChannelColumn column : {ChannelColumn::Plan, ChannelColumn::Band, ChannelColumn::Check}) {
        const char* name = ChannelColumnName(column);
        toggles.push_back(EditorCommand<Dialog>::Toggle(
            IDM_COLUMN_PLAN + static_cast<int>(column), MenuText(name, name[0]).c_str(),
            [column = column](const Dialog& dialog) { return dialog.m_pRows->Shows(column); },
            [column = column](Dialog& dialog) { dialog.m_pRows->ToggleColumn(column); }, kColumnsMenuText));
    }
    return toggles;
}

void CFrequencyTableDlg::InitMenus()
{
    m_pFrame = new EditorFrame(*this, Commands().BarTemplate(), [this] { UpdateCommandStates(); });
    m_pFrame->MenuBar()->SetRecentKind(Text(kRecentKind));
}

void CFrequencyTableDlg::UpdateCommandStates()
{
    if (m_pFrame)
        Commands().UpdateBar(*m_pFrame->MenuBar(), *this);
}

void CFrequencyTableDlg::OnInsertBlankItem()
{
    InsertBlankItem(m_iSelIndex);
}

void CFrequencyTableDlg::OnDeleteSelectedItems()
{
    // One query of the selection in ascending order serves both the count
    // and the channels; asking row by row for the next one would cost a
    // scan of the selection per row.
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (channels.size() == 1)
        DeleteItem(m_iSelIndex);
    else if (!channels.empty())
        DeleteItems(channels);
}

void CFrequencyTableDlg::RememberFile(const QString& path)
{
    RecentFiles(Text(kRecentKind)).Add(path);
}

void CFrequencyTableDlg::OnSave()
{
    if (SaveToKnownFile(m_document, Services(), this, Text(kRecentKind), [this] { OnSaveAs(); }))
        m_pStatusLine->ShowNote(SavedNote(QFile::decodeName(QByteArray::fromStdString(m_document.SavePath()))));
}

void CFrequencyTableDlg::OnOpenRecent(int index)
{
    OpenRecentFile(Services(), this, Text(kRecentKind), index, [this](const QString& path) { return OpenFile(path); });
}

void CFrequencyTableDlg::SelectChannel(std::int32_t iChannel)
{
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    // The current row as well as the selection, so that Shift+arrows extend from it.
    pList->SetCurrentRow(iChannel - 1);
    pList->EnsureVisible(iChannel - 1);
    pList->setFocus(Qt::ShortcutFocusReason);
    // As a click on the row: the channel is shown for "Save value".
    OnClickList();
}

void CFrequencyTableDlg::OnNewFromPlan()
{
    ChannelTableFromPlan(m_document, Services(), *this).NewFromPlan([this] { ShowLoadedTable(m_document.Mode(), 1); });
}

// Undo and redo: the displays follow the document's announcement of each step.
void CFrequencyTableDlg::OnUndo()
{
    MoveThroughHistory(false);
}

void CFrequencyTableDlg::OnRedo()
{
    MoveThroughHistory(true);
}

void CFrequencyTableDlg::MoveThroughHistory(bool bForward)
{
    const ChannelTable* pTableBefore = m_document.Table();
    const std::int32_t iCodeBefore = m_document.CountryCode();
    m_bHistoryMove = true;
    const bool bMoved = bForward ? m_document.Redo() : m_document.Undo();
    m_bHistoryMove = false;
    // A step that brought another table back, or another code, shows the
    // table's own code in place of one typed and refused.
    if (bMoved && (m_document.Table() != pTableBefore || m_document.CountryCode() != iCodeBefore)) {
        ShowTableCode();
        ShowCountryCode();
    }
}
