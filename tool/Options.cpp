#include "tool/Options.h"

#include "platform/FileIdentity.h"
#include "platform/Printable.h"
#include "tool/Commands.h"

std::optional<std::string> ParsedOptions::Value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

bool ParseOptions(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, ParsedOptions& parsed,
                  std::string& error)
{
    bool bOptionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // A negative number ("-44") is an operand, not an option.
        const bool bNumber = arg.size() >= 2 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        if (bOptionsEnded || bNumber || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        const auto eq = arg.find('=');
        const std::string name = arg.rfind("--", 0) == 0 && eq != std::string::npos ? arg.substr(0, eq) : arg;
        const OptionSpec* pSpec = nullptr;
        for (const OptionSpec& spec : specs)
            if (name == spec.name || (spec.alias && name == spec.alias))
                pSpec = &spec;
        if (!pSpec) {
            error = "unknown option " + name;
            return false;
        }
        if (!pSpec->bTakesValue) {
            if (name != arg) {
                error = std::string("option ") + pSpec->name + " takes no value";
                return false;
            }
            parsed.flags.insert(pSpec->name);
            continue;
        }
        std::string value;
        if (name != arg) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
        if (parsed.values.count(pSpec->name)) {
            error = std::string("option ") + pSpec->name + " given twice";
            return false;
        }
        parsed.values[pSpec->name] = value;
    }
    return true;
}

void ReportProblem(std::ostream& err, const std::string& file, const std::string& reason)
{
    err << "vornalix-tool: ";
    if (!file.empty())
        err << PrintableText(file) << ": ";
    err << reason << '\n';
}

std::string ReplacesInputReason(const std::string& output)
{
    return "the output " + PrintableText(output) + " would replace the file itself";
}

bool OutputReplacesInput(const std::vector<std::string>& inputs, const std::string& output, std::ostream& err)
{
    for (const std::string& input : inputs) {
        if (IsSameFile(input, output)) {
            ReportProblem(err, input, ReplacesInputReason(output));
            return true;
        }
    }
    return false;
}

int ReportUsage(std::ostream& err, const std::string& command, const std::string& reason)
{
    const std::string help = command.empty() ? "vornalix-tool --help" : "vornalix-tool " + command + " --help";
    ReportProblem(err, "", reason + " (see " + help + ")");
    return kExitFailure;
}
