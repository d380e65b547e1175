// The recovery folder and its copies as hostile input: a folder that is a
// link or not the user's own is never used, only the program's own names are
// listed or removed, a ".source" is read strictly, a damaged copy is never
// restored as data, and a copy that cannot be written is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "edit/ChannelTableDocument.h"
#include "edit/RecoveryStore.h"
#include "platform/FileIO.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

// A state folder of the test's own, as XDG_STATE_HOME.
class RecoveryStoreTest : public ::testing::Test
{
protected:
    TempDir m_dir;
    ScopedEnv m_state{"XDG_STATE_HOME", m_dir.File("state").c_str()};

    std::string Recovery() const { return m_dir.File("state/vornalix/recovery"); }
    void MakeRecoveryFolder() const
    {
        ASSERT_EQ(mkdir(m_dir.File("state").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(m_dir.File("state/vornalix").c_str(), 0700), 0);
    }
};

mode_t ModeOf(const std::string& path)
{
    struct stat info
    {
    };
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void SetAge(const std::string& path, std::time_t seconds)
{
    const std::time_t when = std::time(nullptr) - seconds;
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

const Bytes& SmallTable()
{
    static const Bytes image = ChannelTableImage(1, {55.25, 62.25}, {175.25}, 1, 1);
    return image;
}

// Writes a copy and waits until the writer is done with it.
void WriteOnce(RecoveryWriter& writer, const Bytes& image)
{
    writer.Write(image, RecoverySource{});
    writer.Flush();
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* pDir = opendir(folder.c_str())) {
        while (const dirent* pEntry = readdir(pDir)) {
            const std::string name = pEntry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(pDir);
    }
    return names;
}

// kRecoveryCopiesKept copies, each with its ".source" and an image of its
// own, the oldest first; names and images are returned in that order.
std::vector<std::pair<std::string, Bytes>> FillWithCopies(const std::string& folder)
{
    std::vector<std::pair<std::string, Bytes>> copies;
    const std::string source = RecoverySourceText(RecoverySource{}, "ccf");
    for (std::size_t i = 0; i < kRecoveryCopiesKept; ++i) {
        const std::string name = std::to_string(1000 + i) + "-1-0.ccf";
        const Bytes image = ChannelTableImage(1, {55.25 + static_cast<double>(i)}, {}, 1, 0);
        WriteAll(folder + "/" + name, image);
        WriteAll(folder + "/" + name + ".source", Bytes(source.begin(), source.end()));
        const std::time_t age = static_cast<std::time_t>(60 * (kRecoveryCopiesKept - i));
        SetAge(folder + "/" + name, age);
        SetAge(folder + "/" + name + ".source", age);
        copies.emplace_back(name, image);
    }
    return copies;
}

// At the probe's step, a writer on its own thread writes a new copy, whose
// pruning removes the oldest of kRecoveryCopiesKept, and is given half a
// second to finish: it must wait for the folder instead.
class RivalWriter
{
public:
    explicit RivalWriter(RecoveryFolderStep step)
    {
        SetRecoveryFolderProbe([this, step](RecoveryFolderStep now) {
            if (now != step || m_finished)
                return;
            m_writer.Write(SmallTable(), RecoverySource{});
            m_flushed = std::async(std::launch::async, [this] { m_writer.Flush(); });
            m_finished = m_flushed.wait_for(std::chrono::milliseconds(500)) == std::future_status::ready;
        });
    }
    ~RivalWriter() { SetRecoveryFolderProbe(nullptr); }
    RivalWriter(const RivalWriter&) = delete;
    RivalWriter& operator=(const RivalWriter&) = delete;

    // Whether it came at all, and whether it finished inside the operation.
    bool Came() const { return m_flushed.valid(); }
    std::optional<bool> FinishedInside() const { return m_finished; }
    void Finish() { m_flushed.wait(); }

private:
    RecoveryWriter m_writer{"ccf"};
    std::future<void> m_flushed;
    std::optional<bool> m_finished;
};

} // namespace

TEST_F(RecoveryStoreTest, AFolderMadeByTheProgramIsPrivate)
{
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    ASSERT_TRUE(folder.IsOpen()) << folder.Problem();
    EXPECT_EQ(folder.Path(), Recovery());
    EXPECT_EQ(ModeOf(Recovery()), 0700u);
    EXPECT_EQ(ModeOf(m_dir.File("state/vornalix")), 0700u);
    EXPECT_EQ(RecoveryFolder(), Recovery());
}

// A recovery folder that is a link to the person's own tables: nothing is
// made private, listed, pruned or written there.
TEST_F(RecoveryStoreTest, AFolderThatIsALinkIsNeverUsed)
{
    ASSERT_NO_FATAL_FAILURE(MakeRecoveryFolder());
    const std::string tables = m_dir.File("tables");
    ASSERT_EQ(mkdir(tables.c_str(), 0755), 0);
    std::vector<std::string> names;
    for (int i = 0; i < 24; ++i) {
        // Even names the program would give its own copies are not touched there.
        names.push_back(std::to_string(1000 + i) + "-1-0.ccf");
        WriteAll(tables + "/" + names.back(), SmallTable());
        ASSERT_NO_FATAL_FAILURE(SetAge(tables + "/" + names.back(), i == 0 ? 40 * 24 * 3600 : 60 * i));
    }
    WriteAll(tables + "/us.ccf", SmallTable());
    ASSERT_EQ(symlink(tables.c_str(), Recovery().c_str()), 0);

    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_NE(folder.Problem().find(Recovery()), std::string::npos) << folder.Problem();
    EXPECT_NE(folder.Problem().find("symbolic link"), std::string::npos) << folder.Problem();
    EXPECT_EQ(RecoveryFolder(), "");
    EXPECT_TRUE(ListRecoveryCopies("ccf").empty());
    EXPECT_FALSE(AnyRecoveryCopy("ccf", ""));

    std::vector<std::string> told;
    {
        RecoveryWriter writer("ccf");
        writer.SetProblemListener([&told](const std::string& problem) { told.push_back(problem); });
        WriteOnce(writer, SmallTable());
        WriteOnce(writer, SmallTable());
    }
    // Said once, naming the folder.
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Recovery()), std::string::npos);
    EXPECT_EQ(ModeOf(tables), 0755u);
    for (const std::string& name : names)
        EXPECT_TRUE(FileExists(tables + "/" + name)) << name;
    EXPECT_EQ(m_dir.Entries().size(), 2u);
    EXPECT_EQ(ReadAll(tables + "/us.ccf"), SmallTable());
}

