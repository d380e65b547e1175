#include "tables/analysis/CoverageMatrixOutput.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tables/text/Csv.h"

CoverageMatrixTable CoverageMatrixTableOf(std::string name, const ChannelTable& table,
                                          const SortedFrequencies& channels)
{
    return {std::move(name), table.Header().iCountryCode(), channels.size()};
}

std::vector<CoverageMatrixTuner> CoverageMatrixTuners(const std::vector<TunerSpecEntry>& entries,
                                                      const std::vector<TunerBands>& bands)
{
    std::vector<CoverageMatrixTuner> tuners;
    tuners.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size() && i < bands.size(); ++i)
        tuners.push_back({TunerCodesText(entries[i]), NonFiniteEdgesText(bands[i])});
    return tuners;
}

std::string CoverageMatrixCsv(const NamedCoverageMatrix& matrix)
{
    std::string out = "table,country,channels";
    for (const CoverageMatrixTuner& tuner : matrix.tuners)
        AppendCsvField(out += ',', tuner.codes);
    out += '\n';
    for (std::size_t t = 0; t < matrix.tables.size(); ++t) {
        const CoverageMatrixTable& table = matrix.tables[t];
        AppendCsvField(out, table.name);
        out += ',' + std::to_string(table.iCountry) + ',' + std::to_string(table.channels);
        for (std::size_t u = 0; u < matrix.tuners.size(); ++u)
            out += ',' + std::to_string(matrix.counts.Outside(t, u));
        out += '\n';
    }
    return out;
}

double CoverageMatrixHeat(std::size_t outside, std::size_t channels)
{
    if (outside == 0)
        return 0.0;
    // The square root lifts a share of a few per cent well above none.
    const double share = channels == 0 ? 1.0 : static_cast<double>(outside) / static_cast<double>(channels);
    return 0.3 + 0.7 * std::sqrt(std::min(1.0, share));
}
