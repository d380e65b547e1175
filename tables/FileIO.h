#pragma once
// Whole-file reading and the safe save shared by every table format.
//
// Reading takes the file into memory (at most as many bytes as the format can
// use) and hands it out through ByteSource, which delivers zero bytes past the
// end: the readers' rule that a short file leaves missing fields zero.
//
// Writing never touches the target until the new content is complete: it goes
// into a temporary file in the same folder, is flushed to the disk, and is then
// renamed over the target. A symbolic link is followed, so the link stays and
// its target is replaced; an existing file keeps its permission bits.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/types.h>

struct FileError
{
    int code = 0;     // errno of the failing call, 0 when there was no failure
    std::string text; // the system's wording of that errno

    void Set(int errnoValue);
};

// Reads at most maxBytes from the start of an existing regular file.
bool ReadFileBytes(const char* pszPath, std::vector<std::uint8_t>& bytes, std::size_t maxBytes,
                   FileError* pError = nullptr);

// Replaces (or creates) the file at pszPath with exactly the given bytes.
bool WriteFileSafely(const char* pszPath, const std::uint8_t* pData, std::size_t size,
                     FileError* pError = nullptr);
inline bool WriteFileSafely(const char* pszPath, const std::vector<std::uint8_t>& bytes,
                            FileError* pError = nullptr)
{
    return WriteFileSafely(pszPath, bytes.data(), bytes.size(), pError);
}

// Sequential reader over a file image; positions beyond the end read as zero.
class ByteSource
{
public:
    explicit ByteSource(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    // Inline: the readers take a file field by field.
    void Read(void* pDest, std::size_t n)
    {
        if (m_pos < m_bytes.size() && n <= m_bytes.size() - m_pos)
            std::memcpy(pDest, m_bytes.data() + m_pos, n);
        else
            ReadPastEnd(pDest, n);
        m_pos += n;
    }
    // The next n bytes when all of them lie inside the file, else nullptr; the
    // position does not move.
    const std::uint8_t* Peek(std::size_t n) const
    {
        return m_pos < m_bytes.size() && n <= m_bytes.size() - m_pos ? m_bytes.data() + m_pos : nullptr;
    }
    void Skip(std::uint64_t n) { m_pos += n; }
    void SeekTo(std::uint64_t offset) { m_pos = offset; }
    std::uint64_t Position() const { return m_pos; }
    std::uint64_t Size() const { return m_bytes.size(); }
    // Bytes of the file still ahead of the position (0 once past the end).
    std::uint64_t Remaining() const { return m_pos < m_bytes.size() ? m_bytes.size() - m_pos : 0; }

private:
    void ReadPastEnd(void* pDest, std::size_t n) const;

    const std::vector<std::uint8_t>& m_bytes;
    std::uint64_t m_pos = 0;
};

// The system calls the safe save makes, replaceable so that tests can make a
// disk fail at any step. Production code never changes them.
struct FileSystemCalls
{
    ssize_t (*write)(int fd, const void* buf, std::size_t count);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
};
FileSystemCalls& SaveSystemCalls();
void ResetSaveSystemCalls();
