#pragma once
// One country's channel plan: the air and cable frequency lists, the 20-byte
// CHFQ header and the end mark, read and written as a .ccf file.

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/FileIO.h"
#include "tables/format/EntryList.h"
#include "tables/format/EntryRange.h"
#include "tables/format/FileHeaderImage.h"
#include "tables/format/ListRecorder.h"
#include "tables/format/NodePool.h"

class LegacyChannelTable;

enum ChannelMode : std::int32_t
{
    ChannelModeNone = -1,
    ChannelModeAir = 0,   // "Antenna"
    ChannelModeCable = 1, // "Cable"
};

// A frequency as its 8 stored bytes, so that a change from one NaN to another
// is still a change.
using FrequencyBits = std::uint64_t;

inline FrequencyBits StoredBits(double dbFrequency)
{
    FrequencyBits bits = 0;
    std::memcpy(&bits, &dbFrequency, sizeof bits);
    return bits;
}

inline double FrequencyOfBits(FrequencyBits bits)
{
    double dbFrequency = 0.0;
    std::memcpy(&dbFrequency, &bits, sizeof dbFrequency);
    return dbFrequency;
}

struct ChannelNode : EntryNode, PoolAllocated<ChannelNode>
{
    double dbFrequency = 0.0;
};

// The header exactly as it lies at the start of a .ccf file.
class ChannelTableHeader : public FileHeaderImage<20>
{
public:
    std::int32_t iCountryCode() const;
    std::uint16_t wAirMax() const;
    std::uint16_t wAirMin() const;
    std::uint16_t wCableMax() const;
    std::uint16_t wCableMin() const;

    void SetCountryCode(std::int32_t i);
    void SetAirMax(std::uint16_t w);
    void SetAirMin(std::uint16_t w);
    void SetCableMax(std::uint16_t w);
    void SetCableMin(std::uint16_t w);
};

// What the last Load found in its file, as the file held it: a check of the
// file judges these, not the lists made from them.
struct ChannelTableLoadReport
{
    ChannelTableHeader header;             // as stored; bytes past the end of the file read as 0
    std::optional<std::uint64_t> fileSize; // a regular file's size; none for a FIFO or a device
    std::uint32_t airRecords = 0;          // frequencies of the stored air count wholly inside the file
    std::uint32_t cableRecords = 0;        // the same for the cable count
    bool bEndMark = false;                 // the end mark lay wholly inside the file

    // The length the stored counts call for: header, both lists, end mark.
    std::uint64_t StatedSize() const;
};

class ChannelTable
{
public:
    // A list cannot hold more channels than the 16-bit count fields can record.
    static constexpr std::int32_t kMaxChannels = 65535;
    // The four bytes between the air and the cable list.
    static constexpr std::size_t kEndMarkSize = 4;
    static constexpr std::size_t kMaxFileSize =
        ChannelTableHeader::kSize + kEndMarkSize + 2 * 8 * static_cast<std::size_t>(kMaxChannels);

    explicit ChannelTable(bool bWithLists);
    ChannelTable(const ChannelTable&) = delete;
    ChannelTable& operator=(const ChannelTable&) = delete;
    ~ChannelTable();

    int Save(const char* pszPath, FileError* pError = nullptr);
    int Load(const char* pszPath, FileError* pError = nullptr, NonRegularFiles nonRegular = NonRegularFiles::Refuse);

    // Every change of a list from now on is told to the recorder (none to
    // stop), the list being the mode; the header's changes are not told.
    void SetRecorder(ListRecorder<FrequencyBits>* pRecorder) { m_pRecorder = pRecorder; }

    int ConvertFromLegacy(const LegacyChannelTable* pLegacy);
    int ConvertList(const EntryList* pLegacyList, EntryList* pChannelList);

    // The list of a mode, read-only: the table changes its lists only through
    // its own commands, which keep the header's range fields in step.
    const EntryList* GetList(std::int32_t iMode) const;
    // The channels of a list in order; empty for a missing list or another mode.
    EntryRange<ChannelNode> Channels(std::int32_t iMode) const { return EntryRange<ChannelNode>(GetList(iMode)); }
    int GetRange(std::int32_t iMode, std::int32_t* piMin, std::int32_t* piMax) const;
    int SetCountryCode(std::int32_t iCode);
    int AppendChannel(std::int32_t iMode, ChannelNode* pNode);
    int InsertChannel(std::int32_t iMode, std::int32_t iChannel, ChannelNode* pNode);
    int DeleteChannel(std::int32_t iMode, std::int32_t iChannel);
    double GetFrequency(std::int32_t iMode, std::int32_t iChannel) const;
    int SetFrequency(std::int32_t iMode, std::int32_t iChannel, double dbFrequency);
    void UpdateRange(std::int32_t iMode);

