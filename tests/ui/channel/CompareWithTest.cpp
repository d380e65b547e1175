// File > Compare With... through the channel editor's real windows: the rows
// marked as diff finds the differences, F8 and Shift+F8, the window following
// the editor's edits and undo, Copy to This Table as one step, and a FIFO
// refused unopened with the editor's message.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include <QAction>
#include <QPushButton>
#include <QTreeView>

#include "edit/ChannelTableDocument.h"
#include "res/resource.h"
#include "tables/analysis/TableDiff.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/compare/ChannelCompareModel.h"
#include "ui/channel/compare/ChannelCompareWindow.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

class CompareWithTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        const std::string path = dir.File("this.ccf");
        WriteAll(path, ChannelTableImage(49, {10, 20, 30}, {}, 1, 0));
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
        WriteAll(dir.File("other.ccf"), ChannelTableImage(44, {10, 25}, {470}, 1, 1));
    }

    ChannelCompareWindow* Compare(const std::string& file)
    {
        services.fileAnswers.push_back(QString::fromStdString(dir.File(file)));
        dlg.OnCommand(IDM_COMPARE_WITH);
        return dlg.findChild<ChannelCompareWindow*>();
    }

    // Each row's list, channel, two values and mark, as a screen reader reads them.
    static std::vector<QString> Rows(const ChannelCompareWindow& window)
    {
        std::vector<QString> rows;
        const ChannelCompareModel& model = window.Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < ChannelCompareModel::kColumnCount; ++column)
                cells << model.index(row, column).data(Qt::AccessibleTextRole).toString();
            rows.push_back(cells.join(QLatin1Char('|')));
        }
        return rows;
    }

    static int CurrentRow(const ChannelCompareWindow& window) { return window.View()->currentIndex().row(); }

    // The window's own key, as its shortcut map would take it.
    static void PressWindowKey(ChannelCompareWindow& window, const QKeySequence& key)
    {
        const QList<QAction*> actions = window.actions();
        const auto it = std::find_if(actions.begin(), actions.end(), [&](QAction* p) { return p->shortcut() == key; });
        ASSERT_NE(it, actions.end()) << key.toString().toStdString();
        (*it)->trigger();
    }

    QString Note() { return qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine())->NoteText(); }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

TEST_F(CompareWithTest, RowsAreMarkedAsDiffFindsAndFollowTheEditorsEdits)
{
    ChannelCompareWindow* pWindow = Compare("other.ccf");
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->windowTitle(), "Compare With other.ccf");
    const std::vector<QString> expected = {
        "Header|country code|49|44|changed",
        "Header|air range|1 to 3|1 to 2|changed",
        "Header|cable range|0 to 0|1 to 1|changed",
        "Antenna|001|10.00000|10.00000|",
        "Antenna|002|20.00000|25.00000|changed",
        "Antenna|003|30.00000||added",
        "Cable|001||470.00000|removed",
    };
    EXPECT_EQ(Rows(*pWindow), expected);
    EXPECT_EQ(pWindow->SummaryText(), "From other.ccf to this table: 1 added, 1 removed, 1 changed; header fields: "
                                      "country code, air range, cable range");
    // The marks are the differences diff gives, the other table first, and
    // no row that diff does not list is marked.
    ChannelTable other(false);
    ASSERT_EQ(other.Load(dir.File("other.ccf").c_str()), 1);
    const ChannelTableDiff diff = CompareChannelTables(other, *dlg.Document().Table());
    ASSERT_EQ(diff.channels.size(), 3u);
    ASSERT_EQ(diff.header.size(), 3u);
    std::vector<std::optional<DiffChange>> marks(pWindow->Model().rowCount());
    for (std::size_t i = 0; i < diff.header.size(); ++i)
        marks[i] = DiffChange::Changed;
    for (const ChannelDifference& difference : diff.channels)
        marks[pWindow->Model().RowOf(difference.iList, difference.iChannel)] = difference.change;
    for (int row = 0; row < pWindow->Model().rowCount(); ++row)
        EXPECT_EQ(pWindow->Model().ChangeOf(row), marks[row]) << row;

    // F8 from nowhere goes to the first difference, on past the rows that do
    // not differ; Shift+F8 goes back, and round past the first.
    const QKeySequence next(Qt::Key_F8), previous(Qt::SHIFT | Qt::Key_F8);
    PressWindowKey(*pWindow, next);
    EXPECT_EQ(CurrentRow(*pWindow), 0);
    for (int i = 0; i < 3; ++i)
        PressWindowKey(*pWindow, next);
    EXPECT_EQ(CurrentRow(*pWindow), 4);
    for (int i = 0; i < 4; ++i)
        PressWindowKey(*pWindow, previous);
    EXPECT_EQ(CurrentRow(*pWindow), 6);

    // An edit in the editor: the window follows at once, a row more for the
    // longer list, and the mark of what no longer differs goes.
    const_cast<ChannelTableDocument&>(dlg.Document()).EditFrequency(2, 25);
    EXPECT_EQ(Rows(*pWindow)[4], "Antenna|002|25.00000|25.00000|");
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(Rows(*pWindow), expected);
    // Activating a channel's row selects it in the editor.
    pWindow->View()->setCurrentIndex(pWindow->Model().index(5, 0));
    PressKey(pWindow->View(), Qt::Key_Return);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetSelectedRows(), std::vector<int>{2});
}

TEST_F(CompareWithTest, CopyToThisTableTakesTheChosenRowsAsOneStep)
{
    ChannelCompareWindow* pWindow = Compare("other.ccf");
    ASSERT_NE(pWindow, nullptr);
    QItemSelectionModel* pSelection = pWindow->View()->selectionModel();
    for (const int row : {0, 4, 6})
        pSelection->select(pWindow->Model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    for (QPushButton* pButton : pWindow->findChildren<QPushButton*>())
        if (pButton->text() == "&Copy to This Table")
            pButton->click();
    EXPECT_EQ(Note(), "3 rows taken from the other table");
    EXPECT_EQ(dlg.Document().CountryCode(), 44);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "44");
    EXPECT_EQ(dlg.Document().UndoName(), "Copy to This Table");
    EXPECT_EQ(Rows(*pWindow)[4], "Antenna|002|25.00000|25.00000|");
    EXPECT_EQ(Rows(*pWindow)[6], "Cable|001|470.00000|470.00000|");
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(dlg.Document().CountryCode(), 49);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "49");
    EXPECT_EQ(Rows(*pWindow)[6], "Cable|001||470.00000|removed");
}

TEST_F(CompareWithTest, AFifoIsRefusedUnopenedWithTheEditorsMessage)
{
    ASSERT_EQ(mkfifo(dir.File("waiting.ccf").c_str(), 0600), 0);
    EXPECT_EQ(Compare("waiting.ccf"), nullptr);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].contains("waiting.ccf"));
}

} // namespace
