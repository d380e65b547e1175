#include "platform/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/LargeMemory.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int OpenUnnamed(const char* pszFolder, mode_t mode)
{
    return ::open(pszFolder, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

bool LacksRenameFlags(int errnoValue)
{
    return errnoValue == EINVAL || errnoValue == ENOSYS || errnoValue == EOPNOTSUPP;
}

// Puts the new file at `to` only if what is there at that moment is a regular
// file or nothing: a device, a FIFO or a link planted after the save looked
// is never replaced. The exchange makes the look and the replacing one step:
// whatever stood at `to` comes to `from`, where it is looked at, and an
// exchange back undoes the whole when it was not a regular file. File
// systems without these flags get the look just before a plain rename.
int PutInPlace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EEXIST && !LacksRenameFlags(errno))
        return -1;
    if (errno == EEXIST && ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
        struct stat replaced;
        if (::lstat(from, &replaced) == 0 && S_ISREG(replaced.st_mode)) {
            ::unlink(from);
            return 0;
        }
        ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        errno = EINVAL;
        return -1;
    }
    if (!LacksRenameFlags(errno))
        return -1;
    struct stat there;
    if (::lstat(to, &there) == 0 && !S_ISREG(there.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    return ::rename(from, to);
}

const FileSystemCalls kRealCalls = {::write, ::fsync, PutInPlace, OpenUnnamed};
FileSystemCalls g_calls = kRealCalls;

void Fail(FileError* pError, int errnoValue)
{
    if (pError)
        pError->Set(errnoValue);
}

// A read that would wait: said as what it means for the person.
void FailRead(FileError* pError, int errnoValue)
{
    if (errnoValue == EAGAIN || errnoValue == EWOULDBLOCK) {
        if (pError)
            pError->Set(EAGAIN, "reading it would wait for data that may never come");
        return;
    }
    Fail(pError, errnoValue);
}

// A file that is not a regular one, in words that follow "Cannot load ...: ".
// A folder keeps the system's wording, as it always had.
void FailNotRegular(FileError* pError, mode_t mode)
{
    if (S_ISLNK(mode)) {
        if (pError)
            pError->Set(EINVAL, "it is a symbolic link, not a regular file");
        return;
    }
    if (S_ISDIR(mode)) {
        Fail(pError, EISDIR);
        return;
    }
    const char* pszKind = "a special file";
    if (S_ISFIFO(mode))
        pszKind = "a FIFO";
    else if (S_ISCHR(mode))
        pszKind = "a character device";
    else if (S_ISBLK(mode))
        pszKind = "a block device";
    else if (S_ISSOCK(mode))
        pszKind = "a socket";
    if (pError)
        pError->Set(EINVAL, std::string("it is ") + pszKind + ", not a regular file");
}

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links so that a save replaces the file a link points to and
// leaves the link itself in place. A dangling link resolves to where it points;
// a loop ends on a link, which the save then refuses.
std::string ResolveLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), PATH_MAX);
        if (n <= 0)
            return path;
        std::string next(target.data(), static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : DirectoryOf(path) + "/" + next;
    }
    return path;
}

// The umask the program was loaded with, read while no thread of its own can
// run yet: umask() reads the mask only by setting it, and a thread creating a
// file in that moment would get the mask set for the read.
const mode_t g_umaskAtLoad = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}();

