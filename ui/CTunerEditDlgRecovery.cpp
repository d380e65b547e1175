// Recovery copies in the tuner editor: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, removed once the table is
// saved or back at its saved state, and offered for restoring in the row menu.
#include "CTunerEditDlg.h"

#include <QFile>
#include <QTimer>

#include "EditHistoryUi.h"
#include "FileMessages.h"

namespace {

constexpr int kRecoveryDelayMs = 1000;

} // namespace

void CTunerEditDlg::InitRecovery()
{
    m_pRecovery = std::make_unique<RecoveryWriter>("tsf");
    m_pRecoveryTimer = new QTimer(this);
    m_pRecoveryTimer->setSingleShot(true);
    m_pRecoveryTimer->setInterval(kRecoveryDelayMs);
    connect(m_pRecoveryTimer, &QTimer::timeout, this, [this] { WriteRecoveryCopy(); });
    m_document.SetChangeListener([this](TunerTableDocument::Change change) { OnDocumentChanged(change); });
}

void CTunerEditDlg::OnDocumentChanged(TunerTableDocument::Change change)
{
    switch (change) {
    case TunerTableDocument::Change::Edited: m_pRecoveryTimer->start(); break;
    case TunerTableDocument::Change::AboutToReplace:
        // The table being dropped keeps its copy, up to its last change.
        if (m_pRecoveryTimer->isActive()) {
            m_pRecoveryTimer->stop();
            WriteRecoveryCopy();
        }
        break;
    case TunerTableDocument::Change::Replaced: m_pRecovery->StartNewCopy(); break;
    }
}

void CTunerEditDlg::WriteRecoveryCopy()
{
    // The image is taken here, the writing is done by the writer's thread.
    if (m_document.Modified())
        m_pRecovery->Write(m_document.Table()->FileImage(), m_document.Source().empty() ? "new" : m_document.Source());
    else
        m_pRecovery->Remove();
}

void CTunerEditDlg::KeepRecoveryCopy()
{
    if (!m_pRecovery)
        return;
    // Leaving the editor drops the table, never its copy: the last change is
    // written now and nothing later removes it.
    m_document.SetChangeListener(nullptr);
    if (m_pRecoveryTimer->isActive()) {
        m_pRecoveryTimer->stop();
        WriteRecoveryCopy();
    }
    m_pRecovery->Flush();
}

void CTunerEditDlg::AppendRestoreItem(std::vector<MenuItem>& items) const
{
    AppendRestoreMenuItem(items, !RestorableCopies("tsf", m_pRecovery->CurrentPath()).empty());
}

void CTunerEditDlg::OnRestoreUnsavedTable()
{
    const std::vector<RecoveryCopy> copies = RestorableCopies("tsf", m_pRecovery->CurrentPath());
    const RecoveryCopy* pCopy = ChooseRecoveryCopy(Services(), this, copies, false);
    if (!pCopy)
        return;
    const TunerTableDocument::StepScope step = m_document.BeginStep({});
    FileError error;
    if (!m_document.Restore(pCopy->path, pCopy->source == "new" ? std::string() : pCopy->source, error)) {
        ShowFileError(Services(), this, FileAction::Load, QFile::decodeName(pCopy->path.c_str()), error);
        return;
    }
    RefreshTableList();
    EnableInputControls();
    // The table is back in the editor, unsaved: its copy is this editor's now.
    RemoveRecoveryCopy(pCopy->path);
}
