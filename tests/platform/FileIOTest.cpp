#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/FileIO.h"
#include "platform/FileIdentity.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"

namespace {

struct RestoreCalls
{
    ~RestoreCalls() { ResetSaveSystemCalls(); }
};

ssize_t FailingWrite(int, const void*, std::size_t)
{
    errno = ENOSPC;
    return -1;
}

ssize_t ShortWrites(int fd, const void* buf, std::size_t count)
{
    return ::write(fd, buf, count > 3 ? 3 : count);
}

int FailingFsync(int)
{
    errno = EIO;
    return -1;
}

int FailingRename(const char*, const char*)
{
    errno = EXDEV;
    return -1;
}

// A Unix-domain socket bound at path; it stays as a file after the descriptor closes.
bool MakeSocketFile(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof address.sun_path)
        return false;
    std::strcpy(address.sun_path, path.c_str());
    const bool bBound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bBound;
}

// The kind of file at path without following a last link, as a word.
std::string KindAt(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    if (S_ISREG(st.st_mode))
        return "file";
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    if (S_ISCHR(st.st_mode))
        return "chr";
    if (S_ISSOCK(st.st_mode))
        return "sock";
    if (S_ISLNK(st.st_mode))
        return "link";
    if (S_ISDIR(st.st_mode))
        return "dir";
    return "other";
}

// What a reading of path says: "read N" or its errno and reason.
std::string ReadingOf(const std::string& path, NonRegularFiles nonRegular, std::size_t limit = 1 << 20)
{
    Bytes bytes;
    FileError error;
    if (ReadFileBytes(path.c_str(), bytes, limit, &error, nonRegular))
        return "read " + std::to_string(bytes.size());
    return std::to_string(error.code) + " " + error.text;
}

Bytes Pattern(std::size_t size, unsigned seed)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(i * seed + seed);
    return b;
}

// How a child that was to save ended: "exit N" or "signal N".
std::string EndOf(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "exit " + std::to_string(WEXITSTATUS(status));
}

int g_writesBeforeKill = 0;

ssize_t KilledAfterSomeWrites(int fd, const void* buf, std::size_t count)
{
    if (g_writesBeforeKill-- == 0)
        ::raise(SIGKILL);
    return ::write(fd, buf, count > 4096 ? 4096 : count);
}

int KilledAtFsync(int)
{
    ::raise(SIGKILL);
    return 0;
}

// A SIGTERM that arrives while the new file is being named must wait for the
// rename: the program ends with the new content in place and nothing beside it.
int TerminatedAtRename(const char* from, const char* to)
{
    ::raise(SIGTERM);
    return ::rename(from, to);
}

int NoUnnamedFiles(const char*, mode_t)
{
    errno = EOPNOTSUPP;
    return -1;
}

constexpr uid_t kNobody = 65534;

// For saves whose durability is not what a test is about: the saves stay short.
int NoFsync(int)
{
    return 0;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

// One file under any name; a copy, or a name with no file, is another.
TEST(FileIdentity, SameFileIsTheSameInodeUnderAnyName)
{
    TempDir dir;
    const std::string table = dir.File("a.ccf");
    WriteAll(table, {1, 2, 3});
    WriteAll(dir.File("copy.ccf"), {1, 2, 3});
    ASSERT_EQ(::symlink(table.c_str(), dir.File("link").c_str()), 0);
    ASSERT_EQ(::link(table.c_str(), dir.File("hard.ccf").c_str()), 0);
    EXPECT_TRUE(IsSameFile(table, table));
    EXPECT_TRUE(IsSameFile(dir.File("link"), table));
    EXPECT_TRUE(IsSameFile(table, dir.Path() + "/./a.ccf"));
    EXPECT_TRUE(IsSameFile(dir.File("hard.ccf"), dir.File("link")));
    EXPECT_FALSE(IsSameFile(table, dir.File("copy.ccf")));
    EXPECT_FALSE(IsSameFile(dir.File("new.ccf"), dir.File("new.ccf")));
    EXPECT_FALSE(IsSameFile("", ""));
    // A link to no file names none.
    ASSERT_EQ(::symlink(dir.File("gone").c_str(), dir.File("dangling").c_str()), 0);
    EXPECT_FALSE(IsSameFile(dir.File("dangling"), dir.File("dangling")));
}

TEST(SafeSave, ReplacesContentAndKeepsPermissions)
{
    TempDir dir;
    const std::string path = dir.File("t.bin");
    WriteAll(path, Bytes{1, 2, 3, 4, 5});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileSafely(path.c_str(), Bytes{9, 8}));
    EXPECT_EQ(ReadAll(path), (Bytes{9, 8}));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"t.bin"});
}

