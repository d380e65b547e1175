// Entry point of the dialog tests: Qt's offscreen platform unless a display is
// asked for, so the tests run (and are listed at build time) without one.
// Each test gets a state and a config folder of its own, so that the editors'
// recovery copies and recent files never reach the user's and no test sees
// another's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "edit/RecoveryStore.h"
#include "tests/TestFiles.h"
#include "tests/ui/ChildRole.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/ApplicationStyle.h"
#include "ui/app/RecentFiles.h"

namespace {

const char* const kChildRolePrefix = "--child-role=";

std::map<std::string, int (*)()>& ChildRoles()
{
    static std::map<std::string, int (*)()> roles;
    return roles;
}

// The role an argument names, empty for none.
std::string ChildRoleOf(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], kChildRolePrefix, std::strlen(kChildRolePrefix)) == 0)
            return argv[i] + std::strlen(kChildRolePrefix);
    return {};
}

class OwnStateFolder : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        m_pFolder = std::make_unique<TempDir>();
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(m_pFolder->Path()));
        // The recent files too stay with the test.
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_pFolder->File("config")));
        // ... and so does the Trash the program puts replaced and discarded files in.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_pFolder->File("share")));
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        // The recent files are written in the background; they land before their folder goes.
        RecentFiles::Flush();
        m_pFolder.reset();
    }

    std::unique_ptr<TempDir> m_pFolder;
};

} // namespace

bool RegisterChildRole(const char* pszName, int (*pBody)())
{
    return ChildRoles().emplace(pszName, pBody).second;
}

QString ChildRoleArgument(const char* pszName)
{
    return QString::fromLatin1(kChildRolePrefix) + QString::fromLatin1(pszName);
}

bool RunChildRoleUntilReadyThenKill(const char* pszName, const QProcessEnvironment& extra)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(extra);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {ChildRoleArgument(pszName), "-platform", "offscreen"});
    if (!child.waitForStarted(10000)) {
        ADD_FAILURE() << "the child " << pszName << " did not start";
        return false;
    }
    QByteArray output;
    while (!output.contains("ready\n") && child.waitForReadyRead(20000))
        output += child.readAllStandardOutput();
    if (!output.contains("ready\n")) {
        ADD_FAILURE() << "the child " << pszName << " never got ready: " << output.toStdString();
        child.kill();
        child.waitForFinished(10000);
        return false;
    }
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    if (!child.waitForFinished(10000) || child.exitStatus() != QProcess::CrashExit) {
        ADD_FAILURE() << "the child " << pszName << " did not die of its kill";
        return false;
    }
    return true;
}

int ReadyOnceTheRecoveryCopyHolds(const std::vector<std::uint8_t>& image)
{
    const bool bWritten = WaitFor([&] {
        const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
        return copies.size() == 1 && ReadAll(copies[0].path) == image;
    });
    if (!bWritten)
        return EXIT_FAILURE;
    std::printf("ready\n");
    std::fflush(stdout);
    QTest::qWait(60000);
    return EXIT_SUCCESS;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    QApplication app(argc, argv);
    InstallApplicationStyle();
    // A child run of this program plays its role, in the folders it was given.
    const std::string role = ChildRoleOf(argc, argv);
    if (!role.empty()) {
        const auto found = ChildRoles().find(role);
        return found == ChildRoles().end() ? EXIT_FAILURE : found->second();
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new OwnStateFolder);
    return RUN_ALL_TESTS();
}
