// Standard channel plans: the plan, index and country readers, channel
// numbers as positions, filling a list as appending would, and the library of
// installed and own plans.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "ChannelPlans.h"
#include "ChannelTable.h"
#include "DataFolders.h"
#include "TestFiles.h"

namespace {

ChannelPlan Parsed(const std::string& text)
{
    ChannelPlan plan;
    PlanProblem problem;
    EXPECT_TRUE(ParseChannelPlan(text, plan, problem)) << problem.reason;
    return plan;
}

PlanProblem Refused(const std::string& text)
{
    ChannelPlan plan;
    PlanProblem problem;
    EXPECT_FALSE(ParseChannelPlan(text, plan, problem)) << text;
    return problem;
}

void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The table appending each position through the table's own command leaves.
std::vector<std::uint8_t> AppendedImage(const std::vector<double>& air, const std::vector<double>& cable,
                                        std::int32_t iCountry)
{
    ChannelTable table(true);
    for (const auto& [iMode, pFrequencies] : {std::pair{ChannelModeAir, &air}, std::pair{ChannelModeCable, &cable}})
        for (const double dbFrequency : *pFrequencies) {
            auto* pNode = new ChannelNode;
            pNode->dbFrequency = dbFrequency;
            EXPECT_TRUE(table.AppendChannel(iMode, pNode));
        }
    table.SetCountryCode(iCountry);
    return table.FileImage();
}

const std::string kInstalled = VORNALIX_PLANS_DIR;

} // namespace

TEST(ChannelPlans, WholeNumberLabelsArePositionsWithEmptySlotsBetween)
{
    const ChannelPlan fromTwo = Parsed("channel,frequency_mhz\n2,55.25\n3,61.25\n5,77.25\n");
    EXPECT_TRUE(fromTwo.bLabelsArePositions);
    EXPECT_EQ(fromTwo.PositionCount(), 5u);
    EXPECT_EQ(fromTwo.Positions(), (std::vector<double>{0.0, 55.25, 61.25, 0.0, 77.25}));

    // Leading zeros still name the position.
    EXPECT_EQ(Parsed("channel,frequency_mhz\n002,55.25\n").Positions(), (std::vector<double>{0.0, 55.25}));
}

TEST(ChannelPlans, AnyOtherLabelKeepsThePlansOrderFromOne)
{
    const ChannelPlan letters = Parsed("channel,frequency_mhz\nE2,48.25\nE3,55.25\nS21,303.25\n");
    EXPECT_FALSE(letters.bLabelsArePositions);
    EXPECT_EQ(letters.Positions(), (std::vector<double>{48.25, 55.25, 303.25}));
    EXPECT_EQ(letters.channels[2].label, "S21");

    // One label that is not a whole number makes the whole plan ordered:
    // numbers that fall, repeat or are 0 are then only labels.
    const ChannelPlan mixed = Parsed("channel,frequency_mhz\n5,100.0\n0,45.0\nT7,7.0\n5,120.5\n");
    EXPECT_FALSE(mixed.bLabelsArePositions);
    EXPECT_EQ(mixed.Positions(), (std::vector<double>{100.0, 45.0, 7.0, 120.5}));
}

