// "New from Plan..." in the channel table editor, driven offscreen through the
// real chooser: its menu item and shortcut, the filter, the lists, and the
// editor's displays after a country or a single plan filled the table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include <QContextMenuEvent>
#include <QLabel>

#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/CPlanChooserDlg.h"

namespace {

class PlanChooserTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* Countries(CDialog& chooser) { return chooser.GetListView(IDC_LIST_PLAN_COUNTRIES); }
    ListView* Plans(CDialog& chooser) { return chooser.GetListView(IDC_LIST_PLANS); }

    // Column 0 of every row of a list.
    static std::vector<std::string> Names(ListView* pList)
    {
        std::vector<std::string> names;
        for (int row = 0; row < pList->GetItemCount(); ++row)
            names.push_back(pList->GetItemText(row, 0).toStdString());
        return names;
    }

    std::vector<std::string> EditorRows(int count)
    {
        std::vector<std::string> rows;
        ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
        for (int row = 0; row < count && row < pList->GetItemCount(); ++row)
            rows.push_back((pList->GetItemText(row, 0) + "|" + pList->GetItemText(row, 1)).toStdString());
        return rows;
    }

    // The editor's background menu, answered with "New from Plan...".
    void ChooseMenuItem()
    {
        QLabel* pSurface = nullptr;
        for (QLabel* pLabel : dlg.findChildren<QLabel*>())
            if (pLabel->text() == "Frequency Table")
                pSurface = pLabel;
        ASSERT_NE(pSurface, nullptr);
        services.menuAnswers.push_back(IDM_NEW_FROM_PLAN);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), pSurface->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(pSurface, &event);
    }

    TempDir home;
    // No plans of the machine's user: only the build tree's installed set.
    ScopedEnv dataHome{"XDG_DATA_HOME", home.Path().c_str()};
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

} // namespace

TEST_F(PlanChooserTest, GermanyFromTheFilterFillsBothListsAndTheCountry)
{
    std::vector<std::string> shownCountries;
    std::vector<std::string> shownPlans;
    QString choice;
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        EXPECT_EQ(chooser.windowTitle(), "New from Plan");
        EXPECT_EQ(Countries(chooser)->GetItemCount(), 240);
        EXPECT_EQ(Plans(chooser)->GetItemCount(), 73);
        EXPECT_EQ(chooser.focusWidget(), chooser.GetDlgItem(IDC_EDIT_PLAN_FILTER));
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "germ");
        shownCountries = Names(Countries(chooser));
        shownPlans = Names(Plans(chooser));
        const auto germany = std::find(shownCountries.begin(), shownCountries.end(), "Germany");
        EXPECT_NE(germany, shownCountries.end());
        const int row = static_cast<int>(germany - shownCountries.begin());
        ClickRow(Countries(chooser), row);
        EXPECT_EQ(Countries(chooser)->GetItemText(row, 1), "49");
        EXPECT_EQ(Countries(chooser)->GetItemText(row, 2), "PAL_B");
        EXPECT_EQ(Countries(chooser)->GetItemText(row, 3), "ms-western-europe-broadcast");
        EXPECT_EQ(Countries(chooser)->GetItemText(row, 4), "ms-western-europe-cable");
        choice = TextOf(chooser, IDC_STATIC_PLAN_CHOICE);
        Click(chooser, IDOK);
        return chooser.Result();
    };
    ChooseMenuItem();
    ASSERT_EQ(services.modalDialogs, std::vector<QString>{"New from Plan"});
    EXPECT_EQ(shownCountries, std::vector<std::string>{"Germany"});
    // The plans Germany uses, though their names do not hold the text.
    EXPECT_EQ(shownPlans, (std::vector<std::string>{"ms-western-europe-broadcast", "ms-western-europe-cable"}));
    EXPECT_EQ(choice, "Germany (49, PAL_B): Antenna ms-western-europe-broadcast (69 channels, 1 to 69); "
                      "Cable ms-western-europe-cable (107 channels, 1 to 107)");

    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "49");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY), "Germany");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_TV_SYSTEM), "PAL_B");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Antenna");
    EXPECT_EQ(Control<QComboBox>(dlg, IDC_COMBO_MODE)->currentIndex(), 0);
    EXPECT_EQ(EditorRows(3), (std::vector<std::string>{"001|48.25000", "002|49.75000", "003|55.25000"}));
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 69);
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "69");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "1");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "107");
    EXPECT_EQ(dlg.Origin(), TableOriginCreated);
    EXPECT_TRUE(EnabledOf(dlg, IDC_BUTTON_ADD));
    EXPECT_TRUE(EnabledOf(dlg, IDC_COMBO_MODE));

    // The editor's table is the document the tool builds for Germany.
    const PlanLibrary library = PlanLibrary::Load();
    ChannelTableDocument expected;
    ASSERT_TRUE(expected.NewFromCountry(*library.FindCountry("Germany"), library));
    EXPECT_EQ(dlg.Table()->FileImage(), expected.Table()->FileImage());
}

