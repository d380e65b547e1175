// TNSP reading, then insertions in key order and a save, as the tuner editor does.
#include "fuzz/FuzzSupport.h"
#include "tables/format/TunerSpecTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("in.tsf", data, size);
    TunerSpecTable table(false);
    std::vector<std::uint8_t> bytesRead;
    table.Load(input.c_str(), nullptr, NonRegularFiles::Refuse, &bytesRead);
    // The bytes handed back stand for the table's image, which the editor
    // shows and checks without making it again.
    if (!bytesRead.empty() && bytesRead != table.FileImage())
        std::abort();
    const EntryList* list = table.GetList();
    if (!list)
        std::abort(); // a load with a path always leaves a list
    // Every entry a count up to the largest table states is made, whatever
    // the file holds; a larger count is refused and leaves the table empty.
    const std::int32_t iStated = table.LastLoad().header.iEntryCount();
    const bool bMadeAsStated = iStated > 0 && iStated <= TunerSpecTable::kMaxEntries;
    if (list->iCount > TunerSpecTable::kMaxEntries || (bMadeAsStated && list->iCount != iStated) ||
        (!bMadeAsStated && list->iCount != 0))
        std::abort();

    for (std::int32_t factory : {0x01, 0x12, -5, 0x7FFFFFFF}) {
        auto* node = new TunerSpecNode;
        node->entry.SetFactory(factory);
        node->entry.SetTunerType(factory ^ 0x31);
        node->entry.SetLowBandStart(48.25);
        table.InsertInOrder(node);
    }
    table.RemoveEntry(2);
    const std::string output = FuzzFolder() + "/out.tsf";
    FileError error;
    if (!table.Save(output.c_str(), &error) && error.code != 0)
        std::abort();
    return 0;
}
