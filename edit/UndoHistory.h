#pragma once
// The bounded list of an editor's undo steps. What a step holds, and how it
// puts the table back, is the document's (edit/TableChanges.h records it as
// the table's own splices).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

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
