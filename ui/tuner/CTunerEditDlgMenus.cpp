// The tuner editor's commands: its registry, from which come the menu bar
// (the buttons' commands under File with the desktop's keys, Save to the file
// the table came from, the recent files, Undo, Redo, the commands between the
// list and the inputs and Select All, the About box under Help), the row menu
// and the keys the editor takes itself.

#include <QFile>

#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"
#include "ui/tuner/TunerTableCheck.h"

#include "edit/TableTransfer.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tables/analysis/TableChecks.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorStatusLine.h"

const EditorCommands<CTunerEditDlg>& CTunerEditDlg::Commands()
{
    using Dialog = CTunerEditDlg;
    using Shared = SharedEditorCommands;
    // Copy to Inputs needs an entry to copy: the first selected one, which is
    // also the one the row menu opens on. Replace Entry needs a table; what
    // the inputs hold is judged when it runs, with Add Info's messages.
    static const EditorCommand<Dialog> copyToInputs = {IDM_COPY_TO_INPUTS,
                                                       "&Copy to Inputs",
                                                       {},
                                                       [](const Dialog& dialog) { return dialog.HasSelectedEntry(); },
                                                       &Dialog::OnCopyToInputs};
    static const EditorCommand<Dialog> replaceEntry = {
        IDM_REPLACE_ENTRY, "R&eplace Entry", {}, Shared::HasTable<Dialog>, &Dialog::OnReplaceEntry};
    // Enabled while the chosen factory and tuner type name a shipped tuner.
    static const EditorCommand<Dialog> fillFromTunerData = {
        IDM_FILL_FROM_TUNER_DATA,
        "Fill from &Tuner Data",
        {},
        [](const Dialog& dialog) { return dialog.ChosenShippedTuner() != nullptr; },
        &Dialog::OnFillFromTunerData};
    static const EditorCommands<Dialog> commands(
        {
            Shared::FileMenu<Dialog>(IDC_BUTTON_CREATE_TABLE),
            {kEditMenuTitle,
             {Shared::History<Dialog>(),
              {copyToInputs, fillFromTunerData, replaceEntry},
              {Shared::SelectAll<Dialog>(IDC_LIST_TUNERS)}}},
            {kViewMenuTitle,
             {{EditorCommand<Dialog>::Toggle(
                 IDM_COLUMN_BAND_EDGES, "Band &Edges", [](const Dialog& dialog) { return dialog.ShowsBandEdges(); },
                 [](Dialog& dialog) { dialog.ToggleBandEdges(); }, kColumnsMenuText)}}},
            {kTableMenuTitle, {{Shared::CheckTable<Dialog>()}}},
            Shared::HelpMenu<Dialog>(),
        },
        {{{IDM_DELETE_TUNER, kDeleteTunerStepName, {}, {}, &Dialog::OnDeleteTuner}, copyToInputs, replaceEntry},
         Shared::History<Dialog>()},
        Shared::Unshown<Dialog>());
    return commands;
}

void CTunerEditDlg::InitMenus()
{
    const QString recentKind = QString::fromLatin1(kTunerRecentKind);
    m_pFrame = new EditorFrame(*this, Commands().BarTemplate(), [this] { UpdateCommandStates(); });
    m_pFrame->MenuBar()->SetRecentKind(recentKind);
}

void CTunerEditDlg::OnOpenRecent(int index)
{
    OpenRecentFile(Services(), this, QString::fromLatin1(kTunerRecentKind), index,
                   [this](const QString& path) { return OpenFile(path); });
}

void CTunerEditDlg::UpdateCommandStates()
{
    if (m_pFrame)
        Commands().UpdateBar(*m_pFrame->MenuBar(), *this);
}

bool CTunerEditDlg::PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent)
{
    return Commands().HandleKey(*this, pEvent, focusWidget() == GetDlgItem(IDC_LIST_TUNERS)) ||
           CDialog::PreTranslateMessage(pTarget, pEvent);
}

void CTunerEditDlg::OnSave()
{
    if (SaveToKnownFile(m_document, Services(), this, QString::fromLatin1(kTunerRecentKind), [this] { OnSaveAs(); }))
        m_pStatusLine->ShowNote(SavedNote(QFile::decodeName(QByteArray::fromStdString(m_document.SavePath()))));
}

void CTunerEditDlg::OnImport()
{
    const std::optional<QString> chosen =
        Services().ChooseFile(TransferFileRequest(FileCommand::Import, FileNamesOf(m_document), false));
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    std::unique_ptr<TunerSpecTable> pTable;
    TransferError error;
    if (!ImportTunerTableFile(path, pTable, error)) {
        ShowTransferError(Services(), this, true, path, error);
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.Import(std::move(pTable)))
        EnableInputControls();
}

void CTunerEditDlg::OnExport()
{
    if (!m_document.HasTable())
        return;
    const FileDialogRequest request = TransferFileRequest(FileCommand::Export, FileNamesOf(m_document), false);
    const std::optional<FileChoice> chosen = Services().ChooseFileAndFilter(request);
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(ResolveTransferTarget(request, *chosen).path).toStdString();
    TransferError error;
    if (!ExportTunerTableFile(path, *m_document.Table(), error))
        ShowTransferError(Services(), this, false, path, error);
    else
        m_pStatusLine->ShowNote(ExportedNote(QFile::decodeName(QByteArray::fromStdString(path))));
}

void CTunerEditDlg::OnCheckTable()
{
    m_pTableCheck->Show();
}

void CTunerEditDlg::ShowFinding(std::int32_t iEntry)
{
    ListView* pList = GetListView(IDC_LIST_TUNERS);
    if (iEntry < 1 || iEntry > pList->GetItemCount())
        return;
    pList->SetCurrentRow(iEntry - 1);
    pList->EnsureVisible(iEntry - 1);
    // As a click on the row: the entry's details are shown.
    OnClickListTuner();
    activateWindow();
}
