// Table > Check Against Tuner... of the channel table editor, driven as a
// person drives it: a tuner table chosen in the file dialog, a tuner in the
// chooser, and then the findings window, Check Table and the status line's
// summary judging the table against that tuner through edits, undo and a
// change of tuner.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <sys/stat.h>
#include <unistd.h>

#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/TunerEntries.h"
#include "tests/tool/ToolProcess.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/chart/CBandChartWindow.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/CTunerChooserDlg.h"
#include "ui/tuner/TunerChooser.h"

namespace {

constexpr const char* kCatalogue = "[Version]\n"
                                   "Signature = \"$Windows NT$\"\n"
                                   "Class = Unknown\n"
                                   "[Factory]\n"
                                   "Count = 2\n"
                                   "1 = \"Temic\"\n"
                                   "3 = \"Philips\"\n"
                                   "[03]\n"
                                   "Count = 1\n"
                                   "12 = \"Philips FI1216MF\"\n";

// A tuner by its codes and band edges; the band codes and carrier as a real one has them.
TunerSpecEntry Tuner(std::int32_t iFactory, std::int32_t iType, double low, double mid, double high, double end)
{
    TunerSpecEntry entry = TunerEntryWithEdges(iFactory, iType, low, mid, high, end);
    entry.SetLowCode(0x00A0);
    entry.SetMidCode(0x0090);
    entry.SetHighCode(0x0030);
    entry.SetPictureCarrier(38.9);
    return entry;
}

// 03:12 tunes 48.25 to 863.25 MHz; 01:05 only 100 to 500 MHz.
const TunerSpecEntry kPhilips = Tuner(0x03, 0x12, 48.25, 170.0, 450.0, 863.25);
const TunerSpecEntry kNarrow = Tuner(0x01, 0x05, 100.0, 200.0, 300.0, 500.0);

std::string WriteTuners(const std::string& path, const std::vector<TunerSpecEntry>& entries)
{
    TunerSpecTable table(true);
    EXPECT_TRUE(table.AppendEntries(entries));
    EXPECT_EQ(table.Save(path.c_str()), 1);
    return path;
}

EditorStatusLine& StatusLineOf(const CDialog& dlg)
{
    return *qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine());
}

// Until the summary is for the document and tuner as they are now.
bool WaitForCheck(EditorStatusLine& line)
{
    return WaitFor([&line] { return line.IsCheckCurrent() && line.CheckText() != "Checking…"; });
}

class CheckAgainstTunerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::ofstream(dir.File("TunerSpec.inf")) << kCatalogue;
        dlg.SetCataloguePath(dir.File("TunerSpec.inf"));
        dlg.Create();
    }

    void Load(const std::vector<double>& air, const std::vector<double>& cable)
    {
        WriteAll(tablePath, ChannelTableImage(49, air, cable, 1, cable.empty() ? 0 : 1));
        services.fileAnswers.push_back(QString::fromStdString(tablePath));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
        ASSERT_TRUE(dlg.Table());
    }

    // The command with the file and the tuner answered (nothing: cancel).
    void CheckAgainst(const std::optional<std::string>& file, std::optional<std::size_t> tuner)
    {
        services.fileAnswers.push_back(file ? std::optional<QString>(QString::fromStdString(*file)) : std::nullopt);
        services.tunerAnswers.push_back(tuner);
        ASSERT_TRUE(dlg.OnCommand(IDM_CHECK_AGAINST_TUNER));
        services.tunerAnswers.clear();
    }

    // The table's own findings, as Check Table shows them without a tuner.
    std::vector<QString> OwnFindings()
    {
        EXPECT_FALSE(dlg.ChosenTuner());
        dlg.OnCommand(IDM_CHECK_TABLE);
        CTableFindingsWindow* pWindow = Findings();
        return pWindow ? FindingRows(*pWindow) : std::vector<QString>();
    }

    CTableFindingsWindow* Findings() const { return dlg.findChild<CTableFindingsWindow*>(); }

    TempDir dir;
    const std::string tablePath = dir.File("de.ccf");
    const std::string tunersPath = dir.File("tuners.tsf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

} // namespace

