#pragma once
// Memory for the list nodes of one type. A table of 65,535 channels is 65,535
// nodes: taking each from the general allocator costs more than reading the
// whole file. A pool carves equal slots out of 64 KiB blocks and hands out the
// newest block's fresh slots in address order, then freed slots, the last
// freed first (a table freed from its head is taken again from its tail, in
// order once more), and gives every block back once the last node of its type
// is gone, so a closed editor keeps no nodes (the blocks' source keeps a few
// empty regions for the next large table: NodeBlockRegions below).
//
// Allocate returns nullptr when no slot is free and no block can be had, and
// `new (std::nothrow)` of a node type then yields nullptr. Like the tables, a
// pool is used from one thread.
//
// Running out of memory, the rule of tables/ and edit/:
// - It is an ordinary failure of the operation that met it, reported through
//   that operation's failure result (false, 0, nullptr, an empty image) with
//   ENOMEM in its FileError where it has one. The int results of the table
//   classes mean exactly that: 1 done, 0 failed.
// - Nodes are made with `new (std::nothrow)` (through these pools) and a null
//   node fails the operation. Containers and strings may throw std::bad_alloc;
//   it is caught at the edge of the operation that can report it (a reader, a
//   save, a command, a thread's loop). No exception leaves a thread of ours
//   or reaches Qt's event loop.
// - Nothing is half done and nothing is dropped: a reader that cannot hold the
//   whole file fails as a whole and leaves its table empty; a command makes
//   everything it needs before it changes the table (ReplaceNodes), so a
//   failed one leaves the document unchanged; the editor says why and keeps
//   the table, its file and its recovery copy.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

// Where blocks come from; replaceable so that tests can make memory run out.
// Production code never changes them. A release is told the size allocated.
struct NodeBlockCalls
{
    void* (*allocate)(std::size_t bytes) noexcept;
    void (*release)(void* p, std::size_t bytes) noexcept;
};
NodeBlockCalls& NodeBlockSystemCalls();
void ResetNodeBlockCalls();
class NodeBlockRegions;
// The regions the real calls take blocks from.
NodeBlockRegions& NodeBlockSystemRegions();

// The real source of blocks. A table's first blocks, all that a small table
// needs, come from the general allocator; those of a large one come 32 to a
// region of one large page (platform/LargeMemory.h), whose faults at the first
// write cost a small part of those of 4 KiB pages (loading 100,000 tuner
// entries writes 9 MB of nodes). A region whose last block went back is kept
// for the next large table, up to kSpareRegions of them, as the general
// allocator keeps freed memory for what comes next; the rest go back to the
// system. The pools of all node types share it, from any thread.
class NodeBlockRegions
{
public:
    static constexpr std::size_t kRegionSlotBytes = 64 * 1024;
    // Blocks taken from the general allocator before regions are used.
    static constexpr std::size_t kPlainBlocks = 32;
    // Empty regions kept: those of the largest tuner table and some more.
    static constexpr std::size_t kSpareRegions = 8;

    NodeBlockRegions() = default;
    NodeBlockRegions(const NodeBlockRegions&) = delete;
    NodeBlockRegions& operator=(const NodeBlockRegions&) = delete;
    ~NodeBlockRegions() { ReleaseSpareRegions(); }

    // Any size; only one of more than half a region's slot and at most a slot
    // can come from a region. nullptr when no memory is to be had.
    void* Allocate(std::size_t bytes) noexcept;
    void Release(void* p, std::size_t bytes) noexcept;
    // Regions holding blocks, and empty ones kept.
    std::size_t RegionCount() const;
    std::size_t SpareRegionCount() const;
    // Gives the empty regions back to the system.
    void ReleaseSpareRegions() noexcept;

private:
    using SlotMask = std::uint32_t;
    static constexpr SlotMask kAllSlots = ~SlotMask{0};
    static bool IsBlockSized(std::size_t bytes);
    char* TakeSpareRegion() noexcept;
    void KeepOrReleaseRegion(char* pBase) noexcept;

    struct Region
    {
        char* pBase;
        SlotMask usedSlots;
    };
    mutable std::mutex m_mutex;
    std::vector<Region> m_regions;
    std::vector<char*> m_spareRegions;
    std::size_t m_plainBlocks = 0;
};

class NodePool
{
public:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    // slotBytes: the size of one node (a multiple of its alignment, which is
    // at most that of max_align_t). A slot is at least a pointer wide and
    // aligned for one, since a free slot holds the link to the next.
    explicit constexpr NodePool(std::size_t slotBytes) : m_slotBytes(SlotSizeFor(slotBytes)) {}
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    void* Allocate() noexcept
    {
        // Fresh slots of the newest block first: a table being loaded takes
        // its nodes one after another in memory.
        if (m_pBump != m_pBumpEnd) {
            void* p = m_pBump;
            m_pBump += m_slotBytes;
            ++m_live;
            return p;
        }
        if (m_pFree) {
            FreeSlot* pSlot = m_pFree;
            m_pFree = pSlot->pNext;
            ++m_live;
            return pSlot;
        }
        return AllocateNewBlock();
    }

