// The channel table editor and the chosen tuner: Table > Check Against
// Tuner... (the choice is ChannelTunerCheck's), and Table > Band Chart, the
// chart's window beside the editor, following every change of the document
// (undo and redo included) and of the chosen tuner; a click on a mark
// selects its row.

#include <QFile>
#include <QFileInfo>

#include "tables/analysis/TunerCoverage.h"
#include "tables/catalogue/PlanLabels.h"
#include "tables/text/TableJson.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelRows.h"
#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/chart/CBandChartWindow.h"
#include "ui/editor/EditorStatusLine.h"

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

const std::optional<TunerChoice>& CFrequencyTableDlg::ChosenTuner() const
{
    return m_pTunerCheck->Chosen();
}

void CFrequencyTableDlg::SetCataloguePath(const std::string& path)
{
    m_pTunerCheck->SetCataloguePath(path);
}

void CFrequencyTableDlg::OnCheckAgainstTuner()
{
    if (!m_document.HasTable())
        return;
    if (std::optional<TunerChoice> choice = m_pTunerCheck->AskTuner())
        CheckAgainstTuner(std::move(*choice));
}

void CFrequencyTableDlg::CheckAgainstTuner(TunerChoice choice)
{
    ChooseTuner(std::move(choice));
    // The findings as Check Table shows them, now with the tuner's.
    OnCheckTable();
}

void CFrequencyTableDlg::ChooseTuner(std::optional<TunerChoice> choice)
{
    m_pTunerCheck->Choose(std::move(choice));
    const std::optional<TunerChoice>& chosen = m_pTunerCheck->Chosen();
    // The summary follows the tuner as it follows the table: it judges the
    // table against the choice until another is made.
    if (m_pStatusLine) {
        m_pStatusLine->JudgeAgainstTuner(chosen ? std::optional<TunerBands>(chosen->Bands()) : std::nullopt,
                                         chosen ? TunerCodesText(chosen->entry) : std::string());
        ShowStatusLine();
    }
    emit TunerChosen();
}

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
    if (const std::optional<TunerChoice>& chosen = m_pTunerCheck->Chosen())
        tuner = ChartTuner{chosen->entry, chosen->Title()};
    const ChannelTable* pTable = m_document.Table();
    if (!pTable) {
        m_pBandChart->SetChart(BandChart({}, {}, tuner), TableName(names), names);
        return;
    }
    // The marks name the channels the country's plans give, as the rows' tooltips do.
    const std::shared_ptr<const PlanLabels> labels = m_pRows->CountryPlanLabels();
    m_pBandChart->SetChart(
        BandChart(ChannelFrequencies(pTable->Channels(ChannelModeAir)),
                  ChannelFrequencies(pTable->Channels(ChannelModeCable)), tuner,
                  [&labels](std::int32_t iList, double dbFrequency) { return labels->Label(iList, dbFrequency); }),
        TableName(names), names);
}
