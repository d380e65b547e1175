#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tests/TestFiles.h"

namespace {

struct Entry
{
    float f;
    std::uint16_t w1;
    std::uint16_t w2;
};

// A .cft header: the bytes that are not interpreted carry a pattern, so a test
// sees that they are kept as read.
Bytes LegacyHeader(std::int32_t country, std::uint16_t airCount, std::uint16_t cableCount)
{
    Bytes b;
    PutBytes(b, {0xA0, 0xA1, 0xA2, 0xA3});
    PutI32(b, country);
    for (std::uint8_t i = 0; i < 16; ++i)
        b.push_back(static_cast<std::uint8_t>(0xB0 + i));
    PutU16(b, airCount);
    PutU16(b, cableCount);
    PutBytes(b, {0xC0, 0xC1, 0xC2, 0xC3});
    return b;
}

void PutEntries(Bytes& b, const std::vector<Entry>& entries)
{
    for (const Entry& e : entries) {
        PutF32(b, e.f);
        PutU16(b, e.w1);
        PutU16(b, e.w2);
    }
}

void PutTrailer(Bytes& b, std::uint16_t airMin, std::uint16_t airMax, std::uint16_t cableMin, std::uint16_t cableMax)
{
    PutU16(b, airMin);
    PutU16(b, airMax);
    PutU16(b, cableMin);
    PutU16(b, cableMax);
    PutBytes(b, {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7});
}

std::vector<Entry> Entries(const LegacyChannelTable& t, int mode)
{
    std::vector<Entry> out;
    const EntryList* list = t.GetList(mode);
    for (const EntryNode* p = list ? list->pHead : nullptr; p; p = p->pNext) {
        const auto* n = static_cast<const LegacyChannelNode*>(p);
        out.push_back({n->fFrequency, n->wExtra1, n->wExtra2});
    }
    return out;
}

std::vector<float> Floats(const LegacyChannelTable& t, int mode)
{
    std::vector<float> out;
    for (const Entry& e : Entries(t, mode))
        out.push_back(e.f);
    return out;
}

std::vector<double> Frequencies(const ChannelTable& t, int mode)
{
    std::vector<double> out;
    const EntryList* list = t.GetList(mode);
    for (const EntryNode* p = list ? list->pHead : nullptr; p; p = p->pNext)
        out.push_back(static_cast<const ChannelNode*>(p)->dbFrequency);
    return out;
}

float FloatOf(const Bytes& b, std::size_t offset)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

LegacyChannelNode* LegacyNode(float f)
{
    auto* p = new LegacyChannelNode;
    p->fFrequency = f;
    return p;
}

} // namespace

TEST(LegacyChannelTableLoad, CountsLocateSectionsAndTrailerMaximaTakeEntries)
{
    TempDir dir;
    Bytes image = LegacyHeader(49, 5, 3);
    PutEntries(image, {{48.25f, 1, 2}, {55.25f, 3, 4}, {62.25f, 5, 6}, {175.26f, 7, 8}, {999.0f, 9, 10}});
    ASSERT_EQ(image.size(), 72u);
    PutEntries(image, {{111.25f, 11, 12}, {0.0f, 13, 14}, {-1.5f, 15, 16}});
    ASSERT_EQ(image.size(), 96u);
    PutTrailer(image, 1, 4, 2, 3);
    WriteAll(dir.File("de.cft"), image);

    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("de.cft").c_str()), 1);
    EXPECT_EQ(table.iCountryCode(), 49);
    EXPECT_EQ(table.wAirCount(), 5);
    EXPECT_EQ(table.wCableCount(), 3);
    EXPECT_EQ(table.wAirMinCh(), 1);
    EXPECT_EQ(table.wAirMaxCh(), 4);
    EXPECT_EQ(table.wCableMinCh(), 2);
    EXPECT_EQ(table.wCableMaxCh(), 3);
    EXPECT_EQ(Bytes(table.HeaderImage(), table.HeaderImage() + 32), Bytes(image.begin(), image.begin() + 32));
    EXPECT_EQ(Bytes(table.TrailerImage(), table.TrailerImage() + 16), Bytes(image.begin() + 96, image.end()));

    const auto air = Entries(table, ChannelModeAir);
    ASSERT_EQ(air.size(), 4u); // the fifth air entry is not a channel
    EXPECT_EQ(Floats(table, ChannelModeAir), (std::vector<float>{48.25f, 55.25f, 62.25f, 175.26f}));
    EXPECT_EQ(air[3].w1, 7);
    EXPECT_EQ(air[3].w2, 8);
    const auto cable = Entries(table, ChannelModeCable);
    ASSERT_EQ(cable.size(), 3u);
    EXPECT_EQ(Floats(table, ChannelModeCable), (std::vector<float>{111.25f, 0.0f, -1.5f}));
    EXPECT_EQ(cable[0].w1, 11);
    EXPECT_EQ(cable[2].w2, 16);
    EXPECT_EQ(table.GetList(ChannelModeNone), nullptr);
}

