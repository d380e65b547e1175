// The file dialogs' icons and type names never read a file: a folder that
// holds a link to a file whose reads wait lists at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>

#include "tests/TestFiles.h"
#include "ui/app/FileDialogIcons.h"

TEST(FileDialogIcons, AFolderWithALinkToAWaitingFileListsWithoutReadingIt)
{
    const WaitingFile waiting;
    if (waiting.Path().empty())
        GTEST_SKIP() << "this user may not mount a tracefs";
    TempDir dir;
    std::filesystem::create_symlink(waiting.Path(), dir.File("pipe"));
    std::ofstream(dir.File("de.ccf")) << "CHFQ";
    std::filesystem::create_directory(dir.File("old"));

    const auto listed = RunInChildWithin(20, [&dir] {
        NameOnlyIconProvider icons;
        QFileSystemModel model;
        model.setIconProvider(&icons);
        const QModelIndex root = model.setRootPath(QString::fromStdString(dir.Path()));
        QElapsedTimer waited;
        waited.start();
        while (model.rowCount(root) < 3 && waited.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::string types;
        for (const char* pszName : {"de.ccf", "old", "pipe"}) {
            const QModelIndex index = model.index(QString::fromStdString(dir.File(pszName)));
            const bool bHasIcon = !model.data(index, Qt::DecorationRole).isNull();
            types += model.type(index).toStdString() + (bHasIcon ? "+icon" : "") + ";";
        }
        return types;
    });
    ASSERT_TRUE(listed) << "listing the folder read the waiting file";
    EXPECT_EQ(*listed, "CCF File+icon;Folder+icon;File+icon;");
}
