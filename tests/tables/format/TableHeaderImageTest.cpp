// Tables rebuilt from a description of their file take the stored header and
// end mark as given; the save still writes the real counts.

#include <gtest/gtest.h>

#include <limits>

#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

ChannelNode* Channel(double f)
{
    auto* p = new ChannelNode;
    p->dbFrequency = f;
    return p;
}

} // namespace

TEST(ChannelTableHeaderImage, SaveWritesGivenFieldsAndEndMarkWithRealCounts)
{
    TempDir dir;
    ChannelTable table(true);
    ASSERT_EQ(table.AppendChannel(ChannelModeAir, Channel(55.25)), 1);
    ASSERT_EQ(table.AppendChannel(ChannelModeAir, Channel(0.0)), 1);
    ASSERT_EQ(table.AppendChannel(ChannelModeCable, Channel(-1.5)), 1);

    ChannelTableHeader header;
    header.SetMarker(0x1234);
    header.SetReserved(0xBEEF);
    header.SetMagic(0x00FF225Cu); // bytes 5C 22 FF 00
    header.SetCountryCode(-44);
    header.SetAirMax(9); // not the list's length: the save corrects it
    header.SetAirMin(7); // kept as given, whatever the frequencies say
    header.SetCableMax(0);
    header.SetCableMin(65535);
    const std::uint8_t endMark[4] = {0x01, 0x02, 0x03, 0x04};
    table.SetHeaderImage(header, endMark);

    EXPECT_EQ(table.Header().wReserved(), 0xBEEF);
    EXPECT_EQ(table.Header().dwMagic(), 0x00FF225Cu);
    EXPECT_EQ(table.Header().wAirMax(), 9);

    const std::string path = dir.File("image.ccf");
    ASSERT_EQ(table.Save(path.c_str()), 1);

    Bytes expected;
    PutBytes(expected, {0x34, 0x12, 0xEF, 0xBE, 0x5C, 0x22, 0xFF, 0x00});
    PutI32(expected, -44);
    PutU16(expected, 2);
    PutU16(expected, 7);
    PutU16(expected, 1);
    PutU16(expected, 65535);
    PutF64(expected, 55.25);
    PutF64(expected, 0.0);
    PutBytes(expected, {0x01, 0x02, 0x03, 0x04});
    PutF64(expected, -1.5);
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_EQ(table.Header().wAirMax(), 2);
}

TEST(ChannelTableHeaderImage, MagicByValueMatchesMagicByCharacters)
{
    ChannelTableHeader byText;
    byText.SetMagic("CHFQ");
    ChannelTableHeader byValue;
    byValue.SetMagic(byText.dwMagic());
    for (std::size_t i = 0; i < ChannelTableHeader::kSize; ++i)
        EXPECT_EQ(byText.bytes[i], byValue.bytes[i]) << "byte " << i;
    EXPECT_EQ(byValue.bytes[4], 'C');
    EXPECT_EQ(byValue.bytes[7], 'Q');
}

TEST(TunerSpecHeaderImage, SaveWritesGivenFieldsAndEndMarkWithRealCount)
{
    TempDir dir;
    TunerSpecTable table(true);
    TunerSpecEntry entry;
    entry.SetFactory(3);
    entry.SetTunerType(0x12);
    entry.SetLowBandStart(std::numeric_limits<double>::infinity());
    ASSERT_TRUE(table.AppendEntries({entry}));

    TunerSpecHeader header;
    header.SetMarker(0xFFFF);
    header.SetReserved(1);
    header.SetMagic(0x50534E53u); // "SNSP"
    header.SetEntryCount(40);
    const std::uint8_t endMark[4] = {0xAA, 0xBB, 0xCC, 0xDD};
    table.SetHeaderImage(header, endMark);
    EXPECT_EQ(table.Header().iEntryCount(), 40);

    const std::string path = dir.File("image.tsf");
    ASSERT_EQ(table.Save(path.c_str()), 1);

    Bytes expected;
    PutBytes(expected, {0xFF, 0xFF, 0x01, 0x00, 'S', 'N', 'S', 'P'});
    PutI32(expected, 1);
    expected.insert(expected.end(), entry.bytes, entry.bytes + TunerSpecEntry::kSize);
    PutBytes(expected, {0xAA, 0xBB, 0xCC, 0xDD});
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_EQ(table.Header().iEntryCount(), 1);
}

TEST(TunerSpecHeaderImage, EmptyTableWritesGivenHeaderAloneWithCountZero)
{
    TempDir dir;
    TunerSpecTable table(true);
    TunerSpecHeader header;
    header.SetMarker(0xCB00);
    header.SetMagic("TNSQ");
    header.SetEntryCount(-3);
    const std::uint8_t endMark[4] = {0, 0, 0xFF, 0xFF};
    table.SetHeaderImage(header, endMark);

    const std::string path = dir.File("empty.tsf");
    FileError error;
    EXPECT_EQ(table.Save(path.c_str(), &error), 0);
    EXPECT_EQ(error.code, 0);
    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'Q'});
    PutI32(expected, 0);
    EXPECT_EQ(ReadAll(path), expected);
}
