#pragma once
// Parsing of a subcommand's options and operands, and the one way the tool
// reports a problem on standard error.

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

struct OptionSpec
{
    const char* name;  // "--json"
    const char* alias; // "-o", or nullptr
    bool bTakesValue;
};

struct ParsedOptions
{
    std::vector<std::string> operands;
    std::set<std::string> flags;               // by long name
    std::map<std::string, std::string> values; // by long name

    bool Has(const std::string& name) const { return flags.count(name) > 0 || values.count(name) > 0; }
    std::optional<std::string> Value(const std::string& name) const;
};

// Options may stand anywhere among the operands; "--name=value" and
// "--name value" both work, and "--" ends the options. False, with a message
// for the person, for an unknown option or a missing value.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, ParsedOptions& parsed,
                  std::string& error);

// "vornalix-tool: FILE: reason", or "vornalix-tool: reason" without a file;
// the file's name as PrintableText gives it.
void ReportProblem(std::ostream& err, const std::string& file, const std::string& reason);
// "the output OUT would replace the file itself": why a command writes
// nothing when its output is one of the files it reads.
std::string ReplacesInputReason(const std::string& output);
// Whether output is the same file as one of the inputs (IsSameFile); when it
// is, says so for that input on err, and the command writes nothing and exits
// with kExitFailure.
bool OutputReplacesInput(const std::vector<std::string>& inputs, const std::string& output, std::ostream& err);

// A usage mistake: the reason and a pointer to the help of the subcommand.
int ReportUsage(std::ostream& err, const std::string& command, const std::string& reason);
