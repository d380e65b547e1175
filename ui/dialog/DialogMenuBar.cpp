#include "ui/dialog/DialogMenuBar.h"

#include <string>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "res/resource.h"
#include "ui/app/RecentFiles.h"

namespace {

QKeySequence::StandardKey QtStandardKey(StandardShortcut shortcut)
{
    switch (shortcut) {
    case StandardShortcut::New: return QKeySequence::New;
    case StandardShortcut::Open: return QKeySequence::Open;
    case StandardShortcut::Save: return QKeySequence::Save;
    case StandardShortcut::SaveAs: return QKeySequence::SaveAs;
    case StandardShortcut::Close: return QKeySequence::Close;
    case StandardShortcut::Undo: return QKeySequence::Undo;
    case StandardShortcut::Redo: return QKeySequence::Redo;
    case StandardShortcut::Find: return QKeySequence::Find;
    case StandardShortcut::SelectAll: return QKeySequence::SelectAll;
    case StandardShortcut::Copy: return QKeySequence::Copy;
    case StandardShortcut::Paste: return QKeySequence::Paste;
    case StandardShortcut::None: break;
    }
    return QKeySequence::UnknownKey;
}

// "&1 /path/to/file": the first nine take a digit as their mnemonic, and an
// ampersand in a name is shown as itself.
QString RecentFileText(int index, const QString& path)
{
    QString name = path;
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (index < 9)
        return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
    return QStringLiteral("1&0 %1").arg(name);
}

} // namespace

QList<QKeySequence> CommandKeys(const CommandKey& key)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QtStandardKey(key.standard));
    if (key.keys) {
        for (const QKeySequence& own : QKeySequence::listFromString(QString::fromLatin1(key.keys))) {
            if (!keys.contains(own))
                keys.push_back(own);
        }
    }
    return keys;
}

DialogMenuBar::DialogMenuBar(const MenuBarTemplate& bar, QWidget* pParent, std::function<void(int)> onCommand)
    : m_pBar(new QMenuBar(pParent)), m_onCommand(std::move(onCommand))
{
    m_pBar->setNativeMenuBar(false);
    for (const MenuTemplate& menu : bar.menus)
        AddMenu(menu);
}

void DialogMenuBar::AddMenu(const MenuTemplate& menuTemplate)
{
    QMenu* pMenu = m_pBar->addMenu(QString::fromLatin1(menuTemplate.title));
    QObject::connect(pMenu, &QMenu::aboutToShow, m_pBar, [this] {
        if (m_beforeShow)
            m_beforeShow();
        if (!m_recentKind.isEmpty())
            SetRecentFiles(RecentFiles(m_recentKind).Files());
    });
    std::map<std::string, QMenu*> submenus;
    for (const MenuItemTemplate& item : menuTemplate.items) {
        QMenu* pItemMenu = pMenu;
        if (item.submenu) {
            QMenu*& pSubmenu = submenus[item.submenu];
            if (!pSubmenu)
                pSubmenu = pMenu->addMenu(QString::fromLatin1(item.submenu));
            pItemMenu = pSubmenu;
        }
        switch (item.kind) {
        case MenuItemKind::Separator: pItemMenu->addSeparator(); break;
        case MenuItemKind::RecentFiles:
            m_pRecentMenu = pMenu->addMenu(QString::fromLatin1(kOpenRecentMenuText));
            SetRecentFiles({});
            break;
        case MenuItemKind::Command:
        case MenuItemKind::Toggle: {
            // The shortcut is the item's own: the bar shows it in its own
            // column and a screen reader reads the name alone.
            QAction* pAction = pItemMenu->addAction(QString::fromLatin1(item.text));
            pAction->setCheckable(item.kind == MenuItemKind::Toggle);
            const int command = item.command;
            pAction->setObjectName(QStringLiteral("menu-%1").arg(command));
            pAction->setShortcuts(CommandKeys(item.key));
            // Shown beside the item, but taken only by the open menu: the
            // dialog handles the key where it applies.
            if (item.key.scope != KeyScope::Window)
                pAction->setShortcutContext(Qt::WidgetShortcut);
            QObject::connect(pAction, &QAction::triggered, m_pBar, [this, command] { m_onCommand(command); });
            m_actions[command] = pAction;
            break;
        }
        }
    }
}

QAction* DialogMenuBar::Action(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void DialogMenuBar::SetEnabled(int command, bool bEnabled)
{
    if (QAction* pAction = Action(command))
        pAction->setEnabled(bEnabled);
}

void DialogMenuBar::SetText(int command, const QString& text)
{
    if (QAction* pAction = Action(command))
        pAction->setText(text);
}

void DialogMenuBar::SetChecked(int command, bool bChecked)
{
    if (QAction* pAction = Action(command))
        pAction->setChecked(bChecked);
}

void DialogMenuBar::SetRecentFiles(const QStringList& files)
{
    m_recentFiles = files;
    if (!m_pRecentMenu)
        return;
    for (int command = IDM_RECENT_FIRST; command <= IDM_RECENT_LAST; ++command)
        m_actions.erase(command);
    m_pRecentMenu->clear();
    if (files.isEmpty()) {
        m_pRecentMenu->addAction(QString::fromLatin1(kNoRecentFilesText))->setEnabled(false);
        return;
    }
    for (int i = 0; i < files.size() && IDM_RECENT_FIRST + i <= IDM_RECENT_LAST; ++i) {
        QAction* pAction = m_pRecentMenu->addAction(RecentFileText(i, files[i]));
        const int command = IDM_RECENT_FIRST + i;
        pAction->setObjectName(QStringLiteral("menu-%1").arg(command));
        m_actions[command] = pAction;
        QObject::connect(pAction, &QAction::triggered, m_pBar, [this, command] { m_onCommand(command); });
    }
}
