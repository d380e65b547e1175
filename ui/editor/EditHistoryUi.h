#pragma once
// What both editors share for restoring an unsaved table: the copies offered
// and the row menu's item. Undo and redo are commands of the editors'
// registries (EditorCommands.h).

#include <string>
#include <vector>

#include "ui/app/UserServices.h"

// Recovery copies offered for restoring: every copy with this extension but
// the editor's own current one.
struct RecoveryCopy;
std::vector<RecoveryCopy> RestorableCopies(const std::string& extension, const std::string& ownPath);
// A separator and "Restore Unsaved Table..." when there is a copy to restore.
void AppendRestoreMenuItem(std::vector<MenuItem>& items, bool bCopies);
