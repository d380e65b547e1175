// The channel table editor and the chosen tuner: Table > Check Against
// Tuner... (the choice is ChannelTunerCheck's), which the status line, Check
// Table and the band chart (ChannelBandChart.h) follow.

#include "tables/analysis/TunerCoverage.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelRows.h"
#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/chart/ChannelBandChart.h"
#include "ui/editor/EditorStatusLine.h"

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
    const std::optional<TunerBands> bands = chosen ? std::optional<TunerBands>(chosen->Bands()) : std::nullopt;
    // The summary follows the tuner as it follows the table: it judges the
    // table against the choice until another is made.
    if (m_pStatusLine) {
        m_pStatusLine->JudgeAgainstTuner(bands, chosen ? TunerCodesText(chosen->entry) : std::string());
        m_showStatusLine();
    }
    m_pRows->JudgeAgainstTuner(bands);
    m_pBandChart->ShowChart();
    emit TunerChosen();
}

CBandChartWindow* CFrequencyTableDlg::BandChartWindow() const
{
    return m_pBandChart->Window();
}

void CFrequencyTableDlg::OnBandChart()
{
    m_pBandChart->Show();
}
