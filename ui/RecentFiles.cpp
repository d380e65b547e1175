#include "RecentFiles.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The file is named anew on each use: the config folder is the desktop's
// setting of the moment, not the one of the first use.
QString SettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vornalix/recent-files.conf");
}

QString Absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList RecentFiles::Files() const
{
    const QSettings settings(SettingsFile(), QSettings::IniFormat);
    QStringList files = settings.value(m_kind).toStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    while (files.size() > kMaxFiles)
        files.removeLast();
    return files;
}

void RecentFiles::Add(const QString& path)
{
    const QString file = Absolute(path);
    QStringList files = Files();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kMaxFiles)
        files.removeLast();
    Store(files);
}

void RecentFiles::Remove(const QString& path)
{
    QStringList files = Files();
    if (files.removeAll(path) + files.removeAll(Absolute(path)) > 0)
        Store(files);
}

void RecentFiles::Store(const QStringList& files)
{
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    settings.setValue(m_kind, files);
}
