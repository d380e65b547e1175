// Import and export of the editors: a table exported and imported back saves
// the bytes it was loaded from, a list goes through CSV unchanged, a refused
// text says where it went wrong and changes nothing, and each import is one
// step of undo.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "edit/TableTransfer.h"
#include "edit/TunerTableDocument.h"
#include "tables/text/TableJson.h"
#include "tests/TestFiles.h"
#include "tests/edit/TunerInputs.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

double FromBits(std::uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::uint64_t BitsOf(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

std::vector<std::uint64_t> AllBits(const std::vector<double>& values)
{
    std::vector<std::uint64_t> bits;
    for (double d : values)
        bits.push_back(BitsOf(d));
    return bits;
}

std::vector<double> OddDoubles()
{
    return {std::numeric_limits<double>::quiet_NaN(),
            FromBits(0xFFF8000000000000ull),
            FromBits(0x7FF0000000000001ull),
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

// The bytes a document's "SaveToFile" writes.
Bytes SavedBytes(ChannelTableDocument& doc, const TempDir& dir)
{
    const std::string path = dir.File("saved.ccf");
    FileError error;
    EXPECT_TRUE(doc.Save(path, error)) << error.text;
    return ReadAll(path);
}

Bytes SavedBytes(TunerTableDocument& doc, const TempDir& dir)
{
    const std::string path = dir.File("saved.tsf");
    FileError error;
    EXPECT_TRUE(doc.Save(path, error)) << error.text;
    return ReadAll(path);
}

// Loads the file image into one editor, exports it through a file, imports
// that file into a second editor and saves: the original bytes come back.
void ExpectChannelRoundTrip(const Bytes& bytes, const std::string& what)
{
    SCOPED_TRACE(what);
    TempDir dir;
    const std::string original = WriteFile(dir, "original.ccf", bytes);
    ChannelTableDocument loaded;
    FileError loadError;
    ASSERT_TRUE(loaded.Load(original, loadError)) << loadError.text;
    TransferError error;
    const std::string exported = dir.File("table.json");
    ASSERT_TRUE(ExportChannelTableFile(exported, *loaded.Table(), error)) << error.reason;

    ChannelTableDocument imported;
    std::unique_ptr<ChannelTable> pTable;
    ASSERT_TRUE(ImportChannelTableFile(exported, pTable, error)) << TransferMessage(exported, error);
    ASSERT_TRUE(imported.Import(std::move(pTable)));
    EXPECT_EQ(imported.Origin(), TableOriginLoaded);
    EXPECT_EQ(imported.Mode(), ChannelModeAir);
    EXPECT_TRUE(imported.Source().empty());
    EXPECT_TRUE(imported.Modified());
    EXPECT_EQ(imported.Table()->FileImage(), bytes);
    EXPECT_EQ(SavedBytes(imported, dir), bytes);
    EXPECT_FALSE(imported.Modified());
}

void ExpectTunerRoundTrip(const Bytes& bytes, const std::string& what)
{
    SCOPED_TRACE(what);
    TempDir dir;
    const std::string original = WriteFile(dir, "original.tsf", bytes);
    TunerTableDocument loaded;
    FileError loadError;
    ASSERT_EQ(loaded.Load(original, loadError), TunerLoadResult::Read) << loadError.text;
    TransferError error;
    const std::string exported = dir.File("table.json");
    ASSERT_TRUE(ExportTunerTableFile(exported, *loaded.Table(), error)) << error.reason;

    TunerTableDocument imported;
    std::unique_ptr<TunerSpecTable> pTable;
    ASSERT_TRUE(ImportTunerTableFile(exported, pTable, error)) << TransferMessage(exported, error);
    ASSERT_TRUE(imported.Import(std::move(pTable)));
    EXPECT_TRUE(imported.Source().empty());
    EXPECT_TRUE(imported.Modified());
    // The file the imported table stands for is the original, a negative
    // count included; the editor's save stores the list's count, as it does
    // for the table loaded from the original.
    EXPECT_EQ(TunerTableFileImage(*imported.Table()), bytes);
    EXPECT_EQ(SavedBytes(imported, dir), SavedBytes(loaded, dir));
    EXPECT_EQ(TunerTableJsonText(*imported.Table()), TunerTableJsonText(*loaded.Table()));
}

Bytes NegativeCountTuner(std::int32_t count, std::array<std::uint8_t, 4> endMark)
{
    Bytes bytes;
    PutBytes(bytes, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(bytes, count);
    bytes.insert(bytes.end(), endMark.begin(), endMark.end());
    return bytes;
}

std::vector<double> Longest()
{
    std::vector<double> frequencies;
    for (int i = 0; i < ChannelTable::kMaxChannels; ++i)
        frequencies.push_back(i % 7 == 0 ? 0.0 : 45.0 + i * 0.125);
    return frequencies;
}

// A list's CSV refused at this place, with the list given left as it was.
void ExpectListCsvRefused(const std::string& text, std::size_t line, std::size_t column, const std::string& reason)
{
    std::vector<double> read = {7.0};
    TransferError error;
    EXPECT_FALSE(ReadChannelListCsv(text, read, error));
    EXPECT_EQ(error.line, line);
    EXPECT_EQ(error.column, column);
    EXPECT_EQ(error.reason, reason);
    EXPECT_EQ(read, std::vector<double>{7.0});
}

} // namespace

TEST(TableTransfer, ChannelTableExportedAndImportedSavesTheSameBytes)
{
    ChfqImage plain;
    plain.air = {48.25, 55.25, 62.25};
    plain.cable = {112.25, 0.0};
    plain.cableMin = 1;
    ExpectChannelRoundTrip(plain.Build(), "plain");

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
    ExpectChannelRoundTrip(odd.Build(), "odd header, NaN, infinities");

    ChfqImage empty;
    empty.magic = {0x01, '\n', 0x1F, 0x7F};
    empty.country = -1;
    empty.airMin = 3;
    empty.cableMin = 9;
    ExpectChannelRoundTrip(empty.Build(), "both lists empty, stored minima no channel backs");

    std::mt19937_64 random(2207);
    ChfqImage noise;
    for (int i = 0; i < 2000; ++i)
        noise.cable.push_back(FromBits(random()));
    ExpectChannelRoundTrip(noise.Build(), "random bit patterns");

    ChfqImage full;
    full.air = Longest();
    full.cable = Longest();
    full.airMin = 2;
    full.cableMin = 2;
    ExpectChannelRoundTrip(full.Build(), "65,535 channels in each list");
}

TEST(TableTransfer, TunerTableExportedAndImportedSavesTheSameBytes)
{
    TnspImage one;
    one.records.emplace_back();
    ExpectTunerRoundTrip(one.Build(), "one entry");

    TnspImage odd;
    odd.marker = 0x0001;
    odd.reserved = 0xFFFF;
    odd.magic = {'T', 0x00, '\\', 0xFE};
    odd.endMark = {0xFF, 0xFF, 0x00, 0x00};
    const std::vector<double> doubles = OddDoubles();
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        TnspRecord r; // out of key order, repeated keys, codes outside BCD
        r.factory = i % 3 == 0 ? 0x10 : -static_cast<std::int32_t>(i) * 1000003;
        r.tunerType = i % 3 == 0 ? 0x01 : std::numeric_limits<std::int32_t>::max() - static_cast<std::int32_t>(i);
        r.low = doubles[i];
        r.pc2 = doubles[(i + 5) % doubles.size()];
        r.lowCode = static_cast<std::uint16_t>(0xFFFF - i);
        r.reserved = static_cast<std::uint16_t>(0xBEEF + i);
        odd.records.push_back(r);
    }
    ExpectTunerRoundTrip(odd.Build(), "odd header and records");
    ExpectTunerRoundTrip(TnspImage().Build(), "count 0, the header alone");
    for (std::int32_t count : {-1, std::numeric_limits<std::int32_t>::min()})
        ExpectTunerRoundTrip(NegativeCountTuner(count, {0x12, 0x34, 0x56, 0x78}),
                             "negative count " + std::to_string(count));

    // A table edited since it was read exports the count its save writes,
    // not the count its file stated, and imports as the table saved.
    TempDir dir;
    TunerTableDocument edited;
    FileError loadError;
    ASSERT_EQ(edited.Load(WriteFile(dir, "one.tsf", one.Build()), loadError), TunerLoadResult::Read);
    ASSERT_TRUE(edited.AddInfo(ValidTunerInput(3, 1)).bAdded);
    TransferError error;
    const std::string exported = dir.File("edited.json");
    ASSERT_TRUE(ExportTunerTableFile(exported, *edited.Table(), error)) << error.reason;
    std::unique_ptr<TunerSpecTable> pImported;
    ASSERT_TRUE(ImportTunerTableFile(exported, pImported, error)) << TransferMessage(exported, error);
    EXPECT_EQ(pImported->Entries().size(), 2u);
    EXPECT_EQ(pImported->FileImage(), SavedBytes(edited, dir));
}

TEST(TableTransfer, ChannelListThroughCsvGivesTheSameTableBytes)
{
    // Empty slots, NaN, infinities and a negative frequency: every slot is a
    // row, so that the list comes back bit for bit.
    std::vector<double> air = {0.0, 0.0, 55.25};
    for (double d : OddDoubles())
        air.push_back(d);
    air.push_back(0.0);
    const std::vector<double> cable = {112.25, 0.0};
    ChfqImage image;
    image.air = air;
    image.cable = cable;
    image.airMin = 3;
    image.cableMin = 1;
    const Bytes bytes = image.Build();

    TempDir dir;
    ChannelTableDocument source;
    FileError loadError;
    ASSERT_TRUE(source.Load(WriteFile(dir, "source.ccf", bytes), loadError));
    const std::string airCsv = ChannelListCsvText(source.CurrentFrequencies());
    EXPECT_EQ(airCsv.substr(0, 53), "channel,frequency_mhz\n1,0\n2,0\n3,55.25\n4,nan\n5,nan:fff");
    source.SetMode(ChannelModeCable);
    EXPECT_EQ(ChannelListCsvText(source.CurrentFrequencies()), "channel,frequency_mhz\n1,112.25\n2,0\n");
    TransferError error;
    const std::string cablePath = dir.File("cable.csv");
    ASSERT_TRUE(ExportChannelListFile(cablePath, source.CurrentFrequencies(), error));

    // Into a new table whose lists held other channels.
    ChannelTableDocument target;
    ASSERT_TRUE(target.CreateNew());
    target.Append(1.0);
    target.Append(2.0);
    target.SetCountryCode(44);
    std::vector<double> read;
    ASSERT_TRUE(ReadChannelListCsv(airCsv, read, error)) << error.reason;
    EXPECT_EQ(AllBits(read), AllBits(air));
    ASSERT_TRUE(target.ReplaceList(ChannelModeAir, read));
    ASSERT_TRUE(ImportChannelListFile(cablePath, read, error)) << error.reason;
    ASSERT_TRUE(target.ReplaceList(ChannelModeCable, read));
    EXPECT_EQ(target.Range(ChannelModeAir).iMin, 3);
    EXPECT_EQ(target.Mode(), ChannelModeAir);
    EXPECT_EQ(target.Table()->FileImage(), bytes);

    // The longest list, and one channel more.
    ChannelTableDocument longest;
    ASSERT_TRUE(longest.CreateNew());
    ASSERT_TRUE(ReadChannelListCsv(ChannelListCsvText(Longest()), read, error)) << error.reason;
    ASSERT_TRUE(longest.ReplaceList(ChannelModeCable, read));
    ChfqImage full;
    full.country = 0;
    full.cable = Longest();
    full.airMin = 0;
    full.cableMin = 2;
    EXPECT_EQ(longest.Table()->FileImage(), full.Build());
    std::vector<double> tooLong = Longest();
    tooLong.push_back(1.0);
    EXPECT_FALSE(ReadChannelListCsv(ChannelListCsvText(tooLong), read, error));
    EXPECT_EQ(error.line, 65537u);
    EXPECT_EQ(error.column, 1u);
    EXPECT_EQ(error.reason, "a list holds at most 65535 channels");
    EXPECT_FALSE(longest.ReplaceList(ChannelModeAir, tooLong));
    EXPECT_EQ(longest.Table()->FileImage(), full.Build());
}

TEST(TableTransfer, ChannelListCsvIsReadAsAPlan)
{
    std::vector<double> read;
    TransferError error;
    // Whole-number labels are positions; the gaps are empty slots.
    ASSERT_TRUE(ReadChannelListCsv("channel,frequency_mhz\r\n2,55.25\r\n5,\"62.25\"\r\n", read, error));
    EXPECT_EQ(read, (std::vector<double>{0.0, 55.25, 0.0, 0.0, 62.25}));
    // Other labels are numbered in order; a byte order mark is passed over.
    ASSERT_TRUE(ReadChannelListCsv("\xEF\xBB\xBF"
                                   "channel,frequency_mhz\nE2,48.25\nE4,62.25\n",
                                   read, error));
    EXPECT_EQ(read, (std::vector<double>{48.25, 62.25}));
    // The header alone is an empty list.
    ASSERT_TRUE(ReadChannelListCsv("channel,frequency_mhz\n", read, error));
    EXPECT_TRUE(read.empty());
}

// One CSV family for both front ends: columns by name in any order, a list
// column for both lists, one list (the one asked for) without it.
TEST(ChannelCsv, ColumnsAreFoundByNameAndOtherColumnsPassedOver)
{
    ChannelCsvLists lists;
    TransferError error;
    ASSERT_TRUE(ReadChannelListsCsv("frequency_mhz,note,channel\r\n55.25,\"a, b\",2\r\n62.25,,3\r\n", ChannelModeCable,
                                    lists, error))
        << error.reason;
    EXPECT_FALSE(lists.bListColumn);
    EXPECT_EQ(lists.cable, (std::vector<double>{0.0, 55.25, 62.25}));
    EXPECT_TRUE(lists.air.empty());

    // The tool's export: both lists, whichever list was asked for.
    ASSERT_TRUE(ReadChannelListsCsv("note,list,frequency_mhz,channel\nx,cable,175.25,1\n,air,55.25,E2\n,air,62.25,E3\n",
                                    ChannelModeCable, lists, error))
        << error.reason;
    EXPECT_TRUE(lists.bListColumn);
    EXPECT_EQ(lists.air, (std::vector<double>{55.25, 62.25}));
    EXPECT_EQ(lists.cable, (std::vector<double>{175.25}));
}

TEST(ChannelCsv, BothListsWrittenReadBackBitForBit)
{
    const std::vector<double> air = {0.0, 55.25, std::numeric_limits<double>::quiet_NaN(), FromBits(0xfff0000000000001),
                                     -0.0};
    const std::vector<double> cable = {std::numeric_limits<double>::infinity(), 112.25};
    const std::string text = ChannelCsvText(air, cable);
    EXPECT_EQ(text.substr(0, 38), "list,channel,frequency_mhz\nair,1,0\nair");
    ChannelCsvLists lists;
    TransferError error;
    ASSERT_TRUE(ReadChannelListsCsv(text, ChannelModeAir, lists, error)) << error.reason;
    ASSERT_EQ(lists.air.size(), air.size());
    EXPECT_EQ(std::memcmp(lists.air.data(), air.data(), air.size() * sizeof(double)), 0);
    EXPECT_EQ(lists.cable, cable);
    // A table with an empty list writes no rows for it, and reads back empty.
    ASSERT_TRUE(ReadChannelListsCsv(ChannelCsvText({}, cable), ChannelModeAir, lists, error)) << error.reason;
    EXPECT_TRUE(lists.air.empty());
    EXPECT_EQ(lists.cable, cable);
}

TEST(ChannelCsv, RefusalsNameThePlaceAndLeaveTheListsAlone)
{
    struct Case
    {
        std::string text;
        std::size_t line, column;
        std::string reason;
    };
    const Case cases[] = {
        {"list,channel,frequency_mhz\nsat,1,5\n", 2, 1, "the list must be air or cable, not \"sat\""},
        {"list,channel,frequency_mhz\ncable,3,1\nair,1,1\ncable,2,1\n", 4, 7,
         "cable channel 2 comes after channel 3: whole-number channels must rise"},
        {"list,channel,frequency_mhz,note\nair,1,1\n", 2, 8, "4 fields expected, found 3"},
        {"list,frequency_mhz\nair,1\n", 1, 1,
         "the header has no channel column (channel and frequency_mhz are needed, list may be added)"},
        {"channel,frequency_mhz,list,list\n", 1, 28, "the header names the column list twice"},
        {"channel,frequency_mhz" + std::string(15, ',') + "\n", 1, 37, "the header has more than 16 columns"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ChannelCsvLists lists;
        lists.cable = {7.0};
        TransferError error;
        EXPECT_FALSE(ReadChannelListsCsv(c.text, ChannelModeAir, lists, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_EQ(lists.cable, std::vector<double>{7.0});
        EXPECT_FALSE(lists.bListColumn);
    }
    // A breach of one list counts not when the other's labels are letters.
    ChannelCsvLists lists;
    TransferError error;
    EXPECT_TRUE(ReadChannelListsCsv("list,channel,frequency_mhz\nair,E3,1\nair,E2,2\ncable,1,3\n", ChannelModeAir,
                                    lists, error))
        << error.reason;
    EXPECT_EQ(lists.air, (std::vector<double>{1.0, 2.0}));
}

// Files read as the clipboard is read: the separator found as Paste finds it,
// decimal commas where commas do not separate, headings as a person writes them.
TEST(ChannelCsv, SpreadsheetsOfAnyLocaleAreReadAsPasteReadsThem)
{
    struct Case
    {
        std::string text;
        std::vector<double> air, cable;
    };
    const Case cases[] = {
        {"channel;frequency_mhz\r\n1;48,25\r\n2;\"55,25\"\r\n3;62.25\r\n", {48.25, 55.25, 62.25}, {}},
        {"Channel\tFrequency (MHz)\n2\t+48,25 MHz\n", {0.0, 48.25}, {}},
        {"CH;MHz;List\nE2;175,25;cable\n", {}, {175.25}},
        {"channel,Frequency\n1, 55.25 \n", {55.25}, {}},
        // The column's own name before a heading that also names it.
        {"freq,channel,frequency_mhz\n9,1,48.25\n", {48.25}, {}},
        // Commas separate where the heading's semicolon or tab is in a field.
        {"channel,frequency_mhz,\"note; b\"\n1,48.25,a;b\n", {48.25}, {}},
        {"channel,frequency_mhz,note\tb\n1,48.25,a\n", {48.25}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ChannelCsvLists lists;
        TransferError error;
        ASSERT_TRUE(ReadChannelListsCsv(c.text, ChannelModeAir, lists, error)) << TransferPlace(error) << error.reason;
        EXPECT_EQ(lists.air, c.air);
        EXPECT_EQ(lists.cable, c.cable);
    }
    // Where commas separate, a comma is no decimal mark; places count in the text's own separator.
    ExpectListCsvRefused("channel,frequency_mhz\n1,\"48,25\"\n", 2, 3,
                         "\"48,25\" is not a frequency in MHz (a decimal number, inf, -inf or nan)");
    ExpectListCsvRefused("channel;frequency_mhz\n1;48,25\n22;4,8,5\n", 3, 4,
                         "\"4,8,5\" is not a frequency in MHz (a decimal number, inf, -inf or nan)");
    ExpectListCsvRefused("Freq;channel;MHz\n", 1, 14, "the header names the column frequency_mhz twice");
}

TEST(TableTransfer, RefusedTextsNameLineAndColumn)
{
    struct Case
    {
        const char* text;
        std::size_t line, column;
        const char* reason;
    };
    const Case csv[] = {
        {"", 1, 1, "the header must name the columns channel and frequency_mhz"},
        {"channel,frequency_khz\n1,2\n", 1, 1,
         "the header has no frequency_mhz column (channel and frequency_mhz are needed, list may be added)"},
        {"channel,frequency_mhz,channel\n", 1, 23, "the header names the column channel twice"},
        {"channel,frequency_mhz\n1,55.25\n2,abc\n", 3, 3,
         "\"abc\" is not a frequency in MHz (a decimal number, inf, -inf or nan)"},
        {"channel,frequency_mhz\n1,55.25,9\n", 2, 9, "2 fields expected, found 3"},
        {"channel,frequency_mhz\n\n\n1\n", 4, 2, "2 fields expected, found 1"},
        {"channel,frequency_mhz\n1,\"55.25\n", 2, 3, "a quote is never closed"},
        {"channel,frequency_mhz\n1,\"55\"x\n", 2, 7, "text after a closing quote"},
        // A quoted label over two lines: the frequency stands on the second.
        {"channel,frequency_mhz\n\"a\nb\",x\n", 3, 4,
         "\"x\" is not a frequency in MHz (a decimal number, inf, -inf or nan)"},
        {"channel,frequency_mhz\n3,1\n2,1\n", 3, 1, "channel 2 comes after channel 3: whole-number channels must rise"},
        {"channel,frequency_mhz\n0,1\n", 2, 1, "channel 0: whole-number channels start at 1"},
        {"channel,frequency_mhz\n,1\n", 2, 1, "the channel label is empty"},
    };
    for (const Case& c : csv) {
        SCOPED_TRACE(c.text);
        ExpectListCsvRefused(c.text, c.line, c.column, c.reason);
    }

    const Case json[] = {
        {"{\"format\":\"ccf\",\n \"air\": [1, 2,, 3]}", 2, 15, "not valid JSON: unexpected character"},
        {"{\"format\":\"ccf\",\"country_code\":44,\n\"air\":{\"frequencies\":[1,\"x\"]},\"cable\":{\"frequencies\":[]}"
         "}",
         2, 25,
         "not a channel table: air.frequencies[1] must be a number, or one of the strings \"nan\", \"inf\", \"-inf\""},
        {"\n  {\"format\":\"ccf\"}", 2, 3, "not a channel table: country_code is missing"},
        {"{\"format\": \"tsf\", \"entries\": []}", 1, 12,
         "not a channel table: format must be \"ccf\" for a channel table"},
        {"[{\"format\":\"ccf\"}]", 1, 1, "not a channel table: the document must be an object, not an array"},
        {"{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]},\"cable\":{\"frequencies\":[]},\n\t\"x\":"
         " 1}",
         2, 7, "not a channel table: x is not a field of this table"},
        {"{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"max\":2,\n\"frequencies\":[]},\"cable\":{\"frequencies\":[]"
         "}}",
         1, 47, "not a channel table: air.max 2 does not match the 0 frequencies (leave it out to take their number)"},
    };
    for (const Case& c : json) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<ChannelTable> pTable(new ChannelTable(true));
        TransferError error;
        EXPECT_FALSE(ReadChannelTableJson(c.text, pTable, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_EQ(pTable, nullptr);
    }

    std::unique_ptr<TunerSpecTable> pTuner;
    TransferError error;
    EXPECT_FALSE(
        ReadTunerTableJson("{\"format\":\"tsf\",\"entries\":[{\"factory\":1,\n\"tuner_type\":1.5}]}", pTuner, error));
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 14u);
    EXPECT_EQ(error.reason,
              "not a tuner table: entries[0].tuner_type must be an integer from -2147483648 to 2147483647");
    EXPECT_EQ(TransferMessage("in\n.json", error),
              "in\\n.json: line 2, column 14: not a tuner table: entries[0].tuner_type must be an integer from "
              "-2147483648 to 2147483647");
    EXPECT_EQ(TransferMessage("a.json", TransferError{0, 0, "cannot be read: No such file or directory"}),
              "a.json: cannot be read: No such file or directory");
}

TEST(TableTransfer, FailedImportsLeaveTheDocumentAsItWas)
{
    TempDir dir;
    ChfqImage image;
    image.air = {48.25, 55.25};
    const std::string original = WriteFile(dir, "original.ccf", image.Build());
    ChannelTableDocument doc;
    FileError loadError;
    ASSERT_TRUE(doc.Load(original, loadError));
    std::vector<ChannelTableDocument::Change> changes;
    doc.Subscribe([&changes](const DocumentNews& news) { changes.push_back(news.change); });

    const auto importFile = [&doc](const std::string& path, TransferError& error) {
        std::unique_ptr<ChannelTable> pTable;
        return ImportChannelTableFile(path, pTable, error) && doc.Import(std::move(pTable));
    };
    TransferError error;
    EXPECT_FALSE(importFile(WriteText(dir, "broken.json", "{\"format\":\"ccf\""), error));
    EXPECT_EQ(TransferMessage(dir.File("broken.json"), error),
              dir.File("broken.json") + ": line 1, column 16: not valid JSON: unexpected end of the document");
    EXPECT_FALSE(importFile(dir.File("missing.json"), error));
    EXPECT_EQ(error.reason, "cannot be read: No such file or directory");
    EXPECT_EQ(error.line, 0u);
    EXPECT_FALSE(importFile(dir.Path(), error)); // a folder
    EXPECT_FALSE(doc.Import(nullptr));
    EXPECT_FALSE(doc.Import(std::unique_ptr<ChannelTable>(new ChannelTable(false))));

    std::vector<double> list;
    EXPECT_FALSE(ImportChannelListFile(WriteText(dir, "broken.csv", "channel,frequency_mhz\n1,x\n"), list, error));
    EXPECT_FALSE(doc.ReplaceList(ChannelModeNone, {1.0}));
    EXPECT_FALSE(doc.ReplaceList(2, {1.0}));
    EXPECT_FALSE(doc.ReplaceList(ChannelModeAir, std::vector<double>(65536, 1.0)));

    EXPECT_EQ(doc.Table()->FileImage(), image.Build());
    EXPECT_EQ(doc.Source(), original);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.UndoCount(), 1u); // the load
    EXPECT_TRUE(changes.empty());

    // Nothing written over an export target that cannot take it.
    EXPECT_FALSE(ExportChannelTableFile(dir.File("no/such/folder.json"), *doc.Table(), error));
    EXPECT_EQ(error.reason, "cannot be written: No such file or directory");
    ChannelTableDocument none;
    EXPECT_FALSE(none.ReplaceList(ChannelModeAir, {1.0}));
    EXPECT_FALSE(none.HasTable());
    EXPECT_EQ(none.UndoCount(), 0u);
}

TEST(TableTransfer, ImportIsOneStepThatUndoTakesBack)
{
    TempDir dir;
    ChfqImage before;
    before.air = {48.25, 55.25};
    before.cable = {112.25};
    before.cableMin = 1;
    ChfqImage after;
    after.country = 49;
    after.air = Longest();
    after.airMin = 2;
    ChannelTableDocument doc;
    FileError loadError;
    ASSERT_TRUE(doc.Load(WriteFile(dir, "before.ccf", before.Build()), loadError));
    doc.SetMode(ChannelModeCable);
    std::vector<ChannelTableDocument::Change> changes;
    doc.Subscribe([&changes](const DocumentNews& news) { changes.push_back(news.change); });

    std::unique_ptr<ChannelTable> pTable;
    TransferError error;
    ASSERT_TRUE(ReadChannelTableJson(
        [&] {
            ChannelTable table(false);
            EXPECT_TRUE(table.Load(WriteFile(dir, "after.ccf", after.Build()).c_str()));
            return ChannelTableJsonText(table);
        }(),
        pTable, error));
    const std::uint64_t changeCount = doc.ChangeCount();
    ASSERT_TRUE(doc.Import(std::move(pTable)));
    // A recovery copy follows the document: the old table is written out, the
    // new one is another table, and it changed.
    EXPECT_EQ(changes, (std::vector<ChannelTableDocument::Change>{ChannelTableDocument::Change::AboutToReplace,
                                                                  ChannelTableDocument::Change::Replaced,
                                                                  ChannelTableDocument::Change::Edited}));
    EXPECT_GT(doc.ChangeCount(), changeCount);
    EXPECT_EQ(doc.UndoName(), "Import");
    EXPECT_EQ(doc.UndoCount(), 2u);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Table()->FileImage(), after.Build());

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table()->FileImage(), before.Build());
    // Undo puts the table back, not the list shown before the import.
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    EXPECT_FALSE(doc.Modified()); // back at what was loaded
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.Table()->FileImage(), after.Build());
    EXPECT_TRUE(doc.Modified());

    // A list replaced is one step too; the other list and the mode stay.
    changes.clear();
    std::vector<double> list;
    ASSERT_TRUE(ReadChannelListCsv("channel,frequency_mhz\n2,55.25\n4,0\n", list, error));
    ASSERT_TRUE(doc.ReplaceList(ChannelModeAir, list));
    EXPECT_EQ(changes, std::vector<ChannelTableDocument::Change>{ChannelTableDocument::Change::Edited});
    ChfqImage replaced = after;
    replaced.air = {0.0, 55.25, 0.0, 0.0};
    EXPECT_EQ(doc.Table()->FileImage(), replaced.Build());
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 2);
    EXPECT_EQ(doc.UndoName(), "Import");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table()->FileImage(), after.Build());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.Table()->FileImage(), replaced.Build());
    // The same list again changes nothing and is no step.
    ASSERT_TRUE(doc.ReplaceList(ChannelModeAir, list));
    EXPECT_EQ(doc.UndoCount(), 3u);

    // Into an editor without a table: undo leaves none again.
    ChannelTableDocument fresh;
    ASSERT_TRUE(ReadChannelTableJson(ChannelTableJsonText(*doc.Table()), pTable, error));
    ASSERT_TRUE(fresh.Import(std::move(pTable)));
    ASSERT_TRUE(fresh.Undo());
    EXPECT_FALSE(fresh.HasTable());
    EXPECT_EQ(fresh.Origin(), TableOriginNone);
    ASSERT_TRUE(fresh.Redo());
    EXPECT_EQ(fresh.Table()->FileImage(), replaced.Build());
}

