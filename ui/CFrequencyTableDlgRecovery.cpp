// Recovery copies in the channel table editor: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, removed once the table is
// saved or back at its saved state, and offered for restoring in the row menu.
#include "CFrequencyTableDlg.h"

#include <QFile>

#include "DocumentRecovery.h"
#include "FileMessages.h"

void CFrequencyTableDlg::InitRecovery()
{
    m_pRecovery = std::make_unique<DocumentRecovery<ChannelTableDocument>>(this, m_document, "ccf");
}

void CFrequencyTableDlg::KeepRecoveryCopy()
{
    if (m_pRecovery)
        m_pRecovery->Keep();
}

void CFrequencyTableDlg::AppendRestoreItem(std::vector<MenuItem>& items) const
{
    AppendRestoreMenuItem(items, m_pRecovery->AnyRestorableCopy());
}

void CFrequencyTableDlg::OnRestoreUnsavedTable()
{
    const std::vector<RecoveryCopy> copies = m_pRecovery->RestorableCopies();
    const RecoveryCopy* pCopy = ChooseRecoveryCopy(Services(), this, copies, true);
    if (!pCopy)
        return;
    const ChannelTableDocument::StepScope step = m_document.BeginStep({});
    FileError error;
    if (!m_document.Restore(pCopy->path, pCopy->source == "new" ? std::string() : pCopy->source, error)) {
        ShowFileError(Services(), this, FileAction::Load, QFile::decodeName(pCopy->path.c_str()), error);
        return;
    }
    ShowLoadedTable();
    // The table is back in the editor, unsaved: its copy is this editor's now.
    RemoveRecoveryCopy(pCopy->path);
}
