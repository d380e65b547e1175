// The editors' recent files: names of every kind kept and read back, where
// the settings file lies, and settings files that are not ours (a
// FIFO, a device, a folder, a huge file), which are neither read nor written
// over, never block and are said once on standard error.
#include <gtest/gtest.h>

#include <QSettings>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "tests/TestFiles.h"
#include "ui/app/RecentFiles.h"

namespace {

const char* const kKind = "channel-tables";
const char* const kOtherKind = "tuner-tables";

// Files with every character a settings text quotes or escapes: blanks,
// separators, quotes and backslashes, '@', UTF-8, control characters with hex
// digits after them.
const std::vector<std::string> kAwkwardFiles = {
    "/home/anna/tables/plain.ccf",
    "/tmp/with space/and, comma.ccf",
    "/tmp/semi;colon=equals.ccf",
    "/tmp/\"quoted\" and \\back\\slash.tsf",
    "/tmp/ blanks at both ends ",
    "/tmp/@at the start.ccf",
    "/tmp/\xC3\xBC"
    "ber \xE2\x82\xAC \xE2\x9C\x93.ccf",
    "/tmp/tab\there\nline\x01"
    "a\x1f"
    "F\x7f"
    "end.ccf",
};

QStringList ToQt(const std::vector<std::string>& files)
{
    QStringList list;
    for (const std::string& file : files)
        list << QString::fromStdString(file);
    return list;
}

std::vector<std::string> ToStd(const QStringList& files)
{
    std::vector<std::string> list;
    for (const QString& file : files)
        list.push_back(file.toStdString());
    return list;
}

// Lists by kind.
using RecentFileLists = std::map<std::string, std::vector<std::string>>;

// The lists the settings file holds, as QSettings reads them.
RecentFileLists ListsIn(const std::string& path)
{
    const QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    RecentFileLists lists;
    for (const QString& key : settings.allKeys())
        lists[key.toStdString()] = ToStd(settings.value(key).toStringList());
    return lists;
}

std::string TextOf(const std::string& path)
{
    const Bytes bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteAll(path, Bytes(text.begin(), text.end()));
}

std::string SettingsFileIn(const std::string& configHome)
{
    return configHome + "/vornalix/recent-files.conf";
}

// A test of its own config folder, so that what a test plants there and what
// the program said about it (once per file) stays with the test.
class RecentFilesTest : public ::testing::Test
{
protected:
    TempDir config;
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.Path().c_str()};
    const std::string settingsFile = SettingsFileIn(config.Path());

    RecentFilesTest() { std::filesystem::create_directories(config.File("vornalix")); }
    ~RecentFilesTest() override { RecentFiles::Flush(); }
};

// The user database's home folder of the user running the tests.
std::string PasswdHome()
{
    const passwd* pEntry = ::getpwuid(::getuid());
    return pEntry && pEntry->pw_dir && pEntry->pw_dir[0] == '/' ? pEntry->pw_dir : "";
}

} // namespace

// Files with every character a settings text quotes or escapes are kept and
// read back as they were, and the other kind's list is left as it was.
TEST_F(RecentFilesTest, AwkwardFileNamesReadBackTheSame)
{
    RecentFiles other(QString::fromLatin1(kOtherKind));
    other.Add(QStringLiteral("/kept/tuners.tsf"));
    RecentFiles recent(QString::fromLatin1(kKind));
    for (const std::string& file : kAwkwardFiles)
        recent.Add(QString::fromStdString(file));
    RecentFiles::Flush();
    // Not what this process asked to write: what the file holds.
    QStringList expected = ToQt(kAwkwardFiles);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, ToStd(expected)}, {kOtherKind, {"/kept/tuners.tsf"}}}));
    EXPECT_EQ(recent.Files(), expected);
    // What another program writes there afterwards is what is read next.
    WriteText(settingsFile, "[General]\nchannel-tables=/written/elsewhere.ccf\n");
    EXPECT_EQ(recent.Files(), QStringList{"/written/elsewhere.ccf"});
}