TEST_F(RecoveryStoreTest, AFolderOpenToOthersIsNeitherUsedNorChanged)
{
    ASSERT_NO_FATAL_FAILURE(MakeRecoveryFolder());
    ASSERT_EQ(mkdir(Recovery().c_str(), 0700), 0);
    ASSERT_EQ(chmod(Recovery().c_str(), 0777), 0);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_NE(folder.Problem().find("open to other users"), std::string::npos) << folder.Problem();
    {
        RecoveryWriter writer("ccf");
        writer.Write(SmallTable(), RecoverySource{});
        writer.Flush();
    }
    EXPECT_EQ(ModeOf(Recovery()), 0777u);
    EXPECT_TRUE(EntriesOf(Recovery()).empty());
}

TEST_F(RecoveryStoreTest, AFolderOfAnotherUserIsNotUsed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    ASSERT_NO_FATAL_FAILURE(MakeRecoveryFolder());
    ASSERT_EQ(mkdir(Recovery().c_str(), 0700), 0);
    // As a folder the user nobody (65534) made for everyone.
    ASSERT_EQ(chown(Recovery().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(Recovery().c_str(), 0777), 0);
    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_NE(folder.Problem().find("another user"), std::string::npos) << folder.Problem();
    {
        RecoveryWriter writer("ccf");
        writer.Write(SmallTable(), RecoverySource{});
        writer.Flush();
    }
    EXPECT_TRUE(EntriesOf(Recovery()).empty());
    // The same folder, private but still another's: not used either.
    ASSERT_EQ(chmod(Recovery().c_str(), 0700), 0);
    EXPECT_FALSE(RecoveryFolderHandle::Open().IsOpen());
}

// The base directory rules: a relative XDG_STATE_HOME is ignored for
// ~/.local/state, and without HOME the user database names the home folder.
TEST_F(RecoveryStoreTest, TheStateFolderFollowsTheBaseDirectoryRules)
{
    const ScopedEnv home("HOME", m_dir.File("home").c_str());
    {
        const ScopedEnv relative("XDG_STATE_HOME", "state");
        const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
        EXPECT_EQ(folder.Path(), m_dir.File("home/.local/state/vornalix/recovery"));
        EXPECT_TRUE(folder.IsOpen()) << folder.Problem();
        EXPECT_EQ(ModeOf(m_dir.File("home/.local/state")), 0700u);
    }
    const ScopedEnv noState("XDG_STATE_HOME", nullptr);
    const ScopedEnv noHome("HOME", nullptr);
    const passwd* pUser = getpwuid(getuid());
    ASSERT_NE(pUser, nullptr);
    EXPECT_EQ(
        RecoveryWriter("ccf").CurrentPath().rfind(std::string(pUser->pw_dir) + "/.local/state/vornalix/recovery/", 0),
        0u);
}

// Only names the program gives its copies are listed and pruned; left overs of
// a killed write (temporaries, a ".source" without its image) go once they are
// old enough not to belong to a copy being written.
TEST_F(RecoveryStoreTest, PruningRemovesOnlyTheProgramsOwnFilesAndItsLeftovers)
{
    const std::string folder = RecoveryFolderHandle::Open().Path();
    ASSERT_FALSE(folder.empty());
    for (const char* name : {"notes.ccf", "copy-1.ccf", "us.ccf.source", "12-34.ccf", ".hidden.ccf.abcdef"}) {
        WriteAll(folder + "/" + name, SmallTable());
        ASSERT_NO_FATAL_FAILURE(SetAge(folder + "/" + name, 40 * 24 * 3600));
    }
    for (int i = 0; i < 22; ++i) {
        const std::string name = folder + "/" + std::to_string(1000 + i) + "-7-0.ccf";
        WriteAll(name, SmallTable());
        WriteAll(name + ".source", Bytes{'n', 'e', 'w'});
        ASSERT_NO_FATAL_FAILURE(SetAge(name, 60 * (i + 1)));
    }
    const std::string oldTemporary = folder + "/.5-7-0.ccf.Ab12Cd";
    const std::string youngTemporary = folder + "/.6-7-0.ccf.source.Zz9yX8";
    const std::string oldOrphan = folder + "/7-7-0.ccf.source";
    const std::string youngOrphan = folder + "/8-7-0.ccf.source";
    for (const std::string& path : {oldTemporary, youngTemporary, oldOrphan, youngOrphan})
        WriteAll(path, SmallTable());
    ASSERT_NO_FATAL_FAILURE(SetAge(oldTemporary, kRecoveryLeftoverSeconds + 60));
    ASSERT_NO_FATAL_FAILURE(SetAge(oldOrphan, kRecoveryLeftoverSeconds + 60));

    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 20u);
    EXPECT_EQ(copies.front().name, "1000-7-0.ccf");
    EXPECT_EQ(copies.back().name, "1019-7-0.ccf");
    EXPECT_FALSE(FileExists(folder + "/1020-7-0.ccf"));
    EXPECT_FALSE(FileExists(folder + "/1020-7-0.ccf.source"));
    EXPECT_FALSE(FileExists(oldTemporary));
    EXPECT_FALSE(FileExists(oldOrphan));
    EXPECT_TRUE(FileExists(youngTemporary));
    EXPECT_TRUE(FileExists(youngOrphan));
    for (const char* name : {"notes.ccf", "copy-1.ccf", "us.ccf.source", "12-34.ccf", ".hidden.ccf.abcdef"})
        EXPECT_TRUE(FileExists(folder + "/" + name)) << name;
    // Copies of the other kind are not this listing's.
    EXPECT_TRUE(ListRecoveryCopies("tsf").empty());
}

