// Hostile files and failing disks: memory bounded by the file's size whatever
// its counts claim, and no failed or interrupted save costs the file that was there.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/TunerCatalogue.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/robustness/HeapCounter.h"

namespace {

// What "a few times n plus a constant" allows for a file of n bytes.
std::size_t Allowance(std::size_t fileSize, std::size_t constant)
{
    return 4 * fileSize + constant;
}

template <class LoadFunction> std::size_t PeakOf(LoadFunction load)
{
    heap::ResetPeak();
    load();
    return heap::PeakSinceReset();
}

Bytes ChfqHeader(std::uint16_t airCount, std::uint16_t cableCount)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    PutI32(b, 1);
    PutU16(b, airCount);
    PutU16(b, 1);
    PutU16(b, cableCount);
    PutU16(b, 1);
    return b;
}

Bytes TnspHeader(std::int32_t count)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(b, count);
    return b;
}

Bytes CftHeader(std::uint16_t airCount, std::uint16_t cableCount)
{
    Bytes b(24, 0);
    PutU16(b, airCount);
    PutU16(b, cableCount);
    PutU32(b, 0);
    return b;
}

// Limits the size of files this process writes, so that writes past it fail
// with EFBIG as on a full disk; restored when the scope ends.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

ChannelTable* BigChannelTable(double base)
{
    auto* table = new ChannelTable(true);
    for (int mode : {ChannelModeAir, ChannelModeCable})
        for (int i = 0; i < 20000; ++i) {
            auto* node = new ChannelNode;
            node->dbFrequency = base + i;
            table->AppendChannel(mode, node);
        }
    return table;
}

// A file of the given size whose blocks are never written: holes read as zero.
void MakeSparseFile(const std::string& path, const Bytes& head, off_t size)
{
    WriteAll(path, head);
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// Writes head into the FIFO, then zeros without end, until the reader goes
// away; returns how many bytes the reader let it write.
std::size_t FeedFifo(const std::string& fifo, const Bytes& head)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    std::size_t written = 0;
    Bytes data = head;
    data.resize(head.size() + (1 << 16), 0);
    for (std::size_t offset = 0; fd >= 0;) {
        const ssize_t n = ::write(fd, data.data() + offset, data.size() - offset);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
        offset += static_cast<std::size_t>(n);
        if (offset == data.size()) {
            data.assign(1 << 16, 0);
            offset = 0;
        }
    }
    if (fd >= 0)
        ::close(fd);
    return written;
}

std::string LoadResult(int iResult, const FileError& error)
{
    return std::to_string(iResult) + " " + std::to_string(error.code) + " " + error.text;
}

} // namespace

TEST(MemoryBounds, ChannelTableCountsAreBoundedByTheirWidth)
{
    TempDir dir;
    for (const Bytes& image : {ChfqHeader(65535, 65535), ChfqHeader(65535, 0), ChfqHeader(0, 0)}) {
        WriteAll(dir.File("t.ccf"), image);
        ChannelTable table(false);
        // The counts are 16-bit: the worst a short file can ask for is two full
        // lists of empty slots, a constant.
        const std::size_t peak = PeakOf([&] { ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1); });
        EXPECT_LE(peak, Allowance(image.size(), 8u << 20));
        const EntryList* air = table.GetList(ChannelModeAir);
        // The counter sees the nodes: two full lists take megabytes.
        if (air->iCount == 65535) {
            EXPECT_GT(peak, 65535u * sizeof(ChannelNode));
        }
    }
}

// A count within the largest table makes that many entries, the ones the file
// lacks all-zero: memory follows the count, which is bounded. A count beyond
// the largest table is refused before anything is made.
TEST(MemoryBounds, TunerTableFollowsItsCountUpToTheLargest)
{
    TempDir dir;
    for (std::int32_t count : {65535, 2147483647, -1}) {
        Bytes image = TnspHeader(count);
        image.resize(image.size() + 64 * 3 + 4, 0x21);
        WriteAll(dir.File("t.tsf"), image);
        TunerSpecTable table(false);
        const std::size_t peak = PeakOf([&] { table.Load(dir.File("t.tsf").c_str()); });
        const std::size_t made = static_cast<std::size_t>(std::max(0, table.GetList()->iCount));
        EXPECT_EQ(made, count == 65535 ? 65535u : 0u) << "count " << count;
        EXPECT_LE(peak, Allowance(image.size() + made * 2 * sizeof(TunerSpecNode), 64u << 10)) << "count " << count;
    }
}

