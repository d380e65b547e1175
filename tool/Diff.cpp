// diff: what differs between two tables of one kind, one line per difference
// or one JSON document.

#include "platform/Printable.h"
#include "tables/analysis/TableDiff.h"
#include "tool/Commands.h"
#include "tool/DiffListing.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

const char* KindText(TableKind kind)
{
    switch (kind) {
    case TableKind::Channel: return "a channel table (ccf)";
    case TableKind::Tuner: return "a tuner table (tsf)";
    case TableKind::Legacy: return "an old channel table (cft)";
    }
    return "";
}

// Reads both tables, then prints what differs. Exit status 2 when either
// cannot be read, else 1 when they differ.
template <class Table, class Load, class Compare, class List, class Write>
int DiffTables(const std::string& pathBefore, const std::string& pathAfter, bool bJson, Load load, Compare compare,
               List list, Write write, std::ostream& out, std::ostream& err)
{
    Table before(false);
    Table after(false);
    std::string reason;
    if (!load(pathBefore, before, reason)) {
        ReportProblem(err, pathBefore, reason);
        return kExitFailure;
    }
    if (!load(pathAfter, after, reason)) {
        ReportProblem(err, pathAfter, reason);
        return kExitFailure;
    }
    const auto diff = compare(before, after);
    if (bJson) {
        JsonWriter json;
        write(json, diff);
        out << json.Text() << '\n';
    } else {
        list(out, diff);
    }
    return diff.Empty() ? kExitSuccess : kExitFindings;
}

} // namespace

int RunDiff(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--type", nullptr, true}, {"--help", "-h", false}}, options,
                      error))
        return ReportUsage(err, "diff", error);
    if (options.Has("--help"))
        return PrintHelp(out, "diff") ? kExitSuccess : kExitFailure;
    if (options.operands.size() != 2)
        return ReportUsage(err, "diff", options.operands.empty() ? "no file given" : "diff compares two files");
    std::optional<TableKind> forced;
    if (const auto type = options.Value("--type")) {
        forced = TableKindFromName(*type);
        if (!forced)
            return ReportUsage(err, "diff", "unknown --type " + *type + " (ccf or tsf)");
    }

    const std::string& pathBefore = options.operands[0];
    const std::string& pathAfter = options.operands[1];
    TableKind kindBefore;
    TableKind kindAfter;
    std::string reason;
    if (!ResolveTableKind(pathBefore, forced, kindBefore, reason)) {
        ReportProblem(err, pathBefore, reason);
        return kExitFailure;
    }
    if (!ResolveTableKind(pathAfter, forced, kindAfter, reason)) {
        ReportProblem(err, pathAfter, reason);
        return kExitFailure;
    }
    if (kindBefore != kindAfter) {
        ReportProblem(err, "",
                      "cannot compare " + PrintableText(pathBefore) + ", " + KindText(kindBefore) + ", with " +
                          PrintableText(pathAfter) + ", " + KindText(kindAfter) + ": both must be of one kind");
        return kExitFailure;
    }

    const bool bJson = options.Has("--json");
    switch (kindBefore) {
    case TableKind::Channel:
        return DiffTables<ChannelTable>(pathBefore, pathAfter, bJson, LoadChannelTable, CompareChannelTables,
                                        ListChannelTableDiff, WriteChannelTableDiffJson, out, err);
    case TableKind::Tuner:
        return DiffTables<TunerSpecTable>(pathBefore, pathAfter, bJson, LoadTunerTable, CompareTunerTables,
                                          ListTunerTableDiff, WriteTunerTableDiffJson, out, err);
    case TableKind::Legacy: break;
    }
    ReportProblem(err, "",
                  OldTableRefusal("compared", "convert both (vornalix-tool convert) and compare the .ccf files"));
    return kExitFailure;
}