// Channels on each band edge, just inside and just outside the tuner: only
// those outside are listed, after the table's own findings, each an error on
// its list and channel; activating one selects its row in its list.
TEST_F(CheckAgainstTunerTest, ListsExactlyTheChannelsOutsideTheTunerAfterTheTablesOwnFindings)
{
    ASSERT_NO_FATAL_FAILURE(Load({47.0, 48.25, 169.99, 170.0, 450.0, 863.25, 863.26}, {40.0, 112.25, 900.0}));
    const std::vector<QString> own = OwnFindings();
    WriteTuners(tunersPath, {kNarrow, kPhilips});

    CheckAgainst(tunersPath, 1);

    ASSERT_EQ(services.fileRequests.size(), 2u);
    const FileDialogRequest& request = services.fileRequests.back();
    EXPECT_EQ(request.title, "Check Against Tuner");
    EXPECT_TRUE(request.bOpen);
    EXPECT_TRUE(request.filter.startsWith("TSF Files (*.tsf)|*.tsf|"));
    // The chooser offered both tuners with the catalogue's names where it has them.
    ASSERT_EQ(services.tunerRequests.size(), 1u);
    const TunerChooserRequest& offered = services.tunerRequests[0];
    EXPECT_EQ(offered.tablePath, QString::fromStdString(tunersPath));
    ASSERT_EQ(offered.entries.size(), 2u);
    EXPECT_EQ(offered.names.FactoryName(0x03), "Philips");
    EXPECT_EQ(offered.names.TypeName(0x03, 0x12), "Philips FI1216MF");
    EXPECT_EQ(offered.names.FactoryName(0x01), "Temic");
    EXPECT_EQ(offered.names.TypeName(0x01, 0x05), "");

    ASSERT_TRUE(dlg.ChosenTuner());
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:12");
    EXPECT_EQ(dlg.ChosenTuner()->tablePath, tunersPath);
    EXPECT_EQ(TunerLabel(*dlg.ChosenTuner()), "03:12 Philips FI1216MF");

    CTableFindingsWindow* pWindow = Findings();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    std::vector<QString> expected = own;
    for (const char* row : {
             "Error|Antenna|1|air channel 1: 47 MHz is below the tuner's lowest band, which starts at 48.25 MHz",
             "Error|Antenna|7|air channel 7: 863.26 MHz is above the tuner's highest band, which ends at 863.25 MHz",
             "Error|Cable|1|cable channel 1: 40 MHz is below the tuner's lowest band, which starts at 48.25 MHz",
             "Error|Cable|3|cable channel 3: 900 MHz is above the tuner's highest band, which ends at 863.25 MHz",
         })
        expected.push_back(QString::fromLatin1(row));
    EXPECT_EQ(FindingRows(*pWindow), expected);
    EXPECT_TRUE(pWindow->SummaryText().startsWith("Against tuner 03:12 Philips FI1216MF: 4 channels outside. Errors: "))
        << pWindow->SummaryText().toStdString();

    // The cable finding, from the keyboard: the cable list is shown and its row selected.
    QTreeView* pView = pWindow->FindingsView();
    pView->setCurrentIndex(pView->model()->index(static_cast<int>(own.size()) + 3, 0));
    QTest::keyClick(pView, Qt::Key_Return);
    EXPECT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetSelectedRows(), std::vector<int>{2});
    // And back to the air list for channel 7.
    pView->setCurrentIndex(pView->model()->index(static_cast<int>(own.size()) + 1, 0));
    QTest::keyClick(pView, Qt::Key_Return);
    EXPECT_EQ(dlg.Mode(), ChannelModeAir);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetSelectedRows(), std::vector<int>{6});
}

