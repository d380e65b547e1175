// Each action of the channel table editor on a table of 65,535 channels per
// list, timed from the person's click or key until the list view is rebuilt
// and the event queue (painting included) has drained. Actions that change the
// table's size get a fresh copy of the table, untimed, before each run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "bench/BenchServices.h"
#include "edit/RecoveryStore.h"
#include "res/resource.h"
#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/PastedFrequencies.h"
#include "ui/app/RecentFiles.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/compare/ChannelCompareModel.h"
#include "ui/channel/compare/ChannelCompareWindow.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/WindowSizes.h"

namespace {

// Writes a table whose two lists hold the given number of channels each,
// their frequencies moved by dbShift.
QString WriteTable(const QTemporaryDir& dir, const QString& name, std::int32_t iChannels, double dbShift = 0.0)
{
    ChannelTable table(true);
    table.SetCountryCode(44);
    for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        for (std::int32_t i = 0; i < iChannels; ++i) {
            auto* pNode = new (std::nothrow) ChannelNode;
            pNode->dbFrequency = (i % 7 == 3) ? 0.0 : 45.0 + 0.0625 * i + dbShift;
            if (!pNode || !table.AppendChannel(iMode, pNode)) {
                delete pNode;
                throw std::runtime_error("cannot build the benchmark table");
            }
        }
    }
    const QString path = dir.filePath(name);
    if (!table.Save(QFile::encodeName(path).constData()))
        throw std::runtime_error("cannot write the benchmark table");
    return path;
}

// The editor on screen with canned services and the two table files.
class Editor
{
public:
    Editor()
    {
        m_full = WriteTable(m_dir, QStringLiteral("full.ccf"), ChannelTable::kMaxChannels);
        m_oneShort = WriteTable(m_dir, QStringLiteral("one-short.ccf"), ChannelTable::kMaxChannels - 1);
        m_half = WriteTable(m_dir, QStringLiteral("half.ccf"), ChannelTable::kMaxChannels / 2);
        m_pDlg = std::make_unique<CFrequencyTableDlg>(m_services);
        m_pDlg->Create();
        Settle();
    }

    CFrequencyTableDlg& Dlg() { return *m_pDlg; }
    ListView* List() { return m_pDlg->GetListView(IDC_LIST_CHANNELS); }
    BenchServices& Services() { return m_services; }

    void Click(int id) { QTest::mouseClick(m_pDlg->GetDlgItem(id), Qt::LeftButton); }

    void ClickRow(int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        List()->EnsureVisible(row);
        const QRect rect = List()->visualRect(List()->model()->index(row, 0));
        QTest::mouseClick(List()->viewport(), button, modifiers, rect.center());
    }

    void LoadFull() { Load(m_full); }
    // A new editor window in place of the old one, its table freed.
    void Reopen()
    {
        m_pDlg.reset();
        m_pDlg = std::make_unique<CFrequencyTableDlg>(m_services);
        m_pDlg->Create();
        Settle();
    }
    void LoadOneShort() { Load(m_oneShort); }
    // File > Compare With... a table of the largest lists in which every
    // channel but the empty slots differs from the full one's.
    void CompareWithShifted()
    {
        if (m_shifted.isEmpty())
            m_shifted = WriteTable(m_dir, QStringLiteral("shifted.ccf"), ChannelTable::kMaxChannels, 0.25);
        m_services.fileAnswers.push_back(m_shifted);
        m_pDlg->OnCommand(IDM_COMPARE_WITH);
    }
    void LoadHalf() { Load(m_half); }

    static void Settle() { SettleEvents(); }

private:
    void Load(const QString& path)
    {
        m_services.fileAnswers.push_back(path);
        Click(IDC_BUTTON_LOAD_FROM_FILE);
        Settle();
    }

    BenchServices m_services;
    QTemporaryDir m_dir;
    QString m_full;
    QString m_oneShort;
    QString m_half;
    QString m_shifted;
    std::unique_ptr<CFrequencyTableDlg> m_pDlg;
};

void ReportRows(benchmark::State& state, Editor& editor)
{
    state.counters["rows"] = editor.List()->GetItemCount();
}

void BM_Editor_Load(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state)
        editor.LoadFull();
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

