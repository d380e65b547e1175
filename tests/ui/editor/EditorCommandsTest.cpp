// The editors' commands as one set: each command reads the same in the menu
// bar and in the row menu, no menu offers a mnemonic letter twice, the bar's
// items and the row menu's items are enabled by the same rule, and the undo
// keys take exactly one step wherever the focus is.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// The caption of a menu text: what comes before a key named after a tab.
QString Caption(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

// The mnemonic letter of a caption ("Move U&p" gives 'P'); none for "&&" or no ampersand.
QChar Mnemonic(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return QChar();
}

// The captions of a menu whose letters clash, with the letter; empty when none do.
QStringList ClashingMnemonics(const QStringList& captions)
{
    std::map<QChar, QString> taken;
    QStringList clashes;
    for (const QString& caption : captions) {
        const QChar letter = Mnemonic(caption);
        if (letter.isNull())
            continue;
        const auto [it, bNew] = taken.emplace(letter, caption);
        if (!bNew)
            clashes << QString(letter) + ": " + it->second + " / " + caption;
    }
    return clashes;
}

void OpenMenus(const CDialog& dialog)
{
    for (QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        emit pTitle->menu()->aboutToShow();
}

QStringList MenuCaptions(const QMenu* pMenu)
{
    QStringList captions;
    for (const QAction* pItem : pMenu->actions()) {
        if (!pItem->isSeparator())
            captions << Caption(pItem->text());
    }
    return captions;
}

QStringList RowMenuCaptions(const std::vector<MenuItem>& items)
{
    QStringList captions;
    for (const MenuItem& item : items) {
        if (item.command != 0)
            captions << Caption(item.text);
    }
    return captions;
}

void ExpectNoMnemonicTwice(const CDialog& dialog, const std::vector<MenuItem>& rowMenu)
{
    for (const QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        EXPECT_EQ(ClashingMnemonics(MenuCaptions(pTitle->menu())), QStringList()) << pTitle->text().toStdString();
    QStringList titles;
    for (const QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        titles << pTitle->text();
    EXPECT_EQ(ClashingMnemonics(titles), QStringList());
    EXPECT_EQ(ClashingMnemonics(RowMenuCaptions(rowMenu)), QStringList()) << "row menu";
}

// Every row-menu item the bar has too reads as the bar's item, and is
// enabled as the bar's item is; returns how many the two share.
int ExpectRowMenuAsBar(const CDialog& dialog, const std::vector<MenuItem>& rowMenu)
{
    int shared = 0;
    for (const MenuItem& item : rowMenu) {
        const QAction* pAction = item.command != 0 ? EditorFrame::Of(dialog)->MenuBar()->Action(item.command) : nullptr;
        if (!pAction)
            continue;
        ++shared;
        EXPECT_EQ(Caption(item.text), pAction->text()) << item.command;
        EXPECT_EQ(item.bEnabled, pAction->isEnabled()) << item.text.toStdString();
    }
    return shared;
}

class ChannelCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        WriteAll(path, ChannelTableImage(44, {10, 20, 30, 40}, {}, 1, 0));
    }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }
    QWidget* FrequencyEdit() { return dlg.GetDlgItem(IDC_EDIT_FREQUENCY); }

    void Load()
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }
    // The row menu as a right click opens it, nothing chosen: on a row, which
    // keeps the rows selected, or below the rows.
    const std::vector<MenuItem>& RowMenu(int row = -1)
    {
        services.menuAnswers.push_back(0);
        QWidget* pViewport = List()->viewport();
        if (row >= 0)
            ClickRow(List(), row, Qt::RightButton);
        else
            QTest::mouseClick(pViewport, Qt::RightButton, Qt::NoModifier, QPoint(10, pViewport->height() - 4));
        EXPECT_FALSE(services.menus.empty());
        OpenMenus(dlg);
        return services.menus.back();
    }
    bool BarEnabled(int command) { return EditorFrame::Of(dlg)->MenuBar()->Action(command)->isEnabled(); }
    // The window is active, so that the bar's shortcuts are live as they are for a person.
    void Activate()
    {
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    }

    TempDir dir;
    const std::string path = dir.File("t.ccf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

constexpr int kRowCommands[] = {IDM_MOVE_UP,        IDM_MOVE_DOWN,     IDM_MOVE_TO_CHANNEL, IDM_OFFSET_FREQUENCIES,
                                IDM_CLEAR_TO_EMPTY, IDM_SORT_SELECTION};

TEST_F(ChannelCommandsTest, EveryCommandReadsTheSameInTheBarAndTheRowMenu)
{
    Load();
    ClickRow(List(), 1);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "25");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    // The bulk edits, undo and redo: twelve commands in both menus.
    EXPECT_EQ(ExpectRowMenuAsBar(dlg, RowMenu(1)), 12);
    const std::vector<MenuItem>& menu = services.menus.back();
    // The step's name follows the verb in both.
    const auto undo = std::find_if(menu.begin(), menu.end(), [](const MenuItem& i) { return i.command == IDM_UNDO; });
    ASSERT_NE(undo, menu.end());
    EXPECT_EQ(undo->text, "&Undo Save value");
}

TEST_F(ChannelCommandsTest, NoMenuOffersAMnemonicLetterTwice)
{
    Load();
    ClickRow(List(), 0);
    ExpectNoMnemonicTwice(dlg, RowMenu(0));
    // The row menu's own items keep their captions, without a mnemonic.
    const std::vector<MenuItem>& menu = services.menus.back();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[0].text, "Insert Blank Item");
    EXPECT_EQ(menu[1].text, "Delete Item");
}