TEST(MemoryBounds, LegacyTableCountsAreBoundedByTheirWidth)
{
    TempDir dir;
    Bytes image = CftHeader(65535, 65535);
    WriteAll(dir.File("t.cft"), image);
    LegacyChannelTable table;
    const std::size_t peak = PeakOf([&] { ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1); });
    EXPECT_LE(peak, Allowance(image.size(), 8u << 20));

    // Trailer maxima of 65,535 after a short file.
    Bytes trailer = CftHeader(1, 1);
    trailer.resize(trailer.size() + 16, 0);
    PutBytes(trailer, {1, 0, 0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
    WriteAll(dir.File("m.cft"), trailer);
    LegacyChannelTable maxima;
    const std::size_t peakMaxima = PeakOf([&] { ASSERT_EQ(maxima.Load(dir.File("m.cft").c_str()), 1); });
    EXPECT_LE(peakMaxima, Allowance(trailer.size(), 8u << 20));
    ChannelTable converted(false);
    const std::size_t peakConvert = PeakOf([&] { converted.ConvertFromLegacy(&maxima); });
    EXPECT_LE(peakConvert, 8u << 20);
}

TEST(MemoryBounds, CatalogueCountsDoNotAllocateBeyondTheSection)
{
    TempDir dir;
    for (const char* count : {"65535", "2147483647", "-1"}) {
        const std::string text =
            std::string("[Factory]\nCount = ") + count + "\n1 = A\n[01]\nCount = " + count + "\n1 = X\n";
        WriteAll(dir.File("TunerSpec.inf"), Bytes(text.begin(), text.end()));
        TunerCatalogue catalogue;
        const std::size_t peak = PeakOf([&] {
            ASSERT_TRUE(catalogue.Open(dir.File("TunerSpec.inf")));
            catalogue.ReadFactories();
            catalogue.ReadTunerTypes(0x01);
        });
        EXPECT_LE(peak, Allowance(text.size(), 64u << 10)) << "count " << count;
    }
}

// A person's own channel plans: listing many plans of the most channels holds
// only what the listing shows of each, and reads them one at a time, so that
// neither what stays nor the peak grows with the plans' channels.
TEST(MemoryBounds, OwnPlanListingKeepsNoChannels)
{
    TempDir dir;
    std::string text = "channel,frequency_mhz\n";
    for (int i = 1; i <= 65535; ++i)
        text += "S" + std::to_string(i) + "," + std::to_string(45 + i % 800) + ".25\n";
    const std::size_t plans = 8;
    for (std::size_t i = 0; i < plans; ++i)
        WriteAll(dir.File("plan" + std::to_string(i) + ".csv"), Bytes(text.begin(), text.end()));

    const std::size_t before = heap::InUse();
    std::size_t held = 0;
    const std::size_t peak = PeakOf([&] {
        const PlanLibrary library = PlanLibrary::Load("", dir.Path());
        held = heap::InUse() - before;
        EXPECT_EQ(library.Plans().size(), plans);
        EXPECT_TRUE(library.Problems().empty());
    });
    EXPECT_LE(held, std::size_t{64} << 10);
    EXPECT_LE(peak, Allowance(text.size(), 1u << 20));
}

// A plan file beyond the largest a plan takes is refused by its size: none of
// its gigabyte is read.
TEST(MemoryBounds, OwnPlanBeyondTheLargestIsRefusedWithoutReadingIt)
{
    TempDir dir;
    const std::string head = "channel,frequency_mhz\n1,55.25\n";
    MakeSparseFile(dir.File("huge.csv"), Bytes(head.begin(), head.end()), off_t{1} << 30);
    std::string reason;
    const std::size_t peak = PeakOf([&] {
        const PlanLibrary library = PlanLibrary::Load("", dir.Path());
        EXPECT_TRUE(library.Plans().empty());
        ASSERT_EQ(library.Problems().size(), 1u);
        reason = library.Problems()[0].reason;
    });
    EXPECT_EQ(reason, "cannot be read: larger than 6750135 bytes, the most a plan of 65535 channels takes");
    EXPECT_LE(peak, std::size_t{64} << 10);
}

// Every table's save on a disk that fills up: result 0 with the reason, the old
// file intact, no temporary file left.
TEST(FailingDisk, FullDiskLeavesTheOldFileForEveryTable)
{
    TempDir dir;
    const Bytes old{1, 2, 3, 4};
    std::unique_ptr<ChannelTable> channels(BigChannelTable(50.0));
    TunerSpecTable tuners(true);
    for (int i = 0; i < 40; ++i) {
        auto* node = new TunerSpecNode;
        node->entry.SetFactory(i);
        tuners.InsertInOrder(node);
    }

    WriteAll(dir.File("c.ccf"), old);
    WriteAll(dir.File("t.tsf"), old);
    {
        FileSizeLimit limit(1000);
        FileError channelError, tunerError;
        EXPECT_EQ(channels->Save(dir.File("c.ccf").c_str(), &channelError), 0);
        EXPECT_EQ(channelError.code, EFBIG);
        EXPECT_EQ(tuners.Save(dir.File("t.tsf").c_str(), &tunerError), 0);
        EXPECT_EQ(tunerError.code, EFBIG);
    }
    EXPECT_EQ(ReadAll(dir.File("c.ccf")), old);
    EXPECT_EQ(ReadAll(dir.File("t.tsf")), old);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.ccf", "t.tsf"}));

    // Once there is room again the same tables save whole.
    EXPECT_EQ(channels->Save(dir.File("c.ccf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("c.ccf")).size(), 24u + 8u * 40000u);
}

// A save killed at any moment leaves the old file or the complete new one.
TEST(FailingDisk, KilledSaveLeavesOldOrNewFile)
{
    TempDir dir;
    const std::string path = dir.File("plan.ccf");
    std::unique_ptr<ChannelTable> a(BigChannelTable(50.0));
    std::unique_ptr<ChannelTable> b(BigChannelTable(70.0));
    ASSERT_EQ(a->Save(path.c_str()), 1);
    const Bytes imageA = ReadAll(path);
    const Bytes imageB = b->FileImage();
    ASSERT_NE(imageA, imageB);

    std::mt19937 rng(7);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                (i % 2 ? a : b)->Save(path.c_str());
        }
        ::usleep(static_cast<useconds_t>(2000 + rng() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const Bytes now = ReadAll(path);
        EXPECT_TRUE(now == imageA || now == imageB) << "round " << round << ": " << now.size() << " bytes";
    }
    // A SIGKILL between naming the new file and renaming it (two system calls)
    // may leave that file beside it; never a damaged table under its name.
    for (const std::string& name : dir.Entries())
        EXPECT_TRUE(name == "plan.ccf" || name.rfind(".plan.ccf.", 0) == 0) << name;
}

// A count as large as the format allows over a 64 MiB file of holes: the table
// would be a million entries and more. The largest table the program accepts
// is read and no further, and the file is refused with the reason.
TEST(MemoryBounds, TunerTableBeyondTheLargestIsRefusedWithoutReadingOn)
{
    TempDir dir;
    const std::string path = dir.File("sparse.tsf");
    MakeSparseFile(path, TnspHeader(0x7fffffff), off_t{64} << 20);
    TunerSpecTable table(false);
    FileError error;
    const std::size_t peak = PeakOf([&] { EXPECT_EQ(table.Load(path.c_str(), &error), 0); });
    EXPECT_EQ(error.code, EFBIG);
    EXPECT_EQ(error.text, "its entry count 2147483647 is more than the 100000 tuner entries a table may have");
    EXPECT_LE(peak, 64u << 10);
    ASSERT_NE(table.GetList(), nullptr);
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().wMarker(), 0xCB00); // a refused file leaves a new table's header
}

TEST(MemoryBounds, LargestTunerTableIsTheEdge)
{
    TempDir dir;
    const std::size_t largest = TunerSpecTable::kMaxEntries;
    ASSERT_EQ(largest, 100000u);
    const std::size_t recordsEnd = TunerSpecHeader::kSize + TunerSpecEntry::kSize * largest;
    const auto load = [&](std::int32_t count, std::size_t size) {
        Bytes image = TnspHeader(count);
        image.resize(size, 0x31);
        WriteAll(dir.File("t.tsf"), image);
        TunerSpecTable table(false);
        FileError error;
        const int iResult = table.Load(dir.File("t.tsf").c_str(), &error);
        return LoadResult(iResult, error) + " " + std::to_string(table.GetList()->iCount);
    };
    // The largest table loads from its records, or from fewer, the rest
    // all-zero; a count one above it is refused whatever the file holds.
    const auto refused = [](std::int32_t count) {
        return "0 " + std::to_string(EFBIG) + " its entry count " + std::to_string(count) +
               " is more than the 100000 tuner entries a table may have 0";
    };
    EXPECT_EQ(load(0x7fffffff, recordsEnd), refused(0x7fffffff));
    EXPECT_EQ(load(0x7fffffff, recordsEnd + 1), refused(0x7fffffff));
    EXPECT_EQ(load(100001, recordsEnd + 64 + 4), refused(100001));
    EXPECT_EQ(load(100001, 12), refused(100001));
    EXPECT_EQ(load(100000, recordsEnd + 4 + 1000), "1 0  100000");
    EXPECT_EQ(load(100000, 12 + 64), "1 0  100000");

    // What cannot be loaded is never written.
    TunerSpecTable big(true);
    std::vector<TunerSpecEntry> entries(largest + 1);
    for (std::size_t i = 0; i <= largest; ++i)
        entries[i].SetFactory(static_cast<std::int32_t>(i));
    ASSERT_TRUE(big.AppendEntries(entries));
    WriteAll(dir.File("old.tsf"), Bytes{1, 2, 3});
    FileError error;
    EXPECT_EQ(big.Save(dir.File("old.tsf").c_str(), &error), 0);
    EXPECT_EQ(error.code, EFBIG);
    EXPECT_EQ(error.text, "the table has 100001 entries, more than the 100000 a tuner table may have");
    EXPECT_EQ(ReadAll(dir.File("old.tsf")), (Bytes{1, 2, 3}));
    ASSERT_EQ(big.RemoveEntry(big.GetList()->iCount), 1);
    EXPECT_EQ(big.Save(dir.File("old.tsf").c_str(), &error), 1);
    EXPECT_EQ(ReadAll(dir.File("old.tsf")).size(), recordsEnd + 4);
}

// A FIFO blocks open() until a writer comes: every table refuses it, and any
// other file that is not regular, without opening it.
TEST(HostileFileKinds, EveryTableRefusesAFifoWithoutBlocking)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("fifo", dir.File("link.tsf"));
    const std::string fifoText = "0 " + std::to_string(EINVAL) + " it is a FIFO, not a regular file";
    for (const char* name : {"fifo", "link.tsf"}) {
        const std::string path = dir.File(name);
        const auto result = RunInChildWithin(10, [&] {
            FileError channelError, tunerError, legacyError;
            ChannelTable channels(false);
            TunerSpecTable tuners(false);
            LegacyChannelTable legacy;
            const int iChannels = channels.Load(path.c_str(), &channelError);
            const int iTuners = tuners.Load(path.c_str(), &tunerError);
            const int iLegacy = legacy.Load(path.c_str(), &legacyError);
            return LoadResult(iChannels, channelError) + "|" + LoadResult(iTuners, tunerError) + "|" +
                   LoadResult(iLegacy, legacyError);
        });
        ASSERT_TRUE(result) << name << ": a load blocked on the FIFO";
        EXPECT_EQ(*result, fifoText + "|" + fifoText + "|" + fifoText) << name;
    }
    const std::string deviceText = "0 " + std::to_string(EINVAL) + " it is a character device, not a regular file";
    TunerSpecTable tuners(false);
    FileError error;
    EXPECT_EQ(LoadResult(tuners.Load("/dev/zero", &error), error), deviceText);
}

// Asked to read streams, a table reads what its header reaches and stops: a
// writer without end is cut off, and memory stays that of the table.
TEST(HostileFileKinds, StreamIsReadOnlyAsFarAsItsHeaderReaches)
{
    TempDir dir;
    const std::string fifo = dir.File("stream");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Bytes tnsp = TnspHeader(3);
    for (int i = 0; i < 3; ++i) {
        Bytes record(64, 0);
        record[0] = static_cast<std::uint8_t>(i + 1);
        tnsp.insert(tnsp.end(), record.begin(), record.end());
    }
    PutBytes(tnsp, {0x00, 0x00, 0xFF, 0xFF});
    Bytes chfq = ChfqHeader(2, 1);
    PutF64(chfq, 48.25);
    PutF64(chfq, 55.25);
    PutBytes(chfq, {0x00, 0x00, 0xFF, 0xFF});
    PutF64(chfq, 471.25);

    const auto result = RunInChildWithin(30, [&] {
        std::string text;
        std::size_t written = 0;
        {
            std::thread writer([&] { written = FeedFifo(fifo, tnsp); });
            TunerSpecTable table(false);
            FileError error;
            const int iResult = table.Load(fifo.c_str(), &error, NonRegularFiles::ReadUpToLimit);
            writer.join();
            text += LoadResult(iResult, error) + " " + std::to_string(table.GetList()->iCount) + " " +
                    std::to_string(table.EndMark()[3]) + (written < (64u << 20) ? " cut" : " read on");
        }
        {
            std::thread writer([&] { written = FeedFifo(fifo, chfq); });
            ChannelTable table(false);
            FileError error;
            const int iResult = table.Load(fifo.c_str(), &error, NonRegularFiles::ReadUpToLimit);
            writer.join();
            text += "|" + LoadResult(iResult, error) + " " + std::to_string(table.GetList(ChannelModeAir)->iCount) +
                    " " + std::to_string(table.GetList(ChannelModeCable)->iCount) +
                    (written < (64u << 20) ? " cut" : " read on");
        }
        return text;
    });
    ASSERT_TRUE(result) << "a reader did not stop";
    EXPECT_EQ(*result, "1 0  3 255 cut|1 0  2 1 cut");
}
