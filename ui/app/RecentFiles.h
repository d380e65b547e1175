#pragma once
// The files an editor opened or saved last, newest first, kept in the user's
// config folder ($XDG_CONFIG_HOME/vornalix/recent-files.conf, by default under
// ~/.config) through QSettings, one list per kind of table. Writing the
// settings file takes a millisecond or two, so while a RecentFilesWriter
// exists it is done on that writer's thread, in order; until it is done, this
// process reads the lists it asked to write. Without a writer a list is
// written at once, on the thread that changed it.
//
// The settings file is checked before QSettings opens it (SettingsFiles.h):
// only a regular file of the user's own (a symbolic link to one is followed),
// refused before it is opened otherwise, so that a FIFO put there never
// blocks; and only up to kMaxSettingsBytes. A refused file is neither read
// nor written over: the lists are empty and the reason is said once on
// standard error. With no config folder known (no XDG_CONFIG_HOME, no home
// folder) no files are kept.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include <QString>
#include <QStringList>

// The thread that writes the recent-files lists, in the order they were
// asked for. Its owner controls its life: the application object makes one
// when it starts and ends it before the QApplication goes; a test or
// benchmark may make its own. While it exists RecentFiles hands it every
// write; ending it writes everything asked and joins its thread. Writers
// nest: one made while another exists takes over until it ends.
class RecentFilesWriter
{
public:
    RecentFilesWriter();
    ~RecentFilesWriter();
    RecentFilesWriter(const RecentFilesWriter&) = delete;
    RecentFilesWriter& operator=(const RecentFilesWriter&) = delete;

    // Runs the write on the thread, after those asked before it.
    void Post(std::function<void()> write);
    // Waits until every write asked is done.
    void Flush();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_writes;
    bool m_bBusy = false;
    bool m_bStop = false;
    RecentFilesWriter* m_pPrevious = nullptr;
    std::thread m_thread;
};

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
