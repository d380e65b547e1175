#pragma once
// The intrusive doubly linked list that holds every table's records. Each node
// type derives from EntryNode; the virtual destructor lets a list free its nodes
// as their own kind. Positions inside the list count from 0.

#include <cstdint>

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

private:
    bool Contains(const EntryNode* pNode) const;
};
