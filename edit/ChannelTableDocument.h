#pragma once
// A channel table being edited, without any widget: the table, the list being
// worked on (the mode) and how the table came to be (its origin), with every
// rule of the editor's commands. A view shows the document and refreshes
// what each command reports as changed; which channels its clicks chose and
// what its displays show are the view's own.

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
#include "tables/analysis/FrequencySteps.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/ListRecorder.h"

// The row menu's own commands: each one's undo step and its menu item.
namespace ChannelCommandName {
inline constexpr char kInsertBlankItem[] = "Insert Blank Item";
inline constexpr char kDeleteItem[] = "Delete Item";
// A frequency typed into its cell of the list.
inline constexpr char kEditFrequency[] = "Edit Frequency";
// Channels of a table compared with this one taken into it.
inline constexpr char kCopyToThisTable[] = "Copy to This Table";
} // namespace ChannelCommandName

// The names of the bulk edits of chosen channels: each one's undo step, and
// in the editor its menu item and the title of the form it asks with.
namespace BulkEditName {
inline constexpr char kMoveUp[] = "Move Up";
inline constexpr char kMoveDown[] = "Move Down";
inline constexpr char kMoveToChannel[] = "Move to Channel";
inline constexpr char kOffsetFrequencies[] = "Offset Frequencies";
inline constexpr char kClearToEmptySlot[] = "Clear to Empty Slot";
inline constexpr char kSortByFrequency[] = "Sort Selection by Frequency";
inline constexpr char kFillRaster[] = "Fill Raster";
inline constexpr char kRoundFrequencies[] = "Round Frequencies";
inline constexpr char kFillDown[] = "Fill Down";
inline constexpr char kFillSeries[] = "Fill Series";
inline constexpr char kFindAndReplace[] = "Find and Replace";
} // namespace BulkEditName

// Where Fill Raster puts its channels, as its form offers it and its undo
// step names it: "before channel 13", or "at the end" for 0.
std::string FillRasterPlace(std::int32_t beforeChannel);

// How the table came to be.
enum TableOrigin : std::int32_t
{
    TableOriginNone = 7,     // no table made since the editor opened
    TableOriginCreated = 11, // made by "Create New"
    TableOriginLoaded = 13,  // made by "LoadFromFile"
};

struct ChannelRange
{
    std::int32_t iMin = 0;
    std::int32_t iMax = 0;
};

// Everything of a document that a step records besides the lists.
struct ChannelDocumentFields
{
    bool bHasTable = false;
    ChannelTableHeader header;
    std::uint8_t endMark[4] = {};
    std::int32_t iOrigin = TableOriginNone;

    bool operator==(const ChannelDocumentFields& other) const;
    bool operator!=(const ChannelDocumentFields& other) const { return !(*this == other); }
};

using ChannelSplice = ListSplice<FrequencyBits>;
// The values of each list as a table holds them, kept beside it so that
// reading a list walks no node (long lists' nodes lie scattered in memory);
// none for a list not read since the table came into place.
struct ChannelListValues
{
    std::optional<std::vector<FrequencyBits>> lists[2];
};
using ChannelTableChanges = TableChanges<ChannelTable, FrequencyBits, ChannelListValues>;

struct ChannelStep
{
    std::string name;
    ChannelDocumentFields before, after;
    ChannelTableChanges changes;
    // The step put another table in place (a load, a fresh table), and the
    // file each of the two tables was tied to: undo and redo tie the table
    // they bring back to its own file again.
    bool bReplacesTable = false;
    TiedFile fileBefore, fileAfter;

    std::size_t Bytes() const;
};

class ChannelTableDocument : public DocumentHistory<ChannelStep>, private ListRecorder<FrequencyBits>
{
public:
    ~ChannelTableDocument();

    const ChannelTable* Table() const { return m_pTable.get(); }
    // The file image saving the table now would write, made anew at each
    // call (a channel table's is at most 1 MB), shared with the status line's
    // worker as the tuner document's is. Null without a table.
    std::shared_ptr<const std::vector<std::uint8_t>> SharedFileImage() const
    {
        return m_pTable ? std::make_shared<const std::vector<std::uint8_t>>(m_pTable->FileImage()) : nullptr;
    }
    bool HasTable() const { return m_pTable != nullptr; }
    std::int32_t Mode() const { return m_iMode; }
    std::int32_t Origin() const { return m_iTableOrigin; }

    // Counts the changes of which list is shown or of its length (another
    // table, another mode, channels added or removed, undo and redo of
    // such): while it stays, channel n is still the n-th of the same list,
    // so a display of channel n need only show its value again.
    std::uint64_t ListShape() const { return m_listShape; }
    // Counts every change that may have changed a list's values, so that a
    // view walks a list again only when this moved.
    std::uint64_t ListVersion() const { return m_listVersion; }

