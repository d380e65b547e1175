// What a screen reader reads of the editors through Qt's accessibility
// interfaces: the inputs' names, the windows' names, no hidden controls, the
// findings window as a window, the list cells' spoken texts and the open
// popup menus among the application's children.
#include <gtest/gtest.h>

#include <set>

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include "res/resource.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CConvertDlg.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/UserServices.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

QAccessibleInterface* Interface(QObject* pObject)
{
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pObject);
    EXPECT_NE(pInterface, nullptr);
    return pInterface;
}

QString NameOf(QObject* pObject)
{
    QAccessibleInterface* pInterface = Interface(pObject);
    return pInterface ? pInterface->text(QAccessible::Name) : QString();
}

// Every interface under the root, depth first.
void Walk(QAccessibleInterface* pRoot, std::vector<QAccessibleInterface*>& found, int depth = 0)
{
    if (!pRoot || depth > 12)
        return;
    found.push_back(pRoot);
    for (int i = 0; i < pRoot->childCount(); ++i)
        Walk(pRoot->child(i), found, depth + 1);
}

std::vector<QAccessibleInterface*> TreeOf(QObject* pRoot)
{
    std::vector<QAccessibleInterface*> found;
    Walk(Interface(pRoot), found);
    return found;
}

bool InTree(QObject* pRoot, QObject* pObject)
{
    for (QAccessibleInterface* pInterface : TreeOf(pRoot)) {
        if (pInterface->object() == pObject)
            return true;
    }
    return false;
}

} // namespace

// Each input is named by what a sighted person reads beside it, read through
// the interface a screen reader asks, not only the widget's property.
TEST(AccessibleTree, InputsAreNamedByWhatIsReadBesideThem)
{
    FakeUserServices services;
    CFrequencyTableDlg channels{services};
    channels.Create();
    Click(channels, IDC_BUTTON_CREATE_NEW); // the Mode drop-down now shows "Antenna"
    ASSERT_EQ(channels.ComboBox(IDC_COMBO_MODE)->currentText(), "Antenna");
    const std::vector<std::pair<int, QString>> channelNames = {
        {IDC_COMBO_MODE, "Mode"},
        {IDC_EDIT_FREQUENCY, "Frequency"},
        {IDC_EDIT_COUNTRY_CODE, "Country Code"},
        {IDC_LIST_CHANNELS, "Frequency Table"},
    };
    for (const auto& [id, name] : channelNames)
        EXPECT_EQ(NameOf(channels.GetDlgItem(id)), name) << id;
    // The item it shows is its value.
    QAccessibleInterface* pMode = Interface(channels.GetDlgItem(IDC_COMBO_MODE));
    EXPECT_EQ(pMode->role(), QAccessible::ComboBox);
    EXPECT_EQ(pMode->text(QAccessible::Value), "Antenna");
    // ...and its text, which the desktop's bridge gives screen readers; its
    // label names it through the labelled-by relation.
    ASSERT_NE(pMode->textInterface(), nullptr);
    EXPECT_EQ(pMode->textInterface()->text(0, -1), "Antenna");
    const auto labels = pMode->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Mode");

    CTunerEditDlg tuners{services};
    tuners.Create();
    const std::vector<std::pair<int, QString>> tunerNames = {
        {IDC_COMBO_FACTORY, "Factory"},
        {IDC_COMBO_TUNER_TYPE, "Tuner Type"},
        {IDC_EDIT_LOW_BAND_START, "Low Band Start"},
        {IDC_EDIT_MID_BAND_START, "Mid Band Start"},
        {IDC_EDIT_HIGH_BAND_START, "High Band Start"},
        {IDC_EDIT_HIGH_BAND_END, "High Band End"},
        {IDC_EDIT_LOW_CODE, "Low band code"},
        {IDC_EDIT_MID_CODE, "Mid band code"},
        {IDC_EDIT_HIGH_CODE, "High band code"},
        {IDC_EDIT_PICTURE_CARRIER, "Picture Carrier"},
        {IDC_EDIT_PICTURE_CARRIER2, "Picture Carrier 2"},
        {IDC_LIST_TUNERS, "Tuner Table"},
    };
    for (const auto& [id, name] : tunerNames)
        EXPECT_EQ(NameOf(tuners.GetDlgItem(id)), name) << id;
}