// Check Table and the status line's summary run the same check while a
// tuner is chosen: the same rows and summary as the command showed.
TEST_F(CheckAgainstTunerTest, CheckTableAndTheSummaryButtonJudgeAgainstTheChosenTunerToo)
{
    ASSERT_NO_FATAL_FAILURE(Load({45.25, 55.25, 900.0}, {}));
    CheckAgainst(WriteTuners(tunersPath, {kPhilips}), 0);
    CTableFindingsWindow* pWindow = Findings();
    ASSERT_NE(pWindow, nullptr);
    const std::vector<QString> rows = FindingRows(*pWindow);
    const QString summary = pWindow->SummaryText();
    EXPECT_EQ(summary, "Against tuner 03:12 Philips FI1216MF: 2 channels outside. Errors: 2, warnings: 0");

    pWindow->SetFindings({}, FindingKind::Channel);
    pWindow->hide();
    ASSERT_TRUE(dlg.OnCommand(IDM_CHECK_TABLE));
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(FindingRows(*pWindow), rows);
    EXPECT_EQ(pWindow->SummaryText(), summary);

    EditorStatusLine& line = StatusLineOf(dlg);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "2 errors (2 channels outside tuner 03:12)");
    pWindow->SetFindings({}, FindingKind::Channel);
    pWindow->hide();
    QTest::mouseClick(line.CheckButton(), Qt::LeftButton);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(FindingRows(*pWindow), rows);
    EXPECT_EQ(pWindow->SummaryText(), summary);
    EXPECT_EQ(dlg.findChildren<CTableFindingsWindow*>().size(), 1);

    // The open window follows the table, as the status line does: an edit
    // that takes a channel inside the tuner, and its undo.
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "175.25");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_TRUE(WaitFor([&] {
        return pWindow->SummaryText() ==
               "Against tuner 03:12 Philips FI1216MF: 1 channel outside. Errors: 1, warnings: 0";
    })) << pWindow->SummaryText().toStdString();
    dlg.OnCommand(IDM_UNDO);
    EXPECT_TRUE(WaitFor([&] { return pWindow->SummaryText() == summary; })) << pWindow->SummaryText().toStdString();
}

// The status line's summary counts the channels outside the tuner and names
// it; it follows an edit, its undo and redo, and a change of tuner, which no
// undo takes back.
TEST_F(CheckAgainstTunerTest, TheSummaryFollowsEditsUndoAndTheTuner)
{
    ASSERT_NO_FATAL_FAILURE(Load({48.25, 155.25, 162.25}, {112.25}));
    EditorStatusLine& line = StatusLineOf(dlg);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "No problems");
    WriteTuners(tunersPath, {kNarrow, kPhilips});
    CheckAgainst(tunersPath, 1);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "No problems with tuner 03:12");

    // Channel 3 moved above the tuner's highest band.
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "870");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "1 error (1 channel outside tuner 03:12)");
    EXPECT_EQ(line.CheckButton()->accessibleDescription(), line.CheckText());

    dlg.OnCommand(IDM_UNDO);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "No problems with tuner 03:12");
    ASSERT_TRUE(dlg.ChosenTuner());
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:12");
    dlg.OnCommand(IDM_REDO);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "1 error (1 channel outside tuner 03:12)");

    // The narrow tuner (100 to 500 MHz): channel 1 lies below it, channel 3 above.
    CheckAgainst(tunersPath, 0);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "2 errors (2 channels outside tuner 01:05)");
    dlg.OnCommand(IDM_UNDO);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "1 error (1 channel outside tuner 01:05)");
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "01:05");

    // No tuner: the table's own summary again.
    dlg.ChooseTuner(std::nullopt);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), "No problems");
}