TEST(LegacyChannelTableLoad, ZeroSectionCountIsRefusedWithoutLists)
{
    TempDir dir;
    for (const auto& counts : {std::make_pair(0, 40), std::make_pair(40, 0), std::make_pair(0, 0)}) {
        Bytes image =
            LegacyHeader(33, static_cast<std::uint16_t>(counts.first), static_cast<std::uint16_t>(counts.second));
        PutEntries(image, std::vector<Entry>(40, {55.25f, 0, 0}));
        PutTrailer(image, 1, 40, 1, 40);
        WriteAll(dir.File("zero.cft"), image);

        LegacyChannelTable table;
        EXPECT_EQ(table.Load(dir.File("zero.cft").c_str()), 0);
        EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);
        EXPECT_EQ(table.GetList(ChannelModeCable), nullptr);
        EXPECT_EQ(table.iCountryCode(), 33); // the header was read before the refusal
        EXPECT_EQ(table.wAirMaxCh(), 0);
        ChannelTable converted(false);
        EXPECT_EQ(converted.ConvertFromLegacy(&table), 0);
    }
}

TEST(LegacyChannelTableLoad, MaximumBeyondItsSectionReadsOnAndPastTheEndReadsZero)
{
    TempDir dir;
    Bytes image = LegacyHeader(1, 2, 1);
    PutEntries(image, {{55.25f, 1, 2}, {61.25f, 3, 4}, {73.25f, 5, 6}});
    PutTrailer(image, 1, 7, 1, 1);
    ASSERT_EQ(image.size(), 72u);
    WriteAll(dir.File("long.cft"), image);

    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("long.cft").c_str()), 1);
    const auto air = Entries(table, ChannelModeAir);
    ASSERT_EQ(air.size(), 7u);
    EXPECT_EQ(air[2].f, 73.25f);                         // the cable section
    EXPECT_TRUE(SameBits(air[3].f, FloatOf(image, 56))); // the trailer itself
    EXPECT_EQ(air[3].w1, 1);                             // wCableMinCh
    EXPECT_EQ(air[3].w2, 1);                             // wCableMaxCh
    EXPECT_TRUE(SameBits(air[4].f, FloatOf(image, 64)));
    for (int i = 5; i < 7; ++i) { // beyond the end of the file
        EXPECT_TRUE(SameBits(air[i].f, 0.0f)) << i;
        EXPECT_EQ(air[i].w1, 0);
        EXPECT_EQ(air[i].w2, 0);
    }
    EXPECT_EQ(Floats(table, ChannelModeCable), (std::vector<float>{73.25f}));
}

TEST(LegacyChannelTableLoad, TruncatedFileHasZeroTrailerAndEmptyLists)
{
    TempDir dir;
    Bytes image = LegacyHeader(39, 3, 1);
    PutEntries(image, {{48.25f, 1, 1}});
    image.push_back(0x42); // cut inside the second entry; no trailer
    WriteAll(dir.File("cut.cft"), image);

    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("cut.cft").c_str()), 1);
    ASSERT_NE(table.GetList(ChannelModeAir), nullptr);
    ASSERT_NE(table.GetList(ChannelModeCable), nullptr);
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, 0);
    EXPECT_EQ(table.GetList(ChannelModeCable)->iCount, 0);
    EXPECT_EQ(Bytes(table.TrailerImage(), table.TrailerImage() + 16), Bytes(16, 0));
    ChannelTable converted(false);
    EXPECT_EQ(converted.ConvertFromLegacy(&table), 0);

    // A header cut short is read as far as it goes.
    WriteAll(dir.File("stub.cft"), Bytes{1, 2, 3, 4, 44, 0});
    EXPECT_EQ(table.Load(dir.File("stub.cft").c_str()), 0);
    EXPECT_EQ(table.iCountryCode(), 44);
}