// A settings file that is not a regular file is never opened: a FIFO would
// block the editor that reads its recent files, and the writer would block
// or put a file in its place. The list is empty, nothing is kept, what is
// there stays, and why is said once. A link to a regular file is followed.
TEST_F(RecentFilesTest, SpecialSettingsFileIsNeitherReadNorWrittenAndNeverBlocks)
{
    enum class Plant
    {
        Fifo,
        Folder,
        Socket,
        LinkToDevice,
    };
    for (const Plant plant : {Plant::Fifo, Plant::Folder, Plant::Socket, Plant::LinkToDevice}) {
        TempDir home;
        const ScopedEnv ownHome("XDG_CONFIG_HOME", home.Path().c_str());
        const std::string path = SettingsFileIn(home.Path());
        std::filesystem::create_directories(home.File("vornalix"));
        std::string reason;
        if (plant == Plant::Fifo) {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            reason = "it is a FIFO, not a regular file";
        } else if (plant == Plant::Folder) {
            std::filesystem::create_directory(path);
            reason = std::strerror(EISDIR);
        } else if (plant == Plant::Socket) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.size(), sizeof address.sun_path);
            std::strcpy(address.sun_path, path.c_str());
            ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
            ::close(fd);
            reason = "it is a socket, not a regular file";
        } else {
            if (!MakeNullDevice(home.File("null")))
                continue; // this user may not make a device
            std::filesystem::create_symlink(home.File("null"), path);
            reason = "it is a character device, not a regular file";
        }
        const auto kind = std::filesystem::symlink_status(path).type();
        // A child, so that a read that blocks fails the test at the limit.
        RecentFiles::Flush();
        const auto result = RunInChildWithin(20, [] {
            CapturedStderr said;
            RecentFiles recent(QString::fromLatin1(kKind));
            const qsizetype before = recent.Files().size();
            recent.Add(QStringLiteral("/tables/new.ccf"));
            RecentFiles::Flush();
            const qsizetype after = recent.Files().size();
            return std::to_string(before) + " " + std::to_string(after) + "\n" + said.Text();
        });
        const int kase = static_cast<int>(plant);
        ASSERT_TRUE(result) << "reading or writing the recent files blocked: " << kase;
        const std::string expectedSaid = "vornalix: recent files are not kept: " + path + ": " + reason + "\n";
        EXPECT_EQ(*result, "0 0\n" + expectedSaid) << kase;
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind) << kase;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.File("vornalix")),
                                std::filesystem::directory_iterator()),
                  1)
            << kase;
    }

    // A link to someone's notes is read as holding no files, and never
    // written over: a write would keep only the program's own lines.
    TempDir elsewhere;
    const std::string notes = "My notes\n[General]\nchannel-tables=/a.ccf\n; a comment\n[Other]\nkey=1\n";
    WriteText(elsewhere.File("notes.txt"), notes);
    std::filesystem::create_symlink(elsewhere.File("notes.txt"), settingsFile);
    {
        CapturedStderr said;
        RecentFiles recent(QString::fromLatin1(kKind));
        recent.Add(QStringLiteral("/tables/new.ccf"));
        recent.Add(QStringLiteral("/tables/other.ccf"));
        RecentFiles::Flush();
        EXPECT_EQ(TextOf(elsewhere.File("notes.txt")), notes);
        EXPECT_EQ(said.Text(), "vornalix: recent files are not kept: " + settingsFile +
                                   ": it holds text this program did not write, which a write would lose\n");
    }
    std::filesystem::remove(settingsFile);

    // A link to a file of the program's own text is read, and the file it names is written.
    WriteText(elsewhere.File("mine.conf"), "[General]\nchannel-tables=/kept/first.ccf\n");
    std::filesystem::create_symlink(elsewhere.File("mine.conf"), settingsFile);
    RecentFiles recent(QString::fromLatin1(kKind));
    EXPECT_EQ(recent.Files(), QStringList{"/kept/first.ccf"});
    recent.Add(QStringLiteral("/tables/new.ccf"));
    RecentFiles::Flush();
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFile));
    EXPECT_EQ(ListsIn(elsewhere.File("mine.conf")), (RecentFileLists{{kKind, {"/tables/new.ccf", "/kept/first.ccf"}}}));
}

