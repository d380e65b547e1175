// The JSON and CSV readers on texts of many megabytes: File > Import... and
// vornalix-tool build hold at most a small multiple of the file, whatever the
// document or the rows hold, and still refuse it with the usual message. The
// peak counts every heap byte from reading the file to the refusal.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "edit/TableTransfer.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tables/text/PastedFrequencies.h"
#include "tests/TestFiles.h"
#include "tests/robustness/HeapCounter.h"
#include "tool/Commands.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// What a reader may hold for a file of n bytes: four times the file and 64 MiB.
std::size_t Allowance(std::size_t fileSize)
{
    return 4 * fileSize + 64 * kMiB;
}

template <class Read> std::size_t PeakOf(Read read)
{
    heap::ResetPeak();
    read();
    return heap::PeakSinceReset();
}

// item repeated, comma-separated, to about `size` bytes between head and tail.
std::string Repeated(const std::string& head, const std::string& item, const std::string& tail, std::size_t size)
{
    std::string text = head;
    text.reserve(size + head.size() + tail.size());
    for (bool bFirst = true; text.size() < size; bFirst = false)
        text += (bFirst ? "" : ",") + item;
    return text + tail;
}

std::string WriteText(const TempDir& dir, const std::string& name, const std::string& text)
{
    const std::string path = dir.File(name);
    WriteAll(path, Bytes(text.begin(), text.end()));
    return path;
}

struct Refusal
{
    std::size_t peak = 0;
    TransferError error;
};

Refusal ImportChannelTable(const std::string& path)
{
    Refusal refusal;
    refusal.peak = PeakOf([&] {
        std::unique_ptr<ChannelTable> pTable;
        EXPECT_FALSE(ImportChannelTableFile(path, pTable, refusal.error));
    });
    return refusal;
}

Refusal ImportTunerTable(const std::string& path)
{
    Refusal refusal;
    refusal.peak = PeakOf([&] {
        std::unique_ptr<TunerSpecTable> pTable;
        EXPECT_FALSE(ImportTunerTableFile(path, pTable, refusal.error));
    });
    return refusal;
}

Refusal ImportList(const std::string& path)
{
    Refusal refusal;
    refusal.peak = PeakOf([&] {
        std::vector<double> frequencies;
        EXPECT_FALSE(ImportChannelListFile(path, frequencies, refusal.error));
    });
    return refusal;
}

// vornalix-tool build in-process: the heap counter sees the tool's reading.
struct BuildRun
{
    std::size_t peak = 0;
    int status = -1;
    std::string err;
};

BuildRun Build(const std::vector<std::string>& args)
{
    BuildRun run;
    std::ostringstream out, err;
    run.peak = PeakOf([&] { run.status = RunBuild(args, out, err); });
    run.err = err.str();
    return run;
}

} // namespace

TEST(TextReaderMemory, JsonOfMillionsOfValuesCostsASmallMultipleOfItsText)
{
    TempDir dir;
    const std::size_t size = 16 * kMiB;
    const std::string lists = ",\"cable\":{\"frequencies\":[]}}";

    const std::string array = WriteText(dir, "array.json", Repeated("[", "1", "]", size));
    Refusal read = ImportChannelTable(array);
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason, "not a channel table: the document must be an object, not an array");

    const std::string frequencies = WriteText(
        dir, "frequencies.json",
        Repeated("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[", "55.25", "]}" + lists, size));
    read = ImportChannelTable(frequencies);
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason, "not a channel table: air.frequencies holds more than 65535 channels, more than a "
                                 "file can count");

    const std::string nested =
        WriteText(dir, "nested.json",
                  Repeated("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]},\"notes\":[", "[{}]",
                           "]}", size));
    read = ImportChannelTable(nested);
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason, "not a channel table: cable is missing");

    read = ImportTunerTable(
        WriteText(dir, "entries.json", Repeated("{\"format\":\"tsf\",\"entries\":[", "{}", "]}", size)));
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason,
              "not a tuner table: entries holds more than 100000 entries, the most a table may have");
    EXPECT_EQ(read.error.column, 27u);

    const BuildRun build = Build({frequencies, "-o", dir.File("out.ccf")});
    EXPECT_EQ(build.status, kExitFailure);
    EXPECT_LE(build.peak, Allowance(size));
    EXPECT_EQ(build.err, "vornalix-tool: " + frequencies +
                             ": not a channel table: air.frequencies holds more than 65535 channels, more than a file "
                             "can count\n");
    EXPECT_FALSE(FileExists(dir.File("out.ccf")));
}

