// Random sequences of every command, undo and redo, driven through the real
// editors as a person would: after each step every display, the Frequency
// field, the list and the enabled state of every control must show what the
// document holds, never what an earlier state left behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <QComboBox>

#include "res/resource.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

std::string WriteText(const std::string& path, const std::string& text)
{
    WriteAll(path, Bytes(text.begin(), text.end()));
    return path;
}

QString FrequencyText(double dbFrequency)
{
    return dbFrequency > 0.0 ? QString::asprintf("%.5f", dbFrequency) : QString();
}

constexpr int kTableControls[] = {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER,     IDC_EDIT_FREQUENCY,
                                  IDC_BUTTON_ADD, IDC_BUTTON_RESET,      IDC_BUTTON_SAVE_VALUE};

// Everything the channel editor shows, against its document. bTableSeen: a
// table was made or loaded since the editor opened.
// typed: what the person last typed into the Frequency field, theirs until a
// command takes it.
void ExpectChannelScreenShowsDocument(CFrequencyTableDlg& dlg, bool bTableSeen, const QString& typed)
{
    const ChannelTableDocument& doc = dlg.Document();
    for (int id : kTableControls)
        EXPECT_EQ(EnabledOf(dlg, id), bTableSeen) << "control " << id;
    if (!bTableSeen)
        return;
    const std::int32_t iMode = doc.Mode();
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), iMode == ChannelModeAir     ? "Antenna"
                                            : iMode == ChannelModeCable ? "Cable"
                                                                        : "Unknow");
    if (iMode == ChannelModeAir || iMode == ChannelModeCable) {
        EXPECT_EQ(Control<QComboBox>(dlg, IDC_COMBO_MODE)->currentIndex(), iMode);
    }
    if (doc.HasTable()) {
        // A list's range statics show its range, or stay empty while no
        // command has shown it since "Create New" from the start.
        const auto expectRange = [&dlg](int minId, int maxId, const ChannelRange& range) {
            if (TextOf(dlg, minId).isEmpty() && TextOf(dlg, maxId).isEmpty())
                return;
            EXPECT_EQ(TextOf(dlg, minId), QString::number(range.iMin)) << minId;
            EXPECT_EQ(TextOf(dlg, maxId), QString::number(range.iMax)) << maxId;
        };
        expectRange(IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, doc.Range(ChannelModeAir));
        expectRange(IDC_STATIC_CABLE_MIN, IDC_STATIC_CABLE_MAX, doc.Range(ChannelModeCable));
    }
    // The country code as the table holds it, or as typed when refused.
    const CFrequencyTableDlg::ShownCode& code = dlg.ShownCountryCode();
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), code.text);
    if (doc.HasTable() && code.iCode > 0) {
        EXPECT_EQ(code.iCode, doc.CountryCode()) << "a code taken is the table's";
    }
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), QString::fromLatin1(LookupCountry(code.iCode).pszCountry));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), QString::number(dlg.ShownChannel()));

    // The Frequency field is empty, or holds the value of the channel "Save
    // value" writes to (the Channel Number display may name another after an
    // insert or a delete, as those commands leave the field alone).
    const QString field = TextOf(dlg, IDC_EDIT_FREQUENCY);
    if (!field.isEmpty() && field != typed) {
        EXPECT_EQ(field, FrequencyText(doc.Frequency(dlg.EditIndex()))) << "field " << field.toStdString();
    }

    const std::vector<double> frequencies = doc.CurrentFrequencies();
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    ASSERT_EQ(pList->GetItemCount(), doc.HasTable() ? static_cast<int>(frequencies.size()) : 0);
    for (int row = 0; row < pList->GetItemCount(); ++row) {
        const double db = frequencies[static_cast<std::size_t>(row)];
        ASSERT_EQ(pList->GetItemText(row, 1), db > 0.0 ? QString::asprintf("%.5f", db) : QStringLiteral("--"))
            << "row " << row;
    }
}

class ChannelEditorDriver
{
public:
    ChannelEditorDriver(unsigned seed, std::vector<std::string> files) : m_rng(seed), m_files(std::move(files))
    {
        m_dlg.Create();
    }

