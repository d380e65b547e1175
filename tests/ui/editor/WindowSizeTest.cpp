// Editor windows a person works in all day: they grow, and only their list
// grows with them; they fit small screens by scrolling their controls; they
// open again at the size they were closed at, whatever the sizes file holds;
// their displays show whole texts centred in their frames; the Table Check
// window opens beside them on the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <sys/stat.h>

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include "res/resource.h"
#include "tables/analysis/TableChecks.h"
#include "tests/TestFiles.h"
#include "tests/ui/ChildRole.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/DiskChangeBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/WindowSizes.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// The template index of the first control with this kind and caption.
int IndexOf(const DialogTemplate& tpl, ControlKind kind, const char* text)
{
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& c = tpl.controls[i];
        if (c.kind == kind && c.text && std::string(c.text) == text)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << "no control " << text;
    return 0;
}

int IndexOfId(const DialogTemplate& tpl, int id)
{
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        if (tpl.controls[i].id == id)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << "no control " << id;
    return 0;
}

// Every visible control of the area with its geometry, by widget.
std::map<QWidget*, QRect> Geometries(const CDialog& dialog)
{
    std::map<QWidget*, QRect> geometries;
    for (QWidget* pChild : dialog.ClientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!pChild->isHidden())
            geometries[pChild] = pChild->geometry();
    }
    return geometries;
}

// Resizes the window's controls' area by `wanted` (as far as the screen lets it) and checks that the list took
// all of it, that nothing else changed size, that what lay apart still lies
// apart and that everything stays inside the area.
void ExpectOnlyTheListGrows(CDialog& dialog, int listId, const QSize& wanted)
{
    QApplication::processEvents();
    QWidget* pList = dialog.GetDlgItem(listId);
    const std::map<QWidget*, QRect> before = Geometries(dialog);
    const QSize areaBefore = dialog.ClientArea()->size();
    // As far as the screen lets the window grow.
    // A few pixels are kept clear of the screen's edge, where the platform
    // may hold a window back.
    const QSize room = dialog.screen()->availableGeometry().size() - dialog.frameGeometry().size() - QSize(8, 8);
    const QSize extra = wanted.boundedTo(room).expandedTo(QSize(0, 0));
    ASSERT_GT(extra.width() + extra.height(), 0);
    dialog.resize(dialog.size() + extra);
    QApplication::processEvents();
    ASSERT_EQ(dialog.ClientArea()->size(), areaBefore + extra);
    const std::map<QWidget*, QRect> after = Geometries(dialog);
    EXPECT_EQ(pList->size(), before.at(pList).size() + extra);
    for (const auto& [pWidget, rect] : after) {
        EXPECT_TRUE(dialog.ClientArea()->rect().contains(rect)) << pWidget->objectName().toStdString();
        if (pWidget == pList)
            continue;
        EXPECT_EQ(rect.size(), before.at(pWidget).size()) << pWidget->objectName().toStdString();
        for (const auto& [pOther, otherRect] : after) {
            if (pOther != pWidget && !before.at(pWidget).intersects(before.at(pOther))) {
                EXPECT_FALSE(rect.intersects(otherRect))
                    << pWidget->objectName().toStdString() << " and " << pOther->objectName().toStdString();
            }
        }
    }
}

// Runs this test program's role on an offscreen screen of the given size;
// true when the role ended well.
bool RunOnScreen(const char* pszRole, int width, int height)
{
    TempDir folder;
    const std::string config = folder.File("screen.json");
    std::ofstream(config) << "{\"screens\":[{\"name\":\"test\",\"x\":0,\"y\":0,\"width\":" << width
                          << ",\"height\":" << height << ",\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}";
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {ChildRoleArgument(pszRole), "-platform", QStringLiteral("offscreen:configfile=%1").arg(config.c_str())});
    const bool bDone = child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    EXPECT_TRUE(bDone) << pszRole;
    EXPECT_EQ(child.exitCode(), 0) << pszRole << " on " << width << "x" << height << ": " << output.toStdString();
    return bDone && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

