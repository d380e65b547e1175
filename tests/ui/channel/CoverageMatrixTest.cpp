// Table > Coverage Matrix... through the channel editor's real windows: the
// cells counted as CoverageMatrix counts them off the interface thread, the
// open table's row following an edit and its undo, files that cannot be
// read, activation opening a table and checking it against the tuner, and
// Export... writing the tool's CSV and a well-formed SVG.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <sys/stat.h>

#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QXmlStreamReader>

#include "edit/ChannelTableDocument.h"
#include "res/resource.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/RecentFiles.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/matrix/CoverageMatrixModel.h"
#include "ui/channel/matrix/CoverageMatrixWindow.h"

namespace {

// 05:01 misses 45.75 MHz; 03:12 tunes every table; 07:21 only Zurich's.
const TnspRecord kNarrow = TunerWithBands(0x05, 0x01, 48.25, 160.0, 442.0, 863.25);
const TnspRecord kWide = TunerWithBands(0x03, 0x12, 44.0, 160.0, 442.0, 958.0);
const TnspRecord kUhf = TunerWithBands(0x07, 0x21, 470.0, 480.0, 490.0, 500.0);

class CoverageMatrixTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TnspImage tuners;
        tuners.records = {kNarrow, kWide, kUhf};
        WriteAll(dir.File("tuners.tsf"), tuners.Build());
        WriteAll(dir.File("de.ccf"), ChannelTableImage(49, {48.25, 0.0, 160.0, 442.0}, {45.75}, 1, 1));
        WriteAll(dir.File("recent.ccf"), ChannelTableImage(44, {471.25, 30.0}, {}, 1, 0));
        WriteAll(dir.File("zurich.ccf"), ChannelTableImage(41, {471.25, 479.25}, {}, 1, 0));
        RecentFiles(QStringLiteral("channel-tables")).Add(Path("recent.ccf"));
        dlg.Create();
        services.fileAnswers.push_back(Path("de.ccf"));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

    // The command with the tuner table chosen, and the recent tables counted.
    CoverageMatrixWindow* OpenMatrix()
    {
        services.fileAnswers.push_back(Path("tuners.tsf"));
        EXPECT_TRUE(dlg.OnCommand(IDM_COVERAGE_MATRIX));
        CoverageMatrixWindow* pWindow = dlg.findChild<CoverageMatrixWindow*>();
        EXPECT_NE(pWindow, nullptr);
        return pWindow;
    }

    static void ClickButton(CoverageMatrixWindow& window, const QString& text)
    {
        for (QPushButton* pButton : window.findChildren<QPushButton*>())
            if (pButton->text() == text)
                return pButton->click();
        ADD_FAILURE() << "no button " << text.toStdString();
    }

    static bool Counted(const CoverageMatrixWindow& window)
    {
        return WaitFor([&window] { return !window.IsCounting(); });
    }

    static QString Cell(const CoverageMatrixWindow& window, int row, int column, int role = Qt::AccessibleTextRole)
    {
        return window.Model().index(row, column).data(role).toString();
    }

    // The counts of a file as CoverageMatrix counts them against the tuner table.
    std::vector<std::size_t> ExpectedCounts(const ChannelTable& table) const
    {
        TunerSpecTable tuners(false);
        EXPECT_EQ(tuners.Load(dir.File("tuners.tsf").c_str()), 1);
        const CoverageMatrix matrix({SortedFrequencies(table)}, BandsOfTuners(tuners));
        std::vector<std::size_t> counts;
        for (std::size_t tuner = 0; tuner < matrix.TunerCount(); ++tuner)
            counts.push_back(matrix.Outside(0, tuner));
        return counts;
    }

