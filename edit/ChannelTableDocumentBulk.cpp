// The bulk edits of the channel table editor: moving, offsetting, clearing and
// sorting the chosen channels of the current list, and filling in a regular
// raster of channels. Each works out the new list from the values the last
// step left (no walk of the nodes), writes only the run that differs into the
// table and hands the step its after-list, so that even 30,000 chosen channels
// of a 65,535-channel list cost a few copies of an array.
#include "edit/ChannelTableDocument.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// 0-based positions of 1-based channels.
std::size_t At(std::int32_t iChannel)
{
    return static_cast<std::size_t>(iChannel - 1);
}

std::vector<std::int32_t> Shifted(const std::vector<std::int32_t>& channels, std::int32_t by)
{
    std::vector<std::int32_t> moved;
    moved.reserve(channels.size());
    for (const std::int32_t iChannel : channels)
        moved.push_back(iChannel + by);
    return moved;
}

} // namespace

bool ChannelTableDocument::BulkListBefore(const std::vector<std::int32_t>& channels,
                                          std::vector<FrequencyBits>& before) const
{
    if (!m_pTable || !ShowsList())
        return false;
    const std::int32_t count = CurrentCount();
    std::int32_t iPrevious = 0;
    for (const std::int32_t iChannel : channels) {
        if (iChannel <= iPrevious || iChannel > count)
            return false;
        iPrevious = iChannel;
    }
    before = ListBits(m_iMode);
    return true;
}

bool ChannelTableDocument::PutBulkList(const std::vector<FrequencyBits>& before,
                                       const std::vector<FrequencyBits>& after)
{
    return PutBulkList(m_iMode, before, after);
}

bool ChannelTableDocument::PutBulkList(std::int32_t iMode, const std::vector<FrequencyBits>& before,
                                       const std::vector<FrequencyBits>& after)
{
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    std::vector<double> run;
    run.reserve(after.size() - prefix - suffix);
    for (std::size_t i = prefix; i < after.size() - suffix; ++i)
        run.push_back(FrequencyOfBits(after[i]));
    return m_pTable->ReplaceRun(iMode, static_cast<std::int32_t>(prefix),
                                static_cast<std::int32_t>(before.size() - prefix - suffix), run);
}

std::vector<std::int32_t> ChannelTableDocument::MoveUp(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(BulkEditName::kMoveUp);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty() || channels.front() == 1)
        return {};
    std::vector<FrequencyBits> after = before;
    // Ascending, each chosen channel trades places with the one in front:
    // along a run the channel in front of it travels to the run's end.
    for (const std::int32_t iChannel : channels)
        std::swap(after[At(iChannel) - 1], after[At(iChannel)]);
    if (!PutBulkList(before, after))
        return {};
    return Shifted(channels, -1);
}

std::vector<std::int32_t> ChannelTableDocument::MoveDown(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(BulkEditName::kMoveDown);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty() || At(channels.back()) + 1 == before.size())
        return {};
    std::vector<FrequencyBits> after = before;
    for (auto it = channels.rbegin(); it != channels.rend(); ++it)
        std::swap(after[At(*it)], after[At(*it) + 1]);
    if (!PutBulkList(before, after))
        return {};
    return Shifted(channels, 1);
}

std::vector<std::int32_t> ChannelTableDocument::MoveToChannel(const std::vector<std::int32_t>& channels,
                                                              std::int32_t iTarget)
{
    const StepScope step = BeginStep(BulkEditName::kMoveToChannel);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return {};
    const std::size_t kept = before.size() - channels.size();
    if (iTarget < 1 || At(iTarget) > kept)
        return {};
    std::vector<FrequencyBits> taken;
    std::vector<FrequencyBits> rest;
    taken.reserve(channels.size());
    rest.reserve(kept);
    std::size_t next = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (next < channels.size() && At(channels[next]) == i) {
            taken.push_back(before[i]);
            ++next;
        } else {
            rest.push_back(before[i]);
        }
    }
    std::vector<FrequencyBits> after;
    after.reserve(before.size());
    const auto split = rest.begin() + static_cast<std::ptrdiff_t>(At(iTarget));
    after.insert(after.end(), rest.begin(), split);
    after.insert(after.end(), taken.begin(), taken.end());
    after.insert(after.end(), split, rest.end());
    if (!PutBulkList(before, after))
        return {};
    std::vector<std::int32_t> moved(channels.size());
    for (std::size_t i = 0; i < moved.size(); ++i)
        moved[i] = iTarget + static_cast<std::int32_t>(i);
    return moved;
}