TEST_F(PlanChooserTest, OnePlanFillsTheListBeingEditedFromCtrlP)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    Control<QComboBox>(dlg, IDC_COMBO_MODE)->setCurrentIndex(1);
    emit Control<QComboBox>(dlg, IDC_COMBO_MODE)->activated(1);
    ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    QString labels;
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "US-BCAST");
        // No country uses it: the plan itself is chosen, and Enter fills.
        EXPECT_EQ(Countries(chooser)->GetItemCount(), 0);
        EXPECT_EQ(Names(Plans(chooser)), std::vector<std::string>{"us-bcast"});
        labels = Plans(chooser)->GetItemText(0, 2);
        EXPECT_EQ(chooser.ChosenPlan(), chooser.ShownPlans().front());
        PressKey(chooser.GetDlgItem(IDC_EDIT_PLAN_FILTER), Qt::Key_Return);
        return chooser.Result();
    };
    QTest::keyClick(dlg.GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(services.modalDialogs.size(), 1u);
    EXPECT_EQ(labels, "2 to 83");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_MODE), "Cable");
    EXPECT_EQ(Control<QComboBox>(dlg, IDC_COMBO_MODE)->currentIndex(), 1);
    // US broadcast channel 2 is channel 2.
    EXPECT_EQ(EditorRows(3), (std::vector<std::string>{"001|--", "002|55.25000", "003|61.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "2");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "83");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "0");
    EXPECT_EQ(dlg.Table()->GetList(ChannelModeAir)->iCount, 0);
}

// "Fill This List" replaces the list shown alone, as one step: the other list,
// the country code and the file stay. Before a table, and for a country,
// only "New Table" is offered.
TEST_F(PlanChooserTest, FillThisListReplacesOnlyTheListShown)
{
    const auto choose = [&](const char* filter, int button) {
        services.onRunModal = [&, filter, button](CDialog& dialog) {
            auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
            chooser.Create();
            TypeInto(chooser, IDC_EDIT_PLAN_FILTER, filter);
            EXPECT_EQ(EnabledOf(chooser, IDC_BUTTON_FILL_LIST), button == IDC_BUTTON_FILL_LIST) << filter;
            Click(chooser, button);
            return chooser.Result();
        };
        QTest::keyClick(dlg.GetDlgItem(IDC_EDIT_FREQUENCY), Qt::Key_P, Qt::ControlModifier);
    };
    choose("germ", IDOK);
    ASSERT_EQ(dlg.Table()->GetList(ChannelModeAir)->iCount, 69);
    Control<QComboBox>(dlg, IDC_COMBO_MODE)->setCurrentIndex(1);
    emit Control<QComboBox>(dlg, IDC_COMBO_MODE)->activated(1);
    choose("us-bcast", IDC_BUTTON_FILL_LIST);
    EXPECT_EQ(EditorRows(3), (std::vector<std::string>{"001|--", "002|55.25000", "003|61.25000"}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "83");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "69");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_COUNTRY_CODE), "49");
    EXPECT_EQ(dlg.Table()->GetList(ChannelModeAir)->iCount, 69);
    EXPECT_EQ(dlg.Document().UndoName(), "Fill This List");
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(dlg.Table()->GetList(ChannelModeCable)->iCount, 107);
    EXPECT_EQ(dlg.Document().UndoName(), "New from Plan");
}

