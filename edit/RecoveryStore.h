#pragma once
// Recovery copies of tables with unsaved changes, so that no work is lost
// when an editor is left, a table is replaced or the program is killed. A copy
// is the table's exact file image (.ccf or .tsf) in the user's state folder,
// $XDG_STATE_HOME/vornalix/recovery/ (~/.local/state/... by default), beside
// a file of the same name plus ".source" that records where the table came
// from: the file "Save" wrote to, by its canonical path and its identity, or
// that it is new. The time is the image's modification time.
//
// Everything the folder holds is treated as hostile. The folder is used only
// when it is the user's own, private (no rights for group or others) and no
// symbolic link; every file is reached under the folder as it was opened and
// checked. Only names the program gives its copies are listed or removed. A
// copy is restored only when it is a whole table image, and a restored table
// is saved back to its file only when that file is still the one it was.
//
// The interface thread lists, restores and removes copies while each editor's
// writer thread writes and prunes them. Every one of these operations holds
// the folder (one lock for the process) from its first look to its last
// change, so that none sees another half done: a listed copy is read with its
// ".source" whole, a copy being restored is not pruned until it is read, and
// a copy is never read between its ".source" and its image being written.
// The price is that the interface may wait for one copy being written.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileIO.h"
#include "platform/FileIdentity.h"
#include "tables/format/TableFormat.h"

struct RecoveryCopy
{
    std::string path;                           // the image, under the folder as named
    std::string name;                           // its file name
    std::string source;                         // "new", the absolute path of the table's file, or empty when unknown
    std::optional<FileIdentity> sourceIdentity; // of that file when the copy was taken
    bool bDamaged = false;                      // not a whole table image: never restored
    bool bLive = false;                         // its writer, an editor open now, holds it
    std::int64_t iTime = 0;                     // seconds since the epoch
    // Channel tables: the air and cable counts; tuner tables: the entries in iFirstCount.
    std::int64_t iFirstCount = 0;
    std::int64_t iSecondCount = 0;
};

constexpr std::size_t kRecoveryCopiesKept = 20;
constexpr std::int64_t kRecoveryDays = 30;
// A temporary file or a ".source" without its image younger than this may
// belong to a copy being written right now; older ones are left overs of a
// killed program and are removed.
constexpr std::int64_t kRecoveryLeftoverSeconds = 10 * 60;

// The recovery folder opened for use: made where missing (mode 0700), then
// held open once it is seen to be a folder of the user's own, private and no
// symbolic link, so that every file is reached under that folder.
class RecoveryFolderHandle
{
public:
    static RecoveryFolderHandle Open();
    RecoveryFolderHandle(RecoveryFolderHandle&& other) noexcept;
    RecoveryFolderHandle& operator=(RecoveryFolderHandle&& other) noexcept;
    RecoveryFolderHandle(const RecoveryFolderHandle&) = delete;
    RecoveryFolderHandle& operator=(const RecoveryFolderHandle&) = delete;
    ~RecoveryFolderHandle();

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // The folder as named; empty when no state folder is known.
    const std::string& Path() const { return m_path; }
    // Why it is not open, one sentence naming the folder; empty when it is.
    const std::string& Problem() const { return m_problem; }
    // A path that reaches the file of this name in the folder as opened.
    std::string At(const std::string& name) const;

private:
    RecoveryFolderHandle() = default;
    int m_fd = -1;
    std::string m_path;
    std::string m_problem;
};

// The folder's path when it can be used (see RecoveryFolderHandle); empty otherwise.
std::string RecoveryFolder();
// The copies with this extension ("ccf", "tsf"), newest first. Copies older
// than 30 days, or beyond the newest 20, are removed first, and so are the
// left overs of copies whose writing was killed; a time in the future counts
// as now. The copy of a table open now (bLive: its writer holds it, in this
// instance or another) is listed too, but never removed and never offered.
std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& extension);
// Only the removing, which every new copy does too, so that copies nobody
// restores do not pile up; returns the copies kept, with path, name and time.
std::vector<RecoveryCopy> PruneRecoveryCopies(const std::string& extension);
// Whether a copy with this extension, other than the one named by ownPath
// and not older than 30 days, exists: only the folder's names and times are
// read, so that a menu can ask on every opening.
bool AnyRecoveryCopy(const std::string& extension, const std::string& ownPath);
void RemoveRecoveryCopy(const std::string& imagePath);

// Whether a name is one the program gives the copies of this extension.
bool IsRecoveryCopyName(const std::string& name, const std::string& extension);

// Where a table came from, as a copy records it: the file "Save" writes to,
// by its canonical path and identity, or nothing for a table in no file.
struct RecoverySource
{
    std::string path; // absolute; empty for a new table
    std::optional<FileIdentity> identity;
};
// The ".source" text of a copy of this extension, and the reading of one;
// what cannot be read strictly, or names another kind, reads as unknown
// (source empty).
std::string RecoverySourceText(const RecoverySource& source, const std::string& extension);
void ParseRecoverySource(const std::string& text, const std::string& extension, RecoveryCopy& copy);

// What a restored table may do with the file its copy names.
struct RestoreOrigin
{
    std::string source;                   // the table's file for showing; empty for none
    std::string savePath;                 // where "Save" writes; empty when it must ask
    std::optional<FileIdentity> identity; // of savePath now
};
// "Save" goes back to the copy's file only when its path is absolute, names a
// table of the copy's kind, and the file there is still the one it was when
// the copy was taken; otherwise it asks, so that a restore never overwrites
// another file or newer work.
RestoreOrigin RestoreOriginOf(const RecoveryCopy& copy, TableKind kind);

