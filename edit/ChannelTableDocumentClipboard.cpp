// Edit > Paste in the channel table editor: frequencies read from the
// clipboard become new channels of the current list, as one step. Worked out
// from the values the last step left, as the bulk edits are, so that pasting
// 30,000 channels into a long list costs a few copies of an array.
#include <cstring>

#include "ChannelTableDocument.h"

std::vector<std::int32_t>
ChannelTableDocument::PasteChannels(std::int32_t iBefore, const std::vector<double>& frequencies, const char* pszStep)
{
    const StepScope step = BeginStep(pszStep, CurrentList());
    const std::vector<FrequencyBits>* pBefore = BulkListBefore({});
    if (!pBefore || frequencies.empty() || iBefore < 1 || static_cast<std::size_t>(iBefore) > pBefore->size() + 1 ||
        frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels) - pBefore->size())
        return {};
    const auto at = static_cast<std::ptrdiff_t>(iBefore - 1);
    std::vector<FrequencyBits> after;
    after.reserve(pBefore->size() + frequencies.size());
    after.insert(after.end(), pBefore->begin(), pBefore->begin() + at);
    // The pasted values keep their bits: a NaN pasted stays the one copied.
    const std::size_t pastedAt = after.size();
    after.resize(pastedAt + frequencies.size());
    std::memcpy(after.data() + pastedAt, frequencies.data(), frequencies.size() * sizeof(double));
    after.insert(after.end(), pBefore->begin() + at, pBefore->end());
    if (!PutBulkList(std::move(after)))
        return {};
    std::vector<std::int32_t> added(frequencies.size());
    for (std::size_t i = 0; i < added.size(); ++i)
        added[i] = iBefore + static_cast<std::int32_t>(i);
    return added;
}
