#include "tables/format/ChannelTable.h"

#include <cstring>
#include <new>

#include "tables/format/ByteOrder.h"
#include "tables/format/TableFormat.h"

namespace {

constexpr std::size_t kOffCountry = 8;
constexpr std::size_t kOffAirMax = 12;
constexpr std::size_t kOffAirMin = 14;
constexpr std::size_t kOffCableMax = 16;
constexpr std::size_t kOffCableMin = 18;

std::uint16_t CountField(const EntryList* pList)
{
    return pList ? static_cast<std::uint16_t>(pList->iCount) : 0;
}

ChannelNode* AsChannel(EntryNode* pNode)
{
    return static_cast<ChannelNode*>(pNode);
}

std::vector<FrequencyBits> BitsOf(const std::vector<double>& frequencies)
{
    std::vector<FrequencyBits> bits(frequencies.size());
    if (!frequencies.empty())
        std::memcpy(bits.data(), frequencies.data(), frequencies.size() * sizeof(double));
    return bits;
}

// Opens the file and reads its header, then as much after it as the
// header's counts say can be of use, nothing beyond: what a load reads.
bool ReadUsedBytes(const char* pszPath, NonRegularFiles nonRegular, FileReader& reader,
                   std::vector<std::uint8_t>& bytes, ChannelTableHeader& stated, FileError* pError)
{
    if (!reader.Open(pszPath, nonRegular, pError) || !reader.ReadUpTo(bytes, ChannelTableHeader::kSize, pError))
        return false;
    ByteSource(bytes).Read(stated.bytes, ChannelTableHeader::kSize);
    const std::size_t used = ChannelTableHeader::kSize + ChannelTable::kEndMarkSize +
                             8 * (static_cast<std::size_t>(stated.wAirMax()) + stated.wCableMax());
    return reader.ReadUpTo(bytes, used, pError);
}

} // namespace

bool ReadChannelFrequencies(const char* pszPath, ChannelFileFrequencies& out, FileError* pError,
                            NonRegularFiles nonRegular)
{
    std::vector<std::uint8_t> bytes;
    FileReader reader;
    ChannelTableHeader stated;
    if (!pszPath || !ReadUsedBytes(pszPath, nonRegular, reader, bytes, stated, pError)) {
        if (!pszPath && pError)
            pError->Set(EINVAL);
        return false;
    }
    // Laid out and read as Load reads the lists: a short file's missing
    // fields are zero, which is no channel.
    ByteSource source(bytes);
    source.SeekTo(ChannelTableHeader::kSize);
    const auto readList = [&source](std::uint16_t wCount) {
        std::vector<double> frequencies(wCount);
        for (double& dbFrequency : frequencies) {
            std::uint8_t field[8];
            source.Read(field, sizeof field);
            dbFrequency = le::ReadF64(field);
        }
        return frequencies;
    };
    out.iCountry = stated.iCountryCode();
    out.air = readList(stated.wAirMax());
    source.SeekTo(source.Position() + ChannelTable::kEndMarkSize);
    out.cable = readList(stated.wCableMax());
    return true;
}

ChannelTable::WholeListsRecord::WholeListsRecord(ChannelTable& table) : m_table(table)
{
    for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable})
        m_before[iMode] = table.RecordedBits(iMode, 0, CountField(table.GetList(iMode)));
}

ChannelTable::WholeListsRecord::~WholeListsRecord()
{
    for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable})
        m_table.Record(iMode, 0, std::move(m_before[iMode]),
                       m_table.RecordedBits(iMode, 0, CountField(m_table.GetList(iMode))));
}

std::vector<FrequencyBits> ChannelTable::RecordedBits(std::int32_t iMode, std::int32_t iStart, std::int32_t count) const
{
    std::vector<FrequencyBits> bits;
    const EntryList* pList = GetList(iMode);
    if (!m_pRecorder || !pList || count <= 0)
        return bits;
    bits.reserve(static_cast<std::size_t>(count));
    const EntryNode* p = pList->GetAt(iStart);
    for (std::int32_t i = 0; i < count && p; ++i, p = p->pNext)
        bits.push_back(StoredBits(static_cast<const ChannelNode*>(p)->dbFrequency));
    return bits;
}

