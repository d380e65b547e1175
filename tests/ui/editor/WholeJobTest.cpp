// The whole job, as a person does it: a country's channel table from its plan
// to a checked file, a CSV for the spreadsheet and back, a program killed with
// unsaved changes and the work restored; a tuner table from nothing to a file;
// an old table converted and opened. The real dialogs run offscreen through
// their real handlers, files are judged by the real vornalix-tool, and what
// the person sees is checked after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QProcessEnvironment>
#include <QTreeView>

#include "edit/RecoveryStore.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/tool/ToolProcess.h"
#include "tests/ui/ChildRole.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CConvertDlg.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/CPlanChooserDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/DiskChangeBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

using Texts = std::vector<QString>;

// Opens every menu of the bar, as a person looking at them would, so that
// their items show their current text and state.
void OpenMenus(const CDialog& dialog)
{
    for (QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        emit pTitle->menu()->aboutToShow();
}

QAction* MenuItemOf(const CDialog& dialog, int command)
{
    OpenMenus(dialog);
    QAction* pAction = EditorFrame::Of(dialog)->MenuBar()->Action(command);
    EXPECT_NE(pAction, nullptr) << "no menu item " << command;
    return pAction;
}

void Trigger(const CDialog& dialog, int command)
{
    QAction* pAction = MenuItemOf(dialog, command);
    ASSERT_NE(pAction, nullptr);
    ASSERT_TRUE(pAction->isEnabled()) << "menu item " << command << " is greyed";
    pAction->trigger();
}

// Table > Convert Old Table... in the editor: the old table loaded into the
// converter, converted beside itself, and the converter closed.
void ConvertInTheConverter(CDialog& editor, FakeUserServices& services, const std::string& old)
{
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        services.fileAnswers.push_back(QString::fromStdString(old));
        Click(dialog, IDC_BUTTON_LOAD_FILE);
        Click(dialog, IDOK);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    Trigger(editor, IDC_BUTTON_CONVERT);
    services.onRunModal = nullptr;
}

// The Undo and Redo items as the Edit menu shows them: text, and enabled.
struct HistoryItems
{
    QString undo;
    bool bUndo;
    QString redo;
    bool bRedo;
    bool operator==(const HistoryItems& o) const
    {
        return undo == o.undo && bUndo == o.bUndo && redo == o.redo && bRedo == o.bRedo;
    }
};

void PrintTo(const HistoryItems& h, std::ostream* os)
{
    *os << "{" << h.undo.toStdString() << (h.bUndo ? "" : " (greyed)") << ", " << h.redo.toStdString()
        << (h.bRedo ? "" : " (greyed)") << "}";
}

HistoryItems HistoryOf(const CDialog& dialog)
{
    QAction* pUndo = MenuItemOf(dialog, IDM_UNDO);
    QAction* pRedo = MenuItemOf(dialog, IDM_REDO);
    if (!pUndo || !pRedo)
        return {};
    return {pUndo->text(), pUndo->isEnabled(), pRedo->text(), pRedo->isEnabled()};
}

// The channel editor's displays, top to bottom: mode, channel number, the
// frequency field, country code, country, TV system, air and cable ranges.
Texts DisplaysOf(const CDialog& dlg)
{
    Texts texts;
    for (int id :
         {IDC_STATIC_MODE, IDC_STATIC_CHANNEL_NUMBER, IDC_EDIT_FREQUENCY, IDC_STATIC_COUNTRY_CODE, IDC_STATIC_COUNTRY,
          IDC_STATIC_TV_SYSTEM, IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, IDC_STATIC_CABLE_MIN, IDC_STATIC_CABLE_MAX})
        texts.push_back(TextOf(dlg, id));
    return texts;
}

// Which of the channel editor's control groups a person can use.
std::vector<bool> ChannelControlsEnabled(const CDialog& dlg)
{
    std::vector<bool> enabled;
    for (int id : {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD,
                   IDC_BUTTON_RESET, IDC_BUTTON_SAVE_VALUE, IDC_BUTTON_SAVE_TO_FILE})
        enabled.push_back(EnabledOf(dlg, id));
    return enabled;
}

// Rows first to last, as a selection holds them.
std::vector<int> RowRun(int first, int last)
{
    std::vector<int> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(row);
    return rows;
}

// One list of a table as `vornalix-tool dump --json` reports it.
std::vector<double> DumpedList(const std::string& json, const char* list)
{
    const QJsonObject table = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    std::vector<double> frequencies;
    for (const QJsonValue& value : table.value(list).toObject().value("frequencies").toArray())
        frequencies.push_back(value.toDouble());
    return frequencies;
}

// The frequencies of a channel editor's list as its rows show them, empty slots 0.
std::vector<double> ShownFrequencies(const CDialog& dlg)
{
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    std::vector<double> frequencies;
    for (int row = 0; row < pList->GetItemCount(); ++row)
        frequencies.push_back(pList->GetItemText(row, 1).toDouble());
    return frequencies;
}

// The editor's title: the template's until the table has a file, then the
// file's name; "*" after it while there are unsaved changes.
const QString kTitle = "Vornalix";
const QString kTitleUnsaved = "Vornalix*";
const QString kTitleSaved = QStringLiteral("Germany.ccf \u2013 Vornalix");
const QString kTitleSavedEdited = QStringLiteral("Germany.ccf* \u2013 Vornalix");

class WholeJobTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg->Create(); }

    ListView* Channels() const { return dlg->GetListView(IDC_LIST_CHANNELS); }

    // File > New from Plan... by its key, Germany chosen in the chooser by its name.
    void NewFromPlanForGermany()
    {
        QString choice;
        services.onRunModal = [&](CDialog& dialog) {
            auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
            chooser.Create();
            TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "Germany");
            ListView* pCountries = chooser.GetListView(IDC_LIST_PLAN_COUNTRIES);
            EXPECT_EQ(pCountries->GetItemCount(), 1);
            ClickRow(pCountries, 0);
            choice = TextOf(chooser, IDC_STATIC_PLAN_CHOICE);
            Click(chooser, IDOK);
            return chooser.Result();
        };
        QTest::keyClick(dlg->GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_P, Qt::ControlModifier);
        services.onRunModal = nullptr;
        EXPECT_EQ(services.modalDialogs, Texts{"New from Plan"});
        EXPECT_TRUE(choice.startsWith("Germany (49, PAL_B)")) << choice.toStdString();
    }

    // Edit > Go to Channel..., the channel typed into its form.
    void GoToChannel(int channel)
    {
        services.valueAnswers.push_back(Texts{QString::number(channel)});
        Trigger(*dlg, IDM_GOTO_CHANNEL);
    }

    void PressShiftDown(int times)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(Channels(), Qt::Key_Down, Qt::ShiftModifier);
    }

    // Edit > Offset Frequencies..., the offset typed into its form.
    void OffsetSelection(const QString& offset)
    {
        services.valueAnswers.push_back(Texts{offset});
        Trigger(*dlg, IDM_OFFSET_FREQUENCIES);
    }

    QString Row(int row) const { return Channels()->GetItemText(row, 0) + "|" + Channels()->GetItemText(row, 1); }

    TempDir dir;
    TempDir home;
    // No plans of the machine's user: only the build tree's installed set.
    ScopedEnv dataHome{"XDG_DATA_HOME", home.Path().c_str()};
    FakeUserServices services;
    std::unique_ptr<CFrequencyTableDlg> dlg = std::make_unique<CFrequencyTableDlg>(services);
};

} // namespace

