// Recovery copies: a table with unsaved changes survives leaving the editor
// and a killed program, and comes back through the row menu exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "edit/ChannelTableDocument.h"
#include "edit/RecoveryStore.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/ChildRole.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/DocumentRecovery.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// Edits a new table the way a person would: Create New, channels in both
// lists, a country code.
void EditATable(CFrequencyTableDlg& dlg)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* frequency : {"55.25", "62.25", "0", "175.25"}) {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, frequency);
        Click(dlg, IDC_BUTTON_ADD);
    }
    TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "44");
    Click(dlg, IDC_BUTTON_ENTER);
}

// Sets a file's time this many seconds into the past.
void SetAge(const std::string& path, std::time_t seconds)
{
    const std::time_t when = std::time(nullptr) - seconds;
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The path of planted copy i, named as the program names its copies.
std::string CopyPath(const std::string& folder, int i, const char* extension = "ccf")
{
    return folder + "/" + std::to_string(1700000000 + i) + "-1-0." + extension;
}

// Copies of one channel table in the folder, copy i ageOf(i) seconds old.
template <class Age> void PlantCopies(const std::string& folder, int count, Age ageOf)
{
    const Bytes image = ChannelTableImage(1, {55.25}, {}, 1, 0);
    for (int i = 0; i < count; ++i) {
        const std::string path = CopyPath(folder, i);
        WriteAll(path, image);
        ASSERT_NO_FATAL_FAILURE(SetAge(path, ageOf(i)));
    }
}

// Opens a new editor, restores the newest copy through the row menu and saves
// the table; returns the saved file's bytes.
Bytes RestoreAndSave(const TempDir& dir, FakeUserServices& services, const std::string& name)
{
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    // The editor opens as always: no table, no question.
    EXPECT_FALSE(dlg.Table());
    EXPECT_TRUE(services.messages.empty());
    const std::size_t menus = services.menus.size();
    const std::size_t lists = services.recoveryLists.size();
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
    EXPECT_EQ(services.menus.size(), menus + 1);
    if (services.menus.size() == menus + 1) {
        EXPECT_EQ(services.menus[menus].back().text, "Restore Unsaved Table...");
    }
    EXPECT_EQ(services.recoveryLists.size(), lists + 1);
    if (services.recoveryLists.size() == lists + 1) {
        EXPECT_EQ(services.recoveryLists.back().rows.size(), 1u);
    }
    EXPECT_TRUE(dlg.Table());
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_EQ(dlg.Document().UndoName(), "Restore Unsaved Table");
    const std::string path = dir.File(name);
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    EXPECT_FALSE(dlg.Document().Modified());
    return ReadAll(path);
}

std::string StateFolder()
{
    return qEnvironmentVariable("XDG_STATE_HOME").toStdString();
}

} // namespace

TEST(ChannelRecovery, ExitThenRestoreInANewEditorSavesWhatThePersonHad)
{
    FakeUserServices services;
    Bytes had;
    {
        CFrequencyTableDlg dlg(services);
        dlg.Create();
        EditATable(dlg);
        // The cable list too.
        QComboBox* pCombo = Control<QComboBox>(dlg, IDC_COMBO_MODE);
        pCombo->setFocus();
        QTest::keyClick(pCombo, Qt::Key_Down);
        TypeInto(dlg, IDC_EDIT_FREQUENCY, "303.25");
        Click(dlg, IDC_BUTTON_ADD);
        had = dlg.Table()->FileImage();
        // Exit right away, before the copy's second is up.
        Click(dlg, IDCANCEL);
        EXPECT_TRUE(services.messages.empty());
    }
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].source, "new");
    EXPECT_EQ(copies[0].iFirstCount, 4);
    EXPECT_EQ(copies[0].iSecondCount, 1);
    EXPECT_EQ(ReadAll(copies[0].path), had);
    struct stat info
    {
    };
    ASSERT_EQ(stat((StateFolder() + "/vornalix/recovery").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    TempDir dir;
    EXPECT_EQ(RestoreAndSave(dir, services, "restored.ccf"), had);
    // Restored and saved: no copy is left.
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").empty(); }));
}

TEST(ChannelRecovery, TheCopyFollowsChangesAndGoesWhenSavedOrUndoneToTheSavedTable)
{
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    EditATable(dlg);
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
        return copies.size() == 1 && ReadAll(copies[0].path) == dlg.Table()->FileImage();
    }));

    TempDir dir;
    const std::string path = dir.File("saved.ccf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").empty(); }));

    TypeInto(dlg, IDC_EDIT_FREQUENCY, "400");
    Click(dlg, IDC_BUTTON_ADD);
    ASSERT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").size() == 1; }));
    QTest::keyClick(dlg.GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(dlg.Document().Modified());
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").empty(); }));

    // A table replaced by a load keeps its copy; the loaded one has none.
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "500");
    Click(dlg, IDC_BUTTON_ADD);
    const Bytes unsaved = dlg.Table()->FileImage();
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    QTest::qWait(1300);
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadAll(copies[0].path), unsaved);
    // The editor offers it; its own table, just loaded, has no copy to offer.
    services.menuAnswers.push_back(0);
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
    EXPECT_EQ(services.menus.back().back().text, "Restore Unsaved Table...");
}

