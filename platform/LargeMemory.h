#pragma once
// Memory of many megabytes written all at once: a table file read whole, the
// nodes of a table being loaded. Linux hands such memory out in
// 4 KiB pages, each taken at its first write with a fault of its own; 16 MiB
// touched that way cost 6 to 7 ms here, against 1 to 2 ms in 2 MiB pages,
// and where the system keeps those for the programs that ask for them
// (transparent huge pages "madvise", Debian's default) nobody asks but us.

#include <cstddef>

// The size of one large page, and the alignment of what MapLargePages gives.
constexpr std::size_t kLargePageBytes = 2 * 1024 * 1024;

// Asks that the whole large pages inside [p, p + bytes) be backed by large
// pages when first written. Nothing changes for memory that lies in no whole
// large page, or where the system has none to give; the memory stays what it
// was in every other way, and whoever allocated it frees it as before.
void AdviseLargePages(void* p, std::size_t bytes) noexcept;

// `bytes` (a multiple of kLargePageBytes) of zeroed memory aligned to a large
// page, advised as above; nullptr when the system gives none. Freed only by
// ReleaseLargePages with the same size.
void* MapLargePages(std::size_t bytes) noexcept;
void ReleaseLargePages(void* p, std::size_t bytes) noexcept;
