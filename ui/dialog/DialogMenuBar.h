#pragma once
// A menu bar built from its template for an editor: every item sends its
// command to the dialog as the button of the same id would, the standard
// shortcuts come from the desktop's key bindings, and the dialog sets what is
// enabled and what Undo and Redo say before a menu opens or a key is tried.
// Keys the editor takes itself (KeyScope::Editor and List) are only named by
// their items: the dialog handles them, one way wherever the focus is.

#include <functional>
#include <map>

#include <QKeySequence>
#include <QList>
#include <QStringList>

#include "res/EditorMenus.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class DialogMenuBar
{
public:
    // The bar is made a child of pParent; commands go to onCommand.
    DialogMenuBar(const MenuBarTemplate& bar, QWidget* pParent, std::function<void(int command)> onCommand);

    QMenuBar* Bar() const { return m_pBar; }
    // The item of a command; nullptr when the bar has none.
    QAction* Action(int command) const;
    void SetEnabled(int command, bool bEnabled);
    void SetText(int command, const QString& text);
    void SetChecked(int command, bool bChecked);
    // Called before any menu opens, so that its items are current.
    void SetBeforeShow(std::function<void()> beforeShow) { m_beforeShow = std::move(beforeShow); }
    // The Open Recent submenu lists the recent files of this kind (see
    // RecentFiles), read anew each time a menu opens; their commands run
    // from IDM_RECENT_FIRST, newest first.
    void SetRecentKind(const QString& kind) { m_recentKind = kind; }
    void SetRecentFiles(const QStringList& files);
    // The files the submenu lists now.
    const QStringList& RecentFileList() const { return m_recentFiles; }

private:
    void AddMenu(const MenuTemplate& menu);

    QMenuBar* m_pBar;
    std::function<void(int)> m_onCommand;
    std::function<void()> m_beforeShow;
    std::map<int, QAction*> m_actions;
    QMenu* m_pRecentMenu = nullptr;
    QStringList m_recentFiles;
    QString m_recentKind;
};

// The keys of a command: the desktop's for its standard command, then the
// editor's own that the desktop does not bind already.
QList<QKeySequence> CommandKeys(const CommandKey& key);