    // One thing a person does; returns its name for the failure message.
    // Controls that are greyed are left alone, as a person must.
    std::string Act()
    {
        if (!EnabledOf(m_dlg, IDC_BUTTON_ADD)) {
            if (Below(2))
                Click(m_dlg, IDC_BUTTON_CREATE_NEW);
            return "Create New first";
        }
        const int rows = List()->GetItemCount();
        switch (Below(20)) {
        case 0: Click(m_dlg, IDC_BUTTON_CREATE_NEW); return "Create New";
        case 1:
            m_services.fileAnswers.push_back(QString::fromStdString(m_files[Below(m_files.size())]));
            Click(m_dlg, IDC_BUTTON_LOAD_FROM_FILE);
            return "LoadFromFile";
        case 2:
            m_typed = QString::number(40 + Below(800)) + ".25";
            TypeInto(m_dlg, IDC_EDIT_FREQUENCY, m_typed);
            PressKey(m_dlg.GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_Return);
            return "Add by Enter";
        case 3:
            m_typed = QString::number(40 + Below(800)) + ".5";
            TypeInto(m_dlg, IDC_EDIT_FREQUENCY, m_typed);
            Click(m_dlg, IDC_BUTTON_SAVE_VALUE);
            return "Save value";
        case 4:
        case 5:
            if (rows > 0)
                ClickRow(List(), static_cast<int>(Below(static_cast<std::size_t>(rows))));
            return "click";
        case 6:
            if (rows > 1)
                ClickRow(List(), static_cast<int>(Below(static_cast<std::size_t>(rows))), Qt::LeftButton,
                         Qt::ShiftModifier);
            return "shift click";
        case 7: {
            const int kCommands[] = {IDM_INSERT_BLANK_ITEM, IDM_DELETE_ITEM,    IDM_MOVE_UP,
                                     IDM_MOVE_DOWN,         IDM_CLEAR_TO_EMPTY, IDM_SORT_SELECTION};
            const int command = kCommands[Below(std::size(kCommands))];
            RowMenu(rows, command);
            return "row menu " + std::to_string(command);
        }
        case 8:
            m_services.valueAnswers.push_back(std::vector<QString>{QStringLiteral("+0.5")});
            RowMenu(rows, IDM_OFFSET_FREQUENCIES);
            return "Offset Frequencies";
        case 9:
            m_services.valueAnswers.push_back(
                std::vector<QString>{QStringLiteral("471.25"), QStringLiteral("8"), QString::number(1 + Below(3)),
                                     Below(2) ? QStringLiteral("at the end") : QStringLiteral("before")});
            RowMenu(rows, IDM_FILL_RASTER);
            return "Fill Raster";
        case 10:
            m_services.valueAnswers.push_back(std::vector<QString>{QString::number(1 + Below(3))});
            RowMenu(rows, IDM_MOVE_TO_CHANNEL);
            return "Move to Channel";
        case 11: {
            const char* const kCodes[] = {"49", "44", "-3", "0", "81"};
            TypeInto(m_dlg, IDC_EDIT_COUNTRY_CODE, QString::fromLatin1(kCodes[Below(std::size(kCodes))]));
            Click(m_dlg, IDC_BUTTON_ENTER);
            return "Enter";
        }
        case 12: {
            QComboBox* pCombo = Control<QComboBox>(m_dlg, IDC_COMBO_MODE);
            if (pCombo->isEnabled()) {
                pCombo->setFocus();
                QTest::keyClick(pCombo, Below(2) ? Qt::Key_Down : Qt::Key_Up);
            }
            return "mode";
        }
        case 13:
            m_dlg.GetDlgItem(IDC_EDIT_FREQUENCY)->setFocus();
            Click(m_dlg, IDC_BUTTON_RESET);
            return "Reset";
        case 14:
        case 15:
        case 16: Key(Qt::Key_Z, Qt::ControlModifier); return "undo";
        case 17:
        case 18:
            Key(Below(2) ? Qt::Key_Y : Qt::Key_Z,
                Below(2) ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            return "redo";
        default:
            if (rows > 0) {
                m_services.valueAnswers.push_back(
                    std::vector<QString>{QString::number(1 + Below(static_cast<std::size_t>(rows)))});
                m_dlg.OnCommand(IDM_GOTO_CHANNEL);
            }
            return "Go to Channel";
        }
    }

    CFrequencyTableDlg& Dialog() { return m_dlg; }
    const QString& Typed() const { return m_typed; }

private:
    ListView* List() { return m_dlg.GetListView(IDC_LIST_CHANNELS); }
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng); }
    void RowMenu(int rows, int command)
    {
        m_services.menuAnswers.push_back(command);
        ClickRow(List(), rows > 0 ? static_cast<int>(Below(static_cast<std::size_t>(rows))) : 0, Qt::RightButton);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QWidget* pWidget = Below(2) ? m_dlg.GetDlgItem(IDC_EDIT_FREQUENCY) : static_cast<QWidget*>(List());
        pWidget->setFocus();
        QTest::keyClick(pWidget, key, modifiers);
    }

    std::mt19937 m_rng;
    std::vector<std::string> m_files;
    QString m_typed;
    FakeUserServices m_services;
    CFrequencyTableDlg m_dlg{m_services};
};

} // namespace