    static std::vector<std::size_t> ShownCounts(const CoverageMatrixWindow& window, int row)
    {
        std::vector<std::size_t> counts;
        for (int column = CoverageMatrixModel::kFirstTunerColumn; column < window.Model().columnCount(); ++column)
            counts.push_back(Cell(window, row, column, Qt::DisplayRole).toULongLong());
        return counts;
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

TEST_F(CoverageMatrixTest, CellsAreTheCountsOfCoverageMatrixAndTheOpenTableFollowsItsEdits)
{
    ASSERT_EQ(mkfifo(dir.File("waiting.ccf").c_str(), 0600), 0);
    std::filesystem::create_directories(dir.File("folder/inner"));
    WriteAll(dir.File("folder/at.ccf"), ChannelTableImage(43, {55.25}, {}, 1, 0));
    WriteAll(dir.File("folder/inner/deeper.ccf"), ChannelTableImage(43, {55.25}, {}, 1, 0));
    WriteAll(dir.File("folder/notes.txt"), {1, 2, 3});

    CoverageMatrixWindow* pWindow = OpenMatrix();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->windowTitle(), "Coverage Matrix \u2013 tuners.tsf");
    // The chosen files, a FIFO refused unopened, a file that is gone and the
    // open table again, which keeps its one row; then a folder's own tables.
    services.filesAnswers.push_back(
        {Path("zurich.ccf"), Path("waiting.ccf"), Path("gone.ccf"), Path("de.ccf"), Path("zurich.ccf")});
    ClickButton(*pWindow, "Add &Tables...");
    // Both choosers begin in the folder of the table being edited, the second
    // where the first left off.
    EXPECT_EQ(services.fileRequests.back().title, "Add Tables");
    EXPECT_EQ(services.fileRequests.back().directory, QString::fromStdString(dir.Path()));
    services.fileAnswers.push_back(Path("folder"));
    ClickButton(*pWindow, "Add &Folder...");
    EXPECT_EQ(services.fileRequests.back().title, "Add Folder");
    EXPECT_EQ(services.fileRequests.back().directory, QString::fromStdString(dir.Path()));
    ASSERT_TRUE(Counted(*pWindow));
    EXPECT_EQ(pWindow->ProgressText(), "");

    const CoverageMatrixModel& model = pWindow->Model();
    ASSERT_EQ(model.rowCount(), 6);
    const std::vector<QString> headings = {"Table", "Country", "Channels", "05:01", "03:12", "07:21"};
    for (int column = 0; column < model.columnCount(); ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headings[column]);
    EXPECT_EQ(Cell(*pWindow, 0, 0), "de.ccf (open)");
    EXPECT_EQ(Cell(*pWindow, 0, CoverageMatrixModel::kCountryColumn), "49, Germany");
    EXPECT_EQ(Cell(*pWindow, 0, CoverageMatrixModel::kChannelsColumn), "4 channels");
    EXPECT_EQ(Cell(*pWindow, 0, 3), "Germany, 05:01: 1 outside");
    EXPECT_EQ(Cell(*pWindow, 1, 0), "recent.ccf");
    EXPECT_EQ(Cell(*pWindow, 2, 0), "zurich.ccf");
    EXPECT_TRUE(Cell(*pWindow, 3, 0).startsWith("waiting.ccf cannot be read: ")) << Cell(*pWindow, 3, 0).toStdString();
    EXPECT_EQ(Cell(*pWindow, 4, 0), "gone.ccf cannot be read: No such file or directory");
    EXPECT_EQ(Cell(*pWindow, 4, 3), "");
    EXPECT_EQ(Cell(*pWindow, 5, 0), "at.ccf");
    for (const int row : {1, 2, 5}) {
        ChannelTable table(false);
        ASSERT_EQ(table.Load(QFile::encodeName(model.RowAt(row).path).constData()), 1);
        EXPECT_EQ(ShownCounts(*pWindow, row), ExpectedCounts(table)) << row;
    }
    EXPECT_EQ(ShownCounts(*pWindow, 0), ExpectedCounts(*dlg.Table()));
    // 30 MHz of the recent table is below every tuner: none tunes every table.
    EXPECT_EQ(pWindow->CoveringText(), "Tuners tuning every table: none");
    // A cell with none outside is tinted green, one with many red.
    const QColor none = model.index(2, 4).data(Qt::BackgroundRole).value<QBrush>().color();
    const QColor many = model.index(0, 5).data(Qt::BackgroundRole).value<QBrush>().color();
    EXPECT_GT(none.green(), none.red());
    EXPECT_GT(many.red(), many.green());

    // An edit moves the open table's counts, and its undo moves them back;
    // no other row is read again.
    ChannelTableDocument& document = const_cast<ChannelTableDocument&>(dlg.Document());
    document.EditFrequency(1, 470.5);
    EXPECT_EQ(Cell(*pWindow, 0, 5), "Germany, 07:21: 3 outside");
    EXPECT_EQ(ShownCounts(*pWindow, 0), ExpectedCounts(*dlg.Table()));
    EXPECT_FALSE(pWindow->IsCounting());
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(Cell(*pWindow, 0, 5), "Germany, 07:21: 4 outside");

    // The command again with another tuner table: the same window and rows,
    // every one counted anew against its one tuner.
    TnspImage uhf;
    uhf.records = {kUhf};
    WriteAll(dir.File("uhf.tsf"), uhf.Build());
    services.fileAnswers.push_back(Path("uhf.tsf"));
    ASSERT_TRUE(dlg.OnCommand(IDM_COVERAGE_MATRIX));
    EXPECT_EQ(dlg.findChild<CoverageMatrixWindow*>(), pWindow);
    ASSERT_TRUE(Counted(*pWindow));
    EXPECT_EQ(pWindow->windowTitle(), "Coverage Matrix \u2013 uhf.tsf");
    ASSERT_EQ(model.columnCount(), 4);
    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(Cell(*pWindow, 0, 3), "Germany, 07:21: 4 outside");
    EXPECT_EQ(Cell(*pWindow, 2, 3), "Switzerland, 07:21: 0 outside");
    EXPECT_EQ(Cell(*pWindow, 5, 3), "Austria, 07:21: 1 outside");
    EXPECT_TRUE(Cell(*pWindow, 3, 0).startsWith("waiting.ccf cannot be read: "));
}

TEST_F(CoverageMatrixTest, ActivatingACellOpensItsTableAndChecksItAgainstThatTuner)
{
    CoverageMatrixWindow* pWindow = OpenMatrix();
    ASSERT_NE(pWindow, nullptr);
    services.filesAnswers.push_back({Path("zurich.ccf")});
    ClickButton(*pWindow, "Add &Tables...");
    ASSERT_TRUE(Counted(*pWindow));

    // Enter on Zurich's 07:21: the editor opens it and checks it against 07:21.
    pWindow->View()->setCurrentIndex(pWindow->Model().index(2, 5));
    PressKey(pWindow->View(), Qt::Key_Return);
    EXPECT_EQ(dlg.Document().SavePath(), dir.File("zurich.ccf"));
    ASSERT_TRUE(dlg.ChosenTuner());
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "07:21");
    EXPECT_EQ(dlg.ChosenTuner()->tablePath, dir.File("tuners.tsf"));
    CTableFindingsWindow* pFindings = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    EXPECT_TRUE(pFindings->isVisible());
    // The first row is the open table, now Zurich's; its own row stays.
    EXPECT_EQ(Cell(*pWindow, 0, 0), "zurich.ccf (open)");
    EXPECT_EQ(Cell(*pWindow, 0, 5), "Switzerland, 07:21: 0 outside");
    EXPECT_EQ(pWindow->Model().rowCount(), 3);

