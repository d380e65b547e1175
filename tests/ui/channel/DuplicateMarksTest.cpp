// The channel table editor's marks on rows whose frequency another channel of
// the list holds too, driven through the real widgets: what each row shows,
// its tooltip and what a screen reader reads, after every kind of change.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QBrush>
#include <QComboBox>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"

namespace {

class DuplicateMarksTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

    void Append(const QString& text)
    {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, text);
        Click(dlg, IDC_BUTTON_ADD);
    }
    void Key(QWidget* pWidget, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        pWidget->setFocus();
        QTest::keyClick(pWidget, key, modifiers);
    }
    void RightClickRow(int row, int command)
    {
        services.menuAnswers.push_back(command);
        ClickRow(List(), row, Qt::RightButton);
    }

    // Each row's note, empty for a row that is not marked; checks on the way
    // that the model paints and describes exactly the marked rows, and that
    // the texts stay the list's own.
    std::vector<QString> Notes()
    {
        std::vector<QString> notes;
        QAbstractItemModel* pModel = List()->model();
        for (int row = 0; row < List()->GetItemCount(); ++row) {
            const RowMark mark = List()->GetItemMark(row);
            EXPECT_EQ(mark.kind == RowMark::Kind::None, mark.note.isEmpty()) << row;
            for (int column = 0; column < 2; ++column) {
                const QModelIndex index = pModel->index(row, column);
                EXPECT_EQ(pModel->data(index, Qt::ToolTipRole).toString(), mark.note) << row;
                EXPECT_EQ(pModel->data(index, Qt::AccessibleDescriptionRole).toString(), mark.note) << row;
                EXPECT_EQ(pModel->data(index, Qt::BackgroundRole).isValid(), !mark.note.isEmpty()) << row;
            }
            notes.push_back(mark.note);
        }
        return notes;
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

const QString kNone;
QString Same(int channel)
{
    return QStringLiteral("Same frequency as channel %1").arg(channel);
}

} // namespace

TEST_F(DuplicateMarksTest, RowsSharingAFrequencyAreMarkedWithTheOtherChannel)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* text : {"55.25", "62.25", "0", "55.25", "0", "62.25", "55.250", "-1", "-1"})
        Append(QString::fromLatin1(text));
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(4), Same(6), kNone, Same(1), kNone, Same(2), Same(1), kNone, kNone}));
    // The texts are those of every list.
    EXPECT_EQ(List()->GetItemText(3, 0), "004");
    EXPECT_EQ(List()->GetItemText(3, 1), "55.25000");
    EXPECT_EQ(List()->GetItemText(4, 1), "--");

    // A marked row's background differs from an unmarked one's as painted.
    QAbstractItemModel* pModel = List()->model();
    const QBrush marked = pModel->data(pModel->index(0, 1), Qt::BackgroundRole).value<QBrush>();
    EXPECT_NE(marked.color(), List()->palette().color(QPalette::Base));
    EXPECT_FALSE(pModel->data(pModel->index(2, 1), Qt::BackgroundRole).isValid());
    // Under a dark palette the mark is a dark tint with light text, as the
    // light palette's is a light tint with dark text.
    const auto markColours = [&] {
        return std::pair{pModel->data(pModel->index(0, 1), Qt::BackgroundRole).value<QBrush>().color(),
                         pModel->data(pModel->index(0, 1), Qt::ForegroundRole).value<QBrush>().color()};
    };
    const QPalette light = QApplication::palette();
    EXPECT_GT(markColours().first.lightness(), markColours().second.lightness());
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    EXPECT_LT(markColours().first.lightness(), 128);
    EXPECT_GT(markColours().second.lightness(), markColours().first.lightness() + 100);
    QApplication::setPalette(light);
    EXPECT_EQ(markColours().first, marked.color());

    // What a screen reader reads of a cell: its spoken text and, for a marked row, the note.
    QAccessibleInterface* pTable = QAccessible::queryAccessibleInterface(List());
    ASSERT_NE(pTable, nullptr);
    ASSERT_NE(pTable->tableInterface(), nullptr);
    QAccessibleInterface* pCell = pTable->tableInterface()->cellAt(3, 1);
    ASSERT_NE(pCell, nullptr);
    EXPECT_EQ(pCell->text(QAccessible::Name), "55.25 MHz");
    EXPECT_EQ(pCell->text(QAccessible::Description), Same(1));
    QAccessibleInterface* pPlain = pTable->tableInterface()->cellAt(2, 1);
    ASSERT_NE(pPlain, nullptr);
    EXPECT_EQ(pPlain->text(QAccessible::Description), "");
}

