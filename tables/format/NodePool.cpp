#include "tables/format/NodePool.h"

#include <algorithm>

#include "platform/LargeMemory.h"

namespace {

static_assert(NodeBlockRegions::kRegionSlotBytes == NodePool::kBlockBytes, "a region's slot holds one block");
static_assert(NodeBlockRegions::kRegionSlotBytes * 32 == kLargePageBytes, "a region is 32 slots");

void* AllocateBlock(std::size_t bytes) noexcept
{
    return NodeBlockSystemRegions().Allocate(bytes);
}

void ReleaseBlock(void* p, std::size_t bytes) noexcept
{
    NodeBlockSystemRegions().Release(p, bytes);
}

const NodeBlockCalls kRealCalls = {AllocateBlock, ReleaseBlock};
NodeBlockCalls g_calls = kRealCalls;

} // namespace

// Never destroyed: a table that outlives the others at exit still gives its
// blocks back.
NodeBlockRegions& NodeBlockSystemRegions()
{
    static NodeBlockRegions& regions = *new NodeBlockRegions;
    return regions;
}

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
    const std::size_t bytes = BlockBytes();
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
        g_calls.release(m_pBlocks, BlockBytes());
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

bool NodeBlockRegions::IsBlockSized(std::size_t bytes)
{
    return bytes > kRegionSlotBytes / 2 && bytes <= kRegionSlotBytes;
}

void* NodeBlockRegions::Allocate(std::size_t bytes) noexcept
{
    // Sanitizer builds ask for single nodes: those, and anything a region's
    // slot cannot hold, are the general allocator's.
    if (!IsBlockSized(bytes))
        return ::operator new(bytes, std::nothrow);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_plainBlocks < kPlainBlocks) {
        void* p = ::operator new(bytes, std::nothrow);
        if (p)
            ++m_plainBlocks;
        return p;
    }
    try {
        auto region =
            std::find_if(m_regions.begin(), m_regions.end(), [](const Region& r) { return r.usedSlots != kAllSlots; });
        if (region == m_regions.end()) {
            m_regions.reserve(m_regions.size() + 1);
            char* pBase = TakeSpareRegion();
            if (!pBase)
                return nullptr;
            m_regions.push_back({pBase, 0});
            region = m_regions.end() - 1;
        }
        // The lowest free slot, so that a table being loaded lies in order.
        unsigned slot = 0;
        while (region->usedSlots & (SlotMask{1} << slot))
            ++slot;
        region->usedSlots |= SlotMask{1} << slot;
        return region->pBase + slot * kRegionSlotBytes;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void NodeBlockRegions::Release(void* p, std::size_t bytes) noexcept
{
    if (!p)
        return;
    if (!IsBlockSized(bytes)) {
        ::operator delete(p);
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const char* pBlock = static_cast<const char*>(p);
    const auto region = std::find_if(m_regions.begin(), m_regions.end(), [pBlock](const Region& r) {
        return pBlock >= r.pBase && pBlock < r.pBase + kLargePageBytes;
    });
    if (region == m_regions.end()) {
        ::operator delete(p);
        --m_plainBlocks;
        return;
    }
    region->usedSlots &= ~(SlotMask{1} << static_cast<unsigned>((pBlock - region->pBase) / kRegionSlotBytes));
    if (region->usedSlots == 0) {
        char* pBase = region->pBase;
        m_regions.erase(region);
        KeepOrReleaseRegion(pBase);
    }
}

char* NodeBlockRegions::TakeSpareRegion() noexcept
{
    if (m_spareRegions.empty())
        return static_cast<char*>(MapLargePages(kLargePageBytes));
    char* pBase = m_spareRegions.back();
    m_spareRegions.pop_back();
    return pBase;
}

void NodeBlockRegions::KeepOrReleaseRegion(char* pBase) noexcept
{
    if (m_spareRegions.size() < kSpareRegions) {
        try {
            m_spareRegions.push_back(pBase);
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    ReleaseLargePages(pBase, kLargePageBytes);
}

void NodeBlockRegions::ReleaseSpareRegions() noexcept
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (char* pBase : m_spareRegions)
        ReleaseLargePages(pBase, kLargePageBytes);
    m_spareRegions.clear();
}

std::size_t NodeBlockRegions::RegionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_regions.size();
}

std::size_t NodeBlockRegions::SpareRegionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_spareRegions.size();
}