// The window names tell the editors and the launcher apart, and keep the
// file and its "*"; the titles on screen stay as they were.
TEST(AccessibleTree, WindowsHaveDistinctNamesBesideTheirTitles)
{
    FakeUserServices services;
    CLauncherDlg launcher{services};
    CFrequencyTableDlg channels{services};
    CTunerEditDlg tuners{services};
    EXPECT_EQ(launcher.windowTitle(), "Vornalix");
    EXPECT_EQ(NameOf(&launcher), "Vornalix launcher");
    EXPECT_EQ(channels.windowTitle(), "Vornalix");
    EXPECT_EQ(NameOf(&channels), "Vornalix channel table editor");
    EXPECT_EQ(tuners.windowTitle(), "Tuner Specification Edit");
    EXPECT_EQ(NameOf(&tuners), "Vornalix tuner table editor");

    EditorFrame::Of(channels)->ShowTableFileInTitle("/tmp/de.ccf", true);
    EXPECT_EQ(channels.windowTitle(), "de.ccf* \u2013 Vornalix");
    EXPECT_EQ(NameOf(&channels), "de.ccf* \u2013 Vornalix channel table editor");
    EditorFrame::Of(channels)->ShowTableFileInTitle("/tmp/de.ccf", false);
    EXPECT_EQ(NameOf(&channels), "de.ccf \u2013 Vornalix channel table editor");
    EditorFrame::Of(channels)->ShowTableFileInTitle("", true);
    EXPECT_EQ(channels.windowTitle(), "Vornalix*");
    EXPECT_EQ(NameOf(&channels), "Vornalix channel table editor*");
    EditorFrame::Of(tuners)->ShowTableFileInTitle("/tmp/t.tsf", true);
    EXPECT_EQ(NameOf(&tuners), "t.tsf* \u2013 Vornalix tuner table editor");
    EXPECT_EQ(Interface(&tuners)->role(), QAccessible::Dialog);
    // A newline or an escape in a name cannot break the title.
    EditorFrame::Of(channels)->ShowTableFileInTitle("/tmp/a\nb\x1b.ccf", false);
    EXPECT_EQ(channels.windowTitle(), "a\\nb\\x1b.ccf \u2013 Vornalix");
}

// Each editor's status line is what "read the status bar" finds: a status
// bar whose parts are its children.
TEST(AccessibleTree, TheStatusLineReadsAsAStatusBar)
{
    FakeUserServices services;
    CFrequencyTableDlg channels{services};
    CTunerEditDlg tuners{services};
    for (CDialog* pDialog : std::initializer_list<CDialog*>{&channels, &tuners}) {
        pDialog->Create();
        QAccessibleInterface* pLine = Interface(EditorFrame::Of(*pDialog)->StatusLine());
        ASSERT_NE(pLine, nullptr);
        EXPECT_EQ(pLine->role(), QAccessible::StatusBar);
        EXPECT_EQ(pLine->text(QAccessible::Name), "Status");
        EXPECT_GE(pLine->childCount(), 3);
    }
}

// A control the dialog never shows is not read; every shown one is.
TEST(AccessibleTree, HiddenControlsAreLeftOut)
{
    FakeUserServices services;
    CLauncherDlg launcher{services};
    CFrequencyTableDlg channels{services};
    CTunerEditDlg tuners{services};
    const std::vector<std::pair<CDialog*, int>> hidden = {{&launcher, IDCANCEL}, {&channels, IDOK}, {&tuners, IDOK}};
    for (const auto& [pDialog, id] : hidden) {
        for (bool bShown : {false, true}) {
            if (bShown)
                pDialog->Create();
            EXPECT_FALSE(InTree(pDialog, pDialog->GetDlgItem(id))) << pDialog->Template().id << " " << id;
            EXPECT_TRUE(InTree(pDialog, pDialog->GetDlgItem(IDCANCEL == id ? IDOK : IDCANCEL)))
                << pDialog->Template().id;
        }
    }
    // Shown controls stay, wherever they lie (the editors' lie below the menu bar).
    for (int id : {IDC_LIST_CHANNELS, IDC_COMBO_MODE, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD, IDC_STATIC_COUNTRY})
        EXPECT_TRUE(InTree(&channels, channels.GetDlgItem(id))) << id;
    for (int id : {IDC_BUTTON_FREQUENCY_EDIT, IDC_BUTTON_TUNER_EDIT})
        EXPECT_TRUE(InTree(&launcher, launcher.GetDlgItem(id))) << id;
    // A control the dialog shows later comes into the tree then.
    channels.GetDlgItem(IDOK)->show();
    EXPECT_TRUE(InTree(&channels, channels.GetDlgItem(IDOK)));
}

