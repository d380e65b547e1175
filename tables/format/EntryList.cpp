#include "tables/format/EntryList.h"

void EntryNode::LinkBefore(EntryNode* pTarget)
{
    if (!pTarget)
        return;
    pNext = pTarget;
    pPrev = pTarget->pPrev;
    if (pPrev)
        pPrev->pNext = this;
    pTarget->pPrev = this;
}

void EntryNode::Unlink()
{
    if (pNext)
        pNext->pPrev = pPrev;
    if (pPrev)
        pPrev->pNext = pNext;
    pNext = nullptr;
    pPrev = nullptr;
}

EntryList::~EntryList()
{
    RemoveAll();
}

bool EntryList::Contains(const EntryNode* pNode) const
{
    const EntryNode* p = pHead;
    for (std::int32_t i = 0; i < iCount && p; ++i, p = p->pNext) {
        if (p == pNode)
            return true;
    }
    return false;
}

void EntryList::InsertAfter(EntryNode* pNode, EntryNode* pTarget)
{
    if (!pNode || !pTarget || iCount <= 0 || !Contains(pTarget))
        return;
    pNode->LinkAfter(pTarget);
    if (pTarget == pTail)
        pTail = pNode;
    ++iCount;
}

void EntryList::InsertBefore(EntryNode* pNode, EntryNode* pTarget)
{
    if (!pNode || !pTarget || iCount <= 0 || !Contains(pTarget))
        return;
    pNode->LinkBefore(pTarget);
    if (pTarget == pHead)
        pHead = pNode;
    ++iCount;
}

EntryNode* EntryList::RemoveHead()
{
    if (iCount <= 0 || !pHead)
        return nullptr;
    EntryNode* pOld = pHead;
    pHead = pOld->pNext;
    pOld->Unlink();
    --iCount;
    if (iCount == 0 || !pHead) {
        pHead = nullptr;
        pTail = nullptr;
    }
    return pOld;
}

// Walks from whichever end is nearer; the node reached is the one the walk
// from the head would reach, since the chain holds exactly iCount nodes.
EntryNode* EntryList::GetAt(std::int32_t iPosition) const
{
    if (iPosition < 0 || iPosition >= iCount)
        return nullptr;
    if (iPosition <= iCount / 2) {
        EntryNode* p = pHead;
        for (std::int32_t i = 0; i < iPosition && p; ++i)
            p = p->pNext;
        return p;
    }
    EntryNode* p = pTail;
    for (std::int32_t i = iCount - 1; i > iPosition && p; --i)
        p = p->pPrev;
    return p;
}

EntryNode* EntryList::RemoveAt(std::int32_t iPosition)
{
    EntryNode* pNode = GetAt(iPosition);
    if (!pNode)
        return nullptr;
    if (pNode == pTail)
        pTail = pNode->pPrev;
    if (pNode == pHead)
        pHead = pNode->pNext;
    pNode->Unlink();
    --iCount;
    return pNode;
}

void EntryList::RemoveAll()
{
    while (iCount > 0) {
        EntryNode* pNode = RemoveHead();
        if (!pNode)
            break;
        delete pNode;
    }
    iCount = 0;
    pHead = nullptr;
    pTail = nullptr;
}
