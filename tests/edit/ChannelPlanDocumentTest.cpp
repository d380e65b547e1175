// "New from Plan...": a document filled from a country's plans or from one
// plan, as the channel editor's chooser and vornalix-tool build make it.
#include <gtest/gtest.h>

#include <filesystem>

#include "edit/ChannelTableDocument.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tests/TestFiles.h"

namespace {

const PlanLibrary& Library()
{
    static const PlanLibrary library = PlanLibrary::Load(VORNALIX_PLANS_DIR, "");
    return library;
}

std::vector<double> List(ChannelTableDocument& doc, std::int32_t iMode)
{
    const std::int32_t iShown = doc.Mode();
    doc.SetMode(iMode);
    std::vector<double> frequencies = doc.CurrentFrequencies();
    doc.SetMode(iShown);
    return frequencies;
}

ChannelPlan Plan(const std::string& text)
{
    ChannelPlan plan;
    PlanProblem problem;
    EXPECT_TRUE(ParseChannelPlan(text, plan, problem)) << problem.reason;
    return plan;
}

// The positions of a plan of the installed set, read as choosing it reads them.
std::vector<double> Chosen(const std::string& name)
{
    std::vector<double> positions;
    PlanProblem problem;
    const ListedPlan* pListed = Library().FindPlan(name);
    EXPECT_NE(pListed, nullptr) << name;
    if (pListed) {
        EXPECT_TRUE(ReadListedPlan(*pListed, positions, problem)) << problem.Text();
    }
    return positions;
}

} // namespace

TEST(ChannelPlanDocument, ACountryWithBothPlansSetsBothListsAndItsCode)
{
    const CountryPlans* pGermany = Library().FindCountry("Germany");
    ASSERT_NE(pGermany, nullptr);
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.NewFromCountry(*pGermany, Library()));
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_EQ(doc.CountryCode(), 49);
    EXPECT_EQ(List(doc, ChannelModeAir), Chosen("ms-western-europe-broadcast"));
    EXPECT_EQ(List(doc, ChannelModeCable), Chosen("ms-western-europe-cable"));
    EXPECT_EQ(List(doc, ChannelModeAir).size(), 69u);
    EXPECT_EQ(List(doc, ChannelModeCable).size(), 107u);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 69);

    // "Create New" then keeps the table, as it keeps one it made itself.
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.CountryCode(), 49);
    EXPECT_EQ(List(doc, ChannelModeCable).size(), 107u);
}

TEST(ChannelPlanDocument, AMissingPlanLeavesItsListEmpty)
{
    const CountryPlans* pRussia = Library().FindCountry("Russia");
    ASSERT_NE(pRussia, nullptr);
    ASSERT_TRUE(pRussia->cablePlan.empty());
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.NewFromCountry(*pRussia, Library()));
    EXPECT_EQ(doc.CountryCode(), 7);
    EXPECT_EQ(List(doc, ChannelModeAir).size(), 69u);
    EXPECT_TRUE(List(doc, ChannelModeCable).empty());
    EXPECT_EQ(doc.Range(ChannelModeCable).iMax, 0);

    // A plan the library does not hold leaves the document as it was.
    CountryPlans unknown = *pRussia;
    unknown.cablePlan = "no-such-plan";
    ASSERT_TRUE(doc.Append(999.0));
    EXPECT_FALSE(doc.NewFromCountry(unknown, Library()));
    EXPECT_EQ(List(doc, ChannelModeAir).back(), 999.0);
}

TEST(ChannelPlanDocument, OnePlanFillsTheCurrentListOfANewTable)
{
    TempDir dir;
    ChannelTableDocument doc;
    // No list chosen yet: the air list.
    ASSERT_TRUE(doc.NewFromPlan(Plan("channel,frequency_mhz\n2,55.25\n3,61.25\n")));
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_EQ(List(doc, ChannelModeAir), (std::vector<double>{0.0, 55.25, 61.25}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 2);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 3);

    // A loaded table is replaced; the cable list being shown is the one filled.
    const std::string path = dir.File("loaded.ccf");
    WriteAll(path, ChannelTableImage(44, {48.25}, {}, 1, 0));
    FileError error;
    ASSERT_TRUE(doc.Load(path, error));
    doc.SetMode(ChannelModeCable);
    ASSERT_TRUE(doc.NewFromPlan(Plan("channel,frequency_mhz\nS21,303.25\nS22,311.25\n")));
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    EXPECT_TRUE(List(doc, ChannelModeAir).empty());
    EXPECT_EQ(List(doc, ChannelModeCable), (std::vector<double>{303.25, 311.25}));
    EXPECT_EQ(doc.CountryCode(), 0);

    // Saved, it is the file appending the same channels by hand gives.
    ChannelTableDocument byHand;
    ASSERT_TRUE(byHand.CreateNew());
    byHand.SetMode(ChannelModeCable);
    ASSERT_TRUE(byHand.Append(303.25));
    ASSERT_TRUE(byHand.Append(311.25));
    ASSERT_TRUE(doc.Save(dir.File("plan.ccf"), error));
    ASSERT_TRUE(byHand.Save(dir.File("hand.ccf"), error));
    EXPECT_EQ(ReadAll(dir.File("plan.ccf")), ReadAll(dir.File("hand.ccf")));
}