TEST(EditorDisplaysProperty, ChannelEditorShowsTheDocumentAfterEveryCommandUndoAndRedo)
{
    TempDir dir;
    const std::vector<std::string> files = {dir.File("a.ccf"), dir.File("b.ccf")};
    WriteAll(files[0], ChannelTableImage(49, {48.25, 55.25, 305.25, 305.25, 62.25, 175.25}, {112.25, 119.25}, 1, 6));
    WriteAll(files[1], ChannelTableImage(44, {471.25}, {}, 1, 1));
    for (unsigned seed = 1; seed <= 6; ++seed) {
        ChannelEditorDriver driver(seed, files);
        bool bTableSeen = false;
        for (int i = 0; i < 150; ++i) {
            const std::string action = driver.Act();
            bTableSeen = bTableSeen || driver.Dialog().Document().HasTable();
            ASSERT_NO_FATAL_FAILURE(ExpectChannelScreenShowsDocument(driver.Dialog(), bTableSeen, driver.Typed()))
                << "seed " << seed << " step " << i << ": " << action;
            if (::testing::Test::HasFailure())
                FAIL() << "seed " << seed << " step " << i << ": " << action;
        }
    }
}

// The faults a person met, each on its own.
TEST(EditorDisplaysProperty, ClearingTheShownChannelEmptiesTheFrequencyFieldSoSaveValueWritesNothingOld)
{
    TempDir dir;
    const std::string path = dir.File("we.ccf");
    std::vector<double> air(20, 0.0);
    for (std::size_t i = 0; i < air.size(); ++i)
        air[i] = i >= 12 ? 305.25 : 48.25 + 7.0 * static_cast<double>(i);
    WriteAll(path, ChannelTableImage(49, air, {}, 1, 20));
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    ClickRow(pList, 12);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "305.25000");
    ClickRow(pList, 19, Qt::LeftButton, Qt::ShiftModifier);
    services.menuAnswers.push_back(IDM_CLEAR_TO_EMPTY);
    ClickRow(pList, 12, Qt::RightButton);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(dlg.Table()->GetFrequency(ChannelModeAir, 13), 0.0);

    // Offset, then undo and redo: the field follows the value each time.
    ClickRow(pList, 2);
    services.valueAnswers.push_back(std::vector<QString>{QStringLiteral("+0.5")});
    services.menuAnswers.push_back(IDM_OFFSET_FREQUENCIES);
    ClickRow(pList, 2, Qt::RightButton);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "62.75000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "3");
    QTest::keyClick(pList, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "62.25000");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "3");
    QTest::keyClick(pList, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "62.75000");
    // A deletion in front moves channel 3: the field no longer names it.
    ClickRow(pList, 0);
    ClickRow(pList, 2);
    services.menuAnswers.push_back(IDM_DELETE_ITEM);
    ClickRow(pList, 0, Qt::RightButton);
    EXPECT_EQ(TextOf(dlg, IDC_EDIT_FREQUENCY), "");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "0");
}

TEST(EditorDisplaysProperty, UndoOfTheFirstTableKeepsTheControlsEnabledAndTheModeShown)
{
    FakeUserServices services;
    CFrequencyTableDlg dlg(services);
    dlg.Create();
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    QWidget* pField = dlg.GetDlgItem(IDC_EDIT_FREQUENCY);
    pField->setFocus();
    QTest::keyClick(pField, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(dlg.Table());
    for (int id : kTableControls)
        EXPECT_TRUE(EnabledOf(dlg, id)) << id;
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0);
    // The controls do nothing without a table, and redo brings it back.
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    PressKey(pField, Qt::Key_Return);
    EXPECT_FALSE(dlg.Table());
    QTest::keyClick(pField, Qt::Key_Y, Qt::ControlModifier);
    ASSERT_TRUE(dlg.Table());
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 0);
}

namespace {

constexpr int kTunerDetails[] = {
    IDC_STATIC_FACTORY,         IDC_STATIC_TUNER_TYPE,       IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE,
    IDC_STATIC_HIGH_RANGE,      IDC_STATIC_LOW_CODE,         IDC_STATIC_MID_CODE,  IDC_STATIC_HIGH_CODE,
    IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2,
};

// opened: the details' texts as the editor opened.
void ExpectTunerScreenShowsDocument(CTunerEditDlg& dlg, bool bTableSeen, const std::vector<QString>& opened)
{
    const TunerTableDocument& doc = dlg.Document();
    if (bTableSeen) {
        EXPECT_TRUE(EnabledOf(dlg, IDC_BUTTON_ADD_INFO));
        EXPECT_TRUE(EnabledOf(dlg, IDC_COMBO_FACTORY));
    }
    const std::vector<TunerRow> rows = doc.Rows();
    ListView* pList = dlg.GetListView(IDC_LIST_TUNERS);
    ASSERT_EQ(pList->GetItemCount(), static_cast<int>(rows.size()));
    for (int row = 0; row < pList->GetItemCount(); ++row) {
        const TunerRow& codes = rows[static_cast<std::size_t>(row)];
        ASSERT_EQ(pList->GetItemText(row, 1), QString::asprintf("%02X", static_cast<unsigned>(codes.iFactory)));
        ASSERT_EQ(pList->GetItemText(row, 2), QString::asprintf("%02X", static_cast<unsigned>(codes.iTunerType)));
    }
    // The details show the entry the document names, or nothing.
    if (const std::optional<TunerSpecEntry>& entry = dlg.ShownEntry()) {
        EXPECT_EQ(TextOf(dlg, IDC_STATIC_PICTURE_CARRIER), QString::asprintf("%.2f MHz", entry->dbPictureCarrier()));
    } else {
        for (std::size_t i = 2; i < std::size(kTunerDetails); ++i) {
            const QString text = TextOf(dlg, kTunerDetails[i]);
            EXPECT_TRUE(text.isEmpty() || text == opened[i]) << kTunerDetails[i] << " " << text.toStdString();
        }
    }
}

} // namespace

