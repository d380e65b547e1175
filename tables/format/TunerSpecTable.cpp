#include "tables/format/TunerSpecTable.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "tables/format/ByteOrder.h"
#include "tables/format/TableFormat.h"

namespace {

constexpr std::size_t kOffEntryCount = 8;

std::int32_t KeyOf(const EntryNode* pNode)
{
    return TunerSortKey(static_cast<const TunerSpecNode*>(pNode)->entry);
}

// How far a file with this count can be of use: its records and the end mark.
// A count beyond the largest table is refused without reading on.
std::size_t BytesWorthReading(std::int32_t iCount)
{
    // A count of 0 or below: the table reads no end mark for 0, but the four
    // bytes after the header are still reported as what the file holds there.
    if (iCount <= 0)
        return TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize;
    if (iCount > TunerSpecTable::kMaxEntries)
        return TunerSpecHeader::kSize;
    return TunerSpecHeader::kSize + TunerSpecEntry::kSize * static_cast<std::size_t>(iCount) +
           TunerSpecTable::kEndMarkSize;
}

std::string TooManyEntries(std::int32_t iCount)
{
    return "its entry count " + std::to_string(iCount) + " is more than the " +
           std::to_string(TunerSpecTable::kMaxEntries) + " tuner entries a table may have";
}

// Which of the records and the end mark its stated count calls for lie wholly
// inside the `have` bytes read.
void NoteWhatIsPresent(TunerTableLoadReport& report, const std::vector<std::uint8_t>& bytes)
{
    const std::uint64_t have = bytes.size();
    const std::int32_t iCount = report.header.iEntryCount();
    if (iCount < 0) {
        report.bEndMark = have >= TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize;
        return;
    }
    if (iCount == 0) {
        if (have >= TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize) {
            std::array<std::uint8_t, TunerSpecTable::kEndMarkSize> unread{};
            std::memcpy(unread.data(), bytes.data() + TunerSpecHeader::kSize, unread.size());
            report.unreadEndMark = unread;
        }
        return;
    }
    const auto count = static_cast<std::uint64_t>(iCount);
    report.iRecords =
        static_cast<std::int32_t>(WholeRecordsWithin(have, TunerSpecHeader::kSize, TunerSpecEntry::kSize, count));
    report.bEndMark =
        count > 0 && have >= TunerSpecHeader::kSize + TunerSpecEntry::kSize * count + TunerSpecTable::kEndMarkSize;
}

} // namespace

std::int32_t TunerSpecHeader::iEntryCount() const
{
    return le::ReadI32(bytes + kOffEntryCount);
}

void TunerSpecHeader::SetEntryCount(std::int32_t i)
{
    le::WriteI32(bytes + kOffEntryCount, i);
}

TunerSpecTable::TunerSpecTable(bool bWithList)
{
    SetNewTableHeader();
    if (bWithList)
        m_pList = new (std::nothrow) EntryList;
}

TunerSpecTable::~TunerSpecTable()
{
    delete m_pList;
}

std::vector<TunerEntryImage> TunerSpecTable::RecordedImages(std::int32_t iStart, std::int32_t count) const
{
    std::vector<TunerEntryImage> images;
    if (!m_pRecorder || !m_pList || count <= 0)
        return images;
    images.resize(static_cast<std::size_t>(count));
    const EntryNode* p = m_pList->GetAt(iStart);
    for (std::size_t i = 0; i < images.size() && p; ++i, p = p->pNext)
        std::memcpy(images[i].data(), static_cast<const TunerSpecNode*>(p)->entry.bytes, TunerSpecEntry::kSize);
    return images;
}

void TunerSpecTable::Record(std::int32_t iStart, std::vector<TunerEntryImage> removed,
                            std::vector<TunerEntryImage> inserted)
{
    if (!m_pRecorder || removed == inserted)
        return;
    m_pRecorder->Spliced(ListSplice<TunerEntryImage>{0, iStart, std::move(removed), std::move(inserted)});
}

bool TunerSpecTable::PutBack(std::int32_t, std::int32_t iStart, std::int32_t removeCount,
                             const std::vector<TunerEntryImage>& values)
{
    return ReplaceEntries(iStart, removeCount, values, [](TunerSpecNode& node, const TunerEntryImage& image) {
        std::memcpy(node.entry.bytes, image.data(), image.size());
    });
}

void TunerSpecTable::SetNewTableHeader()
{
    m_header = TunerSpecHeader();
    m_header.SetMarker(kTableMarker);
    m_header.SetMagic(kTunerTableMagic);
    m_dwEndMark[0] = 0x00;
    m_dwEndMark[1] = 0x00;
    m_dwEndMark[2] = 0xFF;
    m_dwEndMark[3] = 0xFF;
}

void TunerSpecTable::SetHeaderImage(const TunerSpecHeader& header, const std::uint8_t (&endMark)[kEndMarkSize])
{
    m_header = header;
    for (std::size_t i = 0; i < kEndMarkSize; ++i)
        m_dwEndMark[i] = endMark[i];
}

