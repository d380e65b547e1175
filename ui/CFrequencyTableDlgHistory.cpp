// Undo and redo in the channel table editor: the keys and the row menu's items.
#include "CFrequencyTableDlg.h"

#include <QKeyEvent>

#include "EditHistoryUi.h"
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

bool CFrequencyTableDlg::OnHistoryCommand(int id)
{
    if (id == IDM_UNDO)
        OnUndo();
    else if (id == IDM_REDO)
        OnRedo();
    else if (id == IDM_RESTORE_UNSAVED)
        OnRestoreUnsavedTable();
    else
        return false;
    return true;
}

bool CFrequencyTableDlg::HandleHistoryKey(QKeyEvent* pEvent)
{
    switch (HistoryKeyOf(pEvent)) {
    case HistoryKey::Undo: OnUndo(); return true;
    case HistoryKey::Redo: OnRedo(); return true;
    case HistoryKey::None: break;
    }
    return false;
}

void CFrequencyTableDlg::AppendHistoryItems(std::vector<MenuItem>& items) const
{
    for (MenuItem& item : HistoryMenuItems(m_document.UndoName(), m_document.RedoName()))
        items.push_back(std::move(item));
}
