// The channel table editor driven through its real widgets on the offscreen
// platform; file choosers, menus and child dialogs answer from the fake services.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <ostream>
#include <set>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>

#include "res/resource.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/channel/CFrequencyTableDlg.h"

namespace {

const char* const kFilter = "CCF Files (*.ccf)|*.ccf|All Files (*.*)|*.*||";

Bytes CcfImage(std::int32_t country, const std::vector<double>& air, const std::vector<double>& cable,
               std::uint16_t airMin, std::uint16_t cableMin)
{
    return ChannelTableImage(country, air, cable, airMin, cableMin);
}

std::vector<double> Frequencies(const ChannelTable* pTable, std::int32_t iMode)
{
    std::vector<double> result;
    const EntryList* pList = pTable ? pTable->GetList(iMode) : nullptr;
    for (const EntryNode* p = pList ? pList->pHead : nullptr; p; p = p->pNext)
        result.push_back(static_cast<const ChannelNode*>(p)->dbFrequency);
    return result;
}

class FrequencyTableDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }
    QComboBox* Combo() { return Control<QComboBox>(dlg, IDC_COMBO_MODE); }
    QWidget* FrequencyEdit() { return dlg.GetDlgItem(IDC_EDIT_FREQUENCY); }

    // Every row as "number|frequency".
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < List()->GetItemCount(); ++row)
            rows.push_back((List()->GetItemText(row, 0) + "|" + List()->GetItemText(row, 1)).toStdString());
        return rows;
    }

    std::string WriteTable(const std::string& name, std::int32_t country, const std::vector<double>& air,
                           const std::vector<double>& cable, std::uint16_t airMin, std::uint16_t cableMin)
    {
        const std::string path = dir.File(name);
        WriteAll(path, CcfImage(country, air, cable, airMin, cableMin));
        return path;
    }

    void Load(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }

    void Save(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    }

    void Append(const QString& text)
    {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, text);
        Click(dlg, IDC_BUTTON_ADD);
    }

    void EnterCountry(const QString& text)
    {
        TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, text);
        Click(dlg, IDC_BUTTON_ENTER);
    }

    // A choice in the drop-down list by keyboard, which reports it as chosen.
    void ChooseMode(int index)
    {
        QComboBox* pCombo = Combo();
        ASSERT_NE(pCombo->currentIndex(), index);
        pCombo->setFocus();
        QTest::keyClick(pCombo, index > pCombo->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(pCombo->currentIndex(), index);
    }

    void RightClickRow(int row, int command)
    {
        services.menuAnswers.push_back(command);
        ClickRow(List(), row, Qt::RightButton);
    }

    // A right click on the list below its last row.
    void RightClickBelowRows(int command)
    {
        services.menuAnswers.push_back(command);
        List()->clearSelection();
        QWidget* pViewport = List()->viewport();
        QTest::mouseClick(pViewport, Qt::RightButton, Qt::NoModifier, QPoint(10, pViewport->height() - 4));
    }

    bool FrequencyEditHasFocus() { return dlg.focusWidget() == FrequencyEdit(); }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

const std::vector<MenuItem> kRowMenu = {{IDM_INSERT_BLANK_ITEM, "Insert Blank Item"}, {IDM_DELETE_ITEM, "Delete Item"}};

bool SameMenu(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].command != b[i].command || a[i].text != b[i].text || a[i].bEnabled != b[i].bEnabled)
            return false;
    }
    return true;
}

// The row menu's own items, then after a separator the bulk edits (with a
// selected row), then undo and redo after a separator; an empty name is a
// greyed bare verb.
std::vector<MenuItem> WithHistory(std::vector<MenuItem> items, const QString& undo, const QString& redo)
{
    items.push_back({0, QString()});
    items.push_back({IDM_MOVE_UP, "Move U&p\tAlt+Up"});
    items.push_back({IDM_MOVE_DOWN, "Move &Down\tAlt+Down"});
    items.push_back({IDM_MOVE_TO_CHANNEL, "&Move to Channel..."});
    items.push_back({IDM_OFFSET_FREQUENCIES, "&Offset Frequencies..."});
    items.push_back({IDM_ROUND_FREQUENCIES, "Rou&nd Frequencies..."});
    items.push_back({IDM_CLEAR_TO_EMPTY, "&Clear to Empty Slot"});
    items.push_back({IDM_SORT_SELECTION, "&Sort Selection by Frequency"});
    items.push_back({IDM_FILL_DOWN, "Fill Do&wn\tCtrl+D"});
    items.push_back({IDM_FILL_SERIES, "Fi&ll Series..."});
    items.push_back({IDM_FILL_RASTER, "F&ill Raster..."});
    items.push_back({0, QString()});
    items.push_back({IDM_UNDO, undo.isEmpty() ? "&Undo" : "&Undo " + undo, !undo.isEmpty()});
    items.push_back({IDM_REDO, redo.isEmpty() ? "&Redo" : "&Redo " + redo, !redo.isEmpty()});
    return items;
}

} // namespace

