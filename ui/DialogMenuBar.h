#pragma once
// A menu bar built from its template for an editor: every item sends its
// command to the dialog as the button of the same id would, the standard
// shortcuts come from the desktop's key bindings, and the dialog sets what is
// enabled and what Undo and Redo say before a menu opens or a key is tried.

#include <functional>
#include <map>

#include <QStringList>

#include "EditorMenus.h"

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
    // Called before any menu opens, so that its items are current.
    void SetBeforeShow(std::function<void()> beforeShow) { m_beforeShow = std::move(beforeShow); }
    // The Open Recent submenu lists the recent files of this kind (see
    // RecentFiles), read anew each time a menu opens; their commands run
    // from IDM_RECENT_FIRST, newest first.
    void SetRecentKind(const QString& kind) { m_recentKind = kind; }
    void SetRecentFiles(const QStringList& files);
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

// The item's text as the template gives it, for tests and the accessible tree.
QString MenuItemText(const MenuItemTemplate& item);