// The child's side: the tuner editor opens inside the screen; it scrolls
// exactly when the screen is lower than the editor wants, and then Tab
// brings every control it reaches into view.
int TunerEditorFitsTheScreen()
{
    FakeUserServices services;
    CTunerEditDlg dlg{services};
    dlg.Create();
    QTest::qWait(300); // the window is fitted into the screen once it is framed
    const QRect available = dlg.screen()->availableGeometry();
    const QSize natural = dlg.minimumSizeHint().expandedTo(dlg.sizeHint());
    const bool bSmall = EditorFrame::Of(dlg)->ControlsScroller()->sizeHint().height() +
                            EditorFrame::Of(dlg)->MenuBar()->Bar()->height() +
                            EditorFrame::Of(dlg)->StatusLine()->sizeHint().height() >
                        available.height();
    const int scrollRange = EditorFrame::Of(dlg)->ControlsScroller()->verticalScrollBar()->maximum();
    const QRect frame = dlg.frameGeometry();
    std::printf("screen %dx%d, window %dx%d at %d,%d, natural %dx%d, scroll range %d\n", available.width(),
                available.height(), frame.width(), frame.height(), frame.x(), frame.y(), natural.width(),
                natural.height(), scrollRange);
    if (!available.contains(dlg.frameGeometry()) || bSmall != (scrollRange > 0))
        return EXIT_FAILURE;
    QWidget* pViewport = EditorFrame::Of(dlg)->ControlsScroller()->viewport();
    for (int step = 0; step < 60; ++step) {
        QWidget* pFocus = QApplication::focusWidget();
        if (!pFocus)
            return EXIT_FAILURE;
        const bool bInArea = dlg.ClientArea()->isAncestorOf(pFocus);
        const QRect shown = bInArea ? QRect(pFocus->mapTo(pViewport, QPoint(0, 0)), pFocus->size()) : QRect();
        if (bInArea && !pViewport->rect().contains(shown)) {
            std::printf("control %s at %d,%d is out of view\n", qPrintable(pFocus->objectName()), shown.x(), shown.y());
            return EXIT_FAILURE;
        }
        QTest::keyClick(pFocus, Qt::Key_Tab);
        QApplication::processEvents();
    }
    return EXIT_SUCCESS;
}

const bool kTunerRole = RegisterChildRole("tuner-editor-fits-the-screen", TunerEditorFitsTheScreen);

