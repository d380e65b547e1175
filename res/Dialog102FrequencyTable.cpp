// Channel table editor.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

const char* const kModeItems[] = {"Antenna", "Cable", nullptr};

const ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 85, 5, 50, 14, StyleHidden | StyleDisabled},
    {IDCANCEL, ControlKind::PushButton, "Exit", 210, 198, 50, 14, StyleNone},
    {IDC_LIST_CHANNELS, ControlKind::ListView, nullptr, 8, 22, 130, 207, StyleShowSelAlways | StyleBorder},
    {IDC_STATIC, ControlKind::Label, "Frequency Table", 9, 9, 54, 8, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Status", 144, 9, 122, 157, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Mode", 154, 24, 20, 8, StyleNone},
    {IDC_STATIC_MODE, ControlKind::DisplayText, "Unknow", 184, 23, 76, 10, StyleSunken | StyleCenter},
    {IDC_COMBO_MODE, ControlKind::ComboDropList, nullptr, 40, 248, 84, 41, StyleNone, kModeItems},
    {IDC_STATIC, ControlKind::Label, "Mode", 15, 251, 18, 8, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Tuner Setting", 8, 236, 124, 51, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Channel Number", 151, 233, 54, 8, StyleNone},
    {IDC_STATIC, ControlKind::GroupBox, "Channel Setting", 144, 220, 122, 87, StyleNone},
    {IDC_STATIC_CHANNEL_NUMBER, ControlKind::DisplayText, "0", 212, 231, 46, 10, StyleSunken | StyleCenter},
    {IDC_STATIC, ControlKind::Label, "Frequency", 151, 249, 34, 8, StyleNone},
    {IDC_EDIT_FREQUENCY, ControlKind::Edit, "", 189, 248, 53, 14, StyleAutoHScroll | StyleBorder},
    {IDC_STATIC, ControlKind::Label, "MHz", 245, 249, 15, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Country Code", 15, 267, 45, 8, StyleNone},
    {IDC_EDIT_COUNTRY_CODE, ControlKind::Edit, "", 67, 267, 25, 14, StyleNumber | StyleAutoHScroll | StyleBorder},
    {IDC_BUTTON_ENTER, ControlKind::PushButton, "Enter", 96, 267, 26, 14, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Country Code", 154, 40, 45, 8, StyleNone},
    {IDC_STATIC_COUNTRY_CODE, ControlKind::DisplayText, "0", 206, 39, 54, 10, StyleSunken | StyleCenter},
    {IDC_BUTTON_ADD, ControlKind::PushButton, "Add to the end", 153, 287, 50, 14, StyleNone},
    {IDC_BUTTON_RESET, ControlKind::PushButton, "Reset", 208, 267, 50, 14, StyleNone},
    {IDC_BUTTON_SAVE_TO_FILE, ControlKind::PushButton, "SaveToFile", 150, 198, 50, 14, StyleNone},
    {IDC_BUTTON_CREATE_NEW, ControlKind::PushButton, "Create New", 150, 179, 50, 14, StyleNone},
    {IDC_BUTTON_LOAD_FROM_FILE, ControlKind::PushButton, "LoadFromFile", 209, 179, 50, 14, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Max CH", 192, 116, 28, 8, StyleNone},
    {IDC_STATIC_AIR_MAX, ControlKind::DisplayText, "", 192, 126, 24, 10, StyleSunken | StyleCenter},
    {IDC_STATIC, ControlKind::Label, "Min CH", 225, 116, 28, 8, StyleNone},
    {IDC_STATIC_AIR_MIN, ControlKind::DisplayText, "", 225, 126, 24, 10, StyleSunken | StyleCenter},
    {IDC_STATIC, ControlKind::GroupBox, "Max / Min Channel Number", 151, 104, 108, 54, StyleNone},
    {IDC_STATIC_CABLE_MAX, ControlKind::DisplayText, "", 192, 142, 24, 10, StyleSunken | StyleCenter},
    {IDC_STATIC_CABLE_MIN, ControlKind::DisplayText, "", 225, 142, 24, 10, StyleSunken | StyleCenter},
    {IDC_STATIC, ControlKind::Label, "Antenna", 159, 126, 28, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Cable", 159, 143, 28, 8, StyleNone},
    {IDC_STATIC, ControlKind::Label, "Country", 154, 56, 28, 8, StyleNone},
    {IDC_STATIC_COUNTRY, ControlKind::DisplayText, "Country", 188, 55, 72, 10, StyleSunken | StyleCenter},
    {IDC_BUTTON_CONVERT, ControlKind::PushButton, "Convert Old Freq Table to New", 15, 294, 110, 14, StyleNone},
    {IDC_STATIC, ControlKind::Label, "TV System", 154, 72, 50, 8, StyleNone},
    {IDC_STATIC_TV_SYSTEM, ControlKind::DisplayText, "", 157, 86, 100, 10, StyleSunken | StyleCenter | StyleVCenter},
    {IDC_BUTTON_SAVE_VALUE, ControlKind::PushButton, "Save value", 153, 267, 50, 14, StyleNone},
};

} // namespace

extern const DialogTemplate kDialog102FrequencyTable =
    MakeDialogTemplate(IDD_FREQUENCY_TABLE, "Vornalix", 275, 315, DialogStyleAppWindow, kControls);
