// The editors' menu bars, driven through their actions and through the keys
// the desktop binds to them: the items do what the buttons do, Save writes
// to the file the table came from, Open Recent follows what was opened and
// saved, and the bar leaves the controls where their templates put them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>

#include <QTreeView>

#include "edit/TableTransfer.h"
#include "edit/TunerTableDocument.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/edit/TunerInputs.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/RecentFiles.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

QAction* ActionOf(const CDialog& dialog, int command)
{
    QAction* pAction =
        EditorFrame::Of(dialog)->MenuBar() ? EditorFrame::Of(dialog)->MenuBar()->Action(command) : nullptr;
    EXPECT_NE(pAction, nullptr) << "no menu item " << command;
    return pAction;
}

// Opens every menu as a person would, so that its items are made current.
void OpenMenus(const CDialog& dialog)
{
    for (QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions()) {
        QMenu* pMenu = pTitle->menu();
        emit pMenu->aboutToShow();
        for (QAction* pItem : pMenu->actions()) {
            if (pItem->menu())
                emit pItem->menu()->aboutToShow();
        }
    }
}

void Trigger(const CDialog& dialog, int command)
{
    OpenMenus(dialog);
    QAction* pAction = ActionOf(dialog, command);
    ASSERT_NE(pAction, nullptr);
    ASSERT_TRUE(pAction->isEnabled()) << "menu item " << command << " is greyed";
    pAction->trigger();
}

QString Keys(const QList<QKeySequence>& keys)
{
    QStringList texts;
    for (const QKeySequence& key : keys)
        texts << key.toString();
    return texts.join(", ");
}

// The keys the desktop binds to a standard command.
QString Keys(QKeySequence::StandardKey key)
{
    return Keys(QKeySequence::keyBindings(key));
}

QStringList ItemTexts(const CDialog& dialog, int menu)
{
    QStringList texts;
    for (QAction* pItem : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions().at(menu)->menu()->actions()) {
        QString text = pItem->isSeparator() ? QStringLiteral("-") : pItem->text();
        if (!pItem->shortcuts().isEmpty())
            text += QLatin1Char('\t') + Keys(pItem->shortcuts());
        texts << text;
    }
    return texts;
}

QStringList RecentItems(const CDialog& dialog)
{
    OpenMenus(dialog);
    for (QAction* pItem : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions().at(0)->menu()->actions()) {
        if (pItem->menu()) {
            QStringList texts;
            for (QAction* pFile : pItem->menu()->actions())
                texts << pFile->text() + (pFile->isEnabled() ? "" : " (greyed)");
            return texts;
        }
    }
    return {};
}

