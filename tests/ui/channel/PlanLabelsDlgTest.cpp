// The channel editor's rows name the channel a plan of the table's country
// gives their frequency, in the tooltip and in what a screen reader reads as
// the description, through the real dialog; the list keeps its two columns
// and texts. Also the list view's descriptions alone: asked only for the row
// shown, never for every row when the rows are set.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"

namespace {

const QString kGermanAir = QStringLiteral("ms-western-europe-broadcast");
const QString kGermanCable = QStringLiteral("ms-western-europe-cable");
const QString kBritishAir = QStringLiteral("ms-united-kingdom-broadcast");

QString OnAir(const QString& label, const QString& plan)
{
    return QStringLiteral("Channel %1 in broadcast plan %2").arg(label, plan);
}

QString OnCable(const QString& label, const QString& plan)
{
    return QStringLiteral("Channel %1 in cable plan %2").arg(label, plan);
}

class PlanLabelsDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

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
    void Key(Qt::Key key)
    {
        List()->setFocus();
        QTest::keyClick(List(), key, Qt::ControlModifier);
    }

    // Each row's tooltip as the model gives it to the view; checks on the way
    // that both cells of the row say the same as tooltip and as description,
    // and that a screen reader reads that description.
    std::vector<QString> Tooltips()
    {
        std::vector<QString> tooltips;
        QAbstractItemModel* pModel = List()->model();
        // The list met anew, as a screen reader meets it: without one running
        // (offscreen) nothing tells the cached cells of a reset of the rows.
        if (QAccessibleInterface* pMet = QAccessible::queryAccessibleInterface(List()))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pMet));
        QAccessibleInterface* pTable = QAccessible::queryAccessibleInterface(List());
        EXPECT_TRUE(pTable && pTable->tableInterface());
        for (int row = 0; row < List()->GetItemCount(); ++row) {
            const QString tooltip = pModel->data(pModel->index(row, 0), Qt::ToolTipRole).toString();
            for (int column = 0; column < 2; ++column) {
                const QModelIndex index = pModel->index(row, column);
                EXPECT_EQ(pModel->data(index, Qt::ToolTipRole).toString(), tooltip) << row;
                EXPECT_EQ(pModel->data(index, Qt::AccessibleDescriptionRole).toString(), tooltip) << row;
                if (pTable && pTable->tableInterface()) {
                    QAccessibleInterface* pCell = pTable->tableInterface()->cellAt(row, column);
                    EXPECT_TRUE(pCell) << row;
                    if (pCell) {
                        EXPECT_EQ(pCell->text(QAccessible::Description), tooltip) << row;
                    }
                }
            }
            tooltips.push_back(tooltip);
        }
        return tooltips;
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

const QString kNone;

} // namespace

TEST_F(PlanLabelsDlgTest, RowsNameTheChannelOfTheCountrysPlanAndKeepTheirTwoColumns)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EnterCountry("49");
    for (const char* text : {"175.25", "178", "0", "471.25000", "-1", "175.2504"})
        Append(QString::fromLatin1(text));
    EXPECT_EQ(Tooltips(), (std::vector<QString>{OnAir("5", kGermanAir), kNone, kNone, OnAir("21", kGermanAir), kNone,
                                                OnAir("5", kGermanAir)}));
    // The list keeps its two columns and their texts.
    EXPECT_EQ(List()->model()->columnCount(), 2);
    EXPECT_EQ(ListRowTexts(dlg, IDC_LIST_CHANNELS), (std::vector<QString>{"001|175.25000", "002|178.00000", "003|--",
                                                                          "004|471.25000", "005|--", "006|175.25040"}));

    // The cable list is labelled from the cable plan, and from the broadcast
    // plan where the cable plan has no channel.
    QComboBox* pCombo = Control<QComboBox>(dlg, IDC_COMBO_MODE);
    pCombo->setFocus();
    QTest::keyClick(pCombo, Qt::Key_Down);
    ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    for (const char* text : {"303.25", "175.25", "45.0"})
        Append(QString::fromLatin1(text));
    EXPECT_EQ(Tooltips(), (std::vector<QString>{OnCable("38", kGermanCable), OnCable("20", kGermanCable), kNone}));
}

