#pragma once
// The channel editor's list as the document holds it: per row its channel
// number and frequency, a mark where another channel of the list holds the
// same frequency (from the same duplicate index as the table check), and a
// description naming the channel a plan of the table's country gives it. One
// walk of the list makes a snapshot; a row's texts are made from it only when
// the row is drawn or read, so a list of 65,535 channels costs no more than
// the walk. The list is walked again only when its table, its version, the
// mode or the country changed.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "tables/format/ChannelTable.h"

class ChannelTableDocument;
class ListView;
class PlanLabels;
class PlanLibrary;

class ChannelRows
{
public:
    // library gives the editors' plans as they are now.
    ChannelRows(const ChannelTableDocument& document, ListView& list, std::function<const PlanLibrary&()> library);

    // The rows of the list shown, when they may have changed.
    void Show();

    // The labels of the table's country, read again only when the code changed.
    std::shared_ptr<const PlanLabels> CountryPlanLabels();

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
};
