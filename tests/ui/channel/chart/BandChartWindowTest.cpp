// The band chart through the real channel editor: Table > Band Chart opens it
// beside the editor; it follows edits, undo and the chosen tuner; a click on
// a mark selects that row; wheel, drag and keys move the span shown; a screen
// reader reads its marks; Export... writes SVG and PNG; the SVG (also the
// tool's) parses as XML. Its painting at scale 1 and 2, light and dark, puts
// each lane's colour where its marks are.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/tool/ToolProcess.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/chart/CBandChartWindow.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFrame.h"

namespace {

TunerChoice Tuner(double low, double mid, double high, double end)
{
    TunerChoice choice;
    choice.tablePath = "/tmp/tuners.tsf";
    choice.entry.SetFactory(0x03);
    choice.entry.SetTunerType(0x12);
    choice.entry.SetLowBandStart(low);
    choice.entry.SetMidBandStart(mid);
    choice.entry.SetHighBandStart(high);
    choice.entry.SetHighBandEnd(end);
    choice.entry.SetLowCode(0x8E01);
    choice.entry.SetMidCode(0x2);
    choice.entry.SetHighCode(0x8);
    choice.factoryName = "Philips";
    return choice;
}

// What the SVG holds, read by an XML parser: the marks' ids, the titles of
// every element, and whether it parsed.
struct SvgContent
{
    bool bValid = false;
    QString error;
    QStringList markIds;
    QStringList texts;
};

SvgContent ReadSvg(const QByteArray& bytes)
{
    SvgContent content;
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("line") &&
            reader.attributes().value(QLatin1String("class")).startsWith(QLatin1String("mark ")) &&
            !reader.attributes().value(QLatin1String("class")).contains(QLatin1String("legend")))
            content.markIds << reader.attributes().value(QLatin1String("id")).toString();
        if (reader.isCharacters())
            content.texts << reader.text().toString();
    }
    content.bValid = !reader.hasError();
    content.error = reader.errorString();
    return content;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BandChartWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg.Create(); }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

    void Load(const std::vector<double>& air, const std::vector<double>& cable, const char* name = "de.ccf")
    {
        const std::string path = dir.File(name);
        WriteAll(path, ChannelTableImage(49, air, cable, 1, 1));
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    }

    // Table > Band Chart, as the menu bar's item triggers it.
    CBandChartWindow* OpenChart()
    {
        QAction* pAction = EditorFrame::Of(dlg)->MenuBar()->Action(IDM_BAND_CHART);
        EXPECT_NE(pAction, nullptr);
        if (pAction)
            pAction->trigger();
        CBandChartWindow* pWindow = dlg.BandChartWindow();
        EXPECT_NE(pWindow, nullptr);
        if (pWindow) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(pWindow));
        }
        return pWindow;
    }

    void Append(const QString& text)
    {
        TypeInto(dlg, IDC_EDIT_FREQUENCY, text);
        Click(dlg, IDC_BUTTON_ADD);
    }

    FakeUserServices services;
    TempDir dir;
    CFrequencyTableDlg dlg{services};
};