// The child's side: the channel editor maximized with a table of the three
// extra columns. The list takes the room, what stands right of it moves right
// by as much and what stands below it down, each keeping its size and its
// alignment with the others; the list's columns fill its width, and the
// picture of the window is the window.
int ChannelEditorMaximized()
{
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
    dlg.Create();
    dlg.OnCommand(IDC_BUTTON_CREATE_NEW);
    for (int id : {IDM_COLUMN_PLAN, IDM_COLUMN_BAND, IDM_COLUMN_CHECK})
        dlg.OnCommand(id);
    QTest::qWait(300);
    const auto placeOf = [&dlg](int id) {
        QWidget* pControl = dlg.GetDlgItem(id);
        return QRect(pControl->mapTo(&dlg, QPoint(0, 0)), pControl->size());
    };
    const int right[] = {IDC_STATIC_MODE,           IDC_STATIC_AIR_MAX,      IDC_BUTTON_CREATE_NEW,
                         IDC_BUTTON_LOAD_FROM_FILE, IDC_BUTTON_SAVE_TO_FILE, IDCANCEL,
                         IDC_STATIC_CHANNEL_NUMBER, IDC_BUTTON_SAVE_VALUE};
    const int below[] = {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_CONVERT};
    std::map<int, QRect> before;
    for (int id : right)
        before[id] = placeOf(id);
    for (int id : below)
        before[id] = placeOf(id);
    before[IDC_LIST_CHANNELS] = placeOf(IDC_LIST_CHANNELS);
    const QSize opening = dlg.size();
    dlg.showMaximized();
    WaitFor([&] { return dlg.size().width() > opening.width() + 400; });
    QTest::qWait(300);
    const int dx = placeOf(IDC_STATIC_MODE).x() - before[IDC_STATIC_MODE].x();
    const int dy = placeOf(IDC_COMBO_MODE).y() - before[IDC_COMBO_MODE].y();
    std::printf("window %dx%d from %dx%d: right by %d, down by %d\n", dlg.width(), dlg.height(), opening.width(),
                opening.height(), dx, dy);
    bool bHolds = dx > 400 && dy > 100;
    const auto expect = [&bHolds](bool bCondition, int id, const char* what) {
        if (!bCondition)
            std::printf("control %d: %s\n", id, what);
        bHolds = bHolds && bCondition;
    };
    for (int id : right)
        expect(placeOf(id) == before[id].translated(dx, 0), id, "did not move right with the others");
    for (int id : below)
        expect(placeOf(id) == before[id].translated(0, dy), id, "did not move down with the others");
    const QRect list = placeOf(IDC_LIST_CHANNELS);
    expect(list.topLeft() == before[IDC_LIST_CHANNELS].topLeft() &&
               list.size() == before[IDC_LIST_CHANNELS].size() + QSize(dx, dy),
           IDC_LIST_CHANNELS, "did not take the room");
    ListView* pList = dlg.GetListView(IDC_LIST_CHANNELS);
    QHeaderView* pHeader = pList->horizontalHeader();
    const int last = pList->model()->columnCount() - 1;
    expect(last == 4 && pHeader->sectionPosition(last) + pHeader->sectionSize(last) == pList->viewport()->width(),
           IDC_LIST_CHANNELS, "its columns do not fill it");
    const QImage picture = dlg.grab().toImage();
    expect(!picture.isNull() && picture.size() == dlg.size() * dlg.devicePixelRatio(), 0,
           "the picture is not the window");
    return bHolds ? EXIT_SUCCESS : EXIT_FAILURE;
}

const bool kMaximizedRole = RegisterChildRole("channel-editor-maximized", ChannelEditorMaximized);

std::string SizesPath()
{
    return WindowSizesFile().toStdString();
}

void WriteSizesFile(const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(SizesPath()).parent_path());
    std::ofstream(SizesPath(), std::ios::binary) << text;
}

