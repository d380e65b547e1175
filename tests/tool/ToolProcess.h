#pragma once
// Runs the real vornalix-tool executable and collects what it printed.

#include <string>
#include <vector>

struct ToolRun
{
    int status = -1;        // exit status; -1 when the program did not exit normally
    bool bTimedOut = false; // killed at the time limit
    std::string out;
    std::string err;
};

// Runs the built tool (or another executable) with the arguments, in the
// given working folder when one is named.
ToolRun RunToolProcess(const std::vector<std::string>& args, const std::string& workDir = "",
                       const std::string& executable = VORNALIX_TOOL);

// Runs the tool on a disk that is full after fileSizeLimit bytes of any file
// it writes: its writes past that fail with EFBIG.
ToolRun RunToolOnFullDisk(const std::vector<std::string>& args, unsigned long fileSizeLimit);

// Runs the tool and kills it when it has not ended within the time limit, so
// that a tool that blocks fails the test instead of hanging it.
ToolRun RunToolProcessWithin(const std::vector<std::string>& args, int seconds);
