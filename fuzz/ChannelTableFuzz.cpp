// CHFQ reading, then the edits and the save a person would make on what was read.
#include <vector>

#include "ChannelTable.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("in.ccf", data, size);
    ChannelTable table(false);
    if (!table.Load(input.c_str()))
        std::abort(); // an existing file always loads

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
    return 0;
}
