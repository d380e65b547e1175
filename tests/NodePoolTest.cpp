#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <set>
#include <vector>

#include "ByteOrder.h"
#include "ChannelTable.h"
#include "LegacyChannelTable.h"
#include "NodePool.h"
#include "TestFiles.h"
#include "TunerSpecTable.h"

namespace {

// Block memory that runs out after a set number of allocations.
int g_allocationsLeft = 0;
int g_allocations = 0;

void* LimitedAllocate(std::size_t bytes) noexcept
{
    if (g_allocationsLeft <= 0)
        return nullptr;
    --g_allocationsLeft;
    ++g_allocations;
    return ::operator new(bytes, std::nothrow);
}

void PlainRelease(void* p) noexcept
{
    ::operator delete(p);
}

// Makes block memory run out after `allocations` more blocks (in sanitizer
// builds, after that many nodes) for as long as it lives.
class MemoryRunsOut
{
public:
    explicit MemoryRunsOut(int allocations)
    {
        g_allocationsLeft = allocations;
        g_allocations = 0;
        NodeBlockSystemCalls() = NodeBlockCalls{LimitedAllocate, PlainRelease};
    }
    ~MemoryRunsOut() { ResetNodeBlockCalls(); }
    MemoryRunsOut(const MemoryRunsOut&) = delete;
    MemoryRunsOut& operator=(const MemoryRunsOut&) = delete;
};

// How many nodes one allocation of block memory yields for a node type.
template <class Node> std::size_t NodesPerAllocation()
{
    return Node::kPooled ? Node::Pool().SlotsPerBlock() : 1;
}

// Walks a list both ways and checks the list's invariants.
void ExpectWellFormed(const EntryList& list)
{
    std::int32_t n = 0;
    const EntryNode* last = nullptr;
    for (const EntryNode* p = list.pHead; p; p = p->pNext, ++n) {
        ASSERT_EQ(p->pPrev, last);
        last = p;
        ASSERT_LE(n, list.iCount);
    }
    EXPECT_EQ(n, list.iCount);
    EXPECT_EQ(last, list.pTail);
    EXPECT_EQ(list.iCount == 0, list.pHead == nullptr && list.pTail == nullptr);
}

std::vector<double> Frequencies(const EntryList* list)
{
    std::vector<double> out;
    for (const EntryNode* p = list ? list->pHead : nullptr; p; p = p->pNext)
        out.push_back(static_cast<const ChannelNode*>(p)->dbFrequency);
    return out;
}

} // namespace

TEST(NodePool, SlotsAreDistinctAlignedAndComeFromWholeBlocks)
{
    NodePool pool(24);
    EXPECT_EQ(pool.SlotBytes(), 24u);
    const std::size_t n = 2 * pool.SlotsPerBlock() + 5;
    std::vector<void*> slots;
    for (std::size_t i = 0; i < n; ++i) {
        void* p = pool.Allocate();
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(void*), 0u);
        std::memset(p, 0xA5, 24); // the whole slot is usable
        slots.push_back(p);
    }
    EXPECT_EQ(pool.BlockCount(), 3u);
    EXPECT_EQ(pool.LiveCount(), n);
    std::vector<std::uintptr_t> addresses;
    for (void* p : slots)
        addresses.push_back(reinterpret_cast<std::uintptr_t>(p));
    std::sort(addresses.begin(), addresses.end());
    for (std::size_t i = 1; i < addresses.size(); ++i)
        ASSERT_GE(addresses[i] - addresses[i - 1], 24u) << "slots overlap";
    // Within a block, fresh slots come in address order.
    for (std::size_t i = 1; i < pool.SlotsPerBlock(); ++i)
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(slots[i]) - reinterpret_cast<std::uintptr_t>(slots[i - 1]), 24u);

    for (void* p : slots)
        pool.Release(p);
    EXPECT_EQ(pool.LiveCount(), 0u);
    EXPECT_EQ(pool.BlockCount(), 0u); // the last node gone, every block goes back
    void* again = pool.Allocate();
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(pool.BlockCount(), 1u);
    pool.Release(again);
}

