#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "tables/catalogue/TunerCatalogue.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TestFiles.h"

namespace {

TunerSpecNode* Tuner(std::int32_t factory, std::int32_t type, double lowStart = 0.0)
{
    auto* p = new TunerSpecNode;
    p->entry.SetFactory(factory);
    p->entry.SetTunerType(type);
    p->entry.SetLowBandStart(lowStart);
    return p;
}

std::int32_t Key(std::int32_t factory, std::int32_t type)
{
    TunerSpecEntry e;
    e.SetFactory(factory);
    e.SetTunerType(type);
    return TunerSortKey(e);
}

std::vector<std::int32_t> Keys(const TunerSpecTable& t)
{
    std::vector<std::int32_t> out;
    const EntryList* list = t.GetList();
    for (const EntryNode* p = list ? list->pHead : nullptr; p; p = p->pNext)
        out.push_back(TunerSortKey(static_cast<const TunerSpecNode*>(p)->entry));
    return out;
}

std::size_t CountBackwards(const EntryList& list)
{
    std::size_t n = 0;
    for (const EntryNode* p = list.pTail; p; p = p->pPrev)
        ++n;
    return n;
}

Bytes TnspHeader(std::int32_t count)
{
    Bytes b;
    PutBytes(b, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(b, count);
    return b;
}

// A record whose key is the factory code alone (tuner type 0).
void PutRecordWithKey(Bytes& b, std::int32_t key)
{
    PutI32(b, key);
    PutI32(b, 0);
    for (int i = 0; i < 56; ++i)
        b.push_back(static_cast<std::uint8_t>(key + i));
}

} // namespace

TEST(TunerSpecEntry, FieldsLieAtTheirOffsetsLittleEndian)
{
    TunerSpecEntry e;
    EXPECT_EQ(Bytes(e.bytes, e.bytes + TunerSpecEntry::kSize), Bytes(64, 0));
    e.SetFactory(0x12);
    e.SetTunerType(-2);
    e.SetLowBandStart(44.0);
    e.SetMidBandStart(140.25);
    e.SetHighBandStart(463.25);
    e.SetHighBandEnd(958.0);
    e.SetPictureCarrier(38.9375);
    e.SetPictureCarrier2(-0.5);
    e.SetLowCode(0x8E02);
    e.SetMidCode(0x8E04);
    e.SetHighCode(0x00A1);
    e.SetReserved(0xBEEF);

    Bytes expected;
    PutBytes(expected, {0x12, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF});
    for (double d : {44.0, 140.25, 463.25, 958.0, 38.9375, -0.5})
        PutF64(expected, d);
    PutBytes(expected, {0x02, 0x8E, 0x04, 0x8E, 0xA1, 0x00, 0xEF, 0xBE});
    EXPECT_EQ(Bytes(e.bytes, e.bytes + TunerSpecEntry::kSize), expected);

    EXPECT_EQ(e.iFactory(), 0x12);
    EXPECT_EQ(e.iTunerType(), -2);
    EXPECT_EQ(e.dbLowBandStart(), 44.0);
    EXPECT_EQ(e.dbMidBandStart(), 140.25);
    EXPECT_EQ(e.dbHighBandStart(), 463.25);
    EXPECT_EQ(e.dbHighBandEnd(), 958.0);
    EXPECT_EQ(e.dbPictureCarrier(), 38.9375);
    EXPECT_EQ(e.dbPictureCarrier2(), -0.5);
    EXPECT_EQ(e.wLowCode(), 0x8E02);
    EXPECT_EQ(e.wMidCode(), 0x8E04);
    EXPECT_EQ(e.wHighCode(), 0x00A1);
    EXPECT_EQ(e.wReserved(), 0xBEEF);
}

TEST(TunerSortKey, LowNibbleWeighsHundredHighNibbleTen)
{
    EXPECT_EQ(Key(0x03, 0x12), 213);
    EXPECT_EQ(Key(0x12, 0x05), 518);
    EXPECT_EQ(Key(0x10, 0x01), 116);
    EXPECT_EQ(Key(0x06, 0x11), 116);
    EXPECT_EQ(Key(0, 0), 0);
    // The shift keeps the sign: -1 >> 4 is -1, and its low nibble is 15.
    EXPECT_EQ(Key(0, -1), -10 + 1500);
    EXPECT_EQ(Key(0, -16), -10);
    EXPECT_EQ(Key(5, std::numeric_limits<std::int32_t>::min()), 5 + 10 * -134217728);
}

TEST(TunerSortKey, SumsBeyondThirtyTwoBitsWrap)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    // 2147483647 + 1500 - 2^32
    EXPECT_EQ(Key(kMax, 0x0F), -2147482149);
    // -2147483648 + 10 * -134217728 + 2^32
    EXPECT_EQ(Key(kMin, kMin), 805306368);
    // 2147483647 + 10 * 134217727 + 1500 - 2^32
    EXPECT_EQ(Key(kMax, kMax), -805304879);
}