// A change of tuner makes every result the worker still owes stale: the
// summary never shows counts of one tuner with the codes of another.
TEST_F(CheckAgainstTunerTest, AResultForTheTunerBeforeNeverShows)
{
    ASSERT_NO_FATAL_FAILURE(Load({48.25, 55.25, 62.25}, {}));
    EditorStatusLine& line = StatusLineOf(dlg);
    ASSERT_TRUE(WaitForCheck(line));
    std::vector<QString> shown;
    QObject::connect(&line, &EditorStatusLine::CheckSummaryChanged, [&shown](const QString& s) { shown.push_back(s); });
    TunerChoice narrow{tunersPath, kNarrow, {}, {}};
    TunerChoice philips{tunersPath, kPhilips, {}, {}};
    // The narrow tuner's check finishes and its result waits in the event
    // queue while the other tuner is chosen.
    const std::uint64_t finished = line.Worker().FinishedCount();
    dlg.ChooseTuner(narrow);
    line.Worker().WaitUntilIdle();
    ASSERT_EQ(line.Worker().FinishedCount(), finished + 1);
    dlg.ChooseTuner(philips);
    ASSERT_TRUE(WaitForCheck(line));
    QTest::qWait(50);
    EXPECT_EQ(shown, std::vector<QString>{"No problems with tuner 03:12"});
}

// The second time, the file dialog offers the tuner table chosen before and
// the chooser has the tuner chosen before selected.
TEST_F(CheckAgainstTunerTest, ASecondCheckOffersTheFileAndTunerChosenBefore)
{
    ASSERT_NO_FATAL_FAILURE(Load({55.25}, {}));
    WriteTuners(tunersPath, {kNarrow, kPhilips});
    CheckAgainst(tunersPath, 1);
    EXPECT_EQ(services.fileRequests.back().fileName, "");
    EXPECT_EQ(services.fileRequests.back().directory, QString::fromStdString(dir.Path()));
    EXPECT_FALSE(services.tunerRequests.back().preselected);

    CheckAgainst(std::nullopt, std::nullopt);
    EXPECT_EQ(services.fileRequests.back().fileName, QString::fromStdString(tunersPath));
    CheckAgainst(tunersPath, 0);
    ASSERT_EQ(services.tunerRequests.size(), 2u);
    EXPECT_EQ(services.tunerRequests.back().preselected, std::optional<std::size_t>(1));
    CheckAgainst(tunersPath, std::nullopt);
    EXPECT_EQ(services.tunerRequests.back().preselected, std::optional<std::size_t>(0));
}

// Cancelling the file dialog or the chooser changes nothing: no tuner, the
// one chosen before, no findings window, the table untouched.
TEST_F(CheckAgainstTunerTest, CancelAtEitherStepChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Load({55.25, 900.0}, {}));
    WriteTuners(tunersPath, {kNarrow, kPhilips});
    const std::uint64_t changes = dlg.Document().ChangeCount();

    CheckAgainst(std::nullopt, 0);
    EXPECT_TRUE(services.tunerRequests.empty());
    CheckAgainst(tunersPath, std::nullopt);
    EXPECT_EQ(services.tunerRequests.size(), 1u);
    EXPECT_FALSE(dlg.ChosenTuner());
    EXPECT_EQ(Findings(), nullptr);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Document().ChangeCount(), changes);
    // Nothing was chosen, so nothing is offered again.
    CheckAgainst(std::nullopt, std::nullopt);
    EXPECT_EQ(services.fileRequests.back().fileName, "");

    CheckAgainst(tunersPath, 1);
    ASSERT_TRUE(dlg.ChosenTuner());
    int chosenSignals = 0;
    QObject::connect(&dlg, &CFrequencyTableDlg::TunerChosen, [&chosenSignals] { ++chosenSignals; });
    Findings()->hide();
    CheckAgainst(tunersPath, std::nullopt);
    CheckAgainst(std::nullopt, std::nullopt);
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:12");
    EXPECT_EQ(chosenSignals, 0);
    EXPECT_FALSE(Findings()->isVisible());
    EXPECT_EQ(dlg.Document().ChangeCount(), changes);

    // Without a table the command is greyed and does nothing.
    CFrequencyTableDlg empty{services};
    empty.Create();
    const std::size_t asked = services.fileRequests.size();
    empty.OnCommand(IDM_CHECK_AGAINST_TUNER);
    EXPECT_EQ(services.fileRequests.size(), asked);
}

