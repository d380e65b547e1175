#include "FileIO.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const FileSystemCalls kRealCalls = {::write, ::fsync, ::rename};
FileSystemCalls g_calls = kRealCalls;

void Fail(FileError* pError, int errnoValue)
{
    if (pError)
        pError->Set(errnoValue);
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
// leaves the link itself in place. A dangling link resolves to where it points.
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

mode_t ModeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

} // namespace

void FileError::Set(int errnoValue)
{
    code = errnoValue;
    text = std::strerror(errnoValue);
}

bool ReadFileBytes(const char* pszPath, std::vector<std::uint8_t>& bytes, std::size_t maxBytes,
                   FileError* pError)
{
    bytes.clear();
    if (!pszPath) {
        Fail(pError, EINVAL);
        return false;
    }
    const int fd = ::open(pszPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail(pError, errno);
        return false;
    }
    struct stat st;
    const int iStat = ::fstat(fd, &st);
    if (iStat != 0 || S_ISDIR(st.st_mode)) {
        Fail(pError, iStat != 0 ? errno : EISDIR);
        ::close(fd);
        return false;
    }
    // The size is only a hint (pipes and special files report 0, a file can
    // grow while it is read): the expected bytes go straight into the vector,
    // and whatever follows them is read on in chunks until the end of the data
    // or the limit.
    bytes.resize(st.st_size > 0 ? std::min<std::size_t>(static_cast<std::size_t>(st.st_size), maxBytes) : 0);
    std::size_t have = 0;
    const auto readFailed = [&] {
        Fail(pError, errno);
        ::close(fd);
        bytes.clear();
        return false;
    };
    while (have < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return readFailed();
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    if (have == bytes.size()) {
        std::uint8_t chunk[65536];
        while (bytes.size() < maxBytes) {
            const std::size_t want = std::min(sizeof chunk, maxBytes - bytes.size());
            const ssize_t n = ::read(fd, chunk, want);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return readFailed();
            if (n == 0)
                break;
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        have = bytes.size();
    }
    bytes.resize(have);
    ::close(fd);
    return true;
}

bool WriteFileSafely(const char* pszPath, const std::uint8_t* pData, std::size_t size, FileError* pError)
{
    if (!pszPath || !*pszPath) {
        Fail(pError, EINVAL);
        return false;
    }
    const std::string target = ResolveLinks(pszPath);
    std::string temp = DirectoryOf(target) + "/." + BaseNameOf(target) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        Fail(pError, errno);
        return false;
    }

    struct stat st;
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : ModeForNewFile();

    int savedErrno = 0;
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, pData, size) || g_calls.fsync(fd) != 0)
        savedErrno = errno;
    if (::close(fd) != 0 && savedErrno == 0)
        savedErrno = errno;
    if (savedErrno == 0 && g_calls.rename(temp.c_str(), target.c_str()) != 0)
        savedErrno = errno;
    if (savedErrno != 0) {
        ::unlink(temp.c_str());
        Fail(pError, savedErrno);
        return false;
    }

    // Make the rename itself durable; a failure here cannot lose the new content.
    const int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        g_calls.fsync(dirFd);
        ::close(dirFd);
    }
    return true;
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