TEST(TunerSpecTableFile, OneEntryMakesAnEightyByteFile)
{
    TempDir dir;
    TunerSpecTable table(true);
    auto* node = Tuner(0x12, 0x05, 44.0);
    node->entry.SetMidBandStart(140.25);
    node->entry.SetHighBandStart(463.25);
    node->entry.SetHighBandEnd(958.0);
    node->entry.SetPictureCarrier(38.9375);
    node->entry.SetLowCode(0x8E02);
    node->entry.SetMidCode(0x8E04);
    node->entry.SetHighCode(0x8E01);
    table.InsertInOrder(node);
    FileError error;
    ASSERT_EQ(table.Save(dir.File("one.tsf").c_str(), &error), 1);
    EXPECT_EQ(error.code, 0);

    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 0x54, 0x4E, 0x53, 0x50, 0x01, 0x00, 0x00, 0x00});
    PutBytes(expected, {0x12, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00});
    for (double d : {44.0, 140.25, 463.25, 958.0, 38.9375, 0.0})
        PutF64(expected, d);
    PutBytes(expected, {0x02, 0x8E, 0x04, 0x8E, 0x01, 0x8E, 0x00, 0x00});
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    ASSERT_EQ(expected.size(), 80u);
    EXPECT_EQ(ReadAll(dir.File("one.tsf")), expected);
    EXPECT_EQ(table.Header().iEntryCount(), 1);
    EXPECT_EQ(table.Header().dwMagic(), 0x50534E54u);

    TunerSpecTable loaded(false);
    ASSERT_EQ(loaded.Load(dir.File("one.tsf").c_str()), 1);
    ASSERT_EQ(loaded.GetList()->iCount, 1);
    const TunerSpecEntry& e = static_cast<const TunerSpecNode*>(loaded.GetList()->pHead)->entry;
    EXPECT_EQ(e.iFactory(), 0x12);
    EXPECT_EQ(e.wHighCode(), 0x8E01);
    EXPECT_EQ(e.dbPictureCarrier(), 38.9375);
}

TEST(TunerSpecTableFile, EmptyTableWritesHeaderAloneAndReportsZero)
{
    TempDir dir;
    TunerSpecTable table(true);
    FileError error;
    EXPECT_EQ(table.Save(dir.File("empty.tsf").c_str(), &error), 0);
    EXPECT_EQ(error.code, 0); // written, but not a table
    EXPECT_EQ(ReadAll(dir.File("empty.tsf")), TnspHeader(0));

    TunerSpecTable loaded(true);
    loaded.InsertInOrder(Tuner(1, 0));
    EXPECT_EQ(loaded.Load(dir.File("empty.tsf").c_str()), 0);
    ASSERT_NE(loaded.GetList(), nullptr);
    EXPECT_EQ(loaded.GetList()->iCount, 0);
    EXPECT_EQ(loaded.Header().dwMagic(), 0x50534E54u);
}