// The window takes keys from the desktop: its shortcuts work.
void Activate(CDialog& dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

class ChannelMenuBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        WriteAll(first, ChannelTableImage(49, {48.25, 55.25, 62.25}, {}, 1, 0));
        WriteAll(second, ChannelTableImage(33, {175.25, 182.25}, {112.25}, 1, 1));
    }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

    TempDir dir;
    const std::string first = dir.File("first.ccf");
    const std::string second = dir.File("second.ccf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

TEST_F(ChannelMenuBarTest, MenusTitlesItemsAndKeys)
{
    QStringList titles;
    for (QAction* pTitle : EditorFrame::Of(dlg)->MenuBar()->Bar()->actions())
        titles << pTitle->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Table", "&Help"}));
    EXPECT_EQ(ItemTexts(dlg, 0),
              QStringList({"&New\tCtrl+N", "New from &Plan...\tCtrl+P", "&Open...\tCtrl+O", "Open &Recent", "-",
                           "&Save\tCtrl+S", "Save &As...\tCtrl+Shift+S", "-", "&Import...", "&Export...",
                           "Co&mpare With...", "-", "&Close\t" + Keys(QKeySequence::Close)}));
    EXPECT_EQ(ItemTexts(dlg, 2), QStringList({"&Columns"}));
    EXPECT_EQ(ItemTexts(dlg, 3), QStringList({"&Check Table\tF7", "Check &Against Tuner...\tShift+F7", "&Band Chart",
                                              "Coverage &Matrix...", "Con&vert Old Table..."}));
    EXPECT_EQ(ItemTexts(dlg, 4), QStringList({"&About Vornalix...\tF1"}));
    const QStringList edit = ItemTexts(dlg, 1);
    EXPECT_TRUE(edit.contains("&Go to Channel...\tCtrl+G"));
    EXPECT_TRUE(edit.contains("&Find Frequency...\tCtrl+F"));
    EXPECT_TRUE(edit.contains("Select &All\tCtrl+A"));
    EXPECT_TRUE(edit.contains("Move U&p\tAlt+Up"));
    // Undo and Redo name their step, greyed with the bare verb when there is none.
    OpenMenus(dlg);
    EXPECT_EQ(ActionOf(dlg, IDM_UNDO)->text(), "&Undo");
    EXPECT_FALSE(ActionOf(dlg, IDM_UNDO)->isEnabled());
    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_ADD);
    OpenMenus(dlg);
    EXPECT_EQ(ActionOf(dlg, IDM_UNDO)->text(), "&Undo Add to the end");
    EXPECT_TRUE(ActionOf(dlg, IDM_UNDO)->isEnabled());
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(List()->GetItemCount(), 0);
    OpenMenus(dlg);
    EXPECT_EQ(ActionOf(dlg, IDM_REDO)->text(), "&Redo Add to the end");
    Trigger(dlg, IDM_REDO);
    EXPECT_EQ(List()->GetItemCount(), 1);
}

TEST_F(ChannelMenuBarTest, ControlsKeepTheirTemplatePlacesBelowTheBar)
{
    const QWidget* pArea = dlg.ClientArea();
    ASSERT_NE(pArea, &dlg);
    const int barHeight = EditorFrame::Of(dlg)->MenuBar()->Bar()->height();
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(pArea->mapTo(&dlg, QPoint(0, 0)), QPoint(0, barHeight));
    // Below the controls the status line takes the dialog's whole width.
    const QWidget* pStatusLine = EditorFrame::Of(dlg)->StatusLine();
    ASSERT_NE(pStatusLine, nullptr);
    EXPECT_GT(pStatusLine->height(), 0);
    EXPECT_EQ(pStatusLine->geometry(), QRect(0, barHeight + pArea->height(), dlg.width(), pStatusLine->height()));
    EXPECT_EQ(dlg.height(), pArea->height() + barHeight + pStatusLine->height());
    EXPECT_EQ(pArea->size(), dlg.Layout().ToPixels(0, 0, dlg.Template().cx, dlg.Template().cy).size());
    const DialogTemplate& tpl = dlg.Template();
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        if (control.id == IDC_STATIC)
            continue;
        QWidget* pControl = dlg.GetDlgItem(control.id);
        EXPECT_EQ(pControl->parentWidget(), pArea) << control.id;
        EXPECT_EQ(pControl->pos(), dlg.Layout().ToPixels(control.x, control.y, control.cx, control.cy).topLeft())
            << control.id;
        EXPECT_EQ(pControl->isHidden(), (control.styles & StyleHidden) != 0) << control.id;
    }
}

TEST_F(ChannelMenuBarTest, ItemsDoWhatTheButtonsDo)
{
    services.fileAnswers.push_back(QString::fromStdString(first));
    Trigger(dlg, IDM_OPEN);
    ASSERT_NE(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Table()->FileImage(), ReadAll(first));
    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);

    const std::string copy = dir.File("copy.ccf");
    services.fileAnswers.push_back(QString::fromStdString(copy));
    Trigger(dlg, IDM_SAVE_AS);
    EXPECT_EQ(ReadAll(copy), ReadAll(first));
    EXPECT_FALSE(services.fileRequests.back().bOpen);

    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);

    Trigger(dlg, IDC_BUTTON_CONVERT);
    Trigger(dlg, IDM_ABOUTBOX);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>({"Convert", "About Vornalix"}));

    Trigger(dlg, IDCANCEL);
    EXPECT_TRUE(dlg.IsDestroyed() || dlg.Result() == IDCANCEL);
}

