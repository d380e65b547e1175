// File > Import... in the tuner editor: a whole table from JSON, one step
// (the file is read by TableTransfer).
#include <utility>

#include "edit/TunerTableDocument.h"

bool TunerTableDocument::Import(std::unique_ptr<TunerSpecTable> pTable)
{
    const StepScope step = BeginStep("Import");
    if (!pTable || !pTable->GetList())
        return false;
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    PutTable(std::move(pTable));
    m_source.clear();
    // No table file holds it: "Save" asks for one.
    m_saveFile.Clear();
    Announce(DocumentChange::Replaced);
    return true;
}
