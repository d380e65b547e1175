// Unsaved work from earlier runs: the bar at the top of an editor offers it
// when the editor opens, restores it as one step, discards it, and opens the
// list of every copy with a preview of its first rows; whatever the recovery
// folder holds, nothing crashes or hangs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "edit/RecoveryStore.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/tool/ToolProcess.h"
#include "tests/ui/ChildRole.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/editor/RecoveryBar.h"
#include "ui/editor/RecoveryCopiesDlg.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// The notes an editor's status line showed, in order, from the moment this is made.
struct StatusNotes
{
    explicit StatusNotes(const CDialog& dialog)
    {
        QObject::connect(qobject_cast<EditorStatusLine*>(EditorFrame::Of(dialog)->StatusLine()),
                         &EditorStatusLine::NoteShown, [this](const QString& text) { shown.push_back(text); });
    }
    std::vector<QString> shown;
};

using Texts = std::vector<QString>;
using Step = FakeUserServices::RecoveryListStep;
using Action = Step::Action;

RecoveryBar* BarOf(const CDialog& dlg)
{
    return dlg.findChild<RecoveryBar*>();
}

QPushButton* BarButton(const CDialog& dlg, const QString& text)
{
    if (!BarOf(dlg)) {
        ADD_FAILURE() << "the editor has no bar for kept copies";
        return nullptr;
    }
    for (QPushButton* pButton : BarOf(dlg)->findChildren<QPushButton*>()) {
        if (pButton->text() == text)
            return pButton;
    }
    ADD_FAILURE() << "the bar has no button " << text.toStdString();
    return nullptr;
}

// The bar's text as the person reads it.
QString BarText(const CDialog& dlg)
{
    const QLabel* pLabel = BarOf(dlg) ? BarOf(dlg)->findChild<QLabel*>() : nullptr;
    return pLabel ? pLabel->text() : QString();
}

bool BarShown(const CDialog& dlg)
{
    return BarOf(dlg) && !BarOf(dlg)->isHidden();
}

void ClickBarButton(const CDialog& dlg, const QString& text)
{
    QPushButton* pButton = BarButton(dlg, text);
    ASSERT_TRUE(pButton);
    ASSERT_TRUE(pButton->isEnabled()) << text.toStdString();
    QTest::mouseClick(pButton, Qt::LeftButton);
}

std::string CopyPath(const std::string& folder, int i, const char* extension = "ccf")
{
    return folder + "/" + std::to_string(1700000000 + i) + "-1-0." + extension;
}

// Sets a file's time this many seconds into the past, so that copies have an order.
void SetAge(const std::string& path, std::time_t seconds)
{
    const std::time_t when = std::time(nullptr) - seconds;
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

void Plant(const std::string& path, const Bytes& image, std::time_t age)
{
    WriteAll(path, image);
    ASSERT_NO_FATAL_FAILURE(SetAge(path, age));
}

const char* const kChildDirVariable = "VORNALIX_RECOVERY_BAR_CHILD_DIR";

// The child of the killed-program test, a role and no test: loads the
// country's table, changes channel 3 without saving, leaves the rows it shows
// beside the table, and waits to be killed once its copy is on disk.
int EditTheTableAndWaitToBeKilled()
{
    const std::string dir = qEnvironmentVariable(kChildDirVariable).toStdString();
    if (dir.empty())
        return EXIT_FAILURE;
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(QString::fromStdString(dir + "/de.ccf"));
    dlg.OnCommand(IDC_BUTTON_LOAD_FROM_FILE);
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "56");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    if (!dlg.Table() || !dlg.Document().Modified())
        return EXIT_FAILURE;
    const Texts shown = ListRowTexts(dlg, IDC_LIST_CHANNELS);
    const QByteArray rows = QStringList(shown.begin(), shown.end()).join('\n').toUtf8();
    WriteAll(dir + "/rows.txt", Bytes(rows.begin(), rows.end()));
    return ReadyOnceTheRecoveryCopyHolds(dlg.Table()->FileImage());
}

const bool kEditTheTableAndWaitToBeKilled =
    RegisterChildRole("edit-the-table-and-wait-to-be-killed", EditTheTableAndWaitToBeKilled);

} // namespace