TEST(TunerSpecTableFile, SaveWithoutListOrPathOrWritableFolderFails)
{
    TempDir dir;
    TunerSpecTable noList(false);
    FileError error;
    EXPECT_EQ(noList.Save(dir.File("none.tsf").c_str(), &error), 0);
    EXPECT_FALSE(FileExists(dir.File("none.tsf")));
    EXPECT_EQ(error.code, EINVAL);

    TunerSpecTable table(true);
    table.InsertInOrder(Tuner(3, 0x12));
    EXPECT_EQ(table.Save(nullptr), 0);
    FileError writeError;
    EXPECT_EQ(table.Save(dir.File("missing-folder/t.tsf").c_str(), &writeError), 0);
    EXPECT_EQ(writeError.code, ENOENT);
    EXPECT_FALSE(writeError.text.empty());
    EXPECT_EQ(table.Header().iEntryCount(), 0); // only a written file sets the count
}

TEST(TunerSpecTableFile, ForeignHeaderAndEndMarkAreWrittenBack)
{
    TempDir dir;
    Bytes image;
    PutBytes(image, {0x34, 0x12, 0x78, 0x56, 'A', 'B', 'C', 'D'});
    PutI32(image, 2);
    PutRecordWithKey(image, 500);
    PutRecordWithKey(image, 7);
    PutBytes(image, {'W', 'X', 'Y', 'Z'});
    WriteAll(dir.File("odd.tsf"), image);

    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(dir.File("odd.tsf").c_str()), 1);
    EXPECT_EQ(table.Header().wMarker(), 0x1234);
    EXPECT_EQ(table.Header().wReserved(), 0x5678);
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{500, 7})); // file order, not sorted
    ASSERT_EQ(table.Save(dir.File("copy.tsf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("copy.tsf")), image);
}

TEST(TunerSpecTableFile, CountZeroAndNegativeCount)
{
    TempDir dir;
    Bytes zero;
    PutBytes(zero, {0x00, 0xCB, 0x00, 0x00, 'Q', 'Q', 'Q', 'Q'});
    PutI32(zero, 0);
    PutRecordWithKey(zero, 1);
    WriteAll(dir.File("zero.tsf"), zero);
    TunerSpecTable table(false);
    EXPECT_EQ(table.Load(dir.File("zero.tsf").c_str()), 0);
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().dwMagic(), 0x51515151u); // header as read
    // Nothing past the header is read: the end mark is zero, as for a file
    // that cannot be opened, and the bytes the file holds there are reported.
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), Bytes(4, 0));
    ASSERT_TRUE(table.LastLoad().unreadEndMark.has_value());
    EXPECT_EQ(Bytes(table.LastLoad().unreadEndMark->begin(), table.LastLoad().unreadEndMark->end()),
              Bytes(zero.begin() + 12, zero.begin() + 16));
    // The empty table saves as its header alone; entries added later are
    // written with the end mark the table holds.
    ASSERT_EQ(table.Save(dir.File("empty-again.tsf").c_str()), 0);
    EXPECT_EQ(ReadAll(dir.File("empty-again.tsf")), Bytes(zero.begin(), zero.begin() + 12));
    table.InsertInOrder(Tuner(1, 0));
    ASSERT_EQ(table.Save(dir.File("after-zero.tsf").c_str()), 1);
    const Bytes saved = ReadAll(dir.File("after-zero.tsf"));
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(Bytes(saved.end() - 4, saved.end()), Bytes(4, 0));

    // A header-only file has nothing after the header to report.
    WriteAll(dir.File("header-only.tsf"), Bytes(zero.begin(), zero.begin() + 12));
    EXPECT_EQ(table.Load(dir.File("header-only.tsf").c_str()), 0);
    EXPECT_FALSE(table.LastLoad().unreadEndMark.has_value());
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), Bytes(4, 0));

    Bytes negative = TnspHeader(-3);
    PutBytes(negative, {0x01, 0x02, 0x03, 0x04});
    PutRecordWithKey(negative, 9);
    WriteAll(dir.File("negative.tsf"), negative);
    ASSERT_EQ(table.Load(dir.File("negative.tsf").c_str()), 1);
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().iEntryCount(), -3);
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0x01, 0x02, 0x03, 0x04}));
}

