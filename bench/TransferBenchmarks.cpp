// File > Import... and File > Export... of the channel table editor's
// document at the largest lists (65,535 channels each): from reading the file
// until the document's step has ended (an import), or from the table until
// the file is written through the safe save (an export). The view's rebuild
// after an import is what BM_Editor_Load measures.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchFiles.h"
#include "edit/ChannelTableDocument.h"
#include "edit/TableTransfer.h"

namespace {

// The largest table, loaded into a document.
void LoadLargest(ChannelTableDocument& document)
{
    FileError error;
    if (!document.Load(BenchFiles::Get().chfq, error))
        throw std::runtime_error("cannot load the benchmark table: " + error.text);
}

// Two CSV files of 65,535 channels that differ in every channel, so that each
// import changes the whole list: NAME0.csv and NAME1.csv, each the text that
// csvText makes of the shifted list.
std::vector<std::string> ListFiles(const std::string& name,
                                   const std::function<std::string(const std::vector<double>&)>& csvText)
{
    ChannelTableDocument document;
    LoadLargest(document);
    std::vector<std::string> paths;
    for (int i = 0; i < 2; ++i) {
        std::vector<double> frequencies = document.CurrentFrequencies();
        for (double& dbFrequency : frequencies)
            dbFrequency += 0.25 * i;
        paths.push_back(BenchFiles::Get().Scratch(name + std::to_string(i) + ".csv"));
        TransferError error;
        if (!ExportToFile(paths.back(), csvText(frequencies), error))
            throw std::runtime_error(TransferMessage(paths.back(), error));
    }
    return paths;
}

void BM_Editor_ImportListCsv(benchmark::State& state)
{
    const std::vector<std::string> paths =
        ListFiles("list", [](const std::vector<double>& frequencies) { return ChannelListCsvText(frequencies); });
    ChannelTableDocument document;
    LoadLargest(document);
    std::size_t next = 0;
    for (auto _ : state) {
        std::vector<double> frequencies;
        TransferError error;
        const std::string& path = paths[next++ % paths.size()];
        if (!ImportChannelListFile(path, frequencies, error) || !document.ReplaceList(document.Mode(), frequencies))
            throw std::runtime_error(TransferMessage(path, error));
    }
    state.counters["channels"] = static_cast<double>(document.CurrentFrequencies().size());
}
BENCHMARK(BM_Editor_ImportListCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

// A CSV with a list column, as vornalix-tool export writes a whole table: both
// lists of 65,535 channels read and put in place as one step.
void BM_Editor_ImportBothListsCsv(benchmark::State& state)
{
    const std::vector<std::string> paths = ListFiles(
        "lists", [](const std::vector<double>& frequencies) { return ChannelCsvText(frequencies, frequencies); });
    ChannelTableDocument document;
    LoadLargest(document);
    std::size_t next = 0;
    for (auto _ : state) {
        ChannelCsvLists lists;
        TransferError error;
        const std::string& path = paths[next++ % paths.size()];
        if (!ImportChannelListsFile(path, document.Mode(), lists, error))
            throw std::runtime_error(TransferMessage(path, error));
        const ChannelTableDocument::StepScope step = document.BeginStep("Import");
        if (!document.ReplaceList(ChannelModeAir, lists.air) || !document.ReplaceList(ChannelModeCable, lists.cable))
            throw std::runtime_error("the lists were not replaced");
    }
    state.counters["channels"] = static_cast<double>(2 * document.CurrentFrequencies().size());
}
BENCHMARK(BM_Editor_ImportBothListsCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_ImportJson(benchmark::State& state)
{
    // The largest table and the same table with every frequency moved, in turn.
    ChannelTableDocument document;
    LoadLargest(document);
    const std::vector<std::string> paths = {BenchFiles::Get().Scratch("table0.json"),
                                            BenchFiles::Get().Scratch("table1.json")};
    TransferError error;
    if (!ExportChannelTableFile(paths[0], *document.Table(), error))
        throw std::runtime_error(TransferMessage(paths[0], error));
    std::vector<double> moved = document.CurrentFrequencies();
    for (double& dbFrequency : moved)
        dbFrequency += 0.25;
    if (!document.ReplaceList(ChannelModeAir, moved) || !ExportChannelTableFile(paths[1], *document.Table(), error))
        throw std::runtime_error(TransferMessage(paths[1], error));

    std::size_t next = 0;
    for (auto _ : state) {
        std::unique_ptr<ChannelTable> pTable;
        const std::string& path = paths[next++ % paths.size()];
        if (!ImportChannelTableFile(path, pTable, error) || !document.Import(std::move(pTable)))
            throw std::runtime_error(TransferMessage(path, error));
    }
    state.counters["channels"] = static_cast<double>(document.CurrentFrequencies().size());
}
BENCHMARK(BM_Editor_ImportJson)->Unit(benchmark::kMillisecond)->UseRealTime();

// A document of 200,000 keys in one object, as a hand-made or hostile file may
// hold: each key is checked against the others before the table refuses the
// first it does not know, so the time is the reader's check for duplicates.
void BM_Editor_ImportJson200000Keys(benchmark::State& state)
{
    constexpr int kKeys = 200000;
    std::string text = "{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]},"
                       "\"cable\":{\"frequencies\":[]}";
    for (int i = 0; i < kKeys; ++i)
        text += ",\"key" + std::to_string(i) + "\":" + std::to_string(i);
    text += "}";
    const std::string path = BenchFiles::Get().Scratch("keys.json");
    TransferError error;
    if (!ExportToFile(path, text, error))
        throw std::runtime_error(TransferMessage(path, error));
    const std::string refusal = "not a channel table: key0 is not a field of this table";
    for (auto _ : state) {
        std::unique_ptr<ChannelTable> pTable;
        if (ImportChannelTableFile(path, pTable, error) || error.reason != refusal)
            state.SkipWithError("the document was not refused for its first unknown key");
    }
    state.counters["keys"] = kKeys;
}
BENCHMARK(BM_Editor_ImportJson200000Keys)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_ExportListCsv(benchmark::State& state)
{
    ChannelTableDocument document;
    LoadLargest(document);
    const std::string path = BenchFiles::Get().Scratch("exported.csv");
    for (auto _ : state) {
        TransferError error;
        if (!ExportChannelListFile(path, document.CurrentFrequencies(), error))
            throw std::runtime_error(TransferMessage(path, error));
    }
}
BENCHMARK(BM_Editor_ExportListCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Editor_ExportJson(benchmark::State& state)
{
    ChannelTableDocument document;
    LoadLargest(document);
    const std::string path = BenchFiles::Get().Scratch("exported.json");
    for (auto _ : state) {
        TransferError error;
        if (!ExportChannelTableFile(path, *document.Table(), error))
            throw std::runtime_error(TransferMessage(path, error));
    }
}
BENCHMARK(BM_Editor_ExportJson)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
