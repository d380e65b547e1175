#pragma once
// The counting of the coverage matrix's rows off the interface thread: each
// table file read as the editor reads one (a FIFO, a device or a directory
// refused unopened) but into plain frequencies, never a table's nodes, which
// come from a pool of the interface thread's; its channels sorted and
// counted against every tuner, and the results handed back to the window's
// thread a few rows at a time. The window
// never waits for a count; closing it stops the counts still running at the
// next file and drops the results not yet handed over.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "tables/analysis/TunerCoverage.h"

class ChannelTable;
class QThread;

// A table counted against every tuner, or why it could not be read.
struct CountedTable
{
    bool bRead = false;
    QString reason; // "cannot be read: No such file or directory", as the load tells it
    std::int32_t iCountry = 0;
    std::size_t channels = 0;
    std::vector<std::size_t> outside; // a count per tuner, in the tuners' order
};

// The open table, on the interface thread, whose nodes it reads.
CountedTable CountTable(const ChannelTable& table, const std::vector<TunerBands>& tuners);
// A file, on any thread: its frequencies are read without a table's nodes,
// whose pool only the interface thread uses.
CountedTable CountTableFile(const QString& path, const std::vector<TunerBands>& tuners);

class MatrixCounter : public QObject
{
public:
    // A row of the window and the file it counts.
    struct Job
    {
        int row = 0;
        QString path;
    };
    using Tuners = std::shared_ptr<const std::vector<TunerBands>>;

    explicit MatrixCounter(QObject* pParent = nullptr);
    // Stops every count and waits for the file each is reading.
    ~MatrixCounter() override;

    // A row's result.
    struct Counted
    {
        int row = 0;
        CountedTable table;
    };

    // Counts the jobs in order on a thread of their own. The results come to
    // onCounted on this object's thread, with the round they were asked in,
    // a few at a time: each handing over costs the interface a repaint of
    // the window's progress, which a result per table of 240 would repeat
    // 240 times within a blink.
    void Count(std::vector<Job> jobs, Tuners tuners, std::uint64_t round);
    // Whether some count is still running.
    bool IsCounting() const { return !m_threads.empty(); }
    // Every count stops at its next file, without waiting for it.
    void Stop();

    std::function<void(std::uint64_t round, const std::vector<Counted>& counted)> onCounted;

private:
    std::vector<QThread*> m_threads;
};
