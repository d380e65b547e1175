#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <sys/stat.h>

#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"

namespace {

ChannelNode* Node(double f)
{
    auto* p = new ChannelNode;
    p->dbFrequency = f;
    return p;
}

void Fill(ChannelTable& t, int mode, std::initializer_list<double> freqs)
{
    for (double f : freqs)
        ASSERT_EQ(t.AppendChannel(mode, Node(f)), 1);
}

std::vector<double> Frequencies(const ChannelTable& t, int mode)
{
    std::vector<double> out;
    const EntryList* list = t.GetList(mode);
    for (const EntryNode* p = list ? list->pHead : nullptr; p; p = p->pNext)
        out.push_back(static_cast<const ChannelNode*>(p)->dbFrequency);
    return out;
}

std::pair<int, int> Range(const ChannelTable& t, int mode)
{
    std::int32_t lo = -7, hi = -7;
    EXPECT_EQ(t.GetRange(mode, &lo, &hi), 1);
    return {lo, hi};
}

Bytes HeaderBytes(std::int32_t country, std::uint16_t airMax, std::uint16_t airMin, std::uint16_t cableMax,
                  std::uint16_t cableMin)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    PutI32(b, country);
    PutU16(b, airMax);
    PutU16(b, airMin);
    PutU16(b, cableMax);
    PutU16(b, cableMin);
    return b;
}

} // namespace

TEST(ChannelTableFile, NewTableWithEmptyListsSavesTwentyFourBytes)
{
    TempDir dir;
    ChannelTable table(true);
    ASSERT_EQ(table.Save(dir.File("new.ccf").c_str()), 1);
    Bytes expected = HeaderBytes(0, 0, 0, 0, 0);
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(ReadAll(dir.File("new.ccf")), expected);
}

TEST(ChannelTableFile, TableWithoutListsRefusesToSaveAndWritesNothing)
{
    TempDir dir;
    ChannelTable table(false);
    EXPECT_EQ(table.Save(dir.File("none.ccf").c_str()), 0);
    EXPECT_FALSE(FileExists(dir.File("none.ccf")));
    EXPECT_EQ(table.Save(nullptr), 0);
}

TEST(ChannelTableFile, SaveWritesCountsAndKeepsStoredMinima)
{
    TempDir dir;
    ChannelTable table(true);
    ASSERT_EQ(table.SetCountryCode(44), 1);
    Fill(table, ChannelModeAir, {0, 55.25, 0, 62.25, 0});
    Fill(table, ChannelModeCable, {73.25});
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(2, 4));

    ASSERT_EQ(table.Save(dir.File("uk.ccf").c_str()), 1);
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(2, 5));

    Bytes expected = HeaderBytes(44, 5, 2, 1, 1);
    for (double f : {0.0, 55.25, 0.0, 62.25, 0.0})
        PutF64(expected, f);
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    PutF64(expected, 73.25);
    EXPECT_EQ(ReadAll(dir.File("uk.ccf")), expected);
    EXPECT_EQ(expected.size(), 24u + 8u * 6u);
}