TEST(ChannelRecovery, OldAndSurplusCopiesArePruned)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    // Copy 0 is 31 days old, the others a minute apart.
    ASSERT_NO_FATAL_FAILURE(PlantCopies(folder, 24, [](int i) { return i == 0 ? 31 * 24 * 3600 : 60 * i; }));
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 20u);
    EXPECT_EQ(copies.front().path, CopyPath(folder, 1));
    EXPECT_EQ(copies.back().path, CopyPath(folder, 20));
    EXPECT_FALSE(FileExists(CopyPath(folder, 0)));
    EXPECT_FALSE(FileExists(CopyPath(folder, 21)));
    EXPECT_TRUE(FileExists(CopyPath(folder, 20)));
}

// Copies nobody restores do not pile up: writing a new one prunes the others
// to the newest 20, the new one among them.
TEST(ChannelRecovery, EachNewCopyPrunesTheSurplus)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_NO_FATAL_FAILURE(PlantCopies(folder, 24, [](int i) { return 60 * (i + 1); }));
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    EditATable(dlg);
    ASSERT_TRUE(WaitFor([&] { return !FileExists(CopyPath(folder, 19)); }));
    EXPECT_TRUE(FileExists(CopyPath(folder, 18)));
    EXPECT_FALSE(FileExists(CopyPath(folder, 23)));
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 20u);
    EXPECT_EQ(ReadAll(copies.front().path), dlg.Table()->FileImage());
}

// The row menu asks on every opening whether to offer "Restore Unsaved
// Table...": the answer counts neither the editor's own copy, nor copies of the
// other table kind, nor copies past the age they are kept to.
TEST(ChannelRecovery, TheMenuOffersRestoringOnlyForAnotherKeptCopy)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const std::string own = CopyPath(folder, 0);
    WriteAll(own, ChannelTableImage(1, {55.25}, {}, 1, 0));
    WriteAll(CopyPath(folder, 1, "tsf"), Bytes(16, 0));
    // Names the program never gives its copies are not copies.
    WriteAll(folder + "/notes.ccf", ChannelTableImage(1, {55.25}, {}, 1, 0));
    EXPECT_FALSE(AnyRecoveryCopy("ccf", own));

    const std::string old = CopyPath(folder, 2);
    WriteAll(old, ChannelTableImage(1, {55.25}, {}, 1, 0));
    ASSERT_NO_FATAL_FAILURE(SetAge(old, 31 * 24 * 3600));
    EXPECT_FALSE(AnyRecoveryCopy("ccf", own));
    // Asking removes nothing; pruning is the listing's job.
    EXPECT_TRUE(FileExists(old));

    EXPECT_TRUE(AnyRecoveryCopy("tsf", own));
    WriteAll(CopyPath(folder, 3), ChannelTableImage(1, {62.25}, {}, 1, 0));
    EXPECT_TRUE(AnyRecoveryCopy("ccf", own));
}

namespace {

// The child of the test below, a role and no test: edits a table, writes
// what it holds beside the state folder, says so once its copy is on disk,
// and waits to be killed.
int EditAndWaitToBeKilled()
{
    const QString dir = qEnvironmentVariable("VORNALIX_RECOVERY_CHILD_DIR");
    if (dir.isEmpty())
        return EXIT_FAILURE;
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    EditATable(dlg);
    const Bytes had = dlg.Table()->FileImage();
    WriteAll(dir.toStdString() + "/expected.ccf", had);
    return ReadyOnceTheRecoveryCopyHolds(had);
}

const bool kEditAndWaitToBeKilled = RegisterChildRole("edit-and-wait-to-be-killed", EditAndWaitToBeKilled);

} // namespace

