// File > Import... in the channel table editor: a whole table from JSON, or
// one list from CSV, each one step (the files are read by TableTransfer).
#include <utility>

#include "edit/ChannelTableDocument.h"

bool ChannelTableDocument::Import(std::unique_ptr<ChannelTable> pTable)
{
    const StepScope step = BeginStep("Import");
    // Undo and redo put lists back into both lists of the table held.
    if (!pTable || !pTable->GetList(ChannelModeAir) || !pTable->GetList(ChannelModeCable))
        return false;
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    PutTable(std::move(pTable));
    m_iTableOrigin = TableOriginLoaded;
    m_source.clear();
    // No table file holds it: "Save" asks for one.
    m_saveFile.Clear();
    SetMode(ChannelModeAir);
    Announce(DocumentChange::Replaced);
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
    const StepScope step = BeginStep(pszStep);
    const EntryList* pList = m_pTable ? m_pTable->GetList(iMode) : nullptr;
    if (!pList || frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels))
        return false;
    // One splice, which leaves the list as it was when memory runs out, and
    // the range of the whole new list, as appending its channels computes it.
    return m_pTable->ReplaceRun(iMode, 0, pList->iCount, frequencies);
}
