#include "edit/RecoveryStore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <map>
#include <new>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolders.h"
#include "platform/FileIO.h"
#include "platform/Printable.h"
#include "platform/Trash.h"
#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"

namespace {

const char* const kSourceSuffix = ".source";
// Held (an open file description's write lock) by the writer of a copy for as
// long as it lives, in this or any other process on any machine that shares
// the folder: a copy whose lock is held is an editor's work now, never offered,
// pruned or discarded.
const char* const kLockSuffix = ".lock";
const char* const kSourceHeader = "vornalix recovery copy 1";
// A ".source" holds a header, a kind, a path of at most PATH_MAX bytes and four numbers.
constexpr std::size_t kMaxSourceBytes = 8 * 1024;

// Held by every operation on the folder for its whole length (see the header).
std::mutex g_folderMutex;
std::function<void(RecoveryFolderStep)> g_folderProbe;

using FolderLock = std::lock_guard<std::mutex>;

void Probe(RecoveryFolderStep step)
{
    if (g_folderProbe)
        g_folderProbe(step);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StateFolderProblem(const std::string& folder, const std::string& reason)
{
    return "Unsaved changes are not kept in recovery copies: " + PrintableText(folder) + " " + reason + ".";
}


// The folder's reason for being refused, empty when it is private to the user.
std::string PrivacyProblem(int fd)
{
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0)
        return std::string("cannot be examined (") + std::strerror(errno) + ")";
    if (info.st_uid != geteuid())
        return "belongs to another user";
    if ((info.st_mode & 077) != 0)
        return "is open to other users";
    return {};
}

bool AllDigits(const std::string& text, std::size_t begin, std::size_t end)
{
    if (begin >= end || end - begin > 20)
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(begin),
                       text.begin() + static_cast<std::ptrdiff_t>(end), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsAlphanumeric(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ".NAME.XXXXXX": the hidden name the safe save gives a new file until it is
// renamed over NAME.
bool IsTemporaryOf(const std::string& name, const std::string& extension)
{
    constexpr std::size_t kSuffix = 7; // "." and six characters
    if (name.size() < 1 + kSuffix || name[0] != '.' || name[name.size() - kSuffix] != '.')
        return false;
    if (!std::all_of(name.end() - (kSuffix - 1), name.end(), IsAlphanumeric))
        return false;
    std::string target = name.substr(1, name.size() - 1 - kSuffix);
    if (EndsWith(target, kSourceSuffix))
        target.resize(target.size() - std::strlen(kSourceSuffix));
    return IsRecoveryCopyName(target, extension);
}

// What the folder holds under the names the program gives it.
struct FolderEntry
{
    enum class Kind
    {
        Image,
        Source,
        Lock,
        Temporary,
    } kind;
    std::string name;
    std::int64_t iTime = 0;
};

// The regular files of the folder, of the user's own, with names of this
// extension's copies, their ".source" files and temporaries; links and
// every other name are ignored.
std::vector<FolderEntry> OwnEntries(const RecoveryFolderHandle& folder, const std::string& extension)
{
    std::vector<FolderEntry> entries;
    const int fd = dup(folder.Fd());
    DIR* pDir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!pDir) {
        if (fd >= 0)
            close(fd);
        return entries;
    }
    while (const dirent* pEntry = readdir(pDir)) {
        FolderEntry entry{FolderEntry::Kind::Image, pEntry->d_name, 0};
        if (IsRecoveryCopyName(entry.name, extension))
            entry.kind = FolderEntry::Kind::Image;
        else if (EndsWith(entry.name, kSourceSuffix) &&
                 IsRecoveryCopyName(entry.name.substr(0, entry.name.size() - std::strlen(kSourceSuffix)), extension))
            entry.kind = FolderEntry::Kind::Source;
        else if (EndsWith(entry.name, kLockSuffix) &&
                 IsRecoveryCopyName(entry.name.substr(0, entry.name.size() - std::strlen(kLockSuffix)), extension))
            entry.kind = FolderEntry::Kind::Lock;
        else if (IsTemporaryOf(entry.name, extension))
            entry.kind = FolderEntry::Kind::Temporary;
        else
            continue;
        struct stat info
        {
        };
        // A file another user put there is none of this person's copies.
        if (fstatat(folder.Fd(), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != geteuid())
            continue;
        entry.iTime = static_cast<std::int64_t>(info.st_mtim.tv_sec);
        entries.push_back(std::move(entry));
    }
    closedir(pDir);
    return entries;
}

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::int64_t OldestKeptTime()
{
    return Now() - kRecoveryDays * 24 * 60 * 60;
}

// A copy's time as pruning and listing count it: one in the future (a clock
// set back, a restored backup) counts as now.
std::int64_t CountedTime(std::int64_t iTime)
{
    return std::min(iTime, Now());
}

// Whether the writer of the copy of this name holds its lock now.
bool IsLive(const RecoveryFolderHandle& folder, const std::string& name)
{
    const int fd = openat(folder.Fd(), (name + kLockSuffix).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    struct flock probe
    {
    };
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool bLive = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && fcntl(fd, F_OFD_GETLK, &probe) == 0 &&
                       probe.l_type != F_UNLCK;
    close(fd);
    return bLive;
}

void RemoveCopyFiles(const RecoveryFolderHandle& folder, const std::string& name)
{
    unlinkat(folder.Fd(), name.c_str(), 0);
    unlinkat(folder.Fd(), (name + kSourceSuffix).c_str(), 0);
    unlinkat(folder.Fd(), (name + kLockSuffix).c_str(), 0);
}

std::vector<RecoveryCopy> Prune(const RecoveryFolderHandle& folder, const std::string& extension)
{
    const std::vector<FolderEntry> entries = OwnEntries(folder, extension);
    std::vector<RecoveryCopy> copies;
    for (const FolderEntry& entry : entries) {
        if (entry.kind != FolderEntry::Kind::Image)
            continue;
        RecoveryCopy copy;
        copy.name = entry.name;
        copy.path = folder.Path() + "/" + entry.name;
        copy.iTime = CountedTime(entry.iTime);
        copy.bLive = IsLive(folder, entry.name);
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.iTime > b.iTime || (a.iTime == b.iTime && a.name > b.name);
    });

    // The copies of tables open now are never pruned, and take their places
    // among the newest first.
    const std::int64_t iOldest = OldestKeptTime();
    std::size_t iRoom = kRecoveryCopiesKept;
    for (const RecoveryCopy& copy : copies)
        iRoom -= copy.bLive && iRoom > 0 ? 1 : 0;
    std::vector<RecoveryCopy> kept;
    for (RecoveryCopy& copy : copies) {
        if (copy.bLive) {
            kept.push_back(std::move(copy));
        } else if (iRoom == 0 || copy.iTime < iOldest) {
            RemoveCopyFiles(folder, copy.name);
        } else {
            --iRoom;
            kept.push_back(std::move(copy));
        }
    }

    // What a killed program left: temporaries, and ".source" files whose
    // image was never written; young ones may belong to a copy being written.
    const std::int64_t iLeftover = Now() - kRecoveryLeftoverSeconds;
    for (const FolderEntry& entry : entries) {
        if (entry.iTime >= iLeftover)
            continue;
        if (entry.kind == FolderEntry::Kind::Temporary)
            unlinkat(folder.Fd(), entry.name.c_str(), 0);
        if (entry.kind == FolderEntry::Kind::Source || entry.kind == FolderEntry::Kind::Lock) {
            const std::size_t suffix =
                std::strlen(entry.kind == FolderEntry::Kind::Source ? kSourceSuffix : kLockSuffix);
            const std::string image = entry.name.substr(0, entry.name.size() - suffix);
            if (IsLive(folder, image))
                continue;
            struct stat info
            {
            };
            if (fstatat(folder.Fd(), image.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
                unlinkat(folder.Fd(), entry.name.c_str(), 0);
        }
    }
    return kept;
}

// A file of the folder, only when it is a regular file of the user's own
// and no link: opened relative to the folder as checked, without waiting in
// case a FIFO took the name. Nothing when it is another file or larger.
std::optional<std::string> ReadOwnFile(const RecoveryFolderHandle& folder, const std::string& name,
                                       std::size_t maxBytes)
{
    const int fd = openat(folder.Fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        static_cast<std::uint64_t>(info.st_size) <= maxBytes) {
        std::string bytes(maxBytes + 1, '\0');
        std::size_t have = 0;
        for (;;) {
            const ssize_t n = read(fd, bytes.data() + have, bytes.size() - have);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || (have += static_cast<std::size_t>(n)) == bytes.size())
                break;
        }
        if (have <= maxBytes) {
            bytes.resize(have);
            text = std::move(bytes);
        }
    }
    close(fd);
    return text;
}

// The ".source" beside a copy, read strictly; a missing one, or one that is
// a link or no regular file of the user's own, reads as unknown.
void ReadSource(const RecoveryFolderHandle& folder, RecoveryCopy& copy, const std::string& extension)
{
    copy.source.clear();
    copy.sourceIdentity.reset();
    const std::optional<std::string> text = ReadOwnFile(folder, copy.name + kSourceSuffix, kMaxSourceBytes);
    if (text)
        ParseRecoverySource(*text, extension, copy);
}

} // namespace

bool IsWholeTableImage(const ChannelTableLoadReport& report)
{
    return report.fileSize &&
           TableKindFromMagic(report.header.bytes, sizeof report.header.bytes) == TableKind::Channel &&
           *report.fileSize == report.StatedSize() && report.airRecords == report.header.wAirMax() &&
           report.cableRecords == report.header.wCableMax() && report.bEndMark;
}

namespace {

// The size of a whole tuner table of this many entries: the header alone
// for none, else the records and the end mark after it.
std::uint64_t TunerImageSize(std::int32_t iCount)
{
    return iCount == 0 ? TunerSpecHeader::kSize
                       : TunerSpecHeader::kSize + TunerSpecEntry::kSize * static_cast<std::uint64_t>(iCount) +
                             TunerSpecTable::kEndMarkSize;
}

} // namespace

bool IsWholeTableImage(const TunerTableLoadReport& report)
{
    const std::int32_t iCount = report.header.iEntryCount();
    if (!report.fileSize || iCount < 0 ||
        TableKindFromMagic(report.header.bytes, sizeof report.header.bytes) != TableKind::Tuner)
        return false;
    return *report.fileSize == TunerImageSize(iCount) &&
           (iCount == 0 || (report.iRecords == iCount && report.bEndMark));
}

namespace {

// The counts a header calls for, when the file's size is exactly what they
// call for: such a file holds every record and the end mark.
std::optional<RecoveryImageCounts> CountsOfWholeImage(const std::vector<std::uint8_t>& head, std::uint64_t fileSize,
                                                      TableKind kind)
{
    const bool bChannelTable = kind == TableKind::Channel;
    const std::size_t headerSize = bChannelTable ? ChannelTableHeader::kSize : TunerSpecHeader::kSize;
    if (head.size() != headerSize || TableKindFromMagic(head.data(), head.size()) != kind)
        return std::nullopt;
    if (bChannelTable) {
        ChannelTableLoadReport report;
        std::copy(head.begin(), head.end(), report.header.bytes);
        if (fileSize != report.StatedSize())
            return std::nullopt;
        return RecoveryImageCounts{report.header.wAirMax(), report.header.wCableMax()};
    }
    TunerSpecHeader header;
    std::copy(head.begin(), head.end(), header.bytes);
    if (header.iEntryCount() < 0 || fileSize != TunerImageSize(header.iEntryCount()))
        return std::nullopt;
    return RecoveryImageCounts{header.iEntryCount(), 0};
}

std::size_t HeaderSizeOf(TableKind kind)
{
    return kind == TableKind::Channel ? ChannelTableHeader::kSize : TunerSpecHeader::kSize;
}

} // namespace

std::optional<RecoveryImageCounts> WholeImageCounts(const std::string& path, TableKind kind)
{
    FileReader reader;
    std::vector<std::uint8_t> head;
    if (!reader.Open(path.c_str(), NonRegularFiles::Refuse, nullptr) ||
        !reader.ReadUpTo(head, HeaderSizeOf(kind), nullptr) || !reader.RegularFileSize())
        return std::nullopt;
    return CountsOfWholeImage(head, *reader.RegularFileSize(), kind);
}

namespace {

void AppendChannelRows(const ImageBytesAt& readAt, std::uint64_t offset, std::int64_t iCount, bool bCable,
                       std::size_t maxRows, std::vector<RecoveryChannelRow>& rows)
{
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::int64_t>(iCount, static_cast<std::int64_t>(maxRows)));
    std::vector<std::uint8_t> bytes(count * 8);
    if (count == 0 || !readAt(offset, bytes.size(), bytes.data()))
        return;
    for (std::size_t i = 0; i < count; ++i)
        rows.push_back(RecoveryChannelRow{bCable, static_cast<std::uint32_t>(i + 1), le::ReadF64(&bytes[i * 8])});
}

} // namespace

RecoveryPreview PreviewOfImage(std::uint64_t fileSize, const ImageBytesAt& readAt, TableKind kind, std::size_t maxRows)
{
    RecoveryPreview preview;
    std::vector<std::uint8_t> head(HeaderSizeOf(kind));
    if (fileSize < head.size() || !readAt(0, head.size(), head.data()))
        return preview;
    const std::optional<RecoveryImageCounts> counts = CountsOfWholeImage(head, fileSize, kind);
    if (!counts)
        return preview;
    preview.bWhole = true;
    preview.counts = *counts;
    if (kind == TableKind::Channel) {
        // The air records follow the header, the end mark follows them, then the cable records.
        const std::uint64_t airOffset = ChannelTableHeader::kSize;
        const std::uint64_t cableOffset = airOffset + 8 * static_cast<std::uint64_t>(counts->iFirst) + 4;
        AppendChannelRows(readAt, airOffset, counts->iFirst, false, maxRows, preview.channels);
        AppendChannelRows(readAt, cableOffset, counts->iSecond, true, maxRows, preview.channels);
        return preview;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::int64_t>(counts->iFirst, static_cast<std::int64_t>(maxRows)));
    TunerSpecEntry entry;
    for (std::size_t i = 0; i < count; ++i) {
        if (!readAt(TunerSpecHeader::kSize + i * TunerSpecEntry::kSize, TunerSpecEntry::kSize, entry.bytes))
            break;
        preview.tuners.push_back(RecoveryTunerRow{entry.iFactory(), entry.iTunerType(), entry.dbLowBandStart(),
                                                  entry.dbMidBandStart(), entry.dbHighBandStart(),
                                                  entry.dbHighBandEnd()});
    }
    return preview;
}

namespace {

// The copy's counts from its header, or that it is damaged.
void ReadImage(const RecoveryFolderHandle& folder, RecoveryCopy& copy, const std::string& extension)
{
    const std::optional<RecoveryImageCounts> counts =
        WholeImageCounts(folder.At(copy.name), extension == "ccf" ? TableKind::Channel : TableKind::Tuner);
    copy.bDamaged = !counts;
    copy.iFirstCount = counts ? counts->iFirst : 0;
    copy.iSecondCount = counts ? counts->iSecond : 0;
}

std::string NewCopyName(const std::string& extension)
{
    static std::atomic<unsigned> sequence{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::to_string(now.tv_sec) + "-" + std::to_string(getpid()) + "-" + std::to_string(sequence++) + "." +
           extension;
}

// The folder as named, without looking at it.
std::string RecoveryFolderName()
{
    const std::string base = StateHome();
    return base.empty() ? base : base + "/vornalix/recovery";
}

bool ParseNumber(const std::string& text, std::uint64_t& value)
{
    if (!AllDigits(text, 0, text.size()))
        return false;
    value = 0;
    for (const char c : text) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

std::optional<FileIdentity> ParseIdentity(const std::string& line)
{
    std::vector<std::uint64_t> numbers;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t space = std::min(line.find(' ', start), line.size());
        std::uint64_t value = 0;
        if (!ParseNumber(line.substr(start, space - start), value))
            return std::nullopt;
        numbers.push_back(value);
        start = space + 1;
    }
    if (numbers.size() != 4 || numbers[3] > static_cast<std::uint64_t>(INT64_MAX))
        return std::nullopt;
    return FileIdentity{numbers[0], numbers[1], numbers[2], static_cast<std::int64_t>(numbers[3])};
}

// An absolute path without control characters, as a ".source" line holds it.
bool IsRecordablePath(const std::string& path)
{
    return !path.empty() && path[0] == '/' && path.size() <= PATH_MAX &&
           std::none_of(path.begin(), path.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte < 0x20 || byte == 0x7f;
           });
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

RecoveryFolderHandle RecoveryFolderHandle::Open()
{
    RecoveryFolderHandle handle;
    const std::string base = StateHome();
    if (base.empty()) {
        handle.m_problem = "Unsaved changes are not kept in recovery copies: no state folder is known "
                           "(XDG_STATE_HOME and HOME are unset and the user has no home folder).";
        return handle;
    }
    handle.m_path = base + "/vornalix/recovery";
    if (!MakeBaseFolders(base)) {
        handle.m_problem = StateFolderProblem(base, std::string("cannot be made (") + std::strerror(errno) + ")");
        return handle;
    }
    int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string folder = base;
    for (const char* pszName : {"vornalix", "recovery"}) {
        if (fd < 0)
            break;
        folder += std::string("/") + pszName;
        if (mkdirat(fd, pszName, 0700) != 0 && errno != EEXIST) {
            handle.m_problem = StateFolderProblem(folder, std::string("cannot be made (") + std::strerror(errno) + ")");
            close(fd);
            return handle;
        }
        const int next = openat(fd, pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int openErrno = errno;
        close(fd);
        fd = next;
        if (fd < 0) {
            handle.m_problem =
                StateFolderProblem(folder, openErrno == ELOOP || openErrno == ENOTDIR
                                               ? "is a symbolic link or no folder"
                                               : std::string("cannot be opened (") + std::strerror(openErrno) + ")");
            return handle;
        }
    }
    if (fd < 0) {
        handle.m_problem = StateFolderProblem(base, std::string("cannot be opened (") + std::strerror(errno) + ")");
        return handle;
    }
    const std::string problem = PrivacyProblem(fd);
    if (!problem.empty()) {
        handle.m_problem = StateFolderProblem(handle.m_path, problem);
        close(fd);
        return handle;
    }
    handle.m_fd = fd;
    return handle;
}

RecoveryFolderHandle::RecoveryFolderHandle(RecoveryFolderHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)), m_problem(std::move(other.m_problem))
{
}

RecoveryFolderHandle& RecoveryFolderHandle::operator=(RecoveryFolderHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_problem = std::move(other.m_problem);
    }
    return *this;
}

RecoveryFolderHandle::~RecoveryFolderHandle()
{
    if (m_fd >= 0)
        close(m_fd);
}

std::string RecoveryFolderHandle::At(const std::string& name) const
{
    // The descriptor's entry in /proc reaches the folder that was opened and
    // checked, whatever its path names by now.
    static const bool bProc = access("/proc/self/fd", X_OK) == 0;
    if (m_fd < 0)
        return {};
    return bProc ? "/proc/self/fd/" + std::to_string(m_fd) + "/" + name : m_path + "/" + name;
}

std::string RecoveryFolder()
{
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    return folder.IsOpen() ? folder.Path() : std::string();
}

bool IsRecoveryCopyName(const std::string& name, const std::string& extension)
{
    // "SECONDS-PID-SEQUENCE.EXT"
    if (!EndsWith(name, "." + extension))
        return false;
    const std::size_t end = name.size() - extension.size() - 1;
    const std::size_t first = name.find('-');
    const std::size_t second = first == std::string::npos ? first : name.find('-', first + 1);
    return second != std::string::npos && second < end && AllDigits(name, 0, first) &&
           AllDigits(name, first + 1, second) && AllDigits(name, second + 1, end);
}

void RemoveRecoveryCopy(const std::string& imagePath)
{
    const std::string name = BaseName(imagePath);
    if (!IsRecoveryCopyName(name, "ccf") && !IsRecoveryCopyName(name, "tsf"))
        return;
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (folder.IsOpen())
        RemoveCopyFiles(folder, name);
}

std::vector<RecoveryCopy> PruneRecoveryCopies(const std::string& extension)
{
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    return folder.IsOpen() ? Prune(folder, extension) : std::vector<RecoveryCopy>();
}

std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& extension)
{
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (!folder.IsOpen())
        return {};
    std::vector<RecoveryCopy> kept = Prune(folder, extension);
    Probe(RecoveryFolderStep::CopiesListed);
    for (RecoveryCopy& copy : kept) {
        ReadSource(folder, copy, extension);
        ReadImage(folder, copy, extension);
    }
    return kept;
}

bool AnyRecoveryCopy(const std::string& extension, const std::string& ownPath)
{
    // Only names are looked at, to decide whether a menu offers "Restore":
    // no copy is read or removed, so this takes no turn in the folder and
    // never waits for a copy being written (and synced) to be done. What it
    // finds may be gone when the person chooses; the list then says so.
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (!folder.IsOpen())
        return false;
    const std::string ownName = BaseName(ownPath);
    const std::int64_t iOldest = OldestKeptTime();
    const std::vector<FolderEntry> entries = OwnEntries(folder, extension);
    return std::any_of(entries.begin(), entries.end(), [&](const FolderEntry& entry) {
        return entry.kind == FolderEntry::Kind::Image && entry.name != ownName && CountedTime(entry.iTime) >= iOldest &&
               !IsLive(folder, entry.name);
    });
}

std::string RecoverySourceText(const RecoverySource& source, const std::string& extension)
{
    std::string text = std::string(kSourceHeader) + "\nkind " + extension + "\n";
    if (source.path.empty())
        return text + "new\n";
    if (!IsRecordablePath(source.path))
        return text + "unknown\n";
    text += "path " + source.path + "\n";
    if (source.identity) {
        const FileIdentity& id = *source.identity;
        text += "file " + std::to_string(id.device) + " " + std::to_string(id.inode) + " " + std::to_string(id.size) +
                " " + std::to_string(id.modifiedNs) + "\n";
    }
    return text;
}

void ParseRecoverySource(const std::string& text, const std::string& extension, RecoveryCopy& copy)
{
    copy.source.clear();
    copy.sourceIdentity.reset();
    // Earlier versions wrote the path alone, as it was typed, or "new": only
    // an absolute path is taken from them, and never as a file to save to.
    if (!StartsWith(text, std::string(kSourceHeader) + "\n")) {
        if (text == "new")
            copy.source = "new";
        else if (IsRecordablePath(text))
            copy.source = text;
        return;
    }
    if (text.empty() || text.back() != '\n')
        return;
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() < 3 || lines.size() > 4 || lines[1] != "kind " + extension)
        return;
    if (lines[2] == "new" && lines.size() == 3) {
        copy.source = "new";
        return;
    }
    if (!StartsWith(lines[2], "path ") || !IsRecordablePath(lines[2].substr(5)))
        return;
    std::optional<FileIdentity> identity;
    if (lines.size() == 4) {
        if (!StartsWith(lines[3], "file "))
            return;
        identity = ParseIdentity(lines[3].substr(5));
        if (!identity)
            return;
    }
    copy.source = lines[2].substr(5);
    copy.sourceIdentity = identity;
}

RestoreOrigin RestoreOriginOf(const RecoveryCopy& copy, TableKind kind)
{
    RestoreOrigin origin;
    if (copy.source.empty() || copy.source == "new" || copy.source[0] != '/')
        return origin;
    origin.source = copy.source;
    if (!copy.sourceIdentity || DetectTableKind(copy.source) != kind)
        return origin;
    const std::optional<FileIdentity> now = IdentityOf(copy.source);
    if (!now || *now != *copy.sourceIdentity)
        return origin;
    origin.savePath = copy.source;
    origin.identity = now;
    return origin;
}

bool RestoreRecoveryCopy(const std::string& name, TableKind kind, const RecoveryCopyReader& read, FileError& error)
{
    const std::string extension = kind == TableKind::Channel ? "ccf" : "tsf";
    if (!IsRecoveryCopyName(name, extension)) {
        error.Set(EINVAL, "it is no recovery copy");
        return false;
    }
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (!folder.IsOpen()) {
        error.Set(EACCES, folder.Problem());
        return false;
    }
    // Gone since it was listed (restored or pruned elsewhere): said so, not
    // taken for a damaged copy.
    struct stat info
    {
    };
    if (fstatat(folder.Fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        error.Set(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        error.Set(EINVAL, "it is no recovery copy");
        return false;
    }
    if (IsLive(folder, name)) {
        error.Set(EBUSY, "it is the unsaved work of an editor that is open now");
        return false;
    }
    try {
        RecoveryCopy copy;
        copy.name = name;
        copy.path = folder.Path() + "/" + name;
        ReadSource(folder, copy, extension);
        Probe(RecoveryFolderStep::RestoreSource);
        if (!read(folder.At(name), RestoreOriginOf(copy, kind), error))
            return false;
    } catch (const std::bad_alloc&) {
        // The copy stays for a later try; the reader's table is its own.
        error.Set(ENOMEM);
        return false;
    }
    RemoveCopyFiles(folder, name);
    return true;
}

RecoveryPreview ReadRecoveryPreview(const std::string& name, TableKind kind, std::size_t maxRows)
{
    const std::string extension = kind == TableKind::Channel ? "ccf" : "tsf";
    if (!IsRecoveryCopyName(name, extension))
        return {};
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (!folder.IsOpen())
        return {};
    // Opened relative to the folder as checked, refusing a link; without
    // waiting, in case a FIFO took the name; and read only when it is a
    // regular file of the user's own.
    const int fd = openat(folder.Fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info
    {
    };
    RecoveryPreview preview;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid()) {
        const auto readAt = [fd](std::uint64_t offset, std::size_t size, std::uint8_t* pOut) {
            std::size_t done = 0;
            while (done < size) {
                const ssize_t got = pread(fd, pOut + done, size - done, static_cast<off_t>(offset + done));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    return false;
                done += static_cast<std::size_t>(got);
            }
            return true;
        };
        try {
            preview = PreviewOfImage(static_cast<std::uint64_t>(info.st_size), readAt, kind, maxRows);
        } catch (const std::bad_alloc&) {
            preview = RecoveryPreview();
        }
    }
    close(fd);
    return preview;
}

std::size_t DiscardRecoveryCopies(const std::vector<std::string>& names, const std::string& extension,
                                  const std::string& ownPath)
{
    const std::string ownName = BaseName(ownPath);
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (!folder.IsOpen())
        return 0;
    std::size_t removed = 0;
    for (const std::string& name : names) {
        if (name == ownName || !IsRecoveryCopyName(name, extension) || IsLive(folder, name))
            continue;
        struct stat info
        {
        };
        if (fstatat(folder.Fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        // To the desktop's Trash, so that a wrong click can be mended there;
        // where there is none to be had, the copy stays.
        FileError error;
        if (MoveToTrash(folder.At(name), error, folder.Path() + "/" + name).empty())
            continue;
        ++removed;
        unlinkat(folder.Fd(), (name + kSourceSuffix).c_str(), 0);
        unlinkat(folder.Fd(), (name + kLockSuffix).c_str(), 0);
    }
    return removed;
}

void SetRecoveryFolderProbe(std::function<void(RecoveryFolderStep step)> probe)
{
    const FolderLock lock(g_folderMutex);
    g_folderProbe = std::move(probe);
}

RecoveryWriter::RecoveryWriter(std::string extension)
    : m_extension(std::move(extension)), m_name(NewCopyName(m_extension)), m_thread([this] { Run(); })
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
    // An editor gone with unsaved work leaves its copy to be offered.
    ReleaseLock();
}

void RecoveryWriter::SetProblemListener(ProblemListener listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_problemListener = std::move(listener);
}

void RecoveryWriter::Write(std::vector<std::uint8_t> image, RecoverySource source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A newer image of the same copy makes the waiting one useless.
    if (!m_jobs.empty() && m_jobs.back().name == m_name)
        m_jobs.pop_back();
    m_jobs.push_back(Job{Job::Kind::Write, m_name, std::move(image), std::move(source)});
    m_wake.notify_one();
}

void RecoveryWriter::Remove()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_jobs.empty() && m_jobs.back().name == m_name)
        m_jobs.pop_back();
    m_jobs.push_back(Job{Job::Kind::Remove, m_name, {}, {}});
    m_wake.notify_one();
}

void RecoveryWriter::StartNewCopy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // The copy left behind is no longer this editor's work: once what was
    // asked of it is written, it may be offered like any other.
    m_jobs.push_back(Job{Job::Kind::LetGo, m_name, {}, {}});
    m_wake.notify_one();
    m_name = NewCopyName(m_extension);
}

void RecoveryWriter::Flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_bBusy; });
}

