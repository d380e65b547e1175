// The list's selection: the row set itself, and the list views driven by real
// clicks and keys side by side with a list that keeps Qt's own selection
// model, whose answers the list's own must give.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <tuple>

#include <QApplication>
#include <QScrollBar>
#include <QTreeView>

#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/RowSelection.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

std::vector<std::pair<int, int>> AllSpans(const RowSelection& rows)
{
    return rows.Spans(0, std::numeric_limits<int>::max());
}

} // namespace

TEST(RowSelection, RunsAcrossWordEdgesAddRemoveAndExchange)
{
    RowSelection rows;
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(rows.NextAfter(-1), -1);
    EXPECT_EQ(rows.SpanCount(), 0);

    rows.Apply(60, 130, RowSelection::Merge::Add);
    EXPECT_EQ(rows.Count(), 71);
    EXPECT_FALSE(rows.Contains(59));
    EXPECT_TRUE(rows.Contains(63));
    EXPECT_TRUE(rows.Contains(64));
    EXPECT_TRUE(rows.Contains(130));
    EXPECT_FALSE(rows.Contains(131));
    EXPECT_FALSE(rows.Contains(-1));
    EXPECT_EQ(AllSpans(rows), (std::vector<std::pair<int, int>>{{60, 130}}));

    rows.Apply(64, 64, RowSelection::Merge::Remove);
    rows.Apply(127, 129, RowSelection::Merge::Exchange);
    rows.Apply(200, 200, RowSelection::Merge::Exchange);
    EXPECT_EQ(AllSpans(rows), (std::vector<std::pair<int, int>>{{60, 63}, {65, 126}, {130, 130}, {200, 200}}));
    EXPECT_EQ(rows.SpanCount(), 4);
    EXPECT_EQ(rows.Count(), 4 + 62 + 1 + 1);
    EXPECT_EQ(rows.NextAfter(-1), 60);
    EXPECT_EQ(rows.NextAfter(63), 65);
    EXPECT_EQ(rows.NextAfter(126), 130);
    EXPECT_EQ(rows.NextAfter(130), 200);
    EXPECT_EQ(rows.NextAfter(200), -1);
    // Spans inside a window are cut at its edges.
    EXPECT_EQ(rows.Spans(62, 100), (std::vector<std::pair<int, int>>{{62, 63}, {65, 100}}));
    EXPECT_EQ(rows.Spans(131, 199), (std::vector<std::pair<int, int>>{}));

    std::vector<int> expected = {60, 61, 62, 63};
    for (int row = 65; row <= 126; ++row)
        expected.push_back(row);
    expected.push_back(130);
    expected.push_back(200);
    EXPECT_EQ(rows.Rows(), expected);

    // Emptied, the set equals a new one, whatever rows it held.
    rows.Apply(0, 1000, RowSelection::Merge::Remove);
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(rows, RowSelection());
}

TEST(RowSelection, SetsLaidOverSetsAndTheLargestList)
{
    RowSelection even;
    RowSelection low;
    for (int row = 0; row < 65535; row += 2)
        even.Apply(row, row, RowSelection::Merge::Add);
    low.Apply(0, 99, RowSelection::Merge::Add);
    EXPECT_EQ(even.Count(), 32768);
    EXPECT_EQ(even.SpanCount(), 32768);
    EXPECT_EQ(even.NextAfter(65532), 65534);

    RowSelection exchanged = even;
    exchanged.Apply(low, RowSelection::Merge::Exchange);
    EXPECT_EQ(exchanged.Count(), 32768);
    EXPECT_EQ(exchanged.NextAfter(-1), 1);
    EXPECT_EQ(exchanged.NextAfter(98), 99);
    EXPECT_EQ(exchanged.NextAfter(99), 100);

    RowSelection removed = even;
    removed.Apply(low, RowSelection::Merge::Remove);
    EXPECT_EQ(removed.Count(), 32768 - 50);
    EXPECT_EQ(removed.NextAfter(-1), 100);

    RowSelection added = even;
    added.Apply(low, RowSelection::Merge::Add);
    EXPECT_EQ(added.Count(), 32768 + 50);
    EXPECT_EQ(AllSpans(added).front(), (std::pair<int, int>{0, 100}));
    EXPECT_EQ(added.SpanCount(), 32768 - 50);
}