TEST_F(FrequencyTableDlgTest, OpensWithTemplateTextsAndOnlyTheTableButtonsEnabled)
{
    EXPECT_EQ(dlg.windowTitle(), "Vornalix");
    EXPECT_FALSE(dlg.windowIcon().isNull());

    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Unknow");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "Country");
    for (int id : {IDC_STATIC_TV_SYSTEM, IDC_STATIC_AIR_MAX, IDC_STATIC_AIR_MIN, IDC_STATIC_CABLE_MAX,
                   IDC_STATIC_CABLE_MIN, IDC_EDIT_FREQUENCY, IDC_EDIT_COUNTRY_CODE})
        EXPECT_EQ(TextOf(dlg, id), "") << id;
    EXPECT_EQ(TextOf(dlg, IDCANCEL), "Exit");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_ENTER), "Enter");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_ADD), "Add to the end");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_RESET), "Reset");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_SAVE_TO_FILE), "SaveToFile");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_CREATE_NEW), "Create New");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_LOAD_FROM_FILE), "LoadFromFile");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_CONVERT), "Convert Old Freq Table to New");
    EXPECT_EQ(TextOf(dlg, IDC_BUTTON_SAVE_VALUE), "Save value");

    // Table and channel groups off; the rest on; OK hidden and off.
    for (int id : {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD,
                   IDC_BUTTON_RESET, IDC_BUTTON_SAVE_VALUE, IDOK})
        EXPECT_FALSE(EnabledOf(dlg, id)) << id;
    for (int id : {IDC_LIST_CHANNELS, IDCANCEL, IDC_BUTTON_SAVE_TO_FILE, IDC_BUTTON_CREATE_NEW,
                   IDC_BUTTON_LOAD_FROM_FILE, IDC_BUTTON_CONVERT})
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_TRUE(dlg.GetDlgItem(IDOK)->isHidden());

    EXPECT_EQ(Combo()->currentIndex(), -1);
    ASSERT_EQ(Combo()->count(), 2);
    EXPECT_EQ(Combo()->itemText(0), "Antenna");
    EXPECT_EQ(Combo()->itemText(1), "Cable");

    ListView* pList = List();
    ASSERT_EQ(pList->model()->columnCount(), 2);
    EXPECT_EQ(pList->model()->headerData(0, Qt::Horizontal).toString(), "CH No.");
    EXPECT_EQ(pList->model()->headerData(1, Qt::Horizontal).toString(), "Frequency(MHz)");
    EXPECT_EQ(pList->columnWidth(0), 50);
    // The frequency column takes the rest of the list's width, and never less than it was given.
    EXPECT_GE(pList->columnWidth(1), 110);
    EXPECT_EQ(pList->columnWidth(0) + pList->columnWidth(1), pList->viewport()->width());
    EXPECT_EQ(pList->model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
    EXPECT_EQ(pList->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(pList->GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(pList->GetItemCount(), 0);

    EXPECT_EQ(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Origin(), TableOriginNone);
    EXPECT_EQ(dlg.Mode(), -1);
    EXPECT_EQ(dlg.EditIndex(), 0);
}

TEST_F(FrequencyTableDlgTest, CreateNewEnablesBothGroupsAndShowsAnEmptyAirList)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    ASSERT_NE(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(dlg.Mode(), ChannelModeAir);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    EXPECT_EQ(List()->GetItemCount(), 0);
    for (int id : {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD,
                   IDC_BUTTON_RESET, IDC_BUTTON_SAVE_VALUE})
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    // No country yet; the range statics keep their empty template texts
    // until a command shows a list's range.
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), QString::fromLatin1(LookupCountry(0).pszCountry));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "");
}

// An append shows the range of its own list alone, and SaveToFile shows
// nothing, though the file's counts become the table's maxima.
TEST_F(FrequencyTableDlgTest, AppendsShowTheirListsRangeAndASaveShowsNothing)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* pszValue : {"0", "55.25", "0", "62.25", "0"}) {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, pszValue);
        Click(dlg, IDC_BUTTON_ADD);
    }
    const auto ranges = [this] {
        return std::vector<QString>{TextOf(dlg, IDC_STATIC_AIR_MIN), TextOf(dlg, IDC_STATIC_AIR_MAX),
                                    TextOf(dlg, IDC_STATIC_CABLE_MIN), TextOf(dlg, IDC_STATIC_CABLE_MAX)};
    };
    EXPECT_EQ(ranges(), (std::vector<QString>{"2", "4", "", ""}));
    services.fileAnswers.push_back(QString::fromStdString(dir.File("saved.ccf")));
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    ASSERT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Table()->Header().wAirMax(), 5);
    EXPECT_EQ(ranges(), (std::vector<QString>{"2", "4", "", ""}));
}

// Each appended row is scrolled wholly into view, however long the list.
TEST_F(FrequencyTableDlgTest, AnAppendedRowIsWhollyInView)
{
    dlg.show();
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    ListView* pList = List();
    for (int i = 0; i < 40; ++i) {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, QString::number(48.25 + i));
        Click(dlg, IDC_BUTTON_ADD);
        const QRect row = pList->visualRect(pList->model()->index(i, 0));
        ASSERT_TRUE(pList->viewport()->rect().contains(row))
            << "row " << i << " at " << row.top() << ".." << row.bottom() << " of " << pList->viewport()->height();
    }
}

TEST_F(FrequencyTableDlgTest, CreateNewTwiceKeepsTheChannelsAndTheCountryCode)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    const ChannelTable* pFirst = dlg.Table();
    Append("100");
    Append("200");
    EnterCountry("44");
    ChooseMode(1);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Cable");

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(dlg.Table(), pFirst);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 44);
    // Back in Antenna, listing the channels added after the first Create New.
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|100.00000", "002|200.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
}

