#include <gtest/gtest.h>

#include <QAccessible>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <tuple>

#include "VornalixVersion.h"
#include "res/resource.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/ExitWhenShown.h"
#include "ui/app/UserServices.h"

namespace {

// A dialog that records the commands and keys it sees.
class ProbeDialog : public CDialog
{
public:
    ProbeDialog(int templateId, UserServices& services) : CDialog(templateId, services) {}
    std::vector<int> commands;
    bool consumeKeys = false;

    bool OnCommand(int id) override
    {
        commands.push_back(id);
        return CDialog::OnCommand(id);
    }

protected:
    bool PreTranslateMessage(QWidget*, QKeyEvent*) override { return consumeKeys; }
};

} // namespace

TEST(DialogUnits, ScaleWithTheFontMetrics)
{
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(DialogUnitsToPixels(units, 0, 0, 4, 8), QRect(0, 0, 6, 13));
    EXPECT_EQ(DialogUnitsToPixels(units, 8, 16, 40, 14), QRect(12, 26, 60, 23));

    QFont small = QApplication::font();
    small.setPointSize(8);
    QFont large = small;
    large.setPointSize(16);
    const DialogBaseUnits a = BaseUnitsOf(small);
    const DialogBaseUnits b = BaseUnitsOf(large);
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(b.cx, a.cx);
    EXPECT_GT(b.cy, a.cy);
}

TEST(DialogLayer, EveryControlWithAnIdIsFoundByIt)
{
    FakeUserServices services;
    for (int id : {IDD_ABOUTBOX, IDD_FREQUENCY_TABLE, IDD_LAUNCHER, IDD_CONVERT, IDD_TUNER_EDIT}) {
        CDialog dialog(id, services);
        const DialogTemplate& tpl = dialog.Template();
        ASSERT_EQ(tpl.id, id);
        const DialogBaseUnits units = dialog.BaseUnits();
        EXPECT_GE(units.cx, BaseUnitsOf(dialog.font()).cx);
        EXPECT_GE(units.cy, BaseUnitsOf(dialog.font()).cy);
        EXPECT_EQ(dialog.size(), DialogUnitsToPixels(units, 0, 0, tpl.cx, tpl.cy).size());
        for (std::size_t i = 0; i < tpl.controlCount; ++i) {
            const ControlTemplate& control = tpl.controls[i];
            if (control.id == IDC_STATIC)
                continue;
            QWidget* pWidget = dialog.findChild<QWidget*>(QString::number(control.id));
            ASSERT_NE(pWidget, nullptr) << "dialog " << id << " control " << control.id;
            EXPECT_EQ(dialog.GetDlgItem(control.id), pWidget);
            EXPECT_EQ(pWidget->isHidden(), (control.styles & StyleHidden) != 0) << control.id;
            EXPECT_EQ(pWidget->isEnabled(), (control.styles & StyleDisabled) == 0) << control.id;
            EXPECT_EQ(pWidget->pos(),
                      DialogUnitsToPixels(units, control.x, control.y, control.cx, control.cy).topLeft())
                << control.id;
            if (control.text && control.kind != ControlKind::ComboDropList) {
                EXPECT_EQ(dialog.GetDlgItemText(control.id), QString::fromLatin1(control.text)) << control.id;
            }
        }
    }
}

// Captions that a wider font would cut stretch the dialog instead.
TEST(DialogLayer, FixedCaptionsAreNeverCut)
{
    FakeUserServices services;
    for (int id : {IDD_ABOUTBOX, IDD_FREQUENCY_TABLE, IDD_LAUNCHER, IDD_CONVERT, IDD_TUNER_EDIT}) {
        CDialog dialog(id, services);
        for (QLabel* pLabel : dialog.findChildren<QLabel*>()) {
            if (pLabel->wordWrap() || pLabel->text().isEmpty())
                continue;
            EXPECT_LE(pLabel->fontMetrics().horizontalAdvance(pLabel->text()), pLabel->width())
                << "dialog " << id << ": " << pLabel->text().toStdString();
        }
        for (QLabel* pLabel : dialog.findChildren<QLabel*>()) {
            if (pLabel->frameStyle() != (QFrame::Panel | QFrame::Sunken) || pLabel->wordWrap())
                continue;
            EXPECT_GE(pLabel->contentsRect().height(), pLabel->fontMetrics().height())
                << "dialog " << id << ": display " << pLabel->objectName().toStdString();
        }
        for (QPushButton* pButton : dialog.findChildren<QPushButton*>())
            EXPECT_LE(pButton->fontMetrics().horizontalAdvance(pButton->text()) + 8, pButton->width())
                << "dialog " << id << ": " << pButton->text().toStdString();
    }
    QFont wide = QApplication::font();
    wide.setLetterSpacing(QFont::PercentageSpacing, 160);
    const DialogTemplate* pTemplate = FindDialogTemplate(IDD_FREQUENCY_TABLE);
    EXPECT_GT(FitCaptions(*pTemplate, wide, BaseUnitsOf(wide)).cx, BaseUnitsOf(wide).cx);
}

