#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tables/catalogue/CountryCatalogue.h"

namespace {

void ExpectLookup(std::int32_t code, const std::string& country, const std::string& system)
{
    const CountryLookup found = LookupCountry(code);
    EXPECT_EQ(found.pszCountry, country) << "code " << code;
    EXPECT_EQ(found.pszTvSystem, system) << "code " << code;
}

} // namespace

TEST(CountryCatalogue, FirstRowOfACodeWins)
{
    ExpectLookup(1, "USA", "NTSC_M");
    ExpectLookup(7, "Russia", "SECAM_D");
    ExpectLookup(39, "Italy", "PAL_B");
    ExpectLookup(41, "Switzerland", "PAL_B");
    ExpectLookup(53, "Cuba", "NTSC_M");
}

TEST(CountryCatalogue, DistinctTvSystems)
{
    ExpectLookup(81, "Japan", "NTSC_M_J");
    ExpectLookup(33, "France", "SECAM_L");
    ExpectLookup(377, "Monaco", "SECAM_G");
    ExpectLookup(55, "Brazil", "PAL_M");
    ExpectLookup(86, "China", "PAL_D");
    ExpectLookup(1852, "China (southeast coastland)", "PAL_I");
    ExpectLookup(852, "Hong Kong SAR", "PAL_I");
    ExpectLookup(44, "United Kingdom", "PAL_I");
    ExpectLookup(389, "F.Y.R.O.M. (Former Yugoslav Republic of Macedonia)", "PAL_B");
    ExpectLookup(225, "Cote D'Ivoire", "SECAM_K");
    ExpectLookup(995, "Georgia", "SECAM_D");
}

TEST(CountryCatalogue, UnknownCodesGiveDashes)
{
    for (std::int32_t code : {0, -1, 2, 999, -44, 2147483647})
        ExpectLookup(code, " -- ", " -- ");
}

TEST(CountryCatalogue, TableShape)
{
    std::map<std::string, int> uses;
    std::map<std::int32_t, int> rowsPerCode;
    for (const CountryEntry& row : CountryCatalogue) {
        ++rowsPerCode[row.iCode];
        bool known = false;
        for (const TvSystemEntry& system : TvSystemTable)
            if (system.dwId == row.dwTvSystem) {
                ++uses[system.pszName];
                known = true;
            }
        EXPECT_TRUE(known) << row.pszName;
    }
    EXPECT_EQ(uses["PAL_B"], 82);
    EXPECT_EQ(uses["NTSC_M"], 56);
    EXPECT_EQ(uses["SECAM_K"], 25);
    EXPECT_EQ(uses["SECAM_D"], 18);
    EXPECT_EQ(uses["SECAM_B"], 13);
    EXPECT_EQ(uses["PAL_I"], 10);
    EXPECT_EQ(uses["PAL_N"], 4);
    EXPECT_EQ(uses["PAL_D"], 3);
    EXPECT_EQ(rowsPerCode[1], 23);
    EXPECT_EQ(rowsPerCode[7], 6);
    EXPECT_EQ(rowsPerCode.size(), 185u);
    EXPECT_EQ(std::string(CountryCatalogue[0].pszName), "USA");
    EXPECT_EQ(std::string(CountryCatalogue[kCountryCount - 1].pszName), "Georgia");
    EXPECT_EQ(TvSystemTable[0].dwId, 0u);
    EXPECT_EQ(std::string(TvSystemTable[19].pszName), "PAL_N_COMBO");
}