// The program killed with unsaved work: the next editor says so at once in
// its bar, and Restore brings the work back as one step that Undo takes back.
TEST(RecoveryBar, AKilledProgramsWorkIsOfferedAndRestoredAsOneStep)
{
    TempDir dir;
    const ToolRun run = RunToolProcess({"build", "--country-plan", "Germany", "-o", dir.File("de.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    QProcessEnvironment environment;
    environment.insert("XDG_STATE_HOME", qEnvironmentVariable("XDG_STATE_HOME"));
    environment.insert(kChildDirVariable, QString::fromStdString(dir.Path()));
    ASSERT_TRUE(kEditTheTableAndWaitToBeKilled);
    ASSERT_TRUE(RunChildRoleUntilReadyThenKill("edit-the-table-and-wait-to-be-killed", environment));
    const Bytes rowsText = ReadAll(dir.File("rows.txt"));
    const QStringList hadRows =
        QString::fromUtf8(QByteArray(reinterpret_cast<const char*>(rowsText.data()), static_cast<int>(rowsText.size())))
            .split('\n');
    ASSERT_EQ(hadRows.size(), 69);
    const std::vector<RecoveryCopy> kept = ListRecoveryCopies("ccf");
    ASSERT_EQ(kept.size(), 1u);
    const QString when = QDateTime::fromSecsSinceEpoch(kept[0].iTime).toString(QStringLiteral("yyyy-MM-dd hh:mm"));

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    StatusNotes notes(dlg);
    dlg.Create();
    // The editor opens as always, with no question, and the bar tells what is there.
    EXPECT_FALSE(dlg.Table());
    EXPECT_TRUE(services.messages.empty());
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_EQ(BarText(dlg),
              "Unsaved work from an earlier session: de.ccf, " + when + ", 69 antenna and 107 cable channels");
    // The bar takes no focus: the person's typing goes on where it was.
    QWidget* pFocus = dlg.focusWidget();
    EXPECT_FALSE(pFocus && BarOf(dlg) && BarOf(dlg)->isAncestorOf(pFocus));

    ClickBarButton(dlg, QStringLiteral("Restore"));
    ASSERT_TRUE(dlg.Table());
    const Texts restored = ListRowTexts(dlg, IDC_LIST_CHANNELS);
    EXPECT_EQ(QStringList(restored.begin(), restored.end()), hadRows);
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_TRUE(dlg.windowTitle().contains(QStringLiteral("de.ccf*"))) << dlg.windowTitle().toStdString();
    EXPECT_EQ(dlg.Document().UndoName(), "Restore Unsaved Table");
    EXPECT_FALSE(BarShown(dlg));
    EXPECT_FALSE(FileExists(kept[0].path));
    // The status line says what came back; no note of its own pops up.
    EXPECT_TRUE(services.notes.empty());
    ASSERT_EQ(notes.shown.size(), 1u);
    EXPECT_EQ(notes.shown[0], "Restored unsaved work: de.ccf, " + when + ", 69 antenna and 107 cable channels.");

    // Undo takes the restore back: the editor is as it opened.
    QTest::keyClick(dlg.GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(dlg.Table());
    EXPECT_FALSE(dlg.windowTitle().contains(QLatin1Char('*'))) << dlg.windowTitle().toStdString();
    EXPECT_FALSE(BarShown(dlg));
}

// Discard removes what the bar offers, without a question, and nothing else:
// neither the editor's own copy nor a copy that came since.
TEST(RecoveryBar, DiscardRemovesOnlyTheOfferedCopies)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 0), ChannelTableImage(1, {55.25}, {}, 1, 0), 300));
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 1), ChannelTableImage(1, {62.25}, {}, 1, 0), 200));
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 2), Bytes(100, 0x41), 100));

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    StatusNotes notes(dlg);
    dlg.Create();
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_EQ(BarText(dlg), "3 unsaved tables from earlier sessions");
    // The editor's own work has a copy of its own by now.
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_ADD);
    ASSERT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").size() == 4; }));
    // Another run leaves a copy after the bar appeared.
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 3), ChannelTableImage(1, {175.25}, {}, 1, 0), 50));

    // Clicking the bar leaves the focus where the person types.
    QLineEdit* pFrequency = Control<QLineEdit>(dlg, IDC_EDIT_FREQUENCY);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    pFrequency->setFocus();
    ClickBarButton(dlg, QStringLiteral("Discard"));
    EXPECT_EQ(dlg.focusWidget(), pFrequency);

    EXPECT_TRUE(services.messages.empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(FileExists(CopyPath(folder, i))) << i;
        EXPECT_FALSE(FileExists(CopyPath(folder, i) + ".source")) << i;
    }
    EXPECT_TRUE(FileExists(CopyPath(folder, 3)));
    const std::vector<RecoveryCopy> left = ListRecoveryCopies("ccf");
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(ReadAll(left[0].path), dlg.Table()->FileImage());
    EXPECT_FALSE(BarShown(dlg));
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_TRUE(services.notes.empty());
    ASSERT_EQ(notes.shown.size(), 1u);
    EXPECT_EQ(notes.shown[0], "Discarded 3 unsaved tables.");
}

