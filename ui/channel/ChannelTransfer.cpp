#include "ui/channel/ChannelTransfer.h"

#include <QFile>

#include "edit/ChannelTableDocument.h"
#include "edit/TableTransfer.h"
#include "ui/app/UserServices.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

ChannelTransfer::ChannelTransfer(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                 ChannelListAccess list, EditorSteps steps)
    : m_document(document), m_services(services), m_owner(owner), m_list(std::move(list)), m_steps(std::move(steps))
{
}

void ChannelTransfer::Import()
{
    const FileDialogRequest request = TransferFileRequest(FileCommand::Import, FileNamesOf(m_document), true);
    const std::optional<FileChoice> chosen = m_services.ChooseFileAndFilter(request);
    if (!chosen)
        return;
    const TransferTarget target = ResolveTransferTarget(request, *chosen);
    const std::string path = LocalPath(target.path);
    if (target.format == TransferFormat::Csv) {
        ImportLists(path);
        return;
    }
    std::unique_ptr<ChannelTable> pTable;
    TransferError error;
    if (!ImportChannelTableFile(path, pTable, error)) {
        ShowTransferError(m_services, &m_owner, true, path, error);
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.Import(std::move(pTable)))
        m_steps.showTable();
}

void ChannelTransfer::ImportLists(const std::string& path)
{
    ChannelCsvLists lists;
    TransferError error;
    // The list shown, or the air list a new table will show.
    const std::int32_t iTarget = m_document.HasTable() ? m_document.Mode() : ChannelModeAir;
    if (!ImportChannelListsFile(path, iTarget, lists, error)) {
        ShowTransferError(m_services, &m_owner, true, path, error);
        return;
    }
    // One step named after the import, even when it first makes a table.
    const ChannelTableDocument::StepScope step = m_document.BeginStep("Import");
    if (!m_document.HasTable())
        m_steps.createTable();
    for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        if ((lists.bListColumn || iMode == iTarget) && !m_document.ReplaceList(iMode, lists.Of(iMode)))
            return;
    }
    m_steps.showLists();
}

void ChannelTransfer::Export()
{
    if (!m_document.HasTable())
        return;
    const FileDialogRequest request = TransferFileRequest(FileCommand::Export, FileNamesOf(m_document), true);
    const std::optional<FileChoice> chosen = m_services.ChooseFileAndFilter(request);
    if (!chosen)
        return;
    const TransferTarget target = ResolveTransferTarget(request, *chosen);
    const std::string path = LocalPath(target.path);
    TransferError error;
    const bool bWritten = target.format == TransferFormat::Csv
                              ? ExportChannelListFile(path, m_document.CurrentFrequencies(), error)
                              : ExportChannelTableFile(path, *m_document.Table(), error);
    if (!bWritten)
        ShowTransferError(m_services, &m_owner, false, path, error);
    else
        m_list.note(ExportedNote(target.path));
}