TEST_F(BandChartWindowTest, OpensFromTheTableMenuBesideTheEditorAndFollowsEditsAndUndo)
{
    Load({48.25, 0.0, 55.25}, {112.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isWindow());
    EXPECT_EQ(pWindow->windowModality(), Qt::NonModal);
    EXPECT_EQ(pWindow->windowTitle(), QString::fromUtf8("Band Chart \u2013 de.ccf"));
    EXPECT_FALSE(pWindow->frameGeometry().intersects(dlg.frameGeometry()) &&
                 pWindow->frameGeometry().left() > dlg.frameGeometry().left())
        << "not beside the editor";
    const BandChartView* pView = pWindow->View();
    EXPECT_EQ(pView->Chart().MarkCount(), 3u);
    EXPECT_EQ(pWindow->SummaryText(), "Air: 2 channels, cable: 1 channels");

    // An edit of the document reaches the chart at once, and its summary.
    Append("62.25");
    EXPECT_EQ(pView->Chart().Lane(ChannelModeAir).marks.size(), 3u);
    EXPECT_EQ(pView->Chart().Lane(ChannelModeCable).marks.size(), 1u);
    EXPECT_EQ(pWindow->SummaryText(), "Air: 3 channels, cable: 1 channels");
    EXPECT_TRUE(pView->MarkPosition(ChannelModeAir, 4));
    // Undo and redo too.
    dlg.OnCommand(IDM_UNDO);
    EXPECT_EQ(pView->Chart().Lane(ChannelModeAir).marks.size(), 2u);
    EXPECT_FALSE(pView->MarkPosition(ChannelModeAir, 4));
    dlg.OnCommand(IDM_REDO);
    EXPECT_EQ(pView->Chart().Lane(ChannelModeAir).marks.size(), 3u);
    // Another table loaded: its lists and its name.
    Load({175.25, 175.25}, {}, "fr.ccf");
    EXPECT_EQ(pView->Chart().MarkCount(), 2u);
    EXPECT_TRUE(pView->Chart().Lane(ChannelModeAir).marks[0].bRepeated);
    EXPECT_EQ(pWindow->windowTitle(), QString::fromUtf8("Band Chart \u2013 fr.ccf"));
    // Saved under another name: the chart is named anew, its marks stay.
    services.fileAnswers.push_back(QString::fromStdString(dir.File("it.ccf")));
    dlg.OnCommand(IDM_SAVE_AS);
    EXPECT_EQ(pWindow->windowTitle(), QString::fromUtf8("Band Chart \u2013 it.ccf"));
    EXPECT_EQ(pView->Chart().MarkCount(), 2u);
    // The same window again, not a second one.
    EXPECT_EQ(OpenChart(), pWindow);
    EXPECT_EQ(dlg.findChildren<CBandChartWindow*>().size(), 1);
}

TEST_F(BandChartWindowTest, TheChosenTunerShowsItsSpansAndTheChannelsItMisses)
{
    Load({45.0, 48.25, 160.0, 450.0, 860.0}, {900.0});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    const BandChartView* pView = pWindow->View();
    EXPECT_FALSE(pView->Chart().HasTuner());

    dlg.ChooseTuner(Tuner(48.25, 160.0, 450.0, 860.0));
    ASSERT_TRUE(pView->Chart().HasTuner());
    EXPECT_EQ(pView->Chart().TunerTitle(), "03:12 Philips");
    ASSERT_EQ(pView->Chart().TunerSpans().size(), 3u);
    EXPECT_EQ(pView->Chart().TunerSpans()[0].caption, "low 8E01");
    // 45 MHz lies below the low band, 900 above the high band's end; the
    // channels on the band edges are tuned.
    EXPECT_EQ(pView->Chart().UncoveredCount(), 2u);
    EXPECT_TRUE(pView->Chart().Lane(ChannelModeAir).marks[0].bUncovered);
    EXPECT_FALSE(pView->Chart().Lane(ChannelModeAir).marks[4].bUncovered);
    EXPECT_TRUE(pView->Chart().Lane(ChannelModeCable).marks[0].bUncovered);
    EXPECT_EQ(pWindow->SummaryText(), "Air: 5 channels, cable: 1 channels; tuner 03:12 Philips does not tune 2");

    // The uncovered mark is painted red where it stands, a covered one in its lane's colour.
    const QImage image = pWindow->View()->grab().toImage();
    const QPoint uncovered = *pView->MarkPosition(ChannelModeAir, 1);
    const QPoint covered = *pView->MarkPosition(ChannelModeAir, 3);
    EXPECT_EQ(image.pixelColor(uncovered), QColor(220, 40, 40));
    EXPECT_EQ(image.pixelColor(covered), pView->LaneColour(ChannelModeAir));

    dlg.ChooseTuner(std::nullopt);
    EXPECT_FALSE(pView->Chart().HasTuner());
    EXPECT_EQ(pView->Chart().UncoveredCount(), 0u);
}

TEST_F(BandChartWindowTest, ClickingAMarkSelectsItsRowInItsList)
{
    Load({48.25, 55.25, 62.25}, {112.25, 119.25, 126.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    BandChartView* pView = pWindow->View();
    ASSERT_EQ(dlg.Mode(), ChannelModeAir);

    const std::optional<QPoint> cable2 = pView->MarkPosition(ChannelModeCable, 2);
    ASSERT_TRUE(cable2);
    QTest::mouseClick(pView, Qt::LeftButton, Qt::NoModifier, *cable2);
    EXPECT_EQ(dlg.Mode(), ChannelModeCable);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(dlg.EditIndex(), 2);

    QTest::mouseClick(pView, Qt::LeftButton, Qt::NoModifier, *pView->MarkPosition(ChannelModeAir, 3));
    EXPECT_EQ(dlg.Mode(), ChannelModeAir);
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
    // A click on no mark selects nothing new.
    QTest::mouseClick(pView, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{2});
}

TEST_F(BandChartWindowTest, WheelZoomsAroundThePointerDragAndKeysPan)
{
    Load({48.25, 55.25, 175.25, 471.25, 855.25}, {});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    BandChartView* pView = pWindow->View();
    const double wholeStart = pView->ViewStart();
    const double wholeEnd = pView->ViewEnd();
    EXPECT_DOUBLE_EQ(wholeStart, pView->Chart().AxisStart());

    // One notch in with the pointer on channel 3: the span shrinks, the mark stays under the pointer.
    const QPoint at = *pView->MarkPosition(ChannelModeAir, 3);
    QWheelEvent wheel(QPointF(at), QPointF(pView->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pView, &wheel);
    const double span = pView->ViewEnd() - pView->ViewStart();
    EXPECT_NEAR(span, (wholeEnd - wholeStart) / 1.25, 1e-9);
    ASSERT_TRUE(pView->MarkPosition(ChannelModeAir, 3));
    EXPECT_NEAR(pView->MarkPosition(ChannelModeAir, 3)->x(), at.x(), 2);

    // A drag to the right shows lower frequencies, by the distance dragged.
    // It starts on a mark: a click there would select channel 3.
    const double before = pView->ViewStart();
    const std::int32_t editBefore = dlg.EditIndex();
    ASSERT_NE(editBefore, 3);
    const QPoint from = *pView->MarkPosition(ChannelModeAir, 3);
    QTest::mousePress(pView, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(60, 0)),
                     QPointF(pView->mapToGlobal(from + QPoint(60, 0))), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pView, &move);
    QTest::mouseRelease(pView, Qt::LeftButton, Qt::NoModifier, from + QPoint(60, 0));
    EXPECT_LT(pView->ViewStart(), before);
    EXPECT_NEAR(pView->ViewEnd() - pView->ViewStart(), span, 1e-9);
    // A drag is no click: the channel chosen stays.
    EXPECT_EQ(dlg.EditIndex(), editBefore);

    // The keyboard: + zooms in, Right pans up, Home shows everything again.
    pView->setFocus();
    QTest::keyClick(pView, Qt::Key_Plus);
    EXPECT_NEAR(pView->ViewEnd() - pView->ViewStart(), span / 1.25, 1e-9);
    const double left = pView->ViewStart();
    QTest::keyClick(pView, Qt::Key_Right);
    EXPECT_NEAR(pView->ViewStart(), left + span / 1.25 * 0.1, 1e-9);
    QTest::keyClick(pView, Qt::Key_Minus);
    EXPECT_NEAR(pView->ViewEnd() - pView->ViewStart(), span, 1e-9);
    QTest::keyClick(pView, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(pView->ViewStart(), wholeStart);
    EXPECT_DOUBLE_EQ(pView->ViewEnd(), wholeEnd);
    // Zooming out never goes past the whole axis, panning never past its ends.
    QTest::keyClick(pView, Qt::Key_Minus);
    QTest::keyClick(pView, Qt::Key_Left);
    EXPECT_DOUBLE_EQ(pView->ViewStart(), wholeStart);
    EXPECT_DOUBLE_EQ(pView->ViewEnd(), wholeEnd);
}

TEST_F(BandChartWindowTest, ScreenReadersReadTheMarksAsAList)
{
    Load({175.25, 0.0, 48.25}, {112.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    QAccessibleInterface* pChart = QAccessible::queryAccessibleInterface(pWindow->View());
    ASSERT_NE(pChart, nullptr);
    EXPECT_EQ(pChart->role(), QAccessible::List);
    EXPECT_EQ(pChart->text(QAccessible::Name), "Band chart");
    ASSERT_EQ(pChart->childCount(), 3);
    QStringList names;
    for (int i = 0; i < pChart->childCount(); ++i) {
        QAccessibleInterface* pMark = pChart->child(i);
        ASSERT_NE(pMark, nullptr);
        EXPECT_EQ(pMark->role(), QAccessible::ListItem);
        EXPECT_EQ(pMark->parent(), pChart);
        EXPECT_EQ(pChart->indexOfChild(pMark), i);
        EXPECT_FALSE(pMark->rect().isEmpty());
        names << pMark->text(QAccessible::Name);
    }
    // The table's country (44) names the frequencies in its plans: channel 3
    // at 48.25 MHz is the plan's channel 1.
    EXPECT_EQ(names,
              (QStringList{"air channel 3, 48.25 MHz, plan channel 1", "air channel 1, 175.25 MHz, plan channel 5",
                           "cable channel 1, 112.25 MHz, plan channel 11"}));
    // Asked again, the same interface.
    EXPECT_EQ(pChart->child(1), pChart->child(1));
    EXPECT_EQ(pChart->child(3), nullptr);

    dlg.ChooseTuner(Tuner(100.0, 160.0, 450.0, 860.0));
    EXPECT_EQ(pChart->child(0)->text(QAccessible::Name), "air channel 3, 48.25 MHz, plan channel 1, outside the tuner");
    Append("48.25");
    ASSERT_EQ(pChart->childCount(), 4);
    EXPECT_EQ(pChart->child(1)->text(QAccessible::Name),
              "air channel 4, 48.25 MHz, plan channel 1, repeated, outside the tuner");
}

TEST_F(BandChartWindowTest, ManyMarksMakeTheirInterfacesOnlyWhenAsked)
{
    std::vector<double> air(ChannelTable::kMaxChannels);
    for (std::size_t i = 0; i < air.size(); ++i)
        air[i] = 45.0 + 0.0125 * static_cast<double>(i);
    Load(air, air);
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    QAccessibleInterface* pChart = QAccessible::queryAccessibleInterface(pWindow->View());
    ASSERT_EQ(pChart->childCount(), 2 * ChannelTable::kMaxChannels);
    EXPECT_EQ(pChart->child(2 * ChannelTable::kMaxChannels - 1)->text(QAccessible::Name),
              "cable channel 65535, " + QString::fromStdString(MegahertzText(air.back())));
    // Off the span shown, a mark is off screen.
    pWindow->View()->SetView(45.0, 46.0);
    EXPECT_TRUE(pChart->child(2 * ChannelTable::kMaxChannels - 1)->state().offscreen);
    EXPECT_FALSE(pChart->child(1)->state().offscreen);
}

TEST_F(BandChartWindowTest, ExportWritesSvgAndPngOfTheChosenSize)
{
    Load({48.25, 0.0, 55.25}, {112.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);

    const QString svgPath = QString::fromStdString(dir.File("chart.svg"));
    services.fileAnswers.push_back(svgPath);
    QTest::mouseClick(pWindow->findChild<QPushButton*>("BandChartExport"), Qt::LeftButton);
    ASSERT_FALSE(services.fileRequests.empty());
    EXPECT_EQ(services.fileRequests.back().title, "Export");
    EXPECT_FALSE(services.fileRequests.back().bOpen);
    const SvgContent svg = ReadSvg(ReadBytes(svgPath));
    EXPECT_TRUE(svg.bValid) << svg.error.toStdString();
    EXPECT_EQ(svg.markIds, (QStringList{"air-1", "air-3", "cable-1"}));
    EXPECT_TRUE(svg.texts.contains("de.ccf"));

    // A name without an extension takes the chosen filter's: PNG, painted at the size asked for.
    const QString pngBase = QString::fromStdString(dir.File("chart"));
    services.fileAnswers.push_back(pngBase);
    services.fileFilterAnswers.push_back(1);
    services.valueAnswers.push_back(std::vector<QString>{"640", "300"});
    pWindow->OnExport();
    const QImage png(pngBase + ".png");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(640, 300));
    // Not blank: the air lane's colour appears in it.
    bool bLaneColour = false;
    for (int y = 0; y < png.height() && !bLaneColour; ++y)
        for (int x = 0; x < png.width() && !bLaneColour; ++x)
            bLaneColour = png.pixelColor(x, y) == pWindow->View()->LaneColour(ChannelModeAir);
    EXPECT_TRUE(bLaneColour);

    // A size out of bounds is refused, and nothing is written.
    const QString refused = QString::fromStdString(dir.File("refused.png"));
    for (const std::vector<QString>& size : {std::vector<QString>{"20", "300"}, std::vector<QString>{"4097", "300"}}) {
        services.fileAnswers.push_back(refused);
        services.valueAnswers.push_back(size);
        pWindow->OnExport();
        EXPECT_FALSE(QFile::exists(refused));
        ASSERT_FALSE(services.messages.empty());
        EXPECT_EQ(services.messages.back(), "A PNG is 100 to 4096 pixels wide and high.");
    }
}

// A gap is shaded between its two channels and nowhere else in the lane.
TEST_F(BandChartWindowTest, GapsAreShadedBetweenTheirChannels)
{
    Load({100.0, 108.0, 116.0, 124.0, 200.0, 208.0}, {});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    BandChartView* pView = pWindow->View();
    ASSERT_EQ(pView->Chart().Lane(ChannelModeAir).gaps.size(), 1u);
    QPalette palette = pView->palette();
    palette.setColor(QPalette::Base, Qt::white);
    pView->setPalette(palette);
    const QImage image = pView->grab().toImage();
    const QColor gapFill(251, 225, 225);
    const auto shadedAt = [&](int x) {
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) == gapFill)
                return true;
        return false;
    };
    const int gapStart = pView->MarkPosition(ChannelModeAir, 4)->x();
    const int gapEnd = pView->MarkPosition(ChannelModeAir, 5)->x();
    EXPECT_TRUE(shadedAt(gapStart + 2));
    EXPECT_TRUE(shadedAt(gapEnd - 2));
    EXPECT_FALSE(shadedAt(pView->MarkPosition(ChannelModeAir, 2)->x()));
    EXPECT_FALSE(shadedAt(gapEnd + 4));
}

TEST(BandChartSvgXml, HostileLabelsAndTitlesStillParse)
{
    const ChannelLabelFunction labels = [](std::int32_t, double f) -> std::optional<std::string> {
        if (f == 48.25)
            return std::string("<E2 & \"x\">\x01\xFF");
        return std::nullopt;
    };
    const BandChart chart({48.25, 0.0, 55.25}, {0.0, 175.25}, std::nullopt, labels);
    const std::string text = BandChartSvg(chart, "a]]>b<c\x02\xC3");
    const SvgContent svg = ReadSvg(QByteArray::fromStdString(text));
    ASSERT_TRUE(svg.bValid) << svg.error.toStdString();
    EXPECT_EQ(svg.markIds, (QStringList{"air-1", "air-3", "cable-2"}));
    EXPECT_TRUE(
        svg.texts.contains(QString::fromUtf8("air channel 1, 48.25 MHz, plan channel <E2 & \"x\">\uFFFD\uFFFD")));
    EXPECT_TRUE(svg.texts.contains(QString::fromUtf8("a]]>b<c\uFFFD\uFFFD")));
}

TEST(BandChartSvgXml, TheToolsChartParsesWithOneMarkPerChannel)
{
    TempDir dir;
    std::vector<double> air(300, 0.0);
    for (std::size_t i = 0; i < air.size(); i += 3)
        air[i] = 48.25 + static_cast<double>(i);
    const std::string ccf = dir.File("big.ccf");
    WriteAll(ccf, ChannelTableImage(49, air, {112.25}, 1, 1));
    const std::string out = dir.File("big.svg");
    const ToolRun run = RunToolProcess({"chart", ccf, "-o", out});
    ASSERT_EQ(run.status, 0) << run.err;
    const SvgContent svg = ReadSvg(ReadBytes(QString::fromStdString(out)));
    ASSERT_TRUE(svg.bValid) << svg.error.toStdString();
    EXPECT_EQ(svg.markIds.size(), 101);
    EXPECT_EQ(svg.markIds.front(), "air-1");
    EXPECT_EQ(svg.markIds.back(), "cable-1");
}

// The chart painted as the screen shows it at scale 1 and 2, in a light and a
// dark palette: each lane's marks in the lane's colour at their x, the
// background the palette's.
TEST_F(BandChartWindowTest, PaintsEachLanesColourAtItsMarksInLightAndDarkAtScaleOneAndTwo)
{
    Load({55.25, 175.25, 471.25}, {112.25, 303.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    BandChartView* pView = pWindow->View();
    for (const bool bDark : {false, true}) {
        QPalette palette = pView->palette();
        if (bDark) {
            palette.setColor(QPalette::Base, QColor(30, 30, 30));
            palette.setColor(QPalette::Text, Qt::white);
        }
        pView->setPalette(palette);
        for (const qreal scale : {1.0, 2.0}) {
            QImage image(pView->size() * scale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(scale);
            pView->render(&image);
            const QColor background = image.pixelColor(QPoint(1, 1) * scale);
            EXPECT_EQ(background, palette.color(QPalette::Base)) << bDark << " " << scale;
            for (const auto& [iList, iChannel] :
                 {std::pair{ChannelModeAir, 1}, std::pair{ChannelModeAir, 3}, std::pair{ChannelModeCable, 2}}) {
                const QPoint at = *pView->MarkPosition(iList, iChannel);
                const QPoint pixel(static_cast<int>(at.x() * scale), static_cast<int>(at.y() * scale));
                EXPECT_EQ(image.pixelColor(pixel), pView->LaneColour(iList))
                    << "dark " << bDark << ", scale " << scale << ", list " << iList << ", channel " << iChannel;
                // Beside the mark, no mark.
                EXPECT_NE(image.pixelColor(pixel + QPoint(static_cast<int>(4 * scale), 0)), pView->LaneColour(iList));
            }
        }
    }
    // The dark palette has lane colours of its own, lighter ones.
    EXPECT_GT(pView->LaneColour(ChannelModeAir).lightness(), 128);
}

} // namespace

// At the limits, labels of every width (one to five digits, plan labels of
// two lengths) are drawn only where they touch no other, at every zoom.
TEST(BandChartLabels, NeverOverlapAtTheLargestTablesAtAnyZoom)
{
    std::vector<double> air(ChannelTable::kMaxChannels);
    for (std::size_t i = 0; i < air.size(); ++i)
        air[i] = 45.0 + 0.0125 * static_cast<double>(i);
    // Every third channel has a plan label, of one or two digits.
    const ChannelLabelFunction labels = [](std::int32_t, double dbFrequency) -> std::optional<std::string> {
        const auto step = static_cast<long>(std::lround((dbFrequency - 45.0) / 0.0125));
        if (step % 3 != 0)
            return std::nullopt;
        return "E" + std::to_string(step % 100);
    };
    BandChartView view;
    view.resize(1920, 600);
    view.SetChart(BandChart(air, {48.25, 55.25}, std::nullopt, labels));
    for (const auto& [dbStart, dbEnd] :
         std::vector<std::pair<double, double>>{{45.0, 865.0}, {100.0, 102.0}, {170.0, 170.3}, {800.0, 800.05}}) {
        view.SetView(dbStart, dbEnd);
        const std::vector<BandChartView::ChannelLabel> shown = view.ChannelLabels(ChannelModeAir, view.size());
        ASSERT_GT(shown.size(), 3u) << dbStart;
        for (std::size_t i = 1; i < shown.size(); ++i) {
            EXPECT_LT(shown[i - 1].box.right(), shown[i].box.left())
                << dbStart << ": " << shown[i - 1].text.toStdString() << " touches " << shown[i].text.toStdString();
        }
    }
}

TEST_F(BandChartWindowTest, AnEditOfOneListRepaintsItsLaneAsTheWholeChartWouldBe)
{
    Load({48.25, 55.25, 62.25, 175.25}, {112.25, 119.25, 126.25});
    CBandChartWindow* pWindow = OpenChart();
    ASSERT_NE(pWindow, nullptr);
    BandChartView* pView = pWindow->View();
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        const QImage window = pWindow->screen()->grabWindow(pWindow->winId()).toImage();
        return window.copy(QRect(pView->mapTo(pWindow, QPoint(0, 0)), pView->size()))
            .convertToFormat(QImage::Format_RGB32);
    };
    const QImage before = onScreen();
    // Within the axis (only the air lane is painted again), then beyond it.
    for (const char* frequency : {"150.25", "700.25"}) {
        Append(QString::fromLatin1(frequency));
        const QImage after = onScreen();
        EXPECT_NE(after, before) << frequency;
        EXPECT_EQ(after, pView->grab().toImage().convertToFormat(QImage::Format_RGB32)) << frequency;
    }
}
