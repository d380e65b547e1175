// What each table's Load reports about the file it read: the stored counts as
// the file held them, the file's size, the records and the end mark present.

#include <gtest/gtest.h>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

Bytes TnspFile(std::int32_t count, int records, bool bEndMark)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(b, count);
    for (int i = 0; i < records; ++i) {
        PutI32(b, i + 1); // factory: keys 1, 2, 3...
        b.insert(b.end(), 60, 0);
    }
    if (bEndMark)
        PutBytes(b, {0x00, 0x00, 0xFF, 0xFF});
    return b;
}

} // namespace

TEST(ChannelTableLoadReport, WholeFileWithExtraBytes)
{
    TempDir dir;
    Bytes image = ChannelTableImage(44, {48.25, 55.25}, {60.5}, 1, 1);
    PutBytes(image, {9, 9, 9, 9, 9});
    WriteAll(dir.File("t.ccf"), image);
    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    const ChannelTableLoadReport& report = table.LastLoad();
    EXPECT_EQ(Bytes(report.header.bytes, report.header.bytes + 20), Bytes(image.begin(), image.begin() + 20));
    ASSERT_TRUE(report.fileSize.has_value());
    EXPECT_EQ(*report.fileSize, 53u);
    EXPECT_EQ(report.StatedSize(), 48u);
    EXPECT_EQ(report.airRecords, 2u);
    EXPECT_EQ(report.cableRecords, 1u);
    EXPECT_TRUE(report.bEndMark);
}

TEST(ChannelTableLoadReport, TruncatedFilesCountOnlyWholeRecords)
{
    TempDir dir;
    ChannelTable table(false);
    const Bytes image = ChannelTableImage(44, {48.25, 55.25}, {60.5, 67.5, 74.5}, 1, 1);
    ASSERT_EQ(image.size(), 64u);
    const struct
    {
        std::size_t size;
        std::uint32_t air;
        bool bEndMark;
        std::uint32_t cable;
    } cuts[] = {
        {63, 2, true, 2},  // inside the last cable frequency
        {40, 2, true, 0},  // right after the end mark
        {39, 2, false, 0}, // inside the end mark
        {35, 1, false, 0}, // inside the second air frequency
        {20, 0, false, 0}, // the header alone
    };
    for (const auto& cut : cuts) {
        WriteAll(dir.File("cut.ccf"), Bytes(image.begin(), image.begin() + static_cast<long>(cut.size)));
        ASSERT_EQ(table.Load(dir.File("cut.ccf").c_str()), 1) << cut.size;
        const ChannelTableLoadReport& report = table.LastLoad();
        EXPECT_EQ(report.fileSize, std::optional<std::uint64_t>(cut.size));
        EXPECT_EQ(report.StatedSize(), 64u) << cut.size;
        EXPECT_EQ(report.header.wCableMax(), 3) << cut.size;
        EXPECT_EQ(report.airRecords, cut.air) << cut.size;
        EXPECT_EQ(report.bEndMark, cut.bEndMark) << cut.size;
        EXPECT_EQ(report.cableRecords, cut.cable) << cut.size;
    }

    // A header cut short: the stored fields past its end read as zero.
    WriteAll(dir.File("stub.ccf"), Bytes(image.begin(), image.begin() + 13));
    ASSERT_EQ(table.Load(dir.File("stub.ccf").c_str()), 1);
    EXPECT_EQ(table.LastLoad().header.wAirMax(), 2);
    EXPECT_EQ(table.LastLoad().header.wCableMax(), 0);
    EXPECT_EQ(table.LastLoad().airRecords, 0u);
    EXPECT_FALSE(table.LastLoad().bEndMark);
}