TEST_F(ChannelMenuBarTest, SaveWritesToTheFileOfTheTableAndAsksOnlyWithoutOne)
{
    // A new table has no file: Save asks, as Save As does.
    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    const std::string fresh = dir.File("fresh.ccf");
    services.fileAnswers.push_back(QString::fromStdString(fresh));
    Trigger(dlg, IDM_SAVE);
    ASSERT_EQ(services.fileRequests.size(), 1u);
    EXPECT_TRUE(FileExists(fresh));

    // After a load, Save writes over the loaded file without asking.
    services.fileAnswers.push_back(QString::fromStdString(first));
    Trigger(dlg, IDM_OPEN);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "69.25");
    Click(dlg, IDC_BUTTON_ADD);
    const std::size_t asked = services.fileRequests.size();
    Trigger(dlg, IDM_SAVE);
    EXPECT_EQ(services.fileRequests.size(), asked);
    EXPECT_EQ(ReadAll(first), dlg.Table()->FileImage());
    EXPECT_FALSE(dlg.Document().Modified());

    // Undoing a load brings back the table before it, tied to its own file:
    // Save writes that file without asking, and never the other.
    services.fileAnswers.push_back(QString::fromStdString(second));
    Trigger(dlg, IDM_OPEN);
    const Bytes secondImage = ReadAll(second);
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(dlg.Table()->FileImage(), ReadAll(first));
    EXPECT_EQ(dlg.Document().SavePath(), first);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "77.25");
    Click(dlg, IDC_BUTTON_ADD);
    Trigger(dlg, IDM_SAVE);
    EXPECT_EQ(services.fileRequests.size(), asked + 1);
    EXPECT_EQ(ReadAll(first), dlg.Table()->FileImage());
    EXPECT_EQ(ReadAll(second), secondImage);
}

TEST_F(ChannelMenuBarTest, OpenRecentListsFilesNewestFirstAndDropsMissingOnes)
{
    EXPECT_EQ(RecentItems(dlg), QStringList({"No Recent Files (greyed)"}));
    for (const std::string& path : {first, second}) {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Trigger(dlg, IDM_OPEN);
    }
    const QString firstPath = QString::fromStdString(first), secondPath = QString::fromStdString(second);
    EXPECT_EQ(RecentItems(dlg), QStringList({"&1 " + secondPath, "&2 " + firstPath}));

    // The second entry opens the first file, which goes to the top.
    Trigger(dlg, IDM_RECENT_FIRST + 1);
    EXPECT_EQ(dlg.Table()->FileImage(), ReadAll(first));
    EXPECT_EQ(RecentItems(dlg), QStringList({"&1 " + firstPath, "&2 " + secondPath}));

    // A file that is gone is said so and leaves the list; the table stays.
    std::remove(second.c_str());
    Trigger(dlg, IDM_RECENT_FIRST + 1);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].contains(secondPath));
    EXPECT_EQ(dlg.Table()->FileImage(), ReadAll(first));
    EXPECT_EQ(RecentItems(dlg), QStringList({"&1 " + firstPath}));

    // A file saved under a new name joins the list; the list keeps ten.
    for (int i = 0; i < 12; ++i) {
        services.fileAnswers.push_back(QString::fromStdString(dir.File("s" + std::to_string(i) + ".ccf")));
        Trigger(dlg, IDM_SAVE_AS);
    }
    const QStringList recent = RecentItems(dlg);
    ASSERT_EQ(recent.size(), 10);
    EXPECT_EQ(recent.front(), "&1 " + QString::fromStdString(dir.File("s11.ccf")));
    EXPECT_EQ(recent.back(), "1&0 " + QString::fromStdString(dir.File("s2.ccf")));

    // The list is written in the background and reaches the settings file,
    // where the next start of the program reads it.
    RecentFiles::Flush();
    const QSettings settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 QStringLiteral("/vornalix/recent-files.conf"),
                             QSettings::IniFormat);
    const QStringList stored = settings.value(QString::fromLatin1(kChannelRecentKind)).toStringList();
    ASSERT_EQ(stored.size(), 10);
    EXPECT_EQ(stored.front(), QString::fromStdString(dir.File("s11.ccf")));
    EXPECT_EQ(stored.back(), QString::fromStdString(dir.File("s2.ccf")));
}

