#pragma once
// Undo and redo for the editors' documents. A command is one step, however
// many records it touches: before it runs, the document notes what it can
// change (its lists as flat values, its header image and a few fields); after
// it, only the difference is kept. For a list that is the common beginning
// and end left out and the changed middle kept twice, as it was and as it
// became, so a 30,000-row delete costs 30,000 values and undoing it re-links
// 30,000 nodes. Because the difference is found by comparing, any later
// command becomes undoable by running inside a step, without an inverse of
// its own.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <new>
#include <string>
#include <utility>
#include <vector>


// The changed middle of a list: from iStart on, `before` was replaced by `after`.
template <class Value> struct SegmentChange
{
    std::int32_t iStart = 0;
    std::vector<Value> before;
    std::vector<Value> after;

    bool Empty() const { return before.empty() && after.empty(); }
    std::size_t Bytes() const { return (before.capacity() + after.capacity()) * sizeof(Value); }
};

template <class Value>
SegmentChange<Value> DiffSegments(const std::vector<Value>& before, const std::vector<Value>& after)
{
    std::size_t prefix = 0;
    const std::size_t shorter = before.size() < after.size() ? before.size() : after.size();
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    SegmentChange<Value> change;
    change.iStart = static_cast<std::int32_t>(prefix);
    change.before.assign(before.begin() + static_cast<std::ptrdiff_t>(prefix),
                         before.end() - static_cast<std::ptrdiff_t>(suffix));
    change.after.assign(after.begin() + static_cast<std::ptrdiff_t>(prefix),
                        after.end() - static_cast<std::ptrdiff_t>(suffix));
    return change;
}

// Applies a segment change forwards (redo) or backwards (undo).
// replace(iStart, removeCount, values) is the table's own splice.
template <class Value, class Replace>
bool ApplySegment(const SegmentChange<Value>& change, bool bForward, Replace replace)
{
    const std::vector<Value>& gone = bForward ? change.before : change.after;
    const std::vector<Value>& come = bForward ? change.after : change.before;
    return replace(change.iStart, static_cast<std::int32_t>(gone.size()), come);
}

// The values of a list as the last step left them: a step then begins
// without walking the list, and only its end walks it to find what changed.
// Every change of the list must go through steps (or Apply) while it is valid.
template <class Value> class ListMirror
{
public:
    // Reads the list only when the mirror does not hold it yet.
    template <class Read> void Ensure(Read read)
    {
        if (!m_bValid) {
            m_values = read();
            m_bValid = true;
        }
    }
    // What changed from the mirrored values to these; they are mirrored next.
    SegmentChange<Value> TakeChange(std::vector<Value> after)
    {
        SegmentChange<Value> change = DiffSegments(m_values, after);
        m_values = std::move(after);
        m_bValid = true;
        return change;
    }
    // The same for a second command in one step: the change from before the
    // earlier one to now.
    SegmentChange<Value> TakeChangeAfter(const SegmentChange<Value>& earlier, std::vector<Value> after)
    {
        Apply(earlier, false);
        return TakeChange(std::move(after));
    }
    // A change a command knows it made, from iStart on: removeCount values
    // replaced by values. It is applied to the mirrored values (the mirror
    // must hold them) and given back as a step's change, without comparing.
    SegmentChange<Value> TakeEdit(std::int32_t iStart, std::int32_t removeCount, std::vector<Value> values)
    {
        SegmentChange<Value> change;
        change.iStart = iStart;
        const auto at = m_values.begin() + iStart;
        change.before.assign(at, at + removeCount);
        change.after = std::move(values);
        // Writing what was there changes nothing.
        if (change.before == change.after)
            return SegmentChange<Value>();
        Apply(change, true);
        return change;
    }
    // Follows a step undone or redone on the list itself.
    void Apply(const SegmentChange<Value>& change, bool bForward)
    {
        if (!m_bValid)
            return;
        const std::vector<Value>& gone = bForward ? change.before : change.after;
        const std::vector<Value>& come = bForward ? change.after : change.before;
        const auto at = m_values.begin() + change.iStart;
        m_values.insert(m_values.erase(at, at + static_cast<std::ptrdiff_t>(gone.size())), come.begin(), come.end());
    }
    void Forget()
    {
        m_values.clear();
        m_bValid = false;
    }
    // The list's values when the mirror holds them, else nullptr.
    const std::vector<Value>* Values() const { return m_bValid ? &m_values : nullptr; }

private:
    std::vector<Value> m_values;
    bool m_bValid = false;
};

// The steps of one document, oldest first, and how far they are applied.
// Bounded both ways: at most kMaxSteps steps and kMaxBytes bytes of
// differences; the oldest go first, the newest step always stays.
template <class Step> class UndoHistory
{
public:
    static constexpr std::size_t kMaxSteps = 10000;
    static constexpr std::size_t kMaxBytes = 64u * 1024 * 1024;

    // A new step: whatever could be redone is gone.
    void Push(Step step)
    {
        while (m_steps.size() > m_applied) {
            m_bytes -= m_steps.back().Bytes();
            m_steps.pop_back();
        }
        if (m_saved > Absolute())
            m_saved = kNever;
        m_bytes += step.Bytes();
        m_steps.push_back(std::move(step));
        ++m_applied;
        while (m_steps.size() > 1 && (m_steps.size() > kMaxSteps || m_bytes > kMaxBytes)) {
            m_bytes -= m_steps.front().Bytes();
            m_steps.pop_front();
            --m_applied;
            ++m_dropped;
        }
    }

    const Step* ToUndo() const { return m_applied > 0 ? &m_steps[m_applied - 1] : nullptr; }
    const Step* ToRedo() const { return m_applied < m_steps.size() ? &m_steps[m_applied] : nullptr; }
    // A step that holds what it exchanges with the document changes as it is applied.
    Step* ToUndo() { return m_applied > 0 ? &m_steps[m_applied - 1] : nullptr; }
    Step* ToRedo() { return m_applied < m_steps.size() ? &m_steps[m_applied] : nullptr; }
    void MovedBack() { --m_applied; }
    void MovedForward() { ++m_applied; }

    // The state reached now is the one on disk.
    void MarkSaved() { m_saved = Absolute(); }
    // The state on disk can no longer be reached by undo or redo.
    void ForgetSaved() { m_saved = kNever; }
    bool AtSaved() const { return m_saved == Absolute(); }

    void Clear()
    {
        m_steps.clear();
        m_applied = 0;
        m_bytes = 0;
        m_dropped = 0;
        m_saved = kNever;
    }

    std::size_t UndoCount() const { return m_applied; }
    std::size_t RedoCount() const { return m_steps.size() - m_applied; }
    std::size_t Bytes() const { return m_bytes; }

private:
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};
    std::uint64_t Absolute() const { return m_dropped + m_applied; }

    std::deque<Step> m_steps;
    std::size_t m_applied = 0;
    std::size_t m_bytes = 0;
    // Steps dropped from the front, so that positions stay comparable.
    std::uint64_t m_dropped = 0;
    std::uint64_t m_saved = kNever;
};
