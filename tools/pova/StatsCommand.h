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

// `words` are "row N" or "column N" (N from 1 to the grid's rows or columns). Errors are
// thrown: ClientError for wrong words or a summary that cannot be made.
void runStatsCommand(ZELT_o::Viewpoint& viewpoint, std::vector<std::string> const& words,
                     std::ostream& out);

}  // namespace pova_tool
