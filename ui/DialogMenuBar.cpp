#include "DialogMenuBar.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "RecentFiles.h"
#include "resource.h"

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

QString MenuItemText(const MenuItemTemplate& item)
{
    return item.text ? QString::fromLatin1(item.text) : QString();
}

DialogMenuBar::DialogMenuBar(const MenuBarTemplate& bar, QWidget* pParent, std::function<void(int)> onCommand)
    : m_pBar(new QMenuBar(pParent)), m_onCommand(std::move(onCommand))
{
    m_pBar->setNativeMenuBar(false);
    for (std::size_t i = 0; i < bar.menuCount; ++i)
        AddMenu(bar.menus[i]);
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
    for (std::size_t i = 0; i < menuTemplate.itemCount; ++i) {
        const MenuItemTemplate& item = menuTemplate.items[i];
        switch (item.kind) {
        case MenuItemKind::Separator: pMenu->addSeparator(); break;
        case MenuItemKind::RecentFiles:
            m_pRecentMenu = pMenu->addMenu(QString::fromLatin1(kOpenRecentMenuText));
            SetRecentFiles({});
            break;
        case MenuItemKind::Command: {
            // A key named after a tab is the item's shortcut: the bar shows it
            // in its own column and a screen reader reads the name alone.
            QString text = MenuItemText(item);
            QString key = item.key ? QString::fromLatin1(item.key) : QString();
            if (const qsizetype tab = text.indexOf(QLatin1Char('\t')); tab >= 0) {
                key = text.mid(tab + 1);
                text.truncate(tab);
            }
            QAction* pAction = pMenu->addAction(text);
            const int command = item.command;
            pAction->setObjectName(QStringLiteral("menu-%1").arg(command));
            // A desktop that binds no key to a standard command gets the item's own.
            const QList<QKeySequence> standardKeys = QKeySequence::keyBindings(QtStandardKey(item.standard));
            if (!standardKeys.isEmpty())
                pAction->setShortcuts(standardKeys);
            else if (!key.isEmpty())
                pAction->setShortcut(QKeySequence(key));
            // Shown beside the item, but taken only by the open menu: the
            // dialog handles the key where it applies.
            if (item.keyScope == KeyScope::Dialog)
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