std::string ReadSizesFile()
{
    std::ifstream in(SizesPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The geometry a window of this size leaves, maximized or not.
QByteArray GeometryOf(const QSize& size, bool bMaximized = false)
{
    QWidget window;
    window.resize(size);
    if (bMaximized)
        window.setWindowState(Qt::WindowMaximized);
    return window.saveGeometry();
}

} // namespace

// The list grows; what lies right of it moves right with its right edge, what
// lies below it down with its bottom edge, and a group box with all it holds.
TEST(WindowGrowth, TheListGrowsAndGroupsMoveWhole)
{
    const DialogTemplate& channel = *FindDialogTemplate(IDD_FREQUENCY_TABLE);
    const std::vector<ControlGrowth> growth = GrowthOfControls(channel);
    ASSERT_EQ(growth.size(), channel.controlCount);
    EXPECT_EQ(GrowingControl(channel), IndexOfId(channel, IDC_LIST_CHANNELS));
    for (std::size_t i = 0; i < channel.controlCount; ++i)
        EXPECT_EQ(growth[i].bGrows, channel.controls[i].id == IDC_LIST_CHANNELS) << i;
    const ControlGrowth exit = growth[IndexOfId(channel, IDCANCEL)];
    EXPECT_TRUE(exit.bMovesRight);
    EXPECT_FALSE(exit.bMovesDown);
    // "Channel Setting" begins above the list's bottom: it and all it holds
    // (its "Channel Number" reaches below that bottom) move right only.
    for (int id : {IDC_STATIC_CHANNEL_NUMBER, IDC_EDIT_FREQUENCY, IDC_BUTTON_ADD, IDC_BUTTON_SAVE_VALUE}) {
        EXPECT_TRUE(growth[IndexOfId(channel, id)].bMovesRight) << id;
        EXPECT_FALSE(growth[IndexOfId(channel, id)].bMovesDown) << id;
    }
    // "Tuner Setting" lies below the list: down only, with its contents.
    for (int id : {IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER, IDC_BUTTON_CONVERT}) {
        EXPECT_FALSE(growth[IndexOfId(channel, id)].bMovesRight) << id;
        EXPECT_TRUE(growth[IndexOfId(channel, id)].bMovesDown) << id;
    }
    const ControlGrowth caption = growth[IndexOf(channel, ControlKind::Label, "Frequency Table")];
    EXPECT_FALSE(caption.bMovesRight || caption.bMovesDown);

    const DialogTemplate& tuner = *FindDialogTemplate(IDD_TUNER_EDIT);
    const std::vector<ControlGrowth> tunerGrowth = GrowthOfControls(tuner);
    EXPECT_TRUE(tunerGrowth[IndexOfId(tuner, IDC_LIST_TUNERS)].bGrows);
    const ControlGrowth bandCode = tunerGrowth[IndexOf(tuner, ControlKind::GroupBox, "Band Code / Picture Carrier")];
    EXPECT_TRUE(bandCode.bMovesRight && bandCode.bMovesDown);
    EXPECT_TRUE(tunerGrowth[IndexOfId(tuner, IDC_EDIT_LOW_CODE)].bMovesRight);
    EXPECT_TRUE(tunerGrowth[IndexOfId(tuner, IDC_EDIT_LOW_CODE)].bMovesDown);
    EXPECT_FALSE(tunerGrowth[IndexOfId(tuner, IDC_COMBO_FACTORY)].bMovesRight);
    EXPECT_TRUE(tunerGrowth[IndexOfId(tuner, IDC_COMBO_FACTORY)].bMovesDown);
    EXPECT_TRUE(tunerGrowth[IndexOfId(tuner, IDC_STATIC_FACTORY)].bMovesRight);
    EXPECT_FALSE(tunerGrowth[IndexOfId(tuner, IDC_STATIC_FACTORY)].bMovesDown);

    // A dialog without a list does not grow at all.
    const DialogTemplate& about = *FindDialogTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(GrowingControl(about), -1);
    for (const ControlGrowth& g : GrowthOfControls(about))
        EXPECT_FALSE(g.bGrows || g.bMovesRight || g.bMovesDown);
}

TEST(WindowGrowth, BothEditorsGrowTheirListOnly)
{
    FakeUserServices services;
    CFrequencyTableDlg channel{services};
    channel.Create();
    EXPECT_TRUE(channel.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(channel.minimumSize(), channel.size()); // it opens at its least size
    ExpectOnlyTheListGrows(channel, IDC_LIST_CHANNELS, QSize(240, 160));
    ExpectOnlyTheListGrows(channel, IDC_LIST_CHANNELS, QSize(0, 300));
    // Back at the least size, everything is where the template puts it.
    channel.resize(channel.minimumSize());
    QApplication::processEvents();
    const DialogTemplate& tpl = channel.Template();
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& c = tpl.controls[i];
        if (c.id != IDC_STATIC) {
            EXPECT_EQ(channel.GetDlgItem(c.id)->pos(), channel.Layout().ToPixels(c.x, c.y, c.cx, c.cy).topLeft());
        }
    }

    CTunerEditDlg tuner{services};
    tuner.Create();
    ExpectOnlyTheListGrows(tuner, IDC_LIST_TUNERS, QSize(300, 200));
}

// The opening size: the remembered one within the least size and the screen.
TEST(WindowGrowth, OpeningSizeKeepsToTheMinimumAndTheScreen)
{
    const QSize minimum(410, 793);
    const QSize screen(1366, 736);
    EXPECT_EQ(OpeningSize(minimum, std::nullopt, screen), QSize(410, 736));
    EXPECT_EQ(OpeningSize(minimum, std::nullopt, QSize(1920, 1050)), minimum);
    EXPECT_EQ(OpeningSize(minimum, QSize(900, 900), QSize(1920, 1050)), QSize(900, 900));
    EXPECT_EQ(OpeningSize(minimum, QSize(20, 30), QSize(1920, 1050)), minimum);
    EXPECT_EQ(OpeningSize(minimum, QSize(100000, 100000), screen), screen);
    EXPECT_EQ(OpeningSize(minimum, std::nullopt, QSize(0, 0)), QSize(1, 1));
}

// On a screen lower than the tuner editor it scrolls, on a large one it does not.
TEST(WindowGrowth, TheTunerEditorScrollsOnlyOnASmallScreen)
{
    EXPECT_TRUE(RunOnScreen("tuner-editor-fits-the-screen", 1366, 600));
    EXPECT_TRUE(RunOnScreen("tuner-editor-fits-the-screen", 1920, 1080));
}

TEST(WindowGrowth, TheChannelEditorMaximizedKeepsItsGroupsTogether)
{
    EXPECT_TRUE(RunOnScreen("channel-editor-maximized", 1920, 1080));
}

TEST(WindowSizesFile, AnEditorOpensAgainAtTheSizeItWasClosedAt)
{
    FakeUserServices services;
    QSize closedAt;
    {
        CFrequencyTableDlg dlg{services};
        dlg.Create();
        closedAt = (dlg.size() + QSize(120, 80)).boundedTo(dlg.screen()->availableGeometry().size());
        ASSERT_NE(closedAt, dlg.size());
        dlg.resize(closedAt);
        QApplication::processEvents();
        dlg.EndDialog(IDCANCEL);
    }
    EXPECT_EQ(RememberedWindowSize(IDD_FREQUENCY_TABLE), (WindowSize{closedAt, false}));
    CFrequencyTableDlg again{services};
    again.Create();
    EXPECT_EQ(again.size(), closedAt);
    // Another editor's size is its own.
    CTunerEditDlg tuner{services};
    tuner.Create();
    EXPECT_NE(tuner.size(), closedAt);
    tuner.EndDialog(IDCANCEL);
    EXPECT_EQ(RememberedWindowSize(IDD_FREQUENCY_TABLE)->size, closedAt);
    EXPECT_TRUE(RememberedWindowSize(IDD_TUNER_EDIT).has_value());

    // Maximized it opens maximized again, and closed so it is remembered so.
    RememberWindowGeometry(IDD_FREQUENCY_TABLE, GeometryOf(closedAt, true));
    CFrequencyTableDlg maximized{services};
    maximized.Create();
    EXPECT_TRUE(maximized.windowState() & Qt::WindowMaximized);
    maximized.EndDialog(IDCANCEL);
    EXPECT_TRUE(RememberedWindowSize(IDD_FREQUENCY_TABLE)->bMaximized);
}

TEST(WindowSizesFile, GarbageAndAbsurdSizesOpenWithinTheScreen)
{
    // What no geometry is opens the editor at its natural size.
    WriteSizesFile("[geometry]\n102=\x01\xff garbage\n132=@ByteArray(\\x1\\xd9\\xd0)\n");
    FakeUserServices services;
    {
        CTunerEditDlg natural{services};
        natural.Create();
        EXPECT_EQ(natural.size(), natural.minimumSize());
        CFrequencyTableDlg channel{services};
        channel.Create();
        EXPECT_EQ(channel.size(), channel.minimumSize());
    }

    // An absurd size read back is bounded: the editor opens inside the screen, at least at its least size.
    RememberWindowGeometry(IDD_FREQUENCY_TABLE, GeometryOf(QSize(99999, 99999)));
    RememberWindowGeometry(IDD_TUNER_EDIT, GeometryOf(QSize(1, 1)));
    CFrequencyTableDlg channel{services};
    channel.Create();
    EXPECT_TRUE(channel.screen()->availableGeometry().size().expandedTo(channel.size()) ==
                channel.screen()->availableGeometry().size());
    CTunerEditDlg tuner{services};
    tuner.Create();
    EXPECT_EQ(tuner.size(), tuner.minimumSize());
    EXPECT_GT(tuner.width(), 100);
}

// A file that is not a regular one, or too large, is neither read nor written over.
TEST(WindowSizesFile, RefusedFilesAreNeitherReadNorWrittenOver)
{
    FakeUserServices services;
    const std::string path = SizesPath();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());

    // Too large: larger than any file the program writes.
    const std::string large = "[geometry]\n102=" + std::string(kMaxWindowSizesBytes, 'x');
    WriteSizesFile(large);
    EXPECT_FALSE(RememberedWindowSize(IDD_FREQUENCY_TABLE).has_value());
    RememberWindowGeometry(IDD_FREQUENCY_TABLE, GeometryOf(QSize(500, 500)));
    EXPECT_EQ(ReadSizesFile(), large);

    // A FIFO: refused before it is opened, so nothing waits on it.
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(RememberedWindowSize(IDD_FREQUENCY_TABLE).has_value());
    {
        CFrequencyTableDlg dlg{services};
        dlg.Create();
        dlg.EndDialog(IDCANCEL);
    }
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), std::filesystem::file_type::fifo);

    // A link to a FIFO likewise; a link to a regular file is followed and stays a link.
    TempDir elsewhere;
    const std::string fifo = elsewhere.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::remove(path);
    std::filesystem::create_symlink(fifo, path);
    EXPECT_FALSE(RememberedWindowSize(IDD_FREQUENCY_TABLE).has_value());
    RememberWindowGeometry(IDD_FREQUENCY_TABLE, GeometryOf(QSize(500, 500)));
    EXPECT_EQ(std::filesystem::status(path).type(), std::filesystem::file_type::fifo);

    const std::string mine = elsewhere.File("mine.conf");
    std::filesystem::remove(path);
    RememberWindowGeometry(IDD_TUNER_EDIT, GeometryOf(QSize(800, 700)));
    std::filesystem::rename(path, mine);
    std::filesystem::create_symlink(mine, path);
    EXPECT_EQ(RememberedWindowSize(IDD_TUNER_EDIT), (WindowSize{QSize(800, 700), false}));
    RememberWindowGeometry(IDD_FREQUENCY_TABLE, GeometryOf(QSize(500, 400)));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(RememberedWindowSize(IDD_FREQUENCY_TABLE), (WindowSize{QSize(500, 400), false}));
    EXPECT_EQ(RememberedWindowSize(IDD_TUNER_EDIT), (WindowSize{QSize(800, 700), false}));

    // A link to someone's notes is never written over, and why is said once.
    const std::string notes = elsewhere.File("notes.txt");
    std::ofstream(notes) << "My notes\n[geometry]\n102=900 700\n; line two\n";
    std::filesystem::remove(path);
    std::filesystem::create_symlink(notes, path);
    CapturedStderr said;
    for (int width : {500, 600}) {
        CFrequencyTableDlg dlg{services};
        dlg.Create();
        dlg.resize(width, 700);
        dlg.EndDialog(IDCANCEL);
    }
    EXPECT_EQ(ReadSizesFile(), "My notes\n[geometry]\n102=900 700\n; line two\n");
    EXPECT_EQ(said.Text(), "vornalix: window sizes are not kept: " + path +
                               ": it holds text this program did not write, which a write would lose\n");
}

