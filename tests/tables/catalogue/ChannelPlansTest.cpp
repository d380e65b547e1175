// Standard channel plans: the plan, index and country readers, channel
// numbers as positions, filling a list as appending would, and the library of
// installed and own plans.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolders.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"

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

// The positions of a listed plan, read as choosing it reads them.
std::vector<double> Chosen(const ListedPlan* pListed)
{
    std::vector<double> positions;
    PlanProblem problem;
    EXPECT_NE(pListed, nullptr);
    if (pListed) {
        EXPECT_TRUE(ReadListedPlan(*pListed, positions, problem)) << problem.Text();
    }
    return positions;
}

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
        // A label needs a few dozen bytes, a frequency no more than 32 characters.
        {"channel,frequency_mhz\nK1,45.0\nABCDEFGHIJKLMNOPQRSTUVWXYZ0123456,55.25\n", 3,
         "the channel label is longer than 32 bytes"},
        {"channel,frequency_mhz\nK1,55.250000000000000000000000000000\n", 2,
         "\"55.250000000000000000000...\" is longer than a frequency needs (32 characters at most)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PlanProblem problem = Refused(c.text);
        EXPECT_EQ(problem.line, c.line);
        EXPECT_EQ(problem.reason, c.reason);
        // A listing's outline refuses the same text for the same reason.
        PlanOutline outline;
        PlanProblem outlineProblem;
        EXPECT_FALSE(OutlineChannelPlan(c.text, outline, outlineProblem));
        EXPECT_EQ(outlineProblem.Text(), problem.Text());
        EXPECT_EQ(outlineProblem.column, problem.column);
    }
    // The last position a list has is still a position; the longest label and
    // frequency are still read.
    EXPECT_EQ(Parsed("channel,frequency_mhz\n65535,55.25\n").PositionCount(), 65535u);
    const ChannelPlan longest =
        Parsed("channel,frequency_mhz\nABCDEFGHIJKLMNOPQRSTUVWXYZ012345,55.25000000000000000000000000000\n");
    EXPECT_EQ(longest.channels.at(0).label.size(), kMaxPlanLabelBytes);
    EXPECT_EQ(longest.channels.at(0).dbFrequency, 55.25);
}

// Short decimals are read the quick way, the rest by the library: each is the
// double nearest the number written, bit for bit what strtod gives.
TEST(ChannelPlans, FrequenciesAreTheDoublesNearestTheirDigits)
{
    const char* const frequencies[] = {"0",
                                       "0.1",
                                       "55.25",
                                       "175.25999450683594",
                                       "999999999999999",
                                       "99999999999999.9",
                                       "0.00000000000001",
                                       "0.000000000000001",
                                       "1234567890123456",
                                       "9007199254740993",
                                       "862.1875",
                                       "0000000000000862.1875",
                                       "7.",
                                       ".5",
                                       "1e2",
                                       "2.5E-3"};
    std::string text = "channel,frequency_mhz\n";
    for (const char* frequency : frequencies)
        text += std::string("K,") + frequency + "\n";
    const ChannelPlan plan = Parsed(text);
    ASSERT_EQ(plan.channels.size(), std::size(frequencies));
    for (std::size_t i = 0; i < plan.channels.size(); ++i) {
        const double expected = std::strtod(frequencies[i], nullptr);
        EXPECT_EQ(std::memcmp(&plan.channels[i].dbFrequency, &expected, sizeof expected), 0) << frequencies[i];
    }
    for (const char* wrong : {"1.2.3", "5..5", "-0.5", "1,5", "0x10", "1.5 ", "."})
        EXPECT_NE(Refused(std::string("channel,frequency_mhz\nK,\"") + wrong + "\"\n").reason.find("not a frequency"),
                  std::string::npos)
            << wrong;
}

