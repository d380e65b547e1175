#pragma once
// "New from Plan...": chooses a country (its broadcast and cable plans and its
// calling code) or a single standard channel plan, filtered by what the person
// types. The chooser only chooses; the channel editor fills its table from the
// choice.

#include <vector>

#include "tables/catalogue/ChannelPlans.h"
#include "ui/dialog/CDialog.h"

class CPlanChooserDlg : public CDialog
{
    Q_OBJECT

public:
    // bCanFillList: the editor has a table, whose list shown a plan may fill
    // ("Fill This List", which ends the chooser with IDC_BUTTON_FILL_LIST);
    // "New Table" (IDOK) makes a new table of a country or a plan. A plan
    // listed from its first lines is read whole when it is chosen, alone or
    // as a country's.
    CPlanChooserDlg(UserServices& services, PlanLibrary& library, bool bCanFillList = false,
                    QWidget* pParent = nullptr);

    // Shows only the countries whose name, calling code or TV system holds
    // the text (in any case), or that use a plan whose name does, and the
    // plans whose name or source holds it or that such a country uses. The
    // first row shown is chosen.
    void SetFilter(const QString& text);
    // Chooses a row of the list shown (-1 chooses nothing in it); choosing in
    // one list lets go of the other.
    void ChooseCountryRow(int row);
    void ChoosePlanRow(int row);

    // What "Fill" takes: a country, a plan, or nothing.
    const CountryPlans* ChosenCountry() const { return m_pChosenCountry; }
    const ListedPlan* ChosenPlan() const { return m_pChosenPlan; }
    // The rows shown, in order.
    const std::vector<const ListedPlan*>& ShownPlans() const { return m_shownPlans; }

protected:
    bool OnInitDialog() override;

private:
    void ShowRows();
    void ShowChoice();
    void OnCountrySelection();
    void OnPlanSelection();
    // The named plan read whole if it was listed from its first lines; its
    // row shows what the reading found.
    void ReadChosenPlan(const std::string& name);

    PlanLibrary& m_library;
    std::vector<const CountryPlans*> m_shownCountries;
    std::vector<const ListedPlan*> m_shownPlans;
    const CountryPlans* m_pChosenCountry = nullptr;
    const ListedPlan* m_pChosenPlan = nullptr;
    bool m_bCanFillList = false;
    bool m_bChoosing = false; // a choice is being shown: selection signals are its own
};
