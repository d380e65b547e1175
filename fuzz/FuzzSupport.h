#pragma once
// The readers take paths, so every input goes through a real file in a private
// temporary folder that lives as long as the fuzzing process.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "FileIO.h"

// Durability is not what the harnesses look at, and flushing to the disk would
// make each run a thousand times slower.
inline int NoFsync(int)
{
    return 0;
}

inline const std::string& FuzzFolder()
{
    static const std::string folder = [] {
        SaveSystemCalls().fsync = NoFsync;
        char pattern[] = "/tmp/vornalix-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

inline std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzFolder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    return path;
}
