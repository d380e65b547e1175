#pragma once
// The readers take paths, so every input goes through a real file in a private
// temporary folder (under $TMPDIR, else /tmp) that lives as long as the
// fuzzing process and is removed when it ends normally. scripts/fuzz.sh gives
// each run a TMPDIR of its own and removes it, so that a run that ends in a
// crash leaves nothing behind either.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ftw.h>
#include <unistd.h>

#include "platform/FileIO.h"

// Durability is not what the harnesses look at, and flushing to the disk would
// make each run a thousand times slower.
inline int NoFsync(int)
{
    return 0;
}

// A plain array: the exit handler that removes the folder may run after the
// destructors of static objects.
inline char g_fuzzFolder[4096];

inline int RemoveFolderEntry(const char* path, const struct stat*, int, struct FTW*)
{
    std::remove(path);
    return 0;
}

inline void RemoveFuzzFolder()
{
    if (g_fuzzFolder[0])
        ::nftw(g_fuzzFolder, RemoveFolderEntry, 8, FTW_DEPTH | FTW_PHYS);
}

inline const std::string& FuzzFolder()
{
    static const std::string folder = [] {
        SaveSystemCalls().fsync = NoFsync;
        const char* tmp = std::getenv("TMPDIR");
        const std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vornalix-fuzz-XXXXXX";
        if (pattern.size() >= sizeof g_fuzzFolder)
            std::abort();
        pattern.copy(g_fuzzFolder, pattern.size());
        g_fuzzFolder[pattern.size()] = '\0';
        if (!::mkdtemp(g_fuzzFolder))
            std::abort();
        std::atexit(RemoveFuzzFolder);
        return std::string(g_fuzzFolder);
    }();
    return folder;
}

inline std::string FuzzPath(const char* name)
{
    return FuzzFolder() + "/" + name;
}

inline std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzPath(name);
    // A new file each time: truncating one that holds data makes ext4 write
    // it out at close, should TMPDIR be on a disk.
    ::unlink(path.c_str());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    return path;
}

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// A 16-bit count of entries that a header declares beyond the end of its file
// still makes that many nodes, each its own allocation under the sanitizers:
// a count of 65,535 costs a hundred milliseconds in every load, and mutation
// gives one to most headers, so those inputs would take the whole run. After
// each mutation the custom mutators of the table harnesses therefore bring a
// count down to at most kAbsentEntries entries beyond the ones the file holds,
// except for one mutation in kKeepCountsEvery, which keeps whatever it made:
// the largest lists are still read, edited and saved, only not in every run.
constexpr std::size_t kAbsentEntries = 32;
constexpr unsigned kKeepCountsEvery = 256;

inline std::uint16_t ReadCount(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// held: the entries the file holds. A count above held + kAbsentEntries
// becomes its remainder modulo that limit plus one, so that every value up
// to the limit stays reachable. A count that lies beyond the input is left.
inline void KeepCountNearTheFile(std::uint8_t* data, std::size_t size, std::size_t offset, std::size_t held)
{
    if (offset + 2 > size)
        return;
    std::uint8_t* pCount = data + offset;
    const std::size_t limit = held + kAbsentEntries;
    const std::size_t count = ReadCount(pCount);
    if (count <= limit)
        return;
    const std::size_t kept = count % (limit + 1);
    pCount[0] = static_cast<std::uint8_t>(kept);
    pCount[1] = static_cast<std::uint8_t>(kept >> 8);
}