namespace {

// Two lists of the same rows on one dialog: the list as the dialogs have it,
// and one whose selection is Qt's own.
class TwinLists : public ::testing::Test
{
protected:
    void Build(int rows)
    {
        dialog.Create();
        for (ListView* pList : {Ours(), Qts()}) {
            pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
            pList->InsertColumn(1, "Frequency(MHz)", LVCFMT_CENTER, 110);
            pList->SetRows(rows, [](int row, int column) { return QString("%1/%2").arg(row).arg(column); });
        }
        Qts()->setSelectionModel(new QItemSelectionModel(Qts()->model(), Qts()));
        Qts()->setGeometry(Ours()->geometry());
        Qts()->show();
        ASSERT_NE(qobject_cast<RowSelectionModel*>(Ours()->selectionModel()), nullptr);
    }

    ListView* Ours() { return dialog.GetListView(IDC_LIST_CHANNELS); }
    ListView* Qts() { return &m_qts; }

    void ClickBoth(int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {})
    {
        for (ListView* pList : {Ours(), Qts()})
            ClickRow(pList, row, button, modifiers);
    }

    void KeyBoth(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        for (ListView* pList : {Ours(), Qts()}) {
            pList->setFocus();
            QTest::keyClick(pList, key, modifiers);
        }
    }

    // Both lists answer alike, and each cell on screen of the list shows
    // what it answers.
    void ExpectAlike(const char* step)
    {
        const std::vector<int> rows = Qts()->GetSelectedRows();
        EXPECT_EQ(Ours()->GetSelectedRows(), rows) << step;
        EXPECT_EQ(Ours()->GetSelectedCount(), static_cast<int>(rows.size())) << step;
        EXPECT_EQ(Ours()->GetNextSelected(-1), Qts()->GetNextSelected(-1)) << step;
        EXPECT_EQ(Ours()->currentIndex().row(), Qts()->currentIndex().row()) << step;
        EXPECT_EQ(Ours()->currentIndex().column(), Qts()->currentIndex().column()) << step;
        EXPECT_EQ(Ours()->selectionModel()->hasSelection(), !rows.empty()) << step;
        const std::set<int> chosen(rows.begin(), rows.end());
        QItemSelectionModel* pShown = Ours()->selectionModel();
        const int first = Ours()->rowAt(0);
        const int last = Ours()->rowAt(Ours()->viewport()->height() - 1);
        for (int row = std::max(first, 0); row <= (last < 0 ? Ours()->GetItemCount() - 1 : last); ++row) {
            for (int column = 0; column < 2; ++column) {
                EXPECT_EQ(pShown->isSelected(Ours()->model()->index(row, column)), chosen.count(row) == 1)
                    << step << ": row " << row << " column " << column;
            }
        }
    }

    FakeUserServices services;
    CDialog dialog{IDD_FREQUENCY_TABLE, services};
    ListView m_qts{&dialog, false};
};

} // namespace

