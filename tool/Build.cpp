// build: a .ccf or .tsf written through the table's own Save, from the JSON
// that dump --json gives or from a CSV channel plan.

#include <limits>
#include <new>

#include "Commands.h"
#include "Csv.h"
#include "FileIO.h"
#include "Help.h"
#include "Json.h"
#include "Numbers.h"
#include "Options.h"
#include "Printable.h"
#include "TableFile.h"
#include "TableJson.h"
#include "TableTransfer.h"

namespace {

// The input's text, read as the editors read a file to import, but a FIFO or
// a device named on purpose is read too.
bool ReadInput(const std::string& path, std::string& text, std::string& reason)
{
    TransferError error;
    if (ImportFromFile(path, text, error, NonRegularFiles::ReadUpToLimit))
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
// back with the header and end mark through the same safe save.
bool SaveTunerTable(TunerSpecTable& table, const std::string& output, FileError& error)
{
    if (table.Header().iEntryCount() < 0)
        return WriteFileSafely(output.c_str(), TunerTableFileImage(table), &error);
    return table.Save(output.c_str(), &error) || error.code == 0;
}

int BuildFromJson(const std::string& input, const std::string& output, std::ostream& err)
{
    std::string text;
    std::string reason;
    if (!ReadInput(input, text, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    JsonValue document;
    std::string error;
    if (!ParseJson(text, document, error)) {
        ReportProblem(err, input, "not valid JSON: " + error);
        return kExitFailure;
    }
    const std::string format = JsonTableFormat(document);
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
                  document.type == JsonValue::Type::Object
                      ? "\"format\" must be \"ccf\" or \"tsf\""
                      : "not a table: the document must be one object, as dump --json writes it "
                        "for one file");
    return kExitFailure;
}

int BuildFromCsv(const std::string& input, const std::string& countryText, const std::string& output, std::ostream& err)
{
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

    std::string text;
    if (!ReadInput(input, text, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    std::vector<CsvRecord> rows;
    std::string error;
    if (!ParseCsv(text, rows, error)) {
        ReportProblem(err, input, error);
        return kExitFailure;
    }
    const std::vector<std::string> header = {"list", "channel", "frequency_mhz"};
    if (rows.empty() || rows.front().fields != header) {
        ReportProblem(err, input, "line 1: the header must be list,channel,frequency_mhz");
        return kExitFailure;
    }
    std::vector<double> air, cable;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const CsvRecord& row = rows[i];
        const std::string where = "line " + std::to_string(row.line) + ": ";
        if (row.fields.size() != 3) {
            ReportProblem(err, input, where + "3 fields expected, found " + std::to_string(row.fields.size()));
            return kExitFailure;
        }
        const std::string& list = row.fields[0];
        if (list != "air" && list != "cable") {
            ReportProblem(err, input, where + "the list must be air or cable, not " + QuotedExcerpt(list));
            return kExitFailure;
        }
        std::vector<double>& frequencies = list == "air" ? air : cable;
        const std::size_t expected = frequencies.size() + 1;
        std::int64_t iChannel = 0;
        if (!ParseInteger(row.fields[1], iChannel) || iChannel < 0 || static_cast<std::size_t>(iChannel) != expected) {
            ReportProblem(err, input,
                          where + list + " channel " + std::to_string(expected) + " expected, found " +
                              QuotedExcerpt(row.fields[1]));
            return kExitFailure;
        }
        if (iChannel > ChannelTable::kMaxChannels) {
            ReportProblem(err, input,
                          where + "a list holds at most " + std::to_string(ChannelTable::kMaxChannels) + " channels");
            return kExitFailure;
        }
        double dbFrequency = 0.0;
        if (!ParseDouble(row.fields[2], dbFrequency)) {
            ReportProblem(err, input, where + QuotedExcerpt(row.fields[2]) + " is not a frequency");
            return kExitFailure;
        }
        frequencies.push_back(dbFrequency);
    }
    // The ranges the editor computes as channels are appended.
    if (!table.AppendFrequencies(ChannelModeAir, air) || !table.AppendFrequencies(ChannelModeCable, cable)) {
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
        if (!options.operands.empty() || options.Has("--csv") || options.Has("--country"))
            return ReportUsage(err, "build", "a table from a plan takes no JSON file, --csv or --country");
        return BuildFromPlans(plan ? &*plan : nullptr, countryPlan ? &*countryPlan : nullptr, *output, err);
    }
    if (const auto csv = options.Value("--csv")) {
        if (!options.operands.empty())
            return ReportUsage(err, "build", "--csv takes no JSON file");
        const auto country = options.Value("--country");
        if (!country)
            return ReportUsage(err, "build", "--csv needs --country CODE");
        return BuildFromCsv(*csv, *country, *output, err);
    }
    if (options.Has("--country"))
        return ReportUsage(err, "build", "--country goes with --csv; a JSON document carries its own code");
    if (options.operands.size() != 1)
        return ReportUsage(err, "build", options.operands.empty() ? "no JSON file given" : "one JSON file at a time");
    return BuildFromJson(options.operands.front(), *output, err);
}