TEST_F(FrequencyTableDlgTest, LoadShowsStoredRangesCountryAndTheAirList)
{
    // Stored minima on purpose unlike the computed ones: the display shows what the file says.
    const std::string path = WriteTable("t.ccf", 44, {0, 55.25, 0, 62.25, 0}, {48.5, 0, 175.25}, 7, 3);
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("10");
    ClickRow(List(), 0);
    Append("20");
    ClickRow(List(), 1);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "");

    Load(path);
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_TRUE(request.bOpen);
    EXPECT_EQ(request.title, "Open");
    EXPECT_EQ(request.defaultExt, "ccf");
    EXPECT_EQ(request.fileName, "Vornalix");
    EXPECT_EQ(request.flags, 6u);
    EXPECT_EQ(request.filter, kFilter);

    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "5");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "7");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "3");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "3");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "44");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "United Kingdom");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), "PAL_I");
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(Combo()->currentText(), "Antenna");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|--", "002|55.25000", "003|--", "004|62.25000", "005|--"}));
    // The channel number and the last clicked channel stay as they were.
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");
    EXPECT_EQ(dlg.EditIndex(), 2);

    ChooseMode(1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|48.50000", "002|--", "003|175.25000"}));
}

TEST_F(FrequencyTableDlgTest, LoadRefillsAndCreateNewAfterLoadStartsEmptyShowingTheNewTable)
{
    Load(WriteTable("a.ccf", 1, {48.25}, {}, 1, 0));
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|48.25000"});
    Load(WriteTable("b.ccf", 44, {55.25, 62.25}, {}, 1, 0));
    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|55.25000", "002|62.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "2");

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_TRUE(Frequencies(dlg.Table(), ChannelModeAir).empty());
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 0);
    // No display keeps the loaded table's values beside the new one.
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), QString::fromLatin1(LookupCountry(0).pszCountry));
}

TEST_F(FrequencyTableDlgTest, LoadAfterCreateNewDiscardsTheCreatedTable)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("10");
    Append("20");
    Append("30");
    EnterCountry("1");
    Load(WriteTable("t.ccf", 33, {471.25, 479.25}, {}, 1, 0));
    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{471.25, 479.25}));
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 33);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|471.25000", "002|479.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "France");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), "SECAM_L");
}

TEST_F(FrequencyTableDlgTest, CancelledFileDialogsChangeNothing)
{
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    EXPECT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Origin(), TableOriginNone);
    EXPECT_FALSE(EnabledOf(dlg, IDC_COMBO_MODE));

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("10");
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|10.00000"});
    EXPECT_TRUE(dir.Entries().empty());
}

// A file that cannot be read must not cost the table on screen.
TEST_F(FrequencyTableDlgTest, FailedLoadKeepsTableOriginAndDisplay)
{
    const std::string missing = dir.File("missing.ccf");

    Load(missing);
    EXPECT_EQ(dlg.Table(), nullptr);
    EXPECT_EQ(dlg.Origin(), TableOriginNone);
    EXPECT_FALSE(EnabledOf(dlg, IDC_COMBO_MODE));
    EXPECT_FALSE(EnabledOf(dlg, IDC_BUTTON_ADD));

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    const ChannelTable* pCreated = dlg.Table();
    Append("55.25");
    Append("62.25");
    EnterCountry("44");
    Load(missing);
    EXPECT_EQ(dlg.Table(), pCreated);
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{55.25, 62.25}));
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 44);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|55.25000", "002|62.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "44");
    // Create New still keeps the created table: its origin did not change.
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(dlg.Table(), pCreated);
    EXPECT_EQ(List()->GetItemCount(), 2);

    Load(WriteTable("t.ccf", 1, {48.25, 0, 60.5}, {77.25}, 1, 1));
    const ChannelTable* pLoaded = dlg.Table();
    services.messages.clear();
    Load(dir.Path()); // a folder, not a file
    EXPECT_EQ(dlg.Table(), pLoaded);
    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable), std::vector<double>{77.25});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|48.25000", "002|--", "003|60.50000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "USA");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(
        services.messages[0].startsWith(QString("Cannot load \"%1\": ").arg(QString::fromStdString(dir.Path()))))
        << services.messages[0].toStdString();
}

// Each load that cannot read its file names the file and the reason; a file that is read but holds odd values says nothing.
TEST_F(FrequencyTableDlgTest, FailedLoadSaysWhy)
{
    const std::string missing = dir.File("missing.ccf");
    const QString expected = QString("Cannot load \"%1\": %2")
                                 .arg(QString::fromStdString(missing), QString::fromLocal8Bit(std::strerror(ENOENT)));
    Load(missing);
    EXPECT_EQ(services.messages, std::vector<QString>{expected});

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Load(missing);
    EXPECT_EQ(services.messages, (std::vector<QString>{expected, expected}));

    services.messages.clear();
    Bytes odd(7, 0xEE); // shorter than a header, with no sense in it
    WriteAll(dir.File("odd.ccf"), odd);
    Load(dir.File("odd.ccf"));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Origin(), TableOriginLoaded);
}

TEST_F(FrequencyTableDlgTest, CableWithAnEmptyListShowsNoRowsAndChannelOne)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("100");
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "123");
    ChooseMode(1);
    EXPECT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Cable");
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_TRUE(FrequencyEditHasFocus());
    // Both lists' ranges stay on show.
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");

    Append("200");
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|200.00000"});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "1");
    ChooseMode(0);
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|100.00000"});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
}

