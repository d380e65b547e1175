// `vornalix-tool chart` through the real executable: the SVG it writes holds
// one mark per channel with a frequency, the tuner's spans when one is named;
// old tables, tuners not in the file and malformed tuner names are refused.

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "ToolProcess.h"
#include "ToolTestFiles.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

} // namespace

TEST(ToolChart, WritesOneMarkPerChannelAndTheTunersSpans)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25, 0.0, 55.25, 175.25, 175.25};
    table.cable = {112.25, 0.0, 0.0, 900.0};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    TnspRecord other;
    other.factory = 0x04;
    tuners.records.push_back(other);
    TnspRecord philips; // 03:12, bands 48.25 / 160 / 442 / 863.25
    philips.lowCode = 0x8E01;
    tuners.records.push_back(philips);
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::string svgPath = dir.Path() + "/de.svg";

    ToolRun run = RunToolProcess({"chart", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string svg = ReadText(svgPath);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(Count(svg, "<line class=\"mark "), 6u);
    EXPECT_EQ(Count(svg, "id=\"air-"), 4u);
    EXPECT_EQ(Count(svg, "id=\"cable-"), 2u);
    EXPECT_EQ(Count(svg, "class=\"mark air repeated\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"tuner-span\" id="), 0u);
    EXPECT_NE(svg.find("<title>de.ccf</title>"), std::string::npos);

    run = RunToolProcess({"chart", "--tuner", tsf + ":03:12", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    svg = ReadText(svgPath);
    EXPECT_EQ(Count(svg, "class=\"tuner-span\" id="), 3u);
    EXPECT_NE(svg.find(">low 8E01<"), std::string::npos);
    EXPECT_NE(svg.find(">high 8<"), std::string::npos);
    // 900 MHz lies above the high band's end (863.25).
    EXPECT_EQ(Count(svg, "class=\"mark cable uncovered\" id=\"cable-4\""), 1u);
    EXPECT_EQ(Count(svg, "uncovered\" id="), 1u);
}

TEST(ToolChart, RefusesOldTablesUnknownTunersAndBadArguments)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    tuners.records.push_back(TnspRecord{});
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::string svgPath = dir.Path() + "/out.svg";

    CftImage old;
    old.air = {{55.25f, 0, 0}};
    ToolRun run = RunToolProcess({"chart", WriteFile(dir, "old.cft", old.Build()), "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: old channel tables (cft) are not charted: convert it (vornalix-tool convert) "
                       "and chart the .ccf file\n");

    run = RunToolProcess({"chart", ccf, "--tuner", tsf + ":03:13", "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + tsf + ": no tuner 03:13 (factory:tuner type) in the file\n");

    for (const std::string& bad :
         std::vector<std::string>{tsf, tsf + ":03", tsf + ":3G:12", tsf + ":03:123456789", ":03:12"}) {
        run = RunToolProcess({"chart", ccf, "--tuner", bad, "-o", svgPath});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--tuner takes TUNERS.tsf:FF:TT"), std::string::npos) << bad;
    }
    run = RunToolProcess({"chart", ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no output file given"), std::string::npos);
    run = RunToolProcess({"chart", tsf, "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("has no channels to chart"), std::string::npos);
    // Nothing was written by any refused run.
    EXPECT_FALSE(std::ifstream(svgPath).good());

    run = RunToolProcess({"chart", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: vornalix-tool chart FILE.ccf [--tuner TUNERS.tsf:FF:TT] -o OUT.svg"),
              std::string::npos);
    run = RunToolProcess({"--help"});
    EXPECT_NE(run.out.find("  chart FILE.ccf"), std::string::npos);
}

TEST(ToolChart, AnUnwritableOutputIsExitStatusOne)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    const ToolRun run = RunToolProcess({"chart", ccf, "-o", dir.Path() + "/missing/out.svg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be written"), std::string::npos);
}

// The marks name the channels the table's country's plans give, as the
// editor's rows do: here a plan of the person's own in place of the
// installed broadcast plan of Germany's.
TEST(ToolChart, MarksNameTheirChannelInTheCountrysPlan)
{
    TempDir home;
    ASSERT_EQ(::mkdir(home.File("vornalix").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(home.File("vornalix/plans").c_str(), 0700), 0);
    WriteText(home, "vornalix/plans/ms-western-europe-broadcast.csv",
              std::string("channel,frequency_mhz\nE2,48.25\nE5,175.25\n"));
    const ScopedEnv dataHome{"XDG_DATA_HOME", home.Path().c_str()};
    TempDir dir;
    ChfqImage table;
    table.country = 49;
    table.air = {48.25, 55.25, 62.25, 64.0, 175.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    const std::string svgPath = dir.File("de.svg");
    const ToolRun run = RunToolProcess({"chart", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = ReadText(svgPath);
    EXPECT_NE(svg.find("<title>air channel 5, 175.25 MHz, plan channel E5</title>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<title>air channel 2, 55.25 MHz</title>"), std::string::npos);
    EXPECT_EQ(Count(svg, "plan channel"), 2u);
}