TEST_F(PlanLabelsDlgTest, LabelsFollowTheCountryCodeAndItsUndo)
{
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(49, {175.25, 471.25, 182.25}, {}, 1, 0));
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    EXPECT_EQ(Tooltips(),
              (std::vector<QString>{OnAir("5", kGermanAir), OnAir("21", kGermanAir), OnAir("6", kGermanAir)}));

    // The United Kingdom numbers the same frequencies otherwise, and has no channel at 182.25 MHz.
    EnterCountry("44");
    EXPECT_EQ(Tooltips(), (std::vector<QString>{OnAir("4", kBritishAir), OnAir("21", kBritishAir), kNone}));
    // Morocco publishes no plans.
    EnterCountry("212");
    EXPECT_EQ(Tooltips(), (std::vector<QString>(3, kNone)));

    Key(Qt::Key_Z);
    EXPECT_EQ(dlg.Document().CountryCode(), 44);
    EXPECT_EQ(Tooltips(), (std::vector<QString>{OnAir("4", kBritishAir), OnAir("21", kBritishAir), kNone}));
    Key(Qt::Key_Z);
    EXPECT_EQ(dlg.Document().CountryCode(), 49);
    EXPECT_EQ(Tooltips(),
              (std::vector<QString>{OnAir("5", kGermanAir), OnAir("21", kGermanAir), OnAir("6", kGermanAir)}));
    Key(Qt::Key_Y);
    EXPECT_EQ(Tooltips(), (std::vector<QString>{OnAir("4", kBritishAir), OnAir("21", kBritishAir), kNone}));

    // An edit of a row changes its label.
    ClickRow(List(), 2);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "183.25");
    Click(dlg, IDC_BUTTON_SAVE_VALUE);
    EXPECT_EQ(Tooltips(),
              (std::vector<QString>{OnAir("4", kBritishAir), OnAir("21", kBritishAir), OnAir("5", kBritishAir)}));
    // A code the table refuses is shown, but the table's country stays and so do its labels.
    EnterCountry("0");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(dlg.Document().CountryCode(), 44);
    EXPECT_EQ(Tooltips(),
              (std::vector<QString>{OnAir("4", kBritishAir), OnAir("21", kBritishAir), OnAir("5", kBritishAir)}));
}

TEST_F(PlanLabelsDlgTest, AMarkedRowSaysBothItsMarkAndItsLabel)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    EnterCountry("49");
    for (const char* text : {"175.25", "182.25", "175.25"})
        Append(QString::fromLatin1(text));
    EXPECT_EQ(Tooltips(),
              (std::vector<QString>{"Same frequency as channel 3\n" + OnAir("5", kGermanAir), OnAir("6", kGermanAir),
                                    "Same frequency as channel 1\n" + OnAir("5", kGermanAir)}));
    EXPECT_EQ(List()->GetItemMark(0).note, "Same frequency as channel 3");
    EXPECT_EQ(List()->GetItemNote(1), OnAir("6", kGermanAir));
}

TEST(ListViewDescriptions, AreAskedOnlyForTheRowShownAndGoWithTheRows)
{
    FakeUserServices services;
    CDialog dialog(IDD_FREQUENCY_TABLE, services);
    ListView* pList = dialog.GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, "CH No.", LVCFMT_LEFT, 50);
    std::vector<int> asked;
    pList->SetRows(
        65535, [](int row, int) { return QString::number(row); }, nullptr, nullptr,
        [&asked](int row) {
            asked.push_back(row);
            return row % 2 ? QStringLiteral("odd %1").arg(row) : QString();
        });
    EXPECT_EQ(asked, std::vector<int>{});
    QAbstractItemModel* pModel = pList->model();
    EXPECT_EQ(pModel->data(pModel->index(40001, 0), Qt::ToolTipRole).toString(), "odd 40001");
    EXPECT_EQ(asked, std::vector<int>{40001});
    EXPECT_EQ(pModel->data(pModel->index(40001, 0), Qt::AccessibleDescriptionRole).toString(), "odd 40001");
    // An even row has nothing to say: no tooltip at all.
    EXPECT_FALSE(pModel->data(pModel->index(2, 0), Qt::ToolTipRole).isValid());
    // Outside the rows nothing is asked.
    EXPECT_EQ(pList->GetItemNote(65535), "");
    EXPECT_EQ(pList->GetItemNote(-1), "");
    EXPECT_EQ(asked, (std::vector<int>{40001, 40001, 2}));
    // Rows set again without descriptions lose them.
    pList->SetRows(4, [](int row, int) { return QString::number(row); });
    EXPECT_FALSE(pModel->data(pModel->index(1, 0), Qt::ToolTipRole).isValid());
    EXPECT_EQ(asked.size(), 3u);
}