// The process's umask as the kernel reports it in /proc/self/status (Linux
// 4.7 and later), which reads it without changing it and follows any later
// change; where /proc does not tell, the umask the program was loaded with.
mode_t CurrentUmask()
{
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return g_umaskAtLoad;
    // The line comes second, after the name: the first kilobyte holds it.
    char text[1024];
    std::size_t have = 0;
    while (have < sizeof text - 1) {
        const ssize_t n = ::read(fd, text + have, sizeof text - 1 - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text[have] = '\0';
    const char* pLine = std::strstr(text, "\nUmask:");
    if (!pLine)
        return g_umaskAtLoad;
    char* pEnd = nullptr;
    const unsigned long mask = std::strtoul(pLine + 7, &pEnd, 8);
    if (pEnd == pLine + 7 || mask > 0777)
        return g_umaskAtLoad;
    return static_cast<mode_t>(mask);
}

mode_t ModeForNewFile()
{
    return 0666 & ~CurrentUmask();
}

bool WriteAll(int fd, const std::uint8_t* pData, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = g_calls.write(fd, pData, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        pData += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Holds back every signal that can be held (SIGTERM, SIGINT, SIGHUP, ...) while
// the new file has a name of its own, so that such a signal ends the program
// only once the rename is done. SIGKILL cannot be held; its window is the two
// system calls between naming and renaming.
class SignalsHeld
{
public:
    SignalsHeld()
    {
        sigset_t all;
        ::sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &m_old);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_old;
};

// Six characters for a hidden name beside the target.
std::string RandomSuffix()
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uint8_t random[6];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        const auto seed = static_cast<std::uint64_t>(std::time(nullptr)) ^
                          (static_cast<std::uint64_t>(::getpid()) << 20) ^ reinterpret_cast<std::uintptr_t>(&random);
        for (std::size_t i = 0; i < sizeof random; ++i)
            random[i] = static_cast<std::uint8_t>(seed >> (8 * i));
    }
    std::string suffix;
    for (std::uint8_t b : random)
        suffix += kChars[b % (sizeof kChars - 1)];
    return suffix;
}

// Gives an unnamed file a hidden name beside the target. Through /proc any
// process may; linking the descriptor itself needs privilege, and is the way
// left where /proc is not mounted. Returns 0 or the errno of the failure.
int NameUnnamedFile(int fd, const std::string& folder, const std::string& base, std::string& name)
{
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + "/." + base + "." + RandomSuffix();
        int result = ::linkat(AT_FDCWD, procPath, AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
        if (result == 0) {
            name = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The owner and group of the file being replaced, where the process may give
// them (root may; anybody may keep a group they belong to).
void KeepOwner(int fd, const struct stat& old)
{
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid())
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
        return; // the new file keeps the process's own: nothing else is allowed
}

// The new content in a file of its own beside the target: unnamed where the
// file system allows it, else under a hidden temporary name.
class NewFile
{
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() { Discard(); }

    // Returns 0 or the errno of the failure.
    int Create(const std::string& folder, const std::string& base, mode_t mode, bool bUnnamed)
    {
        m_folder = folder;
        m_base = base;
        if (bUnnamed) {
            m_fd = g_calls.openUnnamed(folder.c_str(), mode);
            return m_fd >= 0 ? 0 : errno;
        }
        std::string pattern = folder + "/." + base + ".XXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0)
            return errno;
        m_name = pattern;
        return 0;
    }
    int Fd() const { return m_fd; }
    bool HasName() const { return !m_name.empty(); }
    int GiveName() { return NameUnnamedFile(m_fd, m_folder, m_base, m_name); }
    // Closes the file; returns 0 or the errno of the failure.
    int Close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }
    int RenameOver(const std::string& target)
    {
        if (g_calls.rename(m_name.c_str(), target.c_str()) != 0)
            return errno;
        m_name.clear();
        return 0;
    }
    // Whatever is left of a save that failed: an unnamed file vanishes with its
    // descriptor, a named one is removed.
    void Discard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (!m_name.empty())
            ::unlink(m_name.c_str());
        m_name.clear();
    }

private:
    int m_fd = -1;
    std::string m_folder;
    std::string m_base;
    std::string m_name;
};

// errno values of O_TMPFILE that mean the file system (or kernel) has no
// unnamed files.
bool LacksUnnamedFiles(int errnoValue)
{
    return errnoValue == EOPNOTSUPP || errnoValue == EISDIR;
}

bool LacksPermission(int errnoValue)
{
    return errnoValue == EACCES || errnoValue == EPERM;
}

} // namespace

void FileError::Set(int errnoValue)
{
    code = errnoValue;
    text = std::strerror(errnoValue);
}

void FileError::Set(int errnoValue, std::string reason)
{
    code = errnoValue;
    text = std::move(reason);
}

FileReader::~FileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileReader::Open(const char* pszPath, NonRegularFiles nonRegular, FileError* pError)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_sizeHint = 0;
    m_regularSize.reset();
    if (!pszPath) {
        Fail(pError, EINVAL);
        return false;
    }
    const bool bRegularOnly = nonRegular == NonRegularFiles::Refuse;
    struct stat st;
    // Opening a FIFO waits for a writer, and opening a device may do anything:
    // a file that is refused is refused before it is opened.
    if (bRegularOnly) {
        if (::stat(pszPath, &st) != 0) {
            Fail(pError, errno);
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            FailNotRegular(pError, st.st_mode);
            return false;
        }
    }
    // Non-blocking, in case the file was replaced by a FIFO after the look.
    const int fd = ::open(pszPath, O_RDONLY | O_NOCTTY | O_CLOEXEC | (bRegularOnly ? O_NONBLOCK : 0));
    if (fd < 0) {
        Fail(pError, errno);
        return false;
    }
    if (::fstat(fd, &st) != 0) {
        Fail(pError, errno);
        ::close(fd);
        return false;
    }
    if (S_ISDIR(st.st_mode) || (bRegularOnly && !S_ISREG(st.st_mode))) {
        FailNotRegular(pError, st.st_mode);
        ::close(fd);
        return false;
    }
    // O_NONBLOCK stays set: it changes nothing for a file on a disk, and a
    // file that only looks regular but whose reads wait for data (a kernel
    // pipe such as tracefs's trace_pipe, /proc/kmsg) fails at once instead of
    // holding the reader up for ever.
    m_fd = fd;
    m_sizeHint = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (S_ISREG(st.st_mode))
        m_regularSize = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool FileReader::ReadUpTo(std::vector<std::uint8_t>& bytes, std::size_t total, FileError* pError)
{
    if (m_fd < 0) {
        Fail(pError, EBADF);
        return false;
    }
    if (bytes.size() >= total)
        return true;
    try {
        // The size is only a hint (pipes and special files report none, a file
        // can grow while it is read): the expected bytes go straight into the
        // vector, and whatever follows them is read on in chunks until the end
        // of the data or the limit.
        std::size_t have = bytes.size();
        const std::size_t expected =
            static_cast<std::size_t>(std::min<std::uint64_t>(total, std::max<std::uint64_t>(have, m_sizeHint)));
        if (expected >= kLargePageBytes && bytes.capacity() < expected) {
            bytes.reserve(expected);
            AdviseLargePages(bytes.data(), bytes.capacity());
        }
        bytes.resize(expected);
        while (have < expected) {
            const ssize_t n = ::read(m_fd, bytes.data() + have, expected - have);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int e = errno;
                bytes.resize(have);
                FailRead(pError, e);
                return false;
            }
            if (n == 0)
                break;
            have += static_cast<std::size_t>(n);
        }
        bytes.resize(have);
        if (have < expected)
            return true;
        std::uint8_t chunk[65536];
        while (bytes.size() < total) {
            const std::size_t want = std::min(sizeof chunk, total - bytes.size());
            const ssize_t n = ::read(m_fd, chunk, want);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                FailRead(pError, errno);
                return false;
            }
            if (n == 0)
                break;
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return true;
    } catch (const std::bad_alloc&) {
        Fail(pError, ENOMEM);
        return false;
    }
}

