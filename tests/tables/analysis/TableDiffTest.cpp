// The differences of two tables as a list: what each names and what it holds.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tables/analysis/TableDiff.h"

namespace {

std::uint64_t Bits(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TunerSpecEntry Entry(std::int32_t factory, std::int32_t tunerType, double pictureCarrier = 45.75)
{
    TunerSpecEntry entry;
    entry.SetFactory(factory);
    entry.SetTunerType(tunerType);
    entry.SetLowBandStart(48.25);
    entry.SetMidBandStart(160.0);
    entry.SetHighBandStart(442.0);
    entry.SetHighBandEnd(863.25);
    entry.SetPictureCarrier(pictureCarrier);
    entry.SetLowCode(1);
    entry.SetMidCode(2);
    entry.SetHighCode(8);
    return entry;
}

void Fill(TunerSpecTable& table, const std::vector<TunerSpecEntry>& entries)
{
    ASSERT_TRUE(table.AppendEntries(entries));
    TunerSpecHeader header = table.Header();
    header.SetEntryCount(static_cast<std::int32_t>(entries.size()));
    table.SetHeaderImage(header, {0x00, 0x00, 0xFF, 0xFF});
}

} // namespace

TEST(TableDiff, ChannelsCompareByBitsAirBeforeCable)
{
    ChannelTable before(true);
    ChannelTable after(true);
    const double otherNan = FromBits(0x7FF0000000000001ull);
    ASSERT_TRUE(before.AppendFrequencies(ChannelModeAir, {std::numeric_limits<double>::quiet_NaN(), 0.0, 55.25}));
    ASSERT_TRUE(after.AppendFrequencies(ChannelModeAir, {otherNan, -0.0, 55.25}));
    ASSERT_TRUE(before.AppendFrequencies(ChannelModeCable, {1.0}));
    ASSERT_TRUE(after.AppendFrequencies(ChannelModeCable, {1.0, 2.0}));

    const ChannelTableDiff diff = CompareChannelTables(before, after);
    ASSERT_EQ(diff.channels.size(), 3u);
    EXPECT_EQ(diff.channels[0].change, DiffChange::Changed);
    EXPECT_EQ(diff.channels[0].iList, ChannelModeAir);
    EXPECT_EQ(diff.channels[0].iChannel, 1);
    EXPECT_EQ(Bits(diff.channels[0].dbAfter), 0x7FF0000000000001ull);
    EXPECT_EQ(diff.channels[1].iChannel, 2);
    EXPECT_EQ(Bits(diff.channels[1].dbAfter), Bits(-0.0));
    EXPECT_EQ(diff.channels[2].change, DiffChange::Added);
    EXPECT_EQ(diff.channels[2].iList, ChannelModeCable);
    EXPECT_EQ(diff.channels[2].iChannel, 2);
    EXPECT_EQ(diff.channels[2].dbAfter, 2.0);
    // The ranges the appends computed: the cable list's maximum moved.
    ASSERT_EQ(diff.header.size(), 1u);
    EXPECT_EQ(diff.header[0].field, HeaderField::CableRange);
    EXPECT_EQ(diff.header[0].before.iValue, 1);
    EXPECT_EQ(diff.header[0].before.iMax, 1);
    EXPECT_EQ(diff.header[0].after.iMax, 2);
    EXPECT_FALSE(diff.Empty());

    // The reverse: removed, with the first table's value.
    const ChannelTableDiff reverse = CompareChannelTables(after, before);
    ASSERT_EQ(reverse.channels.size(), 3u);
    EXPECT_EQ(reverse.channels[2].change, DiffChange::Removed);
    EXPECT_EQ(reverse.channels[2].dbBefore, 2.0);

    EXPECT_TRUE(CompareChannelTables(before, before).Empty());
    // Tables without lists compare as empty lists.
    EXPECT_TRUE(CompareChannelTables(ChannelTable(false), ChannelTable(true)).Empty());
}

TEST(TableDiff, TunerEntriesMatchByFactoryAndTunerTypeNotBySortKey)
{
    // Both pairs have the sort key 116: they are two tuners, not one changed.
    TunerSpecTable before(true);
    TunerSpecTable after(true);
    Fill(before, {Entry(0x10, 0x01)});
    Fill(after, {Entry(0x06, 0x11)});
    const TunerTableDiff diff = CompareTunerTables(before, after);
    ASSERT_EQ(diff.entries.size(), 2u);
    // Within one sort key, by factory.
    EXPECT_EQ(diff.entries[0].change, DiffChange::Added);
    EXPECT_EQ(diff.entries[0].iFactory, 0x06);
    EXPECT_EQ(diff.entries[0].SortKey(), 116);
    EXPECT_EQ(diff.entries[0].after.iTunerType(), 0x11);
    EXPECT_EQ(diff.entries[1].change, DiffChange::Removed);
    EXPECT_EQ(diff.entries[1].iFactory, 0x10);
    EXPECT_EQ(diff.entries[1].before.iTunerType(), 0x01);
    EXPECT_TRUE(diff.header.empty());
    EXPECT_FALSE(diff.bOrderChanged);
}

TEST(TableDiff, TunerFieldsOccurrencesAndOrder)
{
    TunerSpecTable before(true);
    TunerSpecTable after(true);
    TunerSpecEntry changed = Entry(0x03, 0x12, 45.5);
    changed.SetReserved(9);
    // Neither table in key order, both in the same order: nothing moved.
    Fill(before, {Entry(0x12, 0x05), Entry(0x03, 0x12), Entry(0x03, 0x12, 1.0)});
    Fill(after, {Entry(0x12, 0x05), changed, Entry(0x03, 0x12, 1.0)});
    TunerTableDiff diff = CompareTunerTables(before, after);
    ASSERT_EQ(diff.entries.size(), 1u);
    EXPECT_EQ(diff.entries[0].change, DiffChange::Changed);
    EXPECT_EQ(diff.entries[0].iOccurrence, 1);
    EXPECT_EQ(diff.entries[0].wFields, TunerFieldBit(TunerField::PictureCarrier) | TunerFieldBit(TunerField::Reserved));
    EXPECT_EQ(diff.entries[0].before.dbPictureCarrier(), 45.75);
    EXPECT_EQ(diff.entries[0].after.dbPictureCarrier(), 45.5);
    EXPECT_FALSE(diff.bOrderChanged);

    // The second entry of a key is compared with the second.
    TunerSpecTable second(true);
    Fill(second, {Entry(0x12, 0x05), Entry(0x03, 0x12), Entry(0x03, 0x12, 2.0)});
    diff = CompareTunerTables(before, second);
    ASSERT_EQ(diff.entries.size(), 1u);
    EXPECT_EQ(diff.entries[0].iOccurrence, 2);
    EXPECT_EQ(diff.entries[0].wFields, TunerFieldBit(TunerField::PictureCarrier));
    EXPECT_EQ(diff.entries[0].after.dbPictureCarrier(), 2.0);

    // The same entries in another order.
    TunerSpecTable moved(true);
    Fill(moved, {Entry(0x03, 0x12), Entry(0x03, 0x12, 1.0), Entry(0x12, 0x05)});
    diff = CompareTunerTables(before, moved);
    EXPECT_TRUE(diff.entries.empty());
    EXPECT_TRUE(diff.bOrderChanged);
    EXPECT_FALSE(diff.Empty());
    // Swapping the two entries of one key changes both, not the order.
    TunerSpecTable swapped(true);
    Fill(swapped, {Entry(0x12, 0x05), Entry(0x03, 0x12, 1.0), Entry(0x03, 0x12)});
    diff = CompareTunerTables(before, swapped);
    EXPECT_EQ(diff.entries.size(), 2u);
    EXPECT_FALSE(diff.bOrderChanged);
}

TEST(TableDiff, TunerHeaderCountOnlyWhereTheEntriesDoNotSayIt)
{
    TunerSpecTable before(true);
    TunerSpecTable after(true);
    Fill(before, {Entry(0x03, 0x12)});
    Fill(after, {Entry(0x03, 0x12), Entry(0x12, 0x05)});
    TunerTableDiff diff = CompareTunerTables(before, after);
    EXPECT_TRUE(diff.header.empty());
    ASSERT_EQ(diff.entries.size(), 1u);

    TunerSpecTable negative(true);
    TunerSpecHeader header = negative.Header();
    header.SetEntryCount(-5);
    header.SetMagic("TNSQ");
    negative.SetHeaderImage(header, {0x00, 0x00, 0xFF, 0xFE});
    diff = CompareTunerTables(before, negative);
    ASSERT_EQ(diff.header.size(), 3u);
    EXPECT_EQ(diff.header[0].field, HeaderField::Magic);
    EXPECT_EQ(diff.header[0].after.bytes, (std::array<std::uint8_t, 4>{'T', 'N', 'S', 'Q'}));
    EXPECT_EQ(diff.header[1].field, HeaderField::EntryCount);
    EXPECT_EQ(diff.header[1].before.iValue, 1);
    EXPECT_EQ(diff.header[1].after.iValue, -5);
    EXPECT_EQ(diff.header[2].field, HeaderField::EndMark);
    EXPECT_EQ(diff.header[2].after.bytes, (std::array<std::uint8_t, 4>{0x00, 0x00, 0xFF, 0xFE}));
}
