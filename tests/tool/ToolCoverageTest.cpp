// vornalix-tool coverage through the real executable: each channel's band and
// code, the channels no band tunes, the per-band summary, the tuners that
// tune every channel, and the exit status that a build script can test.

#include <gtest/gtest.h>

#include <limits>

#include "tables/text/Json.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

// Channels on each edge of the tuner 03:12 (48.25, 160, 442, 863.25), one
// below, one above, an empty slot and a NaN.
ChfqImage EdgeChannels()
{
    ChfqImage image;
    image.air = {48.25, 0.0, 160.0, 442.0, 863.25, std::numeric_limits<double>::quiet_NaN()};
    image.cable = {45.75, 159.75, 871.25};
    return image;
}

// A channel table with EdgeChannels() and a tuner table of these records, in
// a folder of their own.
struct CoverageFiles
{
    explicit CoverageFiles(const std::vector<TnspRecord>& records)
    {
        table = WriteFile(dir, "de.ccf", EdgeChannels().Build());
        TnspImage image;
        image.records = records;
        tuners = WriteFile(dir, "tuners.tsf", image.Build());
    }

    TempDir dir;
    std::string table;
    std::string tuners;
};

} // namespace

TEST(ToolCoverage, OneTunerListsEveryChannelsBandAndTheChannelsOutside)
{
    const CoverageFiles files({TunerWithBands(0x03, 0x12, 48.25, 160.0, 442.0, 863.25)});
    // The only tuner of the table needs no --tuner.
    const ToolRun run = RunToolProcess({"coverage", files.table, files.tuners});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "tuner 03:12: low 48.25 to 160 MHz (code 8E01), mid 160 to 442 MHz (code 8E02), high 442 to 863.25 MHz "
              "(code 8E04)\n"
              "air 001: 48.25 MHz low 8E01\n"
              "air 003: 160 MHz mid 8E02\n"
              "air 004: 442 MHz high 8E04\n"
              "air 005: 863.25 MHz high 8E04\n"
              "cable 001: 45.75 MHz outside (below)\n"
              "cable 002: 159.75 MHz low 8E01\n"
              "cable 003: 871.25 MHz outside (above)\n"
              "low band: 2 channels, 48.25 to 159.75 MHz\n"
              "mid band: 1 channel, 160 to 160 MHz\n"
              "high band: 2 channels, 442 to 863.25 MHz\n"
              "outside: 2 channels\n"
              "cable channel 1: 45.75 MHz is below the tuner's lowest band, which starts at 48.25 MHz\n"
              "cable channel 3: 871.25 MHz is above the tuner's highest band, which ends at 863.25 MHz\n");
}

TEST(ToolCoverage, ATunerThatTunesEveryChannelExitsZero)
{
    const CoverageFiles files({TunerWithBands(0x05, 0x01, 48.25, 160.0, 442.0, 863.25),
                               TunerWithBands(0x03, 0x12, 44.0, 160.0, 442.0, 958.0)});
    ToolRun run = RunToolProcess({"coverage", "--tuner", "03:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("cable 001: 45.75 MHz low 8E01\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("outside: 0 channels\n"), std::string::npos) << run.out;

    // Codes in either case.
    run = RunToolProcess({"coverage", "--tuner=5:1", files.table, files.tuners});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out.rfind("tuner 05:01: ", 0), 0u) << run.out;
}

TEST(ToolCoverage, EveryTunerOfATableIsCountedAndThoseTuningAllNamed)
{
    const CoverageFiles files({
        TunerWithBands(0x05, 0x01, 48.25, 160.0, 442.0, 863.25),
        TunerWithBands(0x03, 0x12, 44.0, 160.0, 442.0, 958.0),
        TunerWithBands(0x07, 0x21, 40.0, 160.0, 442.0, 871.25),
    });
    ToolRun run = RunToolProcess({"coverage", files.table, files.tuners});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "tuner 05:01: 5 of 7 channels tuned, 2 outside\n"
                       "tuner 03:12: 7 of 7 channels tuned\n"
                       "tuner 07:21: 7 of 7 channels tuned\n"
                       "tuners tuning every channel: 03:12, 07:21\n");

    run = RunToolProcess({"coverage", "--json", files.table, files.tuners});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"channels\":7,\"tuners\":[{\"entry\":1,\"factory\":5,\"tuner_type\":1,\"codes\":\"05:01\","
                       "\"tuned\":5,\"outside\":2},{\"entry\":2,\"factory\":3,\"tuner_type\":18,\"codes\":\"03:12\","
                       "\"tuned\":7,\"outside\":0},{\"entry\":3,\"factory\":7,\"tuner_type\":33,\"codes\":\"07:21\","
                       "\"tuned\":7,\"outside\":0}],\"covering_all\":[2,3]}\n");

    const CoverageFiles none(
        {TunerWithBands(0x05, 0x01, 48.25, 160.0, 442.0, 863.25), TunerWithBands(0x06, 0x01, 50, 160, 442, 958)});
    run = RunToolProcess({"coverage", none.table, none.tuners});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("tuners tuning every channel: none\n"), std::string::npos) << run.out;
}

