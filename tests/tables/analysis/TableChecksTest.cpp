// The table checks on crafted file images: every finding with its list, its
// position and its text, in the order they are found.

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tables/analysis/TableChecks.h"
#include "tests/TestFiles.h"

namespace {

struct Found
{
    std::int32_t iList;
    std::int32_t iPosition;
    std::string message;

    bool operator==(const Found& other) const
    {
        return iList == other.iList && iPosition == other.iPosition && message == other.message;
    }
};

void PrintTo(const Found& f, std::ostream* os)
{
    *os << "{" << f.iList << ", " << f.iPosition << ", \"" << f.message << "\"}";
}

constexpr std::int32_t kNone = ChannelModeNone;
constexpr std::int32_t kAir = ChannelModeAir;
constexpr std::int32_t kCable = ChannelModeCable;

// Collects what the sink is handed; every finding is an error unless told.
class Collector
{
public:
    explicit Collector(bool bErrorsOnly = true) : m_bErrorsOnly(bErrorsOnly) {}

    FindingSink Sink()
    {
        return [this](const TableFinding& finding) {
            if (m_bErrorsOnly) {
                EXPECT_EQ(finding.severity, FindingSeverity::Error);
            }
            found.push_back(Found{finding.iList, finding.iPosition, finding.message});
        };
    }
    std::vector<Found> found;

private:
    bool m_bErrorsOnly;
};

std::vector<Found> CheckChannelFile(const TempDir& dir, const Bytes& image)
{
    WriteAll(dir.File("t.ccf"), image);
    ChannelTable table(false);
    EXPECT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    Collector collector;
    CheckChannelTable(table, table.LastLoad(), collector.Sink());
    return collector.found;
}

std::vector<Found> CheckLegacyFile(const TempDir& dir, const Bytes& image)
{
    WriteAll(dir.File("t.cft"), image);
    LegacyChannelTable table;
    EXPECT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    Collector collector;
    CheckLegacyTable(table, table.LastLoad(), collector.Sink());
    return collector.found;
}

// The image's own check, the findings an editor's window keeps of it, and
// the status line's counts of it agree finding for finding.
void ExpectKeptFindingsAgree(const Bytes& image)
{
    std::vector<TableFinding> checked;
    CheckTunerTableImage(image, [&checked](const TableFinding& f) { checked.push_back(f); });
    const TunerTableFindings kept(image);
    ASSERT_EQ(kept.Count(), checked.size());
    FindingTotals totals;
    for (std::size_t i = 0; i < checked.size(); ++i) {
        const TableFinding& want = checked[i];
        const TableFinding got = kept.At(i);
        EXPECT_TRUE(got.severity == want.severity && kept.SeverityAt(i) == want.severity) << want.message;
        EXPECT_EQ(std::tie(got.iList, got.iPosition, got.message), std::tie(want.iList, want.iPosition, want.message));
        ++(want.severity == FindingSeverity::Error ? totals.errors : totals.warnings);
    }
    const FindingTotals counted = CountTunerTableImageFindings(image);
    EXPECT_EQ(std::make_pair(counted.errors, counted.warnings), std::make_pair(totals.errors, totals.warnings));
    EXPECT_EQ(std::make_pair(kept.Totals().errors, kept.Totals().warnings),
              std::make_pair(totals.errors, totals.warnings));
}

std::vector<Found> CheckTunerFile(const TempDir& dir, const Bytes& image)
{
    ExpectKeptFindingsAgree(image);
    WriteAll(dir.File("t.tsf"), image);
    TunerSpecTable table(false);
    table.Load(dir.File("t.tsf").c_str());
    Collector collector;
    CheckTunerTable(table, table.LastLoad(), collector.Sink());
    return collector.found;
}

// A record that passes every check; its key is factory + 100 * tuner type
// for types below 0x10.
TunerSpecEntry GoodTuner(std::int32_t factory, std::int32_t type)
{
    TunerSpecEntry e;
    e.SetFactory(factory);
    e.SetTunerType(type);
    e.SetLowBandStart(48.25);
    e.SetMidBandStart(160.0);
    e.SetHighBandStart(442.0);
    e.SetHighBandEnd(863.25);
    e.SetPictureCarrier(45.75);
    return e;
}

Bytes TnspImage(std::int32_t count, const std::vector<TunerSpecEntry>& entries)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(b, count);
    for (const TunerSpecEntry& e : entries)
        b.insert(b.end(), e.bytes, e.bytes + TunerSpecEntry::kSize);
    PutBytes(b, {0x00, 0x00, 0xFF, 0xFF});
    return b;
}

} // namespace