    // A row whose file is gone by now: the editor says why, keeps its table
    // and checks nothing.
    std::filesystem::remove(dir.File("recent.ccf"));
    pWindow->View()->setCurrentIndex(pWindow->Model().index(1, 4));
    PressKey(pWindow->View(), Qt::Key_Return);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].contains("recent.ccf")) << services.messages[0].toStdString();
    EXPECT_EQ(dlg.Document().SavePath(), dir.File("zurich.ccf"));
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "07:21");

    // The open table's row checks it against another tuner, and loads nothing.
    const std::uint64_t changes = dlg.Document().ChangeCount();
    pWindow->View()->setCurrentIndex(pWindow->Model().index(0, 3));
    PressKey(pWindow->View(), Qt::Key_Return);
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "05:01");
    EXPECT_EQ(dlg.Document().ChangeCount(), changes);
    // Nor does Zurich's own row while Zurich is open: its edit stays.
    const_cast<ChannelTableDocument&>(dlg.Document()).EditFrequency(1, 475.25);
    pWindow->View()->setCurrentIndex(pWindow->Model().index(2, 4));
    PressKey(pWindow->View(), Qt::Key_Return);
    EXPECT_EQ(TunerCodesText(dlg.ChosenTuner()->entry), "03:12");
    EXPECT_EQ(dlg.Document().Table()->GetFrequency(ChannelModeAir, 1), 475.25);

    // Closing the window while it counts lets it go; the editor goes on.
    std::filesystem::create_directory(dir.File("many"));
    for (int i = 0; i < 200; ++i)
        WriteAll(dir.File("many/" + std::to_string(i) + ".ccf"), ChannelTableImage(49, {55.25}, {}, 1, 0));
    services.fileAnswers.push_back(Path("many"));
    ClickButton(*pWindow, "Add &Folder...");
    const QPointer<CoverageMatrixWindow> pClosed = pWindow;
    pWindow->close();
    EXPECT_TRUE(WaitFor([&pClosed] { return pClosed.isNull(); }));
    pWindow = OpenMatrix();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(Counted(*pWindow));
}

