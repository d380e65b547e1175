// Tuner editor: the band table of each tuner model.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

constexpr unsigned kEdit = StyleDisabled | StyleBorder | StyleAutoHScroll;
constexpr unsigned kCodeDisplay = StyleCenter | StyleVCenter | StyleSunken;

const ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 235, 304, 50, 14, StyleHidden | StyleDisabled},
    {IDCANCEL, ControlKind::PushButton, "Exit", 297, 304, 50, 14, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Factory / Tuner Type", 10, 244, 214, 75, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Factory", 20, 260, 34, 8, StyleNone},
    {IDC_COMBO_FACTORY, ControlKind::ComboDropList, nullptr, 58, 258, 156, 118, StyleDisabled | StyleVScroll},
    {IDC_STATIC, ControlKind::Label, "Tuner Type", 20, 285, 50, 8, StyleNone},
    {IDC_COMBO_TUNER_TYPE, ControlKind::ComboDropList, nullptr, 20, 297, 195, 122, StyleDisabled | StyleVScroll},
    {IDC_STATIC, ControlKind::Label, "Tuner Table", 10, 10, 60, 8, StyleNone},
    {IDC_LIST_TUNERS, ControlKind::ListView, nullptr, 10, 27, 142, 207, StyleShowSelAlways | StyleBorder},
    {IDC_STATIC, ControlKind::GroupBox, "Static", 162, 10, 192, 224, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Tuner Type", 174, 48, 50, 8, StyleNone},
    {IDC_STATIC_TUNER_TYPE, ControlKind::DisplayText, "Unknow", 174, 60, 170, 10, StyleCenter | StyleSunken},
    {IDC_STATIC, ControlKind::Label, "Factory", 174, 27, 40, 8, StyleNone},
    {IDC_STATIC_FACTORY, ControlKind::DisplayText, "Unknow", 218, 26, 126, 10, StyleCenter | StyleSunken},
    {IDC_STATIC, ControlKind::GroupBox, "Channel Coverage", 10, 326, 158, 90, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Low Band Start", 18, 342, 64, 8, StyleNone},
    {IDC_EDIT_LOW_BAND_START, ControlKind::Edit, "", 85, 339, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 130, 342, 20, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Mid Band Start", 18, 360, 64, 8, StyleNone},
    {IDC_EDIT_MID_BAND_START, ControlKind::Edit, "", 85, 357, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 130, 360, 20, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "High Band Start", 18, 378, 64, 8, StyleNone},
    {IDC_EDIT_HIGH_BAND_START, ControlKind::Edit, "", 85, 375, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 130, 378, 20, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "High Band End", 18, 396, 64, 8, StyleNone},
    {IDC_EDIT_HIGH_BAND_END, ControlKind::Edit, "", 85, 393, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 130, 396, 20, 8, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Band Code / Picture Carrier", 176, 326, 176, 90, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Low", 188, 344, 40, 8, StyleNone},
    {IDC_EDIT_LOW_CODE, ControlKind::Edit, "", 188, 356, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "Mid", 244, 344, 40, 8, StyleNone},
    {IDC_EDIT_MID_CODE, ControlKind::Edit, "", 244, 356, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "High", 298, 344, 40, 8, StyleNone},
    {IDC_EDIT_HIGH_CODE, ControlKind::Edit, "", 298, 356, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "Picture Carrier", 186, 378, 64, 8, StyleNone},
    {IDC_EDIT_PICTURE_CARRIER, ControlKind::Edit, "", 254, 375, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 298, 378, 20, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Picture Carrier 2", 186, 396, 64, 8, StyleNone},
    {IDC_EDIT_PICTURE_CARRIER2, ControlKind::Edit, "", 254, 393, 40, 14, kEdit},
    {IDC_STATIC, ControlKind::Label, "MHz", 298, 396, 20, 8, StyleNone},
    {IDC_BUTTON_CREATE_TABLE, ControlKind::PushButton, "Create New", 235, 263, 50, 14, StyleNone},
    {IDC_BUTTON_ADD_INFO, ControlKind::PushButton, "Add Info", 297, 263, 50, 14, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Low Band", 173, 80, 170, 36, StyleNone},
    {IDC_STATIC_LOW_RANGE, ControlKind::DisplayText, "~", 184, 97, 90, 8, StyleCenter},
    {IDC_STATIC_LOW_CODE, ControlKind::DisplayText, "0000", 291, 95, 40, 12, kCodeDisplay},
    {IDC_STATIC, ControlKind::GroupBox, "Mid Band", 173, 123, 170, 36, StyleNone},
    {IDC_STATIC_MID_RANGE, ControlKind::DisplayText, "~", 184, 140, 90, 8, StyleCenter},
    {IDC_STATIC_MID_CODE, ControlKind::DisplayText, "0000", 291, 138, 40, 12, kCodeDisplay},
    {IDC_STATIC, ControlKind::GroupBox, "High Band", 173, 166, 170, 36, StyleNone},
    {IDC_STATIC_HIGH_RANGE, ControlKind::DisplayText, "~", 184, 184, 90, 8, StyleCenter},
    {IDC_STATIC_HIGH_CODE, ControlKind::DisplayText, "0000", 291, 181, 40, 12, kCodeDisplay},
    {IDC_STATIC, ControlKind::Label, "PC", 182, 212, 16, 8, StyleNone},
    {IDC_STATIC_PICTURE_CARRIER, ControlKind::DisplayText, "0", 200, 211, 50, 10, kCodeDisplay},
    {IDC_STATIC, ControlKind::Label, "PC2", 268, 212, 20, 8, StyleNone},
    {IDC_STATIC_PICTURE_CARRIER2, ControlKind::DisplayText, "0", 290, 211, 50, 10, kCodeDisplay},
    {IDC_BUTTON_SAVE_FILE, ControlKind::PushButton, "Save File", 297, 240, 50, 14, StyleNone},
    {IDC_BUTTON_LOAD_TUNER_FILE, ControlKind::PushButton, "Load File", 235, 240, 50, 14, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog132TunerEdit =
    MakeDialogTemplate(IDD_TUNER_EDIT, "Tuner Specification Edit", 364, 430, DialogStyleNone, kControls);
