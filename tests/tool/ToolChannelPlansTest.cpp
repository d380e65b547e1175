// Every public channel plan, turned into a .ccf with build --csv, dumps back
// with exactly the frequencies of the plan; a country's standard table passes
// the check.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tables/text/Json.h"
#include "tables/text/Numbers.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

TEST(ToolChannelPlans, EveryPlanBuildsAndDumpsBackExactly)
{
    std::vector<std::string> plans;
    for (const auto& entry : std::filesystem::directory_iterator(DataFile("channel-plans")))
        if (entry.path().extension() == ".csv")
            plans.push_back(entry.path().string());
    std::sort(plans.begin(), plans.end());
    ASSERT_EQ(plans.size(), 73u);

    TempDir dir;
    std::size_t channels = 0;
    for (const std::string& plan : plans) {
        SCOPED_TRACE(plan);
        const std::vector<CsvRow> rows = ReadCsv(plan);
        ASSERT_EQ(rows.front(), (CsvRow{"channel", "frequency_mhz"}));
        std::string csv = "list,channel,frequency_mhz\n";
        std::vector<double> expected;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].size(), 2u);
            csv += "air," + std::to_string(i) + "," + rows[i][1] + "\n";
            expected.push_back(std::strtod(rows[i][1].c_str(), nullptr));
        }
        const std::string input = WriteText(dir, "plan.csv", csv);
        const std::string output = dir.File("plan.ccf");
        const ToolRun build = RunToolProcess({"build", "--csv", input, "--country", "1", "-o", output});
        ASSERT_EQ(build.status, 0) << build.err;
        const ToolRun dump = RunToolProcess({"dump", "--json", output});
        ASSERT_EQ(dump.status, 0) << dump.err;

        JsonValue document;
        std::string error;
        ASSERT_TRUE(ParseJson(dump.out, document, error)) << error;
        const JsonValue* air = document.Find("air");
        ASSERT_NE(air, nullptr);
        const JsonValue* frequencies = air->Find("frequencies");
        ASSERT_NE(frequencies, nullptr);
        ASSERT_EQ(frequencies->items.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            double value = 0.0;
            ASSERT_TRUE(ParseDouble(frequencies->items[i].text, value)) << frequencies->items[i].text;
            EXPECT_EQ(value, expected[i]) << "channel " << i + 1;
        }
        EXPECT_EQ(document.Find("cable")->Find("frequencies")->items.size(), 0u);
        EXPECT_EQ(air->Find("max")->text, std::to_string(expected.size()));
        channels += expected.size();
    }
    EXPECT_EQ(channels, 6255u);
}

TEST(ToolChannelPlans, CountryTablesPassTheCheck)
{
    // The person's own plans stay out of it: only the standard ones are used.
    TempDir home;
    const ScopedEnv dataHome("XDG_DATA_HOME", home.Path().c_str());
    TempDir dir;
    // Broadcast plans with stand-in frequencies (Western Europe, the United
    // Kingdom, France, Italy, Eastern Europe) and cable plans whose numbering
    // falls back to lower bands (the USA, Brazil and China).
    for (const char* country : {"Germany", "United Kingdom", "France", "Italy", "Russia", "India",
                                "United States of America", "Brazil", "China"}) {
        SCOPED_TRACE(country);
        const std::string output = dir.File("country.ccf");
        const ToolRun build = RunToolProcess({"build", "--country-plan", country, "-o", output});
        ASSERT_EQ(build.status, 0) << build.err;
        const ToolRun check = RunToolProcess({"check", output});
        EXPECT_EQ(check.out, "");
        EXPECT_EQ(check.err, "");
        EXPECT_EQ(check.status, 0);
    }
}
