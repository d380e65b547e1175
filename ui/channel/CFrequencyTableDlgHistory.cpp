// Undo and redo in the channel table editor. The displays follow the
// document's announcement of each step; the commands, their items and keys
// are the editor's registry's.
#include "ui/channel/CFrequencyTableDlg.h"

#include "res/resource.h"
#include "ui/dialog/ListView.h"

// The displays follow the document's announcement of each undo and redo.
void CFrequencyTableDlg::OnUndo()
{
    MoveThroughHistory(false);
}

void CFrequencyTableDlg::OnRedo()
{
    MoveThroughHistory(true);
}

void CFrequencyTableDlg::MoveThroughHistory(bool bForward)
{
    const ChannelTable* pTableBefore = m_document.Table();
    const std::int32_t iCodeBefore = m_document.CountryCode();
    m_bHistoryMove = true;
    const bool bMoved = bForward ? m_document.Redo() : m_document.Undo();
    m_bHistoryMove = false;
    // A step that brought another table back, or another code, shows the
    // table's own code in place of one typed and refused.
    if (bMoved && (m_document.Table() != pTableBefore || m_document.CountryCode() != iCodeBefore)) {
        ShowTableCode();
        ShowCountryCode();
    }
}
