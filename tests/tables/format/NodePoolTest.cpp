#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <set>
#include <vector>

#include "platform/LargeMemory.h"
#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/NodePool.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

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

void PlainRelease(void* p, std::size_t) noexcept
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

// Block memory of which exactly one allocation fails: the one numbered
// `failing` (from 0) while the object lives; the others succeed.
int g_failingAllocation = -1;
int g_allocationsMade = 0;

void* AllocateFailingOnce(std::size_t bytes) noexcept
{
    if (g_allocationsMade++ == g_failingAllocation)
        return nullptr;
    return ::operator new(bytes, std::nothrow);
}

class OneAllocationFails
{
public:
    explicit OneAllocationFails(int failing)
    {
        g_failingAllocation = failing;
        g_allocationsMade = 0;
        NodeBlockSystemCalls() = NodeBlockCalls{AllocateFailingOnce, PlainRelease};
    }
    ~OneAllocationFails() { ResetNodeBlockCalls(); }
    OneAllocationFails(const OneAllocationFails&) = delete;
    OneAllocationFails& operator=(const OneAllocationFails&) = delete;
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

// A table whose nodes cannot all be made is not read at all (ENOMEM): none of
// its entries is dropped, and it is left empty as an unreadable file leaves
// it. With memory back the same file is read whole.
TEST(PooledNodes, ChannelTableLoadFailsWholeWhenNodesCannotBeMade)
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

    ASSERT_LT(NodesPerAllocation<ChannelNode>(), nAir);
    ChannelTable table(false);
    {
        MemoryRunsOut memory(1);
        FileError error;
        EXPECT_EQ(table.Load(dir.File("t.ccf").c_str(), &error), 0);
        EXPECT_EQ(error.code, ENOMEM);
    }
    ExpectWellFormed(*table.GetList(ChannelModeAir));
    ExpectWellFormed(*table.GetList(ChannelModeCable));
    EXPECT_TRUE(Frequencies(table.GetList(ChannelModeAir)).empty());
    EXPECT_TRUE(Frequencies(table.GetList(ChannelModeCable)).empty());
    EXPECT_EQ(table.Header().wAirMax(), 0);
    EXPECT_EQ(table.Header().wCableMax(), 0);

    // Memory back: the file is read whole and saves the same bytes.
    ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
    EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, nAir);
    ASSERT_EQ(table.Save(dir.File("out.ccf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("out.ccf")), file);
}

TEST(PooledNodes, LegacyTableLoadFailsWholeWhenNodesCannotBeMade)
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

    ASSERT_LT(NodesPerAllocation<LegacyChannelNode>(), nAir);
    LegacyChannelTable table;
    {
        MemoryRunsOut memory(1);
        FileError error;
        EXPECT_EQ(table.Load(dir.File("t.cft").c_str(), &error), 0);
        EXPECT_EQ(error.code, ENOMEM);
    }
    // Without lists, so that it cannot be converted into a shorter table.
    EXPECT_EQ(table.GetList(ChannelModeAir), nullptr);
    EXPECT_EQ(table.GetList(ChannelModeCable), nullptr);
    EXPECT_EQ(table.wAirMaxCh(), 0);

    ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
    const EntryList* air = table.GetList(ChannelModeAir);
    ExpectWellFormed(*air);
    ASSERT_EQ(air->iCount, nAir);
    const auto* last = static_cast<const LegacyChannelNode*>(air->pTail);
    EXPECT_EQ(last->fFrequency, static_cast<float>(nAir));
    EXPECT_EQ(last->wExtra1, nAir);
    EXPECT_EQ(table.GetList(ChannelModeCable)->iCount, 2);
}

TEST(PooledNodes, TunerTableLoadFailsWholeWhenNodesCannotBeMade)
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

    ASSERT_LT(NodesPerAllocation<TunerSpecNode>(), static_cast<std::size_t>(n));
    TunerSpecTable table(false);
    {
        MemoryRunsOut memory(1);
        FileError error;
        EXPECT_EQ(table.Load(dir.File("t.tsf").c_str(), &error), 0);
        EXPECT_EQ(error.code, ENOMEM);
    }
    ExpectWellFormed(*table.GetList());
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().iEntryCount(), 0);

    ASSERT_EQ(table.Load(dir.File("t.tsf").c_str()), 1);
    const EntryList* list = table.GetList();
    ExpectWellFormed(*list);
    ASSERT_EQ(list->iCount, n);
    EXPECT_EQ(static_cast<const TunerSpecNode*>(list->pTail)->entry.iFactory(), n - 1);
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0x00, 0x00, 0xEE, 0xFF}));
}