TEST(AccessibleTree, FindingsWindowIsAWindowNamedByItsTitle)
{
    FakeUserServices services;
    CFrequencyTableDlg editor{services};
    editor.Create();
    CTableFindingsWindow window(&editor);
    window.ShowFindings({}, FindingKind::Channel);
    QAccessibleInterface* pWindow = Interface(&window);
    ASSERT_NE(pWindow, nullptr);
    EXPECT_EQ(pWindow->role(), QAccessible::Window);
    EXPECT_EQ(pWindow->text(QAccessible::Name), "Table Check");
    EXPECT_TRUE(InTree(&window, window.FindingsView()));
}

// The cells show the table's own texts; a screen reader hears what they mean.
TEST(AccessibleTree, ChannelCellsReadAsEmptyOrMegahertz)
{
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
    dlg.Create();
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const QString frequency : {"55.25", "--", "182.2", "471.25", "800"}) {
        if (frequency == "--") {
            dlg.GetListView(IDC_LIST_CHANNELS)->SetCurrentRow(0);
            services.menuAnswers.push_back(IDM_INSERT_BLANK_ITEM);
            ClickRow(dlg.GetListView(IDC_LIST_CHANNELS), 0, Qt::RightButton);
            continue;
        }
        TypeInto(dlg, IDC_EDIT_FREQUENCY, frequency);
        Click(dlg, IDC_BUTTON_ADD);
    }
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    ASSERT_EQ(pList->GetItemCount(), 5);
    QAccessibleTableInterface* pCells = Interface(pList)->tableInterface();
    ASSERT_NE(pCells, nullptr);
    const std::vector<std::tuple<QString, QString, QString>> expected = {
        {"001", "--", "empty"},
        {"002", "55.25000", "55.25 MHz"},
        {"003", "182.20000", "182.2 MHz"},
        {"004", "471.25000", "471.25 MHz"},
        {"005", "800.00000", "800 MHz"},
    };
    for (int row = 0; row < 5; ++row) {
        const auto& [number, shown, spoken] = expected[static_cast<std::size_t>(row)];
        EXPECT_EQ(pList->GetItemText(row, 0), number);
        EXPECT_EQ(pList->GetItemText(row, 1), shown);
        EXPECT_EQ(pList->model()->data(pList->model()->index(row, 1), Qt::DisplayRole).toString(), shown);
        EXPECT_EQ(pCells->cellAt(row, 0)->text(QAccessible::Name), number);
        EXPECT_EQ(pCells->cellAt(row, 1)->text(QAccessible::Name), spoken);
    }
}

