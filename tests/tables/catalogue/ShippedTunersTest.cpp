// The shipped tuners: the data made at build time is data/tuners.csv, row for
// row; a catalogue's names find them; and every one of them passes the table
// check, so that its limits fit real tuners.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tables/analysis/TableChecks.h"
#include "tables/catalogue/ShippedTuners.h"
#include "tables/catalogue/TunerCatalogue.h"
#include "tables/text/Csv.h"
#include "tables/text/Numbers.h"
#include "tests/TestFiles.h"

namespace {

double Number(const std::string& text)
{
    double value = 0;
    EXPECT_TRUE(ParseDouble(text, value)) << text;
    return value;
}

std::uint16_t Code(const std::string& text)
{
    return static_cast<std::uint16_t>(std::strtoul(text.c_str(), nullptr, 16));
}

} // namespace

TEST(ShippedTuners, AreTheRowsOfDataTunersCsv)
{
    const Bytes bytes = ReadAll(std::string(VORNALIX_DATA_DIR) + "/tuners.csv");
    std::vector<CsvRecord> rows;
    std::string error;
    ASSERT_TRUE(ParseCsv(std::string(bytes.begin(), bytes.end()), rows, error)) << error;
    ASSERT_EQ(rows.size(), 64u); // the header and 63 tuners
    ASSERT_EQ(ShippedTuners().size(), 63u);
    const ShippedTuner* pTuner = ShippedTuners().begin();
    for (std::size_t i = 1; i < rows.size(); ++i, ++pTuner) {
        const std::vector<std::string>& f = rows[i].fields;
        ASSERT_EQ(f.size(), 12u);
        SCOPED_TRACE(f[0]);
        EXPECT_EQ(std::string(pTuner->pszName), f[0]);
        EXPECT_EQ(pTuner->dbLowBandStart, Number(f[1]));
        EXPECT_EQ(pTuner->dbMidBandStart, Number(f[2]));
        EXPECT_EQ(pTuner->dbHighBandStart, Number(f[3]));
        EXPECT_EQ(pTuner->dbHighBandEnd, Number(f[4]));
        EXPECT_EQ(pTuner->wLowCode, Code(f[5]));
        EXPECT_EQ(pTuner->wMidCode, Code(f[6]));
        EXPECT_EQ(pTuner->wHighCode, Code(f[7]));
        EXPECT_EQ(pTuner->dbPictureCarrier, Number(f[9]));
    }
}

TEST(ShippedTuners, AreFoundByTheirMakerAndName)
{
    const ShippedTuner* pTemic = FindShippedTuner("Temic", "00 -- Temic PAL (4002 FH5)");
    ASSERT_NE(pTemic, nullptr);
    EXPECT_STREQ(pTemic->pszName, "Temic PAL (4002 FH5)");
    EXPECT_EQ(pTemic->dbLowBandStart, 44.0);
    EXPECT_EQ(pTemic->dbMidBandStart, 140.25);
    EXPECT_EQ(pTemic->dbHighBandStart, 463.25);
    EXPECT_EQ(pTemic->dbHighBandEnd, 958.0);
    EXPECT_EQ(pTemic->wLowCode, 0x8E02);
    EXPECT_EQ(pTemic->wMidCode, 0x8E04);
    EXPECT_EQ(pTemic->wHighCode, 0x8E01);
    EXPECT_EQ(pTemic->dbPictureCarrier, 38.9375);

    // The maker in any letter case; a name without the number before it; a name with a comma.
    EXPECT_EQ(FindShippedTuner("TEMIC", "Temic PAL (4002 FH5)"), pTemic);
    const ShippedTuner* pNtsc = FindShippedTuner("Philips", "02 -- Philips NTSC (FI1236,FM1236 and compatibles)");
    ASSERT_NE(pNtsc, nullptr);
    EXPECT_EQ(pNtsc->dbPictureCarrier, 45.75);

    // Another maker's tuner, a maker that is only the start of a word, a
    // name that is not whole, and no choice at all find none.
    EXPECT_EQ(FindShippedTuner("Philips", "00 -- Temic PAL (4002 FH5)"), nullptr);
    EXPECT_EQ(FindShippedTuner("Tem", "00 -- Temic PAL (4002 FH5)"), nullptr);
    EXPECT_EQ(FindShippedTuner("Temic", "00 -- Temic PAL"), nullptr);
    EXPECT_EQ(FindShippedTuner("Temic", "00 -- Temic PAL (4002 FH5) "), nullptr);
    EXPECT_EQ(FindShippedTuner("", ""), nullptr);
}

// The sample catalogue's names are the shipped tuners': every tuner type it
// offers finds its bands.
TEST(ShippedTuners, EveryTunerTypeOfTheSampleCatalogueIsShipped)
{
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(VORNALIX_SAMPLE_CATALOGUE));
    const auto factories = catalogue.ReadFactories();
    ASSERT_TRUE(factories.has_value());
    ASSERT_FALSE(factories->empty());
    std::size_t types = 0;
    for (const CatalogueItem& factory : *factories) {
        const auto tunerTypes = catalogue.ReadTunerTypes(factory.code);
        ASSERT_TRUE(tunerTypes.has_value()) << factory.text;
        for (const CatalogueItem& type : *tunerTypes) {
            EXPECT_NE(FindShippedTuner(factory.text, type.text), nullptr) << factory.text << " / " << type.text;
            ++types;
        }
    }
    EXPECT_EQ(types, 52u);
}

// The check's limits are drawn around real tuners: none of them is warned of.
TEST(ShippedTuners, PassTheTableCheckWithoutAWord)
{
    std::vector<TunerSpecEntry> entries;
    std::int32_t i = 0;
    for (const ShippedTuner& tuner : ShippedTuners()) {
        TunerSpecEntry e;
        e.SetFactory(BcdFromDecimal(++i)); // keys rising: factory + 100
        e.SetTunerType(0x01);
        e.SetLowBandStart(tuner.dbLowBandStart);
        e.SetMidBandStart(tuner.dbMidBandStart);
        e.SetHighBandStart(tuner.dbHighBandStart);
        e.SetHighBandEnd(tuner.dbHighBandEnd);
        e.SetLowCode(tuner.wLowCode);
        e.SetMidCode(tuner.wMidCode);
        e.SetHighCode(tuner.wHighCode);
        e.SetPictureCarrier(tuner.dbPictureCarrier);
        entries.push_back(e);
    }
    TunerSpecTable table(true);
    ASSERT_TRUE(table.AppendEntries(entries));
    std::vector<std::string> findings;
    CheckTunerTableInMemory(table, [&findings](const TableFinding& f) { findings.push_back(f.message); });
    EXPECT_EQ(findings, std::vector<std::string>{});
}