// Right of the editor where there is room, else left, else against the
// screen's edge on the wider side; always inside the available area.
TEST(FindingsPlace, BesideTheEditorInsideTheScreen)
{
    const QRect screen(0, 0, 1366, 736);
    const QSize findings(600, 400);
    EXPECT_EQ(PlaceBeside(QRect(100, 50, 500, 700), findings, screen), QRect(600, 50, 600, 400));
    EXPECT_EQ(PlaceBeside(QRect(800, 50, 500, 700), findings, screen), QRect(200, 50, 600, 400));
    EXPECT_EQ(PlaceBeside(QRect(300, 50, 800, 700), findings, screen), QRect(0, 50, 600, 400));
    EXPECT_EQ(PlaceBeside(QRect(311, 0, 744, 700), findings, screen), QRect(766, 0, 600, 400));
    // Low on the screen: moved up, inside it.
    EXPECT_EQ(PlaceBeside(QRect(100, 600, 500, 100), findings, screen), QRect(600, 336, 600, 400));
    // Larger than the screen: shrunk to it.
    EXPECT_EQ(PlaceBeside(QRect(0, 0, 500, 700), QSize(2000, 2000), screen), screen);
}

TEST(FindingsPlace, TableCheckOpensInsideTheScreen)
{
    FakeUserServices services;
    CTunerEditDlg dlg{services};
    dlg.Create();
    dlg.OnCommand(IDC_BUTTON_CREATE_TABLE);
    dlg.move(dlg.screen()->availableGeometry().bottomLeft() - QPoint(0, 100));
    QApplication::processEvents();
    dlg.OnCommand(IDM_CHECK_TABLE);
    QApplication::processEvents();
    auto* pFindings = dlg.findChild<CTableFindingsWindow*>();
    ASSERT_NE(pFindings, nullptr);
    ASSERT_TRUE(pFindings->isVisible());
    EXPECT_TRUE(dlg.screen()->availableGeometry().contains(pFindings->frameGeometry()));
    // Its list grows with it.
    const QSize listBefore = pFindings->FindingsView()->size();
    pFindings->resize(pFindings->size() + QSize(100, 100));
    QApplication::processEvents();
    EXPECT_EQ(pFindings->FindingsView()->size(), listBefore + QSize(100, 100));
}

