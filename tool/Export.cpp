// export: a table as CSV for spreadsheets; a channel table in the form
// build --csv and the editors' Import... read (ChannelCsv.h).

#include "tables/text/ChannelCsv.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {


void ExportTuners(std::ostream& out, const TunerSpecTable& table)
{
    out << "factory,tuner_type,sort_key,low_band_start,mid_band_start,high_band_start,high_band_end,"
           "picture_carrier,picture_carrier2,low_code,mid_code,high_code,reserved\n";
    for (const TunerSpecNode& node : table.Entries()) {
        const TunerSpecEntry& e = node.entry;
        out << e.iFactory() << ',' << e.iTunerType() << ',' << TunerSortKey(e) << ','
            << FormatDouble(e.dbLowBandStart()) << ',' << FormatDouble(e.dbMidBandStart()) << ','
            << FormatDouble(e.dbHighBandStart()) << ',' << FormatDouble(e.dbHighBandEnd()) << ','
            << FormatDouble(e.dbPictureCarrier()) << ',' << FormatDouble(e.dbPictureCarrier2()) << ',' << e.wLowCode()
            << ',' << e.wMidCode() << ',' << e.wHighCode() << ',' << e.wReserved() << '\n';
    }
}

} // namespace

int RunExport(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--type", nullptr, true}, {"--help", "-h", false}}, options, error))
        return ReportUsage(err, "export", error);
    if (options.Has("--help"))
        return PrintHelp(out, "export") ? kExitSuccess : kExitFailure;
    if (options.operands.size() != 1)
        return ReportUsage(err, "export", options.operands.empty() ? "no file given" : "one file at a time");
    std::optional<TableKind> forced;
    if (const auto type = options.Value("--type")) {
        forced = TableKindFromName(*type);
        if (!forced)
            return ReportUsage(err, "export", "unknown --type " + *type + " (ccf, cft or tsf)");
    }

    const std::string& path = options.operands.front();
    TableKind kind;
    std::string reason;
    if (!ResolveTableKind(path, forced, kind, reason)) {
        ReportProblem(err, path, reason);
        return kExitFailure;
    }
    switch (kind) {
    case TableKind::Channel: {
        ChannelTable table(false);
        if (!LoadChannelTable(path, table, reason))
            break;
        out << ChannelCsvText(ChannelFrequencies(table.Channels(ChannelModeAir)),
                              ChannelFrequencies(table.Channels(ChannelModeCable)));
        return kExitSuccess;
    }
    case TableKind::Legacy: {
        // The frequencies the converter would carry over.
        LegacyChannelTable table;
        if (!LoadLegacyTable(path, table, reason))
            break;
        out << ChannelCsvText(LegacyFrequencies(table.Entries(ChannelModeAir)),
                              LegacyFrequencies(table.Entries(ChannelModeCable)));
        return kExitSuccess;
    }
    case TableKind::Tuner: {
        TunerSpecTable table(false);
        if (!LoadTunerTable(path, table, reason))
            break;
        ExportTuners(out, table);
        return kExitSuccess;
    }
    }
    ReportProblem(err, path, reason);
    return kExitFailure;
}