TEST(ChannelTableChecks, CleanTableFindsNothing)
{
    TempDir dir;
    EXPECT_EQ(CheckChannelFile(dir, ChannelTableImage(44, {0.0, 48.25, 55.25}, {0.0}, 2, 0)), std::vector<Found>{});
}

TEST(ChannelTableChecks, ChannelsOfBothListsAtBothEnds)
{
    TempDir dir;
    const double inf = std::numeric_limits<double>::infinity();
    const Bytes image = ChannelTableImage(0, {-1.0, 55.25, 50.0}, {0.0, 60.0, inf}, 1, 2);
    EXPECT_EQ(CheckChannelFile(dir, image),
              (std::vector<Found>{
                  {kNone, 0, "the country code 0 is not in the country catalogue"},
                  {kAir, 1, "air channel 1: the frequency -1 MHz is negative"},
                  {kAir, 0, "air: the stored range starts at channel 1, but the first channel with a frequency is 2"},
                  {kCable, 3, "cable channel 3: the frequency inf is not a finite number"},
                  {kCable, 0, "cable: the stored range ends at channel 3, but the last channel with a frequency is 2"},
              }));
}

TEST(ChannelTableChecks, LengthMarksAndEmptyRanges)
{
    TempDir dir;
    Bytes image = ChannelTableImage(44, {55.25}, {0.0}, 1, 3);
    image[0] = 0x34; // marker 0x1234
    image[1] = 0x12;
    image[2] = 1;    // reserved word
    image[7] = 0x01; // magic "CHF\x01"
    for (std::size_t i = 0; i < 4; ++i)
        image[28 + i] = static_cast<std::uint8_t>(i + 1); // the end mark
    PutBytes(image, {7, 7, 7});
    EXPECT_EQ(CheckChannelFile(dir, image),
              (std::vector<Found>{
                  {kNone, 0, "the file is 43 bytes, but its counts (air 1, cable 1) call for 40"},
                  {kNone, 0, "the marker is 0x1234, not 0xCB00"},
                  {kNone, 0, "the reserved word is 1, not 0"},
                  {kNone, 0, "the magic is \"CHF\\x01\", not \"CHFQ\""},
                  {kNone, 0, "the end mark is 01020304, not 0000ffff"},
                  {kCable, 0, "cable: the stored range starts at channel 3, but no channel has a frequency"},
              }));
}

TEST(ChannelTableChecks, LengthIsJudgedOnlyWhereTheSizeIsKnown)
{
    TempDir dir;
    // Two air channels counted, one held: the file is short of its counts.
    Bytes image = ChannelTableImage(44, {48.25}, {}, 1, 0);
    image[12] = 2;
    WriteAll(dir.File("short.ccf"), image);
    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("short.ccf").c_str()), 1);
    // The second channel is the end mark's bytes, 2.12e-314 MHz: a warning too.
    Collector sized(false);
    CheckChannelTable(table, table.LastLoad(), sized.Sink());
    ASSERT_FALSE(sized.found.empty());
    EXPECT_EQ(sized.found[0], (Found{kNone, 0, "the file is 32 bytes, but its counts (air 2, cable 0) call for 40"}));

    // The same bytes from a FIFO: its length is not known, so not judged.
    ChannelTableLoadReport streamed = table.LastLoad();
    streamed.fileSize.reset();
    Collector unsized(false);
    CheckChannelTable(table, streamed, unsized.Sink());
    EXPECT_EQ(unsized.found, std::vector<Found>(sized.found.begin() + 1, sized.found.end()));
}

TEST(TunerTableChecks, BadEntriesAtBothEnds)
{
    TempDir dir;
    TunerSpecEntry first = GoodTuner(0x1A, 0x01); // key 126
    first.SetPictureCarrier(0.0);
    const TunerSpecEntry middle = GoodTuner(0x02, 0x02); // key 202
    TunerSpecEntry last = GoodTuner(0x03, 0x100);
    last.SetMidBandStart(900.0);
    last.SetPictureCarrier2(-2.0);
    last.SetReserved(5);
    const std::string e1 = "entry 000 (1A:01): ";
    const std::string e3 = "entry 002 (03:100): ";
    EXPECT_EQ(CheckTunerFile(dir, TnspImage(3, {first, middle, last})),
              (std::vector<Found>{
                  {kNone, 1, e1 + "the factory code 26 (0x1A) is not two BCD digits"},
                  {kNone, 1, e1 + "the picture carrier is 0"},
                  {kNone, 3, e3 + "the tuner-type code 256 (0x100) is not two BCD digits"},
                  {kNone, 3, e3 + "the band edges are out of order: 48.25, 900, 442, 863.25 MHz"},
                  {kNone, 3, e3 + "the picture carrier 2 -2 is neither 0 nor a frequency"},
                  {kNone, 3, e3 + "the reserved word is 5, not 0"},
                  {kNone, 3, e3 + "the sort key 163 is below the key 202 of the entry before it"},
              }));
}