namespace {

// The rows of a label's rendering, inside its contents, that hold ink of its text.
std::pair<int, int> InkRows(QLabel* pLabel)
{
    const QImage image = pLabel->grab().toImage();
    const QRect contents = pLabel->contentsRect();
    const QColor ground = pLabel->palette().color(pLabel->backgroundRole());
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = contents.left(); x <= contents.right(); ++x) {
            if (std::abs(image.pixelColor(x, y).lightness() - ground.lightness()) > 80 && contents.contains(x, y)) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

// Where the ink of a text lies in a line box of the font's height, drawn unclipped.
std::pair<int, int> InkInLineBox(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 8, metrics.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(0, 0), image.size()), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.end();
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 128) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return {first, image.height() - 1 - last};
}

// Every sunken display shows a text with descenders whole and in the middle
// of its frame: the line box the ink belongs to has as much room above as below.
void ExpectDisplaysCentred(CDialog& dialog)
{
    const QString text = QStringLiteral("Germany jq 8");
    const DialogTemplate& tpl = dialog.Template();
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& c = tpl.controls[i];
        if (c.kind != ControlKind::DisplayText || !(c.styles & StyleSunken))
            continue;
        auto* pLabel = dialog.Control<QLabel>(c.id);
        const QString oldText = pLabel->text();
        pLabel->setText(text);
        const QFontMetrics metrics = pLabel->fontMetrics();
        const QRect contents = pLabel->contentsRect();
        EXPECT_GE(contents.height(), metrics.height()) << c.id;
        const auto [inkTop, inkBottom] = InkRows(pLabel);
        const auto [aboveInk, belowInk] = InkInLineBox(pLabel->font(), text);
        ASSERT_GE(inkTop, 0) << c.id;
        // The whole ink shows: as tall as drawn unclipped.
        EXPECT_EQ(inkBottom - inkTop + 1, metrics.height() - aboveInk - belowInk) << c.id;
        const int roomAbove = inkTop - aboveInk - contents.top();
        const int roomBelow = contents.bottom() - (inkBottom + belowInk);
        EXPECT_GE(roomAbove, 0) << c.id;
        EXPECT_GE(roomBelow, 0) << c.id;
        EXPECT_LE(std::abs(roomAbove - roomBelow), 1)
            << "display " << c.id << ": " << roomAbove << " above, " << roomBelow << " below";
        pLabel->setText(oldText);
    }
}

} // namespace