// Brings back the copy of this name (as listed) while the folder is held:
// its ".source" is read as it is now, and `read` is given a path that reaches
// the image under the folder as checked and what the table may do with its
// file; it returns whether it took the table. A copy taken is removed in the
// same hold: the table is its reader's now. A copy gone since it was listed,
// or a folder that cannot be used, fails with the reason in error.
using RecoveryCopyReader =
    std::function<bool(const std::string& imagePath, const RestoreOrigin& origin, FileError& error)>;
bool RestoreRecoveryCopy(const std::string& name, TableKind kind, const RecoveryCopyReader& read, FileError& error);

// For tests: where an operation holding the folder lets a test try another
// one from a second thread, to show that it waits. Never set in the program.
enum class RecoveryFolderStep
{
    CopiesListed,  // ListRecoveryCopies: pruned, before the copies are read
    RestoreSource, // RestoreRecoveryCopy: the ".source" read, before the image is
};
void SetRecoveryFolderProbe(std::function<void(RecoveryFolderStep step)> probe);

// A whole table image as a copy must be: marker and magic of its kind, and
// exactly the records and size its counts call for.
struct ChannelTableLoadReport;
struct TunerTableLoadReport;
bool IsWholeTableImage(const ChannelTableLoadReport& report);
bool IsWholeTableImage(const TunerTableLoadReport& report);
// The counts of a file that is a whole image of the kind by its header
// (marker and magic) and its size; nothing for any other file. Only the
// header is read, so that listing copies stays quick and a copy whose counts
// call for more than it holds costs no lists.
struct RecoveryImageCounts
{
    std::int64_t iFirst = 0;  // air channels, or tuner entries
    std::int64_t iSecond = 0; // cable channels
};
std::optional<RecoveryImageCounts> WholeImageCounts(const std::string& path, TableKind kind);

// What a person sees of a copy before restoring it: its first rows, read
// from the file's start, never more than the rows need.
struct RecoveryChannelRow
{
    bool bCable = false;
    std::uint32_t iChannel = 0; // 1-based in its list
    double dbFrequency = 0.0;
};
struct RecoveryTunerRow
{
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    double dbLowBandStart = 0.0;
    double dbMidBandStart = 0.0;
    double dbHighBandStart = 0.0;
    double dbHighBandEnd = 0.0;
};
struct RecoveryPreview
{
    bool bWhole = false; // a whole table image of its kind; nothing else is read from another file
    RecoveryImageCounts counts;
    std::vector<RecoveryChannelRow> channels; // the first of the air list, then the first of the cable list
    std::vector<RecoveryTunerRow> tuners;
};
constexpr std::size_t kRecoveryPreviewRows = 16;
// Reads `size` bytes at `offset` of an image into pOut; false when it cannot.
using ImageBytesAt = std::function<bool(std::uint64_t offset, std::size_t size, std::uint8_t* pOut)>;
// The preview of an image of fileSize bytes: at most maxRows rows per list,
// and only of a whole image (by header and size, as WholeImageCounts judges).
RecoveryPreview PreviewOfImage(std::uint64_t fileSize, const ImageBytesAt& readAt, TableKind kind, std::size_t maxRows);
// The preview of the copy of this name (as listed), read while the folder is
// held, under the folder as checked: only a regular file of the program's own
// names, never through a link and never waiting on a FIFO. A copy gone,
// unreadable or damaged has a preview that is not whole.
RecoveryPreview ReadRecoveryPreview(const std::string& name, TableKind kind,
                                    std::size_t maxRows = kRecoveryPreviewRows);

// Moves the copies of these names (as listed) to the desktop's Trash in one
// hold of the folder, but never the one named by ownPath nor any whose
// writer lives: a person discarding what an earlier run left never loses the
// work of an editor open now, in this instance or another. Names the program
// does not give its copies are passed over, and a copy the Trash cannot take
// stays. Returns how many were removed.
std::size_t DiscardRecoveryCopies(const std::vector<std::string>& names, const std::string& extension,
                                  const std::string& ownPath);

// One editor's copy. The image is taken by the caller (on the interface
// thread); the writing happens on a thread of its own, the newest request
// replacing any that has not started yet.
class RecoveryWriter
{
public:
    // Told, on the writer's thread, why a copy could not be written; empty
    // once one was written again.
    using ProblemListener = std::function<void(const std::string& problem)>;

    explicit RecoveryWriter(std::string extension);
    ~RecoveryWriter(); // finishes what was asked
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void SetProblemListener(ProblemListener listener);
    void Write(std::vector<std::uint8_t> image, RecoverySource source);
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
        enum class Kind
        {
            Write,
            Remove,
            LetGo
        };
        Kind kind = Kind::Write;
        std::string name;
        std::vector<std::uint8_t> image;
        RecoverySource source;
    };
    void Run();
    // The problem met, empty when a copy was written; nothing for the others.
    std::optional<std::string> Do(const Job& job);
    // The same, with running out of memory as the problem met.
    std::optional<std::string> DoOrTellWhy(const Job& job);

    std::string m_extension;
    std::string m_name;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_bBusy = false;
    bool m_bStop = false;
    ProblemListener m_problemListener;
    std::string m_lastProblem;
    // The lock of the copy being written, held from before its first image
    // until it is removed or the writer ends; the writer's thread alone uses it.
    void HoldLock(const RecoveryFolderHandle& folder, const std::string& name);
    void ReleaseLock();
    int m_lockFd = -1;
    std::string m_lockedName;
    std::thread m_thread;
};
