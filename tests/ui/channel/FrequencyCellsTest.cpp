// Frequencies typed into their cells of the channel list, through the real
// view, its editor and the keys a person presses (offscreen): a digit, F2 or
// a double-click opens the row's cell, Enter commits one step named "Edit
// Frequency", Tab and Down go on to the next row, Escape cancels, and the
// range and the Frequency field keep their own rules.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QLineEdit>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"

namespace {

class FrequencyCellsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        WriteAll(path, ChannelTableImage(44, {48.25, 55.25, 62.25, 175.25}, {}, 1, 1));
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
        ASSERT_EQ(dlg.Document().CurrentCount(), 4);
        List()->setFocus();
    }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }
    QLineEdit* CellEditor() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
    std::vector<double> Shown() const { return dlg.Document().CurrentFrequencies(); }
    QString Range() const
    {
        return dlg.GetDlgItemText(IDC_STATIC_AIR_MIN) + "-" + dlg.GetDlgItemText(IDC_STATIC_AIR_MAX);
    }

    // Keys typed where the focus is, as a person types them.
    static void Type(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        // Qt's editors commit on Enter once the key is handled, by a queued call.
        QCoreApplication::processEvents();
    }

    TempDir dir;
    const std::string path = dir.File("t.ccf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

TEST_F(FrequencyCellsTest, ADigitOpensTheCellAndEnterCommitsOneStepThatUndoes)
{
    const QString range = Range();
    List()->SetCurrentRow(1);
    Press(Qt::Key_1);
    ASSERT_TRUE(List()->IsEditingCell());
    ASSERT_NE(CellEditor(), nullptr);
    // The digit replaces the value the cell opened with, as in a spreadsheet.
    EXPECT_EQ(CellEditor()->text(), "1");
    EXPECT_EQ(CellEditor()->accessibleName(), "Frequency(MHz)");
    Type("82.25");
    Press(Qt::Key_Return);

    EXPECT_FALSE(List()->IsEditingCell());
    EXPECT_EQ(QApplication::focusWidget(), List());
    EXPECT_EQ(Shown(), (std::vector<double>{48.25, 182.25, 62.25, 175.25}));
    EXPECT_EQ(List()->GetItemText(1, 1), "182.25000");
    EXPECT_EQ(dlg.Document().UndoName(), "Edit Frequency");
    // Enter committed the cell: it appended nothing, and the range stays as
    // for "Save value".
    EXPECT_EQ(dlg.Document().CurrentCount(), 4);
    EXPECT_EQ(Range(), range);
    EXPECT_EQ(List()->currentIndex().row(), 1);

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(), (std::vector<double>{48.25, 55.25, 62.25, 175.25}));
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
}

TEST_F(FrequencyCellsTest, TabAndDownGoOnToTheNextRowAndEscapeCancels)
{
    List()->SetCurrentRow(0);
    Press(Qt::Key_F2);
    ASSERT_NE(CellEditor(), nullptr);
    EXPECT_EQ(CellEditor()->text(), "48.25000");
    Type("49.25");
    Press(Qt::Key_Tab);
    // Committed, and the next row's cell is open.
    EXPECT_EQ(Shown()[0], 49.25);
    ASSERT_TRUE(List()->IsEditingCell());
    EXPECT_EQ(List()->currentIndex().row(), 1);
    EXPECT_EQ(CellEditor()->text(), "55.25000");
    // Going on without typing changes nothing and makes no step.
    Press(Qt::Key_Down);
    EXPECT_EQ(List()->currentIndex().row(), 2);
    Press(Qt::Key_Up);
    EXPECT_EQ(List()->currentIndex().row(), 1);
    Press(Qt::Key_Down);
    Type("99");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(List()->IsEditingCell());
    EXPECT_EQ(Shown(), (std::vector<double>{49.25, 55.25, 62.25, 175.25}));
    // One step for the one value that changed.
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
    EXPECT_EQ(Shown()[0], 48.25);
}

TEST_F(FrequencyCellsTest, ADoubleClickOnTheChannelNumberOpensTheFrequencyAndLettersOpenNothing)
{
    QTest::keyClick(List(), Qt::Key_A);
    EXPECT_FALSE(List()->IsEditingCell());
    const QRect number = List()->visualRect(List()->model()->index(3, 0));
    // As a display sends it: a click, then the second press as a double-click.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, number.center());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, number.center());
    ASSERT_TRUE(List()->IsEditingCell());
    EXPECT_EQ(List()->currentIndex().row(), 3);
    ASSERT_NE(CellEditor(), nullptr);
    EXPECT_EQ(CellEditor()->text(), "175.25000");
    EXPECT_GT(CellEditor()->geometry().left(), number.right());
    // An empty cell is no value: nothing changes.
    Press(Qt::Key_Delete);
    Press(Qt::Key_Return);
    EXPECT_EQ(Shown()[3], 175.25);
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
}

} // namespace
