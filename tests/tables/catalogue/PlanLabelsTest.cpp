// The labels a country's plans give to frequencies: the shipped plans of
// real countries, plans of letters and numbers, the tolerance, values that are
// no frequency, the cable list's fallback, and plan files that cannot be read.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/PlanLabels.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"

namespace {

using Labels = std::vector<std::optional<std::string>>;

const std::optional<std::string> kNone;

ChannelPlan Plan(const std::string& name, const std::string& text)
{
    ChannelPlan plan;
    PlanProblem problem;
    EXPECT_TRUE(ParseChannelPlan(text, plan, problem)) << problem.reason;
    plan.name = name;
    return plan;
}

Labels LabelsOf(const PlanLabels& labels, std::int32_t iList, const std::vector<double>& frequencies)
{
    Labels result;
    for (const double dbFrequency : frequencies)
        result.push_back(labels.Label(iList, dbFrequency));
    return result;
}

const PlanLibrary& ShippedPlans()
{
    static const PlanLibrary library = PlanLibrary::Load(VORNALIX_PLANS_DIR, "");
    return library;
}

void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// An installed plans folder of one country, code 49, with a broadcast and a cable plan.
std::string WriteCountryFolder(const TempDir& dir)
{
    const std::string folder = dir.File("plans");
    WriteText(folder + "/channel-plans-index.csv",
              "plan,source_repo,source_path,source_commit,source_section\nair,r,p,c,s\ncable,r,p,c,s\n");
    WriteText(folder + "/country-plans.csv",
              "country,calling_code,tv_system,plan,cable_plan\nTestland,49,PAL_B,air,cable\n");
    WriteText(folder + "/air.csv", "channel,frequency_mhz\nE2,48.25\nE5,175.25\n");
    WriteText(folder + "/cable.csv", "channel,frequency_mhz\nS21,303.25\n");
    return folder;
}

} // namespace

TEST(PlanLabels, TheShippedPlansOfGermanyNameItsChannels)
{
    const PlanLabels labels = PlanLabels::ForCountry(49, ShippedPlans());
    EXPECT_EQ(labels.BroadcastPlanName(), "ms-western-europe-broadcast");
    EXPECT_EQ(labels.CablePlanName(), "ms-western-europe-cable");
    // E2, E5 and E21 of the broadcast plan, numbered by position there; a
    // frequency between channels and one above the plan have no label.
    EXPECT_EQ(LabelsOf(labels, ChannelModeAir, {48.25, 175.25, 471.25, 178.0, 1000.25}),
              (Labels{"1", "5", "21", kNone, kNone}));
    // On cable the cable plan answers: 175.25 MHz is its channel 20, 303.25 MHz (S21) its 38.
    EXPECT_EQ(LabelsOf(labels, ChannelModeCable, {175.25, 303.25, 304.0}), (Labels{"20", "38", kNone}));
    const std::optional<PlanLabels::Match> match = labels.Find(ChannelModeCable, 303.25);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->planName, "ms-western-europe-cable");
    EXPECT_FALSE(match->bBroadcastPlan);
}

TEST(PlanLabels, LettersAndNumbersAreThePlansOwnLabels)
{
    const ChannelPlan air = Plan("europe-air", "channel,frequency_mhz\nE2,48.25\nE5,175.25\nK12,224.25\n");
    const ChannelPlan cable = Plan("europe-cable", "channel,frequency_mhz\nS21,303.25\nS21 again,303.25\n7,311.25\n");
    const PlanLabels labels(&air, &cable);
    EXPECT_EQ(LabelsOf(labels, ChannelModeAir, {175.25, 224.25, 48.25}), (Labels{"E5", "K12", "E2"}));
    // Of two channels at one frequency the first in the plan answers.
    EXPECT_EQ(LabelsOf(labels, ChannelModeCable, {303.25, 311.25}), (Labels{"S21", "7"}));
    // A plan that does not rise is found all the same, its first channel of a frequency answering.
    const ChannelPlan falling =
        Plan("falling", "channel,frequency_mhz\nK9,203.25\nK5,175.25\nX5,175.25\nK7,189.25\nK2,55.25\n");
    const PlanLabels unsorted(&falling, nullptr);
    EXPECT_EQ(LabelsOf(unsorted, ChannelModeAir, {55.25, 175.25, 189.25, 203.25, 182.25}),
              (Labels{"K2", "K5", "K7", "K9", kNone}));
    // Only the air and the cable list have labels.
    EXPECT_EQ(labels.Label(2, 175.25), kNone);
    EXPECT_EQ(labels.Label(-1, 175.25), kNone);
}

TEST(PlanLabels, AFrequencyMatchesWithinHalfAUnitOfTheThirdDecimal)
{
    const ChannelPlan air = Plan("air", "channel,frequency_mhz\nE5,175.25\nE6,182.25\n");
    const PlanLabels labels(&air, nullptr);
    EXPECT_EQ(LabelsOf(labels, ChannelModeAir, {175.25000, 175.2504, 175.2496, 175.2506, 175.2494, 175.26, 175.0}),
              (Labels{"E5", "E5", "E5", kNone, kNone, kNone, kNone}));
    // Above and below every channel of the plan.
    EXPECT_EQ(LabelsOf(labels, ChannelModeAir, {182.2504, 182.2506, 10.0, 500.0}), (Labels{"E6", kNone, kNone, kNone}));
}

TEST(PlanLabels, ValuesThatAreNoFrequencyHaveNoLabel)
{
    // The plan's empty slots (0 MHz, channels 2 to 4) name nothing either.
    const ChannelPlan air = Plan("air", "channel,frequency_mhz\n1,45.25\n5,0.0\n6,175.25\n");
    const PlanLabels labels(&air, &air);
    for (const std::int32_t iList : {ChannelModeAir, ChannelModeCable})
        EXPECT_EQ(LabelsOf(labels, iList,
                           {0.0, -0.0, -175.25, std::nan(""), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 0.0004, 175.25}),
                  (Labels{kNone, kNone, kNone, kNone, kNone, kNone, kNone, "6"}))
            << iList;
}

