// Filling a channel table from an old-generation table.

#include "tables/format/ChannelTable.h"

#include <new>
#include <optional>
#include <typeinfo>

#include "tables/format/LegacyChannelTable.h"

int ChannelTable::ConvertFromLegacy(const LegacyChannelTable* pLegacy)
{
    if (!pLegacy)
        return 0;
    const WholeListsRecord record(*this);

    // The channel ranges are taken over as the .cft table records them, not
    // recomputed from the frequencies, so that the converted table states the
    // same ranges as the table it came from.
    m_header.SetCountryCode(pLegacy->iCountryCode());
    m_header.SetAirMax(pLegacy->wAirMaxCh());
    m_header.SetAirMin(pLegacy->wAirMinCh());
    m_header.SetCableMax(pLegacy->wCableMaxCh());
    m_header.SetCableMin(pLegacy->wCableMinCh());

    // Success needs a copied air list; an empty old cable list leaves the
    // cable list as it was (absent in a table made without lists).
    int iResult = 0;
    const EntryList* pAir = pLegacy->GetList(ChannelModeAir);
    if (pAir && pAir->iCount > 0 && RenewList(ChannelModeAir))
        iResult = ConvertList(pAir, m_pAirList);
    const EntryList* pCable = pLegacy->GetList(ChannelModeCable);
    if (pCable && pCable->iCount > 0 && RenewList(ChannelModeCable))
        iResult = ConvertList(pCable, m_pCableList) && iResult;
    return iResult;
}

int ChannelTable::ConvertList(const EntryList* pLegacyList, EntryList* pChannelList)
{
    if (!pLegacyList || !pChannelList || pLegacyList == pChannelList)
        return 0;
    // A list longer than the file's 16-bit counts can record is refused whole.
    if (pLegacyList->iCount > kMaxChannels - pChannelList->iCount)
        return 0;

    // Only old entries are copied. An exact type check: a dynamic_cast per
    // node would cost more than the rest of the copy.
    const EntryNode* p = pLegacyList->pHead;
    const auto nextFrequency = [&p](std::size_t) -> std::optional<float> {
        if (!p || typeid(*p) != typeid(LegacyChannelNode))
            return std::nullopt;
        const float fFrequency = static_cast<const LegacyChannelNode*>(p)->fFrequency;
        p = p->pNext;
        return fFrequency;
    };
    // Widened exactly: 175.26f stays 175.2599945068359375, the float's own value.
    const auto widen = [](ChannelNode& node, float fFrequency) { node.dbFrequency = static_cast<double>(fFrequency); };

    EntryList::Appender append(*pChannelList);
    std::size_t left = static_cast<std::size_t>(pLegacyList->iCount);
    while (left > 0) {
        const auto run = ChannelNode::AllocateRun(left);
        // The copy ends where memory runs out or the list holds something else.
        if (!run.pFirst || AppendNodesInRun<ChannelNode>(append, run, nextFrequency, widen) < run.count)
            return 0;
        left -= run.count;
    }
    return 1;
}
