// Undo and redo in both editors, driven through their real widgets: the keys
// in the edit fields and the list, the row menus' items, and the table on
// screen put back with each step. A step holds the table, not the displays:
// they show what the document then holds (EditorDisplaysPropertyTest.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QTextStream>

#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// All a person sees of the channel editor.
struct ChannelScreen
{
    std::vector<QString> texts;
    std::vector<bool> enabled;
    int iModeChoice = -1;
    std::vector<QString> rows;
    Bytes image; // the table as it would be saved; empty without a table

    bool operator==(const ChannelScreen& o) const
    {
        return texts == o.texts && enabled == o.enabled && iModeChoice == o.iModeChoice && rows == o.rows &&
               image == o.image;
    }
};

void PrintTo(const ChannelScreen& screen, std::ostream* os)
{
    *os << "{";
    for (const QString& text : screen.texts)
        *os << text.toStdString() << " ";
    *os << "| choice " << screen.iModeChoice << " | " << screen.rows.size() << " rows, image " << screen.image.size()
        << " bytes}";
}

// The table as a save writes it: what undo and redo put back. Which list
// the rows show is the view's choice, which no step holds.
struct ShownTable
{
    std::vector<QString> rows;
    Bytes image;
    bool operator==(const ShownTable& o) const { return image == o.image; }
};

template <class Screen> ShownTable TableOf(const Screen& screen)
{
    return ShownTable{screen.rows, screen.image};
}

void PrintTo(const ShownTable& table, std::ostream* os)
{
    *os << "{" << table.rows.size() << " rows, image " << table.image.size() << " bytes}";
}

ChannelScreen ScreenOf(CFrequencyTableDlg& dlg)
{
    ChannelScreen screen;
    for (int id :
         {IDC_STATIC_MODE, IDC_STATIC_CHANNEL_NUMBER, IDC_STATIC_COUNTRY_CODE, IDC_STATIC_COUNTRY, IDC_STATIC_TV_SYSTEM,
          IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, IDC_STATIC_CABLE_MIN, IDC_STATIC_CABLE_MAX})
        screen.texts.push_back(TextOf(dlg, id));
    for (int id : {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD,
                   IDC_BUTTON_RESET, IDC_BUTTON_SAVE_VALUE})
        screen.enabled.push_back(EnabledOf(dlg, id));
    screen.iModeChoice = Control<QComboBox>(dlg, IDC_COMBO_MODE)->currentIndex();
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    for (int row = 0; row < pList->GetItemCount(); ++row)
        screen.rows.push_back(pList->GetItemText(row, 0) + "|" + pList->GetItemText(row, 1));
    if (dlg.Table())
        screen.image = dlg.Table()->FileImage();
    return screen;
}

class ChannelUndoTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }
    QWidget* FrequencyEdit() { return dlg.GetDlgItem(IDC_EDIT_FREQUENCY); }

    void Load(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }
    void RightClickRow(int row, int command)
    {
        services.menuAnswers.push_back(command);
        ClickRow(List(), row, Qt::RightButton);
    }
    // Runs a command and remembers the screens before and after it.
    template <class Command> void Step(Command command)
    {
        const ChannelScreen before = ScreenOf(dlg);
        command();
        const ChannelScreen after = ScreenOf(dlg);
        ASSERT_FALSE(before == after) << "the command changed nothing";
        steps.emplace_back(before, after);
    }
    void Key(QWidget* pWidget, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        pWidget->setFocus();
        QTest::keyClick(pWidget, key, modifiers);
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
    std::vector<std::pair<ChannelScreen, ChannelScreen>> steps;
};

} // namespace

