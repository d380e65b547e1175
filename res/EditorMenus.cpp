#include "EditorMenus.h"

#include "resource.h"

namespace {

constexpr MenuItemTemplate Item(int command, const char* text, StandardShortcut standard = StandardShortcut::None,
                                const char* key = nullptr)
{
    return MenuItemTemplate{MenuItemKind::Command, command, text, standard, key, KeyScope::Window};
}

// An item whose key the dialog takes itself where it applies.
constexpr MenuItemTemplate ItemNamingKey(int command, const char* text, const char* key)
{
    return MenuItemTemplate{MenuItemKind::Command, command, text, StandardShortcut::None, key, KeyScope::Dialog};
}

constexpr MenuItemTemplate kSeparator{MenuItemKind::Separator, 0,       nullptr,
                                      StandardShortcut::None,  nullptr, KeyScope::Window};
constexpr MenuItemTemplate kRecentFiles{MenuItemKind::RecentFiles, 0,       nullptr,
                                        StandardShortcut::None,    nullptr, KeyScope::Window};

template <std::size_t N> constexpr MenuTemplate Menu(const char* title, const MenuItemTemplate (&items)[N])
{
    return MenuTemplate{title, items, N};
}

// Undo and Redo carry the name of the step when the menu opens.
const MenuItemTemplate kChannelFile[] = {
    Item(IDC_BUTTON_CREATE_NEW, "&New", StandardShortcut::New),
    Item(IDM_NEW_FROM_PLAN, kNewFromPlanMenuText),
    Item(IDC_BUTTON_LOAD_FROM_FILE, "&Open...", StandardShortcut::Open),
    kRecentFiles,
    kSeparator,
    Item(IDM_SAVE, "&Save", StandardShortcut::Save),
    Item(IDC_BUTTON_SAVE_TO_FILE, "Save &As...", StandardShortcut::SaveAs, "Ctrl+Shift+S"),
    kSeparator,
    Item(IDM_IMPORT, "&Import..."),
    Item(IDM_EXPORT, "&Export..."),
    kSeparator,
    Item(IDCANCEL, "&Close", StandardShortcut::Close),
};

const MenuItemTemplate kChannelEdit[] = {
    Item(IDM_UNDO, "&Undo", StandardShortcut::Undo),
    Item(IDM_REDO, "&Redo", StandardShortcut::Redo),
    kSeparator,
    ItemNamingKey(IDM_MOVE_UP, "Move &Up", "Alt+Up"),
    ItemNamingKey(IDM_MOVE_DOWN, "Move &Down", "Alt+Down"),
    Item(IDM_MOVE_TO_CHANNEL, "&Move to Channel..."),
    Item(IDM_OFFSET_FREQUENCIES, "&Offset Frequencies..."),
    Item(IDM_CLEAR_TO_EMPTY, "C&lear to Empty Slot"),
    Item(IDM_SORT_SELECTION, "S&ort Selection by Frequency"),
    Item(IDM_FILL_RASTER, "Fill &Raster..."),
    kSeparator,
    Item(IDM_GOTO_CHANNEL, "&Go to Channel...", StandardShortcut::None, "Ctrl+G"),
    Item(IDM_FIND_FREQUENCY, "&Find Frequency...", StandardShortcut::Find),
    kSeparator,
    Item(IDM_SELECT_ALL, "Select &All", StandardShortcut::SelectAll),
};

const MenuItemTemplate kChannelTable[] = {
    Item(IDM_CHECK_TABLE, "&Check Table", StandardShortcut::None, "F7"),
    Item(IDC_BUTTON_CONVERT, "Con&vert Old Table..."),
};

const MenuItemTemplate kHelp[] = {
    Item(IDM_ABOUTBOX, "&About Vornalix...", StandardShortcut::None, "F1"),
};

const MenuTemplate kChannelMenus[] = {
    Menu("&File", kChannelFile),
    Menu("&Edit", kChannelEdit),
    Menu("&Table", kChannelTable),
    Menu("&Help", kHelp),
};

const MenuItemTemplate kTunerFile[] = {
    Item(IDC_BUTTON_CREATE_TABLE, "&New", StandardShortcut::New),
    Item(IDC_BUTTON_LOAD_TUNER_FILE, "&Open...", StandardShortcut::Open),
    kRecentFiles,
    kSeparator,
    Item(IDM_SAVE, "&Save", StandardShortcut::Save),
    Item(IDC_BUTTON_SAVE_FILE, "Save &As...", StandardShortcut::SaveAs, "Ctrl+Shift+S"),
    kSeparator,
    Item(IDM_IMPORT, "&Import..."),
    Item(IDM_EXPORT, "&Export..."),
    kSeparator,
    Item(IDCANCEL, "&Close", StandardShortcut::Close),
};

const MenuItemTemplate kTunerEdit[] = {
    Item(IDM_UNDO, "&Undo", StandardShortcut::Undo),
    Item(IDM_REDO, "&Redo", StandardShortcut::Redo),
    kSeparator,
    Item(IDM_SELECT_ALL, "Select &All", StandardShortcut::SelectAll),
};

const MenuItemTemplate kTunerTable[] = {
    Item(IDM_CHECK_TABLE, "&Check Table", StandardShortcut::None, "F7"),
};

const MenuTemplate kTunerMenus[] = {
    Menu("&File", kTunerFile),
    Menu("&Edit", kTunerEdit),
    Menu("&Table", kTunerTable),
    Menu("&Help", kHelp),
};

} // namespace

const char* const kOpenRecentMenuText = "Open &Recent";
const char* const kNoRecentFilesText = "No Recent Files";

const MenuBarTemplate& ChannelEditorMenuBar()
{
    static const MenuBarTemplate bar{kChannelMenus, sizeof kChannelMenus / sizeof kChannelMenus[0]};
    return bar;
}

const MenuBarTemplate& TunerEditorMenuBar()
{
    static const MenuBarTemplate bar{kTunerMenus, sizeof kTunerMenus / sizeof kTunerMenus[0]};
    return bar;
}
