#include <gtest/gtest.h>

#include <cmath>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>

#include "res/resource.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// Factories 12, 5 and 3 in that order; 12 lists its tuner types in section 18,
// 3 has no section. Factory 10 (code 0x10) with type 1 and factory 6 with type
// 11 share the table key 116.
const char* const kCatalogue = "; test catalogue\n"
                               "[Factory]\n"
                               "Count = 5\n"
                               "12 = \"Philips\"\n"
                               "5 = Temic\n"
                               "3 = Alps\n"
                               "10 = Ten\n"
                               "6 = Six\n"
                               "\n"
                               "[18]\n"
                               "Count = 3\n"
                               "7 = X\n"
                               "2 = \"FI1236, FM1236\"\n"
                               "21 = Twenty-one\n"
                               "\n"
                               "[05]\n"
                               "Count = 1\n"
                               "1 = \"Temic PAL\"\n"
                               "\n"
                               "[16]\n"
                               "Count = 1\n"
                               "1 = One\n"
                               "\n"
                               "[06]\n"
                               "Count = 1\n"
                               "11 = Eleven\n";

enum Factory
{
    Philips = 0, // code 0x12
    Temic = 1,   // code 0x05
    Alps = 2,    // code 0x03, no tuner types of its own
    Ten = 3,     // code 0x10
    Six = 4,     // code 0x06
};

const std::vector<int> kInputControls = {IDC_COMBO_FACTORY,        IDC_COMBO_TUNER_TYPE,      IDC_EDIT_LOW_BAND_START,
                                         IDC_EDIT_MID_BAND_START,  IDC_EDIT_HIGH_BAND_START,  IDC_EDIT_HIGH_BAND_END,
                                         IDC_EDIT_HIGH_CODE,       IDC_EDIT_LOW_CODE,         IDC_EDIT_MID_CODE,
                                         IDC_EDIT_PICTURE_CARRIER, IDC_EDIT_PICTURE_CARRIER2, IDC_BUTTON_ADD_INFO};

const QString kCoverageMessage = "Channel Coverage input error, try again!";
const QString kBandCodeMessage = "Band Code input error, try again!";

struct Inputs
{
    QString low = "44";
    QString mid = "140.25";
    QString high = "463.25";
    QString end = "958";
    QString lowCode = "8E02";
    QString midCode = "8E04";
    QString highCode = "8E01";
    QString pc = "45.75";
    QString pc2 = "";
};

// One 64-byte record as the file holds it.
struct Record
{
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    double low = 0, mid = 0, high = 0, end = 0, pc = 0, pc2 = 0;
    std::uint16_t lowCode = 0, midCode = 0, highCode = 0;
};

void PutRecord(Bytes& b, const Record& r)
{
    PutI32(b, r.iFactory);
    PutI32(b, r.iTunerType);
    for (double v : {r.low, r.mid, r.high, r.end, r.pc, r.pc2})
        PutF64(b, v);
    PutU16(b, r.lowCode);
    PutU16(b, r.midCode);
    PutU16(b, r.highCode);
    PutU16(b, 0);
}

Bytes TsfImage(const std::vector<Record>& records, std::initializer_list<std::uint8_t> magic = {'T', 'N', 'S', 'P'},
               std::initializer_list<std::uint8_t> endMark = {0x00, 0x00, 0xFF, 0xFF})
{
    Bytes b;
    PutU16(b, 0xCB00);
    PutU16(b, 0);
    PutBytes(b, magic);
    PutI32(b, static_cast<std::int32_t>(records.size()));
    for (const Record& r : records)
        PutRecord(b, r);
    if (!records.empty())
        PutBytes(b, endMark);
    return b;
}

std::string WriteText(const std::string& path, const std::string& text)
{
    WriteAll(path, Bytes(text.begin(), text.end()));
    return path;
}

// The entries of a .tsf file as (factory, tuner type) pairs, in file order.
std::vector<std::pair<std::int32_t, std::int32_t>> CodesInFile(const std::string& path)
{
    TunerSpecTable table(false);
    table.Load(path.c_str());
    std::vector<std::pair<std::int32_t, std::int32_t>> codes;
    for (const EntryNode* p = table.GetList() ? table.GetList()->pHead : nullptr; p; p = p->pNext) {
        const TunerSpecEntry& e = static_cast<const TunerSpecNode*>(p)->entry;
        codes.emplace_back(e.iFactory(), e.iTunerType());
    }
    return codes;
}

using Row = std::tuple<QString, QString, QString>;

std::vector<Row> RowsOf(const CDialog& dialog)
{
    ListView* pList = dialog.GetListView(IDC_LIST_TUNERS);
    std::vector<Row> rows;
    for (int i = 0; i < pList->GetItemCount(); ++i)
        rows.emplace_back(pList->GetItemText(i, 0), pList->GetItemText(i, 1), pList->GetItemText(i, 2));
    return rows;
}

// A choice made by the person in a drop-down list: the list selects the item
// and reports the choice.
void Choose(const CDialog& dialog, int id, int index)
{
    auto* pCombo = Control<QComboBox>(dialog, id);
    ASSERT_TRUE(pCombo->isEnabled()) << "combo box " << id << " is disabled";
    ASSERT_LT(index, pCombo->count());
    pCombo->setCurrentIndex(index);
    emit pCombo->activated(index);
}

void TypeInputs(const CDialog& dialog, const Inputs& in)
{
    TypeInto(dialog, IDC_EDIT_LOW_BAND_START, in.low);
    TypeInto(dialog, IDC_EDIT_MID_BAND_START, in.mid);
    TypeInto(dialog, IDC_EDIT_HIGH_BAND_START, in.high);
    TypeInto(dialog, IDC_EDIT_HIGH_BAND_END, in.end);
    TypeInto(dialog, IDC_EDIT_LOW_CODE, in.lowCode);
    TypeInto(dialog, IDC_EDIT_MID_CODE, in.midCode);
    TypeInto(dialog, IDC_EDIT_HIGH_CODE, in.highCode);
    TypeInto(dialog, IDC_EDIT_PICTURE_CARRIER, in.pc);
    TypeInto(dialog, IDC_EDIT_PICTURE_CARRIER2, in.pc2);
}

struct Details
{
    QString factory, tunerType, lowRange, midRange, highRange, lowCode, midCode, highCode, pc, pc2;
    bool operator==(const Details& o) const
    {
        return std::tie(factory, tunerType, lowRange, midRange, highRange, lowCode, midCode, highCode, pc, pc2) ==
               std::tie(o.factory, o.tunerType, o.lowRange, o.midRange, o.highRange, o.lowCode, o.midCode, o.highCode,
                        o.pc, o.pc2);
    }
};

void PrintTo(const Details& d, std::ostream* os)
{
    for (const QString* p : {&d.factory, &d.tunerType, &d.lowRange, &d.midRange, &d.highRange, &d.lowCode, &d.midCode,
                             &d.highCode, &d.pc, &d.pc2})
        *os << '"' << p->toStdString() << "\" ";
}

