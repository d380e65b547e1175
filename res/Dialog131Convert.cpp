// Converter of old channel tables.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

const ControlTemplate kControls[] = {
    {IDC_BUTTON_LOAD_FILE, ControlKind::PushButton, "Load File", 15, 26, 50, 14, StyleNone},
    {IDC_STATIC_PATH, ControlKind::DisplayText, "", 71, 26, 226, 14, StyleSunken | StyleVCenter},
    {IDC_STATIC, ControlKind::GroupBox, "Load Old Format File", 8, 10, 296, 40, StyleNone},
    {IDOK, ControlKind::DefPushButton, "Convert Now", 12, 60, 60, 14, StyleDisabled},
    {IDC_STATIC_STATUS, ControlKind::DisplayText, "Convert Status", 78, 60, 150, 14,
     StyleSunken | StyleCenter | StyleVCenter},
    {IDCANCEL, ControlKind::PushButton, "Exit", 250, 60, 50, 14, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog131Convert =
    MakeDialogTemplate(IDD_CONVERT, "Convert", 312, 89, DialogStyleNone, kControls);
