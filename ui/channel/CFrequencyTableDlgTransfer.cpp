// Import... and Export... of the channel table editor, run by their part
// (ChannelTransfer.h); channels copied from a table compared with this one
// (ChannelTableCompare.h); and Check Table (ChannelTableCheck.h), whose
// findings select the row each names.

#include "ui/channel/CFrequencyTableDlg.h"

#include "res/resource.h"
#include "ui/channel/ChannelTableCheck.h"
#include "ui/channel/ChannelTransfer.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorStatusLine.h"

void CFrequencyTableDlg::OnImport()
{
    m_pTransfer->Import();
}

void CFrequencyTableDlg::OnExport()
{
    m_pTransfer->Export();
}

void CFrequencyTableDlg::ShowCopiedTable(const QString& note, bool bCodeChanged)
{
    // As after undo: the table's own code in place of one typed.
    if (bCodeChanged) {
        ShowTableCode();
        ShowCountryCode();
    }
    m_pStatusLine->ShowNote(note);
}

void CFrequencyTableDlg::OnCheckTable()
{
    m_pTableCheck->Show();
}

void CFrequencyTableDlg::ShowFinding(std::int32_t iList, std::int32_t iChannel)
{
    if (!m_document.HasTable())
        return;
    // The list the finding names is chosen as a person would choose it.
    if ((iList == ChannelModeAir || iList == ChannelModeCable) && iList != m_document.Mode()) {
        ComboSetCurSel(IDC_COMBO_MODE, iList);
        OnSelEndOkMode();
    }
    const auto count = m_document.CurrentCount();
    if (iChannel >= 1 && iChannel <= count)
        SelectChannel(iChannel);
    activateWindow();
}