TEST(ChannelPlans, TheOutlineIsWhatReadingThePlanGives)
{
    for (const char* text : {"channel,frequency_mhz\n2,55.25\n3,61.25\n5,77.25\n",
                             "\xEF\xBB\xBF\"channel\",\"frequency_mhz\"\r\n\"E\"\"2\",48.25\r\nS21,\"303.25\"\r\n",
                             "channel,frequency_mhz\n5,100.0\n0,45.0\nT7,7.0\n5,120.5\n"}) {
        SCOPED_TRACE(text);
        PlanOutline outline;
        PlanProblem problem;
        ASSERT_TRUE(OutlineChannelPlan(text, outline, problem)) << problem.Text();
        EXPECT_EQ(outline, OutlineOf(Parsed(text)));
    }
    PlanOutline outline;
    PlanProblem problem;
    ASSERT_TRUE(OutlineChannelPlan("channel,frequency_mhz\n2,55.25\n3,61.25\n5,77.25\n", outline, problem));
    EXPECT_EQ(outline.channelCount, 3u);
    EXPECT_EQ(outline.positionCount, 5u);
    EXPECT_EQ(outline.firstLabel, "2");
    EXPECT_EQ(outline.lastLabel, "5");
    EXPECT_TRUE(outline.bLabelsArePositions);
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
        const ListedPlan* pPlan = library.FindPlan(index[i][0]);
        ASSERT_NE(pPlan, nullptr) << index[i][0];
        EXPECT_EQ(pPlan->outline.firstLabel, index[i][5]);
        EXPECT_EQ(pPlan->outline.lastLabel, index[i][6]);
        EXPECT_EQ(std::to_string(pPlan->outline.channelCount), index[i][7]);
        EXPECT_FALSE(pPlan->bOwn);
        // What the listing shows is the plan's file, and choosing it reads its positions.
        const std::vector<CsvRow> rows = ReadCsv(kInstalled + "/" + index[i][0] + ".csv");
        std::string text = "channel,frequency_mhz\n";
        for (std::size_t row = 1; row < rows.size(); ++row)
            text += rows[row][0] + "," + rows[row][1] + "\n";
        const ChannelPlan plan = Parsed(text);
        EXPECT_EQ(OutlineOf(plan), pPlan->outline);
        EXPECT_EQ(Chosen(pPlan), plan.Positions());
        channels += pPlan->outline.channelCount;
    }
    EXPECT_EQ(channels, 6255u);

    // Every plan a country names is there; a country may lack one.
    for (const CountryPlans& country : library.Countries())
        for (const std::string* pName : {&country.airPlan, &country.cablePlan})
            EXPECT_TRUE(pName->empty() || library.FindPlan(*pName)) << country.name << ": " << *pName;

    const ListedPlan* pUs = library.FindPlan("us-bcast");
    ASSERT_NE(pUs, nullptr);
    EXPECT_TRUE(pUs->outline.bLabelsArePositions);
    EXPECT_EQ(pUs->outline.positionCount, 83u);
    const std::vector<double> us = Chosen(pUs);
    ASSERT_EQ(us.size(), 83u);
    EXPECT_EQ(us[0], 0.0);
    EXPECT_EQ(us[1], 55.25);
    const ListedPlan* pEurope = library.FindPlan("europe-west");
    ASSERT_NE(pEurope, nullptr);
    EXPECT_FALSE(pEurope->outline.bLabelsArePositions);
    EXPECT_EQ(Chosen(pEurope)[0], 48.25);
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
                               [](const ListedPlan& a, const ListedPlan& b) { return a.name < b.name; }));

    const ListedPlan* pMine = library.FindPlan("mine");
    ASSERT_NE(pMine, nullptr);
    EXPECT_TRUE(pMine->bOwn);
    EXPECT_EQ(pMine->source, "own plan, " + own + "/mine.csv");
    EXPECT_EQ(Chosen(pMine), (std::vector<double>{0.0, 55.25, 0.0, 67.25}));
    // An own plan with a standard plan's name takes its place.
    ASSERT_NE(library.FindPlan("us-bcast"), nullptr);
    EXPECT_TRUE(library.FindPlan("us-bcast")->bOwn);
    EXPECT_EQ(library.FindPlan("us-bcast")->outline.channelCount, 1u);
}