// A new editor window: its controls, its frame with the scroller and the
// remembered size read back, shown and settled.
void BM_Editor_OpenWindow(benchmark::State& state)
{
    BenchServices services;
    {
        QWidget closed;
        closed.resize(900, 700);
        RememberWindowGeometry(IDD_FREQUENCY_TABLE, closed.saveGeometry());
    }
    for (auto _ : state) {
        CFrequencyTableDlg dlg{services};
        dlg.Create();
        Editor::Settle();
    }
}
BENCHMARK(BM_Editor_OpenWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// Resizing the editor with both lists full: the list takes the room, the
// other controls move, and the list lays out its rows anew.
void BM_Editor_ResizeWithFullList(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    const QSize opening = editor.Dlg().size();
    bool bLarger = false;
    for (auto _ : state) {
        bLarger = !bLarger;
        editor.Dlg().resize(bLarger ? opening + QSize(160, 120) : opening);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_ResizeWithFullList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_ModeSwitch(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    QComboBox* pCombo = editor.Dlg().ComboBox(IDC_COMBO_MODE);
    pCombo->setFocus();
    for (auto _ : state) {
        // The keyboard moves the choice and reports it as made.
        QTest::keyClick(pCombo, pCombo->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_ModeSwitch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_Append(benchmark::State& state)
{
    Editor editor;
    QWidget* pEdit = editor.Dlg().GetDlgItem(IDC_EDIT_FREQUENCY);
    for (auto _ : state) {
        state.PauseTiming();
        editor.LoadOneShort();
        editor.Dlg().SetDlgItemText(IDC_EDIT_FREQUENCY, QStringLiteral("859.25"));
        pEdit->setFocus();
        Editor::Settle();
        state.ResumeTiming();
        QTest::keyClick(pEdit, Qt::Key_Return);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_Append)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_InsertAtOne(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        state.PauseTiming();
        editor.LoadOneShort();
        editor.Services().menuAnswers.push_back(IDM_INSERT_BLANK_ITEM);
        state.ResumeTiming();
        editor.ClickRow(0, Qt::RightButton);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_InsertAtOne)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_DeleteOne(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        state.PauseTiming();
        editor.LoadFull();
        editor.Services().menuAnswers.push_back(IDM_DELETE_ITEM);
        state.ResumeTiming();
        editor.ClickRow(0, Qt::RightButton);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_DeleteOne)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every other channel of the first 60,000 selected, then "Delete Item". The
// table is loaded again before each run into the same editor, so the nodes of
// the tables loaded and freed before lie scattered in memory, as after a long
// session; the variant after a fresh open has them in address order.
void DeleteEveryOtherSelected(benchmark::State& state, bool bReopen)
{
    Editor editor;
    std::vector<int> selected;
    for (int row = 0; row < 60000; row += 2)
        selected.push_back(row);
    for (auto _ : state) {
        state.PauseTiming();
        if (bReopen)
            editor.Reopen();
        editor.LoadFull();
        editor.List()->SetSelectedRows(selected);
        editor.Services().menuAnswers.push_back(IDM_DELETE_ITEM);
        Editor::Settle();
        state.ResumeTiming();
        // A right click on a selected row keeps the selection.
        editor.ClickRow(0, Qt::RightButton);
        Editor::Settle();
    }
    ReportRows(state, editor);
}

void BM_Editor_Delete30000Selected(benchmark::State& state)
{
    DeleteEveryOtherSelected(state, false);
}
BENCHMARK(BM_Editor_Delete30000Selected)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_Delete30000SelectedAfterOpen(benchmark::State& state)
{
    DeleteEveryOtherSelected(state, true);
}
BENCHMARK(BM_Editor_Delete30000SelectedAfterOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_CtrlClick30000Selected(benchmark::State& state)
{
    Editor editor;
    std::vector<int> selected;
    for (int row = 0; row < 60000; row += 2)
        selected.push_back(row);
    editor.LoadFull();
    for (auto _ : state) {
        state.PauseTiming();
        editor.List()->SetSelectedRows(selected);
        Editor::Settle();
        state.ResumeTiming();
        editor.ClickRow(60001, Qt::LeftButton, Qt::ControlModifier);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_CtrlClick30000Selected)->Unit(benchmark::kMillisecond)->UseRealTime();

// A page down by the scroll bar through a list whose 30,000 selected rows lie
// apart: the rows that come on screen are drawn with their selection.
void BM_Editor_PageDown30000Selected(benchmark::State& state)
{
    Editor editor;
    std::vector<int> selected;
    for (int row = 0; row < 60000; row += 2)
        selected.push_back(row);
    editor.LoadFull();
    editor.List()->SetSelectedRows(selected);
    QScrollBar* pBar = editor.List()->verticalScrollBar();
    Editor::Settle();
    for (auto _ : state) {
        if (pBar->value() >= pBar->maximum()) {
            state.PauseTiming();
            pBar->setValue(0);
            Editor::Settle();
            state.ResumeTiming();
        }
        pBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_PageDown30000Selected)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_SaveValue(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.ClickRow(40000, Qt::LeftButton);
    Editor::Settle();
    // Two values in turn, so that each run changes the channel: the same
    // value again changes nothing, and nothing is shown again.
    bool bOther = false;
    for (auto _ : state) {
        bOther = !bOther;
        editor.Dlg().SetDlgItemText(IDC_EDIT_FREQUENCY, bOther ? QStringLiteral("543.25") : QStringLiteral("551.25"));
        editor.Click(IDC_BUTTON_SAVE_VALUE);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_SaveValue)->Unit(benchmark::kMillisecond)->UseRealTime();

// A frequency edited in its cell of the full list: F2 until the editor is
// open and drawn, and Enter until the value is in the list and the displays.
void BM_Editor_CellOpen(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.ClickRow(40000, Qt::LeftButton);
    editor.List()->setFocus();
    Editor::Settle();
    for (auto _ : state) {
        QTest::keyClick(editor.List(), Qt::Key_F2);
        Editor::Settle();
        state.PauseTiming();
        if (!editor.List()->IsEditingCell())
            state.SkipWithError("F2 opened no cell");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        Editor::Settle();
        state.ResumeTiming();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_CellOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_CellCommit(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.ClickRow(40000, Qt::LeftButton);
    editor.List()->setFocus();
    Editor::Settle();
    bool bOther = false;
    for (auto _ : state) {
        state.PauseTiming();
        QTest::keyClick(editor.List(), Qt::Key_F2);
        Editor::Settle();
        QWidget* pEditor = QApplication::focusWidget();
        bOther = !bOther;
        QTest::keyClicks(pEditor, bOther ? QStringLiteral("543.25") : QStringLiteral("551.25"));
        state.ResumeTiming();
        QTest::keyClick(pEditor, Qt::Key_Return);
        Editor::Settle();
    }
    if (editor.Dlg().Document().UndoName() != "Edit Frequency")
        state.SkipWithError("no cell was committed");
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_CellCommit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_CountryEnter(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    for (auto _ : state) {
        editor.Dlg().SetDlgItemText(IDC_EDIT_COUNTRY_CODE, QStringLiteral("1852"));
        editor.Click(IDC_BUTTON_ENTER);
        Editor::Settle();
    }
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_CountryEnter)->Unit(benchmark::kMillisecond)->UseRealTime();

// The menu bar's commands on a full list, each through its menu item with the
// form's answer ready: a far channel, the nearest frequency (a walk of the
// list), every row selected, and the check of 65,535 + 65,535 channels with
// its findings shown.
void TimeMenuCommand(benchmark::State& state, int command, const std::vector<QString>& answers)
{
    Editor editor;
    editor.LoadFull();
    Editor::Settle();
    // The menu opens before its item is chosen, which makes the items current.
    QAction* pAction = EditorFrame::Of(editor.Dlg())->MenuBar()->Action(command);
    for (QAction* pTitle : EditorFrame::Of(editor.Dlg())->MenuBar()->Bar()->actions())
        emit pTitle->menu()->aboutToShow();
    if (!pAction->isEnabled())
        state.SkipWithError("the item is greyed");
    for (auto _ : state) {
        if (!answers.empty())
            editor.Services().valueAnswers.push_back(answers);
        pAction->trigger();
        Editor::Settle();
    }
    if (editor.Services().messageCount != 0)
        state.SkipWithError("the command refused its answer");
    ReportRows(state, editor);
}

// Opening the File menu reads the recent files anew: timed with the largest
// settings file the program reads, other keys filling it up to the limit and
// the editor's ten files last.
void BM_Editor_OpenMenuWithLargestRecentFiles(benchmark::State& state)
{
    QTemporaryDir config;
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    std::string ours = "channel-tables=";
    for (int i = 0; i < RecentFiles::kMaxFiles; ++i)
        ours += (i > 0 ? ", /home/anna/tables/table-" : "/home/anna/tables/table-") + std::to_string(i) + ".ccf";
    ours += '\n';
    std::string text = "[General]\n";
    for (int i = 0;; ++i) {
        const std::string line = "other-" + std::to_string(i) + "=/home/anna/tables/some-other-table.ccf\n";
        if (text.size() + line.size() + ours.size() > RecentFiles::kMaxSettingsBytes)
            break;
        text += line;
    }
    text += ours;
    QDir(config.path()).mkpath(QStringLiteral("vornalix"));
    QFile file(RecentFiles::SettingsFile());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        state.SkipWithError("cannot write the settings file");
    file.close();
    {
        Editor editor;
        QMenu* pFileMenu = EditorFrame::Of(editor.Dlg())->MenuBar()->Bar()->actions().front()->menu();
        for (auto _ : state) {
            emit pFileMenu->aboutToShow();
            Editor::Settle();
        }
        if (EditorFrame::Of(editor.Dlg())->MenuBar()->RecentFileList().size() != RecentFiles::kMaxFiles)
            state.SkipWithError("the recent files were not read");
    }
    qputenv("XDG_CONFIG_HOME", savedConfig);
}
BENCHMARK(BM_Editor_OpenMenuWithLargestRecentFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_GoToChannel(benchmark::State& state)
{
    TimeMenuCommand(state, IDM_GOTO_CHANNEL, {QStringLiteral("60000")});
}
BENCHMARK(BM_Editor_GoToChannel)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_FindFrequency(benchmark::State& state)
{
    TimeMenuCommand(state, IDM_FIND_FREQUENCY, {QStringLiteral("9999")});
}
BENCHMARK(BM_Editor_FindFrequency)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_SelectAll(benchmark::State& state)
{
    TimeMenuCommand(state, IDM_SELECT_ALL, {});
}
BENCHMARK(BM_Editor_SelectAll)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_CheckTable(benchmark::State& state)
{
    TimeMenuCommand(state, IDM_CHECK_TABLE, {});
}
BENCHMARK(BM_Editor_CheckTable)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bulk edits on 30,000 selected rows of a 65,535-channel list (every other
// row from row 2 to row 60,000, so that each moves past an unselected
// neighbour), chosen from the row menu on a selected row; the form's answers
// are ready. The table is loaded again, untimed, before each run.
const std::vector<int>& EveryOtherFromTheSecond()
{
    static const std::vector<int> rows = [] {
        std::vector<int> chosen;
        for (int row = 1; row < 60000; row += 2)
            chosen.push_back(row);
        return chosen;
    }();
    return rows;
}

void TimeBulkCommand(benchmark::State& state, int command, const std::vector<QString>& answers)
{
    Editor editor;
    for (auto _ : state) {
        state.PauseTiming();
        editor.LoadFull();
        editor.List()->SetSelectedRows(EveryOtherFromTheSecond());
        editor.Services().menuAnswers.push_back(command);
        if (!answers.empty())
            editor.Services().valueAnswers.push_back(answers);
        Editor::Settle();
        state.ResumeTiming();
        editor.ClickRow(1, Qt::RightButton);
        Editor::Settle();
    }
    if (editor.Services().messageCount != 0 || editor.List()->GetSelectedCount() != 30000)
        state.SkipWithError("the command did not run on the 30,000 rows");
    ReportRows(state, editor);
}

void BM_Editor_MoveUp30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_MOVE_UP, {});
}
BENCHMARK(BM_Editor_MoveUp30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_MoveDown30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_MOVE_DOWN, {});
}
BENCHMARK(BM_Editor_MoveDown30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_MoveTo30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_MOVE_TO_CHANNEL, {QStringLiteral("35000")});
}
BENCHMARK(BM_Editor_MoveTo30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_Offset30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_OFFSET_FREQUENCIES, {QStringLiteral("+0.25")});
}
BENCHMARK(BM_Editor_Offset30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_Clear30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_CLEAR_TO_EMPTY, {});
}
BENCHMARK(BM_Editor_Clear30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_SortSelection30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_SORT_SELECTION, {});
}
BENCHMARK(BM_Editor_SortSelection30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_FillDown30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_FILL_DOWN, {});
}
BENCHMARK(BM_Editor_FillDown30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_FillSeries30000(benchmark::State& state)
{
    TimeBulkCommand(state, IDM_FILL_SERIES, {QStringLiteral("45.25"), QStringLiteral("0.0625")});
}
BENCHMARK(BM_Editor_FillSeries30000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Find and Replace over the full list, every channel found, by Ctrl+H until
// the list and the displays are shown again.
void BM_Editor_Replace65535(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.List()->setFocus();
    Editor::Settle();
    bool bOther = false;
    for (auto _ : state) {
        state.PauseTiming();
        bOther = !bOther;
        editor.Services().valueAnswers.push_back({QStringLiteral("0.001-100000"),
                                                  bOther ? QStringLiteral("543.25") : QStringLiteral("551.25"),
                                                  QStringLiteral("the list shown")});
        state.ResumeTiming();
        QTest::keyClick(editor.List(), Qt::Key_H, Qt::ControlModifier);
        Editor::Settle();
    }
    if (editor.Dlg().Document().Frequency(ChannelTable::kMaxChannels) != (bOther ? 543.25 : 551.25))
        state.SkipWithError("the list was not replaced");
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_Replace65535)->Unit(benchmark::kMillisecond)->UseRealTime();

// The compare window of two tables of 65,535 + 65,535 channels, every
// channel changed: Compare With... until the window is shown and drawn (the
// other table read anew each time), and a Save value in the editor until the
// window has followed it.
void BM_Compare_Open(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    for (auto _ : state) {
        editor.CompareWithShifted();
        Editor::Settle();
    }
    auto* pWindow = editor.Dlg().findChild<ChannelCompareWindow*>();
    if (!pWindow || pWindow->Model().ChannelCounts().changed < 100000)
        state.SkipWithError("the tables were not compared");
    ReportRows(state, editor);
}
BENCHMARK(BM_Compare_Open)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Compare_EditFollowed(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.CompareWithShifted();
    editor.ClickRow(40000, Qt::LeftButton);
    Editor::Settle();
    bool bOther = false;
    for (auto _ : state) {
        bOther = !bOther;
        editor.Dlg().SetDlgItemText(IDC_EDIT_FREQUENCY, bOther ? QStringLiteral("543.25") : QStringLiteral("551.25"));
        editor.Click(IDC_BUTTON_SAVE_VALUE);
        Editor::Settle();
    }
    auto* pWindow = editor.Dlg().findChild<ChannelCompareWindow*>();
    const int row = pWindow ? pWindow->Model().RowOf(ChannelModeAir, 40001) : -1;
    if (row < 0 || !pWindow->Model()
                        .index(row, ChannelCompareModel::kThisColumn)
                        .data()
                        .toString()
                        .startsWith(bOther ? QStringLiteral("543.25") : QStringLiteral("551.25")))
        state.SkipWithError("the window did not follow the edit");
    ReportRows(state, editor);
}
BENCHMARK(BM_Compare_EditFollowed)->Unit(benchmark::kMillisecond)->UseRealTime();

// A raster of 32,768 channels inserted at channel 1 of a 32,767-channel list:
// the list reaches 65,535 channels and every row shown moves.
void BM_Editor_FillRaster(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        state.PauseTiming();
        editor.LoadHalf();
        editor.List()->SetSelectedRows({0});
        editor.Services().menuAnswers.push_back(IDM_FILL_RASTER);
        // Start, step, count, and where: before the first selected channel.
        editor.Services().valueAnswers.push_back({QStringLiteral("47.25"), QStringLiteral("0.0625"),
                                                  QStringLiteral("32768"), QString::fromStdString(FillRasterPlace(1))});
        Editor::Settle();
        state.ResumeTiming();
        editor.ClickRow(0, Qt::RightButton);
        Editor::Settle();
    }
    if (editor.List()->GetItemCount() != ChannelTable::kMaxChannels)
        state.SkipWithError("the raster was not filled in");
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_FillRaster)->Unit(benchmark::kMillisecond)->UseRealTime();

// Copy and Paste through Qt's clipboard, by key in the list: 30,000 selected
// rows of a 65,535-channel list copied, and 30,000 values pasted into a list
// of 35,535 channels, which then holds 65,535.
void BM_Clipboard_Copy30000(benchmark::State& state)
{
    Editor editor;
    editor.LoadFull();
    editor.List()->SetSelectedRows(EveryOtherFromTheSecond());
    editor.List()->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        QGuiApplication::clipboard()->clear();
        Editor::Settle();
        state.ResumeTiming();
        QTest::keyClick(editor.List(), Qt::Key_C, Qt::ControlModifier);
        Editor::Settle();
    }
    if (QGuiApplication::clipboard()->text().count(QLatin1Char('\n')) != 30000)
        state.SkipWithError("the 30,000 rows were not copied");
    ReportRows(state, editor);
}
BENCHMARK(BM_Clipboard_Copy30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Clipboard_Paste30000(benchmark::State& state)
{
    constexpr std::int32_t kPasted = 30000;
    Editor editor;
    QTemporaryDir dir;
    const QString table = WriteTable(dir, QStringLiteral("room.ccf"), ChannelTable::kMaxChannels - kPasted);
    QString values;
    for (std::int32_t i = 0; i < kPasted; ++i)
        values += QString::number(471.25 + 0.0625 * i, 'g', 10) + QLatin1Char('\n');
    for (auto _ : state) {
        state.PauseTiming();
        editor.Services().fileAnswers.push_back(table);
        editor.Click(IDC_BUTTON_LOAD_FROM_FILE);
        QGuiApplication::clipboard()->setText(values);
        editor.List()->setFocus();
        Editor::Settle();
        state.ResumeTiming();
        QTest::keyClick(editor.List(), Qt::Key_V, Qt::ControlModifier);
        Editor::Settle();
    }
    if (editor.List()->GetItemCount() != ChannelTable::kMaxChannels || editor.Services().messageCount != 0)
        state.SkipWithError("the 30,000 values were not pasted");
    ReportRows(state, editor);
}
BENCHMARK(BM_Clipboard_Paste30000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The largest clipboard text Paste reads (16 MiB of one value per line, far
// more than a list holds): read until the value after the 65,535th, and refused.
void BM_Clipboard_PasteLargestText(benchmark::State& state)
{
    std::string text;
    for (int i = 0; text.size() + 16 <= kMaxPastedTextBytes; ++i)
        text += std::to_string(471.25 + 0.0625 * (i % 4096)) + '\n';
    PastedFrequencies pasted;
    for (auto _ : state) {
        PastedTextFault fault;
        if (!ReadPastedFrequencies(text, pasted, fault) || !pasted.bStoppedAtLimit)
            state.SkipWithError("the text was not read to the limit");
    }
    state.counters["text_mib"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_Clipboard_PasteLargestText)->Unit(benchmark::kMillisecond)->UseRealTime();


// Undo and redo of the largest steps, by key from the frequency edit. The
// step is made, untimed, before each run; the timing covers the key until the
// list view is rebuilt and the event queue has drained.
enum class HistoryKeyPress
{
    Undo,
    Redo,
};

template <class MakeStep> void TimeHistoryKey(benchmark::State& state, HistoryKeyPress press, MakeStep makeStep)
{
    Editor editor;
    QWidget* pEdit = editor.Dlg().GetDlgItem(IDC_EDIT_FREQUENCY);
    for (auto _ : state) {
        state.PauseTiming();
        makeStep(editor);
        if (press == HistoryKeyPress::Redo)
            QTest::keyClick(pEdit, Qt::Key_Z, Qt::ControlModifier);
        pEdit->setFocus();
        Editor::Settle();
        state.ResumeTiming();
        if (press == HistoryKeyPress::Undo)
            QTest::keyClick(pEdit, Qt::Key_Z, Qt::ControlModifier);
        else
            QTest::keyClick(pEdit, Qt::Key_Y, Qt::ControlModifier);
        Editor::Settle();
    }
    ReportRows(state, editor);
}

// Every other channel of the first 60,000 deleted in one step.
void Delete30000(Editor& editor)
{
    static const std::vector<int> selected = [] {
        std::vector<int> rows;
        for (int row = 0; row < 60000; row += 2)
            rows.push_back(row);
        return rows;
    }();
    editor.LoadFull();
    editor.List()->SetSelectedRows(selected);
    editor.Services().menuAnswers.push_back(IDM_DELETE_ITEM);
    Editor::Settle();
    editor.ClickRow(0, Qt::RightButton);
}

void AppendToOneShort(Editor& editor)
{
    editor.LoadOneShort();
    editor.Dlg().SetDlgItemText(IDC_EDIT_FREQUENCY, QStringLiteral("859.25"));
    editor.Click(IDC_BUTTON_ADD);
}

// Both full lists dropped for an empty table: undo brings 131,070 channels back.
void CreateNewAfterLoad(Editor& editor)
{
    editor.LoadFull();
    editor.Click(IDC_BUTTON_CREATE_NEW);
}

void BM_Editor_UndoDelete30000(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Undo, Delete30000);
}
BENCHMARK(BM_Editor_UndoDelete30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_RedoDelete30000(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Redo, Delete30000);
}
BENCHMARK(BM_Editor_RedoDelete30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_UndoAppend(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Undo, AppendToOneShort);
}
BENCHMARK(BM_Editor_UndoAppend)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_RedoAppend(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Redo, AppendToOneShort);
}
BENCHMARK(BM_Editor_RedoAppend)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_UndoCreateNewAfterLoad(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Undo, CreateNewAfterLoad);
}
BENCHMARK(BM_Editor_UndoCreateNewAfterLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_RedoCreateNewAfterLoad(benchmark::State& state)
{
    TimeHistoryKey(state, HistoryKeyPress::Redo, CreateNewAfterLoad);
}
BENCHMARK(BM_Editor_RedoCreateNewAfterLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// The document's part of the same steps, without the list view: what undo
// and redo themselves cost.
void TimeDocumentHistory(benchmark::State& state, HistoryKeyPress press)
{
    QTemporaryDir dir;
    const std::string path =
        QFile::encodeName(WriteTable(dir, QStringLiteral("full.ccf"), ChannelTable::kMaxChannels)).toStdString();
    std::vector<std::int32_t> channels;
    for (std::int32_t channel = 1; channel <= 60000; channel += 2)
        channels.push_back(channel);
    ChannelTableDocument document;
    FileError error;
    for (auto _ : state) {
        state.PauseTiming();
        if (!document.Load(path, error))
            throw std::runtime_error("cannot load the benchmark table");
        document.DeleteMany(channels);
        if (press == HistoryKeyPress::Redo)
            document.Undo();
        state.ResumeTiming();
        benchmark::DoNotOptimize(press == HistoryKeyPress::Undo ? document.Undo() : document.Redo());
    }
    state.counters["channels"] = static_cast<double>(document.CurrentFrequencies().size());
}

void BM_EditorDocument_UndoDelete30000(benchmark::State& state)
{
    TimeDocumentHistory(state, HistoryKeyPress::Undo);
}
BENCHMARK(BM_EditorDocument_UndoDelete30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EditorDocument_RedoDelete30000(benchmark::State& state)
{
    TimeDocumentHistory(state, HistoryKeyPress::Redo);
}
BENCHMARK(BM_EditorDocument_RedoDelete30000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The recovery copy of the largest table (65,535 + 65,535 channels): what the
// interface thread does (take the file image, hand it to the writer), and the
// whole write on the writer's thread with the safe save, for comparison.
void TimeRecoveryCopy(benchmark::State& state, bool bWaitForDisk)
{
    QTemporaryDir dir;
    const std::string path =
        QFile::encodeName(WriteTable(dir, QStringLiteral("full.ccf"), ChannelTable::kMaxChannels)).toStdString();
    ChannelTableDocument document;
    FileError error;
    if (!document.Load(path, error) || !document.SetFrequency(1, 859.25))
        throw std::runtime_error("cannot make the benchmark table");
    RecoveryWriter writer("ccf");
    for (auto _ : state) {
        writer.Write(document.Table()->FileImage(), RecoverySource{path, IdentityOf(path)});
        if (bWaitForDisk)
            writer.Flush();
        state.PauseTiming();
        writer.Flush();
        state.ResumeTiming();
    }
    writer.Remove();
    state.counters["bytes"] = static_cast<double>(document.Table()->FileImage().size());
}

void BM_Editor_RecoveryCopyLargest(benchmark::State& state)
{
    TimeRecoveryCopy(state, false);
}
BENCHMARK(BM_Editor_RecoveryCopyLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_RecoveryCopyLargestOnDisk(benchmark::State& state)
{
    TimeRecoveryCopy(state, true);
}
BENCHMARK(BM_Editor_RecoveryCopyLargestOnDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Restore Unsaved Table..." over the most copies kept, each of the largest
// table with its source: the listing the menu is made from (pruning, each
// copy's source read strictly and its image judged whole).
void BM_Editor_ListRecoveryCopiesLargest(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path =
        QFile::encodeName(WriteTable(dir, QStringLiteral("full.ccf"), ChannelTable::kMaxChannels)).toStdString();
    ChannelTableDocument document;
    FileError error;
    if (!document.Load(path, error))
        throw std::runtime_error("cannot make the benchmark table");
    std::vector<std::unique_ptr<RecoveryWriter>> writers;
    for (std::size_t i = 0; i < kRecoveryCopiesKept; ++i) {
        writers.push_back(std::make_unique<RecoveryWriter>("ccf"));
        writers.back()->Write(document.Table()->FileImage(), RecoverySource{path, IdentityOf(path)});
        writers.back()->Flush();
    }
    std::size_t listed = 0;
    for (auto _ : state)
        listed = ListRecoveryCopies("ccf").size();
    for (const std::unique_ptr<RecoveryWriter>& pWriter : writers) {
        pWriter->Remove();
        pWriter->Flush();
    }
    state.counters["copies"] = static_cast<double>(listed);
}
BENCHMARK(BM_Editor_ListRecoveryCopiesLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// Duplicate frequencies: every channel of a 65,535-channel list shares its
// frequency with one other channel (channel i and i + 32,768), so the index
// pairs every row and every row on screen is marked.
std::vector<double> RepeatingFrequencies()
{
    std::vector<double> frequencies;
    for (std::int32_t i = 0; i < ChannelTable::kMaxChannels; ++i)
        frequencies.push_back(45.0 + 0.0625 * (i % 32768));
    return frequencies;
}

void BM_Editor_DuplicateIndex65535(benchmark::State& state)
{
    const std::vector<double> frequencies = RepeatingFrequencies();
    std::int64_t paired = 0;
    for (auto _ : state) {
        const DuplicateFrequencies duplicates(frequencies);
        paired = duplicates.OtherOf(40000);
        benchmark::DoNotOptimize(paired);
    }
    if (paired != 40000 - 32768)
        state.SkipWithError("the index paired the wrong channels");
}
BENCHMARK(BM_Editor_DuplicateIndex65535)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frequencies in a scattered order, so that the list does not rise
// in a few bands and the index is built with its hash table: the slowest case.
void BM_Editor_DuplicateIndexScattered65535(benchmark::State& state)
{
    std::vector<double> frequencies = RepeatingFrequencies();
    std::mt19937 random(65535);
    std::shuffle(frequencies.begin(), frequencies.end(), random);
    std::int64_t paired = DuplicateFrequencies::kNone;
    for (auto _ : state) {
        const DuplicateFrequencies duplicates(frequencies);
        paired = duplicates.OtherOf(0);
        benchmark::DoNotOptimize(paired);
    }
    if (paired == DuplicateFrequencies::kNone || frequencies[static_cast<std::size_t>(paired)] != frequencies[0])
        state.SkipWithError("the index paired the wrong channels");
}
BENCHMARK(BM_Editor_DuplicateIndexScattered65535)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Save value" on a list whose every row is marked, with the marked rows on
// screen: the list rebuilt with its index and marks, and painted. Each run
// makes channel 40,001 unique or a duplicate again, in turn.
void BM_Editor_DuplicateMarks65535(benchmark::State& state)
{
    Editor editor;
    QTemporaryDir dir;
    ChannelTable table(true);
    if (!table.AppendFrequencies(ChannelModeAir, RepeatingFrequencies()) || !table.SetCountryCode(44) ||
        !table.Save(QFile::encodeName(dir.filePath(QStringLiteral("repeating.ccf"))).constData()))
        throw std::runtime_error("cannot write the benchmark table");
    editor.Services().fileAnswers.push_back(dir.filePath(QStringLiteral("repeating.ccf")));
    editor.Click(IDC_BUTTON_LOAD_FROM_FILE);
    Editor::Settle();
    editor.ClickRow(40000, Qt::LeftButton);
    Editor::Settle();
    const QString values[] = {QStringLiteral("1000.25"), QString::number(45.0 + 0.0625 * (40000 % 32768), 'f', 5)};
    std::size_t k = 0;
    for (auto _ : state) {
        editor.Dlg().SetDlgItemText(IDC_EDIT_FREQUENCY, values[k++ % 2]);
        editor.Click(IDC_BUTTON_SAVE_VALUE);
        Editor::Settle();
    }
    if (editor.List()->GetItemMark(39999).kind != RowMark::Kind::Warning)
        state.SkipWithError("the rows are not marked");
    ReportRows(state, editor);
}
BENCHMARK(BM_Editor_DuplicateMarks65535)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
