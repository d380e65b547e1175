// The channel table editor and the standard plans: "New from Plan..." is its
// part's (ChannelTableFromPlan.h); the new table is shown as a loaded one is.

#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelTableFromPlan.h"

#include "res/resource.h"

void CFrequencyTableDlg::OnNewFromPlan()
{
    ChannelTableFromPlan(m_document, Services(), *this).NewFromPlan([this] { ShowTableFromPlan(); });
}

void CFrequencyTableDlg::ShowTableFromPlan()
{
    ShowRange(ChannelModeAir);
    ShowRange(ChannelModeCable);
    ShowCountryCode();

    const std::int32_t iMode = m_document.Mode();
    EnableTableControls(true);
    EnableChannelControls(true);
    ComboSetCurSel(IDC_COMBO_MODE, iMode);
    SetMode(iMode);
    ShowChannelNumber(1);
    RefreshList();
}
