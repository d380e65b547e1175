// The channel editor's bulk edits on a document, against a plain vector model
// of each: the table's own nodes are read back through its file image, and
// every command is undone to the same bytes and range and redone again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "tests/TestFiles.h"

namespace {

using Channels = std::vector<std::int32_t>;
using List = std::vector<double>;

// ---- The model: each command written out the plain way. ----

// The range as inserting and deleting leave it: first and last channel above
// 0, or the fields as they were when no channel has a frequency.
ChannelRange ModelRange(const List& list, ChannelRange previous)
{
    ChannelRange range;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] > 0.0) {
            if (range.iMin == 0)
                range.iMin = static_cast<std::int32_t>(i + 1);
            range.iMax = static_cast<std::int32_t>(i + 1);
        }
    }
    return range.iMin == 0 ? previous : range;
}

// Runs of consecutive channels: first and last of each.
std::vector<std::pair<std::int32_t, std::int32_t>> Runs(const Channels& channels)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> runs;
    for (const std::int32_t c : channels) {
        if (!runs.empty() && runs.back().second + 1 == c)
            runs.back().second = c;
        else
            runs.push_back({c, c});
    }
    return runs;
}

// Each run and the channel in front of it turn by one: the run moves up.
List ModelMoveUp(List list, const Channels& channels)
{
    for (const auto& [first, last] : Runs(channels))
        std::rotate(list.begin() + (first - 2), list.begin() + (first - 1), list.begin() + last);
    return list;
}

List ModelMoveDown(List list, const Channels& channels)
{
    for (const auto& [first, last] : Runs(channels))
        std::rotate(list.begin() + (first - 1), list.begin() + last, list.begin() + last + 1);
    return list;
}

bool Chosen(const Channels& channels, std::size_t i)
{
    return std::binary_search(channels.begin(), channels.end(), static_cast<std::int32_t>(i + 1));
}

List ModelMoveTo(const List& list, const Channels& channels, std::int32_t target)
{
    List taken, rest;
    for (std::size_t i = 0; i < list.size(); ++i)
        (Chosen(channels, i) ? taken : rest).push_back(list[i]);
    rest.insert(rest.begin() + (target - 1), taken.begin(), taken.end());
    return rest;
}

List ModelOffset(List list, const Channels& channels, double offset)
{
    for (const std::int32_t c : channels)
        if (list[c - 1] != 0.0)
            list[c - 1] += offset;
    return list;
}

List ModelFillDown(List list, const Channels& channels)
{
    for (const std::int32_t c : channels)
        list[c - 1] = list[channels.front() - 1];
    return list;
}

List ModelFillSeries(List list, const Channels& channels, double start, double step)
{
    for (std::size_t n = 0; n < channels.size(); ++n)
        list[channels[n] - 1] = start + static_cast<double>(n) * step;
    return list;
}

// Within the edges widened by half a kHz, empty slots and NaN never.
List ModelReplace(List list, double low, double high, double by)
{
    for (double& f : list)
        if (f > 0.0 && f >= low - 0.0005 && f <= high + 0.0005)
            f = by;
    return list;
}

// To a quarter MHz, ties away from zero: exact for eighths of a MHz.
List ModelRoundToQuarter(List list, const Channels& channels)
{
    for (const std::int32_t c : channels)
        if (list[c - 1] != 0.0)
            list[c - 1] = std::round(list[c - 1] * 4) / 4;
    return list;
}

List ModelClear(List list, const Channels& channels)
{
    for (const std::int32_t c : channels)
        list[c - 1] = 0.0;
    return list;
}

List ModelSort(List list, const Channels& channels)
{
    List filled, empty;
    for (const std::int32_t c : channels)
        (list[c - 1] > 0.0 ? filled : empty).push_back(list[c - 1]);
    std::sort(filled.begin(), filled.end());
    filled.insert(filled.end(), empty.begin(), empty.end());
    for (std::size_t i = 0; i < channels.size(); ++i)
        list[channels[i] - 1] = filled[i];
    return list;
}

List ModelFill(List list, const Channels& channels, double start, double step, std::int32_t count)
{
    List raster;
    for (std::int32_t i = 0; i < count; ++i)
        raster.push_back(start + i * step);
    const std::size_t at = channels.empty() ? list.size() : static_cast<std::size_t>(channels.front() - 1);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), raster.begin(), raster.end());
    return list;
}

