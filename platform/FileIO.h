#pragma once
// Whole-file reading and the safe save shared by every table format.
//
// Reading takes the file into memory (at most as many bytes as the format can
// use given its header) and hands it out through ByteSource, which delivers
// zero bytes past the end: the readers' rule that a short file leaves missing
// fields zero. Only regular files are read unless a caller asks for more: a
// FIFO or a device is refused before it is opened, so that nothing waits on it.
//
// Writing never touches the target until the new content is complete: it goes
// into an unnamed file in the target's folder (O_TMPFILE; a named temporary
// file where the file system has none), is flushed to the disk, gets a name
// only just before it is renamed over the target, so that a killed save leaves
// nothing behind. A symbolic link is followed, so the link stays and its target
// is replaced; an existing file keeps its permission bits and, where the
// process may, its owner and group; a new file gets 0666 less the umask, read
// without changing it, so that saves on other threads never see it changed.
// Only a regular file is ever replaced: one that is something else when the
// save looks is refused, and so is one that became something else by the
// moment of the rename (the rename exchanges the two and exchanges them back).
// A target in a folder where the process may not create a file is refused
// too, since rewriting it in place could leave half a file behind.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

struct FileError
{
    int code = 0;     // errno of the failing call, 0 when there was no failure
    std::string text; // the system's wording of that errno, or the reason for a refusal

    void Set(int errnoValue);
    void Set(int errnoValue, std::string reason);
};

// What a reader does with a path that is not a regular file (a FIFO, a device).
// The editors refuse it without waiting on it; the command-line tool reads one
// that is named on purpose, as cat would, but never more than the format can use.
enum class NonRegularFiles
{
    Refuse,
    ReadUpToLimit,
};

// An open file, read from its start a piece at a time: a reader takes the
// header first and then only as many bytes as that header lets the format use.
class FileReader
{
public:
    FileReader() = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // A directory is refused with EISDIR; with NonRegularFiles::Refuse every
    // other kind of file that is not regular is refused with EINVAL and a
    // reason naming its kind, and is never opened.
    bool Open(const char* pszPath, NonRegularFiles nonRegular, FileError* pError);
    // Reads on until bytes holds total bytes or the data ends. Running out of
    // memory is a failure with ENOMEM, never an exception.
    bool ReadUpTo(std::vector<std::uint8_t>& bytes, std::size_t total, FileError* pError);
    // The size of a regular file when it was opened; nothing for a FIFO or a
    // device, whose length only reading to its end would tell.
    std::optional<std::uint64_t> RegularFileSize() const { return m_regularSize; }

private:
    int m_fd = -1;
    std::uint64_t m_sizeHint = 0; // the size of a regular file when it was opened
    std::optional<std::uint64_t> m_regularSize;
};

// How many of `count` records of recordSize bytes each, the first at offset,
// lie wholly inside the first `have` bytes of a file: what a load report
// counts as present.
inline std::uint64_t WholeRecordsWithin(std::uint64_t have, std::uint64_t offset, std::uint64_t recordSize,
                                        std::uint64_t count)
{
    if (have <= offset)
        return 0;
    const std::uint64_t whole = (have - offset) / recordSize;
    return whole < count ? whole : count;
}

// Reads at most maxBytes from the start of an existing file.
bool ReadFileBytes(const char* pszPath, std::vector<std::uint8_t>& bytes, std::size_t maxBytes,
                   FileError* pError = nullptr, NonRegularFiles nonRegular = NonRegularFiles::Refuse);

// Replaces (or creates) the file at pszPath with exactly the given bytes.
bool WriteFileSafely(const char* pszPath, const std::uint8_t* pData, std::size_t size, FileError* pError = nullptr);
inline bool WriteFileSafely(const char* pszPath, const std::vector<std::uint8_t>& bytes, FileError* pError = nullptr)
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
// disk fail at any step (or a save be killed there). Production code never
// changes them.
struct FileSystemCalls
{
    ssize_t (*write)(int fd, const void* buf, std::size_t count);
    int (*fsync)(int fd);
    // Puts the finished file in the target's place (see PutInPlace in the .cpp).
    int (*rename)(const char* from, const char* to);
    // Opens an unnamed file (O_TMPFILE) in a folder.
    int (*openUnnamed)(const char* pszFolder, mode_t mode);
};
FileSystemCalls& SaveSystemCalls();
void ResetSaveSystemCalls();
