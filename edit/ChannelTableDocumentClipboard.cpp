// Edit > Paste in the channel table editor: frequencies read from the
// clipboard become new channels of the current list, as one step. Worked out
// as an array, as the bulk edits are, so that pasting 30,000 channels into a
// long list costs a walk and a few copies of an array.
#include <cstring>

#include "edit/ChannelTableDocument.h"

std::vector<std::int32_t>
ChannelTableDocument::PasteChannels(std::int32_t iBefore, const std::vector<double>& frequencies, const char* pszStep)
{
    const StepScope step = BeginStep(pszStep);
    std::vector<FrequencyBits> before;
    if (!BulkListBefore({}, before) || frequencies.empty() || iBefore < 1 ||
        static_cast<std::size_t>(iBefore) > before.size() + 1 ||
        frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels) - before.size())
        return {};
    const auto at = static_cast<std::ptrdiff_t>(iBefore - 1);
    std::vector<FrequencyBits> after;
    after.reserve(before.size() + frequencies.size());
    after.insert(after.end(), before.begin(), before.begin() + at);
    // The pasted values keep their bits: a NaN pasted stays the one copied.
    const std::size_t pastedAt = after.size();
    after.resize(pastedAt + frequencies.size());
    std::memcpy(after.data() + pastedAt, frequencies.data(), frequencies.size() * sizeof(double));
    after.insert(after.end(), before.begin() + at, before.end());
    if (!PutBulkList(before, after))
        return {};
    std::vector<std::int32_t> added(frequencies.size());
    for (std::size_t i = 0; i < added.size(); ++i)
        added[i] = iBefore + static_cast<std::int32_t>(i);
    return added;
}
