// convert: old tables into new ones, as the converter dialog does it.

#include <algorithm>

#include "edit/LegacyConversion.h"
#include "platform/Printable.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

int ConvertOne(const std::string& input, std::ostream& out, std::ostream& err)
{
    const std::string output = LegacyOutputPath(input);
    if (WouldReplaceInput(input, output)) {
        ReportProblem(err, input, ReplacesInputReason(output) + "; an old table is named .cft");
        return kExitFailure;
    }
    LegacyChannelTable legacy;
    std::string reason;
    if (!LoadLegacyTable(input, legacy, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    ChannelTable table(false);
    FileError error;
    std::string keptInTrash;
    switch (ConvertAndWrite(legacy, input, output, table, error, &keptInTrash)) {
    case ConversionResult::Written:
        if (!keptInTrash.empty())
            ReportProblem(err, output,
                          "the earlier file, which differed, is in the Trash as " + PrintableText(keptInTrash));
        break;
    case ConversionResult::NotConvertible:
        ReportProblem(err, input,
                      legacy.Entries(ChannelModeAir).empty()
                          ? "cannot be converted: it has no air channels (the trailer's air maximum is 0)"
                          : std::string("cannot be converted: its channels could not be copied"));
        return kExitFindings;
    case ConversionResult::WouldReplaceInput:
        ReportProblem(err, input, ReplacesInputReason(output) + "; an old table is named .cft");
        return kExitFailure;
    case ConversionResult::SaveFailed:
        ReportProblem(err, input, "cannot write " + PrintableText(output) + ": " + error.text);
        return kExitFindings;
    }
    out << PrintableText(input) << " -> " << PrintableText(output) << '\n';
    return kExitSuccess;
}

} // namespace

int RunConvert(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--help", "-h", false}}, options, error))
        return ReportUsage(err, "convert", error);
    if (options.Has("--help"))
        return PrintHelp(out, "convert") ? kExitSuccess : kExitFailure;
    if (options.operands.empty())
        return ReportUsage(err, "convert", "no file given");
    int status = kExitSuccess;
    for (const std::string& input : options.operands)
        status = std::max(status, ConvertOne(input, out, err));
    return status;
}
