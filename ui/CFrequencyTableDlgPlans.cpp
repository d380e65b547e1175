// "New from Plan..." in the channel table editor: a new table filled from a
// country's plans or from one standard plan, shown as a loaded table is shown.

#include "CFrequencyTableDlg.h"
#include "CPlanChooserDlg.h"
#include "resource.h"

void CFrequencyTableDlg::OnNewFromPlan()
{
    // Read again when its files changed, so that a plan saved meanwhile is offered.
    static PlanLibraryCache plans;
    const PlanLibrary& library = plans.Current();
    CPlanChooserDlg chooser(Services(), library, this);
    if (Services().RunModal(chooser) != IDOK)
        return;
    // The new table and its displays are one step.
    const ChannelTableDocument::StepScope step = m_document.BeginStep({});
    bool bFilled = false;
    if (const CountryPlans* pCountry = chooser.ChosenCountry())
        bFilled = m_document.NewFromCountry(*pCountry, library);
    else if (const ChannelPlan* pPlan = chooser.ChosenPlan())
        bFilled = m_document.NewFromPlan(*pPlan);
    if (!bFilled) {
        Services().ShowMessage(this, QStringLiteral("The table could not be filled from the chosen plan."),
                               MessageIcon::Exclamation);
        return;
    }
    ShowTableFromPlan();
}

void CFrequencyTableDlg::ShowTableFromPlan()
{
    ShowRange(ChannelModeAir);
    ShowRange(ChannelModeCable);
    const std::int32_t iCountryCode = m_document.CountryCode();
    SetDlgItemText(IDC_STATIC_COUNTRY_CODE, QString::number(iCountryCode));
    ShowCountry(iCountryCode);

    const std::int32_t iMode = m_document.Mode();
    EnableTableControls(true);
    EnableChannelControls(true);
    ComboSetCurSel(IDC_COMBO_MODE, iMode);
    SetMode(iMode);
    ShowChannelNumber(1);
    RefreshList();
}
