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

// The refusal of one row of a channel plan, or empty when the row's channel
// was added to its list.
std::string ReadChannelRow(const CsvRecord& row, std::vector<double>& air, std::vector<double>& cable)
{
    const std::string where = "line " + std::to_string(row.line) + ": ";
    if (row.fieldCount != 3)
        return where + "3 fields expected, found " + std::to_string(row.fieldCount);
    const std::string& list = row.fields[0];
    if (list != "air" && list != "cable")
        return where + "the list must be air or cable, not " + QuotedExcerpt(list);
    std::vector<double>& frequencies = list == "air" ? air : cable;
    const std::size_t expected = frequencies.size() + 1;
    std::int64_t iChannel = 0;
    if (!ParseInteger(row.fields[1], iChannel) || iChannel < 0 || static_cast<std::size_t>(iChannel) != expected)
        return where + list + " channel " + std::to_string(expected) + " expected, found " +
               QuotedExcerpt(row.fields[1]);
    if (iChannel > ChannelTable::kMaxChannels)
        return where + "a list holds at most " + std::to_string(ChannelTable::kMaxChannels) + " channels";
    double dbFrequency = 0.0;
    if (!ParseDouble(row.fields[2], dbFrequency))
        return where + QuotedExcerpt(row.fields[2]) + " is not a frequency";
    frequencies.push_back(dbFrequency);
    return {};
}

// The lists of a CSV channel plan "list,channel,frequency_mhz", read row by
// row: a list stops at its limit, so memory stays within the text and two
// full lists. A fault of the text is reported wherever it lies, before any
// refused row, so after a refusal the text is read on for faults alone.
bool ReadChannelCsv(std::string_view text, std::vector<double>& air, std::vector<double>& cable, std::string& reason)
{
    const std::vector<std::string> header = {"list", "channel", "frequency_mhz"};
    CsvReader reader(text, header.size());
    CsvRecord row;
    std::string refusal;
    bool bHeader = true;
    while (reader.Next(row)) {
        if (bHeader) {
            bHeader = false;
            if (row.fieldCount != header.size() || row.fields != header)
                refusal = "line 1: the header must be list,channel,frequency_mhz";
        } else if (refusal.empty()) {
            refusal = ReadChannelRow(row, air, cable);
        }
        if (!refusal.empty())
            reader.KeepFields(0);
    }
    if (reader.Failed()) {
        reason = "line " + std::to_string(reader.Error().where.line) + ": " + reader.Error().reason;
        return false;
    }
    if (bHeader)
        refusal = "line 1: the header must be list,channel,frequency_mhz";
    reason = refusal;
    return refusal.empty();
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

    std::vector<std::uint8_t> bytes;
    if (!ReadInput(input, bytes, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    std::vector<double> air, cable;
    if (!ReadChannelCsv(TextOf(bytes), air, cable, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
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
