// Table > Coverage Matrix... of the channel editor at 240 tables of a
// country's size (200 channels) against a tuner table of 1,000 tuners, every
// tenth with its edges out of order, all of them files on disk: opening the
// window, the folder's tables read and counted off the interface thread, and
// the counted matrix shown. Each is timed by hand from the person's command
// until the event queue is idle, the untimed rest (waiting for the counts,
// closing the window) left out.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include "bench/BenchServices.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "ui/app/RecentFiles.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/matrix/CoverageMatrixModel.h"
#include "ui/channel/matrix/CoverageMatrixWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void WriteChannelTable(const QString& path, int table)
{
    ChannelTable channels(true);
    channels.SetCountryCode(49);
    for (int c = 0; c < 200; ++c) {
        auto* pNode = new (std::nothrow) ChannelNode;
        if (!pNode)
            throw std::runtime_error("cannot build a benchmark table");
        pNode->dbFrequency = 45.25 + 4.0 * c + 0.25 * (table % 8);
        if (!channels.AppendChannel(ChannelModeAir, pNode)) {
            delete pNode;
            throw std::runtime_error("cannot build a benchmark table");
        }
    }
    if (!channels.Save(QFile::encodeName(path).constData()))
        throw std::runtime_error("cannot write a benchmark table");
}

void WriteTunerTable(const QString& path)
{
    std::vector<TunerSpecEntry> entries;
    for (int u = 0; u < 1000; ++u) {
        TunerSpecEntry entry;
        entry.SetFactory(1 + u / 256);
        entry.SetTunerType(u % 256);
        entry.SetLowBandStart(44.0 + 0.5 * (u % 10));
        entry.SetMidBandStart(u % 10 == 0 ? 470.0 : 160.0);
        entry.SetHighBandStart(442.0);
        entry.SetHighBandEnd(800.0 + 2.0 * (u % 40));
        entries.push_back(entry);
    }
    TunerSpecTable tuners(true);
    if (!tuners.AppendEntries(entries) || !tuners.Save(QFile::encodeName(path).constData()))
        throw std::runtime_error("cannot write the benchmark tuner table");
}

class MatrixEditor
{
public:
    MatrixEditor()
    {
        m_folder = m_dir.filePath(QStringLiteral("tables"));
        QDir().mkpath(m_folder);
        for (int t = 0; t < 240; ++t)
            WriteChannelTable(QStringLiteral("%1/%2.ccf").arg(m_folder).arg(t, 3, 10, QLatin1Char('0')), t);
        m_tuners = m_dir.filePath(QStringLiteral("tuners.tsf"));
        WriteTunerTable(m_tuners);
        // The rows are the open table and the folder's alone: the recent
        // tables of the benchmarks before are gone.
        RecentFiles recent(QString::fromLatin1(kChannelRecentKind));
        for (const QString& path : recent.Files())
            recent.Remove(path);
        m_pDlg = std::make_unique<CFrequencyTableDlg>(m_services);
        m_pDlg->Create();
        m_pDlg->OpenFile(m_folder + QStringLiteral("/000.ccf"));
        SettleEvents();
    }

    CoverageMatrixWindow* Open()
    {
        m_services.fileAnswers.push_back(m_tuners);
        m_pDlg->OnCommand(IDM_COVERAGE_MATRIX);
        return m_pDlg->findChild<CoverageMatrixWindow*>();
    }

    void AddFolder(CoverageMatrixWindow& window)
    {
        m_services.fileAnswers.push_back(m_folder);
        for (QPushButton* pButton : window.findChildren<QPushButton*>())
            if (pButton->text() == QLatin1String("Add &Folder..."))
                pButton->click();
    }

    // Delivers events until the counts are in, and tells how long the
    // longest round of the interface thread took meanwhile.
    static double WaitForCounts(const CoverageMatrixWindow& window)
    {
        double longest = 0.0;
        while (window.IsCounting()) {
            const Clock::time_point start = Clock::now();
            QCoreApplication::processEvents();
            longest = std::max(longest, MillisecondsSince(start));
        }
        SettleEvents();
        return longest;
    }

    static void Close(CoverageMatrixWindow* pWindow)
    {
        const QPointer<CoverageMatrixWindow> pClosed = pWindow;
        pWindow->close();
        while (pClosed)
            SettleEvents();
    }

private:
    BenchServices m_services;
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_tuners;
    std::unique_ptr<CFrequencyTableDlg> m_pDlg;
};

// The command until the window is shown and drawn with the open table's row
// counted: what the interface thread spends before the person sees it.
void BM_MatrixWindow_Open(benchmark::State& state)
{
    MatrixEditor editor;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        CoverageMatrixWindow* pWindow = editor.Open();
        SettleEvents();
        state.SetIterationTime(MillisecondsSince(start) / 1000.0);
        if (!pWindow || pWindow->Model().RowCount() == 0) {
            state.SkipWithError("no matrix window");
            return;
        }
        MatrixEditor::WaitForCounts(*pWindow);
        MatrixEditor::Close(pWindow);
    }
}
BENCHMARK(BM_MatrixWindow_Open)->Unit(benchmark::kMillisecond)->UseManualTime();

// Add Folder... of the 240 tables until every row is counted and drawn; the
// counter tells the longest the interface thread was busy at a stretch.
void BM_MatrixWindow_CountFolder240x1000(benchmark::State& state)
{
    MatrixEditor editor;
    double longest = 0.0;
    for (auto _ : state) {
        CoverageMatrixWindow* pWindow = editor.Open();
        SettleEvents();
        const Clock::time_point start = Clock::now();
        editor.AddFolder(*pWindow);
        longest = std::max(longest, MatrixEditor::WaitForCounts(*pWindow));
        state.SetIterationTime(MillisecondsSince(start) / 1000.0);
        state.counters["rows"] = pWindow->Model().RowCount();
        MatrixEditor::Close(pWindow);
    }
    state.counters["longest_ui_ms"] = longest;
}
BENCHMARK(BM_MatrixWindow_CountFolder240x1000)->Unit(benchmark::kMillisecond)->UseManualTime();

// The counted matrix of 240 x 1,000 cells shown again, as when the person
// comes back to its window: the view lays out and paints what fits.
void BM_MatrixWindow_ShowCounted(benchmark::State& state)
{
    MatrixEditor editor;
    CoverageMatrixWindow* pWindow = editor.Open();
    SettleEvents();
    editor.AddFolder(*pWindow);
    MatrixEditor::WaitForCounts(*pWindow);
    for (auto _ : state) {
        pWindow->hide();
        SettleEvents();
        const Clock::time_point start = Clock::now();
        pWindow->show();
        SettleEvents();
        state.SetIterationTime(MillisecondsSince(start) / 1000.0);
    }
    state.counters["rows"] = pWindow->Model().RowCount();
}
BENCHMARK(BM_MatrixWindow_ShowCounted)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