TEST_F(FrequencyTableDlgTest, ChannelNumbersBeyondThreeDigitsAppearInFull)
{
    std::vector<double> air(1200);
    for (std::size_t i = 0; i < air.size(); ++i)
        air[i] = 40.0 + 0.5 * static_cast<double>(i);
    Load(WriteTable("t.ccf", 1, air, {}, 1, 0));
    ASSERT_EQ(List()->GetItemCount(), 1200);
    EXPECT_EQ(List()->GetItemText(0, 0), "001");
    EXPECT_EQ(List()->GetItemText(11, 0), "012");
    EXPECT_EQ(List()->GetItemText(122, 0), "123");
    EXPECT_EQ(List()->GetItemText(999, 0), "1000");
    EXPECT_EQ(List()->GetItemText(999, 1), "539.50000");
    EXPECT_EQ(List()->GetItemText(1199, 0), "1200");
}

TEST_F(FrequencyTableDlgTest, CountryCodeEnterShowsTheTypedCodeAndItsCountry)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EnterCountry("44");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "44");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "United Kingdom");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), "PAL_I");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_COUNTRY_CODE), "");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 44);

    EnterCountry("1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "USA");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), "NTSC_M");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 1);

    // 0 is shown and looked up but not stored.
    EnterCountry("0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), " -- ");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), " -- ");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 1);

    // Leading zeros are read as the number and shown as typed.
    EnterCountry("0044");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0044");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "United Kingdom");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 44);

    // Nothing typed: an empty display and the lookup of 0.
    EnterCountry("");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), " -- ");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 44);

    // Beyond the 32-bit range: the largest code is stored.
    EnterCountry("99999999999");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "99999999999");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), " -- ");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), std::numeric_limits<std::int32_t>::max());
}

TEST_F(FrequencyTableDlgTest, CountryCodeWithoutTableDoesNothing)
{
    dlg.SetDlgItemText(IDC_EDIT_COUNTRY_CODE, "44");
    dlg.OnCommand(IDC_BUTTON_ENTER);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_COUNTRY_CODE), "44");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "Country");
}

TEST_F(FrequencyTableDlgTest, EnterInTheCountryEditDoesNotTakeTheCode)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "44");
    PressKey(dlg.GetDlgItem(IDC_EDIT_COUNTRY_CODE), Qt::Key_Return);
    PressKey(dlg.GetDlgItem(IDC_EDIT_COUNTRY_CODE), Qt::Key_Enter);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_COUNTRY_CODE), "44");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(dlg.Table()->Header().iCountryCode(), 0);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(FrequencyTableDlgTest, EnterInTheFrequencyEditAppends)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "100");
    PressKey(FrequencyEdit(), Qt::Key_Return);
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|100.00000"});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_TRUE(FrequencyEditHasFocus());

    TypeInto(dlg, IDC_EDIT_FREQUENCY, "  105.5 MHz");
    PressKey(FrequencyEdit(), Qt::Key_Enter); // the keypad's Enter too
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|100.00000", "002|105.50000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "3");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "2");
}

TEST_F(FrequencyTableDlgTest, AppendingZeroFirstShowsDashesAndChannelOne)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("0");
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|--"});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), std::vector<double>{0.0});
}

TEST_F(FrequencyTableDlgTest, AppendingTextThatIsNoNumberStoresAnEmptySlot)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("abc");
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|--"});
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), std::vector<double>{0.0});
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_TRUE(FrequencyEditHasFocus());
}

// Only plain decimal numbers are frequencies: what the C library would read as
// hexadecimal, infinite, not a number or too large for a double is an empty slot.
TEST_F(FrequencyTableDlgTest, HexInfinityNanAndOverflowAreEmptySlotsInTheFile)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    for (const char* text : {"0x10", "inf", "nan", "1e400", "-INFINITY"})
        Append(text);
    Append("55.25e0MHz");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|--", "002|--", "003|--", "004|--", "005|--", "006|55.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "6");

    // Save value reads the edit by the same rule.
    ClickRow(List(), 5);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "0x2A");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Rows().back(), "006|--");

    const std::string path = dir.File("typed.ccf");
    Save(path);
    EXPECT_EQ(ReadAll(path), CcfImage(0, std::vector<double>(6, 0.0), {}, 6, 0));
}

TEST_F(FrequencyTableDlgTest, AppendingToAListWithoutFrequenciesKeepsTheLoadedCount)
{
    Load(WriteTable("t.ccf", 1, {0, 0, 0}, {}, 0, 0));
    Append("-5");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|--", "002|--", "003|--", "004|--"}));
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{0, 0, 0, -5}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "3");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "4");
    Append("1e2");
    EXPECT_EQ(List()->GetItemText(4, 1), "100.00000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "5");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "5");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "6");
}

TEST_F(FrequencyTableDlgTest, AppendWithAnEmptyEditChangesNothing)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("100");
    ClickRow(List(), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "");
    Click(dlg, IDC_BUTTON_ADD);
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|100.00000"});
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{0}); // the list was not rebuilt
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "1");
}

TEST_F(FrequencyTableDlgTest, AppendWithoutTableKeepsTheText)
{
    dlg.SetDlgItemText(IDC_EDIT_FREQUENCY, "100");
    dlg.OnCommand(IDC_BUTTON_ADD);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "100");
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
}

TEST_F(FrequencyTableDlgTest, ResetClearsTheFrequencyEdit)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    dlg.GotoDlgCtrl(IDC_BUTTON_CREATE_NEW);
    Click(dlg, IDC_BUTTON_RESET);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_TRUE(FrequencyEditHasFocus());
    EXPECT_EQ(List()->GetItemCount(), 0);
}

