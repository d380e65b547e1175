// The status line below each editor's controls, driven as a person drives the
// editor: the file, the list shown, the live check summary and the notes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include "res/resource.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelTableCheck.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/DocumentRecovery.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

EditorStatusLine* StatusLineOf(const CDialog& dlg)
{
    auto* pLine = qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine());
    EXPECT_NE(pLine, nullptr);
    return pLine;
}

// Until the summary is for the document as it is now (the worker answered).
bool WaitForCheck(EditorStatusLine& line)
{
    return WaitFor([&line] { return line.IsCheckCurrent() && line.CheckText() != "Checking…"; });
}

void TriggerCommand(CDialog& dlg, int command)
{
    ASSERT_TRUE(dlg.OnCommand(command)) << command;
}

// The findings window's rows counted as the status line counts them.
QString CountsOfWindow(const CTableFindingsWindow& window)
{
    FindingCounts counts;
    for (const QString& row : FindingRows(window))
        ++(row.startsWith("Error") ? counts.errors : counts.warnings);
    return QString::fromStdString(FindingCountsText(counts));
}

class ChannelStatusLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        pLine = StatusLineOf(dlg);
    }

    void Load(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
    EditorStatusLine* pLine = nullptr;
};

} // namespace

TEST_F(ChannelStatusLineTest, FollowsLoadEditUndoModeSaveAndExport)
{
    // Nothing before the first table.
    EXPECT_EQ(pLine->FileText(), "");
    EXPECT_EQ(pLine->ListText(), "");
    EXPECT_EQ(pLine->CheckText(), "");
    EXPECT_TRUE(pLine->isVisible());

    const std::string path = dir.File("de.ccf");
    WriteAll(path, ChannelTableImage(49, {48.25, 55.25, 62.25}, {112.25, 119.25}, 1, 1));
    Load(path);
    EXPECT_EQ(pLine->FileText(), QString::fromStdString(path));
    EXPECT_EQ(pLine->FileLabel()->toolTip(), QString::fromStdString(path));
    EXPECT_EQ(pLine->FileLabel()->accessibleDescription(), QString::fromStdString(path));
    EXPECT_EQ(pLine->ListText(), "Antenna: 3 channels, 1–3");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "No problems");
    EXPECT_FALSE(dlg.windowTitle().contains('*'));

    // A frequency that channel 2 already has: one warning, and the title marks the change.
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    EXPECT_EQ(pLine->ListText(), "Antenna: 4 channels, 1–4");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 warning");
    EXPECT_EQ(pLine->CheckButton()->accessibleDescription(), "1 warning");
    EXPECT_TRUE(dlg.windowTitle().startsWith("de.ccf*"));

    TriggerCommand(dlg, IDM_UNDO);
    EXPECT_EQ(pLine->ListText(), "Antenna: 3 channels, 1–3");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "No problems");
    EXPECT_FALSE(dlg.windowTitle().contains('*'));
    TriggerCommand(dlg, IDM_REDO);
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 warning");

    // The Mode chosen in its drop-down list.
    QComboBox* pMode = Control<QComboBox>(dlg, IDC_COMBO_MODE);
    pMode->setCurrentIndex(ChannelModeCable);
    emit pMode->activated(ChannelModeCable);
    EXPECT_EQ(pLine->ListText(), "Cable: 2 channels, 1–2");

    // Saved under another name: the note names it, and the file shown is the new one.
    const std::string copy = dir.File("copy.ccf");
    services.fileAnswers.push_back(QString::fromStdString(copy));
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    EXPECT_EQ(pLine->NoteText(), "Saved copy.ccf");
    EXPECT_EQ(pLine->FileText(), QString::fromStdString(copy));
    EXPECT_FALSE(dlg.windowTitle().contains('*'));
    EXPECT_EQ(pLine->NoteTimer()->interval(), EditorStatusLine::kNoteMs);
    EXPECT_TRUE(pLine->NoteTimer()->isActive());

    // File > Save to the same file says so too.
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "300");
    Click(dlg, IDC_BUTTON_ADD);
    pLine->ShowNote(QString());
    TriggerCommand(dlg, IDM_SAVE);
    EXPECT_FALSE(dlg.windowTitle().contains('*'));
    EXPECT_EQ(pLine->NoteText(), "Saved copy.ccf");

    services.fileAnswers.push_back(QString::fromStdString(dir.File("cable.csv")));
    TriggerCommand(dlg, IDM_EXPORT);
    ASSERT_TRUE(FileExists(dir.File("cable.csv")));
    EXPECT_EQ(pLine->NoteText(), "Exported cable.csv");

    // The note goes after its time.
    pLine->NoteTimer()->setInterval(30);
    pLine->ShowNote("Saved once more");
    EXPECT_TRUE(WaitFor([&] { return pLine->NoteText().isEmpty(); }, 2000));
}

