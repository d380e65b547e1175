// build: a .ccf or .tsf written through the table's own Save, from the JSON
// that dump --json gives or from channel lists as CSV (ChannelCsv.h).

#include <limits>
#include <new>

#include "edit/TableTransfer.h"
#include "platform/FileIO.h"
#include "platform/Printable.h"
#include "tables/text/Csv.h"
#include "tables/text/Json.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

// The input's text, read as the editors read a file to import, but a FIFO or
// a device named on purpose is read too.
bool ReadInput(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& reason)
{
    TransferError error;
    if (ImportFromFile(path, bytes, error, NonRegularFiles::ReadUpToLimit))
        return true;
    reason = error.reason;
    return false;
}

// An output whose name says one table type must not receive another.
bool OutputNameFits(const std::string& output, TableKind kind, std::string& reason)
{
    const auto named = TableKindFromPath(output);
    if (named && *named != kind) {
        reason = std::string("the name says ") + TableKindName(*named) + ", but the table is a " + TableKindName(kind) +
                 " table";
        return false;
    }
    return true;
}

int SaveChannelTable(ChannelTable& table, const std::string& output, std::ostream& err)
{
    FileError error;
    if (table.Save(output.c_str(), &error))
        return kExitSuccess;
    ReportProblem(err, output, "cannot be written: " + error.text);
    return kExitFindings;
}

// The table's own save stores the list's count; for a table without entries
// it writes the header alone and reports 0 with no error, and that file is
// what was asked for. A negative count, which only a file can hold, is written
// back with the header and end mark through the same safe save, and so are
// the unread bytes a description gives after an empty header.
bool SaveTunerTable(TunerSpecTable& table, const std::string& output, FileError& error)
{
    if (table.Header().iEntryCount() < 0 || table.LastLoad().unreadEndMark)
        return WriteFileSafely(output.c_str(), TunerTableFileImage(table), &error);
    return table.Save(output.c_str(), &error) || error.code == 0;
}

