#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileIO.h"
#include "TestFiles.h"

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

} // namespace

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
    const bool bRead = ReadFileBytes(fifo.c_str(), bytes, 1 << 20);
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
