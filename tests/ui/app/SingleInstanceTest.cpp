#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "ui/app/SingleInstance.h"

namespace {

QProcessEnvironment IsolatedEnvironment(const QString& runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimeDir);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

// Starts the program and tells whether it is still running after a moment.
bool StartsAndStays(QProcess& process, const QProcessEnvironment& env)
{
    process.setProcessEnvironment(env);
    process.start(VORNALIX_EXECUTABLE, {});
    if (!process.waitForStarted(10000))
        return false;
    return !process.waitForFinished(1500);
}

// Ends a program started by a test.
void Stop(QProcess& process)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished(10000);
}

// What another local user leaves behind: a listening socket and a lock file
// naming a running process, both theirs.
class PlantedToken
{
public:
    static constexpr uid_t kOtherUser = 65534;

    explicit PlantedToken(const QString& folder)
        : m_lockPath(folder + "/VornalixTuner.lock"), m_socketPath(m_lockPath + ".socket"), m_lock(m_lockPath)
    {
        m_bLockHeld =
            m_lock.tryLock(0) && ::chown(QFile::encodeName(m_lockPath).constData(), kOtherUser, kOtherUser) == 0;
        const QByteArray name = QFile::encodeName(m_socketPath);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
        m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        m_bListening = m_listenFd >= 0 &&
                       ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                       ::listen(m_listenFd, 16) == 0 && ::chown(name.constData(), kOtherUser, kOtherUser) == 0;
        m_lockText = LockText();
    }
    ~PlantedToken()
    {
        if (m_listenFd >= 0)
            ::close(m_listenFd);
    }
    PlantedToken(const PlantedToken&) = delete;
    PlantedToken& operator=(const PlantedToken&) = delete;

    bool IsPlanted() const { return m_bLockHeld && m_bListening && !m_lockText.isEmpty(); }
    // Whether anybody connected to the planted socket.
    bool WasContacted() const
    {
        const int fd = ::accept(m_listenFd, nullptr, nullptr);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }
    // The lock file is still the planted one, untouched.
    bool IsIntact() const
    {
        return QFileInfo(m_lockPath).ownerId() == kOtherUser && LockText() == m_lockText &&
               QFileInfo(m_socketPath).ownerId() == kOtherUser;
    }

private:
    QByteArray LockText() const
    {
        QFile file(m_lockPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    bool m_bLockHeld = false;
    bool m_bListening = false;
    int m_listenFd = -1;
    QByteArray m_lockText;
};

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(SingleInstance, SecondInstanceEndsAtOnceAndCrashedHolderDoesNotBlock)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QProcessEnvironment env = IsolatedEnvironment(runtime.path());

    QProcess first;
    ASSERT_TRUE(StartsAndStays(first, env));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(VORNALIX_EXECUTABLE, {});
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second instance kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());

    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(10000));

    QProcess third;
    EXPECT_TRUE(StartsAndStays(third, env)) << "a killed instance left the token held";
    third.kill();
    third.waitForFinished(10000);
}

TEST(SingleInstance, SecondStartWithAFileEndsAtOnceAndLeavesTheFirstRunning)
{
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QProcessEnvironment env = IsolatedEnvironment(runtime.path());
    const QString table = runtime.filePath("plan.ccf");
    QFile file(table);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\xcb\x00\x00"
                          "CHFQ\x2c\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff",
                          24));
    file.close();

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(VORNALIX_EXECUTABLE, {table});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_FALSE(first.waitForFinished(1500));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(VORNALIX_EXECUTABLE, {table});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
}

TEST(SingleInstance, TokenIsTakenOnceAndFreedOnRelease)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SingleInstance a("VornalixTunerTest");
    SingleInstance b("VornalixTunerTest");
    EXPECT_TRUE(a.LockPath().startsWith(runtime.path()));
    EXPECT_EQ(a.TryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_EQ(b.TryAcquire(), SingleInstance::Result::HeldElsewhere);
    a.Release();
    EXPECT_EQ(b.TryAcquire(), SingleInstance::Result::Acquired);
}

// The benchmarks' hook: with VORNALIX_EXIT_WHEN_SHOWN set the program ends on
// its own once its windows have been painted, also with the editor opened on a
// table, and reports its peak memory; the instance token is given back.
TEST(SingleInstance, ExitWhenShownEndsOnceTheWindowsArePainted)
{
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = IsolatedEnvironment(runtime.path());
    env.insert("VORNALIX_EXIT_WHEN_SHOWN", "1");
    const QString table = runtime.filePath("plan.ccf");
    QFile file(table);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\xcb\x00\x00"
                          "CHFQ\x2c\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff",
                          24));
    file.close();

    for (const QStringList& arguments : {QStringList{}, QStringList{table}}) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(VORNALIX_EXECUTABLE, arguments);
        ASSERT_TRUE(process.waitForFinished(20000)) << "the program kept running";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
        const QRegularExpressionMatch peak = QRegularExpression("peak-rss-kib (\\d+)\n").match(errors);
        ASSERT_TRUE(peak.hasMatch()) << errors.toStdString();
        EXPECT_GT(peak.captured(1).toLong(), 1000);
    }
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SingleInstance after("VornalixTuner");
    EXPECT_EQ(after.TryAcquire(), SingleInstance::Result::Acquired);
}

