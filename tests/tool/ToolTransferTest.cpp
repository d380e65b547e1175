// The editors' import and export and vornalix-tool are one implementation:
// the editors' JSON is what "dump --json" writes, "build" makes the same file
// from it, and a list's CSV rows are the rows "export" writes for it.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "edit/TableTransfer.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/text/TableJson.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

TEST(ToolTransfer, EditorExportIsTheToolsDumpAndBuildsTheSameFile)
{
    TempDir dir;
    ChfqImage channels;
    channels.magic = {0x00, '"', 0x80, 0xFF};
    channels.airMin = 9;
    channels.air = {0.0, 55.25, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()};
    channels.cable = {112.25};
    const std::string ccf = WriteFile(dir, "table.ccf", channels.Build());
    TnspImage tuners;
    tuners.records.resize(3);
    tuners.records[1].factory = -7;
    tuners.records[2].pc2 = std::numeric_limits<double>::infinity();
    const std::string tsf = WriteFile(dir, "table.tsf", tuners.Build());

    ChannelTable channelTable(false);
    ASSERT_TRUE(channelTable.Load(ccf.c_str()));
    TunerSpecTable tunerTable(false);
    ASSERT_TRUE(tunerTable.Load(tsf.c_str()));
    const std::string channelJson = ChannelTableJsonText(channelTable);
    const std::string tunerJson = TunerTableJsonText(tunerTable);
    EXPECT_EQ(RunToolProcess({"dump", "--json", ccf}).out, channelJson);
    EXPECT_EQ(RunToolProcess({"dump", "--json", tsf}).out, tunerJson);

    TransferError error;
    ASSERT_TRUE(ExportChannelTableFile(dir.File("channels.json"), channelTable, error));
    ASSERT_TRUE(ExportTunerTableFile(dir.File("tuners.json"), tunerTable, error));
    ASSERT_EQ(RunToolProcess({"build", dir.File("channels.json"), "-o", dir.File("built.ccf")}).status, 0);
    ASSERT_EQ(RunToolProcess({"build", dir.File("tuners.json"), "-o", dir.File("built.tsf")}).status, 0);
    EXPECT_EQ(ReadAll(dir.File("built.ccf")), channels.Build());
    EXPECT_EQ(ReadAll(dir.File("built.tsf")), tuners.Build());

    // And the other way: what the tool dumps, the editors import.
    std::unique_ptr<ChannelTable> pImported;
    ASSERT_TRUE(ReadChannelTableJson(RunToolProcess({"dump", "--json", ccf}).out, pImported, error)) << error.reason;
    EXPECT_EQ(pImported->FileImage(), channels.Build());
}

TEST(ToolTransfer, ListRowsAreTheRowsOfTheToolsExport)
{
    TempDir dir;
    ChfqImage channels;
    channels.air = {0.0, 55.25, std::numeric_limits<double>::quiet_NaN(), -0.0, 1e-300};
    const std::string ccf = WriteFile(dir, "table.ccf", channels.Build());
    const std::string listCsv = ChannelListCsvText(channels.air);
    const std::string header = std::string(kPlanHeader) + "\n";
    ASSERT_EQ(listCsv.substr(0, header.size()), header);

    std::string toolRows;
    std::string rows = listCsv.substr(header.size());
    for (std::size_t start = 0; start < rows.size();) {
        const std::size_t end = rows.find('\n', start) + 1;
        toolRows += "air," + rows.substr(start, end - start);
        start = end;
    }
    EXPECT_EQ(RunToolProcess({"export", ccf}).out, "list,channel,frequency_mhz\n" + toolRows);
}

// One CSV family: build --csv reads the editor's one-list export (no list
// column) into the list --list names, air by default, and the columns of
// either form in any order.
TEST(ToolTransfer, BuildReadsTheEditorsOneListCsvIntoTheListAskedFor)
{
    TempDir dir;
    const std::vector<double> list = {0.0, 55.25, std::numeric_limits<double>::quiet_NaN(), 62.25};
    const std::string csv = WriteText(dir, "list.csv", ChannelListCsvText(list));
    ASSERT_EQ(RunToolProcess({"build", "--csv", csv, "--country", "33", "-o", dir.File("air.ccf")}).status, 0);
    ASSERT_EQ(RunToolProcess({"build", "--csv", csv, "--country", "33", "--list", "cable", "-o", dir.File("cable.ccf")})
                  .status,
              0);
    ChfqImage expected;
    expected.country = 33;
    expected.air = list;
    expected.airMin = 2;
    EXPECT_EQ(ReadAll(dir.File("air.ccf")), expected.Build());
    expected.cable = list;
    expected.cableMin = 2;
    expected.air = {};
    expected.airMin = 0;
    EXPECT_EQ(ReadAll(dir.File("cable.ccf")), expected.Build());

    // Columns by name in any order, an extra one passed over.
    const std::string shuffled =
        WriteText(dir, "shuffled.csv", "frequency_mhz,note,channel,list\n175.25,x,1,cable\n55.25,,2,air\n");
    ASSERT_EQ(RunToolProcess({"build", "--csv", shuffled, "--country", "33", "-o", dir.File("s.ccf")}).status, 0);
    ChfqImage both;
    both.country = 33;
    both.air = {0.0, 55.25};
    both.airMin = 2;
    both.cable = {175.25};
    both.cableMin = 1;
    EXPECT_EQ(ReadAll(dir.File("s.ccf")), both.Build());

    // --list is for a file without a list column, and names air or cable.
    ToolRun run =
        RunToolProcess({"build", "--csv", shuffled, "--country", "33", "--list", "air", "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + shuffled +
                           ": the file names each row's list (a list column): --list is for a file without one\n");
    run = RunToolProcess({"build", "--csv", csv, "--country", "33", "--list", "sat", "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: --list sat is not a list (air or cable) (see vornalix-tool build --help)\n");
    EXPECT_FALSE(FileExists(dir.File("x.ccf")));
}

// A list saved by a spreadsheet of a German locale builds the table the same
// list of points does.
TEST(ToolTransfer, BuildReadsSemicolonsAndDecimalCommas)
{
    TempDir dir;
    const std::string csv = WriteText(dir, "de.csv", "Kanal;Channel;Frequency (MHz)\r\nE2;2;48,25\r\nE3;3;55,25\r\n");
    const ToolRun run = RunToolProcess({"build", "--csv", csv, "--country", "49", "-o", dir.File("de.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    ChfqImage expected;
    expected.country = 49;
    expected.air = {0.0, 48.25, 55.25};
    expected.airMin = 2;
    EXPECT_EQ(ReadAll(dir.File("de.ccf")), expected.Build());
    // Its export is the tool's own CSV, as before.
    EXPECT_EQ(RunToolProcess({"export", dir.File("de.ccf")}).out,
              "list,channel,frequency_mhz\nair,1,0\nair,2,48.25\nair,3,55.25\n");
}
