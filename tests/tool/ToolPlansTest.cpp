// vornalix-tool plans and build --plan / --country-plan: the listing the
// editor's chooser shows, and tables byte for byte as the editor fills them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include "edit/ChannelTableDocument.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/text/Json.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

const PlanLibrary& Library()
{
    static const PlanLibrary library = PlanLibrary::Load(VORNALIX_PLANS_DIR, "");
    return library;
}

Bytes EditorImage(ChannelTableDocument& doc)
{
    return doc.Table()->FileImage();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The person's own data folder, kept empty unless a test writes plans there.
struct PrivateDataHome
{
    TempDir dir;
    ScopedEnv dataHome{"XDG_DATA_HOME", dir.Path().c_str()};
    std::string PlanFolder() const { return dir.File("vornalix/plans"); }
};

} // namespace

TEST(ToolPlans, EveryPlanBuildsTheBytesTheEditorFills)
{
    PrivateDataHome home;
    TempDir dir;
    ASSERT_EQ(Library().Plans().size(), 73u);
    for (const ListedPlan& plan : Library().Plans()) {
        SCOPED_TRACE(plan.name);
        const std::string output = dir.File(plan.name + ".ccf");
        const ToolRun build = RunToolProcess({"build", "--plan", plan.name, "-o", output});
        ASSERT_EQ(build.status, 0) << build.err;
        EXPECT_EQ(build.err, "");
        ChannelTableDocument doc;
        PlanProblem problem;
        ASSERT_TRUE(doc.NewFromPlan(plan, problem)) << problem.Text();
        EXPECT_EQ(ReadAll(output), EditorImage(doc));
    }
}

TEST(ToolPlans, EveryCountryBuildsTheBytesTheEditorFills)
{
    PrivateDataHome home;
    TempDir dir;
    const std::string output = dir.File("country.ccf");
    ASSERT_EQ(Library().Countries().size(), 240u);
    for (const CountryPlans& country : Library().Countries()) {
        SCOPED_TRACE(country.name);
        const ToolRun build = RunToolProcess({"build", "--country-plan", country.name, "-o", output});
        ASSERT_EQ(build.status, 0) << build.err;
        ChannelTableDocument doc;
        ASSERT_TRUE(doc.NewFromCountry(country, Library()));
        EXPECT_EQ(ReadAll(output), EditorImage(doc));
    }
    // A calling code takes the first country listed with it; a name any case.
    const ToolRun byCode = RunToolProcess({"build", "--country-plan", "49", "-o", output});
    ASSERT_EQ(byCode.status, 0) << byCode.err;
    ChannelTableDocument germany;
    ASSERT_TRUE(germany.NewFromCountry(*Library().FindCountry("Germany"), Library()));
    EXPECT_EQ(ReadAll(output), EditorImage(germany));
    ASSERT_EQ(RunToolProcess({"build", "--country-plan", "gErMaNy", "-o", output}).status, 0);
    EXPECT_EQ(ReadAll(output), EditorImage(germany));
    // Checked as any table would be, it has nothing to fix.
    const ToolRun check = RunToolProcess({"check", output});
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.status, 0);
    const ToolRun dump = RunToolProcess({"dump", output});
    EXPECT_NE(dump.out.find("country code: 49 (Germany, PAL_B)\n"), std::string::npos) << dump.out;
}

TEST(ToolPlans, PositionsFollowTheLabels)
{
    PrivateDataHome home;
    TempDir dir;
    const std::string output = dir.File("us.ccf");
    ASSERT_EQ(RunToolProcess({"build", "--plan", "us-bcast", "-o", output}).status, 0);
    const ToolRun dump = RunToolProcess({"dump", output});
    // US broadcast channel 2 is channel 2; position 1 is an empty slot.
    EXPECT_NE(dump.out.find("air channels: 83, range 2 to 83\n  air 001  0 MHz (empty)\n  air 002  55.25 MHz\n"),
              std::string::npos)
        << dump.out;
    ASSERT_EQ(RunToolProcess({"build", "--plan", "europe-west", "-o", output}).status, 0);
    EXPECT_NE(RunToolProcess({"dump", output}).out.find("air channels: 104, range 1 to 104\n  air 001  48.25 MHz\n"),
              std::string::npos);
}

