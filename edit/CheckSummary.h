#pragma once
// The table check as a running summary: how many errors and warnings the
// checks of tables/analysis/TableChecks find in a table's file image, and a worker
// thread that counts them for the newest image it is given, so that an editor
// can show the summary without checking on its own thread. Each image carries
// the version of the document it was taken from; a result names that version,
// so whoever shows it can drop one older than the document it shows.
//
// A channel table may be judged against a tuner as well (the channel editor's
// chosen tuner): each channel that no band of the tuner tunes
// (tables/analysis/TunerCoverage) is one more error, since the product cannot tune it,
// and the counts tell how many of their errors those channels are.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/TableFormat.h"

struct FindingCounts
{
    std::size_t errors = 0;
    std::size_t warnings = 0;
    // Of the errors, the channels outside the tuner judged against.
    std::size_t outside = 0;

    bool operator==(const FindingCounts& other) const
    {
        return errors == other.errors && warnings == other.warnings && outside == other.outside;
    }
    bool operator!=(const FindingCounts& other) const { return !(*this == other); }
};

// The findings of the check of an image of a table of this kind (channel or
// tuner), counted by severity; for a channel table with a tuner, its channels
// outside the tuner's bands counted as errors too.
FindingCounts CountFindingsInImage(TableKind kind, const std::vector<std::uint8_t>& image,
                                   const TunerBands* pTuner = nullptr);

// "No problems", "1 error", "2 errors, 1 warning", "3 warnings".
std::string FindingCountsText(const FindingCounts& counts);
// The same for a table judged against the tuner with these codes ("03:12"):
// "No problems with tuner 03:12", "2 errors, 1 warning (1 channel outside
// tuner 03:12)", "1 warning (none outside tuner 03:12)".
std::string FindingCountsText(const FindingCounts& counts, const std::string& tunerCodes);

class CheckWorker
{
public:
    // Told on the worker's thread, for each image it checked.
    using ResultListener = std::function<void(std::uint64_t version, const FindingCounts& counts)>;

    explicit CheckWorker(TableKind kind, ResultListener listener);
    // Drops what has not started and waits for the check under way.
    ~CheckWorker();
    CheckWorker(const CheckWorker&) = delete;
    CheckWorker& operator=(const CheckWorker&) = delete;

    // The newest image replaces any that has not started yet: only the
    // document's latest state is worth checking. With a tuner, a channel
    // table's image is judged against its bands too.
    // The image is shared, never changed: the interface thread may hand the
    // worker the image its views read.
    void Check(std::uint64_t version, std::shared_ptr<const std::vector<std::uint8_t>> image,
               std::optional<TunerBands> tuner = std::nullopt);
    // Waits until every image given has been checked or dropped.
    void WaitUntilIdle();
    // How many checks have finished, for whoever waits on one.
    std::uint64_t FinishedCount() const;

private:
    struct Job
    {
        std::uint64_t version = 0;
        std::shared_ptr<const std::vector<std::uint8_t>> image;
        std::optional<TunerBands> tuner;
    };
    void Run();

    TableKind m_kind;
    ResultListener m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::uint64_t m_finished = 0;
    std::thread m_thread;
};
