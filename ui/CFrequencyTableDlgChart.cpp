// Table > Band Chart of the channel table editor: the chart's window beside
// the editor, following every change of the document (undo and redo
// included) and of the chosen tuner; a click on a mark selects its row.

#include <QFile>
#include <QFileInfo>

#include "CBandChartWindow.h"
#include "CFrequencyTableDlg.h"
#include "PlanLabels.h"
#include "TableJson.h"

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

} // namespace

CBandChartWindow* CFrequencyTableDlg::BandChartWindow() const
{
    return m_pBandChart;
}

void CFrequencyTableDlg::OnBandChart()
{
    if (!m_pBandChart) {
        m_pBandChart = new CBandChartWindow(Services(), this);
        m_pBandChart->onActivate = [this](std::int32_t iList, std::int32_t iChannel) { ShowFinding(iList, iChannel); };
        // The chart listens as every view does; the document lives as long
        // as the editor and the window with it.
        m_document.Subscribe([this](const DocumentNews& news) {
            // Another table is told as an edit of every list once it is in
            // place; a save changes no list, only the name the chart shows.
            if (news.change == DocumentChange::Edited && news.ChangedTable())
                ShowBandChart();
            else if (news.change == DocumentChange::Edited)
                ShowBandChartName();
        });
        connect(this, &CFrequencyTableDlg::TunerChosen, m_pBandChart, [this] { ShowBandChart(); });
    }
    m_pBandChart->ShowWindow();
    ShowBandChart();
}

void CFrequencyTableDlg::ShowBandChartName()
{
    if (!m_pBandChart || !m_pBandChart->isVisible())
        return;
    const TableFileNames names = FileNamesOf(m_document);
    m_pBandChart->SetTitleName(TableName(names), names);
}

void CFrequencyTableDlg::ShowBandChart()
{
    // A closed chart is brought up to date when it is opened again.
    if (!m_pBandChart || !m_pBandChart->isVisible())
        return;
    const TableFileNames names = FileNamesOf(m_document);
    std::optional<ChartTuner> tuner;
    if (m_chosenTuner)
        tuner = ChartTuner{m_chosenTuner->entry, m_chosenTuner->Title()};
    const ChannelTable* pTable = m_document.Table();
    if (!pTable) {
        m_pBandChart->SetChart(BandChart({}, {}, tuner), TableName(names), names);
        return;
    }
    // The marks name the channels the country's plans give, as the rows' tooltips do.
    const std::shared_ptr<const PlanLabels> labels = CountryPlanLabels();
    m_pBandChart->SetChart(
        BandChart(ChannelFrequencies(pTable->Channels(ChannelModeAir)),
                  ChannelFrequencies(pTable->Channels(ChannelModeCable)), tuner,
                  [&labels](std::int32_t iList, double dbFrequency) { return labels->Label(iList, dbFrequency); }),
        TableName(names), names);
}
