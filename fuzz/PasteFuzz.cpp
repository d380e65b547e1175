// The channel editor's Paste reader of the clipboard's text: any bytes are
// read into frequencies or refused with a line of the text and a short
// reason; never more values than lines. What it reads, written again as Copy
// writes rows (tab-separated and as CSV), reads back to the same bits.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "tables/text/ChannelCsv.h"
#include "tables/text/PastedFrequencies.h"

namespace {

constexpr std::size_t kLongestReason = 320;

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void CheckCopyReadsBack(const std::vector<double>& values)
{
    std::vector<std::int32_t> channels(values.size());
    for (std::size_t i = 0; i < channels.size(); ++i)
        channels[i] = static_cast<std::int32_t>(i + 1);
    for (const ChannelRowsForm form : {ChannelRowsForm::TabSeparated, ChannelRowsForm::Csv}) {
        std::vector<double> back;
        PastedTextFault fault;
        if (!ReadPastedFrequencies(ChannelRowsText(values, channels, form), back, fault) || !SameBits(back, values))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::vector<double> values;
    PastedTextFault fault;
    if (!ReadPastedFrequencies(text, values, fault)) {
        if (!values.empty() || fault.line < 1 || fault.line > lines || fault.reason.empty() ||
            fault.reason.size() > kLongestReason || fault.reason.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    if (values.size() > lines)
        std::abort();
    // Channel numbers of a list: the round trip is for what a list may hold.
    if (values.size() <= 65535)
        CheckCopyReadsBack(values);
    return 0;
}
