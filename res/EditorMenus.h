#pragma once
// The menu bars of the channel table editor and the tuner editor, as data:
// every menu, item, mnemonic and shortcut. The items name the commands the
// editors already take (the buttons' ids among them), so that an item and its
// button do the same thing.

#include <cstddef>

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
};

enum class MenuItemKind
{
    Command,
    Separator,
    // The recent files of the editor's kind, filled when the menu opens.
    RecentFiles,
};

// Where an item's key works.
enum class KeyScope
{
    Window, // anywhere in the editor: the item's shortcut
    // Only where the dialog takes the key itself (Alt+Up in the list, while the
    // mode's drop-down keeps Alt+Down): the item names the key.
    Dialog,
};

struct MenuItemTemplate
{
    MenuItemKind kind = MenuItemKind::Command;
    int command = 0;
    // With its mnemonic, "&Open..."; a key after a tab is the item's shortcut,
    // as in the dialog menus ("New from &Plan...\tCtrl+P").
    const char* text = nullptr;
    StandardShortcut standard = StandardShortcut::None;
    // A key of the editor's own ("Ctrl+G"), or the key of a standard command
    // for a desktop that binds none.
    const char* key = nullptr;
    KeyScope keyScope = KeyScope::Window;
};

struct MenuTemplate
{
    const char* title; // with its mnemonic, "&File"
    const MenuItemTemplate* items;
    std::size_t itemCount;
};

struct MenuBarTemplate
{
    const MenuTemplate* menus;
    std::size_t menuCount;
};

const MenuBarTemplate& ChannelEditorMenuBar();
const MenuBarTemplate& TunerEditorMenuBar();

// The Open Recent submenu's own title and the text of an empty list.
extern const char* const kOpenRecentMenuText;
extern const char* const kNoRecentFilesText;
