#pragma once
// The files an editor opened or saved last, newest first, kept with QSettings
// in the user's config folder ($XDG_CONFIG_HOME/vornalix/recent-files.conf),
// one list per kind of table. Writing the settings file takes a millisecond or
// two, so it is done on a thread of its own, in order; until it is done, this
// process reads the lists it asked to write.

#include <QString>
#include <QStringList>

class RecentFiles
{
public:
    static constexpr int kMaxFiles = 10;

    // "channel-tables", "tuner-tables".
    explicit RecentFiles(QString kind) : m_kind(std::move(kind)) {}

    QStringList Files() const;
    // Puts the file first; the list keeps the newest kMaxFiles.
    void Add(const QString& path);
    void Remove(const QString& path);
    // Waits until every list asked to be written is in its file.
    static void Flush();

private:
    void Store(const QStringList& files);

    QString m_kind;
};