// While the row menu is open it is one of the application's children, with
// its items and their states; once closed it is gone again.
TEST(AccessibleTree, OpenRowMenuIsAChildOfTheApplication)
{
    FakeUserServices fake;
    CFrequencyTableDlg dlg{fake};
    dlg.Create();
    QtUserServices services;
    QAccessibleInterface* pApp = Interface(qApp);
    ASSERT_NE(pApp, nullptr);
    const auto openMenus = [pApp] {
        std::vector<QAccessibleInterface*> menus;
        for (int i = 0; i < pApp->childCount(); ++i) {
            QAccessibleInterface* pChild = pApp->child(i);
            if (pChild && pChild->role() == QAccessible::PopupMenu) {
                menus.push_back(pChild);
                EXPECT_EQ(pApp->indexOfChild(pChild), i);
            }
        }
        return menus;
    };
    EXPECT_TRUE(openMenus().empty());
    QStringList names;
    std::vector<bool> enabled;
    QAccessibleInterface* pMenuParent = nullptr;
    QTimer::singleShot(0, [&] {
        const auto menus = openMenus();
        if (menus.size() == 1) {
            pMenuParent = menus[0]->parent();
            for (int i = 0; i < menus[0]->childCount(); ++i) {
                QAccessibleInterface* pItem = menus[0]->child(i);
                if (pItem->role() == QAccessible::Separator)
                    continue;
                names << pItem->text(QAccessible::Name);
                enabled.push_back(!pItem->state().disabled);
            }
        }
        if (QWidget* pPopup = QApplication::activePopupWidget())
            pPopup->close();
    });
    const std::vector<MenuItem> items = {
        {IDM_INSERT_BLANK_ITEM, "Insert Blank Item", true}, {0, {}, true}, {IDM_DELETE_ITEM, "Delete Item", false}};
    EXPECT_EQ(services.TrackPopupMenu(dlg.GetListView(IDC_LIST_CHANNELS), items, QPoint(10, 10)), 0);
    EXPECT_EQ(names, QStringList({"Insert Blank Item", "Delete Item"}));
    EXPECT_EQ(enabled, std::vector<bool>({true, false}));
    EXPECT_EQ(pMenuParent, pApp);
    EXPECT_TRUE(openMenus().empty());
}

// Each child the application lists names the application as its parent, and
// each open popup that does so is listed: the window of an open drop-down
// list too, while it is open.
TEST(AccessibleTree, OpenDropDownListIsAmongTheApplicationsChildren)
{
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
    dlg.Create();
    QComboBox* pMode = dlg.ComboBox(IDC_COMBO_MODE);
    QAccessibleInterface* pCombo = Interface(pMode);
    QAccessibleInterface* pApp = Interface(qApp);
    const auto listed = [pApp](QObject* pObject) {
        bool bListed = false;
        for (int i = 0; i < pApp->childCount(); ++i) {
            QAccessibleInterface* pChild = pApp->child(i);
            EXPECT_EQ(pChild->parent(), pApp) << pChild->object()->metaObject()->className();
            EXPECT_EQ(pApp->indexOfChild(pChild), i);
            bListed = bListed || pChild->object() == pObject;
        }
        return bListed;
    };
    pMode->showPopup();
    QWidget* pDropDown = pMode->view()->window();
    ASSERT_TRUE(pDropDown->isVisible());
    EXPECT_TRUE(pCombo->state().expanded);
    EXPECT_EQ(pCombo->child(0)->object(), pMode->view());
    EXPECT_TRUE(listed(pDropDown));
    EXPECT_TRUE(listed(&dlg));
    pMode->hidePopup();
    EXPECT_TRUE(pCombo->state().collapsed);
    EXPECT_FALSE(listed(pDropDown));
}

// Tab goes round the editors' controls, each with a name a screen reader
// reads, and never stops on the frame around them (the scrolling area did).
TEST(AccessibleTree, TabStopsOnlyOnNamedControls)
{
    FakeUserServices services;
    CFrequencyTableDlg channels{services};
    CTunerEditDlg tuners{services};
    for (CDialog* pDialog : std::initializer_list<CDialog*>{&channels, &tuners}) {
        pDialog->Create();
        pDialog->OnCommand(IDC_BUTTON_CREATE_NEW); // the controls a table enables take Tab too
        pDialog->activateWindow();
        QApplication::processEvents();
        std::set<QWidget*> stops;
        for (int i = 0; i < 60; ++i) {
            QWidget* pFocus = QApplication::focusWidget();
            ASSERT_NE(pFocus, nullptr);
            QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pFocus);
            ASSERT_NE(pInterface, nullptr);
            EXPECT_FALSE(pInterface->text(QAccessible::Name).isEmpty())
                << "an unnamed " << pFocus->metaObject()->className() << " takes Tab in "
                << pDialog->windowTitle().toStdString();
            stops.insert(pFocus);
            QTest::keyClick(pFocus, Qt::Key_Tab);
        }
        EXPECT_GE(stops.size(), 6u);
        pDialog->hide();
    }
}
