#include "TableDiff.h"

#include <algorithm>
#include <cstring>
#include <tuple>

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

bool SameValue(const HeaderFieldValue& a, const HeaderFieldValue& b)
{
    return a.iValue == b.iValue && a.iMax == b.iMax && a.bytes == b.bytes;
}

void NoteHeader(std::vector<HeaderDifference>& out, HeaderField field, const HeaderFieldValue& before,
                const HeaderFieldValue& after)
{
    if (!SameValue(before, after))
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
        if (!SameBits(itBefore->dbFrequency, itAfter->dbFrequency))
            out.push_back({DiffChange::Changed, iList, iChannel, itBefore->dbFrequency, itAfter->dbFrequency});
    }
    for (; itBefore != before.end(); ++itBefore, ++iChannel)
        out.push_back({DiffChange::Removed, iList, iChannel, itBefore->dbFrequency, 0.0});
    for (; itAfter != after.end(); ++itAfter, ++iChannel)
        out.push_back({DiffChange::Added, iList, iChannel, 0.0, itAfter->dbFrequency});
}

// An entry with what places it among the others: its sort key, its key
// (factory and tuner type) and which of the entries with that key it is.
struct KeyedEntry
{
    std::int32_t iSortKey;
    std::int32_t iFactory;
    std::int32_t iTunerType;
    std::int32_t iPosition; // 0-based, in list order
    std::int32_t iOccurrence;
    const TunerSpecEntry* pEntry;

    auto Order() const { return std::tie(iSortKey, iFactory, iTunerType, iPosition); }
    auto Identity() const { return std::tie(iSortKey, iFactory, iTunerType, iOccurrence); }
};

// The entries by sort key and key, entries with one key in list order. A
// table keeps its entries by sort key, so the sort is mostly skipped.
std::vector<KeyedEntry> KeyedEntries(const TunerSpecTable& table)
{
    std::vector<KeyedEntry> keyed;
    keyed.reserve(static_cast<std::size_t>(table.Entries().size()));
    std::int32_t iPosition = 0;
    for (const TunerSpecNode& node : table.Entries()) {
        const TunerSpecEntry& e = node.entry;
        keyed.push_back({TunerSortKey(e), e.iFactory(), e.iTunerType(), iPosition++, 1, &e});
    }
    const auto byOrder = [](const KeyedEntry& a, const KeyedEntry& b) { return a.Order() < b.Order(); };
    if (!std::is_sorted(keyed.begin(), keyed.end(), byOrder))
        std::sort(keyed.begin(), keyed.end(), byOrder);
    // One key has one sort key, so its entries now stand together.
    for (std::size_t i = 1; i < keyed.size(); ++i) {
        const KeyedEntry& previous = keyed[i - 1];
        if (keyed[i].iFactory == previous.iFactory && keyed[i].iTunerType == previous.iTunerType)
            keyed[i].iOccurrence = previous.iOccurrence + 1;
    }
    return keyed;
}

std::uint16_t ChangedFields(const TunerSpecEntry& before, const TunerSpecEntry& after)
{
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
    difference.iFactory = keyed.iFactory;
    difference.iTunerType = keyed.iTunerType;
    difference.iOccurrence = keyed.iOccurrence;
    (change == DiffChange::Added ? difference.after : difference.before) = *keyed.pEntry;
    return difference;
}

// Whether the entries both tables hold stand in the same order in each:
// the pairs come by key, and the first table's positions are walked in order.
bool SameOrder(std::vector<std::pair<std::int32_t, std::int32_t>>& matched)
{
    if (!std::is_sorted(matched.begin(), matched.end()))
        std::sort(matched.begin(), matched.end());
    for (std::size_t i = 1; i < matched.size(); ++i)
        if (matched[i].second < matched[i - 1].second)
            return false;
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

ChannelTableDiff CompareChannelTables(const ChannelTable& before, const ChannelTable& after)
{
    ChannelTableDiff diff;
    const ChannelTableHeader& a = before.Header();
    const ChannelTableHeader& b = after.Header();
    CompareCommonHeader(diff.header, a, b);
    NoteHeader(diff.header, HeaderField::CountryCode, Number(a.iCountryCode()), Number(b.iCountryCode()));
    NoteHeader(diff.header, HeaderField::EndMark, Bytes(FourBytes(before.EndMark())),
               Bytes(FourBytes(after.EndMark())));
    NoteHeader(diff.header, HeaderField::AirRange, Range(a.wAirMin(), a.wAirMax()), Range(b.wAirMin(), b.wAirMax()));
    NoteHeader(diff.header, HeaderField::CableRange, Range(a.wCableMin(), a.wCableMax()),
               Range(b.wCableMin(), b.wCableMax()));

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

    const std::vector<KeyedEntry> keyedBefore = KeyedEntries(before);
    const std::vector<KeyedEntry> keyedAfter = KeyedEntries(after);
    std::vector<std::pair<std::int32_t, std::int32_t>> matched; // positions in the first and the second
    matched.reserve(std::min(keyedBefore.size(), keyedAfter.size()));
    auto itBefore = keyedBefore.begin();
    auto itAfter = keyedAfter.begin();
    while (itBefore != keyedBefore.end() || itAfter != keyedAfter.end()) {
        if (itAfter == keyedAfter.end() ||
            (itBefore != keyedBefore.end() && itBefore->Identity() < itAfter->Identity())) {
            diff.entries.push_back(EntryDifference(DiffChange::Removed, *itBefore++));
        } else if (itBefore == keyedBefore.end() || itAfter->Identity() < itBefore->Identity()) {
            diff.entries.push_back(EntryDifference(DiffChange::Added, *itAfter++));
        } else {
            matched.emplace_back(itBefore->iPosition, itAfter->iPosition);
            const std::uint16_t wFields = ChangedFields(*itBefore->pEntry, *itAfter->pEntry);
            if (wFields != 0) {
                TunerDifference difference = EntryDifference(DiffChange::Changed, *itBefore);
                difference.wFields = wFields;
                difference.after = *itAfter->pEntry;
                diff.entries.push_back(difference);
            }
            ++itBefore;
            ++itAfter;
        }
    }
    diff.bOrderChanged = !SameOrder(matched);
    return diff;
}
