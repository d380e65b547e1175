#pragma once
// The tuner specification table: its records in key order as they are added,
// the 12-byte TNSP header and the end mark, read and written as a .tsf file.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "EntryList.h"
#include "EntryRange.h"
#include "FileHeaderImage.h"
#include "FileIO.h"
#include "TunerSpecEntry.h"

// The header exactly as it lies at the start of a .tsf file.
class TunerSpecHeader : public FileHeaderImage<12>
{
public:
    std::int32_t iEntryCount() const;
    void SetEntryCount(std::int32_t i);
};

class TunerSpecTable
{
public:
    static constexpr std::size_t kEndMarkSize = 4;
    // A file is read whole: records are made only while they start inside it,
    // so memory follows the file's size whatever its count claims.
    static constexpr std::size_t kMaxFileSize = static_cast<std::size_t>(-1);

    explicit TunerSpecTable(bool bWithList);
    TunerSpecTable(const TunerSpecTable&) = delete;
    TunerSpecTable& operator=(const TunerSpecTable&) = delete;
    ~TunerSpecTable();

    // 1 when the whole file was written. A table without entries writes the
    // header alone and returns 0 with the error code left 0; a failed write
    // returns 0 with the error filled in.
    int Save(const char* pszPath, FileError* pError = nullptr);
    // 1 when a table was read; 0 without a path (table untouched), when the
    // file cannot be read or when its count is 0.
    int Load(const char* pszPath, FileError* pError = nullptr);

    // Takes the node: places it by TunerSortKey, or frees it when its key is
    // taken, when there is no list or when the walk finds no place.
    void InsertInOrder(TunerSpecNode* pNode);
    // Removes and frees the entry at a 1-based position; 0 outside 1..count.
    int RemoveEntry(std::int32_t iPosition);

    EntryList* GetList() const { return m_pList; }
    // The entries in list order; empty when there is no list.
    EntryRange<TunerSpecNode> Entries() const { return EntryRange<TunerSpecNode>(m_pList); }
    const TunerSpecHeader& Header() const { return m_header; }
    const std::uint8_t* EndMark() const { return m_dwEndMark; }
    // Takes a stored header and end mark as a file held them, for a table that
    // is rebuilt from a description of its file. Nothing is checked; the next
    // Save still stores the list's count as the entry count.
    void SetHeaderImage(const TunerSpecHeader& header, const std::uint8_t (&endMark)[kEndMarkSize]);

    // The file image Save writes for the current list (the header alone when
    // the list is empty); empty when there is no list or the chain is broken.
    std::vector<std::uint8_t> FileImage() const;

private:
    void SetNewTableHeader();

    EntryList* m_pList = nullptr;
    TunerSpecHeader m_header;
    std::uint8_t m_dwEndMark[kEndMarkSize] = {};
};