TEST(SafeSave, NewFileGetsUsualPermissions)
{
    TempDir dir;
    const mode_t old = ::umask(022);
    ASSERT_TRUE(WriteFileSafely(dir.File("n.bin").c_str(), Bytes{1}));
    ::umask(old);
    struct stat st;
    ASSERT_EQ(::stat(dir.File("n.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// Each new file gets 0666 less the umask of the moment, in an unnamed file and
// in a named one alike.
TEST(SafeSave, NewFileModeFollowsTheUmaskOfTheMoment)
{
    RestoreCalls restore;
    for (const bool bUnnamed : {true, false}) {
        ResetSaveSystemCalls();
        if (!bUnnamed)
            SaveSystemCalls().openUnnamed = NoUnnamedFiles;
        for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
            TempDir dir;
            const std::string path = dir.File("n.bin");
            const mode_t old = ::umask(mask);
            const bool bSaved = WriteFileSafely(path.c_str(), Bytes{1});
            ::umask(old);
            ASSERT_TRUE(bSaved) << bUnnamed << " " << mask;
            EXPECT_EQ(ModeOf(path), 0666 & ~mask) << bUnnamed << " " << mask;
            EXPECT_EQ(dir.Entries(), std::vector<std::string>{"n.bin"});
        }
    }
}

// Saves on two threads at once, while a third thread creates files the
// ordinary way: no save changes the process's umask, not even for a moment,
// so every new file gets the mode that umask gives.
TEST(SafeSave, SavesOnTwoThreadsLeaveTheUmaskAlone)
{
    RestoreCalls restore;
    SaveSystemCalls().fsync = NoFsync;
    constexpr int kSavesPerThread = 5000;
    // In a memory-backed folder a save takes microseconds: the threads meet often.
    const ScopedEnv memoryBacked("TMPDIR", ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR"));
    TempDir dir;
    const auto saveMany = [&dir](char thread) {
        for (int i = 0; i < kSavesPerThread; ++i)
            WriteFileSafely(dir.File(thread + std::to_string(i)).c_str(), Bytes{1});
    };
    std::atomic<bool> bSaving{true};
    const auto createWhileSaving = [&dir, &bSaving] {
        for (int i = 0; bSaving; ++i)
            ::close(::open(dir.File("c" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    };
    const mode_t old = ::umask(022);
    std::thread creating(createWhileSaving);
    std::thread first(saveMany, 'a'), second(saveMany, 'b');
    first.join();
    second.join();
    bSaving = false;
    creating.join();
    const mode_t after = ::umask(old);
    EXPECT_EQ(after, 022u);
    const std::vector<std::string> names = dir.Entries();
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& name) { return name[0] != 'c'; }),
              2 * kSavesPerThread);
    std::map<char, int> wrongModes;
    for (const std::string& name : names)
        if (ModeOf(dir.File(name)) != 0644)
            ++wrongModes[name[0]];
    EXPECT_EQ(wrongModes, (std::map<char, int>{}));
}

TEST(SafeSave, WritesThroughSymbolicLink)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteAll(dir.File("real/target.bin"), Bytes{1});
    std::filesystem::create_symlink("real/target.bin", dir.File("link.bin"));
    ASSERT_TRUE(WriteFileSafely(dir.File("link.bin").c_str(), Bytes{7, 7}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bin")));
    EXPECT_EQ(ReadAll(dir.File("real/target.bin")), (Bytes{7, 7}));
}

TEST(SafeSave, EveryFailingStepLeavesOldFileAndNoLeftovers)
{
    RestoreCalls restore;
    for (int step = 0; step < 3; ++step) {
        TempDir dir;
        const std::string path = dir.File("keep.bin");
        WriteAll(path, Bytes{1, 2, 3});
        ResetSaveSystemCalls();
        if (step == 0)
            SaveSystemCalls().write = FailingWrite;
        if (step == 1)
            SaveSystemCalls().fsync = FailingFsync;
        if (step == 2)
            SaveSystemCalls().rename = FailingRename;
        FileError error;
        EXPECT_FALSE(WriteFileSafely(path.c_str(), Bytes(100, 0xAA), &error)) << "step " << step;
        EXPECT_NE(error.code, 0);
        EXPECT_FALSE(error.text.empty());
        EXPECT_EQ(ReadAll(path), (Bytes{1, 2, 3})) << "step " << step;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"keep.bin"}) << "step " << step;
    }
}

TEST(SafeSave, PartialWritesAreCompleted)
{
    RestoreCalls restore;
    SaveSystemCalls().write = ShortWrites;
    TempDir dir;
    Bytes data(1000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(WriteFileSafely(dir.File("p.bin").c_str(), data));
    EXPECT_EQ(ReadAll(dir.File("p.bin")), data);
}

TEST(SafeSave, MissingFolderIsReported)
{
    TempDir dir;
    FileError error;
    EXPECT_FALSE(WriteFileSafely(dir.File("no/such/file.bin").c_str(), Bytes{1}, &error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(WriteFileSafely(nullptr, Bytes{1}, &error));
}

TEST(FileReading, LimitAndZeroFillPastTheEnd)
{
    TempDir dir;
    WriteAll(dir.File("r.bin"), Bytes{1, 2, 3, 4, 5, 6});
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(dir.File("r.bin").c_str(), bytes, 4));
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4}));

    ByteSource source(bytes);
    std::uint8_t out[6] = {9, 9, 9, 9, 9, 9};
    source.Skip(2);
    source.Read(out, 6);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(source.Position(), 8u);
    EXPECT_EQ(source.Remaining(), 0u);
    source.SeekTo(1);
    EXPECT_EQ(source.Remaining(), 3u);

    FileError error;
    EXPECT_FALSE(ReadFileBytes(dir.File("missing").c_str(), bytes, 10, &error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(ReadFileBytes(dir.Path().c_str(), bytes, 10, &error));
    EXPECT_EQ(error.code, EISDIR);
}

TEST(FileReading, WholeFilesOfEverySizeAndStreamsWithoutASize)
{
    TempDir dir;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{200001}}) {
        Bytes content(size);
        for (std::size_t i = 0; i < size; ++i)
            content[i] = static_cast<std::uint8_t>(i * 7 + 3);
        WriteAll(dir.File("f.bin"), content);
        Bytes bytes{9, 9};
        ASSERT_TRUE(ReadFileBytes(dir.File("f.bin").c_str(), bytes, 1 << 20));
        EXPECT_EQ(bytes, content) << size;
        ASSERT_TRUE(ReadFileBytes(dir.File("f.bin").c_str(), bytes, 70000));
        EXPECT_EQ(bytes, Bytes(content.begin(), content.begin() + std::min<std::size_t>(size, 70000))) << size;
    }

    // A pipe reports no size: everything it delivers is read, up to the limit.
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Bytes streamed(150000);
    for (std::size_t i = 0; i < streamed.size(); ++i)
        streamed[i] = static_cast<std::uint8_t>(i % 251);
    std::thread writer([&] {
        // A reader that stops early must fail this test, not end the program.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        for (std::size_t done = 0; fd >= 0 && done < streamed.size();) {
            const ssize_t n = ::write(fd, streamed.data() + done, streamed.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (fd >= 0)
            ::close(fd);
    });
    Bytes bytes;
    const bool bRead = ReadFileBytes(fifo.c_str(), bytes, 1 << 20, nullptr, NonRegularFiles::ReadUpToLimit);
    writer.join();
    ASSERT_TRUE(bRead);
    EXPECT_EQ(bytes, streamed);
}

TEST(FileReading, PeekShowsOnlyBytesWhollyInsideTheFile)
{
    const Bytes bytes{1, 2, 3, 4, 5};
    ByteSource source(bytes);
    ASSERT_NE(source.Peek(5), nullptr);
    EXPECT_EQ(source.Peek(5)[4], 5);
    EXPECT_EQ(source.Peek(6), nullptr);
    source.Skip(3);
    ASSERT_NE(source.Peek(2), nullptr);
    EXPECT_EQ(*source.Peek(2), 4);
    EXPECT_EQ(source.Peek(3), nullptr);
    EXPECT_EQ(source.Position(), 3u); // peeking does not move
    source.Skip(10);
    EXPECT_EQ(source.Peek(0), nullptr);
    EXPECT_EQ(source.Peek(1), nullptr);
}

// A FIFO would block the reader in open() until a writer comes; a device may
// deliver without end. Neither is opened unless the caller asks for streams.
TEST(FileReading, OnlyRegularFilesUnlessStreamsAreAsked)
{
    TempDir dir;
    const std::string fifo = dir.File("plan.ccf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketFile = dir.File("s.ccf");
    ASSERT_TRUE(MakeSocketFile(socketFile));
    std::filesystem::create_symlink(fifo, dir.File("link.ccf"));
    WriteAll(dir.File("real.ccf"), Bytes{1, 2, 3});

    const std::string einval = std::to_string(EINVAL) + " ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {fifo, einval + "it is a FIFO, not a regular file"},
        {dir.File("link.ccf"), einval + "it is a FIFO, not a regular file"},
        {"/dev/zero", einval + "it is a character device, not a regular file"},
        {socketFile, einval + "it is a socket, not a regular file"},
        {dir.Path(), std::to_string(EISDIR) + " " + std::strerror(EISDIR)},
        {dir.File("real.ccf"), "read 3"},
    };
    for (const auto& [path, expected] : cases) {
        const auto result = RunInChildWithin(10, [&] { return ReadingOf(path, NonRegularFiles::Refuse); });
        ASSERT_TRUE(result) << path << ": the reader blocked";
        EXPECT_EQ(*result, expected) << path;
    }

    // Asked for, a stream is read up to the limit and no further, and a folder
    // is still refused.
    EXPECT_EQ(ReadingOf("/dev/zero", NonRegularFiles::ReadUpToLimit, 300000), "read 300000");
    EXPECT_EQ(ReadingOf(dir.Path(), NonRegularFiles::ReadUpToLimit),
              std::to_string(EISDIR) + " " + std::strerror(EISDIR));
}

TEST(FileReading, ReaderTakesAFileInPiecesUpToEachLimit)
{
    TempDir dir;
    const Bytes content = Pattern(200000, 5);
    WriteAll(dir.File("f.bin"), content);
    FileReader reader;
    FileError error;
    ASSERT_TRUE(reader.Open(dir.File("f.bin").c_str(), NonRegularFiles::Refuse, &error));
    Bytes bytes;
    ASSERT_TRUE(reader.ReadUpTo(bytes, 12, &error));
    EXPECT_EQ(bytes, Bytes(content.begin(), content.begin() + 12));
    ASSERT_TRUE(reader.ReadUpTo(bytes, 8, &error)); // already there: nothing read
    EXPECT_EQ(bytes.size(), 12u);
    ASSERT_TRUE(reader.ReadUpTo(bytes, 70001, &error));
    EXPECT_EQ(bytes, Bytes(content.begin(), content.begin() + 70001));
    ASSERT_TRUE(reader.ReadUpTo(bytes, 1u << 30, &error));
    EXPECT_EQ(bytes, content);

    // A file of megabytes goes into memory advised for large pages: the
    // piece already read moves along with the rest.
    const Bytes large = Pattern((5u << 20) + 3, 7);
    WriteAll(dir.File("large.bin"), large);
    FileReader largeReader;
    ASSERT_TRUE(largeReader.Open(dir.File("large.bin").c_str(), NonRegularFiles::Refuse, &error));
    Bytes largeBytes;
    ASSERT_TRUE(largeReader.ReadUpTo(largeBytes, 12, &error));
    ASSERT_TRUE(largeReader.ReadUpTo(largeBytes, large.size() + 100, &error));
    EXPECT_TRUE(largeBytes == large);

    FileReader unopened;
    EXPECT_FALSE(unopened.ReadUpTo(bytes, 100, &error));
    EXPECT_EQ(error.code, EBADF);
}

TEST(SafeSave, RefusesTargetsThatAreNotRegularFiles)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo.ccf").c_str(), 0600), 0);
    std::filesystem::create_symlink("fifo.ccf", dir.File("to-fifo.ccf"));
    std::filesystem::create_symlink("loop-b.ccf", dir.File("loop-a.ccf"));
    std::filesystem::create_symlink("loop-a.ccf", dir.File("loop-b.ccf"));
    ASSERT_TRUE(MakeSocketFile(dir.File("socket.ccf")));
    std::filesystem::create_directory(dir.File("folder.ccf"));
    // A device node of its own with the numbers of /dev/null, where the
    // process may make one (root): never the system's.
    const bool bDevice = ::mknod(dir.File("null.ccf").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"fifo.ccf", "it is a FIFO, not a regular file"},
        {"to-fifo.ccf", "it is a FIFO, not a regular file"},
        {"loop-a.ccf", std::strerror(ELOOP)},
        {"socket.ccf", "it is a socket, not a regular file"},
        {"folder.ccf", std::strerror(EISDIR)},
        {"null.ccf", "it is a character device, not a regular file"},
    };
    const std::vector<std::string> before = dir.Entries();
    for (const auto& [name, reason] : cases) {
        if (name == "null.ccf" && !bDevice)
            continue;
        const std::string kind = KindAt(dir.File(name));
        FileError error;
        EXPECT_FALSE(WriteFileSafely(dir.File(name).c_str(), Bytes{1, 2, 3}, &error)) << name;
        EXPECT_NE(error.code, 0) << name;
        EXPECT_EQ(error.text, reason) << name;
        EXPECT_EQ(KindAt(dir.File(name)), kind) << name;
    }
    EXPECT_EQ(KindAt(dir.File("fifo.ccf")), "fifo");
    EXPECT_EQ(dir.Entries(), before);
}

// The new content is written into an unnamed file: a save killed before the
// rename leaves the old file and nothing beside it.
TEST(SafeSave, KilledSaveLeavesNothingBehind)
{
    RestoreCalls restore;
    const Bytes old = Pattern(5000, 3);
    const Bytes next = Pattern(1 << 20, 7);
    enum class Kill
    {
        MidWrite,
        AtFsync,
        FileSizeLimit,
        TermAtRename
    };
    for (Kill kill : {Kill::MidWrite, Kill::AtFsync, Kill::FileSizeLimit, Kill::TermAtRename}) {
        TempDir dir;
        const std::string path = dir.File("plan.ccf");
        WriteAll(path, old);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (kill == Kill::MidWrite) {
                g_writesBeforeKill = 100;
                SaveSystemCalls().write = KilledAfterSomeWrites;
            } else if (kill == Kill::AtFsync) {
                SaveSystemCalls().fsync = KilledAtFsync;
            } else if (kill == Kill::FileSizeLimit) {
                ::signal(SIGXFSZ, SIG_DFL); // a write past the limit ends the program
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 300000;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            } else {
                SaveSystemCalls().rename = TerminatedAtRename;
            }
            WriteFileSafely(path.c_str(), next);
            ::_exit(0);
        }
        const std::string end = EndOf(child);
        const int kase = static_cast<int>(kill);
        if (kill == Kill::TermAtRename) {
            EXPECT_EQ(end, "signal " + std::to_string(SIGTERM)) << kase;
            EXPECT_EQ(ReadAll(path), next) << kase;
        } else {
            EXPECT_EQ(end, "signal " + std::to_string(kill == Kill::FileSizeLimit ? SIGXFSZ : SIGKILL)) << kase;
            EXPECT_EQ(ReadAll(path), old) << kase;
        }
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plan.ccf"}) << kase;
    }
}

