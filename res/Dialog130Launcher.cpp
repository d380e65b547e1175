// Launcher: opens the two editors.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

const ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 55, 84, 50, 14, StyleNone},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 105, 84, 50, 14, StyleHidden | StyleDisabled},
    {IDC_BUTTON_FREQUENCY_EDIT, ControlKind::PushButton, "Frequency Table Edit", 25, 18, 110, 18, StyleNone},
    {IDC_BUTTON_TUNER_EDIT, ControlKind::PushButton, "Tuner Specification Edit", 25, 46, 110, 18, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog130Launcher =
    MakeDialogTemplate(IDD_LAUNCHER, "Vornalix", 160, 109, DialogStyleNone, kControls);
