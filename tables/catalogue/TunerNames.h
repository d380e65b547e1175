#pragma once
// The names a tuner catalogue gives the factories and tuner types of a tuner
// table, read once for the table: what the editor's chooser, its findings,
// the band chart and `vornalix-tool chart` name a tuner by.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tables/format/TunerSpecEntry.h"

class TunerCatalogue;

// The catalogue's names of the factories and tuner types a tuner table uses.
class TunerNames
{
public:
    // Reads from an open catalogue the factories, and the tuner types of only
    // those factories that the entries name, so that a table of 100,000
    // entries costs one read per factory, not per entry. A closed catalogue
    // gives no names.
    static TunerNames Read(TunerCatalogue& catalogue, const std::vector<TunerSpecEntry>& entries);

    // Empty when the catalogue names none.
    std::string FactoryName(std::int32_t iFactory) const;
    // The tuner type's name without the number the catalogue puts before it
    // ("Philips PAL_I (FI1246 and compatibles)", not "01 -- Philips ...").
    std::string TypeName(std::int32_t iFactory, std::int32_t iTunerType) const;

    // Every factory and every tuner type it names, by their codes.
    const std::map<std::int32_t, std::string>& Factories() const { return m_factories; }
    const std::map<std::pair<std::int32_t, std::int32_t>, std::string>& Types() const { return m_types; }

    void AddFactory(std::int32_t iFactory, std::string name);
    void AddType(std::int32_t iFactory, std::int32_t iTunerType, std::string name);

private:
    std::map<std::int32_t, std::string> m_factories;
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> m_types;
};