TEST(TableTransfer, TunerImportIsOneStepThatUndoTakesBack)
{
    TempDir dir;
    TnspImage before;
    before.records.emplace_back();
    const Bytes negative = NegativeCountTuner(-5, {0x00, 0x00, 0xFF, 0xFF});
    TunerTableDocument doc;
    FileError loadError;
    ASSERT_EQ(doc.Load(WriteFile(dir, "before.tsf", before.Build()), loadError), TunerLoadResult::Read);
    std::vector<TunerTableDocument::Change> changes;
    doc.Subscribe([&changes](const DocumentNews& news) { changes.push_back(news.change); });

    TunerSpecTable source(false);
    ASSERT_TRUE(source.Load(WriteFile(dir, "negative.tsf", negative).c_str()));
    std::unique_ptr<TunerSpecTable> pTable;
    TransferError error;
    ASSERT_TRUE(ReadTunerTableJson(TunerTableJsonText(source), pTable, error));
    ASSERT_TRUE(doc.Import(std::move(pTable)));
    EXPECT_EQ(changes, (std::vector<TunerTableDocument::Change>{TunerTableDocument::Change::AboutToReplace,
                                                                TunerTableDocument::Change::Replaced,
                                                                TunerTableDocument::Change::Edited}));
    EXPECT_EQ(doc.UndoName(), "Import");
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.Source().empty());
    EXPECT_EQ(TunerTableFileImage(*doc.Table()), negative);

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(TunerTableFileImage(*doc.Table()), before.Build());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(TunerTableFileImage(*doc.Table()), negative);
    EXPECT_FALSE(doc.Import(nullptr));
    EXPECT_FALSE(doc.Import(std::unique_ptr<TunerSpecTable>(new TunerSpecTable(false))));
    EXPECT_EQ(doc.UndoCount(), 2u);
}

