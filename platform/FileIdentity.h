#pragma once
// Which file a path named when a table was read from it or written to it, so
// that a later write can tell whether the file there is still that one: the
// same device and inode, unchanged in size and modification time.

#include <cstdint>
#include <optional>
#include <string>

struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of the regular file at path (links followed); nothing when
// there is none or it is not a regular file.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Whether the two paths name one existing file (the same device and inode,
// links followed): a path to a file that does not exist names no file, and so
// is never the same as another.
bool IsSameFile(const std::string& first, const std::string& second);

// The absolute path of an existing file with every link, "." and ".." resolved;
// empty when it cannot be resolved.
std::string CanonicalPath(const std::string& path);

// The file a table is tied to: where "Save" writes, with its canonical path
// and identity as they were when the table was last read from or written to it.
class TiedFile
{
public:
    // Ties to the file just read or written at path.
    void Tie(const std::string& path);
    // Ties to a file known only by what was recorded of it earlier.
    void Tie(const std::string& path, const std::optional<FileIdentity>& identity);
    void Clear() { *this = TiedFile(); }

    // The path as the table was given it; empty for none.
    const std::string& Path() const { return m_path; }
    const std::string& Canonical() const { return m_canonical; }
    const std::optional<FileIdentity>& Identity() const { return m_identity; }

private:
    std::string m_path;
    std::string m_canonical;
    std::optional<FileIdentity> m_identity;
};