Details DetailsOf(const CDialog& dialog)
{
    return Details{TextOf(dialog, IDC_STATIC_FACTORY),         TextOf(dialog, IDC_STATIC_TUNER_TYPE),
                   TextOf(dialog, IDC_STATIC_LOW_RANGE),       TextOf(dialog, IDC_STATIC_MID_RANGE),
                   TextOf(dialog, IDC_STATIC_HIGH_RANGE),      TextOf(dialog, IDC_STATIC_LOW_CODE),
                   TextOf(dialog, IDC_STATIC_MID_CODE),        TextOf(dialog, IDC_STATIC_HIGH_CODE),
                   TextOf(dialog, IDC_STATIC_PICTURE_CARRIER), TextOf(dialog, IDC_STATIC_PICTURE_CARRIER2)};
}

// After the row menu's own items (Delete Tuner, Copy to Inputs, Replace
// Entry): a separator, then undo and redo, greyed with the bare verb when
// there is nothing to undo or redo.
void ExpectHistoryItems(const std::vector<MenuItem>& menu, const QString& undo, const QString& redo)
{
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[1].command, IDM_COPY_TO_INPUTS);
    EXPECT_EQ(menu[2].command, IDM_REPLACE_ENTRY);
    EXPECT_EQ(menu[3].command, 0);
    EXPECT_EQ(menu[4].command, IDM_UNDO);
    EXPECT_EQ(menu[4].text, undo);
    EXPECT_EQ(menu[4].bEnabled, undo != "&Undo");
    EXPECT_EQ(menu[5].command, IDM_REDO);
    EXPECT_EQ(menu[5].text, redo);
    EXPECT_EQ(menu[5].bEnabled, redo != "&Redo");
}

const Details kInitialDetails{"Unknow", "Unknow", "~", "~", "~", "0000", "0000", "0000", "0", "0"};

class TunerEditDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.SetCataloguePath(WriteText(dir.File("TunerSpec.inf"), kCatalogue));
        dlg.Create();
    }

    // Picks a factory and a tuner type, types the inputs and presses "Add Info".
    void Add(int factory, int tunerType, const Inputs& in = Inputs())
    {
        Choose(dlg, IDC_COMBO_FACTORY, factory);
        Choose(dlg, IDC_COMBO_TUNER_TYPE, tunerType);
        TypeInputs(dlg, in);
        Click(dlg, IDC_BUTTON_ADD_INFO);
    }

    std::string SaveToFile(const std::string& name)
    {
        const std::string path = dir.File(name);
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_SAVE_FILE);
        return path;
    }

    void LoadFile(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_TUNER_FILE);
    }

    std::string WriteTsf(const std::string& name, const std::vector<Record>& records)
    {
        const std::string path = dir.File(name);
        WriteAll(path, TsfImage(records));
        return path;
    }

    TempDir dir;
    FakeUserServices services;
    CTunerEditDlg dlg{services};
};

// Three entries whose details differ in every field.
const std::vector<Record> kThree = {
    {0x12, 0x07, 44, 140.25, 463.25, 958, 38.9, 0, 0x8E02, 0x8E04, 0x8E01},
    {0x05, 0x01, 53, 157.25, 451.25, 803, 45.75, 41.25, 0x8EA2, 0x8E92, 0x8E32},
    {0x12, 0x21, 50.87, 160, 442, 858, 58.75, 0, 0x8651, 0x8652, 0x8654},
};
const Details kThreeDetails[] = {
    {"Philips", "07", "44.00 ~ 140.25 MHz", "140.25 ~ 463.25 MHz", "463.25 ~ 958.00 MHz", "8E02", "8E04", "8E01",
     "38.90 MHz", "0.00 MHz"},
    {"Temic", "01", "53.00 ~ 157.25 MHz", "157.25 ~ 451.25 MHz", "451.25 ~ 803.00 MHz", "8EA2", "8E92", "8E32",
     "45.75 MHz", "41.25 MHz"},
    {"Philips", "21", "50.87 ~ 160.00 MHz", "160.00 ~ 442.00 MHz", "442.00 ~ 858.00 MHz", "8651", "8652", "8654",
     "58.75 MHz", "0.00 MHz"},
};

} // namespace

TEST_F(TunerEditDlgTest, OpensWithTheCatalogueFactoriesAndEverythingElseAtRest)
{
    EXPECT_EQ(dlg.windowTitle(), "Tuner Specification Edit");
    for (int id : kInputControls) {
        if (id != IDC_BUTTON_ADD_INFO) {
            EXPECT_FALSE(EnabledOf(dlg, id)) << id;
        }
    }
    for (int id : {IDC_BUTTON_ADD_INFO, IDC_BUTTON_CREATE_TABLE, IDC_BUTTON_SAVE_FILE, IDC_BUTTON_LOAD_TUNER_FILE,
                   IDCANCEL, IDC_LIST_TUNERS})
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_TRUE(Control<QPushButton>(dlg, IDOK)->isHidden());
    EXPECT_EQ(DetailsOf(dlg), kInitialDetails);
    EXPECT_EQ(dlg.MenuPos(), 0);

    // Factories in file order, by name alone, the code as the item's value.
    ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_FACTORY), 5);
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_FACTORY, 0), "Philips");
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_FACTORY, 1), "Temic");
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_FACTORY, 2), "Alps");
    EXPECT_EQ(dlg.ComboGetItemData(IDC_COMBO_FACTORY, 0), 0x12);
    EXPECT_EQ(dlg.ComboGetItemData(IDC_COMBO_FACTORY, 1), 0x05);
    EXPECT_EQ(dlg.ComboGetItemData(IDC_COMBO_FACTORY, 3), 0x10);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), -1);
    EXPECT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 0);

    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    EXPECT_EQ(pList->GetItemCount(), 0);
    EXPECT_EQ(pList->GetExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_TRUE(pList->showGrid());
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    const std::vector<std::tuple<QString, Qt::Alignment, int>> columns = {
        {"No.", Qt::AlignLeft | Qt::AlignVCenter, 40},
        {"Factory", Qt::AlignCenter, 60},
        {"Tuner Type", Qt::AlignCenter, 80},
    };
    ASSERT_EQ(pList->model()->columnCount(), 3);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(pList->model()->headerData(c, Qt::Horizontal).toString(), std::get<0>(columns[c]));
        EXPECT_EQ(pList->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  std::get<1>(columns[c]));
        // The last column takes the rest of the list's width.
        if (c < 2)
            EXPECT_EQ(pList->columnWidth(c), std::get<2>(columns[c]));
        else
            EXPECT_GE(pList->columnWidth(c), std::get<2>(columns[c]));
    }
    EXPECT_EQ(pList->columnWidth(0) + pList->columnWidth(1) + pList->columnWidth(2), pList->viewport()->width());
    EXPECT_TRUE(services.messages.empty());
}

TEST(TunerEditDlgCatalogue, MissingCatalogueGivesAnEmptyFactoryListAndNoError)
{
    TempDir dir;
    FakeUserServices services;
    CTunerEditDlg dlg{services};
    dlg.SetCataloguePath(dir.File("TunerSpec.inf"));
    dlg.Create();
    EXPECT_EQ(dlg.ComboGetCount(IDC_COMBO_FACTORY), 0);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->model()->columnCount(), 3);

    // The rest of the editor works; with nothing to choose, "Add Info" adds nothing.
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    EXPECT_TRUE(EnabledOf(dlg, IDC_COMBO_FACTORY));
    TypeInputs(dlg, Inputs());
    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.fileRequests.empty());
}

