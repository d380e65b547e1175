#include "ui/channel/ChannelRows.h"

#include <algorithm>
#include <vector>

#include <QStringList>

#include "edit/ChannelTableDocument.h"
#include "platform/Printable.h"
#include "res/Strings.h"
#include "tables/analysis/BandChart.h"
#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/analysis/TableChecks.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/PlanLabels.h"
#include "ui/dialog/AccessibleNames.h"
#include "ui/dialog/ListView.h"
#include "ui/dialog/TextNumbers.h"
#include "ui/editor/EditorSettings.h"

namespace {

// The number and the frequency come first, as they always did.
constexpr int kFirstExtraColumn = 2;
const QString kColumnsSetting = QStringLiteral("channel-list/columns");

using Frequencies = std::shared_ptr<const std::vector<double>>;

using Duplicates = std::shared_ptr<const DuplicateFrequencies>;

RowMarkFunction DuplicateMarks(const Duplicates& duplicates)
{
    if (!duplicates->Any())
        return nullptr;
    return [duplicates](int row) {
        const std::int32_t other = duplicates->OtherOf(static_cast<std::size_t>(row));
        if (other == DuplicateFrequencies::kNone)
            return RowMark{};
        return RowMark{RowMark::Kind::Warning, QString::fromLatin1(kSameFrequencyNote).arg(other + 1)};
    };
}

// Made only for the row a tooltip or a screen reader asks about; null when
// no plan of the country names any frequency.
RowDescriptionFunction PlanLabelDescriptions(std::shared_ptr<const PlanLabels> labels, Frequencies frequencies,
                                             std::int32_t iMode)
{
    if (labels->Empty())
        return nullptr;
    return [labels = std::move(labels), frequencies = std::move(frequencies), iMode](int row) {
        const std::optional<PlanLabels::Match> match =
            labels->Find(iMode, (*frequencies)[static_cast<std::size_t>(row)]);
        if (!match)
            return QString();
        return QString::fromLatin1(match->bBroadcastPlan ? kBroadcastPlanChannelNote : kCablePlanChannelNote)
            .arg(QString::fromStdString(PrintableText(match->label)),
                 QString::fromStdString(PrintableText(match->planName)));
    };
}

// What the snapshot of a list needs to make the cells of the columns beyond
// the number and the frequency, one cell at a time.
struct ExtraCells
{
    std::vector<ChannelColumn> columns;
    Frequencies frequencies;
    Duplicates duplicates;
    std::shared_ptr<const PlanLabels> labels;
    std::shared_ptr<const TunerBands> tuner;
    std::int32_t iMode = ChannelModeNone;

    QString Text(int row, ChannelColumn column) const
    {
        const double dbFrequency = (*frequencies)[static_cast<std::size_t>(row)];
        switch (column) {
        case ChannelColumn::Plan: {
            const std::optional<std::string> label = labels->Label(iMode, dbFrequency);
            return label ? QString::fromStdString(PrintableText(*label)) : QString();
        }
        case ChannelColumn::Band: {
            if (!tuner || !IsChannelFrequency(dbFrequency))
                return QString();
            const std::optional<TunerBand> band = tuner->BandOf(dbFrequency);
            return band ? QString::fromStdString(TunerSpanCaption(*band, tuner->Span(*band).wCode))
                        : QString::fromLatin1(kOutsideTunerCell);
        }
        case ChannelColumn::Check: {
            QStringList findings;
            for (const TableFinding& finding : ChannelFindingsAt(*frequencies, *duplicates, iMode, row + 1))
                findings << QString::fromStdString(PrintableText(finding.message));
            return findings.join(QStringLiteral("; "));
        }
        }
        return QString();
    }
};

} // namespace

const char* ChannelColumnName(ChannelColumn column)
{
    switch (column) {
    case ChannelColumn::Plan: return "Plan";
    case ChannelColumn::Band: return "Band";
    case ChannelColumn::Check: return "Check";
    }
    return "";
}

std::vector<ChannelColumn> ChannelColumnsOf(const QString& names)
{
    const QStringList named = names.split(QLatin1Char(','));
    std::vector<ChannelColumn> columns;
    for (ChannelColumn column : {ChannelColumn::Plan, ChannelColumn::Band, ChannelColumn::Check}) {
        if (named.contains(QString::fromLatin1(ChannelColumnName(column)), Qt::CaseInsensitive))
            columns.push_back(column);
    }
    return columns;
}

