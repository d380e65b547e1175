// "New from Plan..." in the channel table editor: a new table filled from a
// country's plans or from one standard plan, shown as a loaded table is shown.

#include "CFrequencyTableDlg.h"
#include "CPlanChooserDlg.h"
#include "Printable.h"
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
    // The chosen plans' channels are read now: a file may have changed or
    // gone since the chooser listed it.
    PlanProblem problem;
    bool bFilled = false;
    if (const CountryPlans* pCountry = chooser.ChosenCountry())
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