TEST(SafeSave, FileSystemWithoutUnnamedFilesUsesANamedOne)
{
    RestoreCalls restore;
    SaveSystemCalls().openUnnamed = NoUnnamedFiles;
    TempDir dir;
    const std::string path = dir.File("plan.ccf");
    WriteAll(path, Bytes{1, 2, 3});
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(WriteFileSafely(path.c_str(), Pattern(70000, 9)));
    EXPECT_EQ(ReadAll(path), Pattern(70000, 9));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plan.ccf"});

    // A failure after the named file was made removes it again.
    SaveSystemCalls().fsync = FailingFsync;
    FileError error;
    EXPECT_FALSE(WriteFileSafely(path.c_str(), Bytes{4}, &error));
    EXPECT_EQ(error.code, EIO);
    EXPECT_EQ(ReadAll(path), Pattern(70000, 9));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plan.ccf"});
}

// A file that may be written in a folder where no file may be made is never
// rewritten in place, which a kill during the write would leave torn: the
// save is refused with the reason, and so is one of a file that may not be
// written either.
TEST(SafeSave, FolderWithoutWritePermissionIsRefusedNotWrittenInPlace)
{
    TempDir dir;
    const std::string path = dir.File("plan.ccf");
    const std::string locked = dir.File("locked.ccf");
    ChannelTable old(true);
    auto* pNode = new ChannelNode;
    pNode->dbFrequency = 48.25;
    old.AppendChannel(ChannelModeAir, pNode);
    ASSERT_EQ(old.Save(path.c_str()), 1);
    ASSERT_EQ(old.Save(locked.c_str()), 1);
    const Bytes oldImage = ReadAll(path);
    const bool bRoot = ::geteuid() == 0;
    // As root, the save runs as nobody, who owns plan.ccf but not the folder.
    if (bRoot) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);

    const auto result = RunInChildWithin(30, [&]() -> std::string {
        if (bRoot && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            return "no-drop";
        if (::access(dir.Path().c_str(), X_OK) != 0)
            return "no-reach";
        ChannelTable table(true);
        for (double f : {55.25, 62.25, 175.25}) {
            auto* p = new ChannelNode;
            p->dbFrequency = f;
            table.AppendChannel(ChannelModeCable, p);
        }
        FileError saved, refused;
        const int iSaved = table.Save(path.c_str(), &saved);
        const int iRefused = table.Save(locked.c_str(), &refused);
        return std::to_string(iSaved) + " " + std::to_string(saved.code) + " " + saved.text + "\n" +
               std::to_string(iRefused) + " " + std::to_string(refused.code);
    });
    ::chmod(dir.Path().c_str(), 0755);
    ASSERT_TRUE(result);
    if (*result == "no-drop" || *result == "no-reach") {
        GTEST_SKIP() << "cannot run the save as an unprivileged user here: " << *result;
    }
    EXPECT_EQ(*result, "0 " + std::to_string(EACCES) +
                           " its folder does not let a new file be made beside it, so it cannot be replaced "
                           "safely; save it in another folder\n0 " +
                           std::to_string(EACCES));
    EXPECT_EQ(ReadAll(path), oldImage);
    EXPECT_EQ(ReadAll(locked), oldImage);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"locked.ccf", "plan.ccf"}));
}

