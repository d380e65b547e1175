// dump --json then build gives back the bytes of every well-formed CHFQ and
// TNSP file, whatever values its fields hold.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <random>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

double FromBits(std::uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// Writes the file, dumps it, builds from the dump and compares the bytes; the
// rebuilt file dumps to the same JSON.
void ExpectRoundTrip(const Bytes& bytes, const std::string& extension, const std::string& what)
{
    SCOPED_TRACE(what);
    TempDir dir;
    const std::string original = WriteFile(dir, "original." + extension, bytes);
    const ToolRun dump = RunToolProcess({"dump", "--json", original});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::string json = WriteText(dir, "table.json", dump.out);
    const std::string rebuilt = dir.File("rebuilt." + extension);
    const ToolRun build = RunToolProcess({"build", json, "-o", rebuilt});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadAll(rebuilt), bytes);
    const ToolRun again = RunToolProcess({"dump", "--json", rebuilt});
    EXPECT_EQ(again.out, dump.out);
}

std::vector<double> OddDoubles()
{
    return {std::numeric_limits<double>::quiet_NaN(),
            FromBits(0xFFF8000000000000ull), // the NaN of 0.0 / 0.0 on x86
            FromBits(0x7FF0000000000001ull), // a signalling NaN
            FromBits(0xFFFFFFFFFFFFFFFFull),
            std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity(),
            -0.0,
            0.0,
            std::numeric_limits<double>::denorm_min(),
            std::numeric_limits<double>::max(),
            std::numeric_limits<double>::lowest(),
            static_cast<double>(175.26f),
            0.1,
            -55.25};
}

} // namespace

TEST(ToolRoundTrip, ChannelTables)
{
    ChfqImage plain;
    plain.air = {48.25, 55.25, 62.25};
    plain.cable = {112.25, 0.0};
    plain.cableMin = 1;
    ExpectRoundTrip(plain.Build(), "ccf", "plain");

    ChfqImage odd;
    odd.marker = 0xFFFF;
    odd.reserved = 0x1234;
    odd.magic = {0x00, '"', '\\', 0xFF};
    odd.country = std::numeric_limits<std::int32_t>::min();
    odd.airMin = 65535;
    odd.cableMin = 7;
    odd.endMark = {0x01, 0x02, 0x03, 0x04};
    odd.air = OddDoubles();
    odd.cable = OddDoubles();
    ExpectRoundTrip(odd.Build(), "ccf", "odd header, non-finite frequencies");

    ChfqImage controls;
    controls.magic = {0x01, '\n', 0x1F, 0x7F};
    controls.country = -1;
    controls.airMin = 3; // a minimum that no channel backs
    controls.cableMin = 9;
    ExpectRoundTrip(controls.Build(), "ccf", "control-character magic, empty lists");

    ChfqImage latin;
    latin.magic = {0x80, 0xA0, 0xC3, 0xE9};
    latin.country = std::numeric_limits<std::int32_t>::max();
    latin.air = {0.0};
    latin.airMin = 0;
    ExpectRoundTrip(latin.Build(), "ccf", "high-byte magic, one empty slot");

    std::mt19937_64 random(4406);
    ChfqImage noise;
    noise.country = static_cast<std::int32_t>(random());
    noise.airMin = static_cast<std::uint16_t>(random());
    noise.cableMin = static_cast<std::uint16_t>(random());
    for (int i = 0; i < 3000; ++i)
        noise.air.push_back(FromBits(random()));
    for (int i = 0; i < 700; ++i)
        noise.cable.push_back(FromBits(random()));
    ExpectRoundTrip(noise.Build(), "ccf", "random bit patterns");

    ChfqImage full;
    for (int i = 0; i < 65535; ++i)
        full.air.push_back(45.0 + i * 0.125);
    full.cable = {1.0};
    full.cableMin = 1;
    ExpectRoundTrip(full.Build(), "ccf", "the longest list a count can record");
}

TEST(ToolRoundTrip, TunerTables)
{
    TnspImage one;
    one.records.emplace_back();
    ExpectRoundTrip(one.Build(), "tsf", "one entry");

    TnspImage odd;
    odd.marker = 0x0001;
    odd.reserved = 0xFFFF;
    odd.magic = {'T', 0x00, '\\', 0xFE};
    odd.endMark = {0xFF, 0xFF, 0x00, 0x00};
    const std::vector<double> doubles = OddDoubles();
    // Out of key order, a repeated key, codes outside BCD and every odd double.
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        TnspRecord r;
        r.factory = i % 3 == 0 ? 0x10 : -static_cast<std::int32_t>(i) * 1000003;
        r.tunerType = i % 3 == 0 ? 0x01 : std::numeric_limits<std::int32_t>::max() - static_cast<std::int32_t>(i);
        r.low = doubles[i];
        r.mid = doubles[(i + 1) % doubles.size()];
        r.high = doubles[(i + 2) % doubles.size()];
        r.end = doubles[(i + 3) % doubles.size()];
        r.pc = doubles[(i + 4) % doubles.size()];
        r.pc2 = doubles[(i + 5) % doubles.size()];
        r.lowCode = static_cast<std::uint16_t>(0xFFFF - i);
        r.midCode = static_cast<std::uint16_t>(i);
        r.highCode = 0x8000;
        r.reserved = static_cast<std::uint16_t>(0xBEEF + i);
        odd.records.push_back(r);
    }
    ExpectRoundTrip(odd.Build(), "tsf", "odd header and records");

    ExpectRoundTrip(TnspImage().Build(), "tsf", "count 0, the header alone");
    TnspImage emptyOdd;
    emptyOdd.magic = {'N', 'O', 'P', 'E'};
    emptyOdd.marker = 0;
    ExpectRoundTrip(emptyOdd.Build(), "tsf", "count 0 with another magic");

    std::mt19937_64 random(1236);
    TnspImage noise;
    for (int i = 0; i < 400; ++i) {
        TnspRecord r;
        r.factory = static_cast<std::int32_t>(random());
        r.tunerType = static_cast<std::int32_t>(random());
        for (double* d : {&r.low, &r.mid, &r.high, &r.end, &r.pc, &r.pc2})
            *d = FromBits(random());
        r.lowCode = static_cast<std::uint16_t>(random());
        r.midCode = static_cast<std::uint16_t>(random());
        r.highCode = static_cast<std::uint16_t>(random());
        r.reserved = static_cast<std::uint16_t>(random());
        noise.records.push_back(r);
    }
    ExpectRoundTrip(noise.Build(), "tsf", "random records");
}