TEST_F(TwinLists, ClicksAndKeysChooseTheRowsQtWould)
{
    Build(40);
    ExpectAlike("nothing chosen");
    ClickBoth(4);
    ExpectAlike("click");
    ClickBoth(6, Qt::LeftButton, Qt::ControlModifier);
    ClickBoth(8, Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control clicks on");
    ClickBoth(6, Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control click off");
    EXPECT_EQ(Ours()->GetSelectedRows(), (std::vector<int>{4, 8}));
    ClickBoth(12, Qt::LeftButton, Qt::ShiftModifier);
    ExpectAlike("shift click after control clicks");
    ClickBoth(2, Qt::LeftButton, Qt::ShiftModifier);
    ExpectAlike("shift click back over the anchor");
    ClickBoth(20, Qt::LeftButton, Qt::ControlModifier);
    ClickBoth(25, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    ExpectAlike("control shift click");
    KeyBoth(Qt::Key_Down, Qt::ShiftModifier);
    KeyBoth(Qt::Key_Down, Qt::ShiftModifier);
    ExpectAlike("shift down");
    KeyBoth(Qt::Key_Up, Qt::ShiftModifier);
    ExpectAlike("shift up");
    KeyBoth(Qt::Key_Space, Qt::ControlModifier);
    ExpectAlike("control space");
    ClickBoth(22, Qt::RightButton);
    ExpectAlike("right click on a chosen row");
    ClickBoth(30, Qt::RightButton);
    ExpectAlike("right click on another row");
    KeyBoth(Qt::Key_A, Qt::ControlModifier);
    ExpectAlike("select all");
    EXPECT_EQ(Ours()->GetSelectedCount(), 40);
    ClickBoth(10, Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control click off after select all");
    KeyBoth(Qt::Key_Down);
    ExpectAlike("down");
    KeyBoth(Qt::Key_End, Qt::ShiftModifier);
    ExpectAlike("shift end");
    // The rest of the item views' keys: the current row moved alone and then
    // added, pages, and the ends with and without Shift.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
        {Qt::Key_Up, Qt::ControlModifier, "control up"},
        {Qt::Key_Up, Qt::ControlModifier, "control up again"},
        {Qt::Key_Space, Qt::ControlModifier, "control space on the row moved to"},
        {Qt::Key_Home, Qt::ControlModifier, "control home"},
        {Qt::Key_PageDown, {}, "page down"},
        {Qt::Key_PageDown, Qt::ShiftModifier, "shift page down"},
        {Qt::Key_PageUp, Qt::ShiftModifier, "shift page up"},
        {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, "control shift end"},
        {Qt::Key_Home, {}, "home"}};
    for (const auto& [key, modifiers, step] : keys) {
        KeyBoth(key, modifiers);
        ExpectAlike(step);
    }
    Ours()->clearSelection();
    Qts()->clearSelection();
    ExpectAlike("cleared");
}

// With more runs than are copied whole, Qt's ranges hold those around the
// rows on screen; the answers, the cells on screen and the clicks stay as
// Qt's own model gives them wherever the list scrolls.
TEST_F(TwinLists, TensOfThousandsOfRunsAnswerAsQtsModelWherever)
{
    Build(ChannelTable::kMaxChannels);
    std::vector<int> every3rd;
    for (int row = 0; row < 60000; row += 3)
        every3rd.push_back(row);
    Ours()->SetSelectedRows(every3rd);
    Qts()->SetSelectedRows(every3rd);
    ExpectAlike("set rows");
    EXPECT_EQ(Ours()->GetSelectedCount(), 20000);
    EXPECT_LT(Ours()->selectionModel()->selection().size(), 1000);

    ClickBoth(30001, Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control click on far down");
    ClickBoth(30000, Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control click off");
    ClickBoth(30010, Qt::LeftButton, Qt::ShiftModifier);
    ExpectAlike("shift click");
    for (int row : {0, 65534, 45000, 15}) {
        Ours()->EnsureVisible(row);
        Qts()->EnsureVisible(row);
        ExpectAlike("scrolled");
    }
    Ours()->verticalScrollBar()->setValue(Ours()->verticalScrollBar()->maximum() / 2);
    ExpectAlike("scroll bar moved");
    ClickBoth(Ours()->rowAt(10), Qt::LeftButton, Qt::ControlModifier);
    ExpectAlike("control click after the scroll bar moved");

    // Nothing chosen near the rows on screen: the selection is still there,
    // and clearing it clears it.
    Ours()->EnsureVisible(65000);
    ExpectAlike("far from every chosen row");
    EXPECT_TRUE(Ours()->selectionModel()->hasSelection());
    Ours()->clearSelection();
    Qts()->clearSelection();
    ExpectAlike("cleared");
    EXPECT_EQ(Ours()->GetSelectedCount(), 0);

    // A rebuild drops the selection as Qt's model does.
    Ours()->SetSelectedRows(every3rd);
    Ours()->SetRows(100, [](int, int) { return QString("x"); });
    EXPECT_EQ(Ours()->GetSelectedCount(), 0);
    EXPECT_FALSE(Ours()->selectionModel()->hasSelection());
    ClickRow(Ours(), 3);
    EXPECT_EQ(Ours()->GetSelectedRows(), std::vector<int>{3});
}

namespace {

// An editor with 30 air channels, 100 MHz and 7 MHz apart; channel 20 has
// the frequency of channel 19, which the table check reports.
class CurrentRowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ChannelTable table(true);
        for (int i = 1; i <= 30; ++i) {
            auto* node = new ChannelNode;
            node->dbFrequency = 100.0 + 7.0 * (i == 20 ? 18 : i - 1);
            table.AppendChannel(ChannelModeAir, node);
        }
        table.SetCountryCode(49);
        ASSERT_EQ(table.Save(dir.File("de.ccf").c_str()), 1);
        editor.Create();
        services.fileAnswers.push_back(QString::fromStdString(dir.File("de.ccf")));
        editor.OnCommand(IDC_BUTTON_LOAD_FROM_FILE);
        ASSERT_EQ(List()->GetItemCount(), 30);
    }

    ListView* List() const { return editor.GetListView(IDC_LIST_CHANNELS); }

    // Rows first to last, as the selection holds them.
    static std::vector<int> Run(int first, int last)
    {
        std::vector<int> rows;
        for (int row = first; row <= last; ++row)
            rows.push_back(row);
        return rows;
    }

    void PressShift(Qt::Key key, int times)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(List(), key, Qt::ShiftModifier);
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg editor{services};
};

} // namespace

// The row Go to Channel, Find Frequency or a finding chooses becomes the
// current row and the anchor: Shift+arrows extend the selection from it,
// not from wherever the current row was before.
TEST_F(CurrentRowTest, ShiftArrowsExtendFromTheRowGoToFindAndFindingsChoose)
{
    services.valueAnswers.push_back(std::vector<QString>{"13"});
    editor.OnCommand(IDM_GOTO_CHANNEL);
    EXPECT_EQ(List()->currentIndex().row(), 12);
    PressShift(Qt::Key_Down, 7);
    EXPECT_EQ(List()->GetSelectedRows(), Run(12, 19));

    // Channel 26 is at 275 MHz.
    services.valueAnswers.push_back(std::vector<QString>{"274.9"});
    editor.OnCommand(IDM_FIND_FREQUENCY);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{25});
    PressShift(Qt::Key_Up, 3);
    EXPECT_EQ(List()->GetSelectedRows(), Run(22, 25));

    // Set on the list itself: the row stands alone and anchors the selection.
    List()->SetCurrentRow(3);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{3});
    PressShift(Qt::Key_Down, 2);
    EXPECT_EQ(List()->GetSelectedRows(), Run(3, 5));
    List()->SetCurrentRow(30); // not a row: nothing changes
    EXPECT_EQ(List()->GetSelectedRows(), Run(3, 5));

    // The check's finding on channel 20, activated with Enter.
    editor.OnCommand(IDM_CHECK_TABLE);
    CTableFindingsWindow* pFindings = editor.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    QAbstractItemView* pView = pFindings->FindingsView();
    int findingRow = -1;
    for (int row = 0; row < pView->model()->rowCount() && findingRow < 0; ++row) {
        if (pView->model()->data(pView->model()->index(row, 3)).toString().contains("channel 20"))
            findingRow = row;
    }
    ASSERT_GE(findingRow, 0);
    pView->setCurrentIndex(pView->model()->index(findingRow, 0));
    QTest::keyClick(pView, Qt::Key_Return);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{19});
    PressShift(Qt::Key_Down, 2);
    EXPECT_EQ(List()->GetSelectedRows(), Run(19, 21));
}

// The same for a finding of the tuner editor's check.
TEST(CurrentRow, ShiftArrowsExtendFromTheTunerEntryAFindingChooses)
{
    FakeUserServices services;
    TempDir dir;
    TunerSpecTable table(true);
    ASSERT_TRUE(table.AppendEntries(std::vector<TunerSpecEntry>(6)));
    ASSERT_EQ(table.Save(dir.File("tuners.tsf").c_str()), 1);
    CTunerEditDlg editor{services};
    editor.Create();
    ASSERT_TRUE(editor.OpenFile(QString::fromStdString(dir.File("tuners.tsf"))));
    ListView* pList = editor.GetListView(IDC_LIST_TUNERS);
    ASSERT_EQ(pList->GetItemCount(), 6);
    pList->SetCurrentRow(0);

    editor.OnCommand(IDM_CHECK_TABLE);
    auto* pFindings = editor.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    pFindings->onActivate(ChannelModeNone, 3);
    EXPECT_EQ(pList->currentIndex().row(), 2);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(pList, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(pList->GetSelectedRows(), (std::vector<int>{2, 3, 4}));
}
