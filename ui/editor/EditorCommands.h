#pragma once
// The editors' commands, each defined once: its id, its text with the
// mnemonic, its keys and where they work, the rule that enables it (a
// predicate of the editor's state) and its handler. An editor's registry
// groups its commands into the menus of its bar and into its row menu; the
// bar, the row menu's items, the enabled states and the keys the editor takes
// itself all come from it, as one QAction serves a menu and a shortcut.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QKeySequence>
#include <QList>

#include "res/EditorMenus.h"
#include "res/resource.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"

class CDialog;
class QKeyEvent;

template <class Dialog> struct EditorCommand
{
    using Rule = std::function<bool(const Dialog&)>;
    using Handler = std::function<void(Dialog&)>;
    using StepName = std::function<std::string(const Dialog&)>;

    // A null text (the recent files' place) is an empty one.
    EditorCommand(int id_, const char* text_, CommandKey key_ = {}, Rule enabled_ = {}, Handler handler_ = {},
                  StepName stepName_ = {}, MenuItemKind kind_ = MenuItemKind::Command)
        : EditorCommand(id_, std::string(text_ ? text_ : ""), key_, std::move(enabled_), std::move(handler_),
                        std::move(stepName_), kind_)
    {
    }
    EditorCommand(int id_, std::string text_, CommandKey key_ = {}, Rule enabled_ = {}, Handler handler_ = {},
                  StepName stepName_ = {}, MenuItemKind kind_ = MenuItemKind::Command)
        : id(id_), text(std::move(text_)), key(key_), enabled(std::move(enabled_)), handler(std::move(handler_)),
          stepName(std::move(stepName_)), kind(kind_)
    {
    }

    int id;
    std::string text; // with its mnemonic, "&Open..."
    CommandKey key;
    // Empty: always enabled.
    Rule enabled;
    // Empty: the dialog takes the command itself (a button's, or Close).
    Handler handler;
    // Undo and Redo: the name of the step the command would take, shown after
    // the text ("&Undo Delete Item"); empty when there is none.
    StepName stepName;
    MenuItemKind kind;
    // A toggle's: whether it is on.
    Rule checked;
    const char* submenu = nullptr;

    // A command that turns something on or off, in a submenu when one is named.
    static EditorCommand Toggle(int id, const char* text, Rule checked, Handler handler, const char* submenu = nullptr)
    {
        EditorCommand command(id, text, {}, {}, std::move(handler), {}, MenuItemKind::Toggle);
        command.checked = std::move(checked);
        command.submenu = submenu;
        return command;
    }
};

// Commands shown together; a separator stands between the groups of a menu.
template <class Dialog> using CommandGroup = std::vector<EditorCommand<Dialog>>;

// A command a part of an editor runs (its bulk edits, its clipboard): its
// id, text and keys, whether it acts on the selected rows (else on the
// table), and how the part runs it. The editor makes it one of its own.
template <class Part> struct PartCommand
{
    int id;
    std::string text;
    CommandKey key;
    bool bOnSelectedRows;
    std::function<void(Part&)> run;
};

template <class Dialog> struct EditorMenuLayout
{
    const char* title;
    std::vector<CommandGroup<Dialog>> groups;
};

// A command's menu text from the name its undo step shares: the mnemonic
// before the first `letter`, and "..." when it asks for values first.
std::string MenuText(const char* name, char letter, bool bAsks = false);
// The text of a command as it stands now: its caption, and the step's name after it.
QString CommandText(const char* caption, const std::string& stepName);
// The text of a row-menu item: the command's text and, after a tab, the keys
// of its own that no desktop standard gives ("New from &Plan...\tCtrl+P").
QString RowMenuText(const QString& text, const CommandKey& key);
// Whether the key pressed is one of these; a keypad's flag changes no key.
bool IsKeyOf(const QKeyEvent* pEvent, const QList<QKeySequence>& keys);

