// The channel table editor and the standard plans: "New from Plan..." makes a
// new table filled from a country's plans or from one standard plan, shown as
// a loaded table is shown. The same plans label the rows (ChannelRows.h).

#include "platform/Printable.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tables/catalogue/PlanLabels.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/CPlanChooserDlg.h"

// The plans of the editors, read again when their files changed, so that a
// plan saved meanwhile is offered and labels rows.
const PlanLibrary& CFrequencyTableDlg::EditorPlanLibrary()
{
    static PlanLibraryCache plans;
    return plans.Current();
}

void CFrequencyTableDlg::OnNewFromPlan()
{
    const PlanLibrary& library = EditorPlanLibrary();
    CPlanChooserDlg chooser(Services(), library, m_document.HasTable(), this);
    const int iChoice = Services().RunModal(chooser);
    if (iChoice != IDOK && iChoice != IDC_BUTTON_FILL_LIST)
        return;
    // The new table or list and its displays are one step.
    const auto held = m_document.HoldAnnouncements();
    // The chosen plans' channels are read now: a file may have changed or
    // gone since the chooser listed it.
    PlanProblem problem;
    bool bFilled = false;
    if (iChoice == IDC_BUTTON_FILL_LIST && chooser.ChosenPlan())
        bFilled = m_document.FillListFromPlan(*chooser.ChosenPlan(), problem);
    else if (const CountryPlans* pCountry = chooser.ChosenCountry())
        bFilled = m_document.NewFromCountry(*pCountry, library, &problem);
    else if (const ListedPlan* pPlan = chooser.ChosenPlan())
        bFilled = m_document.NewFromPlan(*pPlan, problem);
    if (!bFilled) {
        QString message = QStringLiteral("The table could not be filled from the chosen plan.");
        if (!problem.reason.empty())
            message += QStringLiteral("\n\n") + QString::fromStdString(PrintableText(problem.Text()));
        Services().ShowMessage(this, message, MessageIcon::Exclamation);
        return;
    }
    ShowTableFromPlan();
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
