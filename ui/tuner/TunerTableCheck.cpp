#include "ui/tuner/TunerTableCheck.h"

#include <utility>

#include "edit/TunerTableDocument.h"
#include "tables/analysis/TableChecks.h"

TunerTableCheck::TunerTableCheck(TunerTableDocument& document, QWidget& owner,
                                 std::function<void(std::int32_t)> activate)
    : EditorTableCheck(owner,
                       [activate = std::move(activate)](std::int32_t, std::int32_t iEntry) { activate(iEntry); }),
      m_document(document)
{
    // The document lives as long as the editor, and this part with it.
    m_document.Subscribe([this](const DocumentNews& news) { Follow(news); });
}

bool TunerTableCheck::HasTable() const
{
    return m_document.HasTable();
}

void TunerTableCheck::Fill(CTableFindingsWindow& window) const
{
    // The findings of the file saving the table now would write; their texts
    // are made as the window shows them.
    window.SetFindings(m_document.HasTable() ? TunerTableFindings(*m_document.SharedFileImage())
                                             : TunerTableFindings());
}