template <class Dialog> class EditorCommands
{
public:
    // The bar's menus, the row menu's groups, and commands no menu shows
    // whose ids still reach the dialog (an item the dialog adds itself).
    EditorCommands(std::vector<EditorMenuLayout<Dialog>> bar, std::vector<CommandGroup<Dialog>> rowMenu,
                   CommandGroup<Dialog> unshown = {})
        : m_bar(std::move(bar)), m_rowMenu(std::move(rowMenu)), m_unshown(std::move(unshown))
    {
        for (const EditorMenuLayout<Dialog>& menu : m_bar) {
            for (const CommandGroup<Dialog>& group : menu.groups)
                Collect(group);
        }
        for (const CommandGroup<Dialog>& group : m_rowMenu)
            Collect(group);
        Collect(m_unshown);
    }
    // The registry points into its own groups.
    EditorCommands(const EditorCommands&) = delete;
    EditorCommands& operator=(const EditorCommands&) = delete;

    MenuBarTemplate BarTemplate() const
    {
        MenuBarTemplate bar;
        for (const EditorMenuLayout<Dialog>& menu : m_bar) {
            MenuTemplate& shown = bar.menus.emplace_back(MenuTemplate{menu.title, {}});
            for (const CommandGroup<Dialog>& group : menu.groups) {
                if (!shown.items.empty())
                    shown.items.push_back(MenuItemTemplate{MenuItemKind::Separator, 0, nullptr, {}});
                for (const EditorCommand<Dialog>& command : group)
                    shown.items.push_back(MenuItemTemplate{command.kind, command.id,
                                                           command.text.empty() ? nullptr : command.text.c_str(),
                                                           command.key, command.submenu});
            }
        }
        return bar;
    }

    // The row menu as it stands now, its groups parted by separators.
    std::vector<MenuItem> RowMenu(const Dialog& dialog) const
    {
        std::vector<MenuItem> items;
        for (const CommandGroup<Dialog>& group : m_rowMenu) {
            if (!items.empty())
                items.push_back(MenuItem{0, QString()});
            for (const EditorCommand<Dialog>& command : group)
                items.push_back(ItemOf(command, dialog));
        }
        return items;
    }

    // One command as a row-menu item, for a menu the dialog makes itself.
    MenuItem Item(const Dialog& dialog, int id) const
    {
        const EditorCommand<Dialog>* pCommand = Find(id);
        return pCommand ? ItemOf(*pCommand, dialog) : MenuItem{id, QString(), false};
    }

    // Makes the bar's items current: enabled by their rules, Undo and Redo
    // naming their steps.
    void UpdateBar(DialogMenuBar& bar, const Dialog& dialog) const
    {
        for (const EditorMenuLayout<Dialog>& menu : m_bar) {
            for (const CommandGroup<Dialog>& group : menu.groups) {
                for (const EditorCommand<Dialog>& command : group) {
                    if (command.kind == MenuItemKind::Toggle)
                        bar.SetChecked(command.id, command.checked(dialog));
                    else if (command.kind != MenuItemKind::Command)
                        continue;
                    bar.SetEnabled(command.id, IsEnabled(command, dialog));
                    if (command.stepName)
                        bar.SetText(command.id, TextOf(command, dialog));
                }
            }
        }
    }

    // Runs the command's handler; false when the registry has none for it.
    bool Run(Dialog& dialog, int id) const
    {
        const EditorCommand<Dialog>* pCommand = Find(id);
        if (!pCommand || !pCommand->handler)
            return false;
        pCommand->handler(dialog);
        return true;
    }

    // The keys the editor takes itself: anywhere (KeyScope::Editor) or in the
    // list alone. A key of a command is taken even while its rule greys the
    // command, so that it never falls through to a field's own meaning.
    bool HandleKey(Dialog& dialog, const QKeyEvent* pEvent, bool bInList) const
    {
        for (const auto& [pCommand, keys] : m_ownKeys) {
            if ((pCommand->key.scope == KeyScope::List && !bInList) || !IsKeyOf(pEvent, keys))
                continue;
            if (IsEnabled(*pCommand, dialog))
                Run(dialog, pCommand->id);
            return true;
        }
        return false;
    }

private:
    static bool IsEnabled(const EditorCommand<Dialog>& command, const Dialog& dialog)
    {
        return !command.enabled || command.enabled(dialog);
    }
    static QString TextOf(const EditorCommand<Dialog>& command, const Dialog& dialog)
    {
        return CommandText(command.text.c_str(), command.stepName ? command.stepName(dialog) : std::string());
    }
    static MenuItem ItemOf(const EditorCommand<Dialog>& command, const Dialog& dialog)
    {
        return MenuItem{command.id, RowMenuText(TextOf(command, dialog), command.key), IsEnabled(command, dialog)};
    }

    void Collect(const CommandGroup<Dialog>& group)
    {
        for (const EditorCommand<Dialog>& command : group) {
            if ((command.kind != MenuItemKind::Command && command.kind != MenuItemKind::Toggle) || Find(command.id))
                continue;
            m_all.push_back(&command);
            if (command.key.scope != KeyScope::Window)
                m_ownKeys.emplace_back(&command, CommandKeys(command.key));
        }
    }

    const EditorCommand<Dialog>* Find(int id) const
    {
        for (const EditorCommand<Dialog>* pCommand : m_all) {
            if (pCommand->id == id)
                return pCommand;
        }
        return nullptr;
    }

    std::vector<EditorMenuLayout<Dialog>> m_bar;
    std::vector<CommandGroup<Dialog>> m_rowMenu;
    CommandGroup<Dialog> m_unshown;
    // Every command once, by its first place.
    std::vector<const EditorCommand<Dialog>*> m_all;
    std::vector<std::pair<const EditorCommand<Dialog>*, QList<QKeySequence>>> m_ownKeys;
};

// The commands both editors have, built for either. Each editor names this
// its friend, so that the commands reach the handlers it keeps private.
struct SharedEditorCommands
{
    template <class Dialog> static bool HasTable(const Dialog& dialog) { return dialog.Document().HasTable(); }