TEST(NodePool, SmallAndOddSlotsAreWidenedForTheFreeLink)
{
    EXPECT_EQ(NodePool(1).SlotBytes(), sizeof(void*));
    EXPECT_EQ(NodePool(13).SlotBytes(), 16u);
    NodePool pool(13);
    void* a = pool.Allocate();
    void* b = pool.Allocate();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) - reinterpret_cast<std::uintptr_t>(a), 16u);
    pool.Release(a);
    pool.Release(b);
}

TEST(NodePool, FreedSlotsAreTakenAgainLastFreedFirst)
{
    NodePool pool(32);
    std::vector<void*> slots;
    for (std::size_t i = 0; i < pool.SlotsPerBlock(); ++i)
        slots.push_back(pool.Allocate());
    void* keep = slots.back();
    slots.pop_back();
    for (void* p : slots)
        pool.Release(p);
    EXPECT_EQ(pool.BlockCount(), 1u);
    // Freed from the first to the last, they come back from the last to the first.
    for (auto it = slots.rbegin(); it != slots.rend(); ++it)
        ASSERT_EQ(pool.Allocate(), *it);
    EXPECT_EQ(pool.BlockCount(), 1u);
    for (void* p : slots)
        pool.Release(p);
    pool.Release(keep);
    EXPECT_EQ(pool.BlockCount(), 0u);
}

TEST(NodePool, NoBlockToBeHadGivesNullButFreedSlotsAreStillServed)
{
    NodePool pool(32);
    std::vector<void*> slots;
    {
        MemoryRunsOut memory(1);
        for (std::size_t i = 0; i < pool.SlotsPerBlock(); ++i)
            slots.push_back(pool.Allocate());
        ASSERT_EQ(std::count(slots.begin(), slots.end(), nullptr), 0);
        EXPECT_EQ(pool.Allocate(), nullptr);
        pool.Release(slots[3]);
        EXPECT_EQ(pool.Allocate(), slots[3]);
        EXPECT_EQ(pool.Allocate(), nullptr);
        EXPECT_EQ(pool.BlockCount(), 1u);
    }
    void* more = pool.Allocate(); // memory is back
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(pool.BlockCount(), 2u);
    pool.Release(more);
    for (void* p : slots)
        pool.Release(p);
    EXPECT_EQ(pool.BlockCount(), 0u);
}

TEST(PooledNodes, NewMakesZeroedNodesAndFailsAsNewDoes)
{
    ASSERT_EQ(ChannelNode::Pool().LiveCount(), 0u);
    auto* a = new (std::nothrow) ChannelNode;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->dbFrequency, 0.0);
    EXPECT_EQ(a->pNext, nullptr);
    EXPECT_EQ(a->pPrev, nullptr);
    a->dbFrequency = 55.25;
    EntryNode* asEntry = a;
    delete asEntry; // freed as its own kind through the list's base
    EXPECT_EQ(ChannelNode::Pool().LiveCount(), 0u);

    MemoryRunsOut memory(0);
    EXPECT_EQ(new (std::nothrow) ChannelNode, nullptr);
    EXPECT_EQ(new (std::nothrow) LegacyChannelNode, nullptr);
    EXPECT_EQ(new (std::nothrow) TunerSpecNode, nullptr);
    EXPECT_THROW(delete new ChannelNode, std::bad_alloc);
}