TEST_F(FrequencyTableDlgTest, ClickingARowShowsItsChannel)
{
    Load(WriteTable("t.ccf", 1, {0, 55.25, 62.25, -3}, {}, 2, 0));
    ClickRow(List(), 1);
    EXPECT_EQ(dlg.EditIndex(), 2);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "55.25000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");

    ClickRow(List(), 0);
    EXPECT_EQ(dlg.EditIndex(), 1);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");

    ClickRow(List(), 3);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_EQ(List()->GetItemText(3, 1), "--");

    // With several rows selected the first one counts.
    ClickRow(List(), 2, Qt::LeftButton, Qt::ControlModifier);
    ClickRow(List(), 1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(List()->GetSelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(dlg.EditIndex(), 2);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "55.25000");
}

TEST_F(FrequencyTableDlgTest, SaveValueWritesIntoTheLastClickedChannelOfTheCurrentMode)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40, 50, 60}, {110, 120, 130, 140, 150, 160}, 1, 1));
    ClickRow(List(), 4);
    EXPECT_EQ(dlg.EditIndex(), 5);
    ChooseMode(1);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "99.5");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable), (std::vector<double>{110, 120, 130, 140, 99.5, 160}));
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(List()->GetItemText(4, 1), "99.50000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "5");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_TRUE(FrequencyEditHasFocus());

    // An empty edit stops before anything is redrawn.
    ClickRow(List(), 0);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable)[0], 110);
}

TEST_F(FrequencyTableDlgTest, SaveValueBeforeAnyClickIsRefusedButRedraws)
{
    Load(WriteTable("t.ccf", 1, {10, 20}, {}, 1, 0));
    ClickRow(List(), 1);
    dlg.SetDlgItemText(IDC_STATIC_CHANNEL_NUMBER, "x");
    List()->clearSelection();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, List()->viewport()->height() - 4));
    EXPECT_EQ(dlg.EditIndex(), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "77");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{10, 20}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
}

TEST_F(FrequencyTableDlgTest, SaveValueFillingTheFirstEmptySlotKeepsMinChannel)
{
    Load(WriteTable("t.ccf", 1, {0, 20, 30}, {}, 2, 0));
    ClickRow(List(), 0);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "10");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|10.00000", "002|20.00000", "003|30.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "2");
    std::int32_t iMin = 0;
    dlg.Table()->GetRange(ChannelModeAir, &iMin, nullptr);
    EXPECT_EQ(iMin, 2);
}

TEST_F(FrequencyTableDlgTest, InsertBlankItemAtTheRightClickedRow)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40, 50}, {}, 1, 0));
    RightClickRow(1, IDM_INSERT_BLANK_ITEM);
    ASSERT_EQ(services.menus.size(), 1u);
    EXPECT_TRUE(SameMenu(services.menus[0], WithHistory(kRowMenu, "LoadFromFile", "")));
    EXPECT_EQ(dlg.SelIndex(), 2);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|10.00000", "002|--", "003|20.00000", "004|30.00000",
                                                "005|40.00000", "006|50.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "6");
    EXPECT_TRUE(FrequencyEditHasFocus());

    // At the first row the blank becomes channel 1 and the minimum moves.
    RightClickRow(0, IDM_INSERT_BLANK_ITEM);
    EXPECT_EQ(List()->GetItemText(0, 1), "--");
    EXPECT_EQ(List()->GetItemText(1, 1), "10.00000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "7");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
}

TEST_F(FrequencyTableDlgTest, InsertWithNoRowSelectedInsertsNothingAndShowsZero)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40, 50}, {}, 1, 0));
    RightClickBelowRows(IDM_INSERT_BLANK_ITEM);
    EXPECT_EQ(dlg.SelIndex(), 0);
    EXPECT_EQ(services.menus.size(), 1u);
    EXPECT_EQ(List()->GetItemCount(), 5);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{10, 20, 30, 40, 50}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
}

TEST_F(FrequencyTableDlgTest, MenuWithoutTableOrWithoutChoiceChangesNothing)
{
    RightClickBelowRows(IDM_INSERT_BLANK_ITEM);
    RightClickBelowRows(IDM_DELETE_ITEM);
    EXPECT_EQ(services.menus.size(), 2u);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");

    Load(WriteTable("t.ccf", 1, {10, 20, 30}, {}, 1, 0));
    RightClickRow(1, 0);
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{1});
}

TEST_F(FrequencyTableDlgTest, DeleteItemRemovesTheRightClickedChannel)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40}, {}, 1, 0));
    ClickRow(List(), 3);
    RightClickRow(3, IDM_DELETE_ITEM);
    EXPECT_EQ(dlg.SelIndex(), 4);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|10.00000", "002|20.00000", "003|30.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "3");
    EXPECT_TRUE(FrequencyEditHasFocus());

    // No row selected: nothing to delete and nothing redrawn.
    ClickRow(List(), 0);
    RightClickBelowRows(IDM_DELETE_ITEM);
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "1");
}

// Insert and Delete leave the Frequency field alone, and clear it only when
// the channel "Save value" writes to no longer holds the value shown.
TEST_F(FrequencyTableDlgTest, InsertAndDeleteKeepTheFieldWhileItsChannelHoldsItsValue)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40, 50}, {}, 1, 0));
    ClickRow(List(), 1);
    ASSERT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "20.00000");
    RightClickRow(3, IDM_INSERT_BLANK_ITEM);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "4");
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "20.00000");
    RightClickRow(4, IDM_DELETE_ITEM);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "20.00000");
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{10, 20, 30, 0, 50}));
    // Channel 2 now holds 10: Save value would write 20 into the wrong channel.
    RightClickRow(0, IDM_INSERT_BLANK_ITEM);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    ClickRow(List(), 2);
    RightClickRow(0, IDM_DELETE_ITEM);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{10, 20, 30, 0, 50}));
}

