// Converting an old table beside itself, as the converter and the tool do it.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <unistd.h>

#include "edit/LegacyConversion.h"
#include "tests/TestFiles.h"

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

// Converting again replaces the new table without a question, but a table
// mended by hand since goes to the Trash first, with where it was; one that
// is what the conversion writes again is simply replaced.
TEST(LegacyConversion, AnEditedTableItReplacesGoesToTheTrash)
{
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("share").c_str());
    WriteAll(dir.File("uk.cft"), Plan());
    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("uk.cft").c_str()), 1);
    const std::string output = dir.File("uk.ccf");
    ChannelTable result(false);
    FileError error;
    std::string kept;
    ASSERT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), output, result, error, &kept), ConversionResult::Written);
    EXPECT_EQ(kept, "");
    const Bytes converted = ReadAll(output);
    // The same again: nothing to keep.
    ASSERT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), output, result, error, &kept), ConversionResult::Written);
    EXPECT_EQ(kept, "");
    EXPECT_FALSE(FileExists(dir.File("share/Trash/files/uk.ccf")));

    Bytes mended = converted;
    mended[20] ^= 1; // a person's fix of the first frequency
    WriteAll(output, mended);
    for (const char* pszName : {"uk.ccf", "uk.2.ccf"}) {
        ASSERT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), output, result, error, &kept), ConversionResult::Written);
        EXPECT_EQ(ReadAll(output), converted);
        EXPECT_EQ(kept, dir.File("share/Trash/files/") + pszName);
        EXPECT_EQ(ReadAll(kept), mended);
        const Bytes info = ReadAll(dir.File("share/Trash/info/") + pszName + ".trashinfo");
        const std::string text(info.begin(), info.end());
        const std::string expected = "[Trash Info]\nPath=" + output + "\nDeletionDate=";
        EXPECT_EQ(text.substr(0, expected.size()), expected);
        EXPECT_EQ(text.size(), expected.size() + 20); // "2026-12-09T08:17:28\n"
        WriteAll(output, mended);
    }

    // Without a Trash to keep it in, the mended table is not replaced.
    const ScopedEnv noTrash("XDG_DATA_HOME", dir.File("uk.cft/share").c_str());
    EXPECT_EQ(ConvertAndWrite(legacy, dir.File("uk.cft"), output, result, error, &kept), ConversionResult::SaveFailed);
    EXPECT_EQ(error.text.rfind("the file there could not be kept in the Trash (", 0), 0u) << error.text;
    EXPECT_EQ(ReadAll(output), mended);
}
