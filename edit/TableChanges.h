#pragma once
// What one step of an editor's history did to its table, as recorded while
// the command ran: the splices of the table's lists in the order they were
// made and at most one other table put in place. Undo applies the splices in
// reverse with removed and inserted exchanged, redo applies them again; a
// table put in place is held by the step and exchanged with the document's.
// Nothing is compared and nothing a command says is trusted: every change
// of a list reaches the step through the table's recorder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "tables/format/ListRecorder.h"

// What a document keeps beside a table of its own (none by default); a step
// that holds a table holds this with it.
struct NoTableState
{
};

template <class Table, class Value, class TableState = NoTableState> class TableChanges
{
public:
    using Splice = ListSplice<Value>;

    bool Empty() const { return !m_bExchangesTable && m_splices.empty(); }
    bool ExchangesTable() const { return m_bExchangesTable; }
    const std::vector<Splice>& Splices() const { return m_splices; }
    // The table the step replaced, while the step is made.
    const Table* Held() const { return m_pHeld.get(); }

    // A change of the table in place now. One that goes on where the one
    // before ended (entries added one after another) joins it.
    void Add(Splice splice)
    {
        if (m_splices.size() > FirstOfCurrentTable()) {
            Splice& last = m_splices.back();
            if (last.iList == splice.iList &&
                splice.iStart == last.iStart + static_cast<std::int32_t>(last.inserted.size())) {
                last.removed.insert(last.removed.end(), splice.removed.begin(), splice.removed.end());
                last.inserted.insert(last.inserted.end(), splice.inserted.begin(), splice.inserted.end());
                return;
            }
        }
        m_splices.push_back(std::move(splice));
    }

    // Another table takes the place of current: the first one the step
    // replaced is held for undo; a second one put in place in the same step
    // drops the one before it, and what was made on it.
    void PutTable(std::unique_ptr<Table>& current, std::unique_ptr<Table> next, TableState& currentState)
    {
        if (!m_bExchangesTable) {
            m_bExchangesTable = true;
            m_iSwapAt = m_splices.size();
            m_pHeld = std::move(current);
            m_heldState = std::move(currentState);
        } else {
            m_splices.resize(m_iSwapAt);
        }
        current = std::move(next);
        currentState = TableState();
    }

    // The step is complete: a held table is counted at the larger of the
    // two, so that the history's count stays right whichever one it holds.
    template <class TableBytes> void Finish(const Table* pCurrent, TableBytes tableBytes)
    {
        if (!m_bExchangesTable)
            m_iSwapAt = m_splices.size();
        else
            m_iHeldBytes = std::max(tableBytes(m_pHeld.get()), tableBytes(pCurrent));
    }

    std::size_t Bytes() const
    {
        std::size_t bytes = m_splices.capacity() * sizeof(Splice) + m_iHeldBytes;
        for (const Splice& splice : m_splices)
            bytes += splice.Bytes() - sizeof(Splice);
        return bytes;
    }

    // Undo (backwards) or redo (forwards) on the document's table and its
    // state; recorder is what the tables tell while no history step is
    // applied, and applied(splice, bForward) is told each splice put back.
    // False, with the table as it was, when memory ran out.
    template <class Applied>
    bool Apply(std::unique_ptr<Table>& current, TableState& currentState, bool bForward, ListRecorder<Value>* pRecorder,
               Applied applied)
    {
        const auto swap = [&] {
            std::swap(current, m_pHeld);
            std::swap(currentState, m_heldState);
        };
        const auto applySplices = [&](Table* pTable, std::size_t from, std::size_t to, bool bForwards,
                                      ListRecorder<Value>* pTold) {
            return ApplySplices(pTable, from, to, bForwards, pTold, applied);
        };
        const std::size_t iEnd = m_splices.size();
        // The splices made on a table the step put in place are taken back
        // before it goes, and made again once it is back.
        if (bForward) {
            if (!applySplices(current.get(), 0, m_iSwapAt, true, pRecorder))
                return false;
            if (m_bExchangesTable) {
                swap();
                if (!applySplices(current.get(), m_iSwapAt, iEnd, true, pRecorder)) {
                    swap();
                    applySplices(current.get(), 0, m_iSwapAt, false, pRecorder);
                    return false;
                }
            }
            return true;
        }
        if (m_bExchangesTable) {
            if (!applySplices(current.get(), m_iSwapAt, iEnd, false, pRecorder))
                return false;
            swap();
        }
        if (!applySplices(current.get(), 0, m_iSwapAt, false, pRecorder)) {
            if (m_bExchangesTable) {
                swap();
                applySplices(current.get(), m_iSwapAt, iEnd, true, pRecorder);
            }
            return false;
        }
        return true;
    }

private:
    std::size_t FirstOfCurrentTable() const { return m_bExchangesTable ? m_iSwapAt : 0; }

    // The splices [from, to), forwards from the first or backwards from the
    // last; out of memory, those applied are put back.
    template <class Applied>
    bool ApplySplices(Table* pTable, std::size_t from, std::size_t to, bool bForward, ListRecorder<Value>* pRecorder,
                      Applied& onApplied)
    {
        if (from == to)
            return true;
        if (!pTable)
            return false;
        const auto apply = [pTable, &onApplied](const Splice& splice, bool bForwards) {
            const std::vector<Value>& gone = bForwards ? splice.removed : splice.inserted;
            if (!pTable->PutBack(splice.iList, splice.iStart, static_cast<std::int32_t>(gone.size()),
                                 bForwards ? splice.inserted : splice.removed))
                return false;
            onApplied(splice, bForwards);
            return true;
        };
        const auto nth = [&](std::size_t k) -> const Splice& { return m_splices[bForward ? from + k : to - 1 - k]; };
        // What the history puts back is no change to record.
        pTable->SetRecorder(nullptr);
        std::size_t applied = 0;
        while (applied < to - from && apply(nth(applied), bForward))
            ++applied;
        const bool bWhole = applied == to - from;
        while (!bWhole && applied > 0)
            apply(nth(--applied), !bForward);
        pTable->SetRecorder(pRecorder);
        return bWhole;
    }

    std::vector<Splice> m_splices;
    bool m_bExchangesTable = false;
    // The splices from here on were made on the table the step put in place.
    std::size_t m_iSwapAt = 0;
    std::unique_ptr<Table> m_pHeld;
    TableState m_heldState;
    std::size_t m_iHeldBytes = 0;
};