TEST_F(ChannelCommandsTest, BarAndRowMenuEnableByTheSameRule)
{
    // No table: nothing to edit, nothing to undo.
    std::vector<MenuItem> menu = RowMenu();
    ExpectRowMenuAsBar(dlg, menu);
    for (int command : kRowCommands)
        EXPECT_FALSE(BarEnabled(command)) << command;
    for (int command : {IDM_FILL_RASTER, IDM_UNDO, IDM_REDO, IDM_SAVE, IDM_SELECT_ALL, IDM_GOTO_CHANNEL})
        EXPECT_FALSE(BarEnabled(command)) << command;
    EXPECT_TRUE(BarEnabled(IDC_BUTTON_CREATE_NEW));

    // A table without a selected row: only what needs no rows.
    Load();
    List()->clearSelection();
    menu = RowMenu();
    ExpectRowMenuAsBar(dlg, menu);
    for (int command : kRowCommands)
        EXPECT_FALSE(BarEnabled(command)) << command;
    for (int command : {IDM_FILL_RASTER, IDM_UNDO, IDM_SAVE, IDM_SELECT_ALL, IDM_GOTO_CHANNEL})
        EXPECT_TRUE(BarEnabled(command)) << command;
    EXPECT_FALSE(BarEnabled(IDM_REDO));

    // With rows selected: every bulk edit.
    List()->SetSelectedRows({1, 2});
    menu = RowMenu(2);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>({1, 2}));
    ExpectRowMenuAsBar(dlg, menu);
    for (int command : kRowCommands)
        EXPECT_TRUE(BarEnabled(command)) << command;
}

// One key press, one step, whether the list or the frequency field has the
// focus, and the key reaches the field's own undo never.
TEST_F(ChannelCommandsTest, UndoKeysTakeExactlyOneStepInTheListAndTheField)
{
    Activate();
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* frequency : {"10", "20", "30", "40"}) {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, frequency);
        PressKey(FrequencyEdit(), Qt::Key_Return);
    }
    ASSERT_EQ(dlg.Document().UndoCount(), 5u);
    std::size_t expected = 5;
    for (QWidget* pTarget : {static_cast<QWidget*>(List()), FrequencyEdit()}) {
        pTarget->setFocus();
        QTest::keyClick(pTarget, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(dlg.Document().UndoCount(), --expected) << pTarget->objectName().toStdString();
        QTest::keyClick(pTarget, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(dlg.Document().UndoCount(), --expected) << pTarget->objectName().toStdString();
        QTest::keyClick(pTarget, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(dlg.Document().UndoCount(), ++expected) << pTarget->objectName().toStdString();
        QTest::keyClick(pTarget, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(dlg.Document().UndoCount(), ++expected) << pTarget->objectName().toStdString();
        QTest::keyClick(pTarget, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(dlg.Document().UndoCount(), --expected) << pTarget->objectName().toStdString();
    }
    EXPECT_EQ(List()->GetItemCount(), 2);

    // Text typed into the field is not the field's to undo with Ctrl+Z: the
    // table steps back and the text stays.
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55");
    QTest::keyClick(FrequencyEdit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg.Document().UndoCount(), --expected);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "55");
    // Nothing left to undo: the key still leaves the field's text alone.
    while (dlg.Document().UndoCount() > 0)
        QTest::keyClick(FrequencyEdit(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(FrequencyEdit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "55");
    // Alt+Ctrl+Z is another key; a keypad's flag changes nothing.
    QTest::keyClick(FrequencyEdit(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(dlg.Document().UndoCount(), 1u);
    QTest::keyClick(FrequencyEdit(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(dlg.Document().UndoCount(), 1u);
    QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(dlg.Document().UndoCount(), 0u);
}

class TunerCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    const std::vector<MenuItem>& RowMenu()
    {
        services.menuAnswers.push_back(0);
        QWidget* pViewport = dlg.GetListView(IDC_LIST_TUNERS)->viewport();
        QTest::mouseClick(pViewport, Qt::RightButton, Qt::NoModifier, QPoint(10, pViewport->height() - 4));
        EXPECT_FALSE(services.menus.empty());
        OpenMenus(dlg);
        return services.menus.back();
    }

    FakeUserServices services;
    CTunerEditDlg dlg{services};
};

TEST_F(TunerCommandsTest, UndoAndRedoReadAndEnableAsTheBarsAndNoLetterIsTwice)
{
    // Copy to Inputs, Replace Entry, Undo and Redo are the bar's too.
    EXPECT_EQ(ExpectRowMenuAsBar(dlg, RowMenu()), 4);
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    const std::vector<MenuItem>& menu = RowMenu();
    EXPECT_EQ(ExpectRowMenuAsBar(dlg, menu), 4);
    ExpectNoMnemonicTwice(dlg, menu);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[0].text, "Delete Tuner");
    EXPECT_EQ(menu[1].text, "&Copy to Inputs");
    EXPECT_FALSE(menu[1].bEnabled); // no entry to copy
    EXPECT_EQ(menu[2].text, "R&eplace Entry");
    EXPECT_TRUE(menu[2].bEnabled);
    EXPECT_EQ(menu[4].text, "&Undo Create New");
    EXPECT_EQ(menu[5].text, "&Redo");
    EXPECT_FALSE(menu[5].bEnabled);
}

} // namespace
