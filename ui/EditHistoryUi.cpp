#include "EditHistoryUi.h"

#include <algorithm>

#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>

#include "DialogMenuBar.h"
#include "RecoveryStore.h"
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

void UpdateHistoryItems(DialogMenuBar& bar, const std::string& undoName, const std::string& redoName)
{
    for (const MenuItem& item : {HistoryItem(IDM_UNDO, "&Undo", undoName), HistoryItem(IDM_REDO, "&Redo", redoName)}) {
        bar.SetText(item.command, item.text);
        bar.SetEnabled(item.command, item.bEnabled);
    }
}

std::vector<RecoveryCopy> RestorableCopies(const std::string& extension, const std::string& ownPath)
{
    std::vector<RecoveryCopy> copies = ListRecoveryCopies(extension);
    copies.erase(std::remove_if(copies.begin(), copies.end(),
                                [&ownPath](const RecoveryCopy& copy) { return copy.path == ownPath; }),
                 copies.end());
    return copies;
}

void AppendRestoreMenuItem(std::vector<MenuItem>& items, bool bCopies)
{
    if (!bCopies)
        return;
    items.push_back(MenuItem{0, QString()});
    items.push_back(MenuItem{IDM_RESTORE_UNSAVED, QStringLiteral("Restore Unsaved Table...")});
}

const RecoveryCopy* ChooseRecoveryCopy(UserServices& services, QWidget* pOwner, const std::vector<RecoveryCopy>& copies,
                                       bool bChannelTables)
{
    std::vector<MenuItem> items;
    const std::size_t count = std::min<std::size_t>(copies.size(), IDM_RESTORE_COPY_LAST - IDM_RESTORE_COPY_FIRST + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const RecoveryCopy& copy = copies[i];
        const QString when = QDateTime::fromSecsSinceEpoch(copy.iTime).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QString source = copy.source == "new" ? QStringLiteral("new table")
                                                    : QFileInfo(QString::fromStdString(copy.source)).fileName();
        const QString counts =
            bChannelTables
                ? QStringLiteral("%1 antenna, %2 cable channels").arg(copy.iFirstCount).arg(copy.iSecondCount)
                : QStringLiteral("%1 tuners").arg(copy.iFirstCount);
        items.push_back(MenuItem{IDM_RESTORE_COPY_FIRST + static_cast<int>(i),
                                 when + QStringLiteral(" - ") + source + QStringLiteral(" - ") + counts});
    }
    const int command = services.TrackPopupMenu(pOwner, items, QCursor::pos());
    if (command < IDM_RESTORE_COPY_FIRST || command >= IDM_RESTORE_COPY_FIRST + static_cast<int>(count))
        return nullptr;
    return &copies[static_cast<std::size_t>(command - IDM_RESTORE_COPY_FIRST)];
}