TEST(ChannelPlans, BrokenPlansAreRefusedWithTheirLine)
{
    const struct
    {
        const char* text;
        std::size_t line;
        const char* reason;
    } cases[] = {
        {"list,channel,frequency_mhz\nair,1,55.25\n", 1, "the header must begin channel,frequency_mhz"},
        {"channel,frequency_mhz,x\n1,55.25,1\n", 1, "the header must be channel,frequency_mhz"},
        {"channel,frequency_mhz\n", 0, "holds no channels"},
        {"channel,frequency_mhz\n1,55.25\n2\n", 3, "2 fields expected, found 1"},
        {"channel,frequency_mhz\n1,55.25\n2,61.25,x\n", 3, "2 fields expected, found 3"},
        {"channel,frequency_mhz\n,55.25\n", 2, "the channel label is empty"},
        {"channel,frequency_mhz\n1,55.25\n\n2,abc\n", 4,
         "\"abc\" is not a frequency in MHz (a decimal number, 0 or more)"},
        {"channel,frequency_mhz\n1,-1\n", 2, "\"-1\" is not a frequency in MHz (a decimal number, 0 or more)"},
        {"channel,frequency_mhz\n1,inf\n", 2, "\"inf\" is not a frequency in MHz (a decimal number, 0 or more)"},
        {"channel,frequency_mhz\n1,55.25MHz\n", 2,
         "\"55.25MHz\" is not a frequency in MHz (a decimal number, 0 or more)"},
        {"channel,frequency_mhz\n0,45.0\n1,55.25\n", 2, "channel 0: whole-number channels start at 1"},
        {"channel,frequency_mhz\n3,45.0\n2,55.25\n", 3,
         "channel 2 comes after channel 3: whole-number channels must rise"},
        {"channel,frequency_mhz\n3,45.0\n3,55.25\n", 3,
         "channel 3 comes after channel 3: whole-number channels must rise"},
        {"channel,frequency_mhz\n1,45.0\n65536,55.25\n", 3, "channel \"65536\": a list holds at most 65535 channels"},
        {"channel,frequency_mhz\n\"1,45.0\n", 2, "a quote is never closed"},
        {"channel,frequency_mhz\n\"1\"x,45.0\n", 2, "text after a closing quote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PlanProblem problem = Refused(c.text);
        EXPECT_EQ(problem.line, c.line);
        EXPECT_EQ(problem.reason, c.reason);
    }
    // The last position a list has is still a position.
    EXPECT_EQ(Parsed("channel,frequency_mhz\n65535,55.25\n").PositionCount(), 65535u);
}

TEST(ChannelPlans, ProblemTextNamesFileAndLine)
{
    EXPECT_EQ((PlanProblem{"/p/x.csv", 4, "bad"}).Text(), "/p/x.csv: line 4: bad");
    EXPECT_EQ((PlanProblem{"/p/x.csv", 0, "cannot be read: No such file or directory"}).Text(),
              "/p/x.csv: cannot be read: No such file or directory");
}

TEST(ChannelPlans, FillingAListGivesTheRangeAppendingGives)
{
    const ChannelPlan fromTwo = Parsed("channel,frequency_mhz\n2,55.25\n3,0.0\n4,67.25\n5,0\n");
    const ChannelPlan empty = Parsed("channel,frequency_mhz\nA,0\nB,0\n");
    for (const ChannelPlan* pPlan : {&fromTwo, &empty}) {
        ChannelTable table(true);
        ASSERT_TRUE(FillListFromPlan(table, ChannelModeCable, *pPlan));
        table.SetCountryCode(49);
        EXPECT_EQ(table.FileImage(), AppendedImage({}, pPlan->Positions(), 49));
        // A list that already holds channels is not filled again.
        EXPECT_FALSE(FillListFromPlan(table, ChannelModeCable, *pPlan));
    }
    ChannelTable table(true);
    ASSERT_TRUE(FillListFromPlan(table, ChannelModeCable, fromTwo));
    std::int32_t iMin = 0;
    std::int32_t iMax = 0;
    table.GetRange(ChannelModeCable, &iMin, &iMax);
    EXPECT_EQ(iMin, 2);
    EXPECT_EQ(iMax, 4);
    EXPECT_FALSE(FillListFromPlan(table, ChannelModeNone, fromTwo));
}

TEST(ChannelPlans, IndexAndCountryListsAreRead)
{
    std::vector<ChannelPlan> plans;
    PlanProblem problem;
    ASSERT_TRUE(ParsePlanIndex("plan,source_repo,source_path,source_commit,source_section,first_channel\n"
                               "p1,owner/repo,lists/a.list,0123456789abcdef,section [a],1\n",
                               plans, problem));
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0].name, "p1");
    EXPECT_EQ(plans[0].source, "owner/repo/lists/a.list @ 0123456789ab");
    EXPECT_EQ(plans[0].section, "section [a]");
    EXPECT_FALSE(ParsePlanIndex("plan,source\n", plans, problem));
    EXPECT_EQ(problem.line, 1u);
    // A name is a file of the index's folder, never a path out of it.
    for (const char* name : {"", "../../etc/passwd", "a/b", ".hidden"}) {
        EXPECT_FALSE(
            ParsePlanIndex(std::string("plan,source_repo,source_path,source_commit,source_section\nok,r,p,c,s\n") +
                               name + ",r,p,c,s\n",
                           plans, problem))
            << name;
        EXPECT_EQ(problem.line, 3u);
    }

    std::vector<CountryPlans> countries;
    ASSERT_TRUE(ParseCountryPlans("country,calling_code,tv_system,plan,cable_plan,x\n"
                                  "\"Land, The\",49,PAL_B,air-plan,,X\n",
                                  countries, problem));
    ASSERT_EQ(countries.size(), 1u);
    EXPECT_EQ(countries[0].name, "Land, The");
    EXPECT_EQ(countries[0].iCallingCode, 49);
    EXPECT_EQ(countries[0].tvSystem, "PAL_B");
    EXPECT_EQ(countries[0].airPlan, "air-plan");
    EXPECT_EQ(countries[0].cablePlan, "");
    for (const char* code : {"0", "-1", "x", "4294967296", ""}) {
        EXPECT_FALSE(
            ParseCountryPlans(std::string("country,calling_code,tv_system,plan,cable_plan\nA,") + code + ",PAL_B,p,q\n",
                              countries, problem))
            << code;
        EXPECT_EQ(problem.line, 2u);
    }
    EXPECT_FALSE(
        ParseCountryPlans("country,calling_code,tv_system,plan,cable_plan\nA,1,PAL_B,p\n", countries, problem));
    EXPECT_EQ(problem.reason, "5 fields expected, found 4");
}