TEST_F(RecoveryStoreTest, CopyNamesAreTheProgramsOwnOnly)
{
    EXPECT_TRUE(IsRecoveryCopyName("1765000000-4242-0.ccf", "ccf"));
    EXPECT_TRUE(IsRecoveryCopyName("1-2-3.tsf", "tsf"));
    for (const char* name : {"1-2-3.tsf", "us.ccf", "1-2.ccf", "1-2-3.ccf.source", "-1-2-3.ccf", "1-2-3-.ccf",
                             "1--3.ccf", "a-2-3.ccf", "1-2-3.CCF", "123456789012345678901-2-3.ccf", ".ccf"})
        EXPECT_FALSE(IsRecoveryCopyName(name, "ccf")) << name;
}

// What a ".source" may say, read strictly: anything else is an unknown file,
// and a kind other than the copy's is never taken.
TEST(RecoverySourceText, IsReadStrictly)
{
    const FileIdentity identity{2049, 1234567, 131092, 1765000000123456789};
    RecoveryCopy copy;
    ParseRecoverySource(RecoverySourceText(RecoverySource{"/home/ann/us.ccf", identity}, "ccf"), "ccf", copy);
    EXPECT_EQ(copy.source, "/home/ann/us.ccf");
    ASSERT_TRUE(copy.sourceIdentity);
    EXPECT_EQ(*copy.sourceIdentity, identity);
    EXPECT_EQ(RecoverySourceText(RecoverySource{"/home/ann/us.ccf", identity}, "ccf"),
              "vornalix recovery copy 1\nkind ccf\npath /home/ann/us.ccf\nfile 2049 1234567 131092 "
              "1765000000123456789\n");

    ParseRecoverySource(RecoverySourceText(RecoverySource{}, "tsf"), "tsf", copy);
    EXPECT_EQ(copy.source, "new");
    EXPECT_FALSE(copy.sourceIdentity);

    // A path no line can hold is recorded as unknown, never cut.
    ParseRecoverySource(RecoverySourceText(RecoverySource{"/tmp/a\nb.ccf", identity}, "ccf"), "ccf", copy);
    EXPECT_EQ(copy.source, "");

    const std::string header = "vornalix recovery copy 1\n";
    const std::string garbage[] = {
        header + "kind tsf\npath /home/ann/tuner.tsf\n", // another kind than the copy's
        header + "kind ccf\npath us.ccf\n",              // relative
        header + "kind ccf\npath /a.ccf\nfile 1 2 3\n",  // three numbers
        header + "kind ccf\npath /a.ccf\nfile 1 2 3 -4\n",
        header + "kind ccf\npath /a.ccf\nfile 1 2 3 99999999999999999999\n",
        header + "kind ccf\npath /a.ccf\nfile 1 2 3 4\nmore\n",
        header + "kind ccf\npath /a.ccf",      // no end of line
        header + "kind ccf\nnew\nnew\n",       // more after new
        header + "kind ccf\npath /a\x1b[2J\n", // control characters
        header + "kind ccf\npath /" + std::string(5000, 'x') + "\n",
        "new\n", // the old form with a line end: not a name to save to
        "us.ccf",
        "../us.ccf",
        std::string("\x01\x02\xff\xfe/garbage", 13),
        "",
    };
    for (const std::string& text : garbage) {
        copy.source = "was";
        copy.sourceIdentity = identity;
        ParseRecoverySource(text, "ccf", copy);
        EXPECT_EQ(copy.source, "") << text.substr(0, 80);
        EXPECT_FALSE(copy.sourceIdentity) << text.substr(0, 80);
    }
    // The form earlier versions wrote: "new", or an absolute path shown but
    // without an identity, so that Save asks.
    ParseRecoverySource("new", "ccf", copy);
    EXPECT_EQ(copy.source, "new");
    ParseRecoverySource("/home/ann/us.ccf", "ccf", copy);
    EXPECT_EQ(copy.source, "/home/ann/us.ccf");
    EXPECT_FALSE(copy.sourceIdentity);
}

