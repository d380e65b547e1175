// check: what a person would want to know about a table before shipping it.

#include <algorithm>
#include <ostream>

#include "platform/Printable.h"
#include "tables/analysis/TableChecks.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

namespace {

// Prints each finding as it is found, after the file's name with its control
// characters escaped, so that one finding stays one line; a warning says so
// after the name. Warnings count as findings for the exit status, as errors do.
class FindingPrinter
{
public:
    FindingPrinter(std::ostream& out, const std::string& path) : m_out(out), m_path(PrintableText(path)) {}

    void operator()(const TableFinding& finding)
    {
        m_out << m_path << ": " << (finding.severity == FindingSeverity::Warning ? "warning: " : "") << finding.message
              << '\n';
        m_bAny = true;
    }
    bool Any() const { return m_bAny; }

private:
    std::ostream& m_out;
    std::string m_path;
    bool m_bAny = false;
};

// False with a reason when the file could not be read.
bool CheckOne(const std::string& path, TableKind kind, FindingPrinter& printer, std::string& reason)
{
    const FindingSink sink = [&printer](const TableFinding& finding) { printer(finding); };
    switch (kind) {
    case TableKind::Channel: {
        ChannelTable table(false);
        if (!LoadChannelTable(path, table, reason))
            return false;
        CheckChannelTable(table, table.LastLoad(), sink);
        return true;
    }
    case TableKind::Tuner: {
        TunerSpecTable table(false);
        if (!LoadTunerTable(path, table, reason))
            return false;
        CheckTunerTable(table, table.LastLoad(), sink);
        return true;
    }
    case TableKind::Legacy: {
        LegacyChannelTable table;
        if (!LoadLegacyTable(path, table, reason))
            return false;
        CheckLegacyTable(table, table.LastLoad(), sink);
        return true;
    }
    }
    return false;
}

} // namespace

int RunCheck(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--type", nullptr, true}, {"--help", "-h", false}}, options, error))
        return ReportUsage(err, "check", error);
    if (options.Has("--help"))
        return PrintHelp(out, "check") ? kExitSuccess : kExitFailure;
    if (options.operands.empty())
        return ReportUsage(err, "check", "no file given");
    std::optional<TableKind> forced;
    if (const auto type = options.Value("--type")) {
        forced = TableKindFromName(*type);
        if (!forced)
            return ReportUsage(err, "check", "unknown --type " + *type + " (ccf, cft or tsf)");
    }

    int status = kExitSuccess;
    for (const std::string& path : options.operands) {
        TableKind kind;
        std::string reason;
        FindingPrinter printer(out, path);
        // A table is read whole before its first finding, so a file that
        // cannot be read has none.
        if (!ResolveTableKind(path, forced, kind, reason) || !CheckOne(path, kind, printer, reason)) {
            ReportProblem(err, path, reason);
            status = kExitFailure;
            continue;
        }
        if (printer.Any())
            status = std::max(status, static_cast<int>(kExitFindings));
    }
    return status;
}