TEST(ChannelTableFile, LoadRoundTripKeepsHeaderAsStored)
{
    TempDir dir;
    Bytes image = HeaderBytes(-5, 3, 9, 2, 0);
    image[4] = 'X'; // not the usual magic: still accepted and written back
    image[0] = 0x12;
    image[2] = 0x34;
    for (double f : {48.25, 0.0, -3.0})
        PutF64(image, f);
    PutBytes(image, {0xDE, 0xAD, 0xBE, 0xEF});
    PutF64(image, std::numeric_limits<double>::quiet_NaN());
    PutF64(image, 1e300);
    WriteAll(dir.File("odd.ccf"), image);

    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("odd.ccf").c_str()), 1);
    EXPECT_EQ(table.Header().iCountryCode(), -5);
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(9, 3));
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(0, 2));
    EXPECT_EQ(Frequencies(table, ChannelModeAir), (std::vector<double>{48.25, 0.0, -3.0}));
    ASSERT_EQ(table.Save(dir.File("copy.ccf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("copy.ccf")), image);
}

TEST(ChannelTableFile, ShortFileLoadsDeclaredEntriesAsEmptySlots)
{
    TempDir dir;
    Bytes image = HeaderBytes(7, 4, 1, 3, 1);
    PutF64(image, 49.75);
    image.push_back(0x01); // a cut-off second entry
    WriteAll(dir.File("short.ccf"), image);

    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("short.ccf").c_str()), 1);
    const auto air = Frequencies(table, ChannelModeAir);
    ASSERT_EQ(air.size(), 4u);
    EXPECT_EQ(air[0], 49.75);
    EXPECT_EQ(air[2], 0.0);
    EXPECT_EQ(air[3], 0.0);
    EXPECT_EQ(Frequencies(table, ChannelModeCable), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(table.EndMark()[0] | table.EndMark()[1] | table.EndMark()[2] | table.EndMark()[3], 0);

    WriteAll(dir.File("tiny.ccf"), Bytes{0x00, 0xCB, 0x00});
    ASSERT_EQ(table.Load(dir.File("tiny.ccf").c_str()), 1);
    EXPECT_EQ(table.Header().wMarker(), 0xCB00);
    EXPECT_EQ(table.Header().dwMagic(), 0u);
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, 0);
}

// What a thread of its own reads of a file is what Load puts in the lists,
// slot by slot and bit for bit, a cut-off record and a short file included;
// what Load refuses it refuses with the same reason, a FIFO unopened.
TEST(ChannelTableFile, FrequenciesReadAloneAreWhatLoadPutsInTheLists)
{
    TempDir dir;
    WriteAll(dir.File("whole.ccf"), ChannelTableImage(49, {48.25, 0.0, 855.25}, {111.25}, 1, 1));
    Bytes cut = HeaderBytes(41, 2, 1, 2, 1);
    PutF64(cut, 471.25);
    cut.insert(cut.end(), {0x00, 0x00, 0x40, 0x7f, 0x40}); // the first bytes of a second record
    WriteAll(dir.File("cut.ccf"), cut);
    for (const char* name : {"whole.ccf", "cut.ccf"}) {
        ChannelTable table(false);
        ASSERT_EQ(table.Load(dir.File(name).c_str()), 1) << name;
        ChannelFileFrequencies read;
        ASSERT_TRUE(ReadChannelFrequencies(dir.File(name).c_str(), read)) << name;
        EXPECT_EQ(read.iCountry, table.Header().iCountryCode()) << name;
        for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
            const std::vector<double> loaded = Frequencies(table, iMode);
            const std::vector<double>& alone = iMode == ChannelModeAir ? read.air : read.cable;
            ASSERT_EQ(alone.size(), loaded.size()) << name;
            EXPECT_EQ(std::memcmp(alone.data(), loaded.data(), loaded.size() * sizeof(double)), 0) << name;
        }
    }

    ASSERT_EQ(mkfifo(dir.File("fifo.ccf").c_str(), 0600), 0);
    for (const std::string& path : {dir.File("fifo.ccf"), dir.Path(), dir.File("absent.ccf")}) {
        ChannelTable table(false);
        FileError loadError;
        EXPECT_EQ(table.Load(path.c_str(), &loadError), 0);
        ChannelFileFrequencies read;
        FileError error;
        EXPECT_FALSE(ReadChannelFrequencies(path.c_str(), read, &error)) << path;
        EXPECT_EQ(error.code, loadError.code) << path;
        EXPECT_EQ(error.text, loadError.text) << path;
    }
}

