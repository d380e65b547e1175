// Undo and redo in the tuner editor. The list and the details follow the
// document's announcement of each step, and the input controls stay enabled
// once a table was made; the commands, their items and keys are the editor's
// registry's.
#include "ui/tuner/CTunerEditDlg.h"

#include "res/resource.h"
#include "ui/dialog/ListView.h"

// The list and the details follow the document's announcement of each undo and redo.
void CTunerEditDlg::OnUndo()
{
    if (m_document.Undo())
        ForgetGoneEntry();
}

void CTunerEditDlg::OnRedo()
{
    if (m_document.Redo())
        ForgetGoneEntry();
}