// A node that cannot be made while a file is read is skipped: its bytes are
// consumed, so the rest of the file stays in step, and the stored count drops.
TEST(PooledNodes, ChannelTableLoadSkipsNodesThatCannotBeMade)
{
    const std::uint16_t nAir = 3000;
    Bytes file{0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'};
    PutI32(file, 44);
    PutU16(file, nAir);
    PutU16(file, 1);
    PutU16(file, 4);
    PutU16(file, 1);
    for (int i = 1; i <= nAir; ++i)
        PutF64(file, i);
    PutBytes(file, {0x12, 0x34, 0x56, 0x78});
    for (double f : {1000.5, 2000.5, 3000.5, 4000.5})
        PutF64(file, f);
    TempDir dir;
    WriteAll(dir.File("t.ccf"), file);

    ChannelTable table(false);
    {
        MemoryRunsOut memory(1);
        ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    }
    const std::size_t made = std::min<std::size_t>(nAir, NodesPerAllocation<ChannelNode>());
    ASSERT_LT(made, nAir);
    std::vector<double> expected;
    for (std::size_t i = 1; i <= made; ++i)
        expected.push_back(static_cast<double>(i));
    ExpectWellFormed(*table.GetList(ChannelModeAir));
    ExpectWellFormed(*table.GetList(ChannelModeCable));
    EXPECT_EQ(Frequencies(table.GetList(ChannelModeAir)), expected);
    EXPECT_TRUE(Frequencies(table.GetList(ChannelModeCable)).empty());
    EXPECT_EQ(table.Header().wAirMax(), made);
    EXPECT_EQ(table.Header().wCableMax(), 0);
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0x12, 0x34, 0x56, 0x78}));

    // Memory back: the table saves what it holds, consistently.
    ASSERT_EQ(table.Save(dir.File("out.ccf").c_str()), 1);
    const Bytes saved = ReadAll(dir.File("out.ccf"));
    ASSERT_EQ(saved.size(), 24 + 8 * made);
    EXPECT_EQ(le::ReadU16(&saved[12]), made);
    EXPECT_EQ(le::ReadU16(&saved[16]), 0);
}

TEST(PooledNodes, LegacyTableLoadSkipsNodesThatCannotBeMade)
{
    const std::uint16_t nAir = 3000;
    Bytes file(32, 0);
    file[24] = static_cast<std::uint8_t>(nAir & 0xFF);
    file[25] = static_cast<std::uint8_t>(nAir >> 8);
    file[26] = 2;
    for (int i = 1; i <= nAir + 2; ++i) {
        PutF32(file, static_cast<float>(i));
        PutU16(file, static_cast<std::uint16_t>(i));
        PutU16(file, 7);
    }
    PutU16(file, 1);
    PutU16(file, nAir);
    PutU16(file, 1);
    PutU16(file, 2);
    PutBytes(file, {0, 0, 0, 0, 0, 0, 0, 0});
    TempDir dir;
    WriteAll(dir.File("t.cft"), file);

    LegacyChannelTable table;
    {
        MemoryRunsOut memory(1);
        ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    }
    const std::size_t made = std::min<std::size_t>(nAir, NodesPerAllocation<LegacyChannelNode>());
    ASSERT_LT(made, nAir);
    const EntryList* air = table.GetList(ChannelModeAir);
    ExpectWellFormed(*air);
    ASSERT_EQ(air->iCount, static_cast<std::int32_t>(made));
    const auto* last = static_cast<const LegacyChannelNode*>(air->pTail);
    EXPECT_EQ(last->fFrequency, static_cast<float>(made));
    EXPECT_EQ(last->wExtra1, made);
    EXPECT_EQ(table.wAirMaxCh(), made);
    EXPECT_EQ(table.GetList(ChannelModeCable)->iCount, 0);
    EXPECT_EQ(table.wCableMaxCh(), 0);
}

TEST(PooledNodes, TunerTableLoadSkipsNodesThatCannotBeMade)
{
    const std::int32_t n = 2000;
    Bytes file{0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'};
    PutI32(file, n);
    for (std::int32_t i = 0; i < n; ++i) {
        Bytes record(64, 0);
        le::WriteI32(record.data(), i);
        file.insert(file.end(), record.begin(), record.end());
    }
    PutBytes(file, {0x00, 0x00, 0xEE, 0xFF});
    TempDir dir;
    WriteAll(dir.File("t.tsf"), file);

    TunerSpecTable table(false);
    {
        MemoryRunsOut memory(1);
        ASSERT_EQ(table.Load(dir.File("t.tsf").c_str()), 1);
    }
    const std::size_t made = std::min<std::size_t>(n, NodesPerAllocation<TunerSpecNode>());
    ASSERT_LT(made, static_cast<std::size_t>(n));
    const EntryList* list = table.GetList();
    ExpectWellFormed(*list);
    ASSERT_EQ(list->iCount, static_cast<std::int32_t>(made));
    EXPECT_EQ(static_cast<const TunerSpecNode*>(list->pTail)->entry.iFactory(), static_cast<std::int32_t>(made) - 1);
    EXPECT_EQ(table.Header().iEntryCount(), static_cast<std::int32_t>(made));
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0x00, 0x00, 0xEE, 0xFF}));
}
