// The client's "stats" command: the summary of one row or column of the current grid, and its
// trend line in every family with the best fit marked.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ZELT_o {
class Viewpoint;
}

namespace pova_tool {

// `words` are "row N" or "column N" (N from 1). False when the summary could not be made,
// with the reason written to `err`; a usage error is thrown as std::invalid_argument.
bool runStatsCommand(ZELT_o::Viewpoint& viewpoint, std::vector<std::string> const& words,
                     std::ostream& out, std::ostream& err);

}  // namespace pova_tool