TEST_F(FrequencyTableDlgTest, DeleteItemWithSeveralRowsSelected)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40, 50, 60}, {}, 1, 0));
    ClickRow(List(), 1);
    ClickRow(List(), 3, Qt::LeftButton, Qt::ControlModifier);
    ClickRow(List(), 4, Qt::LeftButton, Qt::ControlModifier);
    RightClickRow(4, IDM_DELETE_ITEM);
    EXPECT_EQ(dlg.SelIndex(), 2);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|10.00000", "002|30.00000", "003|60.00000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "3");
    EXPECT_TRUE(FrequencyEditHasFocus());
}

// Deleting 5, then 4, then 2 leaves no frequency at all; the range on show is
// the one the last deletion that still left a frequency produced.
TEST_F(FrequencyTableDlgTest, MultipleDeleteRangeFollowsHighestFirstOrder)
{
    Load(WriteTable("t.ccf", 1, {0, 20, 0, 40, 50, 0}, {}, 2, 0));
    List()->SetSelectedRows({1, 3, 4});
    RightClickRow(3, IDM_DELETE_ITEM);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|--", "002|--", "003|--"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "2");
}

// The keyboard's two ways to the row menu, as X11 delivers them: the menu key
// as a context menu request, Shift+F10 as a plain key press.
TEST_F(FrequencyTableDlgTest, MenuKeyAndShiftF10OpenTheRowMenuOnTheSelectedRow)
{
    Load(WriteTable("t.ccf", 1, {10, 20, 30, 40}, {}, 1, 0));
    ClickRow(List(), 2);
    List()->setFocus();
    services.menuAnswers.push_back(IDM_INSERT_BLANK_ITEM);
    QTest::keyClick(List(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(services.menus.size(), 1u);
    EXPECT_TRUE(SameMenu(services.menus[0], WithHistory(kRowMenu, "LoadFromFile", "")));
    EXPECT_EQ(dlg.SelIndex(), 3);
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"001|10.00000", "002|20.00000", "003|--", "004|30.00000", "005|40.00000"}));

    ClickRow(List(), 0);
    List()->setFocus();
    services.menuAnswers.push_back(IDM_DELETE_ITEM);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), List()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(List(), &menuKey);
    ASSERT_EQ(services.menus.size(), 2u);
    EXPECT_TRUE(SameMenu(services.menus[1], WithHistory(kRowMenu, "Insert Blank Item", "")));
    EXPECT_EQ(dlg.SelIndex(), 1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|20.00000", "002|--", "003|30.00000", "004|40.00000"}));

    // F10 alone and with other modifiers is no menu key.
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)})
        QTest::keyClick(List(), Qt::Key_F10, modifiers);
    EXPECT_EQ(services.menus.size(), 2u);
}

TEST_F(FrequencyTableDlgTest, KeysAndHeaderClicksInTheListChangeNothing)
{
    Load(WriteTable("t.ccf", 1, {50, 40, 30, 20, 10}, {}, 1, 0));
    const std::vector<std::string> before = Rows();
    ClickRow(List(), 1);
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Insert, Qt::Key_Backspace, Qt::Key_F2})
        PressKey(List(), key);
    QHeaderView* pHeader = List()->horizontalHeader();
    for (int column : {0, 1}) {
        const QPoint at(pHeader->sectionViewportPosition(column) + 5, pHeader->height() / 2);
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(pHeader->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       List()->visualRect(List()->model()->index(2, 1)).center());
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), (std::vector<double>{50, 40, 30, 20, 10}));
    EXPECT_FALSE(pHeader->isSortIndicatorShown());
    EXPECT_TRUE(services.menus.empty());
}

TEST_F(FrequencyTableDlgTest, SaveWritesTheTableByteByByte)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EnterCountry("44");
    Append("55.25");
    Append("0");
    ChooseMode(1);
    Append("48.5");
    const std::string path = dir.File("out.ccf");
    Save(path);
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_FALSE(request.bOpen);
    EXPECT_EQ(request.title, "Save As");
    EXPECT_EQ(request.defaultExt, "ccf");
    EXPECT_EQ(request.fileName, "Vornalix");
    EXPECT_EQ(request.flags, 6u);
    EXPECT_EQ(request.filter, kFilter);

    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q', 44, 0, 0, 0});
    PutBytes(expected, {2, 0, 1, 0, 1, 0, 1, 0});
    PutF64(expected, 55.25);
    PutF64(expected, 0.0);
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    PutF64(expected, 48.5);
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(FrequencyTableDlgTest, SaveRoundTripGivesBackTheLoadedBytes)
{
    Bytes original = CcfImage(1852, {0, 55.25, -1.5, 62.25, 0}, {48.25, 0, 175.25}, 2, 1);
    original[4] = 'X'; // foreign magic and end mark are written back as read
    original[20 + 8 * 5 + 2] = 0x12;
    const std::string in = dir.File("in.ccf");
    WriteAll(in, original);
    Load(in);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "China (southeast coastland)");
    const std::string out = dir.File("out.ccf");
    Save(out);
    EXPECT_EQ(ReadAll(out), original);

    Load(out);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"001|--", "002|55.25000", "003|--", "004|62.25000", "005|--"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "1852");
}

