#include "ui/channel/ChannelTableFromPlan.h"

#include "edit/ChannelTableDocument.h"
#include "platform/Printable.h"
#include "res/resource.h"
#include "tables/catalogue/PlanLabels.h"
#include "ui/app/UserServices.h"
#include "ui/channel/CPlanChooserDlg.h"

ChannelTableFromPlan::ChannelTableFromPlan(ChannelTableDocument& document, UserServices& services, QWidget& owner)
    : m_document(document), m_services(services), m_owner(owner)
{
}

PlanLibrary& ChannelTableFromPlan::Library()
{
    static PlanLibraryCache plans;
    return plans.Current();
}

void ChannelTableFromPlan::NewFromPlan(const std::function<void()>& showTable)
{
    PlanLibrary& library = Library();
    CPlanChooserDlg chooser(m_services, library, m_document.HasTable(), &m_owner);
    const int iChoice = m_services.RunModal(chooser);
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
        m_services.ShowMessage(&m_owner, message, MessageIcon::Exclamation);
        return;
    }
    showTable();
}