// Save goes back to the copy's file only while it is the same file, of the
// copy's kind, at an absolute path.
TEST(RecoveryRestoreOrigin, SavesBackOnlyToTheSameFile)
{
    TempDir dir;
    const std::string us = dir.File("us.ccf");
    WriteAll(us, SmallTable());
    RecoveryCopy copy;
    copy.source = us;
    copy.sourceIdentity = IdentityOf(us);
    ASSERT_TRUE(copy.sourceIdentity);

    RestoreOrigin origin = RestoreOriginOf(copy, TableKind::Channel);
    EXPECT_EQ(origin.savePath, us);
    EXPECT_EQ(origin.source, us);
    // Another kind of copy never writes there.
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Tuner).savePath, "");

    // Changed on disk since the copy was taken: newer work is not overwritten.
    Bytes newer = SmallTable();
    newer.back() ^= 1;
    WriteAll(us, newer);
    origin = RestoreOriginOf(copy, TableKind::Channel);
    EXPECT_EQ(origin.savePath, "");
    EXPECT_EQ(origin.source, us);

    // Replaced by another file of the same size and time: another inode.
    copy.sourceIdentity = IdentityOf(us);
    const std::string other = dir.File("other.ccf");
    WriteAll(other, newer);
    ASSERT_EQ(rename(other.c_str(), us.c_str()), 0);
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Channel).savePath, "");

    // A tuner table named by a channel table's copy, even with its identity.
    const std::string tuner = dir.File("tuner.tsf");
    WriteAll(tuner, Bytes{0x00, 0xCB, 0, 0, 'T', 'N', 'S', 'P', 0, 0, 0, 0});
    copy.source = tuner;
    copy.sourceIdentity = IdentityOf(tuner);
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Channel).savePath, "");
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Tuner).savePath, tuner);

    // No identity recorded (an earlier version's copy), or a new table.
    copy.source = us;
    copy.sourceIdentity.reset();
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Channel).savePath, "");
    copy.source = "new";
    EXPECT_EQ(RestoreOriginOf(copy, TableKind::Channel).source, "");
}