TEST_F(ChannelMenuBarTest, GoToChannelAndFindFrequencySelectAndShowTheRow)
{
    services.fileAnswers.push_back(QString::fromStdString(first));
    Trigger(dlg, IDM_OPEN);

    services.valueAnswers.push_back(std::vector<QString>{"3"});
    Trigger(dlg, IDM_GOTO_CHANNEL);
    ASSERT_EQ(services.valueRequests.size(), 1u);
    EXPECT_EQ(services.valueRequests[0].title, "Go to Channel");
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
    EXPECT_EQ(dlg.EditIndex(), 3);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "3");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "62.25000");

    // Outside the list, or not a number: said so, the selection stays.
    for (const char* typed : {"4", "0", "two", ""}) {
        services.valueAnswers.push_back(std::vector<QString>{typed});
        Trigger(dlg, IDM_GOTO_CHANNEL);
        EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2}) << typed;
    }
    EXPECT_EQ(services.messages.size(), 4u);

    // The nearest channel, the lower of two equally near.
    services.valueAnswers.push_back(std::vector<QString>{"51.75"});
    Trigger(dlg, IDM_FIND_FREQUENCY);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{0});
    services.valueAnswers.push_back(std::vector<QString>{"1000"});
    Trigger(dlg, IDM_FIND_FREQUENCY);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
    services.valueAnswers.push_back(std::vector<QString>{"55.3"});
    Trigger(dlg, IDM_FIND_FREQUENCY);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{1});
    services.valueAnswers.push_back(std::vector<QString>{"nan"});
    Trigger(dlg, IDM_FIND_FREQUENCY);
    EXPECT_EQ(services.messages.size(), 5u);
    // Cancelled: nothing happens.
    Trigger(dlg, IDM_FIND_FREQUENCY);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{1});

    Trigger(dlg, IDM_SELECT_ALL);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>({0, 1, 2}));
}