TEST_F(DuplicateMarksTest, MarksFollowEveryChangeOfTheListUndoAndRedoIncluded)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* text : {"48.25", "55.25", "62.25"})
        Append(QString::fromLatin1(text));
    EXPECT_EQ(Notes(), (std::vector<QString>(3, kNone)));

    // "Save value" makes channel 3 the same as channel 1.
    ClickRow(List(), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(3), kNone, Same(1)}));

    // Inserting a blank row moves the other channel's number.
    RightClickRow(0, IDM_INSERT_BLANK_ITEM);
    EXPECT_EQ(Notes(), (std::vector<QString>{kNone, Same(4), kNone, Same(2)}));

    // Deleting one of the two leaves none.
    ClickRow(List(), 1);
    RightClickRow(1, IDM_DELETE_ITEM);
    EXPECT_EQ(Notes(), (std::vector<QString>(3, kNone)));

    // Undo brings the marks back with the row, redo takes them away again.
    Key(List(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Notes(), (std::vector<QString>{kNone, Same(4), kNone, Same(2)}));
    Key(List(), Qt::Key_Z, Qt::ControlModifier);
    Key(List(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Notes(), (std::vector<QString>(3, kNone)));
    Key(List(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(3), kNone, Same(1)}));

    // The other list has marks of its own; back to the first, its marks again.
    QComboBox* pCombo = Control<QComboBox>(dlg, IDC_COMBO_MODE);
    pCombo->setFocus();
    QTest::keyClick(pCombo, Qt::Key_Down);
    ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(Notes(), std::vector<QString>{});
    Append("300");
    Append("300");
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(2), Same(1)}));
    QTest::keyClick(pCombo, Qt::Key_Up);
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(3), kNone, Same(1)}));

    // A loaded table is marked as it is shown; undoing everything leaves no rows and no marks.
    // Its country (212) has no channel plans, so the rows' tooltips are the marks' notes
    // alone (what a plan's label adds: PlanLabelsDlgTest).
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(212, {175.25, 182.25, 175.25}, {}, 1, 0));
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    EXPECT_EQ(Notes(), (std::vector<QString>{Same(3), kNone, Same(1)}));
    while (dlg.Document().UndoCount() > 0)
        Key(List(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(List()->GetItemMark(0).kind, RowMark::Kind::None);
}

TEST(ListViewMarks, RowsWithoutAMarkFunctionAndOutsideTheRowsAreUnmarked)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->SetRows(
        4, [](int row, int) { return QString::number(row); },
        [](int row) {
            return row % 2 ? RowMark{RowMark::Kind::Warning, QStringLiteral("odd")} : RowMark{};
        });
    EXPECT_EQ(pList->GetItemMark(1).note, "odd");
    EXPECT_EQ(pList->GetItemMark(2).kind, RowMark::Kind::None);
    EXPECT_EQ(pList->GetItemMark(5).kind, RowMark::Kind::None);
    EXPECT_EQ(pList->GetItemMark(-1).kind, RowMark::Kind::None);
    // Rows set again without marks lose them.
    pList->SetRows(4, [](int row, int) { return QString::number(row); });
    EXPECT_EQ(pList->GetItemMark(1).kind, RowMark::Kind::None);
    EXPECT_FALSE(pList->model()->data(pList->model()->index(1, 0), Qt::ToolTipRole).isValid());
}
