// Undo and redo in the channel table editor. The displays follow the
// document's announcement of each step; the commands, their items and keys
// are the editor's registry's.
#include "CFrequencyTableDlg.h"

#include "ListView.h"
#include "resource.h"

// The displays follow the document's announcement of each undo and redo.
void CFrequencyTableDlg::OnUndo()
{
    m_document.Undo();
}

void CFrequencyTableDlg::OnRedo()
{
    m_document.Redo();
}