TEST(ChannelTableFile, MissingFileEmptiesTableAndSavesZeroHeader)
{
    TempDir dir;
    ChannelTable table(true);
    Fill(table, ChannelModeAir, {55.25});
    table.SetCountryCode(1);
    FileError error;
    EXPECT_EQ(table.Load(dir.File("absent.ccf").c_str(), &error), 0);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(error.text.empty());
    ASSERT_NE(table.GetList(ChannelModeAir), nullptr);
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, 0);
    EXPECT_EQ(table.Header().iCountryCode(), 0);
    ASSERT_EQ(table.Save(dir.File("zero.ccf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("zero.ccf")), Bytes(24, 0));

    EXPECT_EQ(table.Load(nullptr), 0);
    EXPECT_EQ(table.Load(dir.Path().c_str()), 0); // a folder is not a table
}

TEST(ChannelTableRange, RecomputedOnStructuralEditsOnly)
{
    ChannelTable table(true);
    Fill(table, ChannelModeAir, {0, 55.25, 0, 62.25, 0});
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(2, 4));
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(0, 0));

    ASSERT_EQ(table.SetFrequency(ChannelModeAir, 1, 40.0), 1);
    ASSERT_EQ(table.SetFrequency(ChannelModeAir, 4, 0.0), 1);
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(2, 4));

    ASSERT_EQ(table.DeleteChannel(ChannelModeAir, 5), 1);
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(1, 2));
}

TEST(ChannelTableRange, ListWithoutFrequenciesKeepsPreviousFields)
{
    ChannelTable table(true);
    Fill(table, ChannelModeCable, {0, 0, 0});
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(0, 0));
    Fill(table, ChannelModeCable, {0, 99.0, std::nan(""), -4.0});
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(5, 5));
    ASSERT_EQ(table.DeleteChannel(ChannelModeCable, 5), 1);
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(5, 5));
    while (table.GetList(ChannelModeCable)->iCount > 0)
        ASSERT_EQ(table.DeleteChannel(ChannelModeCable, 1), 1);
    EXPECT_EQ(Range(table, ChannelModeCable), std::make_pair(5, 5));

    TempDir dir;
    ASSERT_EQ(table.Save(dir.File("empty-cable.ccf").c_str()), 1);
    const Bytes saved = ReadAll(dir.File("empty-cable.ccf"));
    EXPECT_EQ(saved[16] | saved[17] << 8, 0); // count 0 beside the old minimum
    EXPECT_EQ(saved[18] | saved[19] << 8, 5);
}

TEST(ChannelTableChannels, InsertDeleteAndLookupByNumber)
{
    ChannelTable table(true);
    auto* orphan = Node(1.0);
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 1, orphan), 0); // empty list
    Fill(table, ChannelModeAir, {10, 20, 30});
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 4, orphan), 0);
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 0, orphan), 0);
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 1, orphan), 1);
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 3, Node(15)), 1);
    EXPECT_EQ(Frequencies(table, ChannelModeAir), (std::vector<double>{1, 10, 15, 20, 30}));
    EXPECT_EQ(table.InsertChannel(ChannelModeNone, 1, nullptr), 0);
    EXPECT_EQ(table.AppendChannel(7, nullptr), 0);

    EXPECT_EQ(table.GetFrequency(ChannelModeAir, 0), -1.0);
    EXPECT_EQ(table.GetFrequency(ChannelModeAir, 6), -1.0);
    EXPECT_EQ(table.GetFrequency(ChannelModeAir, 5), 30.0);
    EXPECT_EQ(table.DeleteChannel(ChannelModeAir, 6), 0);
    EXPECT_EQ(table.DeleteChannel(ChannelModeAir, 0), 0);
    EXPECT_EQ(table.SetFrequency(ChannelModeAir, 6, 1.0), 0);
    EXPECT_EQ(table.DeleteChannel(ChannelModeAir, 1), 1);
    EXPECT_EQ(Frequencies(table, ChannelModeAir), (std::vector<double>{10, 15, 20, 30}));

    ChannelTable noLists(false);
    EXPECT_EQ(noLists.GetFrequency(ChannelModeAir, 1), -1.0);
    EXPECT_EQ(noLists.DeleteChannel(ChannelModeCable, 1), 0);
    auto* kept = Node(3.0);
    EXPECT_EQ(noLists.AppendChannel(ChannelModeAir, kept), 0);
    delete kept;
}

