// The output of every command that writes a file is never one of the files it
// reads: under the same name, through a link or as "./name", the command
// refuses with status 2 and the file stays as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

const char kJson[] = "{\"format\":\"ccf\",\"marker\":51968,\"reserved\":0,\"magic\":\"CHFQ\",\"country_code\":44,"
                     "\"end_mark\":\"0000ffff\",\"air\":{\"min\":1,\"max\":1,\"frequencies\":[55.25]},"
                     "\"cable\":{\"min\":0,\"max\":0,\"frequencies\":[]}}";

std::string Refusal(const std::string& input, const std::string& output)
{
    return "vornalix-tool: " + input + ": the output " + output + " would replace the file itself\n";
}

std::string Link(const TempDir& dir, const std::string& target, const std::string& name)
{
    const std::string link = dir.File(name);
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    return link;
}

// Runs the command and expects it refused for `input`, with `file`'s bytes kept.
void ExpectRefused(const std::vector<std::string>& args, const std::string& input, const std::string& output,
                   const std::string& file)
{
    const Bytes before = ReadAll(file);
    const ToolRun run = RunToolProcess(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Refusal(input, output));
    EXPECT_EQ(ReadAll(file), before);
}

} // namespace

TEST(ToolOutputOverInput, ChartNeverWritesOverTheTableOrTheTuners)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25, 55.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    tuners.records.emplace_back();
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());

    ExpectRefused({"chart", ccf, "-o", ccf}, ccf, ccf, ccf);
    const std::string link = Link(dir, ccf, "link.ccf");
    ExpectRefused({"chart", ccf, "-o", link}, ccf, link, ccf);
    ExpectRefused({"chart", link, "-o", ccf}, link, ccf, ccf);
    const std::string dotted = dir.Path() + "/./de.ccf";
    ExpectRefused({"chart", ccf, "-o", dotted}, ccf, dotted, ccf);
    ExpectRefused({"chart", "--tuner", tsf + ":03:12", ccf, "-o", tsf}, tsf, tsf, tsf);
    EXPECT_TRUE(std::filesystem::is_symlink(link));

    // Another file, new or old, is written as before.
    const std::string svg = dir.File("de.svg");
    ToolRun run = RunToolProcess({"chart", "--tuner", tsf + ":03:12", ccf, "-o", svg});
    ASSERT_EQ(run.status, 0) << run.err;
    run = RunToolProcess({"chart", ccf, "-o", svg});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes written = ReadAll(svg);
    EXPECT_EQ(std::string(written.begin(), written.end()).rfind("<?xml", 0), 0u);
}

TEST(ToolOutputOverInput, BuildNeverWritesOverItsJsonCsvOrPlan)
{
    TempDir dir;
    const std::string json = WriteText(dir, "uk.json", kJson);
    ExpectRefused({"build", json, "-o", json}, json, json, json);
    const std::string link = Link(dir, json, "uk-link.json");
    ExpectRefused({"build", json, "-o", link}, json, link, json);
    ExpectRefused({"build", link, "-o", json}, link, json, json);

    const std::string csv = WriteText(dir, "uk.csv", "channel,frequency_mhz\n1,55.25\n2,62.25\n");
    ExpectRefused({"build", "--csv", csv, "--country", "44", "-o", csv}, csv, csv, csv);
    const std::string csvLink = Link(dir, csv, "uk-link.csv");
    ExpectRefused({"build", "--csv", csvLink, "--country", "44", "-o", csv}, csvLink, csv, csv);

    // A plan of the person's own, which build --plan reads.
    TempDir home;
    const ScopedEnv dataHome("XDG_DATA_HOME", home.Path().c_str());
    const std::string folder = home.File("vornalix/plans");
    std::filesystem::create_directories(folder);
    const std::string plan = folder + "/my-town.csv";
    const std::string planText = "channel,frequency_mhz\n3,175.25\n5,191.25\n";
    WriteAll(plan, Bytes(planText.begin(), planText.end()));
    ExpectRefused({"build", "--plan", "my-town", "-o", plan}, plan, plan, plan);
    // An own plan in the place of a country's cable plan.
    const std::string cable = folder + "/ms-united-kingdom-cable.csv";
    WriteAll(cable, Bytes(planText.begin(), planText.end()));
    const std::string cableLink = Link(dir, cable, "cable.ccf");
    ExpectRefused({"build", "--country-plan", "44", "-o", cableLink}, cable, cableLink, cable);

    // Other outputs are written as before.
    ToolRun run = RunToolProcess({"build", json, "-o", dir.File("uk.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    run = RunToolProcess({"build", "--csv", csv, "--country", "44", "-o", dir.File("uk2.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("uk2.ccf")), ChannelTableImage(44, {55.25, 62.25}, {}, 1, 0));
    run = RunToolProcess({"build", "--plan", "my-town", "-o", dir.File("town.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    run = RunToolProcess({"build", "--country-plan", "44", "-o", dir.File("gb.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
}
