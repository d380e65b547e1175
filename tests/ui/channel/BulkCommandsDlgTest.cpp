// The channel editor's bulk edits through its real widgets: the row menu and
// its commands, Alt+Up and Alt+Down in the list, the values asked for in a
// form, the rows shown and the rows left selected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

class BulkCommandsDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

    void Load(const std::vector<double>& air)
    {
        const std::string path = dir.File("t.ccf");
        WriteAll(path, ChannelTableImage(44, air, {}, 1, 0));
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }

    // The frequency column, as shown.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < List()->GetItemCount(); ++row) {
            EXPECT_EQ(List()->GetItemText(row, 0).toInt(), row + 1);
            rows.push_back(List()->GetItemText(row, 1).toStdString());
        }
        return rows;
    }
    std::vector<int> Selected() { return List()->GetSelectedRows(); }

    void Select(const std::vector<int>& rows)
    {
        List()->setFocus();
        List()->SetSelectedRows(rows);
    }

    // A command whose form is answered with these texts.
    void Run(int command, std::vector<QString> answers)
    {
        services.valueAnswers.push_back(std::move(answers));
        dlg.OnCommand(command);
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

using Texts = std::vector<std::string>;

TEST_F(BulkCommandsDlgTest, TheRowMenuKeepsItsItemsFirstAndOffersTheBulkEditsBeforeUndo)
{
    Load({10, 20, 30});
    services.menuAnswers.push_back(IDM_MOVE_DOWN);
    ClickRow(List(), 0, Qt::RightButton);
    ASSERT_EQ(services.menus.size(), 1u);
    const std::vector<MenuItem>& menu = services.menus[0];
    const std::vector<std::pair<int, QString>> expected = {
        {IDM_INSERT_BLANK_ITEM, "Insert Blank Item"},
        {IDM_DELETE_ITEM, "Delete Item"},
        {0, ""},
        {IDM_MOVE_UP, "Move U&p\tAlt+Up"},
        {IDM_MOVE_DOWN, "Move &Down\tAlt+Down"},
        {IDM_MOVE_TO_CHANNEL, "&Move to Channel..."},
        {IDM_OFFSET_FREQUENCIES, "&Offset Frequencies..."},
        {IDM_ROUND_FREQUENCIES, "Rou&nd Frequencies..."},
        {IDM_CLEAR_TO_EMPTY, "&Clear to Empty Slot"},
        {IDM_SORT_SELECTION, "&Sort Selection by Frequency"},
        {IDM_FILL_DOWN, "Fill Do&wn\tCtrl+D"},
        {IDM_FILL_SERIES, "Fi&ll Series..."},
        {IDM_FILL_RASTER, "F&ill Raster..."},
        {0, ""},
        {IDM_UNDO, "&Undo LoadFromFile"},
        {IDM_REDO, "&Redo"},
    };
    ASSERT_EQ(menu.size(), expected.size());
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].command, expected[i].first) << i;
        EXPECT_EQ(menu[i].text, expected[i].second) << i;
        EXPECT_EQ(menu[i].bEnabled, expected[i].first != IDM_REDO) << i;
    }
    // The chosen item ran on the row clicked, which stays selected where it went.
    EXPECT_EQ(Shown(), (Texts{"20.00000", "10.00000", "30.00000"}));
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");

    // Without a selected row only "Fill Raster..." can be chosen.
    List()->clearSelection();
    services.menuAnswers.push_back(0);
    QWidget* pViewport = List()->viewport();
    QTest::mouseClick(pViewport, Qt::RightButton, Qt::NoModifier, QPoint(10, pViewport->height() - 4));
    ASSERT_EQ(services.menus.size(), 2u);
    for (const MenuItem& item : services.menus[1]) {
        if (item.command >= IDM_MOVE_UP && item.command <= IDM_FILL_RASTER) {
            EXPECT_EQ(item.bEnabled, item.command == IDM_FILL_RASTER) << item.text.toStdString();
        }
    }
}