TEST(ChannelTableChannels, CountryCodeAndRangeArguments)
{
    ChannelTable table(true);
    EXPECT_EQ(table.SetCountryCode(33), 1);
    EXPECT_EQ(table.SetCountryCode(0), 0);
    EXPECT_EQ(table.SetCountryCode(-44), 0);
    EXPECT_EQ(table.Header().iCountryCode(), 33);
    EXPECT_EQ(table.GetRange(ChannelModeAir, nullptr, nullptr), 0);
    std::int32_t lo = -1;
    EXPECT_EQ(table.GetRange(5, &lo, nullptr), 1); // any other mode reads the cable fields
    EXPECT_EQ(lo, 0);
}

TEST(ChannelTableChannels, ListsStopAtTheLargestCountTheFileCanRecord)
{
    ChannelTable table(true);
    for (int i = 0; i < ChannelTable::kMaxChannels; ++i)
        ASSERT_EQ(table.AppendChannel(ChannelModeAir, Node(i + 1.0)), 1);
    auto* extra = Node(1.0);
    EXPECT_EQ(table.AppendChannel(ChannelModeAir, extra), 0);
    EXPECT_EQ(table.InsertChannel(ChannelModeAir, 1, extra), 0);
    delete extra;
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(1, 65535));

    TempDir dir;
    ASSERT_EQ(table.Save(dir.File("full.ccf").c_str()), 1);
    ChannelTable loaded(false);
    ASSERT_EQ(loaded.Load(dir.File("full.ccf").c_str()), 1);
    EXPECT_EQ(loaded.GetList(ChannelModeAir)->iCount, 65535);
    EXPECT_EQ(loaded.GetFrequency(ChannelModeAir, 65535), 65535.0);
}

// The one-walk deletion must leave what deleting one channel at a time, from
// the highest number down, leaves: lists and all four range fields.
TEST(ChannelTableChannels, DeleteChannelsMatchesStepByStepDeletion)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        const int n = static_cast<int>(rng() % 12);
        std::vector<double> freqs;
        for (int i = 0; i < n; ++i)
            freqs.push_back((rng() % 3 == 0) ? 0.0 : 50.0 + i);
        std::vector<std::int32_t> picks;
        for (int c = 0; c <= n + 1; ++c)
            if (rng() % 3 == 0)
                picks.push_back(c);

        ChannelTable slow(true), fast(true);
        for (double f : freqs) {
            slow.AppendChannel(ChannelModeCable, Node(f));
            fast.AppendChannel(ChannelModeCable, Node(f));
        }
        // Fields that no edit of this round would recompute stay visible.
        slow.SetFrequency(ChannelModeCable, 1, freqs.empty() ? 0 : freqs[0]);
        for (auto it = picks.rbegin(); it != picks.rend(); ++it)
            slow.DeleteChannel(ChannelModeCable, *it);
        fast.DeleteChannels(ChannelModeCable, picks);

        ASSERT_EQ(Frequencies(fast, ChannelModeCable), Frequencies(slow, ChannelModeCable)) << "round " << round;
        ASSERT_EQ(Range(fast, ChannelModeCable), Range(slow, ChannelModeCable)) << "round " << round;
        ASSERT_EQ(Range(fast, ChannelModeAir), Range(slow, ChannelModeAir));
        const EntryList* list = fast.GetList(ChannelModeCable);
        ASSERT_EQ(list->iCount == 0, list->pHead == nullptr && list->pTail == nullptr);
    }
}

