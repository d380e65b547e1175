// Every standard table passes the table check without an error: each country
// of the list with its broadcast and cable plans, and each shipped plan on its
// own in either list, made as "New from Plan..." makes them and judged as the
// editor's "Check Table" judges them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "tables/analysis/TableChecks.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/text/Numbers.h"

namespace {

const PlanLibrary& Library()
{
    static const PlanLibrary library = PlanLibrary::Load(VORNALIX_PLANS_DIR, "");
    return library;
}

struct Judged
{
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
};

Judged Check(const ChannelTableDocument& doc)
{
    Judged judged;
    EXPECT_TRUE(doc.HasTable());
    if (doc.HasTable())
        CheckChannelTableInMemory(*doc.Table(), [&judged](const TableFinding& finding) {
            (finding.severity == FindingSeverity::Error ? judged.errors : judged.warnings).push_back(finding.message);
        });
    return judged;
}

std::string Lines(const std::vector<std::string>& messages)
{
    std::string text;
    for (const std::string& message : messages)
        text += message + "\n";
    return text;
}

} // namespace

TEST(StandardPlansCheck, EveryCountryTableHasNoError)
{
    ASSERT_TRUE(Library().Problems().empty()) << Library().Problems().front().Text();
    ASSERT_EQ(Library().Countries().size(), 240u);
    for (const CountryPlans& country : Library().Countries()) {
        SCOPED_TRACE(country.name);
        ChannelTableDocument doc;
        PlanProblem problem;
        ASSERT_TRUE(doc.NewFromCountry(country, Library(), &problem)) << problem.Text();
        const Judged judged = Check(doc);
        EXPECT_EQ(Lines(judged.errors), "");
        // No country's plans repeat a frequency or hold a channel out of
        // place. What is left to look at is a calling code the catalogue does
        // not name (Cape Verde's 238, Andorra's 376).
        const bool bCatalogued = std::string(LookupCountry(country.iCallingCode).pszCountry) != kUnknownCountryText;
        EXPECT_EQ(Lines(judged.warnings), bCatalogued ? ""
                                                      : "the country code " + std::to_string(country.iCallingCode) +
                                                            " is not in the country catalogue\n");
    }
}

TEST(StandardPlansCheck, EveryPlanOnItsOwnHasNoError)
{
    ASSERT_EQ(Library().Plans().size(), 73u);
    for (const ListedPlan& plan : Library().Plans()) {
        for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
            SCOPED_TRACE(plan.name + (iMode == ChannelModeAir ? " as the air list" : " as the cable list"));
            ChannelTableDocument doc;
            ASSERT_TRUE(doc.CreateNew());
            doc.SetMode(iMode);
            PlanProblem problem;
            ASSERT_TRUE(doc.NewFromPlan(plan, problem)) << problem.Text();
            // A table from one plan lacks only its country, as the check says.
            EXPECT_EQ(Lines(Check(doc).errors), "the country code 0 is not in the country catalogue\n");
            ASSERT_TRUE(doc.SetCountryCode(44));
            const Judged judged = Check(doc);
            EXPECT_EQ(Lines(judged.errors), "");
            // What is left is a frequency a plan really gives twice (under
            // two labels, or a band listed a second time), never disorder,
            // or one a plan gives finer than a kHz (Windows 7's Swiss cable
            // plan has 49.0625 MHz).
            const std::vector<double> list = doc.CurrentFrequencies();
            for (const std::string& warning : judged.warnings) {
                if (warning.find(" MHz also at channel ") != std::string::npos ||
                    warning.find(" not a whole number of kHz; the first 10 are named") != std::string::npos)
                    continue;
                EXPECT_NE(warning.find(", is not a whole number of kHz"), std::string::npos) << warning;
                const std::size_t iChannel = std::stoul(warning.substr(warning.find("channel ") + 8));
                const std::string value = FormatDouble(list.at(iChannel - 1));
                ASSERT_NE(value.find('.'), std::string::npos) << warning;
                EXPECT_GT(value.size() - value.find('.'), 4u) << warning;
            }
        }
    }
}
