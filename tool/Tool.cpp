#include <map>

#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"

int RunTool(const Arguments& args, std::ostream& out, std::ostream& err)
{
    using Command = int (*)(const Arguments&, std::ostream&, std::ostream&);
    static const std::map<std::string, Command> kCommands = {
        {"dump", RunDump},   {"build", RunBuild},       {"export", RunExport},   {"convert", RunConvert},
        {"check", RunCheck}, {"diff", RunDiff},         {"country", RunCountry}, {"catalogue", RunCatalogue},
        {"plans", RunPlans}, {"coverage", RunCoverage}, {"matrix", RunMatrix},   {"chart", RunChart},
    };

    if (args.empty()) {
        PrintHelp(err, "");
        return kExitFailure;
    }
    const std::string& name = args.front();
    if (name == "--help" || name == "-h") {
        PrintHelp(out, "");
        return kExitSuccess;
    }
    if (name == "--version") {
        out << ToolVersionText() << '\n';
        return kExitSuccess;
    }
    if (name == "help") {
        if (args.size() == 1)
            return PrintHelp(out, "") ? kExitSuccess : kExitFailure;
        if (PrintHelp(out, args[1]))
            return kExitSuccess;
        return ReportUsage(err, "", "unknown command " + args[1]);
    }
    const auto it = kCommands.find(name);
    if (it == kCommands.end())
        return ReportUsage(err, "", (name.rfind('-', 0) == 0 ? "unknown option " : "unknown command ") + name);
    return it->second(Arguments(args.begin() + 1, args.end()), out, err);
}