Channels Every(std::int32_t first, std::int32_t last, std::int32_t step = 1)
{
    Channels channels;
    for (std::int32_t c = first; c <= last; c += step)
        channels.push_back(c);
    return channels;
}

// A list with empty slots scattered in it: channel c carries 40 + c / 8 MHz,
// every seventh is empty.
List Numbered(std::int32_t count)
{
    List list;
    for (std::int32_t c = 1; c <= count; ++c)
        list.push_back(c % 7 == 0 ? 0.0 : 40.0 + c / 8.0);
    return list;
}

// ---- A loaded table and the checks around one command. ----

class ChannelBulkCommands : public ::testing::Test
{
protected:
    static constexpr std::int32_t kCountry = 49;
    TempDir dir;
    ChannelTableDocument doc;
    List cable = {470.0, 0.0, 478.0};

    void Load(const List& airList, std::uint16_t airMin = 1, std::int32_t iMode = ChannelModeAir)
    {
        const std::string path = dir.File("t.ccf");
        WriteAll(path, ChannelTableImage(kCountry, airList, cable, airMin, 1));
        FileError error;
        ASSERT_TRUE(doc.Load(path, error));
        doc.SetMode(iMode);
    }

    Bytes Image() const { return doc.Table()->FileImage(); }

    // The file the table must give when its current list is `list` with this range.
    Bytes Expected(const List& list, ChannelRange range) const
    {
        if (doc.Mode() == ChannelModeCable)
            return ChannelTableImage(kCountry, air, list, static_cast<std::uint16_t>(doc.Range(ChannelModeAir).iMin),
                                     static_cast<std::uint16_t>(range.iMin));
        return ChannelTableImage(kCountry, list, cable, static_cast<std::uint16_t>(range.iMin),
                                 static_cast<std::uint16_t>(doc.Range(ChannelModeCable).iMin));
    }

    // Runs the command, which must make `expected` of the current list in one
    // step with the range recomputed; undo must give back the bytes and range
    // of before, redo those of after.
    template <class Command> void ExpectStep(Command command, const List& expected, const std::string& name)
    {
        const List before = doc.CurrentFrequencies();
        const ChannelRange rangeBefore = doc.Range(doc.Mode());
        const Bytes imageBefore = Image();
        const std::size_t steps = doc.UndoCount();
        command();
        const ChannelRange range = ModelRange(expected, rangeBefore);
        const Bytes imageAfter = Image();
        ASSERT_EQ(imageAfter, Expected(expected, range)) << name;
        EXPECT_EQ(doc.CurrentFrequencies(), expected);
        EXPECT_EQ(doc.Range(doc.Mode()).iMin, range.iMin) << name;
        EXPECT_EQ(doc.Range(doc.Mode()).iMax, range.iMax) << name;
        ASSERT_EQ(doc.UndoCount(), steps + 1) << name;
        EXPECT_EQ(doc.UndoName(), name);

        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Image(), imageBefore) << name;
        EXPECT_EQ(doc.Range(doc.Mode()).iMin, rangeBefore.iMin);
        EXPECT_EQ(doc.Range(doc.Mode()).iMax, rangeBefore.iMax);
        EXPECT_EQ(doc.CurrentFrequencies(), before);
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Image(), imageAfter) << name;
        EXPECT_EQ(doc.Range(doc.Mode()).iMax, range.iMax);
    }

    // A command that must change nothing and make no step.
    template <class Command> void ExpectNoStep(Command command)
    {
        const Bytes image = Image();
        const std::size_t steps = doc.UndoCount();
        command();
        EXPECT_EQ(Image(), image);
        EXPECT_EQ(doc.UndoCount(), steps);
    }

    List air;
};

