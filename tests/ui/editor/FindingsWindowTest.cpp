// The findings window driven through its real widgets: what it lists, that it
// blocks nothing, and what activating a row hands back to the editor.
#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

#include "res/resource.h"
#include "tests/TunerEntries.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/CTableFindingsWindow.h"

namespace {

std::vector<TableFinding> ChannelFindings()
{
    return {
        {FindingSeverity::Error, ChannelModeNone, 0, "the country code 999 is not in the country catalogue"},
        {FindingSeverity::Error, ChannelModeAir, 4,
         "air channel 4: 55.25 MHz does not rise above channel 2 (62.25 MHz)"},
        {FindingSeverity::Warning, ChannelModeAir, 4, "air channel 4: 55.25 MHz also at channel 1"},
        {FindingSeverity::Warning, ChannelModeCable, 7, "cable channel 7: 300 MHz also at channel 5"},
    };
}

QStringList Headings(const CTableFindingsWindow& window)
{
    QStringList headings;
    const QAbstractItemModel* pModel = window.FindingsView()->model();
    for (int column = 0; column < pModel->columnCount(); ++column)
        headings << pModel->headerData(column, Qt::Horizontal).toString();
    return headings;
}

struct Activation
{
    int list;
    int position;
    bool operator==(const Activation& other) const { return list == other.list && position == other.position; }
};

void PrintTo(const Activation& a, std::ostream* os)
{
    *os << "(" << a.list << ", " << a.position << ")";
}

} // namespace

TEST(FindingsWindow, ListsTheFindingsAndBlocksNothing)
{
    FakeUserServices services;
    CFrequencyTableDlg editor{services};
    editor.Create();
    CTableFindingsWindow window(&editor);
    window.ShowFindings(ChannelFindings(), FindingKind::Channel);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.windowTitle(), "Table Check");
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The editor under it still takes its clicks.
    Click(editor, IDC_BUTTON_CREATE_NEW);
    EXPECT_TRUE(editor.Table());

    EXPECT_EQ(Headings(window), (QStringList{"Severity", "List", "Channel", "Message"}));
    EXPECT_EQ(FindingRows(window),
              (std::vector<QString>{
                  "Error|||the country code 999 is not in the country catalogue",
                  "Error|Antenna|4|air channel 4: 55.25 MHz does not rise above channel 2 (62.25 MHz)",
                  "Warning|Antenna|4|air channel 4: 55.25 MHz also at channel 1",
                  "Warning|Cable|7|cable channel 7: 300 MHz also at channel 5",
              }));
    EXPECT_EQ(window.FindingCount(), 4);
    EXPECT_EQ(window.SummaryText(), "Errors: 2, warnings: 2");
    EXPECT_TRUE(window.findChild<QLabel*>("FindingsSummary")->isVisible());
    // Every column is wide enough for its heading.
    QHeaderView* pHeader = window.FindingsView()->header();
    for (int column = 0; column < 3; ++column)
        EXPECT_GE(pHeader->sectionSize(column), pHeader->fontMetrics().horizontalAdvance(Headings(window)[column]))
            << column;
}

TEST(FindingsWindow, ActivatingARowHandsItsListAndPositionBack)
{
    CTableFindingsWindow window;
    std::vector<Activation> activations;
    window.onActivate = [&](int list, int position) { activations.push_back({list, position}); };
    window.ShowFindings(ChannelFindings(), FindingKind::Channel);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* pView = window.FindingsView();

    // Enter on the current row, after moving down to the cable finding.
    pView->setFocus();
    QTest::keyClick(pView, Qt::Key_End);
    QTest::keyClick(pView, Qt::Key_Return);
    // A double click on the air warning.
    const QRect rect = pView->visualRect(pView->model()->index(2, 3));
    // As the system delivers one: a click, then the second press as a double click.
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    // The file's own finding names no row.
    QTest::keyClick(pView, Qt::Key_Home);
    QTest::keyClick(pView, Qt::Key_Enter);
    EXPECT_EQ(activations, (std::vector<Activation>{{ChannelModeCable, 7}, {ChannelModeAir, 4}, {ChannelModeNone, 0}}));
}

TEST(FindingsWindow, NoFindingsTunerEntriesAndRefills)
{
    CTableFindingsWindow window;
    int activations = 0;
    int activatedEntry = 0;
    window.onActivate = [&](int, int position) {
        ++activations;
        activatedEntry = position;
    };
    window.ShowFindings({}, FindingKind::Channel);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.SummaryText(), "No findings.");
    EXPECT_EQ(window.FindingCount(), 0);
    EXPECT_EQ(window.FindingsView()->accessibleDescription(), "No findings.");
    QTest::keyClick(window.FindingsView(), Qt::Key_Return);
    EXPECT_EQ(activations, 0);

    const std::string entry = "entry 002 (16:01): the sort key 122 is already the key of entry 000 (16:01)";
    window.SetFindings({{FindingSeverity::Error, ChannelModeNone, 3, entry}}, FindingKind::Tuner);
    EXPECT_EQ(Headings(window), (QStringList{"Severity", "List", "Entry", "Message"}));
    EXPECT_EQ(FindingRows(window), (std::vector<QString>{"Error||002|" + QString::fromStdString(entry)}));
    EXPECT_EQ(window.SummaryText(), "Errors: 1, warnings: 0");

    // A tuner table's findings as Check Table keeps them: the texts made for
    // the rows read, the counts by severity, a row's entry handed back.
    TunerSpecTable tuners(true);
    TunerSpecEntry first = TunerEntryWithEdges(0x16, 0x01, 48.25, 160.0, 442.0, 1200.0);
    first.SetPictureCarrier(38.9);
    TunerSpecEntry second = first;
    second.SetFactory(0x1A);
    ASSERT_TRUE(tuners.AppendEntries({first, second, first}));
    window.SetFindings(TunerTableFindings(tuners.FileImage()));
    EXPECT_EQ(FindingRows(window),
              (std::vector<QString>{
                  "Warning||000|entry 000 (16:01): the band edges 48.25, 160, 442, 1200 MHz reach outside the TV "
                  "tuning range of 40 to 1000 MHz",
                  "Error||001|entry 001 (1A:01): the factory code 26 (0x1A) is not two BCD digits",
                  "Warning||001|entry 001 (1A:01): the band edges 48.25, 160, 442, 1200 MHz reach outside the TV "
                  "tuning range of 40 to 1000 MHz",
                  "Warning||002|entry 002 (16:01): the band edges 48.25, 160, 442, 1200 MHz reach outside the TV "
                  "tuning range of 40 to 1000 MHz",
                  "Error||002|entry 002 (16:01): the sort key 122 is already the key of entry 000 (16:01)",
                  "Error||002|entry 002 (16:01): the sort key 122 is below the key 126 of the entry before it",
              }));
    EXPECT_EQ(window.SummaryText(), "Errors: 3, warnings: 3");
    window.FindingsView()->setCurrentIndex(window.FindingsView()->model()->index(4, 0));
    QTest::keyClick(window.FindingsView(), Qt::Key_Return);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(activatedEntry, 3);

    // The editor checks again: the new findings replace the old ones.
    window.SetFindings(ChannelFindings(), FindingKind::Channel);
    EXPECT_EQ(window.FindingCount(), 4);
    EXPECT_EQ(Headings(window)[2], "Channel");
    window.SetFindings({}, FindingKind::Channel);
    EXPECT_EQ(window.FindingCount(), 0);
    EXPECT_EQ(window.SummaryText(), "No findings.");
}