TEST_F(WholeJobTest, ACountrysChannelTableFromItsPlanToAFileAndBackAfterACrash)
{
    // The editor opens empty: nothing to edit but the table commands.
    EXPECT_EQ(dlg->windowTitle(), kTitle);
    EXPECT_EQ(Channels()->GetItemCount(), 0);
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo", false, "&Redo", false}));
    EXPECT_FALSE(MenuItemOf(*dlg, IDM_SAVE)->isEnabled());
    // Only Save As is there before a table (its dialog writes nothing then).
    EXPECT_EQ(ChannelControlsEnabled(*dlg), (std::vector<bool>{false, false, false, false, false, false, false, true}));

    // 1. New from Plan for Germany: both lists, the country and its ranges.
    NewFromPlanForGermany();
    EXPECT_EQ(DisplaysOf(*dlg), (Texts{"Antenna", "1", "", "49", "Germany", "PAL_B", "1", "69", "1", "107"}));
    EXPECT_EQ(ChannelControlsEnabled(*dlg), std::vector<bool>(8, true));
    EXPECT_EQ(Channels()->GetItemCount(), 69);
    EXPECT_EQ(Row(0), "001|48.25000");
    EXPECT_EQ(Row(12), "013|--");
    EXPECT_EQ(Row(20), "021|471.25000");
    EXPECT_EQ(dlg->windowTitle(), kTitleUnsaved);
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo New from Plan", true, "&Redo", false}));

    // Check Table: the findings window beside the editor, without an error.
    Trigger(*dlg, IDM_CHECK_TABLE);
    auto* pFindings = dlg->findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    EXPECT_TRUE(pFindings->isVisible());
    EXPECT_EQ(pFindings->windowTitle(), "Table Check");
    for (const QString& finding : FindingRows(*pFindings))
        EXPECT_FALSE(finding.startsWith("error", Qt::CaseInsensitive)) << finding.toStdString();
    EXPECT_EQ(pFindings->FindingCount(), 0) << FindingRows(*pFindings).front().toStdString();

    // 2. A frequency typed into channel 2 and saved as its value.
    ClickRow(Channels(), 1);
    EXPECT_EQ(DisplaysOf(*dlg)[1], "2");
    EXPECT_EQ(TextOf(*dlg, IDC_EDIT_FREQUENCY), "49.75000");
    TypeInto(*dlg, IDC_EDIT_FREQUENCY, "50.5");
    Click(*dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Row(1), "002|50.50000");
    EXPECT_EQ(DisplaysOf(*dlg), (Texts{"Antenna", "2", "", "49", "Germany", "PAL_B", "1", "69", "1", "107"}));
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Save value", true, "&Redo", false}));

    // Go to Channel 13 and Shift+Down seven times: channels 13 to 20, all empty slots.
    GoToChannel(13);
    EXPECT_EQ(Channels()->GetSelectedRows(), std::vector<int>{12});
    EXPECT_EQ(DisplaysOf(*dlg)[1], "13");
    PressShiftDown(7);
    EXPECT_EQ(Channels()->GetSelectedRows(), RowRun(12, 19));
    // An offset passes over empty slots: nothing changes and nothing is to undo.
    const Texts beforeEmptyOffset = ListRowTexts(*dlg, IDC_LIST_CHANNELS);
    OffsetSelection("+1");
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), beforeEmptyOffset);
    EXPECT_EQ(Channels()->GetSelectedRows(), RowRun(12, 19));
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Save value", true, "&Redo", false}));

    // Channels 5 to 12 the same way: each frequency 1 MHz up, the rows still selected.
    const Texts beforeOffset = ListRowTexts(*dlg, IDC_LIST_CHANNELS);
    GoToChannel(5);
    PressShiftDown(7);
    EXPECT_EQ(Channels()->GetSelectedRows(), RowRun(4, 11));
    OffsetSelection("+1");
    EXPECT_EQ(Row(3), "004|62.25000");
    EXPECT_EQ(Row(4), "005|176.25000");
    EXPECT_EQ(Row(11), "012|225.25000");
    EXPECT_EQ(Row(12), "013|--");
    EXPECT_EQ(Channels()->GetSelectedRows(), RowRun(4, 11));
    EXPECT_EQ(DisplaysOf(*dlg)[6], "1");
    EXPECT_EQ(DisplaysOf(*dlg)[7], "69");
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Offset Frequencies", true, "&Redo", false}));
    const Texts offsetRows = ListRowTexts(*dlg, IDC_LIST_CHANNELS);

    // Undo puts the rows back and names the step before; Redo does it again.
    Trigger(*dlg, IDM_UNDO);
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), beforeOffset);
    // The channel shown follows the table undo put back: channel 5, its old frequency.
    EXPECT_EQ(DisplaysOf(*dlg), (Texts{"Antenna", "5", "175.25000", "49", "Germany", "PAL_B", "1", "69", "1", "107"}));
    EXPECT_EQ(Row(4), "005|175.25000");
    EXPECT_EQ(Row(1), "002|50.50000");
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Save value", true, "&Redo Offset Frequencies", true}));
    Trigger(*dlg, IDM_REDO);
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), offsetRows);
    EXPECT_EQ(DisplaysOf(*dlg), (Texts{"Antenna", "5", "176.25000", "49", "Germany", "PAL_B", "1", "69", "1", "107"}));
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Offset Frequencies", true, "&Redo", false}));
    EXPECT_EQ(DisplaysOf(*dlg)[3], "49");

    // 3. Save As: the country's name proposed, the file written as the tool rebuilds it.
    const std::string saved = dir.File("Germany.ccf");
    services.fileAnswers.push_back(QString::fromStdString(saved));
    Trigger(*dlg, IDM_SAVE_AS);
    ASSERT_EQ(services.fileRequests.size(), 1u);
    EXPECT_EQ(services.fileRequests[0].title, "Save As");
    EXPECT_EQ(services.fileRequests[0].fileName, "Germany.ccf");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(dlg->Document().Modified());
    EXPECT_EQ(ReadAll(saved), dlg->Table()->FileImage());
    EXPECT_EQ(dlg->windowTitle(), kTitleSaved);
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), offsetRows);

    ToolRun run = RunToolProcess({"dump", "--json", saved});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<double> expectedAir = ShownFrequencies(*dlg);
    EXPECT_EQ(DumpedList(run.out, "air"), expectedAir);
    EXPECT_EQ(DumpedList(run.out, "cable").size(), 107u);
    EXPECT_NE(run.out.find("\"country_code\":49"), std::string::npos) << run.out;
    WriteAll(dir.File("Germany.json"), Bytes(run.out.begin(), run.out.end()));
    run = RunToolProcess({"build", dir.File("Germany.json"), "-o", dir.File("rebuilt.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("rebuilt.ccf")), ReadAll(saved));
    run = RunToolProcess({"check", saved});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    // The editor's own check of the edited table agrees: the window refilled, empty.
    Trigger(*dlg, IDM_CHECK_TABLE);
    EXPECT_EQ(dlg->findChildren<CTableFindingsWindow*>().size(), 1);
    EXPECT_EQ(pFindings->FindingCount(), 0) << FindingRows(*pFindings).front().toStdString();

    // 4. Export as CSV, a plain name under the CSV filter.
    services.fileAnswers.push_back(QString::fromStdString(dir.File("germany-air")));
    services.fileFilterAnswers.push_back(1);
    Trigger(*dlg, IDM_EXPORT);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(FileExists(dir.File("germany-air")));
    const std::string csv = dir.File("germany-air.csv");
    const std::vector<CsvRow> csvRows = ReadCsv(csv);
    ASSERT_EQ(csvRows.size(), 70u);
    EXPECT_EQ(csvRows[0], (CsvRow{"channel", "frequency_mhz"}));
    EXPECT_EQ(csvRows[2], (CsvRow{"2", "50.5"}));
    EXPECT_EQ(csvRows[5], (CsvRow{"5", "176.25"}));
    EXPECT_EQ(csvRows[13], (CsvRow{"13", "0"}));
    // Exporting changes nothing the person sees.
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), offsetRows);
    EXPECT_FALSE(dlg->Document().Modified());

    run = RunToolProcess({"build", "--csv", csv, "--country", "49", "-o", dir.File("x.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    run = RunToolProcess({"diff", saved, dir.File("x.ccf")});
    EXPECT_EQ(run.status, 1) << run.err;
    // Only the cable list, which an air list's CSV does not hold, differs.
    std::vector<std::string> diffLines;
    for (std::size_t start = 0; start < run.out.size();) {
        const std::size_t end = run.out.find('\n', start);
        diffLines.push_back(run.out.substr(start, end - start));
        start = end == std::string::npos ? run.out.size() : end + 1;
    }
    ASSERT_EQ(diffLines.size(), 108u) << run.out;
    EXPECT_EQ(diffLines[0], "cable range: 1 to 107 -> 0 to 0");
    for (std::size_t i = 1; i < diffLines.size(); ++i)
        EXPECT_EQ(diffLines[i].rfind("cable ", 0), 0u) << diffLines[i];

    // 5. Import that CSV into a fresh editor's new table.
    {
        FakeUserServices otherServices;
        CFrequencyTableDlg fresh(otherServices);
        fresh.Create();
        Trigger(fresh, IDC_BUTTON_CREATE_NEW);
        EXPECT_EQ(fresh.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0);
        EXPECT_EQ(DisplaysOf(fresh), (Texts{"Antenna", "1", "", "0", " -- ", " -- ", "", "", "", ""}));
        EXPECT_EQ(HistoryOf(fresh), (HistoryItems{"&Undo Create New", true, "&Redo", false}));
        otherServices.fileAnswers.push_back(QString::fromStdString(csv));
        Trigger(fresh, IDM_IMPORT);
        EXPECT_TRUE(otherServices.messages.empty());
        EXPECT_EQ(ListRowTexts(fresh, IDC_LIST_CHANNELS), offsetRows);
        EXPECT_EQ(DisplaysOf(fresh)[6], "1");
        EXPECT_EQ(DisplaysOf(fresh)[7], "69");
        EXPECT_EQ(HistoryOf(fresh), (HistoryItems{"&Undo Import", true, "&Redo", false}));
        Trigger(fresh, IDM_UNDO);
        EXPECT_EQ(fresh.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0);
        EXPECT_EQ(DisplaysOf(fresh), (Texts{"Antenna", "1", "", "0", " -- ", " -- ", "0", "0", "0", "0"}));
        EXPECT_EQ(HistoryOf(fresh), (HistoryItems{"&Undo Create New", true, "&Redo Import", true}));
    }

    // 6. Unsaved work, then the program dies with the editor: its copy stays behind.
    ClickRow(Channels(), 2);
    TypeInto(*dlg, IDC_EDIT_FREQUENCY, "56");
    Click(*dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Row(2), "003|56.00000");
    EXPECT_TRUE(dlg->Document().Modified());
    EXPECT_EQ(dlg->windowTitle(), kTitleSavedEdited);
    const Texts unsavedRows = ListRowTexts(*dlg, IDC_LIST_CHANNELS);
    const Bytes unsaved = dlg->Table()->FileImage();
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
        return copies.size() == 1 && ReadAll(copies[0].path) == unsaved;
    }));
    dlg.reset();
    ASSERT_EQ(ListRecoveryCopies("ccf").size(), 1u);
    EXPECT_NE(ReadAll(saved), unsaved); // the file still holds the saved table

    // A new editor; the row menu's Restore Unsaved Table... brings the work back.
    dlg = std::make_unique<CFrequencyTableDlg>(services);
    dlg->Create();
    EXPECT_EQ(Channels()->GetItemCount(), 0);
    EXPECT_EQ(dlg->windowTitle(), kTitle);
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    const std::size_t menus = services.menus.size();
    const std::size_t lists = services.recoveryLists.size();
    ClickRow(Channels(), 0, Qt::RightButton);
    ASSERT_EQ(services.menus.size(), menus + 1);
    EXPECT_EQ(services.menus[menus].back().text, "Restore Unsaved Table...");
    ASSERT_EQ(services.recoveryLists.size(), lists + 1);
    ASSERT_EQ(services.recoveryLists.back().rows.size(), 1u);
    EXPECT_EQ(services.recoveryLists.back().rows[0].source, "Germany.ccf");
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), unsavedRows);
    EXPECT_EQ(DisplaysOf(*dlg)[3], "49");
    EXPECT_EQ(DisplaysOf(*dlg)[4], "Germany");
    EXPECT_EQ(DisplaysOf(*dlg)[9], "107");
    EXPECT_TRUE(dlg->Document().Modified());
    EXPECT_EQ(dlg->windowTitle(), kTitleSavedEdited);
    EXPECT_EQ(HistoryOf(*dlg), (HistoryItems{"&Undo Restore Unsaved Table", true, "&Redo", false}));
    EXPECT_EQ(ChannelControlsEnabled(*dlg), std::vector<bool>(8, true));

    // Save writes to the file the work came from, without asking for a name.
    const std::size_t asked = services.fileRequests.size();
    Trigger(*dlg, IDM_SAVE);
    EXPECT_EQ(services.fileRequests.size(), asked);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ReadAll(saved), unsaved);
    EXPECT_FALSE(dlg->Document().Modified());
    EXPECT_EQ(dlg->windowTitle(), kTitleSaved);
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").empty(); }));
}