std::string RecoveryWriter::CurrentPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return RecoveryFolderName() + "/" + m_name;
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
        const std::optional<std::string> problem = DoOrTellWhy(job);
        lock.lock();
        // Each problem is told once, and its end once.
        if (problem && *problem != m_lastProblem) {
            m_lastProblem = *problem;
            if (m_problemListener) {
                const ProblemListener listener = m_problemListener;
                lock.unlock();
                listener(*problem);
                lock.lock();
            }
        }
        m_bBusy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

std::optional<std::string> RecoveryWriter::DoOrTellWhy(const Job& job)
{
    // Running out of memory is a copy not written, told like any other
    // problem: nothing may leave the writer's thread as an exception.
    try {
        return Do(job);
    } catch (const std::bad_alloc&) {
        return job.kind != Job::Kind::Write
                   ? std::optional<std::string>()
                   : std::optional<std::string>("The unsaved changes could not be kept in a recovery copy: "
                                                "there is not enough memory.");
    }
}

void RecoveryWriter::HoldLock(const RecoveryFolderHandle& folder, const std::string& name)
{
    if (m_lockFd >= 0 && m_lockedName == name)
        return;
    ReleaseLock();
    const int fd =
        openat(folder.Fd(), (name + kLockSuffix).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // the copy is still written, only not known to be live
    struct flock lock
    {
    };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        close(fd);
        return;
    }
    m_lockFd = fd;
    m_lockedName = name;
}