TEST_F(ChannelBulkCommands, MoveUpAndDownMoveEachRunPastItsNeighbourAndStopAtTheEdges)
{
    air = {10, 20, 0, 40, 50, 0, 70, 80};
    Load(air);
    // Gaps: each run passes the channel in front of it, the last row too.
    const Channels gaps = {2, 4, 5, 8};
    const List up = ModelMoveUp(air, gaps);
    EXPECT_EQ(up, (List{20, 10, 40, 50, 0, 0, 80, 70}));
    Channels moved;
    ExpectStep([&] { moved = doc.MoveUp(gaps); }, up, "Move Up");
    EXPECT_EQ(moved, (Channels{1, 3, 4, 7}));

    // Back down from there: the list as it was.
    ExpectStep([&] { moved = doc.MoveDown(moved); }, air, "Move Down");
    EXPECT_EQ(moved, gaps);

    // The first row cannot go up, the last cannot go down, and neither can
    // the whole list: nothing changes and no step is made.
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveUp({1, 5}).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveDown({3, 8}).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveUp(Every(1, 8)).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveDown(Every(1, 8)).empty()); });

    // The first row goes down, the last goes up.
    ExpectStep([&] { moved = doc.MoveDown({1}); }, ModelMoveDown(air, {1}), "Move Down");
    EXPECT_EQ(moved, Channels{2});
    air = ModelMoveDown(air, {1});
    ExpectStep([&] { moved = doc.MoveUp(Every(2, 8)); }, ModelMoveUp(air, Every(2, 8)), "Move Up");
    EXPECT_EQ(moved, Every(1, 7));

    // The range follows the empty slots: a loaded range (the stored count as
    // its end) is recomputed by the move.
    air = {0, 20, 30, 0};
    Load(air, 2);
    ExpectStep([&] { doc.MoveDown({1}); }, ModelMoveDown(air, {1}), "Move Down");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 3);
}

TEST_F(ChannelBulkCommands, MoveToChannelPutsTheChosenRowsInOrderFromTheTarget)
{
    air = {10, 20, 0, 40, 50, 0, 70, 80};
    Load(air, 1);
    const Channels gaps = {2, 5, 8};
    for (const std::int32_t target : {1, 3, 6}) {
        Channels moved;
        ExpectStep([&] { moved = doc.MoveToChannel(gaps, target); }, ModelMoveTo(air, gaps, target), "Move to Channel");
        EXPECT_EQ(moved, (Channels{target, target + 1, target + 2}));
        ASSERT_TRUE(doc.Undo());
    }
    EXPECT_EQ(ModelMoveTo(air, gaps, 6), (List{10, 0, 40, 0, 70, 20, 50, 80}));

    // An empty slot moved to the front moves the range's start.
    ExpectStep([&] { doc.MoveToChannel({3, 6}, 1); }, ModelMoveTo(air, {3, 6}, 1), "Move to Channel");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 3);
    ASSERT_TRUE(doc.Undo());

    // Past the rows not chosen, + 1, and below 1 are refused; the whole list
    // only to channel 1, where it already is.
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveToChannel(gaps, 7).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveToChannel(gaps, 0).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveToChannel({}, 1).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.MoveToChannel(Every(1, 8), 2).empty()); });
    EXPECT_EQ(doc.MoveToChannel(Every(1, 8), 1), Every(1, 8));
    EXPECT_EQ(Image(), Expected(air, ModelRange(air, {})));
}

TEST_F(ChannelBulkCommands, OffsetClearAndSortKeepEmptySlotsAndRecomputeTheRange)
{
    air = {0, 20, 0, 40, 50, -3, 70, 0};
    // A stored minimum that no edit computed: every command recomputes it.
    Load(air, 5);
    ExpectStep([&] { EXPECT_TRUE(doc.OffsetFrequencies(Every(1, 8), 0.25)); }, ModelOffset(air, Every(1, 8), 0.25),
               "Offset Frequencies");
    EXPECT_EQ(doc.CurrentFrequencies(), (List{0, 20.25, 0, 40.25, 50.25, -2.75, 70.25, 0}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 2);
    ASSERT_TRUE(doc.Undo());

    // Pushed below 0, the first channels leave the range.
    ExpectStep([&] { doc.OffsetFrequencies({2, 4}, -40); }, ModelOffset(air, {2, 4}, -40), "Offset Frequencies");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 5);
    ASSERT_TRUE(doc.Undo());

    ExpectStep([&] { EXPECT_TRUE(doc.ClearToEmptySlot({2, 7})); }, ModelClear(air, {2, 7}), "Clear to Empty Slot");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 4);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 5);
    ASSERT_TRUE(doc.Undo());

    // Sorting over a choice with gaps: empty slots (0 and below) last in their order.
    const Channels gaps = {1, 2, 4, 6, 7, 8};
    const List sorted = ModelSort(air, gaps);
    EXPECT_EQ(sorted, (List{20, 40, 0, 70, 50, 0, -3, 0}));
    ExpectStep([&] { EXPECT_TRUE(doc.SortByFrequency(gaps)); }, sorted, "Sort Selection by Frequency");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 5);

    // Clearing every channel leaves the range fields as they were.
    air = sorted;
    ExpectStep([&] { doc.ClearToEmptySlot(Every(1, 8)); }, List(8, 0.0), "Clear to Empty Slot");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 5);
}

