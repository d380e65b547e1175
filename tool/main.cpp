#include <iostream>
#include <new>

#include "tool/Commands.h"

int main(int argc, char* argv[])
{
    // The readers bound what they take from a file, so this is the last resort
    // of a machine without memory: a message and a failure, never an abort.
    try {
        return RunTool(Arguments(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "vornalix-tool: out of memory\n";
        return kExitFailure;
    }
}