TEST(DisplayCentring, ValuesStandInTheMiddleOfTheirFrames)
{
    const QFont original = QApplication::font();
    for (const double scale : {1.0, 1.6}) {
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        FakeUserServices services;
        CFrequencyTableDlg channel{services};
        channel.Create();
        ExpectDisplaysCentred(channel);
        CTunerEditDlg tuner{services};
        tuner.Create();
        ExpectDisplaysCentred(tuner);
    }
    QApplication::setFont(original);
}

// A bar that comes while the editor is open (its file changed on disk) makes
// the window taller by the bar instead of scrolling the controls, and the
// window gives the height back when the bar goes.
TEST(WindowGrowth, ABarShownWhileOpenGrowsTheWindowAndGoingGivesTheHeightBack)
{
    TempDir dir;
    const std::string path = dir.File("de.ccf");
    WriteAll(path, ChannelTableImage(49, {48.25, 55.25}, {}, 1, 0));
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
    dlg.Create();
    services.fileAnswers.push_back(QString::fromStdString(path));
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    // Room below the window for the bar.
    dlg.resize(dlg.width(), dlg.minimumHeight());
    dlg.move(0, 0);
    QApplication::processEvents();
    const int height = dlg.height();
    const QSize area = dlg.ClientArea()->size();
    auto* pBar = dlg.findChild<DiskChangeBar*>();
    ASSERT_NE(pBar, nullptr);

    WriteAll(path, ChannelTableImage(49, {48.25, 55.25, 62.25}, {}, 1, 0));
    ASSERT_TRUE(WaitFor([&] { return !pBar->isHidden(); }));
    QApplication::processEvents();
    EXPECT_GT(dlg.height(), height);
    EXPECT_EQ(dlg.ClientArea()->size(), area);
    pBar->KeepThisVersion();
    QApplication::processEvents();
    EXPECT_EQ(dlg.height(), height);
    dlg.EndDialog(IDCANCEL);
}