// Whatever names it is given, a discard never removes the copy of the
// editor asking, nor a file the program did not name.
TEST(RecoveryBar, ADiscardNeverTakesTheEditorsOwnCopy)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const Bytes image = ChannelTableImage(1, {55.25}, {}, 1, 0);
    WriteAll(CopyPath(folder, 0), image);
    WriteAll(CopyPath(folder, 1), image);
    WriteAll(folder + "/notes.ccf", image);
    const std::vector<std::string> names{"1700000000-1-0.ccf", "1700000001-1-0.ccf", "notes.ccf", "../x.ccf"};
    EXPECT_EQ(DiscardRecoveryCopies(names, "ccf", CopyPath(folder, 1)), 1u);
    EXPECT_FALSE(FileExists(CopyPath(folder, 0)));
    EXPECT_TRUE(FileExists(CopyPath(folder, 1)));
    EXPECT_TRUE(FileExists(folder + "/notes.ccf"));

    // An editor's own copy is never offered: not in its bar, not in its list.
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    ASSERT_TRUE(BarShown(dlg));
    ClickBarButton(dlg, QStringLiteral("Discard"));
    EXPECT_FALSE(BarShown(dlg));
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_ADD);
    ASSERT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").size() == 1; }));
    services.menuAnswers.push_back(0);
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
    // The row menu does not offer it, and the list, opened directly, lists nothing.
    EXPECT_NE(services.menus.back().back().text, "Restore Unsaved Table...");
    dlg.OnCommand(IDM_RESTORE_UNSAVED);
    ASSERT_FALSE(services.recoveryLists.empty());
    EXPECT_TRUE(services.recoveryLists.back().rows.empty());
    EXPECT_FALSE(BarShown(dlg));
}

namespace {

const Step kPreview0{Action::Preview, 0};

} // namespace