void ChannelTable::Record(std::int32_t iMode, std::int32_t iStart, std::vector<FrequencyBits> removed,
                          std::vector<FrequencyBits> inserted)
{
    // Writing what was there changes nothing.
    if (!m_pRecorder || removed == inserted)
        return;
    m_pRecorder->Spliced(ListSplice<FrequencyBits>{iMode, iStart, std::move(removed), std::move(inserted)});
}

std::int32_t ChannelTableHeader::iCountryCode() const
{
    return le::ReadI32(bytes + kOffCountry);
}
std::uint16_t ChannelTableHeader::wAirMax() const
{
    return le::ReadU16(bytes + kOffAirMax);
}
std::uint16_t ChannelTableHeader::wAirMin() const
{
    return le::ReadU16(bytes + kOffAirMin);
}
std::uint16_t ChannelTableHeader::wCableMax() const
{
    return le::ReadU16(bytes + kOffCableMax);
}
std::uint16_t ChannelTableHeader::wCableMin() const
{
    return le::ReadU16(bytes + kOffCableMin);
}

void ChannelTableHeader::SetCountryCode(std::int32_t i)
{
    le::WriteI32(bytes + kOffCountry, i);
}
void ChannelTableHeader::SetAirMax(std::uint16_t w)
{
    le::WriteU16(bytes + kOffAirMax, w);
}
void ChannelTableHeader::SetAirMin(std::uint16_t w)
{
    le::WriteU16(bytes + kOffAirMin, w);
}
void ChannelTableHeader::SetCableMax(std::uint16_t w)
{
    le::WriteU16(bytes + kOffCableMax, w);
}
void ChannelTableHeader::SetCableMin(std::uint16_t w)
{
    le::WriteU16(bytes + kOffCableMin, w);
}

std::uint64_t ChannelTableLoadReport::StatedSize() const
{
    return ChannelTableHeader::kSize + 4 + 8 * (static_cast<std::uint64_t>(header.wAirMax()) + header.wCableMax());
}

ChannelTable::ChannelTable(bool bWithLists)
{
    m_header.SetMarker(kTableMarker);
    m_header.SetMagic(kChannelTableMagic);
    if (bWithLists) {
        RenewList(ChannelModeAir);
        RenewList(ChannelModeCable);
    }
}

ChannelTable::~ChannelTable()
{
    delete m_pAirList;
    delete m_pCableList;
}

EntryList*& ChannelTable::ListSlot(std::int32_t iMode)
{
    return iMode == ChannelModeAir ? m_pAirList : m_pCableList;
}

const EntryList* ChannelTable::GetList(std::int32_t iMode) const
{
    if (iMode == ChannelModeAir)
        return m_pAirList;
    if (iMode == ChannelModeCable)
        return m_pCableList;
    return nullptr;
}

EntryList* ChannelTable::MutableList(std::int32_t iMode)
{
    return iMode == ChannelModeAir || iMode == ChannelModeCable ? ListSlot(iMode) : nullptr;
}

int ChannelTable::RenewList(std::int32_t iWhich)
{
    EntryList*& pSlot = ListSlot(iWhich);
    delete pSlot;
    pSlot = new (std::nothrow) EntryList;
    return pSlot ? 1 : 0;
}

