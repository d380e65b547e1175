#include "edit/CheckSummary.h"

#include <new>
#include <utility>

#include "tables/analysis/TableChecks.h"

FindingCounts CountFindingsInImage(TableKind kind, const std::vector<std::uint8_t>& image, const TunerBands* pTuner)
{
    FindingCounts counts;
    const FindingSink count = [&counts](const TableFinding& finding) {
        ++(finding.severity == FindingSeverity::Error ? counts.errors : counts.warnings);
    };
    if (kind == TableKind::Tuner) {
        const FindingTotals totals = CountTunerTableImageFindings(image);
        counts.errors = totals.errors;
        counts.warnings = totals.warnings;
        return counts;
    }
    CheckChannelTableImage(image, count);
    if (pTuner) {
        const ImageChannelLists lists = ChannelListsInImage(image);
        counts.outside = CoverLists(lists.air, lists.cable, *pTuner).uncovered.size();
        counts.errors += counts.outside;
    }
    return counts;
}

namespace {

std::string Counted(std::size_t count, const char* pszOne, const char* pszMany)
{
    return std::to_string(count) + ' ' + (count == 1 ? pszOne : pszMany);
}

} // namespace

std::string FindingCountsText(const FindingCounts& counts)
{
    if (counts.errors == 0 && counts.warnings == 0)
        return "No problems";
    std::string text;
    if (counts.errors != 0)
        text = Counted(counts.errors, "error", "errors");
    if (counts.warnings != 0)
        text += (text.empty() ? "" : ", ") + Counted(counts.warnings, "warning", "warnings");
    return text;
}

std::string FindingCountsText(const FindingCounts& counts, const std::string& tunerCodes)
{
    if (counts.errors == 0 && counts.warnings == 0)
        return "No problems with tuner " + tunerCodes;
    const std::string outside = counts.outside == 0 ? "none" : Counted(counts.outside, "channel", "channels");
    return FindingCountsText(counts) + " (" + outside + " outside tuner " + tunerCodes + ")";
}

CheckWorker::CheckWorker(TableKind kind, ResultListener listener)
    : m_kind(kind), m_listener(std::move(listener)), m_thread([this] { Run(); })
{
}

CheckWorker::~CheckWorker()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_pending.reset();
    }
    m_wake.notify_one();
    m_thread.join();
}

void CheckWorker::Check(std::uint64_t version, std::shared_ptr<const std::vector<std::uint8_t>> image,
                        std::optional<TunerBands> tuner)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = Job{version, std::move(image), tuner};
    }
    m_wake.notify_one();
}

void CheckWorker::WaitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_bBusy; });
}

std::uint64_t CheckWorker::FinishedCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_finished;
}

void CheckWorker::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || m_pending; });
        if (m_bStop)
            return;
        Job job = std::move(*m_pending);
        m_pending.reset();
        m_bBusy = true;
        lock.unlock();
        // Out of memory this check has no result; the next image tries again.
        std::optional<FindingCounts> counts;
        try {
            if (job.image)
                counts = CountFindingsInImage(m_kind, *job.image, job.tuner ? &*job.tuner : nullptr);
        } catch (const std::bad_alloc&) {
        }
        job.image.reset();
        if (counts)
            m_listener(job.version, *counts);
        lock.lock();
        m_bBusy = false;
        ++m_finished;
        if (!m_pending)
            m_idle.notify_all();
    }
}