TEST(TunerTableChecks, SortKeysCountsAndLengths)
{
    TempDir dir;
    // The key 122 twice, and falling.
    const std::vector<TunerSpecEntry> entries = {GoodTuner(0x16, 0x01), GoodTuner(0x26, 0x01), GoodTuner(0x16, 0x01)};
    EXPECT_EQ(CheckTunerFile(dir, TnspImage(3, entries)),
              (std::vector<Found>{
                  {kNone, 3, "entry 002 (16:01): the sort key 122 is already the key of entry 000 (16:01)"},
                  {kNone, 3, "entry 002 (16:01): the sort key 122 is below the key 138 of the entry before it"},
              }));

    // Keys in order with one of them three times: each repeat names the first.
    const std::vector<TunerSpecEntry> repeated = {GoodTuner(0x01, 0x01), GoodTuner(0x16, 0x01), GoodTuner(0x16, 0x01),
                                                  GoodTuner(0x16, 0x01)};
    EXPECT_EQ(CheckTunerFile(dir, TnspImage(4, repeated)),
              (std::vector<Found>{
                  {kNone, 3, "entry 002 (16:01): the sort key 122 is already the key of entry 001 (16:01)"},
                  {kNone, 4, "entry 003 (16:01): the sort key 122 is already the key of entry 001 (16:01)"},
              }));

    // A count above the records the file holds is judged as the file states
    // it, and the entry the file lacks is there, all zero, to be judged too.
    Bytes counted = TnspImage(2, {GoodTuner(0x01, 0x01)});
    counted.resize(counted.size() - 4);
    const std::string zeroEntry = "entry 001 (00:00): ";
    EXPECT_EQ(CheckTunerFile(dir, counted),
              (std::vector<Found>{
                  {kNone, 0, "the file is 76 bytes, but its entry count 2 calls for 144"},
                  {kNone, 0, "the end mark is 00000000, not 0000ffff"},
                  {kNone, 2, zeroEntry + "the band edges are not all finite and above 0: 0, 0, 0, 0 MHz"},
                  {kNone, 2, zeroEntry + "the picture carrier is 0"},
                  {kNone, 2, zeroEntry + "the sort key 0 is below the key 101 of the entry before it"},
              }));

    EXPECT_EQ(CheckTunerFile(dir, TnspImage(-1, {})),
              (std::vector<Found>{{kNone, 0, "the entry count -1 is negative"}}));

    // A table without entries is its header, with or without an end mark.
    Bytes empty = TnspImage(0, {});
    EXPECT_EQ(CheckTunerFile(dir, empty), std::vector<Found>{});
    empty.resize(12);
    EXPECT_EQ(CheckTunerFile(dir, empty), std::vector<Found>{});
    EXPECT_EQ(CheckTunerFile(dir, TnspImage(0, {GoodTuner(0x01, 0x01)})),
              (std::vector<Found>{{kNone, 0, "the file is 80 bytes, but an entry count of 0 calls for 12"}}));
}

TEST(LegacyTableChecks, TrailerMaximaLengthAndChannels)
{
    TempDir dir;
    // The air maximum 4 reads one entry into the cable section.
    Bytes image = LegacyTableImage(7, {55.25f, 62.25f, -3.0f}, {300.0f, 290.0f}, 1, 4, 1, 2);
    PutBytes(image, {1, 2});
    EXPECT_EQ(CheckLegacyFile(dir, image),
              (std::vector<Found>{
                  {kNone, 0, "the file is 90 bytes, but its header counts (air 3, cable 2) call for 88"},
                  {kAir, 0, "the trailer's air maximum 4 is above the 3 air entries of the header"},
                  {kAir, 3, "air channel 3: the frequency -3 MHz is negative"},
              }));

    // The cable maximum 3 reads the trailer's first, zero, words as a third entry.
    EXPECT_EQ(
        CheckLegacyFile(dir, LegacyTableImage(-7, {55.25f}, {300.0f, 0.0f}, 0, 0, 2, 3)),
        (std::vector<Found>{
            {kCable, 0, "the trailer's cable maximum 3 is above the 2 cable entries of the header"},
            {kNone, 0, "the country code -7 is not in the country catalogue"},
            {kCable, 0, "cable: the stored range starts at channel 2, but the first channel with a frequency is 1"},
            {kCable, 0, "cable: the stored range ends at channel 3, but the last channel with a frequency is 1"},
        }));
}

