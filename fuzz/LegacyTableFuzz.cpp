// Old-table reading, the conversion into a channel table and its save.
#include "fuzz/FuzzSupport.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"

// The header's section sizes place the trailer, whose maxima say how many
// entries of each section become nodes.
constexpr std::size_t kAirSectionOffset = 24;
constexpr std::size_t kCableSectionOffset = 26;
constexpr std::size_t kAirMaxOffset = 2;   // in the trailer
constexpr std::size_t kCableMaxOffset = 6; // in the trailer

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % kKeepCountsEvery == 0 || size < LegacyChannelTable::kHeaderSize)
        return size;
    const std::size_t trailer =
        LegacyChannelTable::kHeaderSize +
        LegacyChannelTable::kEntrySize *
            (static_cast<std::size_t>(ReadCount(data + kAirSectionOffset)) + ReadCount(data + kCableSectionOffset));
    // Maxima beyond the end read as zero: no nodes.
    const std::size_t held = (size - LegacyChannelTable::kHeaderSize) / LegacyChannelTable::kEntrySize;
    KeepCountNearTheFile(data, size, trailer + kAirMaxOffset, held);
    KeepCountNearTheFile(data, size, trailer + kCableMaxOffset, held);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("in.cft", data, size);
    LegacyChannelTable legacy;
    if (!legacy.Load(input.c_str()))
        return 0;
    for (int mode : {ChannelModeAir, ChannelModeCable}) {
        const EntryList* list = legacy.GetList(mode);
        if (list && list->iCount > 65535)
            std::abort(); // the trailer maxima are 16-bit
    }
    ChannelTable table(false);
    if (!table.ConvertFromLegacy(&legacy))
        return 0;
    const std::string output = LegacyOutputPath(input);
    if (!table.Save(output.c_str()))
        std::abort();
    ChannelTable again(false);
    if (!again.Load(output.c_str()) || again.FileImage() != table.FileImage())
        std::abort();
    return 0;
}
