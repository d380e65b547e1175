// View > Columns of the channel editor through the real dialog: the Plan,
// Band and Check columns turned on and off by the menu's items, their cells
// per row following the chosen tuner and the edits, the choice kept for the
// next editor; and the file that keeps it refused when it is not ours.
#include <gtest/gtest.h>

#include <memory>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <sys/stat.h>
#include <unistd.h>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/TunerEntries.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorSettings.h"

namespace {

QAction* ColumnItem(const CFrequencyTableDlg& dlg, int id)
{
    return EditorFrame::Of(dlg)->MenuBar()->Action(id);
}

// The item chosen, then the View menu opened, which makes its items current.
void Toggle(CFrequencyTableDlg& dlg, int id)
{
    ASSERT_TRUE(ColumnItem(dlg, id));
    ColumnItem(dlg, id)->trigger();
    emit EditorFrame::Of(dlg)->MenuBar()->Bar()->actions().at(2)->menu()->aboutToShow();
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::vector<QString> Headings(const CFrequencyTableDlg& dlg)
{
    std::vector<QString> headings;
    QAbstractItemModel* pModel = dlg.GetListView(IDC_LIST_CHANNELS)->model();
    for (int column = 0; column < pModel->columnCount(); ++column)
        headings.push_back(pModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return headings;
}

TunerSpecEntry Philips()
{
    TunerSpecEntry entry = TunerEntryWithEdges(0x03, 0x12, 48.25, 170.0, 450.0, 863.25);
    entry.SetLowCode(0x00A0);
    entry.SetMidCode(0x0090);
    entry.SetHighCode(0x0030);
    return entry;
}

} // namespace

TEST(ListColumnsTest, PlanBandAndCheckShowPerRowFollowTheTunerAndEditsAndAreKept)
{
    TempDir dir;
    FakeUserServices services;
    const std::string path = dir.File("de.ccf");
    WriteAll(path, ChannelTableImage(49, {175.25, 30.0, 471.25, 0.0, 471.25, 900.0}, {}, 1, 6));
    auto dlg = std::make_unique<CFrequencyTableDlg>(services);
    dlg->Create();
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(*dlg, IDC_BUTTON_LOAD_FROM_FILE);
    // The two columns are the default.
    EXPECT_EQ(Headings(*dlg), (std::vector<QString>{"CH No.", "Frequency(MHz)"}));
    EXPECT_FALSE(ColumnItem(*dlg, IDM_COLUMN_PLAN)->isChecked());

    ASSERT_NO_FATAL_FAILURE(Toggle(*dlg, IDM_COLUMN_CHECK));
    ASSERT_NO_FATAL_FAILURE(Toggle(*dlg, IDM_COLUMN_PLAN));
    ASSERT_NO_FATAL_FAILURE(Toggle(*dlg, IDM_COLUMN_BAND));
    // They stand in their own order, whatever the order they were chosen in.
    EXPECT_EQ(Headings(*dlg), (std::vector<QString>{"CH No.", "Frequency(MHz)", "Plan", "Band", "Check"}));
    EXPECT_TRUE(ColumnItem(*dlg, IDM_COLUMN_BAND)->isChecked());
    const QString outOfOrder = "30 MHz is out of order between channel 1 (175.25 MHz) and channel 3 (471.25 MHz)";
    // Without a tuner the Band column is empty.
    EXPECT_EQ(
        ListRowTexts(*dlg, IDC_LIST_CHANNELS),
        (std::vector<QString>{"001|175.25000|5||", "002|30.00000|||" + outOfOrder, "003|471.25000|21||", "004|--|||",
                              "005|471.25000|21||471.25 MHz also at channel 3", "006|900.00000|||"}));
    dlg->ChooseTuner(TunerChoice{dir.File("t.tsf"), Philips(), {}, {}});
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS),
              (std::vector<QString>{
                  "001|175.25000|5|mid 90|", "002|30.00000||outside|" + outOfOrder, "003|471.25000|21|high 30|",
                  "004|--|||", "005|471.25000|21|high 30|471.25 MHz also at channel 3", "006|900.00000||outside|"}));

    // An edit of a frequency, and its undo, are followed.
    ClickRow(dlg->GetListView(IDC_LIST_CHANNELS), 1);
    TypeInto(*dlg, IDC_EDIT_FREQUENCY, "182.25");
    Click(*dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS)[1], "002|182.25000|6|mid 90|");
    ASSERT_TRUE(dlg->Document().CanUndo());
    ASSERT_TRUE(dlg->OnCommand(IDM_UNDO));
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS)[1], "002|30.00000||outside|" + outOfOrder);

    // Plan turned off again; the next editor opens with the others.
    ASSERT_NO_FATAL_FAILURE(Toggle(*dlg, IDM_COLUMN_PLAN));
    EXPECT_EQ(Headings(*dlg), (std::vector<QString>{"CH No.", "Frequency(MHz)", "Band", "Check"}));
    dlg.reset();
    CFrequencyTableDlg next(services);
    next.Create();
    EXPECT_EQ(Headings(next), (std::vector<QString>{"CH No.", "Frequency(MHz)", "Band", "Check"}));
    EXPECT_TRUE(ColumnItem(next, IDM_COLUMN_CHECK)->isChecked());
    EXPECT_FALSE(ColumnItem(next, IDM_COLUMN_PLAN)->isChecked());
    // Back to the two columns, for every editor after this one.
    ASSERT_NO_FATAL_FAILURE(Toggle(next, IDM_COLUMN_BAND));
    ASSERT_NO_FATAL_FAILURE(Toggle(next, IDM_COLUMN_CHECK));
    EXPECT_EQ(Headings(next), (std::vector<QString>{"CH No.", "Frequency(MHz)"}));
    CFrequencyTableDlg last(services);
    last.Create();
    EXPECT_EQ(Headings(last), (std::vector<QString>{"CH No.", "Frequency(MHz)"}));
}

TEST(ListColumnsTest, ASettingsFileThatIsNotOursIsNeitherReadNorWritten)
{
    const std::string file = EditorSettingsFile().toStdString();
    ASSERT_FALSE(file.empty());
    ::unlink(file.c_str());
    SetEditorSetting("test/key", "kept");
    ASSERT_EQ(EditorSetting("test/key"), "kept");
    const Bytes kept = ReadAll(file);

    // A link to someone's notes: nothing read through it, the notes unchanged.
    TempDir dir;
    const std::string notes = dir.File("notes.conf");
    WriteAll(notes, Text("[test]\nkey=notes\n"));
    ASSERT_EQ(::rename(file.c_str(), (file + ".ours").c_str()), 0);
    ASSERT_EQ(::symlink(notes.c_str(), file.c_str()), 0);
    EXPECT_EQ(EditorSetting("test/key"), QString());
    SetEditorSetting("test/key", "written");
    EXPECT_EQ(ReadAll(notes), Text("[test]\nkey=notes\n"));
    ::unlink(file.c_str());

    // A FIFO would block whoever opens it: it is never opened.
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(EditorSetting("test/key"), QString());
    SetEditorSetting("test/key", "written");
    struct stat status
    {
    };
    ASSERT_EQ(::lstat(file.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    ::unlink(file.c_str());

    // Nor is a file too large to be ours.
    WriteAll(file, Text("[test]\nkey=large\n" + std::string(kMaxEditorSettingsBytes, '#')));
    EXPECT_EQ(EditorSetting("test/key"), QString());
    ASSERT_EQ(::rename((file + ".ours").c_str(), file.c_str()), 0);
    EXPECT_EQ(ReadAll(file), kept);
}