TEST(ChannelRecovery, AKilledProgramLeavesACopyThatRestoresTheSame)
{
    TempDir dir;
    QProcessEnvironment environment;
    environment.insert("XDG_STATE_HOME", QString::fromStdString(StateFolder()));
    environment.insert("VORNALIX_RECOVERY_CHILD_DIR", QString::fromStdString(dir.Path()));
    ASSERT_TRUE(kEditAndWaitToBeKilled);
    ASSERT_TRUE(RunChildRoleUntilReadyThenKill("edit-and-wait-to-be-killed", environment));

    const Bytes had = ReadAll(dir.File("expected.ccf"));
    ASSERT_FALSE(had.empty());
    FakeUserServices services;
    EXPECT_EQ(RestoreAndSave(dir, services, "restored.ccf"), had);
}

TEST(TunerRecovery, ExitThenRestoreInANewEditorSavesWhatThePersonHad)
{
    TempDir dir;
    const std::string catalogue = dir.File("TunerSpec.inf");
    const std::string text = "[Factory]\nCount = 1\n12 = Philips\n\n[18]\nCount = 2\n7 = X\n2 = Y\n";
    WriteAll(catalogue, Bytes(text.begin(), text.end()));
    FakeUserServices services;
    Bytes had;
    {
        CTunerEditDlg dlg(services);
        dlg.SetCataloguePath(catalogue);
        dlg.Create();
        Click(dlg, IDC_BUTTON_CREATE_TABLE);
        for (int type = 0; type < 2; ++type) {
            auto* pFactory = Control<QComboBox>(dlg, IDC_COMBO_FACTORY);
            pFactory->setCurrentIndex(0);
            emit pFactory->activated(0);
            auto* pType = Control<QComboBox>(dlg, IDC_COMBO_TUNER_TYPE);
            pType->setCurrentIndex(type);
            emit pType->activated(type);
            const std::pair<int, const char*> inputs[] = {
                {IDC_EDIT_LOW_BAND_START, "48.25"}, {IDC_EDIT_MID_BAND_START, "160"},
                {IDC_EDIT_HIGH_BAND_START, "450"},  {IDC_EDIT_HIGH_BAND_END, "860"},
                {IDC_EDIT_LOW_CODE, "00A1"},        {IDC_EDIT_MID_CODE, "0092"},
                {IDC_EDIT_HIGH_CODE, "0034"},       {IDC_EDIT_PICTURE_CARRIER, "38.9"},
                {IDC_EDIT_PICTURE_CARRIER2, "0"}};
            for (const auto& [id, value] : inputs)
                TypeInto(dlg, id, value);
            Click(dlg, IDC_BUTTON_ADD_INFO);
        }
        ASSERT_EQ(dlg.Document().Rows().size(), 2u);
        had = dlg.Document().Table()->FileImage();
        Click(dlg, IDCANCEL);
    }
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("tsf");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].iFirstCount, 2);
    EXPECT_TRUE(ListRecoveryCopies("ccf").empty());

    CTunerEditDlg dlg(services);
    dlg.SetCataloguePath(catalogue);
    dlg.Create();
    EXPECT_FALSE(dlg.Document().HasTable());
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), 0, Qt::RightButton);
    ASSERT_TRUE(dlg.Document().HasTable());
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 2);
    const std::string path = dir.File("restored.tsf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    EXPECT_EQ(ReadAll(path), had);
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("tsf").empty(); }));
}

namespace {

// Runs in another working folder for the life of the object.
class ScopedWorkingFolder
{
public:
    explicit ScopedWorkingFolder(const std::string& folder) : m_old(QDir::currentPath())
    {
        EXPECT_TRUE(QDir::setCurrent(QString::fromStdString(folder)));
    }
    ~ScopedWorkingFolder() { QDir::setCurrent(m_old); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    QString m_old;
};

// Opens the list of kept copies of a new channel editor and restores the copy at index.
void RestoreCopy(CFrequencyTableDlg& dlg, FakeUserServices& services, int index)
{
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back(
        {{FakeUserServices::RecoveryListStep::Action::Restore, static_cast<std::size_t>(index)}});
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
}

// Ctrl+S, as a person presses it in the active editor.
void PressSave(CFrequencyTableDlg& dlg)
{
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_S, Qt::ControlModifier);
}

// Loads "us.ccf" by the name typed in the working folder, adds a channel and
// leaves the editor, which keeps the copy; returns the table it had.
Bytes EditUsAndLeave(FakeUserServices& services)
{
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(QStringLiteral("us.ccf"));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    EXPECT_TRUE(dlg.Table());
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "471.25");
    Click(dlg, IDC_BUTTON_ADD);
    const Bytes had = dlg.Table() ? dlg.Table()->FileImage() : Bytes();
    Click(dlg, IDCANCEL);
    return had;
}

} // namespace