TEST_F(BulkCommandsDlgTest, MovesKeepTheirRowsSelectedAndAltArrowsMoveThemInTheList)
{
    Load({10, 20, 0, 40, 50, 60});
    Select({1, 3, 4});
    dlg.OnCommand(IDM_MOVE_UP);
    EXPECT_EQ(Shown(), (Texts{"20.00000", "10.00000", "40.00000", "50.00000", "--", "60.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "6");
    // At the top nothing moves and nothing becomes undoable.
    const std::size_t steps = dlg.Document().UndoCount();
    dlg.OnCommand(IDM_MOVE_UP);
    EXPECT_EQ(dlg.Document().UndoCount(), steps);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3}));

    // Alt+Down in the list, twice: the block goes down, the range follows
    // the empty slot.
    QTest::keyClick(List(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(List(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Shown(), (Texts{"10.00000", "--", "20.00000", "60.00000", "40.00000", "50.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5}));
    QTest::keyClick(List(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(Shown(), (Texts{"10.00000", "20.00000", "--", "40.00000", "50.00000", "60.00000"}));
    EXPECT_EQ(dlg.Document().UndoName(), "Move Up");

    // Undo takes back one move at a time, rows and range alike.
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(Shown(), (Texts{"10.00000", "--", "20.00000", "60.00000", "40.00000", "50.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
}

TEST_F(BulkCommandsDlgTest, MoveToChannelAsksForTheChannelAndRefusesWhatIsNotOne)
{
    Load({10, 20, 30, 40, 50});
    Select({0, 2});
    Run(IDM_MOVE_TO_CHANNEL, {"4"});
    ASSERT_EQ(services.valueRequests.size(), 1u);
    EXPECT_EQ(services.valueRequests[0].title, "Move to Channel");
    ASSERT_EQ(services.valueRequests[0].fields.size(), 1u);
    EXPECT_EQ(services.valueRequests[0].fields[0].label, "&Channel:");
    EXPECT_EQ(services.valueRequests[0].fields[0].initial, "1");
    EXPECT_EQ(Shown(), (Texts{"20.00000", "40.00000", "50.00000", "10.00000", "30.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "4");
    EXPECT_TRUE(services.messages.empty());

    // Text that is not a whole number, or a channel beyond the rows not
    // moved + 1: a message, and nothing changes.
    const std::size_t steps = dlg.Document().UndoCount();
    for (const char* typed : {"abc", "2x", "", "5", "0", "1.5"}) {
        Run(IDM_MOVE_TO_CHANNEL, {typed});
        EXPECT_EQ(Shown(), (Texts{"20.00000", "40.00000", "50.00000", "10.00000", "30.00000"})) << typed;
    }
    EXPECT_EQ(services.messages.size(), 6u);
    EXPECT_EQ(services.messages.back(), "The channel must be a whole number from 1 to 4.");
    EXPECT_EQ(dlg.Document().UndoCount(), steps);
    // Cancelled: no message either.
    dlg.OnCommand(IDM_MOVE_TO_CHANNEL);
    EXPECT_EQ(services.messages.size(), 6u);

    Run(IDM_MOVE_TO_CHANNEL, {" +1 "});
    EXPECT_EQ(Shown(), (Texts{"10.00000", "30.00000", "20.00000", "40.00000", "50.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
}

// A converted table's float noise rounded away, for the selection alone, as
// one step; a step that is not offered is refused.
TEST_F(BulkCommandsDlgTest, RoundFrequenciesRoundsTheSelectionToTheStepAsked)
{
    Load({static_cast<double>(543.3f), 48.2625, static_cast<double>(175.26f)});
    Select({0, 1});
    Run(IDM_ROUND_FREQUENCIES, {"7"});
    EXPECT_EQ(services.messages, std::vector<QString>{"The step is 1, 50 or 250 kHz."});
    Run(IDM_ROUND_FREQUENCIES, {"1"});
    EXPECT_EQ(services.valueRequests.back().title, "Round Frequencies");
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 1), 543.3);
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 2), 48.263);
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 3), static_cast<double>(175.26f));
    EXPECT_EQ(dlg.Document().UndoName(), "Round Frequencies");
    Run(IDM_ROUND_FREQUENCIES, {"250"});
    EXPECT_EQ(Shown(), (Texts{"543.25000", "48.25000", "175.25999"}));
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(Shown(), (Texts{"543.30000", "48.26300", "175.25999"}));
}

TEST_F(BulkCommandsDlgTest, OffsetClearAndSortChangeTheSelectedRowsOnly)
{
    Load({0, 90, 30, 60, 45});
    Select({0, 1, 2, 3});
    Run(IDM_OFFSET_FREQUENCIES, {"+0.25"});
    EXPECT_EQ(services.valueRequests.back().title, "Offset Frequencies");
    EXPECT_EQ(services.valueRequests.back().fields.at(0).label, "&Offset (MHz):");
    EXPECT_EQ(Shown(), (Texts{"--", "90.25000", "30.25000", "60.25000", "45.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2, 3}));
    Run(IDM_OFFSET_FREQUENCIES, {"-0.25MHz"});
    EXPECT_EQ(services.messages.size(), 1u);
    Run(IDM_OFFSET_FREQUENCIES, {"-1"});
    EXPECT_EQ(Shown(), (Texts{"--", "89.25000", "29.25000", "59.25000", "45.00000"}));

    dlg.OnCommand(IDM_SORT_SELECTION);
    EXPECT_EQ(Shown(), (Texts{"29.25000", "59.25000", "89.25000", "--", "45.00000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");

    Select({0, 4});
    dlg.OnCommand(IDM_CLEAR_TO_EMPTY);
    EXPECT_EQ(Shown(), (Texts{"--", "59.25000", "89.25000", "--", "--"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 4}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "3");
    EXPECT_EQ(dlg.Document().UndoName(), "Clear to Empty Slot");
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(Shown(), (Texts{"29.25000", "59.25000", "89.25000", "--", "45.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "5");
}

// What the widgets add to the fills and Find and Replace: the key, the
// forms, the refusals and the note (their values are the document's tests').
TEST_F(BulkCommandsDlgTest, FillsAndFindAndReplaceByTheirKeysAndForms)
{
    Load({48.25, 0, 471.25, 479.25});
    Select({0, 2, 3});
    QTest::keyClick(List(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(dlg.Document().UndoName(), "Fill Down");
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3}));
    Run(IDM_FILL_SERIES, {"471.25", "eight"});
    EXPECT_EQ(services.valueRequests.back().fields.at(1).label, "S&tep (MHz):");
    EXPECT_EQ(services.messages.size(), 1u);

    Run(IDM_FIND_REPLACE, {"479.25-470", "1", "the list shown"});
    EXPECT_EQ(services.valueRequests.back().fields.at(2).choices, (QStringList{"the list shown", "both lists"}));
    EXPECT_EQ(services.messages.size(), 2u);
    const auto note = [this] {
        return qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine())->NoteText();
    };
    Run(IDM_FIND_REPLACE, {"48 - 48.5", "+0.5", "both lists"});
    EXPECT_EQ(note(), "3 channels changed");
    EXPECT_EQ(Shown()[3], "0.50000");
    Run(IDM_FIND_REPLACE, {"100", "1", "the list shown"});
    EXPECT_EQ(note(), "No channel was found: nothing changed");
}

TEST_F(BulkCommandsDlgTest, FillRasterAppendsOrInsertsAndRefusesAListPastTheLimit)
{
    Load({10, 20});
    List()->clearSelection();
    Run(IDM_FILL_RASTER, {"112.25", "8", "3", "at the end"});
    ASSERT_EQ(services.valueRequests.size(), 1u);
    EXPECT_EQ(services.valueRequests[0].title, "Fill Raster");
    ASSERT_EQ(services.valueRequests[0].fields.size(), 4u);
    EXPECT_EQ(services.valueRequests[0].fields[0].label, "&Start (MHz):");
    EXPECT_EQ(services.valueRequests[0].fields[1].label, "S&tep (MHz):");
    EXPECT_EQ(services.valueRequests[0].fields[2].label, "&Count:");
    EXPECT_EQ(services.valueRequests[0].fields[3].label, "&Where:");
    EXPECT_EQ(services.valueRequests[0].fields[3].choices, QStringList{"at the end"});
    EXPECT_EQ(Shown(), (Texts{"10.00000", "20.00000", "112.25000", "120.25000", "128.25000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "5");

    // With rows selected: before the first of them, or at the end, as chosen.
    Select({1, 3});
    Run(IDM_FILL_RASTER, {"5", "-.5", "2", "before channel 2"});
    EXPECT_EQ(services.valueRequests.back().fields[3].choices, (QStringList{"before channel 2", "at the end"}));
    EXPECT_EQ(services.valueRequests.back().fields[3].initial, "before channel 2");
    EXPECT_EQ(Shown(), (Texts{"10.00000", "5.00000", "4.50000", "20.00000", "112.25000", "120.25000", "128.25000"}));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    Run(IDM_FILL_RASTER, {"700", "1", "1", "at the end"});
    EXPECT_EQ(Shown().back(), "700.00000");
    dlg.OnCommand(IDM_UNDO);

    for (const std::vector<QString>& bad :
         {std::vector<QString>{"x", "8", "1", ""}, std::vector<QString>{"1", "8", "0", ""},
          std::vector<QString>{"1", "8", "2.5", ""}, std::vector<QString>{"1", "inf", "1", ""}})
        Run(IDM_FILL_RASTER, bad);
    EXPECT_EQ(services.messages.size(), 4u);
    EXPECT_EQ(List()->GetItemCount(), 7);

    // 65,535 channels at most, and the count that would pass it is refused whole.
    Run(IDM_FILL_RASTER, {"1", "1", "65529", "at the end"});
    EXPECT_EQ(services.messages.size(), 5u);
    EXPECT_EQ(services.messages.back(),
              "The count must be a whole number from 1 to 65528: a list holds at most 65535 channels.");
    EXPECT_EQ(List()->GetItemCount(), 7);
    Run(IDM_FILL_RASTER, {"1", "1", "65528", "at the end"});
    EXPECT_EQ(List()->GetItemCount(), ChannelTable::kMaxChannels);
    Run(IDM_FILL_RASTER, {"1", "1", "1", "at the end"});
    EXPECT_EQ(services.messages.back(), "The list already holds 65535 channels, the most it may hold.");
    EXPECT_EQ(List()->GetItemCount(), ChannelTable::kMaxChannels);
}

TEST_F(BulkCommandsDlgTest, WithoutATableOrASelectionNothingIsAsked)
{
    for (int command : {IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_MOVE_TO_CHANNEL, IDM_OFFSET_FREQUENCIES, IDM_CLEAR_TO_EMPTY,
                        IDM_SORT_SELECTION, IDM_FILL_RASTER})
        dlg.OnCommand(command);
    Load({10, 20});
    List()->clearSelection();
    for (int command : {IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_MOVE_TO_CHANNEL, IDM_OFFSET_FREQUENCIES, IDM_CLEAR_TO_EMPTY,
                        IDM_SORT_SELECTION})
        dlg.OnCommand(command);
    EXPECT_TRUE(services.valueRequests.empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
    EXPECT_EQ(Shown(), (Texts{"10.00000", "20.00000"}));
}

} // namespace

// The bulk edits as a part over a document, without the editor: a refused
// or cancelled form changes nothing and shows nothing; an accepted one is
// one step, and the rows it names are shown selected.
TEST(ChannelBulkEditsPart, RefusedOrCancelledFormsChangeNothingAndAnEditShowsItsRows)
{
    ChannelTableDocument document;
    ASSERT_TRUE(document.CreateNew());
    ASSERT_TRUE(document.ReplaceList(ChannelModeAir, {48.25, 55.25, 62.25, 175.25, 182.25}));
    FakeUserServices services;
    QWidget owner;
    std::vector<std::int32_t> selected{2, 3};
    std::vector<std::vector<std::int32_t>> shown;
    ChannelListAccess list;
    list.selected = [&selected] { return selected; };
    list.current = [] { return 0; };
    list.showSelected = [&shown](const std::vector<std::int32_t>& channels) { shown.push_back(channels); };
    list.note = [](const QString&) {};
    ChannelBulkEdits edits(document, services, owner, list);
    const std::size_t steps = document.UndoCount();

    services.valueAnswers.push_back(std::vector<QString>{QStringLiteral("a quarter")});
    edits.OffsetFrequencies();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], "The offset must be a number of MHz, such as +0.25 or -1.");
    services.valueAnswers.push_back(std::nullopt); // cancelled
    edits.RoundFrequencies();
    EXPECT_EQ(document.UndoCount(), steps);
    EXPECT_TRUE(shown.empty());

    services.valueAnswers.push_back(std::vector<QString>{QStringLiteral("+0.25")});
    edits.OffsetFrequencies();
    EXPECT_EQ(document.CurrentFrequencies(), (std::vector<double>{48.25, 55.5, 62.5, 175.25, 182.25}));
    EXPECT_EQ(document.UndoCount(), steps + 1);
    EXPECT_EQ(document.UndoName(), "Offset Frequencies");
    EXPECT_EQ(shown, (std::vector<std::vector<std::int32_t>>{{2, 3}}));

    // Moved up, the rows are shown where they went; at the top nothing moves.
    edits.MoveUp();
    EXPECT_EQ(shown.back(), (std::vector<std::int32_t>{1, 2}));
    selected = {1};
    edits.MoveUp();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(document.UndoCount(), steps + 2);

    // Without a choice nothing is asked.
    selected.clear();
    edits.MoveToChannel();
    edits.SortSelection();
    EXPECT_EQ(services.valueRequests.size(), 3u);
    EXPECT_EQ(document.UndoCount(), steps + 2);
}