TEST(ChannelTableLoadReport, CountAboveTheRecordsAndAMissingEndMark)
{
    TempDir dir;
    // The header counts five air channels; the file holds two and the end mark,
    // which the table takes as the start of the third.
    Bytes image = ChannelTableImage(44, {48.25, 55.25}, {}, 1, 0);
    image[12] = 5;
    WriteAll(dir.File("more.ccf"), image);
    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("more.ccf").c_str()), 1);
    EXPECT_EQ(table.LastLoad().header.wAirMax(), 5);
    EXPECT_EQ(table.LastLoad().StatedSize(), 64u);
    EXPECT_EQ(table.LastLoad().airRecords, 2u);
    EXPECT_FALSE(table.LastLoad().bEndMark);
    EXPECT_EQ(table.Channels(ChannelModeAir).size(), 5);

    // Without its end mark, the counts still call for it.
    Bytes noMark = ChannelTableImage(44, {48.25, 55.25}, {}, 1, 0);
    noMark.resize(noMark.size() - 4);
    WriteAll(dir.File("nomark.ccf"), noMark);
    ASSERT_EQ(table.Load(dir.File("nomark.ccf").c_str()), 1);
    EXPECT_EQ(table.LastLoad().airRecords, 2u);
    EXPECT_FALSE(table.LastLoad().bEndMark);
    EXPECT_EQ(table.LastLoad().fileSize, std::optional<std::uint64_t>(36));
    EXPECT_EQ(table.LastLoad().StatedSize(), 40u);
}

TEST(ChannelTableLoadReport, DeviceHasNoKnownSizeAndAFailedLoadStartsAfresh)
{
    TempDir dir;
    WriteAll(dir.File("t.ccf"), ChannelTableImage(44, {48.25}, {}, 1, 0));
    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    ASSERT_TRUE(table.LastLoad().fileSize.has_value());

    ASSERT_EQ(table.Load("/dev/zero", nullptr, NonRegularFiles::ReadUpToLimit), 1);
    EXPECT_FALSE(table.LastLoad().fileSize.has_value());
    EXPECT_EQ(table.LastLoad().StatedSize(), 24u);
    EXPECT_TRUE(table.LastLoad().bEndMark); // four zero bytes were there to read

    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    EXPECT_EQ(table.Load(dir.File("absent.ccf").c_str()), 0);
    EXPECT_FALSE(table.LastLoad().fileSize.has_value());
    EXPECT_EQ(table.LastLoad().airRecords, 0u);
    EXPECT_EQ(table.LastLoad().header.wMarker(), 0);
}

TEST(TunerTableLoadReport, StoredCountRecordsAndEndMark)
{
    TempDir dir;
    TunerSpecTable table(false);

    // A count of three over one record and no end mark: the table makes the
    // three entries, the report says only one was there.
    WriteAll(dir.File("short.tsf"), TnspFile(3, 1, false));
    ASSERT_EQ(table.Load(dir.File("short.tsf").c_str()), 1);
    EXPECT_EQ(table.Header().iEntryCount(), 3);
    EXPECT_EQ(table.GetList()->iCount, 3);
    EXPECT_EQ(table.LastLoad().header.iEntryCount(), 3);
    EXPECT_EQ(table.LastLoad().iRecords, 1);
    EXPECT_FALSE(table.LastLoad().bEndMark);
    EXPECT_EQ(table.LastLoad().fileSize, std::optional<std::uint64_t>(76));

    // Extra bytes after the end mark are in the size, not read.
    Bytes extra = TnspFile(2, 2, true);
    PutBytes(extra, {1, 2, 3, 4, 5, 6, 7});
    WriteAll(dir.File("extra.tsf"), extra);
    ASSERT_EQ(table.Load(dir.File("extra.tsf").c_str()), 1);
    EXPECT_EQ(table.LastLoad().header.iEntryCount(), 2);
    EXPECT_EQ(table.LastLoad().iRecords, 2);
    EXPECT_TRUE(table.LastLoad().bEndMark);
    EXPECT_EQ(table.LastLoad().fileSize, std::optional<std::uint64_t>(12 + 128 + 4 + 7));

    // The second record cut short: one whole record, no end mark.
    Bytes cut = TnspFile(2, 2, true);
    cut.resize(12 + 64 + 30);
    WriteAll(dir.File("cut.tsf"), cut);
    ASSERT_EQ(table.Load(dir.File("cut.tsf").c_str()), 1);
    EXPECT_EQ(table.GetList()->iCount, 2);
    EXPECT_EQ(table.LastLoad().iRecords, 1);
    EXPECT_FALSE(table.LastLoad().bEndMark);
}