// A copy must be a whole table image: garbage and cut copies are listed as
// damaged and never come back as channels.
TEST_F(RecoveryStoreTest, DamagedCopiesAreListedAsSuchAndNeverRestored)
{
    const std::string folder = RecoveryFolderHandle::Open().Path();
    ASSERT_FALSE(folder.empty());
    Bytes garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 131 + 7);
    Bytes cut = SmallTable();
    cut.resize(cut.size() - 3);
    Bytes longer = SmallTable();
    longer.push_back(0);
    Bytes wrongMagic = SmallTable();
    wrongMagic[4] = 'X';
    const std::pair<const char*, Bytes> images[] = {{"1-1-1.ccf", garbage},
                                                    {"2-1-1.ccf", cut},
                                                    {"3-1-1.ccf", longer},
                                                    {"4-1-1.ccf", wrongMagic},
                                                    {"5-1-1.ccf", SmallTable()}};
    for (const auto& [name, image] : images)
        WriteAll(folder + "/" + name, image);

    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 5u);
    for (const RecoveryCopy& copy : copies) {
        const bool bWhole = copy.name == "5-1-1.ccf";
        EXPECT_EQ(copy.bDamaged, !bWhole) << copy.name;
        EXPECT_EQ(copy.iFirstCount, bWhole ? 2 : 0) << copy.name;
        EXPECT_EQ(copy.iSecondCount, bWhole ? 1 : 0) << copy.name;
        // Without a ".source" the table's file is unknown.
        EXPECT_EQ(copy.source, "") << copy.name;

        ChannelTableDocument document;
        FileError error;
        const RecoveryFolderHandle handle = RecoveryFolderHandle::Open();
        EXPECT_EQ(document.Restore(handle.At(copy.name), RestoreOrigin(), error), bWhole) << copy.name;
        EXPECT_EQ(document.HasTable(), bWhole) << copy.name;
        if (!bWhole) {
            EXPECT_NE(error.text.find("damaged"), std::string::npos) << error.text;
        }
    }
}

