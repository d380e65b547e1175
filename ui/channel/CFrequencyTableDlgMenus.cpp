// The channel table editor's commands: its registry, from which come the
// menu bar (File, Edit, Table and Help with the desktop's keys), the row
// menu and the keys the editor takes itself; and the commands only the menus
// offer (Save, Open Recent, Go to Channel, Find Frequency, the row menu's
// own items).

#include <cmath>

#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/channel/FrequencyCells.h"
#include "ui/channel/compare/ChannelTableCompare.h"
#include "ui/channel/matrix/ChannelCoverageMatrix.h"

#include "res/Strings.h"
#include "res/resource.h"
#include "tables/text/Numbers.h"
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
                &Dialog::OnGoToChannel},
               {IDM_FIND_FREQUENCY, "&Find Frequency...", {StandardShortcut::Find}, hasTable, &Dialog::OnFindFrequency},
               {IDM_FIND_REPLACE,
                "Find and Replace...",
                {StandardShortcut::None, "Ctrl+H"},
                hasTable,
                [](Dialog& dialog) { dialog.m_pBulkEdits->FindAndReplace(); }},
               {IDM_EDIT_FREQUENCY,
                MenuText(ChannelCommandName::kEditFrequency, 'q'),
                {StandardShortcut::None, "F2", KeyScope::List},
                hasTable,
                &Dialog::OnEditFrequency}},
              {Shared::SelectAll<Dialog>(IDC_LIST_CHANNELS)}}},
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
    // and the indices; asking row by row for the next one would cost a
    // scan of the selection per row.
    const std::vector<int> rows = GetListView(IDC_LIST_CHANNELS)->GetSelectedRows();
    if (rows.size() == 1) {
        DeleteItem(m_iSelIndex);
        return;
    }
    if (rows.empty())
        return;
    std::vector<std::int32_t> indices;
    indices.reserve(rows.size());
    for (int row : rows)
        indices.push_back(row + 1);
    DeleteItems(indices);
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

void CFrequencyTableDlg::OnGoToChannel()
{
    if (!m_document.HasTable())
        return;
    const std::int32_t iCount = m_document.CurrentCount();
    if (iCount == 0) {
        Services().ShowMessage(this, Text(kEmptyListText), MessageIcon::Exclamation);
        return;
    }
    const QString current = m_iEditIndex > 0 ? QString::number(m_iEditIndex) : QString();
    const auto values = Services().AskValues(this, {Text(kGoToChannelTitle), {{Text(kGoToChannelLabel), current}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    std::int64_t iChannel = 0;
    if (!ParseInteger(typed.toStdString(), iChannel) || iChannel < 1 || iChannel > iCount) {
        Services().ShowMessage(this, Text(kNoSuchChannelText).arg(typed).arg(iCount), MessageIcon::Exclamation);
        return;
    }
    SelectChannel(static_cast<std::int32_t>(iChannel));
}

void CFrequencyTableDlg::OnEditFrequency()
{
    GotoDlgCtrl(IDC_LIST_CHANNELS);
    m_pFrequencyCells->EditCurrent();
}

void CFrequencyTableDlg::OnFindFrequency()
{
    if (!m_document.HasTable())
        return;
    const auto values = Services().AskValues(this, {Text(kFindFrequencyTitle), {{Text(kFindFrequencyLabel), {}}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    double dbFrequency = 0.0;
    if (!ParseDouble(typed.toStdString(), dbFrequency) || !std::isfinite(dbFrequency)) {
        Services().ShowMessage(this, Text(kNotAFrequencyText).arg(typed), MessageIcon::Exclamation);
        return;
    }
    const std::int32_t iChannel = m_document.NearestChannel(dbFrequency);
    if (iChannel == 0) {
        Services().ShowMessage(this, Text(kNoFrequencyInListText), MessageIcon::Exclamation);
        return;
    }
    SelectChannel(iChannel);
}
