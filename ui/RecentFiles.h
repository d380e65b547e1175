#pragma once
// The files an editor opened or saved last, newest first, kept in the user's
// config folder ($XDG_CONFIG_HOME/vornalix/recent-files.conf, by default under
// ~/.config), one list per kind of table, in the INI text QSettings writes
// (RecentFilesText). Writing the settings file takes a millisecond or two, so
// it is done on a thread of its own, in order; until it is done, this process
// reads the lists it asked to write.
//
// The settings file is read as every file of the editors is: only a regular
// file (a symbolic link to one is followed), refused before it is opened
// otherwise, so that a FIFO put there never blocks; and only up to
// kMaxSettingsBytes. A refused file is neither read nor written over: the
// lists are empty and the reason is said once on standard error. With no
// config folder known (no XDG_CONFIG_HOME, no home folder) no files are kept.

#include <cstdint>
#include <optional>
#include <utility>

#include <QString>
#include <QStringList>

class RecentFiles
{
public:
    static constexpr int kMaxFiles = 10;
    // Ten files of each kind take a few hundred bytes, and even at the longest
    // a path may be, escaped, some hundred KiB: a larger file is not ours.
    static constexpr std::uint64_t kMaxSettingsBytes = 1024 * 1024;

    // "channel-tables", "tuner-tables".
    explicit RecentFiles(QString kind) : m_kind(std::move(kind)) {}

    QStringList Files() const;
    // Puts the file first; the list keeps the newest kMaxFiles.
    void Add(const QString& path);
    void Remove(const QString& path);
    // Waits until every list asked to be written is in its file.
    static void Flush();

    // The settings file as the environment names it now; empty when no config
    // folder is known.
    static QString SettingsFile();

private:
    // The list of this kind; nothing when there is no settings file or it is
    // refused, and then nothing may be stored either.
    std::optional<QStringList> Load() const;
    void Store(const QStringList& files);

    QString m_kind;
};
