#pragma once
// Recovery copies of tables with unsaved changes, so that no work is lost
// when an editor is left, a table is replaced or the program is killed. A copy
// is the table's exact file image (.ccf or .tsf) in the user's state folder,
// $XDG_STATE_HOME/vornalix/recovery/ (~/.local/state/... by default, mode
// 0700), written with the safe save, beside a file of the same name plus
// ".source" that holds where the table came from: its path, or "new". The
// time is the image's modification time; the counts are read from its header.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct RecoveryCopy
{
    std::string path;       // the image
    std::string source;     // the table's file, or "new"
    std::int64_t iTime = 0; // seconds since the epoch
    // Channel tables: the air and cable counts; tuner tables: the entries in iFirstCount.
    std::int64_t iFirstCount = 0;
    std::int64_t iSecondCount = 0;
};

constexpr std::size_t kRecoveryCopiesKept = 20;
constexpr std::int64_t kRecoveryDays = 30;

// The folder, made (mode 0700) when missing; empty when it cannot be made.
std::string RecoveryFolder();
// The copies with this extension ("ccf", "tsf"), newest first. Copies older
// than 30 days, or beyond the newest 20, are removed first.
std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& extension);
// Only the removing, which every new copy does too, so that copies nobody
// restores do not pile up; returns the copies kept, with path and time.
std::vector<RecoveryCopy> PruneRecoveryCopies(const std::string& extension);
// Whether a copy with this extension, other than ownPath and not older than
// 30 days, exists: only the folder's names and times are read, so that a menu
// can ask on every opening.
bool AnyRecoveryCopy(const std::string& extension, const std::string& ownPath);
void RemoveRecoveryCopy(const std::string& imagePath);

// One editor's copy. The image is taken by the caller (on the interface
// thread); the writing happens on a thread of its own, the newest request
// replacing any that has not started yet.
class RecoveryWriter
{
public:
    explicit RecoveryWriter(std::string extension);
    ~RecoveryWriter(); // finishes what was asked
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void Write(std::vector<std::uint8_t> image, std::string source);
    // Removes the current copy, once what was asked before is done.
    void Remove();
    // Later writes go to a new copy; the current one stays as it is.
    void StartNewCopy();
    // Waits until everything asked is done.
    void Flush();
    // The image path of the current copy.
    std::string CurrentPath() const;

private:
    struct Job
    {
        bool bRemove = false;
        std::string path;
        std::vector<std::uint8_t> image;
        std::string source;
    };
    void Run();
    void Do(const Job& job) const;

    std::string m_extension;
    std::string m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::thread m_thread;
};
