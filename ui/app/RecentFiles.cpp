#include "ui/app/RecentFiles.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "ui/dialog/FileNames.h"
#include "ui/editor/SettingsFiles.h"

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

std::map<std::string, PendingList>& PendingLists()
{
    static std::map<std::string, PendingList> lists;
    return lists;
}

std::string PendingKey(const std::string& settingsFile, const QString& kind)
{
    return settingsFile + '\n' + kind.toStdString();
}

// The writer RecentFiles hands its writes to, if any (see RecentFilesWriter).
std::mutex g_writerMutex;
RecentFilesWriter* g_pWriter = nullptr;

constexpr SettingsFileRules kRules{"recent files", RecentFiles::kMaxSettingsBytes, false};

// The file is named anew on each use: the config folder is the environment's
// setting of the moment, not the one of the first use.
std::string SettingsPath()
{
    std::string file = SettingsFilePath("recent-files.conf");
    if (file.empty()) {
        static std::once_flag said;
        std::call_once(said, [] {
            std::fprintf(stderr, "vornalix: recent files are not kept: no config folder is known (neither "
                                 "XDG_CONFIG_HOME nor a home folder)\n");
        });
        return {};
    }
    return file;
}

// On the writer thread: the kind's list put into the file as it is now, its
// other lists kept. A file that is refused is not written over.
void WriteList(const std::string& settingsFile, const QString& kind, const QStringList& files)
{
    WriteSetting(settingsFile, kRules, kind, files);
}

// One name per file, whatever way it was reached: links and ".." resolved
// by the kernel, not as text.
QString Absolute(const QString& path)
{
    return CanonicalFileName(path);
}

} // namespace

QString RecentFiles::SettingsFile()
{
    return QString::fromStdString(SettingsPath());
}

std::optional<QStringList> RecentFiles::Load() const
{
    const std::string settingsFile = SettingsPath();
    if (settingsFile.empty())
        return std::nullopt;
    {
        const std::lock_guard<std::mutex> lock(PendingMutex());
        const auto pending = PendingLists().find(PendingKey(settingsFile, m_kind));
        if (pending != PendingLists().end())
            return pending->second.files;
    }
    const std::optional<QVariant> stored = ReadSetting(settingsFile, kRules, m_kind);
    if (!stored)
        return std::nullopt;
    QStringList files;
    for (const QString& path : stored->toStringList()) {
        if (files.size() == kMaxFiles)
            break;
        if (!path.isEmpty() && !files.contains(path))
            files << path;
    }
    return files;
}

QStringList RecentFiles::Files() const
{
    return Load().value_or(QStringList());
}

void RecentFiles::Add(const QString& path)
{
    std::optional<QStringList> files = Load();
    if (!files)
        return;
    const QString file = Absolute(path);
    files->removeAll(file);
    files->prepend(file);
    while (files->size() > kMaxFiles)
        files->removeLast();
    Store(*files);
}

void RecentFiles::Remove(const QString& path)
{
    std::optional<QStringList> files = Load();
    if (files && files->removeAll(path) + files->removeAll(Absolute(path)) > 0)
        Store(*files);
}

void RecentFiles::Store(const QStringList& files)
{
    const std::string settingsFile = SettingsPath();
    if (settingsFile.empty())
        return;
    const std::string key = PendingKey(settingsFile, m_kind);
    {
        const std::lock_guard<std::mutex> lock(PendingMutex());
        PendingList& pending = PendingLists()[key];
        pending.files = files;
        ++pending.iWrites;
    }
    auto write = [settingsFile, kind = m_kind, key, files] {
        WriteList(settingsFile, kind, files);
        const std::lock_guard<std::mutex> lock(PendingMutex());
        const auto pending = PendingLists().find(key);
        if (pending != PendingLists().end() && --pending->second.iWrites == 0)
            PendingLists().erase(pending);
    };
    {
        const std::lock_guard<std::mutex> lock(g_writerMutex);
        if (g_pWriter) {
            g_pWriter->Post(std::move(write));
            return;
        }
    }
    write();
}

void RecentFiles::Flush()
{
    const std::lock_guard<std::mutex> lock(g_writerMutex);
    if (g_pWriter)
        g_pWriter->Flush();
}

RecentFilesWriter::RecentFilesWriter() : m_thread([this] { Run(); })
{
    const std::lock_guard<std::mutex> lock(g_writerMutex);
    m_pPrevious = std::exchange(g_pWriter, this);
}

RecentFilesWriter::~RecentFilesWriter()
{
    {
        // Later writes go to the writer before this one, or are made at once.
        const std::lock_guard<std::mutex> lock(g_writerMutex);
        if (g_pWriter == this)
            g_pWriter = m_pPrevious;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecentFilesWriter::Post(std::function<void()> write)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_writes.push_back(std::move(write));
    }
    m_wake.notify_one();
}

void RecentFilesWriter::Flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_writes.empty() && !m_bBusy; });
}

void RecentFilesWriter::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_writes.empty(); });
        // Everything asked is written before the thread ends.
        if (m_writes.empty())
            return;
        std::function<void()> write = std::move(m_writes.front());
        m_writes.pop_front();
        m_bBusy = true;
        lock.unlock();
        write();
        lock.lock();
        m_bBusy = false;
        if (m_writes.empty())
            m_idle.notify_all();
    }
}
