#include "tests/robustness/HeapCounter.h"

#include <cstdlib>
#include <new>

#include "tables/format/NodePool.h"

namespace {

// Each block carries its size in front of it, so delete knows what it frees.
constexpr std::size_t kPrefix = alignof(std::max_align_t);
std::size_t g_inUse = 0;
std::size_t g_base = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size, bool bThrow)
{
    void* p = std::malloc(size + kPrefix);
    if (!p) {
        if (bThrow)
            throw std::bad_alloc();
        return nullptr;
    }
    *static_cast<std::size_t*>(p) = size;
    g_inUse += size;
    if (g_inUse > g_peak)
        g_peak = g_inUse;
    return static_cast<char*>(p) + kPrefix;
}

void Free(void* p)
{
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kPrefix;
    g_inUse -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void* AllocateCountedBlock(std::size_t bytes) noexcept
{
    return Allocate(bytes, false);
}

void FreeCountedBlock(void* p, std::size_t) noexcept
{
    Free(p);
}

// The tables' node blocks are taken from this heap too, where they are
// counted as the reader asks for them; the programs take those of large
// tables from regions of large pages, which rounds them up to whole regions.
const bool g_nodeBlocksCounted = [] {
    NodeBlockSystemCalls() = NodeBlockCalls{AllocateCountedBlock, FreeCountedBlock};
    return true;
}();

} // namespace

namespace heap {

std::size_t InUse()
{
    return g_inUse;
}

void ResetPeak()
{
    g_base = g_inUse;
    g_peak = g_inUse;
}

std::size_t PeakSinceReset()
{
    return g_peak - g_base;
}

} // namespace heap

void* operator new(std::size_t size)
{
    return Allocate(size, true);
}
void* operator new[](std::size_t size)
{
    return Allocate(size, true);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size, false);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size, false);
}
void operator delete(void* p) noexcept
{
    Free(p);
}
void operator delete[](void* p) noexcept
{
    Free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}
