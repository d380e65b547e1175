#include "tables/analysis/DuplicateFrequencies.h"

#include <cstring>

namespace {

// Equal doubles above 0 have equal bits, so the bits are the key; the mixing
// spreads frequencies that differ only in their low mantissa bits (55.25,
// 62.25, ...) over the whole table.
std::uint64_t HashOf(double frequency)
{
    std::uint64_t x;
    std::memcpy(&x, &frequency, sizeof x);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return x;
}

// A power of two at least twice the count, so that probes stay short.
std::size_t SlotCountFor(std::size_t count)
{
    std::size_t slots = 16;
    while (slots < 2 * count)
        slots *= 2;
    return slots;
}

// The positions of the channels taking part, in order, cut into runs along
// which the frequency rises strictly: starts[r] is where run r begins in
// positions, and starts ends with positions.size().
struct RisingRuns
{
    std::vector<std::int32_t> positions;
    std::vector<double> values; // the frequency at each of positions, read in order
    std::vector<std::size_t> starts;

    std::size_t Count() const { return starts.size() - 1; }
};

// The runs of a list, or false once there are more than maxRuns of them.
bool CutIntoRisingRuns(const std::vector<double>& frequencies, std::size_t maxRuns, RisingRuns& runs)
{
    runs.positions.reserve(frequencies.size());
    runs.values.reserve(frequencies.size());
    runs.starts.push_back(0);
    double last = 0.0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        if (!DuplicateFrequencies::TakesPart(f))
            continue;
        if (!(f > last) && !runs.positions.empty()) {
            if (runs.starts.size() == maxRuns)
                return false;
            runs.starts.push_back(runs.positions.size());
        }
        runs.positions.push_back(static_cast<std::int32_t>(i));
        runs.values.push_back(f);
        last = f;
    }
    runs.starts.push_back(runs.positions.size());
    return true;
}

// Whether the frequencies taking part rise strictly from one to the next, so
// that none can repeat: the common case, told without making runs.
bool RiseStrictly(const std::vector<double>& frequencies)
{
    double last = 0.0;
    for (const double f : frequencies) {
        if (!DuplicateFrequencies::TakesPart(f))
            continue;
        if (!(f > last))
            return false;
        last = f;
    }
    return true;
}

} // namespace

DuplicateFrequencies::DuplicateFrequencies(const std::vector<double>& frequencies) : m_size(frequencies.size())
{
    if (RiseStrictly(frequencies))
        return;
    RisingRuns runs;
    if (!CutIntoRisingRuns(frequencies, kMostRunsMerged, runs)) {
        FindWithHashTable(frequencies);
        return;
    }
    // Within a run nothing repeats; across runs the repeats are found by
    // walking each pair of runs side by side, as a merge does.
    for (std::size_t a = 0; a + 1 < runs.Count(); ++a) {
        for (std::size_t b = a + 1; b < runs.Count(); ++b) {
            std::size_t x = runs.starts[a], y = runs.starts[b];
            while (x < runs.starts[a + 1] && y < runs.starts[b + 1]) {
                const double fa = runs.values[x];
                const double fb = runs.values[y];
                if (fa < fb) {
                    ++x;
                } else if (fb < fa) {
                    ++y;
                } else {
                    Pair(runs.positions[x++], runs.positions[y++]);
                }
            }
        }
    }
}

// Runs are taken in order and each pair of them in order, so the first pair
// found for a channel holds the channel it is to name: for a later channel the
// earliest one with its frequency, for the first one the next.
void DuplicateFrequencies::Pair(std::int32_t earlier, std::int32_t later)
{
    if (m_other.empty())
        m_other.assign(m_size, kNone);
    if (m_other[static_cast<std::size_t>(later)] == kNone)
        m_other[static_cast<std::size_t>(later)] = earlier;
    if (m_other[static_cast<std::size_t>(earlier)] == kNone)
        m_other[static_cast<std::size_t>(earlier)] = later;
    m_bAny = true;
}

void DuplicateFrequencies::FindWithHashTable(const std::vector<double>& frequencies)
{
    m_other.assign(frequencies.size(), kNone);
    // Open addressing with linear probing; each slot holds the position of the
    // first channel with its frequency.
    const std::size_t slotCount = SlotCountFor(frequencies.size());
    const std::size_t mask = slotCount - 1;
    std::vector<std::int32_t> slots(slotCount, kNone);
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        if (!TakesPart(f))
            continue;
        std::size_t slot = HashOf(f) & mask;
        while (slots[slot] != kNone && frequencies[static_cast<std::size_t>(slots[slot])] != f)
            slot = (slot + 1) & mask;
        if (slots[slot] == kNone) {
            slots[slot] = static_cast<std::int32_t>(i);
            continue;
        }
        const std::int32_t first = slots[slot];
        m_other[i] = first;
        if (m_other[static_cast<std::size_t>(first)] == kNone)
            m_other[static_cast<std::size_t>(first)] = static_cast<std::int32_t>(i);
        m_bAny = true;
    }
}
