#pragma once
// The intrusive doubly linked list that holds every table's records. Each node
// type derives from EntryNode; the virtual destructor lets a list free its nodes
// as their own kind. Positions inside the list count from 0.

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

struct EntryNode
{
    EntryNode* pNext = nullptr;
    EntryNode* pPrev = nullptr;

    EntryNode() = default;
    EntryNode(const EntryNode&) = delete;
    EntryNode& operator=(const EntryNode&) = delete;
    virtual ~EntryNode() = default;

    // Splice a node that is in no list behind / ahead of pTarget; no effect
    // without a target. These touch no list's head, tail or count.
    void LinkAfter(EntryNode* pTarget)
    {
        if (!pTarget)
            return;
        pPrev = pTarget;
        pNext = pTarget->pNext;
        if (pNext)
            pNext->pPrev = this;
        pTarget->pNext = this;
    }
    void LinkBefore(EntryNode* pTarget);
    // Join the neighbours to each other and clear both links.
    void Unlink();
};

class EntryList
{
public:
    std::int32_t iCount = 0;
    EntryNode* pHead = nullptr;
    EntryNode* pTail = nullptr;

    EntryList() = default;
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;
    ~EntryList();

    // Inline: loading a table appends every node it reads.
    void AddTail(EntryNode* pNode)
    {
        if (!pNode)
            return;
        if (pTail)
            pNode->LinkAfter(pTail);
        pTail = pNode;
        if (!pHead)
            pHead = pNode;
        ++iCount;
    }
    void InsertAfter(EntryNode* pNode, EntryNode* pTarget);
    void InsertBefore(EntryNode* pNode, EntryNode* pTarget);
    EntryNode* RemoveHead();
    EntryNode* GetAt(std::int32_t iPosition) const;
    EntryNode* RemoveAt(std::int32_t iPosition);
    void RemoveAll();

    class Appender;

private:
    bool Contains(const EntryNode* pNode) const;
};

// Appends nodes that are in no list one after another, exactly as AddTail
// would, but keeps the list's tail and count to itself until Finish (or its
// end): a loader making tens of thousands of nodes then does not read the
// list's fields back after each one. The list is not to be used meanwhile.
class EntryList::Appender
{
public:
    explicit Appender(EntryList& list) : m_list(list), m_pHead(list.pHead), m_pTail(list.pTail) {}
    ~Appender() { Finish(); }
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    void Add(EntryNode* pNode)
    {
        if (!pNode)
            return;
        pNode->pPrev = m_pTail;
        pNode->pNext = nullptr;
        if (m_pTail)
            m_pTail->pNext = pNode;
        else
            m_pHead = pNode;
        m_pTail = pNode;
        ++m_iAdded;
    }
    void Finish()
    {
        m_list.pHead = m_pHead;
        m_list.pTail = m_pTail;
        m_list.iCount += m_iAdded;
        m_iAdded = 0;
    }

private:
    EntryList& m_list;
    EntryNode* m_pHead;
    EntryNode* m_pTail;
    std::int32_t m_iAdded = 0;
};

// Builds a node of type Node in each slot of a run that Node::AllocateRun
// gave and appends them in order: the k-th node takes *valueOf(k) through
// fill(node, value). valueOf is called once for each k, in order, before the
// node is made, so that the node's fields are written once; an empty answer
// ends the run there, and the slots left go back to the pool. Returns the
// number of nodes made.
template <class Node, class SlotRun, class ValueOf, class Fill>
std::size_t AppendNodesInRun(EntryList::Appender& append, const SlotRun& run, ValueOf valueOf, Fill fill)
{
    // Megabytes of new nodes are mostly memory the cache no longer holds, and
    // each store would wait for its line: the lines a few nodes ahead are
    // asked for while these are being filled.
    constexpr std::size_t kPrefetchBytes = 512;
    for (std::size_t k = 0; k < run.count; ++k) {
        char* pSlot = run.pFirst + k * run.slotBytes;
        __builtin_prefetch(pSlot + kPrefetchBytes, 1);
        const auto value = valueOf(k);
        if (!value) {
            for (std::size_t unused = k; unused < run.count; ++unused)
                Node::operator delete(run.pFirst + unused * run.slotBytes, sizeof(Node));
            return k;
        }
        Node* pNode = ::new (static_cast<void*>(pSlot)) Node;
        fill(*pNode, *value);
        append.Add(pNode);
    }
    return run.count;
}