TEST(ChannelPlans, EveryShippedPlanIsListedAsItsIndexSays)
{
    const PlanLibrary library = PlanLibrary::Load(kInstalled, "");
    EXPECT_TRUE(library.Problems().empty()) << library.Problems().front().Text();
    ASSERT_EQ(library.Plans().size(), 73u);
    ASSERT_EQ(library.Countries().size(), 240u);

    const std::vector<CsvRow> index = ReadCsv(DataFile("channel-plans-index.csv"));
    ASSERT_EQ(index.size(), 74u);
    std::size_t channels = 0;
    for (std::size_t i = 1; i < index.size(); ++i) {
        const ChannelPlan* pPlan = library.FindPlan(index[i][0]);
        ASSERT_NE(pPlan, nullptr) << index[i][0];
        EXPECT_EQ(pPlan->channels.front().label, index[i][5]);
        EXPECT_EQ(pPlan->channels.back().label, index[i][6]);
        EXPECT_EQ(std::to_string(pPlan->channels.size()), index[i][7]);
        EXPECT_FALSE(pPlan->bOwn);
        channels += pPlan->channels.size();
    }
    EXPECT_EQ(channels, 6275u);

    // Every plan a country names is there; a country may lack one.
    for (const CountryPlans& country : library.Countries())
        for (const std::string* pName : {&country.airPlan, &country.cablePlan})
            EXPECT_TRUE(pName->empty() || library.FindPlan(*pName)) << country.name << ": " << *pName;

    const ChannelPlan* pUs = library.FindPlan("us-bcast");
    ASSERT_NE(pUs, nullptr);
    EXPECT_TRUE(pUs->bLabelsArePositions);
    EXPECT_EQ(pUs->Positions().size(), 83u);
    EXPECT_EQ(pUs->Positions()[0], 0.0);
    EXPECT_EQ(pUs->Positions()[1], 55.25);
    const ChannelPlan* pEurope = library.FindPlan("europe-west");
    ASSERT_NE(pEurope, nullptr);
    EXPECT_FALSE(pEurope->bLabelsArePositions);
    EXPECT_EQ(pEurope->Positions()[0], 48.25);
    EXPECT_EQ(pEurope->source, "vadosnaprimer/xawtv3/frequencies/europe-west.list @ 6fb68b45c3c9");
}

TEST(ChannelPlans, CountriesAreFoundByCodeOrName)
{
    const PlanLibrary library = PlanLibrary::Load(kInstalled, "");
    const CountryPlans* pGermany = library.FindCountry("germany");
    ASSERT_NE(pGermany, nullptr);
    EXPECT_EQ(pGermany->name, "Germany");
    EXPECT_EQ(library.FindCountry("49"), pGermany);
    // A shared code names the first country listed with it.
    ASSERT_NE(library.FindCountry("1"), nullptr);
    EXPECT_EQ(library.FindCountry("1")->name, "United States of America");
    EXPECT_EQ(library.FindCountry("Germ"), nullptr);
    EXPECT_EQ(library.FindCountry("999"), nullptr);
    EXPECT_EQ(library.FindCountry(""), nullptr);
}