    // File: New, what comes after it (New from Plan...), Open..., Open
    // Recent; Save, Save As...; Import..., Export...; Close. New is the
    // editor's button; Open... and Save As... do what its file buttons do,
    // their choosers proposing the table's own file instead of the button's
    // "Vornalix".
    // afterNew follows New, afterExport follows Export....
    template <class Dialog>
    static EditorMenuLayout<Dialog> FileMenu(int newId, CommandGroup<Dialog> afterNew = {},
                                             CommandGroup<Dialog> afterExport = {})
    {
        CommandGroup<Dialog> transfer = {{IDM_IMPORT, "&Import...", {}, {}, &Dialog::OnImport},
                                         {IDM_EXPORT, "&Export...", {}, HasTable<Dialog>, &Dialog::OnExport}};
        for (EditorCommand<Dialog>& command : afterExport)
            transfer.push_back(std::move(command));
        CommandGroup<Dialog> open = {{newId, "&New", {StandardShortcut::New}, {}, &Dialog::OnCreateNew}};
        for (EditorCommand<Dialog>& command : afterNew)
            open.push_back(std::move(command));
        open.push_back({IDM_OPEN, "&Open...", {StandardShortcut::Open}, {}, &Dialog::OnOpen});
        open.push_back({0, nullptr, {}, {}, {}, {}, MenuItemKind::RecentFiles});
        return {kFileMenuTitle,
                {std::move(open),
                 {{IDM_SAVE, "&Save", {StandardShortcut::Save}, HasTable<Dialog>, &Dialog::OnSave},
                  {IDM_SAVE_AS,
                   "Save &As...",
                   {StandardShortcut::SaveAs, "Ctrl+Shift+S"},
                   HasTable<Dialog>,
                   &Dialog::OnSaveAs}},
                 std::move(transfer),
                 {{IDCANCEL, "&Close", {StandardShortcut::Close}}}}};
    }

    // Undo and Redo, named after their steps and taken from any field; the
    // desktop's keys, and Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y on every desktop.
    template <class Dialog> static CommandGroup<Dialog> History()
    {
        const auto undoName = [](const Dialog& dialog) { return dialog.Document().UndoName(); };
        const auto redoName = [](const Dialog& dialog) { return dialog.Document().RedoName(); };
        return {
            {IDM_UNDO,
             "&Undo",
             {StandardShortcut::Undo, "Ctrl+Z", KeyScope::Editor},
             [undoName](const Dialog& dialog) { return !undoName(dialog).empty(); },
             &Dialog::OnUndo,
             undoName},
            {IDM_REDO,
             "&Redo",
             {StandardShortcut::Redo, "Ctrl+Shift+Z; Ctrl+Y", KeyScope::Editor},
             [redoName](const Dialog& dialog) { return !redoName(dialog).empty(); },
             &Dialog::OnRedo,
             redoName},
        };
    }

    // The commands no menu shows as they are: Open Recent's items, which the
    // bar fills with the recent files, and the row menu's restore item.
    template <class Dialog> static CommandGroup<Dialog> Unshown()
    {
        CommandGroup<Dialog> commands = OpenRecent<Dialog>();
        commands.push_back(Restore<Dialog>());
        return commands;
    }

    // Open Recent's items, which the bar fills with the recent files.
    template <class Dialog> static CommandGroup<Dialog> OpenRecent()
    {
        CommandGroup<Dialog> items;
        for (int id = IDM_RECENT_FIRST; id <= IDM_RECENT_LAST; ++id)
            items.push_back(
                {id, nullptr, {}, {}, [index = id - IDM_RECENT_FIRST](Dialog& dialog) { dialog.OnOpenRecent(index); }});
        return items;
    }

    // "Restore Unsaved Table...": the row menu shows its item when there is
    // a copy to restore (AppendRestoreMenuItem).
    template <class Dialog> static EditorCommand<Dialog> Restore()
    {
        return {IDM_RESTORE_UNSAVED, nullptr, {}, {}, [](Dialog& dialog) { dialog.m_pRecovery->RestoreChosenCopy(); }};
    }

    template <class Dialog> static EditorCommand<Dialog> SelectAll(int listId)
    {
        return {
            IDM_SELECT_ALL, "Select &All", {StandardShortcut::SelectAll}, HasTable<Dialog>, [listId](Dialog& dialog) {
                dialog.GetListView(listId)->selectAll();
            }};
    }

    template <class Dialog> static EditorCommand<Dialog> CheckTable()
    {
        return {
            IDM_CHECK_TABLE, "&Check Table", {StandardShortcut::None, "F7"}, HasTable<Dialog>, &Dialog::OnCheckTable};
    }

    // Help: the About box, also on F1 wherever the focus is.
    template <class Dialog> static EditorMenuLayout<Dialog> HelpMenu()
    {
        return {kHelpMenuTitle,
                {{{IDM_ABOUTBOX, AboutText(), {StandardShortcut::None, "F1", KeyScope::Editor}, {}, ShowAbout}}}};
    }

private:
    static const char* AboutText();
    static void ShowAbout(CDialog& dialog);
};
