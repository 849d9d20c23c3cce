// `pova format`: prints the number format string that the options describe, or with "render"
// renders values with a format string, so that a user can try number formats without writing
// code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pova_tool {

// `args` are the words after "format". Writes the format string, the rendered values (one line
// each) or the help to `out`. Throws a UsageError for a bad command line; a format string that
// does not compile raises the library's error.
void runFormat(std::vector<std::string> const& args, std::ostream& out);

}  // namespace pova_tool

// The same as a command of its own, which needs no cube: errors are written to `err` as the
// session writes them; returns the exit status, 0, 1 (a format string that does not compile)
// or 2 (a bad command line).
int runFormatCommand(std::vector<std::string> const& args, std::ostream& out, std::ostream& err);
