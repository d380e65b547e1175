#pragma once
// What the editors' menus are made of, as data: the desktop's standard keys,
// where a key works, and a menu bar as its menus and items. The commands
// themselves (texts, keys, rules and handlers) are the editors' registries
// (ui/editor/EditorCommands.h), from which the bars are built.

#include <vector>

// Shortcuts that follow the desktop's conventions; the desktop says which keys.
enum class StandardShortcut
{
    None,
    New,
    Open,
    Save,
    SaveAs,
    Close,
    Undo,
    Redo,
    Find,
    SelectAll,
    Copy,
    Paste,
};

enum class MenuItemKind
{
    Command,
    Separator,
    // The recent files of the editor's kind, filled when the menu opens.
    RecentFiles,
    // A command shown checked while what it turns on is on.
    Toggle,
};

// Where a command's key works.
enum class KeyScope
{
    // The item's shortcut anywhere in the editor; a focused field that uses
    // the key itself keeps it (Ctrl+A selects the field's text).
    Window,
    // Taken by the editor wherever the focus is, fields included: the undo
    // keys act on the table, never on the text of a field.
    Editor,
    // Only in the list (Alt+Up and Alt+Down; the mode's drop-down keeps
    // Alt+Down to open itself).
    List,
};

struct CommandKey
{
    constexpr CommandKey(StandardShortcut standard_ = StandardShortcut::None, const char* keys_ = nullptr,
                         KeyScope scope_ = KeyScope::Window)
        : standard(standard_), keys(keys_), scope(scope_)
    {
    }

    StandardShortcut standard;
    // The editor's own keys, beside the desktop's for a standard command:
    // "Ctrl+G", or several as "Ctrl+Shift+Z; Ctrl+Y".
    const char* keys;
    KeyScope scope;
};

struct MenuItemTemplate
{
    MenuItemKind kind = MenuItemKind::Command;
    int command = 0;
    const char* text = nullptr; // with its mnemonic, "&Open..."
    CommandKey key;
    // The submenu of the menu the item stands in ("&Columns"), made at its
    // first item; none for an item of the menu itself.
    const char* submenu = nullptr;
};

struct MenuTemplate
{
    const char* title; // with its mnemonic, "&File"
    std::vector<MenuItemTemplate> items;
};

struct MenuBarTemplate
{
    std::vector<MenuTemplate> menus;
};

// The menus' titles, the same in both editors.
extern const char* const kFileMenuTitle;
extern const char* const kEditMenuTitle;
extern const char* const kTableMenuTitle;
extern const char* const kViewMenuTitle;
extern const char* const kColumnsMenuText;
extern const char* const kHelpMenuTitle;
// The Open Recent submenu's own title and the text of an empty list.
extern const char* const kOpenRecentMenuText;
extern const char* const kNoRecentFilesText;
