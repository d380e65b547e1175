#pragma once
// Both new table formats begin alike: the 16-bit marker 0xCB00, a 16-bit
// reserved word and a four-character magic. A header is kept as its file
// image; this is the part of it the two formats share.

#include <cstddef>
#include <cstdint>

#include "tables/format/ByteOrder.h"

template <std::size_t Size> class FileHeaderImage
{
public:
    static constexpr std::size_t kSize = Size;

    std::uint16_t wMarker() const { return le::ReadU16(bytes + kOffMarker); }
    std::uint16_t wReserved() const { return le::ReadU16(bytes + kOffReserved); }
    std::uint32_t dwMagic() const { return le::ReadU32(bytes + kOffMagic); }

    void SetMarker(std::uint16_t w) { le::WriteU16(bytes + kOffMarker, w); }
    void SetReserved(std::uint16_t w) { le::WriteU16(bytes + kOffReserved, w); }
    void SetMagic(const char (&magic)[5])
    {
        for (std::size_t i = 0; i < 4; ++i)
            bytes[kOffMagic + i] = static_cast<std::uint8_t>(magic[i]);
    }
    // The four magic bytes as dwMagic() reads them: the first byte lowest.
    void SetMagic(std::uint32_t dwMagic) { le::WriteU32(bytes + kOffMagic, dwMagic); }

    std::uint8_t bytes[Size] = {};

protected:
    static constexpr std::size_t kOffMarker = 0;
    static constexpr std::size_t kOffReserved = 2;
    static constexpr std::size_t kOffMagic = 4;
};