std::vector<std::uint8_t> TunerSpecTable::FileImage() const
{
    if (!m_pList)
        return {};
    TunerSpecHeader header = m_header;
    header.SetEntryCount(m_pList->iCount);

    if (m_pList->iCount <= 0)
        return std::vector<std::uint8_t>(header.bytes, header.bytes + TunerSpecHeader::kSize);
    // Sized once and filled in place: the image of 100,000 entries is made on
    // every change, for the status line's check.
    const auto count = static_cast<std::size_t>(m_pList->iCount);
    std::vector<std::uint8_t> image(TunerSpecHeader::kSize + TunerSpecEntry::kSize * count + kEndMarkSize);
    std::uint8_t* pOut = std::copy_n(header.bytes, TunerSpecHeader::kSize, image.data());
    const EntryNode* p = m_pList->pHead;
    for (std::size_t i = 0; i < count; ++i, p = p->pNext, pOut += TunerSpecEntry::kSize) {
        // A chain shorter than its count cannot be written faithfully.
        if (!p)
            return {};
        std::memcpy(pOut, static_cast<const TunerSpecNode*>(p)->entry.bytes, TunerSpecEntry::kSize);
    }
    std::memcpy(pOut, m_dwEndMark, kEndMarkSize);
    return image;
}

int TunerSpecTable::Save(const char* pszPath, FileError* pError)
{
    if (!pszPath || !m_pList) {
        if (pError)
            pError->Set(EINVAL);
        return 0;
    }
    if (m_pList->iCount > kMaxEntries) {
        if (pError)
            pError->Set(EFBIG, "the table has " + std::to_string(m_pList->iCount) + " entries, more than the " +
                                   std::to_string(kMaxEntries) + " a tuner table may have");
        return 0;
    }
    const std::vector<std::uint8_t> image = FileImage();
    // A chain shorter than its count cannot be written faithfully; nothing is
    // written rather than a file that lies.
    if (image.empty()) {
        if (pError)
            pError->Set(EIO);
        return 0;
    }
    if (!WriteFileSafely(pszPath, image, pError))
        return 0;
    m_header.SetEntryCount(m_pList->iCount);
    // A table without entries leaves a header-only file, which is not a table:
    // reported as 0 while the error stays clear, since the write itself worked.
    return m_pList->iCount > 0 ? 1 : 0;
}

int TunerSpecTable::Load(const char* pszPath, FileError* pError, NonRegularFiles nonRegular,
                         std::vector<std::uint8_t>* pFileImage)
{
    if (pFileImage)
        pFileImage->clear();
    if (!pszPath) {
        if (pError)
            pError->Set(EINVAL);
        return 0;
    }
    // A load makes the list anew: the recorder is told it as one splice.
    struct WholeListRecord
    {
        TunerSpecTable& table;
        std::vector<TunerEntryImage> before = table.RecordedImages(0, table.Count());
        ~WholeListRecord() { table.Record(0, std::move(before), table.RecordedImages(0, table.Count())); }
    } record{*this};
    delete m_pList;
    m_pList = new (std::nothrow) EntryList;
    if (!m_pList) {
        if (pError)
            pError->Set(ENOMEM);
        return 0;
    }

    // The header says how much of the file can be of use; nothing beyond that
    // is read, so a stream without end is read no further either.
    std::vector<std::uint8_t> bytes;
    FileReader reader;
    m_lastLoad = TunerTableLoadReport();
    bool bRead = reader.Open(pszPath, nonRegular, pError);
    m_lastLoad.fileSize = reader.RegularFileSize();
    bRead = bRead && reader.ReadUpTo(bytes, TunerSpecHeader::kSize, pError);
    if (bRead) {
        TunerSpecHeader& stated = m_lastLoad.header;
        ByteSource(bytes).Read(stated.bytes, TunerSpecHeader::kSize);
        bRead = reader.ReadUpTo(bytes, BytesWorthReading(stated.iEntryCount()), pError);
        NoteWhatIsPresent(m_lastLoad, bytes);
        if (bRead && stated.iEntryCount() > kMaxEntries) {
            if (pError)
                pError->Set(EFBIG, TooManyEntries(stated.iEntryCount()));
            bRead = false;
        }
    }
    if (!bRead) {
        // An unreadable file leaves an empty table that still saves as a valid file.
        SetNewTableHeader();
        return 0;
    }

    // Marker, reserved word and magic are taken as they come and written back
    // by the next save.
    for (auto& b : m_dwEndMark)
        b = 0;
    ByteSource source(bytes);
    source.Read(m_header.bytes, TunerSpecHeader::kSize);
    const std::int32_t iCount = m_header.iEntryCount();
    // A count of 0 is a table without entries: nothing past the header is
    // read, so the end mark stays zero, as it does for a file that cannot be
    // opened. What the file holds there is in the load report.
    if (iCount == 0)
        return 0;

    if (iCount > 0) {
        // Every record the count states is made: whatever part of a record
        // lies beyond the end of the file reads as zero, so a file cut short
        // still yields its stated number of entries, the missing ones
        // all-zero. A count above the largest table was refused above, so
        // memory stays bounded by that table whatever the file holds.
        std::int32_t iMade = 0;
        bool bWhole = true;
        {
            EntryList::Appender append(*m_pList);
            for (std::int32_t i = 0; i < iCount; ++i) {
                auto* pNode = new (std::nothrow) TunerSpecNode;
                if (!pNode) {
                    bWhole = false;
                    break;
                }
                source.Read(pNode->entry.bytes, TunerSpecEntry::kSize);
                append.Add(pNode);
                ++iMade;
            }
        }
        if (!bWhole) {
            // No entry is dropped: a table that cannot be held whole is not
            // read, and is left empty as an unreadable file is.
            m_pList->RemoveAll();
            SetNewTableHeader();
            if (pError)
                pError->Set(ENOMEM);
            return 0;
        }
        m_header.SetEntryCount(iMade);
    }
    // For a negative count the end mark is the 4 bytes after the header.
    source.Read(m_dwEndMark, kEndMarkSize);
    // Read no further than the end mark, all of it present: the bytes are the
    // header with its count, the records and the end mark, as FileImage makes
    // them. A negative count writes back as 0, so its bytes are not.
    if (pFileImage && iCount > 0 && bytes.size() == BytesWorthReading(iCount))
        *pFileImage = std::move(bytes);
    return 1;
}

