#include "tables/analysis/TableDiff.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

#include "tables/text/Numbers.h"

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::array<std::uint8_t, 4> FourBytes(const std::uint8_t* bytes)
{
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::array<std::uint8_t, 4> MagicBytes(std::uint32_t dwMagic)
{
    std::array<std::uint8_t, 4> bytes;
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(dwMagic >> (8 * i));
    return bytes;
}

HeaderFieldValue Number(std::int64_t iValue)
{
    HeaderFieldValue value;
    value.iValue = iValue;
    return value;
}

HeaderFieldValue Range(std::uint16_t wMin, std::uint16_t wMax)
{
    HeaderFieldValue value;
    value.iValue = wMin;
    value.iMax = wMax;
    return value;
}

HeaderFieldValue Bytes(const std::array<std::uint8_t, 4>& bytes)
{
    HeaderFieldValue value;
    value.bytes = bytes;
    return value;
}

HeaderFieldValue UnreadBytes(const TunerSpecTable& table)
{
    HeaderFieldValue value;
    if (const auto& unread = table.LastLoad().unreadEndMark) {
        value.iValue = 1;
        value.bytes = *unread;
    }
    return value;
}

void NoteHeader(std::vector<HeaderDifference>& out, HeaderField field, const HeaderFieldValue& before,
                const HeaderFieldValue& after)
{
    if (before != after)
        out.push_back({field, before, after});
}

// The fields both new formats begin with.
template <class Header>
void CompareCommonHeader(std::vector<HeaderDifference>& out, const Header& before, const Header& after)
{
    NoteHeader(out, HeaderField::Marker, Number(before.wMarker()), Number(after.wMarker()));
    NoteHeader(out, HeaderField::Reserved, Number(before.wReserved()), Number(after.wReserved()));
    NoteHeader(out, HeaderField::Magic, Bytes(MagicBytes(before.dwMagic())), Bytes(MagicBytes(after.dwMagic())));
}

void CompareChannelLists(std::int32_t iList, EntryRange<ChannelNode> before, EntryRange<ChannelNode> after,
                         std::vector<ChannelDifference>& out)
{
    auto itBefore = before.begin();
    auto itAfter = after.begin();
    std::int32_t iChannel = 1;
    for (; itBefore != before.end() && itAfter != after.end(); ++itBefore, ++itAfter, ++iChannel) {
        const FrequencyBits first = StoredBits(itBefore->dbFrequency), second = StoredBits(itAfter->dbFrequency);
        if (ComparePlace(&first, &second))
            out.push_back({DiffChange::Changed, iList, iChannel, itBefore->dbFrequency, itAfter->dbFrequency});
    }
    for (; itBefore != before.end(); ++itBefore, ++iChannel)
        out.push_back({DiffChange::Removed, iList, iChannel, itBefore->dbFrequency, 0.0});
    for (; itAfter != after.end(); ++itAfter, ++iChannel)
        out.push_back({DiffChange::Added, iList, iChannel, 0.0, itAfter->dbFrequency});
}

// A signed 32-bit value moved so that unsigned order is its signed order.
std::uint64_t Biased(std::int32_t i)
{
    return static_cast<std::uint32_t>(i) ^ 0x80000000u;
}

// An entry with what places it among the others: its sort key, its key
// (factory and tuner type), its position and which of the entries with that
// key it is. The order is packed into two words, so that sorting 100,000
// entries compares words, not fields.
struct KeyedEntry
{
    std::uint64_t qwSortKeyFactory; // sort key, then factory
    std::uint64_t qwTunerTypePosition;
    std::int32_t iOccurrence;
    const TunerSpecEntry* pEntry;

    std::int32_t TunerType() const { return static_cast<std::int32_t>((qwTunerTypePosition >> 32) ^ 0x80000000u); }
    std::int32_t Position() const { return static_cast<std::int32_t>(qwTunerTypePosition & 0xFFFFFFFFu); }
    bool SameKey(const KeyedEntry& other) const
    {
        return qwSortKeyFactory == other.qwSortKeyFactory &&
               (qwTunerTypePosition >> 32) == (other.qwTunerTypePosition >> 32);
    }
    auto Order() const { return std::tie(qwSortKeyFactory, qwTunerTypePosition); }
    auto Identity() const { return std::make_tuple(qwSortKeyFactory, qwTunerTypePosition >> 32, iOccurrence); }
};

// The entries by sort key and key, entries with one key in list order. A
// table keeps its entries by sort key, so the sort is mostly skipped.
std::vector<KeyedEntry> KeyedEntries(const TunerSpecTable& table)
{
    std::vector<KeyedEntry> keyed;
    keyed.reserve(static_cast<std::size_t>(table.Entries().size()));
    std::uint32_t uPosition = 0;
    for (const TunerSpecNode& node : table.Entries()) {
        const TunerSpecEntry& e = node.entry;
        keyed.push_back(
            {Biased(TunerSortKey(e)) << 32 | Biased(e.iFactory()), Biased(e.iTunerType()) << 32 | uPosition++, 1, &e});
    }
    const auto byOrder = [](const KeyedEntry& a, const KeyedEntry& b) { return a.Order() < b.Order(); };
    if (!std::is_sorted(keyed.begin(), keyed.end(), byOrder))
        std::sort(keyed.begin(), keyed.end(), byOrder);
    // One key has one sort key, so its entries now stand together.
    for (std::size_t i = 1; i < keyed.size(); ++i)
        if (keyed[i].SameKey(keyed[i - 1]))
            keyed[i].iOccurrence = keyed[i - 1].iOccurrence + 1;
    return keyed;
}

// In key order the records are read wherever their nodes lie: asking for
// them some entries ahead keeps the walk from waiting on each one.
constexpr std::ptrdiff_t kPrefetchAhead = 8;

void Prefetch(const TunerSpecEntry& entry)
{
    const auto* pRecord = reinterpret_cast<const char*>(entry.bytes);
    __builtin_prefetch(pRecord);
    __builtin_prefetch(pRecord + TunerSpecEntry::kSize - 1);
}

void PrefetchAhead(const std::vector<KeyedEntry>& keyed, std::vector<KeyedEntry>::const_iterator it)
{
    if (keyed.end() - it > kPrefetchAhead)
        Prefetch(*it[kPrefetchAhead].pEntry);
}

// The second table's entries in list order when it holds the same keys in
// the same order as the first (the usual case: two versions of one table);
// none otherwise. Then the n-th entry of a key stands at the same position
// in both, and the first table's key order serves for both.
std::optional<std::vector<const TunerSpecEntry*>> SameKeySequence(const TunerSpecTable& before,
                                                                  const TunerSpecTable& after)
{
    if (before.Entries().size() != after.Entries().size())
        return std::nullopt;
    std::vector<const TunerSpecEntry*> entries;
    entries.reserve(static_cast<std::size_t>(after.Entries().size()));
    auto itBefore = before.Entries().begin();
    for (const TunerSpecNode& node : after.Entries()) {
        const TunerSpecEntry& a = itBefore->entry;
        if (a.iFactory() != node.entry.iFactory() || a.iTunerType() != node.entry.iTunerType())
            return std::nullopt;
        entries.push_back(&node.entry);
        ++itBefore;
    }
    return entries;
}

std::uint16_t ChangedFields(const TunerSpecEntry& before, const TunerSpecEntry& after)
{
    // Equal keys were matched, and every field is compared by its bytes: most
    // entries of two versions of a table are the same record.
    if (std::memcmp(before.bytes, after.bytes, sizeof before.bytes) == 0)
        return 0;
    std::uint16_t wFields = 0;
    for (int i = 0; i < kTunerFieldCount; ++i) {
        const auto field = static_cast<TunerField>(i);
        const bool bSame = IsTunerFrequencyField(field)
                               ? SameBits(TunerFieldFrequency(before, field), TunerFieldFrequency(after, field))
                               : TunerFieldWord(before, field) == TunerFieldWord(after, field);
        if (!bSame)
            wFields |= TunerFieldBit(field);
    }
    return wFields;
}

TunerDifference EntryDifference(DiffChange change, const KeyedEntry& keyed)
{
    TunerDifference difference;
    difference.change = change;
    difference.iFactory = keyed.pEntry->iFactory();
    difference.iTunerType = keyed.TunerType();
    difference.iOccurrence = keyed.iOccurrence;
    (change == DiffChange::Added ? difference.after : difference.before) = *keyed.pEntry;
    return difference;
}

// Notes an entry both tables hold when its fields differ.
void NoteMatched(std::vector<TunerDifference>& out, const KeyedEntry& keyedBefore, const TunerSpecEntry& after)
{
    const std::uint16_t wFields = ChangedFields(*keyedBefore.pEntry, after);
    if (wFields == 0)
        return;
    TunerDifference difference = EntryDifference(DiffChange::Changed, keyedBefore);
    difference.wFields = wFields;
    difference.after = after;
    out.push_back(difference);
}

// Whether the entries both tables hold stand in the same order in each.
// positionAfter[i] is the position in the second table of the entry at
// position i of the first, or -1 when the second has no such entry.
bool SameOrder(const std::vector<std::int32_t>& positionAfter)
{
    std::int32_t iLast = -1;
    for (const std::int32_t iPosition : positionAfter) {
        if (iPosition < 0)
            continue;
        if (iPosition < iLast)
            return false;
        iLast = iPosition;
    }
    return true;
}

} // namespace