// Makes `count` new nodes and appends them in order, as `new (std::nothrow)
// Node` and Add for each would, but takes their memory from the node type's
// pool (PoolAllocated) a run of slots at a time: a loader that makes tens of
// thousands of nodes then spends its time writing the nodes rather than on one
// trip to the pool per node. The i-th node takes valueOf(i) through
// fill(node, value). When memory runs out no further node is made: returns
// false, and the caller fails as a whole (a table is never read short).
template <class Node, class ValueOf, class Fill>
bool AppendNewNodes(EntryList::Appender& append, std::size_t count, ValueOf valueOf, Fill fill)
{
    std::size_t i = 0;
    while (i < count) {
        const auto run = Node::AllocateRun(count - i);
        if (!run.pFirst)
            return false;
        AppendNodesInRun<Node>(
            append, run, [&valueOf, i](std::size_t k) { return std::optional(valueOf(i + k)); }, fill);
        i += run.count;
    }
    return true;
}

// Replaces removeCount nodes from position iStart with new nodes holding
// values, each filled by write(node, value). The new nodes are made and
// chained before the list is touched: when memory runs out the list stays as
// it was and false is returned. Each node is touched once on the way in and
// once on the way out, since a long list's nodes lie scattered in memory.
template <class Node, class Value, class Write>
bool ReplaceNodes(EntryList& list, std::int32_t iStart, std::int32_t removeCount, const std::vector<Value>& values,
                  Write write)
{
    if (iStart < 0 || removeCount < 0 || iStart > list.iCount - removeCount)
        return false;
    EntryNode* pFirstNew = nullptr;
    EntryNode* pLastNew = nullptr;
    for (const Value& value : values) {
        Node* pNode = new (std::nothrow) Node;
        if (!pNode) {
            while (pFirstNew) {
                EntryNode* pNext = pFirstNew->pNext;
                delete pFirstNew;
                pFirstNew = pNext;
            }
            return false;
        }
        write(*pNode, value);
        pNode->pPrev = pLastNew;
        pNode->pNext = nullptr;
        if (pLastNew)
            pLastNew->pNext = pNode;
        else
            pFirstNew = pNode;
        pLastNew = pNode;
    }

    // The node in front of the segment, walked to from the nearer end.
    EntryNode* pBefore = nullptr;
    if (iStart > 0) {
        if (iStart <= list.iCount / 2) {
            pBefore = list.pHead;
            for (std::int32_t i = 1; i < iStart; ++i)
                pBefore = pBefore->pNext;
        } else {
            pBefore = list.pTail;
            for (std::int32_t i = list.iCount; i > iStart; --i)
                pBefore = pBefore->pPrev;
        }
    }
    EntryNode* pAfter = pBefore ? pBefore->pNext : list.pHead;
    for (std::int32_t i = 0; i < removeCount; ++i) {
        EntryNode* pNext = pAfter->pNext;
        delete pAfter;
        pAfter = pNext;
    }

    EntryNode* pJoinFront = pFirstNew ? pFirstNew : pAfter;
    EntryNode* pJoinBack = pLastNew ? pLastNew : pBefore;
    if (pBefore)
        pBefore->pNext = pJoinFront;
    else
        list.pHead = pJoinFront;
    if (pFirstNew)
        pFirstNew->pPrev = pBefore;
    if (pLastNew)
        pLastNew->pNext = pAfter;
    if (pAfter)
        pAfter->pPrev = pJoinBack;
    else
        list.pTail = pJoinBack;
    list.iCount += static_cast<std::int32_t>(values.size()) - removeCount;
    return true;
}