TEST(TunerEditDlgCatalogue, LooksUpTheProgramCatalogueWhenNoPathIsGiven)
{
    if (FileExists(TunerCatalogue::DefaultPath()))
        GTEST_SKIP() << "a catalogue lies beside the test program";
    TempDir dir;
    const ScopedEnv dataDirs("XDG_DATA_DIRS", dir.File("none").c_str());
    FakeUserServices services;
    {
        const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("none").c_str());
        CTunerEditDlg dlg{services};
        dlg.Create();
        EXPECT_EQ(dlg.ComboGetCount(IDC_COMBO_FACTORY), 0);
        EXPECT_TRUE(services.messages.empty());
    }
    {
        const ScopedEnv dataHome("XDG_DATA_HOME", dir.Path().c_str());
        std::filesystem::create_directories(dir.File("vornalix"));
        WriteText(dir.File("vornalix/TunerSpec.inf"), kCatalogue);
        CTunerEditDlg dlg{services};
        dlg.Create();
        ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_FACTORY), 5);
        EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_FACTORY, 0), "Philips");
    }
}

// The sample catalogue is copied beside the program in the build tree.
TEST(TunerEditDlgCatalogue, SampleCatalogueLiesBesideTheProgram)
{
    const std::string exe = VORNALIX_EXECUTABLE;
    const std::string beside = exe.substr(0, exe.rfind('/')) + "/TunerSpec.inf";
    ASSERT_TRUE(FileExists(beside));
    EXPECT_EQ(ReadAll(beside), ReadAll(VORNALIX_SAMPLE_CATALOGUE));

    FakeUserServices services;
    CTunerEditDlg dlg{services};
    dlg.SetCataloguePath(beside);
    dlg.Create();
    ASSERT_GT(dlg.ComboGetCount(IDC_COMBO_FACTORY), 0);
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Choose(dlg, IDC_COMBO_FACTORY, 0);
    EXPECT_GT(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 0);
    EXPECT_TRUE(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 0).contains(" -- "));
}

TEST_F(TunerEditDlgTest, EnterDoesNothingExitAndEscapeClose)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    PressKey(dlg.GetDlgItem(IDC_EDIT_LOW_BAND_START), Qt::Key_Return);
    PressKey(dlg.GetDlgItem(IDC_EDIT_PICTURE_CARRIER2), Qt::Key_Enter);
    PressKey(dlg.GetDlgItem(IDC_COMBO_FACTORY), Qt::Key_Return);
    PressKey(dlg.GetDlgItem(IDC_COMBO_TUNER_TYPE), Qt::Key_Enter);
    EXPECT_TRUE(dlg.OnCommand(IDOK)); // the OK command arrives and is ignored
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsDestroyed());
    EXPECT_TRUE(services.messages.empty());

    Choose(dlg, IDC_COMBO_FACTORY, Philips);
    Add(Philips, 0);
    ASSERT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 1);
    Click(dlg, IDCANCEL);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
    EXPECT_TRUE(dlg.IsDestroyed());
    EXPECT_FALSE(dlg.isVisible());
    // Closing closed the catalogue and freed the table: nothing is read or written any more.
    Choose(dlg, IDC_COMBO_FACTORY, Temic);
    EXPECT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 3);
    EXPECT_FALSE(FileExists(SaveToFile("after-close.tsf")));

    CTunerEditDlg second{services};
    second.SetCataloguePath(dir.File("TunerSpec.inf"));
    second.Create();
    Click(second, IDC_BUTTON_CREATE_TABLE);
    PressKey(second.GetDlgItem(IDC_EDIT_MID_CODE), Qt::Key_Escape);
    EXPECT_EQ(second.Result(), IDCANCEL);
    EXPECT_TRUE(second.IsDestroyed());
}

TEST_F(TunerEditDlgTest, CreateNewEnablesTheInputsForGood)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    for (int id : kInputControls)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    for (int id : kInputControls)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
}

TEST_F(TunerEditDlgTest, LoadFileEnablesTheInputsOnceAFileWasChosen)
{
    services.fileAnswers.push_back(std::nullopt); // cancelled
    Click(dlg, IDC_BUTTON_LOAD_TUNER_FILE);
    for (int id : kInputControls) {
        if (id != IDC_BUTTON_ADD_INFO) {
            EXPECT_FALSE(EnabledOf(dlg, id)) << id;
        }
    }
    // Still without a table: "Add Info" adds nothing.
    dlg.SetDlgItemText(IDC_EDIT_LOW_BAND_START, "44");
    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_TRUE(services.messages.empty());

    // A file that cannot be read, with no table yet, says so and still leaves
    // an empty table to work on: the person can go on as after "Create New".
    const std::string missing = dir.File("missing.tsf");
    LoadFile(missing);
    EXPECT_EQ(services.messages, std::vector<QString>{QString("Cannot load \"%1\": %2")
                                                          .arg(QString::fromStdString(missing),
                                                               QString::fromLocal8Bit(std::strerror(ENOENT)))});
    for (int id : kInputControls)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    services.messages.clear();
    Add(Temic, 0);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "05", "01"}}));
    // What it saves is a new table's file with the one entry.
    const Bytes saved = ReadAll(SaveToFile("after-failed-load.tsf"));
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Add(Temic, 0);
    EXPECT_EQ(ReadAll(SaveToFile("created.tsf")), saved);

    LoadFile(WriteTsf("three.tsf", kThree));
    for (int id : kInputControls)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}, {"001", "05", "01"}, {"002", "12", "21"}}));

    ASSERT_EQ(services.fileRequests.size(), 5u);
    const FileDialogRequest& request = services.fileRequests.back();
    EXPECT_TRUE(request.bOpen);
    EXPECT_EQ(request.title, "Open");
    EXPECT_EQ(request.defaultExt, "tsf");
    EXPECT_EQ(request.fileName, "Vornalix");
    EXPECT_EQ(request.flags, 6u);
    EXPECT_EQ(request.filter, "TSF Files (*.tsf)|*.tsf|All Files (*.*)|*.*||");
}

TEST_F(TunerEditDlgTest, AddInfoWithoutTableOrChoiceChangesNothing)
{
    // No table: the input controls are disabled, but "Add Info" is not.
    dlg.SetDlgItemText(IDC_EDIT_LOW_BAND_START, "");
    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_EQ(DetailsOf(dlg), kInitialDetails);
    EXPECT_TRUE(services.messages.empty());

    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    TypeInputs(dlg, Inputs());
    Click(dlg, IDC_BUTTON_ADD_INFO); // no factory
    EXPECT_EQ(DetailsOf(dlg), kInitialDetails);

    Choose(dlg, IDC_COMBO_FACTORY, Philips);
    Details expected = kInitialDetails;
    expected.factory = "Philips";
    EXPECT_EQ(DetailsOf(dlg), expected); // the tuner type display is not touched by a factory choice
    Click(dlg, IDC_BUTTON_ADD_INFO);     // no tuner type
    EXPECT_EQ(DetailsOf(dlg), expected);
    // Bad input is not even looked at without a choice.
    TypeInto(dlg, IDC_EDIT_LOW_BAND_START, "");
    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
}

