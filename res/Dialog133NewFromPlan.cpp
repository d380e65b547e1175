// "New from Plan...": the chooser of a country or a standard channel plan.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

const ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Label, "Filter (country or plan):", 8, 9, 90, 8, StyleNone},
    {IDC_EDIT_PLAN_FILTER, ControlKind::Edit, "", 100, 7, 160, 12, StyleBorder | StyleAutoHScroll},
    {IDC_STATIC, ControlKind::Label, "Countries", 8, 26, 100, 8, StyleNone},
    {IDC_LIST_PLAN_COUNTRIES, ControlKind::ListView, nullptr, 8, 36, 404, 100,
     StyleShowSelAlways | StyleSingleSel | StyleBorder},
    {IDC_STATIC, ControlKind::Label, "Plans", 8, 142, 100, 8, StyleNone},
    {IDC_LIST_PLANS, ControlKind::ListView, nullptr, 8, 152, 404, 80,
     StyleShowSelAlways | StyleSingleSel | StyleBorder},
    {IDC_STATIC, ControlKind::Label,
     "Channel numbers: when every label of a plan is a whole number, each channel takes the number of its label "
     "and the numbers in between stay empty (0 MHz); otherwise the channels are numbered 1, 2, 3... in the plan's "
     "order.",
     8, 236, 404, 18, StyleNone},
    {IDC_STATIC_PLAN_CHOICE, ControlKind::DisplayText, "", 8, 257, 404, 20, StyleSunken | StyleVCenter},
    {IDC_STATIC_PLAN_PROBLEMS, ControlKind::DisplayText, "", 8, 281, 404, 10, StyleNone},
    {IDC_BUTTON_FILL_LIST, ControlKind::PushButton, "Fill This List", 236, 296, 64, 14, StyleDisabled},
    {IDOK, ControlKind::DefPushButton, "New Table", 306, 296, 50, 14, StyleDisabled},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 362, 296, 50, 14, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog133NewFromPlan =
    MakeDialogTemplate(IDD_NEW_FROM_PLAN, "New from Plan", 420, 318, DialogStyleNone, kControls);