bool ChannelTableDocument::OffsetFrequencies(const std::vector<std::int32_t>& channels, double dbOffset)
{
    const StepScope step = BeginStep(BulkEditName::kOffsetFrequencies);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<FrequencyBits> after = before;
    for (const std::int32_t iChannel : channels) {
        const double dbFrequency = FrequencyOfBits(after[At(iChannel)]);
        if (dbFrequency != 0.0)
            after[At(iChannel)] = StoredBits(dbFrequency + dbOffset);
    }
    return PutBulkList(before, after);
}

bool ChannelTableDocument::RoundFrequencies(const std::vector<std::int32_t>& channels, FrequencyStep rasterStep)
{
    const StepScope step = BeginStep(BulkEditName::kRoundFrequencies);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<FrequencyBits> after = before;
    for (const std::int32_t iChannel : channels)
        after[At(iChannel)] = StoredBits(RoundedToStep(FrequencyOfBits(after[At(iChannel)]), rasterStep));
    return PutBulkList(before, after);
}

bool ChannelTableDocument::ClearToEmptySlot(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(BulkEditName::kClearToEmptySlot);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<FrequencyBits> after = before;
    for (const std::int32_t iChannel : channels)
        after[At(iChannel)] = StoredBits(0.0);
    return PutBulkList(before, after);
}

bool ChannelTableDocument::FillDown(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(BulkEditName::kFillDown);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<FrequencyBits> after = before;
    const FrequencyBits first = before[At(channels.front())];
    for (const std::int32_t iChannel : channels)
        after[At(iChannel)] = first;
    return PutBulkList(before, after);
}

bool ChannelTableDocument::FillSeries(const std::vector<std::int32_t>& channels, double dbStart, double dbStep)
{
    const StepScope step = BeginStep(BulkEditName::kFillSeries);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<FrequencyBits> after = before;
    for (std::size_t n = 0; n < channels.size(); ++n)
        after[At(channels[n])] = StoredBits(dbStart + static_cast<double>(n) * dbStep);
    return PutBulkList(before, after);
}

std::int32_t ChannelTableDocument::ReplaceFrequencies(double dbLow, double dbHigh, double dbBy, bool bBothLists)
{
    const StepScope step = BeginStep(BulkEditName::kFindAndReplace);
    if (!m_pTable || !ShowsList())
        return 0;
    const double dbFrom = dbLow - kReplaceSlack;
    const double dbTo = dbHigh + kReplaceSlack;
    const FrequencyBits by = StoredBits(dbBy);
    std::int32_t changed = 0;
    for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        if (!bBothLists && iMode != m_iMode)
            continue;
        const std::vector<FrequencyBits> before = ListBits(iMode);
        std::vector<FrequencyBits> after = before;
        std::int32_t changedHere = 0;
        for (FrequencyBits& bits : after) {
            const double dbFrequency = FrequencyOfBits(bits);
            // Not above 0 covers empty slots and NaN as well.
            if (dbFrequency > 0.0 && dbFrequency >= dbFrom && dbFrequency <= dbTo && bits != by) {
                bits = by;
                ++changedHere;
            }
        }
        if (changedHere > 0 && PutBulkList(iMode, before, after))
            changed += changedHere;
    }
    return changed;
}