TEST_F(ChannelMenuBarTest, ShortcutsFromTheKeyboard)
{
    Activate(dlg);
    QWidget* pButton = dlg.GetDlgItem(IDC_BUTTON_CREATE_NEW);
    pButton->setFocus();
    QTest::keyClick(pButton, Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);

    services.fileAnswers.push_back(QString::fromStdString(first));
    QTest::keyClick(pButton, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dlg.Table()->FileImage(), ReadAll(first));

    List()->setFocus();
    services.valueAnswers.push_back(std::vector<QString>{"2"});
    QTest::keyClick(List(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{1});
    services.valueAnswers.push_back(std::vector<QString>{"62"});
    QTest::keyClick(List(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
    QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->GetSelectedCount(), 3);

    // Ctrl+S writes the loaded file without asking.
    services.messages.clear();
    services.valueAnswers.push_back(std::vector<QString>{"1"});
    QTest::keyClick(List(), Qt::Key_G, Qt::ControlModifier);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "49.75");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    const std::size_t asked = services.fileRequests.size();
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(services.fileRequests.size(), asked);
    EXPECT_EQ(ReadAll(first), ChannelTableImage(49, {49.75, 55.25, 62.25}, {}, 1, 0));

    // Ctrl+Shift+S asks for a name.
    QTest::keyClick(List(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(services.fileRequests.size(), asked + 1);

    QTest::keyClick(List(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
}

TEST_F(ChannelMenuBarTest, ExportAndImportBackGiveTheSameTableAndRefusalsChangeNothing)
{
    services.fileAnswers.push_back(QString::fromStdString(second));
    Trigger(dlg, IDM_OPEN);
    const Bytes image = ReadAll(second);

    // The whole table as the tool's JSON; the current list as CSV.
    const std::string json = dir.File("t.json"), csv = dir.File("air.csv");
    services.fileAnswers.push_back(QString::fromStdString(json));
    Trigger(dlg, IDM_EXPORT);
    services.fileAnswers.push_back(QString::fromStdString(csv));
    Trigger(dlg, IDM_EXPORT);
    const Bytes jsonBytes = ReadAll(json);
    EXPECT_EQ(std::string(jsonBytes.begin(), jsonBytes.end()), ChannelTableJsonText(*dlg.Table()));
    const Bytes csvBytes = ReadAll(csv);
    EXPECT_EQ(std::string(csvBytes.begin(), csvBytes.end()), "channel,frequency_mhz\n1,175.25\n2,182.25\n");

    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    services.fileAnswers.push_back(QString::fromStdString(json));
    Trigger(dlg, IDM_IMPORT);
    ASSERT_NE(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Table()->FileImage(), image);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "33");
    EXPECT_EQ(List()->GetItemCount(), 2);
    EXPECT_TRUE(dlg.Document().Modified());
    EXPECT_EQ(dlg.Document().SavePath(), ""); // an import comes from no table file
    // Undo gives back the new table the import replaced.
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(List()->GetItemCount(), 0);

    // The CSV list goes into the list being edited, here the cable list.
    auto* pCombo = Control<QComboBox>(dlg, IDC_COMBO_MODE);
    pCombo->setFocus();
    QTest::keyClick(pCombo, Qt::Key_Down);
    ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    services.fileAnswers.push_back(QString::fromStdString(csv));
    Trigger(dlg, IDM_IMPORT);
    EXPECT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>({175.25, 182.25}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "2");

    // A broken file names its place and leaves the table as it was.
    const Bytes before = dlg.Table()->FileImage();
    const std::string broken = dir.File("broken.json");
    WriteAll(broken, Bytes{'{', '\n', '"', 'f', 'o', 'r', 'm', 'a', 't', '"', ':', ' ', 'c', 'c', 'f', '}'});
    services.fileAnswers.push_back(QString::fromStdString(broken));
    Trigger(dlg, IDM_IMPORT);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(
        services.messages[0].startsWith("Cannot import " + QString::fromStdString(broken) + ": line 2, column "))
        << services.messages[0].toStdString();
    EXPECT_EQ(dlg.Table()->FileImage(), before);
}

// A list imported into an editor that holds no table yet goes into a new one,
// as "Create New" makes it; the whole import is one step, named after it.
TEST_F(ChannelMenuBarTest, ImportingAListWithoutATableIsOneImportStep)
{
    const std::string csv = dir.File("plan.csv");
    const std::string text = "channel,frequency_mhz\n2,55.25\n4,67.25\n";
    WriteAll(csv, Bytes(text.begin(), text.end()));
    services.fileAnswers.push_back(QString::fromStdString(csv));
    Trigger(dlg, IDM_IMPORT);
    ASSERT_TRUE(dlg.Document().HasTable());
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>({0.0, 55.25, 0.0, 67.25}));
    EXPECT_EQ(dlg.Document().UndoName(), "Import");
    EXPECT_EQ(dlg.Document().UndoCount(), 1u);

    Trigger(dlg, IDM_UNDO);
    EXPECT_FALSE(dlg.Document().HasTable());
    EXPECT_EQ(List()->GetItemCount(), 0);
    Trigger(dlg, IDM_REDO);
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>({0.0, 55.25, 0.0, 67.25}));
    EXPECT_EQ(List()->GetItemCount(), 4);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "4");
}

TEST_F(ChannelMenuBarTest, CheckTableListsFindingsAndActivatingOneSelectsItsChannel)
{
    WriteAll(first, ChannelTableImage(49, {48.25, 55.25, 62.25}, {112.25, 119.25, 112.25}, 1, 1));
    services.fileAnswers.push_back(QString::fromStdString(first));
    Trigger(dlg, IDM_OPEN);
    Trigger(dlg, IDM_CHECK_TABLE);
    auto* pWindow = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_FALSE(pWindow->isModal());
    ASSERT_GE(pWindow->FindingCount(), 1);

    // The finding on cable channel 3 (its frequency again) selects that row of the cable list.
    QTreeView* pView = pWindow->FindingsView();
    int row = -1;
    for (int i = 0; i < pView->model()->rowCount(); ++i) {
        if (pView->model()->index(i, 3).data().toString().contains("also at channel 1"))
            row = i;
    }
    ASSERT_GE(row, 0);
    pView->setCurrentIndex(pView->model()->index(row, 0));
    QTest::keyClick(pView, Qt::Key_Return);
    EXPECT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "3");

    // Checking again refills the same window; a table without faults says so.
    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "44");
    Click(dlg, IDC_BUTTON_ENTER);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "48.25");
    Click(dlg, IDC_BUTTON_ADD);
    Trigger(dlg, IDM_CHECK_TABLE);
    EXPECT_EQ(dlg.findChildren<CTableFindingsWindow*>().size(), 1);
    EXPECT_EQ(pWindow->FindingCount(), 0);
    EXPECT_EQ(pWindow->SummaryText(), "No findings.");
}

