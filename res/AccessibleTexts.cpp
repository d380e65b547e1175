#include "res/AccessibleTexts.h"

#include <iterator>

#include "res/resource.h"

const char* AccessibleWindowName(int dialogId)
{
    // The launcher and the channel table editor are both titled "Vornalix".
    switch (dialogId) {
    case IDD_LAUNCHER: return "Vornalix launcher";
    case IDD_FREQUENCY_TABLE: return "Vornalix channel table editor";
    case IDD_TUNER_EDIT: return "Vornalix tuner table editor";
    default: return nullptr;
    }
}

// The band code fields are headed "Low", "Mid" and "High" in the frame
// "Band Code / Picture Carrier", which also holds the picture carriers.
const FixedAccessibleName kFixedAccessibleNames[] = {
    {IDD_TUNER_EDIT, IDC_EDIT_LOW_CODE, "Low band code"},
    {IDD_TUNER_EDIT, IDC_EDIT_MID_CODE, "Mid band code"},
    {IDD_TUNER_EDIT, IDC_EDIT_HIGH_CODE, "High band code"},
};
const int kFixedAccessibleNameCount = static_cast<int>(std::size(kFixedAccessibleNames));
