// TNSP reading, then insertions in key order and a save, as the tuner editor does.
#include "FuzzSupport.h"
#include "TunerSpecTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteInput("in.tsf", data, size);
    TunerSpecTable table(false);
    table.Load(input.c_str());
    const EntryList* list = table.GetList();
    if (!list)
        std::abort(); // a load with a path always leaves a list
    // Records are made only while they start inside the file.
    if (static_cast<std::size_t>(list->iCount) > size / TunerSpecEntry::kSize + 1)
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