TEST(DialogLayer, DropDownListStartsWithoutSelectionAndAddingDoesNotSelect)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    EXPECT_EQ(dialog.ComboGetCount(IDC_COMBO_MODE), 2);
    EXPECT_EQ(dialog.ComboGetCurSel(IDC_COMBO_MODE), -1);
    EXPECT_EQ(dialog.ComboGetLBText(IDC_COMBO_MODE, 0), "Antenna");
    EXPECT_EQ(dialog.ComboGetLBText(IDC_COMBO_MODE, 1), "Cable");

    CDialog tuner(IDD_TUNER_EDIT, services);
    EXPECT_EQ(tuner.ComboAddString(IDC_COMBO_FACTORY, "Philips"), 0);
    EXPECT_EQ(tuner.ComboAddString(IDC_COMBO_FACTORY, "Temic"), 1);
    tuner.ComboSetItemData(IDC_COMBO_FACTORY, 1, 0x12);
    EXPECT_EQ(tuner.ComboGetCurSel(IDC_COMBO_FACTORY), -1);
    EXPECT_EQ(tuner.ComboGetItemData(IDC_COMBO_FACTORY, 1), 0x12);
    tuner.ComboResetContent(IDC_COMBO_FACTORY);
    EXPECT_EQ(tuner.ComboGetCount(IDC_COMBO_FACTORY), 0);
}

TEST(DialogLayer, DigitsOnlyEditRefusesOtherCharacters)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    dialog.Create();
    TypeInto(dialog, IDC_EDIT_COUNTRY_CODE, "4a4-");
    EXPECT_EQ(TextOf(dialog, IDC_EDIT_COUNTRY_CODE), "44");
    TypeInto(dialog, IDC_EDIT_FREQUENCY, "55.25x");
    EXPECT_EQ(TextOf(dialog, IDC_EDIT_FREQUENCY), "55.25x");
}

TEST(DialogLayer, FramesLieBeneathAndIgnoreTheMouse)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    const auto frames = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(frames.size(), 4);
    for (QGroupBox* pFrame : frames) {
        EXPECT_TRUE(pFrame->testAttribute(Qt::WA_TransparentForMouseEvents));
        EXPECT_EQ(dialog.children().indexOf(pFrame) < dialog.children().indexOf(dialog.GetDlgItem(IDC_STATIC_MODE)),
                  true);
    }
}

TEST(DialogKeys, EnterPressesTheEnabledDefaultButtonOnly)
{
    FakeUserServices services;
    ProbeDialog convert(IDD_CONVERT, services); // "Convert Now" is the default button, disabled at first
    convert.Create();
    auto* pStatus = convert.GetDlgItem(IDC_STATIC_STATUS);
    convert.GetDlgItem(IDC_BUTTON_LOAD_FILE)->clearFocus();
    PressKey(pStatus, Qt::Key_Return);
    EXPECT_TRUE(convert.commands.empty());

    convert.EnableDlgItem(IDOK, true);
    PressKey(pStatus, Qt::Key_Enter);
    EXPECT_EQ(convert.commands, std::vector<int>{IDOK});
    convert.commands.clear();
    convert.GotoDlgCtrl(IDC_BUTTON_LOAD_FILE);
    PressKey(convert.GetDlgItem(IDC_BUTTON_LOAD_FILE), Qt::Key_Return); // focused button wins
    ASSERT_EQ(convert.commands.size(), 1u);
    EXPECT_EQ(convert.commands[0], IDC_BUTTON_LOAD_FILE);
}