namespace {

// Factory 12 (Philips) with the tuner types 7 (X) and 2 (Y).
const char* const kCatalogue = "[Factory]\nCount = 1\n12 = Philips\n\n[18]\nCount = 2\n7 = X\n2 = Y\n";

// The tuner editor's nine input fields: band edges, band codes, picture carriers.
const int kTunerInputs[] = {IDC_EDIT_LOW_BAND_START, IDC_EDIT_MID_BAND_START,  IDC_EDIT_HIGH_BAND_START,
                            IDC_EDIT_HIGH_BAND_END,  IDC_EDIT_LOW_CODE,        IDC_EDIT_MID_CODE,
                            IDC_EDIT_HIGH_CODE,      IDC_EDIT_PICTURE_CARRIER, IDC_EDIT_PICTURE_CARRIER2};

Texts TunerInputsOf(const CDialog& dlg)
{
    Texts texts;
    for (int id : kTunerInputs)
        texts.push_back(TextOf(dlg, id));
    return texts;
}

void TypeTunerInputs(const CDialog& dlg, const Texts& texts)
{
    for (std::size_t i = 0; i < texts.size(); ++i)
        TypeInto(dlg, kTunerInputs[i], texts[i]);
}

// The selected entry's details: factory, tuner type, the three bands, their
// codes, the picture carriers.
Texts TunerDetailsOf(const CDialog& dlg)
{
    Texts texts;
    for (int id : {IDC_STATIC_FACTORY, IDC_STATIC_TUNER_TYPE, IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE,
                   IDC_STATIC_HIGH_RANGE, IDC_STATIC_LOW_CODE, IDC_STATIC_MID_CODE, IDC_STATIC_HIGH_CODE,
                   IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2})
        texts.push_back(TextOf(dlg, id));
    return texts;
}

// A choice made in a drop-down list: the item selected and the choice reported.
void Choose(const CDialog& dlg, int id, int index)
{
    auto* pCombo = Control<QComboBox>(dlg, id);
    ASSERT_TRUE(pCombo->isEnabled()) << "combo box " << id << " is disabled";
    pCombo->setCurrentIndex(index);
    emit pCombo->activated(index);
}

} // namespace