TEST(TunerSpecTableFile, ShortFileStillYieldsItsStatedEntries)
{
    TempDir dir;
    // A count of three over one record and four bytes: the second record
    // holds those four bytes and zeros, the third is all zero, and the end
    // mark lies beyond the file.
    Bytes three = TnspHeader(3);
    PutRecordWithKey(three, 42);
    PutBytes(three, {0x00, 0x00, 0xFF, 0xFF});
    WriteAll(dir.File("three.tsf"), three);
    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(dir.File("three.tsf").c_str()), 1);
    const EntryList& list = *table.GetList();
    ASSERT_EQ(list.iCount, 3);
    EXPECT_EQ(CountBackwards(list), 3u);
    EXPECT_EQ(table.Header().iEntryCount(), 3);
    Bytes expectedPartial = {0x00, 0x00, 0xFF, 0xFF};
    expectedPartial.resize(64, 0);
    const TunerSpecEntry* pSecond = table.EntryAt(1); // 0-based
    ASSERT_NE(pSecond, nullptr);
    EXPECT_EQ(Bytes(pSecond->bytes, pSecond->bytes + 64), expectedPartial);
    const TunerSpecEntry& last = static_cast<const TunerSpecNode*>(list.pTail)->entry;
    EXPECT_EQ(Bytes(last.bytes, last.bytes + 64), Bytes(64, 0));
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), Bytes(4, 0)); // beyond the end
    // Saved, the table is whole: three records and the end mark it holds.
    ASSERT_EQ(table.Save(dir.File("three-saved.tsf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("three-saved.tsf")).size(), 12u + 3 * 64 + 4);

    // The largest table from its header alone: every entry made, all zero.
    WriteAll(dir.File("largest.tsf"), TnspHeader(TunerSpecTable::kMaxEntries));
    ASSERT_EQ(table.Load(dir.File("largest.tsf").c_str()), 1);
    EXPECT_EQ(table.GetList()->iCount, TunerSpecTable::kMaxEntries);
    EXPECT_EQ(Keys(table).back(), 0);

    // One more than the largest table is refused, whatever the file holds,
    // and leaves an empty table that saves as a new one.
    FileError error;
    WriteAll(dir.File("beyond.tsf"), TnspHeader(TunerSpecTable::kMaxEntries + 1));
    EXPECT_EQ(table.Load(dir.File("beyond.tsf").c_str(), &error), 0);
    EXPECT_EQ(error.code, EFBIG);
    EXPECT_EQ(error.text, "its entry count 100001 is more than the 100000 tuner entries a table may have");
    EXPECT_EQ(table.GetList()->iCount, 0);
    Bytes huge = TnspHeader(2000000000);
    PutRecordWithKey(huge, 42);
    WriteAll(dir.File("huge.tsf"), huge);
    EXPECT_EQ(table.Load(dir.File("huge.tsf").c_str(), &error), 0);
    EXPECT_EQ(error.code, EFBIG);
    EXPECT_EQ(table.GetList()->iCount, 0);

    // A single record cut short keeps what is there and zeros the rest.
    Bytes cut = TnspHeader(1);
    PutBytes(cut, {0x05, 0x00, 0x00, 0x00, 0x12, 0x00});
    WriteAll(dir.File("cut.tsf"), cut);
    ASSERT_EQ(table.Load(dir.File("cut.tsf").c_str()), 1);
    ASSERT_EQ(table.GetList()->iCount, 1);
    const TunerSpecEntry& e = static_cast<const TunerSpecNode*>(table.GetList()->pHead)->entry;
    EXPECT_EQ(e.iFactory(), 5);
    EXPECT_EQ(e.iTunerType(), 0x12);
    EXPECT_EQ(e.dbLowBandStart(), 0.0);
    EXPECT_EQ(e.wReserved(), 0);

    // Header only, count one: the one entry is all zero.
    WriteAll(dir.File("bare.tsf"), TnspHeader(1));
    ASSERT_EQ(table.Load(dir.File("bare.tsf").c_str()), 1);
    EXPECT_EQ(table.GetList()->iCount, 1);
    EXPECT_EQ(table.Header().iEntryCount(), 1);
    EXPECT_EQ(table.LastLoad().iRecords, 0);
}

TEST(TunerSpecTableFile, LargeTableLoadsWhole)
{
    TempDir dir;
    const std::size_t limit = 100000;
    Bytes image = TnspHeader(static_cast<std::int32_t>(limit));
    image.resize(TunerSpecHeader::kSize + TunerSpecEntry::kSize * limit + 4, 0x11);
    const std::size_t endMark = TunerSpecHeader::kSize + TunerSpecEntry::kSize * limit;
    image[endMark] = 0xE0;
    image[endMark + 3] = 0xE3;
    WriteAll(dir.File("limit.tsf"), image);

    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(dir.File("limit.tsf").c_str()), 1);
    EXPECT_EQ(static_cast<std::size_t>(table.GetList()->iCount), limit);
    EXPECT_EQ(static_cast<std::size_t>(table.Header().iEntryCount()), limit);
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0xE0, 0x11, 0x11, 0xE3}));
}