TEST(DialogKeys, EscapeAndCloseBoxCancel)
{
    FakeUserServices services;
    ProbeDialog about(IDD_ABOUTBOX, services);
    about.Create();
    PressKey(about.GetDlgItem(IDOK), Qt::Key_Escape);
    EXPECT_EQ(about.commands, std::vector<int>{IDCANCEL});
    EXPECT_EQ(about.Result(), IDCANCEL);
    EXPECT_TRUE(about.IsDestroyed());
    EXPECT_FALSE(about.isVisible());

    ProbeDialog launcher(IDD_LAUNCHER, services);
    launcher.Create();
    launcher.close();
    EXPECT_EQ(launcher.commands, std::vector<int>{IDCANCEL});

    ProbeDialog consuming(IDD_ABOUTBOX, services);
    consuming.consumeKeys = true;
    consuming.Create();
    PressKey(consuming.GetDlgItem(IDOK), Qt::Key_Escape);
    EXPECT_TRUE(consuming.commands.empty());
}

TEST(DialogModal, DoModalRunsUntilEndDialog)
{
    FakeUserServices services;
    CAboutDlg about{services};
    QTimer::singleShot(0, &about, [&about] { QTest::mouseClick(about.GetDlgItem(IDOK), Qt::LeftButton); });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_TRUE(about.IsDestroyed());
}

TEST(FileFilter, ConvertedToQtForm)
{
    EXPECT_EQ(QtFileFilter("CCF Files (*.ccf)|*.ccf|All Files (*.*)|*.*||"), "CCF Files (*.ccf);;All Files (*)");
    EXPECT_EQ(QtFileFilter("CFT Files (*.cft)|*.cft||"), "CFT Files (*.cft)");
    EXPECT_EQ(QtFileFilter("Tables|*.ccf;*.tsf||"), "Tables (*.ccf *.tsf)");
}

TEST(ListViewOps, SelectionQueriesAndRebuild)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    ASSERT_NE(pList, nullptr);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->InsertColumn(1, "Frequency(MHz)", LVCFMT_CENTER, 110);
    EXPECT_EQ(pList->columnWidth(0), 50);
    EXPECT_EQ(pList->model()->headerData(1, Qt::Horizontal).toString(), "Frequency(MHz)");
    pList->SetRows(10, [](int row, int col) { return QString("%1/%2").arg(row).arg(col); });
    EXPECT_EQ(pList->GetItemCount(), 10);
    EXPECT_EQ(pList->GetItemText(3, 1), "3/1");

    pList->SetSelectedRows({1, 2, 3, 7});
    EXPECT_EQ(pList->GetSelectedCount(), 4);
    EXPECT_EQ(pList->GetNextSelected(-1), 1);
    EXPECT_EQ(pList->GetNextSelected(1), 2);
    EXPECT_EQ(pList->GetNextSelected(3), 7);
    EXPECT_EQ(pList->GetNextSelected(7), -1);
    EXPECT_EQ(pList->GetSelectedRows(), (std::vector<int>{1, 2, 3, 7}));

    pList->SetExtendedStyle(pList->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_TRUE(pList->showGrid());

    pList->SetRows(3, [](int, int) { return QString("x"); });
    EXPECT_EQ(pList->GetSelectedCount(), 0);
    pList->EnsureVisible(99); // not a row: no effect, no crash
    pList->DeleteAllItems();
    EXPECT_EQ(pList->GetItemCount(), 0);
}