    // The frequencies of the current list, in channel order.
    std::vector<double> CurrentFrequencies() const;
    // The stored values of a list of the table in place, kept from the
    // table's splices, so that a view reads them without walking the list;
    // empty without a table or for another mode.
    const std::vector<FrequencyBits>& StoredList(std::int32_t iMode) const;
    // How many channels the current list holds, without copying it.
    std::int32_t CurrentCount() const;
    double Frequency(std::int32_t iChannel) const;
    // The channel of the current list whose frequency lies nearest to this one,
    // the lowest of equals; 0 when no channel has a frequency (empty slots and
    // values that are not above 0 are skipped).
    std::int32_t NearestChannel(double dbFrequency) const;
    // The stored range of a list; {0, 0} without a table or for another mode.
    ChannelRange Range(std::int32_t iMode) const;
    std::int32_t CountryCode() const;

    // Air for 0, cable for 1, none for any other value but a negative one,
    // which is ignored. Undo and redo keep the list shown, but for a step
    // that changed only the other list, which is then shown.
    void SetMode(std::int32_t iMode);

    // "Create New": a loaded table is dropped, a created one is kept with its
    // channels and country code; the origin becomes Created. False only when
    // no table could be made.
    bool CreateNew();
    // "LoadFromFile": the file is read into a table of its own, which takes
    // the place of the current one only when it loaded; a failed load leaves
    // the table, its origin and the mode as they were.
    bool Load(const std::string& path, FileError& error);
    bool Save(const std::string& path, FileError& error);
    // "New from Plan...": a new table in place of the current one, with the
    // origin "Create New" gives, whose current list (air when no list is
    // chosen yet) holds the plan's channels at their positions. False, with
    // the table as it was, when the plan does not fit a list.
    bool NewFromPlan(const ChannelPlan& plan);
    // The same for a plan of a listing, whose channels are read now. False,
    // with the table as it was and the problem, when they cannot be read: the
    // file is gone or changed since it was listed.
    bool NewFromPlan(const ListedPlan& plan, PlanProblem& problem);
    // The same for a country: its broadcast plan fills the air list, its
    // cable plan the cable list (either may be missing) and its calling code
    // is the country code; the air list is shown. False, with the table as it
    // was, when a plan the country names is not in the library or cannot be
    // read (with the problem when pProblem is given).
    bool NewFromCountry(const CountryPlans& country, const PlanLibrary& library, PlanProblem* pProblem = nullptr);
    // "Fill This List" of the chooser: the list shown (air when none is
    // chosen yet) replaced by a plan's channels at their positions, as one
    // step; the other list, the country code and the file stay. False, with
    // nothing changed, without a table, or with the problem when the plan's
    // channels cannot be read.
    bool FillListFromPlan(const ListedPlan& plan, PlanProblem& problem);
    // Starts a fresh editing session: no table, origin None, no mode.
    void Reset();

    // The channel commands act on the current list; each returns whether the
    // table took the change. Appending, inserting and deleting recompute the
    // list's range; overwriting a frequency does not.
    bool Append(double dbFrequency);
    bool SetFrequency(std::int32_t iChannel, double dbFrequency);
    // The same change, typed into the channel's cell of the list: a step of its own name.
    bool EditFrequency(std::int32_t iChannel, double dbFrequency);
    bool InsertBlank(std::int32_t iChannel);
    bool Delete(std::int32_t iChannel);
    // Channels 1-based, ascending and distinct: the lists and ranges end as
    // deleting them one by one from the highest would leave them.
    std::int32_t DeleteMany(const std::vector<std::int32_t>& channels);
    // Codes of 0 or less are refused by the table.
    bool SetCountryCode(std::int32_t iCode);
    // A recovery copy taken back: read as a load, but the table is unsaved and
    // comes from the source the copy names.
    // A copy that is not a whole table image is refused. "Save" writes to the
    // origin's save path, or asks when it has none.
    bool Restore(const std::string& path, const RestoreOrigin& origin, FileError& error);
    // The file the table was loaded from; empty for a new table.
    const std::string& Source() const { return m_source; }
    // The file "Save" writes to: the one the table was loaded from or last
    // saved to; empty when "Save" must ask. Undoing or redoing a step that
    // put another table in place ties the table it brings back to that
    // table's own file again, so that no table is ever written over the
    // file of another.
    const std::string& SavePath() const { return m_saveFile.Path(); }
    // That file with its canonical path and identity as it was when the table
    // was last read from or written to it, for the recovery copy to record.
    const TiedFile& SaveFile() const { return m_saveFile; }

