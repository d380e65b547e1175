// convert: old tables into new ones, as the converter dialog does it.

#include <algorithm>

#include <sys/stat.h>

#include "Commands.h"
#include "Help.h"
#include "Options.h"
#include "Printable.h"
#include "TableFile.h"

namespace {

// The output rule keeps everything up to the last dot, so a file that is not
// named .cft (say fr.ccf) would be written over itself.
bool IsSameFile(const std::string& a, const std::string& b)
{
    struct stat sa;
    struct stat sb;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int ConvertOne(const std::string& input, std::ostream& out, std::ostream& err)
{
    const std::string output = LegacyOutputPath(input);
    if (output == input || IsSameFile(input, output)) {
        ReportProblem(err, input, "the output " + PrintableText(output) + " would replace the file itself; an old table is named .cft");
        return kExitFailure;
    }
    LegacyChannelTable legacy;
    std::string reason;
    if (!LoadLegacyTable(input, legacy, reason)) {
        ReportProblem(err, input, reason);
        return kExitFailure;
    }
    ChannelTable table(false);
    if (!table.ConvertFromLegacy(&legacy)) {
        const EntryList* pAir = legacy.GetList(ChannelModeAir);
        ReportProblem(err, input,
                      pAir && pAir->iCount > 0
                          ? std::string("cannot be converted: its channels could not be copied")
                          : "cannot be converted: it has no air channels (the trailer's air maximum is 0)");
        return kExitFindings;
    }
    FileError error;
    // The dialog does not look at the save; here a failed write is a failed conversion.
    if (!table.Save(output.c_str(), &error)) {
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