// A table from a plan replaces whatever was there in one step: undo brings
// back the loaded table exactly and marks it saved again; redo the plan's.
TEST(ChannelPlanDocument, ANewTableFromAPlanIsOneUndoableStep)
{
    TempDir dir;
    const std::string loadedPath = dir.File("kept.ccf");
    {
        ChannelTableDocument source;
        ASSERT_TRUE(source.CreateNew());
        ASSERT_TRUE(source.Append(0.0));
        ASSERT_TRUE(source.Append(471.25));
        ASSERT_TRUE(source.SetCountryCode(44));
        FileError error;
        ASSERT_TRUE(source.Save(loadedPath, error));
    }
    ChannelTableDocument doc;
    FileError error;
    ASSERT_TRUE(doc.Load(loadedPath, error));
    const std::vector<std::uint8_t> loaded = doc.Table()->FileImage();
    EXPECT_FALSE(doc.Modified());

    ASSERT_TRUE(doc.NewFromCountry(*Library().FindCountry("Germany"), Library()));
    const std::vector<std::uint8_t> planned = doc.Table()->FileImage();
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoName(), "New from Plan");
    EXPECT_EQ(doc.UndoCount(), 2u); // the load, then the plan

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table()->FileImage(), loaded);
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.Table()->FileImage(), planned);
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_EQ(doc.CountryCode(), 49);
    EXPECT_TRUE(doc.Modified());
}

// The chooser's listing keeps no channels: they are read when the plan is
// chosen, and a plan whose file changed or went since it was listed leaves the
// table as it was and says why.
TEST(ChannelPlanDocument, APlanChangedOrGoneSinceItWasListedLeavesTheTable)
{
    TempDir dir;
    const std::string own = dir.File("plans");
    std::filesystem::create_directories(own);
    const std::string path = own + "/mine.csv";
    const auto write = [&path](const std::string& text) { WriteAll(path, Bytes(text.begin(), text.end())); };
    write("channel,frequency_mhz\nK1,45.0\n");
    const PlanLibrary listed = PlanLibrary::Load("", own);
    ASSERT_NE(listed.FindPlan("mine"), nullptr);

    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    ASSERT_TRUE(doc.Append(999.0));
    const std::vector<std::uint8_t> before = doc.Table()->FileImage();
    const std::size_t undoSteps = doc.UndoCount();
    CountryPlans country{"Land", 99, "PAL_B", "mine", ""};

    write("channel,frequency_mhz\nK1,45.0\nK2,47.5\n");
    PlanProblem problem;
    EXPECT_FALSE(doc.NewFromPlan(*listed.FindPlan("mine"), problem));
    EXPECT_EQ(problem.Text(), path + ": has changed since the plans were listed");
    problem = PlanProblem();
    EXPECT_FALSE(doc.NewFromCountry(country, listed, &problem));
    EXPECT_EQ(problem.Text(), path + ": has changed since the plans were listed");
    std::filesystem::remove(path);
    EXPECT_FALSE(doc.NewFromPlan(*listed.FindPlan("mine"), problem));
    EXPECT_EQ(problem.Text(), path + ": is gone since the plans were listed");
    country.airPlan = "no-such-plan";
    EXPECT_FALSE(doc.NewFromCountry(country, listed, &problem));
    EXPECT_EQ(problem.Text(), "no channel plan is named \"no-such-plan\"");
    EXPECT_EQ(doc.Table()->FileImage(), before);
    EXPECT_EQ(doc.UndoCount(), undoSteps);

    // Listed again, the plan as it is now fills the table.
    write("channel,frequency_mhz\nK1,45.0\nK2,47.5\n");
    const PlanLibrary again = PlanLibrary::Load("", own);
    ASSERT_TRUE(doc.NewFromPlan(*again.FindPlan("mine"), problem)) << problem.Text();
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{45.0, 47.5}));
}
