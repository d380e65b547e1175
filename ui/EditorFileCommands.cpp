#include "EditorFileCommands.h"

#include <QFileInfo>

#include "Strings.h"

void OpenRecentFile(UserServices& services, QWidget* pOwner, const QString& recentKind, int index,
                    const std::function<bool(const QString&)>& open)
{
    RecentFiles recent(recentKind);
    const QStringList files = recent.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    if (!QFileInfo::exists(path)) {
        recent.Remove(path);
        services.ShowMessage(pOwner, QString::fromLatin1(kRecentFileMissingText).arg(path), MessageIcon::Exclamation);
        return;
    }
    open(path);
}