TEST(TunerSpecTableFile, FailedLoadLeavesAnEmptyTableThatSavesValidly)
{
    TempDir dir;
    TunerSpecTable table(true);
    table.InsertInOrder(Tuner(1, 0));
    EXPECT_EQ(table.Load(nullptr), 0);
    EXPECT_EQ(table.GetList()->iCount, 1); // no path: untouched

    FileError error;
    EXPECT_EQ(table.Load(dir.File("absent.tsf").c_str(), &error), 0);
    EXPECT_EQ(error.code, ENOENT);
    ASSERT_NE(table.GetList(), nullptr);
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().wMarker(), 0xCB00);
    EXPECT_EQ(table.Header().wReserved(), 0);
    EXPECT_EQ(table.Header().dwMagic(), 0x50534E54u);
    EXPECT_EQ(table.Header().iEntryCount(), 0);
    EXPECT_EQ(Bytes(table.EndMark(), table.EndMark() + 4), (Bytes{0x00, 0x00, 0xFF, 0xFF}));

    table.InsertInOrder(Tuner(0x03, 0x12));
    ASSERT_EQ(table.Save(dir.File("after.tsf").c_str()), 1);
    const Bytes saved = ReadAll(dir.File("after.tsf"));
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 12), TnspHeader(1));
    EXPECT_EQ(Bytes(saved.end() - 4, saved.end()), (Bytes{0x00, 0x00, 0xFF, 0xFF}));

    EXPECT_EQ(table.Load(dir.Path().c_str()), 0); // a folder
    EXPECT_EQ(table.GetList()->iCount, 0);
    EXPECT_EQ(table.Header().wMarker(), 0xCB00);
}

TEST(TunerSpecTableOrder, InsertsByKeyAndRefusesTakenKeys)
{
    TunerSpecTable table(true);
    table.InsertInOrder(Tuner(300, 0));
    table.InsertInOrder(Tuner(100, 0));
    table.InsertInOrder(Tuner(200, 0));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{100, 200, 300}));
    table.InsertInOrder(Tuner(200, 0, 99.0));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{100, 200, 300}));
    EXPECT_EQ(static_cast<const TunerSpecNode*>(table.GetList()->GetAt(1))->entry.dbLowBandStart(), 0.0);

    table.InsertInOrder(Tuner(50, 0));  // ahead of the head
    table.InsertInOrder(Tuner(400, 0)); // behind the tail
    table.InsertInOrder(Tuner(250, 0)); // by the walk
    table.InsertInOrder(Tuner(101, 0));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{50, 100, 101, 200, 250, 300, 400}));
    EXPECT_EQ(CountBackwards(*table.GetList()), 7u);
    table.InsertInOrder(nullptr);
    EXPECT_EQ(table.GetList()->iCount, 7);
}

