#include "ui/channel/matrix/MatrixCounter.h"

#include <algorithm>
#include <new>
#include <utility>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "edit/TableOperations.h"
#include "res/Strings.h"
#include "tables/format/ChannelTable.h"

namespace {

// How long results gather before they are handed over: about a frame.
constexpr qint64 kHandOverMs = 16;

CountedTable CountLists(std::int32_t iCountry, const std::vector<SortedFrequencies>& channels,
                        const std::vector<TunerBands>& tuners)
{
    const CoverageMatrix matrix(channels, tuners);
    CountedTable counted;
    counted.bRead = true;
    counted.iCountry = iCountry;
    counted.channels = channels.front().size();
    counted.outside.reserve(tuners.size());
    for (std::size_t tuner = 0; tuner < tuners.size(); ++tuner)
        counted.outside.push_back(matrix.Outside(0, tuner));
    return counted;
}

CountedTable Unread(QString reason)
{
    CountedTable unread;
    unread.reason = std::move(reason);
    return unread;
}

} // namespace

CountedTable CountTable(const ChannelTable& table, const std::vector<TunerBands>& tuners)
{
    return CountLists(table.Header().iCountryCode(), {SortedFrequencies(table)}, tuners);
}

CountedTable CountTableFile(const QString& path, const std::vector<TunerBands>& tuners)
{
    // No exception leaves the thread: a table too large for the memory left
    // is a row that says so.
    try {
        ChannelFileFrequencies frequencies;
        const TableLoadResult loaded =
            LoadTableFile(QFile::encodeName(path).toStdString(), frequencies, NonRegularFiles::Refuse);
        if (!loaded.Loaded())
            return Unread(QString::fromStdString(loaded.reason));
        return CountLists(frequencies.iCountry, {SortedFrequencies(frequencies.air, frequencies.cable)}, tuners);
    } catch (const std::bad_alloc&) {
        return Unread(QString::fromLatin1(kMatrixOutOfMemory));
    }
}

MatrixCounter::MatrixCounter(QObject* pParent) : QObject(pParent) {}

MatrixCounter::~MatrixCounter()
{
    // Asked of all first, so that they stop side by side.
    Stop();
    for (QThread* pThread : m_threads) {
        pThread->wait();
        delete pThread;
    }
}

void MatrixCounter::Stop()
{
    for (QThread* pThread : m_threads)
        pThread->requestInterruption();
}

void MatrixCounter::Count(std::vector<Job> jobs, Tuners tuners, std::uint64_t round)
{
    if (jobs.empty())
        return;
    QThread* pThread = QThread::create([this, jobs = std::move(jobs), tuners = std::move(tuners), round] {
        std::vector<Counted> batch;
        QElapsedTimer sinceHandedOver;
        sinceHandedOver.start();
        // This object outlives the thread (its destructor waits), and a batch
        // still queued when it goes is dropped with it.
        const auto handOver = [this, round, &batch, &sinceHandedOver] {
            QMetaObject::invokeMethod(
                this,
                [this, round, batch] {
                    if (onCounted)
                        onCounted(round, batch);
                },
                Qt::QueuedConnection);
            batch.clear();
            sinceHandedOver.restart();
        };
        // Out of memory even for a batch, the rest is not counted; no
        // exception leaves the thread.
        try {
            for (const Job& job : jobs) {
                if (QThread::currentThread()->isInterruptionRequested())
                    return;
                batch.push_back({job.row, CountTableFile(job.path, *tuners)});
                if (sinceHandedOver.elapsed() >= kHandOverMs)
                    handOver();
            }
            if (!batch.empty())
                handOver();
        } catch (const std::bad_alloc&) {
        }
    });
    m_threads.push_back(pThread);
    // Told on this thread after the last result the thread queued.
    connect(pThread, &QThread::finished, this, [this, pThread] {
        m_threads.erase(std::remove(m_threads.begin(), m_threads.end(), pThread), m_threads.end());
        pThread->deleteLater();
    });
    // Below the interface, which keeps a core on a machine of two.
    pThread->start(QThread::LowPriority);
}
