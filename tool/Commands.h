#pragma once
// The subcommands of vornalix-tool. Each takes the arguments that follow its
// name, writes its results to out and its complaints to err, and returns the
// exit status.

#include <ostream>
#include <string>
#include <vector>

enum ExitStatus : int
{
    kExitSuccess = 0,
    // check found something, diff found differences, coverage found channels
    // no tuner tunes, matrix a table no tuner tunes whole, or a conversion or
    // a write failed
    kExitFindings = 1,
    // a file could not be read, or the arguments are wrong
    kExitFailure = 2,
};

using Arguments = std::vector<std::string>;

// The whole program: argv without the program name.
int RunTool(const Arguments& args, std::ostream& out, std::ostream& err);

int RunDump(const Arguments& args, std::ostream& out, std::ostream& err);
int RunBuild(const Arguments& args, std::ostream& out, std::ostream& err);
int RunExport(const Arguments& args, std::ostream& out, std::ostream& err);
int RunConvert(const Arguments& args, std::ostream& out, std::ostream& err);
int RunCheck(const Arguments& args, std::ostream& out, std::ostream& err);
int RunDiff(const Arguments& args, std::ostream& out, std::ostream& err);
int RunCountry(const Arguments& args, std::ostream& out, std::ostream& err);
int RunCatalogue(const Arguments& args, std::ostream& out, std::ostream& err);
int RunPlans(const Arguments& args, std::ostream& out, std::ostream& err);
int RunCoverage(const Arguments& args, std::ostream& out, std::ostream& err);
int RunMatrix(const Arguments& args, std::ostream& out, std::ostream& err);
int RunChart(const Arguments& args, std::ostream& out, std::ostream& err);

// build --plan NAME (pPlan) or --country-plan CODE_OR_NAME (pCountry): a new
// table filled from the installed channel plans as the editor fills it.
int BuildFromPlans(const std::string* pPlan, const std::string* pCountry, const std::string& output, std::ostream& err);