TEST(TunerTableLoadReport, NegativeAndZeroCounts)
{
    TempDir dir;
    TunerSpecTable table(false);
    WriteAll(dir.File("negative.tsf"), TnspFile(-2, 0, true));
    ASSERT_EQ(table.Load(dir.File("negative.tsf").c_str()), 1);
    EXPECT_EQ(table.LastLoad().header.iEntryCount(), -2);
    EXPECT_EQ(table.LastLoad().iRecords, 0);
    EXPECT_TRUE(table.LastLoad().bEndMark);

    WriteAll(dir.File("negative-bare.tsf"), TnspFile(-2, 0, false));
    ASSERT_EQ(table.Load(dir.File("negative-bare.tsf").c_str()), 1);
    EXPECT_FALSE(table.LastLoad().bEndMark);

    // A count of 0 reads the header alone, whatever follows it; the four
    // bytes after the header are reported as what the file holds there.
    WriteAll(dir.File("zero.tsf"), TnspFile(0, 1, true));
    EXPECT_EQ(table.Load(dir.File("zero.tsf").c_str()), 0);
    EXPECT_EQ(table.LastLoad().header.iEntryCount(), 0);
    EXPECT_EQ(table.LastLoad().iRecords, 0);
    EXPECT_FALSE(table.LastLoad().bEndMark);
    ASSERT_TRUE(table.LastLoad().unreadEndMark.has_value());
    const Bytes zeroImage = TnspFile(0, 1, true);
    EXPECT_EQ(Bytes(table.LastLoad().unreadEndMark->begin(), table.LastLoad().unreadEndMark->end()),
              Bytes(zeroImage.begin() + 12, zeroImage.begin() + 16));
    EXPECT_EQ(table.LastLoad().fileSize, std::optional<std::uint64_t>(12 + 64 + 4));
}

TEST(LegacyTableLoadReport, SectionsTrailerAndStoredMaxima)
{
    TempDir dir;
    LegacyChannelTable table;
    // The trailer's air maximum 3 is above the two air entries: the table
    // reads on into the cable section, the report keeps what was stored.
    Bytes image = LegacyTableImage(7, {55.25f, 62.25f}, {300.0f, 310.0f, 320.0f}, 1, 3, 1, 3);
    ASSERT_EQ(image.size(), 32u + 40 + 16);
    PutBytes(image, {0xAA, 0xBB});
    WriteAll(dir.File("t.cft"), image);
    ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    const LegacyTableLoadReport& report = table.LastLoad();
    EXPECT_EQ(report.wAirCount, 2);
    EXPECT_EQ(report.wCableCount, 3);
    EXPECT_EQ(report.wAirMaxCh, 3);
    EXPECT_EQ(report.wCableMaxCh, 3);
    EXPECT_EQ(report.airRecords, 2u);
    EXPECT_EQ(report.cableRecords, 3u);
    EXPECT_TRUE(report.bTrailer);
    EXPECT_EQ(report.fileSize, std::optional<std::uint64_t>(90));
    EXPECT_EQ(report.StatedSize(), 88u);

    // Cut inside the second cable entry: no trailer, so no maxima either.
    WriteAll(dir.File("cut.cft"), Bytes(image.begin(), image.begin() + 32 + 16 + 8 + 5));
    ASSERT_EQ(table.Load(dir.File("cut.cft").c_str()), 1);
    EXPECT_EQ(table.LastLoad().airRecords, 2u);
    EXPECT_EQ(table.LastLoad().cableRecords, 1u);
    EXPECT_FALSE(table.LastLoad().bTrailer);
    EXPECT_EQ(table.LastLoad().wAirMaxCh, 0);
    EXPECT_EQ(table.LastLoad().fileSize, std::optional<std::uint64_t>(61));

    // A table without a cable section is refused; the counts were still seen.
    Bytes noCable = LegacyTableImage(7, {55.25f}, {}, 1, 1, 0, 0);
    WriteAll(dir.File("nocable.cft"), noCable);
    EXPECT_EQ(table.Load(dir.File("nocable.cft").c_str()), 0);
    EXPECT_EQ(table.LastLoad().wAirCount, 1);
    EXPECT_EQ(table.LastLoad().wCableCount, 0);
    EXPECT_FALSE(table.LastLoad().bTrailer);
}
