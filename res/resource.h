#pragma once
// Resource and control identifiers of every dialog, menu and string.

// Dialog templates
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_FREQUENCY_TABLE = 102;
constexpr int IDD_LAUNCHER = 130;
constexpr int IDD_CONVERT = 131;
constexpr int IDD_TUNER_EDIT = 132;
constexpr int IDD_NEW_FROM_PLAN = 133;

// Icon and strings
constexpr int IDR_MAINFRAME = 128;
constexpr int IDS_ABOUTBOX = 101;

// Commands
constexpr int IDM_ABOUTBOX = 16;
constexpr int IDM_INSERT_BLANK_ITEM = 101;
constexpr int IDM_DELETE_ITEM = 107;
constexpr int IDM_DELETE_TUNER = 111;
constexpr int IDM_NEW_FROM_PLAN = 115;
// Both editors' context menus, after the items above.
constexpr int IDM_UNDO = 120;
constexpr int IDM_REDO = 121;
constexpr int IDM_RESTORE_UNSAVED = 122;
// The editors' menu bars, beside the buttons' own ids.
constexpr int IDM_OPEN = 138;
constexpr int IDM_SAVE_AS = 139;
constexpr int IDM_SAVE = 140;
constexpr int IDM_IMPORT = 141;
constexpr int IDM_EXPORT = 142;
constexpr int IDM_GOTO_CHANNEL = 143;
constexpr int IDM_FIND_FREQUENCY = 144;
constexpr int IDM_SELECT_ALL = 145;
constexpr int IDM_CHECK_TABLE = 146;
constexpr int IDM_EDIT_FREQUENCY = 147;
constexpr int IDM_FIND_REPLACE = 148;
constexpr int IDM_COMPARE_WITH = 149;
// View > Columns: the channel list's columns beside the number and frequency,
// in the order of their columns (ChannelColumn).
constexpr int IDM_COLUMN_PLAN = 160;
constexpr int IDM_COLUMN_BAND = 161;
constexpr int IDM_COLUMN_CHECK = 162;
constexpr int IDM_COVERAGE_MATRIX = 163;
constexpr int IDM_COLUMN_BAND_EDGES = 164;
// The channel editor's commands on the selected rows.
constexpr int IDM_MOVE_UP = 150;
constexpr int IDM_MOVE_DOWN = 151;
constexpr int IDM_MOVE_TO_CHANNEL = 152;
constexpr int IDM_OFFSET_FREQUENCIES = 153;
constexpr int IDM_CLEAR_TO_EMPTY = 154;
constexpr int IDM_SORT_SELECTION = 155;
constexpr int IDM_FILL_RASTER = 156;
constexpr int IDM_ROUND_FREQUENCIES = 157;
constexpr int IDM_FILL_DOWN = 158;
constexpr int IDM_FILL_SERIES = 159;
// The tuner editor's commands between the list and the inputs.
constexpr int IDM_COPY_TO_INPUTS = 160;
constexpr int IDM_REPLACE_ENTRY = 161;
constexpr int IDM_FILL_FROM_TUNER_DATA = 162;
// The recent files of the File menu, newest first.
constexpr int IDM_RECENT_FIRST = 230;
constexpr int IDM_RECENT_LAST = 239;