TEST(LegacyChannelTableLoad, UnreadablePathsFailAndDropEarlierLists)
{
    TempDir dir;
    Bytes image = LegacyHeader(7, 1, 1);
    PutEntries(image, {{49.75f, 0, 0}, {59.25f, 0, 0}});
    PutTrailer(image, 1, 1, 1, 1);
    WriteAll(dir.File("ru.cft"), image);

    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("ru.cft").c_str()), 1);
    EXPECT_EQ(table.Load(nullptr), 0);
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, 1); // no path: nothing changes

    FileError error;
    EXPECT_EQ(table.Load(dir.File("absent.cft").c_str(), &error), 0);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);
    EXPECT_EQ(table.GetList(ChannelModeCable), nullptr);
    EXPECT_EQ(table.iCountryCode(), 0);

    ASSERT_EQ(table.Load(dir.File("ru.cft").c_str()), 1);
    EXPECT_EQ(table.Load(dir.Path().c_str()), 0);
    EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);

    // A refused file after a good one leaves no lists behind a new header.
    ASSERT_EQ(table.Load(dir.File("ru.cft").c_str()), 1);
    WriteAll(dir.File("refused.cft"), LegacyHeader(7, 0, 1));
    EXPECT_EQ(table.Load(dir.File("refused.cft").c_str()), 0);
    EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);
    ChannelTable converted(false);
    EXPECT_EQ(converted.ConvertFromLegacy(&table), 0);
}

TEST(LegacyChannelTableLoad, LargestSectionsReadToTheLastByte)
{
    TempDir dir;
    Bytes image = LegacyHeader(86, 65535, 65535);
    for (int i = 0; i < 65535; ++i)
        PutEntries(image, {{static_cast<float>(i), 0, 0}});
    for (int i = 0; i < 65535; ++i)
        PutEntries(image, {{static_cast<float>(-i), 0, 0}});
    PutTrailer(image, 2, 65535, 3, 65535);
    ASSERT_EQ(image.size(), LegacyChannelTable::kMaxFileSize);
    WriteAll(dir.File("full.cft"), image);

    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("full.cft").c_str()), 1);
    EXPECT_EQ(table.wCableMaxCh(), 65535);
    ASSERT_EQ(table.GetList(ChannelModeCable)->iCount, 65535);
    EXPECT_EQ(static_cast<const LegacyChannelNode*>(table.GetList(ChannelModeCable)->pTail)->fFrequency, -65534.0f);
    EXPECT_EQ(static_cast<const LegacyChannelNode*>(table.GetList(ChannelModeAir)->pTail)->fFrequency, 65534.0f);

    ChannelTable converted(false);
    ASSERT_EQ(converted.ConvertFromLegacy(&table), 1);
    EXPECT_EQ(converted.GetList(ChannelModeCable)->iCount, ChannelTable::kMaxChannels);
}

TEST(LegacyChannelTableConvert, FloatsWidenExactlyAndRangesComeFromTheTrailer)
{
    TempDir dir;
    Bytes image = LegacyHeader(44, 3, 2);
    PutEntries(image, {{55.25f, 0, 0}, {175.26f, 0, 0}, {0.0f, 0, 0}});
    PutEntries(image, {{0.0f, 0, 0}, {303.25f, 0, 0}});
    PutTrailer(image, 3, 3, 9, 2); // minima that the frequencies do not bear out
    WriteAll(dir.File("uk.cft"), image);

    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("uk.cft").c_str()), 1);
    ChannelTable table(false);
    ASSERT_EQ(table.ConvertFromLegacy(&legacy), 1);
    const auto air = Frequencies(table, ChannelModeAir);
    ASSERT_EQ(air.size(), 3u);
    EXPECT_EQ(air[0], 55.25);
    EXPECT_EQ(air[1], 175.25999450683594);
    EXPECT_NE(air[1], 175.26);
    EXPECT_EQ(Frequencies(table, ChannelModeCable), (std::vector<double>{0.0, 303.25}));
    EXPECT_EQ(table.Header().iCountryCode(), 44);
    EXPECT_EQ(table.Header().wAirMin(), 3);
    EXPECT_EQ(table.Header().wAirMax(), 3);
    EXPECT_EQ(table.Header().wCableMin(), 9);
    EXPECT_EQ(table.Header().wCableMax(), 2);
    EXPECT_EQ(table.Header().wMarker(), 0xCB00);
}