// A copy that cannot be written is told once for each new reason, and its end
// once; the editor goes on.
TEST_F(RecoveryStoreTest, AFailedCopyIsToldOnce)
{
    std::vector<std::string> told;
    {
        RecoveryWriter writer("ccf");
        writer.SetProblemListener([&told](const std::string& problem) { told.push_back(problem); });
        SaveSystemCalls().write = [](int, const void*, std::size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        };
        WriteOnce(writer, SmallTable());
        WriteOnce(writer, SmallTable());
        ResetSaveSystemCalls();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].find(Recovery()), std::string::npos) << told[0];
        EXPECT_NE(told[0].find("No space left on device"), std::string::npos) << told[0];
        // Written again: the problem is over, and a new one is told again.
        WriteOnce(writer, SmallTable());
        ASSERT_EQ(told.size(), 2u);
        EXPECT_EQ(told[1], "");
        EXPECT_EQ(ListRecoveryCopies("ccf").size(), 1u);
        SaveSystemCalls().fsync = [](int) -> int {
            errno = EIO;
            return -1;
        };
        WriteOnce(writer, SmallTable());
        ResetSaveSystemCalls();
        ASSERT_EQ(told.size(), 3u);
        EXPECT_NE(told[2].find("Input/output error"), std::string::npos) << told[2];
        writer.Remove();
        writer.Flush();
    }
    EXPECT_TRUE(ListRecoveryCopies("ccf").empty());
}

// A writer's pruning that comes while the copies are listed waits until they
// are read: no listed copy is read after it is gone, which would show a whole
// copy as damaged and without its source.
TEST_F(RecoveryStoreTest, APruningWaitsForTheListing)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const std::vector<std::pair<std::string, Bytes>> made = FillWithCopies(folder);
    std::vector<RecoveryCopy> copies;
    {
        RivalWriter rival(RecoveryFolderStep::CopiesListed);
        copies = ListRecoveryCopies("ccf");
        ASSERT_TRUE(rival.Came());
        EXPECT_EQ(rival.FinishedInside(), false);
        rival.Finish();
    }
    ASSERT_EQ(copies.size(), kRecoveryCopiesKept);
    for (const RecoveryCopy& copy : copies) {
        EXPECT_FALSE(copy.bDamaged) << copy.name;
        EXPECT_EQ(copy.source, "new") << copy.name;
        EXPECT_EQ(copy.iFirstCount, 1) << copy.name;
    }
    // The pruning came after the listing: the oldest copy is gone now.
    EXPECT_EQ(copies.back().name, made.front().first);
    EXPECT_FALSE(FileExists(folder + "/" + made.front().first));
    EXPECT_EQ(ListRecoveryCopies("ccf").size(), kRecoveryCopiesKept);
}

// A copy being restored is not pruned until it is read, and the restore
// removes it once its table is taken.
TEST_F(RecoveryStoreTest, APruningWaitsForTheRestore)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const std::vector<std::pair<std::string, Bytes>> made = FillWithCopies(folder);
    const std::string& oldest = made.front().first;
    ChannelTableDocument document;
    const auto read = [&document](const std::string& path, const RestoreOrigin& origin, FileError& error) {
        return document.Restore(path, origin, error);
    };
    FileError error;
    {
        RivalWriter rival(RecoveryFolderStep::RestoreSource);
        EXPECT_TRUE(RestoreRecoveryCopy(oldest, TableKind::Channel, read, error)) << error.text;
        ASSERT_TRUE(rival.Came());
        EXPECT_EQ(rival.FinishedInside(), false);
        rival.Finish();
    }
    ASSERT_TRUE(document.HasTable());
    EXPECT_EQ(document.Table()->FileImage(), made.front().second);
    EXPECT_FALSE(FileExists(folder + "/" + oldest));
    EXPECT_FALSE(FileExists(folder + "/" + oldest + ".source"));
    // The other copies and the rival's new one are kept.
    EXPECT_EQ(ListRecoveryCopies("ccf").size(), kRecoveryCopiesKept);
}

