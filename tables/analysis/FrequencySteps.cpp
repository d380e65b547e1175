#include "tables/analysis/FrequencySteps.h"

#include <cmath>

namespace {

// 2^53: past it a double holds no fraction, and the product by 1000 is not exact.
constexpr double kExactKilohertz = 9007199254740992.0;
// How far the product of a value by 1000 may lie from the kHz its decimal
// says: far below what any 32-bit float differs by.
constexpr double kProductError = 1e-6;

// The value in kHz; where the value stands for a whole or a half number of
// kHz (every tie of every step lies on a half kHz), exactly that number.
double KilohertzOf(double dbFrequency)
{
    const double halves = dbFrequency * 2000.0;
    const double whole = std::round(halves);
    return std::fabs(halves - whole) <= 2 * kProductError ? whole / 2 : dbFrequency * 1000.0;
}

} // namespace

bool HasKilohertzRaster(double dbFrequency)
{
    return dbFrequency != 0.0 && std::isfinite(dbFrequency) && std::fabs(dbFrequency) * 1000.0 < kExactKilohertz;
}

bool IsWholeKilohertz(double dbFrequency)
{
    return !HasKilohertzRaster(dbFrequency) || std::round(dbFrequency * 1000.0) / 1000.0 == dbFrequency;
}

double NearestWholeKilohertz(double dbFrequency)
{
    return std::round(dbFrequency * 1000.0) / 1000.0 + 0.0;
}

double RoundedToStep(double dbFrequency, FrequencyStep step)
{
    if (!HasKilohertzRaster(dbFrequency))
        return dbFrequency;
    const double stepKilohertz = static_cast<double>(static_cast<std::int32_t>(step));
    const double steps = std::round(KilohertzOf(dbFrequency) / stepKilohertz);
    if (steps == 0.0)
        return dbFrequency;
    return steps * stepKilohertz / 1000.0;
}

std::vector<double> RoundedFrequencies(const std::vector<double>& frequencies,
                                       const std::vector<std::int32_t>& channels, FrequencyStep step)
{
    std::vector<double> rounded;
    rounded.reserve(channels.size());
    for (const std::int32_t iChannel : channels)
        rounded.push_back(RoundedToStep(frequencies[static_cast<std::size_t>(iChannel) - 1], step));
    return rounded;
}
