#include <iostream>

#include "Commands.h"

int main(int argc, char* argv[])
{
    return RunTool(Arguments(argv + 1, argv + argc), std::cout, std::cerr);
}
