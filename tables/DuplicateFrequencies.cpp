#include "DuplicateFrequencies.h"

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

// Whether the frequencies taking part rise strictly from one to the next, so
// that none can repeat.
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