TEST_F(ChannelUndoTest, EveryCommandUndoesAndRedoesWithItsDisplaysByKey)
{
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(44, {10, 20, 30, 40, 50, 60}, {100, 110}, 2, 1));
    const ChannelScreen opened = ScreenOf(dlg);

    Step([&] { Click(dlg, IDC_BUTTON_CREATE_NEW); });
    Step([&] {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
        PressKey(FrequencyEdit(), Qt::Key_Return);
    });
    Step([&] {
        TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "49");
        Click(dlg, IDC_BUTTON_ENTER);
    });
    Step([&] { Load(path); });
    // Clicks and typing are no steps: each step starts from what they showed.
    ClickRow(List(), 1);
    ClickRow(List(), 3, Qt::LeftButton, Qt::ControlModifier);
    ClickRow(List(), 5, Qt::LeftButton, Qt::ControlModifier);
    Step([&] { RightClickRow(5, IDM_DELETE_ITEM); });
    ClickRow(List(), 0);
    Step([&] { RightClickRow(0, IDM_DELETE_ITEM); });
    Step([&] { RightClickRow(1, IDM_INSERT_BLANK_ITEM); });
    ClickRow(List(), 0);
    Step([&] {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, "77.5");
        Click(dlg, IDC_BUTTON_SAVE_VALUE);
    });
    // The cable list: the mode choice is no step, but undo returns to it.
    QComboBox* pCombo = Control<QComboBox>(dlg, IDC_COMBO_MODE);
    pCombo->setFocus();
    QTest::keyClick(pCombo, Qt::Key_Down);
    ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    Step([&] {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, "120");
        Click(dlg, IDC_BUTTON_ADD);
    });
    Step([&] { Click(dlg, IDC_BUTTON_CREATE_NEW); });
    ASSERT_EQ(dlg.Document().UndoCount(), steps.size());

    // Ctrl+Z in the frequency edit and in the list, back to the opened
    // editor's table; the controls the first table enabled stay enabled.
    const std::vector<bool> allEnabled(7, true);
    for (std::size_t k = steps.size(); k > 0; --k) {
        Key(k % 2 ? FrequencyEdit() : static_cast<QWidget*>(List()), Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(TableOf(ScreenOf(dlg)), TableOf(steps[k - 1].first)) << "undo of step " << k;
        ASSERT_EQ(ScreenOf(dlg).enabled, allEnabled) << "undo of step " << k;
    }
    EXPECT_EQ(TableOf(ScreenOf(dlg)), TableOf(opened));
    EXPECT_FALSE(dlg.Table());
    EXPECT_EQ(dlg.Origin(), TableOriginNone);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    Key(FrequencyEdit(), Qt::Key_Z, Qt::ControlModifier); // nothing left
    EXPECT_EQ(TableOf(ScreenOf(dlg)), TableOf(opened));

    // Ctrl+Shift+Z and Ctrl+Y, forward to the end.
    for (std::size_t k = 0; k < steps.size(); ++k) {
        if (k % 2)
            Key(FrequencyEdit(), Qt::Key_Y, Qt::ControlModifier);
        else
            Key(List(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_EQ(TableOf(ScreenOf(dlg)), TableOf(steps[k].second)) << "redo of step " << k + 1;
    }
}

// The row menu: its own two items, a separator, the eight bulk edits, a
// separator, then undo and redo.
constexpr std::size_t kRowMenuSize = 16;
constexpr std::size_t kUndoItem = 14;
constexpr std::size_t kRedoItem = 15;

// Undo takes back the table only: what the editor's clicks chose and a code
// typed and refused stay the editor's, until a step brings another code back.
TEST_F(ChannelUndoTest, UndoKeepsTheClickedChannelAndShowsTheTablesCodeAgain)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* pszCode : {"49", "44", "0"}) {
        TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, pszCode);
        Click(dlg, IDC_BUTTON_ENTER);
    }
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(dlg.Document().CountryCode(), 44);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    ClickRow(List(), 0);
    EXPECT_EQ(dlg.EditIndex(), 1);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "61.25");
    Click(dlg, IDC_BUTTON_ADD);
    const QString shownNumber = TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER);

    ASSERT_TRUE(dlg.OnCommand(IDM_UNDO)); // the second channel
    EXPECT_EQ(dlg.EditIndex(), 1);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), shownNumber);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    ASSERT_TRUE(dlg.OnCommand(IDM_UNDO)); // the first channel
    ASSERT_TRUE(dlg.OnCommand(IDM_UNDO)); // the code 44
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "49");
    EXPECT_EQ(dlg.Document().CountryCode(), 49);
}