TEST_F(FrequencyTableDlgTest, SaveWithoutTableShowsTheDialogAndWritesNothing)
{
    const std::string path = dir.File("none.ccf");
    Save(path);
    EXPECT_EQ(services.fileRequests.size(), 1u);
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(services.messages.empty());
}

// A file that cannot be written is reported, naming it and the reason.
TEST_F(FrequencyTableDlgTest, FailedSaveSaysSo)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("55.25");
    const std::string path = dir.File("no-such-folder/out.ccf");
    Save(path);
    EXPECT_FALSE(FileExists(path));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0],
              QString("Cannot save \"%1\": %2")
                  .arg(QString::fromStdString(path), QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|55.25000"});

    Save(dir.File("ok.ccf"));
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(FileExists(dir.File("ok.ccf")));
}

TEST_F(FrequencyTableDlgTest, ExitEscapeAndCloseBoxEndTheDialogAndFreeTheTable)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("55.25");
    PressKey(FrequencyEdit(), Qt::Key_Escape);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
    EXPECT_TRUE(dlg.IsDestroyed());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.Table(), nullptr);

    CFrequencyTableDlg second{services};
    second.Create();
    Click(second, IDC_BUTTON_CREATE_NEW);
    Click(second, IDCANCEL);
    EXPECT_EQ(second.Result(), IDCANCEL);
    EXPECT_EQ(second.Table(), nullptr);

    CFrequencyTableDlg third{services};
    third.Create();
    Click(third, IDC_BUTTON_CREATE_NEW);
    third.close();
    EXPECT_EQ(third.Result(), IDCANCEL);
    EXPECT_TRUE(third.IsDestroyed());
    EXPECT_EQ(third.Table(), nullptr);
}

TEST_F(FrequencyTableDlgTest, AboutItemInTheDialogMenuAndOnF1)
{
    QLabel* pSurface = nullptr;
    for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        if (pLabel->text() == "Frequency Table")
            pSurface = pLabel;
    }
    ASSERT_NE(pSurface, nullptr);

    services.menuAnswers.push_back(IDM_ABOUTBOX);
    QContextMenuEvent onLabel(QContextMenuEvent::Mouse, QPoint(2, 2), pSurface->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(pSurface, &onLabel);
    ASSERT_EQ(services.menus.size(), 1u);
    EXPECT_TRUE(
        SameMenu(services.menus[0],
                 {{0, ""}, {IDM_ABOUTBOX, "&About Vornalix..."}, {IDM_NEW_FROM_PLAN, "New from &Plan...\tCtrl+P"}}));
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"About Vornalix"});

    // No choice: no About box.
    const QPoint corner(3, dlg.height() - 3);
    QContextMenuEvent onSurface(QContextMenuEvent::Mouse, corner, dlg.mapToGlobal(corner));
    QApplication::sendEvent(&dlg, &onSurface);
    EXPECT_EQ(services.menus.size(), 2u);
    EXPECT_EQ(services.modalDialogs.size(), 1u);

    // The list keeps its own menu.
    QContextMenuEvent onList(QContextMenuEvent::Mouse, QPoint(5, 5), List()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(List()->viewport(), &onList);
    EXPECT_EQ(services.menus.size(), 2u);

    PressKey(dlg.GetDlgItem(IDC_BUTTON_CREATE_NEW), Qt::Key_F1);
    EXPECT_EQ(services.modalDialogs.size(), 2u);

    dlg.OnSysCommand(31);
    EXPECT_EQ(services.modalDialogs.size(), 3u);
    dlg.OnSysCommand(32);
    dlg.OnSysCommand(15);
    EXPECT_EQ(services.modalDialogs.size(), 3u);
    EXPECT_EQ(dlg.Table(), nullptr);
    EXPECT_TRUE(dlg.isVisible());
}

// The converter works on tables of its own: the editor's table is untouched.
TEST_F(FrequencyTableDlgTest, ConverterLeavesTheEditorsTableAlone)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Append("55.25");
    Click(dlg, IDC_BUTTON_CONVERT);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Convert"});
    EXPECT_EQ(Rows(), std::vector<std::string>{"001|55.25000"});
}