// Common buttons
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Channel table editor
constexpr int IDC_LIST_CHANNELS = 1000;
constexpr int IDC_STATIC_MODE = 1006;
constexpr int IDC_COMBO_MODE = 1007;
constexpr int IDC_STATIC_CHANNEL_NUMBER = 1008;
constexpr int IDC_EDIT_FREQUENCY = 1009;
constexpr int IDC_EDIT_COUNTRY_CODE = 1012;
constexpr int IDC_BUTTON_ENTER = 1013;
constexpr int IDC_STATIC_COUNTRY_CODE = 1014;
constexpr int IDC_BUTTON_ADD = 1015;
constexpr int IDC_BUTTON_RESET = 1016;
constexpr int IDC_BUTTON_SAVE_TO_FILE = 1017;
constexpr int IDC_BUTTON_CREATE_NEW = 1018;
constexpr int IDC_BUTTON_LOAD_FROM_FILE = 1022;
constexpr int IDC_STATIC_AIR_MAX = 1028;
constexpr int IDC_STATIC_AIR_MIN = 1029;
constexpr int IDC_STATIC_CABLE_MAX = 1030;
constexpr int IDC_STATIC_CABLE_MIN = 1031;
constexpr int IDC_STATIC_COUNTRY = 1033;
constexpr int IDC_BUTTON_CONVERT = 1035;
constexpr int IDC_STATIC_TV_SYSTEM = 1066;
constexpr int IDC_BUTTON_SAVE_VALUE = 1069;

// Converter
constexpr int IDC_BUTTON_LOAD_FILE = 1036;
constexpr int IDC_STATIC_PATH = 1037;
constexpr int IDC_STATIC_STATUS = 1038;

// Launcher
constexpr int IDC_BUTTON_TUNER_EDIT = 1039;
constexpr int IDC_BUTTON_FREQUENCY_EDIT = 1040;

// Tuner specification editor
constexpr int IDC_COMBO_FACTORY = 1041;
constexpr int IDC_COMBO_TUNER_TYPE = 1042;
constexpr int IDC_LIST_TUNERS = 1043;
constexpr int IDC_STATIC_TUNER_TYPE = 1004;
constexpr int IDC_STATIC_FACTORY = 1005;
constexpr int IDC_EDIT_LOW_BAND_START = 1045;
constexpr int IDC_EDIT_MID_BAND_START = 1046;
constexpr int IDC_EDIT_HIGH_BAND_START = 1047;
constexpr int IDC_EDIT_HIGH_BAND_END = 1048;
constexpr int IDC_EDIT_LOW_CODE = 1049;
constexpr int IDC_EDIT_MID_CODE = 1050;
constexpr int IDC_EDIT_HIGH_CODE = 1051;
constexpr int IDC_EDIT_PICTURE_CARRIER = 1052;
constexpr int IDC_EDIT_PICTURE_CARRIER2 = 1053;
constexpr int IDC_BUTTON_CREATE_TABLE = 1054;
constexpr int IDC_BUTTON_ADD_INFO = 1055;
constexpr int IDC_STATIC_LOW_RANGE = 1056;
constexpr int IDC_STATIC_MID_RANGE = 1057;
constexpr int IDC_STATIC_HIGH_RANGE = 1058;
constexpr int IDC_STATIC_LOW_CODE = 1059;
constexpr int IDC_STATIC_MID_CODE = 1060;
constexpr int IDC_STATIC_HIGH_CODE = 1061;
constexpr int IDC_STATIC_PICTURE_CARRIER = 1062;
constexpr int IDC_STATIC_PICTURE_CARRIER2 = 1063;
constexpr int IDC_BUTTON_SAVE_FILE = 1064;
constexpr int IDC_BUTTON_LOAD_TUNER_FILE = 1065;

// "New from Plan..." chooser
constexpr int IDC_EDIT_PLAN_FILTER = 1070;
constexpr int IDC_LIST_PLAN_COUNTRIES = 1071;
constexpr int IDC_LIST_PLANS = 1072;
constexpr int IDC_STATIC_PLAN_CHOICE = 1073;
constexpr int IDC_STATIC_PLAN_PROBLEMS = 1074;
constexpr int IDC_BUTTON_FILL_LIST = 1075;

// clipboard: the channel editor's Copy and Paste of rows
constexpr int IDM_COPY_ROWS = 190;
constexpr int IDM_PASTE_ROWS = 191;
constexpr int IDM_PASTE_AT_END = 192;
// band chart
constexpr int IDM_BAND_CHART = 197;
// Check against tuner: Table > Check Against Tuner... of the channel table editor.
constexpr int IDM_CHECK_AGAINST_TUNER = 176;
