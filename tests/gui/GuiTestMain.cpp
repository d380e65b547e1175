// Entry point of the dialog tests: Qt's offscreen platform unless a display is
// asked for, so the tests run (and are listed at build time) without one.
// Each test gets a state and a config folder of its own, so that the editors'
// recovery copies and recent files never reach the user's and no test sees
// another's.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "RecentFiles.h"
#include "TestFiles.h"

namespace {

class OwnStateFolder : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        m_pFolder = std::make_unique<TempDir>();
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(m_pFolder->Path()));
        // The recent files too stay with the test.
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_pFolder->File("config")));
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

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A child run of this program keeps the folder it was given.
    if (qEnvironmentVariableIsEmpty("VORNALIX_RECOVERY_CHILD_DIR"))
        ::testing::UnitTest::GetInstance()->listeners().Append(new OwnStateFolder);
    return RUN_ALL_TESTS();
}
