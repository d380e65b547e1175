#pragma once
// The channel editor's list as the document holds it: per row its channel
// number and frequency, a mark where another channel of the list holds the
// same frequency (from the same duplicate index as the table check), and a
// description naming the channel a plan of the table's country gives it. One
// walk of the list makes a snapshot; a row's texts are made from it only when
// the row is drawn or read, so a list of 65,535 channels costs no more than
// the walk. The list is walked again only when its table, its version, the
// mode or the country changed.
//
// Beside the number and the frequency the list may show more columns (View >
// Columns): the plan channel a plan of the country gives the frequency ("E5",
// "S21"), the band of the chosen tuner that tunes it ("low 1", or "outside"),
// and the check's findings of that channel. Their cells too are made only
// for the rows drawn or read, from the same snapshot.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/ChannelTable.h"

class ChannelTableDocument;
class ListView;
class PlanLabels;
class PlanLibrary;

enum class ChannelColumn
{
    Plan,
    Band,
    Check,
};
// Each column's name in View > Columns and its heading: "Plan", "Band", "Check".
const char* ChannelColumnName(ChannelColumn column);
// The columns named in a text of names parted by commas, in the order of
// ChannelColumn; names the list does not know are passed over.
std::vector<ChannelColumn> ChannelColumnsOf(const QString& names);
QString ChannelColumnNames(const std::vector<ChannelColumn>& columns);

class ChannelRows
{
public:
    // library gives the editors' plans as they are now.
    ChannelRows(const ChannelTableDocument& document, ListView& list, std::function<const PlanLibrary&()> library);

    // The rows of the list shown, when they may have changed.
    void Show();

    // The labels of the table's country, read again only when the code changed.
    std::shared_ptr<const PlanLabels> CountryPlanLabels();

    // The columns shown after the frequency, in the order of ChannelColumn.
    void ShowColumns(std::vector<ChannelColumn> columns);
    // The columns chosen in an earlier run (EditorSettings.h).
    void ShowKeptColumns();
    // Shows the column, or no longer, and keeps the choice for later runs.
    void ToggleColumn(ChannelColumn column);
    const std::vector<ChannelColumn>& Columns() const { return m_columns; }
    bool Shows(ChannelColumn column) const;
    // The tuner whose bands the Band column names; none shows it empty.
    void JudgeAgainstTuner(std::optional<TunerBands> bands);

private:
    struct Shown
    {
        const ChannelTable* pTable = nullptr;
        std::uint64_t version = 0;
        std::int32_t iMode = ChannelModeNone;
        // The rows' plan labels follow the country.
        std::int32_t iCountryCode = 0;
        bool operator==(const Shown& other) const
        {
            return pTable == other.pTable && version == other.version && iMode == other.iMode &&
                   iCountryCode == other.iCountryCode;
        }
    };

    const ChannelTableDocument& m_document;
    ListView& m_list;
    std::function<const PlanLibrary&()> m_library;
    std::optional<Shown> m_shown;
    std::shared_ptr<const PlanLabels> m_pPlanLabels;
    std::int32_t m_iPlanLabelsCode = 0;
    std::vector<ChannelColumn> m_columns;
    std::shared_ptr<const TunerBands> m_pTuner;
};