// Show All lists every copy with its time, table and contents, previews the
// first rows of the one selected, discards one and restores another; a
// damaged copy is listed as such and never restored.
TEST(RecoveryBar, ShowAllPreviewsDiscardsAndRestores)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    std::vector<double> air;
    for (int i = 0; i < 40; ++i)
        air.push_back(i == 1 ? 0.0 : 48.25 + 7 * i);
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 0), ChannelTableImage(49, air, {303.25, 311.25}, 1, 1), 100));
    const std::string source = RecoverySourceText(RecoverySource{"/home/someone/tables/de.ccf", std::nullopt}, "ccf");
    WriteAll(CopyPath(folder, 0) + ".source", Bytes(source.begin(), source.end()));
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 1), ChannelTableImage(1, {55.25}, {}, 1, 0), 200));
    // A table cut short: its header calls for more channels than it holds.
    Bytes cut = ChannelTableImage(1, {55.25, 62.25, 175.25}, {}, 1, 0);
    cut.resize(cut.size() - 12);
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 2), cut, 300));

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    StatusNotes notes(dlg);
    dlg.Create();
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_EQ(BarText(dlg), "3 unsaved tables from earlier sessions");
    services.recoveryListAnswers.push_back({kPreview0,
                                            {Action::Preview, 2},
                                            {Action::Restore, 2},
                                            {Action::Discard, 1},
                                            {Action::Preview, 1},
                                            {Action::Restore, 0},
                                            {Action::Preview, 1}});
    ClickBarButton(dlg, QStringLiteral("Show All..."));
    ASSERT_EQ(services.recoveryLists.size(), 1u);
    const FakeUserServices::RecoveryListShown& shown = services.recoveryLists[0];
    ASSERT_EQ(shown.rows.size(), 3u);
    EXPECT_EQ(shown.rows[0].source, "de.ccf");
    EXPECT_EQ(shown.rows[0].counts, "40 antenna and 2 cable channels");
    EXPECT_EQ(shown.rows[1].source, "unknown file");
    EXPECT_EQ(shown.rows[2].counts, "damaged copy");
    EXPECT_TRUE(shown.rows[0].bRestorable);
    EXPECT_FALSE(shown.rows[2].bRestorable);

    // The restore ended the list: the last step was never taken.
    ASSERT_EQ(shown.previews.size(), 3u);
    const RecoveryPreviewTable& first = shown.previews[0];
    EXPECT_TRUE(first.problem.isEmpty());
    EXPECT_EQ(first.columns, (QStringList{"List", "CH No.", "Frequency(MHz)"}));
    ASSERT_EQ(first.rows.size(), kRecoveryPreviewRows + 2);
    EXPECT_EQ(first.rows[0], (QStringList{"Antenna", "001", "48.25000"}));
    EXPECT_EQ(first.rows[1], (QStringList{"Antenna", "002", "--"}));
    EXPECT_EQ(first.rows[kRecoveryPreviewRows - 1], (QStringList{"Antenna", "016", "153.25000"}));
    EXPECT_EQ(first.rows[kRecoveryPreviewRows], (QStringList{"Cable", "001", "303.25000"}));
    EXPECT_EQ(first.rows[kRecoveryPreviewRows + 1], (QStringList{"Cable", "002", "311.25000"}));
    EXPECT_TRUE(shown.previews[1].rows.empty());
    EXPECT_TRUE(shown.previews[1].problem.contains(QStringLiteral("damaged")));
    EXPECT_TRUE(shown.previews[2].rows.empty());
    EXPECT_EQ(shown.previews[2].problem, "This copy was discarded.");

    ASSERT_EQ(shown.rowsAtClose.size(), 3u);
    EXPECT_TRUE(shown.rowsAtClose[1].bGone);
    EXPECT_TRUE(shown.rowsAtClose[1].Text().endsWith(QStringLiteral(" - discarded")));
    EXPECT_FALSE(FileExists(CopyPath(folder, 1)));
    // Restored: the table is the copy's, as one step; the copy is the editor's now.
    ASSERT_TRUE(dlg.Table());
    EXPECT_EQ(dlg.Table()->GetList(ChannelModeAir)->iCount, 40);
    EXPECT_EQ(dlg.Document().UndoName(), "Restore Unsaved Table");
    EXPECT_FALSE(FileExists(CopyPath(folder, 0)));
    EXPECT_TRUE(FileExists(CopyPath(folder, 2)));
    ASSERT_EQ(notes.shown.size(), 2u);
    EXPECT_TRUE(notes.shown[0].startsWith(QStringLiteral("Discarded unsaved work: unknown file, ")))
        << notes.shown[0].toStdString();
    EXPECT_TRUE(notes.shown[1].startsWith(QStringLiteral("Restored unsaved work: de.ccf, ")))
        << notes.shown[1].toStdString();
    // What is left is the damaged copy: offered, but it cannot be restored.
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_TRUE(BarText(dlg).endsWith(QStringLiteral(", damaged copy"))) << BarText(dlg).toStdString();
    QPushButton* pRestore = BarButton(dlg, QStringLiteral("Restore"));
    EXPECT_TRUE(pRestore && !pRestore->isEnabled());
    EXPECT_TRUE(services.messages.empty());
}

