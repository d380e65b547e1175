#pragma once
// File images for the tool tests, written out field by field.

#include <array>
#include <string>
#include <vector>

#include "tests/TestFiles.h"

struct ChfqImage
{
    std::uint16_t marker = 0xCB00;
    std::uint16_t reserved = 0;
    std::array<std::uint8_t, 4> magic = {'C', 'H', 'F', 'Q'};
    std::int32_t country = 44;
    std::uint16_t airMin = 1;
    std::uint16_t cableMin = 0;
    std::array<std::uint8_t, 4> endMark = {0x00, 0x00, 0xFF, 0xFF};
    std::vector<double> air;
    std::vector<double> cable;

    Bytes Build() const
    {
        Bytes b;
        PutU16(b, marker);
        PutU16(b, reserved);
        b.insert(b.end(), magic.begin(), magic.end());
        PutI32(b, country);
        PutU16(b, static_cast<std::uint16_t>(air.size()));
        PutU16(b, airMin);
        PutU16(b, static_cast<std::uint16_t>(cable.size()));
        PutU16(b, cableMin);
        for (double f : air)
            PutF64(b, f);
        b.insert(b.end(), endMark.begin(), endMark.end());
        for (double f : cable)
            PutF64(b, f);
        return b;
    }
};

struct TnspRecord
{
    std::int32_t factory = 0x03;
    std::int32_t tunerType = 0x12;
    double low = 48.25;
    double mid = 160.0;
    double high = 442.0;
    double end = 863.25;
    double pc = 45.75;
    double pc2 = 0.0;
    std::uint16_t lowCode = 1;
    std::uint16_t midCode = 2;
    std::uint16_t highCode = 8;
    std::uint16_t reserved = 0;

    void Put(Bytes& b) const
    {
        PutI32(b, factory);
        PutI32(b, tunerType);
        for (double d : {low, mid, high, end, pc, pc2})
            PutF64(b, d);
        PutU16(b, lowCode);
        PutU16(b, midCode);
        PutU16(b, highCode);
        PutU16(b, reserved);
    }
};

// A tuner of these codes and band edges, with the band codes 8E01, 8E02, 8E04.
inline TnspRecord TunerWithBands(std::int32_t factory, std::int32_t tunerType, double low, double mid, double high,
                                 double end)
{
    TnspRecord record;
    record.factory = factory;
    record.tunerType = tunerType;
    record.low = low;
    record.mid = mid;
    record.high = high;
    record.end = end;
    record.lowCode = 0x8E01;
    record.midCode = 0x8E02;
    record.highCode = 0x8E04;
    return record;
}

struct TnspImage
{
    std::uint16_t marker = 0xCB00;
    std::uint16_t reserved = 0;
    std::array<std::uint8_t, 4> magic = {'T', 'N', 'S', 'P'};
    std::array<std::uint8_t, 4> endMark = {0x00, 0x00, 0xFF, 0xFF};
    std::vector<TnspRecord> records;

    // A table without records is its header alone, as the editor saves it.
    Bytes Build() const
    {
        Bytes b;
        PutU16(b, marker);
        PutU16(b, reserved);
        b.insert(b.end(), magic.begin(), magic.end());
        PutI32(b, static_cast<std::int32_t>(records.size()));
        if (records.empty())
            return b;
        for (const TnspRecord& r : records)
            r.Put(b);
        b.insert(b.end(), endMark.begin(), endMark.end());
        return b;
    }
};

struct CftEntry
{
    float frequency = 0.0f;
    std::uint16_t word1 = 0;
    std::uint16_t word2 = 0;
};

struct CftImage
{
    std::int32_t country = 7;
    std::vector<CftEntry> air;
    std::vector<CftEntry> cable;
    // The trailer: first channels, and how many entries of each section
    // become channels.
    std::uint16_t airMin = 1;
    std::uint16_t airMax = 0;
    std::uint16_t cableMin = 1;
    std::uint16_t cableMax = 0;

    Bytes Build() const
    {
        Bytes b;
        PutU32(b, 0x11223344);
        PutI32(b, country);
        for (int i = 0; i < 16; ++i)
            b.push_back(static_cast<std::uint8_t>(0xA0 + i));
        PutU16(b, static_cast<std::uint16_t>(air.size()));
        PutU16(b, static_cast<std::uint16_t>(cable.size()));
        PutU32(b, 0);
        for (const auto* list : {&air, &cable}) {
            for (const CftEntry& e : *list) {
                PutF32(b, e.frequency);
                PutU16(b, e.word1);
                PutU16(b, e.word2);
            }
        }
        PutU16(b, airMin);
        PutU16(b, airMax);
        PutU16(b, cableMin);
        PutU16(b, cableMax);
        PutU32(b, 0);
        PutU32(b, 0);
        return b;
    }
};

inline std::string WriteFile(const TempDir& dir, const std::string& name, const Bytes& bytes)
{
    const std::string path = dir.File(name);
    WriteAll(path, bytes);
    return path;
}

inline std::string WriteText(const TempDir& dir, const std::string& name, const std::string& text)
{
    return WriteFile(dir, name, Bytes(text.begin(), text.end()));
}
