#include "RecoveryStore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChannelTable.h"
#include "FileIO.h"
#include "TunerSpecTable.h"

namespace {

const char* const kSourceSuffix = ".source";

bool MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    if (errno != ENOENT)
        return false;
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0 || !MakeFolder(path.substr(0, slash)))
        return false;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadSource(const std::string& imagePath)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes((imagePath + kSourceSuffix).c_str(), bytes, 64 * 1024))
        return "new";
    return std::string(bytes.begin(), bytes.end());
}

// The counts a copy's header states.
void ReadCounts(RecoveryCopy& copy, bool bChannelTable)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(copy.path.c_str(), bytes, ChannelTableHeader::kSize))
        return;
    bytes.resize(ChannelTableHeader::kSize, 0);
    if (bChannelTable) {
        ChannelTableHeader header;
        std::copy(bytes.begin(), bytes.end(), header.bytes);
        copy.iFirstCount = header.wAirMax();
        copy.iSecondCount = header.wCableMax();
    } else {
        TunerSpecHeader header;
        std::copy(bytes.begin(), bytes.begin() + TunerSpecHeader::kSize, header.bytes);
        copy.iFirstCount = header.iEntryCount();
    }
}

std::string NewCopyPath(const std::string& extension)
{
    static std::atomic<unsigned> sequence{0};
    const std::string folder = RecoveryFolder();
    if (folder.empty())
        return std::string();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return folder + "/" + std::to_string(now.tv_sec) + "-" + std::to_string(getpid()) + "-" +
           std::to_string(sequence++) + "." + extension;
}

std::int64_t OldestKeptTime()
{
    return static_cast<std::int64_t>(std::time(nullptr)) - kRecoveryDays * 24 * 60 * 60;
}

// Hands each regular file of the folder with this extension, with its path and
// time, to visit until visit returns false.
template <class Visit> void ForEachCopyFile(const std::string& extension, Visit visit)
{
    const std::string folder = RecoveryFolder();
    DIR* pDir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!pDir)
        return;
    const std::string suffix = "." + extension;
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string name = pEntry->d_name;
        if (!EndsWith(name, suffix))
            continue;
        RecoveryCopy copy;
        copy.path = folder + "/" + name;
        struct stat info
        {
        };
        if (stat(copy.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        copy.iTime = static_cast<std::int64_t>(info.st_mtim.tv_sec);
        if (!visit(std::move(copy)))
            break;
    }
    closedir(pDir);
}

} // namespace

std::string RecoveryFolder()
{
    std::string base;
    if (const char* pszState = std::getenv("XDG_STATE_HOME"); pszState && pszState[0] == '/')
        base = pszState;
    else if (const char* pszHome = std::getenv("HOME"); pszHome && pszHome[0] == '/')
        base = std::string(pszHome) + "/.local/state";
    else
        return std::string();
    const std::string folder = base + "/vornalix/recovery";
    if (!MakeFolder(folder))
        return std::string();
    chmod(folder.c_str(), 0700);
    return folder;
}

void RemoveRecoveryCopy(const std::string& imagePath)
{
    unlink(imagePath.c_str());
    unlink((imagePath + kSourceSuffix).c_str());
}

// The copies kept, newest first, with path and time; the others are removed.
std::vector<RecoveryCopy> PruneRecoveryCopies(const std::string& extension)
{
    std::vector<RecoveryCopy> copies;
    ForEachCopyFile(extension, [&copies](RecoveryCopy copy) {
        copies.push_back(std::move(copy));
        return true;
    });
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.iTime > b.iTime || (a.iTime == b.iTime && a.path > b.path);
    });

    const std::int64_t iOldest = OldestKeptTime();
    std::vector<RecoveryCopy> kept;
    for (RecoveryCopy& copy : copies) {
        if (kept.size() >= kRecoveryCopiesKept || copy.iTime < iOldest)
            RemoveRecoveryCopy(copy.path);
        else
            kept.push_back(std::move(copy));
    }
    return kept;
}

std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& extension)
{
    std::vector<RecoveryCopy> kept = PruneRecoveryCopies(extension);
    for (RecoveryCopy& copy : kept) {
        copy.source = ReadSource(copy.path);
        ReadCounts(copy, extension == "ccf");
    }
    return kept;
}

bool AnyRecoveryCopy(const std::string& extension, const std::string& ownPath)
{
    const std::int64_t iOldest = OldestKeptTime();
    bool bAny = false;
    ForEachCopyFile(extension, [&](const RecoveryCopy& copy) {
        bAny = copy.path != ownPath && copy.iTime >= iOldest;
        return !bAny;
    });
    return bAny;
}

RecoveryWriter::RecoveryWriter(std::string extension)
    : m_extension(std::move(extension)), m_path(NewCopyPath(m_extension)), m_thread([this] { Run(); })
{
}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecoveryWriter::Write(std::vector<std::uint8_t> image, std::string source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_path.empty())
        return;
    // A newer image of the same copy makes the waiting one useless.
    if (!m_jobs.empty() && m_jobs.back().path == m_path)
        m_jobs.pop_back();
    m_jobs.push_back(Job{false, m_path, std::move(image), std::move(source)});
    m_wake.notify_one();
}

void RecoveryWriter::Remove()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_path.empty())
        return;
    if (!m_jobs.empty() && m_jobs.back().path == m_path)
        m_jobs.pop_back();
    m_jobs.push_back(Job{true, m_path, {}, {}});
    m_wake.notify_one();
}

void RecoveryWriter::StartNewCopy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = NewCopyPath(m_extension);
}

void RecoveryWriter::Flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_bBusy; });
}

std::string RecoveryWriter::CurrentPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_path;
}

void RecoveryWriter::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            if (m_bStop)
                return;
            continue;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_bBusy = true;
        lock.unlock();
        Do(job);
        lock.lock();
        m_bBusy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

void RecoveryWriter::Do(const Job& job) const
{
    if (job.bRemove) {
        RemoveRecoveryCopy(job.path);
        return;
    }
    // The source first: a copy is listed by its image, which then always has it.
    const std::vector<std::uint8_t> source(job.source.begin(), job.source.end());
    if (WriteFileSafely((job.path + kSourceSuffix).c_str(), source) && WriteFileSafely(job.path.c_str(), job.image)) {
        // Copies nobody restores would pile up: each new one prunes the others.
        PruneRecoveryCopies(m_extension);
    }
}