TEST_F(ChannelMenuBarTest, MoveKeysAreTheListsOwnAndTheMenuOnlyNamesThem)
{
    for (int command : {IDM_MOVE_UP, IDM_MOVE_DOWN}) {
        QAction* pAction = ActionOf(dlg, command);
        ASSERT_NE(pAction, nullptr);
        EXPECT_FALSE(pAction->shortcut().isEmpty());
        EXPECT_EQ(pAction->shortcutContext(), Qt::WidgetShortcut);
    }
    services.fileAnswers.push_back(QString::fromStdString(first));
    Trigger(dlg, IDM_OPEN);
    Activate(dlg);
    ClickRow(List(), 1);
    QTest::keyClick(List(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>({55.25, 48.25, 62.25}));
    // In the mode's drop-down Alt+Down is the drop-down's: the list stays.
    QWidget* pCombo = dlg.GetDlgItem(IDC_COMBO_MODE);
    pCombo->setFocus();
    QTest::keyClick(pCombo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), std::vector<double>({55.25, 48.25, 62.25}));
    Control<QComboBox>(dlg, IDC_COMBO_MODE)->hidePopup();
}

class TunerMenuBarTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    TempDir dir;
    FakeUserServices services;
    CTunerEditDlg dlg{services};
};

TEST_F(TunerMenuBarTest, FileCommandsSaveToTheLoadedFileAndF1ShowsAbout)
{
    QStringList titles;
    for (QAction* pTitle : EditorFrame::Of(dlg)->MenuBar()->Bar()->actions())
        titles << pTitle->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Table", "&Help"}));
    EXPECT_EQ(ItemTexts(dlg, 0), QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "Open &Recent", "-", "&Save\tCtrl+S",
                                              "Save &As...\tCtrl+Shift+S", "-", "&Import...", "&Export...", "-",
                                              "&Close\t" + Keys(QKeySequence::Close)}));

    Trigger(dlg, IDC_BUTTON_CREATE_TABLE);
    ASSERT_TRUE(dlg.Document().HasTable());
    const std::string path = dir.File("t.tsf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    Trigger(dlg, IDM_SAVE); // no file yet: asks
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(RecentItems(dlg), QStringList({"&1 " + QString::fromStdString(path)}));

    Trigger(dlg, IDC_BUTTON_CREATE_TABLE);
    services.fileAnswers.push_back(QString::fromStdString(path));
    Trigger(dlg, IDM_OPEN);
    const std::size_t asked = services.fileRequests.size();
    std::remove(path.c_str());
    Trigger(dlg, IDM_SAVE);
    EXPECT_EQ(services.fileRequests.size(), asked);
    EXPECT_TRUE(FileExists(path));

    Activate(dlg);
    QWidget* pList = dlg.GetDlgItem(IDC_LIST_TUNERS);
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_F1);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"About Vornalix"});
}

} // namespace