std::int32_t ChannelTableDocument::CopyFromTable(const ChannelTable& other, const std::vector<ChannelPlace>& chosen,
                                                 bool bCountryCode)
{
    const StepScope step = BeginStep(ChannelCommandName::kCopyToThisTable);
    if (!m_pTable)
        return 0;
    std::int32_t changed = 0;
    if (bCountryCode && other.Header().iCountryCode() != CountryCode() &&
        m_pTable->SetCountryCode(other.Header().iCountryCode()))
        ++changed;
    for (const std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        std::vector<FrequencyBits> theirs;
        for (const ChannelNode& channel : other.Channels(iMode))
            theirs.push_back(StoredBits(channel.dbFrequency));
        const std::vector<FrequencyBits> before = ListBits(iMode);
        const std::size_t longest = std::max(before.size(), theirs.size());
        std::vector<FrequencyBits> after = before;
        // The chosen places the other table does not hold.
        std::vector<bool> lacking(longest, false);
        for (const ChannelPlace& place : chosen) {
            if (place.iList != iMode || place.iChannel < 1 || static_cast<std::size_t>(place.iChannel) > longest)
                continue;
            const auto at = static_cast<std::size_t>(place.iChannel - 1);
            if (after.size() <= at)
                after.resize(at + 1, StoredBits(0.0));
            if (at < theirs.size())
                after[at] = theirs[at];
            else
                lacking[at] = true;
        }
        while (!after.empty() && lacking[after.size() - 1])
            after.pop_back();
        for (std::size_t at = 0; at < after.size(); ++at) {
            if (lacking[at])
                after[at] = StoredBits(0.0);
        }
        std::int32_t changedHere = 0;
        for (std::size_t at = 0; at < std::max(before.size(), after.size()); ++at) {
            if (at >= before.size() || at >= after.size() || before[at] != after[at])
                ++changedHere;
        }
        if (changedHere > 0 && PutBulkList(iMode, before, after))
            changed += changedHere;
    }
    return changed;
}

bool ChannelTableDocument::SortByFrequency(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(BulkEditName::kSortByFrequency);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || channels.empty())
        return false;
    std::vector<double> chosen;
    chosen.reserve(channels.size());
    for (const std::int32_t iChannel : channels)
        chosen.push_back(FrequencyOfBits(before[At(iChannel)]));
    // Not above 0 is an empty slot, as everywhere: 0, negative values and NaN
    // keep their order behind the channels that carry a frequency.
    const auto firstEmpty =
        std::stable_partition(chosen.begin(), chosen.end(), [](double dbFrequency) { return dbFrequency > 0.0; });
    std::stable_sort(chosen.begin(), firstEmpty);
    std::vector<FrequencyBits> after = before;
    for (std::size_t i = 0; i < channels.size(); ++i)
        after[At(channels[i])] = StoredBits(chosen[i]);
    return PutBulkList(before, after);
}

std::string FillRasterPlace(std::int32_t beforeChannel)
{
    return beforeChannel > 0 ? "before channel " + std::to_string(beforeChannel) : std::string("at the end");
}

std::vector<std::int32_t> ChannelTableDocument::FillRaster(const std::vector<std::int32_t>& channels, double dbStart,
                                                           double dbStep, std::int32_t count)
{
    const StepScope step = BeginStep(std::string(BulkEditName::kFillRaster) + ' ' +
                                     FillRasterPlace(channels.empty() ? 0 : channels.front()));
    std::vector<FrequencyBits> before;
    if (!BulkListBefore(channels, before) || count < 1 ||
        static_cast<std::size_t>(count) > static_cast<std::size_t>(ChannelTable::kMaxChannels) - before.size())
        return {};
    const std::size_t at = channels.empty() ? before.size() : At(channels.front());
    std::vector<FrequencyBits> after;
    after.reserve(before.size() + static_cast<std::size_t>(count));
    after.insert(after.end(), before.begin(), before.begin() + static_cast<std::ptrdiff_t>(at));
    // Each channel from the start and its own multiple of the step, so that
    // no rounding adds up along a long raster.
    for (std::int32_t i = 0; i < count; ++i)
        after.push_back(StoredBits(dbStart + i * dbStep));
    after.insert(after.end(), before.begin() + static_cast<std::ptrdiff_t>(at), before.end());
    if (!PutBulkList(before, after))
        return {};
    std::vector<std::int32_t> added(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        added[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(at) + 1 + i;
    return added;
}
