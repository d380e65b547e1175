// One load for every front end: what counts as loaded, and the reason when not.
#include <gtest/gtest.h>

#include <cerrno>

#include "edit/TableOperations.h"
#include "tests/TestFiles.h"

namespace {

Bytes TunerHeader(std::int32_t count)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(b, count);
    return b;
}

void ExpectUnreadable(const TableLoadResult& result, int code, const std::string& reason)
{
    EXPECT_EQ(result.status, TableLoadStatus::Unreadable);
    EXPECT_FALSE(result.Loaded());
    EXPECT_EQ(result.error.code, code);
    EXPECT_EQ(result.reason, reason);
}

} // namespace

TEST(TableOperations, LoadedTablesCarryTheirReport)
{
    TempDir dir;
    WriteAll(dir.File("uk.ccf"), ChannelTableImage(44, {48.25, 55.25}, {}, 1, 0));
    WriteAll(dir.File("uk.cft"), LegacyTableImage(44, {45.75f}, {69.25f}, 1, 1, 1, 1));
    WriteAll(dir.File("empty.tsf"), TunerHeader(0));

    ChannelTable channels(false);
    TableLoadResult result = LoadTableFile(dir.File("uk.ccf"), channels, NonRegularFiles::Refuse);
    EXPECT_EQ(result.status, TableLoadStatus::Loaded);
    EXPECT_EQ(result.reason, "");
    EXPECT_EQ(result.error.code, 0);
    EXPECT_EQ(channels.Channels(ChannelModeAir).size(), 2);
    EXPECT_EQ(channels.LastLoad().fileSize, std::optional<std::uint64_t>(40));

    LegacyChannelTable legacy;
    EXPECT_TRUE(LoadTableFile(dir.File("uk.cft"), legacy, NonRegularFiles::Refuse).Loaded());
    EXPECT_TRUE(legacy.LastLoad().bTrailer);

    // A tuner table of count 0 is an empty table, not a failure, though the
    // table's own Load answers 0.
    TunerSpecTable tuners(false);
    result = LoadTableFile(dir.File("empty.tsf"), tuners, NonRegularFiles::Refuse);
    EXPECT_TRUE(result.Loaded());
    EXPECT_EQ(result.reason, "");
    ASSERT_NE(tuners.GetList(), nullptr);
    EXPECT_EQ(tuners.GetList()->iCount, 0);
}

TEST(TableOperations, UnreadableFilesSayWhy)
{
    TempDir dir;
    ChannelTable channels(false);
    TunerSpecTable tuners(false);
    LegacyChannelTable legacy;
    const std::string missing = dir.File("missing");
    const std::string noFile = "cannot be read: No such file or directory";
    ExpectUnreadable(LoadTableFile(missing, channels, NonRegularFiles::Refuse), ENOENT, noFile);
    ExpectUnreadable(LoadTableFile(missing, tuners, NonRegularFiles::ReadUpToLimit), ENOENT, noFile);
    ExpectUnreadable(LoadTableFile(missing, legacy, NonRegularFiles::Refuse), ENOENT, noFile);
    ExpectUnreadable(LoadTableFile(dir.Path(), tuners, NonRegularFiles::Refuse), EISDIR,
                     "cannot be read: Is a directory");

    // More than the largest tuner table.
    Bytes huge = TunerHeader(TunerSpecTable::kMaxEntries + 1);
    huge.resize(TunerSpecTable::kMaxFileSize + 64);
    WriteAll(dir.File("huge.tsf"), huge);
    ExpectUnreadable(LoadTableFile(dir.File("huge.tsf"), tuners, NonRegularFiles::Refuse), EFBIG,
                     "cannot be read: its entry count 100001 is more than the 100000 tuner entries a table may "
                     "have");
}

// The editors refuse a device without opening it; the tool reads one named on
// purpose, no further than the header lets the format use.
TEST(TableOperations, NonRegularFilesFollowTheCallersChoice)
{
    ChannelTable channels(false);
    ExpectUnreadable(LoadTableFile("/dev/zero", channels, NonRegularFiles::Refuse), EINVAL,
                     "cannot be read: it is a character device, not a regular file");
    TableLoadResult result = LoadTableFile("/dev/zero", channels, NonRegularFiles::ReadUpToLimit);
    EXPECT_TRUE(result.Loaded()) << result.reason;
    EXPECT_FALSE(channels.LastLoad().fileSize.has_value());

    TunerSpecTable tuners(false);
    ExpectUnreadable(LoadTableFile("/dev/zero", tuners, NonRegularFiles::Refuse), EINVAL,
                     "cannot be read: it is a character device, not a regular file");
    EXPECT_TRUE(LoadTableFile("/dev/zero", tuners, NonRegularFiles::ReadUpToLimit).Loaded());
}

TEST(TableOperations, OldTableWithoutBothSectionsIsNotATable)
{
    TempDir dir;
    WriteAll(dir.File("air.cft"), LegacyTableImage(44, {45.75f}, {}, 1, 1, 0, 0));
    LegacyChannelTable legacy;
    const TableLoadResult result = LoadTableFile(dir.File("air.cft"), legacy, NonRegularFiles::Refuse);
    EXPECT_EQ(result.status, TableLoadStatus::NotATable);
    EXPECT_FALSE(result.Loaded());
    EXPECT_EQ(result.error.code, 0);
    EXPECT_EQ(result.reason,
              "not an old channel table: its header counts 1 air and 0 cable entries, and both must be above 0");
}