// A table loaded by a relative name in one folder, restored in another that
// holds a different file of the same name: Save goes back to the first file,
// never to the one the name now reaches.
TEST(ChannelRecovery, ARestoredTableSavesBackToItsOwnFileFromAnyFolder)
{
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.File("a"))));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.File("b"))));
    const Bytes first = ChannelTableImage(1, {55.25}, {}, 1, 0);
    const Bytes other = ChannelTableImage(2, {62.25, 175.25}, {}, 1, 0);
    WriteAll(dir.File("a/us.ccf"), first);
    WriteAll(dir.File("b/us.ccf"), other);
    FakeUserServices services;
    Bytes had;
    {
        const ScopedWorkingFolder inA(dir.File("a"));
        had = EditUsAndLeave(services);
    }
    ASSERT_FALSE(had.empty());

    const ScopedWorkingFolder inB(dir.File("b"));
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    RestoreCopy(dlg, services, 0);
    ASSERT_TRUE(dlg.Table());
    // The list named the file the table came from.
    ASSERT_FALSE(services.recoveryLists.empty());
    const QString row = services.recoveryLists.back().rows.at(0).Text();
    EXPECT_TRUE(row.contains(QStringLiteral(" - us.ccf - 2 antenna and 0 cable channels"))) << row.toStdString();
    const std::size_t asked = services.fileRequests.size();
    PressSave(dlg);
    EXPECT_EQ(services.fileRequests.size(), asked);
    EXPECT_FALSE(dlg.Document().Modified());
    EXPECT_EQ(ReadAll(dir.File("a/us.ccf")), had);
    EXPECT_EQ(ReadAll(dir.File("b/us.ccf")), other);
}

// The file changed on disk after the copy was taken: the restore never
// silently overwrites that newer work; Save asks instead.
TEST(ChannelRecovery, ARestoredTableWhoseFileChangedSinceAsksWhereToSave)
{
    TempDir dir;
    WriteAll(dir.File("us.ccf"), ChannelTableImage(1, {55.25}, {}, 1, 0));
    FakeUserServices services;
    {
        const ScopedWorkingFolder here(dir.Path());
        ASSERT_FALSE(EditUsAndLeave(services).empty());
    }
    const Bytes newer = ChannelTableImage(3, {48.25, 55.25, 62.25}, {}, 1, 0);
    WriteAll(dir.File("us.ccf"), newer);

    CFrequencyTableDlg dlg(services);
    dlg.Create();
    RestoreCopy(dlg, services, 0);
    ASSERT_TRUE(dlg.Table());
    EXPECT_EQ(dlg.Document().SavePath(), "");
    const std::size_t asked = services.fileRequests.size();
    PressSave(dlg); // asks, and is cancelled
    EXPECT_EQ(services.fileRequests.size(), asked + 1);
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_EQ(ReadAll(dir.File("us.ccf")), newer);
}

// A ".source" that names a tuner table, even with that file's identity,
// never makes a channel table's Save write over it.
TEST(ChannelRecovery, ACopyThatNamesATunerTableNeverSavesOverIt)
{
    TempDir dir;
    const std::string tuner = dir.File("tuner.tsf");
    const Bytes tunerImage{0x00, 0xCB, 0, 0, 'T', 'N', 'S', 'P', 0, 0, 0, 0};
    WriteAll(tuner, tunerImage);
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    WriteAll(CopyPath(folder, 0), ChannelTableImage(1, {55.25}, {}, 1, 0));
    const std::string source = RecoverySourceText(RecoverySource{tuner, IdentityOf(tuner)}, "ccf");
    WriteAll(CopyPath(folder, 0) + ".source", Bytes(source.begin(), source.end()));

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    RestoreCopy(dlg, services, 0);
    ASSERT_TRUE(dlg.Table());
    const std::size_t asked = services.fileRequests.size();
    PressSave(dlg);
    EXPECT_EQ(services.fileRequests.size(), asked + 1);
    EXPECT_EQ(ReadAll(tuner), tunerImage);
}

