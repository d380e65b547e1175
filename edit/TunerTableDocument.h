#pragma once
// A tuner specification table being edited, without any widget: the table
// and the rules of the editor's commands, "Add Info" with its checks and its
// two messages among them. What the editor shows and remembers of its rows
// (the entry the row menu acts on, the entry shown) is the editor's.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edit/DocumentHistory.h"
#include "edit/RecoveryStore.h"
#include "edit/TableChanges.h"
#include "platform/FileIO.h"
#include "platform/FileIdentity.h"
#include "tables/format/TunerSpecTable.h"

extern const char* const kCoverageErrorText; // "Channel Coverage input error, try again!"
extern const char* const kBandCodeErrorText; // "Band Code input error, try again!"
// The row menu's "Delete Tuner": its menu item and its undo step.
inline constexpr char kDeleteTunerStepName[] = "Delete Tuner";

// What a person typed and chose for one tuner, as text.
struct TunerInput
{
    std::int32_t iFactory = 0;   // the chosen factory's code
    std::int32_t iTunerType = 0; // the chosen tuner type's code
    std::string lowBandStart, midBandStart, highBandStart, highBandEnd;
    std::string lowCode, midCode, highCode;
    std::string pictureCarrier, pictureCarrier2;
};

struct AddInfoOutcome
{
    // The message to show when the input was refused; empty otherwise.
    std::string message;
    // The entry made from the input, shown even when its key is taken.
    std::optional<TunerSpecEntry> entry;
    bool bAdded = false;
};

struct ReplaceEntryOutcome
{
    // Add Info's message when the input was refused, or the message that no
    // entry has the input's key; empty otherwise.
    std::string message;
    // The entry that took the place of the one with its key.
    std::optional<TunerSpecEntry> entry;
    bool bReplaced = false;
};

// "There is no entry of factory 12, tuner type 07 to replace."
std::string NoEntryToReplaceText(const TunerSpecEntry& entry);

// Add Info's checks of an input, in its order: fills the entry and returns an
// empty text, or returns the message of the first check that fails (the entry
// is then partly filled and of no use).
std::string ReadTunerInput(const TunerInput& input, TunerSpecEntry& entry);

// The codes a row of the table list shows.
struct TunerRow
{
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    // Low, mid and high band start, and the high band's end.
    double dbBandEdges[4] = {};
};

// The entries a tuner table's file image holds, and the codes row iRow
// shows; nothing for a row past them.
std::int32_t TunerRowCount(const std::vector<std::uint8_t>& image);
std::optional<TunerRow> TunerRowOfImage(const std::vector<std::uint8_t>& image, std::int32_t iRow);

enum class TunerLoadResult
{
    Read,       // the file was read and its table replaced the current one
    KeptTable,  // the file could not be read; the current table stays
    EmptyTable, // the file could not be read and there was no table: a new, empty one
};

// Everything of a document that a step records besides the entries.
struct TunerDocumentFields
{
    bool bHasTable = false;
    bool bHasList = false;
    TunerSpecHeader header;
    std::uint8_t endMark[TunerSpecTable::kEndMarkSize] = {};

    bool operator==(const TunerDocumentFields& other) const;
    bool operator!=(const TunerDocumentFields& other) const { return !(*this == other); }
};

using TunerTableChanges = TableChanges<TunerSpecTable, TunerEntryImage>;

struct TunerStep
{
    std::string name;
    TunerDocumentFields before, after;
    TunerTableChanges changes;
    // The step put another table in place (a load, a new table), and the
    // file each of the two tables was tied to.
    bool bReplacesTable = false;
    TiedFile fileBefore, fileAfter;

    std::size_t Bytes() const;
};

class TunerTableDocument : public DocumentHistory<TunerStep>, private ListRecorder<TunerEntryImage>
{
public:
    ~TunerTableDocument();

    const TunerSpecTable* Table() const { return m_pTable.get(); }
    bool HasTable() const { return m_pTable != nullptr; }
    std::vector<TunerRow> Rows() const;
    // The file image saving the table now would write, made once per change
    // of the table and shared by whoever reads it: the list's rows, the status
    // line's check and the findings. Null without a table.
    std::shared_ptr<const std::vector<std::uint8_t>> SharedFileImage() const;
    // The entry at a 0-based row, when there is one.
    std::optional<TunerSpecEntry> EntryAt(std::int32_t iRow) const;

