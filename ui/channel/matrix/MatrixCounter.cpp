#include "ui/channel/matrix/MatrixCounter.h"

#include <algorithm>
#include <utility>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "edit/TableOperations.h"
#include "tables/format/ChannelTable.h"

namespace {

// How long results gather before they are handed over: about a frame.
constexpr qint64 kHandOverMs = 16;

} // namespace

CountedTable CountTable(const ChannelTable& table, const std::vector<TunerBands>& tuners)
{
    const std::vector<SortedFrequencies> channels{SortedFrequencies(table)};
    const CoverageMatrix matrix(channels, tuners);
    CountedTable counted;
    counted.bRead = true;
    counted.iCountry = table.Header().iCountryCode();
    counted.channels = channels.front().size();
    counted.outside.reserve(tuners.size());
    for (std::size_t tuner = 0; tuner < tuners.size(); ++tuner)
        counted.outside.push_back(matrix.Outside(0, tuner));
    return counted;
}

CountedTable CountTableFile(const QString& path, const std::vector<TunerBands>& tuners)
{
    ChannelTable table(false);
    const TableLoadResult loaded = LoadTableFile(QFile::encodeName(path).toStdString(), table, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        CountedTable unread;
        unread.reason = QString::fromStdString(loaded.reason);
        return unread;
    }
    return CountTable(table, tuners);
}

MatrixCounter::MatrixCounter(QObject* pParent) : QObject(pParent) {}

MatrixCounter::~MatrixCounter()
{
    // Asked of all first, so that they stop side by side.
    for (QThread* pThread : m_threads)
        pThread->requestInterruption();
    for (QThread* pThread : m_threads) {
        pThread->wait();
        delete pThread;
    }
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
        for (const Job& job : jobs) {
            if (QThread::currentThread()->isInterruptionRequested())
                return;
            batch.push_back({job.row, CountTableFile(job.path, *tuners)});
            if (sinceHandedOver.elapsed() >= kHandOverMs)
                handOver();
        }
        if (!batch.empty())
            handOver();
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
