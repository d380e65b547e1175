// chart: a channel table's band chart as SVG, optionally against one tuner of
// a tuner table (BandChart.h draws the same model as the editor's chart).

#include <cstdint>
#include <optional>

#include "platform/Printable.h"
#include "tables/analysis/BandChart.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/catalogue/PlanLabels.h"
#include "tables/catalogue/TunerCatalogue.h"
#include "tables/catalogue/TunerNames.h"
#include "tables/text/TableJson.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

struct TunerArgument
{
    std::string path;
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
};

// "TUNERS.tsf:FF:TT", split at its last two colons so that the path may
// hold colons; the codes read as coverage's --tuner reads them.
std::optional<TunerArgument> ParseTunerArgument(const std::string& text)
{
    const std::size_t second = text.rfind(':');
    if (second == std::string::npos || second == 0)
        return std::nullopt;
    const std::size_t first = text.rfind(':', second - 1);
    if (first == std::string::npos || first == 0)
        return std::nullopt;
    TunerArgument argument{text.substr(0, first), 0, 0};
    if (!ParseTunerCodes(std::string_view(text).substr(first + 1), argument.iFactory, argument.iTunerType))
        return std::nullopt;
    return argument;
}

// The file's own name, as the chart's title.
std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The tuner the argument names, or a message on err (exit status 2).
bool LoadChartTuner(const TunerArgument& argument, std::optional<ChartTuner>& tuner, std::ostream& err)
{
    TunerSpecTable table(false);
    std::string reason;
    if (!LoadTunerTable(argument.path, table, reason)) {
        ReportProblem(err, argument.path, reason);
        return false;
    }
    if (const TunerSpecEntry* pEntry = FindTuner(table, argument.iFactory, argument.iTunerType)) {
        // Named as the editor's chart names it: by the catalogue, where one is found.
        TunerCatalogue catalogue;
        TunerNames names;
        if (catalogue.Open())
            names = TunerNames::Read(catalogue, {*pEntry});
        tuner = ChartTuner{*pEntry, TunerTitle(*pEntry, names.FactoryName(pEntry->iFactory()),
                                               names.TypeName(pEntry->iFactory(), pEntry->iTunerType()))};
        return true;
    }
    TunerSpecEntry wanted;
    wanted.SetFactory(argument.iFactory);
    wanted.SetTunerType(argument.iTunerType);
    ReportProblem(err, argument.path, "no tuner " + TunerCodesText(wanted) + " (factory:tuner type) in the file");
    return false;
}

} // namespace

int RunChart(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--tuner", nullptr, true}, {"--output", "-o", true}, {"--help", "-h", false}}, options,
                      error))
        return ReportUsage(err, "chart", error);
    if (options.Has("--help"))
        return PrintHelp(out, "chart") ? kExitSuccess : kExitFailure;
    if (options.operands.size() != 1)
        return ReportUsage(err, "chart", options.operands.empty() ? "no file given" : "one table at a time");
    const std::optional<std::string> output = options.Value("--output");
    if (!output || output->empty())
        return ReportUsage(err, "chart", "no output file given (-o chart.svg)");
    std::optional<TunerArgument> tunerArgument;
    if (const auto text = options.Value("--tuner")) {
        tunerArgument = ParseTunerArgument(*text);
        if (!tunerArgument)
            return ReportUsage(err, "chart", "--tuner takes TUNERS.tsf:FF:TT (factory and tuner type in hex)");
    }

    const std::string& path = options.operands.front();
    std::vector<std::string> inputs{path};
    if (tunerArgument)
        inputs.push_back(tunerArgument->path);
    if (OutputReplacesInput(inputs, *output, err))
        return kExitFailure;
    TableKind kind;
    std::string reason;
    if (!ResolveTableKind(path, std::nullopt, kind, reason)) {
        ReportProblem(err, path, reason);
        return kExitFailure;
    }
    if (kind == TableKind::Legacy) {
        ReportProblem(err, "",
                      OldTableRefusal("charted", "convert it (vornalix-tool convert) and chart the .ccf file"));
        return kExitFailure;
    }
    if (kind == TableKind::Tuner) {
        ReportProblem(err, path, "a tuner table (tsf) has no channels to chart; give it with --tuner");
        return kExitFailure;
    }
    ChannelTable table(false);
    if (!LoadChannelTable(path, table, reason)) {
        ReportProblem(err, path, reason);
        return kExitFailure;
    }
    std::optional<ChartTuner> tuner;
    if (tunerArgument && !LoadChartTuner(*tunerArgument, tuner, err))
        return kExitFailure;

    // The channels' names in the country's standard plans, as the editor's chart shows them.
    const PlanLabels labels = PlanLabels::ForCountry(table.Header().iCountryCode(), PlanLibrary::Load());
    const BandChart chart(
        ChannelFrequencies(table.Channels(ChannelModeAir)), ChannelFrequencies(table.Channels(ChannelModeCable)), tuner,
        [&labels](std::int32_t iList, double dbFrequency) { return labels.Label(iList, dbFrequency); });
    const std::string svg = BandChartSvg(chart, BaseName(path));
    FileError writeError;
    if (!WriteFileSafely(output->c_str(), reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size(), &writeError)) {
        ReportProblem(err, *output, "cannot be written: " + writeError.text);
        return kExitFindings;
    }
    return kExitSuccess;
}