std::vector<std::uint8_t> ChannelTable::FileImage() const
{
    ChannelTableHeader header = m_header;
    header.SetAirMax(CountField(m_pAirList));
    header.SetCableMax(CountField(m_pCableList));

    const std::size_t nAir = header.wAirMax();
    const std::size_t nCable = header.wCableMax();
    std::vector<std::uint8_t> image(ChannelTableHeader::kSize + 4 + 8 * (nAir + nCable));
    std::uint8_t* pOut = image.data();
    std::memcpy(pOut, header.bytes, ChannelTableHeader::kSize);
    pOut += ChannelTableHeader::kSize;

    const auto putList = [&pOut](const EntryList* pList, std::size_t n) {
        const EntryNode* p = pList ? pList->pHead : nullptr;
        for (std::size_t i = 0; i < n; ++i, p = p->pNext, pOut += 8) {
            if (!p)
                return false;
            le::WriteF64(pOut, static_cast<const ChannelNode*>(p)->dbFrequency);
        }
        return true;
    };
    // A chain shorter than its count cannot be written faithfully; an empty
    // image tells Save to refuse rather than write a file that lies.
    if (!putList(m_pAirList, nAir))
        return {};
    std::memcpy(pOut, m_dwEndMark, 4);
    pOut += 4;
    if (!putList(m_pCableList, nCable))
        return {};
    return image;
}

int ChannelTable::Save(const char* pszPath, FileError* pError)
{
    if (!pszPath || (!m_pAirList && !m_pCableList)) {
        if (pError)
            pError->Set(EINVAL);
        return 0;
    }
    const std::vector<std::uint8_t> image = FileImage();
    if (image.empty()) {
        if (pError)
            pError->Set(EIO);
        return 0;
    }
    if (!WriteFileSafely(pszPath, image, pError))
        return 0;
    // The stored counts become the table's maxima, as the file now says.
    m_header.SetAirMax(CountField(m_pAirList));
    m_header.SetCableMax(CountField(m_pCableList));
    return 1;
}

int ChannelTable::Load(const char* pszPath, FileError* pError, NonRegularFiles nonRegular)
{
    if (!pszPath) {
        if (pError)
            pError->Set(EINVAL);
        return 0;
    }
    m_lastLoad = ChannelTableLoadReport();
    const WholeListsRecord record(*this);
    if (!RenewList(ChannelModeAir) || !RenewList(ChannelModeCable)) {
        if (pError)
            pError->Set(ENOMEM);
        return 0;
    }
    m_header = ChannelTableHeader();
    for (auto& b : m_dwEndMark)
        b = 0;

    std::vector<std::uint8_t> bytes;
    FileReader reader;
    ChannelTableHeader& stated = m_lastLoad.header;
    if (!ReadUsedBytes(pszPath, nonRegular, reader, bytes, stated, pError))
        return 0;
    m_lastLoad.fileSize = reader.RegularFileSize();
    const std::uint64_t endMarkAt = ChannelTableHeader::kSize + 8 * static_cast<std::uint64_t>(stated.wAirMax());
    m_lastLoad.airRecords =
        static_cast<std::uint32_t>(WholeRecordsWithin(bytes.size(), ChannelTableHeader::kSize, 8, stated.wAirMax()));
    m_lastLoad.bEndMark = bytes.size() >= endMarkAt + sizeof m_dwEndMark;
    m_lastLoad.cableRecords = static_cast<std::uint32_t>(
        WholeRecordsWithin(bytes.size(), endMarkAt + sizeof m_dwEndMark, 8, stated.wCableMax()));

    // Nothing is validated: a short file leaves missing fields zero, and marker
    // and magic are kept as read so that a save writes them back.
    ByteSource source(bytes);
    source.Read(m_header.bytes, ChannelTableHeader::kSize);

    // Reads a list of wCount frequencies from the offset `at`; false when
    // memory ran out.
    const auto readList = [&source](EntryList* pList, std::uint64_t at, std::uint16_t wCount) {
        source.SeekTo(at);
        // A list that lies wholly inside the file is decoded in place.
        const std::uint8_t* pFields = source.Peek(8 * static_cast<std::size_t>(wCount));
        EntryList::Appender append(*pList);
        const auto frequencyAt = [&source, pFields, at](std::size_t i) {
            if (pFields) {
                // Making the nodes of the first list pushes the second list's
                // bytes out of the cache: the bytes ahead are asked for early.
                __builtin_prefetch(pFields + 8 * i + 2048);
                return le::ReadF64(pFields + 8 * i);
            }
            std::uint8_t field[8];
            source.SeekTo(at + 8 * static_cast<std::uint64_t>(i));
            source.Read(field, sizeof field);
            return le::ReadF64(field);
        };
        const bool bMade = AppendNewNodes<ChannelNode>(
            append, wCount, frequencyAt, [](ChannelNode& node, double dbFrequency) { node.dbFrequency = dbFrequency; });
        source.SeekTo(at + 8 * static_cast<std::uint64_t>(wCount));
        return bMade;
    };

    const bool bAirRead = readList(m_pAirList, ChannelTableHeader::kSize, m_header.wAirMax());
    source.Read(m_dwEndMark, sizeof m_dwEndMark);
    if (!bAirRead || !readList(m_pCableList, source.Position(), m_header.wCableMax())) {
        // No channel is dropped: a table that cannot be held whole is not read.
        RenewList(ChannelModeAir);
        RenewList(ChannelModeCable);
        m_header = ChannelTableHeader();
        for (auto& b : m_dwEndMark)
            b = 0;
        if (pError)
            pError->Set(ENOMEM);
        return 0;
    }
    return 1;
}