// What a copy's files hold is shown short and printable, and a copy that is
// no whole table is listed as damaged and cannot be restored.
TEST(ChannelRecovery, HostileCopiesAreShownSafelyAndDamagedOnesNeverRestored)
{
    const std::string folder = RecoveryFolder();
    ASSERT_FALSE(folder.empty());
    const Bytes table = ChannelTableImage(1, {55.25}, {}, 1, 0);
    const std::string longName = "/tmp/" + std::string(200, 'n') + ".ccf";
    const std::string sources[] = {
        std::string("\x01\x02\xff\x1b[2J\x07", 8),                         // binary
        "/" + std::string(5000, 'x'),                                      // longer than any path
        RecoverySourceText(RecoverySource{longName, std::nullopt}, "ccf"), // long but sound
        "new\n",                                                           // a name with a line end
        RecoverySourceText(RecoverySource{"/tmp/bell\x07.ccf", std::nullopt}, "ccf"),
    };
    for (int i = 0; i < 5; ++i) {
        WriteAll(CopyPath(folder, i), table);
        WriteAll(CopyPath(folder, i) + ".source", Bytes(sources[i].begin(), sources[i].end()));
        ASSERT_NO_FATAL_FAILURE(SetAge(CopyPath(folder, i), 100 - i));
    }
    Bytes garbage(5000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 37 + 11);
    WriteAll(CopyPath(folder, 5), garbage);
    ASSERT_NO_FATAL_FAILURE(SetAge(CopyPath(folder, 5), 200));

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    // Newest first: the five tables, then the garbage, which is the oldest.
    RestoreCopy(dlg, services, 5);
    EXPECT_FALSE(dlg.Table());
    EXPECT_TRUE(services.messages.empty());
    ASSERT_FALSE(services.recoveryLists.empty());
    const std::vector<RecoveryListRow>& rows = services.recoveryLists.back().rows;
    ASSERT_EQ(rows.size(), 6u);
    for (const RecoveryListRow& row : rows) {
        EXPECT_LT(row.Text().size(), 110) << row.Text().toStdString();
        for (const QChar c : row.Text())
            EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() != 0x7f) << row.Text().toStdString();
    }
    EXPECT_TRUE(rows[0].Text().endsWith(QStringLiteral(" - unknown file - 1 antenna and 0 cable channels")))
        << rows[0].Text().toStdString();
    EXPECT_TRUE(rows[1].Text().contains(QStringLiteral(" - unknown file - "))) << rows[1].Text().toStdString();
    EXPECT_TRUE(rows[2].Text().contains(QChar(0x2026))) << rows[2].Text().toStdString();
    EXPECT_TRUE(rows[3].Text().contains(QStringLiteral(" - unknown file - "))) << rows[3].Text().toStdString();
    EXPECT_TRUE(rows[4].Text().contains(QStringLiteral(" - unknown file - "))) << rows[4].Text().toStdString();
    EXPECT_TRUE(rows[5].Text().endsWith(QStringLiteral(" - damaged copy"))) << rows[5].Text().toStdString();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(rows[static_cast<std::size_t>(i)].bRestorable);
    EXPECT_FALSE(rows[5].bRestorable);

    // A restored copy of an unknown file asks where to save, and names no
    // file of its own: never one called "new\n".
    RestoreCopy(dlg, services, 3);
    ASSERT_TRUE(dlg.Table());
    EXPECT_EQ(dlg.Document().SavePath(), "");
    EXPECT_EQ(dlg.Document().Source(), "");
}

// With a recovery folder that cannot be used, the editor says so once,
// without a question, names the folder, and goes on; leaving asks nothing.
TEST(ChannelRecovery, AnEditorSaysOnceWhenItsCopiesCannotBeKept)
{
    TempDir dir;
    const std::string state = StateFolder();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(state + "/vornalix")));
    ASSERT_EQ(symlink(dir.Path().c_str(), (state + "/vornalix/recovery").c_str()), 0);
    WriteAll(dir.File("mine.ccf"), ChannelTableImage(1, {55.25}, {}, 1, 0));
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);

    FakeUserServices services;
    {
        CFrequencyTableDlg dlg(services);
        dlg.Create();
        EditATable(dlg);
        ASSERT_TRUE(WaitFor([&] { return !services.notes.empty(); }));
        EXPECT_TRUE(services.notes[0].contains(QString::fromStdString(state + "/vornalix/recovery")))
            << services.notes[0].toStdString();
        TypeInto(dlg, IDC_EDIT_FREQUENCY, "400");
        Click(dlg, IDC_BUTTON_ADD);
        QTest::qWait(DocumentRecovery<ChannelTableDocument>::kDelayMs + 300);
        EXPECT_EQ(services.notes.size(), 1u);
        EXPECT_TRUE(services.messages.empty());
        Click(dlg, IDCANCEL);
        EXPECT_TRUE(services.messages.empty());
    }
    struct stat info
    {
    };
    ASSERT_EQ(stat(dir.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"mine.ccf"});
}