// Every plan within the limits fits the file bound however it is written: the
// longest way of writing the most channels is read, one byte more is refused
// by its size, and so is a file of a gigabyte, whose bytes are never read.
TEST(ChannelPlans, OwnPlanFilesAreBoundedBeforeTheyAreRead)
{
    TempDir dir;
    const std::string own = dir.File("plans");
    std::string largest = "\xEF\xBB\xBF\"channel\",\"frequency_mhz\"\r\n";
    const std::string label = "\"" + std::string(2 * kMaxPlanLabelBytes, '"') + "\"";
    const std::string frequency = "\"" + std::string("55.25") + std::string(kMaxPlanFrequencyBytes - 5, '0') + "\"";
    for (std::size_t i = 0; i < kMaxPlanChannels; ++i)
        largest += label + "," + frequency + "\r\n";
    ASSERT_EQ(largest.size(), kMaxPlanFileBytes);
    WriteText(own + "/largest.csv", largest);
    WriteText(own + "/one-more.csv", largest + "\n");
    WriteText(own + "/sparse.csv", "channel,frequency_mhz\n1,55.25\n");
    ASSERT_EQ(::truncate((own + "/sparse.csv").c_str(), off_t{1} << 30), 0);

    const PlanLibrary library = PlanLibrary::Load("", own);
    ASSERT_EQ(library.Plans().size(), 1u);
    const ListedPlan& listed = library.Plans().front();
    EXPECT_EQ(listed.name, "largest");
    EXPECT_EQ(listed.outline.channelCount, kMaxPlanChannels);
    EXPECT_EQ(listed.outline.lastLabel, std::string(kMaxPlanLabelBytes, '"'));
    EXPECT_EQ(Chosen(&listed), std::vector<double>(kMaxPlanChannels, 55.25));
    const std::string tooLarge = ": cannot be read: larger than 6750135 bytes, the most a plan of 65535 channels takes";
    ASSERT_EQ(library.Problems().size(), 2u);
    EXPECT_EQ(library.Problems()[0].Text(), own + "/one-more.csv" + tooLarge);
    EXPECT_EQ(library.Problems()[1].Text(), own + "/sparse.csv" + tooLarge);
}

// However many files the person's folder holds, the first 100 plan files by
// name are read; the rest are counted in one problem.
TEST(ChannelPlans, AtMostAHundredOwnPlansAreListedAndTheRestCounted)
{
    TempDir dir;
    const std::string own = dir.File("plans");
    for (int i = 102; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.csv", i);
        WriteText(own + "/" + name, "channel,frequency_mhz\n1," + std::to_string(45 + i) + "\n");
    }
    WriteText(own + "/notes.txt", "not a plan");
    const PlanLibrary library = PlanLibrary::Load("", own);
    ASSERT_EQ(library.Plans().size(), kMaxOwnPlans);
    EXPECT_EQ(library.Plans().front().name, "p000");
    EXPECT_EQ(library.Plans().back().name, "p099");
    ASSERT_EQ(library.Problems().size(), 1u);
    EXPECT_EQ(library.Problems()[0].Text(), own + ": 3 more plan files are not listed: the first 100 by name are");
}

