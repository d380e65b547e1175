// Recovery copies in the tuner editor: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, removed once the table is
// saved or back at its saved state, and offered for restoring in the row menu.
#include "CTunerEditDlg.h"

#include <QFile>

#include "DocumentRecovery.h"
#include "FileMessages.h"

void CTunerEditDlg::InitRecovery()
{
    m_pRecovery = std::make_unique<DocumentRecovery<TunerTableDocument>>(
        this, m_document, "tsf", [this](const QString& problem) { Services().ShowNote(this, problem); });
}

void CTunerEditDlg::KeepRecoveryCopy()
{
    if (m_pRecovery)
        m_pRecovery->Keep();
}

void CTunerEditDlg::AppendRestoreItem(std::vector<MenuItem>& items) const
{
    AppendRestoreMenuItem(items, m_pRecovery->AnyRestorableCopy());
}

void CTunerEditDlg::OnRestoreUnsavedTable()
{
    m_pRecovery->RestoreChosenCopy(Services(), this, [this] { EnableInputControls(); });
}
