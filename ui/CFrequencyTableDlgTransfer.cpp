// Import... and Export... of the channel table editor: a whole table as JSON,
// or channel lists as CSV (the list being edited is exported), in the formats
// of vornalix-tool; and Check
// Table, whose findings list selects the row each names.

#include <QFile>
#include <QPointer>

#include "CFrequencyTableDlg.h"

#include "CTableFindingsWindow.h"
#include "ChannelTunerCheck.h"
#include "EditorFileCommands.h"
#include "EditorStatusLine.h"
#include "ListView.h"
#include "TableChecks.h"
#include "TableTransfer.h"
#include "resource.h"
#include <QTimer>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

void CFrequencyTableDlg::OnImport()
{
    const FileDialogRequest request = TransferFileRequest(FileCommand::Import, FileNamesOf(m_document), true);
    const std::optional<FileChoice> chosen = Services().ChooseFileAndFilter(request);
    if (!chosen)
        return;
    const TransferTarget target = ResolveTransferTarget(request, *chosen);
    const std::string path = LocalPath(target.path);
    TransferError error;
    if (target.format == TransferFormat::Csv) {
        ImportLists(path);
        return;
    }
    std::unique_ptr<ChannelTable> pTable;
    if (!ImportChannelTableFile(path, pTable, error)) {
        ShowTransferError(Services(), this, true, path, error);
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.Import(std::move(pTable)))
        ShowLoadedTable();
}

// A CSV file's lists: a file with a list column replaces both lists (a list
// it gives no rows is emptied), one without it the list shown.
void CFrequencyTableDlg::ImportLists(const std::string& path)
{
    ChannelCsvLists lists;
    TransferError error;
    // The list shown, or the air list a new table will show.
    const std::int32_t iTarget = m_document.HasTable() ? m_document.Mode() : ChannelModeAir;
    if (!ImportChannelListsFile(path, iTarget, lists, error)) {
        ShowTransferError(Services(), this, true, path, error);
        return;
    }
    // One step named after the import, even when it first makes a table.
    const ChannelTableDocument::StepScope step = m_document.BeginStep("Import");
    // A list needs a table to go into: a new one, as "Create New" makes it.
    if (!m_document.HasTable())
        OnCreateNew();
    for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        if ((lists.bListColumn || iMode == iTarget) && !m_document.ReplaceList(iMode, lists.Of(iMode)))
            return;
    }
    ShowRange(ChannelModeAir);
    ShowRange(ChannelModeCable);
    RefreshList();
    ShowChannelNumber(1);
}

void CFrequencyTableDlg::OnExport()
{
    if (!m_document.HasTable())
        return;
    const FileDialogRequest request = TransferFileRequest(FileCommand::Export, FileNamesOf(m_document), true);
    const std::optional<FileChoice> chosen = Services().ChooseFileAndFilter(request);
    if (!chosen)
        return;
    // The list shown, without a list column: the one list the editor edits.
    const TransferTarget target = ResolveTransferTarget(request, *chosen);
    const std::string path = LocalPath(target.path);
    TransferError error;
    const bool bWritten = target.format == TransferFormat::Csv
                              ? ExportChannelListFile(path, m_document.CurrentFrequencies(), error)
                              : ExportChannelTableFile(path, *m_document.Table(), error);
    if (!bWritten)
        ShowTransferError(Services(), this, false, path, error);
    else
        m_pStatusLine->ShowNote(ExportedNote(target.path));
}

void CFrequencyTableDlg::OnCheckTable()
{
    if (!m_document.HasTable())
        return;
    std::vector<TableFinding> findings;
    CheckChannelTableInMemory(*m_document.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    if (!m_pFindings) {
        m_pFindings = new CTableFindingsWindow(this);
        m_pFindings->onActivate = [this](int list, int position) { ShowFinding(list, position); };
        m_pFindingsTimer = new QTimer(m_pFindings);
        m_pFindingsTimer->setSingleShot(true);
        m_pFindingsTimer->setInterval(150);
        connect(m_pFindingsTimer, &QTimer::timeout, this, [this] { RefreshFindings(); });
    }
    // With a tuner chosen, the channels it cannot tune follow the table's own findings.
    m_pFindings->ShowFindings(std::move(findings), FindingKind::Channel, m_pTunerCheck->Findings());
}

// As the status line follows the document, so does the open Table Check
// window: checked again, without taking the focus, once edits pause.
void CFrequencyTableDlg::RefreshFindings()
{
    if (!m_pFindings || !m_pFindings->isVisible())
        return;
    std::vector<TableFinding> findings;
    if (m_document.HasTable()) {
        CheckChannelTableInMemory(*m_document.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    }
    m_pFindings->SetFindings(std::move(findings), FindingKind::Channel, m_pTunerCheck->Findings());
}

void CFrequencyTableDlg::ShowFinding(std::int32_t iList, std::int32_t iChannel)
{
    if (!m_document.HasTable())
        return;
    // The list the finding names is chosen as a person would choose it.
    if ((iList == ChannelModeAir || iList == ChannelModeCable) && iList != m_document.Mode()) {
        ComboSetCurSel(IDC_COMBO_MODE, iList);
        OnSelEndOkMode();
    }
    const auto count = m_document.CurrentCount();
    if (iChannel >= 1 && iChannel <= count)
        SelectChannel(iChannel);
    activateWindow();
}