TEST(NodePool, RunsAreTheNextSlotsAsFarAsTheyLieTogether)
{
    NodePool pool(32);
    EXPECT_EQ(pool.AllocateRun(0).count, 0u);
    EXPECT_EQ(pool.BlockCount(), 0u); // asking for nothing takes no block

    const NodePool::SlotRun first = pool.AllocateRun(10);
    ASSERT_NE(first.pFirst, nullptr);
    EXPECT_EQ(first.count, 10u);
    EXPECT_EQ(first.slotBytes, 32u);
    EXPECT_EQ(pool.LiveCount(), 10u);
    EXPECT_EQ(pool.BlockCount(), 1u);
    // The slot Allocate hands out next lies right behind the run.
    void* next = pool.Allocate();
    EXPECT_EQ(static_cast<char*>(next), first.pFirst + 10 * 32);

    // A run never reaches past its block: the rest of it, then a new block.
    const NodePool::SlotRun rest = pool.AllocateRun(pool.SlotsPerBlock());
    EXPECT_EQ(rest.pFirst, first.pFirst + 11 * 32);
    EXPECT_EQ(rest.count, pool.SlotsPerBlock() - 11);
    EXPECT_EQ(pool.BlockCount(), 1u);
    const NodePool::SlotRun second = pool.AllocateRun(pool.SlotsPerBlock());
    ASSERT_NE(second.pFirst, nullptr);
    EXPECT_EQ(second.count, pool.SlotsPerBlock());
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_EQ(pool.LiveCount(), 2 * pool.SlotsPerBlock());

    // With no fresh slot left, a freed slot comes back alone, before any new block.
    pool.Release(first.pFirst + 3 * 32);
    const NodePool::SlotRun freed = pool.AllocateRun(5);
    EXPECT_EQ(freed.pFirst, first.pFirst + 3 * 32);
    EXPECT_EQ(freed.count, 1u);
    EXPECT_EQ(pool.BlockCount(), 2u);

    {
        MemoryRunsOut memory(0);
        const NodePool::SlotRun none = pool.AllocateRun(5);
        EXPECT_EQ(none.pFirst, nullptr);
        EXPECT_EQ(none.count, 0u);
        EXPECT_EQ(pool.LiveCount(), 2 * pool.SlotsPerBlock());
    }
    const NodePool::SlotRun again = pool.AllocateRun(5); // memory is back
    EXPECT_EQ(again.count, 5u);
    EXPECT_EQ(pool.BlockCount(), 3u);

    for (const NodePool::SlotRun& run : {first, rest, second, again})
        for (std::size_t i = 0; i < run.count; ++i)
            pool.Release(run.pFirst + i * run.slotBytes);
    pool.Release(next);
    EXPECT_EQ(pool.LiveCount(), 0u);
    EXPECT_EQ(pool.BlockCount(), 0u);
}

