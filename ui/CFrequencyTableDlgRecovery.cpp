// Recovery copies in the channel table editor: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, removed once the table is
// saved or back at its saved state, and offered for restoring in the row menu.
#include "CFrequencyTableDlg.h"

#include <QFile>
#include <QTimer>

#include "EditHistoryUi.h"
#include "FileMessages.h"

namespace {

constexpr int kRecoveryDelayMs = 1000;

} // namespace

void CFrequencyTableDlg::InitRecovery()
{
    m_pRecovery = std::make_unique<RecoveryWriter>("ccf");
    m_pRecoveryTimer = new QTimer(this);
    m_pRecoveryTimer->setSingleShot(true);
    m_pRecoveryTimer->setInterval(kRecoveryDelayMs);
    connect(m_pRecoveryTimer, &QTimer::timeout, this, [this] { WriteRecoveryCopy(); });
    m_document.SetChangeListener([this](ChannelTableDocument::Change change) { OnDocumentChanged(change); });
}

void CFrequencyTableDlg::OnDocumentChanged(ChannelTableDocument::Change change)
{
    switch (change) {
    case ChannelTableDocument::Change::Edited: m_pRecoveryTimer->start(); break;
    case ChannelTableDocument::Change::AboutToReplace:
        // The table being dropped keeps its copy, up to its last change.
        if (m_pRecoveryTimer->isActive()) {
            m_pRecoveryTimer->stop();
            WriteRecoveryCopy();
        }
        break;
    case ChannelTableDocument::Change::Replaced: m_pRecovery->StartNewCopy(); break;
    }
}

void CFrequencyTableDlg::WriteRecoveryCopy()
{
    // The image is taken here, the writing is done by the writer's thread.
    if (m_document.Modified())
        m_pRecovery->Write(m_document.Table()->FileImage(), m_document.Source().empty() ? "new" : m_document.Source());
    else
        m_pRecovery->Remove();
}

void CFrequencyTableDlg::KeepRecoveryCopy()
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

void CFrequencyTableDlg::AppendRestoreItem(std::vector<MenuItem>& items) const
{
    AppendRestoreMenuItem(items, !RestorableCopies("ccf", m_pRecovery->CurrentPath()).empty());
}

void CFrequencyTableDlg::OnRestoreUnsavedTable()
{
    const std::vector<RecoveryCopy> copies = RestorableCopies("ccf", m_pRecovery->CurrentPath());
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
