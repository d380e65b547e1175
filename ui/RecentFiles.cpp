#include "RecentFiles.h"

#include <mutex>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

// The lists asked to be written and not yet in their file, by settings file
// and kind, with the number of writes of each still to run.
struct PendingList
{
    QStringList files;
    int iWrites = 0;
};

std::mutex& PendingMutex()
{
    static std::mutex mutex;
    return mutex;
}

QHash<QString, PendingList>& PendingLists()
{
    static QHash<QString, PendingList> lists;
    return lists;
}

QString PendingKey(const QString& settingsFile, const QString& kind)
{
    return settingsFile + QLatin1Char('\n') + kind;
}

// One thread, so that the writes land in the order they were asked for; its
// destruction at exit waits for the last one.
QThreadPool& Writer()
{
    static QThreadPool& pool = []() -> QThreadPool& {
        static QThreadPool one;
        one.setMaxThreadCount(1);
        return one;
    }();
    return pool;
}

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
    const QString settingsFile = SettingsFile();
    {
        const std::lock_guard<std::mutex> lock(PendingMutex());
        const auto pending = PendingLists().constFind(PendingKey(settingsFile, m_kind));
        if (pending != PendingLists().constEnd())
            return pending->files;
    }
    const QSettings settings(settingsFile, QSettings::IniFormat);
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
    const QString settingsFile = SettingsFile();
    const QString key = PendingKey(settingsFile, m_kind);
    {
        const std::lock_guard<std::mutex> lock(PendingMutex());
        PendingList& pending = PendingLists()[key];
        pending.files = files;
        ++pending.iWrites;
    }
    Writer().start([settingsFile, kind = m_kind, key, files] {
        {
            QSettings settings(settingsFile, QSettings::IniFormat);
            settings.setValue(kind, files);
        }
        const std::lock_guard<std::mutex> lock(PendingMutex());
        const auto pending = PendingLists().find(key);
        if (pending != PendingLists().end() && --pending->iWrites == 0)
            PendingLists().erase(pending);
    });
}

void RecentFiles::Flush()
{
    Writer().waitForDone();
}
