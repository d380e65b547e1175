#pragma once
// Memory for the list nodes of one type. A table of 65,535 channels is 65,535
// nodes: taking each from the general allocator costs more than reading the
// whole file. A pool carves equal slots out of 64 KiB blocks and hands out the
// newest block's fresh slots in address order, then freed slots, the last
// freed first (a table freed from its head is taken again from its tail, in
// order once more), and gives every block back once the last node of its type
// is gone, so a closed editor keeps nothing.
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
#include <new>

// Where blocks come from; replaceable so that tests can make memory run out.
// Production code never changes them.
struct NodeBlockCalls
{
    void* (*allocate)(std::size_t bytes) noexcept;
    void (*release)(void* p) noexcept;
};
NodeBlockCalls& NodeBlockSystemCalls();
void ResetNodeBlockCalls();

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
            NodeBlockSystemCalls().release(p);
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