bool IsTunerFrequencyField(TunerField field)
{
    return field < TunerField::LowCode;
}

double TunerFieldFrequency(const TunerSpecEntry& entry, TunerField field)
{
    switch (field) {
    case TunerField::LowBandStart: return entry.dbLowBandStart();
    case TunerField::MidBandStart: return entry.dbMidBandStart();
    case TunerField::HighBandStart: return entry.dbHighBandStart();
    case TunerField::HighBandEnd: return entry.dbHighBandEnd();
    case TunerField::PictureCarrier: return entry.dbPictureCarrier();
    case TunerField::PictureCarrier2: return entry.dbPictureCarrier2();
    default: return 0.0;
    }
}

std::uint16_t TunerFieldWord(const TunerSpecEntry& entry, TunerField field)
{
    switch (field) {
    case TunerField::LowCode: return entry.wLowCode();
    case TunerField::MidCode: return entry.wMidCode();
    case TunerField::HighCode: return entry.wHighCode();
    case TunerField::Reserved: return entry.wReserved();
    default: return 0;
    }
}

const char* HeaderFieldText(HeaderField field)
{
    switch (field) {
    case HeaderField::Marker: return "marker";
    case HeaderField::Reserved: return "reserved";
    case HeaderField::Magic: return "magic";
    case HeaderField::CountryCode: return "country code";
    case HeaderField::EntryCount: return "entry count";
    case HeaderField::EndMark: return "end mark";
    case HeaderField::UnreadEndMark: return "after the header, not read (entry count 0)";
    case HeaderField::AirRange: return "air range";
    case HeaderField::CableRange: return "cable range";
    }
    return "";
}

