#pragma once
// Which channels of one list share a frequency. Every channel whose frequency
// is above 0 takes part (0, -0, negative values and NaN mark empty slots and
// are never the same as anything); two channels share a frequency when their
// stored doubles are equal. Built in one pass over the list with a hash table,
// so that the editor can rebuild it with every change of a list of 65,535
// channels and the check can use the same answers. Most lists rise from
// channel to channel, or do so in a few bands; for them the repeats are found
// by reading the list in order, band against band, without the hash table.

#include <cstddef>
#include <cstdint>
#include <vector>

class DuplicateFrequencies
{
public:
    static constexpr std::int32_t kNone = -1;

    DuplicateFrequencies() = default;
    explicit DuplicateFrequencies(const std::vector<double>& frequencies);

    // Whether a frequency takes part at all.
    static bool TakesPart(double frequency) { return frequency > 0.0; }

    // The 0-based position of the first other channel holding the same
    // frequency as the one at position: for the first of several channels the
    // second one, for every later one the first; kNone when it is alone, an
    // empty slot, or outside the list.
    std::int32_t OtherOf(std::size_t position) const { return position < m_other.size() ? m_other[position] : kNone; }
    // Whether the channel at position repeats a frequency held by a channel
    // before it (the one OtherOf names).
    bool RepeatsEarlier(std::size_t position) const
    {
        const std::int32_t other = OtherOf(position);
        return other != kNone && static_cast<std::size_t>(other) < position;
    }
    // Whether any two channels share a frequency.
    bool Any() const { return m_bAny; }
    std::size_t Size() const { return m_size; }

private:
    // Lists cut into at most this many rising runs are searched run against
    // run, which reads each run in order (each run is read once per other run,
    // so few runs cost less than the hash table's scattered reads); others go
    // through the hash table.
    static constexpr std::size_t kMostRunsMerged = 8;

    void Pair(std::int32_t earlier, std::int32_t later);
    void FindWithHashTable(const std::vector<double>& frequencies);

    // Holds a position per channel only when some frequency repeats.
    std::vector<std::int32_t> m_other;
    std::size_t m_size = 0;
    bool m_bAny = false;
};
