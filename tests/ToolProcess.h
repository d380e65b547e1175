#pragma once
// Runs the real vornalix-tool executable and collects what it printed.

#include <string>
#include <vector>

struct ToolRun
{
    int status = -1; // exit status; -1 when the program did not exit normally
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
