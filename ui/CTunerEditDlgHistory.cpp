// Undo and redo in the tuner editor: the keys and the row menu's items. The
// input controls stay enabled once a table was made, whatever is undone.
#include "CTunerEditDlg.h"

#include <QKeyEvent>

#include "EditHistoryUi.h"
#include "ListView.h"
#include "resource.h"

// The list and the details follow the document's announcement of each undo and redo.
void CTunerEditDlg::OnUndo()
{
    m_document.Undo();
}

void CTunerEditDlg::OnRedo()
{
    m_document.Redo();
}

bool CTunerEditDlg::OnHistoryCommand(int id)
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

bool CTunerEditDlg::HandleHistoryKey(QKeyEvent* pEvent)
{
    switch (HistoryKeyOf(pEvent)) {
    case HistoryKey::Undo: OnUndo(); return true;
    case HistoryKey::Redo: OnRedo(); return true;
    case HistoryKey::None: break;
    }
    return false;
}

bool CTunerEditDlg::PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent)
{
    return HandleHistoryKey(pEvent) || CDialog::PreTranslateMessage(pTarget, pEvent);
}

void CTunerEditDlg::AppendHistoryItems(std::vector<MenuItem>& items) const
{
    for (MenuItem& item : HistoryMenuItems(m_document.UndoName(), m_document.RedoName()))
        items.push_back(std::move(item));
}