// A settings file larger than any the program writes is not read (a huge one
// cost seconds and gigabytes at start-up) nor written over: it is no file of
// ours. One at the limit is read.
TEST_F(RecentFilesTest, OversizedSettingsFileIsNeitherReadNorWrittenOver)
{
    const std::string lists = "[General]\nchannel-tables=/a.ccf, /b.ccf\n";
    const auto fileOfSize = [&lists](std::uint64_t size) {
        std::string text = lists;
        while (text.size() < size)
            text += std::string(std::min<std::uint64_t>(size - text.size(), 80) - 1, ';') + "\n";
        return text;
    };
    const std::string atLimit = fileOfSize(RecentFiles::kMaxSettingsBytes);
    ASSERT_EQ(atLimit.size(), RecentFiles::kMaxSettingsBytes);
    WriteText(settingsFile, atLimit);
    RecentFiles recent(QString::fromLatin1(kKind));
    EXPECT_EQ(recent.Files(), QStringList({"/a.ccf", "/b.ccf"}));

    const std::string oversized = fileOfSize(RecentFiles::kMaxSettingsBytes + 1);
    WriteText(settingsFile, oversized);
    CapturedStderr said;
    EXPECT_EQ(recent.Files(), QStringList());
    recent.Add(QStringLiteral("/tables/new.ccf"));
    recent.Remove(QStringLiteral("/a.ccf"));
    RecentFiles::Flush();
    EXPECT_EQ(recent.Files(), QStringList());
    EXPECT_EQ(TextOf(settingsFile), oversized);
    const std::string text = said.Text();
    EXPECT_EQ(text, "vornalix: recent files are not kept: " + settingsFile + ": it is larger than 1 MiB\n");
}

// Someone else's file at its place (only root can plant one) is no file of
// ours either: neither read nor written over.
TEST_F(RecentFilesTest, AnotherUsersSettingsFileIsNeitherReadNorWrittenOver)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const std::string theirs = "[General]\nchannel-tables=/theirs.ccf\n";
    WriteText(settingsFile, theirs);
    ASSERT_EQ(::chown(settingsFile.c_str(), 65534, 65534), 0);
    CapturedStderr said;
    RecentFiles recent(QString::fromLatin1(kKind));
    EXPECT_EQ(recent.Files(), QStringList());
    recent.Add(QStringLiteral("/tables/new.ccf"));
    RecentFiles::Flush();
    EXPECT_EQ(TextOf(settingsFile), theirs);
    EXPECT_EQ(said.Text(), "vornalix: recent files are not kept: " + settingsFile + ": it belongs to another user\n");
}

// A relative XDG_CONFIG_HOME is no config folder: the list goes to the home
// folder's, never below the current folder.
TEST_F(RecentFilesTest, RelativeConfigHomeIsIgnored)
{
    TempDir home, current;
    const ScopedEnv ownHome("HOME", home.Path().c_str());
    const ScopedEnv relative("XDG_CONFIG_HOME", "relative-config");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(current.Path());
    RecentFiles recent(QString::fromLatin1(kKind));
    recent.Add(QStringLiteral("/tables/new.ccf"));
    RecentFiles::Flush();
    std::filesystem::current_path(before);

    EXPECT_EQ(current.Entries(), std::vector<std::string>());
    EXPECT_EQ(ListsIn(SettingsFileIn(home.File(".config"))), (RecentFileLists{{kKind, {"/tables/new.ccf"}}}));
    EXPECT_EQ(recent.Files(), QStringList{"/tables/new.ccf"});
}