void ChannelTable::SetHeaderImage(const ChannelTableHeader& header, const std::uint8_t (&endMark)[4])
{
    m_header = header;
    for (std::size_t i = 0; i < sizeof m_dwEndMark; ++i)
        m_dwEndMark[i] = endMark[i];
}

int ChannelTable::GetRange(std::int32_t iMode, std::int32_t* piMin, std::int32_t* piMax) const
{
    if (!piMin && !piMax)
        return 0;
    const bool bAir = iMode == ChannelModeAir;
    if (piMin)
        *piMin = bAir ? m_header.wAirMin() : m_header.wCableMin();
    if (piMax)
        *piMax = bAir ? m_header.wAirMax() : m_header.wCableMax();
    return 1;
}

int ChannelTable::SetCountryCode(std::int32_t iCode)
{
    if (iCode <= 0)
        return 0;
    m_header.SetCountryCode(iCode);
    return 1;
}

int ChannelTable::AppendChannel(std::int32_t iMode, ChannelNode* pNode)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || !pNode || pList->iCount >= kMaxChannels)
        return 0;
    pList->AddTail(pNode);
    Record(iMode, pList->iCount - 1, {}, {StoredBits(pNode->dbFrequency)});
    UpdateRange(iMode);
    return 1;
}

bool ChannelTable::AppendFrequencies(std::int32_t iMode, const std::vector<double>& frequencies)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || frequencies.size() > static_cast<std::size_t>(kMaxChannels - pList->iCount))
        return false;
    std::vector<ChannelNode*> nodes;
    nodes.reserve(frequencies.size());
    for (const double dbFrequency : frequencies) {
        auto* pNode = new (std::nothrow) ChannelNode;
        if (!pNode) {
            for (ChannelNode* pMade : nodes)
                delete pMade;
            return false;
        }
        pNode->dbFrequency = dbFrequency;
        nodes.push_back(pNode);
    }
    const std::int32_t iStart = pList->iCount;
    EntryList::Appender appender(*pList);
    for (ChannelNode* pNode : nodes)
        appender.Add(pNode);
    appender.Finish();
    if (m_pRecorder)
        Record(iMode, iStart, {}, BitsOf(frequencies));
    UpdateRange(iMode);
    return true;
}

