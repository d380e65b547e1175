// Import... and Export... of the channel table editor: a whole table as JSON,
// or channel lists as CSV (the list being edited is exported), in the formats
// of vornalix-tool; and Check Table (ChannelTableCheck.h), whose findings
// select the row each names.

#include <QFile>

#include "ui/channel/CFrequencyTableDlg.h"

#include "edit/TableTransfer.h"
#include "res/resource.h"
#include "ui/channel/ChannelTableCheck.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorStatusLine.h"

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
    m_pTableCheck->Show();
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
