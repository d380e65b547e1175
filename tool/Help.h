#pragma once
// The usage texts of the program and its subcommands.

#include <ostream>
#include <string>

// The program's own text, or a subcommand's; false for an unknown name.
bool PrintHelp(std::ostream& out, const std::string& command);
const char* ToolVersionText();