namespace {

struct Graded
{
    FindingSeverity severity;
    Found found;

    bool operator==(const Graded& other) const { return severity == other.severity && found == other.found; }
};

void PrintTo(const Graded& g, std::ostream* os)
{
    *os << (g.severity == FindingSeverity::Warning ? "warning " : "error ");
    PrintTo(g.found, os);
}

constexpr FindingSeverity kError = FindingSeverity::Error;
constexpr FindingSeverity kWarning = FindingSeverity::Warning;

FindingSink GradingSink(std::vector<Graded>& graded)
{
    return [&graded](const TableFinding& f) {
        graded.push_back(Graded{f.severity, Found{f.iList, f.iPosition, f.message}});
    };
}

} // namespace

TEST(ChannelTableChecks, RepeatedFrequenciesAreWarningsNamingTheFirstChannel)
{
    TempDir dir;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Empty slots (0, -0), negative values and NaN never repeat anything.
    const Bytes image = ChannelTableImage(44, {55.25, 62.25, 0.0, 55.25, -0.0, 0.0, 62.25, 55.25},
                                          {-1.0, -1.0, nan, nan, inf, 300.0, inf}, 1, 5);
    WriteAll(dir.File("t.ccf"), image);
    ChannelTable table(false);
    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    std::vector<Graded> graded;
    CheckChannelTable(table, table.LastLoad(), GradingSink(graded));
    EXPECT_EQ(graded, (std::vector<Graded>{
                          {kWarning, {kAir, 4, "air channel 4: 55.25 MHz also at channel 1"}},
                          {kWarning, {kAir, 7, "air channel 7: 62.25 MHz also at channel 2"}},
                          {kWarning, {kAir, 8, "air channel 8: 55.25 MHz also at channel 1"}},
                          {kError, {kCable, 1, "cable channel 1: the frequency -1 MHz is negative"}},
                          {kError, {kCable, 2, "cable channel 2: the frequency -1 MHz is negative"}},
                          {kError, {kCable, 3, "cable channel 3: the frequency nan is not a finite number"}},
                          {kError, {kCable, 4, "cable channel 4: the frequency nan is not a finite number"}},
                          {kError, {kCable, 5, "cable channel 5: the frequency inf is not a finite number"}},
                          {kError, {kCable, 7, "cable channel 7: the frequency inf is not a finite number"}},
                          {kWarning, {kCable, 7, "cable channel 7: inf MHz also at channel 5"}},
                          {kError,
                           {kCable, 0,
                            "cable: the stored range starts at channel 5, but the first channel with a "
                            "frequency is 6"}},
                          {kError,
                           {kCable, 0,
                            "cable: the stored range ends at channel 7, but the last channel with a "
                            "frequency is 6"}},
                      }));
}

TEST(LegacyTableChecks, RepeatedFrequenciesAsTheirFloatsCompare)
{
    TempDir dir;
    WriteAll(dir.File("t.cft"), LegacyTableImage(7, {55.25f, 62.25f, 55.25f}, {300.0f, 300.0f}, 1, 3, 1, 2));
    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    std::vector<Graded> graded;
    CheckLegacyTable(table, table.LastLoad(), GradingSink(graded));
    EXPECT_EQ(graded, (std::vector<Graded>{
                          {kWarning, {kAir, 3, "air channel 3: 55.25 MHz also at channel 1"}},
                          {kWarning, {kCable, 2, "cable channel 2: 300 MHz also at channel 1"}},
                      }));
}