// Tuner tables that cannot be used: each is said with the tuner editor's
// message (or that it holds no tuners), nothing is chosen, and nothing
// blocks, in a child so that a read that hangs fails the test at the limit.
TEST_F(CheckAgainstTunerTest, HostileTunerFilesAreSaidAndChooseNothing)
{
    ASSERT_NO_FATAL_FAILURE(Load({55.25}, {}));
    Bytes garbage(3000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 97 + 5);
    WriteAll(dir.File("garbage.tsf"), garbage);
    ASSERT_EQ(::mkfifo(dir.File("pipe.tsf").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.File("pipe.tsf"), dir.File("link.tsf"));
    // A count above the largest table, in a file as long as it says.
    Bytes oversize{0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'};
    PutI32(oversize, TunerSpecTable::kMaxEntries + 1);
    WriteAll(dir.File("oversize.tsf"), oversize);
    ASSERT_EQ(::truncate(dir.File("oversize.tsf").c_str(), 16 + 64LL * (TunerSpecTable::kMaxEntries + 1)), 0);
    std::filesystem::create_directory(dir.File("folder.tsf"));
    Bytes empty{0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'};
    PutI32(empty, 0);
    WriteAll(dir.File("empty.tsf"), empty);

    for (const char* name : {"garbage.tsf", "pipe.tsf", "link.tsf", "oversize.tsf", "folder.tsf", "empty.tsf"}) {
        const std::string path = dir.File(name);
        const std::optional<std::string> result = RunInChildWithin(20, [this, &path] {
            CheckAgainst(path, 0);
            std::string said;
            for (const QString& message : services.messages)
                said += message.toStdString() + "\n";
            return said + (dlg.ChosenTuner() ? "chosen" : "none") + " " + std::to_string(services.tunerRequests.size());
        });
        ASSERT_TRUE(result) << name << ": the command blocked or crashed";
        const std::string quoted = "\"" + path + "\"";
        if (std::string(name) == "empty.tsf") {
            EXPECT_EQ(*result, quoted + " holds no tuners to check against.\nnone 0");
        } else {
            EXPECT_EQ(result->rfind("Cannot load " + quoted + ": ", 0), 0u) << *result;
        }
        EXPECT_EQ(result->substr(result->size() - 7), "\nnone 0") << name;
        // A FIFO, even behind a link, is refused unopened and named for what it is.
        if (std::string(name) == "pipe.tsf" || std::string(name) == "link.tsf") {
            EXPECT_NE(result->find("FIFO"), std::string::npos) << *result;
        }
    }
    EXPECT_FALSE(dlg.ChosenTuner());
}

// The chooser itself, as the desktop's services run it: the rows with codes,
// names and band edges, the previous choice selected, the keyboard choosing.
TEST_F(CheckAgainstTunerTest, TheChooserDialogChoosesFromTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(Load({55.25}, {}));
    WriteTuners(tunersPath, {kNarrow, kPhilips, Tuner(0x03, 0x13, 50.0, 150.0, 400.0, 800.0)});
    dlg.ChooseTuner(TunerChoice{tunersPath, kPhilips, {}, {}});
    std::vector<QString> rows;
    QString title;
    QString label;
    QString accessibleName;
    std::optional<std::size_t> selectedAtOpen;
    services.onChooseTuner = [&](QWidget* pOwner, const TunerChooserRequest& request) -> std::optional<std::size_t> {
        CTunerChooserDlg chooser(request, pOwner);
        chooser.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&chooser));
        title = chooser.windowTitle();
        label = chooser.findChild<QLabel*>()->text();
        QTreeView* pView = chooser.TunersView();
        accessibleName = pView->accessibleName();
        const QAbstractItemModel* pModel = pView->model();
        for (int row = 0; row < pModel->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < pModel->columnCount(); ++column)
                cells << pModel->data(pModel->index(row, column)).toString();
            rows.push_back(cells.join('|'));
        }
        selectedAtOpen = chooser.SelectedIndex();
        EXPECT_TRUE(pView->hasFocus());
        // Down to the third tuner, and Enter chooses it.
        QTest::keyClick(pView, Qt::Key_Down);
        QTest::keyClick(pView, Qt::Key_Return);
        EXPECT_EQ(chooser.result(), QDialog::Accepted);
        return chooser.result() == QDialog::Accepted ? chooser.SelectedIndex() : std::nullopt;
    };
    CheckAgainst(tunersPath, std::nullopt);

    EXPECT_EQ(title, "Check Against Tuner");
    EXPECT_EQ(label, "&Tuners in tuners.tsf:");
    EXPECT_EQ(accessibleName, "Tuners");
    EXPECT_EQ(selectedAtOpen, std::optional<std::size_t>(1));
    EXPECT_EQ(rows, (std::vector<QString>{
                        "01|05|Temic|100.00 ~ 200.00 MHz|200.00 ~ 300.00 MHz|300.00 ~ 500.00 MHz",
                        "03|12|Philips FI1216MF|48.25 ~ 170.00 MHz|170.00 ~ 450.00 MHz|450.00 ~ 863.25 MHz",
                        "03|13|Philips|50.00 ~ 150.00 MHz|150.00 ~ 400.00 MHz|400.00 ~ 800.00 MHz",
                    }));
    ASSERT_TRUE(dlg.ChosenTuner());
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:13");
    EXPECT_EQ(TunerLabel(*dlg.ChosenTuner()), "03:13 Philips");

    // Escape cancels: the choice stays.
    services.onChooseTuner = [](QWidget* pOwner, const TunerChooserRequest& request) -> std::optional<std::size_t> {
        CTunerChooserDlg chooser(request, pOwner);
        chooser.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&chooser));
        QTest::keyClick(chooser.TunersView(), Qt::Key_Escape);
        EXPECT_EQ(chooser.result(), QDialog::Rejected);
        return chooser.result() == QDialog::Accepted ? chooser.SelectedIndex() : std::nullopt;
    };
    CheckAgainst(tunersPath, std::nullopt);
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:13");
}