namespace {

TEST_F(TunerMenuBarTest, ExportImportAndCheckTable)
{
    // Two tuners, written by the editor's own rules.
    const std::string path = dir.File("two.tsf");
    {
        TunerTableDocument doc;
        ASSERT_TRUE(doc.CreateNew());
        for (std::int32_t iType : {1, 2})
            ASSERT_TRUE(doc.AddInfo(ValidTunerInput(3, iType)).bAdded);
        FileError error;
        ASSERT_TRUE(doc.Save(path, error));
    }
    services.fileAnswers.push_back(QString::fromStdString(path));
    Trigger(dlg, IDM_OPEN);
    const std::string json = dir.File("two.json");
    services.fileAnswers.push_back(QString::fromStdString(json));
    Trigger(dlg, IDM_EXPORT);
    EXPECT_EQ(services.fileRequests.back().filter, "JSON Tables (*.json)|*.json|All Files (*.*)|*.*||");

    Trigger(dlg, IDC_BUTTON_CREATE_TABLE);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    services.fileAnswers.push_back(QString::fromStdString(json));
    Trigger(dlg, IDM_IMPORT);
    ASSERT_TRUE(dlg.Document().HasTable());
    EXPECT_EQ(dlg.Document().Table()->FileImage(), ReadAll(path));
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 2);
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    Trigger(dlg, IDM_REDO);

    // A tuner table is no CSV list: refused with its place, the table kept.
    const std::string csv = dir.File("list.csv");
    WriteAll(csv, Bytes{'c', 'h', 'a', 'n', 'n', 'e', 'l', '\n'});
    services.fileAnswers.push_back(QString::fromStdString(csv));
    Trigger(dlg, IDM_IMPORT);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].startsWith("Cannot import " + QString::fromStdString(csv) + ": line 1"))
        << services.messages[0].toStdString();
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 2);

    Trigger(dlg, IDM_CHECK_TABLE);
    auto* pWindow = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    // A finding's entry is selected and its details shown, as a click would.
    pWindow->onActivate(ChannelModeNone, 2);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetSelectedRows(), std::vector<int>{1});

    // The open window follows the table: an import whose first entry's
    // factory code is not BCD is found once edits pause, and undo takes the
    // finding away again. The file is exported from a table whose header
    // still states no entries: the export writes the entries' count.
    EXPECT_EQ(pWindow->FindingCount(), 0);
    TunerSpecEntry notBcd = *dlg.Document().EntryAt(0);
    notBcd.SetFactory(0x1A);
    TunerSpecTable changed(true);
    ASSERT_TRUE(changed.AppendEntries({notBcd, *dlg.Document().EntryAt(1)}));
    const std::string badJson = dir.File("bad.json");
    TransferError error;
    ASSERT_TRUE(ExportTunerTableFile(badJson, changed, error));
    services.fileAnswers.push_back(QString::fromStdString(badJson));
    Trigger(dlg, IDM_IMPORT);
    EXPECT_EQ(services.messages.size(), 1u) << services.messages.back().toStdString(); // not refused
    EXPECT_TRUE(WaitFor([&] { return pWindow->FindingCount() == 1; }, 3000)) << pWindow->FindingCount();
    EXPECT_EQ(pWindow->SummaryText(), "Errors: 1, warnings: 0");
    Trigger(dlg, IDM_UNDO);
    EXPECT_TRUE(WaitFor([&] { return pWindow->FindingCount() == 0; }, 3000));
}

} // namespace