TEST_F(PlanChooserTest, CancelAndAnEmptyFilterResultChangeNothing)
{
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    dlg.SetDlgItemText(IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "no such place");
        EXPECT_EQ(chooser.ChosenCountry(), nullptr);
        EXPECT_EQ(chooser.ChosenPlan(), nullptr);
        EXPECT_FALSE(EnabledOf(chooser, IDOK));
        Click(chooser, IDCANCEL);
        return chooser.Result();
    };
    ChooseMenuItem();
    ASSERT_EQ(services.modalDialogs.size(), 1u);
    EXPECT_EQ(EditorRows(5), std::vector<std::string>{"001|55.25000"});
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(PlanChooserTest, OwnPlansAreOfferedAndBrokenOnesNamed)
{
    const std::string own = home.File("vornalix/plans");
    std::filesystem::create_directories(own);
    std::ofstream(own + "/my-town.csv") << "channel,frequency_mhz\nK1,175.25\nK2,183.25\n";
    std::ofstream(own + "/broken.csv") << "channel,frequency_mhz\nK1,abc\n";
    QString problems;
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        problems = TextOf(chooser, IDC_STATIC_PLAN_PROBLEMS);
        EXPECT_EQ(Plans(chooser)->GetItemCount(), 74);
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "my-town");
        EXPECT_EQ(Names(Plans(chooser)), std::vector<std::string>{"my-town"});
        EXPECT_EQ(Plans(chooser)->GetItemText(0, 3).toStdString(), "own plan, " + own + "/my-town.csv");
        ClickRow(Plans(chooser), 0);
        QTest::mouseDClick(Plans(chooser)->viewport(), Qt::LeftButton, Qt::NoModifier,
                           Plans(chooser)->visualRect(Plans(chooser)->model()->index(0, 0)).center());
        return chooser.Result();
    };
    ChooseMenuItem();
    EXPECT_EQ(problems.toStdString(),
              "Not listed (1): " + own +
                  "/broken.csv: line 2: \"abc\" is not a frequency in MHz (a decimal number, 0 or more)");
    EXPECT_EQ(EditorRows(5), (std::vector<std::string>{"001|175.25000", "002|183.25000"}));
}

// The chooser lists no plan's channels: "Fill" reads them, and a plan whose
// file changed while the chooser was open is refused with the reason, the
// editor's table as it was.
TEST_F(PlanChooserTest, APlanChangedWhileTheChooserIsOpenIsRefusedWithAMessage)
{
    const std::string own = home.File("vornalix/plans");
    std::filesystem::create_directories(own);
    std::ofstream(own + "/my-town.csv") << "channel,frequency_mhz\nK1,175.25\nK2,183.25\n";
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    dlg.SetDlgItemText(IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "my-town");
        EXPECT_EQ(Names(Plans(chooser)), std::vector<std::string>{"my-town"});
        EXPECT_EQ(Plans(chooser)->GetItemText(0, 1), "2");
        std::ofstream(own + "/my-town.csv") << "channel,frequency_mhz\nK1,175.25\nK2,183.25\nK3,191.25\n";
        Click(chooser, IDOK);
        return chooser.Result();
    };
    ChooseMenuItem();
    ASSERT_EQ(services.modalDialogs.size(), 1u);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].toStdString(), "The table could not be filled from the chosen plan.\n\n" + own +
                                                      "/my-town.csv: has changed since the plans were listed");
    EXPECT_EQ(EditorRows(5), std::vector<std::string>{"001|55.25000"});

    // Opened again, the chooser lists the plan as it is now, and it fills.
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "my-town");
        EXPECT_EQ(Plans(chooser)->GetItemText(0, 1), "3");
        Click(chooser, IDOK);
        return chooser.Result();
    };
    ChooseMenuItem();
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(EditorRows(5), (std::vector<std::string>{"001|175.25000", "002|183.25000", "003|191.25000"}));
}