TEST(ChannelTableChecks, InMemoryFindsWhatTheSavedFileGives)
{
    TempDir dir;
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {0.0, 48.25, 55.25, 48.25, 0.0}));
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeCable, {-2.0, 120.0}));
    ASSERT_EQ(table.SetCountryCode(999), 1);
    std::vector<Graded> inMemory;
    CheckChannelTableInMemory(table, GradingSink(inMemory));

    ASSERT_EQ(table.Save(dir.File("saved.ccf").c_str()), 1);
    ChannelTable saved(false);
    ASSERT_EQ(saved.Load(dir.File("saved.ccf").c_str()), 1);
    std::vector<Graded> fromFile;
    CheckChannelTable(saved, saved.LastLoad(), GradingSink(fromFile));
    EXPECT_EQ(inMemory, fromFile);
    // The image alone, without the table, is judged alike.
    std::vector<Graded> fromImage;
    CheckChannelTableImage(table.FileImage(), GradingSink(fromImage));
    EXPECT_EQ(fromImage, inMemory);
    // The counts the save stores are the ranges' ends it judges.
    EXPECT_EQ(inMemory, (std::vector<Graded>{
                            {kWarning, {kNone, 0, "the country code 999 is not in the country catalogue"}},
                            {kWarning, {kAir, 4, "air channel 4: 48.25 MHz also at channel 2"}},
                            {kError,
                             {kAir, 0,
                              "air: the stored range ends at channel 5, but the last channel with a "
                              "frequency is 4"}},
                            {kError, {kCable, 1, "cable channel 1: the frequency -2 MHz is negative"}},
                        }));

    // A new table without channels lacks only its country.
    std::vector<Graded> fresh;
    CheckChannelTableInMemory(ChannelTable(true), GradingSink(fresh));
    EXPECT_EQ(fresh, (std::vector<Graded>{{kError, {kNone, 0, "the country code 0 is not in the country catalogue"}}}));
    std::vector<Graded> freshImage;
    CheckChannelTableImage(ChannelTable(true).FileImage(), GradingSink(freshImage));
    EXPECT_EQ(freshImage, fresh);
}

TEST(ChannelTableChecks, AnImageCutShortIsJudgedOnWhatItHolds)
{
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, {48.25, 55.25, 62.25}));
    ASSERT_EQ(table.SetCountryCode(49), 1);
    Bytes image = table.FileImage();
    // The header and one and a half air channels: the length is wrong, and
    // only the whole channel is judged.
    image.resize(ChannelTableHeader::kSize + 12);
    std::vector<Graded> found;
    CheckChannelTableImage(image, GradingSink(found));
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].found.message.rfind("the file is 32 bytes", 0), 0u) << found[0].found.message;
    // A header alone, and nothing at all, are judged without reading past them.
    const Bytes whole = table.FileImage();
    const Bytes header(whole.begin(), whole.begin() + ChannelTableHeader::kSize);
    std::vector<Graded> fromHeader;
    CheckChannelTableImage(header, GradingSink(fromHeader));
    EXPECT_FALSE(fromHeader.empty());
    std::vector<Graded> fromNothing;
    CheckChannelTableImage({}, GradingSink(fromNothing));
    EXPECT_FALSE(fromNothing.empty());
}

TEST(TunerTableChecks, InMemoryFindsWhatTheSavedFileGives)
{
    TempDir dir;
    TunerSpecTable table(true);
    std::vector<Graded> fresh;
    CheckTunerTableInMemory(table, GradingSink(fresh));
    EXPECT_EQ(fresh, std::vector<Graded>{});

    TunerSpecEntry bad = GoodTuner(0x1A, 0x01);
    bad.SetPictureCarrier(0.0);
    // Keys 101, 126, 122: the last falls.
    ASSERT_TRUE(table.AppendEntries({GoodTuner(0x01, 0x01), bad, GoodTuner(0x16, 0x01)}));
    std::vector<Graded> inMemory;
    CheckTunerTableInMemory(table, GradingSink(inMemory));
    ASSERT_EQ(table.Save(dir.File("saved.tsf").c_str()), 1);
    TunerSpecTable saved(false);
    ASSERT_EQ(saved.Load(dir.File("saved.tsf").c_str()), 1);
    std::vector<Graded> fromFile;
    CheckTunerTable(saved, saved.LastLoad(), GradingSink(fromFile));
    EXPECT_EQ(inMemory, fromFile);
    std::vector<Graded> fromImage;
    CheckTunerTableImage(table.FileImage(), GradingSink(fromImage));
    EXPECT_EQ(fromImage, inMemory);
    std::vector<Graded> freshImage;
    CheckTunerTableImage(TunerSpecTable(true).FileImage(), GradingSink(freshImage));
    EXPECT_EQ(freshImage, fresh);
    // An image cut in its second entry: the first entry alone, and the length is wrong.
    Bytes cut = table.FileImage();
    cut.resize(TunerSpecHeader::kSize + TunerSpecEntry::kSize + 10);
    std::vector<Graded> fromCut;
    CheckTunerTableImage(cut, GradingSink(fromCut));
    ASSERT_FALSE(fromCut.empty());
    for (const Graded& g : fromCut)
        EXPECT_LE(g.found.iPosition, 1) << g.found.message;
    const std::string e2 = "entry 001 (1A:01): ";
    EXPECT_EQ(
        inMemory,
        (std::vector<Graded>{
            {kError, {kNone, 2, e2 + "the factory code 26 (0x1A) is not two BCD digits"}},
            {kError, {kNone, 2, e2 + "the picture carrier is 0"}},
            {kError, {kNone, 3, "entry 002 (16:01): the sort key 122 is below the key 126 of the entry before it"}},
        }));
}

