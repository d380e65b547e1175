#include "ui/channel/ChannelTableCheck.h"

#include <utility>

#include "edit/ChannelTableDocument.h"
#include "tables/analysis/TableChecks.h"

ChannelTableCheck::ChannelTableCheck(ChannelTableDocument& document, QWidget& owner, TunerFindingsSource tunerFindings,
                                     std::function<void(std::int32_t, std::int32_t)> activate)
    : EditorTableCheck(owner, std::move(activate)), m_document(document), m_tunerFindings(std::move(tunerFindings))
{
    // The document lives as long as the editor, and this part with it.
    m_document.Subscribe([this](const DocumentNews& news) { Follow(news); });
}

bool ChannelTableCheck::HasTable() const
{
    return m_document.HasTable();
}

std::vector<TableFinding> ChannelTableCheck::Findings() const
{
    std::vector<TableFinding> findings;
    if (m_document.HasTable())
        CheckChannelTableInMemory(*m_document.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    return findings;
}

void ChannelTableCheck::Fill(CTableFindingsWindow& window) const
{
    window.SetFindings(Findings(), FindingKind::Channel, m_tunerFindings());
}