TEST(ListViewOps, MouseClicksSelectAndNotify)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    dialog.Create();
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->SetRows(20, [](int row, int) { return QString::number(row); });
    QSignalSpy clicks(pList, &ListView::Clicked);
    QSignalSpy rightClicks(pList, &ListView::RightClicked);

    ClickRow(pList, 4);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(pList->GetSelectedRows(), std::vector<int>{4});
    ClickRow(pList, 6, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(pList->GetSelectedRows(), (std::vector<int>{4, 6}));
    // A right click on a selected row keeps the selection; on another row it selects that row.
    ClickRow(pList, 6, Qt::RightButton);
    EXPECT_EQ(rightClicks.count(), 1);
    EXPECT_EQ(pList->GetSelectedRows(), (std::vector<int>{4, 6}));
    ClickRow(pList, 9, Qt::RightButton);
    EXPECT_EQ(pList->GetSelectedRows(), std::vector<int>{9});

    // The menu key reaches the row menu too; a mouse right click raises it once.
    QContextMenuEvent keyboardMenu(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(pList->viewport(), &keyboardMenu);
    EXPECT_EQ(rightClicks.count(), 3);
    QContextMenuEvent mouseMenu(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(pList->viewport(), &mouseMenu);
    EXPECT_EQ(rightClicks.count(), 3);
}

TEST(Launcher, TemplateTextsAndStates)
{
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    EXPECT_EQ(launcher.windowTitle(), "Vornalix");
    EXPECT_EQ(TextOf(launcher, IDC_BUTTON_FREQUENCY_EDIT), "Frequency Table Edit");
    EXPECT_EQ(TextOf(launcher, IDC_BUTTON_TUNER_EDIT), "Tuner Specification Edit");
    EXPECT_EQ(TextOf(launcher, IDOK), "OK");
    EXPECT_TRUE(Control<QPushButton>(launcher, IDCANCEL)->isHidden());
    EXPECT_FALSE(EnabledOf(launcher, IDCANCEL));
    EXPECT_TRUE(Control<QPushButton>(launcher, IDOK)->isDefault());
    Click(launcher, IDOK);
    EXPECT_EQ(launcher.Result(), IDOK);
    EXPECT_FALSE(launcher.isVisible());
}

TEST(AboutBox, TitleTextsAndIcon)
{
    FakeUserServices services;
    CAboutDlg about{services};
    about.Create();
    EXPECT_EQ(about.windowTitle(), "About Vornalix");
    QStringList texts;
    bool hasIcon = false;
    for (QLabel* pLabel : about.findChildren<QLabel*>()) {
        texts << pLabel->text();
        hasIcon = hasIcon || !pLabel->pixmap().isNull();
    }
    EXPECT_TRUE(texts.contains("Vornalix Ver " VORNALIX_VERSION));
    EXPECT_TRUE(hasIcon);
    EXPECT_FALSE(ApplicationIcon().availableSizes().isEmpty());
    EXPECT_TRUE(ApplicationIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(ApplicationIcon().availableSizes().contains(QSize(32, 32)));
    Click(about, IDOK);
    EXPECT_EQ(about.Result(), IDOK);
}

TEST(Accessibility, ControlsAreNamedByTheirLabels)
{
    FakeUserServices services;
    const std::vector<std::tuple<int, int, QString>> expected = {
        {IDD_FREQUENCY_TABLE, IDC_EDIT_FREQUENCY, "Frequency"},
        {IDD_FREQUENCY_TABLE, IDC_EDIT_COUNTRY_CODE, "Country Code"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_COUNTRY_CODE, "Country Code"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_CHANNEL_NUMBER, "Channel Number"},
        {IDD_FREQUENCY_TABLE, IDC_COMBO_MODE, "Mode"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_COUNTRY, "Country"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_TV_SYSTEM, "TV System"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_AIR_MIN, "Antenna Min CH"},
        {IDD_FREQUENCY_TABLE, IDC_STATIC_CABLE_MAX, "Cable Max CH"},
        {IDD_FREQUENCY_TABLE, IDC_LIST_CHANNELS, "Frequency Table"},
        {IDD_TUNER_EDIT, IDC_EDIT_LOW_BAND_START, "Low Band Start"},
        {IDD_TUNER_EDIT, IDC_EDIT_PICTURE_CARRIER2, "Picture Carrier 2"},
        {IDD_TUNER_EDIT, IDC_EDIT_LOW_CODE, "Low band code"},
        {IDD_TUNER_EDIT, IDC_COMBO_FACTORY, "Factory"},
        {IDD_TUNER_EDIT, IDC_COMBO_TUNER_TYPE, "Tuner Type"},
        {IDD_TUNER_EDIT, IDC_STATIC_TUNER_TYPE, "Tuner Type"},
        {IDD_TUNER_EDIT, IDC_STATIC_LOW_CODE, "Low Band"},
        {IDD_TUNER_EDIT, IDC_LIST_TUNERS, "Tuner Table"},
        {IDD_CONVERT, IDC_STATIC_PATH, "Load Old Format File"},
    };
    for (const auto& [dialogId, controlId, name] : expected) {
        CDialog dialog(dialogId, services);
        EXPECT_EQ(dialog.GetDlgItem(controlId)->accessibleName(), name)
            << "dialog " << dialogId << " control " << controlId;
    }
}

// The Tab key visits the controls in template order.
TEST(Accessibility, TabOrderFollowsTheTemplate)
{
    FakeUserServices services;
    for (int id : {IDD_FREQUENCY_TABLE, IDD_TUNER_EDIT, IDD_CONVERT, IDD_LAUNCHER}) {
        CDialog dialog(id, services);
        const DialogTemplate& tpl = dialog.Template();
        std::vector<QWidget*> expected;
        for (std::size_t i = 0; i < tpl.controlCount; ++i) {
            QWidget* pWidget = dialog.GetDlgItem(tpl.controls[i].id);
            if (pWidget && (pWidget->focusPolicy() & Qt::TabFocus))
                expected.push_back(pWidget);
        }
        ASSERT_GT(expected.size(), 2u);
        std::vector<QWidget*> chain;
        QWidget* pWidget = expected.front();
        do {
            if (std::find(expected.begin(), expected.end(), pWidget) != expected.end())
                chain.push_back(pWidget);
            pWidget = pWidget->nextInFocusChain();
        } while (pWidget != expected.front() && chain.size() <= expected.size());
        EXPECT_EQ(chain, expected) << "dialog " << id;
    }
}

// What assistive technologies read: names from the labels, buttons by their
// captions, the lists as tables with their column headings.
TEST(Accessibility, InterfacesCarryNamesRolesAndHeadings)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->InsertColumn(1, "Frequency(MHz)", LVCFMT_CENTER, 110);
    pList->SetRows(3, [](int row, int) { return QString::number(row); });

    QAccessibleInterface* pEdit = QAccessible::queryAccessibleInterface(dialog.GetDlgItem(IDC_EDIT_FREQUENCY));
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->text(QAccessible::Name), "Frequency");
    EXPECT_EQ(pEdit->role(), QAccessible::EditableText);

    QAccessibleInterface* pButton = QAccessible::queryAccessibleInterface(dialog.GetDlgItem(IDC_BUTTON_ADD));
    EXPECT_EQ(pButton->text(QAccessible::Name), "Add to the end");
    EXPECT_EQ(pButton->role(), QAccessible::Button);

    QAccessibleInterface* pTable = QAccessible::queryAccessibleInterface(pList);
    ASSERT_NE(pTable, nullptr);
    EXPECT_EQ(pTable->role(), QAccessible::Table);
    EXPECT_EQ(pTable->text(QAccessible::Name), "Frequency Table");
    QAccessibleTableInterface* pCells = pTable->tableInterface();
    ASSERT_NE(pCells, nullptr);
    EXPECT_EQ(pCells->columnCount(), 2);
    EXPECT_EQ(pCells->rowCount(), 3);
    EXPECT_EQ(pCells->columnDescription(1), "Frequency(MHz)");
}

// The icon decodes its images only when a picture is asked for; whatever is
// asked, it answers as the icon built straight from the image files does.
TEST(ApplicationIconTest, AnswersAsTheIconBuiltFromItsFiles)
{
    QIcon direct;
    for (int size : {16, 32, 48, 256})
        direct.addFile(QStringLiteral(":/vornalix/vornalix-%1.png").arg(size), QSize(size, size));
    const QIcon icon = ApplicationIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), direct.availableSizes());
    EXPECT_EQ(icon.availableSizes(QIcon::Disabled), direct.availableSizes(QIcon::Disabled));
    for (int size : {16, 24, 32, 48, 64, 256}) {
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QImage mine = icon.pixmap(QSize(size, size), mode).toImage();
            ASSERT_FALSE(mine.isNull()) << size;
            EXPECT_EQ(mine, direct.pixmap(QSize(size, size), mode).toImage()) << size << " mode " << mode;
            EXPECT_EQ(icon.actualSize(QSize(size, size), mode), direct.actualSize(QSize(size, size), mode));
        }
    }
    EXPECT_EQ(icon.availableSizes(), direct.availableSizes());
}