// Table Check opens wide enough for its first findings' messages where the
// screen has room, so that a message reads whole instead of ending in "...".
TEST(FindingsPlace, TableCheckOpensWideEnoughForItsMessages)
{
    const auto messageRoom = [](const QString& message) {
        CTableFindingsWindow window(nullptr);
        window.ShowFindings({TableFinding{FindingSeverity::Warning, ChannelModeAir, 4, message.toStdString()}},
                            FindingKind::Channel);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_LE(window.width(), window.screen()->availableGeometry().width());
        const QHeaderView* pHeader = window.FindingsView()->header();
        return std::make_pair(pHeader->sectionSize(pHeader->count() - 1),
                              window.FindingsView()->fontMetrics().horizontalAdvance(message));
    };
    // A message a little longer than the room a short one leaves it.
    const int shortRoom = messageRoom(QStringLiteral("short")).first;
    QString message = QStringLiteral("air channel 4:");
    while (messageRoom(message).second < shortRoom + 40)
        message += QStringLiteral(" out of order");
    const auto [room, needed] = messageRoom(message);
    EXPECT_GE(room, needed) << message.toStdString();
}

// Only a window that closes has its size remembered: an editor destroyed
// while it shows (as the program's end or a test does) leaves the size
// remembered before, and asks nothing of its half-destroyed dialog.
TEST(WindowSizesFile, AnEditorDestroyedWhileShownRemembersNothing)
{
    FakeUserServices services;
    RememberWindowGeometry(IDD_TUNER_EDIT, GeometryOf(QSize(800, 700)));
    {
        CTunerEditDlg dlg{services};
        dlg.Create();
        dlg.resize(dlg.size() + QSize(40, 30));
        QApplication::processEvents();
    }
    EXPECT_EQ(RememberedWindowSize(IDD_TUNER_EDIT), (WindowSize{QSize(800, 700), false}));
}