TEST(TunerSpecTableOrder, SharedKeyRefusesWhicheverComesSecond)
{
    TunerSpecTable first(true);
    first.InsertInOrder(Tuner(0x10, 0x01));
    first.InsertInOrder(Tuner(0x06, 0x11));
    ASSERT_EQ(first.GetList()->iCount, 1);
    EXPECT_EQ(static_cast<const TunerSpecNode*>(first.GetList()->pHead)->entry.iFactory(), 0x10);

    TunerSpecTable second(true);
    second.InsertInOrder(Tuner(0x06, 0x11));
    second.InsertInOrder(Tuner(0x10, 0x01));
    ASSERT_EQ(second.GetList()->iCount, 1);
    EXPECT_EQ(static_cast<const TunerSpecNode*>(second.GetList()->pHead)->entry.iFactory(), 0x06);

    TunerSpecTable noList(false);
    noList.InsertInOrder(Tuner(1, 1)); // discarded: nothing to hold it
    EXPECT_EQ(noList.GetList(), nullptr);
}

TEST(TunerSpecTableOrder, LoadedOrderIsKeptAndLaterInsertsFollowTheWalk)
{
    TempDir dir;
    Bytes image = TnspHeader(3);
    for (int key : {300, 200, 100})
        PutRecordWithKey(image, key);
    PutBytes(image, {0x00, 0x00, 0xFF, 0xFF});
    WriteAll(dir.File("desc.tsf"), image);

    TunerSpecTable table(false);
    ASSERT_EQ(table.Load(dir.File("desc.tsf").c_str()), 1);
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{300, 200, 100}));
    table.InsertInOrder(Tuner(350, 0)); // the tail's key is smaller: behind it
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{300, 200, 100, 350}));
    table.InsertInOrder(Tuner(320, 0)); // the walk: behind 100, whose successor is larger
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{300, 200, 100, 320, 350}));
    table.InsertInOrder(Tuner(320, 0)); // found by the walk: refused
    table.InsertInOrder(Tuner(250, 0)); // smaller than the head
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{250, 300, 200, 100, 320, 350}));
    // Against an unsorted list the head test comes first: a key that is
    // present further on but smaller than the head goes ahead of it.
    table.InsertInOrder(Tuner(200, 0));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{200, 250, 300, 200, 100, 320, 350}));
    EXPECT_EQ(CountBackwards(*table.GetList()), 7u);
}

TEST(TunerSpecTableOrder, RemoveEntryTakesOneBasedPositions)
{
    TunerSpecTable table(true);
    for (int key : {10, 20, 30, 40})
        table.InsertInOrder(Tuner(key, 0));
    EXPECT_EQ(table.RemoveEntry(0), 0);
    EXPECT_EQ(table.RemoveEntry(5), 0);
    EXPECT_EQ(table.RemoveEntry(-1), 0);
    EXPECT_EQ(table.RemoveEntry(2), 1);
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{10, 30, 40}));
    EXPECT_EQ(table.RemoveEntry(3), 1);
    EXPECT_EQ(table.RemoveEntry(1), 1);
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{30}));
    EXPECT_EQ(table.GetList()->pHead, table.GetList()->pTail);
    EXPECT_EQ(table.RemoveEntry(1), 1);
    EXPECT_EQ(table.GetList()->pHead, nullptr);
    EXPECT_EQ(table.RemoveEntry(1), 0);
    table.InsertInOrder(Tuner(5, 0));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{5}));

    TunerSpecTable noList(false);
    EXPECT_EQ(noList.RemoveEntry(1), 0);
}

