#include "tables/format/LegacyChannelTable.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"

namespace {

constexpr std::size_t kOffCountry = 4;
constexpr std::size_t kOffAirCount = 24;
constexpr std::size_t kOffCableCount = 26;
constexpr std::size_t kOffAirMinCh = 0;
constexpr std::size_t kOffAirMaxCh = 2;
constexpr std::size_t kOffCableMinCh = 4;
constexpr std::size_t kOffCableMaxCh = 6;

// One entry as the file stores it.
struct LegacyEntry
{
    float fFrequency;
    std::uint16_t wExtra1;
    std::uint16_t wExtra2;
};

LegacyEntry DecodeEntry(const std::uint8_t* pRecord)
{
    return {le::ReadF32(pRecord), le::ReadU16(pRecord + 4), le::ReadU16(pRecord + 6)};
}

// Reads wCount entries from the source into the list. An entry whose node
// cannot be made is still consumed, so the rest stays in step; the returned
// number of such entries is taken off the trailer's maximum.
bool ReadEntries(ByteSource& source, EntryList* pList, std::uint16_t wCount)
{
    const std::uint64_t at = source.Position();
    // Entries that lie wholly inside the file are decoded in place.
    const std::uint8_t* pRecords = source.Peek(LegacyChannelTable::kEntrySize * wCount);
    const auto entryAt = [&source, pRecords, at](std::size_t i) {
        if (pRecords) {
            // Making the nodes of the first list pushes the second list's
            // bytes out of the cache: the bytes ahead are asked for early.
            __builtin_prefetch(pRecords + LegacyChannelTable::kEntrySize * i + 2048);
            return DecodeEntry(pRecords + LegacyChannelTable::kEntrySize * i);
        }
        std::uint8_t record[LegacyChannelTable::kEntrySize];
        source.SeekTo(at + LegacyChannelTable::kEntrySize * static_cast<std::uint64_t>(i));
        source.Read(record, sizeof record);
        return DecodeEntry(record);
    };
    EntryList::Appender append(*pList);
    const bool bMade =
        AppendNewNodes<LegacyChannelNode>(append, wCount, entryAt, [](LegacyChannelNode& node, LegacyEntry entry) {
            node.fFrequency = entry.fFrequency;
            node.wExtra1 = entry.wExtra1;
            node.wExtra2 = entry.wExtra2;
        });
    source.SeekTo(at + LegacyChannelTable::kEntrySize * static_cast<std::uint64_t>(wCount));
    return bMade;
}

} // namespace

std::uint64_t LegacyTableLoadReport::StatedSize() const
{
    return LegacyChannelTable::kHeaderSize + LegacyChannelTable::kTrailerSize +
           LegacyChannelTable::kEntrySize * (static_cast<std::uint64_t>(wAirCount) + wCableCount);
}

LegacyChannelTable::~LegacyChannelTable()
{
    FreeLists();
}

void LegacyChannelTable::FreeLists()
{
    delete m_pAirList;
    delete m_pCableList;
    m_pAirList = nullptr;
    m_pCableList = nullptr;
}

const EntryList* LegacyChannelTable::GetList(std::int32_t iMode) const
{
    if (iMode == ChannelModeAir)
        return m_pAirList;
    if (iMode == ChannelModeCable)
        return m_pCableList;
    return nullptr;
}

std::int32_t LegacyChannelTable::iCountryCode() const
{
    return le::ReadI32(m_header + kOffCountry);
}
std::uint16_t LegacyChannelTable::wAirCount() const
{
    return le::ReadU16(m_header + kOffAirCount);
}
std::uint16_t LegacyChannelTable::wCableCount() const
{
    return le::ReadU16(m_header + kOffCableCount);
}
std::uint16_t LegacyChannelTable::wAirMinCh() const
{
    return le::ReadU16(m_trailer + kOffAirMinCh);
}
std::uint16_t LegacyChannelTable::wAirMaxCh() const
{
    return le::ReadU16(m_trailer + kOffAirMaxCh);
}
std::uint16_t LegacyChannelTable::wCableMinCh() const
{
    return le::ReadU16(m_trailer + kOffCableMinCh);
}
std::uint16_t LegacyChannelTable::wCableMaxCh() const
{
    return le::ReadU16(m_trailer + kOffCableMaxCh);
}

