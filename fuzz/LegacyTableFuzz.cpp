// Old-table reading, the conversion into a channel table and its save.
#include "ChannelTable.h"
#include "FuzzSupport.h"
#include "LegacyChannelTable.h"

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