// The row menu's "Restore Unsaved Table..." opens the same list; a tuner
// table's preview shows factory, tuner type and band edges.
TEST(RecoveryBar, TheRowMenuOpensTheListAndTunerCopiesPreviewTheirEntries)
{
    TunerSpecTable table(true);
    for (const auto& [factory, type, low] : {std::tuple{0x12, 0x07, 48.25}, std::tuple{0x12, 0x02, 55.25}}) {
        auto* pNode = new TunerSpecNode;
        pNode->entry.SetFactory(factory);
        pNode->entry.SetTunerType(type);
        pNode->entry.SetLowBandStart(low);
        pNode->entry.SetMidBandStart(160.0);
        pNode->entry.SetHighBandStart(450.0);
        pNode->entry.SetHighBandEnd(860.0);
        table.InsertInOrder(pNode);
    }
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    WriteAll(CopyPath(folder, 0, "tsf"), table.FileImage());

    FakeUserServices services;
    CTunerEditDlg dlg(services);
    dlg.Create();
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_TRUE(BarText(dlg).endsWith(QStringLiteral(", 2 tuner entries"))) << BarText(dlg).toStdString();
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({kPreview0});
    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), 0, Qt::RightButton);
    ASSERT_EQ(services.recoveryLists.size(), 1u);
    ASSERT_EQ(services.recoveryLists[0].previews.size(), 1u);
    const RecoveryPreviewTable& preview = services.recoveryLists[0].previews[0];
    EXPECT_EQ(preview.columns.size(), 6);
    ASSERT_EQ(preview.rows.size(), 2u);
    EXPECT_EQ(preview.rows[0], (QStringList{"12", "02", "55.25", "160.00", "450.00", "860.00"}));
    EXPECT_EQ(preview.rows[1], (QStringList{"12", "07", "48.25", "160.00", "450.00", "860.00"}));
    // Closed without a choice: the copy is still there and still offered.
    EXPECT_FALSE(dlg.Document().HasTable());
    EXPECT_TRUE(FileExists(CopyPath(folder, 0, "tsf")));
    EXPECT_TRUE(BarShown(dlg));
}