// Files no plan can be (too large for the most channels, a FIFO, a device)
// are named beside the lists, never read, and the other plans are offered.
TEST_F(PlanChooserTest, OversizedAndSpecialOwnPlansAreNamedAndNotRead)
{
    const std::string own = home.File("vornalix/plans");
    std::filesystem::create_directories(own);
    std::ofstream(own + "/my-town.csv") << "channel,frequency_mhz\nK1,175.25\n";
    std::ofstream(own + "/huge.csv") << "channel,frequency_mhz\nK1,175.25\n";
    ASSERT_EQ(::truncate((own + "/huge.csv").c_str(), off_t{1} << 30), 0);
    ASSERT_EQ(::mkfifo((own + "/pipe.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", own + "/zero.csv");
    QString problems;
    QString allProblems;
    int plans = 0;
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        problems = TextOf(chooser, IDC_STATIC_PLAN_PROBLEMS);
        allProblems = chooser.GetDlgItem(IDC_STATIC_PLAN_PROBLEMS)->toolTip();
        plans = Plans(chooser)->GetItemCount();
        Click(chooser, IDCANCEL);
        return chooser.Result();
    };
    ChooseMenuItem();
    EXPECT_EQ(plans, 74);
    EXPECT_EQ(problems.toStdString(),
              "Not listed (3): " + own +
                  "/huge.csv: cannot be read: larger than 6750135 bytes, the most a plan of 65535 channels takes");
    EXPECT_EQ(allProblems.toStdString(),
              own + "/huge.csv: cannot be read: larger than 6750135 bytes, the most a plan of 65535 channels takes\n" +
                  own + "/pipe.csv: cannot be read: it is a FIFO, not a regular file\n" + own +
                  "/zero.csv: cannot be read: it is a character device, not a regular file");
}

// A large own plan is listed from its first lines and read whole when it is
// chosen: its row then shows its channels, and one broken past its first lines
// says why it cannot be used and cannot be taken.
TEST_F(PlanChooserTest, ALargeOwnPlanIsReadWhenChosenAndABrokenOneCannotBeTaken)
{
    const std::string own = home.File("vornalix/plans");
    std::filesystem::create_directories(own);
    std::string large = "channel,frequency_mhz\n";
    for (int i = 1; i <= 2000; ++i)
        large += "S" + std::to_string(i) + "," + std::to_string(45 + i / 8) + ".25\n";
    std::ofstream(own + "/big.csv") << large;
    std::ofstream(own + "/big-broken.csv") << large << "S2001,abc\n";
    Click(dlg, IDC_BUTTON_CREATE_NEW);
    services.onRunModal = [&](CDialog& dialog) {
        auto& chooser = dynamic_cast<CPlanChooserDlg&>(dialog);
        chooser.Create();
        TypeInto(chooser, IDC_EDIT_PLAN_FILTER, "big");
        EXPECT_EQ(Names(Plans(chooser)), (std::vector<std::string>{"big", "big-broken"}));
        EXPECT_EQ(Plans(chooser)->GetItemText(0, 1), "2000");
        EXPECT_EQ(Plans(chooser)->GetItemText(0, 2), "S1 to S2000");
        EXPECT_EQ(Plans(chooser)->GetItemText(1, 1), "");
        EXPECT_EQ(Plans(chooser)->GetItemText(1, 2), "from S1");
        ClickRow(Plans(chooser), 1);
        EXPECT_EQ(TextOf(chooser, IDC_STATIC_PLAN_CHOICE).toStdString(),
                  "big-broken cannot be used: line 2002: \"abc\" is not a frequency in MHz (a decimal number, 0 or "
                  "more)");
        EXPECT_FALSE(chooser.IsDlgItemEnabled(IDOK));
        EXPECT_FALSE(chooser.IsDlgItemEnabled(IDC_BUTTON_FILL_LIST));
        ClickRow(Plans(chooser), 0);
        EXPECT_EQ(TextOf(chooser, IDC_STATIC_PLAN_CHOICE), "big: 2000 channels, labels S1 to S2000");
        Click(chooser, IDC_BUTTON_FILL_LIST);
        return chooser.Result();
    };
    ChooseMenuItem();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(EditorRows(2), (std::vector<std::string>{"001|45.25000", "002|45.25000"}));
    EXPECT_EQ(dlg.GetListView(IDC_LIST_CHANNELS)->GetItemCount(), 2000);
}