TEST(ToolCoverage, JsonIsOneDocumentWithTheChannelsBandsAndOutside)
{
    // Edges out of order: low 300 to 400, the mid band empty, high 100 to
    // 159.8, so that nothing tunes 159.8 to 300 MHz.
    const CoverageFiles files({TunerWithBands(0x03, 0x12, 300.0, 400.0, 100.0, 159.8)});
    const ToolRun run = RunToolProcess({"coverage", "--json", "--tuner", "03:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 1) << run.err;
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);
    JsonValue document;
    std::string error;
    ASSERT_TRUE(ParseJson(run.out, document, error)) << error;
    const JsonValue* pTuner = document.Find("tuner");
    ASSERT_NE(pTuner, nullptr);
    EXPECT_EQ(pTuner->Find("edges_in_order")->text, "0");
    EXPECT_EQ(pTuner->Find("bands")->items[1].Find("empty")->text, "1");
    ASSERT_EQ(document.Find("channels")->items.size(), 7u);
    const JsonValue& firstAir = document.Find("channels")->items[0];
    EXPECT_EQ(firstAir.Find("frequency")->text, "48.25");
    EXPECT_EQ(firstAir.Find("band")->type, JsonValue::Type::Null);
    EXPECT_EQ(firstAir.Find("outside")->text, "below");
    const JsonValue& between = document.Find("channels")->items[1]; // air 3: 160 MHz
    EXPECT_EQ(between.Find("outside")->text, "between");
    EXPECT_EQ(document.Find("channels")->items[2].Find("outside")->text, "above"); // air 4: 442 MHz
    const JsonValue& high = document.Find("channels")->items[5];                   // cable 2: 159.75 MHz
    EXPECT_EQ(high.Find("band")->text, "high");
    EXPECT_EQ(high.Find("code")->text, std::to_string(0x8E04));
    EXPECT_EQ(document.Find("covers_all")->text, "0");
    const JsonValue* pOutside = document.Find("outside");
    ASSERT_NE(pOutside, nullptr);
    ASSERT_EQ(pOutside->items.size(), 6u);
    EXPECT_EQ(pOutside->items[0].Find("message")->text,
              "air channel 1: 48.25 MHz is below the tuner's lowest band, which starts at 100 MHz");
    EXPECT_EQ(pOutside->items[1].Find("side")->text, "between");
    EXPECT_EQ(pOutside->items[1].Find("message")->text,
              "air channel 3: 160 MHz falls between the tuner's bands, whose edges are out of order");
}

// Edges that are infinite or NaN are never printed as "inf" or "nan": the
// tuner's line, and the JSON, name them; huge finite ones print as they are.
TEST(ToolCoverage, EdgesThatAreNotFiniteNumbersAreNamedNotPrinted)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CoverageFiles files({TunerWithBands(0x03, 0x12, -inf, 160.0, 442.0, inf),
                               TunerWithBands(0x04, 0x12, nan, nan, nan, nan),
                               TunerWithBands(0x05, 0x12, -1e308, 160.0, 442.0, 1e308)});
    const auto expectNoInfOrNan = [](const std::string& text) {
        EXPECT_EQ(text.find("inf"), std::string::npos) << text;
        EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    };
    ToolRun run = RunToolProcess({"coverage", "--tuner", "03:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "tuner 03:12: low ? to 160 MHz (code 8E01), mid 160 to 442 MHz (code 8E02), high 442 to ? MHz (code "
              "8E04); its band edges are not finite numbers: low band start, high band end");
    expectNoInfOrNan(run.out);

    run = RunToolProcess({"coverage", "--tuner", "04:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string allEdges = "its band edges are not finite numbers: low band start, mid band start, high band "
                                 "start, high band end";
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "tuner 04:12: low: none, mid: none, high: none; " + allEdges);
    EXPECT_NE(run.out.find("cable channel 3: 871.25 MHz is not tuned: the tuner has no band, " + allEdges + "\n"),
              std::string::npos)
        << run.out;
    expectNoInfOrNan(run.out);

    run = RunToolProcess({"coverage", "--tuner", "05:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "tuner 05:12: low -1e+308 to 160 MHz (code 8E01), mid 160 to "
                                                     "442 MHz (code 8E02), high 442 to 1e+308 MHz (code 8E04)");
    expectNoInfOrNan(run.out);

    run = RunToolProcess({"coverage", files.table, files.tuners});
    EXPECT_EQ(run.out, "tuner 03:12: 7 of 7 channels tuned; its band edges are not finite numbers: low band start, "
                       "high band end\n"
                       "tuner 04:12: 0 of 7 channels tuned, 7 outside; " +
                           allEdges +
                           "\n"
                           "tuner 05:12: 7 of 7 channels tuned\n"
                           "tuners tuning every channel: 03:12, 05:12\n");

    // The JSON keeps its numbers as it writes any double, and adds the names.
    JsonValue document;
    std::string error;
    run = RunToolProcess({"coverage", "--json", "--tuner", "04:12", files.table, files.tuners});
    ASSERT_TRUE(ParseJson(run.out, document, error)) << error;
    const JsonValue* pTuner = document.Find("tuner");
    ASSERT_NE(pTuner, nullptr);
    ASSERT_NE(pTuner->Find("edges_not_finite"), nullptr);
    ASSERT_EQ(pTuner->Find("edges_not_finite")->items.size(), 4u);
    EXPECT_EQ(pTuner->Find("edges_not_finite")->items[3].text, "high_band_end");
    ASSERT_NE(pTuner->Find("edges_problem"), nullptr);
    EXPECT_EQ(pTuner->Find("edges_problem")->text, allEdges);
    EXPECT_EQ(document.Find("outside")->items[0].Find("message")->text,
              "air channel 1: 48.25 MHz is not tuned: the tuner has no band, " + allEdges);
    run = RunToolProcess({"coverage", "--json", "--tuner", "05:12", files.table, files.tuners});
    ASSERT_TRUE(ParseJson(run.out, document, error)) << error;
    ASSERT_NE(document.Find("tuner")->Find("edges_not_finite"), nullptr);
    EXPECT_TRUE(document.Find("tuner")->Find("edges_not_finite")->items.empty());
    EXPECT_EQ(document.Find("tuner")->Find("edges_problem"), nullptr);

    run = RunToolProcess({"coverage", "--json", files.table, files.tuners});
    ASSERT_TRUE(ParseJson(run.out, document, error)) << error;
    const std::vector<JsonValue>& listed = document.Find("tuners")->items;
    ASSERT_EQ(listed.size(), 3u);
    ASSERT_NE(listed[0].Find("edges_not_finite"), nullptr);
    EXPECT_EQ(listed[0].Find("edges_not_finite")->items[0].text, "low_band_start");
    ASSERT_NE(listed[0].Find("edges_problem"), nullptr);
    EXPECT_EQ(listed[0].Find("edges_problem")->text,
              "its band edges are not finite numbers: low band start, high band end");
    EXPECT_EQ(listed[2].Find("edges_not_finite"), nullptr);
}

TEST(ToolCoverage, UnreadableFilesUnknownTunersAndOldTablesExitTwo)
{
    const CoverageFiles files({TunerWithBands(0x03, 0x12, 48.25, 160.0, 442.0, 863.25)});
    ToolRun run = RunToolProcess({"coverage", "--tuner", "07:12", files.table, files.tuners});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + files.tuners + ": holds no tuner 07:12\n");

    run = RunToolProcess({"coverage", "--tuner", "0312", files.table, files.tuners});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--tuner takes FF:TT"), std::string::npos) << run.err;

    // The two operands swapped, a missing file, one operand.
    run = RunToolProcess({"coverage", files.tuners, files.table});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + files.tuners + ": not a channel table (ccf)\n");
    run = RunToolProcess({"coverage", files.table, files.dir.File("missing.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    run = RunToolProcess({"coverage", files.table});
    EXPECT_EQ(run.status, 2);

    CftImage old;
    old.air = {{55.25f, 0, 0}};
    const std::string cft = WriteFile(files.dir, "old.cft", old.Build());
    run = RunToolProcess({"coverage", cft, files.tuners});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: old channel tables (cft) are not judged against tuners: convert it "
                       "(vornalix-tool convert) and judge the .ccf file\n");

    run = RunToolProcess({"coverage", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("High Band Start <= f <= High Band End"), std::string::npos);
}