// Without a catalogue the tuners are offered by their codes alone.
TEST(TunerLabels, CodesAloneWithoutNamesAndTheMakerNamedOnce)
{
    EXPECT_EQ(TunerLabel(kPhilips, "", ""), "03:12");
    EXPECT_EQ(TunerLabel(kPhilips, "Philips", ""), "03:12 Philips");
    EXPECT_EQ(TunerLabel(kPhilips, "Philips", "Philips FI1216MF"), "03:12 Philips FI1216MF");
    EXPECT_EQ(TunerLabel(kPhilips, "Philips", "FI1216MF"), "03:12 Philips FI1216MF");
    EXPECT_EQ(TunerLabel(kPhilips, "Philips", "PhilipsX 1"), "03:12 Philips PhilipsX 1");
    EXPECT_EQ(TunerLabel(kPhilips, "", "FI1216MF"), "03:12 FI1216MF");
}

// The whole job across the features that judge a table against a tuner: a
// table loaded, its band chart open, a tuner chosen, channels moved out of
// the tuner's bands by a bulk edit, undo, save. After each step what a person
// sees: the status line's summary, the chart's marks, the title, the file.
TEST_F(CheckAgainstTunerTest, ChartSummaryAndFileFollowABulkEditOutOfTheTunerAndItsUndo)
{
    ASSERT_NO_FATAL_FAILURE(Load({48.25, 55.25, 175.25, 471.25}, {112.25}));
    const Bytes loaded = ReadAll(tablePath);
    EditorStatusLine& line = StatusLineOf(dlg);

    ASSERT_TRUE(dlg.OnCommand(IDM_BAND_CHART));
    CBandChartWindow* pChart = dlg.BandChartWindow();
    ASSERT_NE(pChart, nullptr);
    EXPECT_EQ(pChart->View()->Chart().MarkCount(), 5u);
    EXPECT_EQ(pChart->View()->Chart().UncoveredCount(), 0u);

    CheckAgainst(WriteTuners(tunersPath, {kPhilips}), 0);
    ASSERT_TRUE(dlg.ChosenTuner());
    ASSERT_TRUE(WaitForCheck(line));
    const QString tunedSummary = line.CheckText();
    EXPECT_TRUE(tunedSummary.contains("tuner 03:12")) << tunedSummary.toStdString();
    EXPECT_FALSE(tunedSummary.contains("outside tuner")) << tunedSummary.toStdString();
    EXPECT_EQ(pChart->View()->Chart().UncoveredCount(), 0u);
    EXPECT_EQ(pChart->windowTitle(), "Band Chart \u2013 de.ccf");

    // Channels 3 and 4 moved up by 500 MHz: 471.25 leaves the high band's end.
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    pList->setFocus();
    pList->SetSelectedRows({2, 3});
    services.valueAnswers.push_back(std::vector<QString>{"+500"});
    ASSERT_TRUE(dlg.OnCommand(IDM_OFFSET_FREQUENCIES));
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 4), 971.25);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_TRUE(line.CheckText().contains("1 channel outside tuner 03:12")) << line.CheckText().toStdString();
    EXPECT_EQ(pChart->View()->Chart().UncoveredCount(), 1u);
    EXPECT_TRUE(dlg.windowTitle().startsWith("de.ccf*")) << dlg.windowTitle().toStdString();

    // Undo gives back the table, the summary and the chart; the tuner stays.
    ASSERT_TRUE(dlg.OnCommand(IDM_UNDO));
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 4), 471.25);
    ASSERT_TRUE(WaitForCheck(line));
    EXPECT_EQ(line.CheckText(), tunedSummary);
    EXPECT_EQ(pChart->View()->Chart().UncoveredCount(), 0u);
    ASSERT_TRUE(dlg.ChosenTuner());

    // Redo, then Save: the file on disk holds the moved channels.
    ASSERT_TRUE(dlg.OnCommand(IDM_REDO));
    ASSERT_TRUE(dlg.OnCommand(IDM_SAVE));
    EXPECT_EQ(ReadAll(tablePath), ChannelTableImage(49, {48.25, 55.25, 675.25, 971.25}, {112.25}, 1, 1));
    EXPECT_NE(ReadAll(tablePath), loaded);
    EXPECT_TRUE(dlg.windowTitle().startsWith("de.ccf \u2013")) << dlg.windowTitle().toStdString();
    EXPECT_EQ(pChart->View()->Chart().UncoveredCount(), 1u);
}