    // Replaces removeCount channels from the 0-based position iStart with
    // channels made from values, each filled by write(node, value), in one
    // pass. The range fields stay as they are: whoever splices restores them.
    // False, with the list unchanged, for positions outside it or out of memory.
    template <class Value, class Write>
    bool ReplaceChannels(std::int32_t iMode, std::int32_t iStart, std::int32_t removeCount,
                         const std::vector<Value>& values, Write write)
    {
        EntryList* pList = MutableList(iMode);
        if (!pList || iStart < 0 || removeCount < 0 || iStart > pList->iCount - removeCount)
            return false;
        std::vector<FrequencyBits> removed = RecordedBits(iMode, iStart, removeCount);
        if (!ReplaceNodes<ChannelNode>(*pList, iStart, removeCount, values, write))
            return false;
        Record(iMode, iStart, std::move(removed),
               RecordedBits(iMode, iStart, static_cast<std::int32_t>(values.size())));
        return true;
    }

    // Puts recorded values back, as an editor's history undoes or redoes a
    // change of a list: removeCount channels from iStart replaced by channels
    // of these stored values. The range fields stay as they are: the history
    // puts back the header it recorded.
    bool PutBack(std::int32_t iMode, std::int32_t iStart, std::int32_t removeCount,
                 const std::vector<FrequencyBits>& values);

    // Replaces removeCount channels from the 0-based position iStart with
    // channels of these frequencies and then recomputes the list's range once,
    // as the structural edits do. A run replaced by as many channels keeps its
    // nodes and only takes the new frequencies. False, with the list and range
    // unchanged, for positions outside the list, a list that would pass
    // kMaxChannels or out of memory.
    bool ReplaceRun(std::int32_t iMode, std::int32_t iStart, std::int32_t removeCount,
                    const std::vector<double>& frequencies);

    // Appends channels to a list as a description of a file lists them, and
    // then computes the list's range once, as appending them one by one would.
    // Nothing is appended (false) without the list, past kMaxChannels or out
    // of memory.
    bool AppendFrequencies(std::int32_t iMode, const std::vector<double>& frequencies);

    // Deletes the given channels (1-based, ascending, distinct) in one walk and
    // leaves exactly the lists and range fields that deleting them one by one,
    // highest first, with DeleteChannel would leave. Numbers out of range are
    // refused as DeleteChannel refuses them. Returns the number deleted.
    std::int32_t DeleteChannels(std::int32_t iMode, const std::vector<std::int32_t>& channels);

    const ChannelTableHeader& Header() const { return m_header; }
    const std::uint8_t* EndMark() const { return m_dwEndMark; }
    // The file as the last Load read it (empty before any load; after a
    // failed one, what was read before the failure).
    const ChannelTableLoadReport& LastLoad() const { return m_lastLoad; }
    // Takes a stored header and end mark as a file held them, for a table that
    // is rebuilt from a description of its file. Nothing is checked or
    // recomputed; the next Save still stores the list lengths as the counts.
    void SetHeaderImage(const ChannelTableHeader& header, const std::uint8_t (&endMark)[4]);

    // The file image Save writes, for the current lists.
    std::vector<std::uint8_t> FileImage() const;

private:
    int RenewList(std::int32_t iWhich);
    // The values of a run of a list, when a recorder is there to be told.
    std::vector<FrequencyBits> RecordedBits(std::int32_t iMode, std::int32_t iStart, std::int32_t count) const;
    void Record(std::int32_t iMode, std::int32_t iStart, std::vector<FrequencyBits> removed,
                std::vector<FrequencyBits> inserted);
    // Tells the recorder how a command that makes both lists anew (a load, a
    // conversion) changed them: each list as one splice, from its whole
    // values before to its whole values after.
    class WholeListsRecord
    {
    public:
        explicit WholeListsRecord(ChannelTable& table);
        WholeListsRecord(const WholeListsRecord&) = delete;
        WholeListsRecord& operator=(const WholeListsRecord&) = delete;
        ~WholeListsRecord();

    private:
        ChannelTable& m_table;
        std::vector<FrequencyBits> m_before[2];
    };

    EntryList*& ListSlot(std::int32_t iMode);
    EntryList* MutableList(std::int32_t iMode);
    void SetRangeFields(std::int32_t iMode, std::uint16_t wMin, std::uint16_t wMax);

    EntryList* m_pAirList = nullptr;
    EntryList* m_pCableList = nullptr;
    ChannelTableHeader m_header;
    std::uint8_t m_dwEndMark[4] = {0x00, 0x00, 0xFF, 0xFF};
    ChannelTableLoadReport m_lastLoad;
    ListRecorder<FrequencyBits>* m_pRecorder = nullptr;
};

// A table file's country code and frequencies, slot by slot, as Load reads
// them but kept in plain vectors, without the table's nodes: those come from
// a pool that only one thread may use, and this may be read on any thread.
struct ChannelFileFrequencies
{
    std::int32_t iCountry = 0;
    std::vector<double> air;
    std::vector<double> cable;
};
// False, with the reason in pError, when the file cannot be read; a FIFO or
// a device is refused unopened unless asked otherwise, as Load refuses it.
// Running out of memory throws std::bad_alloc.
bool ReadChannelFrequencies(const char* pszPath, ChannelFileFrequencies& out, FileError* pError = nullptr,
                            NonRegularFiles nonRegular = NonRegularFiles::Refuse);