TEST_F(CoverageMatrixTest, ExportWritesTheToolsCsvAndAWellFormedSvg)
{
    CoverageMatrixWindow* pWindow = OpenMatrix();
    ASSERT_NE(pWindow, nullptr);
    services.filesAnswers.push_back({Path("zurich.ccf"), Path("gone.ccf")});
    ClickButton(*pWindow, "Add &Tables...");
    ASSERT_TRUE(Counted(*pWindow));

    // The CSV proposed beside the tuner table; its bytes are the tool's for
    // the tables that could be read.
    services.fileAnswers.push_back(Path("matrix.csv"));
    ClickButton(*pWindow, "&Export...");
    EXPECT_EQ(services.fileRequests.back().fileName, Path("tuners.csv"));
    const ToolRun run = RunToolProcess({"matrix", "--csv", dir.File("de.ccf"), dir.File("recent.ccf"),
                                        dir.File("zurich.ccf"), dir.File("tuners.tsf")});
    ASSERT_EQ(run.status, 1) << run.err;
    const Bytes csv = ReadAll(dir.File("matrix.csv"));
    EXPECT_EQ(std::string(csv.begin(), csv.end()), run.out);

    // A name without an extension under the SVG filter is an SVG.
    services.fileAnswers.push_back(Path("matrix"));
    services.fileFilterAnswers.push_back(1);
    ClickButton(*pWindow, "&Export...");
    const Bytes svg = ReadAll(dir.File("matrix.svg"));
    QXmlStreamReader xml(QByteArray(reinterpret_cast<const char*>(svg.data()), static_cast<int>(svg.size())));
    int cells = 0;
    int coordinates = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("rect") &&
            xml.attributes().value(QLatin1String("fill")) != QLatin1String("#ffffff"))
            ++cells;
        for (const char* name : {"x", "y", "width", "height"}) {
            const QStringView attribute = xml.attributes().value(QLatin1String(name));
            if (attribute.isNull())
                continue;
            bool bNumber = false;
            const double value = attribute.toDouble(&bNumber);
            EXPECT_TRUE(bNumber && std::isfinite(value)) << name << "=" << attribute.toString().toStdString();
            ++coordinates;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(cells, 3 * 3);
    EXPECT_GT(coordinates, 4 * cells);
    const std::string text(svg.begin(), svg.end());
    EXPECT_NE(text.find("<title>" + dir.File("zurich.ccf") + ", 07:21: 0 outside</title>"), std::string::npos);

    // A name's own extension says its format, whatever the filter; a file
    // that cannot be written is said and leaves nothing.
    services.fileAnswers.push_back(Path("again.SVG"));
    ClickButton(*pWindow, "&Export...");
    const Bytes again = ReadAll(dir.File("again.SVG"));
    EXPECT_EQ(std::string(again.begin(), again.end()), text);
    services.fileAnswers.push_back(Path("missing/matrix.csv"));
    ClickButton(*pWindow, "&Export...");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].startsWith("Cannot export " + Path("missing/matrix.csv") + ": "))
        << services.messages[0].toStdString();
    EXPECT_FALSE(FileExists(dir.File("missing/matrix.csv")));
}