bool ReadFileBytes(const char* pszPath, std::vector<std::uint8_t>& bytes, std::size_t maxBytes, FileError* pError,
                   NonRegularFiles nonRegular)
{
    bytes.clear();
    FileReader reader;
    if (!reader.Open(pszPath, nonRegular, pError) || !reader.ReadUpTo(bytes, maxBytes, pError)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteFileSafely(const char* pszPath, const std::uint8_t* pData, std::size_t size, FileError* pError)
{
    if (!pszPath || !*pszPath) {
        Fail(pError, EINVAL);
        return false;
    }
    const std::string target = ResolveLinks(pszPath);
    struct stat old;
    const bool bExists = ::stat(target.c_str(), &old) == 0;
    if (!bExists && errno != ENOENT) {
        Fail(pError, errno); // a loop of links, a path through a file, ...
        return false;
    }
    // A FIFO, a device or a folder is never replaced by a regular file.
    if (bExists && !S_ISREG(old.st_mode)) {
        FailNotRegular(pError, old.st_mode);
        return false;
    }
    const mode_t mode = bExists ? (old.st_mode & 07777) : ModeForNewFile();
    const std::string folder = DirectoryOf(target);
    const std::string base = BaseNameOf(target);

    // An unnamed file first; a named one where the file system has none or
    // where an unnamed one could be written but not named.
    for (const bool bUnnamed : {true, false}) {
        NewFile file;
        int savedErrno = file.Create(folder, base, mode, bUnnamed);
        if (savedErrno != 0) {
            if (bUnnamed && LacksUnnamedFiles(savedErrno))
                continue;
            // Rewriting the file itself would leave half a table behind when
            // the program is killed during the write: it is refused instead.
            if (bExists && LacksPermission(savedErrno)) {
                if (pError)
                    pError->Set(savedErrno, "its folder does not let a new file be made beside it, so it cannot "
                                            "be replaced safely; save it in another folder");
                return false;
            }
            Fail(pError, savedErrno);
            return false;
        }
        if (bExists)
            KeepOwner(file.Fd(), old);
        if (::fchmod(file.Fd(), mode) != 0 || !WriteAll(file.Fd(), pData, size) || g_calls.fsync(file.Fd()) != 0) {
            Fail(pError, errno);
            return false;
        }
        {
            SignalsHeld held;
            if (!file.HasName()) {
                savedErrno = file.GiveName();
                if (savedErrno != 0 && bUnnamed)
                    continue;
            }
            if (savedErrno == 0)
                savedErrno = file.Close();
            if (savedErrno == 0)
                savedErrno = file.RenameOver(target);
            if (savedErrno != 0) {
                file.Discard();
                // Something other than a regular file took the name while
                // the new content was written: it stays, and is named.
                struct stat now;
                if (::lstat(target.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
                    FailNotRegular(pError, now.st_mode);
                else
                    Fail(pError, savedErrno);
                return false;
            }
        }
        // Make the rename itself durable; a failure here cannot lose the new content.
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            g_calls.fsync(dirFd);
            ::close(dirFd);
        }
        return true;
    }
    Fail(pError, EIO);
    return false;
}

void ByteSource::ReadPastEnd(void* pDest, std::size_t n) const
{
    auto* out = static_cast<std::uint8_t*>(pDest);
    std::size_t have = 0;
    if (m_pos < m_bytes.size())
        have = static_cast<std::size_t>(std::min<std::uint64_t>(n, m_bytes.size() - m_pos));
    if (have)
        std::memcpy(out, m_bytes.data() + m_pos, have);
    if (have < n)
        std::memset(out + have, 0, n - have);
}

FileSystemCalls& SaveSystemCalls()
{
    return g_calls;
}

void ResetSaveSystemCalls()
{
    g_calls = kRealCalls;
}