// When the runtime folder cannot be used, the token goes to a folder of the
// user's own in the temporary folder, never to names there that another user
// can take first: a planted lock neither keeps the program from starting nor
// hears its requests. A planted or opened-up private folder is not used at
// all: the program then runs without the token.
TEST(SingleInstance, TokenNeverLiesWhereAnotherUserCanPlantIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's files needs root";
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    // Like /tmp: everyone may write, the sticky bit keeps their files apart.
    ASSERT_EQ(::chmod(QFile::encodeName(temp.path()).constData(), 01777), 0);
    // The runtime folder named in the environment, and the one Qt falls back
    // to in the temporary folder, both made by another user first: unusable.
    const QString runtime = temp.filePath("runtime");
    const passwd* pUser = ::getpwuid(::geteuid());
    ASSERT_NE(pUser, nullptr);
    for (const QString& folder :
         {runtime, temp.filePath(QStringLiteral("runtime-") + QString::fromLocal8Bit(pUser->pw_name))}) {
        ASSERT_TRUE(QDir().mkdir(folder));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), PlantedToken::kOtherUser, PlantedToken::kOtherUser),
                  0);
    }
    QProcessEnvironment env = IsolatedEnvironment(runtime);
    env.insert("TMPDIR", temp.path());

    const PlantedToken planted(temp.path());
    ASSERT_TRUE(planted.IsPlanted());
    const QStringList plantedEntries = FolderEntries(temp.path());

    QProcess first;
    EXPECT_TRUE(StartsAndStays(first, env)) << "a planted lock kept the program from starting";
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(VORNALIX_EXECUTABLE, {});
    EXPECT_TRUE(second.waitForFinished(10000)) << "the program ran without its token";
    EXPECT_FALSE(planted.WasContacted()) << "the planted socket heard the second start";
    EXPECT_TRUE(planted.IsIntact());
    EXPECT_TRUE(FolderEntries(runtime).isEmpty());

    // The program's own folder: the one new entry, a folder of this user that
    // nobody else may enter.
    QStringList made = FolderEntries(temp.path());
    for (const QString& entry : plantedEntries)
        made.removeOne(entry);
    ASSERT_EQ(made.size(), 1) << made.join(' ').toStdString();
    const QString own = temp.filePath(made.front());
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    Stop(first);

    // That folder taken over by another user, or opened to others: not used,
    // whatever lies in it; the program starts, unguarded.
    for (const QString& leftover : FolderEntries(own))
        ASSERT_TRUE(QFile::remove(own + '/' + leftover));
    const PlantedToken plantedInside(own);
    ASSERT_TRUE(plantedInside.IsPlanted());
    const QStringList inside = FolderEntries(own);
    for (const auto& [owner, mode] : {std::pair<uid_t, mode_t>{PlantedToken::kOtherUser, 0700}, {::geteuid(), 0777}}) {
        SCOPED_TRACE(testing::Message() << "owner " << owner << ", mode " << std::oct << mode);
        ASSERT_EQ(::chown(QFile::encodeName(own).constData(), owner, owner), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), mode), 0);
        QProcess guarded;
        EXPECT_TRUE(StartsAndStays(guarded, env)) << "a planted folder kept the program from starting";
        QProcess unguarded;
        EXPECT_TRUE(StartsAndStays(unguarded, env)) << "the program used a folder that is not its own";
        EXPECT_FALSE(plantedInside.WasContacted());
        EXPECT_TRUE(plantedInside.IsIntact());
        EXPECT_EQ(FolderEntries(own), inside);
        Stop(guarded);
        Stop(unguarded);
    }
}

// A FIFO given on the command line, under any table's name or none, must not
// freeze the program in open() while it holds the instance token: the editor
// refuses it and the program ends as usual. Each run has a time limit, so a
// program that blocks fails the test.
TEST(SingleInstance, FifoOnTheCommandLineNeverFreezesTheProgram)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = IsolatedEnvironment(runtime.path());
    env.insert("VORNALIX_EXIT_WHEN_SHOWN", "1");
    const QString fifo = runtime.filePath("plan.ccf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const char* name : {"tuners.tsf", "old.cft", "plan"})
        ASSERT_TRUE(QFile::link(fifo, runtime.filePath(QString::fromLatin1(name))));

    for (const char* name : {"plan.ccf", "tuners.tsf", "old.cft", "plan"}) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(VORNALIX_EXECUTABLE, {runtime.filePath(QString::fromLatin1(name))});
        ASSERT_TRUE(process.waitForStarted(10000)) << name;
        const bool bEnded = process.waitForFinished(30000);
        if (!bEnded) {
            process.kill();
            process.waitForFinished(10000);
        }
        ASSERT_TRUE(bEnded) << name << ": the program froze on the FIFO";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(process.exitCode(), 0) << name;
    }
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SingleInstance after("VornalixTuner");
    EXPECT_EQ(after.TryAcquire(), SingleInstance::Result::Acquired);
}
