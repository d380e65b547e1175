// Import... and Export... of the channel table editor: a whole table as JSON,
// or the list being edited as CSV, in the formats of vornalix-tool; and Check
// Table, whose findings list selects the row each names.

#include <QFile>
#include <QPointer>

#include "CFrequencyTableDlg.h"
#include "CTableFindingsWindow.h"
#include "EditorFileCommands.h"
#include "ListView.h"
#include "TableChecks.h"
#include "TableTransfer.h"
#include "resource.h"

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

void CFrequencyTableDlg::OnImport()
{
    const std::optional<QString> chosen = Services().ChooseFile(TransferFileRequest(true, true));
    if (!chosen)
        return;
    const std::string path = LocalPath(*chosen);
    TransferError error;
    if (IsCsvFile(*chosen)) {
        std::vector<double> frequencies;
        if (!ImportChannelListFile(path, frequencies, error)) {
            ShowTransferError(Services(), this, true, path, error);
            return;
        }
        // One step named after the import, even when it first makes a table.
        const ChannelTableDocument::StepScope step = m_document.BeginStep("Import", ChannelTableDocument::NoLists);
        // A list needs a table to go into: a new one, as "Create New" makes it.
        if (!m_document.HasTable())
            OnCreateNew();
        if (!m_document.ReplaceList(m_document.Mode(), frequencies))
            return;
        ShowRange(m_document.Mode());
        RefreshList();
        ShowChannelNumber(1);
        return;
    }
    std::unique_ptr<ChannelTable> pTable;
    if (!ImportChannelTableFile(path, pTable, error)) {
        ShowTransferError(Services(), this, true, path, error);
        return;
    }
    const ChannelTableDocument::StepScope step = m_document.BeginStep({});
    if (m_document.Import(std::move(pTable)))
        ShowLoadedTable();
}

void CFrequencyTableDlg::OnExport()
{
    if (!m_document.HasTable())
        return;
    const std::optional<QString> chosen = Services().ChooseFile(TransferFileRequest(false, true));
    if (!chosen)
        return;
    const std::string path = LocalPath(*chosen);
    TransferError error;
    const bool bWritten = IsCsvFile(*chosen) ? ExportChannelListFile(path, m_document.CurrentFrequencies(), error)
                                             : ExportChannelTableFile(path, *m_document.Table(), error);
    if (!bWritten)
        ShowTransferError(Services(), this, false, path, error);
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
    }
    m_pFindings->ShowFindings(findings, FindingKind::Channel);
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