TEST(ToolPlans, ListsWhatTheChooserShows)
{
    PrivateDataHome home;
    const ToolRun run = RunToolProcess({"plans"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u + 73u + 1u + 240u);
    EXPECT_EQ(lines[0], "plans: 73");
    EXPECT_EQ(lines[1], "argentina\t93\t001\t093\tlabels are channel numbers\t"
                        "vadosnaprimer/xawtv3/frequencies/argentina.list @ 6fb68b45c3c9");
    EXPECT_EQ(lines[74], "countries: 240");
    EXPECT_EQ(lines[75], "United States of America\t1\tNTSC_M\tms-ntsc-broadcast\tms-ntsc-cable");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "europe-west\t104\tE2\t69\tnumbered from 1 in order\t"
                        "vadosnaprimer/xawtv3/frequencies/europe-west.list @ 6fb68b45c3c9"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Russia\t7\tSECAM_D\tms-eastern-europe-broadcast\t"), lines.end());

    const ToolRun json = RunToolProcess({"plans", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    JsonValue document;
    std::string error;
    ASSERT_TRUE(ParseJson(json.out, document, error)) << error;
    ASSERT_EQ(document.Find("plans")->items.size(), 73u);
    ASSERT_EQ(document.Find("countries")->items.size(), 240u);
    EXPECT_EQ(document.Find("problems")->items.size(), 0u);
    const auto& items = document.Find("plans")->items;
    const auto usAt = std::find_if(items.begin(), items.end(),
                                   [](const JsonValue& plan) { return plan.Find("name")->text == "us-bcast"; });
    ASSERT_NE(usAt, items.end());
    const JsonValue& us = *usAt;
    EXPECT_EQ(us.Find("channels")->text, "82");
    EXPECT_EQ(us.Find("positions")->text, "83");
    EXPECT_EQ(us.Find("labels_are_positions")->text, "1");
    EXPECT_EQ(us.Find("first")->text, "2");
    const JsonValue& usa = document.Find("countries")->items[0];
    EXPECT_EQ(usa.Find("code")->text, "1");
    EXPECT_EQ(usa.Find("cable_plan")->text, "ms-ntsc-cable");
}

TEST(ToolPlans, OwnPlansAreListedAndBrokenOnesReportedWithoutStopping)
{
    PrivateDataHome home;
    const std::string own = home.PlanFolder();
    std::filesystem::create_directories(own);
    const std::string bad = "channel,frequency_mhz\n5,x\n";
    WriteAll(own + "/bad.csv", Bytes(bad.begin(), bad.end()));
    const std::string mine = "channel,frequency_mhz\n3,175.25\n5,191.25\n";
    WriteAll(own + "/my-town.csv", Bytes(mine.begin(), mine.end()));

    const ToolRun run = RunToolProcess({"plans"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "vornalix-tool: " + own +
                           "/bad.csv: line 2: \"x\" is not a frequency in MHz "
                           "(a decimal number, 0 or more)\n");
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_EQ(lines[0], "plans: 74");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "my-town\t2\t3\t5\tlabels are channel numbers\town plan, " + own + "/my-town.csv"),
              lines.end());

    TempDir dir;
    const ToolRun build = RunToolProcess({"build", "--plan", "my-town", "-o", dir.File("t.ccf")});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadAll(dir.File("t.ccf")), ChannelTableImage(0, {0, 0, 175.25, 0, 191.25}, {}, 3, 0));
}

// A name, a label or a path from a person's files can hold any byte: the
// listing prints each in its printable form, so that none splits its line or
// drives the terminal; JSON holds each exactly, every control character escaped.
TEST(ToolPlans, OwnPlanNamesAndLabelsArePrintedInTheirPrintableForm)
{
    PrivateDataHome home;
    const std::string own = home.PlanFolder();
    std::filesystem::create_directories(own);
    const std::string name = "evil\n\x1b[31mred\a";
    const std::string plan = "channel,frequency_mhz\n\"\x1b]0;pwned\a\",55.25\n\"K\t2\",61.25\n";
    WriteAll(own + "/" + name + ".csv", Bytes(plan.begin(), plan.end()));
    const std::string broken = "channel,frequency_mhz\n1,x\n";
    WriteAll(own + "/bad\x1b[2J.csv", Bytes(broken.begin(), broken.end()));

    const ToolRun run = RunToolProcess({"plans"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find_first_of("\x1b\a\r"), std::string::npos);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u + 74u + 1u + 240u);
    EXPECT_EQ(lines[0], "plans: 74");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "evil\\n\\x1b[31mred\\x07\t2\t\\x1b]0;pwned\\x07\tK\\t2\tnumbered from 1 in order\town plan, " +
                            own + "/evil\\n\\x1b[31mred\\x07.csv"),
              lines.end())
        << run.out;
    EXPECT_EQ(run.err, "vornalix-tool: " + own +
                           "/bad\\x1b[2J.csv: line 2: \"x\" is not a frequency in MHz (a decimal number, 0 or more)\n");

    const ToolRun json = RunToolProcess({"plans", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.find_first_of(std::string("\x1b\a\r\t", 4)), std::string::npos);
    EXPECT_EQ(json.out.find('\n'), json.out.size() - 1);
    JsonValue document;
    std::string error;
    ASSERT_TRUE(ParseJson(json.out, document, error)) << error;
    const auto& items = document.Find("plans")->items;
    const auto evil = std::find_if(items.begin(), items.end(),
                                   [&](const JsonValue& item) { return item.Find("name")->text == name; });
    ASSERT_NE(evil, items.end());
    EXPECT_EQ(evil->Find("first")->text, "\x1b]0;pwned\a");
    EXPECT_EQ(evil->Find("last")->text, "K\t2");
    ASSERT_EQ(document.Find("problems")->items.size(), 1u);
    EXPECT_EQ(document.Find("problems")->items[0].text,
              own + "/bad\\x1b[2J.csv: line 2: \"x\" is not a frequency in MHz (a decimal number, 0 or more)");

    // The plan builds by its real name; a name asked for is quoted printably.
    TempDir dir;
    const ToolRun build = RunToolProcess({"build", "--plan", name, "-o", dir.File("evil.ccf")});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadAll(dir.File("evil.ccf")), ChannelTableImage(0, {55.25, 61.25}, {}, 1, 0));
    const ToolRun missing = RunToolProcess({"build", "--plan", "x\x1b[2J", "-o", dir.File("x.ccf")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.find('\x1b'), std::string::npos) << missing.err;
}