bool ChannelTable::ReplaceRun(std::int32_t iMode, std::int32_t iStart, std::int32_t removeCount,
                              const std::vector<double>& frequencies)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || iStart < 0 || removeCount < 0 || iStart > pList->iCount - removeCount ||
        frequencies.size() > static_cast<std::size_t>(kMaxChannels - (pList->iCount - removeCount)))
        return false;
    std::vector<FrequencyBits> removed = RecordedBits(iMode, iStart, removeCount);
    if (frequencies.size() == static_cast<std::size_t>(removeCount)) {
        // Reordering and rewriting channels keeps the list's shape: the nodes
        // stay where they are and only their frequencies change.
        EntryNode* p = removeCount > 0 ? pList->GetAt(iStart) : nullptr;
        for (const double dbFrequency : frequencies) {
            AsChannel(p)->dbFrequency = dbFrequency;
            p = p->pNext;
        }
    } else if (!ReplaceNodes<ChannelNode>(
                   *pList, iStart, removeCount, frequencies,
                   [](ChannelNode& node, double dbFrequency) { node.dbFrequency = dbFrequency; })) {
        return false;
    }
    if (m_pRecorder)
        Record(iMode, iStart, std::move(removed), BitsOf(frequencies));
    UpdateRange(iMode);
    return true;
}

bool ChannelTable::PutBack(std::int32_t iMode, std::int32_t iStart, std::int32_t removeCount,
                           const std::vector<FrequencyBits>& values)
{
    return ReplaceChannels(iMode, iStart, removeCount, values, [](ChannelNode& node, FrequencyBits bits) {
        std::memcpy(&node.dbFrequency, &bits, sizeof bits);
    });
}

int ChannelTable::InsertChannel(std::int32_t iMode, std::int32_t iChannel, ChannelNode* pNode)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || !pNode || iChannel < 1 || iChannel > pList->iCount || pList->iCount >= kMaxChannels)
        return 0;
    pList->InsertBefore(pNode, pList->GetAt(iChannel - 1));
    Record(iMode, iChannel - 1, {}, {StoredBits(pNode->dbFrequency)});
    UpdateRange(iMode);
    return 1;
}

int ChannelTable::DeleteChannel(std::int32_t iMode, std::int32_t iChannel)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || iChannel < 1 || iChannel > pList->iCount)
        return 0;
    std::vector<FrequencyBits> removed = RecordedBits(iMode, iChannel - 1, 1);
    delete pList->RemoveAt(iChannel - 1);
    Record(iMode, iChannel - 1, std::move(removed), {});
    UpdateRange(iMode);
    return 1;
}

double ChannelTable::GetFrequency(std::int32_t iMode, std::int32_t iChannel) const
{
    const EntryList* pList = GetList(iMode);
    if (!pList || iChannel < 1 || iChannel > pList->iCount)
        return -1.0;
    const EntryNode* pNode = pList->GetAt(iChannel - 1);
    return pNode ? static_cast<const ChannelNode*>(pNode)->dbFrequency : -1.0;
}

int ChannelTable::SetFrequency(std::int32_t iMode, std::int32_t iChannel, double dbFrequency)
{
    EntryList* pList = MutableList(iMode);
    if (!pList || iChannel < 1 || iChannel > pList->iCount)
        return 0;
    EntryNode* pNode = pList->GetAt(iChannel - 1);
    if (!pNode)
        return 0;
    // Deliberately no UpdateRange: the range follows structural edits only.
    const FrequencyBits before = StoredBits(AsChannel(pNode)->dbFrequency);
    AsChannel(pNode)->dbFrequency = dbFrequency;
    Record(iMode, iChannel - 1, {before}, {StoredBits(dbFrequency)});
    return 1;
}

void ChannelTable::SetRangeFields(std::int32_t iMode, std::uint16_t wMin, std::uint16_t wMax)
{
    if (iMode == ChannelModeAir) {
        m_header.SetAirMin(wMin);
        m_header.SetAirMax(wMax);
    } else {
        m_header.SetCableMin(wMin);
        m_header.SetCableMax(wMax);
    }
}