    // ---- Import (edit/ChannelTableDocumentTransfer.cpp; the files and their
    // formats are edit/TableTransfer.h) ----
    // A table read from a JSON document takes the place of the current one as
    // a successful "LoadFromFile" does (origin Loaded, the air list shown),
    // one step that undo takes back; but it comes from no table file: Source()
    // is empty, so that "SaveToFile" asks for a name, and it is unsaved.
    // False, with nothing changed, without a table or for one without both lists.
    bool Import(std::unique_ptr<ChannelTable> pTable);
    // The list of a mode (air or cable) replaced by the given frequencies, one
    // step; its range comes out as appending them one by one to an empty list
    // computes it. False, with nothing changed, without a table, for another
    // mode, for more than 65,535 channels or out of memory.
    bool ReplaceList(std::int32_t iMode, const std::vector<double>& frequencies);
    // ---- end of Import ----

    // Every change made while a scope is open is one step; a named scope is
    // a command's, an unnamed one joins commands into one step named after
    // the first. (A view that only wants its listeners told once holds the
    // announcements instead.)
    [[nodiscard]] StepScope BeginStep(std::string name);

    // The table differs from what was last loaded, saved or newly created.
    bool Modified() const { return m_pTable && !m_history.AtSaved(); }

private:
    // A new table whose current list holds a plan's positions.
    bool NewFromPositions(const std::vector<double>& positions);
    // ReplaceList as a step of this name.
    bool ReplaceListAs(const char* pszStep, std::int32_t iMode, const std::vector<double>& frequencies);
    // Takes a table made from plans as "Create New" takes a new one.
    void TakeNewTable(std::unique_ptr<ChannelTable> pTable, std::int32_t iMode);
    void ScopeEnding() override;
    struct PendingStep
    {
        std::string name;
        ChannelDocumentFields fields;
        TiedFile file;
        ChannelTableChanges changes;
    };
    // What a command's scope began from, to learn whether the edit target
    // still names the same channel at its end.
    struct ScopeMark
    {
        const ChannelTable* pTable = nullptr;
        std::int32_t iMode = ChannelModeNone;
        std::int32_t iCount = 0;
    };
    ScopeMark MarkScope() const;
    // Counts a change of the list shown or of its length since the mark.
    void NoteListShape(const ScopeMark& before);

    // bWholeImageOnly: a recovery copy, refused unless it is a whole table image.
    bool LoadTable(const std::string& path, FileError& error, bool bWholeImageOnly = false);
    // The step a finished command makes; none when it changed nothing.
    std::optional<ChannelStep> MakeStep() override;
    ChannelDocumentFields Fields() const;
    // The values of a list (empty for none), from ListValues.
    std::vector<FrequencyBits> ListBits(std::int32_t iMode) const;
    // The values of each list of the table in place, kept from the splices
    // the table tells and the history applies; a list is walked once when
    // first read after a new table came into place. A step that holds a
    // table holds its values with it.
    const std::vector<FrequencyBits>& ListValues(std::int32_t iMode) const;
    void ApplyToListValues(const ChannelSplice& splice, bool bForward);
    void ForgetListValues();
    mutable ChannelListValues m_listValues;
    // Every change of the table's lists, kept for the step being made.
    void Spliced(ChannelSplice splice) override;
    // Whether a list is shown, which the channel commands act on.
    bool ShowsList() const;
    bool ApplyStep(ChannelStep& step, bool bForward) override;
    void StepApplied(const ChannelStep& step) override;
    // The list shown as an undo or redo found it.
    ScopeMark m_beforeApplied;
    // Another table takes the current one's place: see PutTable in the .cpp.
    void PutTable(std::unique_ptr<ChannelTable> pTable);

    PendingStep m_pending;
    // What each open scope began from, innermost last.
    std::vector<ScopeMark> m_scopes;
    std::string m_source;
    TiedFile m_saveFile;

    std::unique_ptr<ChannelTable> m_pTable;
    std::int32_t m_iMode = ChannelModeNone;
    std::int32_t m_iTableOrigin = TableOriginNone;
    std::uint64_t m_listShape = 0;
    std::uint64_t m_listVersion = 0;

