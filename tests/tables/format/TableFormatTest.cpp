#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "tables/format/ChannelTable.h"
#include "tables/format/TableFormat.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

Bytes Head(const char* magic)
{
    Bytes b;
    PutU16(b, kTableMarker);
    PutU16(b, 0);
    PutBytes(b, {static_cast<std::uint8_t>(magic[0]), static_cast<std::uint8_t>(magic[1]),
                 static_cast<std::uint8_t>(magic[2]), static_cast<std::uint8_t>(magic[3])});
    PutI32(b, 44);
    return b;
}

} // namespace

TEST(TableFormat, ExtensionFirstInAnyCaseThenTheMagic)
{
    TempDir dir;
    const auto write = [&dir](const std::string& name, const Bytes& bytes) {
        WriteAll(dir.File(name), bytes);
        return dir.File(name);
    };
    // The extension wins over what the bytes say, and needs no file at all.
    EXPECT_EQ(DetectTableKind(write("a.CCF", Head("TNSP"))), TableKind::Channel);
    EXPECT_EQ(DetectTableKind(dir.File("missing.TsF")), TableKind::Tuner);
    EXPECT_EQ(DetectTableKind(dir.File("missing.cft")), TableKind::Legacy);
    // Without a table's extension, the magic at offset 4.
    EXPECT_EQ(DetectTableKind(write("plan.bin", Head("CHFQ"))), TableKind::Channel);
    EXPECT_EQ(DetectTableKind(write("tuners", Head("TNSP"))), TableKind::Tuner);
    EXPECT_EQ(DetectTableKind(write("other.bin", Head("CHFX"))), std::nullopt);
    EXPECT_EQ(DetectTableKind(write("short.bin", Bytes{0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F'})), std::nullopt);
    EXPECT_EQ(DetectTableKind(dir.File("missing.bin")), std::nullopt);
    // A dot in a folder's name is no extension.
    std::filesystem::create_directory(dir.File("x.ccf"));
    EXPECT_EQ(DetectTableKind(write("x.ccf/plain", Head("CHFQ"))), TableKind::Channel);
    EXPECT_EQ(TableKindFromPath(dir.File("x.ccf/plain")), std::nullopt);
}

TEST(TableFormat, NewTablesCarryTheMarkerMagicAndEndMark)
{
    ChannelTable channels(true);
    const std::vector<std::uint8_t> image = channels.FileImage();
    ASSERT_GE(image.size(), 24u);
    EXPECT_EQ(TableKindFromMagic(image.data(), image.size()), TableKind::Channel);
    EXPECT_EQ(Bytes(image.begin() + 20, image.begin() + 24), Bytes(kTableEndMark, kTableEndMark + 4));

    TunerSpecTable tuners(true);
    EXPECT_EQ(TableKindFromMagic(tuners.Header().bytes, sizeof tuners.Header().bytes), TableKind::Tuner);
    EXPECT_EQ(Bytes(tuners.EndMark(), tuners.EndMark() + 4), Bytes(kTableEndMark, kTableEndMark + 4));
}

TEST(TableFormat, AFifoIsNotLookedInto)
{
    TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // With no writer, opening it for reading would block: refusing it returns at once.
    EXPECT_EQ(DetectTableKind(fifo), std::nullopt);
    EXPECT_EQ(DetectTableKind(dir.File("pipe.ccf")), TableKind::Channel);
}
