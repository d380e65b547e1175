#pragma once
// Built-in catalogue that turns a country calling code into the country's name
// and the name of its analog TV system.

#include <cstdint>

struct TvSystemEntry
{
    std::uint32_t dwId;
    const char* pszName;
};

struct CountryEntry
{
    std::int32_t iCode;
    std::uint32_t dwTvSystem;
    const char* pszName;
};

constexpr int kTvSystemCount = 20;
constexpr int kCountryCount = 215;

extern const TvSystemEntry TvSystemTable[kTvSystemCount];
extern const CountryEntry CountryCatalogue[kCountryCount];

// The text shown for a code or TV system the catalogue does not know.
constexpr const char* kUnknownCountryText = " -- ";

struct CountryLookup
{
    const char* pszCountry;
    const char* pszTvSystem;
};

CountryLookup LookupCountry(std::int32_t iCode);