TEST(ChannelPlans, OwnPlansAreListedAndBrokenOnesReportedWithoutStoppingTheList)
{
    TempDir dir;
    const std::string own = dir.File("vornalix/plans");
    WriteText(own + "/a-broken.csv", "channel,frequency_mhz\n2,55.25\n3,abc\n");
    WriteText(own + "/mine.csv", "channel,frequency_mhz\n2,55.25\n4,67.25\n");
    WriteText(own + "/us-bcast.csv", "channel,frequency_mhz\nX,1.5\n");
    WriteText(own + "/z-header.csv", "frequency_mhz,channel\n");
    WriteText(own + "/notes.txt", "not a plan");

    const PlanLibrary library = PlanLibrary::Load(kInstalled, own);
    ASSERT_EQ(library.Problems().size(), 2u);
    EXPECT_EQ(library.Problems()[0].Text(),
              own + "/a-broken.csv: line 3: \"abc\" is not a frequency in MHz (a decimal number, 0 or more)");
    EXPECT_EQ(library.Problems()[1].Text(), own + "/z-header.csv: line 1: the header must begin channel,frequency_mhz");
    EXPECT_EQ(library.Plans().size(), 74u);
    EXPECT_TRUE(std::is_sorted(library.Plans().begin(), library.Plans().end(),
                               [](const ChannelPlan& a, const ChannelPlan& b) { return a.name < b.name; }));

    const ChannelPlan* pMine = library.FindPlan("mine");
    ASSERT_NE(pMine, nullptr);
    EXPECT_TRUE(pMine->bOwn);
    EXPECT_EQ(pMine->source, "own plan, " + own + "/mine.csv");
    EXPECT_EQ(pMine->Positions(), (std::vector<double>{0.0, 55.25, 0.0, 67.25}));
    // An own plan with a standard plan's name takes its place.
    ASSERT_NE(library.FindPlan("us-bcast"), nullptr);
    EXPECT_TRUE(library.FindPlan("us-bcast")->bOwn);
    EXPECT_EQ(library.FindPlan("us-bcast")->channels.size(), 1u);
}

TEST(ChannelPlans, TheInstalledSetIsFoundWhereTheTunerCatalogueIs)
{
    TempDir dir;
    WriteText(dir.File("second/vornalix/plans/channel-plans-index.csv"),
              "plan,source_repo,source_path,source_commit,source_section\nonly,r,p,c,s\n");
    WriteText(dir.File("second/vornalix/plans/only.csv"), "channel,frequency_mhz\n1,45.0\n");
    WriteText(dir.File("home/vornalix/plans/mine.csv"), "channel,frequency_mhz\n1,47.0\n");
    const std::string dirs = dir.File("first") + ":" + dir.File("second");
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("home").c_str());
    const ScopedEnv dataDirs("XDG_DATA_DIRS", dirs.c_str());

    // The build tree's plans lie in ../share/vornalix/plans from the tests'
    // folder, the place of an installed program's data, and come first.
    const std::vector<std::string> folders = DataFolders();
    ASSERT_GE(folders.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(folders.end() - 3, folders.end()),
        (std::vector<std::string>{dir.File("home/vornalix"), dir.File("first/vornalix"), dir.File("second/vornalix")}));
    EXPECT_TRUE(std::filesystem::equivalent(PlanLibrary::InstalledFolder(), kInstalled));

    // Without them, the first data folder whose plans have an index.
    const std::vector<std::string> xdgFolders(folders.end() - 3, folders.end());
    EXPECT_EQ(PlanLibrary::InstalledFolder(xdgFolders), dir.File("second/vornalix/plans"));
    EXPECT_EQ(PlanLibrary::InstalledFolder({dir.File("first/vornalix")}), "");
    EXPECT_EQ(UserDataFolder(), dir.File("home/vornalix"));
    const PlanLibrary library =
        PlanLibrary::Load(PlanLibrary::InstalledFolder(xdgFolders), UserDataFolder() + "/plans");
    ASSERT_EQ(library.Plans().size(), 2u);
    EXPECT_EQ(library.Plans()[0].name, "mine");
    EXPECT_TRUE(library.Plans()[0].bOwn);
    EXPECT_EQ(library.Plans()[1].name, "only");
    // No country list beside that index: told, not fatal.
    ASSERT_EQ(library.Problems().size(), 1u);
    EXPECT_EQ(library.Problems()[0].path, dir.File("second/vornalix/plans/country-plans.csv"));
}

TEST(ChannelPlans, TheCacheReadsAgainOnlyWhenAFileChanged)
{
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.Path().c_str());
    const std::string own = dir.File("vornalix/plans");
    PlanLibraryCache cache;
    const PlanLibrary* pFirst = &cache.Current();
    ASSERT_EQ(pFirst->Plans().size(), 73u);
    const ChannelPlan* pPlan = pFirst->FindPlan("italy");
    // Nothing changed: the same plans, not read again.
    EXPECT_EQ(cache.Current().FindPlan("italy"), pPlan);

    WriteText(own + "/mine.csv", "channel,frequency_mhz\n1,45.0\n");
    EXPECT_EQ(cache.Current().Plans().size(), 74u);
    // Changed in place (another size): read again.
    WriteText(own + "/mine.csv", "channel,frequency_mhz\n1,45.0\n2,47.5\n");
    ASSERT_NE(cache.Current().FindPlan("mine"), nullptr);
    EXPECT_EQ(cache.Current().FindPlan("mine")->channels.size(), 2u);
    std::filesystem::remove(own + "/mine.csv");
    EXPECT_EQ(cache.Current().FindPlan("mine"), nullptr);
}