void RecoveryWriter::ReleaseLock()
{
    if (m_lockFd >= 0)
        close(m_lockFd);
    m_lockFd = -1;
    m_lockedName.clear();
}

std::optional<std::string> RecoveryWriter::Do(const Job& job)
{
    if (job.kind == Job::Kind::LetGo) {
        if (job.name == m_lockedName)
            ReleaseLock();
        return std::nullopt;
    }
    // The ".source", the image and the pruning after them are one step to
    // every other use of the folder.
    const FolderLock lock(g_folderMutex);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    if (job.kind == Job::Kind::Remove) {
        if (folder.IsOpen())
            RemoveCopyFiles(folder, job.name);
        if (job.name == m_lockedName)
            ReleaseLock();
        return std::nullopt;
    }
    if (!folder.IsOpen())
        return folder.Problem();
    // Before the image exists, so that no other instance ever sees it unheld.
    HoldLock(folder, job.name);
    // The source first: a copy is listed by its image, which then always has
    // it; a source whose image never came is removed by a later pruning.
    const std::string text = RecoverySourceText(job.source, m_extension);
    const std::vector<std::uint8_t> source(text.begin(), text.end());
    FileError error;
    if (!WriteFileSafely(folder.At(job.name + kSourceSuffix).c_str(), source, &error) ||
        !WriteFileSafely(folder.At(job.name).c_str(), job.image, &error)) {
        return "The unsaved changes could not be kept in a recovery copy in " + PrintableText(folder.Path()) + ": " +
               error.text + ".";
    }
    // Copies nobody restores would pile up: each new one prunes the others.
    Prune(folder, m_extension);
    return std::string();
}