// A restore reads the ".source" as it is when the copy is read; a copy that
// is gone, or that its reader refuses, fails with the reason and is kept.
TEST_F(RecoveryStoreTest, ARestoreReadsTheCopyAndItsSourceAsTheyAreNow)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const std::string table = m_dir.File("us.ccf");
    WriteAll(table, SmallTable());
    const std::string name = "2000-1-0.ccf";
    WriteAll(folder + "/" + name, SmallTable());
    const std::string source = RecoverySourceText(RecoverySource{table, IdentityOf(table)}, "ccf");
    WriteAll(folder + "/" + name + ".source", Bytes(source.begin(), source.end()));

    Bytes readImage;
    RestoreOrigin readOrigin;
    const auto refuse = [&](const std::string& path, const RestoreOrigin& origin, FileError& error) {
        readImage = ReadAll(path);
        readOrigin = origin;
        error.Set(EINVAL, "refused");
        return false;
    };
    FileError error;
    EXPECT_FALSE(RestoreRecoveryCopy(name, TableKind::Channel, refuse, error));
    EXPECT_EQ(error.text, "refused");
    EXPECT_EQ(readImage, SmallTable());
    EXPECT_EQ(readOrigin.savePath, table);
    EXPECT_TRUE(FileExists(folder + "/" + name));

    ChannelTableDocument document;
    const auto take = [&document](const std::string& path, const RestoreOrigin& origin, FileError& readError) {
        return document.Restore(path, origin, readError);
    };
    // A tuner copy of that name is no copy of this kind.
    error = FileError();
    EXPECT_FALSE(RestoreRecoveryCopy(name, TableKind::Tuner, take, error));
    EXPECT_NE(error.code, 0);
    EXPECT_TRUE(RestoreRecoveryCopy(name, TableKind::Channel, take, error)) << error.text;
    EXPECT_EQ(document.SaveFile().Canonical(), CanonicalPath(table));
    EXPECT_FALSE(FileExists(folder + "/" + name));
    EXPECT_FALSE(FileExists(folder + "/" + name + ".source"));

    // Gone since it was listed.
    error = FileError();
    EXPECT_FALSE(RestoreRecoveryCopy(name, TableKind::Channel, take, error));
    EXPECT_EQ(error.code, ENOENT) << error.text;
}

// A clock set back, or a folder restored from a backup, leaves copies whose
// times lie in the future. They count as now: the copy of the table being
// edited is never pruned for them, however many there are.
TEST_F(RecoveryStoreTest, CopiesFromTheFutureNeverPruneTheCopyBeingWritten)
{
    MakeRecoveryFolder();
    RecoveryWriter writer("ccf");
    WriteOnce(writer, SmallTable());
    const std::vector<std::pair<std::string, Bytes>> future = FillWithCopies(Recovery());
    for (const auto& [name, image] : future)
        SetAge(Recovery() + "/" + name, -24 * 60 * 60);
    WriteOnce(writer, ChannelTableImage(1, {48.25}, {}, 1, 0));
    EXPECT_EQ(ReadAll(writer.CurrentPath()), ChannelTableImage(1, {48.25}, {}, 1, 0));
    const std::vector<RecoveryCopy> listed = ListRecoveryCopies("ccf");
    ASSERT_EQ(listed.size(), kRecoveryCopiesKept);
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                            [&](const RecoveryCopy& copy) { return copy.path == writer.CurrentPath() && copy.bLive; }));
    EXPECT_TRUE(std::all_of(listed.begin(), listed.end(),
                            [](const RecoveryCopy& copy) { return copy.iTime <= std::time(nullptr); }));
}

