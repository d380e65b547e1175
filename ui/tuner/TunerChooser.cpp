#include "ui/tuner/TunerChooser.h"

#include <cstring>


std::string TunerLabel(const TunerSpecEntry& entry, const std::string& factoryName, const std::string& typeName)
{
    return TunerTitle(entry, factoryName, typeName);
}

std::string TunerLabel(const TunerChoice& choice)
{
    return choice.Title();
}

namespace {

bool SameEdges(const TunerSpecEntry& a, const TunerSpecEntry& b)
{
    // Compared as stored bytes, so that NaN edges match themselves.
    constexpr std::size_t kEdgesAt = 8;
    constexpr std::size_t kEdgesSize = 4 * sizeof(double);
    return std::memcmp(a.bytes + kEdgesAt, b.bytes + kEdgesAt, kEdgesSize) == 0;
}

} // namespace

std::optional<std::size_t> PreviousChoiceIn(const std::vector<TunerSpecEntry>& entries, const TunerSpecEntry& previous)
{
    std::optional<std::size_t> sameCodes;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TunerSpecEntry& entry = entries[i];
        if (entry.iFactory() != previous.iFactory() || entry.iTunerType() != previous.iTunerType())
            continue;
        if (SameEdges(entry, previous))
            return i;
        if (!sameCodes)
            sameCodes = i;
    }
    return sameCodes;
}

QString BandEdgesText(double dbStart, double dbEnd)
{
    return QString::asprintf("%.2f ~ %.2f MHz", dbStart, dbEnd);
}
