#include "tests/TestFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vornalix-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

void PutU16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutI32(Bytes& b, std::int32_t v)
{
    PutU32(b, static_cast<std::uint32_t>(v));
}

void PutF32(Bytes& b, float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    PutU32(b, u);
}

void PutF64(Bytes& b, double v)
{
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    PutU32(b, static_cast<std::uint32_t>(u));
    PutU32(b, static_cast<std::uint32_t>(u >> 32));
}

void PutBytes(Bytes& b, std::initializer_list<std::uint8_t> bytes)
{
    b.insert(b.end(), bytes.begin(), bytes.end());
}

std::vector<CsvRow> ReadCsv(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else if (c != '\r') {
            field += c;
            any = true;
        }
    }
    if (any) {
        row.push_back(field);
        rows.push_back(row);
    }
    if (rows.empty())
        throw std::runtime_error("no data in " + path);
    return rows;
}

std::string DataFile(const std::string& name)
{
    return std::string(VORNALIX_DATA_DIR) + "/" + name;
}

ScopedEnv::ScopedEnv(const char* pszName, const char* pszValue) : m_name(pszName)
{
    if (const char* pszOld = std::getenv(pszName))
        m_old = pszOld;
    if (pszValue)
        ::setenv(pszName, pszValue, 1);
    else
        ::unsetenv(pszName);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

std::optional<std::string> RunInChildWithin(int seconds, const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const std::string text = body();
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0)
                ::_exit(2);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    bool bEnded = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!bEnded) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd{fds[0], POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            bEnded = true;
    }
    ::close(fds[0]);
    if (!bEnded)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!bEnded || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

Bytes LegacyTableImage(std::int32_t country, const std::vector<float>& air, const std::vector<float>& cable,
                       std::uint16_t airMin, std::uint16_t airMax, std::uint16_t cableMin, std::uint16_t cableMax)
{
    Bytes b;
    PutU32(b, 0);
    PutI32(b, country);
    b.insert(b.end(), 16, 0);
    PutU16(b, static_cast<std::uint16_t>(air.size()));
    PutU16(b, static_cast<std::uint16_t>(cable.size()));
    PutU32(b, 0);
    for (const auto* list : {&air, &cable})
        for (float f : *list) {
            PutF32(b, f);
            PutU16(b, 0);
            PutU16(b, 0);
        }
    PutU16(b, airMin);
    PutU16(b, airMax);
    PutU16(b, cableMin);
    PutU16(b, cableMax);
    b.insert(b.end(), 8, 0);
    return b;
}

Bytes ChannelTableImage(std::int32_t country, const std::vector<double>& air, const std::vector<double>& cable,
                        std::uint16_t airMin, std::uint16_t cableMin)
{
    Bytes b;
    PutU16(b, 0xCB00);
    PutU16(b, 0);
    PutBytes(b, {'C', 'H', 'F', 'Q'});
    PutI32(b, country);
    PutU16(b, static_cast<std::uint16_t>(air.size()));
    PutU16(b, airMin);
    PutU16(b, static_cast<std::uint16_t>(cable.size()));
    PutU16(b, cableMin);
    for (double f : air)
        PutF64(b, f);
    PutBytes(b, {0x00, 0x00, 0xFF, 0xFF});
    for (double f : cable)
        PutF64(b, f);
    return b;
}

WaitingFile::WaitingFile()
{
    if (::mount("nodev", m_mountPoint.Path().c_str(), "tracefs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) == 0)
        m_path = m_mountPoint.File("trace_pipe");
}

WaitingFile::~WaitingFile()
{
    if (!m_path.empty())
        ::umount2(m_mountPoint.Path().c_str(), MNT_DETACH);
}

bool MakeNullDevice(const std::string& path)
{
    return ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
}

CapturedStderr::CapturedStderr() : m_saved(::dup(2))
{
    std::fflush(stderr);
    const int fd = ::open(m_dir.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ::dup2(fd, 2);
    ::close(fd);
}

CapturedStderr::~CapturedStderr()
{
    Restore();
}

std::string CapturedStderr::Text()
{
    Restore();
    std::ifstream in(m_dir.File("stderr"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CapturedStderr::Restore()
{
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    ::dup2(m_saved, 2);
    ::close(m_saved);
    m_saved = -1;
}
