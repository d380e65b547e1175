// Undo and redo in the channel table editor. The displays follow the
// document's announcement of each step; the commands, their items and keys
// are the editor's registry's.
#include "CFrequencyTableDlg.h"

#include "ListView.h"
#include "resource.h"

// The displays follow the document's announcement of each undo and redo.
void CFrequencyTableDlg::OnUndo()
{
    m_bHistoryMove = true;
    m_document.Undo();
    m_bHistoryMove = false;
}

void CFrequencyTableDlg::OnRedo()
{
    m_bHistoryMove = true;
    m_document.Redo();
    m_bHistoryMove = false;
}
