// Table files dropped from a file manager: the largest channel table (65,535
// channels per list) dropped on the channel table editor, timed from the drop
// until the list is rebuilt and the event queue has drained, beside the load
// command's own time (BM_Editor_Load); and a drag of a folder's many files
// entering the editor, the one moment that looks at every file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "bench/BenchFiles.h"
#include "bench/BenchServices.h"
#include "res/resource.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/ListView.h"

namespace {

constexpr Qt::DropActions kFileManagerActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// Counts every event the application delivers, to tell when the queue is idle.
class DeliveredEvents : public QObject
{
public:
    DeliveredEvents() { QCoreApplication::instance()->installEventFilter(this); }
    ~DeliveredEvents() override { QCoreApplication::instance()->removeEventFilter(this); }
    DeliveredEvents(const DeliveredEvents&) = delete;
    DeliveredEvents& operator=(const DeliveredEvents&) = delete;

    std::uint64_t count = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        ++count;
        return false;
    }
};

// Delivers events until a whole round delivers none: the dropped file's load
// waits for a zero timer, then the list's layout and painting follow.
void Settle(const DeliveredEvents& events)
{
    for (int round = 0; round < 1000; ++round) {
        const std::uint64_t before = events.count;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (events.count == before)
            return;
    }
}

std::unique_ptr<QMimeData> DraggedUrls(const QList<QUrl>& urls)
{
    auto pData = std::make_unique<QMimeData>();
    pData->setUrls(urls);
    return pData;
}

// The program's windows as a drop finds them: the launcher, and the channel
// table editor on top of it.
struct Windows
{
    Windows()
    {
        launcher.Create();
        editor.Create();
    }
    BenchServices services;
    CLauncherDlg launcher{services};
    CFrequencyTableDlg editor{services};
};

void BM_Drop_FullTableOnChannelEditor(benchmark::State& state)
{
    Windows windows;
    DeliveredEvents events;
    const std::unique_ptr<QMimeData> pData =
        DraggedUrls({QUrl::fromLocalFile(QFile::decodeName(BenchFiles::Get().chfq.c_str()))});
    for (auto _ : state) {
        QDragEnterEvent enter(QPoint(5, 5), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&windows.editor, &enter);
        QDropEvent drop(QPointF(5, 5), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&windows.editor, &drop);
        Settle(events);
        if (!drop.isAccepted())
            state.SkipWithError("the drop was refused");
    }
    state.counters["rows"] = windows.editor.GetListView(IDC_LIST_CHANNELS)->GetItemCount();
}
BENCHMARK(BM_Drop_FullTableOnChannelEditor)->Unit(benchmark::kMillisecond)->UseRealTime();

// A drag of this many files, none of them a table, entering the editor and
// moving over it.
void BM_Drop_DragOfManyFilesEnters(benchmark::State& state)
{
    Windows windows;
    QTemporaryDir folder;
    QList<QUrl> urls;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        const QString path = folder.filePath(QStringLiteral("notes-%1.txt").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("no table here") < 0)
            state.SkipWithError("cannot write the dragged files");
        urls << QUrl::fromLocalFile(path);
    }
    const std::unique_ptr<QMimeData> pData = DraggedUrls(urls);
    for (auto _ : state) {
        QDragEnterEvent enter(QPoint(5, 5), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&windows.editor, &enter);
        QDragMoveEvent move(QPoint(6, 6), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&windows.editor, &move);
        if (enter.isAccepted())
            state.SkipWithError("a drag of no table was taken");
    }
}
BENCHMARK(BM_Drop_DragOfManyFilesEnters)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
