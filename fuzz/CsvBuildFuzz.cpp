// The tool's CSV reader under build --csv: a channel plan becomes a channel
// table through the real command, and the table exported as CSV builds the
// same bytes again. A refused plan writes nothing and says why in one short
// line.
#include <algorithm>

#include "Csv.h"
#include "ToolBuildSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The reader's rows start on lines of the text, in order.
    std::vector<CsvRecord> rows;
    std::string error;
    if (ParseCsv(text, rows, error)) {
        const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].line < 1 || rows[i].line > lines || (i > 0 && rows[i].line <= rows[i - 1].line) ||
                rows[i].fields.empty())
                std::abort();
    } else if (error.size() > kLongestReason || error.find('\n') != std::string::npos) {
        std::abort();
    }

    const std::string input = WriteInput("in.csv", data, size);
    const std::string output = FuzzPath("out.ccf");
    if (!BuildWroteTable({"--csv", input, "--country", "33", "-o", output}, input, output))
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
