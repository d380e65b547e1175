// The tables tell their recorder every change of a list: the splices told,
// put back in reverse, give back the lists as they were, whichever command
// made them, a load and a conversion among them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

template <class Value> struct Recorder : ListRecorder<Value>
{
    std::vector<ListSplice<Value>> splices;
    void Spliced(ListSplice<Value> splice) override { splices.push_back(std::move(splice)); }

    // Takes every splice back, the last first, into table; the recorder is off meanwhile.
    template <class Table> void Undo(Table& table)
    {
        table.SetRecorder(nullptr);
        for (auto it = splices.rbegin(); it != splices.rend(); ++it)
            ASSERT_TRUE(
                table.PutBack(it->iList, it->iStart, static_cast<std::int32_t>(it->inserted.size()), it->removed));
        splices.clear();
        table.SetRecorder(this);
    }
};

std::vector<double> List(const ChannelTable& table, std::int32_t iMode)
{
    std::vector<double> frequencies;
    for (const ChannelNode& channel : table.Channels(iMode))
        frequencies.push_back(channel.dbFrequency);
    return frequencies;
}

TunerSpecEntry Entry(std::int32_t iFactory, std::int32_t iType)
{
    TunerSpecEntry entry;
    entry.SetFactory(iFactory);
    entry.SetTunerType(iType);
    entry.SetLowBandStart(48.25);
    return entry;
}

TunerSpecNode* NewNode(const TunerSpecEntry& entry)
{
    auto* pNode = new TunerSpecNode;
    pNode->entry = entry;
    return pNode;
}

} // namespace

TEST(ListRecorder, EveryChannelCommandIsToldAndPutsBackExactly)
{
    TempDir dir;
    WriteAll(dir.File("t.ccf"), ChannelTableImage(49, {45.0, 0.0, 55.25, 62.25}, {175.25}, 1, 1));
    WriteAll(dir.File("t.cft"), LegacyTableImage(33, {48.25f, 55.75f}, {300.0f}, 1, 2, 1, 1));
    LegacyChannelTable legacy;
    ASSERT_EQ(legacy.Load(dir.File("t.cft").c_str()), 1);

    ChannelTable table(true);
    Recorder<FrequencyBits> recorder;
    table.SetRecorder(&recorder);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {40.0, 41.0, 42.0, 43.0, 44.0, 45.0}));
    ASSERT_EQ(recorder.splices.size(), 1u);
    recorder.splices.clear();
    const std::vector<double> start = List(table, ChannelModeAir);

    const auto commands = {
        +[](ChannelTable& t) {
            EXPECT_EQ(t.DeleteChannels(ChannelModeAir, {2, 3, 5}), 3);
        },
        +[](ChannelTable& t) { EXPECT_TRUE(t.ReplaceRun(ChannelModeAir, 1, 2, {7.0})); },
        +[](ChannelTable& t) { EXPECT_TRUE(t.SetFrequency(ChannelModeAir, 6, 99.0)); },
        +[](ChannelTable& t) { EXPECT_TRUE(t.DeleteChannel(ChannelModeAir, 1)); },
        +[](ChannelTable& t) {
            auto* pNode = new ChannelNode;
            pNode->dbFrequency = 5.0;
            EXPECT_TRUE(t.InsertChannel(ChannelModeAir, 2, pNode));
        },
    };
    for (const auto command : commands) {
        command(table);
        ASSERT_FALSE(recorder.splices.empty());
        recorder.Undo(table);
        EXPECT_EQ(List(table, ChannelModeAir), start);
    }
    // Writing what is there already is no change.
    ASSERT_TRUE(table.SetFrequency(ChannelModeAir, 1, 40.0));
    EXPECT_TRUE(recorder.splices.empty());

    // A load and a conversion make both lists anew, each told as one splice.
    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    EXPECT_EQ(recorder.splices.size(), 2u);
    recorder.Undo(table);
    EXPECT_EQ(List(table, ChannelModeAir), start);
    EXPECT_TRUE(List(table, ChannelModeCable).empty());
    ASSERT_EQ(table.ConvertFromLegacy(&legacy), 1);
    EXPECT_EQ(List(table, ChannelModeAir), (std::vector<double>{48.25, 55.75}));
    EXPECT_EQ(List(table, ChannelModeCable), (std::vector<double>{300.0}));
    recorder.Undo(table);
    EXPECT_EQ(List(table, ChannelModeAir), start);
}

TEST(ListRecorder, TunerEntriesInsertedByKeyRemovedAndLoadedAreToldWhereTheyWent)
{
    TempDir dir;
    TunerSpecTable saved(true);
    ASSERT_TRUE(saved.AppendEntries({Entry(9, 1), Entry(2, 1)}));
    ASSERT_EQ(saved.Save(dir.File("t.tsf").c_str()), 1);

    TunerSpecTable table(true);
    Recorder<TunerEntryImage> recorder;
    table.SetRecorder(&recorder);
    // A list out of key order, as a file may hold it.
    ASSERT_TRUE(table.AppendEntries({Entry(5, 0), Entry(1, 0), Entry(7, 0)}));
    recorder.splices.clear();
    const std::vector<std::uint8_t> start = table.FileImage();

    for (const std::int32_t iFactory : {0, 3, 6, 8}) {
        table.InsertInOrder(NewNode(Entry(iFactory, 0)));
        ASSERT_EQ(recorder.splices.size(), 1u) << iFactory;
        const ListSplice<TunerEntryImage>& splice = recorder.splices[0];
        EXPECT_EQ(std::memcmp(table.EntryAt(splice.iStart)->bytes, splice.inserted[0].data(), TunerSpecEntry::kSize),
                  0);
        recorder.Undo(table);
        EXPECT_EQ(table.FileImage(), start);
    }
    // A taken key changes nothing.
    table.InsertInOrder(NewNode(Entry(5, 0)));
    EXPECT_TRUE(recorder.splices.empty());
    ASSERT_EQ(table.RemoveEntry(2), 1);
    recorder.Undo(table);
    EXPECT_EQ(table.FileImage(), start);
    ASSERT_EQ(table.Load(dir.File("t.tsf").c_str()), 1);
    recorder.Undo(table);
    EXPECT_EQ(table.Entries().size(), 3);
}