TEST_F(ChannelUndoTest, TheRowMenuOffersUndoAndRedoByName)
{
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(44, {10, 20, 30}, {}, 1, 0));
    RightClickRow(0, 0);
    ASSERT_EQ(services.menus.size(), 1u);
    ASSERT_EQ(services.menus[0].size(), kRowMenuSize);
    EXPECT_EQ(services.menus[0][kUndoItem].text, "&Undo");
    EXPECT_FALSE(services.menus[0][kUndoItem].bEnabled);
    EXPECT_EQ(services.menus[0][kRedoItem].text, "&Redo");
    EXPECT_FALSE(services.menus[0][kRedoItem].bEnabled);

    Load(path);
    ClickRow(List(), 1);
    const ChannelScreen loaded = ScreenOf(dlg);
    RightClickRow(1, IDM_DELETE_ITEM);
    const ChannelScreen deleted = ScreenOf(dlg);
    RightClickRow(0, IDM_UNDO);
    EXPECT_EQ(services.menus.back()[kUndoItem].text, "&Undo Delete Item");
    EXPECT_TRUE(services.menus.back()[kUndoItem].bEnabled);
    EXPECT_EQ(TableOf(ScreenOf(dlg)), TableOf(loaded));
    RightClickRow(0, IDM_REDO);
    EXPECT_EQ(services.menus.back()[kUndoItem].text, "&Undo LoadFromFile");
    EXPECT_EQ(services.menus.back()[kRedoItem].text, "&Redo Delete Item");
    EXPECT_TRUE(services.menus.back()[kRedoItem].bEnabled);
    EXPECT_EQ(ScreenOf(dlg), deleted);
    // A greyed item cannot be chosen.
    RightClickRow(0, IDM_REDO);
    EXPECT_FALSE(services.menus.back()[kRedoItem].bEnabled);
    EXPECT_EQ(ScreenOf(dlg), deleted);
}

TEST_F(ChannelUndoTest, TheKeysLeaveEnterAndOtherKeysAsTheyWere)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    PressKey(FrequencyEdit(), Qt::Key_Return);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "61.25");
    // Z and Y alone, and with Alt, are typed as text.
    QTest::keyClick(FrequencyEdit(), Qt::Key_Z);
    QTest::keyClick(FrequencyEdit(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY).left(6), "61.25z");
    EXPECT_EQ(dlg.Document().UndoCount(), 2u);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "61.25");
    PressKey(FrequencyEdit(), Qt::Key_Return);
    EXPECT_EQ(List()->GetItemCount(), 2);
    EXPECT_FALSE(dlg.IsDestroyed());
}

// The tuner editor.

namespace {

struct TunerScreen
{
    std::vector<QString> texts;
    std::vector<QString> rows;
    Bytes image;

    bool operator==(const TunerScreen& o) const { return texts == o.texts && rows == o.rows && image == o.image; }
};

TunerScreen ScreenOf(CTunerEditDlg& dlg)
{
    TunerScreen screen;
    for (int id : {IDC_STATIC_FACTORY, IDC_STATIC_TUNER_TYPE, IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE,
                   IDC_STATIC_HIGH_RANGE, IDC_STATIC_LOW_CODE, IDC_STATIC_MID_CODE, IDC_STATIC_HIGH_CODE,
                   IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2})
        screen.texts.push_back(TextOf(dlg, id));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    for (int row = 0; row < pList->GetItemCount(); ++row)
        screen.rows.push_back(pList->GetItemText(row, 1) + "|" + pList->GetItemText(row, 2));
    if (dlg.Document().Table())
        screen.image = dlg.Document().Table()->FileImage();
    return screen;
}

const char* const kCatalogue = "[Factory]\n"
                               "Count = 1\n"
                               "12 = Philips\n"
                               "\n"
                               "[18]\n"
                               "Count = 3\n"
                               "7 = X\n"
                               "2 = Y\n"
                               "21 = Z\n";

void Choose(CDialog& dlg, int id, int index)
{
    auto* pCombo = Control<QComboBox>(dlg, id);
    pCombo->setCurrentIndex(index);
    emit pCombo->activated(index);
}

// Chooses and types an entry; "Add Info" is left to the caller.
void PrepareTuner(CTunerEditDlg& dlg, int factory, int type, const QString& low)
{
    Choose(dlg, IDC_COMBO_FACTORY, factory);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, type);
    const std::pair<int, QString> inputs[] = {
        {IDC_EDIT_LOW_BAND_START, low},  {IDC_EDIT_MID_BAND_START, "160"},   {IDC_EDIT_HIGH_BAND_START, "450"},
        {IDC_EDIT_HIGH_BAND_END, "860"}, {IDC_EDIT_LOW_CODE, "00A1"},        {IDC_EDIT_MID_CODE, "0092"},
        {IDC_EDIT_HIGH_CODE, "0034"},    {IDC_EDIT_PICTURE_CARRIER, "38.9"}, {IDC_EDIT_PICTURE_CARRIER2, "0"},
    };
    for (const auto& [id, text] : inputs)
        TypeInto(dlg, id, text);
}

} // namespace

