// `pova format`: prints the number format string that the options describe, or with "render"
// renders values with a format string, so that a user can try number formats without writing
// code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `args` are the words after "format". Writes the format string, the rendered values (one line
// each) or the help to `out` and complaints to `err`; returns the exit code: 0, or 2 for a bad
// command line or a format string that does not compile.
int runFormatCommand(std::vector<std::string> const& args, std::ostream& out, std::ostream& err);
