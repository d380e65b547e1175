#pragma once
// Little-endian field access for every file format of the system. All multi-byte
// fields go through these helpers, so the files come out the same on any host.

#include <cstdint>
#include <cstring>

namespace le {

inline std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t ReadU64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(ReadU32(p)) | (static_cast<std::uint64_t>(ReadU32(p + 4)) << 32);
}

inline std::int32_t ReadI32(const std::uint8_t* p)
{
    const std::uint32_t u = ReadU32(p);
    std::int32_t i;
    std::memcpy(&i, &u, sizeof i);
    return i;
}

inline float ReadF32(const std::uint8_t* p)
{
    const std::uint32_t u = ReadU32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

inline double ReadF64(const std::uint8_t* p)
{
    const std::uint64_t u = ReadU64(p);
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

inline void WriteU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void WriteU64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void WriteI32(std::uint8_t* p, std::int32_t v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    WriteU32(p, u);
}

inline void WriteF32(std::uint8_t* p, float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    WriteU32(p, u);
}

inline void WriteF64(std::uint8_t* p, double v)
{
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    WriteU64(p, u);
}

} // namespace le