TEST(FrequencyTableFromLauncher, RunsModallyWithoutParent)
{
    FakeUserServices services;
    bool bEditor = false;
    bool bNoParent = false;
    services.onRunModal = [&](CDialog& dialog) {
        bEditor = dynamic_cast<CFrequencyTableDlg*>(&dialog) != nullptr;
        bNoParent = dialog.parentWidget() == nullptr;
        dialog.Create();
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    CLauncherDlg launcher{services};
    launcher.Create();
    Click(launcher, IDC_BUTTON_FREQUENCY_EDIT);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Vornalix"});
    EXPECT_TRUE(bEditor);
    EXPECT_TRUE(bNoParent);
    EXPECT_TRUE(launcher.isVisible());
}

TEST_F(FrequencyTableDlgTest, LargestTableLoadsAndDeletes30000SelectedRows)
{
    constexpr int kCount = ChannelTable::kMaxChannels;
    std::vector<double> air(kCount);
    for (int i = 0; i < kCount; ++i)
        air[static_cast<std::size_t>(i)] = 40.0 + 0.125 * i;
    Load(WriteTable("big.ccf", 7, air, air, 1, 1));
    ASSERT_EQ(List()->GetItemCount(), kCount);
    EXPECT_EQ(List()->GetItemText(kCount - 1, 0), "65535");
    EXPECT_EQ(List()->GetItemText(kCount - 1, 1), QString::asprintf("%.5f", air.back()));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "65535");

    // Every other row of the first 60,000.
    std::vector<int> selected;
    for (int row = 0; row < 60000; row += 2)
        selected.push_back(row);
    List()->SetSelectedRows(selected);
    RightClickRow(0, IDM_DELETE_ITEM);
    EXPECT_EQ(dlg.SelIndex(), 1);

    std::vector<double> expected;
    for (int i = 0; i < kCount; ++i) {
        if (i >= 60000 || i % 2 == 1)
            expected.push_back(air[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), expected);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable).size(), static_cast<std::size_t>(kCount));
    ASSERT_EQ(List()->GetItemCount(), kCount - 30000);
    EXPECT_EQ(List()->GetItemText(0, 1), QString::asprintf("%.5f", air[1]));
    EXPECT_EQ(List()->GetItemText(29999, 0), "30000");
    EXPECT_EQ(List()->GetItemText(29999, 1), QString::asprintf("%.5f", air[59999]));
    EXPECT_EQ(List()->GetItemText(30000, 1), QString::asprintf("%.5f", air[60000]));
    EXPECT_EQ(List()->GetItemText(kCount - 30001, 0), "35535");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "35535");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");

    // A full list takes no more channels.
    ChooseMode(1);
    Append("900");
    EXPECT_EQ(List()->GetItemCount(), kCount);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "65536");
}

TEST_F(FrequencyTableDlgTest, SelectAllThenDeleteEmptiesTheListAndLeavesNothingSelected)
{
    const std::vector<double> air = {55.25, 62.25, 175.25, 182.25, 189.25};
    const std::vector<double> cable = {57.0, 63.0};
    Load(WriteTable("all.ccf", 44, air, cable, 2, 1));
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->GetSelectedCount(), 5);
    RightClickRow(2, IDM_DELETE_ITEM);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), std::vector<double>{});
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable), cable);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(List()->GetSelectedCount(), 0);
    EXPECT_FALSE(List()->selectionModel()->hasSelection());
}

TEST_F(FrequencyTableDlgTest, SelectionIsDroppedWhenTheListIsRebuilt)
{
    Load(WriteTable("rebuilt.ccf", 44, {55.25, 62.25, 175.25, 182.25}, {57.0}, 1, 1));
    ClickRow(List(), 1);
    ClickRow(List(), 3, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(List()->GetSelectedRows(), (std::vector<int>{1, 2, 3}));
    Append("189.25");
    EXPECT_EQ(List()->GetItemCount(), 5);
    EXPECT_EQ(List()->GetSelectedCount(), 0);
    EXPECT_FALSE(List()->selectionModel()->hasSelection());
    // A shift-click after the rebuild reaches from the clicked row, not from the old anchor.
    ClickRow(List(), 4);
    ClickRow(List(), 3, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(List()->GetSelectedRows(), (std::vector<int>{3, 4}));
}

// The largest list, a selection with gaps made by clicks alone, among them
// more separate runs than the list's selection copies whole; "Delete Item"
// leaves exactly the channels not chosen.
TEST_F(FrequencyTableDlgTest, LargestListDeletesAClickedSelectionWithGaps)
{
    constexpr int kCount = ChannelTable::kMaxChannels;
    std::vector<double> air(kCount);
    for (int i = 0; i < kCount; ++i)
        air[static_cast<std::size_t>(i)] = 40.0 + 0.125 * i;
    Load(WriteTable("gaps.ccf", 7, air, {60.0}, 1, 1));
    ASSERT_EQ(List()->GetItemCount(), kCount);

    std::set<int> chosen;
    ClickRow(List(), 10);
    ClickRow(List(), 300, Qt::LeftButton, Qt::ShiftModifier);
    for (int row = 10; row <= 300; ++row)
        chosen.insert(row);
    ClickRow(List(), 150, Qt::LeftButton, Qt::ControlModifier);
    chosen.erase(150);
    for (int row = 1000; row < 1900; row += 3) {
        ClickRow(List(), row, Qt::LeftButton, Qt::ControlModifier);
        chosen.insert(row);
    }
    ClickRow(List(), 60000, Qt::LeftButton, Qt::ControlModifier);
    ClickRow(List(), 60009, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    for (int row = 60000; row <= 60009; ++row)
        chosen.insert(row);
    ClickRow(List(), 60005, Qt::LeftButton, Qt::ControlModifier);
    chosen.erase(60005);
    ClickRow(List(), kCount - 1, Qt::LeftButton, Qt::ControlModifier);
    chosen.insert(kCount - 1);
    ASSERT_EQ(List()->GetSelectedRows(), std::vector<int>(chosen.begin(), chosen.end()));

    RightClickRow(60000, IDM_DELETE_ITEM);
    EXPECT_EQ(dlg.SelIndex(), 11);
    std::vector<double> expected;
    for (int i = 0; i < kCount; ++i) {
        if (chosen.count(i) == 0)
            expected.push_back(air[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeAir), expected);
    EXPECT_EQ(Frequencies(dlg.Table(), ChannelModeCable), std::vector<double>{60.0});
    ASSERT_EQ(List()->GetItemCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(List()->GetItemText(10, 1), QString::asprintf("%.5f", air[150]));
    EXPECT_EQ(List()->GetSelectedCount(), 0);
}
