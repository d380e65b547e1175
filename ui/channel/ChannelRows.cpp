#include "ui/channel/ChannelRows.h"

#include <vector>

#include "edit/ChannelTableDocument.h"
#include "platform/Printable.h"
#include "res/Strings.h"
#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/PlanLabels.h"
#include "ui/dialog/AccessibleNames.h"
#include "ui/dialog/ListView.h"
#include "ui/dialog/TextNumbers.h"

namespace {

using Frequencies = std::shared_ptr<const std::vector<double>>;

RowMarkFunction DuplicateMarks(const std::vector<double>& frequencies)
{
    auto duplicates = std::make_shared<const DuplicateFrequencies>(frequencies);
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

} // namespace

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
    RowMarkFunction marks = DuplicateMarks(*frequencies);
    const std::int32_t iMode = m_document.Mode();
    RowDescriptionFunction descriptions = iMode == ChannelModeAir || iMode == ChannelModeCable
                                              ? PlanLabelDescriptions(CountryPlanLabels(), frequencies, iMode)
                                              : nullptr;
    m_list.SetRows(
        rows,
        [frequencies = std::move(frequencies)](int row, int column) {
            if (column == 0)
                return QString::asprintf("%03i", row + 1);
            return ListFrequencyText((*frequencies)[static_cast<std::size_t>(row)]);
        },
        std::move(marks), SpokenChannelCell, std::move(descriptions));
}
