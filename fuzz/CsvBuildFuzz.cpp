// The tool's CSV reader under build --csv: channel lists become a channel
// table through the real command, and the table exported as CSV builds the
// same bytes again. The editor's import reads the same text into the same
// lists, or refuses it as the tool does: one CSV family for both. A refused plan writes nothing and says why in one short
// line. scripts/fuzz.sh adds inputs of the lists' full size and a row of a
// million commas, which the reader must take row by row.
#include <algorithm>
#include <cstring>

#include "edit/TableTransfer.h"
#include "fuzz/ToolBuildSupport.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/Csv.h"
#include "tables/text/TableJson.h"

namespace {

// Inputs up to this size are also read keeping every field, to compare.
constexpr std::size_t kWholeRowsLimit = 64 * 1024;

// The rows start on lines of the text, in order; a reader that keeps only the
// first fields of each row sees the same rows, fields and counts as one that
// keeps them all, and the same fault.
void CheckRows(std::string_view text)
{
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    const bool bCompare = text.size() <= kWholeRowsLimit;
    CsvReader few(text, 2);
    CsvReader all(bCompare ? text : std::string_view());
    CsvRecord row, whole;
    std::size_t previousLine = 0;
    while (few.Next(row)) {
        if (row.line < 1 || row.line > lines || row.line <= previousLine || row.fieldCount == 0 ||
            row.fields.size() != std::min<std::size_t>(row.fieldCount, 2))
            std::abort();
        previousLine = row.line;
        if (bCompare && (!all.Next(whole) || whole.line != row.line || whole.offset != row.offset ||
                         whole.fieldCount != row.fieldCount || whole.fields.size() != row.fieldCount ||
                         !std::equal(row.fields.begin(), row.fields.end(), whole.fields.begin())))
            std::abort();
    }
    if (bCompare &&
        (all.Next(whole) || all.Failed() != few.Failed() || all.Error().where.line != few.Error().where.line ||
         all.Error().where.column != few.Error().where.column))
        std::abort();
    const std::string error = "line " + std::to_string(few.Error().where.line) + ": " + few.Error().reason;
    if (few.Failed() && (error.size() > kLongestReason || error.find('\n') != std::string::npos))
        std::abort();
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// What the editor's import makes of the text is what the tool built from it.
void CheckEditorReadsTheSame(std::string_view text, bool bBuilt, const std::string& output)
{
    ChannelCsvLists lists;
    TransferError error;
    if (ReadChannelListsCsv(text, ChannelModeAir, lists, error) != bBuilt)
        std::abort();
    if (!bBuilt)
        return;
    ChannelTable table(false);
    if (!table.Load(output.c_str()) || !SameBits(ChannelFrequencies(table.Channels(ChannelModeAir)), lists.air) ||
        !SameBits(ChannelFrequencies(table.Channels(ChannelModeCable)), lists.cable))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckRows(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::string input = WriteInput("in.csv", data, size);
    const std::string output = FuzzPath("out.ccf");
    const bool bBuilt = BuildWroteTable({"--csv", input, "--country", "33", "-o", output}, input, output);
    CheckEditorReadsTheSame(std::string_view(reinterpret_cast<const char*>(data), size), bBuilt, output);
    if (!bBuilt)
        return 0;

    const CommandRun exported = RunCommand(RunExport, {output});
    if (exported.status != kExitSuccess || !exported.err.empty())
        std::abort();
    const std::string plan = WriteText("exported.csv", exported.out);
    const std::string again = FuzzPath("again.ccf");
    ::unlink(again.c_str());
    const CommandRun rebuild = RunCommand(RunBuild, {"--csv", plan, "--country", "33", "-o", again});
    if (rebuild.status != kExitSuccess || FileBytes(again) != FileBytes(output))
        std::abort();
    return 0;
}