TEST(WholeJob, ATunerTableFromNothingToACheckedFile)
{
    TempDir dir;
    const std::string catalogue = dir.File("TunerSpec.inf");
    WriteAll(catalogue, Bytes(kCatalogue, kCatalogue + std::strlen(kCatalogue)));
    FakeUserServices services;
    CTunerEditDlg dlg(services);
    dlg.SetCataloguePath(catalogue);
    dlg.Create();
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    EXPECT_EQ(dlg.windowTitle(), "Tuner Specification Edit");
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo", false, "&Redo", false}));
    EXPECT_FALSE(EnabledOf(dlg, IDC_EDIT_LOW_BAND_START));
    EXPECT_FALSE(MenuItemOf(dlg, IDM_REPLACE_ENTRY)->isEnabled());

    // Create New: an empty table, the inputs open.
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    EXPECT_EQ(pList->GetItemCount(), 0);
    for (int id : kTunerInputs)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_TRUE(MenuItemOf(dlg, IDM_REPLACE_ENTRY)->isEnabled());
    EXPECT_FALSE(MenuItemOf(dlg, IDM_COPY_TO_INPUTS)->isEnabled());
    const HistoryItems created = HistoryOf(dlg);
    EXPECT_TRUE(created.bUndo);

    // Add Info twice: Philips X and Philips Y.
    const Texts first = {"48.25", "160", "442", "863.25", "0001", "0002", "0008", "38.9", ""};
    const Texts second = {"53", "157.25", "451.25", "803", "00A1", "0092", "0034", "45.75", "41.25"};
    Choose(dlg, IDC_COMBO_FACTORY, 0);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0);
    TypeTunerInputs(dlg, first);
    Click(dlg, IDC_BUTTON_ADD_INFO);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 1);
    TypeTunerInputs(dlg, second);
    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_TRUE(services.messages.empty());
    const Texts added = ListRowTexts(dlg, IDC_LIST_TUNERS);
    // Listed by their key: tuner type 02 before 07.
    EXPECT_EQ(added, (Texts{"000|12|02", "001|12|07"}));
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo Add Info", true, "&Redo", false}));

    // Copy to Inputs from Philips X: its values in the inputs, its details shown.
    const int xRow = 1;
    ClickRow(pList, xRow);
    // Codes as the details show them: the tuner type's two digits, band codes without leading zeros.
    EXPECT_EQ(TunerDetailsOf(dlg), (Texts{"Philips", "07", "48.25 ~ 160.00 MHz", "160.00 ~ 442.00 MHz",
                                          "442.00 ~ 863.25 MHz", "1", "2", "8", "38.90 MHz", "0.00 MHz"}));
    TypeTunerInputs(dlg, Texts(9, ""));
    Trigger(dlg, IDM_COPY_TO_INPUTS);
    EXPECT_EQ(TunerInputsOf(dlg), first);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), 0);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), 0);

    // Its low band code changed, Replace Entry: the entry in its place, one step.
    TypeInto(dlg, IDC_EDIT_LOW_CODE, "0004");
    Trigger(dlg, IDM_REPLACE_ENTRY);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "4"); // the replaced entry shown at once
    const Texts replaced = ListRowTexts(dlg, IDC_LIST_TUNERS);
    EXPECT_EQ(replaced, added); // in its place, under the same key
    ClickRow(pList, xRow);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "4");
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo Replace Entry", true, "&Redo", false}));

    // Undo gives the old code back; Redo the new one.
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(ListRowTexts(dlg, IDC_LIST_TUNERS), added);
    // The details never go on showing the entry undo took away.
    EXPECT_NE(TextOf(dlg, IDC_STATIC_LOW_CODE), "4");
    ClickRow(pList, xRow);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "1");
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo Add Info", true, "&Redo Replace Entry", true}));
    Trigger(dlg, IDM_REDO);
    EXPECT_EQ(ListRowTexts(dlg, IDC_LIST_TUNERS), replaced);
    EXPECT_NE(TextOf(dlg, IDC_STATIC_LOW_CODE), "1");
    ClickRow(pList, xRow);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "4");
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo Replace Entry", true, "&Redo", false}));

    // Save: the file the tool finds nothing in, holding the replaced code.
    const std::string path = dir.File("tuners.tsf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    EXPECT_EQ(dlg.windowTitle(), "Tuner Specification Edit*");
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ReadAll(path), dlg.Document().Table()->FileImage());
    EXPECT_FALSE(dlg.Document().Modified());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("tuners.tsf \u2013 Tuner Specification Edit"));
    // An undo after the save is an unsaved change; a redo back to the saved
    // table is none.
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("tuners.tsf* \u2013 Tuner Specification Edit"));
    Trigger(dlg, IDM_REDO);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("tuners.tsf \u2013 Tuner Specification Edit"));
    ToolRun run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    run = RunToolProcess({"dump", path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("entry 001 (12:07): sort key 718\n"
                           "  low band: 48.25 to 160 MHz, code 0004\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("code 0001"), std::string::npos) << run.out;
}

TEST(WholeJob, AnOldTableConvertedOpensInTheChannelEditor)
{
    TempDir dir;
    const std::string old = dir.File("de.cft");
    WriteAll(old, LegacyTableImage(49, {48.25f, 55.25f, 175.26f}, {112.25f, 119.25f}, 1, 3, 1, 2));
    FakeUserServices services;
    CFrequencyTableDlg editor(services);
    editor.Create();

    // Table > Convert Old Table...: the converter over the editor.
    bool bConverted = false;
    services.onRunModal = [&](CDialog& dialog) {
        auto& converter = dynamic_cast<CConvertDlg&>(dialog);
        converter.Create();
        EXPECT_EQ(converter.windowTitle(), "Convert");
        EXPECT_EQ(TextOf(converter, IDC_STATIC_STATUS), "Convert Status");
        EXPECT_FALSE(EnabledOf(converter, IDOK));
        services.fileAnswers.push_back(QString::fromStdString(old));
        Click(converter, IDC_BUTTON_LOAD_FILE);
        EXPECT_EQ(TextOf(converter, IDC_STATIC_PATH), QString::fromStdString(old));
        EXPECT_EQ(TextOf(converter, IDC_STATIC_STATUS), "---");
        EXPECT_TRUE(EnabledOf(converter, IDOK));
        EXPECT_FALSE(EnabledOf(converter, IDC_BUTTON_LOAD_FILE));
        // Convert Now by Enter on it; the converter stays open.
        converter.GotoDlgCtrl(IDOK);
        QTest::keyClick(converter.focusWidget(), Qt::Key_Return);
        EXPECT_EQ(TextOf(converter, IDC_STATIC_STATUS), "Convert OK, Save to File");
        EXPECT_FALSE(EnabledOf(converter, IDOK));
        EXPECT_TRUE(EnabledOf(converter, IDC_BUTTON_LOAD_FILE));
        bConverted = FileExists(dir.File("de.ccf"));
        // Enter again, on Load File now, asks for another file and closes nothing.
        QTest::keyClick(converter.focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(converter.isVisible());
        EXPECT_FALSE(converter.IsDestroyed());
        QTest::keyClick(converter.focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(converter.IsDestroyed());
        return converter.Result();
    };
    Trigger(editor, IDC_BUTTON_CONVERT);
    services.onRunModal = nullptr;
    EXPECT_EQ(services.modalDialogs, Texts{"Convert"});
    ASSERT_TRUE(bConverted);
    EXPECT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(editor.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0); // the editor's own table untouched

    // The .ccf beside it opens in the channel editor with the same frequencies.
    services.fileAnswers.push_back(QString::fromStdString(dir.File("de.ccf")));
    Trigger(editor, IDM_OPEN);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ListRowTexts(editor, IDC_LIST_CHANNELS), (Texts{"001|48.25000", "002|55.25000", "003|175.25999"}));
    // A load leaves the channel number as it was: the fresh editor's 0.
    EXPECT_EQ(DisplaysOf(editor), (Texts{"Antenna", "0", "", "49", "Germany", "PAL_B", "1", "3", "1", "2"}));
    EXPECT_EQ(editor.Table()->GetFrequency(ChannelModeAir, 3), static_cast<double>(175.26f));
    Control<QComboBox>(editor, IDC_COMBO_MODE)->setCurrentIndex(1);
    emit Control<QComboBox>(editor, IDC_COMBO_MODE)->activated(1);
    EXPECT_EQ(ListRowTexts(editor, IDC_LIST_CHANNELS), (Texts{"001|112.25000", "002|119.25000"}));
    EXPECT_EQ(TextOf(editor, IDC_STATIC_MODE), "Cable");
    EXPECT_EQ(HistoryOf(editor), (HistoryItems{"&Undo LoadFromFile", true, "&Redo", false}));

    // A fix saved, then the old table converted again: the fix goes to the
    // Trash, and the editor says that its file changed, without a question.
    Control<QComboBox>(editor, IDC_COMBO_MODE)->setCurrentIndex(0);
    emit Control<QComboBox>(editor, IDC_COMBO_MODE)->activated(0);
    ClickRow(editor.GetListView(IDC_LIST_CHANNELS), 2);
    TypeInto(editor, IDC_EDIT_FREQUENCY, "175.25");
    Click(editor, IDC_BUTTON_SAVE_VALUE);
    Trigger(editor, IDM_SAVE);
    const Bytes fixed = ReadAll(dir.File("de.ccf"));
    const auto* pBar = editor.findChild<DiskChangeBar*>();
    ASSERT_NE(pBar, nullptr);
    EXPECT_TRUE(pBar->isHidden()); // its own save is no change
    ConvertInTheConverter(editor, services, old);
    const Texts fixedRows{"001|48.25000", "002|55.25000", "003|175.25000"};
    const Texts convertedRows{"001|48.25000", "002|55.25000", "003|175.25999"};
    const std::string trash = qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/Trash/files/";
    EXPECT_EQ(ReadAll(trash + "de.ccf"), fixed);
    ASSERT_TRUE(WaitFor([&] { return !pBar->isHidden(); }));
    EXPECT_EQ(pBar->Text(), "de.ccf changed on disk");
    EXPECT_EQ(ListRowTexts(editor, IDC_LIST_CHANNELS), fixedRows);
    EXPECT_EQ(services.messages, Texts{});

    // Keep This Version: the bar goes, and Save writes the fix over the file.
    const_cast<DiskChangeBar*>(pBar)->KeepThisVersion();
    EXPECT_TRUE(pBar->isHidden());
    Trigger(editor, IDM_SAVE);
    EXPECT_EQ(ReadAll(dir.File("de.ccf")), fixed);
    QTest::qWait(50);
    EXPECT_TRUE(pBar->isHidden());

    // Converted once more, the fix is kept again; Reload takes the file as it
    // is now, as one step that Undo takes back.
    ConvertInTheConverter(editor, services, old);
    EXPECT_EQ(ReadAll(trash + "de.2.ccf"), fixed);
    ASSERT_TRUE(WaitFor([&] { return !pBar->isHidden(); }));
    const_cast<DiskChangeBar*>(pBar)->Reload();
    EXPECT_EQ(ListRowTexts(editor, IDC_LIST_CHANNELS), convertedRows);
    EXPECT_TRUE(pBar->isHidden());
    EXPECT_FALSE(editor.Document().Modified());
    Trigger(editor, IDM_UNDO);
    EXPECT_EQ(ListRowTexts(editor, IDC_LIST_CHANNELS), fixedRows);
}

namespace {

const char* const kChildDirVariable = "VORNALIX_WHOLE_JOB_CHILD_DIR";

// The child of the test below, a role and no test: opens the country's table
// in the channel editor, changes channel 3 without saving, leaves beside it
// the rows it shows and the table it holds, says so once its recovery copy is
// on disk, and waits to be killed.
int EditGermanyAndWaitToBeKilled()
{
    const std::string dir = qEnvironmentVariable(kChildDirVariable).toStdString();
    if (dir.empty())
        return EXIT_FAILURE;
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(QString::fromStdString(dir + "/Germany.ccf"));
    dlg.OnCommand(IDC_BUTTON_LOAD_FROM_FILE);
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "56");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    if (!dlg.Table() || !dlg.Document().Modified())
        return EXIT_FAILURE;
    const Bytes had = dlg.Table()->FileImage();
    WriteAll(dir + "/expected.ccf", had);
    const Texts shown = ListRowTexts(dlg, IDC_LIST_CHANNELS);
    const QByteArray rows = QStringList(shown.begin(), shown.end()).join('\n').toUtf8();
    WriteAll(dir + "/rows.txt", Bytes(rows.begin(), rows.end()));
    return ReadyOnceTheRecoveryCopyHolds(had);
}

const bool kEditGermanyAndWaitToBeKilled =
    RegisterChildRole("edit-germany-and-wait-to-be-killed", EditGermanyAndWaitToBeKilled);

} // namespace

// The program killed while the person had unsaved work in a table of a file:
// a new editor restores exactly what was on screen, and Save goes back to
// that file without asking.
TEST(WholeJob, AKilledEditorsWorkComesBackAndSavesToItsFile)
{
    TempDir dir;
    const std::string table = dir.File("Germany.ccf");
    ToolRun run = RunToolProcess({"build", "--country-plan", "Germany", "-o", table});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes before = ReadAll(table);

    QProcessEnvironment environment;
    environment.insert("XDG_STATE_HOME", qEnvironmentVariable("XDG_STATE_HOME"));
    environment.insert(kChildDirVariable, QString::fromStdString(dir.Path()));
    ASSERT_TRUE(kEditGermanyAndWaitToBeKilled);
    ASSERT_TRUE(RunChildRoleUntilReadyThenKill("edit-germany-and-wait-to-be-killed", environment));

    // The file is as it was; the copy holds the work.
    EXPECT_EQ(ReadAll(table), before);
    const Bytes had = ReadAll(dir.File("expected.ccf"));
    ASSERT_FALSE(had.empty());
    EXPECT_NE(had, before);
    const Bytes rowsText = ReadAll(dir.File("rows.txt"));
    const QStringList rowList =
        QString::fromUtf8(reinterpret_cast<const char*>(rowsText.data()), static_cast<int>(rowsText.size()))
            .split('\n');
    const Texts hadRows(rowList.begin(), rowList.end());
    ASSERT_EQ(hadRows.size(), 69u);
    EXPECT_EQ(hadRows[2], "003|56.00000");

    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0);
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo", false, "&Redo", false}));
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
    ASSERT_EQ(services.menus.size(), 1u);
    EXPECT_EQ(services.menus[0].back().text, "Restore Unsaved Table...");
    ASSERT_EQ(services.recoveryLists.size(), 1u);
    ASSERT_EQ(services.recoveryLists[0].rows.size(), 1u);
    EXPECT_EQ(services.recoveryLists[0].rows[0].source, "Germany.ccf");
    EXPECT_EQ(ListRowTexts(dlg, IDC_LIST_CHANNELS), hadRows);
    EXPECT_EQ(DisplaysOf(dlg), (Texts{"Antenna", "0", "", "49", "Germany", "PAL_B", "1", "69", "1", "107"}));
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_EQ(HistoryOf(dlg), (HistoryItems{"&Undo Restore Unsaved Table", true, "&Redo", false}));
    // Undo and redo of the restore keep the restored table tied to its file.
    const std::string tied = dlg.Document().SavePath();
    ASSERT_FALSE(tied.empty());
    Trigger(dlg, IDM_UNDO);
    Trigger(dlg, IDM_REDO);
    EXPECT_EQ(dlg.Document().SavePath(), tied);
    EXPECT_EQ(ListRowTexts(dlg, IDC_LIST_CHANNELS), hadRows);

    Trigger(dlg, IDM_SAVE);
    EXPECT_TRUE(services.fileRequests.empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ReadAll(table), had);
    EXPECT_FALSE(dlg.Document().Modified());
    EXPECT_TRUE(WaitFor([] { return ListRecoveryCopies("ccf").empty(); }));
    run = RunToolProcess({"check", table});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

// Every writer of the editors pointed at a link to a character device (one of
// the test's own): Save To File and Export refuse it with its reason, the
// window sizes are not kept in it, and the link and the device stay.
TEST(WholeJob, NoWriterOfTheEditorsWritesThroughALinkToADevice)
{
    TempDir dir;
    if (!MakeNullDevice(dir.File("null")))
        GTEST_SKIP() << "this user may not make a device";
    const std::string sizes = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString() + "/vornalix/windows.conf";
    std::filesystem::create_directories(std::filesystem::path(sizes).parent_path());
    for (const std::string& link : {dir.File("out.ccf"), dir.File("out.csv"), sizes})
        std::filesystem::create_symlink(dir.File("null"), link);
    WriteAll(dir.File("de.ccf"), ChannelTableImage(49, {48.25, 55.25}, {112.25}, 1, 1));
    FakeUserServices services;
    {
        CFrequencyTableDlg editor(services);
        editor.Create();
        services.fileAnswers.push_back(QString::fromStdString(dir.File("de.ccf")));
        Trigger(editor, IDM_OPEN);
        for (const auto& [command, name] : {std::pair<int, const char*>{IDM_SAVE_AS, "out.ccf"},
                                            std::pair<int, const char*>{IDM_EXPORT, "out.csv"}}) {
            services.fileAnswers.push_back(QString::fromStdString(dir.File(name)));
            Trigger(editor, command);
            ASSERT_FALSE(services.messages.empty()) << name;
            EXPECT_TRUE(services.messages.back().contains("it is a character device, not a regular file"))
                << services.messages.back().toStdString();
        }
        editor.resize(editor.width() + 40, editor.height() + 40);
        editor.EndDialog(IDCANCEL);
    }
    EXPECT_EQ(services.messages.size(), 2u);
    for (const std::string& link : {dir.File("out.ccf"), dir.File("out.csv"), sizes})
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    EXPECT_TRUE(std::filesystem::is_character_file(dir.File("null")));
}

// One list filled again from its plan, values pasted at the end and rounded,
// checked and saved; the file converted over from an old table while open,
// reloaded, and the editor killed with the reload undone: its work restored
// and undone again. After each step: the rows, the title, the undo step.
TEST_F(WholeJobTest, AListFromItsPlanPastedRoundedSavedConvertedOverAndRestored)
{
    NewFromPlanForGermany();
    const Texts planAir = ListRowTexts(*dlg, IDC_LIST_CHANNELS);
    ClickRow(Channels(), 1);
    TypeInto(*dlg, IDC_EDIT_FREQUENCY, "50.5");
    Click(*dlg, IDC_BUTTON_SAVE_VALUE);
    TypeInto(*dlg, IDC_EDIT_COUNTRY_CODE, "43");
    Click(*dlg, IDC_BUTTON_ENTER);

    // Fill This List: the air list from Germany's plan again, Austria's code kept.
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "ms-western-europe-broadcast");
        ClickRow(chooser.GetListView(IDC_LIST_PLANS), 0);
        Click(chooser, IDC_BUTTON_FILL_LIST);
        return chooser.Result();
    };
    Trigger(*dlg, IDM_NEW_FROM_PLAN);
    services.onRunModal = nullptr;
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), planAir);
    EXPECT_EQ(DisplaysOf(*dlg)[3], "43");
    EXPECT_EQ(HistoryOf(*dlg).undo, "&Undo Fill This List");

    // Paste at End with channel 2 current; a converted value's float noise is
    // a warning of the check until Round Frequencies takes it to whole kHz.
    ClickRow(Channels(), 1);
    QGuiApplication::clipboard()->setText("543.2999877929688\n");
    Trigger(*dlg, IDM_PASTE_AT_END);
    EXPECT_EQ(Row(69), "070|543.29999");
    EXPECT_EQ(Channels()->GetSelectedRows(), std::vector<int>{69});
    EXPECT_EQ(HistoryOf(*dlg).undo, "&Undo Paste at End");
    Trigger(*dlg, IDM_CHECK_TABLE);
    auto* pFindings = dlg->findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    const Texts warned = FindingRows(*pFindings);
    EXPECT_TRUE(std::any_of(warned.begin(), warned.end(), [](const QString& row) {
        return row.contains("channel 70") && row.contains("not a whole number of kHz");
    })) << warned.size();
    services.valueAnswers.push_back(Texts{"1"});
    Trigger(*dlg, IDM_ROUND_FREQUENCIES);
    EXPECT_EQ(Row(69), "070|543.30000");
    EXPECT_EQ(dlg->Table()->GetFrequency(ChannelModeAir, 70), 543.3);
    ASSERT_TRUE(WaitFor([&] {
        const Texts rows = FindingRows(*pFindings);
        return std::none_of(rows.begin(), rows.end(), [](const QString& row) { return row.contains("kHz"); });
    }));

    // Saved; then an old table is converted over the file while it is open.
    const std::string saved = dir.File("Austria.ccf");
    services.fileAnswers.push_back(QString::fromStdString(saved));
    Trigger(*dlg, IDM_SAVE_AS);
    EXPECT_EQ(services.fileRequests.back().fileName, "Austria.ccf");
    const Bytes savedImage = ReadAll(saved);
    EXPECT_EQ(savedImage, dlg->Table()->FileImage());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Austria.ccf \u2013 Vornalix"));
    const std::string old = dir.File("Austria.cft");
    WriteAll(old, LegacyTableImage(43, {48.25f, 55.25f}, {112.25f}, 1, 2, 1, 1));
    ConvertInTheConverter(*dlg, services, old);
    EXPECT_EQ(ReadAll(home.File("Trash/files/Austria.ccf")), savedImage);
    auto* pBar = dlg->findChild<DiskChangeBar*>();
    ASSERT_NE(pBar, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !pBar->isHidden(); }));
    pBar->Reload();
    EXPECT_EQ(ListRowTexts(*dlg, IDC_LIST_CHANNELS), (Texts{"001|48.25000", "002|55.25000"}));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Austria.ccf \u2013 Vornalix"));

    // Undo of the reload is unsaved work; the editor dies and it comes back.
    Trigger(*dlg, IDM_UNDO);
    const Bytes unsaved = dlg->Table()->FileImage();
    EXPECT_EQ(unsaved, savedImage);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Austria.ccf* \u2013 Vornalix"));
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
        return copies.size() == 1 && ReadAll(copies[0].path) == unsaved;
    }));
    dlg.reset();
    dlg = std::make_unique<CFrequencyTableDlg>(services);
    dlg->Create();
    services.menuAnswers.push_back(IDM_RESTORE_UNSAVED);
    services.recoveryListAnswers.push_back({{FakeUserServices::RecoveryListStep::Action::Restore, 0}});
    ClickRow(Channels(), 0, Qt::RightButton);
    EXPECT_EQ(dlg->Table()->FileImage(), unsaved);
    // The file holds newer work now (the conversion): Save would ask for a name.
    EXPECT_EQ(dlg->windowTitle(), kTitleUnsaved);
    EXPECT_EQ(HistoryOf(*dlg).undo, "&Undo Restore Unsaved Table");
    Trigger(*dlg, IDM_UNDO);
    EXPECT_EQ(Channels()->GetItemCount(), 0);
    EXPECT_EQ(dlg->windowTitle(), kTitle);
}
