#include "tables/catalogue/ShippedTuners.h"

#include <algorithm>
#include <cctype>

// Made at build time from data/tuners.csv.
extern const ShippedTuner kShippedTunerData[];
extern const std::size_t kShippedTunerDataCount;

const ShippedTuner* ShippedTunerList::begin() const
{
    return kShippedTunerData;
}

const ShippedTuner* ShippedTunerList::end() const
{
    return kShippedTunerData + kShippedTunerDataCount;
}

std::size_t ShippedTunerList::size() const
{
    return kShippedTunerDataCount;
}

namespace {

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The maker of a shipped tuner: the first word of its name.
std::string_view MakerOf(std::string_view name)
{
    return name.substr(0, name.find(' '));
}

} // namespace

std::string_view TunerTypeName(std::string_view catalogueText)
{
    constexpr std::string_view kSeparator = " -- ";
    const std::size_t at = catalogueText.find(kSeparator);
    return at == std::string_view::npos ? catalogueText : catalogueText.substr(at + kSeparator.size());
}

const ShippedTuner* FindShippedTuner(std::string_view factoryName, std::string_view tunerTypeText)
{
    const std::string_view name = TunerTypeName(tunerTypeText);
    for (const ShippedTuner& tuner : ShippedTuners()) {
        if (name == tuner.pszName)
            return SameLetters(MakerOf(tuner.pszName), factoryName) ? &tuner : nullptr;
    }
    return nullptr;
}