    // Whether the table holds this entry, byte for byte.
    bool Holds(const TunerSpecEntry& entry) const;

    // No table and no history: as the editor opens and after it closes.
    void Reset();
    // "Create New": an empty table replaces the current one.
    bool CreateNew();
    // "Load File": a file that cannot be read keeps the current table, or,
    // with none yet, leaves a new empty one. A file whose count is 0 is read
    // and gives an empty table.
    TunerLoadResult Load(const std::string& path, FileError& error);
    // False with error.code set when the file could not be written; a table
    // without entries writes its header alone and is not an error.
    bool Save(const std::string& path, FileError& error);

    // "Add Info": the four band edges must read as numbers greater than 0, the
    // three band codes must be exactly four hexadecimal digits, the first
    // picture carrier must be greater than 0; the first check that fails
    // refuses the entry with its message. A second picture carrier that is not
    // greater than 0 is stored as 0. The entry then goes in key order unless
    // its key is taken.
    AddInfoOutcome AddInfo(const TunerInput& input);
    // "Replace Entry": the input is checked as "Add Info" checks it, with the
    // same messages, and its entry takes the place of the entry with the same
    // key, as one step. When no entry has that key, a message says so and
    // nothing changes. Without a table, nothing happens and nothing is said.
    ReplaceEntryOutcome ReplaceEntry(const TunerInput& input);
    // "Delete Tuner": removes the entry at a 1-based position; positions
    // outside 1..count (no row selected at the right click) do nothing.
    bool DeleteTuner(std::int32_t iPosition);
    // A recovery copy taken back: read as a load, but the table is unsaved and
    // comes from the source the copy names.
    // A copy that is not a whole table image is refused. "Save" writes to the
    // origin's save path, or asks when it has none.
    bool Restore(const std::string& path, const RestoreOrigin& origin, FileError& error);
    // The file the table was loaded from; empty for a new table.
    const std::string& Source() const { return m_source; }
    // The file "Save" writes to: the one the table was loaded from or last
    // saved to; empty when "Save" must ask. Undoing or redoing a step that
    // put another table in place ties the table it brings back to its own
    // file again.
    const std::string& SavePath() const { return m_saveFile.Path(); }
    // That file with its canonical path and identity as it was when the table
    // was last read from or written to it, for the recovery copy to record.
    const TiedFile& SaveFile() const { return m_saveFile; }

    // ---- Import (edit/TunerTableDocumentTransfer.cpp; the files and their
    // formats are edit/TableTransfer.h) ----
    // A table read from a JSON document takes the place of the current one as
    // a successful "Load File" does, one step that undo takes back; but it
    // comes from no table file: Source() is empty and it is unsaved. False,
    // with nothing changed, for no table or one without a list.
    bool Import(std::unique_ptr<TunerSpecTable> pTable);
    // ---- end of Import ----

    [[nodiscard]] StepScope BeginStep(std::string name);
    // The table differs from what was last loaded, saved or newly created.
    bool Modified() const { return m_pTable && !m_history.AtSaved(); }

private:
    struct PendingStep
    {
        std::string name;
        TunerDocumentFields fields;
        TiedFile file;
        TunerTableChanges changes;
    };
    // Every change of the table's list, kept for the step being made.
    void Spliced(ListSplice<TunerEntryImage> splice) override;
    // Another table (or none) takes the current one's place, as a step.
    void PutTable(std::unique_ptr<TunerSpecTable> pTable);

    TunerLoadResult LoadTable(const std::string& path, FileError& error);
    std::optional<TunerStep> MakeStep() override;
    bool ApplyStep(TunerStep& step, bool bForward) override;
    void StepApplied(const TunerStep& step) override;
    // The 0-based position of the first entry with this key; -1 for none.
    std::int32_t PositionOfKey(std::int32_t iKey) const;
    TunerDocumentFields Fields() const;

    std::unique_ptr<TunerSpecTable> m_pTable;
    PendingStep m_pending;
    // SharedFileImage's, dropped at every change of the table.
    mutable std::shared_ptr<const std::vector<std::uint8_t>> m_pImage;
    std::string m_source;
    TiedFile m_saveFile;
};

// Exactly four hexadecimal digits, the first the most significant.
bool ParseBandCode(const std::string& text, std::uint16_t& wCode);