// What the folder holds may be anything: links, FIFOs, folders, a huge or a
// garbage file under a copy's name. The bar opens at once, lists no link and
// nothing that is no file, shows the rest as damaged, and nothing of it is
// restored or previewed as a table.
TEST(RecoveryBar, HostileFolderContentsNeverCrashNorHangTheBar)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    TempDir elsewhere;
    const Bytes good = ChannelTableImage(1, {55.25, 62.25}, {}, 1, 0);
    WriteAll(elsewhere.File("good.ccf"), good);
    ASSERT_EQ(symlink(elsewhere.File("good.ccf").c_str(), CopyPath(folder, 0).c_str()), 0);
    ASSERT_EQ(mkfifo(CopyPath(folder, 1).c_str(), 0600), 0);
    ASSERT_EQ(mkdir(CopyPath(folder, 2).c_str(), 0700), 0);
    // Huge and sparse: a header that calls for no such size.
    WriteAll(CopyPath(folder, 3), ChannelTableImage(1, {55.25}, {}, 1, 0));
    ASSERT_EQ(truncate(CopyPath(folder, 3).c_str(), 8LL << 30), 0);
    Bytes garbage(3000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 97 + 5);
    WriteAll(CopyPath(folder, 4), garbage);
    // A sound copy whose ".source" is a FIFO.
    WriteAll(CopyPath(folder, 5), good);
    ASSERT_EQ(mkfifo((CopyPath(folder, 5) + ".source").c_str(), 0600), 0);

    // In a child, so that a hang fails the test instead of stopping it.
    const std::optional<std::string> listed = RunInChildWithin(20, [] {
        std::string text;
        for (const RecoveryCopy& copy : ListRecoveryCopies("ccf")) {
            const RecoveryPreview preview = ReadRecoveryPreview(copy.name, TableKind::Channel);
            text += copy.name + (copy.bDamaged ? " damaged" : " whole") + (preview.bWhole ? " preview\n" : "\n");
        }
        for (int i = 0; i < 3; ++i)
            text += ReadRecoveryPreview(std::to_string(1700000000 + i) + "-1-0.ccf", TableKind::Channel).bWhole
                        ? "read through a link or no file\n"
                        : "";
        return text;
    });
    ASSERT_TRUE(listed.has_value()) << "listing the folder hung or crashed";
    EXPECT_EQ(*listed, "1700000005-1-0.ccf whole preview\n"
                       "1700000004-1-0.ccf damaged\n"
                       "1700000003-1-0.ccf damaged\n");

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    ASSERT_TRUE(BarShown(dlg));
    EXPECT_EQ(BarText(dlg), "3 unsaved tables from earlier sessions");
    services.recoveryListAnswers.push_back(
        {kPreview0, {Action::Preview, 1}, {Action::Preview, 2}, {Action::Restore, 2}, {Action::Restore, 1}});
    ClickBarButton(dlg, QStringLiteral("Show All..."));
    ASSERT_EQ(services.recoveryLists.size(), 1u);
    const FakeUserServices::RecoveryListShown& shown = services.recoveryLists[0];
    ASSERT_EQ(shown.previews.size(), 3u);
    EXPECT_EQ(shown.previews[0].rows.size(), 2u);
    EXPECT_TRUE(shown.previews[1].rows.empty());
    EXPECT_TRUE(shown.previews[2].rows.empty());
    EXPECT_FALSE(dlg.Table());
    // The link's target is untouched; the link and the others stay for the person to see.
    EXPECT_EQ(ReadAll(elsewhere.File("good.ccf")), good);
    ClickBarButton(dlg, QStringLiteral("Discard"));
    EXPECT_FALSE(BarShown(dlg));
    EXPECT_EQ(ReadAll(elsewhere.File("good.ccf")), good);
    struct stat info
    {
    };
    EXPECT_EQ(lstat(CopyPath(folder, 0).c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// A file under a copy's name that belongs to another user is no copy of this
// person's: it is neither listed, nor previewed, nor restored.
TEST(RecoveryBar, AFileOfAnotherOwnerIsNeverOffered)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a file to another user";
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    WriteAll(CopyPath(folder, 0), ChannelTableImage(1, {55.25}, {}, 1, 0));
    ASSERT_EQ(chown(CopyPath(folder, 0).c_str(), 12345, 12345), 0);
    EXPECT_TRUE(ListRecoveryCopies("ccf").empty());
    EXPECT_FALSE(ReadRecoveryPreview("1700000000-1-0.ccf", TableKind::Channel).bWhole);
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    EXPECT_FALSE(BarShown(dlg));
}

// The desktop's list itself: a row for each copy, the first rows of the one
// selected, and a discarded copy shown as such, no longer restorable.
TEST(RecoveryBar, TheListDialogPreviewsTheSelectedCopyAndMarksADiscardedOne)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 0), ChannelTableImage(1, {55.25, 62.25}, {}, 1, 0), 100));
    ASSERT_NO_FATAL_FAILURE(Plant(CopyPath(folder, 1), Bytes(64, 0x20), 200));
    std::vector<std::string> discarded;
    RecoveryCopyActions actions;
    actions.list = [] { return ListRecoveryCopies("ccf"); };
    actions.restore = [](const RecoveryCopy&) { return false; };
    actions.discard = [&discarded](const std::vector<RecoveryCopy>& copies) {
        for (const RecoveryCopy& copy : copies)
            discarded.push_back(copy.name);
    };
    RecoveryCopiesList list(actions, actions.list());
    RecoveryCopiesDlg dialog(list, nullptr);
    const QList<QTreeWidget*> trees = dialog.findChildren<QTreeWidget*>();
    ASSERT_EQ(trees.size(), 2);
    QTreeWidget* pCopies = trees[0]->accessibleName() == "Kept copies" ? trees[0] : trees[1];
    QTreeWidget* pPreview = pCopies == trees[0] ? trees[1] : trees[0];
    ASSERT_EQ(pCopies->topLevelItemCount(), 2);
    EXPECT_EQ(pCopies->topLevelItem(0)->text(2), "2 antenna and 0 cable channels");
    EXPECT_EQ(pCopies->topLevelItem(1)->text(2), "damaged copy");
    // The newest is selected at once and its rows are shown.
    ASSERT_EQ(pPreview->topLevelItemCount(), 2);
    EXPECT_EQ(pPreview->topLevelItem(1)->text(2), "62.25000");
    QPushButton* pRestore = nullptr;
    QPushButton* pDiscard = nullptr;
    for (QPushButton* pButton : dialog.findChildren<QPushButton*>()) {
        if (pButton->text() == "&Restore")
            pRestore = pButton;
        if (pButton->text() == "&Discard")
            pDiscard = pButton;
    }
    ASSERT_TRUE(pRestore && pDiscard);
    EXPECT_TRUE(pRestore->isEnabled());
    pCopies->setCurrentItem(pCopies->topLevelItem(1));
    EXPECT_FALSE(pRestore->isEnabled());
    EXPECT_EQ(pPreview->topLevelItemCount(), 0);
    pCopies->setCurrentItem(pCopies->topLevelItem(0));
    QTest::mouseClick(pDiscard, Qt::LeftButton);
    EXPECT_EQ(discarded, std::vector<std::string>{"1700000000-1-0.ccf"});
    EXPECT_EQ(pCopies->topLevelItem(0)->text(2), "discarded");
    EXPECT_FALSE(pRestore->isEnabled());
    EXPECT_FALSE(pDiscard->isEnabled());
    EXPECT_EQ(pPreview->topLevelItemCount(), 0);
}
