// The coverage matrix as its front ends write it: the CSV both the tool and
// the editor's window write, the rows and columns as they name them, counts
// put together from rows counted one at a time, and the SVG grid's text and
// coordinates.

#include <cmath>
#include <limits>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tables/analysis/CoverageMatrixOutput.h"
#include "tables/format/ChannelTable.h"
#include "tests/TunerEntries.h"

namespace {

TunerSpecEntry Tuner(std::int32_t iFactory, std::int32_t iType, double low, double end)
{
    return TunerEntryWithEdges(iFactory, iType, low, 160.0, 442.0, end);
}

// Two tables whose names a CSV must quote and an XML file must escape,
// against a tuner that misses one channel and one whose edges are not all
// finite numbers.
NamedCoverageMatrix OddMatrix()
{
    const std::vector<TunerSpecEntry> entries = {Tuner(0x05, 0x01, 48.25, 863.25),
                                                 Tuner(0x04, 0x12, std::numeric_limits<double>::quiet_NaN(), 958.0)};
    const std::vector<TunerBands> bands = {TunerBands(entries[0]), TunerBands(entries[1])};
    return {{{"a,\"b\".ccf", 44, 2}, {"z<&>\x01.ccf", 41, 0}},
            CoverageMatrixTuners(entries, bands),
            CoverageMatrix(2, 2, {1, 0, 0, 0})};
}

} // namespace

TEST(CoverageMatrixOutput, CsvRowsAndColumnsAreNamedAsTheToolNamesThem)
{
    const NamedCoverageMatrix matrix = OddMatrix();
    ASSERT_EQ(matrix.tuners.size(), 2u);
    EXPECT_EQ(matrix.tuners[0].codes, "05:01");
    EXPECT_EQ(matrix.tuners[0].problem, "");
    EXPECT_EQ(matrix.tuners[1].problem, "its low band start is not a finite number");
    EXPECT_EQ(CoverageMatrixCsv(matrix), "table,country,channels,05:01,04:12\n"
                                         "\"a,\"\"b\"\".ccf\",44,2,1,0\n"
                                         "z<&>\x01.ccf,41,0,0,0\n");
    EXPECT_FALSE(matrix.counts.TunerTunesEveryTable(0));
    EXPECT_TRUE(matrix.counts.TunerTunesEveryTable(1));

    // A row names its channels with a frequency, both lists; empty slots are none.
    ChannelTable table(true);
    table.SetCountryCode(49);
    for (const double dbFrequency : {48.25, 0.0, 175.25}) {
        auto* pNode = new ChannelNode;
        pNode->dbFrequency = dbFrequency;
        ASSERT_TRUE(table.AppendChannel(ChannelModeAir, pNode));
    }
    const CoverageMatrixTable row = CoverageMatrixTableOf("de.ccf", table, SortedFrequencies(table));
    EXPECT_EQ(row.name, "de.ccf");
    EXPECT_EQ(row.iCountry, 49);
    EXPECT_EQ(row.channels, 2u);

    // Counts put together from rows: a short list counts the rest as none.
    const CoverageMatrix partial(2, 3, {4, 0, 1});
    EXPECT_EQ(partial.Outside(0, 0), 4u);
    EXPECT_EQ(partial.Outside(1, 2), 0u);
    EXPECT_TRUE(partial.TableIsTunedWhole(0));
    EXPECT_TRUE(partial.TunerTunesEveryTable(1));
    EXPECT_FALSE(partial.TunerTunesEveryTable(2));
}

TEST(CoverageMatrixOutput, HeatRisesFromNoneAndAFewChannelsAlreadyShow)
{
    EXPECT_EQ(CoverageMatrixHeat(0, 200), 0.0);
    EXPECT_EQ(CoverageMatrixHeat(0, 0), 0.0);
    EXPECT_GE(CoverageMatrixHeat(1, 200), 0.3);
    EXPECT_EQ(CoverageMatrixHeat(200, 200), 1.0);
    // More than a table holds, as a count of another's would be: no more than all.
    EXPECT_EQ(CoverageMatrixHeat(5, 2), 1.0);
    double previous = 0.0;
    for (std::size_t outside = 1; outside <= 200; ++outside) {
        const double heat = CoverageMatrixHeat(outside, 200);
        EXPECT_GT(heat, previous) << outside;
        previous = heat;
    }
}

TEST(CoverageMatrixOutput, SvgEscapesTheNamesAndEveryCoordinateIsAFiniteNumber)
{
    const std::string svg = CoverageMatrixSvg(OddMatrix(), "Coverage <matrix>");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_NE(svg.find("<title>Coverage &lt;matrix&gt;</title>"), std::string::npos);
    // The control character is replaced, the others escaped.
    EXPECT_NE(svg.find("z&lt;&amp;&gt;\xef\xbf\xbd.ccf, 05:01: 0 outside</title>"), std::string::npos);
    EXPECT_NE(svg.find("a,&quot;b&quot;.ccf, 05:01: 1 outside</title>"), std::string::npos);
    EXPECT_NE(svg.find("tuners tuning every table: 04:12</text>"), std::string::npos);
    // A cell with none outside is green, one with some red.
    EXPECT_NE(svg.find("fill=\"#d6f0d6\"><title>a,&quot;b&quot;.ccf, 04:12"), std::string::npos);

    const std::regex coordinate("\\b(x|y|width|height)=\"([^\"]*)\"");
    int coordinates = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), coordinate); it != std::sregex_iterator(); ++it) {
        const std::string value = (*it)[2];
        std::size_t used = 0;
        const double number = std::stod(value, &used);
        EXPECT_EQ(used, value.size()) << value;
        EXPECT_TRUE(std::isfinite(number)) << value;
        ++coordinates;
    }
    // The image's size, the background, the title, the header's five texts,
    // two rows of three texts and two cells (a rectangle and its count)
    // each, and the footer.
    EXPECT_EQ(coordinates, 2 + 4 + 2 + 5 * 2 + 2 * (3 * 2 + 2 * (4 + 2)) + 2);
}
