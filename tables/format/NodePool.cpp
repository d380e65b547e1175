#include "tables/format/NodePool.h"

namespace {

void* AllocateBlock(std::size_t bytes) noexcept
{
    return ::operator new(bytes, std::nothrow);
}

void ReleaseBlock(void* p) noexcept
{
    ::operator delete(p);
}

const NodeBlockCalls kRealCalls = {AllocateBlock, ReleaseBlock};
NodeBlockCalls g_calls = kRealCalls;

} // namespace

NodeBlockCalls& NodeBlockSystemCalls()
{
    return g_calls;
}

void ResetNodeBlockCalls()
{
    g_calls = kRealCalls;
}

bool NodePool::AddBlock() noexcept
{
    const std::size_t bytes = sizeof(BlockHeader) + SlotsPerBlock() * m_slotBytes;
    void* p = g_calls.allocate(bytes);
    if (!p)
        return false;
    auto* pBlock = static_cast<BlockHeader*>(p);
    pBlock->pNext = m_pBlocks;
    m_pBlocks = pBlock;
    m_pBump = reinterpret_cast<char*>(pBlock + 1);
    m_pBumpEnd = reinterpret_cast<char*>(pBlock) + bytes;
    return true;
}

void* NodePool::AllocateNewBlock() noexcept
{
    return AddBlock() ? Allocate() : nullptr;
}

void NodePool::ReleaseBlocks() noexcept
{
    while (m_pBlocks) {
        BlockHeader* pNext = m_pBlocks->pNext;
        g_calls.release(m_pBlocks);
        m_pBlocks = pNext;
    }
    m_pFree = nullptr;
    m_pBump = nullptr;
    m_pBumpEnd = nullptr;
}

std::size_t NodePool::BlockCount() const
{
    std::size_t n = 0;
    for (const BlockHeader* p = m_pBlocks; p; p = p->pNext)
        ++n;
    return n;
}