std::string HeaderFieldValueText(HeaderField field, const HeaderFieldValue& value)
{
    switch (field) {
    case HeaderField::Marker: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value.iValue));
        return text;
    }
    case HeaderField::Magic: {
        std::uint32_t dwMagic = 0;
        for (int i = 3; i >= 0; --i)
            dwMagic = (dwMagic << 8) | value.bytes[static_cast<std::size_t>(i)];
        return QuotedMagic(dwMagic);
    }
    case HeaderField::EndMark: return HexBytes(value.bytes.data(), value.bytes.size());
    case HeaderField::UnreadEndMark:
        return value.iValue ? HexBytes(value.bytes.data(), value.bytes.size()) : std::string("none");
    case HeaderField::AirRange:
    case HeaderField::CableRange: return std::to_string(value.iValue) + " to " + std::to_string(value.iMax);
    case HeaderField::Reserved:
    case HeaderField::CountryCode:
    case HeaderField::EntryCount: return std::to_string(value.iValue);
    }
    return {};
}

HeaderFieldValue ChannelHeaderValue(const ChannelTable& table, HeaderField field)
{
    const ChannelTableHeader& header = table.Header();
    switch (field) {
    case HeaderField::Marker: return Number(header.wMarker());
    case HeaderField::Reserved: return Number(header.wReserved());
    case HeaderField::Magic: return Bytes(MagicBytes(header.dwMagic()));
    case HeaderField::CountryCode: return Number(header.iCountryCode());
    case HeaderField::EndMark: return Bytes(FourBytes(table.EndMark()));
    case HeaderField::AirRange: return Range(header.wAirMin(), header.wAirMax());
    case HeaderField::CableRange: return Range(header.wCableMin(), header.wCableMax());
    case HeaderField::EntryCount:
    case HeaderField::UnreadEndMark: return {};
    }
    return {};
}