// Own plan files too large for any plan are refused by their size, FIFOs and
// devices without being opened; the rest are listed.
TEST(ToolPlans, OversizedAndSpecialOwnPlansAreRefusedWithoutBlocking)
{
    PrivateDataHome home;
    const std::string own = home.PlanFolder();
    std::filesystem::create_directories(own);
    const std::string mine = "channel,frequency_mhz\n3,175.25\n";
    WriteAll(own + "/mine.csv", Bytes(mine.begin(), mine.end()));
    for (const char* huge : {"huge-1.csv", "huge-2.csv"}) {
        std::string text = "channel,frequency_mhz\n";
        for (int i = 1; i <= 65535; ++i)
            text += std::string(200, 'L') + std::to_string(i) + ",175.25\n";
        ASSERT_LE(text.size(), std::size_t{16} << 20);
        WriteAll(own + "/" + huge, Bytes(text.begin(), text.end()));
    }
    ASSERT_EQ(::mkfifo((own + "/pipe.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", own + "/zero.csv");

    const ToolRun run = RunToolProcessWithin({"plans"}, 30);
    ASSERT_FALSE(run.bTimedOut) << "the listing blocked";
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out)[0], "plans: 74");
    const std::string tooLarge =
        ": cannot be read: larger than 6750135 bytes, the most a plan of 65535 channels takes\n";
    EXPECT_EQ(run.err, "vornalix-tool: " + own + "/huge-1.csv" + tooLarge + "vornalix-tool: " + own + "/huge-2.csv" +
                           tooLarge + "vornalix-tool: " + own +
                           "/pipe.csv: cannot be read: it is a FIFO, not a regular file\n"
                           "vornalix-tool: " +
                           own + "/zero.csv: cannot be read: it is a character device, not a regular file\n");
    TempDir dir;
    const ToolRun build = RunToolProcessWithin({"build", "--plan", "pipe", "-o", dir.File("p.ccf")}, 30);
    ASSERT_FALSE(build.bTimedOut);
    EXPECT_EQ(build.status, 2);
    EXPECT_FALSE(FileExists(dir.File("p.ccf")));
}

TEST(ToolPlans, RefusesWhatItCannotBuild)
{
    PrivateDataHome home;
    TempDir dir;
    const std::string output = dir.File("x.ccf");
    ToolRun run = RunToolProcess({"build", "--plan", "atlantis", "-o", output});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: no channel plan is named \"atlantis\" (vornalix-tool plans lists them)\n");
    run = RunToolProcess({"build", "--country-plan", "999", "-o", output});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "vornalix-tool: no country has the calling code or name \"999\" (vornalix-tool plans lists them)\n");
    run = RunToolProcess({"build", "--plan", "italy", "--country-plan", "39", "-o", output});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--plan and --country-plan: one at a time"), std::string::npos);
    run = RunToolProcess({"build", "--plan", "italy", "--country", "39", "-o", output});
    EXPECT_EQ(run.status, 2);
    run = RunToolProcess({"build", "--plan", "italy", "-o", dir.File("x.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("x.tsf") + ": the name says tsf, but the table is a ccf table\n");
    EXPECT_FALSE(FileExists(output));
    EXPECT_FALSE(FileExists(dir.File("x.tsf")));
    EXPECT_EQ(RunToolProcess({"plans", "extra"}).status, 2);
}

TEST(ToolPlans, HelpExplainsPlansAndBuildingFromThem)
{
    const ToolRun all = RunToolProcess({"--help"});
    EXPECT_NE(all.out.find("  plans [--json]"), std::string::npos);
    EXPECT_NE(all.out.find("  build --plan NAME -o OUT.ccf"), std::string::npos);
    EXPECT_NE(all.out.find("  build --country-plan CODE|NAME -o OUT.ccf"), std::string::npos);
    const ToolRun plans = RunToolProcess({"plans", "--help"});
    EXPECT_EQ(plans.status, 0);
    EXPECT_NE(plans.out.find("each channel goes to the position its label names"), std::string::npos);
    EXPECT_NE(plans.out.find("$XDG_DATA_HOME/vornalix/plans"), std::string::npos);
    const ToolRun build = RunToolProcess({"build", "--help"});
    EXPECT_NE(build.out.find("--country-plan C"), std::string::npos);
}