namespace {

// The findings of a table with these air channels and a known country, as
// the editor's check finds them; the check of the saved file must agree.
std::vector<Graded> CheckAirList(const std::vector<double>& air)
{
    ChannelTable table(true);
    EXPECT_TRUE(table.AppendFrequencies(ChannelModeAir, air));
    EXPECT_EQ(table.SetCountryCode(1), 1);
    std::vector<Graded> inMemory;
    CheckChannelTableInMemory(table, GradingSink(inMemory));

    TempDir dir;
    EXPECT_EQ(table.Save(dir.File("order.ccf").c_str()), 1);
    ChannelTable saved(false);
    EXPECT_EQ(saved.Load(dir.File("order.ccf").c_str()), 1);
    std::vector<Graded> fromFile;
    CheckChannelTable(saved, saved.LastLoad(), GradingSink(fromFile));
    EXPECT_EQ(inMemory, fromFile);
    return inMemory;
}

} // namespace

TEST(ChannelTableChecks, FallsThatPlansHaveAreNoFinding)
{
    // US cable: channel 1 above channel 2, 14 to 22 below 13, 95 to 99 in the
    // FM band after 94, and a sub-band at the end.
    EXPECT_EQ(CheckAirList({73.25, 55.25, 61.25, 67.25, 77.25, 205.25, 211.25, 121.25, 127.25, 169.25, 217.25, 643.25,
                            91.25, 97.25, 115.25, 649.25, 799.25, 8.25, 14.25}),
              std::vector<Graded>{});
    // A first channel far above the rest (a cable plan's index 1 at 855.25),
    // and a last one far below them: a one-channel band at either end.
    EXPECT_EQ(CheckAirList({855.25, 48.25, 55.25}), std::vector<Graded>{});
    EXPECT_EQ(CheckAirList({48.25, 55.25, 8.25}), std::vector<Graded>{});
    // Broadcast channels, then cable channels from a lower band, with empty
    // slots between them.
    EXPECT_EQ(CheckAirList({49.75, 0.0, 59.25, 216.25, 223.25, 0.0, 0.0, 111.25, 119.25}), std::vector<Graded>{});
    // A run of one repeated value is repeats, not disorder.
    EXPECT_EQ(CheckAirList({224.25, 305.25, 305.25, 305.25, 471.25}),
              (std::vector<Graded>{{kWarning, {kAir, 3, "air channel 3: 305.25 MHz also at channel 2"}},
                                   {kWarning, {kAir, 4, "air channel 4: 305.25 MHz also at channel 2"}}}));
}

