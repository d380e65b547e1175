#include "tables/catalogue/PlanLabels.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tables/format/ChannelTable.h"

void PlanLabels::SortedPlan::Take(const ChannelPlan& plan)
{
    name = plan.name;
    sorted.clear();
    labels.clear();
    sorted.reserve(plan.channels.size());
    std::size_t labelBytes = 0;
    for (const PlanChannel& channel : plan.channels)
        labelBytes += channel.label.size();
    // At most 65,535 labels of at most 32 bytes: the offsets fit 32 bits.
    labels.reserve(labelBytes);
    for (const PlanChannel& channel : plan.channels) {
        // An empty slot of a plan numbered by position names no frequency.
        if (!(channel.dbFrequency > 0.0))
            continue;
        sorted.push_back(Entry{channel.dbFrequency, static_cast<std::uint32_t>(labels.size()),
                               static_cast<std::uint32_t>(channel.label.size())});
        labels += channel.label;
    }
    // Stable: of channels at one frequency the first in the plan answers. Most
    // plans rise already, and a look saves them the sort.
    const auto lower = [](const Entry& a, const Entry& b) { return a.dbFrequency < b.dbFrequency; };
    if (!std::is_sorted(sorted.begin(), sorted.end(), lower))
        std::stable_sort(sorted.begin(), sorted.end(), lower);
}

const PlanLabels::SortedPlan::Entry* PlanLabels::SortedPlan::Nearest(double dbFrequency) const
{
    // Not above 0 covers empty slots, negative values and NaN alike.
    if (!(dbFrequency > 0.0) || !std::isfinite(dbFrequency))
        return nullptr;
    const auto first =
        std::lower_bound(sorted.begin(), sorted.end(), dbFrequency - kLabelTolerance,
                         [](const Entry& entry, double dbLowest) { return entry.dbFrequency < dbLowest; });
    const Entry* pBest = nullptr;
    double dbBestDistance = kLabelTolerance;
    // Within the tolerance lie at most the channels of one value for the
    // shipped plans; an own plan written more finely may give several, and
    // the nearest answers.
    for (auto it = first; it != sorted.end() && it->dbFrequency <= dbFrequency + kLabelTolerance; ++it) {
        const double dbDistance = std::fabs(it->dbFrequency - dbFrequency);
        if (dbDistance < dbBestDistance || (!pBest && dbDistance <= dbBestDistance)) {
            pBest = &*it;
            dbBestDistance = dbDistance;
        }
    }
    return pBest;
}

PlanLabels::PlanLabels(const ChannelPlan* pBroadcast, const ChannelPlan* pCable)
{
    if (pBroadcast)
        m_broadcast.Take(*pBroadcast);
    if (pCable)
        m_cable.Take(*pCable);
}

namespace {

// The plan of that name as its file holds it now; nullopt when the library
// does not list it or its file cannot be read as a plan.
std::optional<ChannelPlan> ReadNamedPlan(const PlanLibrary& library, const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    const ListedPlan* pListed = library.FindPlan(name);
    if (!pListed)
        return std::nullopt;
    ChannelPlan plan;
    PlanProblem problem;
    if (!ReadChannelPlanFile(pListed->path, plan, problem))
        return std::nullopt;
    plan.name = pListed->name;
    return plan;
}

} // namespace

PlanLabels PlanLabels::ForCountry(std::int32_t iCallingCode, const PlanLibrary& library)
{
    if (iCallingCode < 1)
        return PlanLabels();
    const CountryPlans* pCountry = library.FindCountry(std::to_string(iCallingCode));
    if (!pCountry)
        return PlanLabels();
    const std::optional<ChannelPlan> broadcast = ReadNamedPlan(library, pCountry->airPlan);
    const std::optional<ChannelPlan> cable = ReadNamedPlan(library, pCountry->cablePlan);
    return PlanLabels(broadcast ? &*broadcast : nullptr, cable ? &*cable : nullptr);
}

std::optional<PlanLabels::Match> PlanLabels::Find(std::int32_t iList, double dbFrequency) const
{
    const auto matchOf = [](const SortedPlan& plan, const SortedPlan::Entry* pEntry, bool bBroadcast) {
        return Match{plan.LabelOf(*pEntry), plan.name, bBroadcast};
    };
    if (iList == ChannelModeCable) {
        if (const SortedPlan::Entry* pEntry = m_cable.Nearest(dbFrequency))
            return matchOf(m_cable, pEntry, false);
    } else if (iList != ChannelModeAir) {
        return std::nullopt;
    }
    if (const SortedPlan::Entry* pEntry = m_broadcast.Nearest(dbFrequency))
        return matchOf(m_broadcast, pEntry, true);
    return std::nullopt;
}

std::optional<std::string> PlanLabels::Label(std::int32_t iList, double dbFrequency) const
{
    const std::optional<Match> match = Find(iList, dbFrequency);
    if (!match)
        return std::nullopt;
    return std::string(match->label);
}
