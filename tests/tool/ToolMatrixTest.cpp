// vornalix-tool matrix through the real executable: channel tables against
// every tuner of a tuner table as a listing, JSON and CSV, and the exit status
// a release script can test.

#include <gtest/gtest.h>

#include <limits>

#include "tables/text/Csv.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

ChfqImage Table(std::int32_t country, std::vector<double> air, std::vector<double> cable)
{
    ChfqImage image;
    image.country = country;
    image.air = std::move(air);
    image.cable = std::move(cable);
    return image;
}

// Two tables in a folder, named as a person would pass them from there: de
// with channels on the edges of 05:01 (48.25, 160, 442, 863.25), an empty
// slot and one channel below, and one of Zurich whose name holds a letter of
// two bytes, wider in bytes than on the screen.
struct MatrixFiles
{
    MatrixFiles()
    {
        WriteFile(dir, "de.ccf", Table(49, {48.25, 0.0, 160.0, 442.0, 863.25}, {45.75, 159.75}).Build());
        WriteFile(dir, "z\xc3\xbcrich.ccf", Table(41, {471.25, 479.25}, {}).Build());
    }
    std::string Tuners(const std::vector<TnspRecord>& records) const
    {
        TnspImage image;
        image.records = records;
        return WriteFile(dir, "tuners.tsf", image.Build());
    }
    ToolRun Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), "matrix");
        return RunToolProcess(args, dir.Path());
    }

    TempDir dir;
};

const TnspRecord kNarrow = TunerWithBands(0x05, 0x01, 48.25, 160.0, 442.0, 863.25); // misses 45.75
const TnspRecord kWide = TunerWithBands(0x03, 0x12, 44.0, 160.0, 442.0, 958.0);     // tunes both
const TnspRecord kUhf = TunerWithBands(0x07, 0x21, 470.0, 480.0, 490.0, 500.0);     // the Zurich table alone

} // namespace

TEST(ToolMatrix, ListingHasARowPerTableAndAColumnPerTuner)
{
    const MatrixFiles files;
    files.Tuners({kNarrow, kWide, kUhf});
    ToolRun run = files.Run({"de.ccf", "z\xc3\xbcrich.ccf", "tuners.tsf"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "table       country  channels  05:01  03:12  07:21\n"
                       "de.ccf           49         6      1      0      6\n"
                       "z\xc3\xbcrich.ccf       41         2      0      0      0\n"
                       "tuners tuning every table: 03:12\n");

    // No tuner tunes de whole; one whose low band start is NaN is named.
    files.Tuners(
        {kNarrow, TunerWithBands(0x04, 0x12, std::numeric_limits<double>::quiet_NaN(), 160.0, 442.0, 958.0), kUhf});
    run = files.Run({"z\xc3\xbcrich.ccf", "de.ccf", "tuners.tsf"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "table       country  channels  05:01  04:12  07:21\n"
                       "z\xc3\xbcrich.ccf       41         2      0      0      0\n"
                       "de.ccf           49         6      1      3      6\n"
                       "tuner 04:12: its low band start is not a finite number\n"
                       "tuners tuning every table: none\n");
}

TEST(ToolMatrix, JsonAndCsvHoldTheSameCounts)
{
    const MatrixFiles files;
    files.Tuners({kNarrow, kUhf});
    // A path a CSV must quote.
    const std::string odd = "a,\"b\".ccf";
    WriteFile(files.dir, odd, Table(44, {}, {0.0}).Build());
    ToolRun run = files.Run({"--json", "de.ccf", odd, "tuners.tsf"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "{\"tuners\":[{\"entry\":1,\"factory\":5,\"tuner_type\":1,\"codes\":\"05:01\"},{\"entry\":2,"
                       "\"factory\":7,\"tuner_type\":33,\"codes\":\"07:21\"}],\"tables\":[{\"table\":\"de.ccf\","
                       "\"country\":49,\"channels\":6,\"tuners\":[{\"codes\":\"05:01\",\"outside\":1},{\"codes\":"
                       "\"07:21\",\"outside\":6}]},{\"table\":\"a,\\\"b\\\".ccf\",\"country\":44,\"channels\":0,"
                       "\"tuners\":[{\"codes\":\"05:01\",\"outside\":0},{\"codes\":\"07:21\",\"outside\":0}]}],"
                       "\"covering_all\":[]}\n");

    run = files.Run({"de.ccf", odd, "--csv", "tuners.tsf"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "table,country,channels,05:01,07:21\n"
                       "de.ccf,49,6,1,6\n"
                       "\"a,\"\"b\"\".ccf\",44,0,0,0\n");
    std::vector<CsvRecord> rows;
    std::string error;
    ASSERT_TRUE(ParseCsv(run.out, rows, error)) << error;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].fields[0], odd);
}

TEST(ToolMatrix, UnreadableFilesOldTablesAndWrongArgumentsExitTwo)
{
    const MatrixFiles files;
    files.Tuners({kWide});
    const auto expectRefused = [&files](const std::vector<std::string>& args, const std::string& message) {
        const ToolRun run = files.Run(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "vornalix-tool: " + message + "\n");
    };
    expectRefused({"de.ccf"}, "matrix takes one or more channel tables and then a tuner table (see vornalix-tool "
                              "matrix --help)");
    expectRefused({"de.ccf", "z\xc3\xbcrich.ccf"}, "z\xc3\xbcrich.ccf: not a tuner table (tsf)");
    expectRefused({"tuners.tsf", "tuners.tsf"}, "tuners.tsf: not a channel table (ccf)");
    expectRefused({"--json", "--csv", "de.ccf", "tuners.tsf"},
                  "--json and --csv cannot be given together (see vornalix-tool matrix --help)");
    expectRefused({"de.ccf", "gone.ccf", "tuners.tsf"}, "gone.ccf: cannot be read: No such file or directory");
    expectRefused({"de.ccf", "gone.tsf"}, "gone.tsf: cannot be read: No such file or directory");

    CftImage old;
    old.air = {{55.25f, 0, 0}};
    WriteFile(files.dir, "old.cft", old.Build());
    expectRefused({"de.ccf", "old.cft", "tuners.tsf"}, "old channel tables (cft) are not judged against tuners: "
                                                       "convert it (vornalix-tool convert) and judge the .ccf file");
}