// Every tuner of the public kernel table goes into one table, is saved and
// read back field for field, in key order.
TEST(TunerSpecTableFile, RealTunerTableRoundTrips)
{
    const auto rows = ReadCsv(DataFile("tuners.csv"));
    ASSERT_EQ(rows.size(), 64u);
    TunerSpecTable table(true);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const CsvRow& r = rows[i];
        ASSERT_EQ(r.size(), 12u) << i;
        auto* node = new TunerSpecNode;
        TunerSpecEntry& e = node->entry;
        e.SetFactory(0x01);
        e.SetTunerType(BcdFromDecimal(std::stoi(r[10])));
        e.SetLowBandStart(std::stod(r[1]));
        e.SetMidBandStart(std::stod(r[2]));
        e.SetHighBandStart(std::stod(r[3]));
        e.SetHighBandEnd(std::stod(r[4]));
        e.SetLowCode(static_cast<std::uint16_t>(std::stoul(r[5], nullptr, 16)));
        e.SetMidCode(static_cast<std::uint16_t>(std::stoul(r[6], nullptr, 16)));
        e.SetHighCode(static_cast<std::uint16_t>(std::stoul(r[7], nullptr, 16)));
        e.SetPictureCarrier(std::stod(r[9]));
        table.InsertInOrder(node);
    }
    ASSERT_EQ(table.GetList()->iCount, 63);

    TempDir dir;
    ASSERT_EQ(table.Save(dir.File("kernel.tsf").c_str()), 1);
    EXPECT_EQ(ReadAll(dir.File("kernel.tsf")).size(), 16u + 64u * 63u);
    TunerSpecTable loaded(false);
    ASSERT_EQ(loaded.Load(dir.File("kernel.tsf").c_str()), 1);
    ASSERT_EQ(loaded.GetList()->iCount, 63);

    const auto keys = Keys(loaded);
    for (std::size_t i = 1; i < keys.size(); ++i)
        EXPECT_LT(keys[i - 1], keys[i]);
    int found = 0;
    for (const EntryNode* p = loaded.GetList()->pHead; p; p = p->pNext) {
        const TunerSpecEntry& e = static_cast<const TunerSpecNode*>(p)->entry;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            if (BcdFromDecimal(std::stoi(rows[i][10])) != e.iTunerType())
                continue;
            ++found;
            EXPECT_EQ(e.dbMidBandStart(), std::stod(rows[i][2])) << rows[i][0];
            EXPECT_EQ(e.dbHighBandStart(), std::stod(rows[i][3])) << rows[i][0];
            EXPECT_EQ(e.dbHighBandEnd(), std::stod(rows[i][4])) << rows[i][0];
            EXPECT_EQ(e.wMidCode(), std::stoul(rows[i][6], nullptr, 16)) << rows[i][0];
            EXPECT_EQ(e.dbPictureCarrier(), std::stod(rows[i][9])) << rows[i][0];
        }
    }
    EXPECT_EQ(found, 63);
}

// Entries rebuilt from a description of a file keep the file's order and its
// repeated keys, unlike entries added one by one in key order.
TEST(TunerSpecTableBuild, AppendedEntriesKeepTheirOrderAndRepeatedKeys)
{
    std::vector<TunerSpecEntry> entries(3);
    entries[0].SetFactory(0x20);
    entries[1].SetFactory(0x10);
    entries[2].SetFactory(0x20);
    TunerSpecTable table(true);
    ASSERT_TRUE(table.AppendEntries(entries));
    ASSERT_TRUE(table.AppendEntries({}));
    EXPECT_EQ(Keys(table), (std::vector<std::int32_t>{Key(0x20, 0), Key(0x10, 0), Key(0x20, 0)}));
    EXPECT_EQ(CountBackwards(*table.GetList()), 3u);
    ASSERT_NE(table.EntryAt(1), nullptr);
    EXPECT_EQ(table.EntryAt(1)->iFactory(), 0x10);
    ASSERT_NE(table.EntryAt(2), nullptr);
    EXPECT_EQ(table.EntryAt(2)->iFactory(), 0x20);
    EXPECT_EQ(table.EntryAt(3), nullptr);
    EXPECT_EQ(table.EntryAt(-1), nullptr);

    TempDir dir;
    ASSERT_EQ(table.Save(dir.File("kept.tsf").c_str()), 1);
    TunerSpecTable loaded(false);
    ASSERT_EQ(loaded.Load(dir.File("kept.tsf").c_str()), 1);
    EXPECT_EQ(loaded.FileImage(), table.FileImage());

    TunerSpecTable noList(false);
    EXPECT_FALSE(noList.AppendEntries(entries));
}