// A FIFO blocks open() until a writer comes, a device may never end: neither
// is opened, whether a plan, a link to one, or the installed country list.
TEST(ChannelPlans, FifosAndDevicesAreRefusedWithoutBlocking)
{
    TempDir dir;
    const std::string own = dir.File("home/vornalix/plans");
    const std::string installed = dir.File("installed");
    WriteText(own + "/mine.csv", "channel,frequency_mhz\n1,45.0\n");
    ASSERT_EQ(::mkfifo((own + "/fifo.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", own + "/zero.csv");
    WriteText(installed + "/channel-plans-index.csv",
              "plan,source_repo,source_path,source_commit,source_section\nonly,r,p,c,s\n");
    WriteText(installed + "/only.csv", "channel,frequency_mhz\n1,47.0\n");
    ASSERT_EQ(::mkfifo((installed + "/country-plans.csv").c_str(), 0600), 0);
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("home").c_str());

    const auto listed = RunInChildWithin(10, [&] {
        std::string text;
        const PlanLibrary library = PlanLibrary::Load(installed, own);
        for (const ListedPlan& plan : library.Plans())
            text += plan.name + "\n";
        for (const PlanProblem& problem : library.Problems())
            text += problem.Text() + "\n";
        // The editor's cache looks at the same files.
        PlanLibraryCache cache;
        text += std::to_string(cache.Current().Plans().size());
        return text;
    });
    ASSERT_TRUE(listed) << "the listing blocked";
    EXPECT_EQ(*listed, "mine\nonly\n" + installed +
                           "/country-plans.csv: cannot be read: it is a FIFO, not a regular file\n" + own +
                           "/fifo.csv: cannot be read: it is a FIFO, not a regular file\n" + own +
                           "/zero.csv: cannot be read: it is a character device, not a regular file\n74");
}

// The listing keeps no channels: a plan chosen is read again, and a file that
// changed or went since it was listed is refused rather than read as listed.
TEST(ChannelPlans, AChosenPlanIsReadAgainAndRefusedWhenItChangedOrWent)
{
    TempDir dir;
    const std::string own = dir.File("plans");
    const std::string path = own + "/mine.csv";
    WriteText(path, "channel,frequency_mhz\nK1,45.0\nK2,47.5\n");
    const PlanLibrary library = PlanLibrary::Load("", own);
    ASSERT_EQ(library.Plans().size(), 1u);
    const ListedPlan listed = library.Plans().front();
    std::vector<double> plan;
    PlanProblem problem;
    ASSERT_TRUE(ReadListedPlan(listed, plan, problem)) << problem.Text();
    EXPECT_EQ(plan, (std::vector<double>{45.0, 47.5}));

    // Rewritten in place, the same size: its time tells.
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(listed.stamp.modifiedSeconds) + 5, 0}};
    WriteText(path, "channel,frequency_mhz\nK1,45.0\nK3,47.5\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_FALSE(ReadListedPlan(listed, plan, problem));
    EXPECT_EQ(problem.Text(), path + ": has changed since the plans were listed");
    // Its time put back: what it now holds is not the plan listed.
    times[1] = {static_cast<time_t>(listed.stamp.modifiedSeconds), static_cast<long>(listed.stamp.modifiedNanoseconds)};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(PlanFileStamp::Of(path), listed.stamp);
    EXPECT_FALSE(ReadListedPlan(listed, plan, problem));
    EXPECT_EQ(problem.Text(), path + ": has changed since the plans were listed");

    // Replaced by a FIFO: refused without waiting on it.
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const auto fifo = RunInChildWithin(10, [&] {
        std::vector<double> read;
        PlanProblem why;
        return ReadListedPlan(listed, read, why) ? std::string("read") : why.Text();
    });
    ASSERT_TRUE(fifo) << "reading the plan blocked";
    EXPECT_EQ(*fifo, path + ": has changed since the plans were listed");
    std::filesystem::remove(path);
    EXPECT_FALSE(ReadListedPlan(listed, plan, problem));
    EXPECT_EQ(problem.Text(), path + ": is gone since the plans were listed");
    // A failed read leaves the positions read before.
    EXPECT_EQ(plan, (std::vector<double>{45.0, 47.5}));
}

