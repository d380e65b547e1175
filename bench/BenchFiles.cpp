#include "bench/BenchFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"

namespace {

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

double Frequency(std::int32_t i)
{
    return (i % 7 == 3) ? 0.0 : 45.0 + 0.0625 * i;
}

std::vector<std::uint8_t> ChannelFile()
{
    const std::size_t n = ChannelTable::kMaxChannels;
    std::vector<std::uint8_t> bytes(ChannelTableHeader::kSize + 4 + 16 * n);
    const std::uint8_t header[] = {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q', 44, 0, 0, 0};
    std::memcpy(bytes.data(), header, sizeof header);
    le::WriteU16(&bytes[12], static_cast<std::uint16_t>(n));
    le::WriteU16(&bytes[14], 1);
    le::WriteU16(&bytes[16], static_cast<std::uint16_t>(n));
    le::WriteU16(&bytes[18], 1);
    std::uint8_t* p = bytes.data() + ChannelTableHeader::kSize;
    for (std::size_t i = 0; i < n; ++i, p += 8)
        le::WriteF64(p, Frequency(static_cast<std::int32_t>(i)));
    le::WriteU32(p, 0xFFFF0000u);
    p += 4;
    for (std::size_t i = 0; i < n; ++i, p += 8)
        le::WriteF64(p, Frequency(static_cast<std::int32_t>(i)) * 2);
    return bytes;
}

std::vector<std::uint8_t> TunerFile()
{
    const std::size_t n = BenchFiles::kTunerEntries;
    std::vector<std::uint8_t> bytes(12 + 64 * n + 4);
    const std::uint8_t header[] = {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'};
    std::memcpy(bytes.data(), header, sizeof header);
    le::WriteI32(&bytes[8], static_cast<std::int32_t>(n));
    std::uint8_t* p = bytes.data() + 12;
    for (std::size_t i = 0; i < n; ++i, p += 64) {
        le::WriteI32(p, static_cast<std::int32_t>(i));
        le::WriteI32(p + 4, static_cast<std::int32_t>(i % 0x100));
        for (int band = 0; band < 6; ++band)
            le::WriteF64(p + 8 + 8 * band, 45.0 + 100.0 * band + 0.01 * static_cast<double>(i % 1000));
        le::WriteU16(p + 56, 0x01);
        le::WriteU16(p + 58, 0x02);
        le::WriteU16(p + 60, 0x08);
    }
    le::WriteU32(p, 0xFFFF0000u);
    return bytes;
}

std::vector<std::uint8_t> LegacyFile()
{
    const std::size_t n = ChannelTable::kMaxChannels;
    std::vector<std::uint8_t> bytes(32 + 16 * n + 16);
    le::WriteI32(&bytes[4], 44);
    le::WriteU16(&bytes[24], static_cast<std::uint16_t>(n));
    le::WriteU16(&bytes[26], static_cast<std::uint16_t>(n));
    std::uint8_t* p = bytes.data() + 32;
    for (std::size_t i = 0; i < 2 * n; ++i, p += 8) {
        le::WriteF32(p, static_cast<float>(Frequency(static_cast<std::int32_t>(i % n))));
        le::WriteU16(p + 4, static_cast<std::uint16_t>(i));
    }
    le::WriteU16(p, 1);
    le::WriteU16(p + 2, static_cast<std::uint16_t>(n));
    le::WriteU16(p + 4, 1);
    le::WriteU16(p + 6, static_cast<std::uint16_t>(n));
    return bytes;
}

} // namespace

const BenchFiles& BenchFiles::Get()
{
    static const BenchFiles files;
    return files;
}

BenchFiles::BenchFiles()
{
    const char* pszParent = std::getenv("VORNALIX_BENCH_DIR");
    std::string pattern = std::string(pszParent && *pszParent ? pszParent : ".") + "/vornalix-bench.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for the benchmark files: " + std::string(std::strerror(errno)));
    folder = pattern;
    chfq = Scratch("full.ccf");
    tnsp = Scratch("tuners.tsf");
    cft = Scratch("old.cft");
    WriteBytes(chfq, ChannelFile());
    WriteBytes(tnsp, TunerFile());
    WriteBytes(cft, LegacyFile());
}

BenchFiles::~BenchFiles()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
