#include "tables/catalogue/TunerNames.h"

#include <set>

#include "tables/catalogue/ShippedTuners.h"
#include "tables/catalogue/TunerCatalogue.h"

TunerNames TunerNames::Read(TunerCatalogue& catalogue, const std::vector<TunerSpecEntry>& entries)
{
    TunerNames names;
    if (!catalogue.IsOpen())
        return names;
    std::set<std::int32_t> used;
    for (const TunerSpecEntry& entry : entries)
        used.insert(entry.iFactory());
    const auto factories = catalogue.ReadFactories();
    if (!factories)
        return names;
    for (const CatalogueItem& factory : *factories) {
        if (used.count(factory.code) == 0 || !names.FactoryName(factory.code).empty())
            continue;
        names.AddFactory(factory.code, factory.text);
        if (const auto types = catalogue.ReadTunerTypes(factory.code)) {
            for (const CatalogueItem& type : *types)
                names.AddType(factory.code, type.code, std::string(TunerTypeName(type.text)));
        }
    }
    return names;
}

std::string TunerNames::FactoryName(std::int32_t iFactory) const
{
    const auto found = m_factories.find(iFactory);
    return found == m_factories.end() ? std::string() : found->second;
}

std::string TunerNames::TypeName(std::int32_t iFactory, std::int32_t iTunerType) const
{
    const auto found = m_types.find({iFactory, iTunerType});
    return found == m_types.end() ? std::string() : found->second;
}

void TunerNames::AddFactory(std::int32_t iFactory, std::string name)
{
    m_factories.emplace(iFactory, std::move(name));
}

void TunerNames::AddType(std::int32_t iFactory, std::int32_t iTunerType, std::string name)
{
    // The first line of a code counts, as the first the tuner editor lists.
    m_types.emplace(std::make_pair(iFactory, iTunerType), std::move(name));
}