TEST_F(TunerEditDlgTest, FactoryChoiceReadsItsTunerTypes)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Choose(dlg, IDC_COMBO_FACTORY, Philips); // catalogue number 12: section 18
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_FACTORY), "Philips");
    ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 3);
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 0), "07 -- X");
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 1), "02 -- FI1236, FM1236");
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 2), "21 -- Twenty-one");
    EXPECT_EQ(dlg.ComboGetItemData(IDC_COMBO_TUNER_TYPE, 0), 0x07);
    EXPECT_EQ(dlg.ComboGetItemData(IDC_COMBO_TUNER_TYPE, 2), 0x21);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), -1);

    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TUNER_TYPE), "07 -- X");

    // A factory without a section keeps the tuner types shown before.
    Choose(dlg, IDC_COMBO_FACTORY, Alps);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_FACTORY), "Alps");
    EXPECT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 3);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), 0);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TUNER_TYPE), "07 -- X");

    Choose(dlg, IDC_COMBO_FACTORY, Temic);
    ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 1);
    EXPECT_EQ(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 0), "01 -- Temic PAL");
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), -1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TunerEditDlgTest, AddInfoShowsTheEntryAndWritesItByteForByte)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Add(Philips, 0);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(DetailsOf(dlg), (Details{"Philips", "07", "44.00 ~ 140.25 MHz", "140.25 ~ 463.25 MHz",
                                       "463.25 ~ 958.00 MHz", "8E02", "8E04", "8E01", "45.75 MHz", "0.00 MHz"}));
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}}));
    // The inputs stay as typed.
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_MID_BAND_START), "140.25");
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), 0);

    const std::string path = SaveToFile("one.tsf");
    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P', 0x01, 0x00, 0x00, 0x00});
    PutBytes(expected, {0x12, 0, 0, 0, 0x07, 0, 0, 0});
    PutF64(expected, 44.0);
    PutF64(expected, 140.25);
    PutF64(expected, 463.25);
    PutF64(expected, 958.0);
    PutF64(expected, 45.75);
    PutF64(expected, 0.0);
    PutBytes(expected, {0x02, 0x8E, 0x04, 0x8E, 0x01, 0x8E, 0x00, 0x00});
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_TRUE(services.messages.empty());

    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_FALSE(request.bOpen);
    EXPECT_EQ(request.title, "Save As");
    EXPECT_EQ(request.defaultExt, "tsf");
    EXPECT_EQ(request.fileName, "Vornalix");
    EXPECT_EQ(request.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(request.filter, "TSF Files (*.tsf)|*.tsf|All Files (*.*)|*.*||");

    // Add Info again for the same tuner: its values are shown, as always, but
    // the table keeps its entry, and the person is told so.
    Inputs changed;
    changed.low = "45";
    Add(Philips, 0, changed);
    EXPECT_EQ(DetailsOf(dlg).lowRange, "45.00 ~ 140.25 MHz");
    EXPECT_EQ(services.messages, std::vector<QString>{"Tuner input error, Philips / 07 -- X is in the table already: "
                                                      "Replace Entry changes an entry."});
    EXPECT_EQ(ReadAll(SaveToFile("still-one.tsf")), expected);
}

TEST_F(TunerEditDlgTest, BandCodesAreExactlyFourHexDigits)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Details chosenOnly = kInitialDetails;
    chosenOnly.factory = "Philips";
    chosenOnly.tunerType = "07 -- X";
    for (const auto& [lowCode, midCode, highCode] :
         std::vector<std::tuple<QString, QString, QString>>{{"A1", "8E04", "8E01"},
                                                            {"12G4", "8E04", "8E01"},
                                                            {"8E02", "8E041", "8E01"},
                                                            {"8E02", "8E04", ""},
                                                            {"8E02", " 8E0", "8E01"},
                                                            {"8E02", "8E04", "0x12"}}) {
        services.messages.clear();
        Inputs in;
        in.lowCode = lowCode;
        in.midCode = midCode;
        in.highCode = highCode;
        Add(Philips, 0, in);
        EXPECT_EQ(services.messages, std::vector<QString>{kBandCodeMessage})
            << lowCode.toStdString() << " " << midCode.toStdString() << " " << highCode.toStdString();
        EXPECT_EQ(DetailsOf(dlg), chosenOnly); // a refused entry is not shown
        EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
        // What was typed stays for correction.
        EXPECT_EQ(TextOf(dlg, IDC_EDIT_LOW_CODE), lowCode);
    }
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "0000");

    services.messages.clear();
    Inputs in;
    in.lowCode = "00a1";
    in.midCode = "0000";
    in.highCode = "fFfF";
    Add(Philips, 0, in);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "A1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MID_CODE), "0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_HIGH_CODE), "FFFF");

    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(SaveToFile("codes.tsf").c_str()), 1);
    const TunerSpecEntry& entry = static_cast<const TunerSpecNode*>(table.GetList()->pHead)->entry;
    EXPECT_EQ(entry.wLowCode(), 0x00A1);
    EXPECT_EQ(entry.wMidCode(), 0x0000);
    EXPECT_EQ(entry.wHighCode(), 0xFFFF);
}

TEST_F(TunerEditDlgTest, PictureCarriers)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    // The first picture carrier must be positive; its error is told as a band code error.
    for (const QString& pc : {QString(""), QString("0"), QString("-38.9"), QString("MHz")}) {
        services.messages.clear();
        Inputs in;
        in.pc = pc;
        Add(Philips, 0, in);
        EXPECT_EQ(services.messages, std::vector<QString>{kBandCodeMessage}) << pc.toStdString();
    }
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);

    // The second one is 0 unless positive, without a message.
    services.messages.clear();
    const std::vector<std::tuple<int, int, QString, QString>> cases = {
        {Philips, 0, "", "0.00 MHz"},
        {Philips, 1, "0", "0.00 MHz"},
        {Philips, 2, "-5", "0.00 MHz"},
        {Temic, 0, "41.25", "41.25 MHz"},
    };
    for (const auto& [factory, tunerType, typed, shown] : cases) {
        Inputs in;
        in.pc2 = typed;
        Add(factory, tunerType, in);
        EXPECT_EQ(TextOf(dlg, IDC_STATIC_PICTURE_CARRIER2), shown) << typed.toStdString();
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(RowsOf(dlg).size(), 4u);

    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(SaveToFile("pc.tsf").c_str()), 1);
    std::vector<double> pc2;
    for (const EntryNode* p = table.GetList()->pHead; p; p = p->pNext)
        pc2.push_back(static_cast<const TunerSpecNode*>(p)->entry.dbPictureCarrier2());
    // Keys: Temic 01 = 105, Philips 21 = 138, Philips 02 = 218, Philips 07 = 718.
    EXPECT_EQ(pc2, (std::vector<double>{41.25, 0.0, 0.0, 0.0}));
}

