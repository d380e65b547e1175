#pragma once
// The tuner specification table: its records in key order as they are added,
// the 12-byte TNSP header and the end mark, read and written as a .tsf file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/FileIO.h"
#include "tables/format/EntryList.h"
#include "tables/format/EntryRange.h"
#include "tables/format/FileHeaderImage.h"
#include "tables/format/ListRecorder.h"
#include "tables/format/TunerSpecEntry.h"

// One entry as its 64 stored bytes.
using TunerEntryImage = std::array<std::uint8_t, TunerSpecEntry::kSize>;

// The header exactly as it lies at the start of a .tsf file.
class TunerSpecHeader : public FileHeaderImage<12>
{
public:
    std::int32_t iEntryCount() const;
    void SetEntryCount(std::int32_t i);
};

// What the last Load found in its file, as the file held it. The table lowers
// its count to the records it made; a check of the file judges the count the
// file states.
struct TunerTableLoadReport
{
    TunerSpecHeader header;                // as stored; bytes past the end of the file read as 0
    std::optional<std::uint64_t> fileSize; // a regular file's size; none for a FIFO or a device
    std::int32_t iRecords = 0;             // records of the stored count wholly inside the file
    // The end mark lay wholly inside the file: after the stated records, or
    // right after the header for a negative count. A count of 0 reads the
    // header alone, so no end mark is ever seen then.
    bool bEndMark = false;
    // For a count of 0: the four bytes that follow the header, when the file
    // holds them. The table does not read them; a tool that reports or copies
    // the file does.
    std::optional<std::array<std::uint8_t, 4>> unreadEndMark;
};

class TunerSpecTable
{
public:
    static constexpr std::size_t kEndMarkSize = 4;
    // The largest table the program accepts: a file that holds more records is
    // refused when it is loaded, and a larger table is never saved. 100,000
    // records are 6.4 MB of file and about 9 MB of nodes; the 16-bit BCD codes
    // of the catalogue allow about a hundredth of that.
    static constexpr std::int32_t kMaxEntries = 100000;
    // A file is read only as far as its count reaches, and never beyond the
    // records of the largest table. A count above that table is refused, so a
    // count can make at most kMaxEntries entries, the ones the file does not
    // hold all-zero.
    static constexpr std::size_t kMaxFileSize =
        TunerSpecHeader::kSize + TunerSpecEntry::kSize * static_cast<std::size_t>(kMaxEntries) + kEndMarkSize;

    explicit TunerSpecTable(bool bWithList);
    TunerSpecTable(const TunerSpecTable&) = delete;
    TunerSpecTable& operator=(const TunerSpecTable&) = delete;
    ~TunerSpecTable();

    // 1 when the whole file was written. A table without entries writes the
    // header alone and returns 0 with the error code left 0; a failed write,
    // or a table of more than kMaxEntries, returns 0 with the error filled in.
    int Save(const char* pszPath, FileError* pError = nullptr);
    // 1 when a table was read; 0 without a path (table untouched), when the
    // file cannot be read, when it holds more than kMaxEntries records (EFBIG)
    // or when its count is 0.
    // With pFileImage, the bytes read are handed back there when they are the
    // table's FileImage() as loaded (a whole table with entries, nothing past
    // its end mark), and it is left empty otherwise: an editor that needs the
    // image at once takes these bytes instead of making 6.4 MB again.
    int Load(const char* pszPath, FileError* pError = nullptr, NonRegularFiles nonRegular = NonRegularFiles::Refuse,
             std::vector<std::uint8_t>* pFileImage = nullptr);

    // Takes the node: places it by TunerSortKey, or frees it when its key is
    // taken, when there is no list or when the walk finds no place.
    void InsertInOrder(TunerSpecNode* pNode);
    // Removes and frees the entry at a 1-based position; 0 outside 1..count.
    int RemoveEntry(std::int32_t iPosition);

