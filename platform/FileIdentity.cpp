#include "platform/FileIdentity.h"

#include <climits>
#include <cstdlib>

#include <sys/stat.h>

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat info
    {
    };
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return identity;
}

bool IsSameFile(const std::string& first, const std::string& second)
{
    struct stat one
    {
    };
    struct stat other
    {
    };
    if (first.empty() || second.empty() || ::stat(first.c_str(), &one) != 0 || ::stat(second.c_str(), &other) != 0)
        return false;
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

std::string CanonicalPath(const std::string& path)
{
    if (path.empty())
        return {};
    char* pszResolved = ::realpath(path.c_str(), nullptr);
    if (!pszResolved)
        return {};
    std::string canonical(pszResolved);
    std::free(pszResolved);
    return canonical;
}

void TiedFile::Tie(const std::string& path)
{
    m_path = path;
    m_canonical = CanonicalPath(path);
    m_identity = m_canonical.empty() ? std::nullopt : IdentityOf(m_canonical);
}

void TiedFile::Tie(const std::string& path, const std::optional<FileIdentity>& identity)
{
    m_path = path;
    m_canonical = path;
    m_identity = identity;
}
