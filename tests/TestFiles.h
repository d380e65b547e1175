#pragma once
// Helpers for tests that read and write real files: a private temporary folder
// and byte-level file access.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> Entries() const; // names in the folder, sorted

private:
    std::string m_path;
};

Bytes ReadAll(const std::string& path);
void WriteAll(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// Little-endian byte builders for writing expected file images by hand.
void PutU16(Bytes& b, std::uint16_t v);
void PutU32(Bytes& b, std::uint32_t v);
void PutI32(Bytes& b, std::int32_t v);
void PutF32(Bytes& b, float v);
void PutF64(Bytes& b, double v);
void PutBytes(Bytes& b, std::initializer_list<std::uint8_t> bytes);

// A .ccf file image written field by field: the counts are the list lengths,
// the minima as given.
Bytes ChannelTableImage(std::int32_t country, const std::vector<double>& air, const std::vector<double>& cable,
                        std::uint16_t airMin, std::uint16_t cableMin);
// An old table (.cft) image: header with the country and the list counts, the
// entries of both lists, then the trailer's ranges.
Bytes LegacyTableImage(std::int32_t country, const std::vector<float>& air, const std::vector<float>& cable,
                       std::uint16_t airMin, std::uint16_t airMax, std::uint16_t cableMin, std::uint16_t cableMax);

// Rows of a comma-separated file with RFC 4180 quoting, header row included.
using CsvRow = std::vector<std::string>;
std::vector<CsvRow> ReadCsv(const std::string& path);
// A file of the public data set in data/ (channel plans, country list, tuners).
std::string DataFile(const std::string& name);

// Runs body in a child process and returns the text it returned, or nothing
// when the child did not end normally within the time limit (it is killed
// then). For calls that must not block: a regression fails the test at the
// limit instead of hanging it.
std::optional<std::string> RunInChildWithin(int seconds, const std::function<std::string()>& body);

// A file that looks regular but whose reads wait for data: the kernel's
// trace_pipe, on a tracefs mounted for the life of the object where the
// process may mount one (root). Path() is empty where it may not.
class WaitingFile
{
public:
    WaitingFile();
    ~WaitingFile();
    WaitingFile(const WaitingFile&) = delete;
    WaitingFile& operator=(const WaitingFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    TempDir m_mountPoint;
    std::string m_path;
};

// A character device of its own with the numbers of /dev/null, where the
// process may make one (root): a test never points a writer at the system's.
// False where it may not.
bool MakeNullDevice(const std::string& path);

// What the process writes to standard error while the object lives.
class CapturedStderr
{
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;

    // What was written until now; later writes go to standard error again.
    std::string Text();

private:
    void Restore();

    TempDir m_dir;
    int m_saved;
};

// Sets an environment variable (nullptr unsets it) for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* pszName, const char* pszValue);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
