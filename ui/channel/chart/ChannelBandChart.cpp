#include "ui/channel/chart/ChannelBandChart.h"

#include <QFile>
#include <QFileInfo>

#include "edit/ChannelTableDocument.h"
#include "tables/catalogue/PlanLabels.h"
#include "tables/text/TableJson.h"
#include "ui/channel/ChannelRows.h"
#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/chart/CBandChartWindow.h"

namespace {

// What the window's title names: the table's file, or for a table of no file
// the name Save As would propose.
QString TableName(const TableFileNames& names)
{
    if (!names.savePath.empty())
        return QFileInfo(QFile::decodeName(QByteArray::fromStdString(names.savePath))).fileName();
    if (!names.newTableName.isEmpty())
        return names.newTableName + QStringLiteral(".ccf");
    return QStringLiteral("Untitled");
}

// The marks name the channels the country's plans give, as the rows' tooltips do.
ChannelLabelFunction MarkLabels(const std::shared_ptr<const PlanLabels>& labels)
{
    return [labels](std::int32_t iList, double dbFrequency) { return labels->Label(iList, dbFrequency); };
}

} // namespace

ChannelBandChart::ChannelBandChart(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                   const ChannelTunerCheck& tunerCheck, ChannelRows& rows,
                                   std::function<void(std::int32_t, std::int32_t)> activate)
    : m_document(document), m_services(services), m_owner(owner), m_tunerCheck(tunerCheck), m_rows(rows),
      m_activate(std::move(activate))
{
}

ChannelBandChart::~ChannelBandChart()
{
    if (m_iListener)
        m_document.Unsubscribe(m_iListener);
}

CBandChartWindow* ChannelBandChart::Window() const
{
    return m_pWindow;
}

void ChannelBandChart::Show()
{
    if (!m_pWindow) {
        m_pWindow = new CBandChartWindow(m_services, &m_owner);
        m_pWindow->onActivate = m_activate;
        // The chart listens as every view does. Another table is told as an
        // edit of every list once it is in place; a save changes no list,
        // only the name the chart shows.
        if (!m_iListener)
            m_iListener = m_document.Subscribe([this](const DocumentNews& news) {
                if (news.change == DocumentChange::Edited && news.ChangedTable())
                    FollowEdit(news);
                else if (news.change == DocumentChange::Edited)
                    ShowName();
            });
    }
    m_pWindow->ShowWindow();
    ShowChart();
}

void ChannelBandChart::ShowName()
{
    if (!m_pWindow || !m_pWindow->isVisible())
        return;
    const TableFileNames names = FileNamesOf(m_document);
    m_pWindow->SetTitleName(TableName(names), names);
}

void ChannelBandChart::FollowEdit(const DocumentNews& news)
{
    // An edit of one list changes only that list's lane: the other one and
    // the tuner stay, and so do the labels while the country's plans do (a
    // header's counts change with the list; its country may not).
    const bool bAir = news.ChangedList(ChannelModeAir);
    const bool bCable = news.ChangedList(ChannelModeCable);
    const ChannelTable* pTable = m_document.Table();
    const std::shared_ptr<const PlanLabels> labels = m_rows.CountryPlanLabels();
    if (!m_pWindow || !m_pWindow->isVisible() || !pTable || news.bAllLists || bAir == bCable ||
        labels != m_chartLabels) {
        ShowChart();
        return;
    }
    const std::int32_t iList = bAir ? ChannelModeAir : ChannelModeCable;
    m_pWindow->RemakeLane(iList, ChannelFrequencies(pTable->Channels(iList)), MarkLabels(labels));
    if (news.bHeaderChanged)
        ShowName();
}

void ChannelBandChart::ShowChart()
{
    if (!m_pWindow || !m_pWindow->isVisible())
        return;
    const TableFileNames names = FileNamesOf(m_document);
    std::optional<ChartTuner> tuner;
    if (const std::optional<TunerChoice>& chosen = m_tunerCheck.Chosen())
        tuner = ChartTuner{chosen->entry, chosen->Title()};
    const ChannelTable* pTable = m_document.Table();
    if (!pTable) {
        m_chartLabels.reset();
        m_pWindow->SetChart(BandChart({}, {}, tuner), TableName(names), names);
        return;
    }
    m_chartLabels = m_rows.CountryPlanLabels();
    m_pWindow->SetChart(BandChart(ChannelFrequencies(pTable->Channels(ChannelModeAir)),
                                  ChannelFrequencies(pTable->Channels(ChannelModeCable)), tuner,
                                  MarkLabels(m_chartLabels)),
                        TableName(names), names);
}