const TunerSpecEntry* TunerSpecTable::EntryAt(std::int32_t iPosition) const
{
    const EntryNode* pNode = m_pList ? m_pList->GetAt(iPosition) : nullptr;
    return pNode ? &static_cast<const TunerSpecNode*>(pNode)->entry : nullptr;
}

bool TunerSpecTable::AppendEntries(const std::vector<TunerSpecEntry>& entries)
{
    if (!m_pList)
        return false;
    std::vector<TunerSpecNode*> nodes;
    nodes.reserve(entries.size());
    for (const TunerSpecEntry& entry : entries) {
        auto* pNode = new (std::nothrow) TunerSpecNode;
        if (!pNode) {
            for (TunerSpecNode* pMade : nodes)
                delete pMade;
            return false;
        }
        pNode->entry = entry;
        nodes.push_back(pNode);
    }
    const std::int32_t iStart = m_pList->iCount;
    EntryList::Appender appender(*m_pList);
    for (TunerSpecNode* pNode : nodes)
        appender.Add(pNode);
    appender.Finish();
    Record(iStart, {}, RecordedImages(iStart, static_cast<std::int32_t>(entries.size())));
    return true;
}

void TunerSpecTable::InsertInOrder(TunerSpecNode* pNode)
{
    if (!pNode)
        return;
    if (!m_pList) {
        delete pNode;
        return;
    }
    const std::int32_t iPosition = PlaceInOrder(pNode);
    if (iPosition < 0) {
        delete pNode;
        return;
    }
    if (m_pRecorder) {
        TunerEntryImage image;
        std::memcpy(image.data(), pNode->entry.bytes, image.size());
        Record(iPosition, {}, {image});
    }
}

std::int32_t TunerSpecTable::PlaceInOrder(TunerSpecNode* pNode)
{
    EntryList& list = *m_pList;
    const std::int32_t k = TunerSortKey(pNode->entry);
    if (list.iCount <= 0) {
        list.AddTail(pNode);
        return 0;
    }
    if (KeyOf(list.pHead) > k) {
        list.InsertBefore(pNode, list.pHead);
        return 0;
    }
    if (KeyOf(list.pTail) < k) {
        list.InsertAfter(pNode, list.pTail);
        return list.iCount - 1;
    }
    // A loaded list keeps its file order, which need not be sorted: the walk
    // places the entry behind the first smaller key whose successor is larger,
    // skipping over larger keys, and refuses a key that is already present.
    EntryNode* p = list.pHead;
    for (std::int32_t i = 0; i < list.iCount && p; ++i, p = p->pNext) {
        const std::int32_t key = KeyOf(p);
        if (key == k)
            break;
        if (key > k)
            continue;
        if (!p->pNext) {
            list.InsertAfter(pNode, p);
            return i + 1;
        }
        if (KeyOf(p->pNext) > k) {
            list.InsertBefore(pNode, p->pNext);
            return i + 1;
        }
    }
    return -1;
}

int TunerSpecTable::RemoveEntry(std::int32_t iPosition)
{
    if (!m_pList || iPosition < 1 || iPosition > m_pList->iCount)
        return 0;
    std::vector<TunerEntryImage> removed = RecordedImages(iPosition - 1, 1);
    EntryNode* pNode = m_pList->RemoveAt(iPosition - 1);
    if (!pNode)
        return 0;
    delete pNode;
    Record(iPosition - 1, std::move(removed), {});
    return 1;
}