TEST_F(ChannelBulkCommands, RoundFrequenciesIsOneStepThatKeepsEmptySlots)
{
    air = {0, static_cast<double>(543.3f), -0.0, 55.2501, 0.0004, 175.25};
    Load(air);
    ExpectStep([&] { EXPECT_TRUE(doc.RoundFrequencies(Every(1, 6), FrequencyStep::Kilohertz1)); },
               List{0, 543.3, -0.0, 55.25, 0.0004, 175.25}, "Round Frequencies");
    ExpectStep(
        [&] {
            doc.RoundFrequencies({2, 4}, FrequencyStep::Kilohertz250);
        },
        List{0, 543.25, -0.0, 55.25, 0.0004, 175.25}, "Round Frequencies");
}

TEST_F(ChannelBulkCommands, FillDownAndFillSeriesWriteTheChosenChannelsAndRecomputeTheRange)
{
    air = {0, 20, 30, 40, 50, 60};
    Load(air, 2);
    // Down from an empty slot: the chosen channels become empty slots.
    ExpectStep([&] { EXPECT_TRUE(doc.FillDown({1, 2, 5})); }, ModelFillDown(air, {1, 2, 5}), "Fill Down");
    EXPECT_EQ(doc.CurrentFrequencies(), (List{0, 0, 30, 40, 0, 60}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 3);
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { EXPECT_TRUE(doc.FillDown({3, 4, 6})); }, ModelFillDown(air, {3, 4, 6}), "Fill Down");
    ASSERT_TRUE(doc.Undo());
    ExpectStep(
        [&] {
            EXPECT_TRUE(doc.FillSeries({1, 3, 6}, 471.25, 8));
        },
        ModelFillSeries(air, {1, 3, 6}, 471.25, 8), "Fill Series");
    EXPECT_EQ(doc.CurrentFrequencies(), (List{471.25, 20, 479.25, 40, 50, 487.25}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.FillDown({}));
    EXPECT_FALSE(doc.FillSeries({1001}, 1, 1));
}

TEST_F(ChannelBulkCommands, FindAndReplaceTakesAValueToTheKilohertzOrARangeInOneListOrBoth)
{
    air = {static_cast<double>(175.26f), 0, 182.25, 469.9994, 469.9996, 470, 862.0004, 862.0006, -470};
    cable = {175.26, 470};
    Load(air);
    // 175.26 typed finds the single-precision value stored.
    ExpectStep([&] { EXPECT_EQ(doc.ReplaceFrequencies(175.26, 175.26, 176.25, false), 1); },
               ModelReplace(air, 175.26, 175.26, 176.25), "Find and Replace");
    ASSERT_TRUE(doc.Undo());
    // A range's edges with their half kHz; to 0 the channels become empty slots.
    ExpectStep([&] { EXPECT_EQ(doc.ReplaceFrequencies(470, 862, 0, false), 3); }, ModelReplace(air, 470, 862, 0),
               "Find and Replace");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 8);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.ReplaceFrequencies(470, 470, 471.25, true), 3);
    EXPECT_EQ(doc.Frequency(6), 471.25);
    EXPECT_EQ(doc.Table()->GetFrequency(ChannelModeCable, 2), 471.25);
    EXPECT_EQ(doc.Table()->GetFrequency(ChannelModeCable, 1), 175.26);
    // One step for both lists.
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table()->GetFrequency(ChannelModeCable, 2), 470.0);
    EXPECT_EQ(doc.UndoName(), "LoadFromFile");
    // Nothing found, or found already holding the value: no step.
    ExpectNoStep([&] { EXPECT_EQ(doc.ReplaceFrequencies(600, 700, 1, true), 0); });
    ExpectNoStep([&] { EXPECT_EQ(doc.ReplaceFrequencies(182.25, 182.25, 182.25, false), 0); });
}