namespace {

// The selected rows as the selection model holds them, worked out afresh.
std::vector<int> RowsOfSelection(const ListView& list)
{
    std::vector<bool> selected(static_cast<std::size_t>(list.GetItemCount()), false);
    for (const QItemSelectionRange& range : list.selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            selected[static_cast<std::size_t>(row)] = true;
    }
    std::vector<int> rows;
    for (std::size_t row = 0; row < selected.size(); ++row) {
        if (selected[row])
            rows.push_back(static_cast<int>(row));
    }
    return rows;
}

void ExpectSelectionAnswers(const ListView& list, const char* step)
{
    const std::vector<int> rows = RowsOfSelection(list);
    EXPECT_EQ(list.GetSelectedRows(), rows) << step;
    EXPECT_EQ(list.GetSelectedCount(), static_cast<int>(rows.size())) << step;
    // GetNextSelected walks the same rows one after another.
    std::vector<int> walked;
    for (int row = list.GetNextSelected(-1); row >= 0; row = list.GetNextSelected(row))
        walked.push_back(row);
    EXPECT_EQ(walked, rows) << step;
}

} // namespace

// The list remembers its selected rows between changes; every way the
// selection changes must make it work them out again.
TEST(ListViewOps, SelectedRowsFollowEveryKindOfSelectionChange)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    dialog.Create();
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->InsertColumn(1, "Frequency(MHz)", LVCFMT_CENTER, 110);
    pList->SetRows(30, [](int row, int) { return QString::number(row); });
    ExpectSelectionAnswers(*pList, "nothing selected");

    ClickRow(pList, 4);
    ExpectSelectionAnswers(*pList, "click");
    ClickRow(pList, 9, Qt::LeftButton, Qt::ShiftModifier);
    ExpectSelectionAnswers(*pList, "shift click");
    ClickRow(pList, 6, Qt::LeftButton, Qt::ControlModifier);
    ExpectSelectionAnswers(*pList, "control click off");
    ClickRow(pList, 20, Qt::LeftButton, Qt::ControlModifier);
    ExpectSelectionAnswers(*pList, "control click on");
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_Down, Qt::ShiftModifier);
    ExpectSelectionAnswers(*pList, "shift down");
    QTest::keyClick(pList, Qt::Key_A, Qt::ControlModifier);
    ExpectSelectionAnswers(*pList, "select all");
    EXPECT_EQ(pList->GetSelectedCount(), 30);
    pList->SetSelectedRows({0, 2, 3, 29});
    ExpectSelectionAnswers(*pList, "set rows");
    pList->selectionModel()->select(pList->model()->index(2, 1), QItemSelectionModel::Deselect);
    ExpectSelectionAnswers(*pList, "one cell off");
    pList->clearSelection();
    ExpectSelectionAnswers(*pList, "cleared");
    pList->SetSelectedRows({5, 6});
    pList->SetRows(10, [](int, int) { return QString("x"); });
    ExpectSelectionAnswers(*pList, "rebuilt");
    EXPECT_EQ(pList->GetSelectedCount(), 0);
    pList->SetSelectedRows({1, 8});
    pList->setSelectionModel(new QItemSelectionModel(pList->model(), pList));
    ExpectSelectionAnswers(*pList, "new selection model");
    ClickRow(pList, 3);
    ExpectSelectionAnswers(*pList, "click on the new model");
    pList->DeleteAllItems();
    ExpectSelectionAnswers(*pList, "emptied");
}

