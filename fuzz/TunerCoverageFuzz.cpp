// A channel table against a tuner: the first 64 bytes are a tuner entry, the
// rest the channels' frequencies, split in half between the two lists, and
// the whole input read as the "FF:TT" codes of a tuner. Each channel is in
// exactly one band or outside; counting by the sorted frequencies agrees with
// judging each channel; every band's tally lies inside its band; and the
// uncovered channels' messages are made. Linear in the input.
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    ParseTunerCodes(std::string_view(reinterpret_cast<const char*>(data), size), iFactory, iTunerType);

    if (size < TunerSpecEntry::kSize)
        return 0;
    TunerSpecEntry entry;
    std::memcpy(entry.bytes, data, TunerSpecEntry::kSize);
    const std::size_t count = (size - TunerSpecEntry::kSize) / sizeof(double);
    std::vector<double> frequencies(count);
    if (count > 0)
        std::memcpy(frequencies.data(), data + TunerSpecEntry::kSize, count * sizeof(double));
    const std::vector<double> air(frequencies.begin(), frequencies.begin() + static_cast<std::ptrdiff_t>(count / 2));
    const std::vector<double> cable(frequencies.begin() + static_cast<std::ptrdiff_t>(count / 2), frequencies.end());

    const TunerBands bands(entry);
    const CoverageReport report = CoverLists(air, cable, bands);
    if (report.channels + report.emptySlots != count)
        std::abort();
    std::size_t tuned = 0;
    for (std::size_t band = 0; band < kTunerBandCount; ++band) {
        const BandTally& tally = report.bands[band];
        tuned += tally.channels;
        const BandSpan& span = bands.Span(static_cast<TunerBand>(band));
        if (tally.channels > 0 && (!span.Holds(tally.dbLowest) || !span.Holds(tally.dbHighest)))
            std::abort();
    }
    if (tuned + report.uncovered.size() != report.channels)
        std::abort();
    if (SortedFrequencies(air, cable).CountCovered(bands) != tuned)
        std::abort();
    const UncoveredWording wording(bands);
    std::string text;
    for (const UncoveredChannel& channel : report.uncovered) {
        if (bands.BandOf(channel.dbFrequency))
            std::abort();
        wording.Append(text, channel);
    }
    return 0;
}