// The blocks of a large table come from regions of one large page, in order,
// each region emptied with its last block and kept up to a limit; small
// tables and single nodes keep to the general allocator.
TEST(NodeBlockRegions, LargeTablesTakeRegionsInOrderAndKeepSomeOnceEmptied)
{
    NodeBlockRegions regions;
    const std::size_t blockBytes = NodePool::kBlockBytes - 16;
    std::vector<char*> plain, regional;
    for (std::size_t i = 0; i < NodeBlockRegions::kPlainBlocks; ++i)
        plain.push_back(static_cast<char*>(regions.Allocate(blockBytes)));
    EXPECT_EQ(regions.RegionCount(), 0u);
    for (int i = 0; i < 70; ++i) {
        regional.push_back(static_cast<char*>(regions.Allocate(blockBytes)));
        ASSERT_NE(regional.back(), nullptr);
        std::memset(regional.back(), 0xA5, blockBytes); // all of it is memory of its own
    }
    EXPECT_EQ(regions.RegionCount(), 3u); // 32 + 32 + 6
    void* node = regions.Allocate(88);
    EXPECT_EQ(regions.RegionCount(), 3u);
    regions.Release(node, 88);
    for (std::size_t i = 0; i < regional.size(); ++i) {
        const std::size_t inRegion = i % 32;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(regional[i] - inRegion * NodePool::kBlockBytes) % kLargePageBytes,
                  0u);
    }

    // A freed slot is the next one taken, the lowest free first.
    regions.Release(regional[40], blockBytes);
    regions.Release(regional[35], blockBytes);
    EXPECT_EQ(regions.Allocate(blockBytes), regional[35]);
    EXPECT_EQ(regions.Allocate(blockBytes), regional[40]);

    // The second region is emptied only with the last of its blocks,
    // whichever that is, and is then kept for the next large table.
    std::vector<char*> second(regional.begin() + 32, regional.begin() + 64);
    std::reverse(second.begin(), second.end());
    std::swap(second[3], second.back());
    for (std::size_t i = 0; i + 1 < second.size(); ++i)
        regions.Release(second[i], blockBytes);
    EXPECT_EQ(regions.RegionCount(), 3u);
    regions.Release(second.back(), blockBytes);
    EXPECT_EQ(regions.RegionCount(), 2u);
    EXPECT_EQ(regions.SpareRegionCount(), 1u);
    for (int i = 0; i < 26 + 6; ++i) // the third region's rest, then the spare
        regional.push_back(static_cast<char*>(regions.Allocate(blockBytes)));
    EXPECT_EQ(regional.back() - 5 * NodePool::kBlockBytes, regional[32]);
    EXPECT_EQ(regions.SpareRegionCount(), 0u);

    // Past the spares kept, an empty region goes back to the system.
    const std::size_t held = regional.size();
    for (std::size_t i = 0; i < NodeBlockRegions::kSpareRegions * 32; ++i)
        regional.push_back(static_cast<char*>(regions.Allocate(blockBytes)));
    for (char* p : plain)
        regions.Release(p, blockBytes);
    for (std::size_t i = 0; i < regional.size(); ++i)
        if (i < 32 || i >= 64 || i >= held)
            regions.Release(regional[i], blockBytes);
    EXPECT_EQ(regions.RegionCount(), 0u);
    EXPECT_EQ(regions.SpareRegionCount(), NodeBlockRegions::kSpareRegions);
    // With every block back, the next table starts with plain blocks again.
    void* again = regions.Allocate(blockBytes);
    EXPECT_EQ(regions.SpareRegionCount(), NodeBlockRegions::kSpareRegions);
    regions.Release(again, blockBytes);
    regions.ReleaseSpareRegions();
    EXPECT_EQ(regions.SpareRegionCount(), 0u);
}

