#pragma once
// What both editors share for undo and redo: the keys and the menu items.

#include <string>
#include <vector>

#include "UserServices.h"

class QKeyEvent;

enum class HistoryKey
{
    None,
    Undo, // Ctrl+Z
    Redo, // Ctrl+Shift+Z or Ctrl+Y
};

HistoryKey HistoryKeyOf(const QKeyEvent* pEvent);

// A separator, then "Undo <what>" and "Redo <what>", each greyed with its
// bare verb when there is nothing to undo or redo (an empty name).
std::vector<MenuItem> HistoryMenuItems(const std::string& undoName, const std::string& redoName);
// The same for a menu bar's Edit menu: "&Undo <what>" and "&Redo <what>".
class DialogMenuBar;
void UpdateHistoryItems(DialogMenuBar& bar, const std::string& undoName, const std::string& redoName);

// Recovery copies offered for restoring: every copy with this extension but
// the editor's own current one.
struct RecoveryCopy;
std::vector<RecoveryCopy> RestorableCopies(const std::string& extension, const std::string& ownPath);
// A separator and "Restore Unsaved Table..." when there is a copy to restore.
void AppendRestoreMenuItem(std::vector<MenuItem>& items, bool bCopies);
// Lists the copies (time, source, counts) in a menu and returns the chosen one.
const RecoveryCopy* ChooseRecoveryCopy(UserServices& services, QWidget* pOwner, const std::vector<RecoveryCopy>& copies,
                                       bool bChannelTables);