    // Slots that lie one after another in memory.
    struct SlotRun
    {
        char* pFirst = nullptr; // nullptr when no slot is to be had
        std::size_t count = 0;
        std::size_t slotBytes = 0;
    };

    // For a loader that makes many nodes at once: up to `wanted` of the slots
    // Allocate would hand out next, as far as they lie one after another. That
    // is the fresh rest of the newest block, else a single freed slot, else
    // the first slots of a new block; none when no block can be had (the next
    // call tries again, as Allocate does). A loader then takes thousands of
    // slots in one call instead of one call per node.
    SlotRun AllocateRun(std::size_t wanted) noexcept
    {
        if (wanted == 0)
            return {};
        if (m_pBump == m_pBumpEnd) {
            if (m_pFree)
                return {static_cast<char*>(Allocate()), 1, m_slotBytes};
            if (!AddBlock())
                return {};
        }
        const std::size_t fresh = static_cast<std::size_t>(m_pBumpEnd - m_pBump) / m_slotBytes;
        const SlotRun run{m_pBump, wanted < fresh ? wanted : fresh, m_slotBytes};
        m_pBump += run.count * m_slotBytes;
        m_live += run.count;
        return run;
    }

    void Release(void* p) noexcept
    {
        if (!p)
            return;
        auto* pSlot = static_cast<FreeSlot*>(p);
        pSlot->pNext = m_pFree;
        m_pFree = pSlot;
        if (--m_live == 0)
            ReleaseBlocks();
    }

    std::size_t LiveCount() const { return m_live; }
    std::size_t BlockCount() const;
    std::size_t SlotBytes() const { return m_slotBytes; }
    std::size_t SlotsPerBlock() const { return SlotsPerBlockOf(m_slotBytes); }

private:
    std::size_t BlockBytes() const { return sizeof(BlockHeader) + SlotsPerBlock() * m_slotBytes; }
    static constexpr std::size_t SlotsPerBlockOf(std::size_t slotBytes)
    {
        return kBlockBytes > sizeof(BlockHeader) + slotBytes ? (kBlockBytes - sizeof(BlockHeader)) / slotBytes : 1;
    }
    static constexpr std::size_t SlotSizeFor(std::size_t bytes)
    {
        const std::size_t atLeast = bytes < sizeof(void*) ? sizeof(void*) : bytes;
        return (atLeast + alignof(void*) - 1) / alignof(void*) * alignof(void*);
    }

    struct FreeSlot
    {
        FreeSlot* pNext;
    };
    struct alignas(std::max_align_t) BlockHeader
    {
        BlockHeader* pNext;
    };

    void* AllocateNewBlock() noexcept;
    // Makes a new block the newest one, all of its slots fresh; false when no
    // block can be had.
    bool AddBlock() noexcept;
    void ReleaseBlocks() noexcept;

    std::size_t m_slotBytes;
    std::size_t m_live = 0;
    FreeSlot* m_pFree = nullptr;
    // The unused rest of the newest block.
    char* m_pBump = nullptr;
    char* m_pBumpEnd = nullptr;
    BlockHeader* m_pBlocks = nullptr;
};

// Class-specific allocation for a node type: `struct ChannelNode : EntryNode,
// PoolAllocated<ChannelNode>`. Nodes are deleted through EntryNode's virtual
// destructor, which hands the dynamic type's size to operator delete; a type
// derived further (another size) goes to the general allocator instead.
// Sanitizer builds give every node its own allocation, so that a node used
// after it was freed is still caught.
template <class Node> class PoolAllocated
{
public:
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    static constexpr bool kPooled = false;
#else
    static constexpr bool kPooled = true;
#endif
#else
    static constexpr bool kPooled = true;
#endif

    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept
    {
        if (kPooled && size == sizeof(Node))
            return Pool().Allocate();
        return NodeBlockSystemCalls().allocate(size);
    }
    static void* operator new(std::size_t size)
    {
        if (void* p = operator new(size, std::nothrow))
            return p;
        throw std::bad_alloc();
    }
    static void operator delete(void* p, std::size_t size) noexcept
    {
        if (kPooled && size == sizeof(Node))
            Pool().Release(p);
        else
            NodeBlockSystemCalls().release(p, size);
    }

    // Slots for up to `wanted` nodes of this type one after another, as
    // NodePool::AllocateRun gives them; a node built in one with placement new
    // is deleted like any other. Sanitizer builds take one allocation of its
    // own per call, as `new` would.
    static NodePool::SlotRun AllocateRun(std::size_t wanted) noexcept
    {
        if (kPooled)
            return Pool().AllocateRun(wanted);
        if (wanted == 0)
            return {};
        auto* p = static_cast<char*>(NodeBlockSystemCalls().allocate(sizeof(Node)));
        return {p, p ? std::size_t{1} : std::size_t{0}, sizeof(Node)};
    }

    static NodePool& Pool()
    {
        static NodePool pool(sizeof(Node));
        return pool;
    }
};