TEST_F(ChannelStatusLineTest, ANewTableHasNoFileAndTheFullPathOnlyWhenItDoesNotFit)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(pLine->FileText(), "New table");
    EXPECT_EQ(pLine->ListText(), "Antenna: 0 channels, 0–0");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 error"); // the country code is not entered yet
    // Undo takes the table back: the line is empty again.
    ASSERT_TRUE(dlg.OnCommand(IDM_UNDO));
    EXPECT_FALSE(dlg.Document().HasTable());
    EXPECT_EQ(pLine->FileText(), "");
    EXPECT_EQ(pLine->FileLabel()->text(), "");
    EXPECT_EQ(pLine->ListText(), "");
    EXPECT_EQ(pLine->CheckText(), "");

    const std::string deep = dir.File(std::string(30, 'a') + "/" + std::string(30, 'b') + "/" + std::string(30, 'c') +
                                      "/the-table-with-a-long-name.ccf");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(deep)).absolutePath()));
    WriteAll(deep, ChannelTableImage(49, {48.25}, {}, 1, 0));
    Load(deep);
    ElidedLabel* pFile = pLine->FileLabel();
    EXPECT_EQ(pLine->FileText(), QString::fromStdString(deep));
    // Too long for its place: elided in the middle, the file name's end still shown.
    EXPECT_LT(pFile->fontMetrics().horizontalAdvance(pFile->text()),
              pFile->fontMetrics().horizontalAdvance(pLine->FileText()));
    EXPECT_TRUE(pFile->text().contains(QChar(0x2026))) << pFile->text().toStdString();
    EXPECT_TRUE(pFile->text().endsWith("name.ccf")) << pFile->text().toStdString();
    EXPECT_TRUE(pFile->text().startsWith(QString::fromStdString(dir.Path()).left(4)));
    // Given room, it shows the whole path again.
    pFile->resize(pFile->fontMetrics().horizontalAdvance(pLine->FileText()) + 20, pFile->height());
    EXPECT_EQ(pFile->text(), QString::fromStdString(deep));
}

TEST_F(ChannelStatusLineTest, ActivatingTheSummaryShowsTheFindingsWithTheSameCounts)
{
    // The air range is stored from channel 2 (an error); cable channel 3 repeats channel 1 (a warning).
    const std::string path = dir.File("faults.ccf");
    WriteAll(path, ChannelTableImage(49, {48.25, 55.25, 62.25}, {112.25, 119.25, 112.25}, 2, 1));
    Load(path);
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 error, 1 warning");

    QTest::mouseClick(pLine->CheckButton(), Qt::LeftButton);
    auto* pWindow = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(CountsOfWindow(*pWindow), pLine->CheckText());

    // From the keyboard: the summary takes focus, and Space or Enter activates it.
    pWindow->hide();
    pLine->CheckButton()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return pLine->CheckButton()->hasFocus(); }, 1000));
    QTest::keyClick(pLine->CheckButton(), Qt::Key_Space);
    EXPECT_TRUE(pWindow->isVisible());
    pWindow->hide();
    QTest::keyClick(pLine->CheckButton(), Qt::Key_Return);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_FALSE(dlg.IsDestroyed());
    EXPECT_EQ(dlg.findChildren<CTableFindingsWindow*>().size(), 1);
}

