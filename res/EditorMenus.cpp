#include "res/EditorMenus.h"

const char* const kFileMenuTitle = "&File";
const char* const kEditMenuTitle = "&Edit";
const char* const kTableMenuTitle = "&Table";
const char* const kViewMenuTitle = "&View";
const char* const kColumnsMenuText = "&Columns";
const char* const kHelpMenuTitle = "&Help";
const char* const kOpenRecentMenuText = "Open &Recent";
const char* const kNoRecentFilesText = "No Recent Files";