TEST(TunerUndoTest, AddDeleteCreateAndLoadUndoAndRedoWithTheDetails)
{
    TempDir dir;
    const std::string cataloguePath = dir.File("TunerSpec.inf");
    WriteAll(cataloguePath, Bytes(kCatalogue, kCatalogue + std::strlen(kCatalogue)));
    FakeUserServices services;
    CTunerEditDlg dlg(services);
    dlg.SetCataloguePath(cataloguePath);
    dlg.Create();
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);

    std::vector<std::pair<TunerScreen, TunerScreen>> steps;
    const auto step = [&](const std::function<void()>& command) {
        const TunerScreen before = ScreenOf(dlg);
        command();
        steps.emplace_back(before, ScreenOf(dlg));
        ASSERT_FALSE(steps.back().first == steps.back().second);
    };
    step([&] { Click(dlg, IDC_BUTTON_CREATE_TABLE); });
    // Choosing and typing are no steps: each step starts from what they showed.
    PrepareTuner(dlg, 0, 1, "48.25");
    step([&] { Click(dlg, IDC_BUTTON_ADD_INFO); });
    PrepareTuner(dlg, 0, 0, "44");
    step([&] { Click(dlg, IDC_BUTTON_ADD_INFO); });
    PrepareTuner(dlg, 0, 2, "52");
    step([&] { Click(dlg, IDC_BUTTON_ADD_INFO); });
    const std::string path = dir.File("t.tsf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    step([&] {
        services.menuAnswers.push_back(IDM_DELETE_TUNER);
        ClickRow(pList, 1, Qt::RightButton);
    });
    step([&] { Click(dlg, IDC_BUTTON_CREATE_TABLE); });
    step([&] {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_TUNER_FILE);
    });
    ASSERT_EQ(dlg.Document().UndoCount(), steps.size());
    EXPECT_FALSE(dlg.Document().Modified()); // just loaded

    for (std::size_t k = steps.size(); k > 0; --k) {
        pList->setFocus();
        QTest::keyClick(pList, Qt::Key_Z, Qt::ControlModifier);
        ASSERT_TRUE(TableOf(ScreenOf(dlg)) == TableOf(steps[k - 1].first)) << "undo of step " << k;
    }
    EXPECT_FALSE(dlg.Document().HasTable());
    // No details of an entry undo took away stay shown.
    EXPECT_FALSE(dlg.ShownEntry());
    EXPECT_TRUE(dlg.GetDlgItemText(IDC_STATIC_PICTURE_CARRIER).isEmpty());
    // The inputs stay enabled once a table was made.
    EXPECT_TRUE(EnabledOf(dlg, IDC_BUTTON_ADD_INFO));

    services.menuAnswers.push_back(IDM_REDO);
    ClickRow(pList, 0, Qt::RightButton);
    // The row menu's own items come first; undo and redo end it.
    const auto itemText = [&services](int command) {
        for (const MenuItem& item : services.menus.back())
            if (item.command == command)
                return item.text;
        return QString();
    };
    EXPECT_EQ(itemText(IDM_REDO), "&Redo Create New");
    ASSERT_TRUE(TableOf(ScreenOf(dlg)) == TableOf(steps[0].second));
    for (std::size_t k = 1; k < steps.size(); ++k) {
        QWidget* pEdit = dlg.GetDlgItem(IDC_EDIT_LOW_BAND_START);
        pEdit->setFocus();
        QTest::keyClick(pEdit, k % 2 ? Qt::Key_Y : Qt::Key_Z,
                        k % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(TableOf(ScreenOf(dlg)) == TableOf(steps[k].second)) << "redo of step " << k + 1;
    }
    services.menuAnswers.push_back(0);
    ClickRow(pList, 0, Qt::RightButton);
    EXPECT_EQ(itemText(IDM_UNDO), "&Undo Load File");
}