TEST(PlanLabels, TheCableListFallsBackOnTheBroadcastPlan)
{
    const ChannelPlan air = Plan("air", "channel,frequency_mhz\nE5,175.25\nE21,471.25\n");
    const ChannelPlan cable = Plan("cable", "channel,frequency_mhz\nS21,303.25\nC20,175.25\n");
    const PlanLabels labels(&air, &cable);
    const std::optional<PlanLabels::Match> own = labels.Find(ChannelModeCable, 175.25);
    const std::optional<PlanLabels::Match> fallback = labels.Find(ChannelModeCable, 471.25);
    ASSERT_TRUE(own && fallback);
    EXPECT_EQ(own->label, "C20");
    EXPECT_EQ(own->planName, "cable");
    EXPECT_FALSE(own->bBroadcastPlan);
    EXPECT_EQ(fallback->label, "E21");
    EXPECT_EQ(fallback->planName, "air");
    EXPECT_TRUE(fallback->bBroadcastPlan);
    // The air list never takes the cable plan's labels.
    EXPECT_EQ(labels.Label(ChannelModeAir, 303.25), kNone);

    // Austria publishes no cable plan: its cable list is labelled from the broadcast plan.
    const PlanLabels austria = PlanLabels::ForCountry(43, ShippedPlans());
    EXPECT_EQ(austria.CablePlanName(), "");
    const std::optional<PlanLabels::Match> shipped = austria.Find(ChannelModeCable, 175.25);
    ASSERT_TRUE(shipped);
    EXPECT_EQ(shipped->label, "5");
    EXPECT_EQ(shipped->planName, "ms-western-europe-broadcast");
    EXPECT_TRUE(shipped->bBroadcastPlan);
}

TEST(PlanLabels, ACountryWithoutPlansHasNoLabels)
{
    // Morocco (212) is listed without plans; 999 and the codes below 1 are no country's.
    for (const std::int32_t iCode : {212, 999, 0, -49}) {
        const PlanLabels labels = PlanLabels::ForCountry(iCode, ShippedPlans());
        EXPECT_TRUE(labels.Empty()) << iCode;
        EXPECT_EQ(labels.BroadcastPlanName(), "") << iCode;
        EXPECT_EQ(labels.Label(ChannelModeAir, 175.25), kNone) << iCode;
        EXPECT_EQ(labels.Label(ChannelModeCable, 175.25), kNone) << iCode;
    }
    EXPECT_TRUE(PlanLabels().Empty());
    EXPECT_FALSE(PlanLabels::ForCountry(49, ShippedPlans()).Empty());
    // Without any plans installed.
    EXPECT_TRUE(PlanLabels::ForCountry(49, PlanLibrary::Load("", "")).Empty());
}

// A plan file that changed into something that is not a plan since the
// library listed it gives its list no labels; the other list keeps its own.
TEST(PlanLabels, APlanFileThatCannotBeReadGivesNoLabels)
{
    TempDir dir;
    const std::string folder = WriteCountryFolder(dir);
    const PlanLibrary library = PlanLibrary::Load(folder, "");
    ASSERT_EQ(library.Plans().size(), 2u);
    ASSERT_EQ(PlanLabels::ForCountry(49, library).Label(ChannelModeAir, 175.25), "E5");

    // Broken: a row without a frequency.
    WriteText(folder + "/air.csv", "channel,frequency_mhz\nE2,48.25\nE5\n");
    PlanLabels labels = PlanLabels::ForCountry(49, library);
    EXPECT_EQ(labels.Label(ChannelModeAir, 175.25), kNone);
    EXPECT_EQ(labels.BroadcastPlanName(), "");
    EXPECT_EQ(labels.Label(ChannelModeCable, 303.25), "S21");

    // Larger than any plan may be: refused by its size, unread.
    std::filesystem::remove(folder + "/air.csv");
    WriteText(folder + "/air.csv", "channel,frequency_mhz\nE5,175.25\n");
    std::filesystem::resize_file(folder + "/air.csv", kMaxPlanFileBytes + 1);
    labels = PlanLabels::ForCountry(49, library);
    EXPECT_EQ(labels.Label(ChannelModeAir, 175.25), kNone);
    EXPECT_EQ(labels.Label(ChannelModeCable, 303.25), "S21");

    // Gone.
    std::filesystem::remove(folder + "/air.csv");
    EXPECT_EQ(PlanLabels::ForCountry(49, library).Label(ChannelModeAir, 175.25), kNone);
}

TEST(PlanLabels, AFifoOrADeviceInPlaceOfAPlanIsNotWaitedOn)
{
    TempDir dir;
    const std::string folder = WriteCountryFolder(dir);
    const PlanLibrary library = PlanLibrary::Load(folder, "");
    ASSERT_EQ(library.Plans().size(), 2u);
    std::filesystem::remove(folder + "/air.csv");
    ASSERT_EQ(::mkfifo((folder + "/air.csv").c_str(), 0600), 0);
    std::filesystem::remove(folder + "/cable.csv");
    std::filesystem::create_symlink("/dev/zero", folder + "/cable.csv");

    const auto labelled = RunInChildWithin(10, [&] {
        const PlanLabels labels = PlanLabels::ForCountry(49, library);
        return std::string(labels.Empty() ? "no labels" : "labels");
    });
    ASSERT_TRUE(labelled) << "reading the plans blocked";
    EXPECT_EQ(*labelled, "no labels");
}