TEST(TableTransfer, LongTextsAreJudgedWholeThoughOnlyATablesWorthIsKept)
{
    // Rows and items past a list's limit are only counted, yet a fault of the
    // text anywhere is still named before any refused row or value.
    std::string rows = "channel,frequency_mhz\n";
    for (int channel = 1; channel <= 70000; ++channel)
        rows += std::to_string(channel) + ",1\n";
    const struct
    {
        std::string text;
        std::size_t line, column;
        std::string reason;
    } csv[] = {
        {rows, 65537, 1, "a list holds at most 65535 channels"},
        {rows + "5,\"1\n", 70002, 3, "a quote is never closed"},
        {rows + "70001\n", 70002, 6, "2 fields expected, found 1"},
        {"channel,frequency_mhz\n1,x\n" + rows.substr(22) + "1\n", 70003, 2, "2 fields expected, found 1"},
    };
    for (const auto& c : csv)
        ExpectListCsvRefused(c.text, c.line, c.column, c.reason);

    std::string items;
    for (int i = 0; i < 70000; ++i)
        items += i == 66000 ? "\"x\"," : "1,";
    items.pop_back();
    const std::string head = "{\"format\":\"ccf\",\"country_code\":1,\"cable\":{\"frequencies\":[]},\"air\":{\n";
    std::unique_ptr<ChannelTable> pTable;
    TransferError error;
    EXPECT_FALSE(ReadChannelTableJson(head + "\"frequencies\":[" + items + "]}}", pTable, error));
    EXPECT_EQ(error.reason, "not a channel table: air.frequencies holds more than 65535 channels, more than a file "
                            "can count");
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 15u);
    EXPECT_FALSE(ReadChannelTableJson(head + "\"frequencies\":[" + items + ",]}}", pTable, error));
    EXPECT_EQ(error.reason, "not valid JSON: unexpected character");
    EXPECT_EQ(error.column, 15 + items.size() + 2);
    EXPECT_EQ(pTable, nullptr);

    // The most entries a tuner table may have, as the loader refuses more.
    std::string entries;
    for (int i = 0; i <= TunerSpecTable::kMaxEntries; ++i)
        entries += i ? ",{}" : "{}";
    std::unique_ptr<TunerSpecTable> pTuner;
    EXPECT_FALSE(ReadTunerTableJson("{\"format\":\"tsf\",\n\"entries\":[" + entries + "]}", pTuner, error));
    EXPECT_EQ(error.reason, "not a tuner table: entries holds more than 100000 entries, the most a table may have");
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 11u);
    EXPECT_EQ(pTuner, nullptr);
    entries.resize(entries.size() - 3);
    EXPECT_FALSE(ReadTunerTableJson("{\"format\":\"tsf\",\"entries\":[" + entries + "]}", pTuner, error));
    EXPECT_EQ(error.reason, "not a tuner table: entries[0].factory is missing");
}