// An editor with no table: the first row says so and activates nothing; a
// tuner table of no tuners is refused with Check Against Tuner's message.
TEST_F(CoverageMatrixTest, WithoutATableTheFirstRowSaysSoAndATableOfNoTunersIsRefused)
{
    CFrequencyTableDlg empty{services};
    empty.Create();
    WriteAll(dir.File("none.tsf"), TnspImage().Build());
    services.fileAnswers.push_back(Path("none.tsf"));
    ASSERT_TRUE(empty.OnCommand(IDM_COVERAGE_MATRIX));
    EXPECT_EQ(empty.findChild<CoverageMatrixWindow*>(), nullptr);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], "\"" + Path("none.tsf") + "\" holds no tuners to check against.");
    EXPECT_EQ(services.fileRequests.back().title, "Coverage Matrix");

    // A tuner whose edges are not all finite numbers says so in its heading's tooltip.
    TnspImage odd;
    odd.records = {kNarrow, TunerWithBands(0x04, 0x12, std::nan(""), 160.0, 442.0, 958.0)};
    WriteAll(dir.File("odd.tsf"), odd.Build());
    services.fileAnswers.push_back(Path("odd.tsf"));
    ASSERT_TRUE(empty.OnCommand(IDM_COVERAGE_MATRIX));
    CoverageMatrixWindow* pWindow = empty.findChild<CoverageMatrixWindow*>();
    ASSERT_NE(pWindow, nullptr);
    ASSERT_TRUE(Counted(*pWindow));
    const CoverageMatrixModel& model = pWindow->Model();
    EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::ToolTipRole).toString(),
              "its low band start is not a finite number");
    EXPECT_FALSE(model.headerData(3, Qt::Horizontal, Qt::ToolTipRole).isValid());
    // A screen reader reads the cells as a table named after the window,
    // described by the line above them.
    EXPECT_EQ(pWindow->View()->accessibleName(), "Coverage Matrix \u2013 odd.tsf");
    EXPECT_EQ(pWindow->View()->accessibleDescription(), pWindow->CoveringText());
    EXPECT_EQ(Cell(*pWindow, 0, 0), "No table is open");
    EXPECT_EQ(Cell(*pWindow, 0, 3), "");
    // The recent tables, the one the other editor opened first.
    ASSERT_EQ(pWindow->Model().rowCount(), 3);
    EXPECT_EQ(Cell(*pWindow, 1, 0), "de.ccf");
    EXPECT_EQ(pWindow->CoveringText(), "Tuners tuning every table: none");
    pWindow->View()->setCurrentIndex(pWindow->Model().index(0, 3));
    PressKey(pWindow->View(), Qt::Key_Return);
    EXPECT_FALSE(empty.ChosenTuner());
    EXPECT_FALSE(empty.Table());

    // A new table is counted at once; saved, its row names its file.
    Click(empty, IDC_BUTTON_CREATE_NEW);
    ASSERT_TRUE(empty.Table());
    EXPECT_EQ(Cell(*pWindow, 0, 0), "This table (not saved)");
    EXPECT_EQ(Cell(*pWindow, 0, CoverageMatrixModel::kChannelsColumn), "0 channels");
    services.fileAnswers.push_back(Path("new.ccf"));
    ASSERT_TRUE(empty.OnCommand(IDM_SAVE_AS));
    EXPECT_EQ(Cell(*pWindow, 0, 0), "new.ccf (open)");
}

} // namespace