TEST_F(ChannelStatusLineTest, AResultForAnOlderDocumentNeverShows)
{
    const std::string path = dir.File("de.ccf");
    WriteAll(path, ChannelTableImage(49, {48.25, 55.25, 62.25}, {}, 1, 0));
    Load(path);
    ASSERT_TRUE(WaitForCheck(*pLine));
    std::vector<QString> shown;
    QObject::connect(pLine, &EditorStatusLine::CheckSummaryChanged, [&shown](const QString& s) { shown.push_back(s); });

    // The edit's check finishes, and its result waits in the event queue,
    // while the undo makes the document another version.
    const std::uint64_t finished = pLine->Worker().FinishedCount();
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_ADD);
    pLine->Worker().WaitUntilIdle();
    ASSERT_EQ(pLine->Worker().FinishedCount(), finished + 1);
    dlg.OnCommand(IDM_UNDO);
    ASSERT_TRUE(WaitForCheck(*pLine));
    QTest::qWait(50);
    EXPECT_EQ(pLine->CheckText(), "No problems");
    EXPECT_TRUE(shown.empty()) << shown.front().toStdString();
}

TEST_F(ChannelStatusLineTest, ACopyThatCannotBeWrittenIsNoted)
{
    // The recovery folder is a link to another folder: no copy goes there.
    const std::string state = qEnvironmentVariable("XDG_STATE_HOME").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(state + "/vornalix")));
    // The editor looked for kept copies as it opened, which made the folder.
    QDir(QString::fromStdString(state + "/vornalix/recovery")).removeRecursively();
    ASSERT_EQ(symlink(dir.Path().c_str(), (state + "/vornalix/recovery").c_str()), 0);
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    ASSERT_TRUE(WaitFor([&] { return !services.notes.empty(); }));
    EXPECT_EQ(pLine->NoteText(), "Recovery copy could not be written: " + services.notes[0]);
}

TEST_F(ChannelStatusLineTest, ARestoredCopyIsNotedWithTheTimeItWasTaken)
{
    // An editor left with unsaved changes keeps its copy.
    {
        CFrequencyTableDlg first(services);
        first.Create();
        Click(first, IDC_BUTTON_CREATE_NEW);
        TypeInto(first, IDC_EDIT_FREQUENCY, "55.25");
        Click(first, IDC_BUTTON_ADD);
        Click(first, IDCANCEL);
    }
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
    ASSERT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>{55.25});
    // The note says what came back: its table, when it was taken, its counts.
    const QString note = pLine->NoteText();
    const QString prefix = QStringLiteral("Restored unsaved work: new table, ");
    ASSERT_TRUE(note.startsWith(prefix)) << note.toStdString();
    EXPECT_TRUE(note.endsWith(QStringLiteral(", 1 antenna and 0 cable channels."))) << note.toStdString();
    const QDateTime taken = QDateTime::fromString(note.mid(prefix.size(), 16), "yyyy-MM-dd HH:mm");
    ASSERT_TRUE(taken.isValid()) << note.toStdString();
    EXPECT_LE(std::abs(taken.secsTo(QDateTime::currentDateTime())), 120);
    // It is shown in the status line, not in a note of its own.
    EXPECT_TRUE(services.notes.empty());
}

