// CHFQ reading and its check (also of each channel alone), the frequencies
// read without a table, then the edits and the save a person would make
// on what was read, and the check of the edited table in memory against the
// check of the file it saved.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tables/analysis/BandChart.h"
#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/analysis/TableChecks.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/TableJson.h"

// The air and cable counts of the CHFQ header.
constexpr std::size_t kAirCountOffset = 12;
constexpr std::size_t kCableCountOffset = 16;

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    constexpr std::size_t kFixed = ChannelTableHeader::kSize + 4; // header and end mark
    if (seed % kKeepCountsEvery == 0)
        return size;
    const std::size_t held = size > kFixed ? (size - kFixed) / 8 : 0;
    KeepCountNearTheFile(data, size, kAirCountOffset, held);
    KeepCountNearTheFile(data, size, kCableCountOffset, held);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("in.ccf", data, size);
    ChannelTable table(false);
    if (!table.Load(input.c_str()))
        std::abort(); // an existing file always loads
    CheckChannelTable(table, table.LastLoad(), [](const TableFinding& finding) {
        // A repeated frequency is never the first channel's, and the first
        // channel has no neighbour before it to be out of order against: its
        // only warning can be a value off the whole kHz.
        const bool bOffRaster = finding.message.find("is not a whole number of kHz") != std::string::npos;
        if (finding.message.empty() ||
            (finding.severity == FindingSeverity::Warning && finding.iPosition == 1 && !bOffRaster))
            std::abort();
    });

    // The frequencies read alone, as the coverage matrix reads other tables,
    // are the lists the load made, bit for bit; and each channel judged
    // alone, as the list's Check column judges it, names that channel.
    ChannelFileFrequencies alone;
    if (!ReadChannelFrequencies(input.c_str(), alone))
        std::abort();
    for (std::int32_t iMode : {ChannelModeAir, ChannelModeCable}) {
        const std::vector<double> loaded = ChannelFrequencies(table.Channels(iMode));
        const std::vector<double>& read = iMode == ChannelModeAir ? alone.air : alone.cable;
        const auto sameBits = [](double a, double b) { return StoredBits(a) == StoredBits(b); };
        if (!std::equal(read.begin(), read.end(), loaded.begin(), loaded.end(), sameBits))
            std::abort();
        const DuplicateFrequencies duplicates(loaded);
        // The band chart marks the same repeats, found by its own order.
        const BandChart chart(loaded, {});
        for (const ChartMark& mark : chart.Lane(ChannelModeAir).marks)
            if (mark.bRepeated !=
                (duplicates.OtherOf(static_cast<std::size_t>(mark.iChannel - 1)) != DuplicateFrequencies::kNone))
                std::abort();
        const auto judged = static_cast<std::int32_t>(std::min<std::size_t>(loaded.size(), 64));
        for (std::int32_t iChannel = 1; iChannel <= judged; ++iChannel)
            for (const TableFinding& finding : ChannelFindingsAt(loaded, duplicates, iMode, iChannel))
                if (finding.message.empty() || finding.iPosition != iChannel)
                    std::abort();
    }

    for (int mode : {ChannelModeAir, ChannelModeCable}) {
        std::int32_t lo = 0, hi = 0;
        table.GetRange(mode, &lo, &hi);
        const EntryList* list = table.GetList(mode);
        if (!list || list->iCount > ChannelTable::kMaxChannels)
            std::abort();
        table.GetFrequency(mode, hi);
        table.SetFrequency(mode, lo, 1.0);
        table.DeleteChannels(mode, {1, lo, hi});
        table.UpdateRange(mode);
    }

    const std::string output = FuzzFolder() + "/out.ccf";
    if (!table.Save(output.c_str()))
        std::abort();
    ChannelTable again(false);
    if (!again.Load(output.c_str()) || again.FileImage() != table.FileImage())
        std::abort(); // what was saved reads back the same

    std::vector<std::string> inMemory;
    std::vector<std::string> saved;
    CheckChannelTableInMemory(table, [&inMemory](const TableFinding& f) { inMemory.push_back(f.message); });
    CheckChannelTable(again, again.LastLoad(), [&saved](const TableFinding& f) { saved.push_back(f.message); });
    if (inMemory != saved)
        std::abort(); // the editor's check finds what the tool finds in the saved file
    return 0;
}