int LegacyChannelTable::Load(const char* pszPath, FileError* pError, NonRegularFiles nonRegular)
{
    if (!pszPath) {
        if (pError)
            pError->Set(EINVAL);
        return 0;
    }
    // Lists of an earlier load never survive next to a new header: a refused
    // file leaves the table without lists, so it cannot be converted.
    FreeLists();
    for (auto& b : m_header)
        b = 0;
    for (auto& b : m_trailer)
        b = 0;

    // The header's counts locate the trailer, and the trailer's maxima say how
    // far the entries reach: the file is read that far and no further.
    std::vector<std::uint8_t> bytes;
    FileReader reader;
    const auto readFailed = [this] {
        for (auto& b : m_header)
            b = 0;
        for (auto& b : m_trailer)
            b = 0;
        return 0;
    };
    m_lastLoad = LegacyTableLoadReport();
    if (!reader.Open(pszPath, nonRegular, pError))
        return 0;
    m_lastLoad.fileSize = reader.RegularFileSize();
    if (!reader.ReadUpTo(bytes, kHeaderSize, pError))
        return 0;
    ByteSource source(bytes);
    source.Read(m_header, kHeaderSize);
    const std::uint16_t wAir = wAirCount();
    const std::uint16_t wCable = wCableCount();
    m_lastLoad.wAirCount = wAir;
    m_lastLoad.wCableCount = wCable;
    if (wAir == 0 || wCable == 0)
        return 0;

    // The header counts locate the sections; the trailer's maxima say how many
    // entries become channels. A trailer beyond the end of the file reads as
    // zero, and so does every entry that lies beyond it.
    const std::size_t trailerAt = kHeaderSize + kEntrySize * (static_cast<std::size_t>(wAir) + wCable);
    if (!reader.ReadUpTo(bytes, trailerAt + kTrailerSize, pError))
        return readFailed();
    source.SeekTo(trailerAt);
    source.Read(m_trailer, kTrailerSize);
    const std::size_t entriesEnd =
        std::max(kHeaderSize + kEntrySize * static_cast<std::size_t>(wAirMaxCh()),
                 kHeaderSize + kEntrySize * (static_cast<std::size_t>(wAir) + wCableMaxCh()));
    if (!reader.ReadUpTo(bytes, entriesEnd, pError))
        return readFailed();
    m_lastLoad.wAirMaxCh = wAirMaxCh();
    m_lastLoad.wCableMaxCh = wCableMaxCh();
    m_lastLoad.bTrailer = bytes.size() >= trailerAt + kTrailerSize;
    m_lastLoad.airRecords = static_cast<std::uint32_t>(WholeRecordsWithin(bytes.size(), kHeaderSize, kEntrySize, wAir));
    m_lastLoad.cableRecords = static_cast<std::uint32_t>(WholeRecordsWithin(
        bytes.size(), kHeaderSize + kEntrySize * static_cast<std::uint64_t>(wAir), kEntrySize, wCable));

    // No entry is dropped: a table that cannot be held whole is not read, and
    // is left without lists, as a refused file is.
    const auto outOfMemory = [this, &pError, &readFailed] {
        FreeLists();
        if (pError)
            pError->Set(ENOMEM);
        return readFailed();
    };
    m_pAirList = new (std::nothrow) EntryList;
    m_pCableList = new (std::nothrow) EntryList;
    if (!m_pAirList || !m_pCableList)
        return outOfMemory();
    source.SeekTo(kHeaderSize);
    if (!ReadEntries(source, m_pAirList, wAirMaxCh()))
        return outOfMemory();
    source.SeekTo(kHeaderSize + kEntrySize * static_cast<std::uint64_t>(wAir));
    if (!ReadEntries(source, m_pCableList, wCableMaxCh()))
        return outOfMemory();
    return 1;
}

std::string LegacyOutputPath(const std::string& input)
{
    const auto slash = input.rfind('/');
    const auto dot = input.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return input + ".ccf";
    return input.substr(0, dot + 1) + "ccf";
}