    // ---- Bulk edits of the chosen channels (ChannelTableDocumentBulk.cpp) ----
    // Each works on the given channels of the current list, 1-based, ascending
    // and distinct, each one in the list (anything else is refused and changes
    // nothing); each is one step named after its command and recomputes the
    // list's range once at its end, as inserting and deleting compute it.
public:
    // The chosen channels move by one as a block: each run of them past the
    // channel in front of it (up) or behind it (down). A choice that touches
    // the list's edge in that direction moves nothing. Returns where the
    // chosen channels are afterwards; empty when nothing moved.
    std::vector<std::int32_t> MoveUp(const std::vector<std::int32_t>& channels);
    std::vector<std::int32_t> MoveDown(const std::vector<std::int32_t>& channels);
    // The chosen channels, in their order, taken out and put back so that the
    // first lands at iTarget (1 to the number of channels not chosen, + 1).
    // Returns their channels afterwards; empty when refused.
    std::vector<std::int32_t> MoveToChannel(const std::vector<std::int32_t>& channels, std::int32_t iTarget);
    // dbOffset is added to every chosen frequency that is not 0; empty slots
    // stay empty.
    bool OffsetFrequencies(const std::vector<std::int32_t>& channels, double dbOffset);
    // Each chosen frequency rounded to the step (RoundedToStep of
    // tables/analysis/FrequencySteps.h): empty slots, NaN and infinities stay as they
    // are, and no channel becomes an empty slot.
    bool RoundFrequencies(const std::vector<std::int32_t>& channels, FrequencyStep rasterStep);
    // The chosen channels become empty slots (0 MHz) where they are.
    bool ClearToEmptySlot(const std::vector<std::int32_t>& channels);
    // The chosen channels' frequencies in ascending order over the chosen
    // positions; empty slots (not above 0) last, in the order they had.
    bool SortByFrequency(const std::vector<std::int32_t>& channels);
    // The first chosen channel's frequency, an empty slot too, written into
    // every other chosen channel, as a spreadsheet fills down.
    bool FillDown(const std::vector<std::int32_t>& channels);
    // The chosen channels, in their order, become dbStart, dbStart + dbStep,
    // ...: the n-th is dbStart + n * dbStep, so no error builds up.
    bool FillSeries(const std::vector<std::int32_t>& channels, double dbStart, double dbStep);
    // Find and Replace: every channel of the list shown, or of both lists,
    // whose frequency lies from dbLow to dbHigh becomes dbBy. Each edge is
    // widened by kReplaceSlack, so that a value typed to the kHz finds the one
    // stored; empty slots (not above 0) are never found. One step, which
    // recomputes the ranges as the bulk edits do. Returns how many channels
    // changed; 0 changes nothing and makes no step.
    static constexpr double kReplaceSlack = 0.0005;
    std::int32_t ReplaceFrequencies(double dbLow, double dbHigh, double dbBy, bool bBothLists);
    // Copy to This Table: each chosen channel (list, 1-based channel) takes
    // what the other table holds at its place, and with bCountryCode the
    // country code comes too; one step. A place past the list's end lengthens
    // the list, the places between that were not chosen becoming empty slots.
    // A chosen place the other table does not hold is cut where it ends the
    // list, and becomes an empty slot elsewhere, so that no other channel
    // changes its number. The ranges are recomputed as the bulk edits do.
    // Returns how many places changed; 0 changes nothing and makes no step.
    struct ChannelPlace
    {
        std::int32_t iList = ChannelModeAir;
        std::int32_t iChannel = 0;
    };
    std::int32_t CopyFromTable(const ChannelTable& other, const std::vector<ChannelPlace>& chosen, bool bCountryCode);
    // count channels dbStart, dbStart + dbStep, ...: appended when no channel
    // is given, else inserted at the first one given. Refused whole when count
    // is below 1 or the list would pass ChannelTable::kMaxChannels. Returns
    // the new channels; empty when refused.
    std::vector<std::int32_t> FillRaster(const std::vector<std::int32_t>& channels, double dbStart, double dbStep,
                                         std::int32_t count);

private:
    // The current list, for a bulk command to work on; false when no table is
    // there or the channels are not valid for it.
    bool BulkListBefore(const std::vector<std::int32_t>& channels, std::vector<FrequencyBits>& before) const;
    // Puts a list worked out from BulkListBefore in place: only the run that
    // differs is written into the table, and the range is recomputed.
    bool PutBulkList(const std::vector<FrequencyBits>& before, const std::vector<FrequencyBits>& after);
    bool PutBulkList(std::int32_t iMode, const std::vector<FrequencyBits>& before,
                     const std::vector<FrequencyBits>& after);
    // ---- end of the bulk edits ----

    // ---- Paste (edit/ChannelTableDocumentClipboard.cpp) ----
public:
    // The frequencies as new channels of the current list, the first taking
    // channel iBefore (1 to the count + 1, which appends): one step named
    // kPasteStepName. Refused whole, with nothing changed, without a table,
    // for no frequencies, for a channel out of that range or when the list would pass
    // ChannelTable::kMaxChannels. Returns the new channels; empty when refused.
    // pszStep names the step another way ("Paste at End").
    static constexpr const char* kPasteStepName = "Paste";
    static constexpr const char* kPasteAtEndStepName = "Paste at End";
    std::vector<std::int32_t> PasteChannels(std::int32_t iBefore, const std::vector<double>& frequencies,
                                            const char* pszStep = kPasteStepName);
    // ---- end of Paste ----
};
