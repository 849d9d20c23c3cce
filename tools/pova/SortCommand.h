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

// Whether `words` are a sort command ("sort ..." or "unsort ...").
bool isSortCommand(std::vector<std::string> const& words);

// "sort AXIS asc|desc [break]" puts a sort over the dimensions of AXIS in place of the ones it
// had (with "break", also a modifier that sorts its tuples as one flat list); "unsort AXIS"
// takes the sorts of AXIS away, "unsort" all of them. Writes what was done and the events to `out`;
// false when it failed, with the reason (the library's message for its errors) written to `err`.
bool runSortCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                    std::vector<std::string> const& words, std::ostream& out, std::ostream& err);

}  // namespace pova_tool
