#pragma once
// A set of list rows as one bit per row: choosing, toggling or dropping a row
// costs the same whether one row or tens of thousands of scattered rows are
// chosen, and the chosen rows are read in ascending order by a walk over
// 64-row words. Plain C++, no Qt.

#include <cstdint>
#include <utility>
#include <vector>

class RowSelection
{
public:
    // How a set of rows is laid over another.
    enum class Merge
    {
        Add,      // the rows become chosen
        Remove,   // the rows are no longer chosen
        Exchange, // each row changes state
    };

    bool IsEmpty() const;
    bool Contains(int row) const;
    int Count() const;
    // The lowest chosen row above the given one (-1 starts before the first); -1 when none.
    int NextAfter(int row) const;
    std::vector<int> Rows() const; // ascending
    // Runs of consecutive chosen rows, first and last row of each, ascending.
    int SpanCount() const;
    std::vector<std::pair<int, int>> Spans(int firstRow, int lastRow) const;

    void Clear();
    // Rows first to last (inclusive); negative rows are ignored.
    void Apply(int first, int last, Merge merge);
    void Apply(const RowSelection& other, Merge merge);

    bool operator==(const RowSelection& other) const;
    bool operator!=(const RowSelection& other) const { return !(*this == other); }

private:
    void Grow(std::size_t words);
    void Trim();

    // Bit r % 64 of word r / 64 for row r; no zero words at the end.
    std::vector<std::uint64_t> m_words;
};