// Without HOME the config folder is under the home folder the user database
// gives; where a private mount can put a folder of the test over that home,
// the list is written there and nowhere else (never below "/" or the current
// folder).
TEST_F(RecentFilesTest, WithoutHomeTheUserDatabaseHomeIsUsed)
{
    const std::string passwdHome = PasswdHome();
    const ScopedEnv noHome("HOME", nullptr);
    const ScopedEnv noConfigHome("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(RecentFiles::SettingsFile().toStdString(),
              passwdHome.empty() ? std::string() : SettingsFileIn(passwdHome + "/.config"));
    if (passwdHome.empty())
        GTEST_SKIP() << "the user database gives this user no home folder";

    TempDir home, current;
    const bool bRootConfigBefore = std::filesystem::exists("/.config/vornalix/recent-files.conf");
    RecentFiles::Flush();
    const auto result = RunInChildWithin(20, [&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(home.Path().c_str(), passwdHome.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return "no private mount";
        if (::chdir(current.Path().c_str()) != 0)
            return "no current folder";
        RecentFiles(QString::fromLatin1(kKind)).Add(QStringLiteral("/tables/new.ccf"));
        RecentFiles::Flush();
        return "added";
    });
    ASSERT_TRUE(result);
    if (*result == "no private mount")
        GTEST_SKIP() << "this user may not mount a folder over the home folder";
    EXPECT_EQ(*result, "added");
    EXPECT_EQ(ListsIn(SettingsFileIn(home.File(".config"))), (RecentFileLists{{kKind, {"/tables/new.ccf"}}}));
    EXPECT_EQ(current.Entries(), std::vector<std::string>());
    EXPECT_EQ(std::filesystem::exists("/.config/vornalix/recent-files.conf"), bRootConfigBefore);
}

namespace {

// The threads this process runs now.
std::size_t ThreadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

} // namespace

// With a writer the lists are written on its thread, in the order asked, and
// read back at once as asked; its end writes them all and joins its thread,
// so that no thread of the recent files outlives its owner.
TEST_F(RecentFilesTest, AWriterWritesInOrderAndLeavesNoThreadBehind)
{
    const std::size_t before = ThreadCount();
    QStringList expected;
    {
        RecentFilesWriter writer;
        EXPECT_EQ(ThreadCount(), before + 1);
        RecentFiles recent(QString::fromLatin1(kKind));
        for (int i = 0; i < 3 * RecentFiles::kMaxFiles; ++i) {
            const QString file = QStringLiteral("/tables/%1.ccf").arg(i);
            recent.Add(file);
            expected.prepend(file);
        }
        expected = expected.mid(0, RecentFiles::kMaxFiles);
        EXPECT_EQ(recent.Files(), expected);
    }
    EXPECT_EQ(ThreadCount(), before);
    std::vector<std::string> written;
    for (const QString& file : expected)
        written.push_back(file.toStdString());
    EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, written}}));
}

// Without a writer (a test or a benchmark that makes none) a list is in its
// file as soon as it is changed; a writer made inside another takes over
// until it ends.
TEST_F(RecentFilesTest, WithoutAWriterTheListIsWrittenAtOnce)
{
    RecentFiles recent(QString::fromLatin1(kKind));
    recent.Add(QStringLiteral("/tables/first.ccf"));
    EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, {"/tables/first.ccf"}}}));
    {
        RecentFilesWriter outer;
        {
            RecentFilesWriter inner;
            recent.Add(QStringLiteral("/tables/second.ccf"));
        }
        // The inner writer wrote it before it ended.
        EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, {"/tables/second.ccf", "/tables/first.ccf"}}}));
        recent.Remove(QStringLiteral("/tables/first.ccf"));
        RecentFiles::Flush();
        EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, {"/tables/second.ccf"}}}));
    }
    recent.Remove(QStringLiteral("/tables/second.ccf"));
    EXPECT_EQ(ListsIn(settingsFile), (RecentFileLists{{kKind, {}}}));
}