// The column headings keep a selection of their own, always empty: with the
// rows' selection they would check every selected range at each repaint.
TEST(ListViewOps, HeadingsDoNotShareTheRowSelection)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    dialog.Create();
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    pList->SetRows(10, [](int row, int) { return QString::number(row); });
    pList->SetSelectedRows({1, 2});
    QItemSelectionModel* pHeadings = pList->horizontalHeader()->selectionModel();
    ASSERT_NE(pHeadings, nullptr);
    EXPECT_NE(pHeadings, pList->selectionModel());
    EXPECT_EQ(pHeadings->model(), pList->model());
    EXPECT_FALSE(pHeadings->hasSelection());
    pList->setSelectionModel(new QItemSelectionModel(pList->model(), pList));
    EXPECT_NE(pList->horizontalHeader()->selectionModel(), pList->selectionModel());
}

// The measured runs' early end: with the application's watch installed,
// each modal window closes after its first paint as its close box would, a
// dialog shown again is closed again, and a message box ends too.
TEST(ModalWindowsCloseOnceShown, EveryModalWindowEndsAfterItsFirstPaint)
{
    auto* pWatch = new ModalWindowsCloseOnceShown(qApp);
    qApp->installEventFilter(pWatch);
    FakeUserServices services;
    ProbeDialog about(IDD_ABOUTBOX, services);
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_EQ(about.commands, std::vector<int>{IDCANCEL});
    ProbeDialog again(IDD_ABOUTBOX, services);
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vornalix"), QStringLiteral("text"), QMessageBox::Ok);
    box.exec();
    EXPECT_FALSE(box.isVisible());
    // A window that is not modal is left open.
    QWidget plain;
    plain.show();
    QApplication::processEvents();
    EXPECT_TRUE(plain.isVisible());
    delete pWatch;
}
