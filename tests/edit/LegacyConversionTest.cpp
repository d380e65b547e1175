// Converting an old table beside itself, as the converter and the tool do it.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <unistd.h>

#include "LegacyConversion.h"
#include "TestFiles.h"

namespace {

Bytes Plan()
{
    return LegacyTableImage(44, {45.75f, 53.75f}, {69.25f}, 1, 2, 1, 1);
}

} // namespace

TEST(LegacyConversion, WritesTheNewTableBesideTheOld)
{
    TempDir dir;
    WriteAll(dir.File("uk.cft"), Plan());
    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("uk.cft").c_str()), 1);
    ChannelTable result(false);
    FileError error;
    const std::string output = LegacyOutputPath(dir.File("uk.cft"));
    EXPECT_EQ(output, dir.File("uk.ccf"));
    ASSERT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), output, result, error), ConversionResult::Written);
    const std::vector<std::uint8_t> image = result.FileImage();
    EXPECT_EQ(ReadAll(output), Bytes(image.begin(), image.end()));
    // 20-byte header, two air channels, the end mark, one cable channel.
    EXPECT_EQ(image.size(), 20u + 2 * 8 + 4 + 8);
    EXPECT_EQ(result.Header().iCountryCode(), 44);
    EXPECT_EQ(result.Channels(ChannelModeAir).size(), 2);
}

TEST(LegacyConversion, NeverWritesOverTheOldTableItself)
{
    TempDir dir;
    // An old table named .ccf: the output rule gives its own name back.
    const std::string input = dir.File("fr.ccf");
    WriteAll(input, Plan());
    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(input.c_str()), 1);
    ChannelTable result(false);
    FileError error;
    EXPECT_EQ(ConvertAndWrite(legacy, input, LegacyOutputPath(input), result, error),
              ConversionResult::WouldReplaceInput);
    EXPECT_EQ(ReadAll(input), Plan());

    // The same file under another name: a link, or a path that reads differently.
    ASSERT_EQ(::symlink(input.c_str(), dir.File("link.cft").c_str()), 0);
    EXPECT_TRUE(WouldReplaceInput(dir.File("link.cft"), input));
    EXPECT_TRUE(WouldReplaceInput(dir.Path() + "/./fr.ccf", input));
    EXPECT_FALSE(WouldReplaceInput(input, dir.File("other.ccf")));
    EXPECT_EQ(ConvertAndWrite(legacy, dir.File("link.cft"), input, result, error), ConversionResult::WouldReplaceInput);
    EXPECT_EQ(ReadAll(input), Plan());
}

TEST(LegacyConversion, AnEmptyAirListOrAFailedSaveIsTold)
{
    TempDir dir;
    WriteAll(dir.File("empty.cft"), LegacyTableImage(1, {61.25f}, {67.25f}, 0, 0, 1, 1));
    LegacyChannelTable empty;
    ASSERT_EQ(empty.Load(dir.File("empty.cft").c_str()), 1);
    ChannelTable result(false);
    FileError error;
    EXPECT_EQ(ConvertAndWrite(empty, dir.File("empty.cft"), dir.File("empty.ccf"), result, error),
              ConversionResult::NotConvertible);
    EXPECT_FALSE(FileExists(dir.File("empty.ccf")));

    WriteAll(dir.File("uk.cft"), Plan());
    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("uk.cft").c_str()), 1);
    EXPECT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), dir.File("missing/uk.ccf"), result, error),
              ConversionResult::SaveFailed);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(result.Channels(ChannelModeAir).size(), 2); // the conversion itself stands
}