TEST_F(TunerEditDlgTest, CoverageIsReadAsAPlainDecimalNumber)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Inputs in;
    in.low = "12.5MHz";
    in.mid = " +1.4025e2";
    Add(Philips, 0, in);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_RANGE), "12.50 ~ 140.25 MHz");

    // Each of the four must be positive; the first bad one stops the entry.
    for (int field = 0; field < 4; ++field) {
        for (const QString& bad : {QString(""), QString("MHz12"), QString("0"), QString("-44"), QString("."),
                                   QString("0x1A"), QString("inf"), QString("nan"), QString("1e400")}) {
            services.messages.clear();
            Inputs wrong;
            QString* fields[] = {&wrong.low, &wrong.mid, &wrong.high, &wrong.end};
            *fields[field] = bad;
            Add(Philips, 1, wrong);
            EXPECT_EQ(services.messages, std::vector<QString>{kCoverageMessage}) << field << " " << bad.toStdString();
        }
    }
    // Band edges out of order are not refused.
    services.messages.clear();
    Inputs reversed;
    reversed.low = "958";
    reversed.end = "44";
    Add(Philips, 2, reversed);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_HIGH_RANGE), "463.25 ~ 44.00 MHz");

    // With both a coverage value and a band code bad, only the coverage is told.
    services.messages.clear();
    Inputs both;
    both.high = "";
    both.lowCode = "A1";
    both.pc = "";
    Add(Temic, 0, both);
    EXPECT_EQ(services.messages, std::vector<QString>{kCoverageMessage});
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "21"}, {"001", "12", "07"}}));
}

TEST_F(TunerEditDlgTest, KeyAlreadyTakenShowsTheEntryButAddsNothing)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    Add(Philips, 0);
    Inputs second;
    second.low = "55.25";
    second.highCode = "0ABC";
    Add(Philips, 0, second);
    // Shown, but said to be refused.
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages.back().startsWith("Tuner input error, Philips / 07"))
        << services.messages.back().toStdString();
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_RANGE), "55.25 ~ 140.25 MHz");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_HIGH_CODE), "ABC");
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}}));

    // Different codes, same key: factory 0x10 with type 0x01 and factory 0x06 with type 0x11 both give 116.
    Add(Ten, 0);
    Add(Six, 0);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_TRUE(services.messages.back().startsWith("Tuner input error, Six / 11"))
        << services.messages.back().toStdString();
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_FACTORY), "Six");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TUNER_TYPE), "11");
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "10", "01"}, {"001", "12", "07"}}));

    // The first entry is what the file holds.
    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(SaveToFile("dup.tsf").c_str()), 1);
    const TunerSpecEntry& kept = static_cast<const TunerSpecNode*>(table.GetList()->pTail)->entry;
    EXPECT_EQ(kept.dbLowBandStart(), 44.0);
    EXPECT_EQ(kept.wHighCode(), 0x8E01);
}

TEST_F(TunerEditDlgTest, RowsAreNumberedFromZeroWithCodesInHex)
{
    std::vector<Record> records;
    for (int i = 0; i < 11; ++i)
        records.push_back(Record{0x10 + i, 0x0A * i, 1, 2, 3, 4, 5, 0, 0, 0, 0});
    records.push_back(Record{-18, 0x123, 1, 2, 3, 4, 5, 0, 0, 0, 0});
    LoadFile(WriteTsf("twelve.tsf", records));
    const std::vector<Row> rows = RowsOf(dlg);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0], Row("000", "10", "00"));
    EXPECT_EQ(rows[1], Row("001", "11", "0A"));
    EXPECT_EQ(rows[9], Row("009", "19", "5A"));
    EXPECT_EQ(rows[10], Row("010", "1A", "64"));
    EXPECT_EQ(rows[11], Row("011", "FFFFFFEE", "123"));
}

TEST_F(TunerEditDlgTest, EachRowTellsItsBandEdgesAsItsNoteWhateverTheyHold)
{
    LoadFile(WriteTsf("edges.tsf", {Record{1, 2, 48.25, 160, 442, 863.25, 0, 0, 0, 0, 0},
                                    Record{1, 3, -1e308, std::nan(""), 1e308, 2e7, 0, 0, 0, 0, 0}}));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    EXPECT_EQ(pList->GetItemNote(0), "Low 48.25 ~ 160.00, mid 160.00 ~ 442.00, high 442.00 ~ 863.25 MHz");
    // Edges that are no numbers, or too large for a cell, are shown short.
    EXPECT_EQ(pList->GetItemNote(1), "Low -1e+308 ~ nan, mid nan ~ 1e+308, high 1e+308 ~ 2e+07 MHz");
}

// View > Columns > Band Edges: a fourth column, the Tuner Type column back at
// its width, kept for the next editor and
// gone again when it is turned off.
TEST_F(TunerEditDlgTest, BandEdgesShowInAColumnOfTheirOwnWhenAskedAndTheChoiceIsKept)
{
    TempDir config;
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.Path().c_str()};
    LoadFile(WriteTsf("edges.tsf", {Record{1, 2, 48.25, 160, 442, 863.25, 0, 0, 0, 0, 0}}));
    const auto bandEdgesItem = [](CTunerEditDlg& editor) {
        return EditorFrame::Of(editor)->MenuBar()->Action(IDM_COLUMN_BAND_EDGES);
    };
    const auto toggle = [&](CTunerEditDlg& editor) {
        bandEdgesItem(editor)->trigger();
        emit EditorFrame::Of(editor)->MenuBar()->Bar()->actions().at(2)->menu()->aboutToShow();
    };
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ASSERT_TRUE(bandEdgesItem(dlg));
    EXPECT_EQ(bandEdgesItem(dlg)->text(), "Band &Edges");
    EXPECT_FALSE(bandEdgesItem(dlg)->isChecked());
    toggle(dlg);
    EXPECT_TRUE(bandEdgesItem(dlg)->isChecked());
    ASSERT_EQ(pList->model()->columnCount(), 4);
    EXPECT_EQ(pList->model()->headerData(3, Qt::Horizontal).toString(), "Band Edges");
    EXPECT_EQ(pList->GetItemText(0, 3), "Low 48.25 ~ 160.00, mid 160.00 ~ 442.00, high 442.00 ~ 863.25 MHz");
    EXPECT_EQ(pList->GetItemText(0, 2), "02");
    EXPECT_EQ(pList->columnWidth(2), 80);
    // Wider than the list's narrow template width, the list scrolls sideways.
    EXPECT_EQ(pList->columnWidth(3), 280);
    EXPECT_GT(pList->columnWidth(0) + pList->columnWidth(1) + pList->columnWidth(2) + pList->columnWidth(3),
              pList->viewport()->width());

    CTunerEditDlg next{services};
    next.Create();
    EXPECT_TRUE(bandEdgesItem(next)->isChecked());
    EXPECT_EQ(next.GetListView(IDC_LIST_TUNERS)->model()->columnCount(), 4);
    toggle(next);
    EXPECT_EQ(next.GetListView(IDC_LIST_TUNERS)->model()->columnCount(), 3);
    CTunerEditDlg third{services};
    third.Create();
    EXPECT_FALSE(bandEdgesItem(third)->isChecked());
    EXPECT_EQ(third.GetListView(IDC_LIST_TUNERS)->model()->columnCount(), 3);
}

TEST_F(TunerEditDlgTest, UnknownFactoryCodeLeavesTheFactoryNameShown)
{
    LoadFile(WriteTsf("unknown.tsf", {kThree[0], Record{0x77, 0x03, 1, 2, 3, 4, 5, 0, 0x1, 0x2, 0x3}}));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ClickRow(pList, 0);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[0]);
    ClickRow(pList, 1);
    EXPECT_EQ(DetailsOf(dlg), (Details{"Philips", "03", "1.00 ~ 2.00 MHz", "2.00 ~ 3.00 MHz", "3.00 ~ 4.00 MHz", "1",
                                       "2", "3", "5.00 MHz", "0.00 MHz"}));
}