TEST_F(ChannelBulkCommands, CopyFromTableTakesTheOtherTablesChannelsAtTheirPlaces)
{
    const std::string otherPath = dir.File("other.ccf");
    WriteAll(otherPath, ChannelTableImage(44, {10, 25, 30, 0, 0, 60}, {470.0}, 1, 1));
    ChannelTable other(false);
    ASSERT_EQ(other.Load(otherPath.c_str()), 1);
    using Place = ChannelTableDocument::ChannelPlace;
    const std::string name = ChannelCommandName::kCopyToThisTable;
    air = {10, 20, 30, 40};
    Load(air);
    ExpectStep(
        [&] {
            EXPECT_EQ(doc.CopyFromTable(other, {{ChannelModeAir, 2}}, false), 1);
        },
        List{10, 25, 30, 40}, name);
    ASSERT_TRUE(doc.Undo());
    // Past this list's end: the places between become empty slots, so that
    // channel 6 stays channel 6.
    ExpectStep(
        [&] {
            EXPECT_EQ(doc.CopyFromTable(other, {{ChannelModeAir, 6}}, false), 2);
        },
        List{10, 20, 30, 40, 0, 60}, name);
    ASSERT_TRUE(doc.Undo());

    // A place the other table lacks is cut where it ends the list, and is an
    // empty slot elsewhere.
    WriteAll(otherPath, ChannelTableImage(44, {10, 20}, {470.0}, 1, 1));
    ASSERT_EQ(other.Load(otherPath.c_str()), 1);
    ExpectStep(
        [&] {
            EXPECT_EQ(doc.CopyFromTable(other, {{ChannelModeAir, 3}, {ChannelModeAir, 4}}, false), 2);
        },
        List{10, 20}, name);
    ASSERT_TRUE(doc.Undo());
    ExpectStep(
        [&] {
            EXPECT_EQ(doc.CopyFromTable(other, {{ChannelModeAir, 3}}, false), 1);
        },
        List{10, 20, 0, 40}, name);
    ASSERT_TRUE(doc.Undo());

    // The other list and the country code in the same one step.
    ASSERT_EQ(doc.CopyFromTable(other, {Place{ChannelModeCable, 1}, Place{ChannelModeCable, 3}}, true), 2);
    EXPECT_EQ(doc.CountryCode(), 44);
    EXPECT_EQ(doc.Table()->Channels(ChannelModeCable).size(), 2);
    EXPECT_EQ(doc.UndoName(), name);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.CountryCode(), kCountry);
    EXPECT_EQ(doc.Table()->Channels(ChannelModeCable).size(), 3);
    // Places that already hold what the other table holds, or that it has no
    // row for: no step.
    ExpectNoStep([&] { EXPECT_EQ(doc.CopyFromTable(other, {{ChannelModeAir, 1}, {ChannelModeAir, 9}}, false), 0); });
}

TEST_F(ChannelBulkCommands, SortKeepsNotANumberWithTheEmptySlots)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Load({0, 90, nan, 30, 60});
    ASSERT_TRUE(doc.SortByFrequency(Every(1, 5)));
    const List sorted = doc.CurrentFrequencies();
    ASSERT_EQ(sorted.size(), 5u);
    EXPECT_EQ(List(sorted.begin(), sorted.begin() + 3), (List{30, 60, 90}));
    EXPECT_EQ(sorted[3], 0.0);
    EXPECT_TRUE(std::isnan(sorted[4]));
}

