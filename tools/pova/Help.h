// Help: every command of the client, its usage and what it does, listed once; the list for
// "help", the page for "help COMMAND" and the usage line an error points to all come from it.
#pragma once

#include <iosfwd>
#include <string>

namespace pova_tool {

// The program's usage, options, commands and exit codes.
void printHelp(std::ostream& out);
// The usage of one command and a few lines on what it does; a UsageError for an unknown one.
void printCommandHelp(std::string const& command, std::ostream& out);
// "usage: COMMAND ARGUMENTS" for an error's second line; "" for an unknown command.
std::string usageOf(std::string const& command);

}  // namespace pova_tool
