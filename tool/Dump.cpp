// dump: a table as the editors load it, as a listing or as JSON.

#include <sstream>

#include "platform/Printable.h"
#include "tables/text/Json.h"
#include "tables/text/TableJson.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Listing.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

// Loads one file and hands it to the listing or the JSON writer. False with a
// reason when the file could not be read.
bool DumpOne(const std::string& path, TableKind kind, JsonWriter* pJson, std::ostream& out, std::string& reason)
{
    switch (kind) {
    case TableKind::Channel: {
        ChannelTable table(false);
        if (!LoadChannelTable(path, table, reason))
            return false;
        if (pJson)
            WriteChannelTableJson(*pJson, table);
        else
            ListChannelTable(out, table);
        return true;
    }
    case TableKind::Tuner: {
        TunerSpecTable table(false);
        if (!LoadTunerTable(path, table, reason))
            return false;
        if (pJson)
            WriteTunerTableJson(*pJson, table);
        else
            ListTunerTable(out, table);
        return true;
    }
    case TableKind::Legacy: {
        LegacyChannelTable table;
        if (!LoadLegacyTable(path, table, reason))
            return false;
        if (pJson)
            WriteLegacyTableJson(*pJson, table);
        else
            ListLegacyTable(out, table);
        return true;
    }
    }
    return false;
}

} // namespace

int RunDump(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--type", nullptr, true}, {"--help", "-h", false}}, options,
                      error))
        return ReportUsage(err, "dump", error);
    if (options.Has("--help"))
        return PrintHelp(out, "dump") ? kExitSuccess : kExitFailure;
    if (options.operands.empty())
        return ReportUsage(err, "dump", "no file given");
    std::optional<TableKind> forced;
    if (const auto type = options.Value("--type")) {
        forced = TableKindFromName(*type);
        if (!forced)
            return ReportUsage(err, "dump", "unknown --type " + *type + " (ccf, cft or tsf)");
    }

    const bool bJson = options.Has("--json");
    const bool bSeveral = options.operands.size() > 1;
    JsonWriter json;
    if (bJson && bSeveral)
        json.BeginArray();
    int status = kExitSuccess;
    bool bListed = false;
    for (const std::string& path : options.operands) {
        TableKind kind;
        std::string reason;
        if (!ResolveTableKind(path, forced, kind, reason)) {
            ReportProblem(err, path, reason);
            status = kExitFailure;
            continue;
        }
        std::ostringstream listing;
        if (!DumpOne(path, kind, bJson ? &json : nullptr, listing, reason)) {
            ReportProblem(err, path, reason);
            status = kExitFailure;
            continue;
        }
        // Several listings are told apart as head(1) does it; a single one
        // carries no name, so that a diff through textconv shows no temporary path.
        if (!bJson && bSeveral)
            out << (bListed ? "\n" : "") << "==> " << PrintableText(path) << " <==\n";
        out << listing.str();
        bListed = true;
    }
    if (bJson && bSeveral)
        json.EndArray();
    if (bJson && !json.Text().empty())
        out << json.Text() << '\n';
    return status;
}