TEST_F(ChannelBulkCommands, FillRasterAppendsOrInsertsAndIsRefusedWholePastTheLimit)
{
    air = {0, 20, 30};
    Load(air, 2);
    std::vector<std::int32_t> added;
    ExpectStep([&] { added = doc.FillRaster({}, 112.25, 7, 4); }, ModelFill(air, {}, 112.25, 7, 4),
               "Fill Raster at the end");
    EXPECT_EQ(added, (Channels{4, 5, 6, 7}));
    EXPECT_EQ(doc.CurrentFrequencies().back(), 133.25);
    ASSERT_TRUE(doc.Undo());
    ExpectStep(
        [&] {
            added = doc.FillRaster({1, 3}, 47.0, 0.5, 2);
        },
        ModelFill(air, {1}, 47.0, 0.5, 2), "Fill Raster before channel 1");
    EXPECT_EQ(added, (Channels{1, 2}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    ASSERT_TRUE(doc.Undo());
    ExpectNoStep([&] { EXPECT_TRUE(doc.FillRaster({}, 100, 8, 0).empty()); });
    ExpectNoStep([&] { EXPECT_TRUE(doc.FillRaster({}, 100, 8, -1).empty()); });

    // Up to 65,535 channels and not one more.
    air = Numbered(ChannelTable::kMaxChannels - 5);
    Load(air);
    ExpectNoStep([&] { EXPECT_TRUE(doc.FillRaster({2}, 100, 8, 6).empty()); });
    ExpectStep([&] { added = doc.FillRaster({ChannelTable::kMaxChannels - 5}, 100, 8, 5); },
               ModelFill(air, {ChannelTable::kMaxChannels - 5}, 100, 8, 5), "Fill Raster before channel 65530");
    EXPECT_EQ(added.back(), ChannelTable::kMaxChannels - 1);
    ExpectNoStep([&] { EXPECT_TRUE(doc.FillRaster({}, 100, 8, 1).empty()); });
}

TEST_F(ChannelBulkCommands, ChoicesThatAreNotAscendingDistinctChannelsOfTheListAreRefused)
{
    air = {10, 20, 30, 40};
    Load(air);
    for (const Channels& bad : {Channels{3, 2}, Channels{2, 2}, Channels{0, 2}, Channels{2, 5}, Channels{-1}}) {
        ExpectNoStep([&] {
            EXPECT_TRUE(doc.MoveUp(bad).empty());
            EXPECT_TRUE(doc.MoveDown(bad).empty());
            EXPECT_TRUE(doc.MoveToChannel(bad, 1).empty());
            EXPECT_FALSE(doc.OffsetFrequencies(bad, 1.0));
            EXPECT_FALSE(doc.ClearToEmptySlot(bad));
            EXPECT_FALSE(doc.SortByFrequency(bad));
            EXPECT_FALSE(doc.RoundFrequencies(bad, FrequencyStep::Kilohertz1));
            EXPECT_TRUE(doc.FillRaster(bad, 1.0, 1.0, 1).empty());
        });
    }
    ChannelTableDocument none;
    EXPECT_TRUE(none.MoveUp({2}).empty());
    EXPECT_FALSE(none.ClearToEmptySlot({1}));
    EXPECT_TRUE(none.FillRaster({}, 1.0, 1.0, 1).empty());
    EXPECT_EQ(none.UndoCount(), 0u);
}

TEST_F(ChannelBulkCommands, TheCableListIsEditedAndTheAirListLeftAlone)
{
    air = {10, 20};
    cable = {0, 470, 478, 486, 0};
    Load(air, 1, ChannelModeCable);
    ExpectStep([&] { doc.MoveUp({3, 5}); }, ModelMoveUp(cable, {3, 5}), "Move Up");
    cable = ModelMoveUp(cable, {3, 5});
    ExpectStep([&] { doc.FillRaster({}, 494, 8, 2); }, ModelFill(cable, {}, 494, 8, 2), "Fill Raster at the end");
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 2);
}

// Every command at the format's limit with 30,000 chosen channels in runs of
// one and of several, against the model.
TEST_F(ChannelBulkCommands, EveryCommandAtTheLargestListWithThirtyThousandChosen)
{
    air = Numbered(ChannelTable::kMaxChannels);
    Load(air);
    Channels chosen = Every(2, 40001, 2);       // 20,000 runs of one
    const Channels block = Every(50001, 60000); // and one run of 10,000
    chosen.insert(chosen.end(), block.begin(), block.end());
    ASSERT_EQ(chosen.size(), 30000u);

    ExpectStep([&] { doc.MoveUp(chosen); }, ModelMoveUp(air, chosen), "Move Up");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.MoveDown(chosen); }, ModelMoveDown(air, chosen), "Move Down");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.MoveToChannel(chosen, 12345); }, ModelMoveTo(air, chosen, 12345), "Move to Channel");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.OffsetFrequencies(chosen, -0.25); }, ModelOffset(air, chosen, -0.25), "Offset Frequencies");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.ClearToEmptySlot(chosen); }, ModelClear(air, chosen), "Clear to Empty Slot");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.SortByFrequency(chosen); }, ModelSort(air, chosen), "Sort Selection by Frequency");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.RoundFrequencies(chosen, FrequencyStep::Kilohertz250); }, ModelRoundToQuarter(air, chosen),
               "Round Frequencies");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.ReplaceFrequencies(100, 30000, 45.25, false); }, ModelReplace(air, 100, 30000, 45.25),
               "Find and Replace");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.FillDown(chosen); }, ModelFillDown(air, chosen), "Fill Down");
    ASSERT_TRUE(doc.Undo());
    ExpectStep([&] { doc.FillSeries(chosen, 45.25, 0.0625); }, ModelFillSeries(air, chosen, 45.25, 0.0625),
               "Fill Series");
    ASSERT_TRUE(doc.Undo());
    // The last channel is the last of the range after a move down of the end.
    ExpectStep([&] { doc.MoveDown({ChannelTable::kMaxChannels - 1}); },
               ModelMoveDown(air, {ChannelTable::kMaxChannels - 1}), "Move Down");
}

} // namespace