TEST(ChannelTableChecks, OneChannelOutOfPlaceIsAWarning)
{
    // Mistyped low, and mistyped high: only that channel is named.
    EXPECT_EQ(
        CheckAirList({55.25, 61.25, 6.725, 77.25}),
        (std::vector<Graded>{{kWarning,
                              {kAir, 3,
                               "air channel 3: 6.725 MHz is out of order between channel 2 (61.25 MHz) and channel 4 "
                               "(77.25 MHz)"}}}));
    EXPECT_EQ(
        CheckAirList({55.25, 612.5, 67.25, 77.25}),
        (std::vector<Graded>{{kWarning,
                              {kAir, 2,
                               "air channel 2: 612.5 MHz is out of order between channel 1 (55.25 MHz) and channel 3 "
                               "(67.25 MHz)"}}}));
    // Two neighbours swapped: both.
    EXPECT_EQ(
        CheckAirList({55.25, 67.25, 61.25, 77.25}),
        (std::vector<Graded>{{kWarning,
                              {kAir, 2,
                               "air channel 2: 67.25 MHz is out of order between channel 1 (55.25 MHz) and channel 3 "
                               "(61.25 MHz)"}},
                             {kWarning,
                              {kAir, 3,
                               "air channel 3: 61.25 MHz is out of order between channel 2 (67.25 MHz) and channel 4 "
                               "(77.25 MHz)"}}}));
    // The neighbours are the nearest channels with a frequency; empty slots,
    // negative and non-finite values are passed over.
    EXPECT_EQ(
        CheckAirList({55.25, 0.0, -1.0, 500.0, 0.0, 77.25}),
        (std::vector<Graded>{{kError, {kAir, 3, "air channel 3: the frequency -1 MHz is negative"}},
                             {kWarning,
                              {kAir, 4,
                               "air channel 4: 500 MHz is out of order between channel 1 (55.25 MHz) and channel 6 "
                               "(77.25 MHz)"}}}));
}

TEST(LegacyTableChecks, OrderAsTheirFloatsCompare)
{
    TempDir dir;
    WriteAll(dir.File("t.cft"), LegacyTableImage(7, {73.25f, 55.25f, 61.25f}, {300.0f, 30.0f, 310.0f}, 1, 3, 1, 3));
    LegacyChannelTable table;
    ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    std::vector<Graded> graded;
    CheckLegacyTable(table, table.LastLoad(), GradingSink(graded));
    EXPECT_EQ(graded, (std::vector<Graded>{
                          {kWarning,
                           {kCable, 2,
                            "cable channel 2: 30 MHz is out of order between channel 1 (300 MHz) and channel 3 "
                            "(310 MHz)"}},
                      }));
}

TEST(ChannelTableChecks, ACodeAboveZeroTheCatalogueLacksIsAWarning)
{
    TempDir dir;
    const auto checkCountry = [&dir](std::int32_t iCode) {
        WriteAll(dir.File("t.ccf"), ChannelTableImage(iCode, {48.25}, {}, 1, 0));
        ChannelTable table(false);
        EXPECT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
        std::vector<Graded> graded;
        CheckChannelTable(table, table.LastLoad(), GradingSink(graded));
        return graded;
    };
    EXPECT_EQ(checkCountry(44), std::vector<Graded>{});
    // Calling codes of countries that the standard plans know and the
    // catalogue does not (Cape Verde, Andorra), and a code of no country.
    for (const std::int32_t iCode : {238, 376, 999})
        EXPECT_EQ(checkCountry(iCode),
                  (std::vector<Graded>{
                      {kWarning,
                       {kNone, 0, "the country code " + std::to_string(iCode) + " is not in the country catalogue"}}}));
    // No calling code at all: a table whose country was never entered.
    for (const std::int32_t iCode : {0, -49})
        EXPECT_EQ(checkCountry(iCode),
                  (std::vector<Graded>{
                      {kError,
                       {kNone, 0, "the country code " + std::to_string(iCode) + " is not in the country catalogue"}}}));
}