int BuildFromJson(const std::string& input, const std::string& output, std::ostream& err)
{
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!ReadInput(input, bytes, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    TableJsonDocument document;
    JsonParseError parseError;
    if (!document.Read(TextOf(bytes), parseError)) {
        ReportProblem(err, input, "not valid JSON: " + parseError.Text());
        return kExitFailure;
    }
    std::string error;
    const std::string format = JsonTableFormat(document.Root());
    if (format == "ccf") {
        if (!OutputNameFits(output, TableKind::Channel, reason)) {
            ReportProblem(err, output, reason);
            return kExitFailure;
        }
        ChannelTable table(true);
        if (!ChannelTableFromJson(document, table, error)) {
            ReportProblem(err, input, "not a channel table: " + error);
            return kExitFailure;
        }
        return SaveChannelTable(table, output, err);
    }
    if (format == "tsf") {
        if (!OutputNameFits(output, TableKind::Tuner, reason)) {
            ReportProblem(err, output, reason);
            return kExitFailure;
        }
        TunerSpecTable table(true);
        if (!TunerTableFromJson(document, table, error)) {
            ReportProblem(err, input, "not a tuner table: " + error);
            return kExitFailure;
        }
        FileError saveError;
        if (SaveTunerTable(table, output, saveError))
            return kExitSuccess;
        ReportProblem(err, output, "cannot be written: " + saveError.text);
        return kExitFindings;
    }
    if (format == "cft") {
        ReportProblem(err, input, "old tables (cft) are read only: convert the .cft file instead");
        return kExitFailure;
    }
    ReportProblem(err, input,
                  document.Root().type == JsonValue::Type::Object
                      ? "\"format\" must be \"ccf\" or \"tsf\""
                      : "not a table: the document must be one object, as dump --json writes it "
                        "for one file");
    return kExitFailure;
}

// The list a CSV without a list column fills: "air" or "cable", air unless told.
bool ListOfOption(const std::optional<std::string>& option, std::int32_t& iMode)
{
    if (!option || *option == "air") {
        iMode = ChannelModeAir;
        return true;
    }
    iMode = ChannelModeCable;
    return *option == "cable";
}

int BuildFromCsv(const std::string& input, const std::string& countryText, const std::optional<std::string>& list,
                 const std::string& output, std::ostream& err)
{
    std::int32_t iUnnamedMode = ChannelModeAir;
    if (!ListOfOption(list, iUnnamedMode))
        return ReportUsage(err, "build", "--list " + *list + " is not a list (air or cable)");
    std::int64_t iCountry = 0;
    if (!ParseInteger(countryText, iCountry) || iCountry > std::numeric_limits<std::int32_t>::max() ||
        iCountry < std::numeric_limits<std::int32_t>::min())
        return ReportUsage(err, "build", "--country " + countryText + " is not a country code (a whole number)");
    std::string reason;
    if (!OutputNameFits(output, TableKind::Channel, reason)) {
        ReportProblem(err, output, reason);
        return kExitFailure;
    }

    ChannelTable table(true);
    // The editor's own rule for a code typed in.
    if (!table.SetCountryCode(static_cast<std::int32_t>(iCountry)))
        return ReportUsage(err, "build", "--country must be above 0");

    std::vector<std::uint8_t> bytes;
    if (!ReadInput(input, bytes, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    ChannelCsvLists lists;
    TransferError error;
    if (!ReadChannelListsCsv(TextOf(bytes), iUnnamedMode, lists, error)) {
        ReportProblem(err, input, TransferPlace(error) + error.reason);
        return kExitFailure;
    }
    // A file that names its rows' lists says where they go: --list would be ignored.
    if (lists.bListColumn && list) {
        ReportProblem(err, input, "the file names each row's list (a list column): --list is for a file without one");
        return kExitFailure;
    }
    // The ranges the editor computes as channels are appended.
    if (!table.AppendFrequencies(ChannelModeAir, lists.air) ||
        !table.AppendFrequencies(ChannelModeCable, lists.cable)) {
        ReportProblem(err, input, "out of memory");
        return kExitFailure;
    }
    return SaveChannelTable(table, output, err);
}

} // namespace

int RunBuild(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args,
                      {{"--output", "-o", true},
                       {"--csv", nullptr, true},
                       {"--list", nullptr, true},
                       {"--country", nullptr, true},
                       {"--plan", nullptr, true},
                       {"--country-plan", nullptr, true},
                       {"--help", "-h", false}},
                      options, error))
        return ReportUsage(err, "build", error);
    if (options.Has("--help"))
        return PrintHelp(out, "build") ? kExitSuccess : kExitFailure;
    const auto output = options.Value("--output");
    if (!output || output->empty())
        return ReportUsage(err, "build", "no output file given (-o OUT)");

    const auto plan = options.Value("--plan");
    const auto countryPlan = options.Value("--country-plan");
    if (plan || countryPlan) {
        if (plan && countryPlan)
            return ReportUsage(err, "build", "--plan and --country-plan: one at a time");
        if (!options.operands.empty() || options.Has("--csv") || options.Has("--country") || options.Has("--list"))
            return ReportUsage(err, "build", "a table from a plan takes no JSON file, --csv or --country");
        return BuildFromPlans(plan ? &*plan : nullptr, countryPlan ? &*countryPlan : nullptr, *output, err);
    }
    if (const auto csv = options.Value("--csv")) {
        if (!options.operands.empty())
            return ReportUsage(err, "build", "--csv takes no JSON file");
        const auto country = options.Value("--country");
        if (!country)
            return ReportUsage(err, "build", "--csv needs --country CODE");
        if (OutputReplacesInput({*csv}, *output, err))
            return kExitFailure;
        return BuildFromCsv(*csv, *country, options.Value("--list"), *output, err);
    }
    if (options.Has("--list"))
        return ReportUsage(err, "build", "--list goes with --csv");
    if (options.Has("--country"))
        return ReportUsage(err, "build", "--country goes with --csv; a JSON document carries its own code");
    if (options.operands.size() != 1)
        return ReportUsage(err, "build", options.operands.empty() ? "no JSON file given" : "one JSON file at a time");
    if (OutputReplacesInput(options.operands, *output, err))
        return kExitFailure;
    return BuildFromJson(options.operands.front(), *output, err);
}
