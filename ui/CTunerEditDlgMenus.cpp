// The tuner editor's menu bar: the buttons' commands under File with the
// desktop's keys, Save to the file the table came from, the recent files,
// Undo, Redo and Select All, and the About box under Help.

#include <QFile>

#include "CAboutDlg.h"
#include "CTableFindingsWindow.h"
#include "CTunerEditDlg.h"
#include "DialogMenuBar.h"
#include "EditHistoryUi.h"
#include "EditorFileCommands.h"
#include "ListView.h"
#include "Strings.h"
#include "TableChecks.h"
#include "TableTransfer.h"
#include "resource.h"

void CTunerEditDlg::InitMenus()
{
    const QString recentKind = QString::fromLatin1(kTunerRecentKind);
    AddMenuBar(TunerEditorMenuBar()).SetRecentKind(recentKind);
    OnClicked(IDM_SAVE, [this, recentKind] {
        SaveToKnownFile(m_document, Services(), this, recentKind, [this] { OnSaveFile(); });
    });
    OnClicked(IDM_IMPORT, [this] { OnImport(); });
    OnClicked(IDM_EXPORT, [this] { OnExport(); });
    OnClicked(IDM_CHECK_TABLE, [this] { OnCheckTable(); });
    OnClicked(IDM_SELECT_ALL, [this] { GetListView(IDC_LIST_TUNERS)->selectAll(); });
    OnClicked(IDM_ABOUTBOX, [this] {
        CAboutDlg about(Services());
        Services().RunModal(about);
    });
    for (int command = IDM_RECENT_FIRST; command <= IDM_RECENT_LAST; ++command) {
        OnClicked(command, [this, recentKind, command] {
            OpenRecentFile(Services(), this, recentKind, command - IDM_RECENT_FIRST,
                           [this](const QString& path) { return OpenFile(path); });
        });
    }
}

void CTunerEditDlg::UpdateCommandStates()
{
    DialogMenuBar* pBar = MenuBar();
    if (!pBar)
        return;
    const bool bTable = m_document.HasTable();
    for (int command : {IDM_SAVE, IDC_BUTTON_SAVE_FILE, IDM_EXPORT, IDM_CHECK_TABLE, IDM_SELECT_ALL})
        pBar->SetEnabled(command, bTable);
    UpdateHistoryItems(*pBar, m_document.UndoName(), m_document.RedoName());
}

void CTunerEditDlg::OnImport()
{
    const std::optional<QString> chosen = Services().ChooseFile(TransferFileRequest(true, false));
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    std::unique_ptr<TunerSpecTable> pTable;
    TransferError error;
    if (!ImportTunerTableFile(path, pTable, error)) {
        ShowTransferError(Services(), this, true, path, error);
        return;
    }
    const TunerTableDocument::StepScope step = m_document.BeginStep({});
    if (m_document.Import(std::move(pTable)))
        EnableInputControls();
}

void CTunerEditDlg::OnExport()
{
    if (!m_document.HasTable())
        return;
    const std::optional<QString> chosen = Services().ChooseFile(TransferFileRequest(false, false));
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    TransferError error;
    if (!ExportTunerTableFile(path, *m_document.Table(), error))
        ShowTransferError(Services(), this, false, path, error);
}

void CTunerEditDlg::OnCheckTable()
{
    if (!m_document.HasTable())
        return;
    std::vector<TableFinding> findings;
    CheckTunerTableInMemory(*m_document.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    if (!m_pFindings) {
        m_pFindings = new CTableFindingsWindow(this);
        m_pFindings->onActivate = [this](int, int position) { ShowFinding(position); };
    }
    m_pFindings->ShowFindings(findings, FindingKind::Tuner);
}

void CTunerEditDlg::ShowFinding(std::int32_t iEntry)
{
    ListView* pList = GetListView(IDC_LIST_TUNERS);
    if (iEntry < 1 || iEntry > pList->GetItemCount())
        return;
    pList->SetSelectedRows({iEntry - 1});
    pList->EnsureVisible(iEntry - 1);
    // As a click on the row: the entry's details are shown.
    OnClickListTuner();
    activateWindow();
}
