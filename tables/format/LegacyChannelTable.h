#pragma once
// An old-generation channel plan (.cft), read only, kept as the file holds it:
// the 32-byte header and 16-byte trailer as images, and two lists of 32-bit
// float frequencies that ChannelTable::ConvertFromLegacy turns into a new table.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileIO.h"
#include "tables/format/EntryList.h"
#include "tables/format/EntryRange.h"
#include "tables/format/NodePool.h"

struct LegacyChannelNode : EntryNode, PoolAllocated<LegacyChannelNode>
{
    float fFrequency = 0.0f;
    // The entry's two further words: kept with the entry, interpreted nowhere.
    std::uint16_t wExtra1 = 0;
    std::uint16_t wExtra2 = 0;
};

// What the last Load found in its file, as the file held it: the table takes
// off its trailer's maxima the entries it could not hold, a check of the file
// judges the stored ones.
struct LegacyTableLoadReport
{
    std::uint16_t wAirCount = 0; // the header's section counts
    std::uint16_t wCableCount = 0;
    std::uint16_t wAirMaxCh = 0; // the trailer's maxima as stored
    std::uint16_t wCableMaxCh = 0;
    std::optional<std::uint64_t> fileSize; // a regular file's size; none for a FIFO or a device
    std::uint32_t airRecords = 0;          // entries of the air section wholly inside the file
    std::uint32_t cableRecords = 0;        // the same for the cable section
    bool bTrailer = false;                 // the trailer lay wholly inside the file

    // The length the header's counts call for: header, both sections, trailer.
    std::uint64_t StatedSize() const;
};

class LegacyChannelTable
{
public:
    static constexpr std::size_t kHeaderSize = 32;
    static constexpr std::size_t kTrailerSize = 16;
    static constexpr std::size_t kEntrySize = 8;
    // The furthest byte any read can reach: both sections at their largest
    // 16-bit counts, then the trailer. A trailer maximum above its section's
    // count reads on into the following bytes, but never beyond this.
    static constexpr std::size_t kMaxFileSize = kHeaderSize + kEntrySize * (65535u + 65535u) + kTrailerSize;

    LegacyChannelTable() = default;
    LegacyChannelTable(const LegacyChannelTable&) = delete;
    LegacyChannelTable& operator=(const LegacyChannelTable&) = delete;
    ~LegacyChannelTable();

    int Load(const char* pszPath, FileError* pError = nullptr, NonRegularFiles nonRegular = NonRegularFiles::Refuse);

    // The air list for mode 0, the cable list for mode 1 (ChannelMode), none
    // for any other mode or when the list is absent.
    const EntryList* GetList(std::int32_t iMode) const;
    EntryRange<LegacyChannelNode> Entries(std::int32_t iMode) const
    {
        return EntryRange<LegacyChannelNode>(GetList(iMode));
    }

    std::int32_t iCountryCode() const;
    std::uint16_t wAirCount() const;
    std::uint16_t wCableCount() const;
    std::uint16_t wAirMinCh() const;
    std::uint16_t wAirMaxCh() const;
    std::uint16_t wCableMinCh() const;
    std::uint16_t wCableMaxCh() const;

    const std::uint8_t* HeaderImage() const { return m_header; }
    const std::uint8_t* TrailerImage() const { return m_trailer; }
    // The file as the last Load read it (empty before any load; after a
    // refused or failed one, what was read before it stopped).
    const LegacyTableLoadReport& LastLoad() const { return m_lastLoad; }

private:
    void FreeLists();

    EntryList* m_pAirList = nullptr;
    EntryList* m_pCableList = nullptr;
    std::uint8_t m_header[kHeaderSize] = {};
    std::uint8_t m_trailer[kTrailerSize] = {};
    LegacyTableLoadReport m_lastLoad;
};

// Where the converter writes its result: the path up to and including the
// last "." of its file name, then "ccf". A file name without a dot (even when
// a folder name has one) gets ".ccf" appended to the whole path.
std::string LegacyOutputPath(const std::string& input);