TEST_F(TunerEditDlgTest, CreateNewEmptiesTheListAndKeepsTheRest)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), 1);
    Choose(dlg, IDC_COMBO_FACTORY, Temic);
    TypeInto(dlg, IDC_EDIT_HIGH_CODE, "1234");
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    Details expected = kThreeDetails[1];
    expected.factory = "Temic";
    EXPECT_EQ(DetailsOf(dlg), expected);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_HIGH_CODE), "1234");
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), Temic);

    // The old entries are gone: a save writes the empty table.
    const std::string path = SaveToFile("empty.tsf");
    EXPECT_EQ(ReadAll(path).size(), 12u);
}

TEST_F(TunerEditDlgTest, ClickShowsAnEntryArrowKeysDoNot)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ClickRow(pList, 0);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[0]);
    PressKey(pList, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(pList->GetSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[0]);
    PressKey(pList, Qt::Key_Down);
    PressKey(pList, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(pList->GetSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[0]);
    ClickRow(pList, 2);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[2]);
    ClickRow(pList, 1);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[1]);

    // A click below the rows selects nothing and shows nothing.
    const QRect last = pList->visualRect(pList->model()->index(2, 0));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(last.center().x(), last.bottom() + 40));
    EXPECT_EQ(pList->GetSelectedCount(), 0);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[1]);
}

TEST_F(TunerEditDlgTest, SeveralSelectedRowsShowAndTargetTheLowest)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ClickRow(pList, 2);
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[2]);
    pList->SetSelectedRows({1});
    ClickRow(pList, 2, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(pList->GetSelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[1]); // row 2 was clicked, row 1 is shown

    ClickRow(pList, 2, Qt::RightButton); // no command chosen
    ASSERT_EQ(services.menus.size(), 1u);
    EXPECT_EQ(dlg.MenuPos(), 2);
    EXPECT_EQ(RowsOf(dlg).size(), 3u);
}

TEST_F(TunerEditDlgTest, MenuKeyAndShiftF10OpenTheRowMenuOnTheSelectedRow)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ClickRow(pList, 2);
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_F10, Qt::ShiftModifier); // no command chosen
    ASSERT_EQ(services.menus.size(), 1u);
    ASSERT_EQ(services.menus[0].size(), 6u);
    EXPECT_EQ(services.menus[0][0].text, "Delete Tuner");
    ExpectHistoryItems(services.menus[0], "&Undo Load File", "&Redo");
    EXPECT_EQ(dlg.MenuPos(), 3);

    ClickRow(pList, 1);
    pList->setFocus();
    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), pList->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(pList, &menuKey);
    ASSERT_EQ(services.menus.size(), 2u);
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}, {"001", "12", "21"}}));
}

TEST_F(TunerEditDlgTest, DeleteTunerRemovesTheRememberedEntry)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);

    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    ClickRow(pList, 1, Qt::RightButton);
    ASSERT_EQ(services.menus.size(), 1u);
    ASSERT_EQ(services.menus[0].size(), 6u);
    EXPECT_EQ(services.menus[0][0].command, 111);
    EXPECT_EQ(services.menus[0][0].text, "Delete Tuner");
    ExpectHistoryItems(services.menus[0], "&Undo Load File", "&Redo");
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}, {"001", "12", "21"}}));
    EXPECT_EQ(dlg.MenuPos(), 0);
    // Delivered again without a new right click, the command has nothing to act on.
    dlg.OnCommand(IDM_DELETE_TUNER);
    EXPECT_EQ(RowsOf(dlg).size(), 2u);

    // A right click where no row is selected remembers none.
    pList->SetSelectedRows({});
    const QRect last = pList->visualRect(pList->model()->index(1, 0));
    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    QTest::mouseClick(pList->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(last.center().x(), last.bottom() + 40));
    EXPECT_EQ(services.menus.size(), 2u);
    EXPECT_EQ(dlg.MenuPos(), 0);
    EXPECT_EQ(RowsOf(dlg).size(), 2u);

    // With several rows selected, the lowest goes.
    ClickRow(pList, 0);
    ClickRow(pList, 1, Qt::LeftButton, Qt::ControlModifier);
    services.menuAnswers.push_back(IDM_DELETE_TUNER);
    ClickRow(pList, 1, Qt::RightButton);
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "21"}}));

    const std::string path = SaveToFile("after-delete.tsf");
    EXPECT_EQ(CodesInFile(path), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x12, 0x21}}));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TunerEditDlgTest, SaveThatCannotWriteSaysSoAndNamesTheFile)
{
    // Without a table the file dialog is shown, but nothing is written.
    const std::string none = SaveToFile("none.tsf");
    EXPECT_FALSE(FileExists(none));
    EXPECT_TRUE(services.messages.empty());

    // An empty table writes its header alone: not a failure worth a word.
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    const std::string empty = SaveToFile("empty.tsf");
    EXPECT_EQ(ReadAll(empty), (Bytes{0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P', 0, 0, 0, 0}));
    EXPECT_TRUE(services.messages.empty());

    Add(Philips, 0);
    const std::string path = dir.File("no-such-folder/table.tsf");
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0],
              QString("Cannot save \"%1\": %2")
                  .arg(QString::fromStdString(path), QString::fromLocal8Bit(std::strerror(ENOENT))));

    // Cancelling the file dialog writes nothing and says nothing.
    services.fileAnswers.push_back(std::nullopt);
    Click(dlg, IDC_BUTTON_SAVE_FILE);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(TunerEditDlgTest, LoadThenSaveWritesTheSameBytes)
{
    // Records out of key order (105, 718, 138), a foreign magic and end mark: all kept.
    const std::vector<Record> records = {kThree[1], kThree[0], kThree[2]};
    const Bytes image = TsfImage(records, {'A', 'B', 'C', 'D'}, {0x01, 0x02, 0x03, 0x04});
    const std::string source = dir.File("source.tsf");
    WriteAll(source, image);
    LoadFile(source);
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "05", "01"}, {"001", "12", "07"}, {"002", "12", "21"}}));
    EXPECT_EQ(ReadAll(SaveToFile("copy.tsf")), image);

    // An entry added to a loaded list lands by the walk over its file order:
    // key 116 goes behind 105, whose successor 718 is larger.
    Add(Ten, 0);
    EXPECT_EQ(RowsOf(dlg),
              (std::vector<Row>{{"000", "05", "01"}, {"001", "10", "01"}, {"002", "12", "07"}, {"003", "12", "21"}}));
    const auto codes = CodesInFile(SaveToFile("added.tsf"));
    EXPECT_EQ(codes, (std::vector<std::pair<std::int32_t, std::int32_t>>{
                         {0x05, 0x01}, {0x10, 0x01}, {0x12, 0x07}, {0x12, 0x21}}));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TunerEditDlgTest, LoadThatCannotReadKeepsTheTable)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), 2);
    LoadFile(dir.File("missing.tsf"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].startsWith("Cannot load \"")) << services.messages[0].toStdString();
    services.messages.clear();
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}, {"001", "05", "01"}, {"002", "12", "21"}}));
    EXPECT_EQ(DetailsOf(dlg), kThreeDetails[2]);
    EXPECT_EQ(ReadAll(SaveToFile("kept.tsf")), TsfImage(kThree));

    // A file with a count of 0 is an empty table and replaces the one shown.
    const std::string emptyFile = dir.File("empty.tsf");
    WriteAll(emptyFile, TsfImage({}));
    LoadFile(emptyFile);
    EXPECT_EQ(dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount(), 0);
    Add(Temic, 0);
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "05", "01"}}));
    // A table read from a count-0 file holds the end mark it read: none, zero.
    const Bytes saved = ReadAll(SaveToFile("refilled.tsf"));
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(Bytes(saved.end() - 4, saved.end()), Bytes(4, 0));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TunerEditDlgTest, TenThousandEntriesLoadAndTakeAnAddition)
{
    // Keys 0, 2, 4, ... 19998 in file order.
    std::vector<Record> records;
    for (int i = 0; i < 10000; ++i)
        records.push_back(Record{2 * i, 0, 44, 140.25, 463.25, 958, 45.75, 0, 1, 2, 3});
    LoadFile(WriteTsf("large.tsf", records));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ASSERT_EQ(pList->GetItemCount(), 10000);
    EXPECT_EQ(pList->GetItemText(9999, 0), "9999");
    EXPECT_EQ(pList->GetItemText(9999, 1), QString::asprintf("%02X", 19998u));

    Add(Temic, 0); // key 105: between 104 and 106
    ASSERT_EQ(pList->GetItemCount(), 10001);
    EXPECT_EQ(RowsOf(dlg)[53], Row("053", "05", "01"));
    EXPECT_EQ(pList->GetItemText(54, 1), QString::asprintf("%02X", 106u));
    EXPECT_EQ(pList->GetItemText(10000, 0), "10000");
    ClickRow(pList, 9000);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TUNER_TYPE), "00");
    EXPECT_TRUE(services.messages.empty());
}