TEST(TextReaderMemory, AMillionKeysCostAFewBytesEach)
{
    // The check for duplicate keys keeps each key as a few bytes of offset,
    // never as a copy of its text.
    TempDir dir;
    const std::size_t size = 16 * kMiB;
    std::string keys = "{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]},\"cable\":{"
                       "\"frequencies\":[]}";
    for (std::size_t i = 0; keys.size() < size; ++i)
        keys += ",\"k" + std::to_string(i) + "\":0";
    const Refusal read = ImportChannelTable(WriteText(dir, "keys.json", keys + "}"));
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_LE(read.peak, 2 * size);
    EXPECT_EQ(read.error.reason, "not a channel table: k0 is not a field of this table");
}

TEST(TextReaderMemory, CsvOfMillionsOfFieldsOrRowsCostsASmallMultipleOfItsText)
{
    TempDir dir;
    const std::size_t size = 20 * kMiB;
    const std::string commas = std::string(size, ',');

    Refusal read = ImportList(WriteText(dir, "commas.csv", "channel,frequency_mhz\n" + commas + "\n"));
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason, "2 fields expected, found " + std::to_string(size + 1));
    EXPECT_EQ(read.error.line, 2u);
    EXPECT_EQ(read.error.column, 3u);

    std::string rows = "channel,frequency_mhz\n";
    for (std::size_t channel = 1; rows.size() < size; ++channel)
        rows += std::to_string(channel) + ",1\n";
    read = ImportList(WriteText(dir, "rows.csv", rows));
    EXPECT_LE(read.peak, Allowance(size));
    EXPECT_EQ(read.error.reason, "a list holds at most 65535 channels");
    EXPECT_EQ(read.error.line, 65537u);

    const std::string plan = WriteText(dir, "plan.csv", "list,channel,frequency_mhz\n" + commas);
    const BuildRun build = Build({"--csv", plan, "--country", "1", "-o", dir.File("out.ccf")});
    EXPECT_EQ(build.status, kExitFailure);
    EXPECT_LE(build.peak, Allowance(size));
    EXPECT_EQ(build.err, "vornalix-tool: " + plan + ": line 2, column 4: 3 fields expected, found " +
                             std::to_string(size + 1) + "\n");
    EXPECT_FALSE(FileExists(dir.File("out.ccf")));
}

// Pasted text: reading stops at the value after the most a list holds, so
// the cost is the values, however long the text.
TEST(TextReaderMemory, PastedTextOfManyMegabytesCostsTheValuesOfOneList)
{
    for (const std::string line : {"175.25\n", "175,25\n", "5\t175.25\tBBC One\n"}) {
        SCOPED_TRACE(line);
        std::string text;
        text.reserve(32 * kMiB + line.size());
        while (text.size() < 32 * kMiB)
            text += line;
        PastedFrequencies pasted;
        PastedTextFault fault;
        bool bRead = false;
        const std::size_t peak = PeakOf([&] { bRead = ReadPastedFrequencies(text, pasted, fault); });
        ASSERT_TRUE(bRead) << fault.reason;
        EXPECT_TRUE(pasted.bStoppedAtLimit);
        EXPECT_EQ(pasted.frequencies.size(), kMaxPastedFrequencies + 1);
        EXPECT_EQ(pasted.frequencies.back(), 175.25);
        EXPECT_LE(peak, 4 * (kMaxPastedFrequencies + 1) * sizeof(double));
    }
}