// Loading chains the nodes without going through the list for each one, and
// decodes a list that lies wholly inside the file in place: the lists must
// come out exactly as appending the file's values (zero past its end) one by
// one would make them, wherever the file ends.
TEST(ChannelTableFile, LoadedListsAreThoseThatAppendingEachValueMakes)
{
    const std::uint16_t nAir = 9;
    const std::uint16_t nCable = 6;
    Bytes whole = HeaderBytes(7, nAir, 2, nCable, 1);
    for (int i = 0; i < nAir; ++i)
        PutF64(whole, 100.0 + i);
    PutBytes(whole, {0xAA, 0xBB, 0xCC, 0xDD});
    for (int i = 0; i < nCable; ++i)
        PutF64(whole, -3.5 * i);

    TempDir dir;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const Bytes file(whole.begin(), whole.begin() + cut);
        WriteAll(dir.File("cut.ccf"), file);
        Bytes padded = file;
        padded.resize(std::max<std::size_t>(whole.size(), 20 + 4), 0);

        // What appending each value, read byte by byte, makes.
        const std::uint16_t wAir = le::ReadU16(&padded[12]);
        const std::uint16_t wCable = le::ReadU16(&padded[16]);
        padded.resize(24 + 8 * (wAir + wCable), 0);
        std::vector<double> air, cable;
        for (int i = 0; i < wAir; ++i)
            air.push_back(le::ReadF64(&padded[20 + 8 * i]));
        for (int i = 0; i < wCable; ++i)
            cable.push_back(le::ReadF64(&padded[24 + 8 * (wAir + i)]));
        ChannelTable expected(true);
        ASSERT_TRUE(expected.AppendFrequencies(ChannelModeAir, air));
        ASSERT_TRUE(expected.AppendFrequencies(ChannelModeCable, cable));

        ChannelTable loaded(false);
        ASSERT_EQ(loaded.Load(dir.File("cut.ccf").c_str()), 1) << cut;
        for (int mode : {ChannelModeAir, ChannelModeCable}) {
            const EntryList* list = loaded.GetList(mode);
            ASSERT_EQ(Frequencies(loaded, mode), Frequencies(expected, mode)) << "cut " << cut;
            ASSERT_EQ(list->iCount, expected.GetList(mode)->iCount);
            std::int32_t n = 0;
            const EntryNode* last = nullptr;
            for (const EntryNode* p = list->pHead; p; p = p->pNext, ++n) {
                ASSERT_EQ(p->pPrev, last) << "cut " << cut;
                last = p;
            }
            ASSERT_EQ(n, list->iCount);
            ASSERT_EQ(list->pTail, last);
        }
        EXPECT_EQ(Bytes(loaded.EndMark(), loaded.EndMark() + 4),
                  Bytes(padded.begin() + 20 + 8 * wAir, padded.begin() + 24 + 8 * wAir))
            << cut;
    }
}

// A table rebuilt from a description of its file takes whole lists at once:
// they must end exactly as appending the channels one by one ends them, and a
// list that would pass the file's count takes nothing.
TEST(ChannelTableBuild, AppendedListsEndAsChannelByChannelAppending)
{
    const std::vector<std::vector<double>> lists = {
        {}, {0.0, 0.0}, {0.0, 55.25, 0.0, 61.25, 0.0}, {48.25}, {-1.0, 0.0, std::nan(""), 7.0}};
    for (const std::vector<double>& frequencies : lists) {
        ChannelTable whole(true);
        ChannelTable stepwise(true);
        ASSERT_TRUE(whole.AppendFrequencies(ChannelModeCable, frequencies));
        for (double f : frequencies)
            ASSERT_EQ(stepwise.AppendChannel(ChannelModeCable, Node(f)), 1);
        EXPECT_EQ(whole.FileImage(), stepwise.FileImage()) << frequencies.size();
        EXPECT_TRUE(Frequencies(whole, ChannelModeAir).empty());
    }

    ChannelTable table(true);
    Fill(table, ChannelModeAir, {0.0, 471.25});
    const std::vector<std::uint8_t> before = table.FileImage();
    EXPECT_FALSE(table.AppendFrequencies(ChannelModeAir, std::vector<double>(ChannelTable::kMaxChannels - 1, 1.0)));
    EXPECT_EQ(table.FileImage(), before);
    EXPECT_FALSE(table.AppendFrequencies(ChannelModeNone, {1.0}));
    EXPECT_TRUE(table.AppendFrequencies(ChannelModeAir, std::vector<double>(ChannelTable::kMaxChannels - 2, 0.0)));
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, ChannelTable::kMaxChannels);
    EXPECT_EQ(Range(table, ChannelModeAir), std::make_pair(2, 2));

    ChannelTable noLists(false);
    EXPECT_FALSE(noLists.AppendFrequencies(ChannelModeAir, {1.0}));
}