TEST(TunerEditDlgLauncher, TunerSpecificationEditRunsTheEditor)
{
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    Click(launcher, IDC_BUTTON_TUNER_EDIT);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Tuner Specification Edit"});
    EXPECT_TRUE(launcher.isVisible());
}

namespace {

// The menu bar's item of a command, its state made current as when its menu opens.
QAction* BarAction(const CDialog& dialog, int command)
{
    for (QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        emit pTitle->menu()->aboutToShow();
    QAction* pAction = EditorFrame::Of(dialog)->MenuBar()->Action(command);
    EXPECT_NE(pAction, nullptr) << command;
    return pAction;
}

// The row menu's item of a command, as the last menu shown offered it.
MenuItem RowMenuItem(const FakeUserServices& services, int command)
{
    EXPECT_FALSE(services.menus.empty());
    for (const MenuItem& item : services.menus.back())
        if (item.command == command)
            return item;
    ADD_FAILURE() << "no row menu item " << command;
    return MenuItem{};
}

// What the nine input fields hold, in the order TypeInputs types them.
std::vector<QString> InputTexts(const CDialog& dialog)
{
    std::vector<QString> texts;
    for (int id : {IDC_EDIT_LOW_BAND_START, IDC_EDIT_MID_BAND_START, IDC_EDIT_HIGH_BAND_START, IDC_EDIT_HIGH_BAND_END,
                   IDC_EDIT_LOW_CODE, IDC_EDIT_MID_CODE, IDC_EDIT_HIGH_CODE, IDC_EDIT_PICTURE_CARRIER,
                   IDC_EDIT_PICTURE_CARRIER2})
        texts.push_back(TextOf(dialog, id));
    return texts;
}

using Texts = std::vector<QString>;

} // namespace

TEST_F(TunerEditDlgTest, CopyToInputsPutsTheSelectedEntryIntoTheInputs)
{
    LoadFile(WriteTsf("three.tsf", kThree));
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    EXPECT_FALSE(BarAction(dlg, IDM_COPY_TO_INPUTS)->isEnabled()); // no row selected

    // From the row menu: the entry right-clicked, factory and tuner type chosen as its codes.
    services.menuAnswers.push_back(IDM_COPY_TO_INPUTS);
    ClickRow(pList, 1, Qt::RightButton);
    const MenuItem item = RowMenuItem(services, IDM_COPY_TO_INPUTS);
    EXPECT_EQ(item.text, "&Copy to Inputs");
    EXPECT_TRUE(item.bEnabled);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), Temic);
    ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 1);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), 0);
    EXPECT_EQ(InputTexts(dlg), (Texts{"53", "157.25", "451.25", "803", "8EA2", "8E92", "8E32", "45.75", "41.25"}));

    // From the bar: the selected entry; the factory's tuner types are read for it.
    ClickRow(pList, 2);
    QAction* pCopy = BarAction(dlg, IDM_COPY_TO_INPUTS);
    ASSERT_TRUE(pCopy->isEnabled());
    pCopy->trigger();
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), Philips);
    ASSERT_EQ(dlg.ComboGetCount(IDC_COMBO_TUNER_TYPE), 3);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), 2); // Twenty-one, code 0x21
    EXPECT_EQ(InputTexts(dlg), (Texts{"50.87", "160", "442", "858", "8651", "8652", "8654", "58.75", ""}));

    // Copied unchanged, the inputs give the same entry back: replacing it changes nothing.
    const std::size_t undoCount = dlg.Document().UndoCount();
    dlg.OnCommand(IDM_REPLACE_ENTRY);
    EXPECT_EQ(dlg.Document().UndoCount(), undoCount);
    EXPECT_EQ(ReadAll(SaveToFile("same.tsf")), TsfImage(kThree));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TunerEditDlgTest, CopyToInputsOfAFactoryTheCatalogueLacksChoosesNone)
{
    LoadFile(WriteTsf("foreign.tsf", {{0x77, 0x01, 44, 140.25, 463.25, 958, 38.9, 0, 1, 2, 3}}));
    Choose(dlg, IDC_COMBO_FACTORY, Philips);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0);
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ClickRow(pList, 0);
    BarAction(dlg, IDM_COPY_TO_INPUTS)->trigger();
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_FACTORY), -1);
    EXPECT_EQ(dlg.ComboGetCurSel(IDC_COMBO_TUNER_TYPE), -1);
    EXPECT_EQ(InputTexts(dlg), (Texts{"44", "140.25", "463.25", "958", "0001", "0002", "0003", "38.9", ""}));
    // Without a factory chosen, Replace Entry is as silent as Add Info.
    BarAction(dlg, IDM_REPLACE_ENTRY)->trigger();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Document().UndoName(), "Load File");
}