QString ChannelColumnNames(const std::vector<ChannelColumn>& columns)
{
    QStringList names;
    for (ChannelColumn column : columns)
        names << QString::fromLatin1(ChannelColumnName(column)).toLower();
    return names.join(QLatin1Char(','));
}

ChannelRows::ChannelRows(const ChannelTableDocument& document, ListView& list,
                         std::function<const PlanLibrary&()> library)
    : m_document(document), m_list(list), m_library(std::move(library))
{
}

std::shared_ptr<const PlanLabels> ChannelRows::CountryPlanLabels()
{
    const std::int32_t iCode = m_document.CountryCode();
    if (m_pPlanLabels && iCode == m_iPlanLabelsCode)
        return m_pPlanLabels;
    // No country has a code below 1: the plans are not looked at for it.
    m_pPlanLabels =
        std::make_shared<const PlanLabels>(iCode < 1 ? PlanLabels() : PlanLabels::ForCountry(iCode, m_library()));
    m_iPlanLabelsCode = iCode;
    return m_pPlanLabels;
}

bool ChannelRows::Shows(ChannelColumn column) const
{
    return std::find(m_columns.begin(), m_columns.end(), column) != m_columns.end();
}

void ChannelRows::ShowColumns(std::vector<ChannelColumn> columns)
{
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    if (columns == m_columns)
        return;
    m_columns = std::move(columns);
    m_list.RemoveColumnsFrom(kFirstExtraColumn);
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        m_list.InsertColumn(kFirstExtraColumn + static_cast<int>(i),
                            QString::fromLatin1(ChannelColumnName(m_columns[i])), LVCFMT_LEFT,
                            m_columns[i] == ChannelColumn::Check ? 240 : 70);
    m_shown.reset();
    Show();
}

void ChannelRows::ShowKeptColumns()
{
    ShowColumns(ChannelColumnsOf(EditorSetting(kColumnsSetting)));
}

void ChannelRows::ToggleColumn(ChannelColumn column)
{
    std::vector<ChannelColumn> columns = m_columns;
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (at == columns.end())
        columns.push_back(column);
    else
        columns.erase(at);
    ShowColumns(std::move(columns));
    SetEditorSetting(kColumnsSetting, ChannelColumnNames(m_columns));
}

void ChannelRows::JudgeAgainstTuner(std::optional<TunerBands> bands)
{
    m_pTuner = bands ? std::make_shared<const TunerBands>(*bands) : nullptr;
    if (Shows(ChannelColumn::Band)) {
        m_shown.reset();
        Show();
    }
}

void ChannelRows::Show()
{
    const Shown now{m_document.Table(), m_document.ListVersion(), m_document.Mode(), m_document.CountryCode()};
    if (m_shown && *m_shown == now)
        return;
    m_shown = now;
    if (!m_document.HasTable()) {
        m_list.SetRows(0, [](int, int) { return QString(); });
        return;
    }
    auto frequencies = std::make_shared<const std::vector<double>>(m_document.CurrentFrequencies());
    const int rows = static_cast<int>(frequencies->size());
    auto duplicates = std::make_shared<const DuplicateFrequencies>(*frequencies);
    RowMarkFunction marks = DuplicateMarks(duplicates);
    const std::int32_t iMode = m_document.Mode();
    const bool bList = iMode == ChannelModeAir || iMode == ChannelModeCable;
    std::shared_ptr<const PlanLabels> labels = bList ? CountryPlanLabels() : std::make_shared<const PlanLabels>();
    RowDescriptionFunction descriptions = bList ? PlanLabelDescriptions(labels, frequencies, iMode) : nullptr;
    auto extra = std::make_shared<const ExtraCells>(
        ExtraCells{m_columns, frequencies, std::move(duplicates), std::move(labels), m_pTuner, iMode});
    m_list.SetRows(
        rows,
        [extra = std::move(extra)](int row, int column) {
            if (column == 0)
                return QString::asprintf("%03i", row + 1);
            if (column == 1)
                return ListFrequencyText((*extra->frequencies)[static_cast<std::size_t>(row)]);
            const auto at = static_cast<std::size_t>(column - kFirstExtraColumn);
            return at < extra->columns.size() ? extra->Text(row, extra->columns[at]) : QString();
        },
        std::move(marks), SpokenChannelCell, std::move(descriptions));
}