std::optional<DiffChange> ComparePlace(const FrequencyBits* pBefore, const FrequencyBits* pAfter)
{
    if (pBefore && pAfter)
        return *pBefore == *pAfter ? std::nullopt : std::optional(DiffChange::Changed);
    if (pAfter)
        return DiffChange::Added;
    if (pBefore)
        return DiffChange::Removed;
    return std::nullopt;
}

ChannelTableDiff CompareChannelTables(const ChannelTable& before, const ChannelTable& after)
{
    ChannelTableDiff diff;
    for (const HeaderField field :
         {HeaderField::Marker, HeaderField::Reserved, HeaderField::Magic, HeaderField::CountryCode,
          HeaderField::EndMark, HeaderField::AirRange, HeaderField::CableRange})
        NoteHeader(diff.header, field, ChannelHeaderValue(before, field), ChannelHeaderValue(after, field));

    const auto longer = [&](std::int32_t iMode) {
        return static_cast<std::size_t>(std::max(before.Channels(iMode).size(), after.Channels(iMode).size()));
    };
    diff.channels.reserve(longer(ChannelModeAir) + longer(ChannelModeCable));
    CompareChannelLists(ChannelModeAir, before.Channels(ChannelModeAir), after.Channels(ChannelModeAir), diff.channels);
    CompareChannelLists(ChannelModeCable, before.Channels(ChannelModeCable), after.Channels(ChannelModeCable),
                        diff.channels);
    return diff;
}

TunerTableDiff CompareTunerTables(const TunerSpecTable& before, const TunerSpecTable& after)
{
    TunerTableDiff diff;
    const TunerSpecHeader& a = before.Header();
    const TunerSpecHeader& b = after.Header();
    CompareCommonHeader(diff.header, a, b);
    const bool bCountsSayMore = a.iEntryCount() != before.Entries().size() || b.iEntryCount() != after.Entries().size();
    if (bCountsSayMore)
        NoteHeader(diff.header, HeaderField::EntryCount, Number(a.iEntryCount()), Number(b.iEntryCount()));
    NoteHeader(diff.header, HeaderField::EndMark, Bytes(FourBytes(before.EndMark())),
               Bytes(FourBytes(after.EndMark())));
    NoteHeader(diff.header, HeaderField::UnreadEndMark, UnreadBytes(before), UnreadBytes(after));

    const std::vector<KeyedEntry> keyedBefore = KeyedEntries(before);
    // At most every entry of both differs; the room is only touched as it is used.
    diff.entries.reserve(keyedBefore.size() + static_cast<std::size_t>(after.Entries().size()));
    if (const auto afterByPosition = SameKeySequence(before, after)) {
        for (auto it = keyedBefore.begin(); it != keyedBefore.end(); ++it) {
            if (keyedBefore.end() - it > kPrefetchAhead) {
                Prefetch(*it[kPrefetchAhead].pEntry);
                Prefetch(*(*afterByPosition)[static_cast<std::size_t>(it[kPrefetchAhead].Position())]);
            }
            NoteMatched(diff.entries, *it, *(*afterByPosition)[static_cast<std::size_t>(it->Position())]);
        }
        return diff;
    }

    const std::vector<KeyedEntry> keyedAfter = KeyedEntries(after);
    std::vector<std::int32_t> positionAfter(keyedBefore.size(), -1);
    auto itBefore = keyedBefore.begin();
    auto itAfter = keyedAfter.begin();
    while (itBefore != keyedBefore.end() || itAfter != keyedAfter.end()) {
        PrefetchAhead(keyedBefore, itBefore);
        PrefetchAhead(keyedAfter, itAfter);
        if (itAfter == keyedAfter.end() ||
            (itBefore != keyedBefore.end() && itBefore->Identity() < itAfter->Identity())) {
            diff.entries.push_back(EntryDifference(DiffChange::Removed, *itBefore++));
        } else if (itBefore == keyedBefore.end() || itAfter->Identity() < itBefore->Identity()) {
            diff.entries.push_back(EntryDifference(DiffChange::Added, *itAfter++));
        } else {
            positionAfter[static_cast<std::size_t>(itBefore->Position())] = itAfter->Position();
            NoteMatched(diff.entries, *itBefore++, *itAfter++->pEntry);
        }
    }
    diff.bOrderChanged = !SameOrder(positionAfter);
    return diff;
}
