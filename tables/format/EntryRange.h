#pragma once
// Read-only, typed iteration over a table's list: the nodes of a list that a
// table owns are all of the table's node type, so the walk and the cast live
// here once instead of in every caller.
//
//     for (const ChannelNode& channel : table.Channels(ChannelModeAir))
//         use(channel.dbFrequency);

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "tables/format/EntryList.h"

template <class Node> class EntryRange
{
    static_assert(std::is_base_of_v<EntryNode, Node>, "a list holds EntryNode kinds only");

public:
    class Iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = const Node*;
        using reference = const Node&;

        Iterator() = default;
        explicit Iterator(const EntryNode* pNode) : m_pNode(pNode) {}

        reference operator*() const { return static_cast<const Node&>(*m_pNode); }
        pointer operator->() const { return static_cast<const Node*>(m_pNode); }
        Iterator& operator++()
        {
            m_pNode = m_pNode->pNext;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_pNode == other.m_pNode; }
        bool operator!=(const Iterator& other) const { return m_pNode != other.m_pNode; }

    private:
        const EntryNode* m_pNode = nullptr;
    };

    // No list is an empty range.
    explicit EntryRange(const EntryList* pList) : m_pList(pList) {}

    Iterator begin() const { return Iterator(m_pList ? m_pList->pHead : nullptr); }
    Iterator end() const { return Iterator(); }
    std::int32_t size() const { return m_pList ? m_pList->iCount : 0; }
    bool empty() const { return size() == 0; }

private:
    const EntryList* m_pList;
};
