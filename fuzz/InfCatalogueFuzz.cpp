// The INF reader under the tuner catalogue: factories and every factory's tuner types.
#include "fuzz/FuzzSupport.h"
#include "tables/catalogue/TunerCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("TunerSpec.inf", data, size);
    TunerCatalogue catalogue;
    if (!catalogue.Open(input))
        return 0;
    const auto factories = catalogue.ReadFactories();
    if (factories) {
        // No list can hold more lines than the file has bytes.
        if (factories->size() > size)
            std::abort();
        for (const CatalogueItem& factory : *factories) {
            const auto types = catalogue.ReadTunerTypes(factory.code);
            if (types && types->size() > size)
                std::abort();
        }
    }
    catalogue.Close();
    return 0;
}
