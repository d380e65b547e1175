#include "ui/channel/ChannelTableCheck.h"

#include <utility>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "edit/ChannelTableDocument.h"
#include "tables/analysis/TableChecks.h"

ChannelTableCheck::ChannelTableCheck(ChannelTableDocument& document, QWidget& owner, TunerFindingsSource tunerFindings,
                                     std::function<void(std::int32_t, std::int32_t)> activate)
    : QObject(&owner), m_document(document), m_owner(owner), m_tunerFindings(std::move(tunerFindings)),
      m_activate(std::move(activate))
{
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);
    m_pTimer->setInterval(150);
    connect(m_pTimer, &QTimer::timeout, this, [this] { Refresh(); });
    // The document lives as long as the editor, and this part with it.
    m_document.Subscribe([this](const DocumentNews& news) { Follow(news); });
}

std::vector<TableFinding> ChannelTableCheck::Findings() const
{
    std::vector<TableFinding> findings;
    if (m_document.HasTable())
        CheckChannelTableInMemory(*m_document.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    return findings;
}

void ChannelTableCheck::Show()
{
    if (!m_document.HasTable())
        return;
    if (!m_pWindow) {
        m_pWindow = new CTableFindingsWindow(&m_owner);
        m_pWindow->onActivate = [this](int list, int position) { m_activate(list, position); };
    }
    m_pWindow->ShowFindings(Findings(), FindingKind::Channel, m_tunerFindings());
}

void ChannelTableCheck::Follow(const DocumentNews& news)
{
    if (m_pWindow && m_pWindow->isVisible() && news.change == DocumentChange::Edited && news.ChangedTable())
        m_pTimer->start();
}

void ChannelTableCheck::Refresh()
{
    if (m_pWindow && m_pWindow->isVisible())
        m_pWindow->SetFindings(Findings(), FindingKind::Channel, m_tunerFindings());
}
