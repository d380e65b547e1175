// File > Import... in the channel table editor: a whole table from JSON, or
// one list from CSV, each one step (the files are read by TableTransfer).
#include <cstring>
#include <utility>

#include "ChannelTableDocument.h"

bool ChannelTableDocument::Import(std::unique_ptr<ChannelTable> pTable)
{
    const StepScope step = BeginStep("Import", NoLists);
    // Undo and redo put lists back into both lists of the table held.
    if (!pTable || !pTable->GetList(ChannelModeAir) || !pTable->GetList(ChannelModeCable))
        return false;
    if (m_pTable)
        Changed(DocumentChange::AboutToReplace);
    PutTable(std::move(pTable));
    m_iTableOrigin = TableOriginLoaded;
    m_source.clear();
    // No table file holds it: "Save" asks for one.
    m_saveFile.Clear();
    SetMode(ChannelModeAir);
    Changed(DocumentChange::Replaced);
    return true;
}

bool ChannelTableDocument::ReplaceList(std::int32_t iMode, const std::vector<double>& frequencies)
{
    return ReplaceListAs("Import", iMode, frequencies);
}

bool ChannelTableDocument::ReplaceListAs(const char* pszStep, std::int32_t iMode,
                                         const std::vector<double>& frequencies)
{
    if (iMode != ChannelModeAir && iMode != ChannelModeCable)
        return false;
    const StepScope step = BeginStep(pszStep, iMode == ChannelModeAir ? AirList : CableList);
    const EntryList* pList = m_pTable ? m_pTable->GetList(iMode) : nullptr;
    if (!pList || frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels))
        return false;
    // One splice, which leaves the list as it was when memory runs out.
    const auto write = [](ChannelNode& node, double dbFrequency) { node.dbFrequency = dbFrequency; };
    if (!m_pTable->ReplaceChannels(iMode, 0, pList->iCount, frequencies, write))
        return false;
    // The range of the whole new list, as appending its channels computes it.
    m_pTable->UpdateRange(iMode);
    // The step's end takes the list from here rather than walking its nodes.
    std::vector<FrequencyBits> bits(frequencies.size());
    if (!frequencies.empty())
        std::memcpy(bits.data(), frequencies.data(), frequencies.size() * sizeof(double));
    m_iKnownMode = iMode;
    m_knownAfter = std::move(bits);
    return true;
}
