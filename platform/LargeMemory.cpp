#include "platform/LargeMemory.h"

#include <cstdint>

#include <sys/mman.h>

void AdviseLargePages(void* p, std::size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (begin + kLargePageBytes - 1) & ~(kLargePageBytes - 1);
    const std::uintptr_t end = (begin + bytes) & ~(kLargePageBytes - 1);
    if (p && bytes >= kLargePageBytes && first < end)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

void* MapLargePages(std::size_t bytes) noexcept
{
    // The system aligns a mapping to its small pages only: map a large page
    // more and give back the parts before and after the aligned stretch.
    const std::size_t mapped = bytes + kLargePageBytes;
    void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (begin + kLargePageBytes - 1) & ~(kLargePageBytes - 1);
    if (aligned > begin)
        ::munmap(p, aligned - begin);
    const std::uintptr_t end = aligned + bytes;
    if (begin + mapped > end)
        ::munmap(reinterpret_cast<void*>(end), begin + mapped - end);
    AdviseLargePages(reinterpret_cast<void*>(aligned), bytes);
    return reinterpret_cast<void*>(aligned);
}

void ReleaseLargePages(void* p, std::size_t bytes) noexcept
{
    if (p)
        ::munmap(p, bytes);
}
