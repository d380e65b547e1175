#include "EditHistoryUi.h"

#include <QKeyEvent>

#include "resource.h"

HistoryKey HistoryKeyOf(const QKeyEvent* pEvent)
{
    // Keypad and other modifiers than Ctrl and Shift make other keys.
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (pEvent->key() == Qt::Key_Z && modifiers == Qt::ControlModifier)
        return HistoryKey::Undo;
    if (pEvent->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return HistoryKey::Redo;
    if (pEvent->key() == Qt::Key_Y && modifiers == Qt::ControlModifier)
        return HistoryKey::Redo;
    return HistoryKey::None;
}

namespace {

MenuItem HistoryItem(int command, const char* pszVerb, const std::string& name)
{
    MenuItem item;
    item.command = command;
    item.text = QString::fromLatin1(pszVerb);
    if (!name.empty())
        item.text += QLatin1Char(' ') + QString::fromStdString(name);
    item.bEnabled = !name.empty();
    return item;
}

} // namespace

std::vector<MenuItem> HistoryMenuItems(const std::string& undoName, const std::string& redoName)
{
    return {MenuItem{0, QString()}, HistoryItem(IDM_UNDO, "Undo", undoName), HistoryItem(IDM_REDO, "Redo", redoName)};
}
