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
