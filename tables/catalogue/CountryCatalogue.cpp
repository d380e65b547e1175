#include "tables/catalogue/CountryCatalogue.h"

CountryLookup LookupCountry(std::int32_t iCode)
{
    for (const CountryEntry& country : CountryCatalogue) {
        if (country.iCode != iCode)
            continue;
        for (const TvSystemEntry& system : TvSystemTable) {
            if (system.dwId == country.dwTvSystem)
                return {country.pszName, system.pszName};
        }
        return {country.pszName, kUnknownCountryText};
    }
    return {kUnknownCountryText, kUnknownCountryText};
}
