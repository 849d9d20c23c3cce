// The client's filter commands: "filter AXIS EXPRESSION" keeps the lines of an axis for which
// the expression holds (a filter over the dimensions standing on that axis), "unfilter" removes
// every filter, and "filter" alone lists the filters in force. The changes run as filter
// commands of the viewpoint through the session's history, so undo and redo take them back and
// do them again.
#pragma once

#include "CommandHistory.h"
#include "EventPrinter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace ZELT_o {
class Viewpoint;
}

namespace pova_tool {

// `name` is "filter" or "unfilter", `args` the words after it. Errors are thrown (ClientError
// for wrong words or nothing to do, the library's errors as they come).
void runFilterCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                      std::string const& name, std::vector<std::string> const& args,
                      std::ostream& out);

}  // namespace pova_tool
