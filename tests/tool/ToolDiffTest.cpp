// vornalix-tool diff through the real executable, on files the tests write.

#include <gtest/gtest.h>

#include <limits>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

ChfqImage ThreeAirChannels()
{
    ChfqImage image;
    image.air = {48.25, 55.25, 62.25};
    return image;
}

TnspRecord Tuner(std::int32_t factory, std::int32_t tunerType)
{
    TnspRecord record;
    record.factory = factory;
    record.tunerType = tunerType;
    return record;
}

const char kAddedTuner[] = "factory 10, tuner type 01: added: low band 48.25 to 160 MHz, code 0001; mid band 160 to "
                           "442 MHz, code 0002; high band 442 to 863.25 MHz, code 0008; picture carriers 45.75 and 0 "
                           "MHz; reserved 0\n";

std::string EntryJson(int factory, int tunerType, int sortKey)
{
    return "{\"factory\":" + std::to_string(factory) + ",\"tuner_type\":" + std::to_string(tunerType) +
           ",\"sort_key\":" + std::to_string(sortKey) +
           ",\"low_band_start\":48.25,\"mid_band_start\":160,\"high_band_start\":442,\"high_band_end\":863.25,"
           "\"picture_carrier\":45.75,\"picture_carrier2\":0,\"low_code\":1,\"mid_code\":2,\"high_code\":8,"
           "\"reserved\":0}";
}

} // namespace

TEST(ToolDiff, EqualTablesPrintNothing)
{
    TempDir dir;
    ChfqImage image = ThreeAirChannels();
    image.air.push_back(std::numeric_limits<double>::quiet_NaN()); // the same NaN is equal
    const std::string a = WriteFile(dir, "a.ccf", image.Build());
    const std::string b = WriteFile(dir, "b.ccf", image.Build());
    ToolRun run = RunToolProcess({"diff", a, b});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    run = RunToolProcess({"diff", "--json", a, b});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"format\":\"ccf\",\"equal\":1,\"header\":{},\"air\":[],\"cable\":[]}\n");

    TnspImage tuners;
    tuners.records = {Tuner(0x03, 0x12), Tuner(0x12, 0x05)};
    run = RunToolProcess(
        {"diff", WriteFile(dir, "a.tsf", tuners.Build()), WriteFile(dir, "b.tsf", tuners.Build()), "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"format\":\"tsf\",\"equal\":1,\"header\":{},\"order_changed\":0,\"entries\":[]}\n");
}