TEST_F(TunerEditDlgTest, ReplaceEntryRefusesAsAddInfoOrReplacesAsOneStep)
{
    // Without a table there is nothing to replace in.
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    services.menuAnswers.push_back(0);
    QTest::mouseClick(pList->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(RowMenuItem(services, IDM_REPLACE_ENTRY).bEnabled);
    EXPECT_FALSE(BarAction(dlg, IDM_REPLACE_ENTRY)->isEnabled());

    const std::string original = WriteTsf("three.tsf", kThree);
    LoadFile(original);
    QAction* pReplace = BarAction(dlg, IDM_REPLACE_ENTRY);
    EXPECT_TRUE(pReplace->isEnabled()); // with a table, whatever the inputs hold
    ClickRow(pList, 1);
    BarAction(dlg, IDM_COPY_TO_INPUTS)->trigger();

    // A bad input: Add Info's message, nothing changed, nothing to undo.
    TypeInto(dlg, IDC_EDIT_PICTURE_CARRIER, "");
    services.menuAnswers.push_back(IDM_REPLACE_ENTRY);
    ClickRow(pList, 1, Qt::RightButton);
    EXPECT_EQ(services.messages, (std::vector<QString>{kBandCodeMessage}));
    TypeInto(dlg, IDC_EDIT_PICTURE_CARRIER, "45.75");
    TypeInto(dlg, IDC_EDIT_HIGH_BAND_END, "x");
    BarAction(dlg, IDM_REPLACE_ENTRY)->trigger();
    EXPECT_EQ(services.messages, (std::vector<QString>{kBandCodeMessage, kCoverageMessage}));
    EXPECT_EQ(dlg.Document().UndoName(), "Load File");
    EXPECT_EQ(ReadAll(SaveToFile("unchanged.tsf")), ReadAll(original));

    // A good one replaces the entry of its key where it stands and shows it.
    TypeInto(dlg, IDC_EDIT_HIGH_BAND_END, "863.25");
    TypeInto(dlg, IDC_EDIT_LOW_CODE, "00a1");
    BarAction(dlg, IDM_REPLACE_ENTRY)->trigger();
    EXPECT_EQ(services.messages.size(), 2u);
    std::vector<Record> replaced = kThree;
    replaced[1].end = 863.25;
    replaced[1].lowCode = 0x00A1;
    EXPECT_EQ(ReadAll(SaveToFile("replaced.tsf")), TsfImage(replaced));
    EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"000", "12", "07"}, {"001", "05", "01"}, {"002", "12", "21"}}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_HIGH_RANGE), "451.25 ~ 863.25 MHz");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_LOW_CODE), "A1");
    EXPECT_EQ(BarAction(dlg, IDM_UNDO)->text(), "&Undo Replace Entry");

    // One undo puts the entry back, redo replaces it again.
    BarAction(dlg, IDM_UNDO)->trigger();
    EXPECT_EQ(ReadAll(SaveToFile("undone.tsf")), ReadAll(original));
    BarAction(dlg, IDM_REDO)->trigger();
    EXPECT_EQ(ReadAll(SaveToFile("redone.tsf")), TsfImage(replaced));

    // A key no entry has: said so, nothing changed.
    Choose(dlg, IDC_COMBO_FACTORY, Ten);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0); // code 0x01: key 116
    BarAction(dlg, IDM_REPLACE_ENTRY)->trigger();
    ASSERT_EQ(services.messages.size(), 3u);
    EXPECT_EQ(services.messages[2], "There is no entry of factory 10, tuner type 01 to replace.");
    EXPECT_EQ(ReadAll(SaveToFile("still.tsf")), TsfImage(replaced));
    EXPECT_EQ(dlg.Document().UndoName(), "Replace Entry");
}

TEST_F(TunerEditDlgTest, FillFromTunerDataNeedsAShippedTunerOfTheChosenFactory)
{
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    EXPECT_FALSE(BarAction(dlg, IDM_FILL_FROM_TUNER_DATA)->isEnabled()); // nothing chosen
    Choose(dlg, IDC_COMBO_FACTORY, Temic);
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0); // "Temic PAL": no shipped tuner has that name
    EXPECT_FALSE(BarAction(dlg, IDM_FILL_FROM_TUNER_DATA)->isEnabled());

    // A shipped tuner's name, under its own maker and under another.
    const std::string catalogue = WriteText(dir.File("makers.inf"), "[Factory]\nCount = 2\n"
                                                                    "2 = Temic\n3 = Alps\n"
                                                                    "[02]\nCount = 1\n0 = \"Temic PAL (4002 FH5)\"\n"
                                                                    "[03]\nCount = 1\n0 = \"Temic PAL (4002 FH5)\"\n");
    FakeUserServices otherServices;
    CTunerEditDlg other{otherServices};
    other.SetCataloguePath(catalogue);
    other.Create();
    Click(other, IDC_BUTTON_CREATE_TABLE);
    Choose(other, IDC_COMBO_FACTORY, 1);
    Choose(other, IDC_COMBO_TUNER_TYPE, 0);
    EXPECT_FALSE(BarAction(other, IDM_FILL_FROM_TUNER_DATA)->isEnabled());
    Choose(other, IDC_COMBO_FACTORY, 0);
    EXPECT_FALSE(BarAction(other, IDM_FILL_FROM_TUNER_DATA)->isEnabled()); // no tuner type chosen yet
    Choose(other, IDC_COMBO_TUNER_TYPE, 0);
    EXPECT_TRUE(BarAction(other, IDM_FILL_FROM_TUNER_DATA)->isEnabled());
}

// With the catalogue that ships: choosing fills nothing by itself; the
// command fills the tuner's bands, codes and carrier of data/tuners.csv, and
// Add Info takes them.
TEST(TunerEditDlgShippedTuners, FillFromTunerDataFillsTheBandsOfDataTunersCsv)
{
    TempDir dir;
    FakeUserServices services;
    CTunerEditDlg dlg{services};
    dlg.SetCataloguePath(VORNALIX_SAMPLE_CATALOGUE);
    dlg.Create();
    Click(dlg, IDC_BUTTON_CREATE_TABLE);
    TypeInto(dlg, IDC_EDIT_PICTURE_CARRIER2, "41.25");
    ASSERT_EQ(dlg.ComboGetLBText(IDC_COMBO_FACTORY, 1), "Temic");
    Choose(dlg, IDC_COMBO_FACTORY, 1);
    ASSERT_EQ(dlg.ComboGetLBText(IDC_COMBO_TUNER_TYPE, 0), "00 -- Temic PAL (4002 FH5)");
    Choose(dlg, IDC_COMBO_TUNER_TYPE, 0);
    EXPECT_EQ(InputTexts(dlg), (Texts{"", "", "", "", "", "", "", "", "41.25"}));

    QAction* pFill = BarAction(dlg, IDM_FILL_FROM_TUNER_DATA);
    EXPECT_EQ(pFill->text(), "Fill from &Tuner Data");
    ASSERT_TRUE(pFill->isEnabled());
    pFill->trigger();
    // data/tuners.csv: Temic PAL (4002 FH5),44.0,140.25,463.25,958.0,8E02,8E04,8E01,8E,38.9375
    EXPECT_EQ(InputTexts(dlg), (Texts{"44", "140.25", "463.25", "958", "8E02", "8E04", "8E01", "38.9375", ""}));

    Click(dlg, IDC_BUTTON_ADD_INFO);
    EXPECT_TRUE(services.messages.empty());
    const std::optional<TunerSpecEntry> added = dlg.Document().EntryAt(0);
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->iFactory(), 0x02);
    EXPECT_EQ(added->iTunerType(), 0x00);
    EXPECT_EQ(added->dbMidBandStart(), 140.25);
    EXPECT_EQ(added->wLowCode(), 0x8E02);
    EXPECT_EQ(added->dbPictureCarrier(), 38.9375);
    EXPECT_EQ(added->dbPictureCarrier2(), 0.0);

    // Another factory's list comes without a choice: nothing to fill from.
    Choose(dlg, IDC_COMBO_FACTORY, 0);
    EXPECT_FALSE(BarAction(dlg, IDM_FILL_FROM_TUNER_DATA)->isEnabled());
}
