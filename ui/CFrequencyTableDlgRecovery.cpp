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
    m_pRecovery = std::make_unique<DocumentRecovery<ChannelTableDocument>>(
        this, m_document, "ccf", [this](const QString& problem) { Services().ShowNote(this, problem); });
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
    m_pRecovery->RestoreChosenCopy(Services(), this, [this] { ShowLoadedTable(); });
}