TEST(SafeSave, ReplacedFileKeepsItsOwnerAndGroupWhereThatIsAllowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file another owner";
    TempDir dir;
    const std::string path = dir.File("plan.ccf");
    WriteAll(path, Bytes{1, 2, 3});
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileSafely(path.c_str(), Bytes{4, 5}));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(path), (Bytes{4, 5}));

    // A new file belongs to whoever saves it.
    ASSERT_TRUE(WriteFileSafely(dir.File("new.ccf").c_str(), Bytes{1}));
    ASSERT_EQ(::stat(dir.File("new.ccf").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}

namespace {

// The real step of putting the new file in place, and what a test plants at
// the target just before it.
int (*g_realPutInPlace)(const char*, const char*) = nullptr;
std::function<void(const std::string& target)> g_plantBeforeRename;

int PlantThenPutInPlace(const char* from, const char* to)
{
    g_plantBeforeRename(to);
    return g_realPutInPlace(from, to);
}

} // namespace

// The target is looked at when the save begins, and again at the very moment
// the new file takes its place: a device, a FIFO or a link that took the
// name in between is left as it is and named, and nothing is left beside it.
TEST(SafeSave, WhatTookTheNameWhileTheFileWasWrittenIsNeverReplaced)
{
    RestoreCalls restore;
    g_realPutInPlace = SaveSystemCalls().rename;
    SaveSystemCalls().rename = PlantThenPutInPlace;
    struct Plant
    {
        const char* name;
        std::function<bool(const std::string& target, const std::string& folder)> make;
        const char* kind;
        const char* reason;
    };
    const std::vector<Plant> plants = {
        {"a FIFO",
         [](const std::string& target, const std::string&) {
             return ::unlink(target.c_str()) == 0 && ::mkfifo(target.c_str(), 0600) == 0;
         },
         "fifo", "it is a FIFO, not a regular file"},
        {"a link to a device",
         [](const std::string& target, const std::string& folder) {
             return MakeNullDevice(folder + "/null") && ::unlink(target.c_str()) == 0 &&
                    ::symlink("null", target.c_str()) == 0;
         },
         "link", "it is a symbolic link, not a regular file"},
        {"a device",
         [](const std::string& target, const std::string&) {
             return ::unlink(target.c_str()) == 0 && MakeNullDevice(target);
         },
         "chr", "it is a character device, not a regular file"},
    };
    for (const Plant& plant : plants) {
        TempDir dir;
        const std::string path = dir.File("plan.ccf");
        WriteAll(path, Bytes{1, 2, 3});
        bool bPlanted = false;
        g_plantBeforeRename = [&](const std::string& target) { bPlanted = plant.make(target, dir.Path()); };
        FileError error;
        const bool bWritten = WriteFileSafely(path.c_str(), Bytes(5000, 7), &error);
        if (!bPlanted)
            continue; // a device node needs root
        EXPECT_FALSE(bWritten) << plant.name;
        EXPECT_EQ(error.text, plant.reason) << plant.name;
        EXPECT_EQ(KindAt(path), plant.kind) << plant.name;
        if (std::string(plant.kind) == "link") {
            EXPECT_EQ(KindAt(dir.File("null")), "chr");
        }
        for (const std::string& entry : dir.Entries())
            EXPECT_TRUE(entry == "plan.ccf" || entry == "null") << plant.name << ": " << entry;
    }
}

// A file that looks regular but whose reads wait for data (a kernel pipe
// reached through a link) fails at once with the reason, however it is
// reached; reading it must never hold the program up.
TEST(FileReading, AFileWhoseReadsWaitFailsAtOnce)
{
    const WaitingFile waiting;
    if (waiting.Path().empty())
        GTEST_SKIP() << "no tracefs can be mounted here";
    TempDir dir;
    std::filesystem::create_symlink(waiting.Path(), dir.File("plan.ccf"));
    const auto result = RunInChildWithin(20, [&] {
        Bytes bytes;
        FileError error;
        const bool bRead = ReadFileBytes(dir.File("plan.ccf").c_str(), bytes, 1 << 20, &error);
        ChannelTable table(false);
        const int iLoaded = table.Load(dir.File("plan.ccf").c_str());
        return std::string(bRead ? "read " : "refused ") + error.text + "\n" + std::to_string(iLoaded);
    });
    ASSERT_TRUE(result) << "reading a file whose reads wait blocked";
    // With tracing on, the pipe may hold data, which is then read at once.
    if (result->rfind("read", 0) != 0) {
        EXPECT_EQ(*result, "refused reading it would wait for data that may never come\n0");
    }
}