TEST(EditorDisplaysProperty, TunerEditorShowsTheDocumentAfterEveryCommandUndoAndRedo)
{
    TempDir dir;
    const std::string catalogue =
        WriteText(dir.File("TunerSpec.inf"), "[Factory]\nCount = 2\n12 = Philips\n5 = Temic\n\n"
                                             "[12]\nCount = 2\n7 = X\n2 = Y\n\n"
                                             "[05]\nCount = 1\n1 = Z\n");
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 rng(seed);
        const auto below = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        FakeUserServices services;
        CTunerEditDlg dlg(services);
        dlg.SetCataloguePath(catalogue);
        dlg.Create();
        std::vector<QString> opened;
        for (int id : kTunerDetails)
            opened.push_back(TextOf(dlg, id));
        bool bTableSeen = false;
        for (int i = 0; i < 120; ++i) {
            const int rows = dlg.GetListView(IDC_LIST_TUNERS)->GetItemCount();
            std::string action;
            switch (below(9)) {
            case 0:
                Click(dlg, IDC_BUTTON_CREATE_TABLE);
                action = "Create";
                break;
            case 1:
            case 2: {
                QComboBox* pFactory = Control<QComboBox>(dlg, IDC_COMBO_FACTORY);
                if (pFactory->isEnabled() && pFactory->count() > 0) {
                    pFactory->setCurrentIndex(below(pFactory->count()));
                    emit pFactory->activated(pFactory->currentIndex());
                    QComboBox* pType = Control<QComboBox>(dlg, IDC_COMBO_TUNER_TYPE);
                    if (pType->count() > 0) {
                        pType->setCurrentIndex(below(pType->count()));
                        emit pType->activated(pType->currentIndex());
                    }
                }
                TypeInto(dlg, IDC_EDIT_LOW_BAND_START, "48.25");
                TypeInto(dlg, IDC_EDIT_MID_BAND_START, "160");
                TypeInto(dlg, IDC_EDIT_HIGH_BAND_START, "440");
                TypeInto(dlg, IDC_EDIT_HIGH_BAND_END, "863.25");
                TypeInto(dlg, IDC_EDIT_LOW_CODE, "0001");
                TypeInto(dlg, IDC_EDIT_MID_CODE, "0002");
                TypeInto(dlg, IDC_EDIT_HIGH_CODE, "0004");
                TypeInto(dlg, IDC_EDIT_PICTURE_CARRIER, QString::number(38 + below(3)) + ".9");
                Click(dlg, IDC_BUTTON_ADD_INFO);
                action = "Add Info";
                break;
            }
            case 3:
                if (rows > 0)
                    ClickRow(dlg.GetListView(IDC_LIST_TUNERS), below(rows));
                action = "click";
                break;
            case 4:
                services.menuAnswers.push_back(IDM_DELETE_TUNER);
                ClickRow(dlg.GetListView(IDC_LIST_TUNERS), rows > 0 ? below(rows) : 0, Qt::RightButton);
                action = "Delete Tuner";
                break;
            case 5:
            case 6:
                dlg.GetListView(IDC_LIST_TUNERS)->setFocus();
                QTest::keyClick(dlg.GetListView(IDC_LIST_TUNERS), Qt::Key_Z, Qt::ControlModifier);
                action = "undo";
                break;
            default:
                dlg.GetListView(IDC_LIST_TUNERS)->setFocus();
                QTest::keyClick(dlg.GetListView(IDC_LIST_TUNERS), Qt::Key_Y, Qt::ControlModifier);
                action = "redo";
                break;
            }
            bTableSeen = bTableSeen || dlg.Document().HasTable();
            ExpectTunerScreenShowsDocument(dlg, bTableSeen, opened);
            if (::testing::Test::HasFailure())
                FAIL() << "seed " << seed << " step " << i << ": " << action;
        }
    }
}