TEST(LegacyChannelTableConvert, EmptyCableListLeavesNoCableListAndSavesNoCableEntries)
{
    TempDir dir;
    Bytes image = LegacyHeader(-3, 2, 4);
    PutEntries(image, {{48.25f, 0, 0}, {55.25f, 0, 0}});
    PutEntries(image, std::vector<Entry>(4, {99.0f, 0, 0}));
    PutTrailer(image, 1, 2, 5, 0);
    WriteAll(dir.File("fr.cft"), image);

    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("fr.cft").c_str()), 1);
    ChannelTable table(false);
    ASSERT_EQ(table.ConvertFromLegacy(&legacy), 1);
    EXPECT_EQ(table.GetList(ChannelModeCable), nullptr);
    ASSERT_EQ(table.Save(LegacyOutputPath(dir.File("fr.cft")).c_str()), 1);

    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    PutI32(expected, -3);
    PutU16(expected, 2); // air count
    PutU16(expected, 1); // air minimum from the trailer
    PutU16(expected, 0); // no cable entries
    PutU16(expected, 5); // cable minimum from the trailer
    PutF64(expected, 48.25);
    PutF64(expected, 55.25);
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(ReadAll(dir.File("fr.ccf")), expected);
}

TEST(LegacyChannelTableConvert, EmptyAirListFailsButCableListIsStillCopied)
{
    TempDir dir;
    Bytes image = LegacyHeader(81, 2, 2);
    PutEntries(image, {{91.25f, 0, 0}, {97.25f, 0, 0}, {103.25f, 0, 0}, {109.25f, 0, 0}});
    PutTrailer(image, 1, 0, 1, 2);
    WriteAll(dir.File("jp.cft"), image);

    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("jp.cft").c_str()), 1);
    EXPECT_EQ(legacy.GetList(ChannelModeAir)->iCount, 0);
    ChannelTable table(false);
    EXPECT_EQ(table.ConvertFromLegacy(&legacy), 0);
    EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);
    EXPECT_EQ(Frequencies(table, ChannelModeCable), (std::vector<double>{103.25, 109.25}));
    EXPECT_EQ(table.ConvertFromLegacy(nullptr), 0);
}

TEST(LegacyChannelTableConvert, ConvertListRefusesWhatItCannotCopy)
{
    ChannelTable table(true);
    EntryList legacy;
    legacy.AddTail(LegacyNode(48.25f));
    legacy.AddTail(LegacyNode(175.26f));
    EntryList target;
    target.AddTail(new ChannelNode);

    EXPECT_EQ(table.ConvertList(nullptr, &target), 0);
    EXPECT_EQ(table.ConvertList(&legacy, nullptr), 0);
    EXPECT_EQ(table.ConvertList(&legacy, &legacy), 0);
    ASSERT_EQ(table.ConvertList(&legacy, &target), 1); // appends behind what is there
    ASSERT_EQ(target.iCount, 3);
    EXPECT_EQ(static_cast<ChannelNode*>(target.pTail)->dbFrequency, static_cast<double>(175.26f));

    // Nodes of another kind are not frequencies of an old table.
    EntryList wrongKind;
    wrongKind.AddTail(LegacyNode(1.0f));
    wrongKind.AddTail(new ChannelNode);
    EXPECT_EQ(table.ConvertList(&wrongKind, &target), 0);
    EXPECT_EQ(target.iCount, 4); // the copy ends where it failed

    // More channels than a channel file can record are refused whole.
    EntryList huge;
    for (int i = 0; i < ChannelTable::kMaxChannels - 3; ++i)
        huge.AddTail(LegacyNode(1.0f));
    EntryList almostFull;
    for (int i = 0; i < 4; ++i)
        almostFull.AddTail(new ChannelNode);
    EXPECT_EQ(table.ConvertList(&huge, &almostFull), 0);
    EXPECT_EQ(almostFull.iCount, 4);
    delete almostFull.RemoveHead();
    EXPECT_EQ(table.ConvertList(&huge, &almostFull), 1);
    EXPECT_EQ(almostFull.iCount, ChannelTable::kMaxChannels);
}

