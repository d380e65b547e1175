#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

#include <sys/stat.h>

#include "SingleInstance.h"

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
    file.write(QByteArray("\x00\xcb\x00\x00" "CHFQ\x2c\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff", 24));
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
    file.write(QByteArray("\x00\xcb\x00\x00" "CHFQ\x2c\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff", 24));
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