// A count of 0: the table reads the header alone and holds a zero end mark.
// The bytes a file has after such a header are listed, compared and kept by
// dump --json, so build writes the file back as it was.
TEST(ToolRoundTrip, TunerTableWithACountOfZero)
{
    TempDir dir;
    const auto emptyWith = [](const std::vector<std::uint8_t>& after) {
        Bytes bytes;
        PutBytes(bytes, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
        PutI32(bytes, 0);
        bytes.insert(bytes.end(), after.begin(), after.end());
        return bytes;
    };
    const Bytes ends = emptyWith({0x00, 0x00, 0xFF, 0xFF});
    const Bytes odd = emptyWith({0x12, 0x34, 0x56, 0x78});
    ExpectRoundTrip(ends, "tsf", "count 0 and the usual end mark after it");
    ExpectRoundTrip(odd, "tsf", "count 0 and other bytes after it");
    ExpectRoundTrip(emptyWith({}), "tsf", "count 0, the header alone");

    const std::string endsPath = WriteFile(dir, "ends.tsf", ends);
    ToolRun run = RunToolProcess({"dump", endsPath});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "tuner specification table (tsf)\nmarker: 0xCB00\nreserved: 0\nmagic: \"TNSP\"\n"
                       "entry count: 0\nend mark: 00000000\n"
                       "after the header, not read (entry count 0): 0000ffff\n");
    run = RunToolProcess({"dump", "--json", endsPath});
    EXPECT_EQ(run.out, "{\"format\":\"tsf\",\"marker\":51968,\"reserved\":0,\"magic\":\"TNSP\",\"entry_count\":0,"
                       "\"end_mark\":\"00000000\",\"unread_end_mark\":\"0000ffff\",\"entries\":[]}\n");

    // Two empty tables that differ only there are not the same file.
    const std::string oddPath = WriteFile(dir, "odd.tsf", odd);
    run = RunToolProcess({"diff", endsPath, oddPath});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "after the header, not read (entry count 0): 0000ffff -> 12345678\n");
    run = RunToolProcess({"diff", endsPath, WriteFile(dir, "bare.tsf", emptyWith({}))});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "after the header, not read (entry count 0): 0000ffff -> none\n");
    run = RunToolProcess({"diff", endsPath, WriteFile(dir, "same.tsf", ends)});
    EXPECT_EQ(run.status, 0) << run.err;

    // Only a table without entries has such bytes.
    const std::string json =
        WriteText(dir, "bad.json",
                  "{\"format\":\"tsf\",\"unread_end_mark\":\"0000ffff\",\"entries\":[{\"factory\":3,"
                  "\"tuner_type\":18,\"low_band_start\":1,\"mid_band_start\":2,\"high_band_start\":3,"
                  "\"high_band_end\":4,\"picture_carrier\":5,\"low_code\":1,\"mid_code\":2,\"high_code\":3}]}");
    run = RunToolProcess({"build", json, "-o", dir.File("out.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + json +
                           ": not a tuner table: unread_end_mark belongs only to a table whose entry count is 0\n");
    EXPECT_FALSE(FileExists(dir.File("out.tsf")));
}

TEST(ToolRoundTrip, TunerTableWithANegativeCount)
{
    // A negative count: no records, and the 4 bytes after the header are the
    // end mark. dump --json keeps the count, build writes the file back.
    for (std::int32_t count : {-1, std::numeric_limits<std::int32_t>::min()}) {
        for (const auto& endMark : {std::array<std::uint8_t, 4>{0x00, 0x00, 0xFF, 0xFF},
                                    std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}}) {
            Bytes bytes;
            PutBytes(bytes, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
            PutI32(bytes, count);
            bytes.insert(bytes.end(), endMark.begin(), endMark.end());
            ExpectRoundTrip(bytes, "tsf",
                            "count " + std::to_string(count) + ", end mark " + std::to_string(endMark[0]));
        }
    }

    // The count names a file without records: with entries it still has to match.
    TempDir dir;
    const std::string json =
        WriteText(dir, "bad.json",
                  "{\"format\":\"tsf\",\"entry_count\":-1,\"entries\":[{\"factory\":3,\"tuner_type\":18,"
                  "\"low_band_start\":1,\"mid_band_start\":2,\"high_band_start\":3,\"high_band_end\":4,"
                  "\"picture_carrier\":5,\"low_code\":1,\"mid_code\":2,\"high_code\":3}]}");
    const ToolRun run = RunToolProcess({"build", json, "-o", dir.File("out.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + json +
                           ": not a tuner table: entry_count -1 does not match the 1 entries (leave it out to take "
                           "their number)\n");
    EXPECT_FALSE(FileExists(dir.File("out.tsf")));
}
