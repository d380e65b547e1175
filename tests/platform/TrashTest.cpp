// The desktop's Trash, where replaced and discarded files go.
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/Trash.h"
#include "tests/TestFiles.h"

TEST(Trash, InfoEscapesThePathAsAUriDoes)
{
    const std::string text = TrashInfoText("/tables/de 2\xff%.ccf", 0);
    EXPECT_EQ(text.substr(0, 46), "[Trash Info]\nPath=/tables/de%202%FF%25.ccf\nDel");
}

// A file is moved in, never what a link in its place names; a folder of the
// Trash that is a link is not used, and the file then stays where it was.
TEST(Trash, MovesTheFileNamedAndOnlyIntoFoldersOfItsOwn)
{
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("share").c_str());
    WriteAll(dir.File("target.ccf"), Bytes{1, 2});
    std::filesystem::create_symlink("target.ccf", dir.File("link.ccf"));
    FileError error;
    const std::string trashed = MoveToTrash(dir.File("link.ccf"), error);
    ASSERT_EQ(trashed, dir.File("share/Trash/files/link.ccf")) << error.text;
    EXPECT_TRUE(std::filesystem::is_symlink(trashed));
    EXPECT_EQ(ReadAll(dir.File("target.ccf")), (Bytes{1, 2}));
    EXPECT_FALSE(FileExists(dir.File("link.ccf")));

    TempDir other;
    std::filesystem::remove_all(dir.File("share/Trash/files"));
    std::filesystem::create_directory_symlink(other.Path(), dir.File("share/Trash/files"));
    EXPECT_EQ(MoveToTrash(dir.File("target.ccf"), error), "");
    EXPECT_EQ(error.text, "the Trash's folder files is a link or no folder");
    EXPECT_EQ(ReadAll(dir.File("target.ccf")), (Bytes{1, 2}));
    EXPECT_TRUE(other.Entries().empty());
    // Its info was taken back with it.
    EXPECT_EQ(std::filesystem::exists(dir.File("share/Trash/info/target.ccf.trashinfo")), false);
}

// A file on another file system than the Trash is copied in whole, in pieces.
TEST(Trash, AFileElsewhereIsCopiedIn)
{
    struct stat shm, tmp;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(TempDir().Path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev)
        GTEST_SKIP() << "no second file system to copy from";
    const std::string elsewhere = "/dev/shm/vornalix-trash-" + std::to_string(::getpid()) + ".ccf";
    Bytes big(3 * 1024 * 1024 + 5);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 31);
    WriteAll(elsewhere, big);
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("share").c_str());
    FileError error;
    const std::string kept = KeepInTrash(elsewhere, error);
    EXPECT_EQ(ReadAll(kept), big) << error.text;
    EXPECT_EQ(ReadAll(elsewhere), big);
    const std::string moved = MoveToTrash(elsewhere, error);
    EXPECT_EQ(moved, dir.File("share/Trash/files/vornalix-trash-" + std::to_string(::getpid()) + ".2.ccf"));
    EXPECT_EQ(ReadAll(moved), big);
    EXPECT_FALSE(FileExists(elsewhere));
    ::unlink(elsewhere.c_str());
}