// The editors list a large plan from its first lines and read it whole when it
// is chosen: what it fills, what is refused and why are what a listing of whole
// files gives, only found later.
TEST(ChannelPlans, LargePlansListedFromTheirFirstLinesAreReadWholeWhenChosen)
{
    TempDir dir;
    const std::string own = dir.File("plans");
    std::string large = "channel,frequency_mhz\n";
    for (int i = 2; i <= 4000; i += 2)
        large += std::to_string(i) + "," + std::to_string(45 + i / 8) + ".25\n";
    ASSERT_GT(large.size(), kPlanFirstLinesBytes);
    const std::string brokenLate = large + "4002,abc\n";
    std::string brokenEarly = large;
    brokenEarly.insert(std::strlen("channel,frequency_mhz\n"), "K1,\n");
    WriteText(own + "/large.csv", large);
    WriteText(own + "/late.csv", brokenLate);
    WriteText(own + "/early.csv", brokenEarly);
    WriteText(own + "/small.csv", "channel,frequency_mhz\nK1,45.0\n");

    const PlanLibrary whole = PlanLibrary::Load("", own);
    PlanLibrary listed = PlanLibrary::Load("", own, PlanListing::FirstLines);
    ASSERT_EQ(whole.Problems().size(), 2u);
    ASSERT_EQ(listed.Problems().size(), 1u);
    EXPECT_EQ(listed.Problems()[0].Text(), whole.Problems()[0].Text());
    EXPECT_EQ(listed.Problems()[0].Text(),
              own + "/early.csv: line 2: \"\" is not a frequency in MHz (a decimal number, 0 or more)");
    EXPECT_TRUE(listed.FindPlan("small")->outline.bWhole);
    EXPECT_EQ(listed.FindPlan("small")->outline, whole.FindPlan("small")->outline);

    const ListedPlan& first = *listed.FindPlan("large");
    EXPECT_FALSE(first.outline.bWhole);
    EXPECT_EQ(first.outline.firstLabel, "2");
    EXPECT_EQ(first.outline.channelCount, 0u);
    // Filled from its first lines' outline, and once read whole, alike.
    EXPECT_EQ(Chosen(&first), Chosen(whole.FindPlan("large")));
    PlanProblem problem;
    ASSERT_TRUE(listed.ReadWhole(first, problem)) << problem.Text();
    EXPECT_EQ(first.outline, whole.FindPlan("large")->outline);
    EXPECT_EQ(Chosen(&first), Chosen(whole.FindPlan("large")));

    // Broken past its first lines: listed, and refused when chosen for the
    // reason the whole listing gives, each time it is chosen.
    const ListedPlan& late = *listed.FindPlan("late");
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(listed.ReadWhole(late, problem));
        EXPECT_EQ(problem.Text(), whole.Problems()[1].Text());
        EXPECT_EQ(late.unreadable, "line 2002: \"abc\" is not a frequency in MHz (a decimal number, 0 or more)");
    }
    EXPECT_FALSE(late.outline.bWhole);

    // Changed since the listing: refused, whatever it now holds.
    PlanLibrary again = PlanLibrary::Load("", own, PlanListing::FirstLines);
    struct timespec times[2] = {{0, UTIME_OMIT}, {again.FindPlan("large")->stamp.modifiedSeconds + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (own + "/large.csv").c_str(), times, 0), 0);
    EXPECT_FALSE(again.ReadWhole(*again.FindPlan("large"), problem));
    EXPECT_EQ(problem.Text(), own + "/large.csv: has changed since the plans were listed");
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
    const ListedPlan* pPlan = pFirst->FindPlan("italy");
    // Nothing changed: the same plans, not read again.
    EXPECT_EQ(cache.Current().FindPlan("italy"), pPlan);

    WriteText(own + "/mine.csv", "channel,frequency_mhz\n1,45.0\n");
    EXPECT_EQ(cache.Current().Plans().size(), 74u);
    // Changed in place (another size): read again.
    WriteText(own + "/mine.csv", "channel,frequency_mhz\n1,45.0\n2,47.5\n");
    ASSERT_NE(cache.Current().FindPlan("mine"), nullptr);
    EXPECT_EQ(cache.Current().FindPlan("mine")->outline.channelCount, 2u);
    std::filesystem::remove(own + "/mine.csv");
    EXPECT_EQ(cache.Current().FindPlan("mine"), nullptr);

    // A broken plan mended in place, the same size: read again once its time moved.
    WriteText(own + "/mended.csv", "channel,frequency_mhz\n1,4x.0\n");
    ASSERT_EQ(cache.Current().Problems().size(), 1u);
    WriteText(own + "/mended.csv", "channel,frequency_mhz\n1,45.0\n");
    const struct timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (own + "/mended.csv").c_str(), later, 0), 0);
    EXPECT_TRUE(cache.Current().Problems().empty());
    EXPECT_NE(cache.Current().FindPlan("mended"), nullptr);
}
