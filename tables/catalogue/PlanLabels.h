#pragma once
// The names a country's standard channel plans give to frequencies: for a
// channel table of country 49 (Germany), a channel at 175.25 MHz is channel
// "5" of the broadcast plan the country list names for it. Built once per
// country from the plan library (ChannelPlans.h); each question after that is
// a binary search, so a view may ask for every row it draws.
//
// Which plan answers for which list:
// - the air (Antenna) list: the country's broadcast plan;
// - the cable list: the country's cable plan, and, for a frequency the cable
//   plan does not name, the broadcast plan. Cable networks carry their
//   country's broadcast channels at the broadcast frequencies, and 178 of the
//   240 countries listed publish no cable plan at all; a label taken from the
//   broadcast plan says so (Match::bBroadcastPlan), so that a view names the
//   plan it came from and two numberings are never confused.
//
// Matching: a channel frequency names a plan channel when the two lie within
// kLabelTolerance MHz. The plans give two decimals ("175.25"), the tables up
// to five ("175.25000", or "175.2500001" after arithmetic in a bulk edit):
// half a unit of the third decimal accepts every way of writing the plan's
// value and stays far below the 10 kHz by which two values of two decimals can
// differ at least, so a frequency never lies within the tolerance of two plan
// channels of different value. Of channels a plan gives at one frequency the
// first in the plan's order answers. Empty slots (0 MHz) name nothing; a
// frequency that is not above 0 (empty slot, negative, NaN) has no label.
//
// A missing plan, a plan file that cannot be read under the plan reader's
// rules (too large, not a regular file, not a plan) or a country without
// plans simply gives no labels for the list concerned.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/catalogue/ChannelPlans.h"

class PlanLabels
{
public:
    static constexpr double kLabelTolerance = 0.0005; // MHz

    // What names a frequency: the plan's label for it and the plan it comes from.
    struct Match
    {
        std::string_view label;    // "E5", "S21", "5"
        std::string_view planName; // the plan's file name without ".csv"
        bool bBroadcastPlan = false;
    };

    // No labels at all.
    PlanLabels() = default;
    // From plans at hand (either may be null): the broadcast plan for the air
    // list, the cable plan for the cable list as described above.
    PlanLabels(const ChannelPlan* pBroadcast, const ChannelPlan* pCable);

    // The plans of the country with this calling code (the first country the
    // library lists with it), read from their files now. No labels for a code
    // no country has.
    static PlanLabels ForCountry(std::int32_t iCallingCode, const PlanLibrary& library);

    // The label of a frequency in a list (ChannelModeAir or ChannelModeCable);
    // nothing for another list or a frequency no plan of the list names.
    std::optional<Match> Find(std::int32_t iList, double dbFrequency) const;
    std::optional<std::string> Label(std::int32_t iList, double dbFrequency) const;

    // The names of the plans: empty when there is none (or it could not be read).
    const std::string& BroadcastPlanName() const { return m_broadcast.name; }
    const std::string& CablePlanName() const { return m_cable.name; }
    // Whether any list has a label to give.
    bool Empty() const { return m_broadcast.sorted.empty() && m_cable.sorted.empty(); }

private:
    // One plan's channels by frequency, ascending; equal frequencies in plan
    // order. The labels lie end to end in one text, so that an entry is 16
    // bytes and a plan of 65,535 channels makes two allocations, not 65,535.
    struct SortedPlan
    {
        struct Entry
        {
            double dbFrequency = 0.0;
            std::uint32_t labelStart = 0;
            std::uint32_t labelSize = 0;
        };
        std::string name;
        std::string labels;
        std::vector<Entry> sorted;

        void Take(const ChannelPlan& plan);
        const Entry* Nearest(double dbFrequency) const;
        std::string_view LabelOf(const Entry& entry) const
        {
            return std::string_view(labels).substr(entry.labelStart, entry.labelSize);
        }
    };

    SortedPlan m_broadcast;
    SortedPlan m_cable;
};