TEST(ToolDiff, ChannelsByPosition)
{
    TempDir dir;
    const std::string a = WriteFile(dir, "a.ccf", ThreeAirChannels().Build());

    // Reordered: each place that holds another frequency.
    ChfqImage reordered = ThreeAirChannels();
    reordered.air = {55.25, 48.25, 62.25};
    ToolRun run = RunToolProcess({"diff", a, WriteFile(dir, "reordered.ccf", reordered.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "air 001: 48.25 MHz -> 55.25 MHz\n"
                       "air 002: 55.25 MHz -> 48.25 MHz\n");
    EXPECT_EQ(run.err, "");

    // Shortened: the stored range follows the count, the rest is removed.
    ChfqImage shortened = ThreeAirChannels();
    shortened.air.pop_back();
    const std::string shorter = WriteFile(dir, "shortened.ccf", shortened.Build());
    run = RunToolProcess({"diff", a, shorter});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "air range: 1 to 3 -> 1 to 2\n"
                       "air 003: removed 62.25 MHz\n");

    // Lengthened, the other way round and in the cable list too.
    ChfqImage lengthened = ThreeAirChannels();
    lengthened.air = {48.25, 55.25, 62.25, 0.0, 77.25};
    lengthened.cable = {0.0, 175.25};
    lengthened.cableMin = 2;
    run = RunToolProcess({"diff", shorter, WriteFile(dir, "lengthened.ccf", lengthened.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "air range: 1 to 2 -> 1 to 5\n"
                       "cable range: 0 to 0 -> 2 to 2\n"
                       "air 003: added 62.25 MHz\n"
                       "air 004: added 0 MHz (empty)\n"
                       "air 005: added 77.25 MHz\n"
                       "cable 001: added 0 MHz (empty)\n"
                       "cable 002: added 175.25 MHz\n");

    // Values compare by their bits: another NaN, and -0 for 0.
    ChfqImage bits = ThreeAirChannels();
    bits.air = {std::numeric_limits<double>::quiet_NaN(), 0.0, 62.25};
    ChfqImage otherBits = bits;
    otherBits.air[0] = -std::numeric_limits<double>::quiet_NaN();
    otherBits.air[1] = -0.0;
    run = RunToolProcess(
        {"diff", WriteFile(dir, "bits.ccf", bits.Build()), WriteFile(dir, "other-bits.ccf", otherBits.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "air 001: nan MHz (empty) -> nan:fff8000000000000 MHz (empty)\n"
                       "air 002: 0 MHz (empty) -> -0 MHz (empty)\n");
}

TEST(ToolDiff, HeaderOnlyDifferences)
{
    TempDir dir;
    const std::string a = WriteFile(dir, "a.ccf", ThreeAirChannels().Build());
    ChfqImage header = ThreeAirChannels();
    header.country = 49;
    const std::string country = WriteFile(dir, "country.ccf", header.Build());
    ToolRun run = RunToolProcess({"diff", a, country});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "country code: 44 -> 49\n");

    ChfqImage range = ThreeAirChannels();
    range.airMin = 2;
    run = RunToolProcess({"diff", a, WriteFile(dir, "range.ccf", range.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "air range: 1 to 3 -> 2 to 3\n");

    ChfqImage endMark = ThreeAirChannels();
    endMark.endMark = {0xDE, 0xAD, 0xBE, 0xEF};
    run = RunToolProcess({"diff", a, WriteFile(dir, "end.ccf", endMark.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "end mark: 0000ffff -> deadbeef\n");

    // Every field at once, in the order dump lists them.
    ChfqImage all = header;
    all.marker = 0x1234;
    all.reserved = 7;
    all.magic = {'C', 'H', 0x00, '"'};
    all.endMark = endMark.endMark;
    all.cableMin = 3;
    run = RunToolProcess({"diff", a, WriteFile(dir, "all.bin", all.Build()), "--type", "ccf"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "marker: 0xCB00 -> 0x1234\n"
                       "reserved: 0 -> 7\n"
                       "magic: \"CHFQ\" -> \"CH\\x00\\x22\"\n"
                       "country code: 44 -> 49\n"
                       "end mark: 0000ffff -> deadbeef\n"
                       "cable range: 0 to 0 -> 3 to 0\n");
}

TEST(ToolDiff, ChannelTableJson)
{
    TempDir dir;
    ChfqImage after = ThreeAirChannels();
    after.air = {48.25, 62.5};
    after.country = 49;
    after.magic = {'C', 'H', 'F', 0xFF};
    const ToolRun run = RunToolProcess({"diff", "--json", WriteFile(dir, "a.ccf", ThreeAirChannels().Build()),
                                        WriteFile(dir, "b.ccf", after.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out,
              "{\"format\":\"ccf\",\"equal\":0,\"header\":{\"magic\":{\"old\":\"CHFQ\",\"new\":\"CHF\xC3\xBF\"},"
              "\"country_code\":{\"old\":44,\"new\":49},"
              "\"air_range\":{\"old\":{\"min\":1,\"max\":3},\"new\":{\"min\":1,\"max\":2}}},"
              "\"air\":[{\"channel\":2,\"change\":\"changed\",\"old\":55.25,\"new\":62.5},"
              "{\"channel\":3,\"change\":\"removed\",\"old\":62.25}],\"cable\":[]}\n");
}

TEST(ToolDiff, TunerEntriesByKey)
{
    TempDir dir;
    TnspImage before;
    before.records = {Tuner(0x03, 0x12), Tuner(0x12, 0x05)};
    TnspImage after;
    TnspRecord changed = Tuner(0x03, 0x12);
    changed.pc = 45.5;
    changed.lowCode = 2;
    after.records = {Tuner(0x10, 0x01), changed};
    const std::string a = WriteFile(dir, "a.tsf", before.Build());
    const std::string b = WriteFile(dir, "b.tsf", after.Build());
    ToolRun run = RunToolProcess({"diff", a, b});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, std::string(kAddedTuner) +
                           "factory 03, tuner type 12: picture carrier 45.75 MHz -> 45.5 MHz\n"
                           "factory 03, tuner type 12: low code 0001 -> 0002\n"
                           "factory 12, tuner type 05: removed: low band 48.25 to 160 MHz, code 0001; mid band 160 "
                           "to 442 MHz, code 0002; high band 442 to 863.25 MHz, code 0008; picture carriers 45.75 "
                           "and 0 MHz; reserved 0\n");

    run = RunToolProcess({"diff", "--json", a, b});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "{\"format\":\"tsf\",\"equal\":0,\"header\":{},\"order_changed\":0,\"entries\":["
                       "{\"factory\":16,\"tuner_type\":1,\"occurrence\":1,\"sort_key\":116,\"change\":\"added\","
                       "\"new\":" +
                           EntryJson(16, 1, 116) +
                           "},{\"factory\":3,\"tuner_type\":18,\"occurrence\":1,\"sort_key\":213,"
                           "\"change\":\"changed\",\"fields\":{\"picture_carrier\":{\"old\":45.75,\"new\":45.5},"
                           "\"low_code\":{\"old\":1,\"new\":2}}},"
                           "{\"factory\":18,\"tuner_type\":5,\"occurrence\":1,\"sort_key\":518,"
                           "\"change\":\"removed\",\"old\":" +
                           EntryJson(18, 5, 518) + "}]}\n");
}

TEST(ToolDiff, TunerOrderRepeatsAndCounts)
{
    TempDir dir;
    TnspImage sorted;
    sorted.records = {Tuner(0x03, 0x12), Tuner(0x12, 0x05)};
    TnspImage reversed;
    reversed.records = {Tuner(0x12, 0x05), Tuner(0x03, 0x12)};
    const std::string a = WriteFile(dir, "a.tsf", sorted.Build());
    ToolRun run = RunToolProcess({"diff", a, WriteFile(dir, "reversed.tsf", reversed.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "entry order: the entries both tables hold stand in another order\n");

    // The second entry with one key is told from the first.
    TnspImage repeated = sorted;
    repeated.records.insert(repeated.records.begin(), Tuner(0x10, 0x01));
    repeated.records.push_back(Tuner(0x10, 0x01));
    run = RunToolProcess({"diff", a, WriteFile(dir, "repeated.tsf", repeated.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    std::string repeatedLine = kAddedTuner;
    repeatedLine.replace(repeatedLine.find(':'), 0, " #2");
    EXPECT_EQ(run.out, kAddedTuner + repeatedLine);

    // A negative count holds no entries, and only the header says so.
    Bytes negative;
    PutBytes(negative, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(negative, -1);
    PutBytes(negative, {0x00, 0x00, 0xFF, 0xFF});
    run = RunToolProcess(
        {"diff", WriteFile(dir, "negative.tsf", negative), WriteFile(dir, "empty.tsf", TnspImage().Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    // The negative count reads its end mark, the empty table has none.
    EXPECT_EQ(run.out, "entry count: -1 -> 0\nend mark: 0000ffff -> 00000000\n");

    // Counts that follow the entries say nothing more than the entries.
    TnspImage other = sorted;
    other.marker = 0xCB01;
    other.endMark = {0x00, 0x00, 0xFF, 0xFE};
    other.records.pop_back();
    run = RunToolProcess({"diff", a, WriteFile(dir, "other.tsf", other.Build())});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "marker: 0xCB00 -> 0xCB01\n"
                       "end mark: 0000ffff -> 0000fffe\n"
                       "factory 12, tuner type 05: removed: low band 48.25 to 160 MHz, code 0001; mid band 160 "
                       "to 442 MHz, code 0002; high band 442 to 863.25 MHz, code 0008; picture carriers 45.75 "
                       "and 0 MHz; reserved 0\n");
}

TEST(ToolDiff, ErrorsExitWithTwo)
{
    TempDir dir;
    const std::string ccf = WriteFile(dir, "a.ccf", ThreeAirChannels().Build());
    TnspImage tuners;
    tuners.records = {Tuner(0x03, 0x12)};
    const std::string tsf = WriteFile(dir, "a.tsf", tuners.Build());

    const std::string missing = dir.File("missing.ccf");
    ToolRun run = RunToolProcess({"diff", ccf, missing});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + missing + ": cannot be read: No such file or directory\n");
    run = RunToolProcess({"diff", missing, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + missing + ": cannot be read: No such file or directory\n");

    run = RunToolProcess({"diff", ccf, tsf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: cannot compare " + ccf + ", a channel table (ccf), with " + tsf +
                           ", a tuner table (tsf): both must be of one kind\n");

    // The magic tells a name without a table's extension, as for every command.
    const std::string unknown = WriteText(dir, "notes.txt", "not a table at all");
    run = RunToolProcess({"diff", unknown, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + unknown +
                           ": unknown table type: the name does not end in .ccf, .cft or .tsf and the file has no "
                           "table magic (use --type ccf|cft|tsf)\n");
    run = RunToolProcess({"diff", WriteFile(dir, "b.bin", tuners.Build()), tsf});
    EXPECT_EQ(run.status, 0) << run.err;

    CftImage old;
    old.air = {{55.25f, 0, 0}};
    old.cable = {{100.5f, 0, 0}};
    const std::string cft = WriteFile(dir, "old.cft", old.Build());
    run = RunToolProcess({"diff", cft, cft});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: old channel tables (cft) are not compared: convert both (vornalix-tool "
                       "convert) and compare the .ccf files\n");

    run = RunToolProcess({"diff", ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: diff compares two files (see vornalix-tool diff --help)\n");
    run = RunToolProcess({"diff", ccf, ccf, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: diff compares two files (see vornalix-tool diff --help)\n");
    run = RunToolProcess({"diff"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: no file given (see vornalix-tool diff --help)\n");
    run = RunToolProcess({"diff", "--type", "xyz", ccf, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: unknown --type xyz (ccf or tsf) (see vornalix-tool diff --help)\n");

    run = RunToolProcess({"diff", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: vornalix-tool diff [--json] [--type ccf|tsf] A B\n", 0), 0u) << run.out;
    run = RunToolProcess({"--help"});
    EXPECT_NE(run.out.find("\n  diff [--json] [--type T] A B "), std::string::npos) << run.out;
}
