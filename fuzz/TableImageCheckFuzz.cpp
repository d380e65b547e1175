// The table check of a file image, as the editors' status line runs it on its
// worker: any bytes as a channel table image and as a tuner table image, and
// the image's channel lists judged against a tuner made of its first 64 bytes.
// A finding never names a channel or entry the image does not hold, nor an
// uncovered channel one its lists lack. The findings a window keeps of a tuner
// image, and its counts, are the check's own, one for one. Seeds: the chfq and tnsp corpora.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tables/analysis/TableChecks.h"
#include "tables/analysis/TunerCoverage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> image(data, data + size);
    // Each channel takes 8 bytes and each entry 64: no position lies beyond them.
    const auto within = [size](std::size_t recordSize) {
        return [size, recordSize](const TableFinding& finding) {
            if (finding.iPosition < 0 || static_cast<std::size_t>(finding.iPosition) * recordSize > size)
                std::abort();
        };
    };
    CheckChannelTableImage(image, within(8));
    std::vector<TableFinding> tunerFindings;
    CheckTunerTableImage(image, [&](const TableFinding& finding) {
        within(TunerSpecEntry::kSize)(finding);
        tunerFindings.push_back(finding);
    });
    const TunerTableFindings kept(image);
    const FindingTotals counted = CountTunerTableImageFindings(image);
    if (kept.Count() != tunerFindings.size() || counted.errors != kept.Totals().errors ||
        counted.warnings != kept.Totals().warnings || counted.errors + counted.warnings != tunerFindings.size())
        std::abort();
    for (std::size_t i = 0; i < kept.Count(); ++i) {
        const TableFinding finding = kept.At(i);
        if (finding.severity != tunerFindings[i].severity || finding.iPosition != tunerFindings[i].iPosition ||
            finding.message != tunerFindings[i].message)
            std::abort();
    }

    const ImageChannelLists lists = ChannelListsInImage(image);
    if ((lists.air.size() + lists.cable.size()) * 8 > size)
        std::abort();
    TunerSpecEntry entry;
    std::memcpy(entry.bytes, data, std::min(size, TunerSpecEntry::kSize));
    const TunerBands tuner(entry);
    const CoverageReport report = CoverLists(lists.air, lists.cable, tuner);
    if (report.channels + report.emptySlots != lists.air.size() + lists.cable.size())
        std::abort();
    for (const UncoveredChannel& channel : report.uncovered) {
        const auto& list = channel.iList == ChannelModeAir ? lists.air : lists.cable;
        if (channel.iChannel < 1 || static_cast<std::size_t>(channel.iChannel) > list.size() ||
            tuner.BandOf(channel.dbFrequency))
            std::abort();
        UncoveredMessage(channel, tuner);
    }
    return 0;
}