TEST(TunerStatusLine, FollowsLoadDeleteUndoSaveExportAndCheck)
{
    TempDir dir;
    FakeUserServices services;
    CTunerEditDlg dlg(services);
    dlg.SetCataloguePath(VORNALIX_SAMPLE_CATALOGUE);
    dlg.Create();
    EditorStatusLine* pLine = StatusLineOf(dlg);
    EXPECT_EQ(pLine->ListText(), "");

    // Two good entries and one whose picture carrier is 0 (an error).
    TunerSpecTable table(true);
    std::vector<TunerSpecEntry> entries(3);
    for (int i = 0; i < 3; ++i) {
        TunerSpecEntry& e = entries[static_cast<std::size_t>(i)];
        e.SetFactory(1);
        e.SetTunerType(i + 1);
        e.SetLowBandStart(48.25);
        e.SetMidBandStart(160.0);
        e.SetHighBandStart(450.0);
        e.SetHighBandEnd(860.0);
        e.SetLowCode(1);
        e.SetMidCode(2);
        e.SetHighCode(4);
        e.SetPictureCarrier(i == 1 ? 0.0 : 38.9);
    }
    ASSERT_TRUE(table.AppendEntries(entries));
    const std::string path = dir.File("tuners.tsf");
    ASSERT_EQ(table.Save(path.c_str()), 1);

    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_TUNER_FILE);
    EXPECT_EQ(pLine->FileText(), QString::fromStdString(path));
    EXPECT_EQ(pLine->ListText(), "3 tuners");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 error");

    QTest::mouseClick(pLine->CheckButton(), Qt::LeftButton);
    auto* pWindow = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(CountsOfWindow(*pWindow), "1 error");

    // The faulty entry deleted from the row menu.
    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), 1, Qt::RightButton);
    EXPECT_EQ(pLine->ListText(), "2 tuners");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "No problems");
    EXPECT_TRUE(dlg.windowTitle().startsWith("tuners.tsf*"));
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(pLine->ListText(), "3 tuners");
    ASSERT_TRUE(WaitForCheck(*pLine));
    EXPECT_EQ(pLine->CheckText(), "1 error");
    dlg.OnCommand(IDM_REDO);

    const std::string copy = dir.File("two.tsf");
    services.fileAnswers.push_back(QString::fromStdString(copy));
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    EXPECT_EQ(pLine->NoteText(), "Saved two.tsf");
    EXPECT_EQ(pLine->FileText(), QString::fromStdString(copy));

    services.fileAnswers.push_back(QString::fromStdString(dir.File("two.json")));
    dlg.OnCommand(IDM_EXPORT);
    ASSERT_TRUE(FileExists(dir.File("two.json")));
    EXPECT_EQ(pLine->NoteText(), "Exported two.json");
}

// Check Table as a part over a document: its window checks again once edits
// and their undo pause, and a finding activated names its list and channel.
TEST(ChannelTableCheckPart, TheWindowFollowsEditsAndTellsWhichRowAFindingNames)
{
    ChannelTableDocument document;
    ASSERT_TRUE(document.CreateNew());
    ASSERT_TRUE(document.ReplaceList(ChannelModeAir, {55.25, 55.25, 62.25}));
    QWidget owner;
    std::vector<std::pair<std::int32_t, std::int32_t>> activated;
    auto* pCheck = new ChannelTableCheck(
        document, owner, [] { return std::optional<TunerFindings>(); },
        [&activated](std::int32_t iList, std::int32_t iChannel) { activated.emplace_back(iList, iChannel); });
    pCheck->Show();
    CTableFindingsWindow* pWindow = pCheck->Window();
    ASSERT_NE(pWindow, nullptr);
    const int withDuplicate = pWindow->FindingCount();
    ASSERT_GE(withDuplicate, 1);
    ASSERT_TRUE(pWindow->onActivate);
    pWindow->onActivate(ChannelModeAir, 2); // as a click on the finding of channel 2
    EXPECT_EQ(activated, (std::vector<std::pair<std::int32_t, std::int32_t>>{{ChannelModeAir, 2}}));

    ASSERT_TRUE(document.SetFrequency(2, 58.25)); // the duplicate goes, the order stays rising
    EXPECT_TRUE(WaitFor([&] { return pWindow->FindingCount() < withDuplicate; }, 3000));
    // Undo brings the duplicate back into the window.
    ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(WaitFor([&] { return pWindow->FindingCount() == withDuplicate; }, 3000));
}