    // Appends entries in the order given, as a file lists them: no sorting, and
    // a repeated key stays, so that a table rebuilt from a description of its
    // file writes that file again. False, with nothing appended, without a
    // list or out of memory.
    bool AppendEntries(const std::vector<TunerSpecEntry>& entries);

    // Replaces removeCount entries from the 0-based position iStart with
    // entries made from values, each filled by write(node, value), in list
    // order and without sorting. The header stays as it is. False, with the
    // list unchanged, for positions outside it or out of memory.
    template <class Value, class Write>
    bool ReplaceEntries(std::int32_t iStart, std::int32_t removeCount, const std::vector<Value>& values, Write write)
    {
        if (!m_pList || iStart < 0 || removeCount < 0 || iStart > m_pList->iCount - removeCount)
            return false;
        std::vector<TunerEntryImage> removed = RecordedImages(iStart, removeCount);
        if (!ReplaceNodes<TunerSpecNode>(*m_pList, iStart, removeCount, values, write))
            return false;
        Record(iStart, std::move(removed), RecordedImages(iStart, static_cast<std::int32_t>(values.size())));
        return true;
    }
    // Puts recorded entries back, as an editor's history undoes or redoes a
    // change of the list (iList is always 0); the header stays as it is.
    bool PutBack(std::int32_t iList, std::int32_t iStart, std::int32_t removeCount,
                 const std::vector<TunerEntryImage>& values);

    // Every change of the list from now on is told to the recorder (none to
    // stop); the header's changes are not told.
    void SetRecorder(ListRecorder<TunerEntryImage>* pRecorder) { m_pRecorder = pRecorder; }

    // The list, read-only: the table changes it only through its own commands.
    const EntryList* GetList() const { return m_pList; }
    // The entry at a 0-based position in list order; none outside the list.
    const TunerSpecEntry* EntryAt(std::int32_t iPosition) const;
    // The entries in list order; empty when there is no list.
    EntryRange<TunerSpecNode> Entries() const { return EntryRange<TunerSpecNode>(m_pList); }
    const TunerSpecHeader& Header() const { return m_header; }
    const std::uint8_t* EndMark() const { return m_dwEndMark; }
    // The file as the last Load read it (empty before any load; after a
    // failed one, what was read before the failure).
    const TunerTableLoadReport& LastLoad() const { return m_lastLoad; }
    // A table built from a description of a file rather than read from one
    // records the bytes that file held after an empty header.
    void SetUnreadEndMark(const std::array<std::uint8_t, kEndMarkSize>& bytes) { m_lastLoad.unreadEndMark = bytes; }
    // Takes a stored header and end mark as a file held them, for a table that
    // is rebuilt from a description of its file. Nothing is checked; the next
    // Save still stores the list's count as the entry count.
    void SetHeaderImage(const TunerSpecHeader& header, const std::uint8_t (&endMark)[kEndMarkSize]);

    // The file image Save writes for the current list (the header alone when
    // the list is empty); empty when there is no list or the chain is broken.
    std::vector<std::uint8_t> FileImage() const;

private:
    void SetNewTableHeader();
    // The images of a run of the list, when a recorder is there to be told.
    std::vector<TunerEntryImage> RecordedImages(std::int32_t iStart, std::int32_t count) const;
    void Record(std::int32_t iStart, std::vector<TunerEntryImage> removed, std::vector<TunerEntryImage> inserted);
    std::int32_t Count() const { return m_pList ? m_pList->iCount : 0; }
    // Links the node into the list by its key: its 0-based position, or -1
    // (the node not linked) when the key is taken.
    std::int32_t PlaceInOrder(TunerSpecNode* pNode);

    EntryList* m_pList = nullptr;
    TunerSpecHeader m_header;
    std::uint8_t m_dwEndMark[kEndMarkSize] = {};
    TunerTableLoadReport m_lastLoad;
    ListRecorder<TunerEntryImage>* m_pRecorder = nullptr;
};
