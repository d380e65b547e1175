// Hostile files and failing disks: memory bounded by the file's size whatever
// its counts claim, and no failed or interrupted save costs the file that was there.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ChannelTable.h"
#include "HeapCounter.h"
#include "LegacyChannelTable.h"
#include "TestFiles.h"
#include "TunerCatalogue.h"
#include "TunerSpecTable.h"

namespace {

// What "a few times n plus a constant" allows for a file of n bytes.
std::size_t Allowance(std::size_t fileSize, std::size_t constant)
{
    return 4 * fileSize + constant;
}

template <class LoadFunction>
std::size_t PeakOf(LoadFunction load)
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

TEST(MemoryBounds, TunerTableFollowsTheFileNotItsCount)
{
    TempDir dir;
    for (std::int32_t count : {65535, 2147483647, -1}) {
        Bytes image = TnspHeader(count);
        image.resize(image.size() + 64 * 3 + 4, 0x21);
        WriteAll(dir.File("t.tsf"), image);
        TunerSpecTable table(false);
        const std::size_t peak = PeakOf([&] { ASSERT_EQ(table.Load(dir.File("t.tsf").c_str()), 1); });
        EXPECT_LE(peak, Allowance(image.size(), 64u << 10)) << "count " << count;
        EXPECT_LE(table.GetList()->iCount, 4) << "count " << count;
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
        const std::string text = std::string("[Factory]\nCount = ") + count + "\n1 = A\n[01]\nCount = " + count +
                                 "\n1 = X\n";
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
    // Only the temporary file of the save that was killed may remain, never a
    // damaged table under the table's name.
    for (const std::string& name : dir.Entries())
        EXPECT_TRUE(name == "plan.ccf" || name.rfind(".plan.ccf.", 0) == 0) << name;
}
