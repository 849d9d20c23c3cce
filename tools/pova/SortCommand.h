// The client's "sort" and "unsort" commands: sorts of the viewpoint's axes made through its
// sort commands and kept in the session's history, so that undo and redo take them back and do
// them again. Each stands alone on its line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ZELT_o {
class Viewpoint;
}

namespace pova_tool {

class CommandHistory;
class EventPrinter;

// "sort AXIS asc|desc [break]" puts a sort over the dimensions of AXIS in place of the ones it
// had (with "break", also a modifier that sorts its tuples as one flat list); "unsort AXIS"
// takes the sorts of AXIS away, "unsort" all of them. `name` is "sort" or "unsort", `args` the
// words after it. Writes what was done and the events to `out`; errors are thrown
// (ClientError for wrong words or nothing to do, the library's errors as they come).
void runSortCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                    std::string const& name, std::vector<std::string> const& args,
                    std::ostream& out);

}  // namespace pova_tool
