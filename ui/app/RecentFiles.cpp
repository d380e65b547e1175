#include "ui/app/RecentFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>


#include "platform/DataFolders.h"
#include "platform/FileIO.h"
#include "platform/RecentFilesText.h"
#include "ui/dialog/FileNames.h"

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

// Why no files are kept, said on standard error once for each settings file
// (or for the lack of one), however often the lists are read or written.
void SayOnce(const std::string& settingsFile, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!said.insert(settingsFile).second)
        return;
    if (settingsFile.empty())
        std::fprintf(stderr, "vornalix: recent files are not kept: %s\n", reason.c_str());
    else
        std::fprintf(stderr, "vornalix: recent files are not kept: %s: %s\n", settingsFile.c_str(), reason.c_str());
}

// The file is named anew on each use: the config folder is the environment's
// setting of the moment, not the one of the first use.
std::string SettingsPath()
{
    const std::string configHome = ConfigHome();
    if (configHome.empty()) {
        SayOnce({}, "no config folder is known (neither XDG_CONFIG_HOME nor a home folder)");
        return {};
    }
    return configHome + "/vornalix/recent-files.conf";
}

std::string_view TextOf(const std::vector<std::uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The bytes of the settings file, none when there is none yet; nothing, and
// the reason said, when it is refused.
std::optional<std::vector<std::uint8_t>> ReadSettings(const std::string& settingsFile)
{
    FileReader reader;
    FileError error;
    // Refused before it is opened unless it is a regular file.
    if (!reader.Open(settingsFile.c_str(), NonRegularFiles::Refuse, &error)) {
        if (error.code == ENOENT)
            return std::vector<std::uint8_t>();
        SayOnce(settingsFile, error.text);
        return std::nullopt;
    }
    constexpr std::uint64_t kLimit = RecentFiles::kMaxSettingsBytes;
    static_assert(kLimit % (1024 * 1024) == 0, "the limit is said in MiB");
    const std::string tooLarge = "it is larger than " + std::to_string(kLimit / (1024 * 1024)) + " MiB";
    if (reader.RegularFileSize().value_or(kLimit + 1) > kLimit) {
        SayOnce(settingsFile, tooLarge);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (!reader.ReadUpTo(bytes, kLimit + 1, &error)) {
        SayOnce(settingsFile, error.text);
        return std::nullopt;
    }
    // It may have grown since it was opened.
    if (bytes.size() > kLimit) {
        SayOnce(settingsFile, tooLarge);
        return std::nullopt;
    }
    return bytes;
}


// On the writer thread: the kind's list put into the file as it is now, its
// other lists kept. A file that is refused for reading is not written over.
void WriteList(const std::string& settingsFile, const std::string& kind, std::vector<std::string> files)
{
    const std::optional<std::vector<std::uint8_t>> bytes = ReadSettings(settingsFile);
    if (!bytes)
        return;
    RecentFileLists lists = ReadRecentFileLists(TextOf(*bytes));
    // A file that is not wholly ours (comments, other groups, a link to
    // someone's notes) would keep only our lines: it is left as it is.
    if (!bytes->empty() && RecentFileListsText(lists) != TextOf(*bytes)) {
        SayOnce(settingsFile, "it holds text this program did not write, which a write would lose");
        return;
    }
    lists[kind] = std::move(files);
    if (!MakeBaseFolders(settingsFile.substr(0, settingsFile.find_last_of('/')))) {
        SayOnce(settingsFile, std::string("its folder cannot be made: ") + std::strerror(errno));
        return;
    }
    const std::string newText = RecentFileListsText(lists);
    FileError error;
    if (!WriteFileSafely(settingsFile.c_str(), reinterpret_cast<const std::uint8_t*>(newText.data()), newText.size(),
                         &error))
        SayOnce(settingsFile, error.text);
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
    const std::optional<std::vector<std::uint8_t>> bytes = ReadSettings(settingsFile);
    if (!bytes)
        return std::nullopt;
    QStringList files;
    for (const std::string& file : ReadRecentFileList(TextOf(*bytes), m_kind.toStdString())) {
        if (files.size() == kMaxFiles)
            break;
        const QString path = QString::fromStdString(file);
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
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(file.toStdString());
    auto write = [settingsFile, kind = m_kind.toStdString(), key, paths = std::move(paths)]() mutable {
        WriteList(settingsFile, kind, std::move(paths));
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