// A real channel plan written in the old format comes out of the conversion
// and a save/load round trip as the floats it was stored as.
TEST(LegacyChannelTableConvert, RealPlansSurviveConversionAndReload)
{
    const auto readPlan = [](const std::string& name) {
        std::vector<float> out;
        const auto rows = ReadCsv(DataFile("channel-plans/" + name + ".csv"));
        for (std::size_t i = 1; i < rows.size(); ++i)
            out.push_back(std::stof(rows[i].at(1)));
        return out;
    };
    const std::vector<float> air = readPlan("europe-west");
    const std::vector<float> cable = readPlan("us-cable");
    ASSERT_EQ(air.size(), 104u);
    ASSERT_EQ(cable.size(), 133u);

    TempDir dir;
    Bytes image = LegacyHeader(49, static_cast<std::uint16_t>(air.size()), static_cast<std::uint16_t>(cable.size()));
    for (float f : air)
        PutEntries(image, {{f, 0, 0}});
    for (float f : cable)
        PutEntries(image, {{f, 0, 0}});
    PutTrailer(image, 1, static_cast<std::uint16_t>(air.size()), 1, static_cast<std::uint16_t>(cable.size()));
    WriteAll(dir.File("plans.v1.cft"), image);

    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("plans.v1.cft").c_str()), 1);
    ChannelTable converted(false);
    ASSERT_EQ(converted.ConvertFromLegacy(&legacy), 1);
    const std::string output = LegacyOutputPath(dir.File("plans.v1.cft"));
    EXPECT_EQ(output, dir.File("plans.v1.ccf"));
    ASSERT_EQ(converted.Save(output.c_str()), 1);

    ChannelTable reloaded(false);
    ASSERT_EQ(reloaded.Load(output.c_str()), 1);
    const auto gotAir = Frequencies(reloaded, ChannelModeAir);
    const auto gotCable = Frequencies(reloaded, ChannelModeCable);
    ASSERT_EQ(gotAir.size(), air.size());
    ASSERT_EQ(gotCable.size(), cable.size());
    for (std::size_t i = 0; i < air.size(); ++i)
        EXPECT_EQ(gotAir[i], static_cast<double>(air[i])) << i;
    for (std::size_t i = 0; i < cable.size(); ++i)
        EXPECT_EQ(gotCable[i], static_cast<double>(cable[i])) << i;
    EXPECT_EQ(reloaded.Header().iCountryCode(), 49);
}

TEST(LegacyOutputPath, ReplacesTheFileNamesLastExtension)
{
    EXPECT_EQ(LegacyOutputPath("/plans/fr.cft"), "/plans/fr.ccf");
    EXPECT_EQ(LegacyOutputPath("fr.old.cft"), "fr.old.ccf");
    EXPECT_EQ(LegacyOutputPath("/data/a.b.cft"), "/data/a.b.ccf");
    EXPECT_EQ(LegacyOutputPath("fr.CFT"), "fr.ccf");
    EXPECT_EQ(LegacyOutputPath("name."), "name.ccf");
    EXPECT_EQ(LegacyOutputPath("/tmp/.cft"), "/tmp/.ccf");
}

TEST(LegacyOutputPath, NameWithoutDotGetsTheExtensionAppended)
{
    EXPECT_EQ(LegacyOutputPath("name"), "name.ccf");
    EXPECT_EQ(LegacyOutputPath("/tmp/plans/name"), "/tmp/plans/name.ccf");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(LegacyOutputPath("/tmp/a.b/name"), "/tmp/a.b/name.ccf");
    EXPECT_EQ(LegacyOutputPath("./name"), "./name.ccf");
    EXPECT_EQ(LegacyOutputPath("../x.y/z"), "../x.y/z.ccf");
}