// Frequencies an entry can hold yet hardly means: band edges outside the TV
// tuning range of 40 to 1000 MHz and picture carriers outside the
// intermediate-frequency range of 32 to 60 MHz are warnings. On a limit is
// inside; each case is one entry, the keys 101 to 109 rising.
TEST(TunerTableChecks, ImplausibleFrequenciesAreWarningsAtTheirLimits)
{
    std::vector<TunerSpecEntry> entries;
    const auto entry = [&entries](double low, double mid, double high, double end, double pc, double pc2) {
        TunerSpecEntry e = GoodTuner(static_cast<std::int32_t>(entries.size()) + 1, 0x01);
        e.SetLowBandStart(low);
        e.SetMidBandStart(mid);
        e.SetHighBandStart(high);
        e.SetHighBandEnd(end);
        e.SetPictureCarrier(pc);
        e.SetPictureCarrier2(pc2);
        entries.push_back(e);
    };
    entry(40, 160, 442, 1000, 32, 60);        // every value on its limit
    entry(39.99, 160, 442, 1000, 60, 32);     // the band starts just below
    entry(40, 160, 442, 1000.01, 38.9, 0);    // the band ends just above
    entry(48.25, 160, 442, 863.25, 31.99, 0); // the carrier just below
    entry(48.25, 160, 442, 863.25, 60.01, 0);
    entry(48.25, 160, 442, 863.25, 38.9, 31.99); // the second carrier just below and above
    entry(48.25, 160, 442, 863.25, 38.9, 60.01);
    entry(1, 2, 3, 4, 5, 0);                  // bands and carrier in no TV tuner's range
    entry(48.25, 1160, 442, 863.25, 38.9, 0); // out of order too: that stays an error

    TunerSpecTable table(true);
    ASSERT_TRUE(table.AppendEntries(entries));
    std::vector<Graded> found;
    CheckTunerTableInMemory(table, GradingSink(found));
    const auto at = [](int i) { return "entry 00" + std::to_string(i - 1) + " (0" + std::to_string(i) + ":01): "; };
    const std::string tuning = " MHz reach outside the TV tuning range of 40 to 1000 MHz";
    const std::string intermediate = " MHz is outside the intermediate-frequency range of 32 to 60 MHz";
    EXPECT_EQ(found, (std::vector<Graded>{
                         {kWarning, {kNone, 2, at(2) + "the band edges 39.99, 160, 442, 1000" + tuning}},
                         {kWarning, {kNone, 3, at(3) + "the band edges 40, 160, 442, 1000.01" + tuning}},
                         {kWarning, {kNone, 4, at(4) + "the picture carrier 31.99" + intermediate}},
                         {kWarning, {kNone, 5, at(5) + "the picture carrier 60.01" + intermediate}},
                         {kWarning, {kNone, 6, at(6) + "the picture carrier 2 31.99" + intermediate}},
                         {kWarning, {kNone, 7, at(7) + "the picture carrier 2 60.01" + intermediate}},
                         {kWarning, {kNone, 8, at(8) + "the band edges 1, 2, 3, 4" + tuning}},
                         {kWarning, {kNone, 8, at(8) + "the picture carrier 5" + intermediate}},
                         {kError, {kNone, 9, at(9) + "the band edges are out of order: 48.25, 1160, 442, 863.25 MHz"}},
                         {kWarning, {kNone, 9, at(9) + "the band edges 48.25, 1160, 442, 863.25" + tuning}},
                     }));
}

TEST(ChannelTableChecks, EachChannelAloneFindsWhatTheWholeCheckFindsForIt)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Out of order between neighbours across empty slots, off the raster (more
    // than the ten the whole check names), repeated, negative and NaN.
    std::vector<double> air = {55.25, 0.0, 30.0, 0.0, 77.25, 77.25, -2.0, nan, 90.0, 95.0};
    for (int i = 0; i < 12; ++i)
        air.push_back(100.0 + i + 0.0004);
    air.push_back(0.0);
    ChannelTable table(true);
    ASSERT_TRUE(table.AppendFrequencies(ChannelModeAir, air));
    std::vector<Graded> whole;
    CheckChannelTableInMemory(table, GradingSink(whole));

    const DuplicateFrequencies duplicates(air);
    std::vector<Graded> alone;
    for (std::int32_t iChannel = 1; iChannel <= static_cast<std::int32_t>(air.size()); ++iChannel)
        for (const TableFinding& f : ChannelFindingsAt(air, duplicates, kAir, iChannel))
            alone.push_back({f.severity == FindingSeverity::Warning ? kWarning : kError,
                             {f.iList, f.iPosition, "air channel " + std::to_string(iChannel) + ": " + f.message}});
    // The whole check names the first ten channels off the raster and counts
    // the rest; alone, each names itself.
    std::vector<Graded> wholeOfChannels;
    for (const Graded& g : whole)
        if (g.found.iList == kAir && g.found.iPosition > 0)
            wholeOfChannels.push_back(g);
    ASSERT_EQ(wholeOfChannels.size() + 2, alone.size());
    EXPECT_TRUE(std::equal(wholeOfChannels.begin(), wholeOfChannels.end(), alone.begin()));
    EXPECT_EQ(alone.front().found.message, "air channel 3: 30 MHz is out of order between channel 1 (55.25 MHz) and "
                                           "channel 5 (77.25 MHz)");
    EXPECT_EQ(alone.back().found.message,
              "air channel 22: 111.00040 MHz, close to 111 MHz, is not a whole number of kHz");
    EXPECT_TRUE(ChannelFindingsAt(air, duplicates, kAir, 0).empty());
    EXPECT_TRUE(ChannelFindingsAt(air, duplicates, kAir, static_cast<std::int32_t>(air.size()) + 1).empty());
}