// A copy whose writer lives, in this instance or another that shares the
// folder, is listed as live and can be neither discarded nor restored from
// elsewhere; once its writer is gone it is offered, and a discard sends it to
// the desktop's Trash, which records where it was.
TEST_F(RecoveryStoreTest, ALiveCopyIsNeverTakenAndADiscardedOneGoesToTheTrash)
{
    const ScopedEnv dataHome("XDG_DATA_HOME", m_dir.File("share").c_str());
    std::string name;
    {
        RecoveryWriter writer("ccf");
        WriteOnce(writer, SmallTable());
        name = writer.CurrentPath().substr(Recovery().size() + 1);
        // Another instance knows nothing of this writer: no own path.
        EXPECT_EQ(DiscardRecoveryCopies({name}, "ccf", ""), 0u);
        FileError error;
        EXPECT_FALSE(RestoreRecoveryCopy(
            name, TableKind::Channel, [](const std::string&, const RestoreOrigin&, FileError&) { return true; },
            error));
        EXPECT_EQ(error.text, "it is the unsaved work of an editor that is open now");
        ASSERT_EQ(ListRecoveryCopies("ccf").size(), 1u);
        EXPECT_TRUE(ListRecoveryCopies("ccf")[0].bLive);
        EXPECT_EQ(ReadAll(Recovery() + "/" + name), SmallTable());
    }
    // The editor closed with its work unsaved: the copy is an earlier session's now.
    ASSERT_EQ(ListRecoveryCopies("ccf").size(), 1u);
    EXPECT_FALSE(ListRecoveryCopies("ccf")[0].bLive);
    EXPECT_EQ(DiscardRecoveryCopies({name}, "ccf", ""), 1u);
    EXPECT_TRUE(EntriesOf(Recovery()).empty());
    EXPECT_EQ(ReadAll(m_dir.File("share/Trash/files/" + name)), SmallTable());
    const Bytes info = ReadAll(m_dir.File("share/Trash/info/" + name + ".trashinfo"));
    const std::string path = "Path=" + Recovery() + "/" + name + "\n";
    EXPECT_NE(std::string(info.begin(), info.end()).find(path), std::string::npos);
}

// A ".source" that is a link is never followed: it reads as an unknown file,
// so that a restored table never saves to a file a planted link names.
TEST_F(RecoveryStoreTest, ASourceThatIsALinkReadsAsUnknown)
{
    MakeRecoveryFolder();
    ASSERT_EQ(mkdir(Recovery().c_str(), 0700), 0);
    WriteAll(m_dir.File("other.ccf"), SmallTable());
    const std::optional<FileIdentity> identity = IdentityOf(m_dir.File("other.ccf"));
    ASSERT_TRUE(identity);
    const std::string text = RecoverySourceText(RecoverySource{m_dir.File("other.ccf"), identity}, "ccf");
    WriteAll(m_dir.File("planted.source"), Bytes(text.begin(), text.end()));
    WriteAll(Recovery() + "/100-1-0.ccf", SmallTable());
    ASSERT_EQ(symlink(m_dir.File("planted.source").c_str(), (Recovery() + "/100-1-0.ccf.source").c_str()), 0);
    const std::vector<RecoveryCopy> listed = ListRecoveryCopies("ccf");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].source, "");
    RestoreOrigin seen;
    FileError error;
    EXPECT_TRUE(RestoreRecoveryCopy(
        "100-1-0.ccf", TableKind::Channel,
        [&seen](const std::string&, const RestoreOrigin& origin, FileError&) {
            seen = origin;
            return true;
        },
        error));
    EXPECT_EQ(seen.savePath, "");
    EXPECT_EQ(seen.source, "");
}
