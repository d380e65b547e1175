// About box.
#include "VornalixVersion.h"
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

const ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Icon, nullptr, 11, 17, 20, 20, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Vornalix Ver " VORNALIX_VERSION, 40, 12, 150, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Analog TV channel and tuner table editor. Free software.", 40, 28, 170, 18,
     StyleNone},
    {IDOK, ControlKind::DefPushButton, "OK", 161, 58, 50, 14, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog100About =
    MakeDialogTemplate(IDD_ABOUTBOX, "About Vornalix", 218, 81, DialogStyleNone, kControls);