void ChannelTable::UpdateRange(std::int32_t iMode)
{
    const EntryList* pList = GetList(iMode);
    if (!pList)
        return;
    std::int32_t iMin = 0;
    const EntryNode* p = pList->pHead;
    for (std::int32_t i = 1; i <= pList->iCount && p; ++i, p = p->pNext) {
        if (static_cast<const ChannelNode*>(p)->dbFrequency > 0.0) {
            iMin = i;
            break;
        }
    }
    // A list without any frequency keeps the fields it had.
    if (iMin == 0)
        return;
    std::int32_t iMax = 0;
    p = pList->pTail;
    for (std::int32_t i = pList->iCount; i >= 1 && p; --i, p = p->pPrev) {
        if (static_cast<const ChannelNode*>(p)->dbFrequency > 0.0) {
            iMax = i;
            break;
        }
    }
    SetRangeFields(iMode, static_cast<std::uint16_t>(iMin), static_cast<std::uint16_t>(iMax));
}

std::int32_t ChannelTable::DeleteChannels(std::int32_t iMode, const std::vector<std::int32_t>& channels)
{
    EntryList* pList = MutableList(iMode);
    if (!pList)
        return 0;

    // Deleting from the highest number down with a range update after each step
    // ends with the range of the final list, unless the final list has no
    // frequency left. Then the fields hold the range of the last intermediate
    // list that still had one: it held only the lowest deleted channel with a
    // frequency, at its own number, provided a higher channel was deleted before it.
    std::int32_t iDeleted = 0;
    std::int32_t iLowestDeletedFilled = 0;
    std::int32_t iHighestDeleted = 0;
    bool bAnyLeftFilled = false;

    // The recorder is told one splice, from the first deleted channel to the
    // last: the values there before, and those that stayed.
    std::vector<FrequencyBits> removed, kept;
    std::size_t keptAtLastDeleted = 0;

    std::size_t next = 0;
    EntryNode* p = pList->pHead;
    for (std::int32_t iChannel = 1; p; ++iChannel) {
        EntryNode* pNext = p->pNext;
        while (next < channels.size() && channels[next] < iChannel)
            ++next;
        const bool bFilled = static_cast<ChannelNode*>(p)->dbFrequency > 0.0;
        const bool bDeleted = next < channels.size() && channels[next] == iChannel;
        if (m_pRecorder && (bDeleted || !removed.empty())) {
            removed.push_back(StoredBits(static_cast<ChannelNode*>(p)->dbFrequency));
            if (!bDeleted)
                kept.push_back(removed.back());
        }
        if (bDeleted) {
            if (bFilled && iLowestDeletedFilled == 0)
                iLowestDeletedFilled = iChannel;
            iHighestDeleted = iChannel;
            keptAtLastDeleted = kept.size();
            if (p == pList->pHead)
                pList->pHead = pNext;
            if (p == pList->pTail)
                pList->pTail = p->pPrev;
            p->Unlink();
            --pList->iCount;
            delete p;
            ++iDeleted;
        } else if (bFilled) {
            bAnyLeftFilled = true;
        }
        p = pNext;
    }

    if (iDeleted == 0)
        return 0;
    if (m_pRecorder) {
        const std::int32_t iFirstDeleted = iHighestDeleted - iDeleted - static_cast<std::int32_t>(keptAtLastDeleted);
        // Kept by the history as long as the step is: no room past the values.
        removed.resize(static_cast<std::size_t>(iHighestDeleted - iFirstDeleted));
        removed.shrink_to_fit();
        kept.resize(keptAtLastDeleted);
        kept.shrink_to_fit();
        Record(iMode, iFirstDeleted, std::move(removed), std::move(kept));
    }
    if (bAnyLeftFilled)
        UpdateRange(iMode);
    else if (iLowestDeletedFilled != 0 && iLowestDeletedFilled != iHighestDeleted)
        SetRangeFields(iMode, static_cast<std::uint16_t>(iLowestDeletedFilled),
                       static_cast<std::uint16_t>(iLowestDeletedFilled));
    return iDeleted;
}
