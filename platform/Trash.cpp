#include "platform/Trash.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolders.h"

namespace {

// A descriptor closed with its owner.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// A folder below parent, made where missing, used only when it is a folder
// of the user's own and no link.
Fd OwnFolder(int parent, const char* pszName, FileError& error)
{
    if (::mkdirat(parent, pszName, 0700) != 0 && errno != EEXIST) {
        error.Set(errno);
        return Fd();
    }
    Fd folder(::openat(parent, pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.IsOpen()) {
        if (errno == ELOOP || errno == ENOTDIR)
            error.Set(errno, std::string("the Trash's folder ") + pszName + " is a link or no folder");
        else
            error.Set(errno);
        return Fd();
    }
    struct stat info;
    if (::fstat(folder.Get(), &info) != 0 || info.st_uid != ::geteuid()) {
        error.Set(EACCES, std::string("the Trash's folder ") + pszName + " belongs to another user");
        return Fd();
    }
    return folder;
}

struct TrashFolders
{
    std::string path; // $XDG_DATA_HOME/Trash
    Fd files;
    Fd info;
};

bool OpenTrash(TrashFolders& trash, FileError& error)
{
    const std::string dataHome = DataHome();
    if (dataHome.empty()) {
        error.Set(ENOENT, "no Trash is known (XDG_DATA_HOME and HOME are unset)");
        return false;
    }
    if (!MakeBaseFolders(dataHome)) {
        error.Set(errno);
        return false;
    }
    const Fd base(::open(dataHome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base.IsOpen()) {
        error.Set(errno);
        return false;
    }
    const Fd top = OwnFolder(base.Get(), "Trash", error);
    if (!top.IsOpen())
        return false;
    trash.files = OwnFolder(top.Get(), "files", error);
    if (!trash.files.IsOpen())
        return false;
    trash.info = OwnFolder(top.Get(), "info", error);
    if (!trash.info.IsOpen())
        return false;
    trash.path = dataHome + "/Trash";
    return true;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "fr.ccf", then "fr.2.ccf", "fr.3.ccf": the extension stays last, so that
// the Trash still shows what kind of file it holds.
std::string Candidate(const std::string& name, int attempt)
{
    if (attempt == 1)
        return name;
    const std::size_t dot = name.find_last_of('.');
    const bool bExtension = dot != std::string::npos && dot > 0;
    const std::string stem = bExtension ? name.substr(0, dot) : name;
    const std::string extension = bExtension ? name.substr(dot) : std::string();
    return stem + "." + std::to_string(attempt) + extension;
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buffer[4096];
    if (!::getcwd(buffer, sizeof buffer))
        return path;
    return std::string(buffer) + "/" + path;
}

bool WriteAllTo(int fd, const char* pData, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, pData, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        pData += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reserves a name in the Trash by making its info file, the step the
// freedesktop.org rules make atomic; the name, or empty with the reason.
std::string ReserveName(const TrashFolders& trash, const std::string& originalPath, FileError& error)
{
    const std::string name = BaseName(originalPath);
    const std::string text = TrashInfoText(AbsolutePath(originalPath), static_cast<long long>(std::time(nullptr)));
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string candidate = Candidate(name, attempt);
        const std::string infoName = candidate + ".trashinfo";
        const Fd info(
            ::openat(trash.info.Get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!info.IsOpen()) {
            if (errno == EEXIST)
                continue;
            error.Set(errno);
            return {};
        }
        struct stat taken;
        if (::fstatat(trash.files.Get(), candidate.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
            ::unlinkat(trash.info.Get(), infoName.c_str(), 0);
            continue; // a file without its info: another name
        }
        if (!WriteAllTo(info.Get(), text.data(), text.size())) {
            error.Set(errno);
            ::unlinkat(trash.info.Get(), infoName.c_str(), 0);
            return {};
        }
        return candidate;
    }
    error.Set(EEXIST, "the Trash holds too many files of this name");
    return {};
}

void ReleaseName(const TrashFolders& trash, const std::string& name)
{
    ::unlinkat(trash.info.Get(), (name + ".trashinfo").c_str(), 0);
}

// A copy of the regular file at path under name in the Trash's files, with
// its permission bits; streamed, so that no file is held whole in memory.
bool CopyInto(const TrashFolders& trash, const std::string& path, const std::string& name, FileError& error)
{
    FileReader reader;
    if (!reader.Open(path.c_str(), NonRegularFiles::Refuse, &error))
        return false;
    struct stat info;
    const mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : 0600;
    const Fd out(::openat(trash.files.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!out.IsOpen()) {
        error.Set(errno);
        return false;
    }
    std::vector<std::uint8_t> chunk;
    constexpr std::size_t kChunk = 1 << 20;
    for (;;) {
        chunk.clear();
        if (!reader.ReadUpTo(chunk, kChunk, &error))
            break;
        if (!chunk.empty() && !WriteAllTo(out.Get(), reinterpret_cast<const char*>(chunk.data()), chunk.size())) {
            error.Set(errno ? errno : EIO);
            break;
        }
        if (chunk.size() < kChunk) {
            if (::fsync(out.Get()) == 0)
                return true;
            error.Set(errno);
            break;
        }
    }
    ::unlinkat(trash.files.Get(), name.c_str(), 0);
    return false;
}

} // namespace

std::string TrashInfoText(const std::string& absolutePath, long long deletionTime)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        const bool bPlain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || byte == '/' || byte == '-' || byte == '_' || byte == '.' ||
                            byte == '~';
        if (bPlain) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        }
    }
    const std::time_t when = static_cast<std::time_t>(deletionTime);
    std::tm local{};
    ::localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + escaped + "\nDeletionDate=" + date + "\n";
}

std::string MoveToTrash(const std::string& path, FileError& error, const std::string& recordedPath)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        error.Set(errno);
        return {};
    }
    TrashFolders trash;
    if (!OpenTrash(trash, error))
        return {};
    const std::string name = ReserveName(trash, recordedPath.empty() ? path : recordedPath, error);
    if (name.empty())
        return {};
    if (::renameat(AT_FDCWD, path.c_str(), trash.files.Get(), name.c_str()) == 0)
        return trash.path + "/files/" + name;
    // Another file system: a copy, then the file itself goes.
    if (errno == EXDEV && S_ISREG(info.st_mode) && CopyInto(trash, path, name, error)) {
        if (::unlink(path.c_str()) == 0)
            return trash.path + "/files/" + name;
        error.Set(errno);
        ::unlinkat(trash.files.Get(), name.c_str(), 0);
    } else if (errno != EXDEV || !S_ISREG(info.st_mode)) {
        error.Set(errno);
    }
    ReleaseName(trash, name);
    return {};
}

std::string KeepInTrash(const std::string& path, FileError& error)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        error.Set(errno);
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        error.Set(EINVAL, "it is not a regular file");
        return {};
    }
    TrashFolders trash;
    if (!OpenTrash(trash, error))
        return {};
    const std::string name = ReserveName(trash, path, error);
    if (name.empty())
        return {};
    if (::linkat(AT_FDCWD, path.c_str(), trash.files.Get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        CopyInto(trash, path, name, error))
        return trash.path + "/files/" + name;
    ReleaseName(trash, name);
    return {};
}