// A loader takes its nodes a run at a time. When one block cannot be had,
// after others were, the load fails as a whole (ENOMEM) and gives back every
// node it made, whether the list lies wholly inside the file or runs past its
// end; with memory back the same file is read whole.
TEST(PooledNodes, ChannelTableLoadFailsWholeWhenABlockAfterOthersFails)
{
    ASSERT_EQ(ChannelNode::Pool().LiveCount(), 0u);
    const std::uint16_t nAir = 5000;
    const std::size_t missing = NodesPerAllocation<ChannelNode>(); // the first node of the second allocation fails
    ASSERT_LT(missing, nAir);
    Bytes whole{0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'};
    PutI32(whole, 44);
    PutU16(whole, nAir);
    PutU16(whole, 1);
    PutU16(whole, 2);
    PutU16(whole, 1);
    for (int i = 1; i <= nAir; ++i)
        PutF64(whole, i);
    PutBytes(whole, {0x12, 0x34, 0x56, 0x78});
    PutF64(whole, 7000.5);
    PutF64(whole, 8000.5);

    TempDir dir;
    for (const std::size_t inFile : {std::size_t{nAir}, missing + 600}) {
        const bool bShort = inFile < nAir;
        Bytes file = whole;
        if (bShort)
            file.resize(20 + 8 * inFile);
        WriteAll(dir.File("t.ccf"), file);

        ChannelTable table(false);
        {
            OneAllocationFails memory(1);
            FileError error;
            EXPECT_EQ(table.Load(dir.File("t.ccf").c_str(), &error), 0) << inFile;
            EXPECT_EQ(error.code, ENOMEM) << inFile;
        }
        EXPECT_EQ(ChannelNode::Pool().LiveCount(), 0u) << inFile;
        ExpectWellFormed(*table.GetList(ChannelModeAir));
        ExpectWellFormed(*table.GetList(ChannelModeCable));
        EXPECT_EQ(table.GetList(ChannelModeAir)->iCount, 0) << inFile;
        EXPECT_EQ(table.Header().wAirMax(), 0) << inFile;

        ASSERT_EQ(table.Load(dir.File("t.ccf").c_str()), 1);
        std::vector<double> expected;
        for (std::size_t i = 0; i < nAir; ++i)
            expected.push_back(i < inFile ? static_cast<double>(i + 1) : 0.0);
        EXPECT_EQ(Frequencies(table.GetList(ChannelModeAir)), expected) << inFile;
        EXPECT_EQ(table.Header().wAirMax(), nAir);
        EXPECT_EQ(table.Header().wCableMax(), 2);
    }
    EXPECT_EQ(ChannelNode::Pool().LiveCount(), 0u);
}

TEST(PooledNodes, LegacyTableLoadFailsWholeWhenABlockAfterOthersFails)
{
    const std::uint16_t nAir = 5000;
    const std::size_t missing = NodesPerAllocation<LegacyChannelNode>();
    ASSERT_LT(missing, nAir);
    Bytes whole(32, 0);
    whole[24] = static_cast<std::uint8_t>(nAir & 0xFF);
    whole[25] = static_cast<std::uint8_t>(nAir >> 8);
    whole[26] = 1;
    for (int i = 1; i <= nAir + 1; ++i) {
        PutF32(whole, static_cast<float>(i));
        PutU16(whole, static_cast<std::uint16_t>(i));
        PutU16(whole, 7);
    }
    PutU16(whole, 1);
    PutU16(whole, nAir);
    PutU16(whole, 1);
    PutU16(whole, 1);
    PutBytes(whole, {0, 0, 0, 0, 0, 0, 0, 0});

    TempDir dir;
    // Whole, and with the trailer's maximum reaching past the end of the file
    // (a larger stated maximum than the section, read on into the bytes beyond).
    for (const bool bPastTheEnd : {false, true}) {
        Bytes file = whole;
        const std::size_t inFile = bPastTheEnd ? missing + 600 : nAir;
        if (bPastTheEnd) {
            // One air and one cable entry in the sections, so the trailer lies
            // where the third entry's frequency was, and the air maximum
            // reaches on past the end of the file.
            file[24] = 1;
            file[25] = 0;
            file.resize(32 + 8 * inFile);
            const Bytes trailer{1, 0, static_cast<std::uint8_t>(nAir & 0xFF), static_cast<std::uint8_t>(nAir >> 8)};
            std::copy(trailer.begin(), trailer.end(), file.begin() + 32 + 16);
        }
        WriteAll(dir.File("t.cft"), file);

        LegacyChannelTable table;
        {
            OneAllocationFails memory(1);
            FileError error;
            EXPECT_EQ(table.Load(dir.File("t.cft").c_str(), &error), 0) << bPastTheEnd;
            EXPECT_EQ(error.code, ENOMEM) << bPastTheEnd;
        }
        EXPECT_EQ(LegacyChannelNode::Pool().LiveCount(), 0u) << bPastTheEnd;
        EXPECT_EQ(table.GetList(ChannelModeAir), nullptr) << bPastTheEnd;

        ASSERT_EQ(table.Load(dir.File("t.cft").c_str()), 1);
        const EntryList* air = table.GetList(ChannelModeAir);
        ExpectWellFormed(*air);
        ASSERT_EQ(air->iCount, nAir);
        std::size_t i = 0;
        for (const LegacyChannelNode& node : table.Entries(ChannelModeAir)) {
            // Each node holds the entry at its own place; past the end of the file, zeros.
            const std::size_t at = 32 + 8 * i;
            ASSERT_EQ(node.fFrequency, i < inFile ? le::ReadF32(&file[at]) : 0.0f) << i << " " << bPastTheEnd;
            ASSERT_EQ(node.wExtra1, i < inFile ? le::ReadU16(&file[at + 4]) : 0) << i << " " << bPastTheEnd;
            ASSERT_EQ(node.wExtra2, i < inFile ? 7 : 0) << i << " " << bPastTheEnd;
            ++i;
        }
    }
}

// Converting takes the new nodes a run at a time too: where memory runs out
// the copy ends, and where the list holds another kind of node the slots taken
// for the rest of the run go back, so no memory stays counted for nodes that
// were never made.
TEST(PooledNodes, ConversionEndsWhereMemoryRunsOutAndGivesBackUnusedSlots)
{
    ASSERT_EQ(ChannelNode::Pool().LiveCount(), 0u);
    const int n = 5000;
    EntryList legacy;
    for (int i = 1; i <= n; ++i) {
        auto* pNode = new LegacyChannelNode;
        pNode->fFrequency = static_cast<float>(i) + 0.25f;
        legacy.AddTail(pNode);
    }
    ChannelTable table(true);
    {
        EntryList target;
        {
            OneAllocationFails memory(1);
            EXPECT_EQ(table.ConvertList(&legacy, &target), 0);
        }
        const std::size_t made = NodesPerAllocation<ChannelNode>();
        ASSERT_LT(made, static_cast<std::size_t>(n));
        ExpectWellFormed(target);
        std::vector<double> expected;
        for (std::size_t i = 1; i <= made; ++i)
            expected.push_back(static_cast<double>(static_cast<float>(i) + 0.25f));
        EXPECT_EQ(Frequencies(&target), expected);
        EXPECT_EQ(ChannelNode::Pool().LiveCount(), ChannelNode::kPooled ? made : 0u);
    }
    EXPECT_EQ(ChannelNode::Pool().LiveCount(), 0u);

    // Another kind of node in the middle of the list.
    auto* pStranger = new ChannelNode;
    legacy.InsertBefore(pStranger, legacy.GetAt(n / 2));
    {
        EntryList target;
        EXPECT_EQ(table.ConvertList(&legacy, &target), 0);
        ExpectWellFormed(target);
        EXPECT_EQ(target.iCount, n / 2);
        EXPECT_EQ(static_cast<const ChannelNode*>(target.pTail)->dbFrequency,
                  static_cast<double>(static_cast<float>(n / 2) + 0.25f));
        EXPECT_EQ(ChannelNode::Pool().LiveCount(), ChannelNode::kPooled ? n / 2 + 1u : 0u);
    }
    EXPECT_EQ(ChannelNode::Pool().LiveCount(), ChannelNode::kPooled ? 1u : 0u);
}
