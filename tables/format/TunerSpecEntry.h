#pragma once
// One tuner model's record: 64 bytes that are at the same time its file image.
// The record is kept as those bytes and read through named fields, so a table
// writes the same file on any host.

#include <cstddef>
#include <cstdint>

#include "tables/format/EntryList.h"
#include "tables/format/NodePool.h"

class TunerSpecEntry
{
public:
    static constexpr std::size_t kSize = 64;

    std::int32_t iFactory() const;
    std::int32_t iTunerType() const;
    double dbLowBandStart() const;
    double dbMidBandStart() const;
    double dbHighBandStart() const;
    double dbHighBandEnd() const;
    double dbPictureCarrier() const;
    double dbPictureCarrier2() const;
    std::uint16_t wLowCode() const;
    std::uint16_t wMidCode() const;
    std::uint16_t wHighCode() const;
    std::uint16_t wReserved() const;

    void SetFactory(std::int32_t i);
    void SetTunerType(std::int32_t i);
    void SetLowBandStart(double db);
    void SetMidBandStart(double db);
    void SetHighBandStart(double db);
    void SetHighBandEnd(double db);
    void SetPictureCarrier(double db);
    void SetPictureCarrier2(double db);
    void SetLowCode(std::uint16_t w);
    void SetMidCode(std::uint16_t w);
    void SetHighCode(std::uint16_t w);
    void SetReserved(std::uint16_t w);

    std::uint8_t bytes[kSize] = {};
};

// A tuner table's node: list links, then the record, all zero when made.
struct TunerSpecNode : EntryNode, PoolAllocated<TunerSpecNode>
{
    TunerSpecEntry entry;
};

// The ordering key: iFactory + 10 * (iTunerType >> 4) + 100 * (iTunerType & 0xF),
// the shift keeping the sign. The low nibble of the tuner type weighs 100 and
// the high one 10, so different code pairs can share a key. The sum wraps in
// signed 32 bits as the stored key always has.
std::int32_t TunerSortKey(const TunerSpecEntry& entry);
