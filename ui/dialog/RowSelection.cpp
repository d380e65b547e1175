#include "ui/dialog/RowSelection.h"

#include <algorithm>

namespace {

constexpr int kWordBits = 64;

int LowestBit(std::uint64_t word)
{
    return __builtin_ctzll(word);
}

int BitCount(std::uint64_t word)
{
    return __builtin_popcountll(word);
}

// The bits from bit `from` upward.
std::uint64_t BitsFrom(int from)
{
    return from >= kWordBits ? 0 : ~std::uint64_t{0} << from;
}

// The first row at or above `row` that is chosen (bChosen) or not; rows past
// the last word are not chosen, so a search for a chosen one can end with -1.
int NextRow(const std::vector<std::uint64_t>& words, int row, bool bChosen)
{
    std::size_t index = static_cast<std::size_t>(row) / kWordBits;
    if (index >= words.size())
        return bChosen ? -1 : row;
    std::uint64_t word = (bChosen ? words[index] : ~words[index]) & BitsFrom(row % kWordBits);
    while (word == 0) {
        if (++index == words.size())
            return bChosen ? -1 : static_cast<int>(index * kWordBits);
        word = bChosen ? words[index] : ~words[index];
    }
    return static_cast<int>(index * kWordBits) + LowestBit(word);
}

} // namespace

bool RowSelection::IsEmpty() const
{
    return m_words.empty();
}

bool RowSelection::Contains(int row) const
{
    if (row < 0)
        return false;
    const std::size_t index = static_cast<std::size_t>(row) / kWordBits;
    return index < m_words.size() && (m_words[index] >> (row % kWordBits) & 1) != 0;
}

int RowSelection::Count() const
{
    int count = 0;
    for (std::uint64_t word : m_words)
        count += BitCount(word);
    return count;
}

int RowSelection::NextAfter(int row) const
{
    return NextRow(m_words, std::max(0, row + 1), true);
}

std::vector<int> RowSelection::Rows() const
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(Count()));
    for (std::size_t index = 0; index < m_words.size(); ++index) {
        for (std::uint64_t word = m_words[index]; word != 0; word &= word - 1)
            rows.push_back(static_cast<int>(index * kWordBits) + LowestBit(word));
    }
    return rows;
}

int RowSelection::SpanCount() const
{
    // A span begins at each chosen row whose row above is not chosen.
    int count = 0;
    std::uint64_t carry = 0;
    for (std::uint64_t word : m_words) {
        count += BitCount(word & ~(word << 1 | carry));
        carry = word >> (kWordBits - 1);
    }
    return count;
}

std::vector<std::pair<int, int>> RowSelection::Spans(int firstRow, int lastRow) const
{
    std::vector<std::pair<int, int>> spans;
    int row = NextRow(m_words, std::max(0, firstRow), true);
    while (row >= 0 && row <= lastRow) {
        const int end = NextRow(m_words, row, false); // the first row after the span
        spans.emplace_back(row, std::min(end - 1, lastRow));
        row = NextRow(m_words, end, true);
    }
    return spans;
}

void RowSelection::Clear()
{
    m_words.clear();
}

void RowSelection::Apply(int first, int last, Merge merge)
{
    first = std::max(first, 0);
    if (last < first)
        return;
    if (merge != Merge::Remove)
        Grow(static_cast<std::size_t>(last) / kWordBits + 1);
    const std::size_t firstWord = static_cast<std::size_t>(first) / kWordBits;
    const std::size_t lastWord = std::min(static_cast<std::size_t>(last) / kWordBits + 1, m_words.size());
    for (std::size_t index = firstWord; index < lastWord; ++index) {
        std::uint64_t bits = ~std::uint64_t{0};
        if (index == firstWord)
            bits &= BitsFrom(first % kWordBits);
        if (index == static_cast<std::size_t>(last) / kWordBits)
            bits &= ~BitsFrom(last % kWordBits + 1);
        switch (merge) {
        case Merge::Add: m_words[index] |= bits; break;
        case Merge::Remove: m_words[index] &= ~bits; break;
        case Merge::Exchange: m_words[index] ^= bits; break;
        }
    }
    Trim();
}

void RowSelection::Apply(const RowSelection& other, Merge merge)
{
    if (merge != Merge::Remove)
        Grow(other.m_words.size());
    const std::size_t words = std::min(m_words.size(), other.m_words.size());
    for (std::size_t index = 0; index < words; ++index) {
        switch (merge) {
        case Merge::Add: m_words[index] |= other.m_words[index]; break;
        case Merge::Remove: m_words[index] &= ~other.m_words[index]; break;
        case Merge::Exchange: m_words[index] ^= other.m_words[index]; break;
        }
    }
    Trim();
}

bool RowSelection::operator==(const RowSelection& other) const
{
    return m_words == other.m_words;
}

void RowSelection::Grow(std::size_t words)
{
    if (m_words.size() < words)
        m_words.resize(words, 0);
}

void RowSelection::Trim()
{
    while (!m_words.empty() && m_words.back() == 0)
        m_words.pop_back();
}
