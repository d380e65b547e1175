#pragma once
// What the harnesses of the tool's readers share: running a command in-process
// and the rules every one of its runs keeps.

#include <sstream>

#include <unistd.h>

#include "fuzz/FuzzSupport.h"
#include "tool/Commands.h"

struct CommandRun
{
    int status = -1;
    std::string out;
    std::string err;
};

inline CommandRun RunCommand(int (*command)(const Arguments&, std::ostream&, std::ostream&), const Arguments& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CommandRun run;
    run.status = command(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// A refusal is one line, however long or odd the offending text was: the
// message names the input file and quotes at most a short prefix of a field
// or key, with line ends escaped.
constexpr std::size_t kLongestReason = 320;

inline void CheckRefusal(const CommandRun& run, const std::string& input)
{
    if (run.status != kExitFailure || !run.out.empty() || run.err.empty() ||
        run.err.size() > input.size() + kLongestReason || run.err.find('\n') != run.err.size() - 1)
        std::abort();
}

inline std::vector<std::uint8_t> FileBytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path.c_str(), bytes, static_cast<std::size_t>(-1)))
        std::abort();
    return bytes;
}

inline bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// Runs build into a fresh output. True when it wrote a table, silently; a
// refusal must be one short line and leave no file behind.
inline bool BuildWroteTable(const Arguments& args, const std::string& input, const std::string& output)
{
    ::unlink(output.c_str());
    const CommandRun build = RunCommand(RunBuild, args);
    if (build.status != kExitSuccess) {
        CheckRefusal(build, input);
        if (Exists(output))
            std::abort();
        return false;
    }
    if (!build.out.empty() || !build.err.empty())
        std::abort();
    return true;
}

inline std::string WriteText(const char* name, const std::string& text)
{
    return WriteInput(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