// The chart the editor exports and the one `vornalix-tool chart` writes for
// the same table and tuner are the same file, tuner names included: both name
// the tuner by the catalogue found beside the program.
TEST_F(CheckAgainstTunerTest, TheEditorsExportAndTheToolsChartAreOneFile)
{
    dlg.SetCataloguePath(std::filesystem::path(VORNALIX_TOOL).parent_path().append("TunerSpec.inf").string());
    ASSERT_NO_FATAL_FAILURE(Load({48.25, 0.0, 55.25, 175.25, 900.0}, {112.25}));
    const TunerSpecEntry temic = Tuner(0x02, 0x00, 45.0, 160.0, 440.0, 860.0);
    CheckAgainst(WriteTuners(tunersPath, {temic}), 0);
    ASSERT_TRUE(dlg.ChosenTuner());
    ASSERT_TRUE(dlg.OnCommand(IDM_BAND_CHART));
    CBandChartWindow* pChart = dlg.BandChartWindow();
    ASSERT_NE(pChart, nullptr);
    const std::string exported = dir.File("editor.svg");
    services.fileAnswers.push_back(QString::fromStdString(exported));
    QTest::mouseClick(pChart->findChild<QPushButton*>("BandChartExport"), Qt::LeftButton);

    const ToolRun run =
        RunToolProcess({"chart", tablePath, "--tuner", tunersPath + ":02:00", "-o", dir.File("tool.svg")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes editorSvg = ReadAll(exported);
    EXPECT_NE(std::string(editorSvg.begin(), editorSvg.end()).find("02:00 Temic PAL (4002 FH5)"), std::string::npos);
    EXPECT_EQ(editorSvg, ReadAll(dir.File("tool.svg")));
}
